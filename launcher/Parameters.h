#pragma once

#include <map>
#include <string>
#include <string_view>

namespace start {

// Named parameters of the argument string, keyed by the lower-cased name.
using Parameters = std::map<std::string, std::string>;

// Fields are separated by "|"; a field "name=value" defines a parameter
// (name before the first "=", trimmed and lower-cased; value after it,
// trimmed of blanks, tabs and line breaks). Fields without "=" or with an empty name are ignored; a
// name given twice keeps the later value. False when no parameter was found.
bool ParseParameterString(std::string_view text, Parameters& params);

// The value of the (lower-cased) name, or the default when params is
// missing or holds no such name.
std::string GetParameter(const Parameters* params, std::string_view name,
                         const std::string& defaultValue = "");

// "TRUE", "1", "J", "JA" give true; "FALSE", "0", "N", "NEIN" false (trimmed,
// any letter case); any other text gives the default.
bool ParseFlag(std::string_view text, bool defaultValue);

std::string Upper(std::string_view text);

}  // namespace start
