// The display build of a 4096 x 4096 image (statistics, mapping, hot-pixel
// test, bitmap written and read back) and a brightness change (palette
// bounds, ramp and the 1064-byte info block rewritten).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>

#include "images/display_mapping.h"
#include "images/image_display.h"

namespace {

constexpr int kSide = 4096;  ///< image side, pixels

// A platform that answers nothing: the benchmark shows no messages.
class SilentPlatform : public skarvel::platform::Platform {
 public:
  using Answer = skarvel::platform::Answer;
  Answer Message(const skarvel::platform::MessageRequest&) override { return Answer::Ok; }
  void Beep() override {}
  std::optional<std::vector<std::string>> OpenFiles(const skarvel::platform::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const skarvel::platform::FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseDirectory(const skarvel::platform::DirectoryRequest&) override { return {}; }
  std::optional<std::string> PromptText(const skarvel::platform::TextPromptRequest&) override { return {}; }
  void ProgressNote(const std::string&) override {}
  std::unique_ptr<skarvel::platform::ProgressWindow> OpenProgress(const std::string&, const std::string&, std::int64_t,
                                                                  bool) override {
    return nullptr;
  }
  void SetBusy(bool) override {}
  bool OpenWebPage(const std::string&) override { return false; }
  skarvel::platform::ProcessHandle StartProcess(const std::string&, const std::vector<std::string>&,
                                                const std::string&) override {
    return {};
  }
  bool ProcessRunning(skarvel::platform::ProcessHandle) override { return false; }
  skarvel::platform::HttpResponse HttpGet(const std::string&) override { return {}; }
  ScreenSize Screen() override { return {1280, 1024}; }
};

class SkyImage : public skarvel::GraphicsFileObj {
 public:
  SkyImage() : GraphicsFileObj(skarvel::ImageLoadContext{}) {
    width = height = kSide;
    fileName = "sky.fit";
    headerTextPresent = true;
    pixels.Create(kSide, kSide);
    histogram.Create(256, 256.0L);
    std::mt19937 rng(7);
    std::normal_distribution<double> sky(1200.0, 35.0);
    for (int y = 0; y < kSide; ++y) {
      auto row = pixels.Row(y);
      for (auto& v : row) v = static_cast<std::int32_t>(sky(rng));
      if (y % 97 == 0) row[static_cast<std::size_t>(y % kSide)] = 60000;  // a few hot pixels
      AddPixelValues(row.data(), row.size());
    }
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}
};

std::string DataDir() {
  static const std::string dir = [] {
    std::string d = (std::filesystem::temp_directory_path() / "skarvel-bench-XXXXXX").string();
    if (::mkdtemp(d.data()) == nullptr) std::abort();
    return d + "/";
  }();
  return dir;
}

void BM_BuildDisplay4096(benchmark::State& state) {
  SilentPlatform ui;
  SkyImage image;
  skarvel::DisplaySettings defaults;
  skarvel::ImageDisplayObj display;
  const skarvel::DisplayBuildContext context{&defaults, 0, DataDir(), &ui};
  for (auto _ : state) {
    if (!display.BuildDisplay(image, true, context)) state.SkipWithError("build failed");
    benchmark::DoNotOptimize(display.Bitmap().rows.data());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_BuildDisplay4096)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BrightnessChange(benchmark::State& state) {
  SilentPlatform ui;
  SkyImage image;
  skarvel::DisplaySettings defaults;
  skarvel::ImageDisplayObj display;
  if (!display.BuildDisplay(image, true, skarvel::DisplayBuildContext{&defaults, 0, DataDir(), &ui})) std::abort();
  int b = 0;
  for (auto _ : state) {
    display.settings.brightness = (b++ % 101) - 50;
    skarvel::UpdatePaletteBounds(display.settings);
    if (!display.RewritePalette(image)) state.SkipWithError("rewrite failed");
  }
}
BENCHMARK(BM_BrightnessChange)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
