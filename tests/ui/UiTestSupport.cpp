#include "UiTestSupport.h"

#include <belvora/clsXRechnung.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "ModalDriver.h"

namespace belvora::test {

void createTemplateInvoice(const std::string& dbPath, const std::string& number,
                           const std::string& xmlPath) {
  belvora::clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(xmlPath, "Data Source=" + dbPath, "Select * from VorlageXRechnung",
                            number, false, "", "", false));
  ASSERT_TRUE(x.CreateXRechnung());
}

QString textOf(QWidget* root, const QString& objectName) {
  QWidget* w = root->findChild<QWidget*>(objectName);
  if (!w) {
    ADD_FAILURE() << "no widget " << objectName.toStdString();
    return {};
  }
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return plain(b->text());
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  ADD_FAILURE() << objectName.toStdString() << " holds no text";
  return {};
}

}  // namespace belvora::test
