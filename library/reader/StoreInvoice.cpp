#include "reader/StoreInvoice.h"

#include <time.h>

#include <array>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "messages/Messages.h"
#include "platform/db/Connection.h"
#include "platform/sys/Ascii.h"
#include "platform/sys/Files.h"
#include "reader/ViewNumbers.h"
#include "text/Texte.h"

namespace belvora::reader {
namespace {

using db::Value;

// Header columns after the four create/change columns, in table order.
constexpr std::array<const char*, 40> kInvoiceColumns = {"RoutingID",
                                                         "InvoiceNumber",
                                                         "Subject",
                                                         "InvoiceDate",
                                                         "PayableBy",
                                                         "InvoiceType",
                                                         "PaymentMethod",
                                                         "Remarks",
                                                         "SellerName",
                                                         "SellerTaxNumber",
                                                         "SellerRecipiedEMail",
                                                         "SellerStreet",
                                                         "SellerCountry",
                                                         "SellerZip",
                                                         "SellerCity",
                                                         "SellerContactPerson",
                                                         "SellerContactEmail",
                                                         "SellerContactPhone",
                                                         "BuyerName",
                                                         "BuyerTaxNumber",
                                                         "BuyerRecipiedEMail",
                                                         "BuyerStreet",
                                                         "BuyerCountry",
                                                         "BuyerZip",
                                                         "BuyerCity",
                                                         "BuyerContactPerson",
                                                         "BuyerContactEmail",
                                                         "BuyerContactPhone",
                                                         "SumOfNet",
                                                         "TaxAmountWithVAT",
                                                         "TotalAmountWithoutVAT",
                                                         "Dicounts",
                                                         "Sucharges",
                                                         "Prepayment",
                                                         "RoundingAmount",
                                                         "PaymentDue",
                                                         "CustomizationID",
                                                         "ProfileID",
                                                         "AccountingCost",
                                                         "CurrencyCode"};

constexpr std::array<const char*, 12> kItemColumns = {
    "InvoiceNumber", "Pos",   "LineID",       "ItemName", "Description", "Quantity",
    "Net",           "Gross", "BaseQuantity", "VAT",      "TotalGross",  "TotalNet"};

constexpr std::array<const char*, 6> kDeductionColumns = {"InvoiceNumber", "Code",   "reason",
                                                          "Factor",        "Amount", "BasicAmount"};

// Amount fields of txtSonstige in the order of their columns (SumOfNet ... PaymentDue).
constexpr std::array<Sonstige, 8> kAmountFields = {SumOfNet,       TaxBasisTotal, TaxTotal,
                                                   AllowanceTotal, ChargeTotal,   Prepayment,
                                                   RoundingAmount, PaymentDue};

std::string joined(const char* const* names, std::size_t count, const char* suffix = "") {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) out += ", ";
    out += names[i];
    out += suffix;
  }
  return out;
}

std::string placeholders(std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += i ? ", ?" : "?";
  return out;
}

std::string trimmed(const std::string& text) { return std::string(text::TrimBlanks(text)); }

Value numberValue(const std::optional<double>& v) { return v ? Value(*v) : Value::null(); }

db::Date now() {
  const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  ::localtime_r(&t, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

// Removes the float noise of a product (119.00000000000001) without
// touching any digit the columns keep.
double tidy(double v) { return text::RoundAmount(v, 6); }

[[noreturn]] void notANumber(std::string_view column, std::string_view text) {
  throw std::invalid_argument(messages::Fill(messages::reader::kNotANumber, {column, text}));
}

// Any failure of an operation becomes a StoreError naming its table.
template <typename Fn>
void guarded(std::string_view table, Fn&& fn) {
  try {
    fn();
  } catch (const StoreError&) {
    throw;
  } catch (const std::exception& e) {
    throw StoreError(table, e.what());
  }
}

std::vector<Value> headerValues(const ViewModel& v, std::string_view language) {
  const auto& r = v.txtRechnungdaten;
  std::vector<Value> values;
  values.reserve(kInvoiceColumns.size());
  values.emplace_back(r[RoutingID]);
  values.emplace_back(r[InvoiceNumber]);
  values.emplace_back(r[Subject]);
  values.emplace_back(text::FormatField(Value(r[InvoiceDate]), Value(""), "dd.MM.yyyy"));
  values.emplace_back(text::FormatField(Value(r[PayableBy]), Value(r[InvoiceDate]), "dd.MM.yyyy"));
  values.emplace_back(text::FormatField(Value(r[InvoiceType]), Value("")));
  values.emplace_back(trimmed(r[PaymentMethod]));
  values.emplace_back(trimmed(r[Remarks]));
  for (const auto& f : v.txtSeller) values.emplace_back(trimmed(f));
  for (const auto& f : v.txtBuyer) values.emplace_back(trimmed(f));
  for (std::size_t i = 0; i < kAmountFields.size(); ++i) {
    values.push_back(numberValue(
        ViewAmount(v.txtSonstige[kAmountFields[i]], language, kInvoiceColumns[28 + i])));
  }
  values.emplace_back(trimmed(v.txtSonstige[CustomizationID]));
  values.emplace_back(trimmed(v.txtSonstige[ProfileID]));
  values.emplace_back(trimmed(v.txtSonstige[AccountingCost]));
  values.emplace_back(trimmed(r[CurrencyCode]));
  return values;
}

const std::string& cell(const GridRow& row, std::size_t k) {
  static const std::string empty;
  return k < row.cells.size() ? row.cells[k] : empty;
}

}  // namespace

// ---- numbers ---------------------------------------------------------------

std::optional<double> GridNumber(std::string_view text, std::string_view column) {
  const std::string_view t = text::TrimBlanks(text);
  if (t.empty()) return std::nullopt;
  const std::size_t lastComma = t.rfind(',');
  const std::size_t lastPoint = t.rfind('.');
  char decimal = 0;
  if (lastComma != std::string_view::npos && lastPoint != std::string_view::npos) {
    decimal = lastComma > lastPoint ? ',' : '.';
  } else if (lastComma != std::string_view::npos) {
    decimal = t.find(',') == lastComma ? ',' : 0;  // "1,234,567" is grouping only
  } else if (lastPoint != std::string_view::npos) {
    decimal = t.find('.') == lastPoint ? '.' : 0;
  }
  std::string plain;
  plain.reserve(t.size());
  for (char c : t) {
    if (c == ',' || c == '.') {
      if (c == decimal) plain += '.';
      continue;
    }
    plain += c;
  }
  auto v = text::ParseNumber(plain);
  if (!v || !std::isfinite(*v)) notANumber(column, text);
  return v;
}

std::optional<double> ViewAmount(std::string_view text, std::string_view language,
                                 std::string_view column) {
  const std::string_view t = text::TrimBlanks(text);
  if (t.empty() || t == "--") return std::nullopt;
  auto v = ParseViewNumber(t, language);
  if (!v || !std::isfinite(*v)) notANumber(column, text);
  return v;
}

std::optional<double> DocumentAmount(std::string_view text, std::string_view column) {
  // Documents write a decimal point and never group; a stray comma is read
  // as the decimal separator rather than refused.
  return GridNumber(text, column);
}

// ---- store operations --------------------------------------------------------

StoreError::StoreError(std::string_view table, const std::string& reason)
    : std::runtime_error(ascii::FindNoCase(reason, table) != std::string_view::npos
                             ? reason
                             : std::string(table) + ": " + reason) {}

void StoreInvoice(const ViewModel& view, db::Connection& connection, const std::string& table,
                  std::string_view language) {
  const std::string& number = view.txtRechnungdaten[InvoiceNumber];
  guarded(kInvoiceTable, [&] {
    std::vector<Value> values = headerValues(view, language);
    const Value stamp(now());
    const Value user(sys::userName());
    bool exists = false;
    {
      auto rows = connection.query(
          "SELECT InvoiceNumber FROM " + table + " WHERE InvoiceNumber = ?", {Value(number)});
      exists = rows->next();
    }
    values.insert(values.begin(), {stamp, user});
    if (exists) {
      values.emplace_back(number);
      connection.execute("UPDATE " + table + " SET ChangeDate = ?, ChangeUser = ?, " +
                             joined(kInvoiceColumns.data(), kInvoiceColumns.size(), " = ?") +
                             " WHERE InvoiceNumber = ?",
                         values);
    } else {
      connection.execute("INSERT INTO " + table + " (CreateDate, CreateUser, " +
                             joined(kInvoiceColumns.data(), kInvoiceColumns.size()) + ") VALUES (" +
                             placeholders(values.size()) + ")",
                         values);
    }
  });
}

void StoreItems(const ViewModel& view, db::Connection& connection, const std::string& table,
                std::string_view language) {
  const std::string& number = view.txtRechnungdaten[InvoiceNumber];
  guarded(kItemsTable, [&] {
    const std::string insert = "INSERT INTO " + table + " (" +
                               joined(kItemColumns.data(), kItemColumns.size()) + ") VALUES (" +
                               placeholders(kItemColumns.size()) + ")";
    connection.execute("DELETE FROM " + table + " WHERE InvoiceNumber = ?", {Value(number)});
    std::int64_t pos = 0;
    std::vector<Value> values(kItemColumns.size());
    for (const GridRow& row : view.lvTable.rows) {
      ++pos;
      const auto quantity = GridNumber(cell(row, 3), "Quantity");
      const auto net = ViewAmount(cell(row, 4), language, "Net");
      auto base = GridNumber(cell(row, 5), "BaseQuantity");
      if (text::TrimBlanks(cell(row, 5)) == "0") base = 1.0;
      const auto vat = GridNumber(cell(row, 6), "VAT");
      // A line without a rate (not subject to VAT) has a gross price equal to its net price.
      std::optional<double> gross;
      if (net) gross = tidy(*net * (1 + vat.value_or(0) / 100));
      std::optional<double> totalGross;
      if (gross && quantity) totalGross = tidy(*gross * *quantity);

      values[0] = Value(number);
      values[1] = Value(pos);
      values[2] = Value(cell(row, 0));
      values[3] = Value(cell(row, 1));
      values[4] = Value(cell(row, 2));
      values[5] = numberValue(quantity);
      values[6] = numberValue(net);
      values[7] = numberValue(gross);
      values[8] = numberValue(base);
      values[9] = numberValue(vat);
      values[10] = numberValue(totalGross);
      values[11] = numberValue(ViewAmount(cell(row, 7), language, "TotalNet"));
      connection.execute(insert, values);
    }
  });
}

void StoreDeductions(const ViewModel& view, db::Connection& connection, const std::string& table) {
  const std::string& number = view.txtRechnungdaten[InvoiceNumber];
  guarded(kDeductionTable, [&] {
    const std::string insert = "INSERT INTO " + table + " (" +
                               joined(kDeductionColumns.data(), kDeductionColumns.size()) +
                               ") VALUES (" + placeholders(kDeductionColumns.size()) + ")";
    connection.execute("DELETE FROM " + table + " WHERE InvoiceNumber = ?", {Value(number)});
    for (const GridRow& row : view.lvAbzuege.rows) {
      connection.execute(insert, {Value(number), Value(trimmed(cell(row, 0))),
                                  Value(trimmed(cell(row, 1))), Value(trimmed(cell(row, 2))),
                                  numberValue(DocumentAmount(cell(row, 3), "Amount")),
                                  numberValue(DocumentAmount(cell(row, 4), "BasicAmount"))});
    }
  });
}

}  // namespace belvora::reader
