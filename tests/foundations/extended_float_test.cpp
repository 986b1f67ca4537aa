#include "foundations/extended_float.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "foundations/byte_io.h"
#include "foundations/io_error.h"

namespace skarvel {
namespace {

ExtendedBytes Bytes(bool negative, std::uint32_t exponent, std::uint64_t significand) {
  ExtendedBytes b{};
  for (std::size_t i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(significand >> (8 * i));
  const std::uint32_t top = (negative ? 0x8000u : 0u) | exponent;
  b[8] = static_cast<std::uint8_t>(top);
  b[9] = static_cast<std::uint8_t>(top >> 8);
  return b;
}

TEST(ExtendedFloat, KnownEncodings) {
  EXPECT_EQ(EncodeExtended(1.0L), Bytes(false, 0x3FFF, 0x8000000000000000ULL));
  EXPECT_EQ(EncodeExtended(-2.0L), Bytes(true, 0x4000, 0x8000000000000000ULL));
  EXPECT_EQ(EncodeExtended(0.75L), Bytes(false, 0x3FFE, 0xC000000000000000ULL));
  EXPECT_EQ(EncodeExtended(0.0L), Bytes(false, 0, 0));
  EXPECT_EQ(EncodeExtended(-0.0L), Bytes(true, 0, 0));
  EXPECT_EQ(EncodeExtended(std::numeric_limits<long double>::infinity()), Bytes(false, 0x7FFF, 1ULL << 63));
  EXPECT_EQ(EncodeExtended(-std::numeric_limits<long double>::infinity()), Bytes(true, 0x7FFF, 1ULL << 63));
  EXPECT_EQ(EncodeExtended(std::numeric_limits<long double>::quiet_NaN()), Bytes(false, 0x7FFF, 0xC000000000000000ULL));
  // 2451545.5 = 0x4AD0B3 / 2 = 0x95A166 * 2^-2: exponent 21, significand 0x95A166 << 40.
  EXPECT_EQ(EncodeExtended(2451545.5L), Bytes(false, 0x3FFF + 21, 0x95A1660000000000ULL));
  EXPECT_EQ(DecodeExtended(Bytes(false, 0x3FFF + 21, 0x95A1660000000000ULL)), 2451545.5L);
}

TEST(ExtendedFloat, LimitsAndSubnormals) {
  const long double minNormal = std::ldexp(1.0L, -16382);
  const long double minSubnormal = std::ldexp(1.0L, -16445);
  const long double max = std::ldexp(0xFFFFFFFFFFFFFFFFULL * 1.0L, 16383 - 63);
  EXPECT_EQ(EncodeExtended(minNormal), Bytes(false, 1, 1ULL << 63));
  EXPECT_EQ(EncodeExtended(minSubnormal), Bytes(false, 0, 1));
  EXPECT_EQ(EncodeExtended(-minNormal / 2), Bytes(true, 0, 1ULL << 62));
  EXPECT_EQ(EncodeExtended(max), Bytes(false, 0x7FFE, 0xFFFFFFFFFFFFFFFFULL));
  EXPECT_EQ(DecodeExtended(Bytes(false, 0, 1)), minSubnormal);
  EXPECT_EQ(DecodeExtended(Bytes(false, 0x7FFE, 0xFFFFFFFFFFFFFFFFULL)), max);
  EXPECT_EQ(DecodeExtended(Bytes(true, 0, (1ULL << 63) - 1)), -(minNormal - minSubnormal));
}

TEST(ExtendedFloat, SpecialAndNonCanonicalPatterns) {
  EXPECT_TRUE(std::isinf(DecodeExtended(Bytes(false, 0x7FFF, 1ULL << 63))));
  EXPECT_LT(DecodeExtended(Bytes(true, 0x7FFF, 1ULL << 63)), 0);
  EXPECT_TRUE(std::isnan(DecodeExtended(Bytes(false, 0x7FFF, 0xC000000000000001ULL))));
  EXPECT_TRUE(std::isnan(DecodeExtended(Bytes(false, 0x7FFF, 0x8000000000000001ULL))));  // signalling
  EXPECT_TRUE(std::isnan(DecodeExtended(Bytes(false, 0x7FFF, 0))));                      // pseudo-infinity
  EXPECT_TRUE(std::isnan(DecodeExtended(Bytes(false, 0x3FFF, 0x4000000000000000ULL))));  // unnormal
  EXPECT_TRUE(std::signbit(DecodeExtended(Bytes(true, 0x7FFF, 0xC000000000000000ULL))));
  // A pseudo-subnormal (integer bit set with exponent 0) is read as the x87 reads it: 2^-16382.
  EXPECT_EQ(DecodeExtended(Bytes(false, 0, 1ULL << 63)), std::ldexp(1.0L, -16382));
  EXPECT_TRUE(std::signbit(DecodeExtended(Bytes(true, 0, 0))));
  EXPECT_EQ(DecodeExtended(Bytes(true, 0, 0)), 0.0L);
}

TEST(ExtendedFloat, ThroughTheByteReaderAndWriter) {
  ByteWriter w;
  WriteExtended(w, -1234.5L);
  WriteExtended(w, 0.1L);
  ASSERT_EQ(w.Size(), 20u);
  ByteReader r(w.Buffer().data(), w.Size());
  EXPECT_EQ(ReadExtended(r), -1234.5L);
  EXPECT_EQ(ReadExtended(r), 0.1L);
  EXPECT_THROW(ReadExtended(r), IOFailure);
}

#if LDBL_MANT_DIG == 64 && (defined(__x86_64__) || defined(__i386__))

/// The machine's own bytes of a long double (the x87 format on this target).
ExtendedBytes MachineBytes(long double x) {
  ExtendedBytes b{};
  std::memcpy(b.data(), &x, b.size());
  return b;
}

long double FromMachineBytes(const ExtendedBytes& b) {
  long double x = 0;
  std::memcpy(&x, b.data(), b.size());
  return x;
}

// A million canonical patterns over the whole range, exponent field uniform in
// 0..0x7FFE (so about 1 in 32767 is subnormal) plus values made by
// arithmetic: each must encode to the machine's bytes and decode back to the
// very same value.
TEST(ExtendedFloat, AMillionValuesMatchTheMachineLayout) {
  std::mt19937_64 random(20240611);
  int mismatches = 0;
  for (int i = 0; i < 1000000; ++i) {
    long double x;
    if (i % 4 == 3) {
      // An ordinary number of the kind files hold: a double scaled and perturbed.
      const double d =
          std::ldexp(static_cast<double>(random() >> 11) / 9007199254740992.0, static_cast<int>(random() % 200) - 100);
      x = static_cast<long double>(d) * (1.0L + static_cast<long double>(random() >> 40) * 1e-19L);
    } else {
      const std::uint64_t bits = random();
      const auto exponent = static_cast<std::uint32_t>(random() % 0x7FFF);
      std::uint64_t significand = random();
      if (exponent == 0)
        significand &= ~(1ULL << 63);
      else
        significand |= 1ULL << 63;
      x = FromMachineBytes(Bytes((bits & 1) != 0, exponent, significand));
    }
    const ExtendedBytes expected = MachineBytes(x);
    const ExtendedBytes encoded = EncodeExtended(x);
    const long double decoded = DecodeExtended(expected);
    if (encoded != expected || MachineBytes(decoded) != expected) {
      if (++mismatches <= 5) ADD_FAILURE() << "value " << x << " (pattern " << i << ")";
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ExtendedFloat, EveryExponentRoundTrips) {
  for (std::uint32_t e = 0; e < 0x7FFF; ++e) {
    const std::uint64_t significand = e == 0 ? 0x123456789ABCDEFULL : 0xC23456789ABCDEF1ULL;
    const ExtendedBytes b = Bytes((e & 1) != 0, e, significand);
    ASSERT_EQ(EncodeExtended(DecodeExtended(b)), b) << e;
    ASSERT_EQ(MachineBytes(DecodeExtended(b)), b) << e;
  }
}

#endif

}  // namespace
}  // namespace skarvel
