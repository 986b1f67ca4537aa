// Angle helpers and the sexagesimal forms of angles and times.
//
// Inside computations angles are radians; right ascension travels in hours and
// declination in degrees. The sexagesimal routines take x in degrees or hours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

/// Radians per degree (pi / 180).
inline constexpr long double kRadiansPerDegree = 0.017453292519943295769L;
/// Degrees per radian (180 / pi).
inline constexpr long double kDegreesPerRadian = 57.295779513082320877L;
/// pi and 2 pi, to long double precision.
inline constexpr long double kPi = 3.141592653589793238462643383279502884L;
inline constexpr long double kTwoPi = 6.283185307179586476925286766559005768L;

/// The degree sign as the system writes it: the single Latin-1 byte 0xB0.
inline constexpr std::string_view kDegreeSign = "\xB0";

/// +1 for x >= 0, else -1.
long double Sign(long double x);

/// asin of x clamped to [-1, 1] first, so rounding beyond +-1 never fails.
long double ArcSinClamped(long double x);

/// acos of x clamped to [-1, 1] first.
long double ArcCosClamped(long double x);

/// x normalised to [0, 2 pi): 2 pi frac(x / 2 pi), plus 2 pi when negative.
long double NormalizeRadians(long double x);

/// x reduced into [0, period) by a remainder, so that any finite value takes
/// constant time (a loop adding or subtracting the period never ends once the
/// period is below the value's rounding step). Non-finite x gives NaN.
long double WrapInto(long double x, long double period);

/// An angle or time split into degrees (or hours), minutes and seconds.
struct SexagesimalRec {
  std::int32_t degrees = 0;  ///< magnitude of the whole degrees (or hours)
  std::int32_t minutes = 0;  ///< 0..59 (60 never survives SplitRounded)
  long double seconds = 0;   ///< 0 <= seconds < 60
  std::int8_t sign = 0;      ///< -1 negative, 0 zero, +1 positive
};

/// Splits x (degrees or hours): sign by the sign of x; degrees = |trunc(x)|;
/// minutes = trunc(|frac(x)| * 60); seconds = frac(that product) * 60.
/// NaN is taken as 0; magnitudes above 2e9 are clamped to 2e9.
SexagesimalRec SplitSexagesimal(long double x);

/// SplitSexagesimal, then when the seconds would round to 60 at `decimals`
/// decimals (round(10^decimals * seconds) = 60 * 10^decimals, halves to even)
/// the seconds become 0 and the minutes go up by one; 60 minutes become 0 and
/// the degrees go up by one. `decimals` is clamped to 0..9.
SexagesimalRec SplitRounded(long double x, int decimals);

/// sign * (degrees + minutes / 60 + seconds / 3600).
long double JoinSexagesimal(const SexagesimalRec& rec);

/// Degrees-minutes-seconds text of x (degrees or hours).
///
/// SplitRounded(x, decimals); degrees above 359 are reduced by 360 (725 shows
/// as 5). The leading field is "-" (negative) or " " followed by the degrees,
/// left-padded with blanks to 4 characters; minutes have two digits; seconds
/// have `decimals` decimals and two whole digits. Result: leading field, sep1,
/// minutes, sep2, seconds, sep3. FormatDMS(-12.5, 1, ":", ":", "") is " -12:30:00.0".
std::string FormatDMS(long double x, int decimals, std::string_view sep1, std::string_view sep2, std::string_view sep3);

/// Degrees and decimal minutes: m = minutes + seconds / 60 with `decimals`
/// decimals (0..9); when m would round to 60 it becomes 0 and the degrees go up
/// by one; degrees above 359 are reduced by 360. Leading field as in FormatDMS,
/// m with two whole digits. Result: leading field, sep1, m, sep2.
std::string FormatDM(long double x, int decimals, std::string_view sep1, std::string_view sep2);

/// Right ascension text of x hours: SplitRounded(x, decimals); hours and minutes
/// two digits, seconds with `decimals` decimals and two whole digits. With
/// units "06h 00m 00.00s", without "06 00 00.00". Hours are not reduced modulo
/// 24, and the sign of a negative x is not shown.
std::string FormatRA(long double x, int decimals, bool units);

/// Declination text of x degrees: SplitRounded(x, decimals); "-" or "+" (also
/// for zero), degrees and minutes two digits, seconds as in FormatRA. With
/// units "+12\xB0 30' 00.0\"" (degree sign 0xB0), without "-00 30 00.0".
std::string FormatDec(long double x, int decimals, bool units);

/// Reads one number out of sexagesimal input: skips leading blanks and `sep`
/// characters, takes the characters up to the next `sep` (or the end), removes
/// them and that separator from `text`, and converts them as a decimal number.
/// @return the number; nullopt when the token is empty or not a number (the
///         token is removed from `text` all the same).
std::optional<long double> ReadNumberToken(std::string& text, char sep);

}  // namespace skarvel
