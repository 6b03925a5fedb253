#include "model/RequiredFields.h"

#include <algorithm>

#include "messages/Messages.h"
#include "platform/db/Connection.h"

namespace belvora::model {

const std::vector<std::string>& RequiredColumns() {
  static const std::vector<std::string> columns = {
      "BT1",   "BT2",   "BT3",  "BT9",   "BT20",  "BT21",  "BT27",  "BT31", "BT35",
      "BT37",  "BT38",  "BT40", "BT41",  "BT43",  "BT44",  "BT81",  "BT84", "BT118",
      "BT129", "BT130", "BT31", "BT126", "BT131", "BT146", "BT153", "BT155"};
  return columns;
}

const std::vector<std::string>& NullableRequiredColumns() {
  static const std::vector<std::string> columns = {"BT9",  "BT20", "BT21", "BT31", "BT35", "BT37",
                                                   "BT38", "BT41", "BT43", "BT81", "BT84", "BT155"};
  return columns;
}

bool CheckRequiredFields(const db::Cursor* rows, bool hasCurrentRow, std::string& problems,
                         const std::vector<std::string>& names,
                         const std::vector<std::string>& mayBeNull) {
  problems.clear();
  if (rows == nullptr) {
    problems = messages::creation::kRecordsetMissing;
    return false;
  }
  if (!hasCurrentRow) {
    problems = messages::creation::kRecordsetEmpty;
    return false;
  }
  bool ok = true;
  const auto& row = rows->row();
  for (const auto& name : names) {
    int index = rows->columnIndex(name);
    bool missing = index < 0 || static_cast<size_t>(index) >= row.size();
    if (!missing && (!row[static_cast<size_t>(index)].isNull() ||
                     std::find(mayBeNull.begin(), mayBeNull.end(), name) != mayBeNull.end()))
      continue;
    if (!problems.empty()) problems += ", ";
    problems += name;
    if (missing) problems += messages::creation::kColumnMissing;
    ok = false;
  }
  return ok;
}

}  // namespace belvora::model
