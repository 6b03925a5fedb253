// Writer micro benchmark: an invoice model of n lines, its totals computed
// (model::ComputeTotals) and its CII text written (writer::WriteCii), each
// timed on its own. No database, no file: what the creation run spends in
// the writer. The time per line should stay flat as n grows.
//
//   bench_writer [--sizes 1000,10000,100000] [--repeat 5]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "model/InvoiceTotals.h"
#include "writer/InvoiceWriter.h"

namespace {

using belvora::model::Decimal;
namespace model = belvora::model;

Decimal Cents(std::int64_t cents) { return Decimal::fromUnits(cents, 2); }

// Line texts of the kind invoices have: umlauts, an ampersand to escape.
model::Invoice BuildInvoice(long lines) {
  model::Invoice inv;
  inv.number = "252068";
  inv.issueDate = belvora::db::Date{2025, 3, 14};
  inv.typeCode = "380";
  inv.currency = "EUR";
  inv.buyerReference = "09876000-2024A-81";
  inv.businessProcess = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
  inv.seller.name = "Hansen & Kr\xC3\xBCger Geb\xC3\xA4udetechnik GmbH";
  inv.seller.vatId = "DE273415820";
  inv.seller.electronicAddress = {"rechnung@hansen-krueger.example", "EM"};
  inv.seller.address = {
      "Hafenstra\xC3\x9F"
      "e 12",
      "",
      "",
      "Bremen",
      "28217",
      "",
      "DE"};
  inv.seller.contact = {"Jana Petersen", "+49 421 98765-30", "j.petersen@hansen-krueger.example"};
  inv.buyer.name = "Stadt Musterstadt";
  inv.buyer.electronicAddress = {"e-rechnung@musterstadt.example", "EM"};
  inv.buyer.address = {"Rathausplatz 1", "", "", "Musterstadt", "35390", "", "DE"};
  inv.paymentMeans = {{"58",
                       "\xC3\x9C"
                       "berweisung",
                       {{"DE21290501010001234567", "", ""}},
                       "",
                       "",
                       ""}};
  inv.dueDate = belvora::db::Date{2025, 3, 28};
  inv.lines.reserve(static_cast<size_t>(lines));
  for (long i = 1; i <= lines; ++i) {
    model::Line& l = inv.lines.emplace_back();
    l.sourceRow = static_cast<size_t>(i);
    l.id = std::to_string(i);
    const std::int64_t quantity = i % 9 + 1, price = 100 + (i % 997) * 37;
    l.quantity = Decimal::fromInt(quantity);
    l.unitCode = i % 3 == 0 ? "H87" : (i % 3 == 1 ? "HUR" : "C62");
    l.netPrice = Cents(price);
    l.netAmount = Cents(quantity * price);
    l.vatCategory = "S";
    l.vatRate = Decimal::fromInt(i % 4 == 0 ? 7 : 19);
    l.itemName = "Artikel " + std::to_string(i);
    l.itemDescription = "Beschreibung der Position " + std::to_string(i) +
                        " mit Ma\xC3\x9F"
                        "angabe & Zubeh\xC3\xB6r";
    l.sellerItemId = "ART-" + std::to_string(1000000 + i);
    if (i % 10 == 0)
      l.allowancesCharges.push_back({false, Cents(100), {}, {}, "", {}, "Mengenrabatt", "95"});
  }
  return inv;
}

template <typename F>
double Millis(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Best and median: the best shows the code, the median the machine.
std::pair<double, double> BestAndMedian(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v.front(), v[v.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes = {1000, 10000, 100000};
  int repeat = 5;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--sizes") && i + 1 < argc) {
      sizes.clear();
      std::stringstream list(argv[++i]);
      for (std::string item; std::getline(list, item, ',');)
        sizes.push_back(std::atol(item.c_str()));
    } else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: %s [--sizes 1000,10000,100000] [--repeat 5]\n", argv[0]);
      return 2;
    }
  }
  std::printf("%9s %19s %19s %12s %10s %10s\n", "lines", "totals ms best/med", "write ms best/med",
              "bytes", "MB/s best", "us/line");
  for (long n : sizes) {
    if (n <= 0) continue;
    std::vector<double> totals, writes;
    size_t bytes = 0;
    for (int r = 0; r < repeat; ++r) {
      model::Invoice inv = BuildInvoice(n);
      totals.push_back(Millis([&] { model::ComputeTotals(inv); }));
      std::string text;
      writes.push_back(Millis([&] { text = belvora::writer::WriteCii(inv); }));
      bytes = text.size();
    }
    const auto [t, tm] = BestAndMedian(totals);
    const auto [w, wm] = BestAndMedian(writes);
    std::printf("%9ld %9.2f /%8.2f %9.2f /%8.2f %12zu %10.1f %10.3f\n", n, t, tm, w, wm, bytes,
                static_cast<double>(bytes) / 1e6 / (w / 1e3),
                (t + w) * 1e3 / static_cast<double>(n));
  }
  return 0;
}
