#pragma once

// The columns of the creation source: one per business term of EN 16931
// (named after the term's number without the hyphen, "BT29"), one per scheme
// or attribute of a term ("BT29_scheme", "BT125_mime"), and the RowKind
// column that marks the rows of repeated groups. Pure data: the session reads
// the rows with it, the SQL scripts and the README are checked against it.

#include <string_view>
#include <vector>

namespace belvora::model {

// How the source holds a value.
enum class ValueType {
  Text,      // anything that converts to text; trimmed; blank is absent
  Date,      // a date, or text "yyyy-mm-dd" or "dd.mm.yyyy"
  Amount,    // a number exact in cents, |x| < 10^13
  Number,    // a number with the precision the source gives, |x| < 10^13
  Content,   // the bytes of a file: a BLOB, or Base64 text
  Computed,  // no column: the library computes the term
};

// The rows a column is read from. Rows without a RowKind are invoice lines;
// the first of them also holds the document-level columns.
enum class RowKind {
  Line,            // (no RowKind) every invoice line
  Note,            // NOTE: BG-1
  Preceding,       // PRECEDING: BG-3
  SellerId,        // SELLERID: a further BT-29
  Payment,         // PAYMENT: BG-16 with BG-17, BG-18, BT-91
  Allowance,       // ALLOWANCE: BG-20
  Charge,          // CHARGE: BG-21
  Attachment,      // ATTACHMENT: BG-24
  LineAllowance,   // LINEALLOWANCE: BG-27 of the line named by BT126
  LineCharge,      // LINECHARGE: BG-28 of the line named by BT126
  Classification,  // CLASSIFICATION: a further BT-158 of the line named by BT126
  Attribute,       // ATTRIBUTE: BG-32 of the line named by BT126
};

// Where a column's value belongs.
enum class Home {
  Document,  // the invoice: read from the first line row
  Line,      // the line: read from each line row
  Group,     // an entry of a repeated group: see Column::group
  Computed,  // no column
};

struct Column {
  std::string_view name;     // "BT29_scheme"
  std::string_view term;     // "BT-29-1"
  std::string_view meaning;  // short English description
  ValueType type;
  Home home;
  RowKind group;              // the group of a Home::Group column (else Line)
  std::string_view written;   // where the CII document holds it
  std::string_view fallback;  // default when absent; empty: none
};

// The name of the column that marks group rows.
inline constexpr std::string_view kRowKindColumn = "RowKind";

// Every column, in the order of the terms.
const std::vector<Column>& Columns();

// The column of a name (compared without regard to ASCII case); nullptr if
// the catalogue has none.
const Column* FindColumn(std::string_view name);

// The RowKind text of a kind ("NOTE", ...; "" for Line) and the kind of a
// text (compared without regard to case, blanks trimmed; blank and "LINE"
// are lines). False when the text names no kind.
std::string_view RowKindName(RowKind kind);
bool ParseRowKind(std::string_view text, RowKind& kind);
// All kinds, in the order above.
const std::vector<RowKind>& RowKinds();
// True for the kinds that belong to a line and name it by BT126.
bool IsLineGroup(RowKind kind);

// The default of a column, "" when it has none.
std::string_view Fallback(std::string_view column);

}  // namespace belvora::model
