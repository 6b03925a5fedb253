#include <strings.h>

#include "platform/db/Connection.h"

namespace belvora::db {

int Cursor::columnIndex(std::string_view name) const {
  const auto& cols = columns();
  for (size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].size() == name.size() &&
        ::strncasecmp(cols[i].data(), name.data(), name.size()) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace belvora::db
