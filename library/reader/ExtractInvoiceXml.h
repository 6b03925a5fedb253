#pragma once

#include <string>

namespace belvora::reader {

// True when the file is a PDF: its content starts with "%PDF-" or its name
// ends in "pdf" in any letter case.
bool IsPdfFile(const std::string& path);

// Takes the invoice XML (CII, else UBL) out of a hybrid PDF and writes it to
// the work file "zFile.xml" in the private per-user work folder. Returns true
// and the work file's path on success; false (nothing written) otherwise.
bool ExtractInvoiceXml(const std::string& pdfPath, std::string& workFile);

}  // namespace belvora::reader
