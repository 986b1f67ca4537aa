// Speed of the foundations every other subsystem leans on. Targets: a pixel
// read or a record lookup by index in constant time whatever the access
// pattern (tens of nanoseconds at most, bound by the cache); an extended-float
// encode plus decode near 100 ns; the Sun (100 long double sines and cosines)
// below 20 microseconds.
//
// cmake -S . -B build-bench -DSKARVEL_BUILD_BENCH=ON && cmake --build build-bench --target bench_foundations
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "foundations/extended_float.h"
#include "foundations/int_array_list.h"
#include "foundations/record_list.h"
#include "foundations/sun.h"

namespace skarvel {
namespace {

void BM_PixelAtRandom(benchmark::State& state) {
  IntArrayList image;
  image.Create(4096, 4096);
  std::mt19937 random(1);
  std::vector<std::int32_t> xs(4096);
  std::vector<std::int32_t> ys(4096);
  for (std::size_t i = 0; i < xs.size(); ++i) {
    xs[i] = static_cast<std::int32_t>(random() % 4096);
    ys[i] = static_cast<std::int32_t>(random() % 4096);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(image.PixelAt(xs[i], ys[i]));
    i = (i + 1) & 4095;
  }
}
BENCHMARK(BM_PixelAtRandom);

void BM_RecordListGetAtRandom(benchmark::State& state) {
  RecordList<std::int64_t> list;
  for (std::int64_t k = 0; k < state.range(0); ++k) list.Append(k);
  std::mt19937 random(2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        list.GetAt(static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(state.range(0)))));
  }
}
BENCHMARK(BM_RecordListGetAtRandom)->Arg(1000)->Arg(100000);

void BM_ExtendedRoundTrip(benchmark::State& state) {
  long double x = 2451545.123456789L;
  for (auto _ : state) {
    x = DecodeExtended(EncodeExtended(x));
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_ExtendedRoundTrip);

void BM_SunPosition(benchmark::State& state) {
  long double jd = 2451545.0L;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SunPosition(jd, CoordMode::kTrue));
    jd += 0.37L;
  }
}
BENCHMARK(BM_SunPosition);

void BM_FormatRA(benchmark::State& state) {
  long double h = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatRA(h, 2, true));
    h += 0.013L;
  }
}
BENCHMARK(BM_FormatRA);

void BM_SetJD(benchmark::State& state) {
  DateTimeObj t;
  long double jd = 2451545.0L;
  for (auto _ : state) {
    t.SetJD(jd);
    benchmark::DoNotOptimize(t);
    jd += 0.731L;
  }
}
BENCHMARK(BM_SetJD);

}  // namespace
}  // namespace skarvel
