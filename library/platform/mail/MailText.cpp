#include "platform/mail/MailText.h"

#include <array>
#include <stdexcept>

#include "messages/Messages.h"

namespace belvora::mail {
namespace {

constexpr char kCrlf[] = "\r\n";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

bool isAtext(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) !=
         std::string_view::npos;
}

bool isLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool validLocalPart(std::string_view local) {
  if (local.empty() || local.size() > 64 || local.front() == '.' || local.back() == '.')
    return false;
  for (size_t i = 0; i < local.size(); ++i) {
    if (local[i] == '.') {
      if (local[i - 1] == '.') return false;
    } else if (!isAtext(static_cast<unsigned char>(local[i]))) {
      return false;
    }
  }
  return true;
}

bool validDomain(std::string_view domain) {
  if (domain.empty() || domain.size() > 253) return false;
  int labels = 0;
  size_t start = 0;
  while (start <= domain.size()) {
    size_t end = domain.find('.', start);
    if (end == std::string_view::npos) end = domain.size();
    std::string_view label = domain.substr(start, end - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
      return false;
    for (char c : label)
      if (!isLetterOrDigit(c) && c != '-') return false;
    ++labels;
    start = end + 1;
  }
  return labels >= 2;
}

bool isPrintableAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

bool holdsLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += kBase64[(v >> 6) & 63];
    out += kBase64[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = at(i) << 16 | (i + 1 < bytes.size() ? at(i + 1) << 8 : 0);
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string baseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string lowerExtension(const std::string& name) {
  auto dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

std::string contentType(const std::string& name) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kTypes = {{
      {"xml", "application/xml"},
      {"pdf", "application/pdf"},
      {"png", "image/png"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"txt", "text/plain"},
      {"csv", "text/csv"},
      {"zip", "application/zip"},
  }};
  const std::string ext = lowerExtension(name);
  for (const auto& [e, type] : kTypes)
    if (ext == e) return std::string(type);
  return "application/octet-stream";
}

std::string domainOf(const std::string& address) { return address.substr(address.find('@') + 1); }

}  // namespace

bool IsValidAddress(std::string_view address) {
  if (address.size() > 254) return false;
  auto at = address.find('@');
  if (at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos)
    return false;
  return validLocalPart(address.substr(0, at)) && validDomain(address.substr(at + 1));
}

std::string EncodeHeaderText(std::string_view text) {
  // "Subject: " plus the text fits one line of 78 characters.
  if (isPrintableAscii(text) && text.size() <= 69 && text.find("=?") == std::string_view::npos)
    return std::string(text);
  // 39 bytes give 52 base64 characters, an encoded word of 64.
  constexpr size_t kChunk = 39;
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.size(), start + kChunk);
    // Never split a UTF-8 sequence between two words.
    while (end < text.size() && end > start + 1 &&
           (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
      --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?";
    out += base64(text.substr(start, end - start));
    out += "?=";
    start = end;
  }
  return out;
}

std::string QuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  size_t lineLength = 0;
  auto put = [&](std::string_view token) {
    // A soft break keeps every encoded line within 76 characters.
    if (lineLength + token.size() > 75) {
      out += "=\r\n";
      lineLength = 0;
    }
    out += token;
    lineLength += token.size();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kCrlf;
      lineLength = 0;
      continue;
    }
    bool lineEnd = i + 1 == text.size() || text[i + 1] == '\r' || text[i + 1] == '\n';
    bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnd);
    // A leading dot could end the transfer on a careless relay.
    if (c == '.' && lineLength == 0) literal = false;
    if (literal) {
      char ch = static_cast<char>(c);
      put(std::string_view(&ch, 1));
    } else {
      const char token[3] = {'=', kHex[c >> 4], kHex[c & 0x0F]};
      put(std::string_view(token, 3));
    }
  }
  return out;
}

std::string Base64Lines(std::string_view bytes) {
  std::string encoded = base64(bytes);
  std::string out;
  out.reserve(encoded.size() + encoded.size() / 38 + 2);
  for (size_t i = 0; i < encoded.size(); i += 76) {
    out.append(encoded, i, 76);
    out += kCrlf;
  }
  return out;
}

std::string MailDate(std::time_t when) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t{};
  localtime_r(&when, &t);
  long offset = t.tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays[t.tm_wday], t.tm_mday, kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour,
                t.tm_min, t.tm_sec, sign, offset / 60, offset % 60);
  return buffer;
}

std::string FilenameParameters(const std::string& path) {
  std::string name;
  for (unsigned char c : baseName(path))
    if (c >= 0x20 && c != 0x7F) name += static_cast<char>(c);
  if (name.empty()) name = "attachment";
  if (isPrintableAscii(name)) {
    std::string out = "filename=\"";
    for (char c : name) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    return out + "\"";
  }
  std::string out = "filename*=UTF-8''";
  for (unsigned char c : name) {
    if (isLetterOrDigit(static_cast<char>(c)) ||
        std::string_view("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string ComposeMail(const ComposedMail& mail) {
  if (!IsValidAddress(mail.from))
    throw std::invalid_argument(messages::Fill(messages::mail::kSenderInvalid, {mail.from}));
  if (!IsValidAddress(mail.to))
    throw std::invalid_argument(messages::Fill(messages::mail::kRecipientInvalid, {mail.to}));
  if (holdsLineBreak(mail.subject)) throw std::invalid_argument(messages::mail::kSubjectLineBreak);

  std::string out;
  out.reserve(mail.body.size() + mail.attachmentBytes.size() * 4 / 3 + 1024);
  auto header = [&](std::string_view name, std::string_view value) {
    out.append(name).append(": ").append(value).append(kCrlf);
  };
  header("Date", MailDate(mail.date));
  header("From", mail.from);
  header("To", mail.to);
  header("Subject", EncodeHeaderText(mail.subject));
  header("Message-ID", "<" + mail.uniqueId + "@" + domainOf(mail.from) + ">");
  header("MIME-Version", "1.0");

  const std::string textHeaders =
      "Content-Type: text/plain; charset=UTF-8\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n";
  if (mail.attachmentName.empty()) {
    out += textHeaders;
    out += kCrlf;
    out += QuotedPrintable(mail.body);
    out += kCrlf;
    return out;
  }
  // "=_" never occurs in quoted-printable or base64 text.
  const std::string boundary = "=_belvora_" + mail.uniqueId;
  header("Content-Type", "multipart/mixed; boundary=\"" + boundary + "\"");
  out += kCrlf;
  out += "--" + boundary + kCrlf;
  out += textHeaders;
  out += kCrlf;
  out += QuotedPrintable(mail.body);
  out += kCrlf;
  out += "--" + boundary + kCrlf;
  header("Content-Type", contentType(baseName(mail.attachmentName)));
  header("Content-Transfer-Encoding", "base64");
  header("Content-Disposition", "attachment; " + FilenameParameters(mail.attachmentName));
  out += kCrlf;
  out += Base64Lines(mail.attachmentBytes);
  out += "--" + boundary + "--" + kCrlf;
  return out;
}

}  // namespace belvora::mail
