#include "scenario/decimal_number.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace plumora::simtool {
namespace {

static_assert(std::numeric_limits<double>::is_iec559 && FLT_EVAL_METHOD == 0,
              "the conversion relies on IEEE doubles evaluated at their own precision");

// An unsigned integer of any size, in 32-bit limbs from the least significant, with no zero limb
// at the top: what an exact conversion needs and no more.
class BigUnsigned {
 public:
  explicit BigUnsigned(std::uint32_t value) {
    if (value != 0) limbs_.push_back(value);
  }

  // this = this * factor + addend, factor > 0.
  void multiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (auto& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
  }

  void shiftLeft(std::size_t bits) {
    if (limbs_.empty()) return;
    const auto part = static_cast<unsigned>(bits % 32);
    if (part != 0) {
      std::uint32_t carry = 0;
      for (auto& limb : limbs_) {
        const std::uint32_t out = limb >> (32 - part);
        limb = (limb << part) | carry;
        carry = out;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), bits / 32, 0);
  }

  // this -= other, other <= this.
  void subtract(const BigUnsigned& other) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::int64_t diff = std::int64_t{limbs_[i]} -
                                std::int64_t{i < other.limbs_.size() ? other.limbs_[i] : 0U} -
                                borrow;
      borrow = diff < 0 ? 1 : 0;
      limbs_[i] = static_cast<std::uint32_t>(diff + (borrow << 32));
    }
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  bool isZero() const { return limbs_.empty(); }

  int bitLength() const {
    if (limbs_.empty()) return 0;
    return static_cast<int>(32 * (limbs_.size() - 1)) + std::bit_width(limbs_.back());
  }

  bool atLeast(const BigUnsigned& other) const {
    if (limbs_.size() != other.limbs_.size()) return limbs_.size() > other.limbs_.size();
    for (std::size_t i = limbs_.size(); i-- > 0;) {
      if (limbs_[i] != other.limbs_[i]) return limbs_[i] > other.limbs_[i];
    }
    return true;
  }

 private:
  std::vector<std::uint32_t> limbs_;
};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text split by the grammar: the number is digits × 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;  // without leading or trailing zeros; empty for zero
  std::int64_t exponent = 0;
};

std::optional<Decimal> split(std::string_view text) {
  Decimal d;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') {
    d.negative = true;
    ++i;
  }
  bool anyDigit = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (isDigit(c)) {
      anyDigit = true;
      if (!d.digits.empty() || c != '0') d.digits += c;
      if (point) --d.exponent;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    // Past this the number is out of range or zero whatever its digits; keeps the sum exact.
    constexpr std::int64_t kExponentCap = 1'000'000'000;
    std::int64_t value = 0;
    bool anyExponentDigit = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      anyExponentDigit = true;
      value = std::min(value * 10 + (text[i] - '0'), kExponentCap);
    }
    if (!anyExponentDigit) return std::nullopt;
    d.exponent += negativeExponent ? -value : value;
  }
  if (i != text.size()) return std::nullopt;
  while (!d.digits.empty() && d.digits.back() == '0') {
    d.digits.pop_back();
    ++d.exponent;
  }
  return d;
}

// Small enough that the digits and the power of ten are exact doubles: then one multiplication or
// division rounds once, which is the correct rounding.
std::optional<double> fastPath(const Decimal& d) {
  if (d.digits.size() > 15 || d.exponent < -22 || d.exponent > 22) return std::nullopt;
  std::uint64_t n = 0;
  for (const char c : d.digits) n = n * 10 + static_cast<std::uint64_t>(c - '0');
  constexpr std::array<double, 23> kPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const auto value = static_cast<double>(n);
  return d.exponent >= 0 ? value * kPowers[static_cast<std::size_t>(d.exponent)]
                         : value / kPowers[static_cast<std::size_t>(-d.exponent)];
}

// The exact quotient digits × 10^exponent, scaled by a power of two to 62 or 63 bits, rounded
// once to the bits a double keeps (fewer below the normal range).
double exactPath(const Decimal& d) {
  BigUnsigned num(0);
  for (const char c : d.digits) num.multiplyAdd(10, static_cast<std::uint32_t>(c - '0'));
  BigUnsigned den(1);
  for (std::int64_t i = 0; i < d.exponent; ++i) num.multiplyAdd(10, 0);
  for (std::int64_t i = 0; i > d.exponent; --i) den.multiplyAdd(10, 0);

  // num / den lies in (2^(b-1), 2^(b+1)); times 2^shift it lies in (2^61, 2^63).
  const int b = num.bitLength() - den.bitLength();
  const int shift = 62 - b;
  if (shift > 0) num.shiftLeft(static_cast<std::size_t>(shift));
  if (shift < 0) den.shiftLeft(static_cast<std::size_t>(-shift));
  std::uint64_t q = 0;
  for (int bit = 62; bit >= 0; --bit) {
    BigUnsigned part = den;
    part.shiftLeft(static_cast<std::size_t>(bit));
    if (num.atLeast(part)) {
      num.subtract(part);
      q |= std::uint64_t{1} << bit;
    }
  }
  const bool inexact = !num.isZero();

  // The value is q × 2^-shift, plus less than one unit of q when inexact.
  const int length = std::bit_width(q);
  const int topExponent = length - 1 - shift;
  constexpr int kMinNormalExponent = -1022;
  constexpr int kMinSubnormalExponent = -1074;
  const int drop = topExponent >= kMinNormalExponent ? length - 53 : shift + kMinSubnormalExponent;
  if (drop > length) return 0;  // under half the smallest double
  // Here 9 <= drop <= 63: at least 62 - 53 bits go in the normal range, more below it.
  const std::uint64_t rest = q & ((std::uint64_t{1} << drop) - 1);
  std::uint64_t kept = q >> drop;
  const std::uint64_t half = std::uint64_t{1} << (drop - 1);
  if (rest > half || (rest == half && (inexact || (kept & 1) != 0))) ++kept;
  // Exact: kept has at most 53 bits, and the power of two puts it where a double can hold it
  // (or beyond the largest, which gives infinity).
  return std::ldexp(static_cast<double>(kept), drop - shift);
}

}  // namespace

std::optional<double> parseDecimal(std::string_view text) {
  const auto d = split(text);
  if (!d) return std::nullopt;
  if (d->digits.empty()) return d->negative ? -0.0 : 0.0;
  // The number lies in [10^(magnitude-1), 10^magnitude): beyond these it is certainly too large
  // (10^309 > the largest double) or certainly rounds to 0 (10^-324 < half the smallest).
  const std::int64_t magnitude = static_cast<std::int64_t>(d->digits.size()) + d->exponent;
  if (magnitude > 310 || magnitude < -324) return std::nullopt;
  auto value = fastPath(*d);
  if (!value) value = exactPath(*d);
  if (*value == 0 || std::isinf(*value)) return std::nullopt;
  return d->negative ? -*value : *value;
}

}  // namespace plumora::simtool
