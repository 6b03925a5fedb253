#pragma once

// Private state of InvoiceWriter, shared by its section files.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/SourceValues.h"
#include "platform/db/Value.h"
#include "writer/InvoiceWriter.h"

namespace belvora::writer {

// One VAT group of the breakdown, keyed by the exact line rate.
struct TaxGroup {
  double rate = 0;
  std::int64_t basisCents = 0;
  std::size_t lineCount = 0;
  std::string category;  // the category all lines share, if any
  bool mixedCategories = false;
  std::string allowanceCategory;  // BT95 of an allowance that created the group
};

// One document allowance, keyed by the allowance rate text (BT96).
struct AllowanceEntry {
  std::int64_t amountCents = 0;
  std::string category;    // BT95 of the last row added
  std::string rate;        // BT96
  std::string reason;      // BT97
  std::string reasonCode;  // BT98
};

// What the tax step needs, gathered row by row while the lines are written,
// so the source is walked once.
class TaxCollector {
 public:
  // Column indexes of the cursor, looked up once.
  void bind(const std::vector<std::string>& columns, int bt131, int bt152, int bt92, int bt95,
            int bt96, int bt97, int bt98);
  // Adds one row; `category` is the line's VAT category as the line writer
  // converted it. After the first failure the rest of the rows are ignored,
  // as the step would have ended there.
  void add(const std::vector<db::Value>& row, const std::string& category);

  const std::optional<std::string>& failure() const { return failure_; }
  std::vector<TaxGroup>& groups() { return groups_; }
  std::vector<AllowanceEntry>& allowances() { return allowances_; }
  // The group of a rate, appended when there is none yet.
  TaxGroup& group(double rate);

 private:
  void addRow(const std::vector<db::Value>& row, const std::string& category);

  const std::vector<std::string>* columns_ = nullptr;
  int bt131_ = -1, bt152_ = -1, bt92_ = -1, bt95_ = -1, bt96_ = -1, bt97_ = -1, bt98_ = -1;
  std::vector<TaxGroup> groups_;
  std::unordered_map<double, size_t> groupIndex_;
  std::vector<AllowanceEntry> allowances_;
  std::unordered_map<std::string, size_t> allowanceIndex_;
  std::optional<std::string> failure_;
};

struct InvoiceWriter::State {
  State(const model::SourceValues& v, db::Cursor* c, std::string a)
      : values(v), lines(c), attachments(std::move(a)) {}

  const model::SourceValues& values;
  db::Cursor* lines;
  std::string attachments;
  std::string text;

  bool linesWalked = false;
  TaxCollector tax;
  std::int64_t taxBasisTotalCents = 0;
  std::int64_t taxTotalCents = 0;
  std::int64_t allowanceTotalCents = 0;

  // Appends tabs, the text and CR LF.
  void line(int tabs, std::string_view s);
  // Appends tabs, open tag, value, close tag and CR LF: element "ram:ID"
  // gives <ram:ID>value</ram:ID>; attributes go into `open` after a blank.
  void element(int tabs, std::string_view name, std::string_view value,
               std::string_view attributes = {});

  // Walks the rows for the tax step only (when the lines were not written).
  void collectTaxOnly();
};

// Amount in cents of a value already rounded to two decimals.
std::int64_t ToCents(double amount);
std::string CentsText(std::int64_t cents);

// The held (already cleaned or escaped) text, or a default when empty.
inline const std::string& Or(const std::string& value, const std::string& fallback) {
  return value.empty() ? fallback : value;
}

}  // namespace belvora::writer
