#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace belvora::pdf {

// One file embedded in a PDF, its data decoded (filters removed).
struct EmbeddedFile {
  std::string name;
  std::string data;
};

// Upper bound for the decoded invoice: protects against streams that
// inflate to far more than any invoice (decompression bombs).
inline constexpr std::size_t kDefaultMaxFileSize = std::size_t{256} << 20;

// The bytes cannot be read as a PDF, even after repair. what() is the PDF
// library's own reason.
class Unreadable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The chosen invoice decodes to more than the limit.
class SizeLimitExceeded : public std::runtime_error {
 public:
  SizeLimitExceeded(std::string name, std::size_t limit);
  const std::string& name() const { return name_; }
  std::size_t limit() const { return limit_; }

 private:
  std::string name_;
  std::size_t limit_;
};

// Receives the decoded invoice piece by piece.
class InvoiceSink {
 public:
  virtual ~InvoiceSink() = default;
  virtual void write(std::string_view bytes) = 0;
  // Forgets what was written: the candidate turned out not to be whole.
  virtual void clear() = 0;
};

// The names of all embedded files in document order: the whole EmbeddedFiles
// name tree (sorted or not, every node visited once), then the associated
// files (/AF) of the catalogue that the tree does not hold. A damaged
// cross-reference table is repaired. Throws Unreadable.
std::vector<std::string> embeddedFileNames(std::string_view pdfBytes);

// Writes the invoice XML carried by a hybrid PDF to the sink and returns
// the embedded file's name; nullopt (sink empty) when there is none.
// Candidates are judged by their first decoded bytes (a CII or UBL root
// element, looksLikeInvoiceStart) without decoding them whole: first the
// files named factur-x.xml, zugferd-invoice.xml, xrechnung.xml (any letter
// case, in that order), then every file in document order. Only the chosen
// one is decoded in full; one that fails to decode or lacks its closing
// root tag gives way to the next. Throws Unreadable, SizeLimitExceeded when
// the chosen invoice passes maxFileSize, and what the sink throws.
std::optional<std::string> writeInvoiceXml(std::string_view pdfBytes, InvoiceSink& sink,
                                           std::size_t maxFileSize = kDefaultMaxFileSize);

// The same, into memory.
std::optional<EmbeddedFile> findInvoiceXml(std::string_view pdfBytes,
                                           std::size_t maxFileSize = kDefaultMaxFileSize);

// What the first bytes of a document tell about its root element.
enum class RootVerdict { Invoice, Other, Undecided };

// Invoice when the root element (after the prolog) is a CII invoice
// (CrossIndustryInvoice, or the older CrossIndustryDocument) or a UBL
// Invoice or CreditNote in its own namespace; Undecided when the bytes end
// before the root's start tag does. rootName receives the root's qualified
// name.
RootVerdict looksLikeInvoiceStart(std::string_view head, std::string* rootName = nullptr);

// True when the whole text is such a document and its root is closed (a
// cut-off stream is no invoice).
bool looksLikeInvoiceXml(std::string_view xml);

// Last resort for PDFs whose structure cannot be read: the raw bytes from
// an XML declaration ("<?xml version=", any letter case) to the end of the
// first "</rsm:CrossIndustryInvoice>" (any letter case), followed by CR LF.
// The declaration taken is the last one before that closing tag, so an XML
// packet earlier in the file does not swallow the invoice.
std::optional<std::string> scanInvoiceXml(std::string_view bytes);

}  // namespace belvora::pdf
