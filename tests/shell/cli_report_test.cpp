#include <gtest/gtest.h>

#include <sstream>

#include "astrometry/report_file.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "shell/cli/cli.h"
#include "support/ades_check.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

TEST(CliReport, PrintsTheFormsOfAReportFile) {
  testing::TempDir dir;
  testing::ScriptedPlatform ui;
  UserRecord user;
  user.contactName = "Ann Smith";
  user.observers = "Ann Smith";
  AstromObsObj report(user, CameraRecord{}, DefaultSiteRecord());
  OptionsRecord options;
  ObsParams p;
  p.objectName = "Eros";
  p.number = "433";
  p.observationTime = *EncodeDateTime(2010, 1, 5, 6, 0, 0.0L);
  ReferenceStar t;
  t.fitRA = 5.5L;
  t.fitDec = 22.25L;
  report.AddObservation(p, t, options);
  ASSERT_TRUE(WriteReportFile(dir / "N1.RPT", report, ui));
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(cli::Main({"report", dir / "N1.RPT", "--form", "short"}, out, err), 0) << err.str();
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("COD 695\n", 0), 0u);
  EXPECT_NE(text.find("\nOBS A. Smith\n"), std::string::npos);
  EXPECT_NE(text.find("\n00433         C2010 01 05.25000 05 30 00.00 +22 15 00.0"), std::string::npos);
  std::ostringstream csv;
  ASSERT_EQ(cli::Main({"report", dir / "N1.RPT", "--form=csv"}, csv, err), 0);
  EXPECT_NE(csv.str().find("Eros,01/05/2010,6:00:00,"), std::string::npos);
  std::ostringstream split;
  ASSERT_EQ(cli::Main({"report", dir / "N1.RPT", "--form", "long", "--layout", "split"}, split, err), 0);
  EXPECT_NE(split.str().find("    Observatory Code: 0695\n"), std::string::npos);
  EXPECT_NE(split.str().find("\nCNT 1\n"), std::string::npos);
  std::ostringstream o2, e2;
  EXPECT_EQ(cli::Main({"report", dir / "N1.RPT"}, o2, e2), 2);
  EXPECT_EQ(cli::Main({"report", dir / "MISSING.RPT", "--form", "short"}, o2, e2), 1);
  EXPECT_NE(e2.str().find("Unable to Open Report Data File!"), std::string::npos);
}

TEST(CliReport, PrintsTheAdesFormsThatValidate) {
  testing::TempDir dir;
  testing::ScriptedPlatform ui;
  UserRecord user;
  user.contactName = "Ann Smith";
  CameraRecord camera;
  camera.apertureMm = 300.0f;
  camera.timingErrorMs = 100;
  AstromObsObj report(user, camera, DefaultSiteRecord());
  ObsParams p;
  p.number = "433";
  p.observationTime = *EncodeDateTime(2010, 1, 5, 6, 0, 0.0L);
  ReferenceStar t;
  t.fitRA = 5.5L;
  t.fitDec = 22.25L;
  t.resRA = t.resDec = 0.3L;
  report.AddObservation(p, t, OptionsRecord{});
  ASSERT_TRUE(WriteReportFile(dir / "N1.RPT", report, ui));
  std::ostringstream xml, psv, err;
  ASSERT_EQ(cli::Main({"report", dir / "N1.RPT", "--form", "ades-xml"}, xml, err), 0) << err.str();
  EXPECT_NE(xml.str().find("<optical><permID>433</permID><mode>CCD</mode><stn>695</stn>"
                           "<obsTime>2010-01-05T06:00:00.000Z</obsTime><ra>82.500000</ra><dec>+22.250000</dec>"),
            std::string::npos)
      << xml.str();
  const auto valid = testing::ValidateAdesXml(xml.str(), dir / "N1.xml");
  EXPECT_TRUE(valid.valid) << valid.output;
  ASSERT_EQ(cli::Main({"report", dir / "N1.RPT", "--form=ades-psv"}, psv, err), 0);
  EXPECT_EQ(psv.str().rfind("# version=2022\n# observatory\n! mpcCode 695\n", 0), 0u);
  std::ostringstream o2, e2;
  EXPECT_EQ(cli::Main({"report", dir / "N1.RPT", "--form", "ades"}, o2, e2), 2);
}

}  // namespace
}  // namespace skarvel
