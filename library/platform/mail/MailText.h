#pragma once

#include <ctime>
#include <string>
#include <string_view>

// Building an RFC 5322 / MIME message as text (CRLF line ends), without any
// transport. Kept apart from the sender so that it can be checked on its own.
namespace belvora::mail {

// local@domain: a dot-atom local part and a host name of letter, digit and
// hyphen labels with at least one dot. No display name, no list.
bool IsValidAddress(std::string_view address);

// The subject header's value: unchanged when it is short printable ASCII,
// else RFC 2047 encoded words (UTF-8, base64) folded onto continuation lines.
std::string EncodeHeaderText(std::string_view text);

// Quoted-printable body (RFC 2045) with CRLF line ends; any line end of the
// input counts as one.
std::string QuotedPrintable(std::string_view text);
// Base64 in lines of 76 characters, each ending with CRLF.
std::string Base64Lines(std::string_view bytes);

// "Tue, 05 Mar 2024 14:07:09 +0100", independent of the locale.
std::string MailDate(std::time_t when);

// The attachment's name as the Content-Disposition parameters, from the base
// name of the path with control characters dropped; a non-ASCII name in
// the RFC 2231 form.
std::string FilenameParameters(const std::string& path);

struct ComposedMail {
  std::string from;
  std::string to;
  std::string subject;
  std::string body;
  std::string attachmentName;   // path of the file, for its name and type
  std::string attachmentBytes;  // empty attachmentName: no attachment
  std::time_t date = 0;
  std::string uniqueId;  // random text for the Message-ID and the boundary
};

// The whole message, headers and body. Throws std::invalid_argument when a
// header value holds a line break or an address is not valid.
std::string ComposeMail(const ComposedMail& mail);

}  // namespace belvora::mail
