// Loading a 30' field from GSC regions that hold 10,000 entries in all, from
// the converted form (target: under 20 ms) and the CD-ROM form with the merge
// of plate entries (target: under 100 ms).
//
// The regions are four synthetic 2 x 2 degree regions of zone 1 (RA 14..18
// deg, Dec 0..4 deg) written once into a temporary folder, 2,500 records
// each, 10,000 in all: converted files of 2,500 stars, CD-ROM files of 1,250
// stars with two plate entries each. The field at RA 16 deg, Dec +2 deg
// takes the stars of its 45' search window from all four.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "catalogs/gsc_field.h"
#include "foundations/byte_io.h"
#include "platform/platform.h"

namespace skarvel {
namespace {

constexpr int kRegions = 4;
constexpr int kRecordsPerRegion = 2500;

class NullPlatform : public platform::Platform {
 public:
  platform::Answer Message(const platform::MessageRequest&) override { return platform::Answer::Ok; }
  void Beep() override {}
  std::optional<std::vector<std::string>> OpenFiles(const platform::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const platform::FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseDirectory(const platform::DirectoryRequest&) override { return {}; }
  std::optional<std::string> PromptText(const platform::TextPromptRequest&) override { return {}; }
  void ProgressNote(const std::string&) override {}
  std::unique_ptr<platform::ProgressWindow> OpenProgress(const std::string&, const std::string&, std::int64_t,
                                                         bool) override {
    return nullptr;
  }
  void SetBusy(bool) override {}
  bool OpenWebPage(const std::string&) override { return false; }
  platform::ProcessHandle StartProcess(const std::string&, const std::vector<std::string>&,
                                       const std::string&) override {
    return {};
  }
  bool ProcessRunning(platform::ProcessHandle) override { return false; }
  platform::HttpResponse HttpGet(const std::string&) override { return {}; }
  ScreenSize Screen() override { return {}; }
};

struct Catalog {
  Catalog() {
    root = (std::filesystem::temp_directory_path() / "skarvel-gsc-bench").string() + "/";
    std::filesystem::create_directories(root + "GSC/N0000");
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int r = 0; r < kRegions; ++r) {
      const double raLow = 14.0 + 2.0 * (r % 2), decLow = 2.0 * (r / 2);  // degrees: 14..18 x 0..4
      std::string cdrom(8640, ' ');
      ByteWriter bin;
      for (int i = 0; i < kRecordsPerRegion; ++i) {
        const double ra = raLow + 2.0 * unit(rng), dec = decLow + 2.0 * unit(rng);
        const double mag = 8 + 8 * unit(rng);
        bin.I32(static_cast<std::int32_t>(std::lround(ra / 15 * 1e7)));
        bin.I32(static_cast<std::int32_t>(std::lround(dec * 1e5)));
        bin.Zeros(4);
        bin.I16(static_cast<std::int16_t>(std::lround(mag * 1000)));
        bin.I16(3);
        bin.I16(25);
        bin.I16(2);
        bin.U8(0);
        char number[8];
        std::snprintf(number, sizeof number, "%05d", i + 1);
        bin.Text(number, 5);
        if (i % 2 == 1) continue;  // two plate entries per CD-ROM star
        for (int e = 0; e < 2; ++e) {
          char rec[64];
          std::snprintf(rec, sizeof rec, "%5d%9.5f%9.5f%5.1f%5.2f%4.2f%2d%1d%4s%1s", i / 2 + 1, ra + e * 1e-5,
                        dec - e * 1e-5, 0.3, mag, 0.25, 1, 0, "0101", "F");
          cdrom.append(rec, 45);
        }
      }
      char name[16];
      std::snprintf(name, sizeof name, "%04d", r + 1);
      std::ofstream(root + "GSC/N0000/" + name + ".GSC", std::ios::binary) << cdrom;
      std::ofstream(root + "GSC/N0000/" + name + ".BIN", std::ios::binary)
          .write(reinterpret_cast<const char*>(bin.Buffer().data()), static_cast<std::streamsize>(bin.Size()));
    }
    regions.count = kRegions;
    for (int r = 0; r < kRegions; ++r) regions.regions[r] = static_cast<std::uint16_t>(r + 1);
    field.centreRA = 16.0 / 15;
    field.centreDec = 2.0;
    field.size = 30;
    field.limitMag = 20;
    DeriveSearchWindow(field);
  }
  ~Catalog() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  std::string root;
  RegionList regions;
  FieldParameters field;
};

const Catalog& TheCatalog() {
  static const Catalog catalog;
  return catalog;
}

void Load(benchmark::State& state, bool converted) {
  const Catalog& c = TheCatalog();
  OptionsRecord options;
  options.vornFormatGSC = converted;
  options.gscPath1 = options.gscPath2 = c.root;
  NullPlatform ui;
  GSCRgnsTblObj table(options, ui);
  GSCFieldObj field(options, ui, table);
  field.SetVolumePaths(c.root, c.root);
  for (auto _ : state) {
    field.LoadGSCField(c.field.window, c.regions);
    benchmark::DoNotOptimize(field.Stars().Size());
  }
  state.counters["stars"] = static_cast<double>(field.Stars().Size());
  state.counters["records"] = kRegions * kRecordsPerRegion;
}

void BM_GSCFieldConverted(benchmark::State& state) { Load(state, true); }
void BM_GSCFieldCdrom(benchmark::State& state) { Load(state, false); }
BENCHMARK(BM_GSCFieldConverted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GSCFieldCdrom)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel
