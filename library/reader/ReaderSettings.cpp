#include "reader/ReaderSettings.h"

#include <cstdlib>
#include <stdexcept>

#include "messages/Messages.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsStore.h"

namespace belvora::reader {

namespace msg = ::belvora::messages;
namespace rtext = ::belvora::messages::reader;
namespace {

std::uint64_t megabytes(const std::string& text, const std::string& origin,
                        std::string_view language) {
  std::uint64_t mb = 0;
  bool valid = !text.empty() && text.size() <= 4;
  for (char c : text) {
    if (c < '0' || c > '9') valid = false;
    if (valid) mb = mb * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (!valid || mb < 1 || mb > kMaxSizeLimitMB)
    throw std::runtime_error(msg::Say(rtext::kBadLimit, language, {origin, text}));
  return mb << 20;
}

}  // namespace

std::uint64_t LoadMaxInvoiceSize(std::string_view language) {
  if (const char* v = std::getenv(kMaxSizeVariable); v != nullptr && *v != '\0') {
    return megabytes(v, kMaxSizeVariable, language);
  }
  const std::string path = settings::SettingsFilePath();
  const auto stored = settings::IniFile::load(path).get(kMaxSizeSection, kMaxSizeKey);
  if (stored && !stored->empty()) {
    return megabytes(*stored,
                     "[" + std::string(kMaxSizeSection) + "] " + kMaxSizeKey + " (" + path + ")",
                     language);
  }
  return kDefaultMaxInvoiceSize;
}

}  // namespace belvora::reader
