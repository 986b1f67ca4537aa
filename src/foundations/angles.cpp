#include "foundations/angles.h"

#include <cmath>
#include <limits>

#include "foundations/strings.h"

namespace skarvel {

namespace {

constexpr long double kMaxSplitMagnitude = 2.0e9L;  ///< keeps the whole part within int32

int ClampDecimals(int decimals) {
  return decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals);
}

long double PowerOfTen(int n) {
  long double p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

/// The seconds (or decimal minutes) field: `decimals` decimals and at least two
/// whole digits, a leading "0" when the rounded whole part has one digit.
std::string TwoDigitFixed(int decimals, long double value) {
  std::string text = FormatFixed(decimals, value);
  const std::size_t point = text.find('.');
  const std::size_t whole = point == std::string::npos ? text.size() : point;
  if (whole < 2) text.insert(text.begin(), '0');
  return text;
}

std::string TwoDigits(std::int32_t v) {
  std::string text = std::to_string(v);
  if (text.size() < 2) text.insert(text.begin(), '0');
  return text;
}

std::string LeadingField(std::int8_t sign, std::int32_t degrees) {
  if (degrees > 359) degrees %= 360;
  return PadLeft(std::string(sign < 0 ? "-" : " ") + std::to_string(degrees), 4);
}

}  // namespace

long double Sign(long double x) {
  return x >= 0 ? 1.0L : -1.0L;
}

long double ArcSinClamped(long double x) {
  return std::asin(x > 1 ? 1.0L : (x < -1 ? -1.0L : x));
}

long double ArcCosClamped(long double x) {
  return std::acos(x > 1 ? 1.0L : (x < -1 ? -1.0L : x));
}

long double NormalizeRadians(long double x) {
  long double r = kTwoPi * (x / kTwoPi - std::trunc(x / kTwoPi));
  if (r < 0) r += kTwoPi;
  if (r >= kTwoPi) r = 0;  // a tiny negative value can round up to 2 pi
  return r;
}

long double WrapInto(long double x, long double period) {
  if (!std::isfinite(x)) return std::numeric_limits<long double>::quiet_NaN();
  if (x >= 0 && x < period) return x;
  long double r = std::fmod(x, period);
  if (r < 0) r += period;
  if (r >= period) r = 0;  // a tiny negative remainder can round up to the period
  return r;
}

SexagesimalRec SplitSexagesimal(long double x) {
  if (std::isnan(x)) x = 0;
  if (x > kMaxSplitMagnitude) x = kMaxSplitMagnitude;
  if (x < -kMaxSplitMagnitude) x = -kMaxSplitMagnitude;
  SexagesimalRec rec;
  rec.sign = static_cast<std::int8_t>(x < 0 ? -1 : (x > 0 ? 1 : 0));
  const long double whole = std::trunc(x);
  rec.degrees = static_cast<std::int32_t>(std::fabs(whole));
  const long double minutes = std::fabs(x - whole) * 60;
  const long double wholeMinutes = std::trunc(minutes);
  rec.minutes = static_cast<std::int32_t>(wholeMinutes);
  rec.seconds = (minutes - wholeMinutes) * 60;
  return rec;
}

SexagesimalRec SplitRounded(long double x, int decimals) {
  SexagesimalRec rec = SplitSexagesimal(x);
  const long double scale = PowerOfTen(ClampDecimals(decimals));
  if (std::nearbyint(scale * rec.seconds) >= 60 * scale) {
    rec.seconds = 0;
    if (++rec.minutes >= 60) {
      rec.minutes = 0;
      ++rec.degrees;
    }
  }
  return rec;
}

long double JoinSexagesimal(const SexagesimalRec& rec) {
  return rec.sign * (rec.degrees + rec.minutes / 60.0L + rec.seconds / 3600.0L);
}

std::string FormatDMS(long double x, int decimals, std::string_view sep1, std::string_view sep2,
                      std::string_view sep3) {
  decimals = ClampDecimals(decimals);
  const SexagesimalRec rec = SplitRounded(x, decimals);
  std::string text = LeadingField(rec.sign, rec.degrees);
  text += sep1;
  text += TwoDigits(rec.minutes);
  text += sep2;
  text += TwoDigitFixed(decimals, rec.seconds);
  text += sep3;
  return text;
}

std::string FormatDM(long double x, int decimals, std::string_view sep1, std::string_view sep2) {
  decimals = ClampDecimals(decimals);
  SexagesimalRec rec = SplitSexagesimal(x);
  long double m = rec.minutes + rec.seconds / 60;
  const long double scale = PowerOfTen(decimals);
  if (std::nearbyint(scale * m) >= 60 * scale) {
    m = 0;
    ++rec.degrees;
  }
  std::string text = LeadingField(rec.sign, rec.degrees);
  text += sep1;
  text += TwoDigitFixed(decimals, m);
  text += sep2;
  return text;
}

std::string FormatRA(long double x, int decimals, bool units) {
  decimals = ClampDecimals(decimals);
  const SexagesimalRec rec = SplitRounded(x, decimals);
  const std::string h = TwoDigits(rec.degrees);
  const std::string m = TwoDigits(rec.minutes);
  const std::string s = TwoDigitFixed(decimals, rec.seconds);
  if (units) return h + "h " + m + "m " + s + "s";
  return h + " " + m + " " + s;
}

std::string FormatDec(long double x, int decimals, bool units) {
  decimals = ClampDecimals(decimals);
  const SexagesimalRec rec = SplitRounded(x, decimals);
  const std::string sign = rec.sign < 0 ? "-" : "+";
  const std::string d = TwoDigits(rec.degrees);
  const std::string m = TwoDigits(rec.minutes);
  const std::string s = TwoDigitFixed(decimals, rec.seconds);
  if (units) return sign + d + std::string(kDegreeSign) + " " + m + "' " + s + "\"";
  return sign + d + " " + m + " " + s;
}

std::optional<long double> ReadNumberToken(std::string& text, char sep) {
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == sep)) ++start;
  std::size_t end = text.find(sep, start);
  if (end == std::string::npos) end = text.size();
  const std::string token = text.substr(start, end - start);
  text.erase(0, end < text.size() ? end + 1 : end);
  if (token.empty()) return std::nullopt;
  return ParseDecimal(token);
}

}  // namespace skarvel
