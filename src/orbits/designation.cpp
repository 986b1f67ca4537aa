#include "orbits/designation.h"

#include <array>

#include "foundations/strings.h"

namespace skarvel {

namespace {

/// Base-62 digits of the MPC's packed numbers from 620,000 on (0-9, A-Z, a-z).
constexpr std::string_view kBase62 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
/// First number written with "~" and 62^4, the count of its four digits.
constexpr std::int64_t kTildeBase = 620000;
constexpr std::int64_t kTildeSpan = 62LL * 62 * 62 * 62;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}

/// Value of a base-62 digit, or -1.
int Base62Value(char c) {
  if (IsDigit(c)) return c - '0';
  if (IsUpper(c)) return c - 'A' + 10;
  if (IsLower(c)) return c - 'a' + 36;
  return -1;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsDigit(c)) return false;
  return true;
}

std::string_view TrimTrailingBlanks(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string StripLeadingZeros(std::string_view digits) {
  std::size_t i = 0;
  while (i < digits.size() && digits[i] == '0') ++i;
  return std::string(digits.substr(i));
}

/// Survey codes and their packed prefixes.
struct Survey {
  std::string_view code;
  std::string_view prefix;
};
constexpr std::array<Survey, 4> kSurveys = {{{"P-L", "PLS"}, {"T-1", "T1S"}, {"T-2", "T2S"}, {"T-3", "T3S"}}};

char CenturyLetter(std::string_view digits) {
  if (digits == "18") return 'I';
  if (digits == "19") return 'J';
  if (digits == "20") return 'K';
  return '\0';
}

std::string_view CenturyDigits(char letter) {
  switch (letter) {
    case 'I': return "18";
    case 'J': return "19";
    case 'K': return "20";
    default: return "";
  }
}

/// The two-character count of the seven-character form for a count of 1..3
/// digits: "0n", "nn", or a letter for the leading two digits (10 = "A" ..
/// 35 = "Z") and the last digit. Empty when it does not fit.
std::string SevenCharCount(std::string_view digits) {
  if (digits.empty()) return "00";
  if (!AllDigits(digits)) return "";
  if (digits.size() == 1) return std::string("0") + digits[0];
  if (digits.size() == 2) return std::string(digits);
  if (digits.size() == 3) {
    const int tens = (digits[0] - '0') * 10 + (digits[1] - '0');
    if (tens < 10 || tens > 35) return "";
    return std::string(1, static_cast<char>('A' + (tens - 10))) + digits[2];
  }
  return "";
}

std::string PadZeros(std::string_view digits, std::size_t width) {
  std::string out;
  if (digits.size() < width) out.assign(width - digits.size(), '0');
  out += digits;
  return out;
}

}  // namespace

std::optional<std::string> PackNumber(std::int64_t number) {
  if (number < 1 || number > kLargestPackedNumber) return std::nullopt;
  if (number < 100000) return PadZeros(std::to_string(number), 5);
  if (number < kTildeBase) {
    const std::int64_t high = number / 10000;  // 10..61
    const char letter = kBase62[static_cast<std::size_t>(high)];
    return std::string(1, letter) + PadZeros(std::to_string(number % 10000), 4);
  }
  std::int64_t rest = number - kTildeBase;
  std::string digits(4, '0');
  for (int i = 3; i >= 0; --i) {
    digits[static_cast<std::size_t>(i)] = kBase62[static_cast<std::size_t>(rest % 62)];
    rest /= 62;
  }
  return "~" + digits;
}

std::optional<std::int64_t> UnpackNumber(std::string_view packed) {
  if (packed.size() != 5) return std::nullopt;
  if (packed[0] == '~') {
    std::int64_t value = 0;
    for (std::size_t i = 1; i < 5; ++i) {
      const int d = Base62Value(packed[i]);
      if (d < 0) return std::nullopt;
      value = value * 62 + d;
    }
    if (value >= kTildeSpan) return std::nullopt;
    return kTildeBase + value;
  }
  if (!AllDigits(packed.substr(1))) return std::nullopt;
  std::int64_t low = 0;
  for (char c : packed.substr(1)) low = low * 10 + (c - '0');
  if (IsDigit(packed[0])) return (packed[0] - '0') * 10000LL + low;
  if (IsUpper(packed[0]) || IsLower(packed[0])) return Base62Value(packed[0]) * 10000LL + low;
  return std::nullopt;
}

PackedCheck ValidatePacked(std::string_view text, bool sevenChar) {
  text = TrimTrailingBlanks(text);
  const std::size_t length = sevenChar ? 7 : 9;
  if (text.size() != length) return {};
  const char first = text[0];
  if (first != 'I' && first != 'J' && first != 'K') {
    for (const Survey& s : kSurveys)
      if (text.substr(0, 3) == s.prefix && AllDigits(text.substr(3))) return {true, kMinorPlanetKind};
    return {};
  }
  if (!IsDigit(text[1]) || !IsDigit(text[2])) return {};
  const char halfMonth = text[3];
  if (halfMonth < 'A' || halfMonth > 'Y' || halfMonth == 'I') return {};
  if (sevenChar) {
    if (!(IsDigit(text[4]) || IsUpper(text[4])) || !IsDigit(text[5])) return {};
  } else if (!AllDigits(text.substr(4, 4))) {
    return {};
  }
  const char last = text.back();
  if (last == '0' || IsLower(last)) return {true, kCometKind};
  if (IsUpper(last) && last != 'I') return {true, kMinorPlanetKind};
  return {};
}

std::string PackDesignation(const std::string& readable, int kind, bool sevenChar) {
  std::string text = readable;
  std::string packed;
  // Survey designations: "2040 P-L".
  bool survey = false;
  if (kind == kMinorPlanetKind && text.size() >= 3) {
    const std::string_view code = std::string_view(text).substr(text.size() - 3);
    for (const Survey& s : kSurveys) {
      if (code != s.code) continue;
      survey = true;
      std::string_view number = std::string_view(text).substr(0, text.size() - 3);
      number = TrimTrailingBlanks(number);
      packed = std::string(s.prefix) + (sevenChar ? std::string(number) : PadZeros(number, 6));
    }
  }
  if (!survey) {
    if (kind == kMinorPlanetKind) {
      for (char& c : text)
        if (c == '_') c = ' ';
      const std::size_t blank = text.find(' ');
      if (blank != 4 && text.size() >= 4) text.insert(4, " ");
    }
    if (text.size() < 7) return "";
    const char century = CenturyLetter(std::string_view(text).substr(0, 2));
    if (century == '\0') return "";
    packed = std::string(1, century) + text.substr(2, 2) + text[5];
    if (kind == kMinorPlanetKind) {
      const std::string count = text.substr(7);
      if (sevenChar) {
        const std::string two = SevenCharCount(count);
        if (two.empty()) return "";
        packed += two;
      } else {
        if (count.size() > 4 || (!count.empty() && !AllDigits(count))) return "";
        packed += PadZeros(count, 4);
      }
      packed += text[6];
    } else {
      const std::string rest = text.substr(6);
      const std::size_t dash = rest.find('-');
      const std::string number = rest.substr(0, dash);
      if (sevenChar) {
        const std::string two = SevenCharCount(number);
        if (two.empty() || number.empty()) return "";
        packed += two;
      } else {
        if (number.empty() || number.size() > 4 || !AllDigits(number)) return "";
        packed += PadZeros(number, 4);
      }
      char fragment = '0';
      if (dash != std::string::npos && dash + 1 < rest.size()) {
        const char f = rest[dash + 1];
        fragment = IsUpper(f) ? static_cast<char>(f - 'A' + 'a') : f;
      }
      packed += fragment;
    }
  }
  const PackedCheck check = ValidatePacked(packed, sevenChar);
  if (!check.valid || check.kind != kind) return "";
  return packed;
}

UnpackedDesignation UnpackDesignation(const std::string& packed, int kind) {
  bool seven = true;
  PackedCheck check = ValidatePacked(packed, true);
  if (!check.valid) {
    check = ValidatePacked(packed, false);
    seven = false;
  }
  if (!check.valid || check.kind != kind) return {packed, true};
  const std::string_view text = TrimTrailingBlanks(packed);
  for (const Survey& s : kSurveys)
    if (text.substr(0, 3) == s.prefix) return {StripLeadingZeros(text.substr(3)) + " " + std::string(s.code), seven};

  std::string out = std::string(CenturyDigits(text[0])) + std::string(text.substr(1, 2)) + " " + text[3];
  if (kind == kMinorPlanetKind) out += text.back();
  std::string number;
  if (seven) {
    const char lead = text[4];
    if (IsUpper(lead)) {
      number = std::to_string(lead - 55) + text[5];
    } else {
      number = StripLeadingZeros(text.substr(4, 2));
    }
  } else {
    number = StripLeadingZeros(text.substr(4, 4));
  }
  out += number;
  if (kind == kCometKind && IsLower(text.back())) {
    out += '-';
    out += static_cast<char>(text.back() - 'a' + 'A');
  }
  return {out, seven};
}

bool IsNumberText(std::string_view text, int mode) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (mode == 0) {
    if (!text.empty() && text.front() == '(') text.remove_prefix(1);
    if (!text.empty() && text.back() == ')') text.remove_suffix(1);
  } else if (mode == 1) {
    if (!text.empty() && (text.back() == 'P' || text.back() == 'D')) text.remove_suffix(1);
  }
  return ParseInteger(text).has_value();
}

}  // namespace skarvel
