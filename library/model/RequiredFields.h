#pragma once

#include <string>
#include <vector>

namespace belvora::db {
class Cursor;
}

namespace belvora::model {

// The columns without which no valid invoice can be produced, in the order
// the problems are reported (BT31 stands in it twice).
const std::vector<std::string>& RequiredColumns();

// The required columns that may be NULL because EN 16931 allows the term to
// be absent: they must exist, and the rules on the invoice decide whether
// the invoice needs them (BT9 or BT20, BR-DE-*, ...).
const std::vector<std::string>& NullableRequiredColumns();

// Tests that every name exists and is not NULL on the current row (a name
// in mayBeNull only has to exist).
// rows == nullptr: "Recordset does not exist or is empty";
// hasCurrentRow == false: "Recordset contains no data".
// problems receives the readable list, separated by ", ".
bool CheckRequiredFields(const db::Cursor* rows, bool hasCurrentRow, std::string& problems,
                         const std::vector<std::string>& names,
                         const std::vector<std::string>& mayBeNull = {});

}  // namespace belvora::model
