#pragma once

// The support request: name, an optional attachment, the message and the
// recipient address. Send hands the message to the mail sender and reports
// the outcome; the window stays open until the user closes it.

#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace belvora::dialogs {

class frmSupport : public QDialog {
 public:
  // Sends one message with at most one attachment; false after the sender
  // has shown its own failure message.
  using MailSender = std::function<bool(
      const std::string& message, const std::string& attachmentPath, const std::string& recipient)>;

  // Aufruf: the address goes into the Support-Address field.
  frmSupport(const std::string& address, MailSender sender, QWidget* parent = nullptr);

  void add();   // btnAdd: the file chooser for the attachment
  void send();  // btnSend

 private:
  MailSender sender_;
  QLineEdit* name_ = nullptr;
  QLineEdit* attachment_ = nullptr;
  QPlainTextEdit* message_ = nullptr;
  QLineEdit* address_ = nullptr;
};

// The library's mail sender (it shows its own failure message).
bool SendSupportRequest(const std::string& message, const std::string& attachmentPath,
                        const std::string& recipient);

}  // namespace belvora::dialogs
