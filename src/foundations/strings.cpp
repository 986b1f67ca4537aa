#include "foundations/strings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace skarvel {

namespace {

constexpr int kSignificantDigits = 18;  ///< digits the number formatters carry

/// |x| as 18 significant decimal digits d0.d1...d17 times 10^exponent.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

DecimalDigits ToDecimal(long double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*Le", kSignificantDigits - 1, std::fabs(x));
  DecimalDigits d;
  d.negative = std::signbit(x);
  d.digits.push_back(buf[0]);
  int i = 2;
  for (; buf[i] != 'e' && buf[i] != '\0'; ++i) d.digits.push_back(buf[i]);
  if (buf[i] == 'e') {
    ++i;
    const bool negativeExponent = buf[i] == '-';
    ++i;
    int e = 0;
    for (; buf[i] >= '0' && buf[i] <= '9'; ++i) e = e * 10 + (buf[i] - '0');
    d.exponent = negativeExponent ? -e : e;
  }
  return d;
}

/// Keeps the `keep` leading digits, rounding half away from zero; a carry out of
/// the first digit raises the exponent. keep < 0 leaves no digit (zero).
void RoundDigits(DecimalDigits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (!up) return;
  int i = keep - 1;
  while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
    d.digits[static_cast<std::size_t>(i)] = '0';
    --i;
  }
  if (i >= 0) {
    ++d.digits[static_cast<std::size_t>(i)];
  } else {
    d.digits.insert(d.digits.begin(), '1');
    ++d.exponent;
  }
}

std::string NonFiniteText(long double x) {
  if (std::isnan(x)) return "NAN";
  return x < 0 ? "-INF" : "INF";
}

bool AllZeroDigits(const std::string& text) {
  for (char c : text) {
    if (c >= '1' && c <= '9') return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatFixed(int decimals, long double x) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  if (decimals < 0) decimals = 0;
  if (decimals > 30) decimals = 30;
  DecimalDigits d = ToDecimal(x);
  if (d.exponent >= kSignificantDigits) return FormatExp(kSignificantDigits, x);
  RoundDigits(d, d.exponent + 1 + decimals);
  const auto digitAt = [&d](int place) {
    const int j = d.exponent - place;
    return (j >= 0 && j < static_cast<int>(d.digits.size())) ? d.digits[static_cast<std::size_t>(j)] : '0';
  };
  std::string body;
  for (int place = d.exponent > 0 ? d.exponent : 0; place >= 0; --place) body.push_back(digitAt(place));
  if (decimals > 0) {
    body.push_back('.');
    for (int place = -1; place >= -decimals; --place) body.push_back(digitAt(place));
  }
  if (d.negative && !AllZeroDigits(body)) body.insert(body.begin(), '-');
  return body;
}

std::string FormatFixedTrim(int decimals, long double x) {
  std::string text = FormatFixed(decimals, x);
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return text;
  while (text.size() > point + 2 && text.back() == '0') text.pop_back();
  return text;
}

std::string FormatExp(int digits, long double x) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  if (digits < 1) digits = 1;
  if (digits > kSignificantDigits) digits = kSignificantDigits;
  DecimalDigits d = ToDecimal(x);
  RoundDigits(d, digits);
  d.digits.resize(static_cast<std::size_t>(digits), '0');  // a carry added a digit in front
  if (x == 0) d.exponent = 0;
  std::string text;
  if (d.negative && !AllZeroDigits(d.digits)) text.push_back('-');
  text.push_back(d.digits[0]);
  if (digits > 1) {
    text.push_back('.');
    text.append(d.digits, 1, std::string::npos);
  }
  text.push_back('E');
  text.push_back(d.exponent < 0 ? '-' : '+');
  const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
  if (magnitude < 10) text.push_back('0');
  text += std::to_string(magnitude);
  return text;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<long double> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t numberStart = i;
  std::size_t mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  const bool exponent = i < text.size() && (text[i] == 'e' || text[i] == 'E');
  if (exponent) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  // from_chars takes no leading "+"; the sign is put back afterwards.
  const std::string_view number = text.substr(numberStart);
  // Up to 19 digits without an exponent: the digits as an integer (exact below
  // 2^64) divided by a power of ten (exact up to 10^27) is one correctly
  // rounded operation, the same value from_chars gives, many times faster.
  constexpr std::size_t kExactDigits = 19;
  if (mantissaDigits <= kExactDigits && !exponent) {
    std::uint64_t digits = 0;
    int fraction = -1;  // digits after the point, once it is seen
    for (const char c : number) {
      if (c == '.') {
        fraction = 0;
        continue;
      }
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      if (fraction >= 0) ++fraction;
    }
    long double scale = 1;
    for (int k = 0; k < fraction; ++k) scale *= 10;
    const long double value = static_cast<long double>(digits) / scale;
    return text.front() == '-' ? -value : value;
  }
  long double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return text.front() == '-' ? -value : value;
}

bool IsIntegerText(std::string_view text) {
  return ParseInteger(text).has_value();
}

bool IsFloatText(std::string_view text) {
  return ParseDecimal(text).has_value();
}

std::string PadLeft(std::string_view s, std::size_t width) {
  std::string out;
  if (s.size() < width) out.assign(width - s.size(), ' ');
  out += s;
  return out;
}

std::string PadWith(std::string s, std::size_t width, char fill) {
  if (s.size() < width) s.insert(0, width - s.size(), fill);
  return s;
}

std::string ZeroFilled(long long value, int width) {
  char text[48];
  std::snprintf(text, sizeof text, "%0*lld", width < 0 ? 0 : width > 40 ? 40 : width, value);
  return text;
}

void PutAt(std::string& line, std::size_t column, std::string_view text) {
  const std::size_t at = column == 0 ? 0 : column - 1;
  if (line.size() < at + text.size()) line.resize(at + text.size(), ' ');
  line.replace(at, text.size(), text);
}

std::string NextField(std::string& s, char delimiter) {
  if (s.empty()) return {};
  const std::size_t at = s.find(delimiter);
  if (at == std::string::npos) {
    std::string field = std::move(s);
    s.clear();
    return field;
  }
  std::string field = s.substr(0, at);
  s.erase(0, at + 1);
  return field;
}

namespace {

void StripBlanksAndDelimiters(std::string& s, char delimiter) {
  std::size_t n = 0;
  while (n < s.size() && (s[n] == ' ' || s[n] == delimiter)) ++n;
  s.erase(0, n);
}

}  // namespace

std::string NextQuotedField(std::string& s, char delimiter) {
  StripBlanksAndDelimiters(s, delimiter);
  if (s.empty()) return {};
  const char quote = s.front();
  s.erase(0, 1);
  const std::size_t close = s.find(quote);
  if (close == std::string::npos) {
    std::string field = std::move(s);
    s.clear();
    return field;
  }
  std::string field = s.substr(0, close);
  s.erase(0, close + 2 <= s.size() ? close + 2 : s.size());
  return field;
}

std::int32_t NextIntField(std::string& s, char delimiter) {
  StripBlanksAndDelimiters(s, delimiter);
  const std::string field = NextField(s, delimiter);
  const auto value = ParseInteger(field);
  if (!value) throw ConversionError("'" + field + "' is not a valid integer value");
  return *value;
}

void LineSplitter::Start(std::string text, std::uint16_t width) {
  text_ = std::move(text);
  width_ = width == 0 ? 1 : width;
  finished_ = false;
}

std::string LineSplitter::NextLine() {
  if (finished_) return {};
  if (width_ >= text_.size()) {
    std::string line = std::move(text_);
    text_.clear();
    finished_ = true;
    return line;
  }
  const std::size_t blank = text_.rfind(' ', width_ - 1u);
  std::size_t cut;
  if (blank == std::string::npos) {
    cut = width_;  // no blank within the width: break at the width
  } else {
    cut = blank + 1;
  }
  std::string line = text_.substr(0, cut);
  if (blank != std::string::npos && blank + 1 == width_) {
    while (cut < text_.size() && text_[cut] == ' ') ++cut;
  }
  text_.erase(0, cut);
  return line;
}

void LineSplitter::Done() {
  text_.clear();
  finished_ = true;
}

}  // namespace skarvel
