#include "TemplateSupport.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "belvora/clsXRechnung.h"
#include "model/Catalogue.h"

extern char** environ;

namespace belvora::test::tpl {

namespace fs = std::filesystem;

const std::vector<CatalogueColumn>& Catalogue() {
  static const std::vector<CatalogueColumn> columns = [] {
    std::vector<CatalogueColumn> all = {{"RowNo", Kind::Integer}, {"RowKind", Kind::Text}};
    for (const model::Column& c : model::Columns()) {
      switch (c.type) {
        case model::ValueType::Computed:
          continue;
        case model::ValueType::Date:
          all.push_back({std::string(c.name), Kind::Date});
          break;
        case model::ValueType::Amount:
          all.push_back({std::string(c.name), Kind::Amount});
          break;
        case model::ValueType::Number:
          all.push_back({std::string(c.name), Kind::Number});
          break;
        case model::ValueType::Content:
          all.push_back({std::string(c.name), Kind::Blob});
          break;
        default:
          all.push_back({std::string(c.name), Kind::Text});
      }
    }
    return all;
  }();
  return columns;
}

RunResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinFile,
                     const std::vector<std::string>& env) {
  Run run;
  run.argv = argv;
  run.env = env;
  if (!stdinFile.empty()) run.stdinFile = stdinFile;
  run.mergeErr = true;
  return RunProcess(run);
}

std::string ReadBytes(const std::string& path) {
  if (!fs::exists(path)) throw std::runtime_error("cannot read " + path);
  return readAll(path);
}

void CopyFile(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::vector<Row> ReadRows(db::Cursor& cursor) {
  std::vector<std::string> names;
  for (std::string n : cursor.columns()) {
    std::transform(n.begin(), n.end(), n.begin(),
                   [](unsigned char ch) { return std::toupper(ch); });
    names.push_back(n);
  }
  std::vector<Row> rows;
  while (cursor.next()) {
    Row row;
    for (size_t i = 0; i < names.size(); ++i) row[names[i]] = cursor.row()[i];
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<Row> ReadRows(db::Connection& c, const std::string& sql,
                          const std::vector<db::Value>& params) {
  auto cursor = c.query(sql, params);
  return ReadRows(*cursor);
}

std::optional<std::int64_t> Cents(const db::Value& v) {
  switch (v.kind()) {
    case db::Value::Kind::Integer:
      return v.integer() * 100;
    case db::Value::Kind::Real:
      return std::llround(v.real() * 100);
    default:
      return std::nullopt;
  }
}

std::string Text(const db::Value& v) {
  switch (v.kind()) {
    case db::Value::Kind::Text:
      return v.text();
    case db::Value::Kind::Integer:
      return std::to_string(v.integer());
    default:
      return {};
  }
}

std::vector<std::string> InvoiceNumbers(db::Connection& c) {
  std::vector<std::string> numbers;
  for (const auto& row : ReadRows(c, "SELECT DISTINCT BT1 FROM VorlageXRechnung ORDER BY BT1"))
    numbers.push_back(Text(row.at("BT1")));
  return numbers;
}

namespace {

// ISO 7064 MOD 97-10 remainder of a text whose letters count as 10..35.
int Mod97(const std::string& text) {
  int remainder = 0;
  for (unsigned char ch : text) {
    if (std::isdigit(ch)) {
      remainder = (remainder * 10 + (ch - '0')) % 97;
    } else if (std::isupper(ch)) {
      const int value = ch - 'A' + 10;
      remainder = (remainder * 100 + value) % 97;
    } else {
      return -1;
    }
  }
  return remainder;
}

bool Matches(const std::string& text, const char* pattern) {
  return std::regex_match(text, std::regex(pattern));
}

}  // namespace

bool ValidIban(const std::string& iban) {
  if (!Matches(iban, "[A-Z]{2}[0-9]{2}[A-Z0-9]{11,30}")) return false;
  if (iban.rfind("DE", 0) == 0 && iban.size() != 22) return false;
  return Mod97(iban.substr(4) + iban.substr(0, 4)) == 1;
}

bool ValidGermanVatId(const std::string& id) {
  if (!Matches(id, "DE[0-9]{9}")) return false;
  int product = 10;
  for (int i = 2; i < 10; ++i) {
    int sum = (id[i] - '0' + product) % 10;
    if (sum == 0) sum = 10;
    product = (2 * sum) % 11;
  }
  int check = 11 - product;
  if (check == 10) check = 0;
  return check == id[10] - '0';
}

bool ValidLeitwegId(const std::string& id) {
  if (!Matches(id, "[0-9]{2,12}(-[0-9A-Z]{1,30})?-[0-9]{2}")) return false;
  std::string body = id.substr(0, id.size() - 3);
  body.erase(std::remove(body.begin(), body.end(), '-'), body.end());
  return 98 - Mod97(body + "00") == std::stoi(id.substr(id.size() - 2));
}

bool ValidCreditorId(const std::string& id) {
  // DE, two check digits, three characters of business code (not part of
  // the check), the national identifier of eleven characters.
  if (!Matches(id, "DE[0-9]{2}[A-Z0-9]{3}0[0-9]{10}")) return false;
  return 98 - Mod97(id.substr(7) + "DE00") == std::stoi(id.substr(2, 2));
}

bool ValidBic(const std::string& bic) {
  return Matches(bic, "[A-Z]{4}[A-Z]{2}[A-Z0-9]{2}([A-Z0-9]{3})?");
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

std::string XPathString(const std::string& documentPath, const std::string& expression) {
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      xmlReadFile(documentPath.c_str(), nullptr, XML_PARSE_NONET), &xmlFreeDoc);
  if (!doc) throw std::runtime_error("not well-formed: " + documentPath);
  std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> ctx(
      xmlXPathNewContext(doc.get()), &xmlXPathFreeContext);
  const std::pair<const char*, const char*> ns[] = {
      {"rsm", "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"},
      {"ram", "urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100"},
      {"udt", "urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100"}};
  for (const auto& [prefix, uri] : ns)
    xmlXPathRegisterNs(ctx.get(), reinterpret_cast<const xmlChar*>(prefix),
                       reinterpret_cast<const xmlChar*>(uri));
  const std::string wrapped = "string(" + expression + ")";
  std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(wrapped.c_str()), ctx.get()),
      &xmlXPathFreeObject);
  if (!result) throw std::runtime_error("bad XPath: " + expression);
  return result->stringval ? reinterpret_cast<const char*>(result->stringval) : "";
}

}  // namespace belvora::test::tpl
