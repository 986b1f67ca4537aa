// The ADES forms of the report: field rules, the exact PSV and XML of a small
// report, validation of every file against the submission schema (xmllint),
// the PSV converted to XML by the standard's rules, real MPC observations, and
// the PSV read back.
#include "astrometry/ades_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogs/catalog_star.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "foundations/text_encoding.h"
#include "support/ades_check.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::AdesValidation;
using testing::ReadPsv;
using testing::ValidateAdesXml;

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += Latin1ToUtf8(l) + "\n";
  return s;
}

/// A report of three observations from Kitt Peak with a known camera.
AstromObsObj SmallReport() {
  UserRecord user;
  user.contactName = "ann smith";
  user.institution = "Lab & Co <North>";
  user.observers = "ann smith, bo j\xF8rgensen";  // Latin-1 o-slash
  user.measurers = "ann smith";
  CameraRecord camera;
  camera.apertureMm = 250.0f;
  camera.focalLengthMm = 925.0f;
  camera.pixelWidthUm = 9.0f;
  camera.imageWidth = 768;
  camera.imageHeight = 512;
  camera.timingErrorMs = 500;
  SiteRecord site = DefaultSiteRecord();
  site.code = "695";
  site.name = "Kitt Peak";
  site.telescope = "0.25-m f/3.7 reflector";
  AstromObsObj report(user, camera, site);
  OptionsRecord options;
  options.catalogLocation = 0;  // the GSC
  ObsParams p;
  p.objectName = "433 Eros";
  p.number = "433";
  p.designation = "A898PA";  // no packed form: number only
  p.observationTime = *EncodeDateTime(2019, 5, 1, 3, 45, 30.04L);
  ReferenceStar t;
  t.fitRA = 13.0L + 25.0L / 60;  // 201.25 degrees
  t.fitDec = -12.5L;
  t.resRA = 0.25L;
  t.resDec = 0.22L;
  t.catMag = 12.04L;
  t.magRes = 0.03L;
  t.band = 2;
  report.AddObservation(p, t, options);
  p = {};
  p.objectName = "2019 JA";
  p.designation = "K19J00A";
  p.note = kNoteDiscovery;
  p.observationTime = *EncodeDateTime(2019, 5, 1, 4, 15, 59.96L);  // kept to the millisecond, not rounded into the next minute
  t = {};
  t.fitRA = 23.99999999L;  // rounds to 360 degrees: written as 0
  t.fitDec = 0.0000001L;
  t.resRA = 1.5L;
  t.resDec = 1.5L;
  report.AddObservation(p, t, options);
  p = {};
  p.objectName = "my object #1";
  p.observationTime = *EncodeDateTime(2019, 5, 1, 4, 45, 0.0L);
  t = {};
  t.fitRA = 1.0L;
  t.fitDec = 45.0L;
  report.AddObservation(p, t, options);
  return report;
}

TEST(AdesFields, TimeDecimalsFollowTheTimingError) {
  for (const auto& [ms, decimals] : std::vector<std::pair<int, int>>{
           {0, 0}, {-5, 0}, {1000, 0}, {5000, 0}, {999, 1}, {500, 1}, {100, 1}, {99, 2}, {10, 2}, {1, 3}})
    EXPECT_EQ(AdesTimeDecimals(ms), decimals) << ms;
  // The unit never exceeds 1 microsecond.
  EXPECT_EQ(AdesTimeDecimals(1), 3);
}

TEST(AdesFields, ObsTimeRoundsAndCarriesIntoTheDate) {
  EXPECT_EQ(AdesObsTime(*EncodeDateTime(2019, 5, 1, 3, 45, 30.04L), 1), "2019-05-01T03:45:30.0Z");
  EXPECT_EQ(AdesObsTime(*EncodeDateTime(2019, 5, 1, 3, 45, 30.06L), 1), "2019-05-01T03:45:30.1Z");
  EXPECT_EQ(AdesObsTime(*EncodeDateTime(2019, 5, 1, 3, 45, 30.25L), 0), "2019-05-01T03:45:30Z");
  EXPECT_EQ(AdesObsTime(*EncodeDateTime(2019, 12, 31, 23, 59, 59.97L), 1), "2020-01-01T00:00:00.0Z");
  EXPECT_EQ(AdesObsTime(*EncodeDateTime(2000, 2, 29, 12, 0, 1.000123L), 6), "2000-02-29T12:00:01.000123Z");
  EXPECT_EQ(AdesObsTime(*EncodeDateTime(2000, 2, 29, 12, 0, 1.5L), 9), "2000-02-29T12:00:01.500000Z");
}

TEST(AdesFields, AngleDecimalsFromTheUncertainty) {
  // ceil(1 - log10 sigma): 0.036" to 0.36" give 6 decimals of a degree.
  EXPECT_EQ(AdesAngleDecimals(0.359L / 3600), 6);
  EXPECT_EQ(AdesAngleDecimals(0.36L / 3600), 5);  // 1e-4 degrees exactly
  EXPECT_EQ(AdesAngleDecimals(0.037L / 3600), 6);
  EXPECT_EQ(AdesAngleDecimals(0.035L / 3600), 7);
  EXPECT_EQ(AdesAngleDecimals(0.37L / 3600), 5);
  EXPECT_EQ(AdesAngleDecimals(10.0L), 1);
  EXPECT_EQ(AdesAngleDecimals(1e-12L), 9);
  EXPECT_EQ(AdesAngleDecimals(0), 6);
}

TEST(AdesFields, RmsWithTwoSignificantFigures) {
  EXPECT_EQ(AdesRms(0.25L), "0.25");
  EXPECT_EQ(AdesRms(1.234L), "1.2");
  EXPECT_EQ(AdesRms(12.3L), "12");
  EXPECT_EQ(AdesRms(0.0123L), "0.012");
  EXPECT_EQ(AdesRms(0.96L), "1.0");
  EXPECT_EQ(AdesRms(9.96L), "10");
  EXPECT_EQ(AdesRms(0.00001L), "0.0010");
  EXPECT_EQ(AdesRms(123456.0L), "9999");
  EXPECT_EQ(AdesRms(0), "");
  EXPECT_EQ(AdesRms(-1), "");
}

TEST(AdesFields, NamesCatalogsAndBands) {
  EXPECT_EQ(AdesNames("john quincy public, ann smith"), (std::vector<std::string>{"J. Q. Public", "A. Smith"}));
  EXPECT_TRUE(AdesNames("  ").empty());
  CatalogsUsed c;
  EXPECT_EQ(AdesCatalogCode(c), "UNK");
  c.ucac3 = true;
  EXPECT_EQ(AdesCatalogCode(c), "UCAC3");
  c.ucac2 = true;
  EXPECT_EQ(AdesCatalogCode(c), "UCAC2");
  c.nomad = true;
  EXPECT_EQ(AdesCatalogCode(c), "NOMAD");
  c.usnoB1 = true;
  EXPECT_EQ(AdesCatalogCode(c), "USNOB1");
  c.usnoA2 = true;
  EXPECT_EQ(AdesCatalogCode(c), "USNOA2");
  c.gsc = true;
  EXPECT_EQ(AdesCatalogCode(c), "GSC1.1");
  c.gscOnACT = true;
  EXPECT_EQ(AdesCatalogCode(c), "GSCACT");
  c.ucac4 = true;
  EXPECT_EQ(AdesCatalogCode(c), "UCAC4");
  c.gaiaDR3 = true;
  EXPECT_EQ(AdesCatalogCode(c), "Gaia3");
  EXPECT_EQ(AdesBand(kBandG), "G");
  const std::string letters = "BVRIJHK";
  for (std::uint8_t f = 0; f < 7; ++f) EXPECT_EQ(AdesBand(f), std::string(1, letters[f]));
  EXPECT_EQ(AdesBand(7), "");  // no known band: the magnitude is left out
  EXPECT_EQ(AdesBand(8), "");
}

TEST(AdesReportForms, ExactPsvOfASmallReport) {
  const AstromObsObj report = SmallReport();
  const auto lines = AdesPsvLines(MakeAdesReport(report));
  const std::vector<std::string> expected{
      "# version=2022",
      "# observatory",
      "! mpcCode 695",
      "! name Kitt Peak",
      "# submitter",
      "! name A. Smith",
      "! institution Lab & Co <North>",
      "# observers",
      "! name A. Smith",
      "! name B. J\xF8rgensen",
      "# measurers",
      "! name A. Smith",
      "# telescope",
      "! name 0.25-m f/3.7 reflector",
      "! design Reflector",
      "! aperture 0.25",
      "! detector CCD",
      "! fRatio 3.7",
      "! arraySize 768x512",
      "! pixelScale 2.01",
      "permID|provID |trkSub |mode|stn|obsTime                 |ra        |dec       |rmsRA|rmsDec|astCat|mag  |"
      "rmsMag|band|disc",
      "433   |       |       |CCD |695|2019-05-01T03:45:30.040Z|201.250000|-12.500000|0.25 |0.22  |GSC1.1|12.04|"
      "0.030 |R   |",
      // 23.99999999 h rounds to 360 degrees at 5 decimals (1.5" errors): written as 0.
      "      |2019 JA|       |CCD |695|2019-05-01T04:15:59.960Z|0.00000   |+0.00000  |1.5  |1.5   |GSC1.1|     |"
      "      |    |*",
      "      |       |myobjec|CCD |695|2019-05-01T04:45:00.000Z|15.000000 |+45.000000|     |      |GSC1.1|     |"
      "      |    |",
  };
  EXPECT_EQ(lines, expected);
}

TEST(AdesReportForms, ExactXmlOfTheFirstObservationAndTheEscapedContext) {
  const AdesReport ades = MakeAdesReport(SmallReport());
  const auto lines = AdesXmlLines(ades);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  EXPECT_EQ(lines[1], "<ades version=\"2022\">");
  const std::string text = Joined(lines);
  EXPECT_NE(text.find("        <institution>Lab &amp; Co &lt;North&gt;</institution>\n"), std::string::npos);
  EXPECT_NE(text.find("<name>B. J\xC3\xB8rgensen</name>"), std::string::npos);  // UTF-8 once joined
  EXPECT_NE(text.find("      <optical><permID>433</permID><mode>CCD</mode><stn>695</stn>"
                      "<obsTime>2019-05-01T03:45:30.040Z</obsTime><ra>201.250000</ra><dec>-12.500000</dec>"
                      "<rmsRA>0.25</rmsRA><rmsDec>0.22</rmsDec><astCat>GSC1.1</astCat><mag>12.04</mag>"
                      "<rmsMag>0.030</rmsMag><band>R</band></optical>\n"),
            std::string::npos);
  EXPECT_EQ(lines.back(), "</ades>");
  const ReportText window = BuildAdesReport(SmallReport(), true, "N1.RPT", false);
  EXPECT_EQ(window.title, "Formatted Astrometric Results - N1.RPT (Modified)");
  EXPECT_EQ(window.linesPerObservation, 1);
  EXPECT_EQ(window.lines[static_cast<std::size_t>(window.headerLines)].rfind("      <optical><permID>433<", 0), 0u);
  EXPECT_EQ(window.lines.size() - static_cast<std::size_t>(window.headerLines), 3u + 3u);
}

TEST(AdesReportForms, BothFormsValidateAndThePsvConvertsToTheSameXml) {
  testing::TempDir dir;
  const AdesReport ades = MakeAdesReport(SmallReport());
  const AdesValidation xml = ValidateAdesXml(Joined(AdesXmlLines(ades)), dir / "report.xml");
  EXPECT_TRUE(xml.valid) << xml.output;
  const auto psvLines = AdesPsvLines(ades);
  std::vector<std::string> utf8;
  for (const auto& l : psvLines) utf8.push_back(Latin1ToUtf8(l));
  const auto psv = ReadPsv(utf8);
  ASSERT_TRUE(psv.has_value());
  EXPECT_EQ(psv->version, "2022");
  const AdesValidation converted = ValidateAdesXml(testing::PsvToXml(*psv), dir / "converted.xml");
  EXPECT_TRUE(converted.valid) << converted.output;
  // The PSV holds exactly the elements of the XML form.
  ASSERT_EQ(psv->records.size(), ades.observations.size());
  for (std::size_t i = 0; i < ades.observations.size(); ++i) {
    testing::AdesElements want;
    for (const AdesField& f : ades.observations[i]) want.push_back({f.name, f.value});
    EXPECT_EQ(psv->records[i], want) << i;
  }
  ASSERT_EQ(psv->context.size(), ades.context.size());
  for (std::size_t g = 0; g < ades.context.size(); ++g) EXPECT_EQ(psv->context[g].first, ades.context[g].name);
}

TEST(AdesReportForms, AReportMissingItsNamesAndApertureStillSaysSo) {
  AstromObsObj report(UserRecord{}, CameraRecord{}, SiteRecord{});
  ObsParams p;
  p.number = "1";
  p.observationTime = *EncodeDateTime(2020, 1, 1, 0, 0, 0.0L);
  report.AddObservation(p, ReferenceStar{}, OptionsRecord{});
  const AdesReport ades = MakeAdesReport(report);
  const std::string xml = Joined(AdesXmlLines(ades));
  EXPECT_NE(xml.find("<mpcCode>XXX</mpcCode>"), std::string::npos);
  EXPECT_NE(xml.find("<submitter>\n        <name>*NOT GIVEN - EDIT USER PARAMETERS*</name>"), std::string::npos);
  EXPECT_NE(xml.find("<design>Unknown</design>"), std::string::npos);
  EXPECT_EQ(xml.find("<aperture>"), std::string::npos);
  EXPECT_NE(xml.find("<line>Telescope aperture not given: edit the camera parameters.</line>"), std::string::npos);
  EXPECT_NE(xml.find("<astCat>Gaia3</astCat>"), std::string::npos);  // the default web catalog
  // Without the aperture the schema refuses the file, as the Minor Planet Center would.
  testing::TempDir dir;
  const AdesValidation v = ValidateAdesXml(xml, dir / "missing.xml");
  EXPECT_FALSE(v.valid);
  EXPECT_NE(v.output.find("aperture"), std::string::npos) << v.output;
}

TEST(AdesReportForms, SimulatedImagesAreMarkedNotForSubmission) {
  AstromObsObj report = SmallReport();
  report.Observations()[0].params.note = kNoteSimulated;
  const AdesReport ades = MakeAdesReport(report);
  EXPECT_TRUE(ades.simulated);
  const std::string xml = Joined(AdesXmlLines(ades));
  EXPECT_NE(xml.find("<comment>\n        <line>**IMPORTANT** This report contains measurements of simulated "
                     "images.</line>\n        <line>DO NOT send these measurements to the Minor Planet "
                     "Center!</line>"),
            std::string::npos);
  EXPECT_NE(xml.find("<remarks>Measurement of a simulated image: not for submission</remarks></optical>"),
            std::string::npos);
  const auto psv = Joined(AdesPsvLines(ades));
  EXPECT_NE(psv.find("# comment\n! line **IMPORTANT** This report contains"), std::string::npos);
  testing::TempDir dir;
  EXPECT_TRUE(ValidateAdesXml(xml, dir / "sim.xml").valid);
}

TEST(AdesReportForms, GaiaDr3GivesGaia3AndBandG) {
  AstromObsObj report = SmallReport();
  OptionsRecord options;  // a new installation: Gaia DR3 at VizieR
  ASSERT_EQ(options.webCatalog, kWebGaiaDR3);
  ObsParams p;
  p.number = "12893";
  p.observationTime = *EncodeDateTime(2019, 5, 1, 5, 0, 0.0L);
  ReferenceStar t;
  t.fitRA = 2.0L;
  t.fitDec = 10.0L;
  t.catMag = 17.61L;
  t.magRes = 0.12L;
  t.band = kBandG;
  report.AddObservation(p, t, options);
  const std::string xml = Joined(AdesXmlLines(MakeAdesReport(report)));
  EXPECT_NE(xml.find("<permID>12893</permID>"), std::string::npos);
  EXPECT_NE(xml.find("<astCat>Gaia3</astCat><mag>17.6</mag><rmsMag>0.12</rmsMag><band>G</band></optical>"),
            std::string::npos)
      << xml;
  testing::TempDir dir;
  const AdesValidation v = ValidateAdesXml(xml, dir / "gaia.xml");
  EXPECT_TRUE(v.valid) << v.output;
}

TEST(AdesReportForms, ARovingObserverGivesItsPlace) {
  AstromObsObj report = SmallReport();
  report.site.code = "0247";
  report.site.longitudeDeg = -111.6f;
  report.site.latitudeDeg = 31.96f;
  report.site.altitudeM = 2096.0f;
  const std::string xml = Joined(AdesXmlLines(MakeAdesReport(report)));
  EXPECT_NE(xml.find("<stn>247</stn><sys>WGS84</sys><ctr>399</ctr><pos1>248.400002</pos1><pos2>31.959999</pos2>"
                     "<pos3>2096.0</pos3><obsTime>"),
            std::string::npos);
  testing::TempDir dir;
  const AdesValidation v = ValidateAdesXml(xml, dir / "roving.xml");
  EXPECT_TRUE(v.valid) << v.output;
}

TEST(AdesReportForms, RealMpcObservationsGiveValidAdes) {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/mpc/obs80_12893_from_astroquery.txt");
  ASSERT_TRUE(in.is_open());
  // The CCD lines (column 15 "C"), one report per station.
  std::map<std::string, std::vector<std::string>> byStation;
  std::string line;
  while (std::getline(in, line))
    if (line.size() >= 80 && line[14] == 'C') byStation[line.substr(77, 3)].push_back(line);
  ASSERT_EQ(byStation.size(), 19u);
  testing::TempDir dir;
  CameraRecord camera;
  camera.apertureMm = 500.0f;
  camera.timingErrorMs = 1000;
  std::size_t total = 0;
  std::size_t withProvID = 0;
  for (const auto& [station, lines] : byStation) {
    SiteRecord site;
    site.code = station;
    AstromObsObj report(UserRecord{}, camera, site);
    report.user.contactName = "Test Observer";
    for (const std::string& l : lines) {
      const ObservationRecord o = testing::ObservationFromMpc80(l);
      report.AddObservation(o.params, o.target, OptionsRecord{});
    }
    total += report.Count();
    const AdesReport ades = MakeAdesReport(report);
    // Every record names (12893), with its provisional designation 1998 QS55 where the line gives it.
    for (const auto& record : ades.observations) {
      EXPECT_EQ(record[0], (AdesField{"permID", "12893"}));
      if (record[1].name == "provID") {
        EXPECT_EQ(record[1].value, "1998 QS55");
        ++withProvID;
      } else {
        EXPECT_EQ(record[1], (AdesField{"mode", "CCD"}));
      }
    }
    const AdesValidation xml = ValidateAdesXml(Joined(AdesXmlLines(ades)), dir / (station + ".xml"));
    EXPECT_TRUE(xml.valid) << station << ": " << xml.output;
    std::vector<std::string> psvLines;
    for (const auto& l : AdesPsvLines(ades)) psvLines.push_back(Latin1ToUtf8(l));
    const auto psv = ReadPsv(psvLines);
    ASSERT_TRUE(psv.has_value()) << station;
    EXPECT_TRUE(ValidateAdesXml(testing::PsvToXml(*psv), dir / (station + ".psv.xml")).valid) << station;
  }
  std::size_t ccdLines = 0;
  for (const auto& [station, lines] : byStation) ccdLines += lines.size();
  EXPECT_EQ(total, ccdLines);  // every CCD line became an observation
  EXPECT_GT(withProvID, 0u);
  EXPECT_LT(withProvID, total);
}

TEST(AdesReportForms, ThePsvReadBackGivesTheSameObservations) {
  const AstromObsObj report = SmallReport();
  std::vector<std::string> lines;
  for (const auto& l : AdesPsvLines(MakeAdesReport(report))) lines.push_back(Latin1ToUtf8(l));
  const auto psv = ReadPsv(lines);
  ASSERT_TRUE(psv.has_value());
  ASSERT_EQ(psv->records.size(), report.Count());
  for (std::size_t i = 0; i < report.Count(); ++i) {
    const ObservationRecord& o = report.Observations()[i];
    std::map<std::string, std::string> f(psv->records[i].begin(), psv->records[i].end());
    // Time: to the millisecond at least (a 500 ms timing error would allow a tenth).
    const std::string time = f.at("obsTime");
    int y, mo, d, h, mi;
    double s;
    ASSERT_EQ(std::sscanf(time.c_str(), "%d-%d-%dT%d:%d:%lfZ", &y, &mo, &d, &h, &mi, &s), 6) << time;
    const double back = *EncodeDateTime(y, mo, d, h, mi, s);
    EXPECT_LE(std::fabs(back - o.params.observationTime) * 86400.0, 0.0005 + 1e-6) << time;
    const std::size_t decimals = time.size() - time.find('.') - 2;
    EXPECT_EQ(decimals, 3u);
    // Positions: to the decimals written.
    for (const auto& [name, value] : {std::pair{std::string("ra"), static_cast<double>(o.target.fitRA * 15)},
                                      std::pair{std::string("dec"), static_cast<double>(o.target.fitDec)}}) {
      const std::string text = f.at(name);
      const int places = static_cast<int>(text.size() - text.find('.') - 1);
      double got = std::stod(text);
      double want = value;
      if (name == "ra" && want > 359.999) want -= 360.0;
      EXPECT_LE(std::fabs(got - want), 0.5 * std::pow(10.0, -places) + 1e-12) << name << " " << text;
    }
  }
  EXPECT_EQ(psv->records[0][0].second, "433");
  EXPECT_EQ(psv->records[1][0], (std::pair<std::string, std::string>{"provID", "2019 JA"}));
  EXPECT_EQ(psv->records[2][0], (std::pair<std::string, std::string>{"trkSub", "myobjec"}));
}

}  // namespace
}  // namespace skarvel
