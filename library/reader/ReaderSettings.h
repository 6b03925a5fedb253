#pragma once

// What one read of an incoming invoice works with. The entry writes these
// before every read; ReadXML replaces invoiceFile by the extracted work file
// when it reads a hybrid PDF, so viewing and storing use the XML.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace belvora::sys {
class WorkFile;
}

namespace belvora::reader {

// Amount patterns of the view. CII reads show grouped amounts; the UBL
// branches switch to the plain form with its trailing blank.
inline constexpr const char* kViewFormatGrouped = "#,##0.00";
inline constexpr const char* kViewFormatPlain = "0.00 ";

// The largest invoice a read takes: an XML file, the XML decoded from a
// PDF, and the PDF file itself. Bounds memory and disk against bombs.
inline constexpr std::uint64_t kDefaultMaxInvoiceSize = std::uint64_t{256} << 20;
// Where the limit is set (in MB): the variable wins over the settings file.
inline constexpr const char* kMaxSizeSection = "Reader";
inline constexpr const char* kMaxSizeKey = "maxsizemb";
inline constexpr const char* kMaxSizeVariable = "BELVORA_READER_MAXSIZE_MB";
// Beyond this the XML parser refuses a document anyway.
inline constexpr std::uint64_t kMaxSizeLimitMB = 2047;

struct ReaderSettings {
  std::string invoiceFile;      // file to read (XML or PDF); the work file after a PDF
  std::string outputFolder;     // attachments go here; empty: nothing is written
  std::string connection;       // connection string of the database that stores the invoice
  std::string documentsTable;   // table for the invoice file; empty: storing is not offered
  std::string language = "GB";  // "DE" German texts, anything else English
  bool ask = false;             // ask before storing and report the result
  std::string viewNumberFormat = kViewFormatGrouped;
  std::uint64_t maxInvoiceSize = kDefaultMaxInvoiceSize;

  // Set by each read. The work file holds the XML taken out of a PDF; it is
  // this read's own and is removed with the last copy of these settings.
  std::shared_ptr<const sys::WorkFile> workFile;
  bool attachmentsLost = false;  // an attachment could not be written (reported)
};

// The size limit in bytes: BELVORA_READER_MAXSIZE_MB, else maxsizemb in
// [Reader] of the settings file, else the default. Throws
// std::runtime_error with a message in the language when a value is no
// whole number of megabytes from 1 to kMaxSizeLimitMB.
std::uint64_t LoadMaxInvoiceSize(std::string_view language);

}  // namespace belvora::reader
