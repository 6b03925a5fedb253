#include "platform/mail/SupportMail.h"

#include <exception>

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"

namespace belvora::mail {
namespace msg = ::belvora::messages;

bool SendSupportMail(const std::string& message, const std::string& attachmentPath,
                     const std::string& recipient) {
  std::string reason;
  try {
    MailSettings settings = LoadMailSettings();
    if (settings.customer.find_first_not_of(" \t") == std::string::npos)
      throw std::runtime_error(msg::mail::kNoCustomer);
    Send(settings, MailMessage{recipient, msg::mail::kSubjectPrefix + settings.customer, message,
                               attachmentPath});
    return true;
  } catch (const std::exception& e) {
    reason = e.what();
  } catch (...) {
    reason = msg::kUnknownError;
  }
  try {
    ui::current().message(msg::kTitleNote, msg::mail::kSendFailed + reason, ui::Icon::Critical);
  } catch (...) {
  }
  return false;
}

}  // namespace belvora::mail
