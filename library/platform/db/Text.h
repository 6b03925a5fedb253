#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/db/Value.h"

// Small text helpers shared by the SQLite and ODBC back ends.
namespace belvora::db {

// "yyyy-mm-dd", optionally followed by ' ' or 'T' and "hh:mm[:ss[.fff]]" and a
// zone suffix (which is ignored). Only real calendar dates are accepted.
std::optional<Date> parseIsoDate(std::string_view text);
// "yyyy-mm-dd" when the time of day is midnight, else "yyyy-mm-dd hh:mm:ss".
std::string formatIsoDate(const Date& d);

// Numbers as databases print them, independent of the process locale.
std::optional<double> parseReal(std::string_view text);
std::optional<std::int64_t> parseInteger(std::string_view text);

// UTF-8 <-> UTF-16 for the wide-character data of ODBC. Malformed input
// becomes U+FFFD instead of being passed on.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// A caller-given table name split into its optional schema and the table;
// throws Error "invalid table name: ..." unless both parts are plain
// identifiers (ASCII letters, digits and '_').
struct TableName {
  std::string schema;
  std::string table;
};
TableName splitTableName(const std::string& name);

}  // namespace belvora::db
