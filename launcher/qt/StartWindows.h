#pragma once

// Start's own windows: the main window (its label and a Close button) and
// the usage window with the four examples.

#include <QDialog>
#include <string>

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace start::qt {

// Main window: the label with the state and the Close button, which shows
// only when the window is kept open (a failed action).
class frmStart : public QDialog {
 public:
  frmStart();
  void setLabel(const QString& text);
  void showCloseButton();

 private:
  QLabel* label_ = nullptr;
  QPushButton* close_ = nullptr;
};

// Usage window "Hinweis": the parameter description, four option buttons
// and the example of the selected one, ready to be copied.
class frmUsage : public QDialog {
 public:
  frmUsage();
  // As a click on option button `index` (0 to 3).
  void select(int index);

 private:
  QButtonGroup* options_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
};

void CreateApplication();
void DestroyApplication();
bool HasApplication();

void ShowUsageWindow();
void SetLabel(const std::string& text);
void ShowMessage(const std::string& title, const std::string& text, bool critical);
void ShowMainWindow();

}  // namespace start::qt
