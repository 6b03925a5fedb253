#pragma once

// The fields of one read incoming invoice: four indexed text arrays, three
// grids and the XML text. Every reader writes display texts into them, the
// viewer (console now, a window later) shows them, and the store operation
// reads them back. There is no other invoice object: whatever the fields
// hold when the user saves is what is stored.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace belvora::reader {

// Indexes of txtRechnungdaten (invoice fields).
enum Rechnungdaten : std::size_t {
  RoutingID = 0,
  InvoiceNumber = 1,
  Subject = 2,
  InvoiceDate = 3,
  PayableBy = 4,
  InvoiceType = 5,
  PaymentMethod = 6,
  Remarks = 7,
  TaxAmount = 8,
  TotalAmount = 9,
  CurrencyCode = 10,
  TotalCurrencyCode = 11,
};

// Slots of txtSeller and txtBuyer (same ten slots for both parties).
enum PartySlot : std::size_t {
  Name = 0,
  TaxNumber = 1,
  RecipiedEMail = 2,
  Street = 3,
  Country = 4,
  Zip = 5,
  City = 6,
  ContactPerson = 7,
  ContactEmail = 8,
  ContactPhone = 9,
};

// Indexes of txtSonstige (totals, Peppol tab, bank).
enum Sonstige : std::size_t {
  SumOfNet = 0,
  TaxBasisTotal = 1,
  TaxTotal = 2,
  AllowanceTotal = 3,
  ChargeTotal = 4,
  Prepayment = 5,
  RoundingAmount = 6,
  PaymentDue = 7,
  CustomizationID = 8,
  ProfileID = 9,
  AccountingCost = 10,
  BusinessProcess = 11,
  PayeeAccountName = 12,
  PayeeIBAN = 13,
  PayeeBIC = 14,
};

enum class FieldArray { Rechnungdaten, Seller, Buyer, Sonstige };

// One text field of the catalogue. name is the stable name (party fields
// carry their "Seller"/"Buyer" prefix, e.g. "SellerRecipiedEMail"); captions
// are empty for the two currency fields, which have none.
struct FieldInfo {
  FieldArray array;
  std::size_t index;
  std::string_view name;
  std::string_view captionGB;
  std::string_view captionDE;
};

// All 47 text fields in display order: invoice fields, seller, buyer, totals.
std::span<const FieldInfo> fieldCatalogue();

// A grid column header in both languages.
struct ColumnInfo {
  std::string_view captionGB;
  std::string_view captionDE;
};

// One grid row: cells[0] is the item text (column 1), cells[k] sub-item k.
// color is the foreground colour: 0 black, 255 red (negative net price).
struct GridRow {
  std::vector<std::string> cells;
  int color = 0;
};

// A report-style list with a fixed number of columns.
class Grid {
 public:
  explicit Grid(std::span<const ColumnInfo> columns) : columns_(columns) {}

  std::span<const ColumnInfo> columns() const { return columns_; }
  std::size_t columnCount() const { return columns_.size(); }

  // Adds a row with the given item text and empty sub-items.
  GridRow& addRow(std::string itemText);
  void clear() { rows.clear(); }

  std::vector<GridRow> rows;

 private:
  std::span<const ColumnInfo> columns_;
};

// Column headers of the three grids (8, 4 and 5 columns).
std::span<const ColumnInfo> lineGridColumns();
std::span<const ColumnInfo> taxGridColumns();
std::span<const ColumnInfo> allowanceGridColumns();

// Captions of the viewer's frames, tabs and buttons.
struct ViewCaption {
  std::string_view element;  // sstab0, sstab1, sstabPos0..3, frmBuyer, frmSeller, btnSave, btnRead
  std::string_view captionGB;
  std::string_view captionDE;
};
std::span<const ViewCaption> viewCaptions();

// Caption for the language: "DE" gives the German text, any other value the
// English one.
std::string_view caption(std::string_view language, std::string_view gb, std::string_view de);

class ViewModel {
 public:
  ViewModel();

  std::array<std::string, 12> txtRechnungdaten;
  std::array<std::string, 10> txtSeller;
  std::array<std::string, 10> txtBuyer;
  std::array<std::string, 15> txtSonstige;

  Grid lvTable;    // line grid: Pos, Item, Description, Quantity, Price, Base, Tax, Total
  Grid lvUst;      // tax grid: (empty), VAT(%), VAT-Amount, Total
  Grid lvAbzuege;  // allowances: Code (reason text), Reason (code), Factor, Amount, Basic amount

  std::string txtXML;  // filled by showXml()

  // Set by the read: 0 none, 1 CII, 2 UBL other than Invoice, 3 UBL Invoice.
  int syntax = 0;
  // False after a failed read (the Save button is disabled then).
  bool saveEnabled = true;

  // Empties the view before a read: indexes 0 to 12 of the four arrays (so
  // PayeeIBAN and PayeeBIC keep their text), InvoiceType "380", TaxAmount and
  // TotalAmount "0,00", all grid rows removed.
  void clear();

  // The field of an array slot; nullptr when the array has no such index.
  std::string* field(FieldArray array, std::size_t index);
  const std::string* field(FieldArray array, std::size_t index) const;
  // The field of a stable name ("InvoiceNumber", "SellerCity", ...); nullptr
  // for an unknown name.
  std::string* field(std::string_view name);
  const std::string* field(std::string_view name) const;

  // Loads the file's text into txtXML, replacing what it held; lines end
  // with CR LF. Does nothing when the file does not exist; false (txtXML
  // unchanged) when it exists but cannot be read.
  bool showXml(const std::string& path);
};

}  // namespace belvora::reader
