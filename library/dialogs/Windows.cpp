#include "dialogs/Windows.h"

#include <iostream>
#include <string>

#include "dialogs/frmInfo.h"
#include "dialogs/frmParameter.h"
#include "dialogs/frmSupport.h"
#include "dialogs/frmXConverter.h"
#include "messages/Messages.h"
#include "platform/ui/ConsoleInteraction.h"
#include "platform/ui/qt/QtApplication.h"
#include "platform/ui/qt/QtInteraction.h"
#include "reader/ViewerWindow.h"
#include "session/DialogWindows.h"

namespace belvora::dialogs {

namespace msg = ::belvora::messages;
namespace text = ::belvora::messages::dialogs;
namespace {

// No window can open on this thread: the refusal goes to the error stream,
// the one place that still reaches the user.
bool windowsAllowed(const char* title) {
  const std::string reason = ui::qt::windowsRefusedReason();
  if (reason.empty()) return true;
  ui::ConsoleInteraction(std::cerr).message(title, reason, ui::Icon::Exclamation);
  return false;
}

bool showViewer(reader::ViewModel& view, reader::ReaderSettings& settings) {
  if (!windowsAllowed(msg::kDefaultTitle)) return false;
  frmXConverter window(view, settings, ui::qt::dialogParent());
  window.exec();
  // As in the console view: a save that failed fails the read's result.
  return !window.saveFailed();
}

bool showParameter(settings::SettingValues& values) {
  if (!windowsAllowed(text::kParameterTitle)) return false;
  frmParameter window(values, ui::qt::dialogParent());
  window.exec();
  return true;
}

bool showSupport(const std::string& address) {
  if (!windowsAllowed(text::kSupportTitle)) return false;
  frmSupport window(address, &SendSupportRequest, ui::qt::dialogParent());
  window.raise();
  window.exec();
  return true;
}

bool showAbout() {
  if (!windowsAllowed(text::kAboutTitle)) return false;
  ShowAboutBox(ui::qt::dialogParent());
  return true;
}

constexpr session::DialogWindows kDialogs{&showParameter, &showSupport, &showAbout};

}  // namespace

void RegisterWindows() {
  ui::registerQtFactory(&ui::qt::MakeInteraction);
  reader::RegisterViewerWindow(&showViewer);
  session::RegisterDialogWindows(&kDialogs);
}

}  // namespace belvora::dialogs
