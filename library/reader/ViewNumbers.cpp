#include "reader/ViewNumbers.h"

#include <algorithm>

#include "messages/Messages.h"
#include "text/Texte.h"

namespace belvora::reader {

namespace {

bool german(std::string_view language) { return messages::IsGerman(language); }

std::string withDecimalComma(std::string text) {
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

}  // namespace

std::string FormatViewNumber(double value, std::string_view pattern, std::string_view language) {
  const bool de = german(language);
  if (pattern == "#,##0.00") {
    return de ? text::GroupedAmountText(value, ',', '.') : text::GroupedAmountText(value);
  }
  if (pattern == "0.00" || pattern == "0.00 ") {
    std::string text = text::AmountText(value);
    if (de) text = withDecimalComma(std::move(text));
    if (pattern.size() == 5) text += ' ';
    return text;
  }
  if (pattern == "0") {
    const double whole = text::RoundAmount(value, 0);
    return text::NumberText(whole == 0 ? 0.0 : whole);
  }
  std::string text = text::NumberText(value);
  return de ? withDecimalComma(std::move(text)) : text;
}

std::optional<double> ParseViewNumber(std::string_view text, std::string_view language) {
  const char decimal = german(language) ? ',' : '.';
  const char group = german(language) ? '.' : ',';
  std::string plain;
  plain.reserve(text.size());
  for (char c : text::TrimBlanks(text)) {
    if (c == group) continue;
    plain += c == decimal ? '.' : c;
  }
  if (plain.empty()) return std::nullopt;
  return text::ParseNumber(plain);
}

double DocumentNumber(const std::optional<std::string>& text) {
  if (!text) return 0;
  return text::ParseNumber(*text).value_or(0);
}

}  // namespace belvora::reader
