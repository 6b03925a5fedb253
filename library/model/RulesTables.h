#pragma once

// Tables of the native rule check, generated from the official validation
// artefacts by scripts/rules/generate.py (RulesTables.cpp): the code lists,
// the XRechnung identifiers and the texts of every rule the check reports.

#include <algorithm>
#include <span>
#include <string_view>

namespace belvora::model::rules {

struct RuleText {
  std::string_view id;
  std::string_view term;  // the business term a violation names by default
  std::string_view en;
  std::string_view de;
};

// Sorted by id.
std::span<const RuleText> AllRuleTexts();

inline const RuleText* FindRuleText(std::string_view id) {
  const auto texts = AllRuleTexts();
  const auto it = std::lower_bound(texts.begin(), texts.end(), id,
                                   [](const RuleText& t, std::string_view v) { return t.id < v; });
  return it != texts.end() && it->id == id ? &*it : nullptr;
}

enum class CodeList {
  CvaCode,        // clean vehicle categories (XRechnung CVD)
  CvdVehicle,     // vehicle categories (XRechnung CVD)
  Eas,            // electronic address schemes (BR-CL-25)
  EasExtension,   // the same for the XRechnung extension (BR-DEX-07)
  IcdExtension,   // ISO 6523 ICD for the XRechnung extension (BR-DEX-04 ...)
  Iso3166,        // countries (BR-CL-14, -15)
  Iso4217,        // currencies (BR-CL-03 to -05)
  IsoIcd,         // identifier schemes (BR-CL-10, -11, -21, -26)
  Mime,           // attachment MIME codes (BR-CL-24)
  MimeExtension,  // the same for the XRechnung extension (BR-DEX-01)
  Rec20,          // units of measure, UNECE Rec 20 with Rec 21 (BR-CL-23)
  TaxPointCii,    // tax point date codes as CII writes them (BR-CL-06)
  Untdid1001,     // invoice type codes (BR-CL-01)
  Untdid1153,     // object identifier schemes (BR-CL-07)
  Untdid4451,     // note subject codes (BR-CL-08)
  Untdid4461,     // payment means (BR-CL-16)
  Untdid5189,     // allowance reasons (BR-CL-19)
  Untdid5305,     // VAT categories (BR-CL-17, -18)
  Untdid7143,     // item classification schemes (BR-CL-13)
  Untdid7143Cvd,  // the same with CVD (XRechnung CVD)
  Untdid7161,     // charge reasons (BR-CL-20)
  Vatex,          // VAT exemption reason codes (BR-CL-22)
  VatPrefix,      // VAT identifier prefixes (BR-CO-09)
};

// Sorted, without duplicates.
std::span<const std::string_view> Entries(CodeList list);

inline bool InCodeList(CodeList list, std::string_view code) {
  const auto entries = Entries(list);
  return std::binary_search(entries.begin(), entries.end(), code);
}

// Specification identifiers (BT-24) of the XRechnung 3.0 scenarios.
extern const std::string_view kXRechnungCius;
extern const std::string_view kXRechnungExtension;
extern const std::string_view kXRechnungCvd;
inline bool IsXRechnung(std::string_view specificationId) {
  return specificationId == kXRechnungCius || specificationId == kXRechnungExtension ||
         specificationId == kXRechnungCvd;
}
// The cash discount pattern of BR-DE-18, as the artefacts state it (for
// messages; the check itself is hand-written).
extern const std::string_view kSkontoPattern;

}  // namespace belvora::model::rules
