#pragma once

// Shared by the widget tests: invoices created from the template database
// through the public creation session, and widget texts by object name.

#include <QString>
#include <QWidget>
#include <string>

#include "../integration/reader/ReaderTestSupport.h"

namespace belvora::test {

// The template invoice numbers of the template database.
inline const char* const kTemplateInvoices[] = {"252068", "252069", "252070", "252071"};

// Writes template invoice `number` from the database at `dbPath` to
// `xmlPath` (nothing stored); fails the test when that does not work.
void createTemplateInvoice(const std::string& dbPath, const std::string& number,
                           const std::string& xmlPath);

// The text of the line edit, plain text edit, label or button named
// `objectName` below `root` (mnemonic markers removed); fails the test
// when there is none.
QString textOf(QWidget* root, const QString& objectName);

template <typename W>
W* child(QWidget* root, const QString& objectName) {
  W* w = root->findChild<W*>(objectName);
  if (!w) ADD_FAILURE() << "no widget " << objectName.toStdString();
  return w;
}

}  // namespace belvora::test
