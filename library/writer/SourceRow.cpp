#include "writer/SourceRow.h"

#include <stdexcept>
#include <variant>
#include <vector>

#include "platform/db/Connection.h"
#include "platform/ui/Interaction.h"
#include "text/Texte.h"

namespace belvora::writer {

using namespace text;

namespace {

using model::SourceValues;

struct TextColumn {
  std::string SourceValues::*member;
  bool clean;
  const char* fallback;
};
struct DateColumn {
  db::Date SourceValues::*member;
};
struct NumberColumn {
  double SourceValues::*member;
};
struct BuyerReferenceColumn {
  std::string SourceValues::*member;
};

struct Column {
  const char* name;
  std::variant<TextColumn, DateColumn, NumberColumn, BuyerReferenceColumn> kind;
};

#define BELVORA_TEXT(n, clean)                     \
  {                                                \
#n, TextColumn { &SourceValues::n, clean, "" } \
  }

// The catalogue, in the order the columns are read.
const std::vector<Column>& Catalogue() {
  static const std::vector<Column> columns = {
      BELVORA_TEXT(BT1, false),
      {"BT2", DateColumn{&SourceValues::BT2}},
      BELVORA_TEXT(BT3, false),
      {"BT9", DateColumn{&SourceValues::BT9}},
      {"BT10", BuyerReferenceColumn{&SourceValues::BT10}},
      BELVORA_TEXT(BT11, false),
      BELVORA_TEXT(BT12, true),
      BELVORA_TEXT(BT13, true),
      BELVORA_TEXT(BT20, false),
      BELVORA_TEXT(BT21, true),
      BELVORA_TEXT(BT22, true),
      BELVORA_TEXT(BT23, true),
      BELVORA_TEXT(BT24, true),
      BELVORA_TEXT(BT25, true),
      BELVORA_TEXT(BT27, true),
      BELVORA_TEXT(BT31, false),
      BELVORA_TEXT(BT34, true),
      BELVORA_TEXT(BT35, true),
      BELVORA_TEXT(BT37, true),
      BELVORA_TEXT(BT38, true),
      BELVORA_TEXT(BT40, true),
      BELVORA_TEXT(BT41, true),
      BELVORA_TEXT(BT42, true),
      BELVORA_TEXT(BT43, true),
      BELVORA_TEXT(BT44, true),
      BELVORA_TEXT(BT48, false),
      BELVORA_TEXT(BT49, false),
      BELVORA_TEXT(BT50, true),
      BELVORA_TEXT(BT52, true),
      BELVORA_TEXT(BT53, true),
      BELVORA_TEXT(BT55, true),
      BELVORA_TEXT(BT56, true),
      BELVORA_TEXT(BT57, true),
      BELVORA_TEXT(BT58, true),
      BELVORA_TEXT(BT72, false),
      BELVORA_TEXT(BT73, false),
      BELVORA_TEXT(BT74, false),
      BELVORA_TEXT(BT81, false),
      BELVORA_TEXT(BT82, false),
      BELVORA_TEXT(BT83, false),
      BELVORA_TEXT(BT84, false),
      BELVORA_TEXT(BT85, true),
      BELVORA_TEXT(BT86, true),
      BELVORA_TEXT(BT87, false),
      BELVORA_TEXT(BT88, true),
      BELVORA_TEXT(BT89, true),
      BELVORA_TEXT(BT90, true),
      BELVORA_TEXT(BT91, true),
      BELVORA_TEXT(BT92, false),
      BELVORA_TEXT(BT93, false),
      BELVORA_TEXT(BT94, false),
      BELVORA_TEXT(BT95, false),
      BELVORA_TEXT(BT96, false),
      BELVORA_TEXT(BT97, true),
      BELVORA_TEXT(BT98, false),
      BELVORA_TEXT(BT99, false),
      BELVORA_TEXT(BT100, false),
      BELVORA_TEXT(BT101, false),
      {"BT102", TextColumn{&SourceValues::BT102, false, "S"}},
      {"BT109", NumberColumn{&SourceValues::BT109}},
      {"BT110", NumberColumn{&SourceValues::BT110}},
      {"BT112", NumberColumn{&SourceValues::BT112}},
      {"BT113", NumberColumn{&SourceValues::BT113}},
      {"BT114", NumberColumn{&SourceValues::BT114}},
      {"BT115", NumberColumn{&SourceValues::BT115}},
      {"BT116", NumberColumn{&SourceValues::BT116}},
      {"BT118", TextColumn{&SourceValues::BT118, false, "S"}},
  };
  return columns;
}

#undef BELVORA_TEXT

const db::Value& Cell(const db::Cursor& rows, const char* name) {
  int index = rows.columnIndex(name);
  const auto& row = rows.row();
  if (index < 0 || static_cast<size_t>(index) >= row.size())
    throw std::runtime_error(std::string("Column '") + name + "' does not exist");
  return row[static_cast<size_t>(index)];
}

struct Reader {
  SourceValues& values;
  const db::Value& cell;
  const char* name;

  void operator()(const TextColumn& c) const {
    values.*c.member = FormatField(cell, db::Value(c.fallback), {}, c.clean);
  }
  void operator()(const DateColumn& c) const {
    if (cell.kind() == db::Value::Kind::Date) {
      values.*c.member = cell.date();
      return;
    }
    // Through the text form, as every other column.
    std::string text = FormatField(cell, db::Value(""));
    if (auto d = ParseDate(text)) {
      values.*c.member = *d;
      return;
    }
    if (cell.isNull()) ValueToDate(cell, name);  // throws the NULL description
    throw std::runtime_error(std::string("Type mismatch: column '") + name + "' holds no date ('" +
                             text + "')");
  }
  void operator()(const NumberColumn& c) const {
    if (cell.kind() == db::Value::Kind::Integer || cell.kind() == db::Value::Kind::Real) {
      values.*c.member = ValueToNumber(cell, name);
      return;
    }
    std::string text = FormatField(cell, db::Value(0));
    if (auto v = ParseNumber(text)) {
      values.*c.member = *v;
      return;
    }
    throw std::runtime_error(std::string("Type mismatch: column '") + name +
                             "' holds no number ('" + text + "')");
  }
  void operator()(const BuyerReferenceColumn& c) const {
    if (cell.isNull())
      throw std::runtime_error(std::string("Invalid use of Null: column '") + name + "' is NULL");
    values.*c.member = std::string(TrimBlanks(ValueToText(cell)));
  }
};

}  // namespace

bool ReadSourceRow(const db::Cursor& rows, model::SourceValues& values,
                   std::string& parameterString) {
  std::string lastError;
  if (parameterString.empty()) {
    try {
      parameterString = std::string(TrimBlanks(ValueToText(Cell(rows, "BT1"))));
    } catch (const std::exception& e) {
      lastError = e.what();
    }
  }
  for (const Column& column : Catalogue()) {
    try {
      const db::Value& cell = Cell(rows, column.name);
      std::visit(Reader{values, cell, column.name}, column.kind);
    } catch (const std::exception& e) {
      lastError = e.what();
    }
  }
  if (lastError.empty()) return true;
  ui::current().message("Note", "Connection failed\nCompiler: " + lastError, ui::Icon::Exclamation);
  return false;
}

}  // namespace belvora::writer
