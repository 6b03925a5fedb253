// Line items. The source is walked once, forward only: each row is written
// straight into the document text, and what the tax step needs from it is
// gathered on the way (TaxCollector).

#include <stdexcept>
#include <string>

#include "platform/db/Connection.h"
#include "text/Texte.h"
#include "writer/InvoiceWriterState.h"

namespace belvora::writer {

using namespace text;

namespace {

// The values of one line. A conversion that fails keeps the value of the
// previous line (empty or 0 on the first line), as the columns without a
// default do.
struct LineValues {
  std::string rate;         // BT152, rate text
  std::string unit;         // BT130, escaped
  std::string category;     // BT118 as converted (held, not escaped)
  std::string name;         // BT153, cleaned
  std::string description;  // BT154, cleaned
  std::string sellerId;     // BT155, cleaned
  std::string price;        // BT146 rounded, plain number text
  std::string net;          // BT131 rounded, plain number text
  std::string quantity;     // BT129, plain number text
};

struct LineColumns {
  int bt152, bt130, bt118, bt153, bt154, bt155, bt146, bt131, bt129;
  explicit LineColumns(const db::Cursor& c)
      : bt152(c.columnIndex("BT152")),
        bt130(c.columnIndex("BT130")),
        bt118(c.columnIndex("BT118")),
        bt153(c.columnIndex("BT153")),
        bt154(c.columnIndex("BT154")),
        bt155(c.columnIndex("BT155")),
        bt146(c.columnIndex("BT146")),
        bt131(c.columnIndex("BT131")),
        bt129(c.columnIndex("BT129")) {}
};

// Runs one conversion step; a failing step leaves the target as it was.
template <typename F>
void Step(const std::vector<db::Value>& row, int index, F&& convert) {
  if (index < 0 || static_cast<size_t>(index) >= row.size()) return;  // missing column
  try {
    convert(row[static_cast<size_t>(index)]);
  } catch (const std::exception&) {
    // The line writer goes on past a failing step.
  }
}

void ReadLine(const std::vector<db::Value>& row, const LineColumns& c, LineValues& l) {
  Step(row, c.bt152, [&](const db::Value& v) {
    if (TrimBlanks(ValueToText(v)).empty()) throw std::runtime_error("no rate");
    l.rate = AmountText(ValueToNumber(v, "BT152"));
  });
  Step(row, c.bt130,
       [&](const db::Value& v) { l.unit = EscapeXmlText(FormatField(v, db::Value("XPP"))); });
  Step(row, c.bt118, [&](const db::Value& v) { l.category = FormatField(v, db::Value("S")); });
  Step(row, c.bt153, [&](const db::Value& v) { l.name = FormatField(v, db::Value(""), {}, true); });
  Step(row, c.bt154,
       [&](const db::Value& v) { l.description = FormatField(v, db::Value("FALSE()"), {}, true); });
  Step(row, c.bt155,
       [&](const db::Value& v) { l.sellerId = FormatField(v, db::Value("FALSE()"), {}, true); });
  Step(row, c.bt146, [&](const db::Value& v) {
    std::string text = FormatField(v, db::Value(0));
    double price = v.kind() == db::Value::Kind::Integer || v.kind() == db::Value::Kind::Real
                       ? ValueToNumber(v, "BT146")
                       : ValueToNumber(db::Value(text), "BT146");
    l.price = NumberText(RoundAmount(price, 2));
  });
  Step(row, c.bt131,
       [&](const db::Value& v) { l.net = NumberText(RoundAmount(ValueToNumber(v, "BT131"), 2)); });
  Step(row, c.bt129,
       [&](const db::Value& v) { l.quantity = NumberText(ValueToNumber(v, "BT129")); });
}

void AppendLine(std::string& t, std::uint64_t lineId, const LineValues& l) {
  // One append per element line; tabs as the format has them.
  t += "\t\t\t<ram:AssociatedDocumentLineDocument>\r\n\t\t\t\t<ram:LineID>";
  t += std::to_string(lineId);
  t += "</ram:LineID>\r\n\t\t\t</ram:AssociatedDocumentLineDocument>\r\n";
  t += "\t\t\t<ram:SpecifiedTradeProduct>\r\n\t\t\t\t<ram:SellerAssignedID>";
  t += l.sellerId;
  t += "</ram:SellerAssignedID>\r\n\t\t\t\t<ram:Name>";
  t += l.name;
  t += "</ram:Name>\r\n\t\t\t\t<ram:Description>";
  t += l.description;
  t += "</ram:Description>\r\n\t\t\t</ram:SpecifiedTradeProduct>\r\n";
  t += "\t\t\t<ram:SpecifiedLineTradeAgreement>\r\n";
  t += "\t\t\t\t<ram:GrossPriceProductTradePrice>\r\n\t\t\t\t\t<ram:ChargeAmount>";
  t += l.price;
  t += "</ram:ChargeAmount>\r\n\t\t\t\t\t<ram:BasisQuantity unitCode=\"";
  t += l.unit;
  t += "\">1.00</ram:BasisQuantity>\r\n";
  t += "\t\t\t\t\t<ram:AppliedTradeAllowanceCharge>\r\n"
       "\t\t\t\t\t\t<ram:ChargeIndicator>\r\n"
       "\t\t\t\t\t\t<udt:Indicator>false</udt:Indicator>\r\n"
       "\t\t\t\t\t\t</ram:ChargeIndicator>\r\n"
       "\t\t\t\t\t\t<ram:ActualAmount>0.00</ram:ActualAmount>\r\n"
       "\t\t\t\t\t</ram:AppliedTradeAllowanceCharge>\r\n"
       "\t\t\t\t</ram:GrossPriceProductTradePrice>\r\n"
       "\t\t\t\t<ram:NetPriceProductTradePrice>\r\n\t\t\t\t\t<ram:ChargeAmount>";
  t += l.price;
  t += "</ram:ChargeAmount>\r\n\t\t\t\t</ram:NetPriceProductTradePrice>\r\n";
  t += "\t\t\t</ram:SpecifiedLineTradeAgreement>\r\n";
  t += "\t\t\t<ram:SpecifiedLineTradeDelivery>\r\n\t\t\t\t\t<ram:BilledQuantity unitCode=\"";
  t += l.unit;
  t += "\">";
  t += l.quantity;
  t += "</ram:BilledQuantity>\r\n\t\t\t</ram:SpecifiedLineTradeDelivery>\r\n";
  t += "\t\t\t<ram:SpecifiedLineTradeSettlement>\r\n\t\t\t\t<ram:ApplicableTradeTax>\r\n"
       "\t\t\t\t\t<ram:TypeCode>VAT</ram:TypeCode>\r\n\t\t\t\t\t<ram:CategoryCode>";
  t += EscapeXmlText(l.category);
  t += "</ram:CategoryCode>\r\n\t\t\t\t\t<ram:RateApplicablePercent>";
  t += l.rate;
  t += "</ram:RateApplicablePercent>\r\n\t\t\t\t</ram:ApplicableTradeTax>\r\n"
       "\t\t\t\t<ram:SpecifiedTradeSettlementLineMonetarySummation>\r\n"
       "\t\t\t\t\t<ram:LineTotalAmount>";
  t += l.net;
  t += "</ram:LineTotalAmount>\r\n"
       "\t\t\t\t</ram:SpecifiedTradeSettlementLineMonetarySummation>\r\n"
       "\t\t\t</ram:SpecifiedLineTradeSettlement>\r\n"
       "\t\t</ram:IncludedSupplyChainTradeLineItem>\r\n";
}

void BindTax(TaxCollector& tax, const db::Cursor& c) {
  tax.bind(c.columns(), c.columnIndex("BT131"), c.columnIndex("BT152"), c.columnIndex("BT92"),
           c.columnIndex("BT95"), c.columnIndex("BT96"), c.columnIndex("BT97"),
           c.columnIndex("BT98"));
}

}  // namespace

void InvoiceWriter::writeLineItems() {
  State& s = *state_;
  if (s.lines == nullptr || s.linesWalked) return;
  s.linesWalked = true;
  db::Cursor& rows = *s.lines;
  const LineColumns columns(rows);
  BindTax(s.tax, rows);
  LineValues values;
  std::uint64_t lineId = 1;
  for (;;) {
    const auto& row = rows.row();
    ReadLine(row, columns, values);
    s.tax.add(row, values.category);
    AppendLine(s.text, lineId, values);
    // One row of lookahead tells whether this was the last line.
    if (!rows.next()) break;
    s.text += "\t\t<ram:IncludedSupplyChainTradeLineItem>\r\n";
    ++lineId;
  }
  s.text += "\t\t<ram:ApplicableHeaderTradeAgreement>\r\n";
}

void InvoiceWriter::State::collectTaxOnly() {
  if (lines == nullptr || linesWalked) return;
  linesWalked = true;
  db::Cursor& rows = *lines;
  const LineColumns columns(rows);
  BindTax(tax, rows);
  LineValues values;
  do {
    ReadLine(rows.row(), columns, values);
    tax.add(rows.row(), values.category);
  } while (rows.next());
}

// ---- TaxCollector -----------------------------------------------------------------

void TaxCollector::bind(const std::vector<std::string>& columns, int bt131, int bt152, int bt92,
                        int bt95, int bt96, int bt97, int bt98) {
  columns_ = &columns;
  bt131_ = bt131;
  bt152_ = bt152;
  bt92_ = bt92;
  bt95_ = bt95;
  bt96_ = bt96;
  bt97_ = bt97;
  bt98_ = bt98;
}

TaxGroup& TaxCollector::group(double rate) {
  if (rate == 0) rate = 0;  // -0 and 0 are one group
  auto [it, inserted] = groupIndex_.try_emplace(rate, groups_.size());
  if (inserted) {
    groups_.emplace_back();
    groups_.back().rate = rate;
  }
  return groups_[it->second];
}

void TaxCollector::add(const std::vector<db::Value>& row, const std::string& category) {
  if (failure_) return;
  try {
    addRow(row, category);
  } catch (const std::exception& e) {
    // The step ends at this row; its message lists the row's NULL columns.
    std::string message = "Error-Message: ";
    message += e.what();
    message += "\r\nDLL-Error: 0\r\nSource: ";
    message += kDefaultTitle;
    message += "\r\n\r\n";
    for (size_t i = 0; i < row.size() && columns_ && i < columns_->size(); ++i)
      if (row[i].isNull()) message += "Feld '" + (*columns_)[i] + "' ist NULL\r\n";
    failure_ = std::move(message);
  }
}

void TaxCollector::addRow(const std::vector<db::Value>& row, const std::string& category) {
  auto cell = [&](int index, const char* name) -> const db::Value& {
    if (index < 0 || static_cast<size_t>(index) >= row.size())
      throw std::runtime_error(std::string("Column '") + name + "' does not exist");
    return row[static_cast<size_t>(index)];
  };
  // The line net as the line writer writes it.
  std::int64_t netCents = ToCents(RoundAmount(ValueToNumber(cell(bt131_, "BT131"), "BT131"), 2));
  double rate = ValueToNumber(cell(bt152_, "BT152"), "BT152");
  const db::Value& allowance = cell(bt92_, "BT92");
  std::int64_t allowanceCents = 0;
  if (!TrimBlanks(ValueToText(allowance)).empty())
    allowanceCents = ToCents(RoundHalfEven(ValueToNumber(allowance, "BT92"), 2));

  TaxGroup& g = group(rate);
  g.basisCents += netCents;
  if (g.lineCount++ == 0)
    g.category = category;
  else if (g.category != category)
    g.mixedCategories = true;

  if (allowanceCents <= 0) return;
  std::string category95(TrimBlanks(ValueToText(cell(bt95_, "BT95"))));
  std::string rate96(TrimBlanks(ValueToText(cell(bt96_, "BT96"))));
  auto [it, inserted] = allowanceIndex_.try_emplace(rate96, allowances_.size());
  if (!inserted) {
    AllowanceEntry& e = allowances_[it->second];
    e.amountCents += allowanceCents;
    e.category = std::move(category95);
    return;
  }
  AllowanceEntry e;
  e.amountCents = allowanceCents;
  e.category = std::move(category95);
  e.rate = std::move(rate96);
  e.reason = std::string(TrimBlanks(ValueToText(cell(bt97_, "BT97"))));
  e.reasonCode = std::string(TrimBlanks(ValueToText(cell(bt98_, "BT98"))));
  allowances_.push_back(std::move(e));
}

}  // namespace belvora::writer
