#include "reader/ViewModel.h"

#include <fstream>
#include <utility>

#include "messages/Messages.h"
#include "platform/sys/Files.h"

namespace belvora::reader {

namespace {

using A = FieldArray;

constexpr FieldInfo kFields[] = {
    {A::Rechnungdaten, RoutingID, "RoutingID", "Routing - ID", "Spezifikations-ID"},
    {A::Rechnungdaten, InvoiceNumber, "InvoiceNumber", "Invoice - Number", "Rechnungs-Nr"},
    {A::Rechnungdaten, Subject, "Subject", "Subject", "Betreff"},
    {A::Rechnungdaten, InvoiceDate, "InvoiceDate", "Invoice date", "Datum"},
    {A::Rechnungdaten, PayableBy, "PayableBy", "Payable by", "Zahlbar bis"},
    {A::Rechnungdaten, InvoiceType, "InvoiceType", "Invoice Type", "Rechnungsart"},
    {A::Rechnungdaten, PaymentMethod, "PaymentMethod", "Payment Method", "Zahlungsart"},
    {A::Rechnungdaten, Remarks, "Remarks", "Remarks", "Bemerkungen"},
    {A::Rechnungdaten, TaxAmount, "TaxAmount", "Tax", "Steuer"},
    {A::Rechnungdaten, TotalAmount, "TotalAmount", "Total Amount", "Endbetrag"},
    {A::Rechnungdaten, CurrencyCode, "CurrencyCode", "", ""},
    {A::Rechnungdaten, TotalCurrencyCode, "TotalCurrencyCode", "", ""},

    {A::Seller, Name, "SellerName", "Name", "Name"},
    {A::Seller, TaxNumber, "SellerTaxNumber", "Tax Number", "Steuer - Nummer"},
    {A::Seller, RecipiedEMail, "SellerRecipiedEMail", "Recipient E-Mail", "Empfänger - E-Mail"},
    {A::Seller, Street, "SellerStreet", "Street", "Strasse"},
    {A::Seller, Country, "SellerCountry", "Country", "Land"},
    {A::Seller, Zip, "SellerZip", "ZIP", "PLZ"},
    {A::Seller, City, "SellerCity", "City", "Ort"},
    {A::Seller, ContactPerson, "SellerContactPerson", "Contact Person", "Ansprechpartner"},
    {A::Seller, ContactEmail, "SellerContactEmail", "Contact E-Mail", "Ansp.-E-Mail"},
    {A::Seller, ContactPhone, "SellerContactPhone", "Contact - Phone", "Ansp.-Telefon"},

    {A::Buyer, Name, "BuyerName", "Name", "Name"},
    {A::Buyer, TaxNumber, "BuyerTaxNumber", "Tax Number", "Steuer - Nummer"},
    {A::Buyer, RecipiedEMail, "BuyerRecipiedEMail", "Recipient E-Mail", "Empfänger - E-Mail"},
    {A::Buyer, Street, "BuyerStreet", "Street", "Strasse"},
    {A::Buyer, Country, "BuyerCountry", "Country", "Land"},
    {A::Buyer, Zip, "BuyerZip", "ZIP", "PLZ"},
    {A::Buyer, City, "BuyerCity", "City", "Ort"},
    {A::Buyer, ContactPerson, "BuyerContactPerson", "Contact Person", "Ansprechpartner"},
    {A::Buyer, ContactEmail, "BuyerContactEmail", "Contact E-Mail", "Ansp.-E-Mail"},
    {A::Buyer, ContactPhone, "BuyerContactPhone", "Contact - Phone", "Ansp.-Telefon"},

    {A::Sonstige, SumOfNet, "SumOfNet", "Sum of net amounts", "Summe Nettobeträge"},
    {A::Sonstige, TaxBasisTotal, "TaxBasisTotal", "Total amount without VAT", "Nettobetrag"},
    {A::Sonstige, TaxTotal, "TaxTotal", "Total VAT", "Umsatzsteuer"},
    {A::Sonstige, AllowanceTotal, "AllowanceTotal", "Discounts", "Abschläge"},
    {A::Sonstige, ChargeTotal, "ChargeTotal", "Sucharges", "Zuschläge"},
    {A::Sonstige, Prepayment, "Prepayment", "Prepayment", "Vorauszahlungen"},
    {A::Sonstige, RoundingAmount, "RoundingAmount", "Rounding amount", "Rundungsbetrag"},
    {A::Sonstige, PaymentDue, "PaymentDue", "Payment due", "Fälliger Zahlungsbetrag"},
    {A::Sonstige, CustomizationID, "CustomizationID", "Customization ID", "Endpunkt-ID"},
    {A::Sonstige, ProfileID, "ProfileID", "Profile ID", "Profile-ID"},
    {A::Sonstige, AccountingCost, "AccountingCost", "Accounting cost", "Buchhaltung Kosten"},
    {A::Sonstige, BusinessProcess, "BusinessProcess", "Business-Process-Specified",
     "Spezifizierter Geschäftsprozess"},
    {A::Sonstige, PayeeAccountName, "PayeeAccountName", "Account-owner", "Kontoinhaber"},
    {A::Sonstige, PayeeIBAN, "PayeeIBAN", "IBAN", "IBAN"},
    {A::Sonstige, PayeeBIC, "PayeeBIC", "Bank", "Bank"},
};

constexpr ColumnInfo kLineColumns[] = {
    {"Line", "Pos"},       {"Item", "Artikel"}, {"Description", "Bezeichnung"},
    {"Quantity", "Menge"}, {"Price", "Preis"},  {"Base", "Basis"},
    {"Tax", "Ust(%)"},     {"Total", "Gesamt"},
};

// The first header of the tax grid stays empty in both languages.
constexpr ColumnInfo kTaxColumns[] = {
    {"", ""}, {"VAT(%)", "Ust(%)"}, {"VAT-Amount", "Ust-Betrag"}, {"Total", "Gesamt"}};

constexpr ColumnInfo kAllowanceColumns[] = {{"Code", "Grund"},
                                            {"Reason", "Kode"},
                                            {"Factor", "Faktor(%)"},
                                            {"Amount", "Betrag"},
                                            {"Basic amount", "Grundbetrag"}};

constexpr ViewCaption kCaptions[] = {
    {"sstab0", "Invoice", "Rechnung"},
    {"sstab1", "XML-Structur", "XML-Struktur"},
    {"sstabPos0", "Items", "Positionen"},
    {"sstabPos1", "Payment (details)", "Zahlungen (Detail)"},
    {"sstabPos2", "Reasons for deduction", "Gründe"},
    {"sstabPos3", "Peppol", "Peppol"},
    {"frmBuyer", "Billing Party", "Rechnungsempfänger"},
    {"frmSeller", "Seller Party", "Rechnungssteller"},
    {"btnSave", "Save into Database", "In Datenbank speichern"},
    {"btnRead", "Show XML", "Zeige XML"},
};

}  // namespace

std::span<const FieldInfo> fieldCatalogue() { return kFields; }
std::span<const ColumnInfo> lineGridColumns() { return kLineColumns; }
std::span<const ColumnInfo> taxGridColumns() { return kTaxColumns; }
std::span<const ColumnInfo> allowanceGridColumns() { return kAllowanceColumns; }
std::span<const ViewCaption> viewCaptions() { return kCaptions; }

std::string_view caption(std::string_view language, std::string_view gb, std::string_view de) {
  return messages::IsGerman(language) ? de : gb;
}

GridRow& Grid::addRow(std::string itemText) {
  GridRow& row = rows.emplace_back();
  row.cells.resize(columns_.size());
  row.cells[0] = std::move(itemText);
  return row;
}

ViewModel::ViewModel()
    : lvTable(lineGridColumns()), lvUst(taxGridColumns()), lvAbzuege(allowanceGridColumns()) {}

void ViewModel::clear() {
  for (std::size_t i = 0; i <= 12; ++i) {
    if (i < txtSeller.size()) txtSeller[i].clear();
    if (i < txtBuyer.size()) txtBuyer[i].clear();
    if (i < txtRechnungdaten.size()) txtRechnungdaten[i].clear();
    if (i < txtSonstige.size()) txtSonstige[i].clear();
  }
  txtRechnungdaten[InvoiceType] = "380";
  txtRechnungdaten[TaxAmount] = "0,00";
  txtRechnungdaten[TotalAmount] = "0,00";
  lvTable.clear();
  lvUst.clear();
  lvAbzuege.clear();
}

const std::string* ViewModel::field(FieldArray array, std::size_t index) const {
  auto pick = [index](const auto& arr) -> const std::string* {
    return index < arr.size() ? &arr[index] : nullptr;
  };
  switch (array) {
    case FieldArray::Rechnungdaten:
      return pick(txtRechnungdaten);
    case FieldArray::Seller:
      return pick(txtSeller);
    case FieldArray::Buyer:
      return pick(txtBuyer);
    case FieldArray::Sonstige:
      return pick(txtSonstige);
  }
  return nullptr;
}

std::string* ViewModel::field(FieldArray array, std::size_t index) {
  return const_cast<std::string*>(std::as_const(*this).field(array, index));
}

const std::string* ViewModel::field(std::string_view name) const {
  for (const FieldInfo& info : kFields) {
    if (info.name == name) return field(info.array, info.index);
  }
  return nullptr;
}

std::string* ViewModel::field(std::string_view name) {
  return const_cast<std::string*>(std::as_const(*this).field(name));
}

bool ViewModel::showXml(const std::string& path) {
  if (!sys::fileExists(path)) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line;
    text += "\r\n";
  }
  if (in.bad()) return false;
  txtXML = std::move(text);
  return true;
}

}  // namespace belvora::reader
