#include "foundations/sun.h"

#include <array>
#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_time.h"

namespace skarvel {

namespace {

// The 50 terms of the solar series of Bretagnon and Simon (1986), Planetary
// Programs and Tables from -4000 to +2800 (Willmann-Bell), in the book's order.
// Values and decimal places as in NOVAS-C of the U.S. Naval Observatory (file
// solsys3.c, function sun_eph, table con[50]; public domain), cross-checked
// against an independent port (moonsim, SunMoonCalculator.py, sun_elements).
// Amplitudes l (longitude, 1e-7 rad) and r (distance, 1e-7 AU), phases alpha
// (rad) and frequencies nu (rad per 10000 Julian years); four parallel arrays.
constexpr std::array<float, 50> kSunL = {
    403406.0f, 195207.0f, 119433.0f, 112392.0f, 3891.0f, 2819.0f, 1721.0f, 0.0f,   660.0f, 350.0f,
    334.0f,    314.0f,    268.0f,    242.0f,    234.0f,  158.0f,  132.0f,  129.0f, 114.0f, 99.0f,
    93.0f,     86.0f,     78.0f,     72.0f,     68.0f,   64.0f,   46.0f,   38.0f,  37.0f,  32.0f,
    29.0f,     28.0f,     27.0f,     27.0f,     25.0f,   24.0f,   21.0f,   21.0f,  20.0f,  18.0f,
    17.0f,     14.0f,     13.0f,     13.0f,     13.0f,   12.0f,   10.0f,   10.0f,  10.0f,  10.0f};
constexpr std::array<float, 50> kSunR = {
    0.0f,   -97597.0f, -59715.0f, -56188.0f, -1556.0f, -1126.0f, -861.0f, 941.0f, -264.0f, -163.0f,
    0.0f,   309.0f,    -158.0f,   0.0f,      -54.0f,   0.0f,     -93.0f,  -20.0f, 0.0f,    -47.0f,
    0.0f,   0.0f,      -33.0f,    -32.0f,    0.0f,     -10.0f,   -16.0f,  0.0f,   0.0f,    -24.0f,
    -13.0f, 0.0f,      -9.0f,     0.0f,      -17.0f,   -11.0f,   0.0f,    31.0f,  -10.0f,  0.0f,
    -12.0f, 0.0f,      -5.0f,     0.0f,      0.0f,     0.0f,     0.0f,    0.0f,   0.0f,    -9.0f};
constexpr std::array<float, 50> kSunAlpha = {
    4.721964f, 5.937458f, 1.115589f, 5.781616f, 5.5474f, 1.5120f, 4.1897f, 1.163f, 5.415f, 4.315f,
    4.553f,    5.198f,    5.989f,    2.911f,    1.423f,  0.061f,  2.317f,  3.193f, 2.828f, 0.52f,
    4.65f,     4.35f,     2.75f,     4.50f,     3.23f,   1.22f,   0.14f,   3.44f,  4.37f,  1.14f,
    2.84f,     5.96f,     5.09f,     1.72f,     2.56f,   1.92f,   0.09f,   5.98f,  4.03f,  4.27f,
    0.79f,     4.24f,     2.01f,     2.65f,     4.98f,   0.93f,   2.21f,   3.59f,  1.50f,  2.55f};
constexpr std::array<double, 50> kSunNu = {
    1.621043,  62830.348067, 62830.821524, 62829.634302, 125660.5691, 125660.9845, 62832.4766, 0.813,      125659.310,
    57533.850, -33.931,      777137.715,   78604.191,    5.412,       39302.098,   -34.861,    115067.698, 15774.337,
    5296.670,  58849.27,     5296.11,      -3980.70,     52237.69,    55076.47,    261.08,     15773.85,   188491.03,
    -7756.55,  264.89,       117906.27,    55075.75,     -7961.39,    188489.81,   2132.19,    109771.03,  54868.56,
    25443.93,  -55731.43,    60697.74,     2132.79,      109771.63,   -7752.82,    188491.91,  207.81,     29424.63,
    -7.99,     46941.14,     -68.29,       21463.25,     157208.40};

}  // namespace

SunPlace SunPosition(long double jd, CoordMode mode) {
  const long double u = TenMillennia(jd);
  long double sumL = 0;
  long double sumR = 0;
  for (std::size_t i = 0; i < kSunLongitudeTerms; ++i) {
    const long double arg = static_cast<long double>(kSunAlpha[i]) + static_cast<long double>(kSunNu[i]) * u;
    sumL += static_cast<long double>(kSunL[i]) * std::sin(arg);
    if (kSunR[i] != 0.0f) sumR += static_cast<long double>(kSunR[i]) * std::cos(arg);
  }
  long double lambda = 4.9353929L + 62833.196168L * u + 1e-7L * sumL;
  if (mode == CoordMode::kTrue) {
    lambda += NutationLongitude(jd) + (-993.0L + 17.0L * std::cos(3.10L + 62830.14L * u)) * 1e-7L;
  }
  SunPlace place;
  InitFrame(place.coord, mode, CoordFrame::kEcliptic, EquinoxKind::kOfDate, jd);
  place.coord.angle1 = 0;
  place.coord.angle2 = NormalizeRadians(lambda);
  place.distanceAu = 1.0001026L + 1e-7L * sumR;
  return place;
}

}  // namespace skarvel
