#include "astrometry/report_file.h"

#include <gtest/gtest.h>

#include "config/options.h"
#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

AstromObsObj Report(int observations) {
  AstromObsObj r(UserRecord{"Ann Lee Smith", "Uni", "", "", "U.K.", "a@b.uk", "A. Smith", ""},
                 CameraRecord{"ST-8", 9, 9, 1530, 1020, 254, 2000, 50, false, 1}, DefaultSiteRecord());
  OptionsRecord options;
  options.catalogLocation = 0;
  options.primaryCatalog = kPrimaryUCAC2;
  for (int i = 0; i < observations; ++i) {
    ObsParams p;
    p.objectName = "Eros";
    p.number = "433";
    p.observationTime = *EncodeDateTime(2026, 12, 9, 20 + i % 3, i, 0.0L);
    ReferenceStar t;
    t.kind = kRefTarget;
    t.fitRA = 5.0L + i * 0.01L;
    t.fitDec = 22.0L;
    t.catMag = 12.5L;
    r.AddObservation(p, t, options);
  }
  return r;
}

TEST(ReportFile, CurrentLayoutRoundTripsByteForByte) {
  TempDir dir;
  ScriptedPlatform ui;
  const AstromObsObj report = Report(3);
  const auto bytes = SerializeReport(report);
  ASSERT_EQ(bytes.size(), 1010u + 3 * 343u);
  EXPECT_EQ(bytes[999], 0);  // no primary catalog: false
  EXPECT_EQ(bytes[999 + 7], 1);  // UCAC2
  ASSERT_TRUE(WriteReportFile(dir / "N.RPT", report, ui));
  EXPECT_EQ(testing::ReadAll(dir / "N.RPT"), bytes);
  AstromObsObj loaded(UserRecord{}, CameraRecord{}, SiteRecord{});
  ASSERT_EQ(ReadReportFile(dir / "N.RPT", ReportVersion::kCurrent, true, false, true, loaded, ui),
            ReportReadResult::kLoaded);
  EXPECT_EQ(loaded.user, report.user);
  EXPECT_EQ(loaded.camera, report.camera);
  EXPECT_EQ(loaded.Observations(), report.Observations());
  EXPECT_EQ(SerializeReport(loaded), bytes);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(ReportFile, MergeInterleavesByTimeAndParametersCanStay) {
  TempDir dir;
  ScriptedPlatform ui;
  ASSERT_TRUE(WriteReportFile(dir / "A.RPT", Report(3), ui));
  UserRecord me;
  me.contactName = "Mine";
  AstromObsObj mine(me, CameraRecord{}, SiteRecord{});
  OptionsRecord options;
  ObsParams p;
  p.observationTime = *EncodeDateTime(2026, 12, 9, 21, 30, 0.0L);
  mine.AddObservation(p, ReferenceStar{}, options);
  ASSERT_EQ(ReadReportFile(dir / "A.RPT", ReportVersion::kCurrent, false, true, true, mine, ui),
            ReportReadResult::kLoaded);
  EXPECT_EQ(mine.user.contactName, "Mine");
  ASSERT_EQ(mine.Count(), 4u);
  for (std::size_t i = 1; i < mine.Count(); ++i)
    EXPECT_LE(mine.Observations()[i - 1].params.observationTime, mine.Observations()[i].params.observationTime);
}

TEST(ReportFile, RecordsInAnyOrderLoadSortedStablyByTime) {
  TempDir dir;
  ScriptedPlatform ui;
  // 3000 records in descending time order, each time twice (names tell them apart).
  AstromObsObj written(UserRecord{}, CameraRecord{}, SiteRecord{});
  for (int i = 2999; i >= 0; --i) {
    ObservationRecord r;
    r.params.observationTime = 2461000.5 + (i / 2) * 0.001;
    r.params.objectName = "N" + std::to_string(i);
    written.Observations().push_back(r);
  }
  ASSERT_TRUE(WriteReportFile(dir / "DESC.RPT", written, ui));
  // Merged into a report that already holds a record at the time of the pair 5/4.
  AstromObsObj report(UserRecord{}, CameraRecord{}, SiteRecord{});
  ObservationRecord mine;
  mine.params.observationTime = 2461000.5 + 2 * 0.001;
  mine.params.objectName = "MINE";
  report.Observations().push_back(mine);
  ASSERT_EQ(ReadReportFile(dir / "DESC.RPT", ReportVersion::kCurrent, false, true, true, report, ui),
            ReportReadResult::kLoaded);
  const auto& list = report.Observations();
  ASSERT_EQ(list.size(), 3001u);
  // Ascending; equal times keep the report's record first, then the file's order.
  EXPECT_EQ(list[0].params.objectName, "N1");
  EXPECT_EQ(list[1].params.objectName, "N0");
  EXPECT_EQ(list[4].params.objectName, "MINE");
  EXPECT_EQ(list[5].params.objectName, "N5");
  EXPECT_EQ(list[6].params.objectName, "N4");
  EXPECT_EQ(list.back().params.objectName, "N2998");
  for (std::size_t i = 1; i < list.size(); ++i)
    ASSERT_LE(list[i - 1].params.observationTime, list[i].params.observationTime) << i;
}

TEST(ReportFile, OlderLayouts) {
  TempDir dir;
  ScriptedPlatform ui;
  // Version 1.0: ten flags, records from offset 1009.
  auto v1 = SerializeReport(Report(2));
  v1.erase(v1.begin() + 1009);
  testing::WriteAll(dir / "V1.RPT", v1);
  AstromObsObj a(UserRecord{}, CameraRecord{}, SiteRecord{});
  ASSERT_EQ(ReadReportFile(dir / "V1.RPT", ReportVersion::kVersion1, true, false, true, a, ui),
            ReportReadResult::kLoaded);
  EXPECT_EQ(a.Count(), 2u);
  EXPECT_TRUE(a.catalogs.ucac2);
  // Before 1.0: shorter blocks and 339-byte records.
  ByteWriter out;
  for (const char* t : {"Old Name", "", "", "", "U.S.A.", "o@x"}) out.Text(t, 40);
  out.Text("Obs", 245);
  out.Text("", 245);
  out.Text("Cam", 40);
  for (int i = 0; i < 2; ++i) out.F32(9.0f);
  out.I32(765);
  out.I32(510);
  out.F32(200.0f);
  out.F32(1000.0f);
  out.Bool(false);
  out.U8(2);
  out.Text("Site", 40);
  out.Text("695", 3);
  out.Text("Scope", 40);
  for (int i = 0; i < 6; ++i) out.Text("1", 10);
  out.Bool(true);
  out.Bool(true);
  for (int i = 0; i < 4; ++i) out.F32(1.0f);
  ASSERT_EQ(out.Size(), 975u);
  for (int i = 0; i < 9; ++i) out.Bool(i == 1);
  out.Text("Eros", 68);
  out.Text("Me", 68);
  out.Text("J98S00S", 7);
  out.Text("00433", 5);
  out.F64(*EncodeDateTime(1999, 1, 1, 0, 0, 0.0L));
  out.U8(1);
  out.U8(0);
  WriteReferenceStar(out, ReferenceStar{});
  ASSERT_EQ(out.Size(), 984u + 339u);
  testing::WriteAll(dir / "OLD.RPT", out.Buffer());
  AstromObsObj b(UserRecord{}, CameraRecord{}, SiteRecord{});
  ASSERT_EQ(ReadReportFile(dir / "OLD.RPT", ReportVersion::kBefore1, true, false, false, b, ui),
            ReportReadResult::kLoaded);
  ASSERT_EQ(b.Count(), 1u);
  const ObsParams& p = b.Observations()[0].params;
  EXPECT_EQ(p.designation, "J98S0000S");
  EXPECT_EQ(p.number, "0000433");
  EXPECT_EQ(p.note, kNoteDiscovery);
  EXPECT_EQ(b.user.contactName, "Old Name");
  EXPECT_EQ(b.camera.timingErrorMs, 0);
  EXPECT_EQ(b.site.telescopeId, ' ');
  EXPECT_TRUE(b.catalogs.gsc);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Verify User, Camera and Site information before generating report.");
  EXPECT_EQ(ui.Messages()[0].caption, "Old/Incomplete Data Loaded");
}

TEST(ReportFile, TruncatedAndMissingFiles) {
  TempDir dir;
  ScriptedPlatform ui;
  auto bytes = SerializeReport(Report(3));
  bytes.resize(1010 + 343 + 100);  // the second record is cut
  testing::WriteAll(dir / "CUT.RPT", bytes);
  AstromObsObj r(UserRecord{}, CameraRecord{}, SiteRecord{});
  EXPECT_EQ(ReadReportFile(dir / "CUT.RPT", ReportVersion::kCurrent, true, false, true, r, ui),
            ReportReadResult::kReadFailed);
  EXPECT_EQ(r.Count(), 1u);  // what was read stays
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Error Loading File!");
  EXPECT_NE(ui.Messages()[0].text.find("Try \"Load Old Report Data\"."), std::string::npos);
  EXPECT_EQ(ReadReportFile(dir / "NONE.RPT", ReportVersion::kCurrent, true, false, true, r, ui),
            ReportReadResult::kOpenFailed);
  EXPECT_EQ(ui.Messages().back().text,
            "Unable to Open Report Data File!\r\n\r\nFile Name: " + dir / "NONE.RPT" + "\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages().back().caption, "Data File Error!");
  // A save into a missing folder refuses and leaves nothing.
  EXPECT_FALSE(WriteReportFile(dir / "no/such/N.RPT", Report(1), ui));
  EXPECT_EQ(ui.Messages().back().caption, "Data File Error!");
  // A save over an existing file replaces it whole.
  ASSERT_TRUE(WriteReportFile(dir / "CUT.RPT", Report(2), ui));
  EXPECT_EQ(testing::ReadAll(dir / "CUT.RPT").size(), 1010u + 2 * 343u);
}

}  // namespace
}  // namespace skarvel
