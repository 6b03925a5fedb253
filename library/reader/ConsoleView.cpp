#include "reader/ConsoleView.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <string_view>
#include <utility>
#include <vector>

#include "reader/ReadXML.h"
#include "reader/StoreSave.h"

namespace belvora::reader {
namespace {

// ---- JSON ------------------------------------------------------------------------

// Length of the UTF-8 sequence starting at s[i], 0 when it is not a valid one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  std::size_t n = c < 0x80           ? 1
                  : (c >> 5) == 0x6  ? 2
                  : (c >> 4) == 0xE  ? 3
                  : (c >> 3) == 0x1E ? 4
                                     : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and values past U+10FFFF are not text.
  if (n == 2 && c < 0xC2) return 0;
  if (n == 3 && ((c == 0xE0 && b(i + 1) < 0xA0) || (c == 0xED && b(i + 1) >= 0xA0))) return 0;
  if (n == 4 && ((c == 0xF0 && b(i + 1) < 0x90) || c > 0xF4 || (c == 0xF4 && b(i + 1) >= 0x90)))
    return 0;
  return n;
}

void appendJsonString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const std::size_t n = utf8Length(s, i);
      if (n == 0) {
        out += "\\ufffd";  // a byte that is no text
        ++i;
      } else {
        out.append(s.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
}

void appendGrid(std::string& out, const Grid& grid) {
  out += '[';
  bool firstRow = true;
  for (const GridRow& row : grid.rows) {
    if (!firstRow) out += ',';
    firstRow = false;
    out += '[';
    for (std::size_t k = 0; k < grid.columnCount(); ++k) {
      if (k) out += ',';
      appendJsonString(out, k < row.cells.size() ? row.cells[k] : std::string_view());
    }
    out += ']';
  }
  out += ']';
}

// ---- text --------------------------------------------------------------------------

// Characters, not bytes, so that umlauts line up.
std::size_t width(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

void pad(std::string& out, std::string_view s, std::size_t to) {
  out.append(s);
  for (std::size_t w = width(s); w < to; ++w) out += ' ';
}

std::string_view captionOf(std::string_view element, const std::string& language) {
  for (const ViewCaption& c : viewCaptions()) {
    if (c.element == element) return caption(language, c.captionGB, c.captionDE);
  }
  return element;
}

const FieldInfo& infoOf(FieldArray array, std::size_t index) {
  for (const FieldInfo& f : fieldCatalogue()) {
    if (f.array == array && f.index == index) return f;
  }
  return fieldCatalogue().front();
}

// A value with line breaks continues under its first line.
void appendIndented(std::string& out, std::string_view value, std::size_t indent) {
  for (char c : value) {
    if (c == '\r') continue;
    out += c;
    if (c == '\n') out.append(indent, ' ');
  }
}

// A grid cell stays on its row.
std::string oneLine(std::string_view cell) {
  std::string s;
  s.reserve(cell.size());
  for (char c : cell) {
    if (c == '\r') continue;
    s += c == '\n' || c == '\t' ? ' ' : c;
  }
  return s;
}

// One labelled field per line; `extra` is shown after the value (a currency).
struct Line {
  FieldArray array;
  std::size_t index;
  const std::string* extra = nullptr;
};

void appendFields(std::string& out, std::string_view heading, const ViewModel& view,
                  std::initializer_list<Line> lines, const std::string& language) {
  out += heading;
  out += '\n';
  std::size_t labelWidth = 0;
  for (const Line& l : lines) {
    const FieldInfo& f = infoOf(l.array, l.index);
    labelWidth = std::max(labelWidth, width(caption(language, f.captionGB, f.captionDE)));
  }
  for (const Line& l : lines) {
    const FieldInfo& f = infoOf(l.array, l.index);
    out += "  ";
    pad(out, caption(language, f.captionGB, f.captionDE), labelWidth);
    out += "  ";
    appendIndented(out, *view.field(l.array, l.index), labelWidth + 4);
    if (l.extra && !l.extra->empty()) {
      out += ' ';
      out += *l.extra;
    }
    out += '\n';
  }
  out += '\n';
}

void appendTable(std::string& out, std::string_view heading, const Grid& grid,
                 const std::string& language) {
  if (!heading.empty()) {
    out += heading;
    out += '\n';
  }
  const auto columns = grid.columns();
  std::vector<std::size_t> widths(columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k) {
    widths[k] = width(caption(language, columns[k].captionGB, columns[k].captionDE));
  }
  std::vector<std::vector<std::string>> cells;
  cells.reserve(grid.rows.size());
  for (const GridRow& row : grid.rows) {
    auto& line = cells.emplace_back(columns.size());
    for (std::size_t k = 0; k < columns.size() && k < row.cells.size(); ++k) {
      line[k] = oneLine(row.cells[k]);
      widths[k] = std::max(widths[k], width(line[k]));
    }
  }
  auto appendRow = [&](auto&& cellText) {
    std::string line = " ";
    for (std::size_t k = 0; k < columns.size(); ++k) {
      line += ' ';
      pad(line, cellText(k), widths[k]);
      if (k + 1 < columns.size()) line += " |";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += '\n';
  };
  appendRow(
      [&](std::size_t k) { return caption(language, columns[k].captionGB, columns[k].captionDE); });
  for (const auto& line : cells) {
    appendRow([&](std::size_t k) -> std::string_view { return line[k]; });
  }
  out += '\n';
}

}  // namespace

std::string ViewAsJson(const ViewModel& view, const std::string& file) {
  std::string out = "{\"file\":";
  appendJsonString(out, file);
  out += ",\"syntax\":";
  out += std::to_string(view.syntax);
  out += ",\"fields\":{";
  bool first = true;
  for (const FieldInfo& f : fieldCatalogue()) {
    if (!first) out += ',';
    first = false;
    appendJsonString(out, f.name);
    out += ':';
    appendJsonString(out, *view.field(f.array, f.index));
  }
  out += "},\"items\":";
  appendGrid(out, view.lvTable);
  out += ",\"taxes\":";
  appendGrid(out, view.lvUst);
  out += ",\"deductions\":";
  appendGrid(out, view.lvAbzuege);
  out += '}';
  return out;
}

std::string ViewAsText(const ViewModel& view, const std::string& language) {
  using A = FieldArray;
  const auto& r = view.txtRechnungdaten;
  std::string out;
  appendFields(out, captionOf("sstab0", language), view,
               {{A::Rechnungdaten, RoutingID},
                {A::Rechnungdaten, InvoiceNumber},
                {A::Rechnungdaten, Subject},
                {A::Rechnungdaten, InvoiceDate},
                {A::Rechnungdaten, PayableBy},
                {A::Rechnungdaten, InvoiceType},
                {A::Rechnungdaten, PaymentMethod},
                {A::Rechnungdaten, Remarks},
                {A::Rechnungdaten, TaxAmount, &r[CurrencyCode]},
                {A::Rechnungdaten, TotalAmount, &r[TotalCurrencyCode]}},
               language);
  for (auto [frame, array] : {std::pair{"frmSeller", A::Seller}, std::pair{"frmBuyer", A::Buyer}}) {
    appendFields(out, captionOf(frame, language), view,
                 {{array, Name},
                  {array, TaxNumber},
                  {array, RecipiedEMail},
                  {array, Street},
                  {array, Country},
                  {array, Zip},
                  {array, City},
                  {array, ContactPerson},
                  {array, ContactEmail},
                  {array, ContactPhone}},
                 language);
  }
  appendTable(out, captionOf("sstabPos0", language), view.lvTable, language);
  appendTable(out, {}, view.lvUst, language);
  appendFields(out, captionOf("sstabPos1", language), view,
               {{A::Sonstige, SumOfNet},
                {A::Sonstige, TaxBasisTotal},
                {A::Sonstige, TaxTotal},
                {A::Sonstige, AllowanceTotal},
                {A::Sonstige, ChargeTotal},
                {A::Sonstige, Prepayment},
                {A::Sonstige, RoundingAmount},
                {A::Sonstige, PaymentDue},
                {A::Sonstige, PayeeAccountName},
                {A::Sonstige, PayeeIBAN},
                {A::Sonstige, PayeeBIC}},
               language);
  appendTable(out, captionOf("sstabPos2", language), view.lvAbzuege, language);
  appendFields(out, captionOf("sstabPos3", language), view,
               {{A::Sonstige, CustomizationID},
                {A::Sonstige, ProfileID},
                {A::Sonstige, AccountingCost},
                {A::Sonstige, BusinessProcess}},
               language);
  while (out.size() > 1 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n')
    out.pop_back();
  return out;
}

bool ShowConsoleView(const ViewModel& view, const ReaderSettings& settings, std::ostream& out) {
  const char* mode = std::getenv("BELVORA_VIEW");
  if (mode && std::string_view(mode) == "json") {
    out << ViewAsJson(view, settings.invoiceFile) << '\n';
  } else {
    out << ViewAsText(view, settings.language);
  }
  out.flush();
  // A document in neither syntax leaves only cleared fields: nothing to store.
  if (!settings.documentsTable.empty() && view.saveEnabled && view.syntax != SyntaxNone) {
    return SaveInvoice(view, settings) != SaveResult::Failed;
  }
  return true;
}

}  // namespace belvora::reader
