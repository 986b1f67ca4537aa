// Astronomical constants and the gravitational parameters of the central bodies.
//
// These are the exact values the system computes with; the orbit files and
// reports it exchanges with other programs were made with them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace skarvel {

/// Astronomical unit (km), IAU 1976 value as used by the orbit records.
inline constexpr long double kAstronomicalUnitKm = 149597870.66L;
/// Gaussian gravitational constant k (AU^(3/2) / (day solar-mass^(1/2))), IAU 1976.
inline constexpr long double kGaussK = 0.01720209895L;
/// Earth equatorial radius for the horizontal parallax of a body (km), IAU 1976.
inline constexpr long double kEarthRadiusParallaxKm = 6378.16L;
/// Earth equatorial radius for geocentric site coordinates (m), IAU 1976.
inline constexpr long double kEarthRadiusSiteM = 6378140.0L;
/// Polar to equatorial axis ratio b/a of the Earth (flattening 1/298.257, IAU 1976).
inline constexpr long double kEarthAxisRatio = 0.9966471868221030856L;
/// Tropical year (s), for orbital periods in years.
inline constexpr long double kTropicalYearSeconds = 31556926.08L;

/// Julian dates (days) of the standard epochs: J2000.0 is the epoch of every
/// series; B1900.0, B1950.0 and J2050.0 are the other selectable equinoxes.
inline constexpr long double kJD_J2000 = 2451545.0L;
inline constexpr long double kJD_B1900 = 2415020.3135L;
inline constexpr long double kJD_B1950 = 2433282.4235L;
inline constexpr long double kJD_J2050 = 2469807.5L;

/// Number of central bodies in the GM table.
inline constexpr std::size_t kCentralBodyCount = 12;

/// Gravitational parameters GM (km^3 / s^2), indexed by the central-body number
/// of an orbit record: 0 Sun, 1 Mercury, 2 Venus, 3 Earth-Moon, 4 Mars,
/// 5 Jupiter, 6 Saturn, 7 Uranus, 8 Neptune, 9 Pluto, 10 Moon, 11 Earth-Moon
/// from the mass ratio. The planetary values are the Sun's GM divided by the
/// inverse planetary masses of the JPL DE200 ephemeris (Standish 1990):
/// Mercury 6023600, Venus 408523.5, Earth-Moon 328900.5 (index 11; index 3 is
/// the rounded 403503.247), Mars 3098710, Jupiter 1047.350, Saturn 3498.0,
/// Uranus 22960, Neptune 19314, Pluto 130000000; the Moon is the DE200 GM.
/// They are the system's fixed values.
inline constexpr std::array<long double, kCentralBodyCount> kCentralBodyGM = {
    132712440000.0L,      // 0 Sun
    22032.080483431833L,  // 1 Mercury
    324858.7657747963L,   // 2 Venus
    403503.247L,          // 3 Earth-Moon
    42828.28660958915L,   // 4 Mars
    126712598.46278703L,  // 5 Jupiter
    37939519.72555746L,   // 6 Saturn
    5780158.536585365L,   // 7 Uranus
    6871307.8595837215L,  // 8 Neptune
    1020.8649230769231L,  // 9 Pluto
    4902.799L,            // 10 Moon
    403503.3087514309L,   // 11 Earth-Moon (from the mass ratio)
};

/// GM (km^3 / s^2) of central body `index`; nullopt for an index outside 0..11.
inline std::optional<long double> CentralBodyGM(int index) {
  if (index < 0 || index >= static_cast<int>(kCentralBodyCount)) return std::nullopt;
  return kCentralBodyGM[static_cast<std::size_t>(index)];
}

}  // namespace skarvel
