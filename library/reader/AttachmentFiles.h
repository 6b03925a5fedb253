#pragma once

// Files the readers write into the output folder: decoded Base64
// attachments and internet shortcuts for attachments that are only
// referenced by address. Names taken from a document are reduced to a safe
// base name first, so nothing is ever written outside the folder.

#include <optional>
#include <string>
#include <string_view>

namespace belvora::reader {

// The last path component of a name taken from a document ("/" and "\" both
// separate), without control characters, surrounding blanks and trailing
// dots, at most 255 bytes (cut at a character boundary, keeping a short
// extension). Empty when nothing usable remains ("", "..", "/").
std::string SafeBaseName(std::string_view name);

// Extension for an attachment's MIME code: ".pdf", ".png", ".jpg", ".jpeg",
// ".csv", ".xlsx", ".ods" from the known table; any other code stands for
// itself with every "/" replaced by "_" ("text/plain" -> "text_plain").
std::string MimeExtension(std::string_view mimeCode);

// Decodes standard Base64 (line breaks and blanks between the characters are
// allowed); nullopt for anything else.
std::optional<std::string> DecodeBase64(std::string_view base64);

// Decodes the text and writes the bytes to path, replacing an existing file
// (atomically: a failure leaves it as it was). False for invalid Base64 or a
// failed write; no message.
bool SaveBase64ToFile(std::string_view base64, const std::string& path);

// Writes folder/"Reference to <name>.url" ("[InternetShortcut]", "URL=<target>")
// and returns its path. name is reduced with SafeBaseName; line breaks and
// other control characters are dropped from the target so it cannot add
// lines to the file. Throws std::system_error when the file cannot be written.
std::string CreateUrlShortcut(const std::string& folder, std::string_view name,
                              std::string_view target);

}  // namespace belvora::reader
