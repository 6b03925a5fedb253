#pragma once

// Builds invoice sources in memory: rows of the described columns.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/db/Value.h"
#include "support/VectorCursor.h"

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

}  // namespace belvora::test
