// The ephemeris report window's and the search results window's lists:
// where the table lines are, the default file names, the "&Chart" command,
// the sort items and the double click.
#include "orbits/orbit_lists.h"

#include <gtest/gtest.h>

#include <fstream>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "orbits/kepler.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_records.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

/// A main-belt orbit (Ceres-like), elements of J2000.
CurrentElements MainBelt() {
  OrbitElements el;
  SetAsteroidDefaults(el);
  el.name = "Ceres";
  el.designation = "1";
  el.a = 2.7675L * kAstronomicalUnitKm;
  el.e = 0.0758L;
  el.i = 10.59L * kRadiansPerDegree;
  el.node = 80.3L * kRadiansPerDegree;
  el.peri = 73.6L * kRadiansPerDegree;
  el.M = 120 * kRadiansPerDegree;
  el.epoch = 2461000.5L;
  el.H = 3.34L;
  el.G = 0.12L;
  QFromA(el);
  MeanMotion(el);
  TFromM(el);
  CurrentElements current;
  OrbitCodes codes{};
  codes[1] = 2;  // Lowell code 2 bit 2: "Eccentricity assumed." (a note line after the table)
  current.Set(el, codes, ElementSource::kLowell, 46000);
  return current;
}

struct Lists : ::testing::Test {
  ScriptedPlatform ui;
  TempDir dir;
  CurrentElements current = MainBelt();
  EphemerisParams params = DefaultEphemerisParams(46000);
  RecordList<EphemerisRecord> table;
  EphemerisList list;

  void Generate(int points) {
    params.points = points;
    ASSERT_TRUE(GenerateEphemeris(current.elements, DefaultSiteRecord(), params, table));
    list.Build(EphemerisReport(current, DefaultSiteRecord(), params, table), dir.Path());
  }
};

TEST_F(Lists, EphemerisTableLinesAreFoundBetweenHeaderAndNotes) {
  Generate(4);
  const auto& lines = list.Lines();
  ASSERT_GT(lines.size(), list.FirstTableLine() + 4);
  EXPECT_EQ(lines[list.FirstTableLine() - 1].substr(0, 9), "Yr   M  D");
  EXPECT_EQ(list.TableLines(), 4U);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(list.RecordAtLine(static_cast<int>(list.FirstTableLine() + k)), k);
    EXPECT_EQ(lines[list.FirstTableLine() + k], EphemerisTableLine(*table.GetAt(static_cast<std::int32_t>(k))));
  }
  EXPECT_EQ(list.RecordAtLine(0), std::nullopt);  // "Body: ..."
  EXPECT_EQ(list.RecordAtLine(static_cast<int>(list.FirstTableLine() - 1)), std::nullopt);
  EXPECT_EQ(list.RecordAtLine(static_cast<int>(list.FirstTableLine() + 4)), std::nullopt);  // the notes' blank line
  EXPECT_EQ(list.RecordAtLine(-1), std::nullopt);
  EXPECT_EQ(list.RecordAtLine(static_cast<int>(lines.size())), std::nullopt);
  EXPECT_EQ(list.Title(), "VORN Ephemeris Report");
  list.Select(static_cast<int>(list.FirstTableLine() + 2));
  EXPECT_EQ(list.SelectedRecord(), 2U);
}

TEST_F(Lists, EphemerisDefaultFileNameIsTheLowestFreeNumber) {
  Generate(1);
  EXPECT_EQ(list.TextFileName(), "EPHEM001.TXT");
  EXPECT_EQ(list.TextDir(), dir.Path());
  std::ofstream(dir / "EPHEM001.TXT") << "x\n";
  std::ofstream(dir / "EPHEM002.TXT") << "x\n";
  Generate(1);
  EXPECT_EQ(list.TextFileName(), "EPHEM003.TXT");
}

TEST_F(Lists, ChartCommandOfTheEphemerisWindow) {
  Generate(2);
  ASSERT_TRUE(list.Menu().Available("Plot1"));
  EXPECT_EQ(list.Menu().At("Plot1").caption, "&Chart");
  int charts = 0;
  list.onChart = [&] { ++charts; };
  ScriptedPlatform quiet;
  struct NoDialogs : ListDialogs {
    SearchStart AskSearch(const std::string&, SearchDialogState&) override { return SearchStart::Cancelled; }
    std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }
  } dialogs;
  SearchDialogState search;
  ListCommandContext context{quiet, dialogs, search, dir.Path()};
  EXPECT_TRUE(list.Run("Plot1", context));
  EXPECT_EQ(charts, 1);
}

TEST_F(Lists, ResultsSortItemsAndDoubleClick) {
  TAstOrbFlSrch search(SearchContext{ui, DefaultSiteRecord(), false});
  SearchResultsList results(search);
  const char* captions[] = {"By Data&base Entry", "By Position &Offset", "By &Magnitude", "By &Distance",
                            "By &Right Ascension"};
  for (int k = 1; k <= 5; ++k) {
    const ListMenuItem& item = results.Menu().At("Sort" + std::to_string(k));
    EXPECT_EQ(item.caption, captions[k - 1]);
    EXPECT_TRUE(item.visible);
  }
  EXPECT_FALSE(results.Menu().At("Sort6").visible);
  EXPECT_EQ(results.CheckedSort(), 1);
  EXPECT_EQ(results.Title(), "Results of Asteroid Database Search");
  // Three results, appended out of magnitude order.
  for (int k = 0; k < 3; ++k) {
    SearchResult r;
    r.name = "Body" + std::to_string(k);
    r.designation = std::to_string(k + 1);
    r.recordNumber = k + 1;
    r.mag = static_cast<float>(18 - 2 * k);
    r.delta = static_cast<float>(1 + k);
    r.ra = 5 - k;
    search.Results().Append(r);
  }
  EXPECT_FALSE(results.Built());
  results.Rebuild(dir.Path());
  EXPECT_TRUE(results.Built());
  EXPECT_EQ(results.TextFileName(), "SRCH001.TXT");
  const auto has = [&](const std::string& text) {
    for (const auto& l : results.Lines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has("    Order of List: Database Entry"));
  struct NoDialogs : ListDialogs {
    SearchStart AskSearch(const std::string&, SearchDialogState&) override { return SearchStart::Cancelled; }
    std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }
  } dialogs;
  SearchDialogState state;
  ListCommandContext context{ui, dialogs, state, dir.Path()};
  ASSERT_TRUE(results.Run("Sort3", context));
  EXPECT_EQ(search.Order(), SearchSortOrder::kMagnitude);
  EXPECT_EQ(results.CheckedSort(), 3);
  EXPECT_TRUE(has("    Order of List: Apparent Magnitude"));
  const std::size_t first = search.FirstResultLine();
  EXPECT_EQ(results.Lines()[first].substr(0, 9), "(3) Body2");
  EXPECT_EQ(results.Lines()[first + 2].substr(0, 9), "(1) Body0");
  ASSERT_TRUE(results.Run("Sort5", context));
  EXPECT_TRUE(has("    Order of List: Right Ascension"));
  EXPECT_EQ(results.Lines()[first].substr(0, 9), "(3) Body2");
  ASSERT_TRUE(results.Run("Sort1", context));
  EXPECT_EQ(results.Lines()[first].substr(0, 9), "(1) Body0");
  std::vector<int> clicked;
  results.onLoad = [&](int line) { clicked.push_back(line); };
  static_cast<InfoList&>(results).DoubleClick(static_cast<int>(first + 1), context);
  EXPECT_EQ(clicked, std::vector<int>{static_cast<int>(first + 1)});
  search.Results().Clear();
}

}  // namespace
}  // namespace skarvel
