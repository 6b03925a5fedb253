#include "SourceRows.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <set>

#include "model/Catalogue.h"

namespace belvora::test {
namespace {

using model::Decimal;

std::string SqlType(model::ValueType type, Dialect d) {
  static const char* kSqlite[] = {"TEXT", "DATE", "DECIMAL(15, 2)", "DECIMAL", "BLOB", "TEXT"};
  static const char* kPostgres[] = {"text", "date", "numeric(15, 2)", "numeric", "bytea", "text"};
  return (d == Dialect::Postgres ? kPostgres : kSqlite)[static_cast<int>(type)];
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

// ---- One walk over an invoice's terms, for source rows and for term lines ----

// The term of a column: "BT29" is BT-29, "BT29_scheme" BT-29-1, "BT125_filename" BT-125-2.
std::string Term(std::string_view column) {
  const auto cut = column.find('_');
  std::string term = "BT-" + std::string(column.substr(2, cut - 2));
  if (cut == std::string_view::npos) return term;
  const auto suffix = column.substr(cut + 1);
  return term + (suffix == "scheme" || suffix == "mime" ? "-1" : "-2");
}

std::string OneLine(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return out;
}

std::string At(const char* group, std::size_t index) {
  return std::string(group) + "[" + std::to_string(index + 1) + "] ";
}

// Receives every value the invoice holds with its column, and each start of a
// source row. `at` names the group entry for term lines; `terms` is set for
// term lines (every buyer identifier, no repeated payment columns, no links).
struct Sink {
  virtual ~Sink() = default;
  virtual void row(const char* kind) = 0;  // "DOCUMENT", "LINE" or a RowKind
  virtual void put(std::string_view column, const std::string& term, db::Value value) = 0;

  void text(std::string_view column, const std::string& s) {
    if (!s.empty()) put(column, OneLine(s), s);
  }
  void date(std::string_view column, const std::optional<model::Date>& d) {
    if (!d) return;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d->year, d->month, d->day);
    put(column, buf, *d);
  }
  void number(std::string_view column, const std::optional<Decimal>& d) {
    if (d) put(column, d->normalized().text(), d->text());
  }
  void id(std::string_view column, const model::Identifier& i) {
    text(column, i.id);
    text(std::string(column) + "_scheme", i.scheme);
  }
  // The columns of line 1 to 3, city, post code, subdivision and country.
  void address(const model::Address& a, const std::array<std::string_view, 7>& c) {
    const std::string* v[] = {&a.line1,    &a.line2,       &a.line3,      &a.city,
                              &a.postCode, &a.subdivision, &a.countryCode};
    for (int k = 0; k < 7; ++k) text(c[k], *v[k]);
  }

  std::string at;
  bool terms = false;
};

void AllowanceCharge(Sink& s, const model::AllowanceCharge& a, bool line) {
  // BT92.. / BT99.. at document level, BT136.. / BT141.. on lines.
  static const char* doc[2][7] = {{"BT92", "BT93", "BT94", "BT95", "BT96", "BT97", "BT98"},
                                  {"BT99", "BT100", "BT101", "BT102", "BT103", "BT104", "BT105"}};
  static const char* ln[2][7] = {{"BT136", "BT137", "BT138", "", "", "BT139", "BT140"},
                                 {"BT141", "BT142", "BT143", "", "", "BT144", "BT145"}};
  const auto& c = (line ? ln : doc)[a.charge ? 1 : 0];
  s.number(c[0], a.amount);
  s.number(c[1], a.baseAmount);
  s.number(c[2], a.percentage);
  if (!line) {
    s.text(c[3], a.vatCategory);
    s.number(c[4], a.vatRate);
  }
  s.text(c[5], a.reason);
  s.text(c[6], a.reasonCode);
}

// Every term the source can hold, in model order; exemption reasons and
// computed terms are left to the callers.
void Walk(const model::Invoice& i, Sink& s) {
  s.row("DOCUMENT");
  s.text("BT1", i.number);
  s.date("BT2", i.issueDate);
  s.text("BT3", i.typeCode);
  s.text("BT5", i.currency);
  s.text("BT6", i.vatAccountingCurrency);
  s.date("BT7", i.taxPointDate);
  s.text("BT8", i.taxPointDateCode);
  s.date("BT9", i.dueDate);
  s.text("BT10", i.buyerReference);
  s.text("BT11", i.projectReference);
  s.text("BT12", i.contractReference);
  s.text("BT13", i.purchaseOrderReference);
  s.text("BT14", i.salesOrderReference);
  s.text("BT15", i.receivingAdviceReference);
  s.text("BT16", i.despatchAdviceReference);
  s.text("BT17", i.tenderReference);
  s.id("BT18", i.invoicedObjectId);
  s.text("BT19", i.buyerAccountingReference);
  s.text("BT20", i.paymentTerms);
  s.text("BT23", i.businessProcess);
  s.text("BT24", i.specificationId);
  const model::Party& se = i.seller;
  s.text("BT27", se.name);
  s.text("BT28", se.tradingName);
  s.id("BT30", se.legalRegistration);
  s.text("BT31", se.vatId);
  s.text("BT32", se.taxRegistration);
  s.text("BT33", se.additionalLegalInfo);
  s.id("BT34", se.electronicAddress);
  s.address(se.address, {"BT35", "BT36", "BT162", "BT37", "BT38", "BT39", "BT40"});
  s.text("BT41", se.contact.name);
  s.text("BT42", se.contact.telephone);
  s.text("BT43", se.contact.email);
  const model::Party& b = i.buyer;
  s.text("BT44", b.name);
  s.text("BT45", b.tradingName);
  // The source holds one buyer identifier; the terms show every one.
  for (std::size_t k = 0; k < b.ids.size() && (k == 0 || s.terms); ++k) {
    s.at = s.terms ? At("BT-46", k) : "";
    s.id("BT46", b.ids[k]);
  }
  s.at.clear();
  s.id("BT47", b.legalRegistration);
  s.text("BT48", b.vatId);
  s.id("BT49", b.electronicAddress);
  s.address(b.address, {"BT50", "BT51", "BT163", "BT52", "BT53", "BT54", "BT55"});
  s.text("BT56", b.contact.name);
  s.text("BT57", b.contact.telephone);
  s.text("BT58", b.contact.email);
  s.text("BT59", i.payee.name);
  s.id("BT60", i.payee.id);
  s.id("BT61", i.payee.legalRegistration);
  s.text("BT62", i.taxRepresentative.name);
  s.text("BT63", i.taxRepresentative.vatId);
  s.address(i.taxRepresentative.address, {"BT64", "BT65", "BT164", "BT66", "BT67", "BT68", "BT69"});
  s.text("BT70", i.delivery.partyName);
  s.id("BT71", i.delivery.locationId);
  s.date("BT72", i.delivery.actualDate);
  s.date("BT73", i.invoicingPeriod.start);
  s.date("BT74", i.invoicingPeriod.end);
  s.address(i.delivery.address, {"BT75", "BT76", "BT165", "BT77", "BT78", "BT79", "BT80"});
  s.text("BT83", i.remittanceInformation);
  s.text("BT89", i.mandateReference);
  s.text("BT90", i.creditorId);
  s.number("BT111", i.totals.vatTotalInAccountingCurrency);
  s.number("BT113", i.totals.paidAmount);
  s.number("BT114", i.totals.roundingAmount);
  s.at = "stated ";
  s.number("BT109", i.stated.totalWithoutVat);
  s.number("BT110", i.stated.vatTotal);
  s.number("BT112", i.stated.totalWithVat);
  s.number("BT115", i.stated.amountDue);

  for (std::size_t k = 0; k < i.notes.size(); ++k) {
    s.row("NOTE");
    s.at = At("BG-1", k);
    s.text("BT21", i.notes[k].subjectCode);
    s.text("BT22", i.notes[k].text);
  }
  for (std::size_t k = 0; k < i.precedingInvoices.size(); ++k) {
    s.row("PRECEDING");
    s.at = At("BG-3", k);
    s.text("BT25", i.precedingInvoices[k].number);
    s.date("BT26", i.precedingInvoices[k].date);
  }
  for (std::size_t k = 0; k < se.ids.size(); ++k) {
    s.row("SELLERID");
    s.at = At("BT-29", k);
    s.id("BT29", se.ids[k]);
  }
  for (std::size_t k = 0; k < i.paymentMeans.size(); ++k) {
    // One row per account: the reader joins rows that differ only there.
    const auto& p = i.paymentMeans[k];
    for (std::size_t a = 0; a < std::max<std::size_t>(1, p.accounts.size()); ++a) {
      s.row("PAYMENT");
      s.at = At("BG-16", k);
      if (a == 0 || !s.terms) {
        s.text("BT81", p.code);
        s.text("BT82", p.text);
        s.text("BT87", p.cardNumber);
        s.text("BT88", p.cardHolder);
        s.text("BT91", p.debitedAccount);
      }
      if (a >= p.accounts.size()) continue;
      s.at += At("BG-17", a);
      s.text("BT84", p.accounts[a].accountId);
      s.text("BT85", p.accounts[a].accountName);
      s.text("BT86", p.accounts[a].providerId);
    }
  }
  for (std::size_t k = 0; k < i.allowancesCharges.size(); ++k) {
    const auto& a = i.allowancesCharges[k];
    s.row(a.charge ? "CHARGE" : "ALLOWANCE");
    s.at = At(a.charge ? "BG-21" : "BG-20", k);
    AllowanceCharge(s, a, false);
  }
  for (std::size_t k = 0; k < i.attachments.size(); ++k) {
    const auto& a = i.attachments[k];
    s.row("ATTACHMENT");
    s.at = At("BG-24", k);
    s.text("BT122", a.id);
    s.text("BT123", a.description);
    s.text("BT124", a.uri);
    if (!a.content.empty())
      s.put("BT125",
            std::to_string(a.content.size()) + " bytes, hash " +
                std::to_string(std::hash<std::string>{}(a.content)),
            db::Blob(a.content.begin(), a.content.end()));
    s.text("BT125_mime", a.mimeCode);
    s.text("BT125_filename", a.fileName);
  }

  for (std::size_t k = 0; k < i.lines.size(); ++k) {
    const model::Line& l = i.lines[k];
    const std::string g = At("BG-25", k);
    s.row("LINE");
    s.at = g;
    s.text("BT126", l.id);
    s.text("BT127", l.note);
    s.id("BT128", l.objectId);
    s.number("BT129", l.quantity);
    s.text("BT130", l.unitCode);
    s.number("BT131", l.netAmount);
    s.text("BT132", l.orderLineReference);
    s.text("BT133", l.accountingReference);
    s.date("BT134", l.period.start);
    s.date("BT135", l.period.end);
    s.number("BT146", l.netPrice);
    s.number("BT147", l.priceDiscount);
    s.number("BT148", l.grossPrice);
    s.number("BT149", l.baseQuantity);
    s.text("BT150", l.baseQuantityUnit);
    s.text("BT118", l.vatCategory);
    s.number("BT152", l.vatRate);
    s.text("BT153", l.itemName);
    s.text("BT154", l.itemDescription);
    s.text("BT155", l.sellerItemId);
    s.text("BT156", l.buyerItemId);
    s.id("BT157", l.standardId);
    s.text("BT159", l.originCountry);
    // Group rows name their line by BT126; term lines by their prefix.
    auto entry = [&](const char* kind, const std::string& at) {
      s.row(kind);
      s.at = g + at;
      if (!s.terms) s.text("BT126", l.id);
    };
    for (std::size_t a = 0; a < l.allowancesCharges.size(); ++a) {
      const bool charge = l.allowancesCharges[a].charge;
      entry(charge ? "LINECHARGE" : "LINEALLOWANCE", At(charge ? "BG-28" : "BG-27", a));
      AllowanceCharge(s, l.allowancesCharges[a], true);
    }
    for (std::size_t c = 0; c < l.classifications.size(); ++c) {
      entry("CLASSIFICATION", At("BT-158", c));
      s.text("BT158", l.classifications[c].code);
      s.text("BT158_scheme", l.classifications[c].listId);
      s.text("BT158_version", l.classifications[c].version);
    }
    for (std::size_t a = 0; a < l.attributes.size(); ++a) {
      entry("ATTRIBUTE", At("BG-32", a));
      s.text("BT160", l.attributes[a].name);
      s.text("BT161", l.attributes[a].value);
    }
  }
}

struct Row {
  const char* kind;
  std::vector<std::string> names;
  std::vector<db::Value> values;
  const db::Value* find(std::string_view column) const {
    for (std::size_t k = 0; k < names.size(); ++k)
      if (names[k] == column) return &values[k];
    return nullptr;
  }
};

struct RowSink : Sink {
  void row(const char* kind) override { rows.push_back({kind, {}, {}}); }
  void put(std::string_view column, const std::string&, db::Value value) override {
    if (column == "BT1") return;  // every row names its invoice
    rows.back().names.emplace_back(column);
    rows.back().values.push_back(std::move(value));
  }
  std::vector<Row> rows;
};

struct TermSink : Sink {
  explicit TermSink(std::vector<std::string>& lines) : out(lines) { terms = true; }
  void row(const char*) override { at.clear(); }
  void put(std::string_view column, const std::string& term, db::Value) override {
    out.push_back(at + Term(column) + ": " + term);
  }
  std::vector<std::string>& out;
};

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
  static const char* kTypes[] = {"text", "date", "amount", "number", "content", "computed"};
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
           " | " + kTypes[static_cast<int>(c.type)] + " | " + rows(c) + " | " + cell(c.written) +
           " | " + (c.fallback.empty() ? std::string() : "`" + std::string(c.fallback) + "`") +
           " |\n";
  }
  return out;
}

std::string SourceTableStatement(const std::string& table) {
  return "CREATE TABLE IF NOT EXISTS " + table + " (\n" + ColumnLines(Dialect::Sqlite) +
         "  PRIMARY KEY (BT1, RowNo)\n)";
}

void WriteSourceRows(db::Connection& c, const std::string& table, const model::Invoice& read,
                     bool totalsAsStated) {
  model::Invoice invoice = read;
  if (totalsAsStated)
    invoice.stated = {read.totals.totalWithoutVat, read.totals.vatTotal, read.totals.totalWithVat,
                      read.totals.amountDue};
  c.execute(SourceTableStatement(table));
  RowSink s;
  Walk(invoice, s);
  // Line rows first, the first of them with the document's columns.
  std::vector<Row> rows;
  for (const Row& r : s.rows)
    if (r.kind == std::string_view("LINE")) rows.push_back(r);
  if (!rows.empty()) {
    rows[0].names.insert(rows[0].names.begin(), s.rows[0].names.begin(), s.rows[0].names.end());
    rows[0].values.insert(rows[0].values.begin(), s.rows[0].values.begin(), s.rows[0].values.end());
  }
  for (const Row& r : s.rows)
    if (r.kind != std::string_view("LINE") && r.kind != std::string_view("DOCUMENT"))
      rows.push_back(r);
  // An exemption reason goes to the first row of its VAT category.
  std::set<std::string> exempted;
  for (Row& r : rows) {
    const std::string_view kind = r.kind;
    if (kind != "LINE" && kind != "ALLOWANCE" && kind != "CHARGE") continue;
    const db::Value* v = r.find(kind == "LINE" ? "BT118" : kind == "ALLOWANCE" ? "BT95" : "BT102");
    const std::string category = v ? v->text() : "";
    for (const auto& e : invoice.exemptions) {
      if (e.category != category || !exempted.insert(category).second) continue;
      for (const auto& [column, text] : {std::pair{"BT120", e.reason}, {"BT121", e.reasonCode}})
        if (!text.empty()) r.names.emplace_back(column), r.values.emplace_back(text);
    }
  }
  for (std::size_t k = 0; k < rows.size(); ++k) {
    std::string names = "RowNo, RowKind, BT1", marks = "?, ?, ?";
    std::vector<db::Value> values = {static_cast<int>(k + 1), db::Value(), invoice.number};
    if (rows[k].kind != std::string_view("LINE")) values[1] = rows[k].kind;
    for (const auto& n : rows[k].names) names += ", " + n, marks += ", ?";
    values.insert(values.end(), rows[k].values.begin(), rows[k].values.end());
    c.execute("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
  }
}

std::vector<std::string> Terms(const model::Invoice& i, bool computed) {
  std::vector<std::string> out;
  TermSink t(out);
  Walk(i, t);
  for (const auto& e : i.exemptions) {
    t.at = "exemption " + e.category + " ";
    t.text("BT120", e.reason);
    t.text("BT121", e.reasonCode);
  }
  if (!computed) return out;
  t.at.clear();
  t.number("BT106", i.totals.lineNetTotal);
  t.number("BT107", i.totals.allowanceTotal);
  t.number("BT108", i.totals.chargeTotal);
  t.number("BT109", i.totals.totalWithoutVat);
  t.number("BT110", i.totals.vatTotal);
  t.number("BT112", i.totals.totalWithVat);
  t.number("BT115", i.totals.amountDue);
  for (std::size_t k = 0; k < i.vatBreakdown.size(); ++k) {
    const auto& v = i.vatBreakdown[k];
    t.at = At("BG-23", k);
    t.number("BT116", v.taxableAmount);
    t.number("BT117", v.taxAmount);
    t.text("BT118", v.category);
    t.number("BT119", v.rate);
    t.text("BT120", v.exemptionReason);
    t.text("BT121", v.exemptionReasonCode);
  }
  return out;
}

}  // namespace belvora::test
