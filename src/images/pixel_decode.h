// The inner loops of the FITS pixel readers: big-endian values to 32-bit
// pixels. Kept apart so that they are compiled for speed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace skarvel {

/// BITPIX 16 values plus a whole zero that keeps every result within 32 bits
/// (-2147450880 <= zero <= 2147450879): out[i] = value + zero.
void DecodeInt16PlusZero(const std::uint8_t* bytes, std::size_t count, std::int32_t zero, std::int32_t* out);

/// Big-endian signed 16-bit, 32-bit and 64-bit values, unsigned bytes, IEEE single and double values.
void DecodeInt16(const std::uint8_t* bytes, std::size_t count, std::int64_t* out);
void DecodeInt32(const std::uint8_t* bytes, std::size_t count, std::int64_t* out);
void DecodeInt64(const std::uint8_t* bytes, std::size_t count, std::int64_t* out);
void DecodeUInt8(const std::uint8_t* bytes, std::size_t count, std::int64_t* out);
void DecodeFloat32(const std::uint8_t* bytes, std::size_t count, long double* out);
void DecodeFloat64(const std::uint8_t* bytes, std::size_t count, long double* out);

/// Sum and sum of squares of max(v, 0) over `count` values (at most 1024,
/// each below 2^24 for the 64-bit sums to be exact), and the largest max(v, 0).
void SumsOfRun(const std::int32_t* values, std::size_t count, std::uint64_t& sum, std::uint64_t& sumSq,
               std::int32_t& top);

/// Smallest and largest of `count` values, starting from `lo` and `hi`.
void MinMax(const std::int32_t* values, std::size_t count, std::int32_t& lo, std::int32_t& hi);

}  // namespace skarvel
