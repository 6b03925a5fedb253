#pragma once

#include "model/Invoice.h"

namespace belvora::model {

// Fills invoice.vatBreakdown and invoice.totals from the lines and the
// document allowances and charges: one VAT group per category and rate,
// taxes rounded per group (BR-CO-14, -17), totals as BR-CO-10 to -16 define
// them. BT-113 and BT-114 in invoice.totals are inputs and are kept.
void ComputeTotals(Invoice& invoice);

}  // namespace belvora::model
