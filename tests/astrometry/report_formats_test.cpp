#include "astrometry/report_formats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "config/options.h"
#include "foundations/date_time.h"

namespace skarvel {
namespace {

// An independent reader of the MPC 80-column observation line, from the MPC's
// published layout: 1-5 number, 6-12 provisional designation, 13 discovery,
// 14-15 notes, 16-32 date "YYYY MM DD.ddddd", 33-44 RA "HH MM SS.ss",
// 45-56 Dec "sDD MM SS.s", 66-70 magnitude, 71 band, 78-80 observatory code.
struct Mpc80 {
  std::string number, designation, discovery, note2, band, code;
  int year = 0, month = 0;
  double day = 0, raHours = 0, decDeg = 0, mag = 0;
  bool hasMag = false;
};

Mpc80 ReadMpc80(const std::string& l) {
  EXPECT_EQ(l.size(), 80u) << l;
  Mpc80 m;
  m.number = l.substr(0, 5);
  m.designation = l.substr(5, 7);
  m.discovery = l.substr(12, 1);
  m.note2 = l.substr(14, 1);
  m.year = std::stoi(l.substr(15, 4));
  m.month = std::stoi(l.substr(20, 2));
  m.day = std::stod(l.substr(23, 9));
  m.raHours = std::stoi(l.substr(32, 2)) + std::stoi(l.substr(35, 2)) / 60.0 + std::stod(l.substr(38, 6)) / 3600.0;
  const double dec = std::stoi(l.substr(45, 2)) + std::stoi(l.substr(48, 2)) / 60.0 + std::stod(l.substr(51, 5)) / 3600.0;
  m.decDeg = l[44] == '-' ? -dec : dec;
  const std::string mag = l.substr(65, 5);
  m.hasMag = mag.find_first_not_of(' ') != std::string::npos;
  if (m.hasMag) m.mag = std::stod(mag);
  m.band = l.substr(70, 1);
  m.code = l.substr(77, 3);
  return m;
}

ObservationRecord Obs(const std::string& number, const std::string& designation, double time, long double ra,
                      long double dec, long double mag = 0, std::uint8_t band = 1) {
  ObservationRecord o;
  o.params.number = number;
  o.params.designation = designation;
  o.params.observationTime = time;
  o.target.fitRA = ra;
  o.target.fitDec = dec;
  o.target.catMag = mag;
  o.target.band = band;
  return o;
}

SiteRecord Site(const std::string& code) {
  SiteRecord s = DefaultSiteRecord();
  s.code = code;
  return s;
}

double At(int y, int mo, int d, int h, int mi, long double s) { return *EncodeDateTime(y, mo, d, h, mi, s); }

TEST(Report80, NumbersAndDesignations) {
  struct Case {
    const char* number;
    const char* packed;
  };
  for (const Case c : {Case{"1234", "01234"}, Case{"123456", "C3456"}, Case{"99999", "99999"}, Case{"100000", "A0000"},
                       Case{"359999", "Z9999"}, Case{"360000", "a0000"}, Case{"619999", "z9999"},
                       Case{"620000", "~0000"}, Case{"15396335", "~zzzz"}}) {
    const auto line = ObservationLines80(Obs(c.number, "", At(2026, 12, 9, 21, 0, 0), 5, 22), Site("695"))[0];
    EXPECT_EQ(line.substr(0, 5), c.packed) << c.number;
  }
  // A nine-character designation is written in the seven-character form.
  const auto line = ObservationLines80(Obs("", "K10A0100B", At(2026, 1, 1, 0, 0, 0), 1, 1), Site("695"))[0];
  EXPECT_EQ(line.substr(5, 7), "K10AA0B");
}

TEST(Report80, TheColumnsReadBackWithAnIndependentReader) {
  ObservationRecord o = Obs("433", "", At(2010, 1, 5, 6, 0, 0), 5.0L + 30.0L / 60 + 12.345L / 3600,
                            -(10.0L + 5.0L / 60 + 6.7L / 3600), 13.44L, 2);
  o.params.note = kNoteDiscovery;
  const auto line = ObservationLines80(o, Site("695"))[0];
  const Mpc80 m = ReadMpc80(line);
  EXPECT_EQ(m.number, "00433");
  EXPECT_EQ(m.discovery, "*");
  EXPECT_EQ(m.note2, "C");
  EXPECT_EQ(m.year, 2010);
  EXPECT_EQ(m.month, 1);
  EXPECT_EQ(line.substr(23, 8), "05.25000");
  EXPECT_NEAR(m.raHours, 5.5 + 12.35 / 3600.0, 1e-12);
  EXPECT_NEAR(m.decDeg, -(10 + 5 / 60.0 + 6.7 / 3600.0), 1e-12);
  EXPECT_TRUE(m.hasMag);
  EXPECT_EQ(line.substr(65, 4), "13.4");
  EXPECT_EQ(m.band, "R");
  EXPECT_EQ(m.code, "695");
}

TEST(Report80, RoundingCarriesIntoMinutesHoursAndTheDate) {
  // 23h 59m 59.999s rounds to 24h: written 00 00 00.00.
  auto line = ObservationLines80(Obs("1", "", At(2026, 1, 31, 23, 59, 59.9L), 23.9999999L, -0.5L), Site("695"))[0];
  EXPECT_EQ(line.substr(32, 11), "00 00 00.00");
  // 23:59:59.9 on 31 January with 5 decimals is 1 February 0.00000.
  EXPECT_EQ(line.substr(15, 16), "2026 02 01.00000");
  // -0 30 keeps its sign.
  EXPECT_EQ(line.substr(44, 11), "-00 30 00.0");
  // Seconds that round to 60 carry.
  line = ObservationLines80(Obs("1", "", At(2026, 3, 1, 0, 0, 0), 1.0L + 59.0L / 60 + 59.996L / 3600,
                                10.0L + 59.0L / 60 + 59.96L / 3600),
                            Site("695"))[0];
  EXPECT_EQ(line.substr(32, 11), "02 00 00.00");
  EXPECT_EQ(line.substr(44, 11), "+11 00 00.0");
  // No magnitude: the columns stay blank.
  EXPECT_EQ(line.substr(65, 6), "      ");
}

TEST(Report80, RealObservationLinesAreReproducedColumnForColumn) {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/mpc/obs80_12893_from_astroquery.txt");
  std::string real;
  int checked = 0;
  while (std::getline(in, real)) {
    if (real.size() != 80 || real[14] == 's' || real[14] == 'v' || real[14] == 'r') continue;  // second lines
    const Mpc80 m = ReadMpc80(real);
    const int whole = static_cast<int>(m.day);
    const double t = At(m.year, m.month, whole, 0, 0, 0) + (m.day - whole);
    ObservationRecord o = Obs(std::to_string(std::stoi(m.number)), m.designation, t, m.raHours, m.decDeg);
    o.params.note = m.discovery == "*" ? kNoteDiscovery : kNoteNormal;
    const auto ours = ObservationLines80(o, Site(m.code))[0];
    // Number, designation, discovery; the date (ours has 5 decimals); RA; Dec; code.
    EXPECT_EQ(ours.substr(0, 13), real.substr(0, 13)) << real;
    // Days given with 5 decimals match whole; those with 6 match to the 4th.
    if (real[31] == ' ') {
      EXPECT_EQ(ours.substr(15, 16), real.substr(15, 16)) << real;
    } else {
      EXPECT_EQ(ours.substr(15, 14), real.substr(15, 14)) << real;
    }
    // Lines with our precision (RA seconds with 2 decimals, Dec with 1) must match exactly.
    if (real[40] == '.' && real[43] == ' ') {
      EXPECT_EQ(ours.substr(32, 11), real.substr(32, 11)) << real;
    }
    if (real[53] == '.' && real[55] == ' ') {
      EXPECT_EQ(ours.substr(44, 11), real.substr(44, 11)) << real;
    }
    EXPECT_EQ(ours.substr(77, 3), real.substr(77, 3)) << real;
    ++checked;
  }
  EXPECT_GT(checked, 300);
}

TEST(Report80, RovingObserverSecondLine) {
  SiteRecord s = Site("0247");
  s.longitudeDeg = -111.5994722f;
  s.latitudeDeg = 31.25f;
  s.altitudeM = 2096;
  const auto lines = ObservationLines80(Obs("433", "", At(2026, 12, 9, 3, 0, 0), 5, 22), s);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(77, 3), "247");
  const std::string& v = lines[1];
  ASSERT_EQ(v.size(), 80u);
  EXPECT_EQ(v.substr(0, 14), lines[0].substr(0, 14));
  EXPECT_EQ(v[14], 'v');
  EXPECT_EQ(v[32], '1');
  EXPECT_EQ(v.substr(34, 10), "248.400528");  // east longitude, 6 decimals with the seconds given
  EXPECT_EQ(v.substr(45, 10), "+31.250000");
  EXPECT_EQ(v.substr(56, 5), " 2096");
  EXPECT_EQ(v.substr(77, 3), "247");
}

TEST(ReportText, ShortHeaderAndSortedObservations) {
  AstromObsObj obs(UserRecord{"ann lee smith", "Lowell Observatory", "1400 W Mars Hill Rd", "Flagstaff AZ 86001",
                              "USA", "ann@example.org", "ann lee smith, bob jones", ""},
                   CameraRecord{}, Site("695"));
  OptionsRecord options;
  options.catalogLocation = 0;
  options.primaryCatalog = kPrimaryGSC;
  obs.AddObservation(Obs("433", "", At(2026, 12, 9, 22, 0, 0), 5, 22).params,
                     Obs("433", "", 0, 5.2L, 22.1L).target, options);
  obs.AddObservation(Obs("433", "", At(2026, 12, 9, 21, 0, 0), 5, 22).params,
                     Obs("433", "", 0, 5.1L, 22.0L).target, options);
  int dialogShown = 0;
  const ReportText r = BuildReport(obs, true, "NIGHT1.RPT", false, "2026/12/09 23:00:00",
                                   [&](AstromObsObj&) { ++dialogShown; });
  EXPECT_EQ(r.title, "Formatted Astrometric Results - NIGHT1.RPT (Modified)");
  const std::vector<std::string> header = {
      "COD 695",
      "TEL 0.9-m f/3 reflector + CCD",
      "CON A. L. Smith, Lowell Observatory, 1400 W Mars Hill Rd, Flagstaff AZ 86001, U.S.A.",
  };
  ASSERT_GE(r.lines.size(), 10u);
  EXPECT_EQ(r.lines[0], header[0]);
  EXPECT_EQ(r.lines[1], header[1]);
  // 83 characters: cut after the last comma, the blank after it dropped.
  EXPECT_EQ(r.lines[2], "CON A. L. Smith, Lowell Observatory, 1400 W Mars Hill Rd, Flagstaff AZ 86001,");
  EXPECT_EQ(r.lines[3], "CON U.S.A.");
  EXPECT_EQ(obs.user.country, "U.S.A.");
  EXPECT_EQ(r.lines[4], "CON [ann@example.org]");
  EXPECT_EQ(r.lines[5], "OBS A. L. Smith, B. Jones");
  EXPECT_EQ(r.lines[6], "NET GSC-1.1");
  EXPECT_EQ(r.lines[7], "NUM 2");
  EXPECT_EQ(r.lines[8], "ACK Report Generated 2026/12/09 23:00:00");
  EXPECT_EQ(r.headerLines, 9);
  EXPECT_EQ(dialogShown, 1);
  // The observation added second was earlier: it comes first.
  EXPECT_EQ(r.lines[9].substr(32, 2), "05");
  EXPECT_NEAR(ReadMpc80(r.lines[9]).raHours, 5.1, 1e-4);
  EXPECT_NEAR(ReadMpc80(r.lines[10]).raHours, 5.2, 1e-4);
  // A quiet refresh keeps the acknowledgement and shows no dialog.
  obs.quietRefresh = true;
  BuildReport(obs, true, "NIGHT1.RPT", true, "2027/01/01 00:00:00", [&](AstromObsObj&) { ++dialogShown; });
  EXPECT_EQ(dialogShown, 1);
  EXPECT_EQ(obs.ackMessage, "Report Generated 2026/12/09 23:00:00");
}

TEST(ReportText, TelescopeAndContactLinesReadAsWritten) {
  const auto header = [](const std::string& telescope, const std::string& country) {
    AstromObsObj obs(UserRecord{"a. smith", "", "", "", country, "", "a. smith", ""}, CameraRecord{}, Site("695"));
    obs.site.telescope = telescope;
    obs.quietRefresh = true;
    return BuildReport(obs, true, "", true, "", {}).lines;
  };
  auto lines = header("0.25-m f/3.7 reflector", "");
  EXPECT_EQ(lines[1], "TEL 0.25-m f/3.7 reflector + CCD");
  EXPECT_EQ(lines[2], "CON A. Smith");  // no country: no trailing comma
  lines = header("0.35-m SCT + ccd ", "Sweden");
  EXPECT_EQ(lines[1], "TEL 0.35-m SCT + ccd");
  EXPECT_EQ(lines[2], "CON A. Smith, Sweden");
  lines = header("0.5-m Ritchey-Chretien + CCD", "USA");
  EXPECT_EQ(lines[1], "TEL 0.5-m Ritchey-Chretien + CCD");
  EXPECT_EQ(lines[2], "CON A. Smith, U.S.A.");
}

TEST(ReportText, SpreadsheetTimeCarriesIntoTheNextDay) {
  AstromObsObj obs(UserRecord{}, CameraRecord{}, Site("695"));
  OptionsRecord options;
  // 23:59:59.6 on 2019 May 1 rounds to 0:00:00 on May 2, as the report lines do.
  ObservationRecord o = Obs("433", "", At(2019, 5, 1, 23, 59, 59.6L), 5.5L, 1.0L, 0, 1);
  o.params.objectName = "Eros";
  obs.AddObservation(o.params, o.target, options);
  const auto csv = SpreadsheetLines(obs);
  ASSERT_EQ(csv.size(), 6u);
  EXPECT_EQ(csv[3].substr(0, 24), "Eros,05/02/2019,0:00:00,");
  const auto lines = ObservationLines80(obs.Observations()[0], obs.site);
  EXPECT_EQ(lines[0].substr(15, 17), "2019 05 02.00000 ");
  // A second and more before midnight stays on the day.
  ObservationRecord early = Obs("433", "", At(2019, 5, 1, 23, 59, 58.4L), 5.5L, 1.0L, 0, 1);
  early.params.objectName = "Eros";
  AstromObsObj second(UserRecord{}, CameraRecord{}, Site("695"));
  second.AddObservation(early.params, early.target, options);
  EXPECT_EQ(SpreadsheetLines(second)[3].substr(0, 25), "Eros,05/01/2019,23:59:58,");
}

TEST(ReportText, AbbreviatedNames) {
  EXPECT_EQ(AbbreviateNames("john quincy public"), "J. Q. Public");
  EXPECT_EQ(AbbreviateNames("Smith, John"), "Smith, John");
  EXPECT_EQ(AbbreviateNames("  mary   ann  o-neil "), "M. A. O-Neil");
  EXPECT_EQ(AbbreviateNames("j.r.r. tolkien"), "J. R. R. Tolkien");
  EXPECT_EQ(AbbreviateNames(""), "");
}

TEST(ReportText, SplitLineLayoutAndSimulatedImages) {
  AstromObsObj obs(UserRecord{}, CameraRecord{}, Site("695"));
  obs.camera.timingErrorMs = 100;  // 1.16e-6 day: 6 decimals of the day
  OptionsRecord options;
  ObservationRecord o = Obs("433", "J98S00S", At(2026, 12, 9, 6, 0, 0), 5.5L, 22.25L, 13.0L, 1);
  o.params.note = kNoteSimulated;
  o.target.resRA = 0.02L;
  o.target.resDec = 0.3L;
  obs.AddObservation(o.params, o.target, options);
  obs.quietRefresh = true;
  const ReportText r = BuildReport(obs, false, "", true, "", {});
  EXPECT_EQ(r.lines[0], "COD 0695");
  EXPECT_EQ(r.linesPerObservation, 4);
  EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), "FMT SPLIT-LINE"), r.lines.end());
  EXPECT_EQ(r.lines[static_cast<std::size_t>(r.headerLines)].substr(0, 16), "0000433J98S0000S");
  const std::string rec1 = r.lines[static_cast<std::size_t>(r.headerLines)] + r.lines[static_cast<std::size_t>(r.headerLines) + 1];
  ASSERT_EQ(rec1.size(), 132u);
  EXPECT_EQ(rec1.substr(16, 1), "1");
  EXPECT_EQ(rec1.substr(27, 9), "09.250000");
  EXPECT_EQ(rec1.substr(40, 12), "05 30 00.000");  // 3 decimals: sigma RA below 0.05"
  EXPECT_EQ(rec1.substr(55, 11), "+22 15 00.0");
  EXPECT_EQ(rec1.substr(128, 4), "0695");
  const auto end = r.lines.end();
  EXPECT_EQ(*(end - 4), "CNT 1");
  EXPECT_EQ(*(end - 3), "**IMPORTANT**");
  EXPECT_EQ(*(end - 1), "measurements to the Minor Planet Center!");
}

TEST(ReportText, ExerciseFormAndSpreadsheet) {
  AstromObsObj obs(UserRecord{}, CameraRecord{}, Site("695"));
  OptionsRecord options;
  ObservationRecord o = Obs("433", "", At(2010, 1, 5, 6, 0, 0.5L), 5.5L, -0.5L, 13.25L, 1);
  o.params.objectName = "Eros";
  o.target.magRes = 0.02L;
  obs.AddObservation(o.params, o.target, options);
  const ReportText e = BuildExerciseReport(obs);
  EXPECT_EQ(e.title, "Astrometric Results");
  ASSERT_EQ(e.lines.size(), 4u);
  EXPECT_EQ(e.lines[2][57], '\xB0');
  const std::string& l = e.lines[3];
  ASSERT_EQ(l.size(), 80u);
  EXPECT_EQ(l.substr(0, 4), "Eros");
  EXPECT_EQ(l.substr(21, 10), "2010 01 05");
  EXPECT_EQ(l.substr(33, 8), "06 00 00");  // 0.5 s rounds to the even 0
  EXPECT_EQ(l.substr(43, 11), "05 30 00.00");
  EXPECT_EQ(l.substr(56, 11), "-00 30 00.0");
  EXPECT_EQ(l.substr(69, 5), "13.25");
  const auto csv = SpreadsheetLines(obs);
  ASSERT_EQ(csv.size(), 6u);
  EXPECT_EQ(csv[3], "Eros,01/05/2010,6:00:00,5201.750006,5.500000,-0.50000,13.3");
  EXPECT_EQ(csv[5], ",,,*Minus 2450000.0");
  EXPECT_EQ(DefaultReportTextName("NIGHT1.RPT", 0), "NIGHT1RPT.TXT");
  EXPECT_EQ(DefaultReportTextName("", At(2010, 1, 5, 12, 0, 0)), "Jan5RPT.TXT");
}

}  // namespace
}  // namespace skarvel
