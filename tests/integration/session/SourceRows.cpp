#include "SourceRows.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "model/Catalogue.h"

namespace belvora::test {
namespace {

using model::Decimal;

std::string SqlType(model::ValueType type, Dialect d) {
  const bool pg = d == Dialect::Postgres;
  switch (type) {
    case model::ValueType::Date:
      return pg ? "date" : "DATE";
    case model::ValueType::Amount:
      return pg ? "numeric(15, 2)" : "DECIMAL(15, 2)";
    case model::ValueType::Number:
      return pg ? "numeric" : "DECIMAL";
    case model::ValueType::Content:
      return pg ? "bytea" : "BLOB";
    default:
      return pg ? "text" : "TEXT";
  }
}

std::string Pad(std::string s, std::size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

// One column line of the table statement.
std::string ColumnLine(const std::string& name, const std::string& type,
                       const std::string& comment) {
  return "  " + Pad(name, 15) + " " + Pad(type + ",", 18) + "-- " + comment + "\n";
}

std::string ColumnLines(Dialect d) {
  std::string out;
  out += ColumnLine("RowNo", d == Dialect::Postgres ? "integer NOT NULL" : "INTEGER NOT NULL",
                    "order of the rows of one invoice");
  out += ColumnLine("RowKind", SqlType(model::ValueType::Text, d),
                    "NULL: invoice line; NOTE, PAYMENT, ...: an entry of a group");
  for (const model::Column& c : model::Columns()) {
    if (c.type == model::ValueType::Computed) continue;
    std::string type = SqlType(c.type, d);
    if (c.name == "BT1") type += " NOT NULL";
    out +=
        ColumnLine(std::string(c.name), type, std::string(c.term) + " " + std::string(c.meaning));
  }
  return out;
}

// ---- Writing rows -----------------------------------------------------------

struct RowValues {
  std::vector<std::string> names;
  std::vector<db::Value> values;

  void set(std::string_view column, db::Value v) {
    names.emplace_back(column);
    values.push_back(std::move(v));
  }
  void text(std::string_view column, const std::string& s) {
    if (!s.empty()) set(column, s);
  }
  void date(std::string_view column, const std::optional<model::Date>& d) {
    if (d) set(column, *d);
  }
  void number(std::string_view column, const std::optional<Decimal>& d) {
    if (d) set(column, d->text());
  }
  void id(std::string_view column, std::string_view scheme, const model::Identifier& i) {
    text(column, i.id);
    text(scheme, i.scheme);
  }
  void address(const model::Address& a, std::string_view l1, std::string_view l2,
               std::string_view l3, std::string_view city, std::string_view post,
               std::string_view sub, std::string_view country) {
    text(l1, a.line1);
    text(l2, a.line2);
    text(l3, a.line3);
    text(city, a.city);
    text(post, a.postCode);
    text(sub, a.subdivision);
    text(country, a.countryCode);
  }
};

void Insert(db::Connection& c, const std::string& table, const RowValues& row) {
  std::string names, marks;
  for (const auto& n : row.names) {
    names += (names.empty() ? "" : ", ") + n;
    marks += marks.empty() ? "?" : ", ?";
  }
  c.execute("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", row.values);
}

void Document(RowValues& r, const model::Invoice& i) {
  r.date("BT2", i.issueDate);
  r.text("BT3", i.typeCode);
  r.text("BT5", i.currency);
  r.text("BT6", i.vatAccountingCurrency);
  r.date("BT7", i.taxPointDate);
  r.text("BT8", i.taxPointDateCode);
  r.date("BT9", i.dueDate);
  r.text("BT10", i.buyerReference);
  r.text("BT11", i.projectReference);
  r.text("BT12", i.contractReference);
  r.text("BT13", i.purchaseOrderReference);
  r.text("BT14", i.salesOrderReference);
  r.text("BT15", i.receivingAdviceReference);
  r.text("BT16", i.despatchAdviceReference);
  r.text("BT17", i.tenderReference);
  r.id("BT18", "BT18_scheme", i.invoicedObjectId);
  r.text("BT19", i.buyerAccountingReference);
  r.text("BT20", i.paymentTerms);
  r.text("BT23", i.businessProcess);
  r.text("BT24", i.specificationId);
  const model::Party& s = i.seller;
  r.text("BT27", s.name);
  r.text("BT28", s.tradingName);
  r.id("BT30", "BT30_scheme", s.legalRegistration);
  r.text("BT31", s.vatId);
  r.text("BT32", s.taxRegistration);
  r.text("BT33", s.additionalLegalInfo);
  r.id("BT34", "BT34_scheme", s.electronicAddress);
  r.address(s.address, "BT35", "BT36", "BT162", "BT37", "BT38", "BT39", "BT40");
  r.text("BT41", s.contact.name);
  r.text("BT42", s.contact.telephone);
  r.text("BT43", s.contact.email);
  const model::Party& b = i.buyer;
  r.text("BT44", b.name);
  r.text("BT45", b.tradingName);
  if (!b.ids.empty()) r.id("BT46", "BT46_scheme", b.ids.front());
  r.id("BT47", "BT47_scheme", b.legalRegistration);
  r.text("BT48", b.vatId);
  r.id("BT49", "BT49_scheme", b.electronicAddress);
  r.address(b.address, "BT50", "BT51", "BT163", "BT52", "BT53", "BT54", "BT55");
  r.text("BT56", b.contact.name);
  r.text("BT57", b.contact.telephone);
  r.text("BT58", b.contact.email);
  r.text("BT59", i.payee.name);
  r.id("BT60", "BT60_scheme", i.payee.id);
  r.id("BT61", "BT61_scheme", i.payee.legalRegistration);
  r.text("BT62", i.taxRepresentative.name);
  r.text("BT63", i.taxRepresentative.vatId);
  r.address(i.taxRepresentative.address, "BT64", "BT65", "BT164", "BT66", "BT67", "BT68", "BT69");
  r.text("BT70", i.delivery.partyName);
  r.id("BT71", "BT71_scheme", i.delivery.locationId);
  r.date("BT72", i.delivery.actualDate);
  r.address(i.delivery.address, "BT75", "BT76", "BT165", "BT77", "BT78", "BT79", "BT80");
  r.date("BT73", i.invoicingPeriod.start);
  r.date("BT74", i.invoicingPeriod.end);
  r.text("BT83", i.remittanceInformation);
  r.text("BT89", i.mandateReference);
  r.text("BT90", i.creditorId);
  r.number("BT109", i.stated.totalWithoutVat);
  r.number("BT110", i.stated.vatTotal);
  r.number("BT111", i.totals.vatTotalInAccountingCurrency);
  r.number("BT112", i.stated.totalWithVat);
  r.number("BT113", i.totals.paidAmount);
  r.number("BT114", i.totals.roundingAmount);
  r.number("BT115", i.stated.amountDue);
}

void LineColumns(RowValues& r, const model::Line& l) {
  r.text("BT126", l.id);
  r.text("BT127", l.note);
  r.id("BT128", "BT128_scheme", l.objectId);
  r.number("BT129", l.quantity);
  r.text("BT130", l.unitCode);
  r.number("BT131", l.netAmount);
  r.text("BT132", l.orderLineReference);
  r.text("BT133", l.accountingReference);
  r.date("BT134", l.period.start);
  r.date("BT135", l.period.end);
  r.number("BT146", l.netPrice);
  r.number("BT147", l.priceDiscount);
  r.number("BT148", l.grossPrice);
  r.number("BT149", l.baseQuantity);
  r.text("BT150", l.baseQuantityUnit);
  r.text("BT118", l.vatCategory);
  r.number("BT152", l.vatRate);
  r.text("BT153", l.itemName);
  r.text("BT154", l.itemDescription);
  r.text("BT155", l.sellerItemId);
  r.text("BT156", l.buyerItemId);
  r.id("BT157", "BT157_scheme", l.standardId);
  r.text("BT159", l.originCountry);
}

// ---- Terms -------------------------------------------------------------------

std::string OneLine(std::string s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

class TermList {
 public:
  explicit TermList(std::vector<std::string>& out) : out_(out) {}
  void text(const std::string& prefix, const char* term, const std::string& v) {
    if (!v.empty()) out_.push_back(prefix + term + ": " + OneLine(v));
  }
  void date(const std::string& prefix, const char* term, const std::optional<model::Date>& d) {
    if (!d) return;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d->year, d->month, d->day);
    out_.push_back(prefix + term + ": " + buf);
  }
  void number(const std::string& prefix, const char* term, const std::optional<Decimal>& d) {
    if (d) out_.push_back(prefix + term + ": " + d->normalized().text());
  }
  void id(const std::string& prefix, const char* term, const model::Identifier& i) {
    text(prefix, term, i.id);
    text(prefix, (std::string(term) + "-1").c_str(), i.scheme);
  }
  void address(const std::string& prefix, const model::Address& a, const char* l1, const char* l2,
               const char* l3, const char* city, const char* post, const char* sub,
               const char* country) {
    text(prefix, l1, a.line1);
    text(prefix, l2, a.line2);
    text(prefix, l3, a.line3);
    text(prefix, city, a.city);
    text(prefix, post, a.postCode);
    text(prefix, sub, a.subdivision);
    text(prefix, country, a.countryCode);
  }

 private:
  std::vector<std::string>& out_;
};

std::string At(const char* group, std::size_t index) {
  return std::string(group) + "[" + std::to_string(index + 1) + "] ";
}

void AllowanceChargeTerms(TermList& t, const std::string& p, const model::AllowanceCharge& a,
                          bool line) {
  // BT-92.. / BT-99.. at document level, BT-136.. / BT-141.. on lines.
  static const char* doc[2][7] = {
      {"BT-92", "BT-93", "BT-94", "BT-95", "BT-96", "BT-97", "BT-98"},
      {"BT-99", "BT-100", "BT-101", "BT-102", "BT-103", "BT-104", "BT-105"}};
  static const char* ln[2][5] = {{"BT-136", "BT-137", "BT-138", "BT-139", "BT-140"},
                                 {"BT-141", "BT-142", "BT-143", "BT-144", "BT-145"}};
  const int k = a.charge ? 1 : 0;
  if (line) {
    t.number(p, ln[k][0], a.amount);
    t.number(p, ln[k][1], a.baseAmount);
    t.number(p, ln[k][2], a.percentage);
    t.text(p, ln[k][3], a.reason);
    t.text(p, ln[k][4], a.reasonCode);
    return;
  }
  t.number(p, doc[k][0], a.amount);
  t.number(p, doc[k][1], a.baseAmount);
  t.number(p, doc[k][2], a.percentage);
  t.text(p, doc[k][3], a.vatCategory);
  t.number(p, doc[k][4], a.vatRate);
  t.text(p, doc[k][5], a.reason);
  t.text(p, doc[k][6], a.reasonCode);
}

}  // namespace

std::string TablesScript(Dialect d) {
  const bool pg = d == Dialect::Postgres;
  std::string out;
  out += std::string("-- XRechnung creation source for ") + (pg ? "PostgreSQL" : "SQLite") +
         ": the table VorlageXRechnung,\n"
         "-- the view xRechnung the library reads, and the documents table tblDocuments.\n"
         "-- One row per invoice line (RowKind NULL); the first line row of an invoice\n"
         "-- also holds its document-level columns. One row per further entry of a\n"
         "-- repeated group (RowKind NOTE, PAYMENT, ALLOWANCE, ...); see the column\n"
         "-- reference in README.md.\n"
         "-- Generated from the column catalogue (library/model/Catalogue.cpp); the test\n"
         "-- test_template_database checks it and rewrites it when run with\n"
         "-- BELVORA_UPDATE_GENERATED=1.\n";
  if (pg)
    out +=
        "-- Identifiers are unquoted, so PostgreSQL keeps them in lower case\n"
        "-- (vorlagexrechnung, bt1, ...); the library finds columns without regard to case.\n"
        "-- Load: psql -v ON_ERROR_STOP=1 -d yourdb -f 01_xrechnung_tables.sql\n";
  else
    out += "-- Load: sqlite3 your.sqlite < 01_xrechnung_tables.sql\n";
  out += "\nBEGIN;\n\nCREATE TABLE IF NOT EXISTS VorlageXRechnung (\n";
  out += ColumnLines(d);
  out += "  PRIMARY KEY (BT1, RowNo)\n);\n\n";
  out += pg ? "CREATE OR REPLACE VIEW xRechnung AS\n" : "CREATE VIEW IF NOT EXISTS xRechnung AS\n";
  out += "  SELECT * FROM VorlageXRechnung ORDER BY BT1, RowNo;\n\n";
  out += pg ? R"(CREATE TABLE IF NOT EXISTS tblDocuments (
  ID         integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
  DocType    text,                -- AU: written invoice, IN: read invoice
  Number     text,                -- invoice number
  BinaryFile bytea,               -- the file's bytes
  FileName   text,
  FileType   text,                -- last three characters of the name
  FileSize   integer,             -- bytes
  CreatedAt  timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP
);
)"
            : R"(CREATE TABLE IF NOT EXISTS tblDocuments (
  ID         INTEGER PRIMARY KEY AUTOINCREMENT,
  DocType    TEXT,                -- AU: written invoice, IN: read invoice
  Number     TEXT,                -- invoice number
  BinaryFile BLOB,                -- the file's bytes
  FileName   TEXT,
  FileType   TEXT,                -- last three characters of the name
  FileSize   INTEGER,             -- bytes
  CreatedAt  DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP
);
)";
  out += "CREATE INDEX IF NOT EXISTS tblDocuments_Number ON tblDocuments (Number);\n\nCOMMIT;\n";
  return out;
}

std::string PostgresSampleScript(const std::string& sqlite) {
  const std::pair<std::string, std::string> header[] = {
      {"(SQLite).", "(PostgreSQL)."},
      {"-- Load: sqlite3 your.sqlite < 02_xrechnung_sample.sql",
       "-- Load: psql -v ON_ERROR_STOP=1 -d yourdb -f 02_xrechnung_sample.sql"},
      {"is postgresql/02_xrechnung_sample.sql.", "is sqlite/02_xrechnung_sample.sql."}};
  std::string out = sqlite;
  for (const auto& [from, to] : header)
    if (auto at = out.find(from); at != std::string::npos) out.replace(at, from.size(), to);
  return out;
}

std::string ColumnReferenceTable() {
  auto type = [](model::ValueType t) -> std::string {
    switch (t) {
      case model::ValueType::Date:
        return "date";
      case model::ValueType::Amount:
        return "amount";
      case model::ValueType::Number:
        return "number";
      case model::ValueType::Content:
        return "content";
      case model::ValueType::Computed:
        return "computed";
      default:
        return "text";
    }
  };
  auto rows = [](const model::Column& c) -> std::string {
    switch (c.home) {
      case model::Home::Document:
        return "first line";
      case model::Home::Line:
        return "line";
      case model::Home::Computed:
        return "-";
      default:
        break;
    }
    const std::string kind(model::RowKindName(c.group));
    if (c.group == model::RowKind::Allowance) return "line, " + kind;
    if (model::IsLineGroup(c.group)) return "line, " + kind + " (with BT126)";
    return "first line, " + kind;
  };
  auto cell = [](std::string_view text) {
    std::string out;
    for (char ch : text) out += ch == '|' ? std::string("\\|") : std::string(1, ch);
    return out;
  };
  std::string out =
      "| Column | Term | Meaning | Type | Rows | Written to | Default |\n"
      "|---|---|---|---|---|---|---|\n";
  for (const model::Column& c : model::Columns()) {
    out += "| `" + std::string(c.name) + "` | " + std::string(c.term) + " | " + cell(c.meaning) +
           " | " + type(c.type) + " | " + rows(c) + " | " + cell(c.written) + " | " +
           (c.fallback.empty() ? std::string() : "`" + std::string(c.fallback) + "`") + " |\n";
  }
  return out;
}

std::string SourceTableStatement(const std::string& table) {
  return "CREATE TABLE IF NOT EXISTS " + table + " (\n" + ColumnLines(Dialect::Sqlite) +
         "  PRIMARY KEY (BT1, RowNo)\n)";
}

void WriteSourceRows(db::Connection& c, const std::string& table, const model::Invoice& read,
                     bool totalsAsStated) {
  model::Invoice stated;
  if (totalsAsStated) {
    stated = read;
    stated.stated = {read.totals.totalWithoutVat, read.totals.vatTotal, read.totals.totalWithVat,
                     read.totals.amountDue};
  }
  const model::Invoice& invoice = totalsAsStated ? stated : read;
  c.execute(SourceTableStatement(table));
  int rowNo = 0;
  std::set<std::string> exempted;
  auto exemption = [&](RowValues& r, const std::string& category) {
    if (exempted.count(category)) return;
    for (const auto& e : invoice.exemptions) {
      if (e.category != category) continue;
      r.text("BT120", e.reason);
      r.text("BT121", e.reasonCode);
      exempted.insert(category);
      return;
    }
  };
  auto start = [&](const char* kind) {
    RowValues r;
    r.set("RowNo", ++rowNo);
    if (kind) r.set("RowKind", kind);
    r.set("BT1", invoice.number);
    return r;
  };

  for (std::size_t k = 0; k < invoice.lines.size(); ++k) {
    RowValues r = start(nullptr);
    if (k == 0) Document(r, invoice);
    LineColumns(r, invoice.lines[k]);
    exemption(r, invoice.lines[k].vatCategory);
    Insert(c, table, r);
  }
  for (const auto& n : invoice.notes) {
    RowValues r = start("NOTE");
    r.text("BT21", n.subjectCode);
    r.text("BT22", n.text);
    Insert(c, table, r);
  }
  for (const auto& p : invoice.precedingInvoices) {
    RowValues r = start("PRECEDING");
    r.text("BT25", p.number);
    r.date("BT26", p.date);
    Insert(c, table, r);
  }
  for (const auto& id : invoice.seller.ids) {
    RowValues r = start("SELLERID");
    r.id("BT29", "BT29_scheme", id);
    Insert(c, table, r);
  }
  for (const auto& p : invoice.paymentMeans) {
    // One row per account: the reader joins rows that differ only there.
    const std::size_t rows = std::max<std::size_t>(1, p.accounts.size());
    for (std::size_t k = 0; k < rows; ++k) {
      RowValues r = start("PAYMENT");
      r.text("BT81", p.code);
      r.text("BT82", p.text);
      if (k < p.accounts.size()) {
        r.text("BT84", p.accounts[k].accountId);
        r.text("BT85", p.accounts[k].accountName);
        r.text("BT86", p.accounts[k].providerId);
      }
      r.text("BT87", p.cardNumber);
      r.text("BT88", p.cardHolder);
      r.text("BT91", p.debitedAccount);
      Insert(c, table, r);
    }
  }
  for (const auto& a : invoice.allowancesCharges) {
    RowValues r = start(a.charge ? "CHARGE" : "ALLOWANCE");
    const char* cols[2][7] = {{"BT92", "BT93", "BT94", "BT95", "BT96", "BT97", "BT98"},
                              {"BT99", "BT100", "BT101", "BT102", "BT103", "BT104", "BT105"}};
    const auto& n = cols[a.charge ? 1 : 0];
    r.number(n[0], a.amount);
    r.number(n[1], a.baseAmount);
    r.number(n[2], a.percentage);
    r.text(n[3], a.vatCategory);
    r.number(n[4], a.vatRate);
    r.text(n[5], a.reason);
    r.text(n[6], a.reasonCode);
    exemption(r, a.vatCategory);
    Insert(c, table, r);
  }
  for (const auto& a : invoice.attachments) {
    RowValues r = start("ATTACHMENT");
    r.text("BT122", a.id);
    r.text("BT123", a.description);
    r.text("BT124", a.uri);
    if (!a.content.empty()) r.set("BT125", db::Blob(a.content.begin(), a.content.end()));
    r.text("BT125_mime", a.mimeCode);
    r.text("BT125_filename", a.fileName);
    Insert(c, table, r);
  }
  for (const auto& l : invoice.lines) {
    for (const auto& a : l.allowancesCharges) {
      RowValues r = start(a.charge ? "LINECHARGE" : "LINEALLOWANCE");
      r.text("BT126", l.id);
      const char* n[2][5] = {{"BT136", "BT137", "BT138", "BT139", "BT140"},
                             {"BT141", "BT142", "BT143", "BT144", "BT145"}};
      const auto& cols = n[a.charge ? 1 : 0];
      r.number(cols[0], a.amount);
      r.number(cols[1], a.baseAmount);
      r.number(cols[2], a.percentage);
      r.text(cols[3], a.reason);
      r.text(cols[4], a.reasonCode);
      Insert(c, table, r);
    }
    for (const auto& k : l.classifications) {
      RowValues r = start("CLASSIFICATION");
      r.text("BT126", l.id);
      r.text("BT158", k.code);
      r.text("BT158_scheme", k.listId);
      r.text("BT158_version", k.version);
      Insert(c, table, r);
    }
    for (const auto& a : l.attributes) {
      RowValues r = start("ATTRIBUTE");
      r.text("BT126", l.id);
      r.text("BT160", a.name);
      r.text("BT161", a.value);
      Insert(c, table, r);
    }
  }
}

std::vector<std::string> Terms(const model::Invoice& i, bool computed) {
  std::vector<std::string> out;
  TermList t(out);
  const std::string d;
  t.text(d, "BT-1", i.number);
  t.date(d, "BT-2", i.issueDate);
  t.text(d, "BT-3", i.typeCode);
  t.text(d, "BT-5", i.currency);
  t.text(d, "BT-6", i.vatAccountingCurrency);
  t.date(d, "BT-7", i.taxPointDate);
  t.text(d, "BT-8", i.taxPointDateCode);
  t.date(d, "BT-9", i.dueDate);
  t.text(d, "BT-10", i.buyerReference);
  t.text(d, "BT-11", i.projectReference);
  t.text(d, "BT-12", i.contractReference);
  t.text(d, "BT-13", i.purchaseOrderReference);
  t.text(d, "BT-14", i.salesOrderReference);
  t.text(d, "BT-15", i.receivingAdviceReference);
  t.text(d, "BT-16", i.despatchAdviceReference);
  t.text(d, "BT-17", i.tenderReference);
  t.id(d, "BT-18", i.invoicedObjectId);
  t.text(d, "BT-19", i.buyerAccountingReference);
  t.text(d, "BT-20", i.paymentTerms);
  for (std::size_t k = 0; k < i.notes.size(); ++k) {
    t.text(At("BG-1", k), "BT-21", i.notes[k].subjectCode);
    t.text(At("BG-1", k), "BT-22", i.notes[k].text);
  }
  t.text(d, "BT-23", i.businessProcess);
  t.text(d, "BT-24", i.specificationId);
  for (std::size_t k = 0; k < i.precedingInvoices.size(); ++k) {
    t.text(At("BG-3", k), "BT-25", i.precedingInvoices[k].number);
    t.date(At("BG-3", k), "BT-26", i.precedingInvoices[k].date);
  }
  const model::Party& s = i.seller;
  t.text(d, "BT-27", s.name);
  t.text(d, "BT-28", s.tradingName);
  for (std::size_t k = 0; k < s.ids.size(); ++k) t.id(At("BT-29", k), "BT-29", s.ids[k]);
  t.id(d, "BT-30", s.legalRegistration);
  t.text(d, "BT-31", s.vatId);
  t.text(d, "BT-32", s.taxRegistration);
  t.text(d, "BT-33", s.additionalLegalInfo);
  t.id(d, "BT-34", s.electronicAddress);
  t.address(d, s.address, "BT-35", "BT-36", "BT-162", "BT-37", "BT-38", "BT-39", "BT-40");
  t.text(d, "BT-41", s.contact.name);
  t.text(d, "BT-42", s.contact.telephone);
  t.text(d, "BT-43", s.contact.email);
  const model::Party& b = i.buyer;
  t.text(d, "BT-44", b.name);
  t.text(d, "BT-45", b.tradingName);
  for (std::size_t k = 0; k < b.ids.size(); ++k) t.id(At("BT-46", k), "BT-46", b.ids[k]);
  t.id(d, "BT-47", b.legalRegistration);
  t.text(d, "BT-48", b.vatId);
  t.id(d, "BT-49", b.electronicAddress);
  t.address(d, b.address, "BT-50", "BT-51", "BT-163", "BT-52", "BT-53", "BT-54", "BT-55");
  t.text(d, "BT-56", b.contact.name);
  t.text(d, "BT-57", b.contact.telephone);
  t.text(d, "BT-58", b.contact.email);
  t.text(d, "BT-59", i.payee.name);
  t.id(d, "BT-60", i.payee.id);
  t.id(d, "BT-61", i.payee.legalRegistration);
  t.text(d, "BT-62", i.taxRepresentative.name);
  t.text(d, "BT-63", i.taxRepresentative.vatId);
  t.address(d, i.taxRepresentative.address, "BT-64", "BT-65", "BT-164", "BT-66", "BT-67", "BT-68",
            "BT-69");
  t.text(d, "BT-70", i.delivery.partyName);
  t.id(d, "BT-71", i.delivery.locationId);
  t.date(d, "BT-72", i.delivery.actualDate);
  t.date(d, "BT-73", i.invoicingPeriod.start);
  t.date(d, "BT-74", i.invoicingPeriod.end);
  t.address(d, i.delivery.address, "BT-75", "BT-76", "BT-165", "BT-77", "BT-78", "BT-79", "BT-80");
  t.text(d, "BT-83", i.remittanceInformation);
  t.text(d, "BT-89", i.mandateReference);
  t.text(d, "BT-90", i.creditorId);
  for (std::size_t k = 0; k < i.paymentMeans.size(); ++k) {
    const auto& p = i.paymentMeans[k];
    const std::string g = At("BG-16", k);
    t.text(g, "BT-81", p.code);
    t.text(g, "BT-82", p.text);
    for (std::size_t a = 0; a < p.accounts.size(); ++a) {
      const std::string ga = g + At("BG-17", a);
      t.text(ga, "BT-84", p.accounts[a].accountId);
      t.text(ga, "BT-85", p.accounts[a].accountName);
      t.text(ga, "BT-86", p.accounts[a].providerId);
    }
    t.text(g, "BT-87", p.cardNumber);
    t.text(g, "BT-88", p.cardHolder);
    t.text(g, "BT-91", p.debitedAccount);
  }
  for (std::size_t k = 0; k < i.allowancesCharges.size(); ++k) {
    const auto& a = i.allowancesCharges[k];
    AllowanceChargeTerms(t, At(a.charge ? "BG-21" : "BG-20", k), a, false);
  }
  t.number(d, "BT-111", i.totals.vatTotalInAccountingCurrency);
  t.number(d, "BT-113", i.totals.paidAmount);
  t.number(d, "BT-114", i.totals.roundingAmount);
  t.number("stated ", "BT-109", i.stated.totalWithoutVat);
  t.number("stated ", "BT-110", i.stated.vatTotal);
  t.number("stated ", "BT-112", i.stated.totalWithVat);
  t.number("stated ", "BT-115", i.stated.amountDue);
  for (const auto& e : i.exemptions) {
    t.text("exemption " + e.category + " ", "BT-120", e.reason);
    t.text("exemption " + e.category + " ", "BT-121", e.reasonCode);
  }
  if (computed) {
    t.number(d, "BT-106", i.totals.lineNetTotal);
    t.number(d, "BT-107", i.totals.allowanceTotal);
    t.number(d, "BT-108", i.totals.chargeTotal);
    t.number(d, "BT-109", i.totals.totalWithoutVat);
    t.number(d, "BT-110", i.totals.vatTotal);
    t.number(d, "BT-112", i.totals.totalWithVat);
    t.number(d, "BT-115", i.totals.amountDue);
    for (std::size_t k = 0; k < i.vatBreakdown.size(); ++k) {
      const auto& v = i.vatBreakdown[k];
      const std::string g = At("BG-23", k);
      t.number(g, "BT-116", v.taxableAmount);
      t.number(g, "BT-117", v.taxAmount);
      t.text(g, "BT-118", v.category);
      t.number(g, "BT-119", v.rate);
      t.text(g, "BT-120", v.exemptionReason);
      t.text(g, "BT-121", v.exemptionReasonCode);
    }
  }
  for (std::size_t k = 0; k < i.attachments.size(); ++k) {
    const auto& a = i.attachments[k];
    const std::string g = At("BG-24", k);
    t.text(g, "BT-122", a.id);
    t.text(g, "BT-123", a.description);
    t.text(g, "BT-124", a.uri);
    if (!a.content.empty())
      t.text(g, "BT-125",
             std::to_string(a.content.size()) + " bytes, hash " +
                 std::to_string(std::hash<std::string>{}(a.content)));
    t.text(g, "BT-125-1", a.mimeCode);
    t.text(g, "BT-125-2", a.fileName);
  }
  for (std::size_t k = 0; k < i.lines.size(); ++k) {
    const model::Line& l = i.lines[k];
    const std::string g = At("BG-25", k);
    t.text(g, "BT-126", l.id);
    t.text(g, "BT-127", l.note);
    t.id(g, "BT-128", l.objectId);
    t.number(g, "BT-129", l.quantity);
    t.text(g, "BT-130", l.unitCode);
    t.number(g, "BT-131", l.netAmount);
    t.text(g, "BT-132", l.orderLineReference);
    t.text(g, "BT-133", l.accountingReference);
    t.date(g, "BT-134", l.period.start);
    t.date(g, "BT-135", l.period.end);
    for (std::size_t a = 0; a < l.allowancesCharges.size(); ++a)
      AllowanceChargeTerms(t, g + At(l.allowancesCharges[a].charge ? "BG-28" : "BG-27", a),
                           l.allowancesCharges[a], true);
    t.number(g, "BT-146", l.netPrice);
    t.number(g, "BT-147", l.priceDiscount);
    t.number(g, "BT-148", l.grossPrice);
    t.number(g, "BT-149", l.baseQuantity);
    t.text(g, "BT-150", l.baseQuantityUnit);
    t.text(g, "BT-151", l.vatCategory);
    t.number(g, "BT-152", l.vatRate);
    t.text(g, "BT-153", l.itemName);
    t.text(g, "BT-154", l.itemDescription);
    t.text(g, "BT-155", l.sellerItemId);
    t.text(g, "BT-156", l.buyerItemId);
    t.id(g, "BT-157", l.standardId);
    for (std::size_t c = 0; c < l.classifications.size(); ++c) {
      const std::string gc = g + At("BT-158", c);
      t.text(gc, "BT-158", l.classifications[c].code);
      t.text(gc, "BT-158-1", l.classifications[c].listId);
      t.text(gc, "BT-158-2", l.classifications[c].version);
    }
    t.text(g, "BT-159", l.originCountry);
    for (std::size_t a = 0; a < l.attributes.size(); ++a) {
      t.text(g + At("BG-32", a), "BT-160", l.attributes[a].name);
      t.text(g + At("BG-32", a), "BT-161", l.attributes[a].value);
    }
  }
  return out;
}

}  // namespace belvora::test
