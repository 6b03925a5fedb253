#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/db/Connection.h"
#include "support/Process.h"
#include "support/TempDir.h"

// Helpers shared by the template, validation and round-trip tests: running
// tools, reading rows by column name, creating template invoices.
namespace belvora::test::tpl {

using test::OnPath;
using test::TempDir;

// The bytes of a file; throws when it cannot be read.
std::string ReadBytes(const std::string& path);
// A program's exit status and what it printed (standard error interleaved).
RunResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinFile = {},
                     const std::vector<std::string>& env = {});
void CopyFile(const std::string& from, const std::string& to);

// One row as column name (upper case) to value; Text gives "" for NULL.
using Row = std::map<std::string, db::Value>;
std::vector<Row> ReadRows(db::Connection& c, const std::string& sql,
                          const std::vector<db::Value>& params = {});
std::string Text(const db::Value& v);

// Invoice numbers of the template table, ascending.
std::vector<std::string> InvoiceNumbers(db::Connection& c);

// One invoice of the template created through the public API into folder
// (file RG<number>.xml); `messages` is what the library showed (console:
// standard error).
struct Created {
  bool initialised = false;
  bool created = false;
  std::string file;
  std::string messages;
};
Created CreateInvoice(const std::string& folder, const std::string& connection,
                      const std::string& sql, const std::string& number);

}  // namespace belvora::test::tpl
