// Loading a 4096 x 4096 BITPIX 16 image with BZERO 32768: the program's FITS
// reader (header, conversion, histogram, minimum and maximum) beside cfitsio's
// fits_read_img into 32-bit integers, on the same file in the same run.
#include <benchmark/benchmark.h>
#include <fitsio.h>
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "images/fits_file.h"

namespace {

constexpr long kSide = 4096;

// Writes the test file once per run into a private folder.
const std::string& TestFile() {
  static const std::string path = [] {
    std::string dir = (std::filesystem::temp_directory_path() / "skarvel-bench-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) std::abort();
    const std::string file = dir + "/big.fits";
    fitsfile* f = nullptr;
    int status = 0;
    const std::string name = "!" + file;
    fits_create_file(&f, name.c_str(), &status);
    long naxes[2] = {kSide, kSide};
    fits_create_img(f, USHORT_IMG, 2, naxes, &status);  // BITPIX 16, BZERO 32768
    std::vector<unsigned short> row(kSide);
    std::mt19937 rng(42);
    std::normal_distribution<double> sky(1200.0, 35.0);
    for (long y = 0; y < kSide; ++y) {
      for (auto& v : row) v = static_cast<unsigned short>(std::clamp(sky(rng), 0.0, 65535.0));
      fits_write_img(f, TUSHORT, y * kSide + 1, kSide, row.data(), &status);
    }
    fits_close_file(f, &status);
    if (status != 0) std::abort();
    return file;
  }();
  return path;
}

void BM_SkarvelFitsLoad(benchmark::State& state) {
  const std::string& file = TestFile();
  const std::string dataDir = std::filesystem::path(file).parent_path().string() + "/";
  for (auto _ : state) {
    skarvel::FITSFileObj image(skarvel::ImageLoadContext{nullptr, dataDir, 0, nullptr, nullptr});
    if (!image.Load(file)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(image.maximum);
  }
  state.SetBytesProcessed(state.iterations() * kSide * kSide * 2);
}
BENCHMARK(BM_SkarvelFitsLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CfitsioReadImgInt32(benchmark::State& state) {
  const std::string& file = TestFile();
  std::vector<int> pixels(static_cast<std::size_t>(kSide * kSide));
  for (auto _ : state) {
    fitsfile* f = nullptr;
    int status = 0;
    int anynull = 0;
    fits_open_file(&f, file.c_str(), READONLY, &status);
    fits_read_img(f, TINT, 1, kSide * kSide, nullptr, pixels.data(), &anynull, &status);
    fits_close_file(f, &status);
    if (status != 0) state.SkipWithError("cfitsio failed");
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * kSide * kSide * 2);
}
BENCHMARK(BM_CfitsioReadImgInt32)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
