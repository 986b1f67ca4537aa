// The track search over a generated series (target: 16 frames of 1024 x 768,
// one minute apart, motions up to 5" a minute, under 30 s on two cores), with
// the frames' count, their size and the fastest motion varied to show how the
// cost grows (a fixed part in frames x pixels, the stacks in frames x pixels x
// motions), and the process's peak memory (all series made so far included).
// The series is solved once (Auto-Match is timed by auto_match_bench).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <map>
#include <memory>
#include <tuple>

#include "astrometry/track_search.h"
#include "support/track_series.h"

namespace {

using skarvel::testing::GeneratedSeries;
using skarvel::testing::SeriesSetup;

struct Solved {
  std::unique_ptr<GeneratedSeries> generated;
  skarvel::FrameSeries series;
};

// One series per (frames, width), made on first use.
Solved& SeriesOf(int frames, int width) {
  static std::map<std::pair<int, int>, std::unique_ptr<Solved>> made;
  auto& slot = made[{frames, width}];
  if (!slot) {
    slot = std::make_unique<Solved>();
    SeriesSetup s;
    s.frames = frames;
    s.width = width;
    s.height = width * 3 / 4;
    s.arcsecPerPixel = 2.0;
    s.minutesApart = 1;
    s.randomStars = 600 * width / 1024 * width / 1024;
    s.seed = 42;
    slot->generated = std::make_unique<GeneratedSeries>(s);
    slot->series.Solve(slot->generated->inputs, slot->generated->stars, s.arcsecPerPixel);
  }
  return *slot;
}

double PeakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024;  // kilobytes on Linux
}

// Arguments: frames, width, fastest motion (arc seconds a minute x 10).
void BM_TrackSearch(benchmark::State& state) {
  Solved& s = SeriesOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  skarvel::TrackSearchSettings settings;
  settings.rateMaxArcsecPerMin = static_cast<double>(state.range(2)) / 10;
  std::size_t motions = 0, candidates = 0;
  for (auto _ : state) {
    const skarvel::TrackSearchResult r = skarvel::SearchTracks(s.series, settings);
    motions = r.motions;
    candidates = r.candidates.size();
    benchmark::DoNotOptimize(r.candidates.data());
  }
  const double pixels = static_cast<double>(s.series.Width()) * s.series.Height();
  state.counters["motions"] = static_cast<double>(motions);
  state.counters["candidates"] = static_cast<double>(candidates);
  // Nanoseconds per (frame x pixel x motion), the fixed preparation of each
  // frame (about 90 ns a pixel: static sky, weights, filter) included; the
  // stacks alone take about 0.4 ns per frame x pixel x motion.
  state.counters["ns_per_fpm"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)) * pixels * static_cast<double>(motions) * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["peak_MB"] = PeakMegabytes();
}

BENCHMARK(BM_TrackSearch)
    ->Args({16, 1024, 50})  // the target
    ->Args({8, 1024, 50})
    ->Args({16, 512, 50})
    ->Args({16, 1024, 25})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
