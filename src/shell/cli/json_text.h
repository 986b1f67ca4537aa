// The system's single-byte (Latin-1) texts as JSON strings (UTF-8).
#pragma once

#include <string>

#include "foundations/text_encoding.h"

namespace skarvel::cli {

using skarvel::Latin1ToUtf8;

/// A message text for a terminal: "\r\n" line breaks as "\n".
inline std::string TerminalText(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  return text;
}

}  // namespace skarvel::cli
