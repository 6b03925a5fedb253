#include "reader/StoreDocument.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <vector>

#include "messages/Messages.h"
#include "platform/db/Connection.h"
#include "platform/ui/Interaction.h"

namespace belvora::reader {
namespace {

// Straight into the blob: a large invoice is held once, not twice.
db::Blob readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in)
    throw std::system_error(errno ? errno : ENOENT, std::generic_category(),
                            "cannot open '" + path + "'");
  auto end = in.tellg();
  db::Blob bytes(end > 0 ? static_cast<size_t>(end) : 0);
  in.seekg(0);
  if (!bytes.empty() &&
      !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    throw std::system_error(errno ? errno : EIO, std::generic_category(),
                            "cannot read '" + path + "'");
  return bytes;
}

}  // namespace

std::string DocumentFileName(const std::string& filePath) {
  auto slash = filePath.rfind('/');
  return slash == std::string::npos ? filePath : filePath.substr(slash + 1);
}

std::string DocumentFileType(const std::string& filePath) {
  // Three characters, not three bytes: never cut a UTF-8 sequence in half.
  size_t pos = filePath.size();
  for (int chars = 0; chars < 3 && pos > 0; ++chars) {
    --pos;
    while (pos > 0 && (static_cast<unsigned char>(filePath[pos]) & 0xC0) == 0x80) --pos;
  }
  return filePath.substr(pos);
}

void AddDocument(db::Connection& connection, const std::string& quotedTable,
                 const std::string& filePath, const std::string& docType,
                 const std::string& number) {
  db::Blob bytes = readBytes(filePath);
  auto size = static_cast<std::int64_t>(bytes.size());
  // Built by moving, not from an initializer list: that would copy the file's bytes.
  std::vector<db::Value> values;
  values.reserve(6);
  values.emplace_back(docType);
  values.emplace_back(number);
  values.emplace_back(std::move(bytes));
  values.emplace_back(DocumentFileName(filePath));
  values.emplace_back(DocumentFileType(filePath));
  values.emplace_back(size);
  connection.execute("INSERT INTO " + quotedTable +
                         " (DocType, Number, BinaryFile, FileName, FileType, FileSize)"
                         " VALUES (?, ?, ?, ?, ?, ?)",
                     values);
}

bool StoreDocument(db::Connection& connection, const std::string& table,
                   const std::string& filePath, const std::string& docType,
                   const std::string& number) {
  try {
    const std::string quoted = connection.resolveTable(table);
    db::Transaction transaction(connection);
    AddDocument(connection, quoted, filePath, docType, number);
    transaction.commit();
    return true;
  } catch (const std::exception& e) {
    try {
      ui::current().message(
          messages::kTitleNote,
          messages::Fill(messages::creation::kNotStored, {filePath, table, e.what()}),
          ui::Icon::Exclamation);
    } catch (...) {
    }
    return false;
  }
}

}  // namespace belvora::reader
