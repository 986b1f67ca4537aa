// The system's single-byte (Latin-1) texts as JSON strings (UTF-8).
#pragma once

#include <string>

namespace skarvel::cli {

/// Every byte of `text` as the Unicode character of the same number, in UTF-8.
inline std::string Latin1ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
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

/// A message text for a terminal: "\r\n" line breaks as "\n".
inline std::string TerminalText(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  return text;
}

}  // namespace skarvel::cli
