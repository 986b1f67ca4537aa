// Field-by-field little-endian reading and writing of fixed-layout records.
//
// Records are never copied to or from memory as structs: every field is put
// or taken with its declared size, so the byte layout does not depend on the
// compiler. A short text field text[N] is a length byte followed by N
// characters; the whole character area is stored (zero-filled after the text).
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace skarvel {

/// Appends fields to a byte buffer.
class ByteWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void I8(std::int8_t v) { U8(static_cast<std::uint8_t>(v)); }
  void Bool(bool v) { U8(v ? 1 : 0); }
  void U16(std::uint16_t v);
  void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v);
  void F64(double v);
  /// text[capacity]: length byte, then `capacity` characters. A longer text is cut.
  void Text(const std::string& text, std::size_t capacity);
  /// Raw bytes as they stand.
  void Bytes(const std::uint8_t* data, std::size_t size);
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  const std::vector<std::uint8_t>& Buffer() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

/// Takes fields from a stream or a byte buffer. A read past the end throws
/// IOFailure with code 100 ("EOF!"); a stream error throws IOFailure too.
class ByteReader {
 public:
  explicit ByteReader(std::istream& in) : in_(&in) {}
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t U8();
  std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
  bool Bool() { return U8() != 0; }
  std::uint16_t U16();
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32();
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  float F32();
  double F64();
  /// text[capacity]. A length byte above the capacity is taken as the capacity.
  std::string Text(std::size_t capacity);
  void Bytes(std::uint8_t* out, std::size_t size);
  void Skip(std::size_t count);
  /// True when no byte is left (the end-of-file test).
  bool AtEnd();
  /// Bytes taken so far.
  std::size_t Position() const { return position_; }

 private:
  void Take(std::uint8_t* out, std::size_t size);

  std::istream* in_ = nullptr;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
};

}  // namespace skarvel
