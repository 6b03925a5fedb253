#pragma once

// Numbers as the view shows them. The separators follow the language, not
// the process locale: "DE" shows 1.234,50, every other language 1,234.50.

#include <optional>
#include <string>
#include <string_view>

namespace belvora::reader {

// Formats with one of the view's patterns: "#,##0.00" (grouped), "0.00 "
// (plain, trailing blank kept), "0.00" (plain), "0" (whole number, halves
// away from zero) or "" (shortest form, no trailing zeros).
std::string FormatViewNumber(double value, std::string_view pattern, std::string_view language);

// Reads back a number the view shows, with the separators of the language it
// was written in ("1.234,50" for "DE", "1,234.50" otherwise); surrounding
// blanks are ignored. nullopt when the text is no such number.
std::optional<double> ParseViewNumber(std::string_view text, std::string_view language);

// A number as the document writes it (decimal point). A missing, blank or
// unreadable text counts as 0.
double DocumentNumber(const std::optional<std::string>& text);

}  // namespace belvora::reader
