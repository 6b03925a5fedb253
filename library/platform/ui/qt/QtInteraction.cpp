#include "platform/ui/qt/QtInteraction.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "messages/Messages.h"
#include "platform/ui/qt/QtApplication.h"
#include "platform/ui/qt/QtText.h"

namespace belvora::ui::qt {
namespace {

QMessageBox::Icon iconOf(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::Critical:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

bool QtInteraction::usable(const std::string& title) {
  const std::string reason = windowsRefusedReason();
  if (reason.empty()) return true;
  console_.message(title, reason, Icon::Exclamation);
  return false;
}

void QtInteraction::message(const std::string& title, const std::string& text, Icon icon) {
  if (!usable(title)) {
    console_.message(title, text, icon);
    return;
  }
  QMessageBox box(iconOf(icon), toQt(title), toQt(text), QMessageBox::Ok, dialogParent());
  box.exec();
}

bool QtInteraction::question(const std::string& title, const std::string& text, Icon icon,
                             bool defaultYes) {
  if (!usable(title)) {
    console_.message(title, text + "\n-> " + messages::kAnswerNo, icon);
    return false;
  }
  QMessageBox box(iconOf(icon), toQt(title), toQt(text), QMessageBox::Yes | QMessageBox::No,
                  dialogParent());
  box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::string QtInteraction::input(const std::string& title, const std::string& prompt,
                                 const std::string& defaultValue) {
  if (!usable(title)) return {};
  QInputDialog dialog(dialogParent());
  dialog.setWindowTitle(toQt(title));
  dialog.setLabelText(toQt(prompt));
  dialog.setTextValue(toQt(defaultValue));
  if (dialog.exec() != QDialog::Accepted) return {};
  return fromQt(dialog.textValue());
}

std::string QtInteraction::chooseFile(const std::string& title, const std::string& filter) {
  if (!usable(title)) return {};
  return fromQt(
      QFileDialog::getOpenFileName(dialogParent(), toQt(title), QString(), qtFilter(filter)));
}

std::string QtInteraction::chooseFolder(const std::string& title) {
  if (!usable(title)) return {};
  return fromQt(QFileDialog::getExistingDirectory(dialogParent(), toQt(title)));
}

std::unique_ptr<Interaction> MakeInteraction() {
  if (!displayAvailable()) return std::make_unique<ConsoleInteraction>();
  return std::make_unique<QtInteraction>();
}

}  // namespace belvora::ui::qt
