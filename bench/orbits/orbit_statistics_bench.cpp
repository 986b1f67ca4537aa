// Speed of "Orbit &Statistics (MPC)" over a 1.5-million-record MPCORB.CMO
// (the synthetic database of the field-search benchmark, made once in
// $TMPDIR). Target: under 1 s per count with the file in the page cache.
//
//   cmake -S . -B build-bench -DSKARVEL_BUILD_BENCH=ON ... && cmake --build build-bench --target bench_orbits
//   build-bench/bench/bench_orbits --benchmark_filter=OrbitStatistics
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "mpcorb_generator.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_statistics.h"

namespace skarvel::bench {
namespace {

constexpr std::int64_t kStatisticsLines = 1500000;
constexpr std::int64_t kStatisticsNumbered = 800000;

/// The same file as the field-search benchmark's (its name and content).
const std::string& StatisticsDatabase() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    const std::string base = std::string(dir != nullptr ? dir : "/tmp") + "/skarvel_bench_search_MPCORB";
    const std::string cmo = base + ".CMO";
    if (std::FILE* f = std::fopen(cmo.c_str(), "rb")) {
      std::fclose(f);
      return cmo;
    }
    const std::string dat = base + ".DAT";
    if (!WriteSyntheticMpcorb(dat, kStatisticsLines, kStatisticsNumbered)) std::fprintf(stderr, "cannot write %s\n", dat.c_str());
    ConvertOrbitFile(dat, cmo, OrbitSourceFormat::kMpcorb, true, MpcHeader::kSkipToDashes, {});
    return cmo;
  }();
  return path;
}

void BM_OrbitStatistics(benchmark::State& state) {
  const std::string& db = StatisticsDatabase();
  OrbitStatisticsCounts counts = CountOrbitStatistics(db);  // warms the file cache
  for (auto _ : state) {
    counts = CountOrbitStatistics(db, [](std::int64_t, std::int64_t) {});
    benchmark::DoNotOptimize(counts.records);
  }
  state.counters["records"] = static_cast<double>(counts.records);
  state.counters["highest_number"] = static_cast<double>(counts.highestNumber);
}
BENCHMARK(BM_OrbitStatistics)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace skarvel::bench
