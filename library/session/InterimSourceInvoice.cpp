#include "session/InterimSourceInvoice.h"

#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "platform/db/Connection.h"
#include "platform/sys/Ascii.h"
#include "platform/sys/Files.h"
#include "text/Texte.h"

namespace belvora::session {
namespace {

using model::Decimal;

// Column positions by name, looked up once per name rather than per row.
class ColumnIndex {
 public:
  explicit ColumnIndex(const db::Cursor& rows) : rows_(rows) {}
  int of(std::string_view name) {
    auto [it, inserted] = index_.try_emplace(name, -1);
    if (inserted) it->second = rows_.columnIndex(name);
    return it->second;
  }

 private:
  const db::Cursor& rows_;
  std::unordered_map<std::string_view, int> index_;  // keys are literals
};

// The values of one row by column name; a column the source lacks is absent.
class RowValues {
 public:
  RowValues(const db::Cursor& rows, ColumnIndex& columns, std::size_t rowNumber)
      : rows_(rows), columns_(columns), row_(rowNumber) {}

  std::string text(const char* column) const {
    const db::Value* v = cell(column);
    return v ? std::string(text::TrimBlanks(text::ValueToText(*v))) : std::string();
  }

  std::optional<model::Date> date(const char* column) const {
    const db::Value* v = cell(column);
    if (!v || v->isNull()) return std::nullopt;
    if (v->kind() == db::Value::Kind::Date) return v->date();
    const std::string t = text(column);
    if (t.empty()) return std::nullopt;
    if (auto d = text::ParseDate(t)) return d;
    throw bad(column, t, "is no date");
  }

  std::optional<Decimal> number(const char* column) const {
    const db::Value* v = cell(column);
    if (!v || v->isNull()) return std::nullopt;
    if (v->kind() == db::Value::Kind::Integer) return Decimal::fromInt(v->integer());
    if (v->kind() == db::Value::Kind::Real) {
      if (auto d = Decimal::fromDouble(v->real())) return d;
      throw bad(column, text::ValueToText(*v), "is no finite number");
    }
    const std::string t = text(column);
    if (t.empty()) return std::nullopt;
    if (auto d = Decimal::parse(t)) return d;
    throw bad(column, t, "is no number");
  }

 private:
  const db::Value* cell(const char* column) const {
    const int index = columns_.of(column);
    const auto& values = rows_.row();
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) return nullptr;
    return &values[static_cast<std::size_t>(index)];
  }
  std::runtime_error bad(const char* column, const std::string& value, const char* what) const {
    return std::runtime_error("Column '" + std::string(column) + "', row " + std::to_string(row_) +
                              ": '" + value + "' " + what + ".");
  }

  const db::Cursor& rows_;
  ColumnIndex& columns_;
  std::size_t row_;
};

std::string MimeCode(const std::string& path) {
  const std::string tail = ascii::Lower(path.size() >= 4 ? path.substr(path.size() - 4) : path);
  if (tail == ".pdf") return "application/pdf";
  if (tail == ".png") return "image/png";
  if (tail == ".jpg") return "image/jpeg";
  if (tail == ".csv") return "text/csv";
  if (tail == ".xls") return "application/vnd.ms-excel";
  if (tail == ".ods") return "application/vnd.oasis.opendocument.spreadsheet";
  if (tail == "xlsx") return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
  if (tail == ".xml") return "text/xml";
  return {};
}

void ReadAttachments(const std::string& list, std::vector<model::Attachment>& out) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string path = list.substr(start, end - start);
    start = end + 1;
    if (path.empty() || !sys::fileExists(path)) continue;
    const std::size_t slash = path.rfind('/');
    model::Attachment a;
    a.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    a.id = a.fileName;
    a.description = a.fileName;
    a.sourcePath = path;
    std::string bytes = sys::readFile(path, "attachment");  // an unreadable file ends the run
    a.mimeCode = MimeCode(path);
    if (!a.mimeCode.empty()) a.content = std::move(bytes);
    out.push_back(std::move(a));
  }
}

bool Positive(const std::optional<Decimal>& d) { return d && *d > Decimal(); }

void ReadHeader(const RowValues& r, model::Invoice& inv) {
  inv.number = r.text("BT1");
  inv.issueDate = r.date("BT2");
  inv.typeCode = r.text("BT3");
  inv.currency = r.text("BT5").empty() ? "EUR" : r.text("BT5");
  inv.dueDate = r.date("BT9");
  inv.buyerReference = r.text("BT10");
  inv.projectReference = r.text("BT11");
  inv.contractReference = r.text("BT12");
  inv.purchaseOrderReference = r.text("BT13");
  inv.paymentTerms = r.text("BT20");
  // A line break in the note column starts a second note with the same subject.
  const std::string note = r.text("BT22");
  const std::size_t cr = note.find('\r');
  std::string first = note.substr(0, cr), second;
  if (cr != std::string::npos) {
    std::size_t rest = cr + 1;
    if (rest < note.size() && note[rest] == '\n') ++rest;
    second = note.substr(rest);
  }
  for (const std::string& t : {first, second})
    if (!t.empty()) inv.notes.push_back({r.text("BT21"), t});
  inv.businessProcess = r.text("BT23");
  inv.specificationId = r.text("BT24");
  if (!r.text("BT25").empty()) inv.precedingInvoices.push_back({r.text("BT25"), std::nullopt});

  model::Party& s = inv.seller;
  s.name = r.text("BT27");
  s.vatId = r.text("BT31");
  s.electronicAddress = {r.text("BT34"), "EM"};
  s.address.line1 = r.text("BT35");
  s.address.city = r.text("BT37");
  s.address.postCode = r.text("BT38");
  s.address.countryCode = r.text("BT40");
  s.contact = {r.text("BT41"), r.text("BT42"), r.text("BT43")};
  model::Party& b = inv.buyer;
  b.name = r.text("BT44");
  b.vatId = r.text("BT48");
  b.electronicAddress = {r.text("BT49"), "EM"};
  b.address.line1 = r.text("BT50");
  b.address.city = r.text("BT52");
  b.address.postCode = r.text("BT53");
  b.address.countryCode = r.text("BT55");
  b.contact = {r.text("BT56"), r.text("BT57"), r.text("BT58")};

  inv.delivery.actualDate = r.date("BT72");
  inv.invoicingPeriod = {r.date("BT73"), r.date("BT74")};

  // Card data for card payments, debit data for direct debits, the payee
  // account for the rest, as BR-DE-23 to -25 want them.
  model::PaymentMeans pm;
  pm.code = r.text("BT81");
  pm.text = r.text("BT82");
  const bool card = pm.code == "48" || pm.code == "54" || pm.code == "55";
  const bool debit = pm.code == "49" || pm.code == "59";
  if (card) {
    pm.cardNumber = r.text("BT87");
    pm.cardHolder = r.text("BT88");
  } else if (debit) {
    pm.debitedAccount = r.text("BT91");
    inv.mandateReference = r.text("BT89");
    inv.creditorId = r.text("BT90");
  } else if (!r.text("BT84").empty() || !r.text("BT85").empty() || !r.text("BT86").empty()) {
    pm.accounts.push_back({r.text("BT84"), r.text("BT85"), r.text("BT86")});
  }
  inv.paymentMeans.push_back(std::move(pm));
  inv.remittanceInformation = r.text("BT83");

  inv.totals.paidAmount = r.number("BT113");
  inv.totals.roundingAmount = r.number("BT114");
  inv.stated = {r.number("BT109"), r.number("BT110"), r.number("BT112"), r.number("BT115")};
}

void ReadLine(const RowValues& r, std::size_t rowNumber, model::Invoice& inv) {
  model::Line& l = inv.lines.emplace_back();
  l.sourceRow = rowNumber;
  l.id = r.text("BT126");
  l.quantity = r.number("BT129");
  l.unitCode = r.text("BT130");
  l.netAmount = r.number("BT131");
  l.netPrice = r.number("BT146");
  l.vatCategory = r.text("BT151").empty() ? r.text("BT118") : r.text("BT151");
  l.vatRate = r.number("BT152");
  l.itemName = r.text("BT153");
  l.itemDescription = r.text("BT154");
  l.sellerItemId = r.text("BT155");

  // Document allowances and charges ride on the line rows, each its own entry.
  if (auto amount = r.number("BT92"); Positive(amount)) {
    inv.allowancesCharges.push_back({false, amount, r.number("BT93"), r.number("BT94"),
                                     r.text("BT95"), r.number("BT96"), r.text("BT97"),
                                     r.text("BT98")});
  }
  if (auto amount = r.number("BT99"); Positive(amount)) {
    inv.allowancesCharges.push_back({true, amount, r.number("BT100"), r.number("BT101"),
                                     r.text("BT102"), r.number("BT103"), r.text("BT104"),
                                     r.text("BT105")});
  }
}

}  // namespace

model::Invoice InterimSourceInvoice(db::Cursor& rows, const std::string& embeddedFiles) {
  model::Invoice inv;
  ColumnIndex columns(rows);
  ReadHeader(RowValues(rows, columns, 1), inv);
  std::size_t rowNumber = 1;
  do {
    ReadLine(RowValues(rows, columns, rowNumber), rowNumber, inv);
    ++rowNumber;
  } while (rows.next());
  ReadAttachments(embeddedFiles, inv.attachments);
  return inv;
}

}  // namespace belvora::session
