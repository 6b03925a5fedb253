#pragma once

// The EN 16931 and XRechnung 3.0 rules that concern an invoice's content,
// checked on the model before anything is written (and usable on a read
// invoice).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/Invoice.h"

namespace belvora::model {

struct Violation {
  std::string rule;                 // "BR-16", "BR-DE-15", "BR-CO-10", "BR-CL-24" ...
  std::string term;                 // "BT-131", "BG-25" ...
  std::optional<std::size_t> line;  // source row of the line concerned, if any
  std::string textEn;
  std::string textDe;
};

// Every violation of the invoice, in a stable order (document, then lines).
std::vector<Violation> CheckInvoice(const Invoice& invoice);

// One text listing each violation as "rule id: text (business term, line n)",
// in German when `german`, else English.
std::string ViolationsText(const std::vector<Violation>& violations, bool german);

}  // namespace belvora::model
