// The readers of both on-line answer formats, the proper motion to the
// observation time, and the on-line reader with its stored answer and its
// messages (the HTTP GET scripted; the real transfer is tested against a
// loopback server in tests/platform/ui/tst_http_get.cpp).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalogs/b1_cat.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "catalogs/online_answer.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/online/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A USNO-style answer: the service's preamble up to "END", the "|" header,
// the coordinate format line and the rows.
std::string USNOAnswer(const std::string& format, const std::vector<std::string>& rows,
                       const std::string& header =
                           "            id|        RA|       DEC|  MuRA| MuDEC|    B|    V|    R|    J|    H|    K|") {
  std::string text = "#USNO-NVO cone search\n#fields follow\n#END\n" + header + "\n" + format + "\n";
  for (const std::string& r : rows) text += r + "\n";
  return text;
}

const std::string kDecimal = "#               hh.hhh/dd.ddd";

TEST(USNOAnswer, ColumnsByNameAndTheMagnitudeOfTheColour) {
  const auto r = ReadUSNOAnswer(
      USNOAnswer(kDecimal, {"  0815-0298787|  9.388950| -8.411542|  -6.0|  12.0|14.10|13.60|13.20|12.10|11.80|11.70|",
                            "# a comment row",
                            "  0815-0298788|  9.390000| -8.400000|   0.0|   0.0|15.00|14.00| 0.00|13.00|12.00|11.00|",
                            "  0815-0298789|  9.391000| -8.390000|   0.0|   0.0|15.00|14.00|30.00|13.00|12.00|11.00|"}),
      OnlineCatalogOf(kWebNOMAD), 2, false);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  ASSERT_EQ(r.answer.stars.size(), 1u);  // R 0 and R 30 are no magnitudes
  const CatalogStar& s = r.answer.stars[0];
  EXPECT_EQ(s.catalog, kCatalogNOMAD);
  EXPECT_EQ(s.id, "0815-0298787");
  EXPECT_DOUBLE_EQ(static_cast<double>(s.ra), 9.38895);
  EXPECT_DOUBLE_EQ(static_cast<double>(s.dec), -8.411542);
  EXPECT_FLOAT_EQ(s.pmRA, -0.006f);
  EXPECT_FLOAT_EQ(s.pmDec, 0.012f);
  EXPECT_FLOAT_EQ(s.mag, 13.2f);
  EXPECT_FLOAT_EQ(s.magErr, 0.2f);
  EXPECT_EQ(s.band, kBandR);
  EXPECT_FALSE(s.useMag);
  EXPECT_TRUE(s.usePos);
  EXPECT_EQ(s.entries, 1);
  EXPECT_EQ(r.answer.epochJD, 2451545.0L);
  // The same answer read for K (colour 5).
  const auto k = ReadUSNOAnswer(
      USNOAnswer(kDecimal, {"  0815-0298787|  9.388950| -8.411542|  -6.0|  12.0|14.10|13.60|13.20|12.10|11.80|11.70|"}),
      OnlineCatalogOf(kWebNOMAD), 5, true);
  ASSERT_EQ(k.answer.stars.size(), 1u);
  EXPECT_FLOAT_EQ(k.answer.stars[0].mag, 11.7f);
  EXPECT_EQ(k.answer.stars[0].band, kBandK);
}

TEST(USNOAnswer, SexagesimalCoordinatesAndAbsentColumns) {
  // USNO-A2.0 has neither proper motions nor V: the I2 header column is not its own.
  const auto r = ReadUSNOAnswer(USNOAnswer("#     hh mm ss/dd mm ss",
                                           {"0825-07011690|09 23 20.22|-08 24 41.55|17.1|16.2|",
                                            "0825-07011691|09 23 21.00|+00 -0 30.00|17.5|16.5|"},
                                           "           id|         RA|         DEC|   B|   R|"),
                                OnlineCatalogOf(kWebUSNOA2), 1, true);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.answer.stars.size(), 2u) << (r.messages.empty() ? "" : r.messages[0].text);
  EXPECT_NEAR(static_cast<double>(r.answer.stars[0].ra), 9 + 23 / 60.0 + 20.22 / 3600, 1e-12);
  EXPECT_NEAR(static_cast<double>(r.answer.stars[0].dec), -(8 + 24 / 60.0 + 41.55 / 3600), 1e-12);
  EXPECT_FLOAT_EQ(r.answer.stars[0].mag, 16.2f);
  EXPECT_EQ(r.answer.stars[0].band, kBandR);
  EXPECT_EQ(r.answer.stars[0].pmRA, 0);
  // A "-" anywhere makes the declination negative: "-0 30" south of the equator.
  EXPECT_NEAR(static_cast<double>(r.answer.stars[1].dec), -30 / 3600.0, 1e-12);
}

TEST(USNOAnswer, AbsurdSexagesimalOrMagnitudeIsSkippedAsNonNumeric) {
  // Found by fuzzing: 123456789000777 degrees were cast to int.
  const auto r = ReadUSNOAnswer(USNOAnswer("#     hh mm ss/dd mm ss",
                                           {"0825-1|09 23 20.22|-08 24 41.55|17.1|16.2|",
                                            "0825-2|09 23 20.22|123456789000777 0 1|17.1|16.2|",
                                            "0825-3|09 75 20.22|-08 24 41.55|17.1|16.2|",
                                            "0825-4|09 23 20.22|-08 24 41.55|17.1|1e39|"},
                                           "    id|         RA|         DEC|   B|   R|"),
                                OnlineCatalogOf(kWebUSNOA2), 1, true);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.answer.stars.size(), 1u);
  EXPECT_EQ(r.answer.stars[0].id, "0825-1");
  ASSERT_EQ(r.messages.size(), 3u);
  for (const auto& m : r.messages) EXPECT_EQ(m.caption, "B1 Data Conversion Error!");
  EXPECT_NE(r.messages[0].text.find("123456789000777"), std::string::npos);
}

TEST(USNOAnswer, EveryFaultHasItsMessage) {
  const OnlineCatalog& b1 = OnlineCatalogOf(kWebUSNOB1);
  auto only = [](const AnswerResult& r) { return r.messages.size() == 1 ? r.messages[0] : AnswerMessage{"?", "?"}; };
  // No "END" line.
  auto r = ReadUSNOAnswer("id|RA|DEC|\nhh.hhh dd.ddd\n", b1, 0, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(only(r).text, "Error in USNO File Header - \"END\" statement missing!");
  EXPECT_EQ(only(r).caption, "USNO File Error!");
  // A header without " RA|".
  r = ReadUSNOAnswer(USNOAnswer(kDecimal, {}, "   id|  RAJ|  DEC|"), b1, 0, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(only(r).text,
            "Incorrect column header passed to BuildParmTbl!\r\n\"RA\" not found in header.\r\n\r\n\"   id|  RAJ|  DEC|\"");
  EXPECT_EQ(only(r).caption, "Catalog Data File Processing Error!");
  // No declination column.
  r = ReadUSNOAnswer(USNOAnswer(kDecimal, {}, "   id|   RA|   B2|"), b1, 0, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(only(r).text, "Required parameter missing in catalog data.\r\n\r\nMissing Parameter: DEC");
  EXPECT_EQ(only(r).caption, "Catalog Data File Processing Error!");
  // An unknown coordinate format.
  r = ReadUSNOAnswer(USNOAnswer("#   degrees/degrees", {}), b1, 0, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(only(r).text, "RA, Dec not in required format.\r\n\r\nRead HELP before downloading!");
  EXPECT_EQ(only(r).caption, "USNO File Error!");
  // A row with non-numeric data is reported and skipped; the others are read.
  r = ReadUSNOAnswer(USNOAnswer(kDecimal,
                                {"    0815-1|   9.38| -8.410|  1.0|  2.0| 15.1| 14.2| 13.3|",
                                 "    0815-2|   9.3x| -8.410|  1.0|  2.0| 15.1| 14.2| 13.3|"},
                                "        id|     RA|    DEC| MuRA|MuDEC|   B2|   R2|   I2|"),
                     b1, 2, true);
  EXPECT_TRUE(r.ok);
  ASSERT_EQ(r.answer.stars.size(), 1u);
  EXPECT_FLOAT_EQ(r.answer.stars[0].mag, 13.3f);
  EXPECT_EQ(r.answer.stars[0].band, kBandI);
  EXPECT_EQ(only(r).text,
            "Record contains non-numeric data, B1 entry skipped!\r\n\r\n    0815-2|   9.3x| -8.410|  1.0|  2.0| 15.1| "
            "14.2| 13.3|");
  EXPECT_EQ(only(r).caption, "B1 Data Conversion Error!");
}

TEST(VizieRAnswer, GaiaFieldColumnsByNameAtItsEpoch) {
  const auto r = ReadVizieRAnswer(Fixture("gaia_dr3_field.tsv"), OnlineCatalogOf(kWebGaiaDR3), 0, true);
  ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages.back().text);
  EXPECT_TRUE(r.messages.empty());
  ASSERT_EQ(r.answer.stars.size(), 3u);  // the row without G is left out
  EXPECT_EQ(r.answer.epochJD, 2457389.0L);
  EXPECT_TRUE(r.answer.pmAlongGreatCircle);
  const CatalogStar& a = r.answer.stars[0];
  EXPECT_EQ(a.catalog, kCatalogGaiaDR3);
  EXPECT_EQ(a.id, "5741234567890123456");  // all 19 digits
  EXPECT_NEAR(static_cast<double>(a.ra), 140.83017223571 / 15, 1e-13);
  EXPECT_NEAR(static_cast<double>(a.dec), -8.40711598012, 1e-13);
  EXPECT_FLOAT_EQ(a.pmRA, -0.012345f);
  EXPECT_FLOAT_EQ(a.pmDec, 0.006789f);
  EXPECT_FLOAT_EQ(a.mag, 10.123456f);
  EXPECT_EQ(a.band, kBandG);
  EXPECT_EQ(a.magErr, 0);
  const CatalogStar& b = r.answer.stars[1];
  EXPECT_EQ(b.pmRA, 0);  // no proper motion given
  EXPECT_FLOAT_EQ(b.mag, 12.5f);
  EXPECT_EQ(r.answer.stars[2].id, "5741234567890120002");
}

std::string TableOf(const std::string& names, const std::vector<std::string>& rows) {
  std::string t = "#\n#RESOURCE=yCat_1322\n#Table\tI_322A_out:\n\n" + names + "\n";
  std::string units, dashes;
  t += "\t\t\t\t\t\n---\t---\t---\t---\t---\t---\n";
  for (const std::string& r : rows) t += r + "\n";
  return t;
}

const std::string kUCAC4Names = "UCAC4\tRAJ2000\tDEJ2000\tpmRA\tpmDE\tVmag";

TEST(VizieRAnswer, SeveralTablesAndEveryFault) {
  const OnlineCatalog& u4 = OnlineCatalogOf(kWebUCAC4);
  auto last = [](const AnswerResult& r) { return r.messages.empty() ? AnswerMessage{} : r.messages.back(); };
  // Two tables, one after the other: the rows of both are read.
  auto r = ReadVizieRAnswer(TableOf(kUCAC4Names, {"408-051432\t140.8\t-8.4\t1.5\t-2.5\t13.25"}) +
                                TableOf(kUCAC4Names, {"408-051433\t140.9\t-8.5\t\t\t14.5"}),
                            u4, 1, true);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.answer.stars.size(), 2u);
  EXPECT_EQ(r.answer.stars[1].id, "408-051433");
  EXPECT_EQ(r.answer.stars[0].band, kBandV);
  // An HTML page.
  r = ReadVizieRAnswer("\n  <!DOCTYPE html><html><body>Service unavailable</body></html>\n", u4, 1, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(last(r).text,
            "VizieR answered the UCAC4 query with a web page instead of a table.\r\n\r\nThe server may be down or the "
            "VizieR address in the options may be wrong.\r\n\r\n" + std::string(kVizieRFailureAdvice));
  EXPECT_EQ(last(r).caption, "VizieR Catalog Error!");
  // An error reported in the "#INFO" lines.
  r = ReadVizieRAnswer("#\n#INFO\tError=Unknown source: I/322A/outx\n\n", u4, 1, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(last(r).text,
            "VizieR reports an error for the UCAC4 query:\r\n\r\nINFO\tError=Unknown source: I/322A/outx");
  r = ReadVizieRAnswer("#\n#++++ too many rows asked\n\n", u4, 1, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(last(r).text, "VizieR reports an error for the UCAC4 query:\r\n\r\ntoo many rows asked");
  // Found by fuzzing: a report line of marks alone threw out of the reader (and ended the program).
  for (const char* marks : {"#++++\n", "#++++++++\n\n", "#++++   \n"}) {
    r = ReadVizieRAnswer(std::string("#\n") + marks, u4, 1, true);
    EXPECT_FALSE(r.ok) << marks;
    EXPECT_EQ(last(r).text, "VizieR reports an error for the UCAC4 query:\r\n\r\n") << marks;
    EXPECT_EQ(last(r).caption, "VizieR Catalog Error!");
  }
  // A missing column.
  r = ReadVizieRAnswer(TableOf("UCAC4\tRAJ2000\tDEJ2000\tpmRA\tpmDE\tBmag", {"1\t1\t1\t1\t1\t12"}), u4, 1, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(last(r).text,
            "Required parameter missing in catalog data.\r\n\r\nMissing Parameter: Vmag (UCAC4, VizieR)");
  EXPECT_EQ(last(r).caption, "Catalog Data File Processing Error!");
  // An empty table, and the comment block alone (outside any table's coverage).
  for (const std::string& empty : {TableOf(kUCAC4Names, {}), std::string("#\n#INFO\tqueryParameters=9\n")}) {
    r = ReadVizieRAnswer(empty, u4, 1, true);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(last(r).text,
              "VizieR found no UCAC4 stars in this field down to the limiting magnitude.\r\n\r\nCheck the field "
              "centre, its size and the limiting magnitude.");
  }
  // An answer cut off in its last row.
  std::string cut = TableOf(kUCAC4Names, {"408-051432\t140.8\t-8.4\t1.5\t-2.5\t13.25"});
  cut.resize(cut.size() - 3);
  r = ReadVizieRAnswer(cut, u4, 1, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(last(r).text,
            "The VizieR answer for UCAC4 ended before its last line was complete.\r\n\r\nThe connection may have been "
            "interrupted; please try again.");
  // A row with fewer fields than names, and one with a non-number.
  for (const std::string& row : {std::string("408-1\t140.8\t-8.4"), std::string("408-1\t140.8\t-8.4x\t1\t1\t12")}) {
    r = ReadVizieRAnswer(TableOf(kUCAC4Names, {row}), u4, 1, true);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(last(r).text, "The VizieR answer for UCAC4 holds a row that cannot be read:\r\n\r\n" + row);
  }
}

TEST(VizieRAnswer, TwentyThousandRows) {
  std::vector<std::string> rows;
  for (int i = 0; i < 20000; ++i)
    rows.push_back(std::to_string(i) + "\t" + std::to_string(140.5 + i * 1e-5) + "\t-8.4\t1.0\t2.0\t" +
                   (i % 100 == 99 ? "" : std::to_string(10 + (i % 70) / 10.0)));
  const auto r = ReadVizieRAnswer(TableOf(kUCAC4Names, rows), OnlineCatalogOf(kWebUCAC4), 1, true);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.answer.stars.size(), 19800u);  // every hundredth row has no V
  EXPECT_EQ(r.answer.stars.back().id, "19998");
  EXPECT_NEAR(static_cast<double>(r.answer.stars.back().ra), (140.5 + 19998e-5) / 15, 1e-9);
}

TEST(OnlineAnswerField, ProperMotionFromTheCatalogEpoch) {
  OnlineAnswer gaia;
  gaia.epochJD = 2457389.0L;  // J2016.0
  gaia.pmAlongGreatCircle = true;
  CatalogStar s;
  s.ra = 6;
  s.dec = 60;
  s.mag = 12;
  s.pmRA = 1.0f;    // mu_alpha*, arc seconds per year
  s.pmDec = 0.5f;
  gaia.stars.push_back(s);
  SearchWindow all{0, 24, -90, 90, 20};
  // Ten Julian years later. Expected: Dec 60 + 5"/3600 = 60.001388889; RA
  // 10" / cos(60.001389 deg) / 54000 = 3.70385921538e-4 h (Python's math module).
  const auto moved = ReadAnswerField(gaia, all, 2457389.0L + 3652.5L);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_NEAR(static_cast<double>(moved[0].dec), 60.00138888888889, 1e-12);
  EXPECT_NEAR(static_cast<double>(moved[0].ra - 6), 0.000370385921538195, 1e-12);
  // The USNO-style table: epoch J2000, RA moved by PmRA / 54000 alone.
  OnlineAnswer usno = gaia;
  usno.epochJD = 2451545.0L;
  usno.pmAlongGreatCircle = false;
  const auto plain = ReadAnswerField(usno, all, 2451545.0L + 3652.5L);
  EXPECT_NEAR(static_cast<double>(plain[0].ra - 6), 10.0 / 54000, 1e-12);
  // The window test after the motion; an RA past 24 h comes round to 0.
  usno.stars[0].ra = 23.99999L;
  const auto round = ReadAnswerField(usno, SearchWindow{23.9, 0.1, 59, 61, 20}, 2451545.0L + 3652.5L);
  ASSERT_EQ(round.size(), 1u);
  EXPECT_NEAR(static_cast<double>(round[0].ra), 23.99999 + 10.0 / 54000 - 24, 1e-12);
  EXPECT_TRUE(ReadAnswerField(usno, SearchWindow{0, 24, 59, 61, 11.5f}, 2451545.0L).empty());  // too faint
}

// ------------------------------------------------------------ the reader

struct OnlineSession {
  explicit OnlineSession(std::uint8_t webCatalog, std::uint8_t service = kServiceVizieR) {
    options.catalogLocation = kCatalogWeb;
    options.webCatalog = webCatalog;
    options.onlineService = service;
    options.usnoCatURL = "http://usno.test/cone?";
    options.vizierServer = "http://vizier.test";
  }
  bool Load(const FieldParameters& p, std::uint8_t colour) {
    online.SetColourChoice(colour);
    FieldCatalogReaders readers;
    readers.online = &online;
    FieldLoadContext c{options, ui, table, field, readers};
    const bool loaded = LoadReferenceField(c, p, 2461000.5L);
    failureTold = c.failureTold;
    catalogMissing = c.catalogMissing;
    return loaded;
  }
  bool failureTold = false;     ///< of the last load
  bool catalogMissing = false;  ///< of the last load
  OptionsRecord options;
  ScriptedPlatform ui;
  GSCRgnsTblObj table{options, ui};
  GSCFieldObj field{options, ui, table};
  B1CatObj online{options, ui};
};

FieldParameters GaiaFixtureField(float size) {
  FieldParameters p;
  p.centreRA = 140.83425L / 15;
  p.centreDec = -8.411542L;
  p.size = size;
  p.limitMag = 17;
  DeriveSearchWindow(p);
  return p;
}

TEST(OnlineReader, OneQueryServesASmallerFieldLater) {
  OnlineSession s(kWebGaiaDR3);
  FieldParameters p = GaiaFixtureField(20);
  s.online.SetField(p);
  s.online.SetColourChoice(0);
  const std::string query = s.online.QueryText();
  EXPECT_EQ(query.rfind("http://vizier.test/viz-bin/asu-tsv?-source=I/355/gaiadr3&", 0), 0u);
  s.ui.SetHttpResponse(query, {true, 200, Fixture("gaia_dr3_field.tsv"), ""});
  ASSERT_TRUE(s.Load(p, 0));
  EXPECT_EQ(s.ui.HttpRequests(), std::vector<std::string>{query});
  EXPECT_EQ(s.field.PrimaryName(), "Gaia DR3");
  EXPECT_EQ(s.field.StarCount(), 3);
  EXPECT_FLOAT_EQ(s.field.BrightestMag(), 10.123456f);
  EXPECT_TRUE(s.ui.Messages().empty());
  const std::vector<std::string> notes = {"VizieR Web Service (CDS)\r\nRequesting Gaia DR3 Data",
                                          "Gaia DR3 Data Received.\r\nProcessing Catalog Data", "",
                                          "Gaia DR3 Catalog\r\nSearching Gaia DR3 Catalog Data", ""};
  EXPECT_EQ(s.ui.ProgressNotes(), notes);
  // A slightly smaller field with the same centre: no request, the same stars
  // that lie in the smaller window.
  ASSERT_TRUE(s.Load(GaiaFixtureField(19), 0));
  EXPECT_EQ(s.online.Requests(), 1);
  EXPECT_EQ(s.ui.HttpRequests().size(), 1u);
  EXPECT_EQ(s.field.StarCount(), 3);
  // A colour choice Gaia DR3 lacks asks for its G magnitude: the very query of
  // the stored answer, which serves it without a request.
  s.online.SetField(p);
  s.online.SetColourChoice(1);
  EXPECT_EQ(s.online.QueryText(), query);
  ASSERT_TRUE(s.Load(p, 1));
  EXPECT_EQ(s.online.Requests(), 1);
  EXPECT_EQ(s.field.StarCount(), 3);
  // Another field asks again (and fails here: nothing scripted for it).
  FieldParameters elsewhere = GaiaFixtureField(19);
  elsewhere.centreDec += 1;
  DeriveSearchWindow(elsewhere);
  EXPECT_FALSE(s.Load(elsewhere, 0));
  EXPECT_EQ(s.online.Requests(), 2);
  EXPECT_EQ(s.field.StarCount(), 3);  // the field as it was
}

TEST(OnlineReader, AFailedQueryLeavesThePreviousFieldAsItWas) {
  OnlineSession s(kWebGaiaDR3);
  FieldParameters p = GaiaFixtureField(20);
  s.online.SetField(p);
  s.online.SetColourChoice(0);
  s.ui.SetHttpResponse(s.online.QueryText(), {true, 200, Fixture("gaia_dr3_field.tsv"), ""});
  ASSERT_TRUE(s.Load(p, 0));
  ASSERT_EQ(s.field.StarCount(), 3);
  EXPECT_FALSE(s.failureTold);
  // A field elsewhere: the server answers 500, then an HTML page, then nothing at all.
  FieldParameters elsewhere = p;
  elsewhere.centreDec = 10;
  DeriveSearchWindow(elsewhere);
  s.online.SetField(elsewhere);
  const std::string next = s.online.QueryText();
  s.ui.SetHttpResponse(next, {false, 500, "oops", "500 Internal Server Error"});
  EXPECT_FALSE(s.Load(elsewhere, 0));
  EXPECT_EQ(s.field.StarCount(), 3);
  ASSERT_EQ(s.ui.Messages().size(), 1u);
  EXPECT_EQ(s.ui.Messages()[0].text,
            "VizieR \"Get\" request for Gaia DR3 failed!\r\n\r\nResponse Code = 500 Internal Server Error\r\n\r\n" +
                std::string(kVizieRFailureAdvice));
  EXPECT_EQ(s.ui.Messages()[0].caption, "Cannot Access Online Catalog!");
  // The failure was told: the measurement adds no "No Reference Stars Found" to it.
  EXPECT_TRUE(s.failureTold);
  EXPECT_FALSE(s.catalogMissing);
  s.ui.SetHttpResponse(next, {true, 200, "<html><body>busy</body></html>", ""});
  EXPECT_FALSE(s.Load(elsewhere, 0));
  EXPECT_EQ(s.ui.Messages().back().caption, "VizieR Catalog Error!");
  s.ui.SetHttpResponse(next, {false, 0, "", "no answer within 30 s"});
  EXPECT_FALSE(s.Load(elsewhere, 0));
  EXPECT_EQ(s.ui.Messages().back().text,
            "VizieR \"Get\" request for Gaia DR3 failed!\r\n\r\nServer is not responding!\r\n(no answer within 30 s)"
            "\r\n\r\n" + std::string(kVizieRFailureAdvice));
  // Stopped by the person: no message.
  platform::HttpResponse stopped{false, 0, "", "stopped"};
  stopped.stopped = true;
  s.ui.SetHttpResponse(next, stopped);
  const std::size_t before = s.ui.Messages().size();
  EXPECT_FALSE(s.Load(elsewhere, 0));
  EXPECT_EQ(s.ui.Messages().size(), before);
  EXPECT_EQ(s.field.StarCount(), 3);
  EXPECT_TRUE(s.failureTold);  // the person stopped it: nothing more to say
  // The stored answer still serves the first field.
  ASSERT_TRUE(s.Load(p, 0));
  EXPECT_FALSE(s.failureTold);
  EXPECT_EQ(s.ui.HttpRequests().size(), 5u);
}

TEST(OnlineReader, USNOStyleServiceMessages) {
  OnlineSession s(kWebUSNOB1, kServiceUSNO);
  const FieldParameters p = GaiaFixtureField(20);
  s.online.SetField(p);
  s.online.SetColourChoice(1);
  const std::string query = s.online.QueryText();
  EXPECT_EQ(query,
            "http://usno.test/cone?CAT=USNO-B1&RA=140.834250&DEC=-8.411542&SR=0.50&VERB=1&clr=R2&bri=1.0&fai=17.0"
            "&cftype=ASCII&skey=RA&slf=hh.hhh/dd.ddd");
  EXPECT_FALSE(s.Load(p, 1));  // nothing scripted: no answer
  ASSERT_EQ(s.ui.Messages().size(), 1u);
  EXPECT_EQ(s.ui.Messages()[0].text, "USNO-VO \"Get\" request failed!\r\n\r\nServer is not responding!");
  EXPECT_EQ(s.ui.Messages()[0].caption, "Cannot Access Online Catalog!");
  EXPECT_EQ(s.ui.ProgressNotes().front(), "USNO-NVO Web Service\r\nRequesting USNO-B1.0 Data");
  s.ui.SetHttpResponse(query, {false, 404, "", "404 Not Found"});
  EXPECT_FALSE(s.Load(p, 1));
  EXPECT_EQ(s.ui.Messages().back().text, "USNO-VO \"Get\" request failed!\r\n\r\nResponse Code = 404 Not Found");
  s.ui.SetHttpResponse(query, {true, 200,
                               USNOAnswer(kDecimal, {"    0815-1|9.38895| -8.410|  1.0|  2.0| 15.1| 14.2| 13.3|"},
                                          "        id|     RA|    DEC| MuRA|MuDEC|   B2|   R2|   I2|"),
                               ""});
  ASSERT_TRUE(s.Load(p, 1));
  EXPECT_EQ(s.field.StarCount(), 1);
  EXPECT_EQ(s.field.PrimaryName(), "USNO-B1.0");
}

}  // namespace
}  // namespace skarvel
