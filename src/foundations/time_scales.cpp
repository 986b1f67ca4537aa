#include "foundations/time_scales.h"

#include <cmath>
#include <cstdio>

#include "foundations/date_time.h"

namespace skarvel {

namespace {

constexpr long double kSecondsPerDayTS = 86400.0L;

// Julian date of 00:00 on a Gregorian date (Meeus, Astronomical Algorithms,
// 2nd ed., chapter 7), for the first day of the table's months.
constexpr long double JulianDateOf(std::int32_t year, int month, int day) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  const std::int32_t a = year / 100;
  const std::int32_t b = 2 - a + a / 4;
  // trunc of positive numbers: the table's years are all after 1972.
  const auto y = static_cast<std::int64_t>(365.25L * (year + 4716));
  const auto m = static_cast<std::int64_t>(30.6001L * (month + 1));
  return static_cast<long double>(y + m + day + b) - 1524.5L;
}

// Index of the last step at or before jdUtc; -1 before the first.
int StepIndex(long double jdUtc) {
  int found = -1;
  for (std::size_t i = 0; i < kLeapSecondSteps.size(); ++i) {
    const LeapSecondStep& s = kLeapSecondSteps[i];
    if (jdUtc >= JulianDateOf(s.year, s.month, 1)) found = static_cast<int>(i);
    else break;
  }
  return found;
}

// Horner's rule for c[0] + c[1] t + c[2] t^2 + ...
template <std::size_t N>
long double Poly(const long double (&c)[N], long double t) {
  long double v = 0;
  for (std::size_t i = N; i-- > 0;) v = v * t + c[i];
  return v;
}

}  // namespace

int TAIMinusUTCSeconds(long double jdUtc, bool* known) {
  const int i = std::isnan(jdUtc) ? -1 : StepIndex(jdUtc);
  if (known != nullptr) *known = i >= 0;
  return i >= 0 ? kLeapSecondSteps[static_cast<std::size_t>(i)].taiMinusUtcSeconds : 0;
}

long double DecimalYear(long double jd) { return 2000.0L + (jd - 2451545.0L) / 365.25L; }

long double DeltaTSeconds(long double y) {
  // Espenak & Meeus (2006), section 2.6: one expression per range of years.
  if (y < -500) {
    const long double u = (y - 1820) / 100;
    return -20 + 32 * u * u;
  }
  if (y < 500) {
    static constexpr long double c[] = {10583.6L,      -1014.41L,     33.78311L,     -5.952053L,
                                        -0.1798452L,   0.022174192L,  0.0090316521L};
    return Poly(c, y / 100);
  }
  if (y < 1600) {
    static constexpr long double c[] = {1574.2L,       -556.01L,      71.23472L,     0.319781L,
                                        -0.8503463L,   -0.005050998L, 0.0083572073L};
    return Poly(c, (y - 1000) / 100);
  }
  if (y < 1700) {
    static constexpr long double c[] = {120.0L, -0.9808L, -0.01532L, 1.0L / 7129.0L};
    return Poly(c, y - 1600);
  }
  if (y < 1800) {
    static constexpr long double c[] = {8.83L, 0.1603L, -0.0059285L, 0.00013336L, -1.0L / 1174000.0L};
    return Poly(c, y - 1700);
  }
  if (y < 1860) {
    static constexpr long double c[] = {13.72L,        -0.332447L,      0.0068612L,       0.0041116L,
                                        -0.00037436L,  0.0000121272L,   -0.0000001699L,   0.000000000875L};
    return Poly(c, y - 1800);
  }
  if (y < 1900) {
    static constexpr long double c[] = {7.62L, 0.5737L, -0.251754L, 0.01680668L, -0.0004473624L, 1.0L / 233174.0L};
    return Poly(c, y - 1860);
  }
  if (y < 1920) {
    static constexpr long double c[] = {-2.79L, 1.494119L, -0.0598939L, 0.0061966L, -0.000197L};
    return Poly(c, y - 1900);
  }
  if (y < 1941) {
    static constexpr long double c[] = {21.20L, 0.84493L, -0.076100L, 0.0020936L};
    return Poly(c, y - 1920);
  }
  if (y < 1961) {
    static constexpr long double c[] = {29.07L, 0.407L, -1.0L / 233.0L, 1.0L / 2547.0L};
    return Poly(c, y - 1950);
  }
  if (y < 1986) {
    static constexpr long double c[] = {45.45L, 1.067L, -1.0L / 260.0L, -1.0L / 718.0L};
    return Poly(c, y - 1975);
  }
  if (y < 2005) {
    static constexpr long double c[] = {63.86L,         0.3345L,        -0.060374L,
                                        0.0017275L,     0.000651814L,   0.00002373599L};
    return Poly(c, y - 2000);
  }
  if (y < 2050) {
    static constexpr long double c[] = {62.92L, 0.32217L, 0.005589L};
    return Poly(c, y - 2000);
  }
  const long double u = (y - 1820) / 100;
  if (y < 2150) return -20 + 32 * u * u - 0.5628L * (2150 - y);
  return -20 + 32 * u * u;
}

long double TTMinusUTCSeconds(long double jdUtc) {
  bool known = false;
  const int tai = TAIMinusUTCSeconds(jdUtc, &known);
  if (known) return kTTMinusTAISeconds + tai;
  return DeltaTSeconds(DecimalYear(jdUtc));
}

long double UtcToTT(long double jdUtc) {
  if (!std::isfinite(jdUtc)) return jdUtc;
  return jdUtc + TTMinusUTCSeconds(jdUtc) / kSecondsPerDayTS;
}

long double TTToUtc(long double jdTT) {
  if (!std::isfinite(jdTT)) return jdTT;
  // The offset changes slowly or by whole seconds, so a few passes settle.
  long double u = jdTT - TTMinusUTCSeconds(jdTT) / kSecondsPerDayTS;
  long double previous = u;
  for (int pass = 0; pass < 4; ++pass) {
    const long double next = jdTT - TTMinusUTCSeconds(u) / kSecondsPerDayTS;
    if (next == u) return u;
    previous = u;
    u = next;
  }
  // Still moving between two dates on both sides of a step: the TT instant
  // lies in an inserted second, whose UTC labels (23:59:60) have no Julian
  // date of their own; it maps to the step's 00:00 UTC.
  const int k = StepIndex(previous > u ? previous : u);
  if (k < 0) return u;
  const LeapSecondStep& s = kLeapSecondSteps[static_cast<std::size_t>(k)];
  return JulianDateOf(s.year, s.month, 1);
}

namespace {

std::string DateTimeText(long double jd) {
  const double value = DaysToDateTime(jd - kJulianDateOffset);
  return DateFieldText(value) + " " + TimeFieldText(value);
}

}  // namespace

std::string UtcWithTTText(long double jdUtc, const std::string& ttText) {
  char offset[48];
  std::snprintf(offset, sizeof offset, "%.3f", static_cast<double>(TTMinusUTCSeconds(jdUtc)));
  return DateTimeText(jdUtc) + " UTC = " + ttText + " TDT (TT - UTC = " + offset + " s)";
}

std::string UtcWithTTText(long double jdUtc) { return UtcWithTTText(jdUtc, DateTimeText(UtcToTT(jdUtc))); }

}  // namespace skarvel
