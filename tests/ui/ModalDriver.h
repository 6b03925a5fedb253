#pragma once

// Drives the modal windows a test action opens: every window that becomes
// the active modal widget is handed to the next queued handler, which
// inspects it and closes it (clicks a button, accepts or rejects). A modal
// window without a handler fails the test and is closed, so nothing hangs.

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace belvora::test {

// What a message box showed.
struct SeenBox {
  std::string title;
  std::string text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class ModalDriver {
 public:
  using Handler = std::function<void(QWidget*)>;

  // Queues a handler for the next modal window. The typed form fails the
  // test when the window is of another class.
  ModalDriver& then(Handler handler);
  template <typename W>
  ModalDriver& then(std::function<void(W*)> handler) {
    return then([handler](QWidget* w) {
      W* typed = qobject_cast<W*>(w);
      if (!typed) {
        failWrongWindow(w, W::staticMetaObject.className());
        return;
      }
      handler(typed);
    });
  }
  // A message box: recorded in `boxes`, then the button clicked.
  ModalDriver& answer(QMessageBox::StandardButton button = QMessageBox::Ok);
  // A file or folder dialog: the path chosen (empty: cancelled).
  ModalDriver& choose(const std::string& path);
  // An input box: the text entered and accepted (nullptr text: cancelled).
  ModalDriver& type(const char* text);

  // Runs the action, handling the modal windows it opens; afterwards every
  // queued handler must have been used.
  void run(const std::function<void()>& action);

  std::vector<SeenBox> boxes;
  std::vector<std::string> dialogTitles;  // file, folder and input dialogs, in order

 private:
  static void failWrongWindow(QWidget* w, const char* expected);
  void poll();

  std::deque<Handler> handlers_;
  std::vector<QPointer<QWidget>> handled_;
  QTimer timer_;
};

// Chooses `path` in an open file or folder dialog and accepts it.
void pick(QFileDialog* dialog, const std::string& path);

// Label of a widget caption without its mnemonic marker.
QString plain(QString caption);

}  // namespace belvora::test
