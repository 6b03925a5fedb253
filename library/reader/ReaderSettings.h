#pragma once

// What one read of an incoming invoice works with. The entry writes these
// before every read; ReadXML replaces invoiceFile by the extracted work file
// when it reads a hybrid PDF, so viewing and storing use the XML.

#include <string>

namespace belvora::reader {

// Amount patterns of the view. CII reads show grouped amounts; the UBL
// branches switch to the plain form with its trailing blank.
inline constexpr const char* kViewFormatGrouped = "#,##0.00";
inline constexpr const char* kViewFormatPlain = "0.00 ";

struct ReaderSettings {
  std::string invoiceFile;      // file to read (XML or PDF); the work file after a PDF
  std::string outputFolder;     // attachments go here; empty: nothing is written
  std::string connection;       // connection string of the database that stores the invoice
  std::string documentsTable;   // table for the invoice file; empty: storing is not offered
  std::string language = "GB";  // "DE" German texts, anything else English
  bool ask = false;             // ask before storing and report the result
  std::string viewNumberFormat = kViewFormatGrouped;
};

}  // namespace belvora::reader
