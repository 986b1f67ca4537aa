// The automatic matching of a 2048 x 2048 frame of a real Tycho-2 field with
// the approximate centre and the camera's scale known (target: under 0.3 s a
// frame, detection included), and the detection alone.
#include <benchmark/benchmark.h>

#include <memory>

#include "astrometry/auto_match.h"
#include "astrometry/moving_objects.h"
#include "astrometry/star_match.h"
#include "images/star_detect.h"
#include "support/sky_frames.h"

namespace {

using skarvel::testing::FrameSetup;
using skarvel::testing::SkyFrame;

// 1.2 degrees of the field across 0 h, rotated 37 degrees, mirrored, scale 12 percent off, centre a third of a field off.
struct Frame {
  std::vector<skarvel::SkyStar> list =
      skarvel::testing::ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/wrap0h.csv");
  FrameSetup setup = [] {
    FrameSetup s;
    s.width = s.height = 2048;
    s.arcsecPerPixel = 1.2 * 3600 / 2048 * 1.12;
    s.rotationDeg = 37;
    s.mirror = true;
    s.centreRAHours = 0.02 + 0.4 / 15;
    s.centreDecDeg = 4.0 - 0.1;
    s.fwhmPixels = 3;
    s.hotPixels = 200;
    s.cosmicRays = 100;
    s.extraStars = 100;
    s.missingFraction = 0.1;
    return s;
  }();
  SkyFrame frame{setup};
  Frame() { frame.Render(list); }
};

Frame& TheFrame() {
  static Frame f;
  return f;
}

void BM_DetectStars2048(benchmark::State& state) {
  Frame& f = TheFrame();
  for (auto _ : state) benchmark::DoNotOptimize(skarvel::DetectStars(f.frame, skarvel::DetectSettings{}));
}
BENCHMARK(BM_DetectStars2048)->Unit(benchmark::kMillisecond);

// The matched filter's detection down to SNR 5, its PSF measured on the
// frame's stars, every source measured by the windowed centroid (target:
// under 0.15 s a frame on the 2-core machine).
void BM_MatchedFilterDetect2048(benchmark::State& state) {
  Frame& f = TheFrame();
  std::size_t found = 0;
  for (auto _ : state) found = skarvel::DetectStars(f.frame, skarvel::MovingDetectSettings()).size();
  state.counters["sources"] = static_cast<double>(found);
}
BENCHMARK(BM_MatchedFilterDetect2048)->Unit(benchmark::kMillisecond);

void BM_DetectAndMatch2048(benchmark::State& state) {
  Frame& f = TheFrame();
  skarvel::MatchSettings ms;
  ms.centreRAHours = 0.02;
  ms.centreDecDeg = 4.0;
  ms.imageWidth = ms.imageHeight = 2048;
  ms.arcsecPerPixel = 1.2 * 3600 / 2048;
  std::size_t pairs = 0;
  for (auto _ : state) {
    std::vector<skarvel::ImageStar> image;
    for (const auto& d : skarvel::DetectStars(f.frame, skarvel::DetectSettings{})) image.push_back({d.x, d.y});
    const auto m = skarvel::MatchStars(image, f.list, ms);
    if (!m.found) state.SkipWithError(m.reason.c_str());
    pairs = m.pairs.size();
  }
  state.counters["pairs"] = static_cast<double>(pairs);
}
BENCHMARK(BM_DetectAndMatch2048)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Four 2048 x 2048 frames of the same field 20 minutes apart with two
// asteroids: each frame's stars found by the matched filter and matched,
// then the moving objects searched by significance (target: under 1 s for
// the four on the 2-core machine).
void BM_MovingObjectsFourFrames2048(benchmark::State& state) {
  static std::vector<std::unique_ptr<SkyFrame>> frames;
  static std::vector<skarvel::SkyStar> list =
      skarvel::testing::ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/wrap0h.csv");
  if (frames.empty())
    for (int k = 0; k < 4; ++k) {
      FrameSetup s = TheFrame().setup;
      s.centreRAHours += 0.0002 * k;
      s.seed = 100 + static_cast<unsigned>(k);
      auto sky = list;
      sky.push_back({0.03L + 0.00004L * k, 4.0L + 0.0005L * k, 12.5f});
      sky.push_back({0.01L - 0.0003L * k, 3.9L - 0.002L * k, 13.0f});
      frames.push_back(std::make_unique<SkyFrame>(s));
      frames.back()->Render(sky);
    }
  skarvel::MatchSettings ms;
  ms.centreRAHours = 0.02;
  ms.centreDecDeg = 4.0;
  ms.imageWidth = ms.imageHeight = 2048;
  ms.arcsecPerPixel = 1.2 * 3600 / 2048;
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<skarvel::FrameDetections> sets;
    for (int k = 0; k < 4; ++k) {
      // As the search does it: the moving objects' detector settings, the
      // match, and the frame's placement and pixels for a lost detection.
      SkyFrame& frame = *frames[static_cast<std::size_t>(k)];
      skarvel::AutoMatchOutcome outcome;
      skarvel::DetectStatistics statistics;
      outcome.stars = skarvel::DetectStars(frame, skarvel::MovingDetectSettings(), &statistics);
      outcome.psfSigma = statistics.psfSigma;
      std::vector<skarvel::ImageStar> image;
      for (const auto& d : outcome.stars) image.push_back({d.x, d.y});
      outcome.match = skarvel::MatchStars(image, list, ms);
      if (!outcome.match.found) state.SkipWithError(outcome.match.reason.c_str());
      outcome.found = outcome.match.found;
      skarvel::MeasureView view;
      view.image = &frame;
      view.clientWidth = frame.width;
      view.clientHeight = frame.height;
      skarvel::StarList none;
      sets.push_back(skarvel::FrameSkyDetections(outcome, view, none, 2460000.5L + k * 20 / 1440.0L));
    }
    found = skarvel::FindMovingObjects(sets, skarvel::FaintMovingSettings()).size();
  }
  state.counters["candidates"] = static_cast<double>(found);
}
BENCHMARK(BM_MovingObjectsFourFrames2048)->Unit(benchmark::kMillisecond);

}  // namespace
