#pragma once

// An exact decimal number: units * 10^-scale. Amounts, prices, quantities
// and rates of an invoice are held this way, so that what the source says is
// what the document says: no binary rounding, no locale.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace belvora::text {

class Decimal {
 public:
  // Scales above this are refused: no invoice value needs them.
  static constexpr int kMaxScale = 12;

  constexpr Decimal() = default;
  // Throws std::out_of_range for a scale outside 0..kMaxScale.
  static Decimal fromUnits(std::int64_t units, int scale);
  static Decimal fromInt(std::int64_t value) { return fromUnits(value, 0); }

  // Plain decimal text: optional sign, digits, optional "." and digits
  // ("12", "-0.5", "158.125", ".5"); a decimal comma is taken when the text
  // holds no point. No exponent, no grouping, no blanks inside. nullopt for
  // anything else, or more than 18 significant digits or kMaxScale decimals.
  static std::optional<Decimal> parse(std::string_view text);

  // The decimal of at most 15 significant digits nearest to a finite double
  // (what the database meant by 0.1 is 0.1); nullopt for NaN and infinities
  // and for values that do not fit.
  static std::optional<Decimal> fromDouble(double value);

  std::int64_t units() const { return units_; }
  int scale() const { return scale_; }
  bool isZero() const { return units_ == 0; }
  bool isNegative() const { return units_ < 0; }

  // Trailing zeros removed: 12.50 -> 12.5, 100 stays 100.
  Decimal normalized() const;
  // Rounded to `decimals` places, halves away from zero (commercial rounding).
  Decimal rounded(int decimals) const;
  // True when no digit beyond `decimals` places is set (12.50 fits 2, 12.505 does not).
  bool fits(int decimals) const;
  // The magnitude is below 10^digits (integer part of at most `digits` digits).
  bool below(int digits) const;

  // Plain text with at least `minDecimals` decimals and every decimal held:
  // Decimal 19 -> "19.00" (minDecimals 2), 158.125 -> "158.125", -0 -> "0".
  std::string text(int minDecimals = 0) const;
  double toDouble() const;

  // Exact arithmetic; throws std::overflow_error when the result does not fit.
  friend Decimal operator+(Decimal a, Decimal b);
  friend Decimal operator-(Decimal a, Decimal b);
  friend Decimal operator*(Decimal a, Decimal b);
  Decimal operator-() const;
  Decimal& operator+=(Decimal b) { return *this = *this + b; }
  Decimal& operator-=(Decimal b) { return *this = *this - b; }

  // Numeric comparison: 12.5 == 12.50.
  friend bool operator==(Decimal a, Decimal b);
  friend std::strong_ordering operator<=>(Decimal a, Decimal b);

 private:
  constexpr Decimal(std::int64_t units, int scale) : units_(units), scale_(scale) {}
  std::int64_t units_ = 0;
  int scale_ = 0;
};

// a * b / 100, rounded to `decimals` places halves away from zero (a tax or a
// percentage of an amount).
Decimal PercentOf(Decimal amount, Decimal percent, int decimals);

}  // namespace belvora::text
