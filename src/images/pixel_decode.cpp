#include "images/pixel_decode.h"

#include <bit>

namespace skarvel {

// The hot loops are built twice, for AVX2 and for the baseline processor;
// the loader picks the one the machine runs.
#define SKARVEL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))

SKARVEL_VECTOR_CLONES void DecodeInt16PlusZero(const std::uint8_t* bytes, std::size_t count, std::int32_t zero, std::int32_t* out) {
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1])) + zero;
}

void DecodeInt16(const std::uint8_t* bytes, std::size_t count, std::int64_t* out) {
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]));
}

void DecodeInt32(const std::uint8_t* bytes, std::size_t count, std::int64_t* out) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bytes + 4 * i;
    out[i] = static_cast<std::int32_t>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                       (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]});
  }
}

void DecodeInt64(const std::uint8_t* bytes, std::size_t count, std::int64_t* out) {
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t bits = 0;
    for (std::size_t k = 0; k < 8; ++k) bits = (bits << 8) | bytes[8 * i + k];
    out[i] = static_cast<std::int64_t>(bits);
  }
}

void DecodeUInt8(const std::uint8_t* bytes, std::size_t count, std::int64_t* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = bytes[i];
}

void DecodeFloat32(const std::uint8_t* bytes, std::size_t count, long double* out) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bytes + 4 * i;
    const std::uint32_t bits = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                               (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
    out[i] = static_cast<long double>(std::bit_cast<float>(bits));
  }
}

void DecodeFloat64(const std::uint8_t* bytes, std::size_t count, long double* out) {
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t bits = 0;
    for (std::size_t k = 0; k < 8; ++k) bits = (bits << 8) | bytes[8 * i + k];
    out[i] = static_cast<long double>(std::bit_cast<double>(bits));
  }
}

SKARVEL_VECTOR_CLONES void MinMax(const std::int32_t* values, std::size_t count, std::int32_t& lo, std::int32_t& hi) {
  std::int32_t l = lo;
  std::int32_t h = hi;
  for (std::size_t i = 0; i < count; ++i) {
    l = values[i] < l ? values[i] : l;
    h = values[i] > h ? values[i] : h;
  }
  lo = l;
  hi = h;
}

SKARVEL_VECTOR_CLONES void SumsOfRun(const std::int32_t* values, std::size_t count, std::uint64_t& sum,
                                     std::uint64_t& sumSq, std::int32_t& top) {
  std::uint64_t s = 0;
  std::uint64_t q = 0;
  std::int32_t t = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t x = values[i] < 0 ? 0 : values[i];
    t = x > t ? x : t;
    const auto u = static_cast<std::uint32_t>(x);
    s += u;
    q += static_cast<std::uint64_t>(u) * u;
  }
  sum = s;
  sumSq = q;
  top = t;
}

}  // namespace skarvel
