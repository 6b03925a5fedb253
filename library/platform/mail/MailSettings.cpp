// [Mail] of the settings file and the BELVORA_SMTP_* variables.
#include <sys/stat.h>

#include <cstdlib>
#include <stdexcept>

#include "messages/Messages.h"
#include "platform/mail/SupportMail.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsStore.h"

namespace belvora::mail {
namespace {

constexpr const char* kSection = "Mail";

struct Key {
  const char* ini;
  const char* env;
  std::string MailSettings::*field;
};
constexpr Key kKeys[] = {
    {"server", "BELVORA_SMTP_SERVER", &MailSettings::server},
    {"user", "BELVORA_SMTP_USER", &MailSettings::user},
    {"password", "BELVORA_SMTP_PASSWORD", &MailSettings::password},
    {"sender", "BELVORA_SMTP_SENDER", &MailSettings::sender},
    {"customer", "BELVORA_SMTP_CUSTOMER", &MailSettings::customer},
    {"cafile", "BELVORA_SMTP_CAFILE", &MailSettings::caFile},
};
constexpr const char* kPortKey = "port";
constexpr const char* kPortEnv = "BELVORA_SMTP_PORT";

const char* environment(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

int parsePort(const std::string& text, const std::string& origin) {
  int port = 0;
  bool digits = !text.empty() && text.size() <= 5;
  for (char c : text) {
    if (c < '0' || c > '9') digits = false;
    if (digits) port = port * 10 + (c - '0');
  }
  if (!digits || port < 1 || port > 65535)
    throw std::runtime_error(messages::Fill(messages::mail::kPortNotNumber, {text, origin}));
  return port;
}

// A password in a file that others may read is refused, as ssh does with keys.
void checkPrivate(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  if ((st.st_mode & 077) != 0)
    throw std::runtime_error(messages::Fill(messages::mail::kPasswordReadable, {path, path}));
}

}  // namespace

MailSettings LoadMailSettings() {
  const std::string path = settings::SettingsFilePath();
  settings::IniFile ini = settings::IniFile::load(path);
  MailSettings s;
  for (const Key& key : kKeys) {
    if (auto v = ini.get(kSection, key.ini)) s.*key.field = *v;
    if (const char* v = environment(key.env)) s.*key.field = v;
  }
  if (ini.get(kSection, "password").value_or("").size() > 0) checkPrivate(path);
  if (const char* v = environment(kPortEnv))
    s.port = parsePort(v, kPortEnv);
  else if (auto v = ini.get(kSection, kPortKey); v && !v->empty())
    s.port = parsePort(*v, messages::Fill(messages::mail::kPortInFile, {path}));
  return s;
}

}  // namespace belvora::mail
