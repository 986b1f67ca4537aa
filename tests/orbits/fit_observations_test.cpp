// The inputs of orbit determination: the observatory code list, MPC
// 80-column lines (the real observations of (12893) 1998 QS55, with
// photographic, CCD and WISE spacecraft lines), ADES PSV and XML, and the
// leap-second table. Calendar dates as Julian dates come from Python's
// datetime (2451544.5 + days since 2000-01-01):
//   /usr/bin/python3 -c "import datetime as d; print(2451544.5 + (d.date(1983,10,8) - d.date(2000,1,1)).days)"
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "orbits/fit_observations.h"

namespace skarvel {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ObservatoryCodes, FixedColumnsFreeSpacingAndSpacecraft) {
  const std::string text =
      "<pre>\n"
      "Code  Long.   cos      sin    Name\n"
      "000   0.0000 0.62411 +0.77873 Greenwich\n"
      "Z01 123.456700.712345+0.69999 Abutting numbers\n"
      "Z02  10.5  0.9  -0.4  Shifted columns\n"
      "C51                          WISE\n"
      "XYZ abc def ghi Not numbers\n"
      "Z03 400.0000 0.50000 +0.50000 Longitude beyond a turn\n"
      "12\n"
      "</pre>\n";
  const ObservatoryCodeList list = ParseObservatoryCodes(text);
  EXPECT_EQ(list.codes.size(), 4u);
  EXPECT_EQ(list.skipped, 3u);
  const ObservatoryCode* g = list.Find("000");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->name, "Greenwich");
  EXPECT_TRUE(g->hasPosition);
  EXPECT_DOUBLE_EQ(static_cast<double>(g->rhoCosPhi), 0.62411);
  EXPECT_DOUBLE_EQ(static_cast<double>(g->rhoSinPhi), 0.77873);
  const ObservatoryCode* z = list.Find("Z01");
  ASSERT_NE(z, nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(z->longitudeEastDeg), 123.4567);
  EXPECT_DOUBLE_EQ(static_cast<double>(z->rhoCosPhi), 0.712345);
  EXPECT_DOUBLE_EQ(static_cast<double>(z->rhoSinPhi), 0.69999);
  EXPECT_EQ(z->name, "Abutting numbers");
  const ObservatoryCode* s = list.Find("Z02");
  ASSERT_NE(s, nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(s->rhoSinPhi), -0.4);
  EXPECT_EQ(s->name, "Shifted columns");
  const ObservatoryCode* w = list.Find("C51");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->hasPosition);
  EXPECT_EQ(w->name, "WISE");
  EXPECT_EQ(list.Find("XYZ"), nullptr);
  EXPECT_EQ(list.Find("Z03"), nullptr);
}

TEST(ObservatoryCodes, OwnSiteRecordStandsInForItsCode) {
  SiteRecord site = DefaultSiteRecord();
  site.code.clear();
  site.latitudeDeg = 0;
  site.altitudeM = 0;
  site.longitudeDeg = -90;
  const ObservatoryCode c = SiteObservatoryCode(site);
  EXPECT_EQ(c.code, "XXX");
  EXPECT_DOUBLE_EQ(static_cast<double>(c.longitudeEastDeg), 270.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.rhoCosPhi), 1.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.rhoSinPhi), 0.0);
}

TEST(Mpc80, RealObservationsOf12893ReadCleanly) {
  const ObservationReading r =
      ReadMpc80(ReadFile(std::string(SKARVEL_TEST_DATA_DIR) + "/../../../shared/data/mpc/obs80_12893_from_astroquery.txt"));
  if (r.observations.empty()) GTEST_SKIP() << "../shared/data/mpc is not beside the project";
  EXPECT_TRUE(r.problems.empty()) << r.problems.front();
  EXPECT_EQ(r.observations.size(), 380u);  // 394 lines, 14 of them WISE position lines
  const FitObservation& first = r.observations.front();
  EXPECT_EQ(first.designation, "12893");
  EXPECT_EQ(first.code, "413");
  EXPECT_NEAR(static_cast<double>(first.jdUtc), 2445615.5 + 0.40478, 1e-9);
  EXPECT_NEAR(static_cast<double>(first.raDeg), (20 + 52 / 60.0 + 3.89 / 3600) * 15, 1e-9);
  EXPECT_NEAR(static_cast<double>(first.decDeg), -(15 + 47 / 60.0 + 20.0 / 3600), 1e-9);
  EXPECT_EQ(first.sigmaRaArcsec, 0);
  int satellites = 0;
  for (const FitObservation& o : r.observations) satellites += o.satellite ? 1 : 0;
  EXPECT_EQ(satellites, 14);
  // Lines 258-259: the first WISE pair; the position comes from the 's' line.
  const FitObservation* wise = nullptr;
  for (const FitObservation& o : r.observations) {
    if (o.line == 258) wise = &o;
  }
  ASSERT_NE(wise, nullptr);
  EXPECT_TRUE(wise->satellite);
  EXPECT_EQ(wise->code, "C51");
  EXPECT_NEAR(static_cast<double>(wise->jdUtc), 2455354.5 + 0.032439, 1e-9);
  EXPECT_DOUBLE_EQ(static_cast<double>(wise->satelliteKm.x), -6490.4555);
  EXPECT_DOUBLE_EQ(static_cast<double>(wise->satelliteKm.y), 2183.2275);
  EXPECT_DOUBLE_EQ(static_cast<double>(wise->satelliteKm.z), 914.7962);
}

TEST(Mpc80, MalformedLinesAreListedAndSkipped) {
  const std::string good = "12893J98Q55S  C1996 03 15.51078 13 29 30.83 -08 48 58.5          18.3 Vca4132566";
  ASSERT_EQ(good.size(), 80u);
  std::string badRa = good;
  badRa[34] = 'x';
  std::string ra24 = good;
  ra24.replace(32, 2, "24");
  std::string dec95 = good;
  dec95.replace(45, 2, "95");
  std::string radar = good;
  radar[14] = 'R';
  std::string sat = good;
  sat[14] = 'S';
  const std::string text = "COD 566\nshort line\n" + good + "\n" + badRa + "\n" + ra24 + "\n" + dec95 + "\n" + radar +
                           "\n" + sat + "\n" + good + "\r\n";
  const ObservationReading r = ReadMpc80(text);
  ASSERT_EQ(r.observations.size(), 2u);
  EXPECT_EQ(r.observations[0].line, 3u);
  EXPECT_EQ(r.observations[1].line, 9u);
  ASSERT_EQ(r.problems.size(), 6u);
  EXPECT_EQ(r.problems[0], "Line 2: shorter than 80 columns");
  EXPECT_EQ(r.problems[1], "Line 4: date, right ascension or declination not readable");
  EXPECT_EQ(r.problems[2], "Line 5: date, right ascension or declination not readable");
  EXPECT_EQ(r.problems[3], "Line 6: date, right ascension or declination not readable");
  EXPECT_EQ(r.problems[4], "Line 7: radar observation skipped");
  EXPECT_EQ(r.problems[5], "Line 8: spacecraft observation without its position line");
}

TEST(Ades, PsvAgreesWithTheSameObservationsIn80Columns) {
  const std::string dir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/";
  const ObservationReading psv = ReadObservations(ReadFile(dir + "three_nights_01.psv"));
  const ObservationReading mpc = ReadObservations(ReadFile(dir + "three_nights_01.txt"));
  EXPECT_EQ(psv.format, "ades-psv");
  EXPECT_EQ(mpc.format, "mpc80");
  EXPECT_TRUE(psv.problems.empty());
  ASSERT_EQ(psv.observations.size(), 9u);
  ASSERT_EQ(mpc.observations.size(), 9u);
  for (std::size_t k = 0; k < 9; ++k) {
    const FitObservation& a = psv.observations[k];
    const FitObservation& b = mpc.observations[k];
    EXPECT_EQ(a.code, b.code);
    EXPECT_EQ(a.designation, b.designation);
    EXPECT_NEAR(static_cast<double>(a.jdUtc - b.jdUtc) * 86400, 0, 0.09);  // 6-decimal days
    EXPECT_NEAR(static_cast<double>(a.raDeg - b.raDeg) * 3600 * std::cos(static_cast<double>(b.decDeg) * M_PI / 180), 0,
                0.01);
    EXPECT_NEAR(static_cast<double>(a.decDeg - b.decDeg) * 3600, 0, 0.006);
    EXPECT_DOUBLE_EQ(static_cast<double>(a.sigmaRaArcsec), 0.15);
    EXPECT_DOUBLE_EQ(static_cast<double>(a.sigmaDecArcsec), 0.15);
  }
}

TEST(Ades, XmlOpticalRecordsAndTheirProblems) {
  const std::string xml =
      "<?xml version=\"1.0\"?>\n<ades version=\"2022\"><obsBlock><obsData>\n"
      "<optical><provID>2019 AB</provID><mode>CCD</mode><stn>695</stn>"
      "<obsTime>2019-08-15T00:25:00.000Z</obsTime><ra>220.5</ra><dec>-17.25</dec>"
      "<rmsRA>0.2</rmsRA><rmsDec>0.3</rmsDec><astCat>Gaia2</astCat></optical>\n"
      "<optical><provID>2019 AB</provID><mode>CCD</mode><stn>695</stn>"
      "<obsTime>2019-08-15T00:25:00Z</obsTime><dec>-17.25</dec></optical>\n"
      "<optical><permID>433</permID><mode>SAT</mode><stn>C51</stn><sys>ICRF_KM</sys>"
      "<pos1>-6490.5</pos1><pos2>2183.25</pos2><pos3>914.75</pos3>"
      "<obsTime>2010-06-07T00:46:42Z</obsTime><ra>172.5</ra><dec>3.5</dec></optical>\n"
      "<optical><provID>2019 AB</provID><stn>695</stn>\n"
      "</obsData></obsBlock></ades>\n";
  const ObservationReading r = ReadObservations(xml);
  EXPECT_EQ(r.format, "ades-xml");
  ASSERT_EQ(r.observations.size(), 2u);
  const FitObservation& a = r.observations[0];
  EXPECT_EQ(a.designation, "2019 AB");
  EXPECT_NEAR(static_cast<double>(a.jdUtc), 2458710.5 + 25.0 / 1440, 1e-9);
  EXPECT_DOUBLE_EQ(static_cast<double>(a.raDeg), 220.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(a.sigmaRaArcsec), 0.2);
  EXPECT_DOUBLE_EQ(static_cast<double>(a.sigmaDecArcsec), 0.3);
  const FitObservation& s = r.observations[1];
  EXPECT_EQ(s.designation, "433");
  EXPECT_TRUE(s.satellite);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.satelliteKm.z), 914.75);
  ASSERT_EQ(r.problems.size(), 2u);
  EXPECT_EQ(r.problems[0], "Observation 2: obsTime, ra or dec not readable");
  EXPECT_EQ(r.problems[1], "Observation 4: no closing </optical>");
}

TEST(Ades, IsoTimes) {
  EXPECT_NEAR(static_cast<double>(*IsoTimeToJd("2000-01-01T12:00:00Z")), 2451545.0, 1e-9);
  EXPECT_NEAR(static_cast<double>(*IsoTimeToJd("2019-08-15T06:00:00.5")), 2458710.75 + 0.5 / 86400, 1e-9);
  EXPECT_FALSE(IsoTimeToJd("2019-13-15T06:00:00Z"));
  EXPECT_FALSE(IsoTimeToJd("2019-08-15T24:00:00Z"));
  EXPECT_FALSE(IsoTimeToJd("2019-08-15T06:00:-1Z"));
  EXPECT_FALSE(IsoTimeToJd("2019-08-15"));
}

}  // namespace
}  // namespace skarvel
