#include "platform/mail/SupportMail.h"

#include <exception>

#include "platform/ui/Interaction.h"

namespace belvora::mail {
namespace {

constexpr const char* kSubjectPrefix = "Support-Anfrage von: ";
constexpr const char* kTitleNote = "Note";
constexpr const char* kSendFailed = "Fehler beim Senden der Nachricht: ";

}  // namespace

bool SendSupportMail(const std::string& message, const std::string& attachmentPath,
                     const std::string& recipient) {
  std::string reason;
  try {
    MailSettings settings = LoadMailSettings();
    if (settings.customer.find_first_not_of(" \t") == std::string::npos)
      throw std::runtime_error(
          "no customer identification is configured (customer= in [Mail] of the settings "
          "file, or BELVORA_SMTP_CUSTOMER)");
    Send(settings,
         MailMessage{recipient, kSubjectPrefix + settings.customer, message, attachmentPath});
    return true;
  } catch (const std::exception& e) {
    reason = e.what();
  } catch (...) {
    reason = "unknown error";
  }
  try {
    ui::current().message(kTitleNote, kSendFailed + reason, ui::Icon::Critical);
  } catch (...) {
  }
  return false;
}

}  // namespace belvora::mail
