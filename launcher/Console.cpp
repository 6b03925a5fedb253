// What Start shows: its windows when it runs on a desktop, otherwise lines
// on standard error.
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "Actions.h"
#include "Frontend.h"
#include "Usage.h"

#if BELVORA_WITH_QT
#include "qt/StartWindows.h"
#endif

namespace start {

bool UsesWindows() {
#if BELVORA_WITH_QT
  auto isSet = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  const char* choice = std::getenv("BELVORA_UI");
  if (choice && std::string_view(choice) == "console") return false;
  const bool display = isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
  if (choice && std::string_view(choice) == "qt") return display || isSet("QT_QPA_PLATFORM");
  return display;
#else
  return false;
#endif
}

#if BELVORA_WITH_QT
Frontend::Frontend() {
  if (UsesWindows()) qt::CreateApplication();
}
Frontend::~Frontend() { qt::DestroyApplication(); }
#else
Frontend::Frontend() = default;
Frontend::~Frontend() = default;
#endif

int ShowUsage() {
#if BELVORA_WITH_QT
  if (qt::HasApplication()) {
    qt::ShowUsageWindow();
    return kExitUsage;
  }
#endif
  std::cerr << UsageText() << std::flush;
  return kExitUsage;
}

void ShowLabel(const std::string& text) {
#if BELVORA_WITH_QT
  if (qt::HasApplication()) return qt::SetLabel(text);
#endif
  std::cerr << text << '\n' << std::flush;
}

void ShowNote(const std::string& text) {
#if BELVORA_WITH_QT
  if (qt::HasApplication()) return qt::ShowMessage("Note", text, false);
#endif
  std::cerr << "[Note] " << text << '\n' << std::flush;
}

void ShowError(const std::string& text) {
#if BELVORA_WITH_QT
  if (qt::HasApplication()) return qt::ShowMessage("Start", text, true);
#endif
  std::cerr << "[Start] " << text << '\n' << std::flush;
}

void WaitForClose() {
#if BELVORA_WITH_QT
  if (qt::HasApplication()) qt::ShowMainWindow();
#endif
}

}  // namespace start
