#pragma once

// The about box: the logo, the product and its version, and the "Visit me"
// link to the product's web address.

#include <QDialog>
#include <functional>

class QLabel;

namespace belvora::dialogs {

class frmInfo : public QDialog {
 public:
  // Opens a web address; false when it could not be handed to a browser.
  using Opener = std::function<bool(const QString& address)>;

  // `open` defaults to the desktop's handler for web addresses.
  explicit frmInfo(QWidget* parent = nullptr, Opener open = {});

  // The link: opens the address; a failure is reported and the box stays.
  void visit();

 private:
  Opener open_;
};

// Shows the about box modally.
void ShowAboutBox(QWidget* parent);

}  // namespace belvora::dialogs
