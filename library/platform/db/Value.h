#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace belvora::db {

// Calendar date (and optional time of day) as a database delivers it.
struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

using Blob = std::vector<unsigned char>;

// One column value. The kind is what the database delivered, so that the
// formatting rules see a number as a number and a date as a date.
class Value {
 public:
  enum class Kind { Null, Integer, Real, Text, Date, Blob };

  Value() = default;
  static Value null() { return Value(); }
  Value(std::int64_t v) : data_(v) {}
  Value(int v) : data_(static_cast<std::int64_t>(v)) {}
  Value(double v) : data_(v) {}
  Value(std::string v) : data_(std::move(v)) {}
  Value(const char* v) : data_(std::string(v)) {}
  Value(Date v) : data_(v) {}
  Value(Blob v) : data_(std::move(v)) {}

  Kind kind() const { return static_cast<Kind>(data_.index()); }
  bool isNull() const { return kind() == Kind::Null; }

  // Accessors for the kind held; calling the wrong one throws std::bad_variant_access.
  std::int64_t integer() const { return std::get<std::int64_t>(data_); }
  double real() const { return std::get<double>(data_); }
  const std::string& text() const { return std::get<std::string>(data_); }
  const Date& date() const { return std::get<Date>(data_); }
  const Blob& blob() const { return std::get<Blob>(data_); }

  friend bool operator==(const Value&, const Value&) = default;

 private:
  std::variant<std::monostate, std::int64_t, double, std::string, Date, Blob> data_;
};

}  // namespace belvora::db
