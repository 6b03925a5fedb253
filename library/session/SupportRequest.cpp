#include "session/SupportRequest.h"

#include "platform/ui/Interaction.h"

namespace belvora::session {
namespace {

constexpr const char* kTitleSupport = "Support";
constexpr const char* kNeedsDisplay =
    "The support request needs a display (DISPLAY or WAYLAND_DISPLAY).";
constexpr const char* kWriteTo = " Support-Address: ";

}  // namespace

void ShowSupportWithoutDisplay(const std::string& email) {
  std::string text = kNeedsDisplay;
  if (!email.empty()) text += kWriteTo + email;
  ui::current().message(kTitleSupport, text, ui::Icon::Exclamation);
}

}  // namespace belvora::session
