#include "SourceRows.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <set>
#include <stdexcept>
#include <variant>

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

  void add(std::string_view column, const std::string& s) {
    if (!s.empty()) put(column, OneLine(s), s);
  }
  void add(std::string_view column, const std::optional<model::Date>& d) {
    if (!d) return;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d->year, d->month, d->day);
    put(column, buf, *d);
  }
  void add(std::string_view column, const std::optional<Decimal>& d) {
    if (d) put(column, d->normalized().text(), d->text());
  }
  void add(std::string_view column, const model::Identifier& i) {
    add(column, i.id);
    add(std::string(column) + "_scheme", i.scheme);
  }
  // Each value with its column from the space-separated list, in order.
  template <class... T>
  void all(std::string_view columns, const T&... values) {
    if (std::count(columns.begin(), columns.end(), ' ') + 1 != sizeof...(values))
      throw std::logic_error("columns and values differ in number: " + std::string(columns));
    std::size_t from = 0;
    auto next = [&] {
      const auto to = std::min(columns.find(' ', from), columns.size());
      const auto column = columns.substr(from, to - from);
      from = to + 1;
      return column;
    };
    (add(next(), values), ...);
  }
  // The columns of line 1 to 3, city, post code, subdivision and country.
  void add(const model::Address& a, std::string_view columns) {
    all(columns, a.line1, a.line2, a.line3, a.city, a.postCode, a.subdivision, a.countryCode);
  }

  std::string at;
  bool terms = false;
};

void AllowanceCharge(Sink& s, const model::AllowanceCharge& a, bool line) {
  const char* columns[2][2] = {
      {"BT92 BT93 BT94 BT95 BT96 BT97 BT98", "BT99 BT100 BT101 BT102 BT103 BT104 BT105"},
      {"BT136 BT137 BT138 BT139 BT140", "BT141 BT142 BT143 BT144 BT145"}};
  const char* c = columns[line][a.charge];
  if (line)
    s.all(c, a.amount, a.baseAmount, a.percentage, a.reason, a.reasonCode);
  else
    s.all(c, a.amount, a.baseAmount, a.percentage, a.vatCategory, a.vatRate, a.reason,
          a.reasonCode);
}

// Every term the source can hold, in model order; exemption reasons and
// computed terms are left to the callers.
void Walk(const model::Invoice& i, Sink& s) {
  s.row("DOCUMENT");
  s.all(
      "BT1 BT2 BT3 BT5 BT6 BT7 BT8 BT9 BT10 BT11 BT12 BT13 BT14 BT15 BT16 BT17 BT18 BT19 BT20 BT23 "
      "BT24",
      i.number, i.issueDate, i.typeCode, i.currency, i.vatAccountingCurrency, i.taxPointDate,
      i.taxPointDateCode, i.dueDate, i.buyerReference, i.projectReference, i.contractReference,
      i.purchaseOrderReference, i.salesOrderReference, i.receivingAdviceReference,
      i.despatchAdviceReference, i.tenderReference, i.invoicedObjectId, i.buyerAccountingReference,
      i.paymentTerms, i.businessProcess, i.specificationId);
  const model::Party &se = i.seller, &b = i.buyer;
  s.all("BT27 BT28 BT30 BT31 BT32 BT33 BT34 BT41 BT42 BT43 BT44 BT45 BT47 BT48 BT49 BT56 BT57 BT58",
        se.name, se.tradingName, se.legalRegistration, se.vatId, se.taxRegistration,
        se.additionalLegalInfo, se.electronicAddress, se.contact.name, se.contact.telephone,
        se.contact.email, b.name, b.tradingName, b.legalRegistration, b.vatId, b.electronicAddress,
        b.contact.name, b.contact.telephone, b.contact.email);
  s.add(se.address, "BT35 BT36 BT162 BT37 BT38 BT39 BT40");
  s.add(b.address, "BT50 BT51 BT163 BT52 BT53 BT54 BT55");
  // The source holds one buyer identifier; the terms show every one.
  for (std::size_t k = 0; k < b.ids.size() && (k == 0 || s.terms); ++k) {
    s.at = s.terms ? At("BT-46", k) : "";
    s.add("BT46", b.ids[k]);
  }
  s.at.clear();
  s.all("BT59 BT60 BT61 BT62 BT63 BT70 BT71 BT72 BT73 BT74 BT83 BT89 BT90 BT111 BT113 BT114",
        i.payee.name, i.payee.id, i.payee.legalRegistration, i.taxRepresentative.name,
        i.taxRepresentative.vatId, i.delivery.partyName, i.delivery.locationId,
        i.delivery.actualDate, i.invoicingPeriod.start, i.invoicingPeriod.end,
        i.remittanceInformation, i.mandateReference, i.creditorId,
        i.totals.vatTotalInAccountingCurrency, i.totals.paidAmount, i.totals.roundingAmount);
  s.add(i.taxRepresentative.address, "BT64 BT65 BT164 BT66 BT67 BT68 BT69");
  s.add(i.delivery.address, "BT75 BT76 BT165 BT77 BT78 BT79 BT80");
  s.at = "stated ";
  s.all("BT109 BT110 BT112 BT115", i.stated.totalWithoutVat, i.stated.vatTotal,
        i.stated.totalWithVat, i.stated.amountDue);

  for (std::size_t k = 0; k < i.notes.size(); ++k) {
    s.row("NOTE");
    s.at = At("BG-1", k);
    s.all("BT21 BT22", i.notes[k].subjectCode, i.notes[k].text);
  }
  for (std::size_t k = 0; k < i.precedingInvoices.size(); ++k) {
    s.row("PRECEDING");
    s.at = At("BG-3", k);
    s.all("BT25 BT26", i.precedingInvoices[k].number, i.precedingInvoices[k].date);
  }
  for (std::size_t k = 0; k < se.ids.size(); ++k) {
    s.row("SELLERID");
    s.at = At("BT-29", k);
    s.add("BT29", se.ids[k]);
  }
  for (std::size_t k = 0; k < i.paymentMeans.size(); ++k) {
    // One row per account: the reader joins rows that differ only there.
    const auto& p = i.paymentMeans[k];
    for (std::size_t a = 0; a < std::max<std::size_t>(1, p.accounts.size()); ++a) {
      s.row("PAYMENT");
      s.at = At("BG-16", k);
      if (a == 0 || !s.terms)
        s.all("BT81 BT82 BT87 BT88 BT91", p.code, p.text, p.cardNumber, p.cardHolder,
              p.debitedAccount);
      if (a >= p.accounts.size()) continue;
      s.at += At("BG-17", a);
      const auto& t = p.accounts[a];
      s.all("BT84 BT85 BT86", t.accountId, t.accountName, t.providerId);
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
    s.all("BT122 BT123 BT124 BT125_mime BT125_filename", a.id, a.description, a.uri, a.mimeCode,
          a.fileName);
    if (!a.content.empty())
      s.put("BT125",
            std::to_string(a.content.size()) + " bytes, hash " +
                std::to_string(std::hash<std::string>{}(a.content)),
            db::Blob(a.content.begin(), a.content.end()));
  }

  for (std::size_t k = 0; k < i.lines.size(); ++k) {
    const model::Line& l = i.lines[k];
    const std::string g = At("BG-25", k);
    s.row("LINE");
    s.at = g;
    s.all(
        "BT126 BT127 BT128 BT129 BT130 BT131 BT132 BT133 BT134 BT135 BT146 BT147 BT148 BT149 BT150 "
        "BT118 BT152 BT153 BT154 BT155 BT156 BT157 BT159",
        l.id, l.note, l.objectId, l.quantity, l.unitCode, l.netAmount, l.orderLineReference,
        l.accountingReference, l.period.start, l.period.end, l.netPrice, l.priceDiscount,
        l.grossPrice, l.baseQuantity, l.baseQuantityUnit, l.vatCategory, l.vatRate, l.itemName,
        l.itemDescription, l.sellerItemId, l.buyerItemId, l.standardId, l.originCountry);
    // Group rows name their line by BT126; term lines by their prefix.
    auto entry = [&](const char* kind, const std::string& at) {
      s.row(kind);
      s.at = g + at;
      if (!s.terms) s.add("BT126", l.id);
    };
    for (std::size_t a = 0; a < l.allowancesCharges.size(); ++a) {
      const bool charge = l.allowancesCharges[a].charge;
      entry(charge ? "LINECHARGE" : "LINEALLOWANCE", At(charge ? "BG-28" : "BG-27", a));
      AllowanceCharge(s, l.allowancesCharges[a], true);
    }
    for (std::size_t c = 0; c < l.classifications.size(); ++c) {
      const auto& k = l.classifications[c];
      entry("CLASSIFICATION", At("BT-158", c));
      s.all("BT158 BT158_scheme BT158_version", k.code, k.listId, k.version);
    }
    for (std::size_t a = 0; a < l.attributes.size(); ++a) {
      entry("ATTRIBUTE", At("BG-32", a));
      s.all("BT160 BT161", l.attributes[a].name, l.attributes[a].value);
    }
  }
}

struct Row {
  const char* kind;
  std::vector<std::string> names;
  std::vector<db::Value> values;
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
  // Column, PostgreSQL type, SQLite type, comment.
  const char* documents[][4] = {
      {"ID", "integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY",
       "INTEGER PRIMARY KEY AUTOINCREMENT", ""},
      {"DocType", "text", "TEXT", "AU: written invoice, IN: read invoice"},
      {"Number", "text", "TEXT", "invoice number"},
      {"BinaryFile", "bytea", "BLOB", "the file's bytes"},
      {"FileName", "text", "TEXT", ""},
      {"FileType", "text", "TEXT", "last three characters of the name"},
      {"FileSize", "integer", "INTEGER", "bytes"}};
  out += "CREATE TABLE IF NOT EXISTS tblDocuments (\n";
  for (const auto& c : documents) {
    const std::string type = std::string(c[pg ? 1 : 2]) + ",";
    out += "  " + Pad(c[0], 10) + " " + (*c[3] ? Pad(type, 20) + " -- " + c[3] : type) + "\n";
  }
  out += std::string("  CreatedAt  ") + (pg ? "timestamp" : "DATETIME") +
         " NOT NULL DEFAULT CURRENT_TIMESTAMP\n);\n";
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
    if (c.home == model::Home::Document) return "first line";
    if (c.home == model::Home::Line) return "line";
    if (c.home == model::Home::Computed) return "-";
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
    const auto at = std::find(r.names.begin(), r.names.end(),
                              kind == "LINE"        ? "BT118"
                              : kind == "ALLOWANCE" ? "BT95"
                                                    : "BT102");
    const std::string category = at == r.names.end() ? "" : r.values[at - r.names.begin()].text();
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
    t.all("BT120 BT121", e.reason, e.reasonCode);
  }
  if (!computed) return out;
  t.at.clear();
  const model::Totals& s = i.totals;
  t.all("BT106 BT107 BT108 BT109 BT110 BT112 BT115", s.lineNetTotal, s.allowanceTotal,
        s.chargeTotal, s.totalWithoutVat, s.vatTotal, s.totalWithVat, s.amountDue);
  for (std::size_t k = 0; k < i.vatBreakdown.size(); ++k) {
    const auto& v = i.vatBreakdown[k];
    t.at = At("BG-23", k);
    t.all("BT116 BT117 BT118 BT119 BT120 BT121", v.taxableAmount, v.taxAmount, v.category, v.rate,
          v.exemptionReason, v.exemptionReasonCode);
  }
  return out;
}

}  // namespace belvora::test
