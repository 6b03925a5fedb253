#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/Connection.h"
#include "support/Process.h"
#include "support/TempDir.h"

// Helpers shared by the template database, PostgreSQL script and validation
// tests: the column catalogue the template must hold, temporary folders,
// running tools, reading rows and documents.
namespace belvora::test::tpl {

enum class Kind { Text, Date, Amount, Number, Integer, Blob };

struct CatalogueColumn {
  std::string name;
  Kind kind;
};

// Every column of the template table: RowNo, RowKind and one per source
// column of the column catalogue, with the type a real database holds it in.
const std::vector<CatalogueColumn>& Catalogue();

using test::OnPath;
using test::TempDir;

// The bytes of a file; throws when it cannot be read.
std::string ReadBytes(const std::string& path);
// A program's exit status and what it printed (standard error interleaved).
RunResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinFile = {},
                     const std::vector<std::string>& env = {});
void CopyFile(const std::string& from, const std::string& to);

// One row as column name (upper case) to value.
using Row = std::map<std::string, db::Value>;
std::vector<Row> ReadRows(db::Connection& c, const std::string& sql,
                          const std::vector<db::Value>& params = {});
std::vector<Row> ReadRows(db::Cursor& cursor);

// Amount of a numeric value in cents (exact for values with at most two
// decimals); nullopt for NULL or a non-number.
std::optional<std::int64_t> Cents(const db::Value& v);
std::string Text(const db::Value& v);

// Invoice numbers of the template table, ascending.
std::vector<std::string> InvoiceNumbers(db::Connection& c);

// Identifier checks with their check digits.
bool ValidIban(const std::string& iban);
bool ValidGermanVatId(const std::string& id);
bool ValidLeitwegId(const std::string& id);
bool ValidCreditorId(const std::string& id);
bool ValidBic(const std::string& bic);

// Creates one invoice of the template through the public API into folder
// (file RG<number>.xml). Returns the creation result; `file` receives the path.
struct Created {
  bool initialised = false;
  bool created = false;
  std::string file;
  std::string messages;  // what the library showed (console: standard error)
};
Created CreateInvoice(const std::string& folder, const std::string& connection,
                      const std::string& sql, const std::string& number);

// Evaluates an XPath 1.0 expression (prefixes rsm, ram, udt) on a CII
// document and returns string(expression).
std::string XPathString(const std::string& documentPath, const std::string& expression);

}  // namespace belvora::test::tpl
