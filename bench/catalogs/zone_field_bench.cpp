// Reading a 30' field from UCAC2 zone files at the real catalog's density
// (about 48 million stars in 288 zones: 166,667 per 0.5-degree zone; target:
// under 30 ms warm). Five zones (179..183, Dec -1..+1.5) of that density are
// written once by the zone catalog writer, stars spread evenly in RA and Dec;
// the field at RA 6 h, Dec +0.25 reads its 45' window from zones 180..182.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "catalogs/zone_catalogs.h"
#include "support/scripted_platform.h"
#include "support/zone_catalog_writer.h"

namespace skarvel {
namespace {

constexpr int kStarsPerZone = 48000000 / 288;

struct DenseCatalog {
  DenseCatalog() {
    root = (std::filesystem::temp_directory_path() / "skarvel-ucac2-bench").string() + "/";
    std::filesystem::remove_all(root);
    std::mt19937 rng(22);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<testing::ZoneStar> stars;
    for (int zone = 179; zone <= 183; ++zone)
      for (int i = 0; i < kStarsPerZone; ++i) {
        testing::ZoneStar s;
        s.raHours = 24.0 * unit(rng);
        s.decDeg = (zone - 1) * 0.5 - 90.0 + 0.5 * unit(rng);
        s.mag = 8 + 8 * unit(rng);
        s.pmRA = 20 * unit(rng) - 10;
        s.pmDec = 20 * unit(rng) - 10;
        stars.push_back(s);
      }
    testing::WriteUCAC2(root, stars);
  }
  ~DenseCatalog() { std::filesystem::remove_all(root); }
  std::string root;
};

void BM_UCAC2Field30ArcminAtRealDensity(benchmark::State& state) {
  static DenseCatalog catalog;
  OptionsRecord options;
  options.ucac2Path = catalog.root;
  options.programDir = catalog.root;
  testing::ScriptedPlatform ui;
  UCAC2FileObj reader(options, ui);
  if (!reader.OpenCatalog()) {
    state.SkipWithError("index not found");
    return;
  }
  FieldParameters p;
  p.centreRA = 6.0L;
  p.centreDec = 0.25L;
  p.size = 30;
  p.limitMag = 20;
  DeriveSearchWindow(p);
  std::vector<CatalogStar> stars;
  for (auto _ : state) {
    reader.ReadField(p.window, kJ2000JulianDate + 7300, stars);
    benchmark::DoNotOptimize(stars.data());
  }
  state.counters["stars"] = static_cast<double>(stars.size());
}
BENCHMARK(BM_UCAC2Field30ArcminAtRealDensity)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel
