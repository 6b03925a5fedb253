#pragma once

// The expected documents under tests/data/writer are also the writer's
// input: read into the model, written again, they must come out byte for
// byte. Variants start from one of them.

#include <gtest/gtest.h>

#include <chrono>

#include "model/InvoiceTotals.h"
#include "platform/sys/Clock.h"
#include "reader/CiiInvoiceModel.h"
#include "support/TempDir.h"
#include "writer/InvoiceWriter.h"

namespace belvora::test::cii {

using model::Decimal;
using model::Invoice;

inline Decimal Dec(const char* text) { return *Decimal::parse(text); }
inline model::Date Day(int y, int m, int d) { return model::Date{y, m, d}; }
inline std::string Golden(const std::string& name) {
  return std::string(BELVORA_TEST_DATA_DIR) + "/writer/" + name;
}

// The invoice of an expected document.
inline Invoice Read(const std::string& name) {
  reader::CiiModel m;
  std::string message;
  EXPECT_TRUE(reader::ReadCiiModelFile(Golden(name), m, message)) << name << ": " << message;
  return m.invoice;
}
// Credit transfer, three lines at 19 % and 7 %.
inline Invoice Standard() { return Read("full_58.xml"); }

// ComputeTotals, then every writer section.
inline std::string Write(Invoice inv) {
  model::ComputeTotals(inv);
  return writer::WriteCii(inv);
}

// Pins today's date for the generator comment.
struct PinnedToday {
  explicit PinnedToday(int y = 2024, unsigned m = 3, unsigned d = 15) {
    sys::setTodayForTesting(std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                                        std::chrono::day{d}});
  }
  ~PinnedToday() { sys::setTodayForTesting(std::nullopt); }
};

}  // namespace belvora::test::cii
