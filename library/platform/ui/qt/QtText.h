#pragma once

// Conversions between the library's UTF-8 texts and Qt's strings.

#include <QString>
#include <string>
#include <string_view>

namespace belvora::ui::qt {

// UTF-8 to QString for display: bytes that are no UTF-8 become U+FFFD and
// CR LF line breaks become plain line breaks.
QString toQt(std::string_view utf8);
// A field's text back to UTF-8, as typed.
std::string fromQt(const QString& text);

// "XRechnung (*.xml)|*.xml|ZUGfERD|*.pdf|Alle Dateien (*.*)|*.*" becomes
// "XRechnung (*.xml);;ZUGfERD (*.pdf);;Alle Dateien (*)": each description
// gets its own patterns in brackets, "*.*" (every file) becomes "*". A lone
// pattern without description stays as it is.
QString qtFilter(std::string_view filter);

// A caption with the mnemonic marked before the first occurrence of `key`
// (case-insensitive); the caption itself when it lacks that letter.
QString withMnemonic(std::string_view caption, char key);

}  // namespace belvora::ui::qt
