#pragma once

// BT-8 holds a UNTDID 2005 code (3, 35, 432) in the model; CII writes the
// same meaning as a UNTDID 2475 code (5, 29, 72).

#include <string_view>

namespace belvora::model {

struct TaxPointCode {
  std::string_view model;  // UNTDID 2005
  std::string_view cii;    // UNTDID 2475
};

inline constexpr TaxPointCode kTaxPointCodes[] = {
    {"3", "5"},     // invoice document issue date
    {"35", "29"},   // actual delivery date
    {"432", "72"},  // paid to date
};

// The CII code of a model code; empty when the code has none.
inline std::string_view TaxPointCodeToCii(std::string_view code) {
  for (const auto& c : kTaxPointCodes)
    if (c.model == code) return c.cii;
  return {};
}

// The model code of a CII code; empty when the code has none.
inline std::string_view TaxPointCodeFromCii(std::string_view code) {
  for (const auto& c : kTaxPointCodes)
    if (c.cii == code) return c.model;
  return {};
}

}  // namespace belvora::model
