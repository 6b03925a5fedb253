#pragma once

// The invoices behind the expected documents; each must pass the official
// validation (ValidationTest.cpp).

#include "CiiFixture.h"

namespace belvora::test::cii {

// Only what EN 16931 and XRechnung require: every optional term absent.
inline model::Invoice MandatoryOnly() {
  model::Invoice full = Standard();
  model::Invoice inv;
  inv.number = full.number;
  inv.issueDate = full.issueDate;
  inv.typeCode = full.typeCode;
  inv.currency = full.currency;
  inv.dueDate = full.dueDate;
  inv.buyerReference = full.buyerReference;
  inv.businessProcess = full.businessProcess;
  inv.seller.name = full.seller.name;
  inv.seller.vatId = full.seller.vatId;
  inv.seller.electronicAddress = full.seller.electronicAddress;
  inv.seller.address = {"", "", "", "Berlin", "10115", "", "DE"};
  inv.seller.contact = full.seller.contact;
  inv.buyer.name = full.buyer.name;
  inv.buyer.electronicAddress = full.buyer.electronicAddress;
  inv.buyer.address = {"", "", "", "M\xC3\xBCnchen", "80331", "", "DE"};
  inv.paymentMeans = {{"58", "", {{"DE02120300000000202051", "", ""}}, "", "", ""}};
  inv.lines = {Item("1", "1", "H87", "10", "10", "S", "19", "Widget")};
  return inv;
}

// SEPA direct debit with a document allowance, a billing period, two
// notes, a preceding invoice and two embedded files.
inline model::Invoice DirectDebit() {
  model::Invoice inv = Standard();
  inv.number = "RE/2024/7";
  inv.projectReference = "P-17";
  inv.contractReference = "V-2024-1";
  inv.notes = {{"AAI", "Abrechnung Februar"}, {"AAI", "Lieferung frei Haus"}};
  inv.precedingInvoices = {{"RE-2023-17", Day(2024, 1, 31)}};
  inv.invoicingPeriod = {Day(2024, 2, 1), Day(2024, 2, 29)};
  inv.paymentMeans = {{"59", "SEPA-Lastschrift", {}, "", "", "DE75512108001245126199"}};
  inv.mandateReference = "MANDAT-2024-1";
  inv.creditorId = "DE98ZZZ09999999999";
  inv.totals.paidAmount = Dec("100");
  inv.allowancesCharges = {
      {false, Dec("12.50"), Dec("250"), Dec("5"), "S", Dec("19"), "Treuerabatt", "95"}};
  inv.attachments = {{"Lieferschein & Co.pdf", "Lieferschein", "",
                      "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n",
                      "application/pdf", "Lieferschein & Co.pdf", ""},
                     {"Stunden.csv", "Stundenzettel Februar", "", "Datum;Stunden\n01.02.2024;8\n",
                      "text/csv", "Stunden.csv", ""}};
  return inv;
}

// Every group the model has, in one invoice that still passes: a foreign
// currency, six VAT categories, charges, parties of every kind.
inline model::Invoice EveryGroup() {
  model::Invoice inv = Standard();
  inv.number = "2024-0815";
  inv.currency = "USD";
  inv.vatAccountingCurrency = "EUR";
  inv.totals.vatTotalInAccountingCurrency = Dec("17.57");
  inv.totals.roundingAmount = Dec("0");
  inv.totals.paidAmount = Dec("100");
  inv.taxPointDate = Day(2024, 2, 29);
  inv.projectReference = "PRJ-2024-3";
  inv.contractReference = "RV-2023-118";
  inv.salesOrderReference = "AB-2024-55";
  inv.receivingAdviceReference = "WE-2024-301";
  inv.despatchAdviceReference = "LS-2024-977";
  inv.tenderReference = "LOS-3";
  inv.invoicedObjectId = {"ZAEHLER-4711", "ABZ"};
  inv.buyerAccountingReference = "KST-4410";
  inv.notes = {{"AAI", "Vielen Dank f\xC3\xBCr Ihren Auftrag."},
               {"REG", "Amtsgericht Berlin HRB 12345"},
               {"SUR", "Lieferung <Teil 2> & Rest folgen"}};
  inv.precedingInvoices = {{"2024-0700", Day(2024, 1, 15)}};

  model::Party& s = inv.seller;
  s.tradingName = "Muster Technik";
  s.ids = {{"4000001123452", "0088"}, {"LIEF-42", ""}};
  s.legalRegistration = {"HRB 12345", ""};
  s.taxRegistration = "201/113/40209";
  s.additionalLegalInfo =
      "Gesch\xC3\xA4"
      "ftsf\xC3\xBChrerin: Jana M\xC3\xBCller";
  s.address.line2 = "Hinterhaus";
  s.address.line3 = "3. OG";
  s.address.subdivision = "Berlin";
  model::Party& b = inv.buyer;
  b.name = "Kunde Handels GmbH";
  b.tradingName = "Kunde Wien";
  b.ids = {{"KD-7", ""}};
  b.legalRegistration = {"FN 123456a", ""};
  b.vatId = "ATU12345678";
  b.electronicAddress = {"ATU12345678", "9914"};
  b.address = {
      "Ringstra\xC3\x9F"
      "e 3",
      "",
      "",
      "Wien",
      "1010",
      "Wien",
      "AT"};

  inv.payee = {"Muster Factoring AG", {"PAYEE-9", ""}, {"HRB 777", ""}};
  inv.taxRepresentative = {"Steuer Vertretung GmbH",
                           "DE111111125",
                           {"Am Markt 1", "", "", "Hamburg", "20095", "", "DE"}};
  inv.delivery = {"Kunde Lager Linz",
                  {"9110012345676", "0088"},
                  Day(2024, 2, 20),
                  {"Hafenstra\xC3\x9F"
                   "e 9",
                   "Tor 4", "", "Linz", "4020", "", "AT"}};
  inv.invoicingPeriod = {Day(2024, 2, 1), Day(2024, 2, 29)};
  // Two payment instructions of one kind (CII takes no second kind).
  const std::string transfer =
      "SEPA-\xC3\x9C"
      "berweisung";
  inv.paymentMeans = {
      {"58", transfer, {{"DE02120300000000202051", "Muster GmbH", "BYLADEM1001"}}, "", "", ""},
      {"58", transfer, {{"DE89370400440532013000", "Muster Treuhand", "COBADEFFXXX"}}, "", "", ""}};

  model::Line l1 = Item("A-1", "10", "H87", "10", "95", "S", "19", "Pumpe");
  l1.note = "Seriennummern siehe Lieferschein";
  l1.objectId = {"ZAEHLER-0815", "ABZ"};
  l1.orderLineReference = "PO-4711/3";
  l1.accountingReference = "KST-4411";
  l1.period = {Day(2024, 2, 1), Day(2024, 2, 15)};
  l1.allowancesCharges = {{false, Dec("10"), Dec("100"), Dec("10"), "", {}, "Mengenrabatt", "95"},
                          {true, Dec("5"), {}, {}, "", {}, "Verpackung", "ABL"}};
  l1.grossPrice = Dec("12.00");
  l1.priceDiscount = Dec("2");
  l1.baseQuantity = Dec("1");
  l1.baseQuantityUnit = "H87";
  l1.itemDescription = "Umw\xC3\xA4lzpumpe, 230 V";
  l1.sellerItemId = "P-100";
  l1.buyerItemId = "K-5500";
  l1.standardId = {"4012345000016", "0160"};
  l1.classifications = {{"84137030", "HS", "2022"}, {"42122000", "TST", ""}};
  l1.originCountry = "CN";
  l1.attributes = {{"Farbe", "Grau"}, {"Leistung", "45 W"}};
  inv.lines = {l1,
               Item("A-2", "5", "XPP", "4", "20", "Z", "0", "Fachbuch"),
               Item("A-3", "1", "C62", "300", "300", "E", "0", "Schulung"),
               Item("A-4", "8", "HUR", "75", "600", "AE", "0", "Montage"),
               Item("A-5", "3", "H87", "150", "450", "K", "0", "Ersatzteile"),
               Item("A-6", "2", "H87", "80", "160", "G", "0", "Ausfuhrware")};
  inv.allowancesCharges = {
      {false, Dec("9.50"), Dec("95"), Dec("10"), "S", Dec("19"), "Treuerabatt", "95"},
      {true, Dec("15"), {}, {}, "S", Dec("19"), "Fracht", "FC"},
      {true, Dec("2.50"), {}, {}, "Z", Dec("0"), "Verpackung", "ABL"}};
  inv.exemptions = {{"E", "Steuerfrei nach \xC2\xA7 4 Nr. 21 UStG", ""},
                    {"AE", "Steuerschuldnerschaft des Leistungsempf\xC3\xA4ngers", "VATEX-EU-AE"},
                    {"K", "Steuerfreie innergemeinschaftliche Lieferung", "VATEX-EU-IC"},
                    {"G", "Steuerfreie Ausfuhr", "VATEX-EU-G"}};
  inv.attachments = {
      {"Aufmass-3", "Aufma\xC3\x9F Februar", "", "%PDF-1.4\n%%EOF\n", "application/pdf",
       "Aufma\xC3\x9F.pdf", ""},
      {"Katalog", "Produktkatalog", "https://muster.example/katalog", "", "", "", ""}};
  return inv;
}

// Not subject to VAT (O): no rate, no VAT identifiers, the only category.
inline model::Invoice NotSubject() {
  model::Invoice inv = Standard();
  inv.number = "252099";
  inv.seller.vatId.clear();
  inv.seller.legalRegistration = {"HRB 98765", ""};
  inv.buyer.vatId.clear();
  for (model::Line& l : inv.lines) {
    l.vatCategory = "O";
    l.vatRate.reset();
  }
  inv.exemptions = {{"O", "Nicht steuerbarer Umsatz", "VATEX-EU-O"}};
  return inv;
}

}  // namespace belvora::test::cii
