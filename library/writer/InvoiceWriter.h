#pragma once

#include <memory>
#include <string>

#include "model/Invoice.h"

namespace belvora::writer {

// Writes one invoice as CII text, section by section, in the order the
// creation run calls them. The text is assembled in place; no DOM is built.
// The writer writes what the model holds and computes nothing: the VAT
// breakdown and the totals come from model::ComputeTotals.
class InvoiceWriter {
 public:
  // The invoice must outlive the writer. Throws std::invalid_argument when
  // the invoice holds a term that CII cannot carry (a second preceding
  // invoice, ...), so that nothing is written without it.
  explicit InvoiceWriter(const model::Invoice& invoice);
  ~InvoiceWriter();

  void writeHeader();                 // begins the text
  void writeLineItems();              // the lines, then opens the header agreement
  void writeTradeParty(bool seller);  // buyer call also writes references and attachments
  void writeSettlement();  // agreement close, delivery, settlement opening, payment means
  void writeTaxBreakdown();
  void writeBillingPeriod();
  void writeAllowances();  // document allowances and charges
  void writePaymentTerms();
  void writeSummation();  // totals, preceding invoice, closing tags

  const std::string& text() const;

  struct State;  // opaque; shared by the section files

 private:
  friend std::string WriteCii(const model::Invoice& invoice);  // takes the text over
  std::unique_ptr<State> state_;
};

// The whole document: every section, in order.
std::string WriteCii(const model::Invoice& invoice);

}  // namespace belvora::writer
