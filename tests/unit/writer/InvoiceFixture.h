#pragma once

// Builds invoice sources in memory and runs the writer over them the way a
// creation run does.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/VectorCursor.h"
#include "model/SourceValues.h"
#include "platform/db/Value.h"
#include "platform/sys/Clock.h"
#include "writer/InvoiceWriter.h"
#include "writer/SourceRow.h"

namespace belvora::test {

using Row = std::map<std::string, db::Value>;

inline db::Date D(int y, int m, int d) {
  db::Date date;
  date.year = y;
  date.month = m;
  date.day = d;
  return date;
}

// Every document-level column of the catalogue with a complete, valid invoice.
inline Row FullHeader() {
  return {
      {"BT1", "252068"},
      {"BT2", D(2024, 3, 5)},
      {"BT3", "380"},
      {"BT9", D(2024, 4, 4)},
      {"BT10", "04011000-12345-34"},
      {"BT11", db::Value()},
      {"BT12", db::Value()},
      {"BT13", "PO-4711"},
      {"BT20", "Zahlbar innerhalb von 30 Tagen ohne Abzug"},
      {"BT21", "AAI"},
      {"BT22", "Vielen Dank f\xC3\xBCr Ihren Auftrag."},
      {"BT23", "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0"},
      {"BT24", "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0"},
      {"BT25", db::Value()},
      {"BT27", "Muster GmbH"},
      {"BT31", "DE123456789"},
      {"BT34", "rechnung@muster.example"},
      {"BT35",
       "Hauptstra\xC3\x9F"
       "e 1"},
      {"BT37", "Berlin"},
      {"BT38", "10115"},
      {"BT40", "DE"},
      {"BT41", "Max Mustermann"},
      {"BT42", "+49 30 123456"},
      {"BT43", "max@muster.example"},
      {"BT44", "Kunde AG"},
      {"BT48", "DE987654321"},
      {"BT49", "einkauf@kunde.example"},
      {"BT50", "Marktplatz 5"},
      {"BT52", "M\xC3\xBCnchen"},
      {"BT53", "80331"},
      {"BT55", "DE"},
      {"BT56", "Erika Beispiel"},
      {"BT57", "+49 89 654321"},
      {"BT58", "erika@kunde.example"},
      {"BT72", db::Value()},
      {"BT73", db::Value()},
      {"BT74", db::Value()},
      {"BT81", "58"},
      {"BT82", "Ueberweisung"},
      {"BT83", "252068"},
      {"BT84", "DE02120300000000202051"},
      {"BT85", "Muster GmbH"},
      {"BT86", "BYLADEM1001"},
      {"BT87", db::Value()},
      {"BT88", db::Value()},
      {"BT89", db::Value()},
      {"BT90", db::Value()},
      {"BT91", db::Value()},
      {"BT92", db::Value()},
      {"BT93", db::Value()},
      {"BT94", db::Value()},
      {"BT95", db::Value()},
      {"BT96", db::Value()},
      {"BT97", db::Value()},
      {"BT98", db::Value()},
      {"BT99", db::Value()},
      {"BT100", db::Value()},
      {"BT101", db::Value()},
      {"BT102", db::Value()},
      {"BT109", 300.0},
      {"BT110", 47.6},
      {"BT112", 347.6},
      {"BT113", 0.0},
      {"BT114", 0.0},
      {"BT115", 347.6},
      {"BT116", 300.0},
      {"BT118", "S"},
  };
}

// One invoice line.
inline Row Line(double quantity, double price, double net, double rate, std::string name,
                std::string unit = "H87") {
  return {{"BT126", "1"},           {"BT129", quantity},
          {"BT130", unit},          {"BT131", net},
          {"BT146", price},         {"BT152", rate},
          {"BT153", name},          {"BT154", name + " description"},
          {"BT155", "ART-" + name}, {"BT118", "S"}};
}

// A source: header columns repeated on every row, line columns per row.
struct Invoice {
  Row header = FullHeader();
  std::vector<Row> lines;
  std::set<std::string> dropped;  // columns the source does not have

  VectorCursor cursor() const {
    std::vector<std::string> columns;
    std::set<std::string> seen;
    auto addColumns = [&](const Row& r) {
      for (const auto& [name, value] : r)
        if (!dropped.count(name) && seen.insert(name).second) columns.push_back(name);
    };
    addColumns(header);
    for (const Row& l : lines) addColumns(l);
    std::vector<std::vector<db::Value>> rows;
    for (const Row& l : lines) {
      std::vector<db::Value> row;
      for (const auto& name : columns) {
        auto it = l.find(name);
        if (it != l.end()) {
          row.push_back(it->second);
        } else {
          auto h = header.find(name);
          row.push_back(h != header.end() ? h->second : db::Value());
        }
      }
      rows.push_back(std::move(row));
    }
    return VectorCursor(columns, rows);
  }
};

// Shared with the validation test: the documents that must pass EN 16931.
inline Invoice ThreeLines() {
  Invoice inv;
  inv.lines = {Line(2, 100, 200, 19, "Widget"), Line(10, 5, 50, 7, "Buch", "XPP"),
               Line(1, 50, 50, 19, "Service", "HUR")};
  return inv;
}

inline Invoice DirectDebitWithAllowanceAndPeriod() {
  Invoice inv = ThreeLines();
  inv.header["BT1"] = "RE/2024/7";
  inv.header["BT11"] = "P-17";
  inv.header["BT12"] = "V-2024-1";
  inv.header["BT22"] = "Abrechnung Februar\r\nLieferung frei Haus";
  inv.header["BT25"] = "RE-2023-17";
  inv.header["BT73"] = "01.02.2024";
  inv.header["BT74"] = "2024-02-29";
  inv.header["BT81"] = "59";
  inv.header["BT82"] = "SEPA-Lastschrift";
  inv.header["BT89"] = "MANDAT-2024-1";
  inv.header["BT90"] = "DE98ZZZ09999999999";
  inv.header["BT91"] = "DE75512108001245126199";
  inv.header["BT113"] = 100.0;
  inv.lines[0]["BT92"] = 12.5;
  inv.lines[0]["BT95"] = "S";
  inv.lines[0]["BT96"] = "19";
  inv.lines[0]["BT97"] = "Treuerabatt";
  inv.lines[0]["BT98"] = "95";
  return inv;
}

// Two small real files in a private folder, removed again at the end.
class AttachmentFiles {
 public:
  AttachmentFiles() {
    dir_ =
        std::filesystem::temp_directory_path() / ("belvora-writer-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "Lieferschein & Co.pdf", std::ios::binary)
        << "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n";
    std::ofstream(dir_ / "Stunden.csv", std::ios::binary) << "Datum;Stunden\n01.02.2024;8\n";
  }
  ~AttachmentFiles() { std::filesystem::remove_all(dir_); }
  std::string list() const {
    return (dir_ / "Lieferschein & Co.pdf").string() + ";" + (dir_ / "fehlt.pdf").string() + ";" +
           (dir_ / "Stunden.csv").string();
  }

 private:
  std::filesystem::path dir_;
};

// The creation run's writer steps, in order, on a source positioned on its first row.
inline std::string WriteDocument(db::Cursor& rows, const std::string& attachments = {}) {
  if (!rows.next()) return {};
  model::SourceValues values;
  std::string parameter;
  writer::ReadSourceRow(rows, values, parameter);
  writer::InvoiceWriter w(values, &rows, attachments);
  w.writeHeader();
  w.writeLineItems();
  w.writeTradeParty(true);
  w.writeTradeParty(false);
  w.writeSettlement();
  w.writeTaxBreakdown();
  w.writeBillingPeriod();
  w.writeAllowances();
  w.writePaymentTerms();
  w.writeSummation();
  return w.text();
}

inline std::string WriteDocument(const Invoice& invoice, const std::string& attachments = {}) {
  VectorCursor c = invoice.cursor();
  return WriteDocument(c, attachments);
}

// The text each writer step appended, by step name: header, lines, seller,
// buyer, settlement, tax, period, allowances, terms, summation.
struct Steps {
  std::map<std::string, std::string> part;
  std::string text;
  const std::string& operator[](const std::string& step) const { return part.at(step); }
};

inline Steps RunSteps(db::Cursor& rows, const std::string& attachments = {}) {
  Steps steps;
  model::SourceValues values;
  std::string parameter;
  bool hasRow = rows.next();
  if (hasRow) writer::ReadSourceRow(rows, values, parameter);
  writer::InvoiceWriter w(values, hasRow ? &rows : nullptr, attachments);
  size_t mark = 0;
  auto step = [&](const char* name, auto&& call) {
    call();
    steps.part[name] = w.text().substr(mark);
    mark = w.text().size();
  };
  step("header", [&] { w.writeHeader(); });
  step("lines", [&] { w.writeLineItems(); });
  step("seller", [&] { w.writeTradeParty(true); });
  step("buyer", [&] { w.writeTradeParty(false); });
  step("settlement", [&] { w.writeSettlement(); });
  step("tax", [&] { w.writeTaxBreakdown(); });
  step("period", [&] { w.writeBillingPeriod(); });
  step("allowances", [&] { w.writeAllowances(); });
  step("terms", [&] { w.writePaymentTerms(); });
  step("summation", [&] { w.writeSummation(); });
  steps.text = w.text();
  return steps;
}

inline Steps RunSteps(const Invoice& invoice, const std::string& attachments = {}) {
  VectorCursor c = invoice.cursor();
  return RunSteps(c, attachments);
}

// Expected lines as (tabs, text) pairs, each ending with CR LF.
inline std::string Lines(std::initializer_list<std::pair<int, std::string>> lines) {
  std::string out;
  for (const auto& [tabs, text] : lines) {
    out.append(static_cast<size_t>(tabs), '\t');
    out += text;
    out += "\r\n";
  }
  return out;
}

// The text between the first `from` and the end of the first `to` after it.
inline std::string Between(const std::string& text, const std::string& from,
                           const std::string& to) {
  size_t a = text.find(from);
  if (a == std::string::npos) return "<" + from + " not found>";
  size_t b = text.find(to, a);
  if (b == std::string::npos) return "<" + to + " not found>";
  return text.substr(a, b + to.size() - a);
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
  int lineNo = 1;
  while (true) {
    bool ge = static_cast<bool>(std::getline(e, el));
    bool ga = static_cast<bool>(std::getline(a, al));
    if (!ge && !ga) break;
    if (el != al || ge != ga) {
      ADD_FAILURE() << name << " differs at line " << lineNo << "\nexpected: " << el
                    << "\nactual:   " << al;
      return;
    }
    ++lineNo;
  }
  ADD_FAILURE() << name << " differs (same lines, different bytes)";
}

// Pins today's date for the generator comment and default period ends.
class PinnedToday {
 public:
  explicit PinnedToday(int y = 2024, unsigned m = 3, unsigned d = 15) {
    sys::setTodayForTesting(std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                                        std::chrono::day{d}});
  }
  ~PinnedToday() { sys::setTodayForTesting(std::nullopt); }
};

}  // namespace belvora::test
