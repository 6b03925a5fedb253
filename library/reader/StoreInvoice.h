#pragma once

// Storing a read invoice from the view fields: the header row in tblInvoice,
// the line rows in tblInvoice_Items and the allowance rows in
// tblInvoice_Deduction. Each operation runs in its own transaction, so it is
// written whole or not at all; the invoice number is always a bound value.

#include <optional>
#include <string>
#include <string_view>

#include "reader/ViewModel.h"

namespace belvora::db {
class Connection;
}

namespace belvora::reader {

inline constexpr const char* kInvoiceTable = "tblInvoice";
inline constexpr const char* kItemsTable = "tblInvoice_Items";
inline constexpr const char* kDeductionTable = "tblInvoice_Deduction";

// The outcome of one store operation. error holds the database's or the
// conversion's description when ok is false (the caller decides whether it
// is shown).
struct StoreResult {
  bool ok = false;
  std::string error;
  explicit operator bool() const { return ok; }
};

// Writes the header row: a new row gets CreateDate and CreateUser, an
// existing row of the same invoice number ChangeDate and ChangeUser; every
// other column is taken from the view. Amounts are read back from their
// display text with the separators of `language`.
StoreResult StoreInvoice(const ViewModel& view, db::Connection& connection,
                         std::string_view language);

// Replaces the line rows of the invoice by the rows of the line grid.
StoreResult StoreItems(const ViewModel& view, db::Connection& connection,
                       std::string_view language);

// Replaces the allowance rows of the invoice by the rows of the allowance grid.
StoreResult StoreDeductions(const ViewModel& view, db::Connection& connection);

// ---- reading numbers back from the grids -------------------------------------

// A number of a column that is never grouped (quantity, base quantity, VAT
// rate): one kind of separator, "," or ".", is the decimal separator; when
// both appear, the last one is. Empty or blank text: nullopt.
// Throws std::invalid_argument naming the column for any other text.
std::optional<double> GridNumber(std::string_view text, std::string_view column);

// An amount shown in the view number format of the language ("1.234,50" for
// "DE", "1,234.50" otherwise; "0.00 " with its blank). Empty or blank text
// and the view's "--" (no price): nullopt. Throws std::invalid_argument
// naming the column for any other text.
std::optional<double> ViewAmount(std::string_view text, std::string_view language,
                                 std::string_view column);

// A number as the document wrote it (decimal point, no grouping), as the
// allowance grid holds them. Empty or blank text: nullopt. Throws
// std::invalid_argument naming the column for any other text.
std::optional<double> DocumentAmount(std::string_view text, std::string_view column);

}  // namespace belvora::reader
