#pragma once

#include <string>

namespace belvora::db {
class Connection;
}

namespace belvora::reader {

// Adds one row to the documents table inside the caller's open transaction:
// DocType, Number, the file's bytes as BinaryFile, FileName (the part after
// the last "/", the whole path when it has none), FileType (the last three
// characters of the path) and FileSize. quotedTable is the name as
// resolveTable returned it; the values are bound. Throws on any failure:
// std::system_error for the file, db::Error for the database.
void AddDocument(db::Connection& connection, const std::string& quotedTable,
                 const std::string& filePath, const std::string& docType,
                 const std::string& number);

// The store of a created invoice: the same row in a transaction of its own
// on a connection the caller has open. A failure (file, missing table,
// read-only or locked database) is shown to the user with the database's
// reason, nothing is stored, and the result is false.
[[nodiscard]] bool StoreDocument(db::Connection& connection, const std::string& table,
                                 const std::string& filePath, const std::string& docType,
                                 const std::string& number);

// The stored FileName and FileType of a path.
std::string DocumentFileName(const std::string& filePath);
std::string DocumentFileType(const std::string& filePath);

}  // namespace belvora::reader
