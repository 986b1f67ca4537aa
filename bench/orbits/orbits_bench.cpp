// Speed of the orbit subsystem.
//
// Targets on the development machine: converting a 1.5-million-line MPCORB
// file in under 6 s, and at least 500,000 full evaluations (the geocentric
// place and the magnitude at one instant, in extended precision) per second
// per core. For comparison bench/orbits/pyephem_rate.py measures PyEphem on the same
// objects and the speed of a plain Python parser of MPCORB lines.
//
//   cmake -S . -B build -DSKARVEL_BUILD_BENCH=ON && cmake --build build
//   build/bench/bench_orbits
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundations/astro_constants.h"
#include "mpcorb_generator.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"

namespace skarvel::bench {
namespace {

/// Lines of today's MPCORB.DAT, and how many of them are numbered.
constexpr std::int64_t kDatabaseLines = 1500000;
constexpr std::int64_t kNumbered = 800000;

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/" + name;
}

/// The synthetic database, written once per run.
const std::string& SyntheticDatabase() {
  static const std::string path = [] {
    const std::string p = TempPath("skarvel_bench_MPCORB.DAT");
    if (!WriteSyntheticMpcorb(p, kDatabaseLines, kNumbered)) std::fprintf(stderr, "cannot write %s\n", p.c_str());
    return p;
  }();
  return path;
}

void BM_ConvertMpcorb(benchmark::State& state) {
  const std::string& source = SyntheticDatabase();
  const std::string target = TempPath("skarvel_bench_MPCORB.CMO");
  ConversionStats stats;
  for (auto _ : state) {
    stats = ConvertOrbitFile(source, target, OrbitSourceFormat::kMpcorb, true, MpcHeader::kSkipToDashes, {});
    benchmark::DoNotOptimize(stats);
  }
  state.counters["records"] = static_cast<double>(stats.records);
  state.counters["lines_per_s"] =
      benchmark::Counter(static_cast<double>(stats.records + stats.skipped) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  std::remove(target.c_str());
}
BENCHMARK(BM_ConvertMpcorb)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Elements of the first objects of the synthetic database, as a search reads them back.
std::vector<OrbitElements> SampleElements(std::size_t count) {
  const std::string& source = SyntheticDatabase();
  std::FILE* f = std::fopen(source.c_str(), "rb");
  std::vector<OrbitElements> out;
  if (f == nullptr) return out;
  char buffer[512];
  bool body = false;
  OrbitCodes codes{};
  while (out.size() < count && std::fgets(buffer, sizeof buffer, f) != nullptr) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!body) {
      body = !line.empty() && line[0] == '-';
      continue;
    }
    OrbitElements el;
    SetAsteroidDefaults(el);
    try {
      ParseMpcorbLine(line, el, codes);
    } catch (const OrbitRecordError&) {
      continue;
    }
    out.push_back(CmoToElements(ElementsToCmo(el)));
  }
  std::fclose(f);
  return out;
}

void BM_GeocentricAndMagnitude(benchmark::State& state) {
  static const std::vector<OrbitElements> elements = SampleElements(20000);
  auto earth = std::make_shared<EarthObj>();
  std::vector<std::unique_ptr<MinorBody>> bodies;
  bodies.reserve(elements.size());
  for (const OrbitElements& el : elements)
    bodies.push_back(std::make_unique<MinorBody>(MinorBody::kAstrometric, SiteRecord{}, el, earth));
  const long double jd = 2460831.5L;  // one instant for the whole database, as a field search uses
  std::size_t k = 0;
  long double sum = 0;
  for (auto _ : state) {
    MinorBody& body = *bodies[k];
    const GeocentricPlace g = body.Geocentric(jd);
    sum += g.coord.angle2 + body.Magnitude(jd);
    if (++k == bodies.size()) k = 0;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_GeocentricAndMagnitude);

}  // namespace
}  // namespace skarvel::bench
