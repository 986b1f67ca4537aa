// Reading a VizieR Gaia DR3 answer of 20,000 stars and taking the stars of a
// field's search window at the observation time (target: under 30 ms for
// both together), and the same for the USNO-style "|" table.
//
// The answer is synthetic: 20,000 rows spread over a 0.8 x 0.8 degree box
// about RA 140.83 deg, Dec -8.41 deg, in VizieR's tab-separated layout
// (comment block, names, units, dashes); the field is 26' (a 39' window).
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "catalogs/online_answer.h"

namespace skarvel {
namespace {

constexpr int kStars = 20000;
constexpr double kCentreRA = 140.83425, kCentreDec = -8.411542;

FieldParameters Field() {
  FieldParameters p;
  p.centreRA = kCentreRA / 15;
  p.centreDec = kCentreDec;
  p.size = 26;
  p.limitMag = 20;
  DeriveSearchWindow(p);
  return p;
}

std::string VizieRAnswer() {
  std::mt19937 random(42);
  std::uniform_real_distribution<double> offset(-0.4, 0.4), pm(-50, 50), mag(8, 20);
  std::string t =
      "#\n#   VizieR Astronomical Server\n#RESOURCE=yCat_1355\n#Name: I/355\n\n"
      "Source\tRA_ICRS\tDE_ICRS\tpmRA\tpmDE\tGmag\n\tdeg\tdeg\tmas/yr\tmas/yr\tmag\n"
      "-------------------\t---------------\t---------------\t---------\t---------\t---------\n";
  char row[200];
  for (int i = 0; i < kStars; ++i) {
    std::snprintf(row, sizeof row, "%lld\t%.11f\t%.11f\t%9.3f\t%9.3f\t%9.6f\n", 5741234567890000000LL + i,
                  kCentreRA + offset(random), kCentreDec + offset(random), pm(random), pm(random), mag(random));
    t += row;
  }
  return t;
}

std::string USNOAnswer() {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> offset(-0.4, 0.4), pm(-50, 50), mag(8, 20);
  std::string t = "#USNO\n#END\n            id|        RA|       DEC|  MuRA| MuDEC|    B|    V|    R|    J|    H|    K|\n"
                  "#  hh.hhh/dd.ddd\n";
  char row[200];
  for (int i = 0; i < kStars; ++i) {
    std::snprintf(row, sizeof row, "  0815-%07d|%10.6f|%10.6f|%6.1f|%6.1f|%5.2f|%5.2f|%5.2f|%5.2f|%5.2f|%5.2f|\n", i,
                  (kCentreRA + offset(random)) / 15, kCentreDec + offset(random), pm(random), pm(random), mag(random),
                  mag(random), mag(random), mag(random), mag(random), mag(random));
    t += row;
  }
  return t;
}

void BM_VizieRAnswerReadAndFiltered(benchmark::State& state) {
  const std::string text = VizieRAnswer();
  const FieldParameters field = Field();
  std::size_t kept = 0;
  for (auto _ : state) {
    const AnswerResult r = ReadVizieRAnswer(text, OnlineCatalogOf(kWebGaiaDR3), 0, true);
    const auto stars = ReadAnswerField(r.answer, field.window, 2458604.5L);
    kept = stars.size();
    benchmark::DoNotOptimize(stars.data());
  }
  state.counters["stars_in_window"] = static_cast<double>(kept);
}
BENCHMARK(BM_VizieRAnswerReadAndFiltered)->Unit(benchmark::kMillisecond);

void BM_USNOAnswerReadAndFiltered(benchmark::State& state) {
  const std::string text = USNOAnswer();
  const FieldParameters field = Field();
  std::size_t kept = 0;
  for (auto _ : state) {
    const AnswerResult r = ReadUSNOAnswer(text, OnlineCatalogOf(kWebNOMAD), 2, true);
    const auto stars = ReadAnswerField(r.answer, field.window, 2458604.5L);
    kept = stars.size();
    benchmark::DoNotOptimize(stars.data());
  }
  state.counters["stars_in_window"] = static_cast<double>(kept);
}
BENCHMARK(BM_USNOAnswerReadAndFiltered)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skarvel
