// CheckInvoice and ViolationsText, and the pieces every rule shares.

#include "model/Rules.h"

#include <algorithm>
#include <stdexcept>

#include "model/RulesCheck.h"
#include "model/RulesTables.h"

namespace belvora::model {
namespace rules {
namespace {

using Wide = __int128;

Wide Pow10(int n) {
  Wide p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// 10^38 is the largest power of ten an __int128 holds.
constexpr int kWideDigits = 38;

Wide Checked(Wide a, Wide b, bool multiply) {
  Wide r;
  if (multiply ? __builtin_mul_overflow(a, b, &r) : __builtin_add_overflow(a, b, &r))
    throw std::overflow_error("number too large");
  return r;
}

Wide Rescaled(Wide units, int from, int to) {
  if (to - from > kWideDigits) throw std::overflow_error("number too large");
  return Checked(units, Pow10(to - from), true);
}

// Floor division by a positive divisor.
Wide FloorDiv(Wide a, Wide d) {
  Wide q = a / d;
  if ((a % d != 0) && (a < 0)) --q;
  return q;
}

}  // namespace

std::string_view Trim(std::string_view s) {
  // By hand: find_first_not_of calls memchr per character.
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0, e = s.size();
  while (b < e && space(s[b])) ++b;
  while (e > b && space(s[e - 1])) --e;
  return s.substr(b, e - b);
}

Scenario ScenarioOf(std::string_view id) {
  if (id == kXRechnungCius) return Scenario::XRechnung;
  if (id == kXRechnungExtension) return Scenario::Extension;
  if (id == kXRechnungCvd) return Scenario::Cvd;
  return Scenario::En16931;
}

Exact operator+(Exact a, Exact b) {
  const int s = std::max(a.scale_, b.scale_);
  return Exact(Checked(Rescaled(a.units_, a.scale_, s), Rescaled(b.units_, b.scale_, s), false), s);
}

Exact operator-(Exact a, Exact b) { return a + Exact(-b.units_, b.scale_); }

Exact operator*(Exact a, Exact b) {
  return Exact(Checked(a.units_, b.units_, true), a.scale_ + b.scale_);
}

Exact Exact::Shifted(int n) const { return Exact(units_, scale_ + n); }

Exact Exact::Round(int places) const {
  if (scale_ <= places) return *this;
  const int k = scale_ - places;
  if (k > kWideDigits) return Exact(0, places);
  const Wide d = Pow10(k);
  return Exact(FloorDiv(Checked(units_, d / 2, false), d), places);
}

int Compare(Exact a, Exact b) {
  const int s = std::max(a.scale_, b.scale_);
  const Wide x = Rescaled(a.units_, a.scale_, s), y = Rescaled(b.units_, b.scale_, s);
  return x < y ? -1 : (x > y ? 1 : 0);
}

std::string Exact::Text() const {
  // At least two decimals, as amounts are shown.
  if (scale_ < 2) return Exact(Rescaled(units_, scale_, 2), 2).Text();
  Wide u = units_ < 0 ? -units_ : units_;
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
    u /= 10;
  } while (u != 0);
  const auto scale = static_cast<std::size_t>(scale_);
  if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
  std::string out = units_ < 0 ? "-" : "";
  out += digits.substr(0, digits.size() - scale) + "." + digits.substr(digits.size() - scale);
  return out;
}

Detail Value(std::string_view v) {
  std::string q = "\"" + std::string(v) + "\"";
  return {q, q};
}

Detail Numbers(const Exact& stated, const Exact& expected) {
  return {"stated " + stated.Text() + ", expected " + expected.Text(),
          "angegeben " + stated.Text() + ", erwartet " + expected.Text()};
}

void Checker::Sums::Add(std::string_view category, const std::optional<Decimal>& rate,
                        const std::optional<Decimal>& amount) {
  ++count[category];
  if (!amount) return;
  try {
    byCategory[category] += *amount;
    byGroup[{category, rate ? std::optional<Decimal>(rate->normalized()) : std::nullopt}] +=
        *amount;
  } catch (const std::overflow_error&) {
    overflow = true;
  }
}

Checker::Checker(const Invoice& invoice)
    : inv_(invoice), scenario_(ScenarioOf(invoice.specificationId)) {}

std::vector<Violation> Checker::Run() {
  CheckLines();
  CheckDocument();
  CheckParties();
  CheckPayment();
  CheckDocumentAllowancesCharges();
  CheckAttachments();
  CheckVat();
  CheckTotals();
  CheckCodes();
  if (XRechnung()) CheckXRechnung();
  CheckStated();
  // Document first, then the lines in their order; within each, the order
  // in which the rules were checked.
  std::stable_sort(out_.begin(), out_.end(), [](const Violation& a, const Violation& b) {
    return a.line.value_or(0) < b.line.value_or(0);
  });
  return std::move(out_);
}

bool Checker::Lowered(std::string_view rule) const {
  // The validator's custom levels: these rules are warnings or information
  // in the XRechnung scenarios, so they do not make an invoice invalid.
  switch (scenario_) {
    case Scenario::En16931:
      return false;
    case Scenario::XRechnung:
      return rule == "BR-CL-21" || rule == "BR-CL-23";
    case Scenario::Extension:
      return rule == "BR-CL-23" || rule == "BR-CL-10" || rule == "BR-CL-11" || rule == "BR-CL-21" ||
             rule == "BR-CL-24" || rule == "BR-CL-25" || rule == "BR-CL-26";
    case Scenario::Cvd:
      return rule == "BR-CL-21" || rule == "BR-CL-23" || rule == "BR-CL-13";
  }
  return false;
}

void Checker::Add(std::string_view rule, std::string_view term, std::optional<std::size_t> line,
                  const Detail& detail) {
  if (Lowered(rule)) return;
  const RuleText* t = FindRuleText(rule);
  Violation v;
  v.rule = std::string(rule);
  v.term = std::string(!term.empty() ? term : (t ? t->term : std::string_view()));
  v.line = line;
  auto text = [&](std::string_view s, const std::string& d) {
    std::string out(s.empty() ? rule : s);
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
    if (!d.empty()) out += ": " + d;
    return out;
  };
  v.textEn = text(t ? t->en : std::string_view(), detail.en);
  v.textDe = text(t ? t->de : std::string_view(), detail.de);
  out_.push_back(std::move(v));
}

void Checker::Overflow(std::string_view rule, std::string_view term) {
  Add(rule, term, std::nullopt, {"a number is too large to check", "eine Zahl ist zu groß"});
}

}  // namespace rules

std::vector<Violation> CheckInvoice(const Invoice& invoice) {
  return rules::Checker(invoice).Run();
}

std::string ViolationsText(const std::vector<Violation>& violations, bool german) {
  std::string out;
  for (const auto& v : violations) {
    if (!out.empty()) out += '\n';
    out += v.rule + ": " + (german ? v.textDe : v.textEn);
    std::string where = v.term;
    if (v.line) {
      if (!where.empty()) where += ", ";
      where += (german ? "Zeile " : "line ") + std::to_string(*v.line);
    }
    if (!where.empty()) out += " (" + where + ")";
  }
  return out;
}

}  // namespace belvora::model
