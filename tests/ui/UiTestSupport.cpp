#include "UiTestSupport.h"

#include <belvora/clsXRechnung.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <map>

#include "platform/db/Connection.h"
#include "text/Texte.h"

namespace belvora::test {
namespace {

void reject(QWidget* w) {
  if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
}

// A handler for windows of class W only.
template <typename W>
ModalDriver::Handler typed(std::function<void(W*)> handle) {
  return [handle](QWidget* w) {
    if (auto* t = qobject_cast<W*>(w)) return handle(t);
    ADD_FAILURE() << "expected a " << W::staticMetaObject.className() << ", got a "
                  << w->metaObject()->className() << " \"" << w->windowTitle().toStdString()
                  << "\"";
    reject(w);
  };
}

}  // namespace

ModalDriver& ModalDriver::then(Handler handler) {
  handlers_.push_back(std::move(handler));
  return *this;
}

ModalDriver& ModalDriver::answer(QMessageBox::StandardButton button) {
  return then(typed<QMessageBox>([this, button](QMessageBox* box) {
    const char* icons[] = {"NoIcon", "Information", "Warning", "Critical", "Question"};
    log.push_back(box->windowTitle().toStdString() + " | " + box->text().toStdString() + " | " +
                  icons[box->icon()]);
    if (QAbstractButton* b = box->button(button)) return b->click();
    ADD_FAILURE() << "no such button in \"" << box->text().toStdString() << "\"";
    box->reject();
  }));
}

ModalDriver& ModalDriver::choose(const std::string& path) {
  return then(typed<QFileDialog>([this, path](QFileDialog* d) {
    const bool folder = d->fileMode() == QFileDialog::Directory;
    log.push_back("[" + d->windowTitle().toStdString() + "]" +
                  (folder ? "" : " " + d->nameFilters().join(";;").toStdString()));
    // As typed: selectFile() leaves the name field alone while it has the focus.
    auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) ADD_FAILURE() << "the file dialog has no name field";
    if (path.empty() || !name) return d->reject();
    name->setText(QString::fromStdString(path));
    static_cast<QDialog*>(d)->accept();
    if (!d->isVisible()) return;
    ADD_FAILURE() << "the file dialog did not take " << path;
    d->reject();
  }));
}

ModalDriver& ModalDriver::type(const char* text) {
  return then(typed<QInputDialog>([this, text](QInputDialog* d) {
    log.push_back("[" + d->windowTitle().toStdString() + "] " + d->labelText().toStdString() + " " +
                  d->textValue().toStdString());
    if (!text) return d->reject();
    d->setTextValue(QString::fromUtf8(text));
    d->accept();
  }));
}

void ModalDriver::poll() {
  QPointer<QWidget> modal = QApplication::activeModalWidget();
  if (!modal || std::find(handled_.begin(), handled_.end(), modal) != handled_.end()) return;
  handled_.push_back(modal);
  Handler handler = [](QWidget* w) {
    ADD_FAILURE() << "unexpected window " << w->metaObject()->className() << " \""
                  << w->windowTitle().toStdString() << "\"";
    reject(w);
  };
  if (!handlers_.empty()) {
    handler = std::move(handlers_.front());
    handlers_.pop_front();
  }
  // Queued, so that the timer is free to see the windows the handler opens.
  QMetaObject::invokeMethod(
      modal,
      [modal, handler] {
        if (modal) handler(modal.data());
      },
      Qt::QueuedConnection);
}

void ModalDriver::run(const std::function<void()>& action) {
  handled_.clear();
  auto polling = QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
  timer_.start(5);
  action();
  timer_.stop();
  QObject::disconnect(polling);
  EXPECT_TRUE(handlers_.empty()) << handlers_.size() << " expected window(s) did not open";
  handlers_.clear();
}

void createTemplateInvoice(const std::string& dbPath, const std::string& number,
                           const std::string& xmlPath) {
  belvora::clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(xmlPath, "Data Source=" + dbPath, "Select * from VorlageXRechnung",
                            number, false, "", "", false));
  ASSERT_TRUE(x.CreateXRechnung());
}

std::string rowsText(const std::string& connection, const std::string& sql) {
  std::string out;
  auto cursor = db::open(connection)->query(sql, {});
  while (cursor->next()) {
    for (const db::Value& v : cursor->row())
      out += (out.empty() || out.back() == '\n' ? "" : " | ") + text::ValueToText(v);
    out += '\n';
  }
  return out;
}

QString plain(QString caption) {
  caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  caption.remove(QLatin1Char('&'));
  return caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
}

namespace {

// What a widget shows; false for a widget that shows no text of its own.
bool shown(QWidget* w, QString& out) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return out = e->text(), true;
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return out = e->toPlainText(), true;
  if (auto* l = qobject_cast<QLabel*>(w)) return out = l->text(), true;
  if (auto* g = qobject_cast<QGroupBox*>(w)) return out = g->title(), true;
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    out = plain(b->text()) + (!b->isCheckable() ? "" : b->isChecked() ? " [x]" : " [ ]");
    return true;
  }
  if (auto* t = qobject_cast<QTabWidget*>(w)) {
    for (int i = 0; i < t->count(); ++i) out += (i ? " | " : "") + plain(t->tabText(i));
    return true;
  }
  if (auto* t = qobject_cast<QTreeWidget*>(w)) {
    for (int r = -1; r < t->topLevelItemCount(); ++r) {
      QTreeWidgetItem* item = r < 0 ? t->headerItem() : t->topLevelItem(r);
      out += r < 0 ? "" : "\n ";
      for (int c = 0; c < t->columnCount(); ++c) out += (c ? " | " : "") + item->text(c);
    }
    return true;
  }
  return false;
}

}  // namespace

QString textOf(QWidget* root, const QString& objectName) {
  QString out;
  QWidget* w = root->findChild<QWidget*>(objectName);
  if (!w || !shown(w, out)) ADD_FAILURE() << "no widget with text " << objectName.toStdString();
  return out;
}

std::string dump(QWidget* root) {
  std::map<std::string, std::string> lines;
  QString text;
  // Our names start in lower case; Qt's own parts (qt_*, ScrollLeftButton) are left out.
  for (QWidget* w : root->findChildren<QWidget*>())
    if (const QString name = w->objectName();
        !name.isEmpty() && name[0].isLower() && !name.startsWith("qt_") && shown(w, text))
      lines[w->objectName().toStdString()] = std::exchange(text, {}).toStdString();
  std::string out = "title: " + root->windowTitle().toStdString() + "\n";
  for (const auto& [name, value] : lines) out += name + ": " + value + "\n";
  return out;
}

void expectGolden(const std::string& name, const std::string& actual) {
  const std::string file = std::string(BELVORA_TEST_DATA_DIR) + "/ui/" + name;
  if (const char* update = std::getenv("BELVORA_UPDATE_GENERATED"); update && *update == '1')
    writeAll(file, actual);
  EXPECT_EQ(actual, readAll(file)) << "BELVORA_UPDATE_GENERATED=1 writes " << file;
}

}  // namespace belvora::test
