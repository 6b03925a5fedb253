// Source rows into the invoice model. A picture of the source:
//
//   RowKind        BT1   BT126  BT21  BT22        BT131  BT136 ...
//   (NULL)         4711  1      AAI   Note text   100.00          first line row: the document too
//   (NULL)         4711  2                         50.00          a further line
//   NOTE           4711         REG   2nd note                     one more note
//   LINEALLOWANCE  4711  2                                5.00    an allowance of line 2
//
// Each column is converted where it is read; what cannot be used is kept as
// a BadValue and the reading goes on, so that one message lists them all.

#include "session/SourceReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "messages/Messages.h"
#include "model/Catalogue.h"
#include "platform/sys/Ascii.h"
#include "platform/sys/Files.h"
#include "reader/AttachmentFiles.h"
#include "text/Texte.h"

namespace belvora::session {
namespace {

namespace txt = ::belvora::text;
namespace msg = ::belvora::messages;
namespace src = ::belvora::messages::source;
using db::Value;
using model::Decimal;
using model::RowKind;

constexpr std::size_t kShownBytes = 60;
// Larger files are refused rather than read into memory.
constexpr std::size_t kMaxEmbeddedBytes = 200u * 1024 * 1024;

std::size_t CatalogueIndex(std::string_view name) {
  const auto& columns = model::Columns();
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == name) return i;
  throw std::logic_error("column not in the catalogue: " + std::string(name));
}

// The catalogue position of a column, looked up once per use site.
#define COL(name)                                              \
  ([]() -> std::size_t {                                       \
    static const std::size_t position = CatalogueIndex(#name); \
    return position;                                           \
  }())

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    char32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 2, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 3, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 4, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n;
  }
  return true;
}

// One line of at most kShownBytes bytes, cut at a character boundary.
std::string Shortened(std::string s) {
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  if (s.size() > kShownBytes) {
    std::size_t cut = kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    s = s.substr(0, cut) + "...";
  }
  return s;
}

// A value as the message shows it.
std::string Shown(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Null:
      return "NULL";
    case Value::Kind::Integer:
      return std::to_string(v.integer());
    case Value::Kind::Real:
      if (std::isnan(v.real())) return "NaN";
      if (std::isinf(v.real())) return v.real() < 0 ? "-Infinity" : "Infinity";
      return txt::NumberText(v.real());
    case Value::Kind::Date: {
      const db::Date& d = v.date();
      char buf[48];
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
      return buf;
    }
    case Value::Kind::Blob:
      return "(" + std::to_string(v.blob().size()) + " bytes)";
    case Value::Kind::Text:
      break;
  }
  return Shortened(v.text());
}

// Digits with a sign, a point or comma and an exponent: a number, if maybe
// one too large to hold.
bool LooksNumeric(std::string_view t) {
  bool digit = false;
  for (char c : t) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c != '+' && c != '-' && c != '.' && c != ',' && c != 'e' && c != 'E')
      return false;
  }
  return digit;
}

std::string_view Name(std::size_t column) { return model::Columns()[column].name; }
std::string Fallback(std::size_t column) { return std::string(model::Columns()[column].fallback); }

// One row of the source with its conversions.
class Row {
 public:
  Row(const std::vector<Value>& values, std::size_t number, const std::vector<int>& index,
      std::vector<BadValue>& bad)
      : values_(values), number_(number), index_(index), bad_(bad) {}

  std::size_t number() const { return number_; }

  // True when any of the columns holds something (not NULL, not blank).
  bool any(std::initializer_list<std::size_t> columns) const {
    for (std::size_t c : columns) {
      const Value* v = cell(c);
      if (!v || v->isNull()) continue;
      if (v->kind() == Value::Kind::Text && ascii::TrimBlanks(v->text()).empty()) continue;
      return true;
    }
    return false;
  }

  std::string text(std::size_t column) {
    const Value* v = cell(column);
    if (!v || v->isNull()) return {};
    switch (v->kind()) {
      case Value::Kind::Integer:
        return std::to_string(v->integer());
      case Value::Kind::Real: {
        auto d = Decimal::fromDouble(v->real());
        if (!d) return fail(column, *v, src::kNotFinite), std::string();
        return d->text();
      }
      case Value::Kind::Date:
        return txt::ValueToText(*v);
      case Value::Kind::Blob: {
        const db::Blob& b = v->blob();
        return utf8(column, *v,
                    std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
      }
      default:
        return utf8(column, *v, v->text());
    }
  }

  // The text, or the column's default when it is absent.
  std::string textOr(std::size_t column) {
    std::string t = text(column);
    return t.empty() ? Fallback(column) : t;
  }

  // blankIsBad: an empty text is no absent date but a bad value (the issue
  // and due dates, which older sources had to fill).
  std::optional<model::Date> date(std::size_t column, bool blankIsBad = false) {
    const Value* v = cell(column);
    if (!v || v->isNull()) return std::nullopt;
    std::optional<db::Date> d;
    if (v->kind() == Value::Kind::Date) {
      // A date a database delivers must still be a real calendar date.
      d = txt::ParseDate(Shown(*v));
    } else if (v->kind() == Value::Kind::Text) {
      const std::string_view t = ascii::TrimBlanks(v->text());
      if (t.empty() && blankIsBad) return fail(column, *v, src::kDateEmpty), std::nullopt;
      if (t.empty()) return std::nullopt;
      d = txt::ParseDate(t);
    }
    if (!d) return fail(column, *v, src::kNotDate), std::nullopt;
    return model::Date{d->year, d->month, d->day};
  }

  std::optional<Decimal> amount(std::size_t column) { return decimal(column, true); }
  std::optional<Decimal> number(std::size_t column) { return decimal(column, false); }

  std::optional<std::string> content(std::size_t column) {
    const Value* v = cell(column);
    if (!v || v->isNull()) return std::nullopt;
    if (v->kind() == Value::Kind::Blob) return std::string(v->blob().begin(), v->blob().end());
    if (v->kind() == Value::Kind::Text) {
      const std::string_view t = ascii::TrimBlanks(v->text());
      if (t.empty()) return std::nullopt;
      if (auto bytes = reader::DecodeBase64(t)) return bytes;
    }
    return fail(column, *v, src::kNotContent), std::nullopt;
  }

  void fail(std::size_t column, const Value& v, std::string reason) {
    bad_.push_back({std::string(Name(column)), number_, Shown(v), std::move(reason)});
  }

 private:
  const Value* cell(std::size_t column) const {
    const int i = index_[column];
    return i < 0 || static_cast<std::size_t>(i) >= values_.size()
               ? nullptr
               : &values_[static_cast<std::size_t>(i)];
  }

  std::string utf8(std::size_t column, const Value& v, std::string_view raw) {
    const std::string_view t = ascii::TrimBlanks(raw);
    if (!ValidUtf8(t)) return fail(column, v, src::kNotUtf8), std::string();
    return std::string(t);
  }

  std::optional<Decimal> decimal(std::size_t column, bool cents) {
    const Value* v = cell(column);
    if (!v || v->isNull()) return std::nullopt;
    std::optional<Decimal> d;
    switch (v->kind()) {
      case Value::Kind::Integer:
        d = Decimal::fromInt(v->integer());
        break;
      case Value::Kind::Real:
        d = Decimal::fromDouble(v->real());
        if (!d && !std::isfinite(v->real())) return fail(column, *v, src::kNotFinite), std::nullopt;
        break;
      case Value::Kind::Text: {
        const std::string_view t = ascii::TrimBlanks(v->text());
        if (t.empty()) return std::nullopt;
        d = Decimal::parse(t);
        if (!d && !LooksNumeric(t)) return fail(column, *v, src::kNotNumber), std::nullopt;
        if (!d) return fail(column, *v, src::kDoesNotFit), std::nullopt;
        break;
      }
      default:
        return fail(column, *v, src::kNotNumber), std::nullopt;
    }
    if (!d || !d->below(13)) return fail(column, *v, src::kTooLarge), std::nullopt;
    if (cents) {
      if (!d->fits(2)) return fail(column, *v, src::kNotCents), std::nullopt;
      d = d->rounded(2);
    }
    return d;
  }

  const std::vector<Value>& values_;
  std::size_t number_;
  const std::vector<int>& index_;
  std::vector<BadValue>& bad_;
};

model::Identifier Id(Row& r, std::size_t id, std::size_t scheme) {
  return {r.text(id), r.text(scheme)};
}

void ReadAddress(Row& r, model::Address& a, std::size_t line1, std::size_t line2, std::size_t line3,
                 std::size_t city, std::size_t postCode, std::size_t subdivision,
                 std::size_t country, bool countryDefault) {
  a.line1 = r.text(line1);
  a.line2 = r.text(line2);
  a.line3 = r.text(line3);
  a.city = r.text(city);
  a.postCode = r.text(postCode);
  a.subdivision = r.text(subdivision);
  a.countryCode = countryDefault ? r.textOr(country) : r.text(country);
}

}  // namespace

// ---- Messages ----------------------------------------------------------------

std::string BadValuesText(const std::vector<BadValue>& bad) {
  std::string out = src::kBadValues;
  std::size_t listed = 0;
  for (const BadValue& b : bad) {
    if (listed++ == kMaxListed) {
      out += msg::kLineBreak;
      out += msg::Fill(src::kMoreBadValues, {std::to_string(bad.size() - kMaxListed)});
      break;
    }
    out += msg::kLineBreak;
    out += b.column;
    if (b.row > 0) out += msg::Fill(src::kAtRow, {std::to_string(b.row)});
    out += ": \"" + Shortened(b.value) + "\" " + b.reason;
  }
  out += msg::kLineBreak;
  out += msg::creation::kCheckSource.en;
  return out;
}

// ---- Reader ------------------------------------------------------------------

struct SourceReader::Impl {
  std::vector<int> index;  // catalogue position -> source column, -1 when absent
  int kindColumn = -1;
  model::Invoice invoice;
  std::vector<BadValue> bad;
  bool haveHead = false;

  // Entries of a line's groups, joined to their lines by finish().
  struct LineEntry {
    RowKind kind;
    std::string lineId;
    std::size_t row;
    model::AllowanceCharge allowanceCharge;
    model::Classification classification;
    model::ItemAttribute attribute;
  };
  std::vector<LineEntry> lineEntries;
  // Entries of the document's groups from group rows come after those of the
  // line rows, wherever the source puts them: they are gathered apart.
  model::Invoice groups;
  model::Invoice* into = &invoice;

  template <typename T>
  static void append(std::vector<T>& to, std::vector<T>& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  }
  void appendGroups() {
    append(invoice.notes, groups.notes);
    append(invoice.precedingInvoices, groups.precedingInvoices);
    append(invoice.seller.ids, groups.seller.ids);
    append(invoice.paymentMeans, groups.paymentMeans);
    append(invoice.allowancesCharges, groups.allowancesCharges);
    append(invoice.attachments, groups.attachments);
  }

  // Payment instructions that differ only in their account are one with
  // several accounts, as the CII syntax holds them (one block per account).
  void mergePaymentMeans() {
    std::vector<model::PaymentMeans> merged;
    for (model::PaymentMeans& p : invoice.paymentMeans) {
      auto same = std::find_if(merged.begin(), merged.end(), [&](const model::PaymentMeans& m) {
        return m.code == p.code && m.text == p.text && m.cardNumber == p.cardNumber &&
               m.cardHolder == p.cardHolder && m.debitedAccount == p.debitedAccount;
      });
      if (same == merged.end())
        merged.push_back(std::move(p));
      else
        append(same->accounts, p.accounts);
    }
    invoice.paymentMeans = std::move(merged);
  }

  struct ExemptionRow {
    std::string category, reason, code;
    std::size_t row;
  };
  std::vector<ExemptionRow> exemptions;

  // The invoice is that of the first row: rows of other invoices (a source
  // without a selector may deliver several) are no part of it.
  std::optional<std::string> number;
  bool belongs(const std::vector<Value>& row) {
    const int i = index[COL(BT1)];
    if (i < 0 || static_cast<std::size_t>(i) >= row.size()) return true;
    const Value& v = row[static_cast<std::size_t>(i)];
    std::string text = v.isNull() ? std::string() : txt::ValueToText(v);
    text = std::string(ascii::TrimBlanks(text));
    if (!number) number = text;
    return text.empty() || number->empty() || text == *number;
  }

  bool kindOf(const std::vector<Value>& row, RowKind& kind, std::size_t rowNumber) {
    kind = RowKind::Line;
    if (kindColumn < 0 || static_cast<std::size_t>(kindColumn) >= row.size()) return true;
    const Value& v = row[static_cast<std::size_t>(kindColumn)];
    if (v.isNull()) return true;
    if (v.kind() == Value::Kind::Text && model::ParseRowKind(v.text(), kind)) return true;
    if (rowNumber > 0) {
      std::string kinds;
      for (RowKind k : model::RowKinds())
        if (k != RowKind::Line)
          kinds += std::string(kinds.empty() ? "" : ", ") + std::string(model::RowKindName(k));
      bad.push_back({std::string(model::kRowKindColumn), rowNumber, Shown(v),
                     msg::Fill(src::kNoRowKind, {kinds})});
    }
    return false;
  }

  void exemption(Row& r, const std::string& category) {
    std::string reason = r.text(COL(BT120)), code = r.text(COL(BT121));
    if (reason.empty() && code.empty()) return;
    exemptions.push_back({category, std::move(reason), std::move(code), r.number()});
  }

  void head(Row& r) {
    model::Invoice& i = invoice;
    i.number = r.text(COL(BT1));
    i.issueDate = r.date(COL(BT2), true);
    i.typeCode = r.text(COL(BT3));
    i.currency = r.textOr(COL(BT5));
    i.vatAccountingCurrency = r.text(COL(BT6));
    i.taxPointDate = r.date(COL(BT7));
    i.taxPointDateCode = r.text(COL(BT8));
    i.dueDate = r.date(COL(BT9), true);
    i.buyerReference = r.text(COL(BT10));
    i.projectReference = r.text(COL(BT11));
    i.contractReference = r.text(COL(BT12));
    i.purchaseOrderReference = r.text(COL(BT13));
    i.salesOrderReference = r.text(COL(BT14));
    i.receivingAdviceReference = r.text(COL(BT15));
    i.despatchAdviceReference = r.text(COL(BT16));
    i.tenderReference = r.text(COL(BT17));
    i.invoicedObjectId = Id(r, COL(BT18), COL(BT18_scheme));
    i.buyerAccountingReference = r.text(COL(BT19));
    i.paymentTerms = r.text(COL(BT20));
    i.businessProcess = r.text(COL(BT23));
    i.specificationId = r.textOr(COL(BT24));

    // The note of the first row: a line break starts a second note with the
    // same subject code.
    std::string subject = r.text(COL(BT21)), note = r.text(COL(BT22));
    if (const auto cr = note.find('\r'); cr != std::string::npos) {
      std::size_t rest = cr + 1;
      if (rest < note.size() && note[rest] == '\n') ++rest;
      std::string first = note.substr(0, cr), second = note.substr(rest);
      if (!first.empty()) i.notes.push_back({subject, first});
      if (!second.empty()) i.notes.push_back({subject, second});
    } else if (!note.empty() || !subject.empty()) {
      i.notes.push_back({subject, note});
    }
    if (r.any({COL(BT25), COL(BT26)})) preceding(r);

    model::Party& s = i.seller;
    s.name = r.text(COL(BT27));
    s.tradingName = r.text(COL(BT28));
    if (r.any({COL(BT29), COL(BT29_scheme)})) s.ids.push_back(Id(r, COL(BT29), COL(BT29_scheme)));
    s.legalRegistration = Id(r, COL(BT30), COL(BT30_scheme));
    s.vatId = r.text(COL(BT31));
    s.taxRegistration = r.text(COL(BT32));
    s.additionalLegalInfo = r.text(COL(BT33));
    s.electronicAddress = Id(r, COL(BT34), COL(BT34_scheme));
    if (!s.electronicAddress.id.empty() && s.electronicAddress.scheme.empty())
      s.electronicAddress.scheme = Fallback(COL(BT34_scheme));
    ReadAddress(r, s.address, COL(BT35), COL(BT36), COL(BT162), COL(BT37), COL(BT38), COL(BT39),
                COL(BT40), true);
    s.contact = {r.text(COL(BT41)), r.text(COL(BT42)), r.text(COL(BT43))};

    model::Party& b = i.buyer;
    b.name = r.text(COL(BT44));
    b.tradingName = r.text(COL(BT45));
    if (r.any({COL(BT46), COL(BT46_scheme)})) b.ids.push_back(Id(r, COL(BT46), COL(BT46_scheme)));
    b.legalRegistration = Id(r, COL(BT47), COL(BT47_scheme));
    b.vatId = r.text(COL(BT48));
    b.electronicAddress = Id(r, COL(BT49), COL(BT49_scheme));
    if (!b.electronicAddress.id.empty() && b.electronicAddress.scheme.empty())
      b.electronicAddress.scheme = Fallback(COL(BT49_scheme));
    ReadAddress(r, b.address, COL(BT50), COL(BT51), COL(BT163), COL(BT52), COL(BT53), COL(BT54),
                COL(BT55), true);
    b.contact = {r.text(COL(BT56)), r.text(COL(BT57)), r.text(COL(BT58))};

    i.payee.name = r.text(COL(BT59));
    i.payee.id = Id(r, COL(BT60), COL(BT60_scheme));
    i.payee.legalRegistration = Id(r, COL(BT61), COL(BT61_scheme));

    i.taxRepresentative.name = r.text(COL(BT62));
    i.taxRepresentative.vatId = r.text(COL(BT63));
    ReadAddress(r, i.taxRepresentative.address, COL(BT64), COL(BT65), COL(BT164), COL(BT66),
                COL(BT67), COL(BT68), COL(BT69), false);

    i.delivery.partyName = r.text(COL(BT70));
    i.delivery.locationId = Id(r, COL(BT71), COL(BT71_scheme));
    i.delivery.actualDate = r.date(COL(BT72));
    ReadAddress(r, i.delivery.address, COL(BT75), COL(BT76), COL(BT165), COL(BT77), COL(BT78),
                COL(BT79), COL(BT80), false);
    i.invoicingPeriod = {r.date(COL(BT73)), r.date(COL(BT74))};

    i.remittanceInformation = r.text(COL(BT83));
    i.mandateReference = r.text(COL(BT89));
    i.creditorId = r.text(COL(BT90));
    if (r.any({COL(BT81), COL(BT82), COL(BT84), COL(BT85), COL(BT86), COL(BT87), COL(BT88),
               COL(BT91)}))
      payment(r);
    // Zero or empty: no charge (a view may fill the column with 0).
    if (auto amount = r.amount(COL(BT99)); amount && !amount->isZero()) charge(r, amount);
    if (r.any(
            {COL(BT122), COL(BT123), COL(BT124), COL(BT125), COL(BT125_mime), COL(BT125_filename)}))
      attachment(r);

    i.stated.totalWithoutVat = r.amount(COL(BT109));
    i.stated.vatTotal = r.amount(COL(BT110));
    i.totals.vatTotalInAccountingCurrency = r.amount(COL(BT111));
    i.stated.totalWithVat = r.amount(COL(BT112));
    i.totals.paidAmount = r.amount(COL(BT113));
    i.totals.roundingAmount = r.amount(COL(BT114));
    i.stated.amountDue = r.amount(COL(BT115));
  }

  void line(Row& r) {
    model::Line l;
    l.sourceRow = r.number();
    l.id = r.text(COL(BT126));
    l.note = r.text(COL(BT127));
    l.objectId = Id(r, COL(BT128), COL(BT128_scheme));
    l.quantity = r.number(COL(BT129));
    l.unitCode = r.textOr(COL(BT130));
    l.netAmount = r.amount(COL(BT131));
    l.orderLineReference = r.text(COL(BT132));
    l.accountingReference = r.text(COL(BT133));
    l.period = {r.date(COL(BT134)), r.date(COL(BT135))};
    if (auto amount = r.amount(COL(BT136)); amount && !amount->isZero())
      l.allowancesCharges.push_back(lineAllowanceCharge(r, false, amount));
    if (auto amount = r.amount(COL(BT141)); amount && !amount->isZero())
      l.allowancesCharges.push_back(lineAllowanceCharge(r, true, amount));
    l.netPrice = r.number(COL(BT146));
    l.priceDiscount = r.number(COL(BT147));
    l.grossPrice = r.number(COL(BT148));
    l.baseQuantity = r.number(COL(BT149));
    l.baseQuantityUnit = r.text(COL(BT150));
    l.vatCategory = r.text(COL(BT151));
    if (l.vatCategory.empty()) l.vatCategory = r.textOr(COL(BT118));
    l.vatRate = r.number(COL(BT152));
    l.itemName = r.text(COL(BT153));
    l.itemDescription = r.text(COL(BT154));
    l.sellerItemId = r.text(COL(BT155));
    l.buyerItemId = r.text(COL(BT156));
    l.standardId = Id(r, COL(BT157), COL(BT157_scheme));
    if (r.any({COL(BT158), COL(BT158_scheme), COL(BT158_version)}))
      l.classifications.push_back(classification(r));
    l.originCountry = r.text(COL(BT159));
    if (r.any({COL(BT160), COL(BT161)}))
      l.attributes.push_back({r.text(COL(BT160)), r.text(COL(BT161))});
    exemption(r, l.vatCategory);
    // A document allowance carried by a line row (zero or empty: none).
    if (auto amount = r.amount(COL(BT92)); amount && !amount->isZero()) allowance(r, amount);
    invoice.lines.push_back(std::move(l));
  }

  void preceding(Row& r) {
    into->precedingInvoices.push_back({r.text(COL(BT25)), r.date(COL(BT26))});
  }

  void payment(Row& r) {
    model::PaymentMeans p;
    p.code = r.text(COL(BT81));
    p.text = r.text(COL(BT82));
    if (r.any({COL(BT84), COL(BT85), COL(BT86)}))
      p.accounts.push_back({r.text(COL(BT84)), r.text(COL(BT85)), r.text(COL(BT86))});
    p.cardNumber = r.text(COL(BT87));
    p.cardHolder = r.text(COL(BT88));
    p.debitedAccount = r.text(COL(BT91));
    into->paymentMeans.push_back(std::move(p));
  }

  void allowance(Row& r, std::optional<Decimal> amount) {
    model::AllowanceCharge a;
    a.charge = false;
    a.amount = amount;
    a.baseAmount = r.amount(COL(BT93));
    a.percentage = r.number(COL(BT94));
    a.vatCategory = r.text(COL(BT95));
    a.vatRate = r.number(COL(BT96));
    a.reason = r.text(COL(BT97));
    a.reasonCode = r.text(COL(BT98));
    into->allowancesCharges.push_back(std::move(a));
  }

  void charge(Row& r, std::optional<Decimal> amount) {
    model::AllowanceCharge c;
    c.charge = true;
    c.amount = amount;
    c.baseAmount = r.amount(COL(BT100));
    c.percentage = r.number(COL(BT101));
    c.vatCategory = r.textOr(COL(BT102));
    c.vatRate = r.number(COL(BT103));
    c.reason = r.text(COL(BT104));
    c.reasonCode = r.text(COL(BT105));
    into->allowancesCharges.push_back(std::move(c));
  }

  model::AllowanceCharge lineAllowanceCharge(Row& r, bool isCharge, std::optional<Decimal> amount) {
    model::AllowanceCharge a;
    a.charge = isCharge;
    a.amount = amount;
    a.baseAmount = r.amount(isCharge ? COL(BT142) : COL(BT137));
    a.percentage = r.number(isCharge ? COL(BT143) : COL(BT138));
    a.reason = r.text(isCharge ? COL(BT144) : COL(BT139));
    a.reasonCode = r.text(isCharge ? COL(BT145) : COL(BT140));
    return a;
  }

  model::Classification classification(Row& r) {
    return {r.text(COL(BT158)), r.text(COL(BT158_scheme)), r.text(COL(BT158_version))};
  }

  void attachment(Row& r) {
    model::Attachment a;
    a.id = r.text(COL(BT122));
    a.description = r.text(COL(BT123));
    a.uri = r.text(COL(BT124));
    if (auto bytes = r.content(COL(BT125))) {
      a.content = std::move(*bytes);
      a.sourcePath = msg::Fill(src::kContentAt, {std::to_string(r.number())});
    }
    a.mimeCode = r.text(COL(BT125_mime));
    a.fileName = r.text(COL(BT125_filename));
    into->attachments.push_back(std::move(a));
  }

  void groupRow(Row& r, RowKind kind) {
    switch (kind) {
      case RowKind::Note:
        if (r.any({COL(BT21), COL(BT22)}))
          into->notes.push_back({r.text(COL(BT21)), r.text(COL(BT22))});
        return;
      case RowKind::Preceding:
        if (r.any({COL(BT25), COL(BT26)})) preceding(r);
        return;
      case RowKind::SellerId:
        if (r.any({COL(BT29), COL(BT29_scheme)}))
          into->seller.ids.push_back(Id(r, COL(BT29), COL(BT29_scheme)));
        return;
      case RowKind::Payment:
        if (r.any({COL(BT81), COL(BT82), COL(BT84), COL(BT85), COL(BT86), COL(BT87), COL(BT88),
                   COL(BT91)}))
          payment(r);
        return;
      case RowKind::Allowance:
        if (!r.any({COL(BT92), COL(BT93), COL(BT94), COL(BT95), COL(BT96), COL(BT97), COL(BT98)}))
          return;
        allowance(r, r.amount(COL(BT92)));
        exemption(r, into->allowancesCharges.back().vatCategory);
        return;
      case RowKind::Charge:
        if (!r.any({COL(BT99), COL(BT100), COL(BT101), COL(BT102), COL(BT103), COL(BT104),
                    COL(BT105)}))
          return;
        charge(r, r.amount(COL(BT99)));
        exemption(r, into->allowancesCharges.back().vatCategory);
        return;
      case RowKind::Attachment:
        if (r.any({COL(BT122), COL(BT123), COL(BT124), COL(BT125), COL(BT125_mime),
                   COL(BT125_filename)}))
          attachment(r);
        return;
      default:
        break;
    }
    // A group of a line: the line is named by BT126.
    LineEntry e{kind, r.text(COL(BT126)), r.number(), {}, {}, {}};
    if (e.lineId.empty()) {
      bad.push_back(
          {"BT126", r.number(), "", msg::Fill(src::kLineNotNamed, {model::RowKindName(kind)})});
      return;
    }
    if (kind == RowKind::LineAllowance || kind == RowKind::LineCharge) {
      const bool isCharge = kind == RowKind::LineCharge;
      e.allowanceCharge =
          lineAllowanceCharge(r, isCharge, r.amount(isCharge ? COL(BT141) : COL(BT136)));
    } else if (kind == RowKind::Classification) {
      e.classification = classification(r);
    } else {
      e.attribute = {r.text(COL(BT160)), r.text(COL(BT161))};
    }
    lineEntries.push_back(std::move(e));
  }

  void joinLineEntries() {
    std::unordered_map<std::string, std::size_t> byId;
    std::unordered_set<std::string> repeated;
    for (std::size_t k = 0; k < invoice.lines.size(); ++k)
      if (!byId.emplace(invoice.lines[k].id, k).second) repeated.insert(invoice.lines[k].id);
    for (LineEntry& e : lineEntries) {
      auto it = byId.find(e.lineId);
      if (it == byId.end() || repeated.count(e.lineId)) {
        bad.push_back(
            {"BT126", e.row, e.lineId, it == byId.end() ? src::kNoSuchLine : src::kSeveralLines});
        continue;
      }
      model::Line& l = invoice.lines[it->second];
      switch (e.kind) {
        case RowKind::LineAllowance:
        case RowKind::LineCharge:
          l.allowancesCharges.push_back(std::move(e.allowanceCharge));
          break;
        case RowKind::Classification:
          l.classifications.push_back(std::move(e.classification));
          break;
        default:
          l.attributes.push_back(std::move(e.attribute));
      }
    }
  }

  // One exemption reason per VAT category; rows may give the reason and the
  // code apart, but not two different ones.
  void takeOverExemptions() {
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> first;  // index, row
    for (const ExemptionRow& e : exemptions) {
      auto [it, inserted] = first.try_emplace(e.category, invoice.exemptions.size(), e.row);
      if (inserted) {
        invoice.exemptions.push_back({e.category, e.reason, e.code});
        continue;
      }
      auto& held = invoice.exemptions[it->second.first];
      auto merge = [&](std::string& mine, const std::string& theirs, const char* column) {
        if (theirs.empty() || theirs == mine) return;
        if (mine.empty()) {
          mine = theirs;
          return;
        }
        bad.push_back(
            {column, e.row, theirs,
             msg::Fill(src::kExemptionDiffers, {e.category, std::to_string(it->second.second)})});
      };
      merge(held.reason, e.reason, "BT120");
      merge(held.reasonCode, e.code, "BT121");
    }
  }
};

SourceReader::SourceReader(const std::vector<std::string>& columns)
    : impl_(std::make_unique<Impl>()) {
  impl_->index.assign(model::Columns().size(), -1);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (ascii::EqualsNoCase(columns[i], model::kRowKindColumn)) {
      if (impl_->kindColumn < 0) impl_->kindColumn = static_cast<int>(i);
      continue;
    }
    const model::Column* c = model::FindColumn(columns[i]);
    if (!c) continue;
    int& slot = impl_->index[static_cast<std::size_t>(c - model::Columns().data())];
    if (slot < 0) slot = static_cast<int>(i);
  }
}

SourceReader::~SourceReader() = default;

bool SourceReader::isLine(const std::vector<db::Value>& row) const {
  RowKind kind;
  return impl_->belongs(row) && impl_->kindOf(row, kind, 0) && kind == RowKind::Line;
}

void SourceReader::add(const std::vector<db::Value>& row, std::size_t rowNumber) {
  Impl& m = *impl_;
  RowKind kind;
  if (!m.belongs(row) || !m.kindOf(row, kind, rowNumber)) return;
  Row r(row, rowNumber, m.index, m.bad);
  if (kind != RowKind::Line) {
    m.into = &m.groups;
    m.groupRow(r, kind);
    m.into = &m.invoice;
    return;
  }
  if (!m.haveHead) {
    m.haveHead = true;
    m.head(r);
  }
  m.line(r);
}

model::Invoice SourceReader::finish() {
  impl_->appendGroups();
  impl_->mergePaymentMeans();
  impl_->joinLineEntries();
  impl_->takeOverExemptions();
  return std::move(impl_->invoice);
}

std::size_t SourceReader::lineCount() const { return impl_->invoice.lines.size(); }

const std::vector<BadValue>& SourceReader::badValues() const { return impl_->bad; }

// ---- Embedded files ------------------------------------------------------------

std::string MimeCodeOf(const std::string& path) {
  static const std::pair<std::string_view, std::string_view> kTable[] = {
      {".pdf", "application/pdf"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".csv", "text/csv"},
      {".xls", "application/vnd.ms-excel"},
      {".ods", "application/vnd.oasis.opendocument.spreadsheet"},
      {".xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {".xml", "text/xml"},
  };
  for (const auto& [ending, mime] : kTable)
    if (ascii::EndsWithNoCase(path, ending)) return std::string(mime);
  return {};
}

void ReadEmbeddedFiles(const std::string& list, std::vector<model::Attachment>& attachments,
                       std::vector<BadValue>& bad) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string path(ascii::TrimBlanks(std::string_view(list).substr(start, end - start)));
    start = end + 1;
    if (path.empty()) continue;
    if (!sys::fileExists(path)) {
      bad.push_back({"EmbeddedFile", 0, path, src::kFileMissing});
      continue;
    }
    model::Attachment a;
    const std::size_t slash = path.rfind('/');
    a.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    a.id = a.fileName;
    a.description = a.fileName;
    a.mimeCode = MimeCodeOf(path);
    a.sourcePath = path;
    std::error_code size;
    if (std::filesystem::file_size(path, size) > kMaxEmbeddedBytes && !size) {
      bad.push_back({"EmbeddedFile", 0, path,
                     msg::Fill(src::kFileTooLarge, {std::to_string(kMaxEmbeddedBytes >> 20)})});
      continue;
    }
    try {
      std::string bytes = sys::readFile(path, "attachment");
      // Without a MIME code the file is referenced, not embedded.
      if (!a.mimeCode.empty()) a.content = std::move(bytes);
    } catch (const std::system_error& e) {
      bad.push_back(
          {"EmbeddedFile", 0, path, std::string(src::kFileUnreadable) + e.code().message()});
      continue;
    }
    attachments.push_back(std::move(a));
  }
}

}  // namespace belvora::session
