// Reading the creation source into the invoice model, against a real SQLite
// file: every term through its column and back (the test helper writes the
// rows), the forms older sources use, and each kind of value that cannot
// be used.
#include "session/SourceReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "SourceRows.h"
#include "model/Catalogue.h"
#include "platform/db/Connection.h"
#include "support/TempDir.h"

namespace belvora::test {
namespace {

using model::Decimal;
using session::BadValue;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

Decimal D(const char* s) { return *Decimal::parse(s); }
model::Date Day(int y, int m, int d) { return model::Date{y, m, d}; }

// An invoice with every term of the model set, each to a value of its own.
model::Invoice FullInvoice() {
  model::Invoice i;
  i.number = "R-2025/0815";
  i.issueDate = Day(2025, 3, 14);
  i.typeCode = "380";
  i.currency = "CHF";
  i.vatAccountingCurrency = "EUR";
  i.taxPointDate = Day(2025, 3, 10);
  i.taxPointDateCode = "5";
  i.dueDate = Day(2025, 4, 13);
  i.buyerReference = "04011000-12345-34";
  i.projectReference = "PRJ-7";
  i.contractReference = "V-2023";
  i.purchaseOrderReference = "PO-9";
  i.salesOrderReference = "SO-4";
  i.receivingAdviceReference = "WE-1";
  i.despatchAdviceReference = "LS-2";
  i.tenderReference = "LOS-3";
  i.invoicedObjectId = {"OBJ-55", "AWV"};
  i.buyerAccountingReference = "KST-4711";
  i.paymentTerms = "Zahlbar in 30 Tagen\r\n#SKONTO#TAGE=10#PROZENT=2.00#";
  i.notes = {{"AAI", "Erste Notiz: Müller & Söhne <GmbH>"}, {"REG", "Zweite\r\nmit Zeilen"}};
  i.businessProcess = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
  i.specificationId = "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0";
  i.precedingInvoices = {{"R-1", Day(2025, 1, 2)}, {"R-2", std::nullopt}};
  model::Party& s = i.seller;
  s.name = "Hansen & Krüger GmbH";
  s.tradingName = "H&K";
  s.ids = {{"4000001123452", "0088"}, {"LIEF-77", ""}};
  s.legalRegistration = {"HRB 1234", "0002"};
  s.vatId = "DE273415820";
  s.taxRegistration = "201/113/40209";
  s.additionalLegalInfo = "Sitz Bremen";
  s.electronicAddress = {"rechnung@hk.example", "EM"};
  s.address = {"Hafenstraße 12", "Aufgang B", "3. OG", "Bremen", "28217", "HB", "DE"};
  s.contact = {"Jana Petersen", "+49 421 98765-30", "jp@hk.example"};
  model::Party& b = i.buyer;
  b.name = "Stadt Musterstadt";
  b.tradingName = "Gebäudewirtschaft";
  b.ids = {{"BUY-1", "0088"}};
  b.legalRegistration = {"BLR-2", "0204"};
  b.vatId = "ATU13585627";
  b.electronicAddress = {"04011000-12345-34", "0204"};
  b.address = {"Rathausplatz 1", "Zimmer 2", "Haus C", "Musterstadt", "35390", "HE", "AT"};
  b.contact = {"Thomas Weber", "+49 641 306-2214", "tw@musterstadt.example"};
  i.payee = {"Factoring AG", {"PAY-1", "0088"}, {"PLR-1", "0002"}};
  i.taxRepresentative = {
      "Vertreter GmbH", "DE136695976", {"Weg 1", "Weg 2", "Weg 3", "Köln", "50667", "NW", "DE"}};
  i.delivery = {"Baustelle Nord",
                {"LOC-9", "0088"},
                Day(2025, 3, 11),
                {"Feldweg 3", "Halle 2", "Tor 4", "Innsbruck", "6020", "Tirol", "AT"}};
  i.invoicingPeriod = {Day(2025, 3, 1), Day(2025, 3, 31)};
  i.remittanceInformation = "RG 0815";
  i.mandateReference = "MAND-1";
  i.creditorId = "DE98ZZZ09999999999";
  i.paymentMeans = {{"58",
                     "Überweisung",
                     {{"DE21290501010001234567", "H&K", "SBREDE22XXX"},
                      {"CH9300762011623852957", "H&K", "UBSWCHZH80A"}},
                     "",
                     "",
                     ""},
                    {"48", "Karte", {}, "1234", "J. Petersen", ""},
                    {"59", "Lastschrift", {}, "", "", "DE75250501800009912345"}};
  model::AllowanceCharge allowance{false, D("49.00"), D("980.00"), D("5"),
                                   "S",   D("19"),    "Rabatt",    "95"};
  model::AllowanceCharge charge{true, D("250.00"), std::nullopt, std::nullopt,
                                "K",  D("0"),      "Fracht",     "FC"};
  i.allowancesCharges = {allowance, charge, allowance};
  i.attachments = {{"A-1", "Lageplan", "https://example.org/plan.pdf", "", "", "", ""},
                   {"A-2", "Stundenzettel", "", std::string("%PDF\0\xFF", 6), "application/pdf",
                    "stunden.pdf", ""}};
  i.exemptions = {{"K", "Innergemeinschaftliche Lieferung", "VATEX-EU-IC"},
                  {"AE", "Umkehr der Steuerschuld", "VATEX-EU-AE"}};
  i.totals.vatTotalInAccountingCurrency = D("24.17");
  i.totals.paidAmount = D("100.00");
  i.totals.roundingAmount = D("0.01");
  i.stated = {D("9977.50"), D("22.80"), D("10000.30"), D("9900.31")};

  model::Line l;
  l.id = "1.a";
  l.note = "Zeilennotiz";
  l.objectId = {"ZAEHLER-1", "AWV"};
  l.quantity = D("1.5");
  l.unitCode = "HUR";
  l.netAmount = D("158.13");
  l.orderLineReference = "PO-9/1";
  l.accountingReference = "KST-1";
  l.period = {Day(2025, 3, 1), Day(2025, 3, 15)};
  l.allowancesCharges = {
      {false, D("5.00"), D("100.00"), D("5"), "", std::nullopt, "Treue", "95"},
      {true, D("2.50"), std::nullopt, std::nullopt, "", std::nullopt, "Eil", "FC"}};
  l.netPrice = D("105.4166667");
  l.priceDiscount = D("1.25");
  l.grossPrice = D("106.6666667");
  l.baseQuantity = D("1");
  l.baseQuantityUnit = "HUR";
  l.vatCategory = "K";
  l.vatRate = D("0");
  l.itemName = "Wärmepumpe";
  l.itemDescription = "12 kW, R290";
  l.sellerItemId = "WP-12";
  l.buyerItemId = "B-WP";
  l.standardId = {"4012345678901", "0160"};
  l.classifications = {{"39101700", "MP", "22"}, {"A-7", "ZZZ", ""}};
  l.originCountry = "SE";
  l.attributes = {{"Leistung", "12 kW"}, {"Kältemittel", "R290"}};
  i.lines.push_back(l);
  model::Line second;
  second.id = "2";
  second.quantity = D("16");
  second.unitCode = "HUR";
  second.netAmount = D("1520.00");
  second.netPrice = D("95");
  second.vatCategory = "AE";
  second.vatRate = D("0");
  second.itemName = "Montage";
  second.attributes = {{"Ort", "Innsbruck"}};
  i.lines.push_back(second);
  return i;
}

class SourceReading : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(dir / "source.sqlite");  // an empty file is an empty database
    c = db::open("Data Source=" + dir / "source.sqlite");
  }

  // Reads the rows of `sql` as the creation run does.
  model::Invoice read(const std::string& sql, const std::vector<db::Value>& params = {}) {
    auto rows = c->query(sql, params);
    session::SourceReader reader(rows->columns());
    std::size_t n = 0;
    while (rows->next()) reader.add(rows->row(), ++n);
    model::Invoice invoice = reader.finish();
    bad = reader.badValues();
    return invoice;
  }

  std::vector<std::string> badTexts() const {
    std::vector<std::string> out;
    for (const BadValue& b : bad)
      out.push_back(b.column + "@" + std::to_string(b.row) + " \"" + b.value + "\" " + b.reason);
    return out;
  }

  TempDir dir;
  std::unique_ptr<db::Connection> c;
  std::vector<BadValue> bad;
};

TEST_F(SourceReading, EveryTermGoesThroughItsColumnAndBack) {
  const model::Invoice full = FullInvoice();
  WriteSourceRows(*c, "Source", full);
  const model::Invoice back =
      read("SELECT * FROM Source WHERE BT1 = ? ORDER BY RowNo", {full.number});
  EXPECT_THAT(badTexts(), ElementsAre());
  EXPECT_EQ(Terms(back), Terms(full));
  ASSERT_EQ(back.lines.size(), 2u);
  EXPECT_EQ(back.lines[0].sourceRow, 1u);
  EXPECT_EQ(back.lines[1].sourceRow, 2u);
  EXPECT_EQ(back.lines[0].netPrice->text(), "105.4166667") << "the precision the source gives";

  // A read document's totals can stand as the stated ones.
  model::Invoice document = full;
  document.stated = {};
  document.totals.totalWithoutVat = D("1.00");
  document.totals.vatTotal = D("0.19");
  document.totals.totalWithVat = D("1.19");
  document.totals.amountDue = D("1.19");
  document.number = "R-read";
  WriteSourceRows(*c, "Source", document, true);
  const model::Invoice stated =
      read("SELECT * FROM Source WHERE BT1 = ? ORDER BY RowNo", {document.number});
  EXPECT_EQ(stated.stated.totalWithoutVat, D("1.00"));
  EXPECT_EQ(stated.stated.amountDue, D("1.19"));

  // Group rows before the lines: the first line row still holds the document.
  const model::Invoice reordered =
      read("SELECT * FROM Source WHERE BT1 = ? ORDER BY RowKind IS NULL, RowNo", {full.number});
  EXPECT_EQ(Terms(reordered), Terms(full));
  EXPECT_EQ(reordered.lines[0].sourceRow, 23u)
      << "rows are counted as the source delivers them: 22 group rows came first";
}

TEST_F(SourceReading, OlderSourcesKeepTheirColumnsAndDefaults) {
  // Today's form: no RowKind, the document on every row, the note split at
  // a line break, the allowance carried by a line row, NULL defaults.
  c->execute(
      "CREATE TABLE Old (BT1 TEXT, BT2 DATE, BT3 TEXT, BT21 TEXT, BT22 TEXT, BT25 TEXT, BT27 TEXT, "
      "BT29 TEXT, BT34 TEXT, BT40 TEXT, BT49 TEXT, BT81 TEXT, BT84 TEXT, BT92 DECIMAL, BT95 TEXT, "
      "BT96 DECIMAL, BT99 DECIMAL, BT102 TEXT, BT103 DECIMAL, BT109 DECIMAL, BT116 DECIMAL, "
      "BT118 TEXT, BT126 INTEGER, BT129 DECIMAL, BT130 TEXT, BT131 DECIMAL, BT136 DECIMAL, "
      "BT151 TEXT, BT152 DECIMAL, BT153 TEXT, BT158 TEXT, BT160 TEXT, BT161 TEXT, Extra TEXT)");
  const char* insert =
      "INSERT INTO Old VALUES ('4711', '2025-03-14', '380', 'AAI', ?, '  R-0 ', 'Seller', 'S-ID', "
      "'s@x.example', NULL, 'b@x.example', '58', 'DE21290501010001234567', ?, 'S', 19, ?, NULL, "
      "19, 0, 123.45, ?, ?, 2.5, ?, 10.00, ?, ?, 19, 'Item', ?, ?, ?, 'ignored')";
  c->execute(insert, {"Erste\r\nZweite", db::Value(), 0, db::Value(), 1, "H87", 0, db::Value(),
                      "CL-1", "Farbe", "rot"});
  c->execute(insert, {"Erste\r\nZweite", 5, 0, "Z", 2, db::Value(), 3, "E", db::Value(),
                      db::Value(), db::Value()});
  const model::Invoice i = read("SELECT * FROM Old");
  EXPECT_THAT(badTexts(), ElementsAre());
  ASSERT_EQ(i.notes.size(), 2u);
  EXPECT_EQ(i.notes[0].text, "Erste");
  EXPECT_EQ(i.notes[1].text, "Zweite");
  EXPECT_EQ(i.notes[1].subjectCode, "AAI");
  ASSERT_EQ(i.precedingInvoices.size(), 1u);
  EXPECT_EQ(i.precedingInvoices[0].number, "R-0") << "trimmed";
  ASSERT_EQ(i.seller.ids.size(), 1u);
  EXPECT_EQ(i.currency, "EUR");
  EXPECT_EQ(i.specificationId,
            "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0");
  EXPECT_EQ(i.seller.electronicAddress.scheme, "EM");
  EXPECT_EQ(i.buyer.electronicAddress.scheme, "EM");
  EXPECT_EQ(i.seller.address.countryCode, "DE");
  EXPECT_EQ(i.buyer.address.countryCode, "DE");
  ASSERT_EQ(i.paymentMeans.size(), 1u);
  EXPECT_EQ(i.paymentMeans[0].accounts.at(0).accountId, "DE21290501010001234567");
  // BT92 = 0 on the first row is no allowance, 5 on the second is one; a
  // charge of 0 is none; BT109 = 0 is a stated total.
  ASSERT_EQ(i.allowancesCharges.size(), 1u);
  EXPECT_EQ(i.allowancesCharges[0].amount, D("5"));
  EXPECT_EQ(i.allowancesCharges[0].vatCategory, "S");
  EXPECT_EQ(i.stated.totalWithoutVat, D("0"));
  EXPECT_FALSE(i.stated.vatTotal.has_value());
  ASSERT_EQ(i.lines.size(), 2u);
  EXPECT_EQ(i.lines[0].id, "1") << "an integer line number becomes its text";
  EXPECT_EQ(i.lines[0].vatCategory, "S") << "NULL BT118 and BT151";
  EXPECT_EQ(i.lines[1].vatCategory, "E") << "BT151 takes precedence over BT118";
  EXPECT_EQ(i.lines[0].unitCode, "H87");
  EXPECT_EQ(i.lines[1].unitCode, "XPP");
  EXPECT_TRUE(i.lines[0].allowancesCharges.empty()) << "a line allowance of 0 is none";
  ASSERT_EQ(i.lines[1].allowancesCharges.size(), 1u);
  ASSERT_EQ(i.lines[0].classifications.size(), 1u);
  ASSERT_EQ(i.lines[0].attributes.size(), 1u);
  EXPECT_EQ(i.lines[0].attributes[0].value, "rot");
}

TEST_F(SourceReading, ValuesThatCannotBeUsedAreEachNamedWithColumnRowAndValue) {
  c->execute(
      "CREATE TABLE Bad (RowKind TEXT, BT1 TEXT, BT2 DATE, BT9 TEXT, BT26 TEXT, BT125 TEXT, "
      "BT126 TEXT, BT129 REAL, BT131, BT146 TEXT, BT152 REAL, BT153 BLOB)");
  struct Row {
    const char* kind;
    db::Value bt2, bt9, bt26, bt125, bt126, bt129, bt131, bt146, bt152, bt153;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Row> rows = {
      {nullptr, "2025-02-30", "0000-01-01", {}, {}, "1", 1, "inf", "abc", 19, "ok"},
      {nullptr, {}, "  ", {}, {}, "2", inf, "1e30", "12,5", -inf, db::Blob{0xC3, 0x28}},
      {nullptr, {}, {}, {}, {}, "3", std::nan(""), "158.125", "1.5", 7, "x"},
      {nullptr, {}, {}, {}, {}, "4", 1, 10000000000000.0, "9999999999999.99", 7, "x"},
      {"NOTE", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}},
      {"PRECEDING", {}, {}, "31.02.2025", {}, {}, {}, {}, {}, {}, {}},
      {"ATTACHMENT", {}, {}, {}, "no base64!", {}, {}, {}, {}, {}, {}},
      {"LINEALLOWANCE", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}},
      {"ATTRIBUTE", {}, {}, {}, {}, "9", {}, {}, {}, {}, {}},
      {"Notiz", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}},
  };
  for (const Row& r : rows)
    c->execute("INSERT INTO Bad VALUES (?, 'R1', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               {r.kind ? db::Value(r.kind) : db::Value(), r.bt2, r.bt9, r.bt26, r.bt125, r.bt126,
                r.bt129, r.bt131, r.bt146, r.bt152, r.bt153});
  read("SELECT * FROM Bad");
  EXPECT_THAT(
      badTexts(),
      ElementsAre(
          "BT2@1 \"2025-02-30\" is not a date", "BT9@1 \"0000-01-01\" is not a date",
          "BT131@1 \"inf\" is not a number", "BT146@1 \"abc\" is not a number",
          "BT129@2 \"Infinity\" is not a finite number",
          "BT131@2 \"1e30\" does not fit (at most 13 digits before and 12 after the decimal point)",
          "BT152@2 \"-Infinity\" is not a finite number", "BT153@2 \"(2 bytes)\" is not UTF-8 text",
          "BT131@3 \"158.125\" has more than two decimals (an amount is exact in cents)",
          "BT131@4 \"10000000000000\" is too large (at most 13 digits before the decimal point)",
          "BT26@6 \"31.02.2025\" is not a date",
          "BT125@7 \"no base64!\" is neither a BLOB nor Base64 text",
          "BT126@8 \"\" is empty: a LINEALLOWANCE row names its invoice line in BT126",
          "RowKind@10 \"Notiz\" names no kind of row (empty or LINE for a line, or NOTE, "
          "PRECEDING, SELLERID, PAYMENT, ALLOWANCE, CHARGE, ATTACHMENT, LINEALLOWANCE, "
          "LINECHARGE, CLASSIFICATION, ATTRIBUTE)",
          "BT126@9 \"9\" names no invoice line of this invoice"));
  // SQLite keeps no NaN; other databases deliver it.
  session::SourceReader direct({"BT129"});
  direct.add({db::Value(std::nan(""))}, 1);
  ASSERT_EQ(direct.badValues().size(), 1u);
  EXPECT_EQ(direct.badValues()[0].value, "NaN");
  EXPECT_EQ(direct.badValues()[0].reason, "is not a finite number");
  // One message lists them, bounded.
  const std::string text = session::BadValuesText(bad);
  EXPECT_THAT(text, HasSubstr("The data source holds values that cannot be used:\r\nBT2, row 1: "
                              "\"2025-02-30\" is not a date\r\n"));
  EXPECT_THAT(text, testing::EndsWith("\r\nPlease check your data source!"));
  std::vector<BadValue> many(25, BadValue{"BT131", 1, std::string(200, 'x'), "is not a number"});
  const std::string bounded = session::BadValuesText(many);
  EXPECT_THAT(bounded, HasSubstr("\r\n... and 5 more\r\n"));
  EXPECT_THAT(bounded, HasSubstr("\"" + std::string(60, 'x') + "...\""));
}

TEST_F(SourceReading, LineGroupsNeedOneLineOfTheirIdAndExemptionsOneReasonPerCategory) {
  c->execute(
      "CREATE TABLE G (RowKind TEXT, BT1 TEXT, BT118 TEXT, BT120 TEXT, BT121 TEXT, "
      "BT126 TEXT, BT92 DECIMAL, BT95 TEXT, BT160 TEXT)");
  c->execute(
      "INSERT INTO G VALUES (NULL, 'R', 'E', 'Steuerfrei', NULL, '1', NULL, NULL, NULL), "
      "(NULL, 'R', 'E', NULL, 'VATEX-EU-132', '1', NULL, NULL, NULL), "
      "(NULL, 'R', 'K', 'IG Lieferung', NULL, '2', NULL, NULL, NULL), "
      "('ALLOWANCE', 'R', NULL, 'Andere', NULL, NULL, 5, 'K', NULL), "
      "('ATTRIBUTE', 'R', NULL, NULL, NULL, '1', NULL, NULL, 'Farbe'), "
      "('attribute', 'R', NULL, NULL, NULL, '2', NULL, NULL, 'Größe')");
  const model::Invoice i = read("SELECT * FROM G");
  EXPECT_THAT(
      badTexts(),
      ElementsAre("BT126@5 \"1\" names more than one invoice line",
                  "BT120@4 \"Andere\" differs from the one of VAT category \"K\" in row 3"));
  ASSERT_EQ(i.exemptions.size(), 2u);
  EXPECT_EQ(i.exemptions[0].category, "E");
  EXPECT_EQ(i.exemptions[0].reason, "Steuerfrei");
  EXPECT_EQ(i.exemptions[0].reasonCode, "VATEX-EU-132") << "reason and code from two rows";
  ASSERT_EQ(i.lines[2].attributes.size(), 1u) << "kinds are read without regard to case";
}

TEST_F(SourceReading, EmbeddedFilesAreReadOrNamedAsMissing) {
  const std::string pdf = dir / "Rechnung & Lieferschein.pdf", jpeg = dir / "foto.JPEG",
                    doc = dir / "brief.docx";
  std::ofstream(pdf, std::ios::binary) << std::string("%PDF\0x", 6);
  std::ofstream(jpeg) << "jpeg";
  std::ofstream(doc) << "docx";
  std::vector<model::Attachment> attachments;
  std::vector<BadValue> problems;
  session::ReadEmbeddedFiles(pdf + ";" + jpeg + "; " + doc + ";" + (dir / "missing.pdf") +
                                 ";/proc/self/mem;" + dir.path().string() + ";",
                             attachments, problems);
  ASSERT_EQ(attachments.size(), 3u);
  EXPECT_EQ(attachments[0].fileName, "Rechnung & Lieferschein.pdf");
  EXPECT_EQ(attachments[0].id, attachments[0].fileName);
  EXPECT_EQ(attachments[0].description, attachments[0].fileName);
  EXPECT_EQ(attachments[0].mimeCode, "application/pdf");
  EXPECT_EQ(attachments[0].content, std::string("%PDF\0x", 6));
  EXPECT_EQ(attachments[1].mimeCode, "image/jpeg") << "a five-character ending";
  EXPECT_EQ(attachments[1].content, "jpeg");
  EXPECT_EQ(attachments[2].mimeCode, "") << "referenced, not embedded";
  EXPECT_EQ(attachments[2].content, "");
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0].value, dir / "missing.pdf");
  EXPECT_EQ(problems[0].reason, "does not exist or is no file");
  EXPECT_EQ(problems[1].value, "/proc/self/mem");
  EXPECT_EQ(problems[1].reason, "cannot be read: Input/output error");
  EXPECT_EQ(problems[2].reason, "does not exist or is no file") << "a folder";
  EXPECT_THAT(session::BadValuesText(problems),
              HasSubstr("\r\nEmbeddedFile: \"/proc/self/mem\" cannot be read: Input/output error"));
}

}  // namespace
}  // namespace belvora::test
