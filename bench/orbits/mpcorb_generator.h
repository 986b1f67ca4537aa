// Synthetic MPCORB.DAT files of realistic size and content for the benchmarks.
//
// The lines follow the MPC's MPCORB column layout (202 characters): numbered
// objects first (packed numbers up to the "~" form), then provisional
// designations; main-belt (80 %), near-Earth (15 %) and comet-like (5 %)
// orbits; H and G given, with 1 line in 2000 blank. A fixed seed makes every
// file the same.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "orbits/designation.h"

namespace skarvel::bench {

/// The head of the file: the column line and the dashed line after which the records start.
inline const char* kMpcorbHead =
    "MINOR PLANET CENTER ORBIT DATABASE (MPCORB) -- synthetic benchmark copy\n\n"
    "Des'n     H     G   Epoch     M        Peri.      Node       Incl.       e            n           a"
    "        Reference #Obs #Opp    Arc    rms  Perts   Computer\n"
    "----------------------------------------------------------------------------------------------------"
    "------------------------------------------------------------\n";

/// Writes `lines` records (the first `numbered` of them numbered 1, 2, ...) to `path`.
/// Returns false when the file cannot be written.
inline bool WriteSyntheticMpcorb(const std::string& path, std::int64_t lines, std::int64_t numbered) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fputs(kMpcorbHead, f);
  std::mt19937_64 rng(20260531);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  constexpr double kGaussKDeg = 0.9856076686;  // degrees per day, Gaussian constant
  const char* halfMonths = "ABCDEFGHJKLMNOPQRSTUVWXY";
  const char* letters = "ABCDEFGHJKLMNOPQRSTUVWXYZ";
  char field[64];
  std::string line;
  for (std::int64_t k = 0; k < lines; ++k) {
    line.assign(202, ' ');
    const auto put = [&](std::size_t column, const char* text) {
      const std::size_t n = std::strlen(text);
      std::memcpy(&line[column - 1], text, n);
    };
    double a = 0;
    double e = 0;
    double incl = 0;
    const double kind = u(rng);
    if (kind < 0.80) {  // main belt
      a = 2.1 + 1.4 * u(rng);
      e = 0.3 * u(rng) * u(rng);
      incl = 30 * u(rng) * u(rng);
    } else if (kind < 0.95) {  // near-Earth
      a = 0.8 + 2.2 * u(rng);
      e = 0.1 + 0.75 * u(rng);
      incl = 40 * u(rng) * u(rng);
    } else {  // comet-like
      a = 3 + 27 * u(rng);
      e = 0.5 + 0.47 * u(rng);
      incl = 90 * u(rng);
    }
    const double n = kGaussKDeg / std::pow(a, 1.5);
    std::string id;
    std::string name;
    if (k < numbered) {
      id = PackNumber(k + 1).value_or("00000");
      std::snprintf(field, sizeof field, "(%lld) Synth%lld", static_cast<long long>(k + 1),
                    static_cast<long long>(k + 1));
      name = field;
    } else {
      const int year = 1990 + static_cast<int>(u(rng) * 35);
      const char half = halfMonths[static_cast<int>(u(rng) * 24)];
      const char second = letters[static_cast<int>(u(rng) * 25)];
      const int cycle = static_cast<int>(u(rng) * 300);
      std::snprintf(field, sizeof field, "%d %c%c%d", year, half, second, cycle);
      name = cycle == 0 ? std::string(field, 7) : std::string(field);
      id = PackDesignation(name, 0, true);
    }
    put(1, id.c_str());
    if (k % 2000 != 1999) {
      std::snprintf(field, sizeof field, "%5.2f", 10 + 12 * u(rng));
      put(9, field);
      put(15, " 0.15");
    }
    put(21, "K2555");
    std::snprintf(field, sizeof field, "%9.5f", 360 * u(rng));
    put(27, field);
    std::snprintf(field, sizeof field, "%9.5f", 360 * u(rng));
    put(38, field);
    std::snprintf(field, sizeof field, "%9.5f", 360 * u(rng));
    put(49, field);
    std::snprintf(field, sizeof field, "%9.5f", incl);
    put(60, field);
    std::snprintf(field, sizeof field, "%9.7f", e);
    put(71, field);
    std::snprintf(field, sizeof field, "%11.8f", n);
    put(81, field);
    std::snprintf(field, sizeof field, "%11.7f", a);
    put(93, field);
    std::snprintf(field, sizeof field, "%d", static_cast<int>(u(rng) * 10));
    put(106, field);
    put(108, "MPO467611  8406  52 1893-2019 0.69 M-v 38h MPCLINUX   1804");
    std::snprintf(field, sizeof field, "%-28.28s", name.c_str());
    put(167, field);
    put(195, "20250509");
    line += '\n';
    if (std::fwrite(line.data(), 1, line.size(), f) != line.size()) {
      std::fclose(f);
      return false;
    }
  }
  return std::fclose(f) == 0;
}

}  // namespace skarvel::bench
