// Speed of orbit determination. Target: a fit of 100 observations (Gauss's
// method, the differential correction and the outlier test) in under 0.1 s.
// The observations are the program's own places of (433) Eros's MPCORB orbit
// from Kitt Peak (code 695) on ten nights of ten positions over 30 days, with
// 0.3" of deterministic scatter; the benchmark measures time, not accuracy.
//
//   cmake -S . -B build -DSKARVEL_BUILD_BENCH=ON && cmake --build build --target bench_orbits
//   build/bench/bench_orbits --benchmark_filter=OrbitFit
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "foundations/angles.h"
#include "foundations/time_scales.h"
#include "orbits/orbit_fit.h"
#include "orbits/orbit_records.h"

namespace skarvel::bench {
namespace {

const ObservatoryCodeList& Codes() {
  static const ObservatoryCodeList codes = ParseObservatoryCodes("695 248.4000 0.84597 +0.53217 Kitt Peak\n");
  return codes;
}

std::vector<FitObservation> HundredObservations() {
  OrbitElements el;
  OrbitCodes codes{};
  ParseMpcorbLine(
      "00433   11.16  0.46 K1972  84.17190  178.83549  304.30424   10.82858  0.2227385  0.55973997   1.4581823  0 "
      "MPO467611  8406  52 1893-2019 0.69 M-v 38h MPCLINUX   1804    (433) Eros               20190509",
      el, codes);
  const ObservatoryCode& site = *Codes().Find("695");
  std::vector<FitObservation> obs;
  for (int night = 0; night < 10; ++night) {
    for (int k = 0; k < 10; ++k) {
      FitObservation o;
      o.jdUtc = 2458600.75L + night * 3.3L + k * 0.01L;
      o.code = "695";
      const long double jdTT = UtcToTT(o.jdUtc);
      const AstrometricPlace p = PlaceFromElements(el, ObserverPosition(site, o.jdUtc), jdTT);
      const long double scatter = 0.3L / 3600 * std::sin(static_cast<long double>(7 * night + 3 * k));
      o.raDeg = p.raRad * 180 / kPi + scatter;
      o.decDeg = p.decRad * 180 / kPi - scatter;
      obs.push_back(o);
    }
  }
  return obs;
}

void BM_OrbitFitHundredObservations(benchmark::State& state) {
  const std::vector<FitObservation> obs = HundredObservations();
  for (auto _ : state) {
    const FitResult fit = FitOrbit(obs, Codes(), FitSettings{});
    benchmark::DoNotOptimize(fit.rmsArcsec);
    if (!fit.ok) state.SkipWithError("the fit failed");
  }
}
BENCHMARK(BM_OrbitFitHundredObservations)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel::bench
