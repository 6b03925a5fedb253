#pragma once

// Text, number and date rules shared by the writer and the readers. Nothing
// here depends on the process locale: numbers are always written with a
// decimal point, whatever LC_NUMERIC says.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/db/Value.h"
#include "platform/sys/Ascii.h"

namespace belvora::text {

// ---- Text ---------------------------------------------------------------

// Removes leading and trailing blanks (spaces only; tabs and line breaks stay).
using ascii::TrimBlanks;

// The 45 letters replaced by ASCII text when a value is cleaned, in the order
// they were added ("Ä" -> "Ae", "€" -> "EUR", ...). Keys are UTF-8 sequences
// compared exactly.
const std::vector<std::pair<std::string, std::string>>& TransliterationTable();

// Makes a text safe for XML element content and attributes: removes the
// control characters 0-31 except tab, LF and CR, transliterates the letters of
// TransliterationTable() and escapes & < > " ' (an "&amp;" already present
// is escaped again; callers clean a value exactly once).
std::string CleanXmlText(std::string_view text);

// For values written without cleaning: removes the same control characters
// and escapes the five XML specials, without transliteration.
std::string EscapeXmlText(std::string_view text);

// ---- Numbers --------------------------------------------------------------

// Rounds half away from zero to `decimals` places, taking the double as the
// decimal of 15 significant digits nearest to it (so 2.345 counts as exactly
// 2.345). decimals outside -28..28, NaN and infinities give the value unchanged.
double RoundAmount(double value, int decimals);

// The same, with halves going to the even neighbour (10.125 -> 10.12).
double RoundHalfEven(double value, int decimals);

// Amount text, the "0.00" pattern: 15 significant digits, then half away from
// zero to two decimals, decimal point, no grouping (1234.5 -> "1234.50",
// -2.345 -> "-2.35"). Also used for rates (19 -> "19.00").
std::string AmountText(double value);

// Amount text with thousands grouping ("#,##0.00"): 1234.5 -> "1,234.50";
// the separators are the caller's choice (a German view uses '.' and ',').
std::string GroupedAmountText(double value, char decimalSeparator = '.', char groupSeparator = ',');

// Plain number text: the shortest decimal with at most 15 significant digits,
// no trailing zeros, no exponent (12.5 -> "12.5", 10 -> "10", 0.1+0.2 -> "0.3").
std::string NumberText(double value);

// A number held in text, as Decimal::parse reads it (the one parser of number
// text: a decimal point, or a decimal comma when the text has a comma and no
// point; optional sign and exponent), surrounding blanks ignored, as a double.
// nullopt when the text is not a number or does not fit a Decimal.
std::optional<double> ParseNumber(std::string_view text);

// ---- Dates ----------------------------------------------------------------

// A date held in text: ISO "2024-03-05" (optionally followed by " " or "T" and
// a time and a zone, which is ignored) or "05.03.2024" (optionally followed by
// a time). nullopt otherwise, also for impossible dates such as 2024-02-30 and
// years outside 1..9999. The one date parser: database text goes through it too.
std::optional<db::Date> ParseDate(std::string_view text);

// "yyyymmdd" (CII date format 102). The zero date (year 0, what a session
// holds before a date was read) is the platform's day zero, 30.12.1899.
std::string DateText102(const db::Date& date);

// "dd.mm.yyyy".
std::string ShortDateText(const db::Date& date);
std::string ShortDateText(std::chrono::year_month_day date);

// Turns "2024-03-05" or "20240305" into "05.03.2024": a 10-character text
// loses its "-", then characters 7-8, 5-6 and 1-4 are joined with ".".
// Texts of other shapes are cut the same way without validation.
std::string FormatDisplayDate(std::string_view text);

// ---- Database values --------------------------------------------------------

// The text form of a value: integers in decimal, reals as NumberText, dates
// as "yyyy-mm-dd" (with " hh:mm:ss" when a time is set), blobs byte for byte,
// NULL as "".
std::string ValueToText(const db::Value& value);

// A database value as element text: the trimmed text of the value (cleaned
// with CleanXmlText when `clean` is set), or `fallback` when the value is
// NULL or blank. A pattern formats the result: "0.00" (AmountText),
// "#,##0.00" (grouped with ","), "0.00 " (trailing blank kept), "yyyymmdd"
// and "dd.MM.yyyy"; a text that does not convert to what the pattern needs
// is returned as it is. The fallback is never cleaned.
std::string FormatField(const db::Value& value, const db::Value& fallback,
                        std::string_view pattern = {}, bool clean = false);

// ---- Files ------------------------------------------------------------------

// Base64 of the bytes (standard alphabet, padded), one line without breaks.
std::string FileToBase64(std::string_view bytes);

}  // namespace belvora::text
