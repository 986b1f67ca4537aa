// The report's catalog flags, "NET" line, band letter and catalog codes for
// the on-line catalogs, and their place in the report data file.
#include <gtest/gtest.h>

#include "astrometry/report_file.h"
#include "astrometry/report_formats.h"
#include "catalogs/catalog_star.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

void Add(AstromObsObj& report, const OptionsRecord& options, int minute, std::uint8_t band) {
  ObsParams p;
  p.objectName = "Eros";
  p.number = "433";
  p.observationTime = *EncodeDateTime(2026, 12, 9, 21, minute, 0.0L);
  ReferenceStar t;
  t.kind = kRefTarget;
  t.fitRA = 9.38L;
  t.fitDec = -8.41L;
  t.catMag = 11.94L;
  t.band = band;
  report.AddObservation(p, t, options);
}

std::string LineStarting(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& l : lines)
    if (l.rfind(start, 0) == 0) return l;
  return "";
}

TEST(ReportCatalog, GaiaAndUCAC4NameTheNetLineAndTheirCodes) {
  AstromObsObj report(UserRecord{}, CameraRecord{}, DefaultSiteRecord());
  OptionsRecord local;
  local.catalogLocation = kCatalogLocal;
  local.primaryCatalog = kPrimaryGSC;
  Add(report, local, 0, kBandNone);
  EXPECT_EQ(ReportCatalogOf(report.catalogs).mpcCode, 'i');
  EXPECT_EQ(ReportCatalogOf(report.catalogs).astCat, "GSC1.1");
  OptionsRecord web;  // a new installation's choice: Gaia DR3 on-line
  Add(report, web, 1, kBandG);
  EXPECT_TRUE(report.catalogs.gaiaDR3);
  EXPECT_TRUE(report.catalogs.gsc);  // the local flags keep what they hold
  EXPECT_EQ(ReportCatalogOf(report.catalogs).mpcCode, 'W');
  EXPECT_EQ(ReportCatalogOf(report.catalogs).astCat, "Gaia3");
  const ReportText text = BuildReport(report, true, "R.RPT", true, "2026/12/09 23:00:00", nullptr);
  EXPECT_EQ(LineStarting(text.lines, "NET"), "NET Gaia-DR3");
  // Column 71 carries the band of the measured magnitude: G.
  const auto lines = ObservationLines80(report.Observations()[1], report.site);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].substr(65, 6), "11.9 G");
  web.webCatalog = kWebUCAC4;
  Add(report, web, 2, kBandV);
  EXPECT_FALSE(report.catalogs.gaiaDR3);
  EXPECT_EQ(LineStarting(BuildReport(report, true, "R.RPT", true, "x", nullptr).lines, "NET"), "NET UCAC-4");
  EXPECT_EQ(ReportCatalogOf(report.catalogs).mpcCode, 'q');
  EXPECT_EQ(ReportCatalogOf(report.catalogs).astCat, "UCAC4");
  // A local observation afterwards: the VizieR-only flags go, the GSC names the line.
  Add(report, local, 3, kBandNone);
  EXPECT_FALSE(report.catalogs.ucac4);
  EXPECT_EQ(LineStarting(BuildReport(report, true, "R.RPT", true, "x", nullptr).lines, "NET"), "NET GSC-1.1");
  // The Part's on-line catalogs keep their names; nothing recorded is unknown.
  web.webCatalog = kWebUSNOB1;
  AstromObsObj other(UserRecord{}, CameraRecord{}, DefaultSiteRecord());
  Add(other, web, 0, kBandR);
  EXPECT_EQ(LineStarting(BuildReport(other, true, "R.RPT", true, "x", nullptr).lines, "NET"), "NET USNO-B1.0");
  EXPECT_EQ(ReportCatalogOf(other.catalogs).astCat, "USNOB1");
  EXPECT_EQ(ReportCatalogOf(CatalogsUsed{}).mpcCode, ' ');
  EXPECT_EQ(ReportCatalogOf(CatalogsUsed{}).astCat, "");
}

TEST(ReportCatalog, DataFileKeepsThemInTheUSNOA1Byte) {
  TempDir dir;
  ScriptedPlatform ui;
  for (const auto& [choice, value] : {std::pair{kWebGaiaDR3, 2}, std::pair{kWebUCAC4, 3}, std::pair{kWebNOMAD, 0}}) {
    AstromObsObj report(UserRecord{}, CameraRecord{}, DefaultSiteRecord());
    OptionsRecord web;
    web.webCatalog = choice;
    Add(report, web, 0, kBandG);
    const auto bytes = SerializeReport(report);
    ASSERT_EQ(bytes.size(), 1010u + 343u);
    EXPECT_EQ(bytes[999 + 3], value);                      // the USNO-A1.0 byte
    EXPECT_EQ(bytes[999 + 10], choice == kWebNOMAD ? 1 : 0);  // the NOMAD byte
    ASSERT_TRUE(WriteReportFile(dir / "G.RPT", report, ui));
    AstromObsObj loaded(UserRecord{}, CameraRecord{}, SiteRecord{});
    ASSERT_EQ(ReadReportFile(dir / "G.RPT", ReportVersion::kCurrent, true, false, true, loaded, ui),
              ReportReadResult::kLoaded);
    EXPECT_EQ(loaded.catalogs, report.catalogs);
    EXPECT_FALSE(loaded.catalogs.usnoA1);
    EXPECT_EQ(SerializeReport(loaded), bytes);
  }
  // An old file's USNO-A1.0 flag still reads as USNO-A1.0.
  AstromObsObj report(UserRecord{}, CameraRecord{}, DefaultSiteRecord());
  report.catalogs.usnoA1 = true;
  auto bytes = SerializeReport(report);
  EXPECT_EQ(bytes[999 + 3], 1);
  ASSERT_TRUE(WriteReportFile(dir / "A1.RPT", report, ui));
  AstromObsObj loaded(UserRecord{}, CameraRecord{}, SiteRecord{});
  ASSERT_EQ(ReadReportFile(dir / "A1.RPT", ReportVersion::kCurrent, true, false, true, loaded, ui),
            ReportReadResult::kLoaded);
  EXPECT_TRUE(loaded.catalogs.usnoA1);
  EXPECT_FALSE(loaded.catalogs.gaiaDR3);
}

}  // namespace
}  // namespace skarvel
