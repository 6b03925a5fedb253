#include "session/SupportRequest.h"

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"

namespace belvora::session {

void ShowSupportWithoutDisplay(const std::string& email) {
  std::string text = messages::creation::kSupportNeedsDisplay;
  if (!email.empty()) text += messages::creation::kSupportWriteTo + email;
  ui::current().message(messages::dialogs::kSupportTitle, text, ui::Icon::Exclamation);
}

}  // namespace belvora::session
