#pragma once

// Invoices as models, the writer run over them as a creation run does, and
// the comparison with the expected documents under tests/data/writer.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "model/InvoiceTotals.h"
#include "platform/sys/Clock.h"
#include "writer/InvoiceWriter.h"

namespace belvora::test::cii {

using model::Decimal;
using model::Invoice;

inline Decimal Dec(const char* text) { return *Decimal::parse(text); }
inline model::Date Day(int y, int m, int d) { return model::Date{y, m, d}; }

inline model::Line Item(const char* id, const char* quantity, const char* unit, const char* price,
                        const char* net, const char* category, const char* rate,
                        const std::string& name) {
  model::Line l;
  l.id = id;
  l.sourceRow = static_cast<std::size_t>(std::atoi(id + (id[0] == 'A' ? 2 : 0)));
  l.quantity = Dec(quantity);
  l.unitCode = unit;
  l.netPrice = Dec(price);
  l.netAmount = Dec(net);
  l.vatCategory = category;
  l.vatRate = Dec(rate);
  l.itemName = name;
  return l;
}

// The invoices of the expected documents, as data.
// clang-format off

// Credit transfer, three lines at 19 % and 7 %.
inline Invoice Standard() {
  Invoice inv;
  inv.number = "252068"; inv.issueDate = Day(2024, 3, 5); inv.typeCode = "380"; inv.currency = "EUR";
  inv.dueDate = Day(2024, 4, 4); inv.buyerReference = "04011000-12345-34";
  inv.purchaseOrderReference = "PO-4711"; inv.remittanceInformation = "252068";
  inv.paymentTerms = "Zahlbar innerhalb von 30 Tagen ohne Abzug";
  inv.notes = {{"AAI", "Vielen Dank für Ihren Auftrag."}};
  inv.businessProcess = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
  inv.seller = {"Muster GmbH", "", {}, {}, "DE123456789", "", "", {"rechnung@muster.example", "EM"},
                {"Hauptstraße 1", "", "", "Berlin", "10115", "", "DE"},
                {"Max Mustermann", "+49 30 123456", "max@muster.example"}};
  inv.buyer = {"Kunde AG", "", {}, {}, "DE987654321", "", "", {"einkauf@kunde.example", "EM"},
               {"Marktplatz 5", "", "", "München", "80331", "", "DE"},
               {"Erika Beispiel", "+49 89 654321", "erika@kunde.example"}};
  inv.paymentMeans = {{"58", "Ueberweisung", {{"DE02120300000000202051", "Muster GmbH", "BYLADEM1001"}}, "", "", ""}};
  inv.lines = {Item("1", "2", "H87", "100", "200", "S", "19", "Widget"),
               Item("2", "10", "XPP", "5", "50", "S", "7", "Buch"),
               Item("3", "1", "HUR", "50", "50", "S", "19", "Service")};
  for (model::Line& l : inv.lines) {
    l.itemDescription = l.itemName + " description";
    l.sellerItemId = "ART-" + l.itemName;
  }
  inv.totals.paidAmount = inv.totals.roundingAmount = Dec("0");
  return inv;
}

// Only what EN 16931 and XRechnung require.
inline Invoice MandatoryOnly() {
  Invoice inv = Standard();
  inv.purchaseOrderReference = inv.paymentTerms = inv.remittanceInformation = inv.buyer.vatId = "";
  inv.notes.clear();
  inv.seller.address.line1 = inv.buyer.address.line1 = "";
  inv.buyer.contact = {};
  inv.paymentMeans = {{"58", "", {{"DE02120300000000202051", "", ""}}, "", "", ""}};
  inv.lines = {Item("1", "1", "H87", "10", "10", "S", "19", "Widget")};
  inv.totals.paidAmount = inv.totals.roundingAmount = std::nullopt;
  return inv;
}

// Direct debit, a document allowance, a billing period, two notes, a
// preceding invoice, two embedded files.
inline Invoice DirectDebit() {
  Invoice inv = Standard();
  inv.number = "RE/2024/7"; inv.projectReference = "P-17"; inv.contractReference = "V-2024-1";
  inv.notes = {{"AAI", "Abrechnung Februar"}, {"AAI", "Lieferung frei Haus"}};
  inv.precedingInvoices = {{"RE-2023-17", Day(2024, 1, 31)}};
  inv.invoicingPeriod = {Day(2024, 2, 1), Day(2024, 2, 29)};
  inv.paymentMeans = {{"59", "SEPA-Lastschrift", {}, "", "", "DE75512108001245126199"}};
  inv.mandateReference = "MANDAT-2024-1"; inv.creditorId = "DE98ZZZ09999999999";
  inv.totals.paidAmount = Dec("100");
  inv.allowancesCharges = {{false, Dec("12.50"), Dec("250"), Dec("5"), "S", Dec("19"), "Treuerabatt", "95"}};
  inv.attachments = {
      {"Lieferschein & Co.pdf", "Lieferschein", "", "%PDF-1.4\n%\xE2\xE3\n%%EOF\n", "application/pdf", "Lieferschein & Co.pdf", ""},
      {"Stunden.csv", "Stundenzettel", "", "Datum;Stunden\n01.02.2024;8\n", "text/csv", "Stunden.csv", ""}};
  return inv;
}

// Every group of the model in one invoice that still passes: a foreign
// currency, six VAT categories, charges, parties of every kind.
inline Invoice EveryGroup() {
  Invoice inv = Standard();
  inv.number = "2024-0815"; inv.currency = "USD"; inv.vatAccountingCurrency = "EUR";
  inv.totals.vatTotalInAccountingCurrency = Dec("17.57"); inv.totals.paidAmount = Dec("100");
  inv.taxPointDate = Day(2024, 2, 29);
  inv.projectReference = "PRJ-2024-3"; inv.contractReference = "RV-2023-118";
  inv.salesOrderReference = "AB-2024-55"; inv.receivingAdviceReference = "WE-2024-301";
  inv.despatchAdviceReference = "LS-2024-977"; inv.tenderReference = "LOS-3";
  inv.invoicedObjectId = {"ZAEHLER-4711", "ABZ"}; inv.buyerAccountingReference = "KST-4410";
  inv.notes.push_back({"REG", "Amtsgericht Berlin HRB 12345"});
  inv.notes.push_back({"SUR", "Lieferung <Teil 2> & Rest folgen"});
  inv.precedingInvoices = {{"2024-0700", Day(2024, 1, 15)}};
  inv.seller = {"Muster GmbH", "Muster Technik", {{"4000001123452", "0088"}, {"LIEF-42", ""}}, {"HRB 12345", ""},
                "DE123456789", "201/113/40209", "Geschäftsführerin: Jana Müller", inv.seller.electronicAddress,
                {"Hauptstraße 1", "Hinterhaus", "3. OG", "Berlin", "10115", "Berlin", "DE"}, inv.seller.contact};
  inv.buyer = {"Kunde Handels GmbH", "Kunde Wien", {{"KD-7", ""}}, {"FN 123456a", ""}, "ATU12345678", "", "",
               {"ATU12345678", "9914"}, {"Ringstraße 3", "", "", "Wien", "1010", "Wien", "AT"}, inv.buyer.contact};
  inv.payee = {"Muster Factoring AG", {"PAYEE-9", ""}, {"HRB 777", ""}};
  inv.taxRepresentative = {"Steuer Vertretung GmbH", "DE111111125", {"Am Markt 1", "", "", "Hamburg", "20095", "", "DE"}};
  inv.delivery = {"Kunde Lager Linz", {"9110012345676", "0088"}, Day(2024, 2, 20),
                  {"Hafenstraße 9", "Tor 4", "", "Linz", "4020", "", "AT"}};
  inv.invoicingPeriod = {Day(2024, 2, 1), Day(2024, 2, 29)};
  // Two payment instructions of one kind (CII takes no second kind).
  inv.paymentMeans = {{"58", "SEPA-Überweisung", {{"DE02120300000000202051", "Muster GmbH", "BYLADEM1001"}}, "", "", ""},
                      {"58", "SEPA-Überweisung", {{"DE89370400440532013000", "Muster Treuhand", "COBADEFFXXX"}}, "", "", ""}};
  model::Line l = Item("A-1", "10", "H87", "10", "95", "S", "19", "Pumpe");
  l.note = "Seriennummern siehe Lieferschein"; l.objectId = {"ZAEHLER-0815", "ABZ"};
  l.orderLineReference = "PO-4711/3"; l.accountingReference = "KST-4411";
  l.period = {Day(2024, 2, 1), Day(2024, 2, 15)};
  l.allowancesCharges = {{false, Dec("10"), Dec("100"), Dec("10"), "", {}, "Mengenrabatt", "95"},
                         {true, Dec("5"), {}, {}, "", {}, "Verpackung", "ABL"}};
  l.grossPrice = Dec("12.00"); l.priceDiscount = Dec("2"); l.baseQuantity = Dec("1"); l.baseQuantityUnit = "H87";
  l.itemDescription = "Umwälzpumpe, 230 V"; l.sellerItemId = "P-100"; l.buyerItemId = "K-5500";
  l.standardId = {"4012345000016", "0160"}; l.originCountry = "CN";
  l.classifications = {{"84137030", "HS", "2022"}, {"42122000", "TST", ""}};
  l.attributes = {{"Farbe", "Grau"}, {"Leistung", "45 W"}};
  inv.lines = {l, Item("A-2", "5", "XPP", "4", "20", "Z", "0", "Fachbuch"),
               Item("A-3", "1", "C62", "300", "300", "E", "0", "Schulung"),
               Item("A-4", "8", "HUR", "75", "600", "AE", "0", "Montage"),
               Item("A-5", "3", "H87", "150", "450", "K", "0", "Ersatzteile"),
               Item("A-6", "2", "H87", "80", "160", "G", "0", "Ausfuhrware")};
  inv.allowancesCharges = {{false, Dec("9.50"), Dec("95"), Dec("10"), "S", Dec("19"), "Treuerabatt", "95"},
                           {true, Dec("15"), {}, {}, "S", Dec("19"), "Fracht", "FC"},
                           {true, Dec("2.50"), {}, {}, "Z", Dec("0"), "Verpackung", "ABL"}};
  inv.exemptions = {{"E", "Steuerfrei nach § 4 Nr. 21 UStG", ""},
                    {"AE", "Steuerschuldnerschaft des Leistungsempfängers", "VATEX-EU-AE"},
                    {"K", "Steuerfreie innergemeinschaftliche Lieferung", "VATEX-EU-IC"},
                    {"G", "Steuerfreie Ausfuhr", "VATEX-EU-G"}};
  inv.attachments = {{"Aufmass-3", "Aufmaß Februar", "", "%PDF-1.4\n%%EOF\n", "application/pdf", "Aufmaß.pdf", ""},
                     {"Katalog", "Produktkatalog", "https://muster.example/katalog", "", "", "", ""}};
  return inv;
}

// Not subject to VAT (O) has to stand alone, without VAT identifiers.
inline Invoice NotSubject() {
  Invoice inv = Standard();
  inv.number = "252099";
  inv.seller.vatId = inv.buyer.vatId = "";
  inv.seller.legalRegistration = {"HRB 98765", ""};
  for (model::Line& l : inv.lines) l.vatCategory = "O", l.vatRate.reset();
  inv.exemptions = {{"O", "Nicht steuerbarer Umsatz", "VATEX-EU-O"}};
  return inv;
}
// clang-format on

// ComputeTotals, then every writer section.
inline std::string Write(Invoice inv) {
  model::ComputeTotals(inv);
  return writer::WriteCii(inv);
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Compares with tests/data/writer/<name>, reporting the first differing
// line; BELVORA_UPDATE_EXPECTED=1 rewrites the file instead (review the diff).
inline void ExpectDocument(const std::string& actual, const std::string& name) {
  const std::string path = std::string(BELVORA_TEST_DATA_DIR) + "/writer/" + name;
  if (const char* update = std::getenv("BELVORA_UPDATE_EXPECTED"); update && *update == '1') {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  const std::string expected = ReadText(path);
  std::istringstream e(expected), a(actual);
  std::string el, al;
  for (int n = 1;; ++n) {
    const bool ge = static_cast<bool>(std::getline(e, el)),
               ga = static_cast<bool>(std::getline(a, al));
    if (!ge && !ga) break;
    ASSERT_EQ(ge ? el : "<end>", ga ? al : "<end>") << name << " differs at line " << n;
  }
  EXPECT_EQ(expected, actual) << name;  // line ends
}

// Pins today's date for the generator comment.
struct PinnedToday {
  explicit PinnedToday(int y = 2024, unsigned m = 3, unsigned d = 15) {
    sys::setTodayForTesting(std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                                        std::chrono::day{d}});
  }
  ~PinnedToday() { sys::setTodayForTesting(std::nullopt); }
};

}  // namespace belvora::test::cii
