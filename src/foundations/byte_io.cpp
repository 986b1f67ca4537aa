#include "foundations/byte_io.h"

#include <bit>
#include <cstring>

#include "foundations/io_error.h"

namespace skarvel {

void ByteWriter::U16(std::uint16_t v) {
  U8(static_cast<std::uint8_t>(v & 0xFFu));
  U8(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFu));
}

void ByteWriter::F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }

void ByteWriter::F64(double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) U8(static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFFu));
}

void ByteWriter::Text(const std::string& text, std::size_t capacity) {
  const std::size_t n = text.size() < capacity ? text.size() : capacity;
  U8(static_cast<std::uint8_t>(n));
  for (std::size_t i = 0; i < n; ++i) U8(static_cast<std::uint8_t>(text[i]));
  Zeros(capacity - n);
}

void ByteWriter::Bytes(const std::uint8_t* data, std::size_t size) { bytes_.insert(bytes_.end(), data, data + size); }

void ByteReader::Take(std::uint8_t* out, std::size_t size) {
  if (in_ != nullptr) {
    in_->read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size));
    const auto got = static_cast<std::size_t>(in_->gcount());
    position_ += got;
    if (got != size) {
      if (in_->bad()) throw IOFailure(io_code::kInvalidInput);
      throw IOFailure(io_code::kEndOfFile);
    }
    return;
  }
  if (size > size_ - position_) {
    position_ = size_;
    throw IOFailure(io_code::kEndOfFile);
  }
  std::memcpy(out, data_ + position_, size);
  position_ += size;
}

std::uint8_t ByteReader::U8() {
  std::uint8_t b = 0;
  Take(&b, 1);
  return b;
}

std::uint16_t ByteReader::U16() {
  std::uint8_t b[2];
  Take(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t ByteReader::U32() {
  std::uint8_t b[4];
  Take(b, 4);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

float ByteReader::F32() { return std::bit_cast<float>(U32()); }

double ByteReader::F64() {
  std::uint8_t b[8];
  Take(b, 8);
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
  return std::bit_cast<double>(bits);
}

std::string ByteReader::Text(std::size_t capacity) {
  std::size_t n = U8();
  std::string area(capacity, '\0');
  if (capacity > 0) Take(reinterpret_cast<std::uint8_t*>(area.data()), capacity);
  if (n > capacity) n = capacity;
  area.resize(n);
  return area;
}

void ByteReader::Bytes(std::uint8_t* out, std::size_t size) { Take(out, size); }

void ByteReader::Skip(std::size_t count) {
  std::uint8_t buf[256];
  while (count > 0) {
    const std::size_t n = count < sizeof buf ? count : sizeof buf;
    Take(buf, n);
    count -= n;
  }
}

bool ByteReader::AtEnd() {
  if (in_ != nullptr) {
    if (in_->bad()) throw IOFailure(io_code::kInvalidInput);
    return in_->peek() == std::char_traits<char>::eof();
  }
  return position_ >= size_;
}

}  // namespace skarvel
