// Time scales where observations meet ephemerides.
//
// Image and observation times are UTC; the two-body ephemerides run in
// Terrestrial Time (TT, called TDT in the dialogs and reports). The step from
// one to the other:
//
//   TT - UTC = 32.184 s + (TAI - UTC)           from 1972-01-01 UTC on,
//   TT - UTC = Delta T (Espenak & Meeus)        before 1972-01-01 UTC,
//
// with UT1 taken as UTC (|UT1 - UTC| < 0.9 s, far below what the places
// need). TAI - UTC comes from the table of leap seconds below; Delta T from
// the polynomial expressions of F. Espenak and J. Meeus, "Five Millennium
// Canon of Solar Eclipses: -1999 to +3000", NASA/TP-2006-214141 (2006),
// section 2.6 ("Polynomial Expressions for Delta T").
//
// Usage (the orbit determination and every other place where an image or
// observation time meets an ephemeris):
//   const long double jdTT = UtcToTT(jdUtc);   // into the ephemeris
//   const long double jdUtc = TTToUtc(jdTT);   // back, for a UTC label
//
// Pure functions, no state; safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace skarvel {

/// TT - TAI, seconds: fixed by definition (IAU 1991 Recommendation IV).
inline constexpr long double kTTMinusTAISeconds = 32.184L;

/// One step of TAI - UTC: from 00:00 UTC of the date on.
struct LeapSecondStep {
  std::int32_t year = 0;
  int month = 0;  ///< 1 or 7 (the steps fall on 1 January or 1 July)
  int taiMinusUtcSeconds = 0;
};

/// TAI - UTC since 1972, the IERS's list (leap-seconds.list, "Updated through
/// IERS Bulletin C"): 28 steps, 10 s on 1972-01-01 up to 37 s on 2017-01-01.
inline constexpr std::array<LeapSecondStep, 28> kLeapSecondSteps = {{
    {1972, 1, 10}, {1972, 7, 11}, {1973, 1, 12}, {1974, 1, 13}, {1975, 1, 14}, {1976, 1, 15}, {1977, 1, 16},
    {1978, 1, 17}, {1979, 1, 18}, {1980, 1, 19}, {1981, 7, 20}, {1982, 7, 21}, {1983, 7, 22}, {1985, 7, 23},
    {1988, 1, 24}, {1990, 1, 25}, {1991, 1, 26}, {1992, 7, 27}, {1993, 7, 28}, {1994, 7, 29}, {1996, 1, 30},
    {1997, 7, 31}, {1999, 1, 32}, {2006, 1, 33}, {2009, 1, 34}, {2012, 7, 35}, {2015, 7, 36}, {2017, 1, 37},
}};

/// The date the table was last checked against the IERS's list: the list's
/// "last update" of 2025-07-07 (IERS Bulletin C 70: no leap second at the end
/// of December 2025). The list announces no step before its expiry date,
/// 2026-06-28. To update: read the newest list (Debian's tzdata ships it as
/// /usr/share/zoneinfo/leap-seconds.list), add any new step to
/// kLeapSecondSteps, move these two dates to the list's "last update" and
/// expiry, and write the ERFA fixture again with the command in
/// tests/data/foundations/time_scales.csv.
struct TableDate {
  std::int32_t year = 0;
  int month = 0;
  int day = 0;
};
inline constexpr TableDate kLeapSecondTableChecked = {2025, 7, 7};
inline constexpr TableDate kLeapSecondTableExpires = {2026, 6, 28};

/// Julian date of 1972-01-01 00:00 UTC, the first step of the table.
inline constexpr long double kJDLeapSecondsBegin = 2441317.5L;

/// TAI - UTC (seconds) at a UTC Julian date: the last step at or before it.
/// Before 1972-01-01 there is no integral TAI - UTC; the result is then 0 and
/// `known` (when given) is set false. After the last step the last value
/// holds (37 s), whether or not the table has expired.
int TAIMinusUTCSeconds(long double jdUtc, bool* known = nullptr);

/// Delta T = TT - UT1 (seconds) of the Espenak & Meeus polynomials at a
/// decimal year y (2000.0 is JD 2451544.5 + 0.5 d; y = 2000 + (jd - 2451545) /
/// 365.25). Every range of the Canon from before -500 to after 2150 is
/// given; the expressions agree with the published table to about 0.1 s from
/// 1900 to 2005. Without the lunar secular-acceleration correction.
long double DeltaTSeconds(long double decimalYear);

/// The decimal year of a Julian date: 2000 + (jd - 2451545) / 365.25.
long double DecimalYear(long double jd);

/// TT - UTC (seconds) at a UTC Julian date: 32.184 + (TAI - UTC) from
/// 1972-01-01 on, Delta T at the decimal year before it (UT1 taken as UTC).
long double TTMinusUTCSeconds(long double jdUtc);

/// The TT Julian date of a UTC Julian date: jdUtc + (TT - UTC) / 86400.
/// A non-finite date is returned unchanged.
long double UtcToTT(long double jdUtc);

/// The UTC Julian date of a TT Julian date: the inverse of UtcToTT (exact
/// away from a leap second; an instant inside the second inserted at a step
/// maps to the step's 00:00 UTC). A non-finite date is returned unchanged.
long double TTToUtc(long double jdTT);

/// A UTC instant with the TT used for it, for the dialogs that take a time
/// from an image: "2019/05/01 03:45:30 UTC = 2019/05/01 03:46:39 TDT (TT - UTC
/// = 69.184 s)" (times to the whole second, truncated; TT - UTC with 3 decimals).
std::string UtcWithTTText(long double jdUtc);
/// The same with the TT written as `ttText` (a dialog's date and time fields,
/// which show the TT through its Julian date of 5 decimals).
std::string UtcWithTTText(long double jdUtc, const std::string& ttText);

}  // namespace skarvel
