#include "foundations/extended_float.h"

#include <cmath>
#include <limits>

#include "foundations/byte_io.h"

namespace skarvel {

namespace {

constexpr int kExponentBias = 16383;
constexpr std::uint32_t kMaxExponent = 0x7FFF;
constexpr std::uint64_t kIntegerBit = 0x8000000000000000ULL;
constexpr std::uint64_t kQuietNaN = 0xC000000000000000ULL;
/// A subnormal's significand counts units of 2^-16445 (= 2^(1 - 16383 - 63)).
constexpr int kSubnormalScale = kExponentBias - 1 + 63;

ExtendedBytes Pack(bool negative, std::uint32_t exponent, std::uint64_t significand) {
  ExtendedBytes b{};
  for (std::size_t i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>((significand >> (8 * i)) & 0xFFu);
  const std::uint32_t top = (negative ? 0x8000u : 0u) | (exponent & kMaxExponent);
  b[8] = static_cast<std::uint8_t>(top & 0xFFu);
  b[9] = static_cast<std::uint8_t>(top >> 8);
  return b;
}

/// An integer-valued long double 0 <= v < 2^64 as an unsigned integer (exact:
/// the value is representable).
std::uint64_t ToUnsigned(long double v) {
  return static_cast<std::uint64_t>(v);
}

/// An unsigned integer as long double: exact with a 64-bit significand, else
/// rounded to nearest once.
long double FromUnsigned(std::uint64_t v) {
  return static_cast<long double>(v);
}

/// True when long double holds every 64-bit significand exactly, so that the
/// scaled significands need no rounding.
constexpr long double kTwo63 = 9223372036854775808.0L;
constexpr long double kTwo64 = 18446744073709551616.0L;

constexpr bool kExactSignificand = std::numeric_limits<long double>::digits <= 64;

long double QuietNaN(bool negative) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  return negative ? -nan : nan;
}

}  // namespace

ExtendedBytes EncodeExtended(long double x) {
  const bool negative = std::signbit(x);
  if (std::isnan(x)) return Pack(negative, kMaxExponent, kQuietNaN);
  if (std::isinf(x)) return Pack(negative, kMaxExponent, kIntegerBit);
  if (x == 0) return Pack(negative, 0, 0);
  int e = 0;
  const long double m = std::frexp(std::fabs(x), &e);  // |x| = m 2^e, 0.5 <= m < 1
  long double biased = static_cast<long double>(e) - 1 + kExponentBias;
  if (biased >= 1) {
    long double s = m * kTwo64;  // in [2^63, 2^64), exact
    if constexpr (!kExactSignificand) s = std::nearbyint(s);
    if (s >= kTwo64) {  // rounding carried (wider long double only)
      s = kTwo63;
      biased += 1;
    }
    if (biased >= kMaxExponent) return Pack(negative, kMaxExponent, kIntegerBit);
    return Pack(negative, static_cast<std::uint32_t>(biased), ToUnsigned(s));
  }
  // Subnormal: significand = |x| 2^16445, below 2^63 (a carry to 2^63 is the smallest normal).
  long double s = std::ldexp(std::fabs(x), kSubnormalScale);
  if constexpr (!kExactSignificand) s = std::nearbyint(s);
  if (s >= kTwo63) return Pack(negative, 1, kIntegerBit);
  return Pack(negative, 0, ToUnsigned(s));
}

long double DecodeExtended(const ExtendedBytes& b) {
  std::uint64_t significand = 0;
  for (std::size_t i = 0; i < 8; ++i) significand |= static_cast<std::uint64_t>(b[i]) << (8 * i);
  const std::uint32_t top = static_cast<std::uint32_t>(b[8]) | (static_cast<std::uint32_t>(b[9]) << 8);
  const bool negative = (top & 0x8000u) != 0;
  const std::uint32_t exponent = top & kMaxExponent;
  const bool integerBit = (significand & kIntegerBit) != 0;
  long double magnitude;
  if (exponent == kMaxExponent) {
    if (!integerBit || (significand & ~kIntegerBit) != 0) return QuietNaN(negative);
    magnitude = std::numeric_limits<long double>::infinity();
  } else if (exponent == 0) {
    magnitude = std::ldexp(FromUnsigned(significand), -kSubnormalScale);
  } else {
    if (!integerBit) return QuietNaN(negative);  // unnormal
    magnitude = std::ldexp(FromUnsigned(significand), static_cast<int>(exponent) - kExponentBias - 63);
  }
  return negative ? -magnitude : magnitude;
}

void WriteExtended(ByteWriter& out, long double x) {
  const ExtendedBytes b = EncodeExtended(x);
  out.Bytes(b.data(), b.size());
}

long double ReadExtended(ByteReader& in) {
  ExtendedBytes b{};
  in.Bytes(b.data(), b.size());
  return DecodeExtended(b);
}

}  // namespace skarvel
