// Speed of one field search over a 1.5-million-record MPCORB.CMO (the
// synthetic database of mpcorb_generator.h), warm file cache.
//
// Target: under 0.5 s wall time on the 2-core development machine for the
// fast scan (double-precision pre-filter with a safe margin, then the full
// extended-precision test, on all cores). The straightforward scan (every
// record turned into elements and tested in full on one core) is measured
// beside it. PyEphem's rate for the same work is measured by
// bench/orbits/pyephem_rate.py.
//
//   cmake -S . -B build -DSKARVEL_BUILD_BENCH=ON && cmake --build build --target bench_orbits
//   build/bench/bench_orbits --benchmark_filter=FieldSearch
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mpcorb_generator.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_search.h"
#include "platform/platform.h"

namespace skarvel::bench {
namespace {

constexpr std::int64_t kSearchLines = 1500000;
constexpr std::int64_t kSearchNumbered = 800000;

std::string SearchTempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/" + name;
}

/// The converted synthetic database, made once (kept between runs, with its
/// source text for bench/orbits/pyephem_rate.py).
const std::string& SearchDatabase() {
  static const std::string path = [] {
    const std::string cmo = SearchTempPath("skarvel_bench_search_MPCORB.CMO");
    if (std::FILE* f = std::fopen(cmo.c_str(), "rb")) {
      std::fclose(f);
      return cmo;
    }
    const std::string dat = SearchTempPath("skarvel_bench_search_MPCORB.DAT");
    if (!WriteSyntheticMpcorb(dat, kSearchLines, kSearchNumbered)) std::fprintf(stderr, "cannot write %s\n", dat.c_str());
    ConvertOrbitFile(dat, cmo, OrbitSourceFormat::kMpcorb, true, MpcHeader::kSkipToDashes, {});
    return cmo;
  }();
  return path;
}

/// A platform that shows nothing (the search's messages and progress window).
class QuietPlatform : public platform::Platform {
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
  ScreenSize Screen() override { return {1024, 768}; }
};

void FieldSearch(benchmark::State& state, ScanStrategy strategy) {
  const std::string& db = SearchDatabase();
  QuietPlatform ui;
  TAstOrbFlSrch search(SearchContext{ui, DefaultSiteRecord(), true});
  search.Params().instant.SetJD(2460831.5L);  // the instant of the generator's epoch range
  SearchFieldInput field;
  field.kind = FieldKind::kDegrees;
  field.raHours = "16";
  field.decDegrees = "-20";
  field.size = "1";
  ReadFieldInput(field, search.Params());
  search.SearchFile(db, ElementSource::kMpc, 0, strategy);  // warms the file cache
  for (auto _ : state) {
    search.SearchFile(db, ElementSource::kMpc, 0, strategy);
    benchmark::DoNotOptimize(search.Counts().found);
  }
  state.counters["records"] = static_cast<double>(search.Counts().read);
  state.counters["found"] = static_cast<double>(search.Counts().found);
  state.counters["full_tests"] = static_cast<double>(search.Counts().candidates);
  state.counters["records_per_s"] = benchmark::Counter(
      static_cast<double>(search.Counts().read) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FieldSearch_Fast(benchmark::State& state) { FieldSearch(state, ScanStrategy::kFast); }
void BM_FieldSearch_Straightforward(benchmark::State& state) { FieldSearch(state, ScanStrategy::kStraightforward); }
BENCHMARK(BM_FieldSearch_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FieldSearch_Straightforward)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace skarvel::bench
