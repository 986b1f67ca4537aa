// The 80-bit extended float as the orbit files store it.
//
// Layout (10 bytes, little-endian, the x87 double-extended format): bytes 0-7
// the 64-bit significand with an explicit integer bit (bit 63), bytes 8-9 the
// 15-bit exponent biased by 16383 and the sign in bit 15. Value of a finite
// number: (-1)^sign * significand * 2^(exponent - 16383 - 63), with exponent 0
// counting as 1 (subnormals).
//
// The codec works on the value with frexp/ldexp arithmetic, never on the
// memory of a long double, so it does not depend on how the compiler lays out
// long double. Where long double is the x87 format (x86-64) every finite value
// round-trips exactly; elsewhere the decoder rounds to the nearest long double.
#pragma once

#include <array>
#include <cstdint>

namespace skarvel {

class ByteReader;
class ByteWriter;

/// The 10 stored bytes of an extended float.
using ExtendedBytes = std::array<std::uint8_t, 10>;

/// Encodes x. Zero keeps its sign; subnormals use exponent 0; infinities are
/// exponent 0x7FFF with significand 0x8000000000000000; every NaN becomes the
/// quiet NaN with significand 0xC000000000000000 and the sign of x. A finite
/// value beyond the 80-bit range (only possible with a wider long double)
/// becomes an infinity; one below its smallest subnormal becomes zero.
ExtendedBytes EncodeExtended(long double x);

/// Decodes 10 stored bytes. Zero, subnormals (including the pseudo-subnormals
/// with the integer bit set), normals and infinities decode to their value;
/// NaNs, and the encodings the x87 rejects as invalid operands (unnormals and
/// pseudo-infinities/NaNs with the integer bit clear), decode to a quiet NaN
/// with the stored sign.
long double DecodeExtended(const ExtendedBytes& bytes);

/// Writes x as 10 bytes.
void WriteExtended(ByteWriter& out, long double x);

/// Reads 10 bytes as an extended float. Throws IOFailure (100 "EOF!") at the end.
long double ReadExtended(ByteReader& in);

}  // namespace skarvel
