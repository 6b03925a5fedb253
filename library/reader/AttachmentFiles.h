#pragma once

// Names and contents of the files the readers write into the output
// folder: decoded Base64 attachments and internet shortcuts for attachments
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

// The name shortened to at most maxBytes bytes, with "_<number>" before its
// extension when number is 2 or more. The extension (the part from the
// last dot, up to 16 bytes) and whole UTF-8 characters are kept.
std::string FitName(std::string_view name, std::size_t maxBytes, int number = 1);

// True for an http or https address (scheme in any letter case).
bool IsWebAddress(std::string_view target);

// "Reference to <name>.url", name reduced with SafeBaseName.
std::string ShortcutName(std::string_view name);

// The content of an internet shortcut: "[InternetShortcut]", "URL=<target>"
// with CR LF; control characters are dropped from the target so that it
// cannot add lines to the file.
std::string ShortcutText(std::string_view target);

}  // namespace belvora::reader
