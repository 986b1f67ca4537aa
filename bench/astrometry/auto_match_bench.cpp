// The automatic matching of a 2048 x 2048 frame of a real Tycho-2 field with
// the approximate centre and the camera's scale known (target: under 0.3 s a
// frame, detection included), and the detection alone.
#include <benchmark/benchmark.h>

#include "astrometry/star_match.h"
#include "images/star_detect.h"
#include "support/sky_frames.h"

namespace {

using skarvel::testing::FrameSpec;
using skarvel::testing::SkyFrame;

// 1.2 degrees of the field across 0 h, rotated 37 degrees, mirrored, scale 12 percent off, centre a third of a field off.
struct Frame {
  std::vector<skarvel::SkyStar> list =
      skarvel::testing::ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/wrap0h.csv");
  FrameSpec spec = [] {
    FrameSpec s;
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
  SkyFrame frame{spec};
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
