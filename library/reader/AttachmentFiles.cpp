#include "reader/AttachmentFiles.h"

#include <openssl/evp.h>

#include <array>
#include <utility>

#include "platform/sys/Ascii.h"

namespace belvora::reader {

namespace {

constexpr std::size_t kMaxNameBytes = 255;
// Longer endings are no extension worth keeping when a name is shortened.
constexpr std::size_t kMaxExtension = 16;

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kMimeExtensions{{
    {"application/pdf", ".pdf"},
    {"image/png", ".png"},
    {"image/jpg", ".jpg"},
    {"image/jpeg", ".jpeg"},
    {"text/csv", ".csv"},
    {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx"},
    {"application/vnd.oasis.opendocument.spreadsheet", ".ods"},
}};

bool isControl(unsigned char c) { return c < 32 || c == 127; }

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cuts text to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string cutUtf8(std::string text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && isContinuation(text[end])) --end;
  text.resize(end);
  return text;
}

}  // namespace

std::string SafeBaseName(std::string_view name) {
  const auto slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string base;
  base.reserve(name.size());
  for (char c : name) {
    if (!isControl(static_cast<unsigned char>(c))) base += c;
  }
  const auto first = base.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  base.erase(0, first);
  // Trailing dots and blanks: ".." and "." vanish, "x." becomes "x".
  while (!base.empty() && (base.back() == '.' || base.back() == ' ')) base.pop_back();
  return base.size() > kMaxNameBytes ? FitName(base, kMaxNameBytes) : base;
}

std::string MimeExtension(std::string_view mimeCode) {
  for (const auto& [mime, ext] : kMimeExtensions) {
    if (mime == mimeCode) return std::string(ext);
  }
  std::string ext(mimeCode);
  for (char& c : ext) {
    if (c == '/') c = '_';
  }
  return ext;
}

std::optional<std::string> DecodeBase64(std::string_view base64) {
  std::string compact;
  compact.reserve(base64.size());
  for (char c : base64) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '+' || c == '/';
    if (!alphabet && c != '=') return std::nullopt;
    compact += c;
  }
  if (compact.size() % 4 != 0) return std::nullopt;
  // Padding only at the very end, at most two characters.
  const auto pad = compact.find('=');
  std::size_t padding = 0;
  if (pad != std::string::npos) {
    padding = compact.size() - pad;
    if (padding > 2 || compact.find_first_not_of('=', pad) != std::string::npos) {
      return std::nullopt;
    }
  }
  std::string bytes(compact.size() / 4 * 3, '\0');
  if (compact.empty()) return bytes;
  const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                      reinterpret_cast<const unsigned char*>(compact.data()),
                                      static_cast<int>(compact.size()));
  if (written < 0 || static_cast<std::size_t>(written) != bytes.size()) return std::nullopt;
  bytes.resize(bytes.size() - padding);
  return bytes;
}

std::string FitName(std::string_view name, std::size_t maxBytes, int number) {
  const std::string suffix = number >= 2 ? "_" + std::to_string(number) : std::string();
  const auto dot = name.rfind('.');
  std::string_view ext;
  if (dot != std::string_view::npos && dot > 0 && name.size() - dot <= kMaxExtension &&
      name.size() - dot + suffix.size() < maxBytes) {
    ext = name.substr(dot);
  }
  const std::string_view stem = name.substr(0, name.size() - ext.size());
  const std::size_t room =
      maxBytes > ext.size() + suffix.size() ? maxBytes - ext.size() - suffix.size() : 0;
  return cutUtf8(std::string(stem), room) + suffix + std::string(ext);
}

bool IsWebAddress(std::string_view target) {
  const auto colon = target.find("://");
  if (colon == std::string_view::npos) return false;
  const std::string scheme = ascii::Lower(target.substr(0, colon));
  return scheme == "http" || scheme == "https";
}

std::string ShortcutName(std::string_view name) {
  return "Reference to " + SafeBaseName(name) + ".url";
}

std::string ShortcutText(std::string_view target) {
  std::string url;
  url.reserve(target.size());
  for (char c : target) {
    if (!isControl(static_cast<unsigned char>(c))) url += c;
  }
  return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

}  // namespace belvora::reader
