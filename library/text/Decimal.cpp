#include "text/Decimal.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace belvora::text {
namespace {

using Wide = __int128;

constexpr std::int64_t kPow10[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000,
                                   10000000000000000,
                                   100000000000000000,
                                   1000000000000000000};

std::int64_t narrow(Wide v) {
  if (v > std::numeric_limits<std::int64_t>::max() || v < std::numeric_limits<std::int64_t>::min())
    throw std::overflow_error("number too large");
  return static_cast<std::int64_t>(v);
}

// Units of a at the larger scale `to` (to >= a's scale).
Wide rescaled(std::int64_t units, int from, int to) { return Wide(units) * kPow10[to - from]; }

// Divides by 10^n, halves away from zero.
Wide divideRounded(Wide v, int n) {
  if (n <= 0) return v;
  Wide d = 1;
  for (int i = 0; i < n; ++i) d *= 10;
  Wide q = v / d, r = v % d;
  if (r < 0) r = -r;
  if (2 * r >= d) q += v < 0 ? -1 : 1;
  return q;
}

}  // namespace

Decimal Decimal::fromUnits(std::int64_t units, int scale) {
  if (scale < 0 || scale > kMaxScale) throw std::out_of_range("decimal scale out of range");
  return Decimal(units, scale);
}

std::optional<Decimal> Decimal::parse(std::string_view s) {
  if (s.empty()) return std::nullopt;
  char point = s.find('.') != std::string_view::npos ? '.' : ',';
  bool negative = false;
  std::size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    ++i;
  }
  Wide units = 0;
  int scale = 0, digits = 0, significant = 0;
  bool seenPoint = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == point && !seenPoint) {
      seenPoint = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    ++digits;
    if (units != 0 || c != '0') ++significant;
    if (significant > 18) return std::nullopt;
    units = units * 10 + (c - '0');
    if (seenPoint && ++scale > kMaxScale) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  return Decimal(static_cast<std::int64_t>(negative ? -units : units), scale);
}

std::optional<Decimal> Decimal::fromDouble(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  if (std::fabs(value) >= 1e18) return std::nullopt;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<std::size_t>(r.ptr - buf));  // -d.ddddddddddddddde+XX
  const auto e = sci.find('e');
  int exp10 = 0;
  const char* ep = sci.data() + e + 1;
  if (*ep == '+') ++ep;
  std::from_chars(ep, sci.data() + sci.size(), exp10);
  bool negative = sci[0] == '-';
  std::string_view mant = sci.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
  Wide units = 0;
  int fraction = 0;  // digits after the point in the mantissa
  bool afterPoint = false;
  for (char c : mant) {
    if (c == '.') {
      afterPoint = true;
      continue;
    }
    units = units * 10 + (c - '0');
    if (afterPoint) ++fraction;
  }
  int scale = fraction - exp10;
  while (scale > 0 && units % 10 == 0) {
    units /= 10;
    --scale;
  }
  while (scale < 0) {
    units *= 10;
    ++scale;
  }
  if (scale > kMaxScale) {
    units = divideRounded(units, scale - kMaxScale);
    scale = kMaxScale;
  }
  if (negative) units = -units;
  try {
    return Decimal(narrow(units), scale).normalized();
  } catch (const std::overflow_error&) {
    return std::nullopt;
  }
}

Decimal Decimal::normalized() const {
  std::int64_t u = units_;
  int s = scale_;
  while (s > 0 && u % 10 == 0) {
    u /= 10;
    --s;
  }
  return Decimal(u, s);
}

Decimal Decimal::rounded(int decimals) const {
  if (decimals < 0) decimals = 0;
  if (scale_ <= decimals) return *this;
  return Decimal(narrow(divideRounded(units_, scale_ - decimals)), decimals);
}

bool Decimal::fits(int decimals) const {
  return scale_ <= decimals || normalized().scale_ <= decimals;
}

bool Decimal::below(int digits) const {
  if (digits + scale_ > 18) return true;
  const std::int64_t limit = kPow10[digits + scale_];
  return units_ < limit && units_ > -limit;
}

std::string Decimal::text(int minDecimals) const {
  const int decimals = scale_ > minDecimals ? scale_ : minDecimals;
  Wide u = rescaled(units_, scale_, decimals > 18 ? scale_ : decimals);
  const bool negative = u < 0;
  if (negative) u = -u;
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
    u /= 10;
  } while (u != 0);
  if (digits.size() <= static_cast<std::size_t>(decimals))
    digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
  std::string out;
  if (negative) out += '-';
  out.append(digits, 0, digits.size() - static_cast<std::size_t>(decimals));
  if (decimals > 0) {
    out += '.';
    out.append(digits, digits.size() - static_cast<std::size_t>(decimals));
  }
  return out;
}

double Decimal::toDouble() const {
  double v = 0;
  const std::string t = text();
  std::from_chars(t.data(), t.data() + t.size(), v);
  return v;
}

Decimal operator+(Decimal a, Decimal b) {
  const int s = a.scale_ > b.scale_ ? a.scale_ : b.scale_;
  return Decimal(narrow(rescaled(a.units_, a.scale_, s) + rescaled(b.units_, b.scale_, s)), s);
}

Decimal operator-(Decimal a, Decimal b) { return a + (-b); }

Decimal Decimal::operator-() const {
  if (units_ == std::numeric_limits<std::int64_t>::min())
    throw std::overflow_error("number too large");
  return Decimal(-units_, scale_);
}

Decimal operator*(Decimal a, Decimal b) {
  Wide u = Wide(a.units_) * b.units_;
  int s = a.scale_ + b.scale_;
  // Exact products rarely need more than kMaxScale places; drop only zeros.
  while (s > Decimal::kMaxScale && u % 10 == 0) {
    u /= 10;
    --s;
  }
  if (s > Decimal::kMaxScale) {
    u = divideRounded(u, s - Decimal::kMaxScale);
    s = Decimal::kMaxScale;
  }
  return Decimal(narrow(u), s);
}

bool operator==(Decimal a, Decimal b) { return (a <=> b) == 0; }

std::strong_ordering operator<=>(Decimal a, Decimal b) {
  const int s = a.scale_ > b.scale_ ? a.scale_ : b.scale_;
  const Wide x = rescaled(a.units_, a.scale_, s), y = rescaled(b.units_, b.scale_, s);
  return x < y ? std::strong_ordering::less
               : (x > y ? std::strong_ordering::greater : std::strong_ordering::equal);
}

Decimal PercentOf(Decimal amount, Decimal percent, int decimals) {
  const Wide product = Wide(amount.units()) * percent.units();
  const int scale = amount.scale() + percent.scale() + 2;  // the product / 100
  if (scale <= decimals)
    return Decimal::fromUnits(narrow(product *
                                     [&] {
                                       Wide p = 1;
                                       for (int i = scale; i < decimals; ++i) p *= 10;
                                       return p;
                                     }()),
                              decimals);
  return Decimal::fromUnits(narrow(divideRounded(product, scale - decimals)), decimals);
}

}  // namespace belvora::text
