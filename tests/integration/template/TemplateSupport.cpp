#include "TemplateSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "belvora/clsXRechnung.h"

namespace belvora::test::tpl {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  if (!fs::exists(path)) throw std::runtime_error("cannot read " + path);
  return readAll(path);
}

RunResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinFile,
                     const std::vector<std::string>& env) {
  Run run{.argv = argv, .env = env, .mergeErr = true};
  if (!stdinFile.empty()) run.stdinFile = stdinFile;
  return RunProcess(run);
}

void CopyFile(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::vector<Row> ReadRows(db::Connection& c, const std::string& sql,
                          const std::vector<db::Value>& params) {
  auto cursor = c.query(sql, params);
  std::vector<std::string> names = cursor->columns();
  for (std::string& n : names) std::transform(n.begin(), n.end(), n.begin(), ::toupper);
  std::vector<Row> rows;
  while (cursor->next()) {
    Row& row = rows.emplace_back();
    for (size_t i = 0; i < names.size(); ++i) row[names[i]] = cursor->row()[i];
  }
  return rows;
}

std::string Text(const db::Value& v) {
  if (v.kind() == db::Value::Kind::Integer) return std::to_string(v.integer());
  return v.kind() == db::Value::Kind::Text ? v.text() : "";
}

std::vector<std::string> InvoiceNumbers(db::Connection& c) {
  std::vector<std::string> numbers;
  for (const auto& row : ReadRows(c, "SELECT DISTINCT BT1 FROM VorlageXRechnung ORDER BY BT1"))
    numbers.push_back(Text(row.at("BT1")));
  return numbers;
}

Created CreateInvoice(const std::string& folder, const std::string& connection,
                      const std::string& sql, const std::string& number) {
  Created result;
  result.file = folder + "/RG" + number + ".xml";
  // The library records the last values used; keep that out of the user's home.
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  testing::internal::CaptureStderr();
  {
    belvora::clsXRechnung x;
    result.initialised = x.DLL_Init_DB(result.file, connection, sql, number, false);
    if (result.initialised) result.created = x.CreateXRechnung();
  }
  result.messages = testing::internal::GetCapturedStderr();
  return result;
}

}  // namespace belvora::test::tpl
