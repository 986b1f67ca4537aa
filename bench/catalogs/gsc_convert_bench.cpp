// The whole conversion of a full-size Guide Star Catalog: 9537 CD-ROM region
// files holding about 25 million plate entries (1.2 GB) into the converted
// form, on two threads as "Convert &GSC..." runs it. Target: under 2 minutes.
//
// Measured on the 2-core build machine, 2026-12-10, nice -n 10 beside other
// engineers' builds (load average 6 to 8): 40 s with two threads, 36 s with
// one (the cores were busy); the list-built conversion before it took 118 s
// under the same load.
//
// The catalog is generated once into a temporary folder (removed at the end;
// it needs about 1.3 GB for the CD-ROM form and 0.5 GB for the converted one):
// the regions table of the test fixture (tools/gscgen), and per region
// 1100..4150 entries (2620 on average), stars of 1 to 3 plate entries at
// random places inside the region's box, in GSC number order (so that the
// entries arrive in no particular RA order). SKARVEL_GSC_BENCH_SCALE (a
// fraction, default 1) shrinks every region for profiling runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "catalogs/gsc_convert.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "catalogs/gsc_zones.h"
#include "foundations/file_system.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

namespace stdfs = std::filesystem;

/// Plate entries of a region: kMeanEntries x (0.42 .. 1.58).
constexpr double kMeanEntries = 2620;

/// Writes `value` with `decimals` decimals right-aligned into `width`
/// characters at `out` (blanks in front, "-" before the digits).
void PutFixed(char* out, int width, int decimals, double value) {
  long long scaled = std::llround(std::fabs(value) * std::pow(10.0, decimals));
  const bool negative = value < 0 && scaled != 0;
  int at = width - 1;
  for (int d = 0; d < decimals; ++d, scaled /= 10) out[at--] = static_cast<char>('0' + scaled % 10);
  if (decimals > 0) out[at--] = '.';
  do {
    out[at--] = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  } while (scaled > 0 && at >= 0);
  if (negative && at >= 0) out[at--] = '-';
  while (at >= 0) out[at--] = ' ';
}

struct FullCatalog {
  FullCatalog() {
    const char* scaleText = std::getenv("SKARVEL_GSC_BENCH_SCALE");
    const double scale = scaleText != nullptr ? std::atof(scaleText) : 1.0;
    root = (stdfs::temp_directory_path() / ("skarvel-gsc-convert-bench-" + std::to_string(::getpid()))).string() + "/";
    const std::string table = std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/gsc/vol1/TABLES/REGIONS.TBL";
    stdfs::create_directories(root + "vol1/TABLES");
    stdfs::copy_file(table, root + "vol1/TABLES/REGIONS.TBL");
    // The region boxes of the table.
    OptionsRecord options;
    testing::ScriptedPlatform quiet;
    GSCRgnsTblObj regions(options, quiet);
    regions.SetFileName(root + "vol1/TABLES/REGIONS.TBL");
    regions.LoadRegions(false);
    std::vector<SearchWindow> boxes;
    regions.Regions().Reset();
    while (const SearchWindow* w = regions.Regions().Next()) boxes.push_back(*w);
    std::mt19937_64 rng(4713);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::string file;
    for (std::uint32_t n = 1; n <= kGSCRegionCount; ++n) {
      const int zone = GSCZoneOfRegion(n);
      const std::string dir = root + (GSCZoneOnVolumeII(zone) ? "vol2/" : "vol1/") + fs::NativePath(GSCZoneDirectory(zone));
      if (n == 1 || GSCZoneLastRegion(zone - 1) + 1u == n) stdfs::create_directories(dir);
      const SearchWindow box = n < boxes.size() ? boxes[n] : SearchWindow{0, 1, 0, 1, 0};
      const double raSpan = box.raMax > box.raMin ? box.raMax - box.raMin : box.raMax + 24 - box.raMin;
      const auto entries = static_cast<long>(kMeanEntries * scale * (0.42 + 1.16 * unit(rng)));
      file.assign(kGSCHeaderBytes, ' ');
      file.reserve(kGSCHeaderBytes + static_cast<std::size_t>(entries + 3) * kGSCRecordBytes);
      long written = 0;
      for (int number = 1; written < entries; ++number) {
        const double raDeg = std::fmod(box.raMin + raSpan * unit(rng), 24.0) * 15;
        const double decDeg = box.decMin + (box.decMax - box.decMin) * unit(rng);
        const double mag = 6 + 10 * std::sqrt(unit(rng));
        const int plates = 1 + static_cast<int>(unit(rng) * unit(rng) * 3);
        const int starClass = unit(rng) < 0.05 ? 3 : 0;
        for (int p = 0; p < plates; ++p, ++written) {
          char r[kGSCRecordBytes];
          PutFixed(r, 5, 0, number);
          for (int k = 0; k < 5 && r[k] == ' '; ++k) r[k] = '0';
          PutFixed(r + 5, 9, 5, std::fmod(raDeg + (unit(rng) - 0.5) * 1e-4 + 360, 360));
          PutFixed(r + 14, 9, 5, decDeg + (unit(rng) - 0.5) * 1e-4);
          PutFixed(r + 23, 5, 1, 0.2 + 0.4 * unit(rng));
          PutFixed(r + 28, 5, 2, mag + (unit(rng) - 0.5) * 0.08);
          PutFixed(r + 33, 4, 2, 0.2 + 0.2 * unit(rng));
          r[37] = ' ';
          r[38] = static_cast<char>('0' + p % 7);
          r[39] = static_cast<char>('0' + starClass);
          r[40] = 'A';
          r[41] = static_cast<char>('0' + p);
          r[42] = '1';
          r[43] = '7';
          r[44] = plates > 1 ? 'T' : 'F';
          file.append(r, kGSCRecordBytes);
        }
      }
      rawEntries += written;
      std::ofstream(dir + GSCRegionFileName(n, ".GSC"), std::ios::binary).write(file.data(),
                                                                               static_cast<std::streamsize>(file.size()));
    }
  }
  ~FullCatalog() {
    std::error_code ec;
    stdfs::remove_all(root, ec);
  }
  std::string root;
  long long rawEntries = 0;
};

void BM_ConvertFullGSC(benchmark::State& state) {
  static const FullCatalog catalog;
  const int threads = static_cast<int>(state.range(0));
  OptionsRecord options;
  testing::ScriptedPlatform ui;
  for (auto _ : state) {
    const std::string out = catalog.root + "out/";
    GSCConvertSettings settings{catalog.root + "vol1/", catalog.root + "vol2/", out, 20, false, false, false};
    const bool ok = GSCConverter(options, ui, settings).ConvertGSC(threads);
    state.PauseTiming();
    if (!ok) state.SkipWithError("the conversion did not run to the end");
    std::error_code ec;
    stdfs::remove_all(out, ec);
    state.ResumeTiming();
  }
  state.counters["raw_entries"] = static_cast<double>(catalog.rawEntries);
  state.counters["messages"] = static_cast<double>(ui.Messages().size());
}
BENCHMARK(BM_ConvertFullGSC)->Arg(2)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace skarvel
