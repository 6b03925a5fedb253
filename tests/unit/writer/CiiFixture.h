#pragma once

// Invoices built as models, the writer run over them, and the comparison
// with expected documents under tests/data/writer.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "model/Invoice.h"
#include "model/InvoiceTotals.h"
#include "platform/sys/Clock.h"
#include "writer/InvoiceWriter.h"

namespace belvora::test::cii {

using model::Decimal;

inline Decimal Dec(const char* text) { return *Decimal::parse(text); }

inline model::Date Day(int y, int m, int d) {
  model::Date date;
  date.year = y;
  date.month = m;
  date.day = d;
  return date;
}

inline model::Line Item(const char* id, const char* quantity, const char* unit, const char* price,
                        const char* net, const char* category, const char* rate,
                        const std::string& name) {
  model::Line l;
  l.id = id;
  l.sourceRow = static_cast<std::size_t>(std::atoi(id));
  l.quantity = Dec(quantity);
  l.unitCode = unit;
  l.netPrice = Dec(price);
  l.netAmount = Dec(net);
  l.vatCategory = category;
  if (rate) l.vatRate = Dec(rate);
  l.itemName = name;
  return l;
}

// A complete invoice with credit transfer, three lines at 19 % and 7 %.
inline model::Invoice Standard() {
  model::Invoice inv;
  inv.number = "252068";
  inv.issueDate = Day(2024, 3, 5);
  inv.typeCode = "380";
  inv.currency = "EUR";
  inv.dueDate = Day(2024, 4, 4);
  inv.buyerReference = "04011000-12345-34";
  inv.purchaseOrderReference = "PO-4711";
  inv.paymentTerms = "Zahlbar innerhalb von 30 Tagen ohne Abzug";
  inv.notes = {{"AAI", "Vielen Dank f\xC3\xBCr Ihren Auftrag."}};
  inv.businessProcess = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
  inv.specificationId = "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0";
  model::Party& s = inv.seller;
  s.name = "Muster GmbH";
  s.vatId = "DE123456789";
  s.electronicAddress = {"rechnung@muster.example", "EM"};
  s.address = {
      "Hauptstra\xC3\x9F"
      "e 1",
      "",
      "",
      "Berlin",
      "10115",
      "",
      "DE"};
  s.contact = {"Max Mustermann", "+49 30 123456", "max@muster.example"};
  model::Party& b = inv.buyer;
  b.name = "Kunde AG";
  b.vatId = "DE987654321";
  b.electronicAddress = {"einkauf@kunde.example", "EM"};
  b.address = {"Marktplatz 5", "", "", "M\xC3\xBCnchen", "80331", "", "DE"};
  b.contact = {"Erika Beispiel", "+49 89 654321", "erika@kunde.example"};
  inv.remittanceInformation = "252068";
  inv.paymentMeans = {{"58",
                       "Ueberweisung",
                       {{"DE02120300000000202051", "Muster GmbH", "BYLADEM1001"}},
                       "",
                       "",
                       ""}};
  inv.lines = {Item("1", "2", "H87", "100", "200", "S", "19", "Widget"),
               Item("2", "10", "XPP", "5", "50", "S", "7", "Buch"),
               Item("3", "1", "HUR", "50", "50", "S", "19", "Service")};
  for (model::Line& l : inv.lines) {
    l.itemDescription = l.itemName + " description";
    l.sellerItemId = "ART-" + l.itemName;
  }
  inv.totals.paidAmount = Dec("0");
  inv.totals.roundingAmount = Dec("0");
  return inv;
}

// ComputeTotals, then every writer section: what a creation run does.
inline std::string Write(model::Invoice inv) {
  model::ComputeTotals(inv);
  return writer::WriteCii(inv);
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Compares with an expected file under tests/data/writer; with
// BELVORA_UPDATE_EXPECTED=1 the file is rewritten instead (review the diff).
inline void ExpectDocument(const std::string& actual, const std::string& name) {
  std::string path = std::string(BELVORA_TEST_DATA_DIR) + "/writer/" + name;
  if (const char* update = std::getenv("BELVORA_UPDATE_EXPECTED"); update && *update == '1') {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::string expected = ReadText(path);
  ASSERT_FALSE(expected.empty()) << "missing expected file " << path;
  if (expected == actual) return;
  // Report the first differing line to keep the failure readable.
  std::istringstream e(expected), a(actual);
  std::string el, al;
  for (int lineNo = 1;; ++lineNo) {
    bool ge = static_cast<bool>(std::getline(e, el));
    bool ga = static_cast<bool>(std::getline(a, al));
    if (!ge && !ga) break;
    if (el != al || ge != ga) {
      ADD_FAILURE() << name << " differs at line " << lineNo << "\nexpected: " << el
                    << "\nactual:   " << al;
      return;
    }
  }
  ADD_FAILURE() << name << " differs (same lines, different bytes)";
}

// Pins today's date for the generator comment.
class PinnedToday {
 public:
  explicit PinnedToday(int y = 2024, unsigned m = 3, unsigned d = 15) {
    sys::setTodayForTesting(std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                                        std::chrono::day{d}});
  }
  ~PinnedToday() { sys::setTodayForTesting(std::nullopt); }
};

}  // namespace belvora::test::cii
