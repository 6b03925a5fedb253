#pragma once

#include <chrono>
#include <string>

namespace belvora::mail {

// Where the mail transport comes from: the [Mail] section of the settings
// file, each key overridden by its BELVORA_SMTP_* variable.
struct MailSettings {
  std::string server;  // host name or IP address of the SMTP server
  int port = 465;      // implicit TLS
  std::string user;
  std::string password;
  std::string sender;    // From and envelope sender
  std::string customer;  // identifies the installation in the subject
  std::string caFile;    // extra trusted CA certificates (PEM); empty: the system's
  std::chrono::seconds connectTimeout{60};
  std::chrono::seconds totalTimeout{300};  // so that a modal dialog cannot hang
};

// One plain-text message with at most one attached file.
struct MailMessage {
  std::string recipient;  // exactly one address
  std::string subject;
  std::string body;
  std::string attachmentPath;  // empty: no attachment
};

// Reads the settings file and the environment. Throws std::runtime_error
// when the file cannot be read, a value is malformed, or the file holds the
// password while others may read it.
MailSettings LoadMailSettings();

// Hands the message to the server over SMTP with implicit TLS and
// authentication; peer and host are always verified. Throws
// std::runtime_error with the reason; nothing is sent when a check fails.
void Send(const MailSettings& settings, const MailMessage& message);

// The support request: From = configured sender, To = recipient, Subject =
// "Support-Anfrage von: " + customer identification, body = message, the
// attachment when the path is not empty. On any failure it shows
// "Fehler beim Senden der Nachricht: " + reason (title "Note", critical
// icon) and returns false.
bool SendSupportMail(const std::string& message, const std::string& attachmentPath,
                     const std::string& recipient);

}  // namespace belvora::mail
