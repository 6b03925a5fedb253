#pragma once

// The checker behind CheckInvoice: one pass over the lines gathers what the
// document-level rules need, then each concern checks its rules. Split by
// concern into Rules_<topic>.cpp.
//
// The rules are those of the official artefacts, read on the model: an empty
// text or an empty optional is an absent element. Where an official rule
// tests an XPath expression with a quirk (rounding half up, a tolerance of
// one currency unit, a rule that a more specific one shadows), the check
// does the same, so that its verdict is the validator's.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/Invoice.h"
#include "model/Rules.h"

namespace belvora::model::rules {

// The validator's scenario, chosen by BT-24 exactly as given.
enum class Scenario { En16931, XRechnung, Extension, Cvd };
Scenario ScenarioOf(std::string_view specificationId);

// XPath's normalize-space at both ends: space, tab, CR and LF.
std::string_view Trim(std::string_view s);
inline bool Has(std::string_view s) { return !Trim(s).empty(); }
// An identifier element exists when it has a value or a scheme.
inline bool Has(const Identifier& i) { return Has(i.id) || Has(i.scheme); }

// An account entry (BG-17) has an account element unless it holds a
// provider id alone (that goes into an element of its own).
inline bool AccountElement(const CreditTransfer& a) {
  return Has(a.accountId) || Has(a.accountName) || !Has(a.providerId);
}

// A date as yyyymmdd, ordered as the rules compare the texts.
inline long DateKey(const Date& d) { return d.year * 10000L + d.month * 100L + d.day; }

// Exact decimal arithmetic wide enough for sums and products of invoice
// values. Throws std::overflow_error beyond that.
class Exact {
 public:
  Exact() = default;
  Exact(Decimal d) : units_(d.units()), scale_(d.scale()) {}  // NOLINT: implicit on purpose
  static Exact Int(long long v) { return Exact(v, 0); }

  friend Exact operator+(Exact a, Exact b);
  friend Exact operator-(Exact a, Exact b);
  friend Exact operator*(Exact a, Exact b);
  Exact& operator+=(Exact b) { return *this = *this + b; }
  // Divided by 10^n, exactly.
  Exact Shifted(int n) const;
  Exact Abs() const { return units_ < 0 ? Exact(-units_, scale_) : *this; }
  // XPath round(): to `places` decimals, halves towards positive infinity.
  Exact Round(int places) const;
  int Sign() const { return units_ < 0 ? -1 : (units_ > 0 ? 1 : 0); }
  friend int Compare(Exact a, Exact b);
  friend bool operator==(Exact a, Exact b) { return Compare(a, b) == 0; }
  friend bool operator<(Exact a, Exact b) { return Compare(a, b) < 0; }
  friend bool operator<=(Exact a, Exact b) { return Compare(a, b) <= 0; }
  friend bool operator>(Exact a, Exact b) { return Compare(a, b) > 0; }
  friend bool operator>=(Exact a, Exact b) { return Compare(a, b) >= 0; }
  std::string Text() const;

 private:
  Exact(__int128 units, int scale) : units_(units), scale_(scale) {}
  __int128 units_ = 0;
  int scale_ = 0;
};

// Detail appended to a rule's text: a value or the numbers compared.
struct Detail {
  std::string en;
  std::string de;
};
Detail Value(std::string_view v);
Detail Numbers(const Exact& stated, const Exact& expected);

class Checker {
 public:
  explicit Checker(const Invoice& invoice);
  std::vector<Violation> Run();

 private:
  // (category, rate) of a VAT group; the rate normalised, absent for none.
  using GroupKey = std::pair<std::string_view, std::optional<Decimal>>;
  struct Sums {
    std::map<GroupKey, Exact> byGroup;
    std::map<std::string_view, Exact> byCategory;
    std::map<std::string_view, std::size_t> count;
    bool overflow = false;  // a sum went out of range
    void Add(std::string_view category, const std::optional<Decimal>& rate,
             const std::optional<Decimal>& amount);
  };

  // Rules_lines.cpp
  void CheckLines();
  void CheckLine(const Line& line);
  void CheckLineAllowanceCharge(const Line& line, const AllowanceCharge& ac);
  // Rules_document.cpp
  void CheckDocument();
  void CheckParties();
  void CheckPayment();
  void CheckDocumentAllowancesCharges();
  void CheckAttachments();
  // Rules_vat.cpp
  void CheckVat();
  // The rules of a category on a line (which = 2), a document level
  // allowance (3) or charge (4): the identifiers it needs (BR-S-02 ...) and
  // its rate (BR-S-05 ...).
  void CheckCategory(std::string_view category, const std::optional<Decimal>& rate, int which,
                     std::optional<std::size_t> line);
  void CheckBreakdown(const VatBreakdown& group);
  // Rules_amounts.cpp
  void CheckTotals();
  void CheckStated();
  // BT-110 and BT-111 against the currencies BT-5 and BT-6.
  void CheckCurrencies();
  // Rules_codes.cpp
  void CheckCodes();
  // Rules_xrechnung.cpp
  void CheckXRechnung();
  void CheckXRechnungPayment();
  void CheckCvd();
  void CheckExtension();
  void CheckPeppolAllowanceCharge(const AllowanceCharge& ac, std::string_view term,
                                  std::optional<std::size_t> line);

  // Records a violation unless the scenario lowers the rule to a warning.
  void Add(std::string_view rule, std::string_view term = {},
           std::optional<std::size_t> line = std::nullopt, const Detail& detail = {});
  bool Lowered(std::string_view rule) const;
  bool XRechnung() const { return scenario_ != Scenario::En16931; }
  // The rule could not be evaluated because a number is out of range.
  void Overflow(std::string_view rule, std::string_view term);

  // The seller's VAT identifier (VA), tax number (FC), the tax
  // representative's and the buyer's VAT identifiers, as the rules test them.
  bool SellerVa() const { return Has(inv_.seller.vatId); }
  bool SellerVaOrFc() const { return SellerVa() || Has(inv_.seller.taxRegistration); }
  bool TaxRepVa() const { return Has(inv_.taxRepresentative.vatId); }
  bool BuyerVa() const { return Has(inv_.buyer.vatId); }

  const Invoice& inv_;
  Scenario scenario_;
  std::vector<Violation> out_;

  // Gathered in one pass over the lines.
  Sums lines_;
  Exact lineNetSum_;
  // Document level allowances and charges by category and rate.
  Sums allowances_;
  Sums charges_;
  // Set by CheckVat.
  bool otherThanO_ = false;
  bool allowanceChargeOtherThanO_ = false;
};

}  // namespace belvora::model::rules
