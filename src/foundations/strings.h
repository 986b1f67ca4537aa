// Number formatting, numeric checks and field cutters shared by every text the
// system reads or writes.
//
// All conversions here are independent of the process locale: the decimal
// separator is always "." and there are never thousands separators.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace skarvel {

/// Fixed-point text of `x` with `decimals` digits after the point.
///
/// The value is first rounded to 18 significant decimal digits, then to
/// `decimals` decimals (halves away from zero on the decimal digits), so a
/// long double prints exactly as an 18-digit decimal would. No thousands
/// separators; a result that rounds to zero carries no minus sign.
/// FormatFixed(1, 120) is "120.0".
/// @param decimals digits after the point; values below 0 count as 0, above 30 as 30.
/// @param x any value; NaN gives "NAN", infinities "INF" and "-INF"; a value
///        with more than 18 integer digits is given as FormatExp(18, x).
std::string FormatFixed(int decimals, long double x);

/// FormatFixed, then trailing "0" characters are removed while at least one
/// digit stays after the decimal point: 12.500 -> "12.5", 12.000 -> "12.0".
/// With `decimals` = 0 nothing is removed.
std::string FormatFixedTrim(int decimals, long double x);

/// Scientific text of `x` with `digits` significant digits (clamped to 1..18)
/// and an exponent of at least two digits with its sign: FormatExp(4, 1234.5)
/// is "1.235E+03". Rounding is half away from zero on the 18-digit decimal.
/// NaN gives "NAN", infinities "INF" and "-INF".
std::string FormatExp(int digits, long double x);

/// The decimal integer a text holds: optional leading and trailing blanks, an
/// optional sign and decimal digits, within the 32-bit signed range.
/// Anything else (empty text, hexadecimal, a fraction, overflow) is nullopt.
std::optional<std::int32_t> ParseInteger(std::string_view text);

/// The decimal number a text holds: optional blanks around an optional sign,
/// digits with at most one ".", and an optional exponent "E" or "e" with an
/// optional sign and digits; at least one digit before the exponent. Infinity,
/// NaN, hexadecimal and any other text is nullopt, as is a value whose magnitude
/// lies beyond the range of long double (above about 1e4932 or below about 1e-4951).
std::optional<long double> ParseDecimal(std::string_view text);

/// True when the text converts as a decimal integer (see ParseInteger).
bool IsIntegerText(std::string_view text);

/// True when the text converts as a floating-point number (see ParseDecimal).
bool IsFloatText(std::string_view text);

/// `s` with blanks put in front until its length is at least `width`.
std::string PadLeft(std::string_view s, std::size_t width);

/// `s` with `fill` put in front until its length is at least `width`:
/// PadWith("7", 2, '0') is "07"; a longer `s` is returned as it is.
std::string PadWith(std::string s, std::size_t width, char fill);

/// `value` in decimal, zero-filled to at least `width` characters (a minus
/// sign counted, the zeros after it): ZeroFilled(5, 2) is "05",
/// ZeroFilled(-5, 3) is "-05", ZeroFilled(123, 2) is "123".
std::string ZeroFilled(long long value, int width);

/// Writes `text` into `line` from 1-based `column` (at least 1), over what
/// stands there; a shorter line is first extended with blanks:
/// PutAt(line = "abc", 5, "xy") makes "abc xy".
void PutAt(std::string& line, std::size_t column, std::string_view text);

/// Cuts the first field from `s`. Empty `s` gives "". Otherwise the text before
/// the first `delimiter` (all of `s` if there is none) is returned and removed
/// from `s` together with that delimiter. NextField("a,b") gives "a" and leaves "b".
std::string NextField(std::string& s, char delimiter);

/// Cuts a quoted field from `s`. Leading blanks and delimiters are removed; an
/// empty `s` then gives "". The first character is taken as the quote character
/// and removed; the text up to the next quote character is returned, and it is
/// removed together with the closing quote and one more character (the
/// delimiter that follows). Without a closing quote the rest of `s` is returned
/// and `s` becomes empty.
std::string NextQuotedField(std::string& s, char delimiter);

/// Raised by NextIntField for a field that is not a decimal integer.
class ConversionError : public std::exception {
 public:
  explicit ConversionError(std::string text) : text_(std::move(text)) {}
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  std::string text_;
};

/// Cuts an integer field from `s`: leading blanks and delimiters are removed,
/// the text up to the next delimiter (or the end) is removed with the delimiter
/// and converted as a decimal integer.
/// @throws ConversionError ("'<text>' is not a valid integer value") when the
///         field is not an integer; `s` has lost the field by then.
std::int32_t NextIntField(std::string& s, char delimiter);

/// Word wrapping of long lines into lines of at most `width` characters,
/// breaking after blanks.
///
/// Usage: Start(text, width); then NextLine() until Finished(); Done() clears.
/// A line is the text up to and including the last blank at or before column
/// `width` (1-based); when that blank stands exactly at column `width`, the
/// blanks after it are skipped as well. The last line is the rest of the text
/// once it is not longer than `width`. A stretch of `width` characters with no
/// blank is broken at the width. A width of 0 is taken as 1.
class LineSplitter {
 public:
  void Start(std::string text, std::uint16_t width);
  /// The next line; "" once finished.
  std::string NextLine();
  bool Finished() const { return finished_; }
  void Done();

 private:
  std::string text_;
  std::uint16_t width_ = 1;
  bool finished_ = true;
};

}  // namespace skarvel
