#pragma once

#include <string>
#include <vector>

#include "platform/db/Connection.h"

namespace belvora::test {

// An in-memory result for tests of code that walks a Cursor.
class VectorCursor : public db::Cursor {
 public:
  VectorCursor(std::vector<std::string> columns, std::vector<std::vector<db::Value>> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}

  const std::vector<std::string>& columns() const override { return columns_; }
  bool next() override { return ++pos_ < rows_.size(); }
  const std::vector<db::Value>& row() const override { return rows_.at(pos_); }

 private:
  std::vector<std::string> columns_;
  std::vector<std::vector<db::Value>> rows_;
  size_t pos_ = static_cast<size_t>(-1);
};

}  // namespace belvora::test
