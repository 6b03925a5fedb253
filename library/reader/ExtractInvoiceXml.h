#pragma once

#include <cstdint>
#include <string>

namespace belvora::sys {
class WorkFile;
}

namespace belvora::reader {

// True when the file is a PDF: its content starts with "%PDF-" or its name
// ends in "pdf" in any letter case.
bool IsPdfFile(const std::string& path);

// How taking the invoice out of a PDF ended.
enum class Extraction {
  Extracted,   // the invoice XML is in the work file
  NotPdf,      // no PDF header, no structure, no readable invoice: read the file as it is
  NoInvoice,   // a readable PDF without an invoice
  Unreadable,  // a PDF whose structure cannot be read; reason: the PDF library's words
  TooLarge,    // the invoice (or the PDF) passes the size limit
  Failed,      // the PDF or the work file could not be read or written; reason says why
};

struct ExtractResult {
  Extraction outcome = Extraction::Failed;
  std::string reason;
};

// Takes the invoice XML (CII, else UBL) out of a hybrid PDF into the work
// file: from the embedded files through the PDF structure, else by a scan
// of the raw bytes. The PDF must be a regular file; neither it nor the
// invoice may pass maxSize bytes. Unless the outcome is Extracted the work
// file is left empty.
ExtractResult ExtractInvoiceXml(const std::string& pdfPath, sys::WorkFile& workFile,
                                std::uint64_t maxSize);

}  // namespace belvora::reader
