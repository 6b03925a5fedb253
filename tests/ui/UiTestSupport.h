#pragma once

// Shared by the widget tests: a driver for the modal windows an action
// opens, widget texts by object name, template invoices and golden files.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace belvora::test {

// Every window that becomes the active modal widget while run() works goes
// to the next queued handler, which closes it. A window without a handler
// fails the test and is rejected, so nothing hangs.
class ModalDriver {
 public:
  using Handler = std::function<void(QWidget*)>;
  ModalDriver& then(Handler handler);
  // A message box: logged as "title | text | icon", then `button` clicked.
  ModalDriver& answer(QMessageBox::StandardButton button = QMessageBox::Ok);
  // A file or folder dialog: logged as "[title] filters", `path` chosen ("" cancels).
  ModalDriver& choose(const std::string& path);
  // An input box: logged as "[title] prompt", `text` entered (nullptr cancels).
  ModalDriver& type(const char* text);
  // Runs the action; afterwards every queued handler must have been used.
  void run(const std::function<void()>& action);

  std::vector<std::string> log;  // one entry a window, in order

 private:
  void poll();
  std::deque<Handler> handlers_;
  std::vector<QPointer<QWidget>> handled_;
  QTimer timer_;
};

// Writes template invoice `number` of the database at `dbPath` to `xmlPath`.
void createTemplateInvoice(const std::string& dbPath, const std::string& number,
                           const std::string& xmlPath);

// The rows of a query, a line each, values joined by " | ".
std::string rowsText(const std::string& connection, const std::string& sql);

// The text of the widget named `objectName` below `root` (mnemonic markers
// removed); fails the test when there is none.
QString textOf(QWidget* root, const QString& objectName);
QString plain(QString caption);

// Every named widget below `root` with what it shows, a line each, sorted by name.
std::string dump(QWidget* root);

// Compares `actual` with tests/data/ui/`name`; BELVORA_UPDATE_GENERATED=1 writes it.
void expectGolden(const std::string& name, const std::string& actual);

template <typename W>
W* child(QWidget* root, const QString& objectName) {
  W* w = root->findChild<W*>(objectName);
  if (!w) ADD_FAILURE() << "no widget " << objectName.toStdString();
  return w;
}

}  // namespace belvora::test
