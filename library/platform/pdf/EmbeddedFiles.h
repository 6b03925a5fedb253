#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace belvora::pdf {

// One file embedded in a PDF, its data decoded (filters removed).
struct EmbeddedFile {
  std::string name;
  std::string data;
};

// Upper bound for one decoded embedded file; protects against streams that
// inflate to far more than any invoice (compression bombs).
inline constexpr std::size_t kDefaultMaxFileSize = std::size_t{1} << 30;

// The names of all embedded files in document order: the whole EmbeddedFiles
// name tree (sorted or not, every node visited once), then the associated
// files (/AF) of the catalogue that the tree does not hold. A damaged
// cross-reference table is repaired. Throws std::runtime_error when the
// bytes cannot be opened as a PDF at all.
std::vector<std::string> embeddedFileNames(std::string_view pdfBytes);

// The invoice XML carried by a hybrid PDF: an embedded file named
// factur-x.xml, zugferd-invoice.xml or xrechnung.xml (any letter case, in
// that order of preference) whose content is an invoice, else the first
// embedded file whose content is one. Empty when there is none; throws
// std::runtime_error when the PDF cannot be opened at all.
std::optional<EmbeddedFile> findInvoiceXml(std::string_view pdfBytes,
                                           std::size_t maxFileSize = kDefaultMaxFileSize);

// True when the text is an XML document whose root element is a CII invoice
// (CrossIndustryInvoice, or the older CrossIndustryDocument) or a UBL
// Invoice or CreditNote, judged by the root element's name and namespace;
// the root element must also be closed (a cut-off stream is no invoice).
bool looksLikeInvoiceXml(std::string_view xml);

// Last resort for PDFs whose structure cannot be read: the raw bytes from
// an XML declaration ("<?xml version=", any letter case) to the end of the
// first "</rsm:CrossIndustryInvoice>" (any letter case), followed by CR LF.
// The declaration taken is the last one before that closing tag, so an XML
// packet earlier in the file does not swallow the invoice.
std::optional<std::string> scanInvoiceXml(std::string_view bytes);

}  // namespace belvora::pdf
