// The system's single-byte (Latin-1) texts in the UTF-8 that exchange formats require.
#pragma once

#include <string>
#include <string_view>

namespace skarvel {

/// Every byte of `text` as the Unicode character of the same number, in UTF-8
/// (ASCII stays as it is; 0xB0, the degree sign, becomes C2 B0).
inline std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace skarvel
