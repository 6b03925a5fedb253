#pragma once

#include <string>

namespace belvora::db {
class Connection;
}

namespace belvora::reader {

// Adds one row to the documents table: DocType, Number, the file's bytes as
// BinaryFile, FileName (the part after the last "/", the whole path when it
// has none), FileType (the last three characters of the path) and FileSize.
// The table name is checked and quoted by the connection; the values are
// bound and the insert runs in its own transaction. Errors are not handled
// here: a missing file or table throws (std::system_error / db::Error).
// Returns true when the row was written.
bool StoreDocument(db::Connection& connection, const std::string& table,
                   const std::string& filePath, const std::string& docType,
                   const std::string& number);

// The stored FileName and FileType of a path.
std::string DocumentFileName(const std::string& filePath);
std::string DocumentFileType(const std::string& filePath);

}  // namespace belvora::reader
