#pragma once

// Readable database values in GoogleTest failure messages (found by
// argument-dependent lookup): long texts cut, blobs by size.

#include <ostream>

#include "platform/db/Text.h"
#include "platform/db/Value.h"

namespace belvora::db {

inline void PrintTo(const Value& v, std::ostream* os) {
  switch (v.kind()) {
    case Value::Kind::Null:
      *os << "NULL";
      break;
    case Value::Kind::Integer:
      *os << "Integer(" << v.integer() << ")";
      break;
    case Value::Kind::Real:
      *os << "Real(" << v.real() << ")";
      break;
    case Value::Kind::Text:
      *os << "Text(\"" << v.text().substr(0, 80) << "\")";
      break;
    case Value::Kind::Date:
      *os << "Date(" << formatIsoDate(v.date()) << ")";
      break;
    case Value::Kind::Blob:
      *os << "Blob(" << v.blob().size() << " bytes)";
      break;
  }
}

}  // namespace belvora::db
