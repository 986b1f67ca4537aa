#include "support/mini_fits.h"

#include <cstdio>

#include "support/temp_dir.h"

namespace skarvel::testing {

namespace {

std::string Card(const std::string& text) {
  std::string c = text.substr(0, 80);
  c.resize(80, ' ');
  return c;
}

std::string IntCard(const char* key, long value) {
  char buf[81];
  std::snprintf(buf, sizeof buf, "%-8s= %20ld", key, value);
  return Card(buf);
}

}  // namespace

void WriteMiniFits(const std::string& path, int width, int height, int base,
                   const std::vector<std::string>& extraCards) {
  std::vector<std::int16_t> values(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          static_cast<std::int16_t>(base + x + 10 * y);
  WriteFitsPixels(path, width, height, values, extraCards);
}

void WriteFitsPixels(const std::string& path, int width, int height, const std::vector<std::int16_t>& values,
                     const std::vector<std::string>& extraCards) {
  std::string h = Card("SIMPLE  =                    T") + IntCard("BITPIX", 16) + IntCard("NAXIS", 2) +
                  IntCard("NAXIS1", width) + IntCard("NAXIS2", height);
  for (const auto& c : extraCards) h += Card(c);
  h += Card("END");
  h.resize((h.size() + 2879) / 2880 * 2880, ' ');
  std::vector<std::uint8_t> bytes(h.begin(), h.end());
  for (const std::int16_t value : values) {
    const auto v = static_cast<std::uint16_t>(value);
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
  }
  bytes.resize((bytes.size() + 2879) / 2880 * 2880, 0);
  WriteAll(path, bytes);
}

}  // namespace skarvel::testing
