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

// Tests that every name exists and is not NULL on the current row.
// rows == nullptr: "Recordset does not exist or is empty";
// hasCurrentRow == false: "Recordset contains no data".
// problems receives the readable list, separated by ", ".
bool CheckRequiredFields(const db::Cursor* rows, bool hasCurrentRow, std::string& problems,
                         const std::vector<std::string>& names);

}  // namespace belvora::model
