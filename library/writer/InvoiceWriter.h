#pragma once

#include <memory>
#include <string>

#include "model/SourceValues.h"

namespace belvora::db {
class Cursor;
}

namespace belvora::writer {

// Writes one CII invoice as text, section by section, in the order the
// creation run calls them. The text is assembled in place; no DOM is built.
class InvoiceWriter {
 public:
  // values: the document-level values read from the first source row.
  // lines: the source positioned on its first row (nullptr when there is no
  // source); the line writer walks it to its end. attachments: the
  // ";"-separated list of files to embed.
  InvoiceWriter(const model::SourceValues& values, db::Cursor* lines, std::string attachments);
  ~InvoiceWriter();

  void writeHeader();                 // begins the text
  void writeLineItems();              // walks the lines, keeps what the tax step needs
  void writeTradeParty(bool seller);  // buyer call also writes references and attachments
  void writeSettlement();  // agreement close, delivery, settlement opening, payment means
  void writeTaxBreakdown();
  void writeBillingPeriod();
  void writeAllowances();
  void writePaymentTerms();
  void writeSummation();  // totals, preceding invoice, closing tags

  const std::string& text() const;

  struct State;  // opaque; shared by the section files

 private:
  std::unique_ptr<State> state_;
};

}  // namespace belvora::writer
