#include "images/fits_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "foundations/date_time.h"
#include "images/fits_writer.h"
#include "images/image_load_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::FitsCard;
using testing::ScriptedPlatform;
using testing::TempDir;
using testing::WriteFits;

class FitsTest : public testing::ImageLoadTest {
 protected:
  FitsTest() : ImageLoadTest(0) {}

  std::unique_ptr<FITSFileObj> LoadFile(const std::string& path, bool expectOk = true) {
    auto image = std::make_unique<FITSFileObj>(Context());
    EXPECT_EQ(image->Load(path), expectOk) << path;
    return image;
  }

  std::vector<std::int32_t> Pixels(FITSFileObj& image) {
    std::vector<std::int32_t> v;
    for (std::int32_t y = 0; y < image.height; ++y)
      for (std::int32_t x = 0; x < image.width; ++x) v.push_back(image.pixels.PixelAt(x, y));
    return v;
  }

  static std::string Time(double dt) { return TimeFieldText(dt); }
};

// ---------------------------------------------------------------- pixel values

TEST_F(FitsTest, EveryBitpixWithScaleAndZero) {
  struct Case {
    int bitpix;
    double bscale;
    double bzero;
    std::vector<double> raw;
    std::vector<std::int32_t> expected;
  };
  const std::vector<Case> cases = {
      {8, 1, 0, {0, 1, 127, 128, 255, 7}, {0, 1, 127, 128, 255, 7}},
      {8, 2, -100, {0, 1, 50, 128, 255, 3}, {-100, -98, 0, 156, 410, -94}},
      {16, 1, 0, {-32768, -1, 0, 1, 32767, 5}, {-32768, -1, 0, 1, 32767, 5}},
      {16, 1, 32768, {-32768, -1, 0, 1, 32767, 100}, {0, 32767, 32768, 32769, 65535, 32868}},
      // Halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2, -0.5 -> 0, -1.5 -> -2, 2.5 -> 2.
      {16, 0.5, 0, {1, 3, -1, -3, 5, 7}, {0, 2, 0, -2, 2, 4}},
      {16, 1, 0.5, {0, 1, -1, 2, -2, 3}, {0, 2, 0, 2, -2, 4}},
      {32, 1, 0, {-2147483648.0, -1, 0, 1, 2147483647.0, 9}, {-2147483647 - 1, -1, 0, 1, 2147483647, 9}},
      {32, 1, 2147483648.0, {-2147483648.0, -1, 0, 5, 6, 7}, {0, 2147483647, 0, 0, 0, 0}},  // overflow: errors
      {32, 10, -5, {0, 1, -1, 100, 2, 3}, {-5, 5, -15, 995, 15, 25}},
      // Floating-point data ignore BSCALE and BZERO.
      {-32, 100, 1000, {0.4, 0.5, 1.5, -2.5, 65535.0, 1e6}, {0, 0, 2, -2, 65535, 1000000}},
      {-64, 3, 7, {2.5, 3.5, -0.49999999, 1e9, -1e9, 0}, {2, 4, 0, 1000000000, -1000000000, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "BITPIX " << c.bitpix << " BSCALE " << c.bscale << " BZERO " << c.bzero);
    const std::string path = dir / "scaled.fits";
    WriteFits(path, c.bitpix, {3, 2}, c.raw, {{"BSCALE", c.bscale}, {"BZERO", c.bzero}});
    const bool overflow = c.bitpix == 32 && c.bzero == 2147483648.0;
    if (overflow) ui.AnswerNext(Answer::Ok);  // generate the image anyway
    auto image = LoadFile(path);
    EXPECT_EQ(Pixels(*image), c.expected);
    EXPECT_EQ(image->formatDescription, "FITS (BITPIX = " + std::to_string(c.bitpix) + ")");
    if (overflow) {
      ASSERT_FALSE(ui.Messages().empty());
      EXPECT_EQ(ui.Messages().back().caption, "File Errors Detected!");
    } else {
      EXPECT_TRUE(ui.Messages().empty());
    }
    ui.ClearRecords();
  }
}

TEST_F(FitsTest, ConversionErrorsAskAndCancelRefusesTheImage) {
  const std::string path = dir / "overflow.fits";
  WriteFits(path, 32, {2, 2}, {1, 1073741824.0, 3, 4}, {{"BSCALE", 4.0}});
  ui.AnswerNext(Answer::Cancel);
  auto image = LoadFile(path, false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Errors were detected while loading and processing OVERFLOWS.FIT.  The resulting image may or may not "
            "be useable.\r\n\r\nPress \"OK\" to attempt to generate the image, \"Cancel\" to abort.");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Stop);
  EXPECT_EQ(ui.Messages()[0].buttons, platform::Buttons::OkCancel);
  EXPECT_FALSE(image->HasImage());
}

TEST_F(FitsTest, NotANumberInFloatDataIsReportedAndTheRestKept) {
  const std::string path = dir / "nan.fits";
  WriteFits(path, -32, {3, 1}, {1.0, std::nan(""), 3.0});
  ui.AnswerNext(Answer::Ok);
  auto image = LoadFile(path);
  EXPECT_EQ(Pixels(*image), (std::vector<std::int32_t>{1, 0, 3}));
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"File Errors Detected!"}));
}

TEST_F(FitsTest, OnlyTheFirstPlaneOfACubeIsStored) {
  const std::string path = dir / "cube.fits";
  WriteFits(path, 16, {2, 2, 2}, {1, 2, 3, 4, 100, 200, 300, 400});
  auto image = LoadFile(path);
  EXPECT_EQ(image->Header().naxis3, 2);
  EXPECT_EQ(Pixels(*image), (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(image->maximum, 4);
  EXPECT_EQ(image->histogram.SampleCount(), 4);
}

TEST_F(FitsTest, AllNegativePixelsLeaveTheMaximumAtZero) {
  const std::string path = dir / "neg.fits";
  WriteFits(path, 16, {2, 2}, {-5, -9, -1, -300});
  auto image = LoadFile(path);
  EXPECT_EQ(image->maximum, 0);
  EXPECT_EQ(image->minimum, -300);
}

// ---------------------------------------------------------------- statistics against cfitsio

TEST_F(FitsTest, RealFramesMatchCfitsioValuesAndStatistics) {
  for (const char* name : {"ccdproc_a8280271_SAAO1m.fits", "ccdproc_sip-wcs_MSUM_cutout.fit"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(SKARVEL_TEST_DATA_DIR) + "/images/" + name;
    long w = 0;
    long h = 0;
    const auto reference = testing::ReadFitsValues(path, w, h);
    auto image = LoadFile(path);
    ASSERT_EQ(image->width, w);
    ASSERT_EQ(image->height, h);
    long double sum = 0;
    long double sumSq = 0;
    double lo = 1e300;
    double hi = -1e300;
    std::vector<std::int32_t> bins(256, 0);
    for (long y = 0; y < h; ++y)
      for (long x = 0; x < w; ++x) {
        const double v = reference[static_cast<std::size_t>(y * w + x)];
        ASSERT_EQ(image->pixels.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)), v);
        sum += v;
        sumSq += static_cast<long double>(v) * v;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        ++bins[std::min<std::size_t>(255, static_cast<std::size_t>(v / 256.0))];
      }
    const long double n = static_cast<long double>(w * h);
    EXPECT_EQ(image->minimum, lo);
    EXPECT_EQ(image->maximum, hi);
    EXPECT_NEAR(static_cast<double>(image->histogram.Mean()), static_cast<double>(sum / n), 1e-9);
    const double sigma = std::sqrt(static_cast<double>((sumSq - sum * sum / n) / (n - 1)));
    EXPECT_NEAR(static_cast<double>(image->histogram.StdDev()), sigma, 1e-9 * sigma);
    EXPECT_EQ(image->histogram.Bins(), bins);
    EXPECT_TRUE(ui.Messages().empty());
  }
}

TEST_F(FitsTest, RealFrameHeaders) {
  headerTimeType = 0;
  auto saao = LoadFile(std::string(SKARVEL_TEST_DATA_DIR) + "/images/ccdproc_a8280271_SAAO1m.fits");
  const FITSHeader& h = saao->Header();
  EXPECT_NEAR(static_cast<double>(h.ra), 22.0 + 4.0 / 60 + 8.0 / 3600, 1e-12);
  EXPECT_NEAR(static_cast<double>(h.dec), -(55.0 / 60 + 31.0 / 3600), 1e-12);  // RA_OBS and DEC_OBS are not RA and DEC
  EXPECT_EQ(h.object, "RF0420                    ");
  EXPECT_EQ(h.filter, 8);  // FILTERS = 48 names no band
  EXPECT_NEAR(static_cast<double>(h.exposure), 150.04, 1e-12);
  EXPECT_EQ(h.equinox, 2000.0L);
  // 00:57:33 at the start of a 150.04 s exposure: mid-exposure 00:58:48.02.
  EXPECT_EQ(DateFieldText(h.observationTime), "2013/07/13");
  EXPECT_NEAR((h.observationTime - std::floor(h.observationTime)) * 86400.0, 57 * 60 + 33 + 75.02, 1e-4);
  EXPECT_EQ(obs.objectName, "RF0420                    ");
  EXPECT_EQ(obs.observer, "crawford                  ");
  EXPECT_EQ(report.camera.imageWidth, 536);
  EXPECT_EQ(report.camera.imageHeight, 520);
  EXPECT_TRUE(report.cameraFromImage);

  obs = ObsParams{};
  auto msum = LoadFile(std::string(SKARVEL_TEST_DATA_DIR) + "/images/ccdproc_sip-wcs_MSUM_cutout.fit");
  EXPECT_EQ(msum->Header().filter, 0);  // 'B'
  EXPECT_EQ(report.camera.filter, 0);
  // RADESYS = 'FK5' leaves the RA alone.
  EXPECT_EQ(msum->Header().ra, 0.0L);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(Time(msum->Header().observationTime), "02:10:05");  // 02:09:05 + 60 s
}

// ---------------------------------------------------------------- header cards

TEST_F(FitsTest, DateForms) {
  struct Case {
    std::vector<FitsCard> cards;
    std::uint8_t timeType;
    const char* date;
    long double seconds;  // of the day
  };
  const std::vector<Case> cases = {
      {{{"DATE-OBS", std::string("2009-10-25T03:15:20.5")}, {"EXPTIME", 60.0}}, 0, "2009/10/25", 3 * 3600 + 15 * 60 + 50.5L},
      {{{"DATE-OBS", std::string("2009-10-25T03:15:20.5")}, {"EXPTIME", 60.0}}, 1, "2009/10/25", 3 * 3600 + 15 * 60 + 20.5L},
      {{{"DATE-OBS", std::string("2009-10-25T03:15:20.5")}, {"EXPTIME", 60.0}}, 2, "2009/10/25", 3 * 3600 + 14 * 60 + 50.5L},
      {{{"DATE-OBS", std::string("25/10/98")}, {"UT", std::string("03:15:20")}}, 1, "1998/10/25", 3 * 3600 + 15 * 60 + 20.0L},
      {{{"DATE-OBS", std::string("25/10/05")}, {"UT", std::string("03:15:20")}}, 1, "2005/10/25", 3 * 3600 + 15 * 60 + 20.0L},
      {{{"DATE-OBS", std::string("25/10/1979")}}, 1, "1979/10/25", 0},
      {{{"DATE-OBS", std::string("2009-10-25")}, {"TIME-OBS", 11720.5}}, 1, "2009/10/25", 11720.5L},
      {{{"DATE-OBS", std::string("2009-10-25")}, {"TIME-OBS", std::string("10:30:00 PM")}}, 1, "2009/10/25", 22.5L * 3600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::get<std::string>(c.cards[0].value));
    headerTimeType = c.timeType;
    obs = ObsParams{};
    const std::string path = dir / "date.fits";
    WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, c.cards);
    auto image = LoadFile(path);
    const double t = image->Header().observationTime;
    EXPECT_EQ(DateFieldText(t), c.date);
    EXPECT_NEAR((t - std::floor(t)) * 86400.0, static_cast<double>(c.seconds), 2e-4);
    EXPECT_EQ(obs.observationTime, t);
    EXPECT_TRUE(ui.Messages().empty());
  }
}

TEST_F(FitsTest, UnreadableDateAndTimeCountAsZeroWithTheirMessages) {
  const std::string path = dir / "baddate.fits";
  WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, {{"DATE-OBS", std::string("yesterday")}, {"UT", std::string("noon")}});
  auto image = LoadFile(path);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: DATE-OBS\r\nData: yesterday");
  EXPECT_EQ(ui.Messages()[0].caption, "Numeric Conversion Error");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
  EXPECT_EQ(ui.Messages()[1].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: UT\r\nData: noon    ");
  EXPECT_EQ(ui.Beeps(), 2);
  EXPECT_EQ(image->Header().observationTime, 0.0);
}

TEST_F(FitsTest, RaDecCardsAndTheirRewrites) {
  EXPECT_EQ(ParseSexagesimalCard("-00:30:00", true), -0.5L);
  EXPECT_EQ(ParseSexagesimalCard("-12 : 30:00", true), -12.5L);
  EXPECT_EQ(ParseSexagesimalCard("12:30:36", false), 12.51L);
  EXPECT_EQ(ParseSexagesimalCard("", false), 0.0L);
  EXPECT_EQ(ParseSexagesimalCard("5.25", true), 5.25L);
  EXPECT_FALSE(ParseSexagesimalCard("FK5", false).has_value());
  EXPECT_FALSE(ParseSexagesimalCard("1:2:3:4", false).has_value());

  const std::string path = dir / "radec.fits";
  WriteFits(path, 16, {2, 2}, {1, 2, 3, 4},
            {{"TELRA", std::string("05:34:31.9")}, {"TELDEC", std::string("+22:00:52")},
             {"RADESYS", std::string("FK5")}, {"FILTNME", std::string("R-Johnson")}});
  auto image = LoadFile(path);
  EXPECT_NEAR(static_cast<double>(image->Header().ra), 5 + 34 / 60.0 + 31.9 / 3600, 1e-12);
  EXPECT_NEAR(static_cast<double>(image->Header().dec), 22 + 52 / 3600.0, 1e-12);
  EXPECT_EQ(image->Header().filter, 2);
  EXPECT_TRUE(ui.Messages().empty());
  // An RA card that is no sexagesimal text gives the message and RA 0.
  WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, {{"RA", std::string("12:xx:00")}});
  auto bad = LoadFile(path);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: RA\r\nData: 12:xx:00");
  EXPECT_EQ(bad->Header().ra, 0.0L);
}

TEST_F(FitsTest, FilterCodes) {
  EXPECT_EQ(ParseFilterCode("Clear"), 7);
  EXPECT_EQ(ParseFilterCode(" "), 8);
  EXPECT_EQ(ParseFilterCode(""), 8);
  EXPECT_EQ(ParseFilterCode("V-band"), 1);
  EXPECT_EQ(ParseFilterCode(" i' "), 3);
  EXPECT_EQ(ParseFilterCode("none"), 7);
  EXPECT_EQ(ParseFilterCode("K"), 6);
  EXPECT_EQ(ParseFilterCode("Halpha"), 5);
  EXPECT_EQ(ParseFilterCode("48"), 8);
  EXPECT_EQ(ParseFilterCode("open"), 8);
  const std::string path = dir / "filter.fits";
  for (auto [text, code] : {std::pair{"Clear", 7}, std::pair{" ", 8}, std::pair{"R", 2}}) {
    WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, {{"FILTER", std::string(text)}});
    EXPECT_EQ(LoadFile(path)->Header().filter, code) << text;
  }
  // FILTNME 'open' is not a filter name: it is only listed.
  WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, {{"FILTNME", std::string("open")}});
  EXPECT_EQ(LoadFile(path)->Header().filter, 8);
}

TEST_F(FitsTest, HeaderCopiesIntoTheObservationParameters) {
  const std::string path = dir / "sim.fits";
  WriteFits(path, 16, {2, 2}, {1, 2, 3, 4},
            {{"OBJECT", std::string("(433) Eros")}, {"OBSERVER", std::string("J. Doe")},
             {"ORIGIN", std::string("VORN Simulation")}, {"DATE-OBS", std::string("2026-12-09T20:00:00")},
             {"FILTER", std::string("V")}});
  obs.observer = "Already Set";
  auto image = LoadFile(path);
  EXPECT_EQ(obs.objectName, "(433) EROS");
  EXPECT_EQ(obs.observer, "Already Set");
  EXPECT_EQ(obs.note, kNoteSimulated);
  EXPECT_EQ(report.camera.filter, 1);
  EXPECT_EQ(report.camera.imageWidth, 2);
}

TEST_F(FitsTest, HeaderTextFileAndWindows) {
  const std::string path = dir / "m31.fits";
  WriteFits(path, 16, {3, 2}, {10, 20, 30, 40, 50, 60}, {{"OBJECT", std::string("M31")}});
  {
    auto image = LoadFile(path);
    EXPECT_EQ(image->displayName, "M31S.FIT");
    EXPECT_EQ(image->headerTextPath, dataDir + "M31S.HDR");
    ASSERT_TRUE(testing::Exists(dataDir + "M31S.HDR"));
    const auto header = image->HeaderWindowContent("Image 1 - ");
    EXPECT_EQ(header.caption, "Image 1 - M31S.FIT");
    EXPECT_EQ(header.saveName, "M31S.HDR");
    ASSERT_GE(header.lines.size(), 5u);
    EXPECT_EQ(header.lines[0], path);
    EXPECT_EQ(header.lines[1], "** FITS Header Information **");
    EXPECT_EQ(header.lines[2], "");
    EXPECT_EQ(header.lines[3], "SIMPLE  =                    T / file does conform to FITS standard");
    EXPECT_EQ(header.lines.back(), "END");
    const auto data = image->ImageDataWindowContent("Image 2 - ");
    EXPECT_EQ(data.caption, "Image 2 - Image Data");
    EXPECT_EQ(data.saveName, "M31S.IMG");
    EXPECT_EQ(data.lines, (std::vector<std::string>{
                              "File Name: " + path, "File Type: FITS (BITPIX = 16)",
                              "Width: 3 Pixels;  Height: 2 Pixels;  Total: 6 Pixels",
                              "Raw Pixel Values - Minimum: 10.0;   Maximum: 60.0", "Maximum Bin: 0;  Count: 0",
                              "First Zero Bin: 0", "Adjusted Image Range - Low: 0.0;  High: 0.0"}));
  }
  // Released with its image.
  EXPECT_FALSE(testing::Exists(dataDir + "M31S.HDR"));
  // m31.fit gives M31.FIT and M31.HDR.
  const std::string plain = dir / "m31.fit";
  WriteFits(plain, 16, {3, 2}, {10, 20, 30, 40, 50, 60});
  auto image = LoadFile(plain);
  EXPECT_EQ(image->displayName, "M31.FIT");
  EXPECT_TRUE(testing::Exists(dataDir + "M31.HDR"));
}

// ---------------------------------------------------------------- extensions

TEST_F(FitsTest, EmptyPrimaryFollowedByAnImageExtension) {
  const std::string path = dir / "ext.fits";
  fitsfile* f = nullptr;
  int status = 0;
  const std::string name = "!" + path;
  fits_create_file(&f, name.c_str(), &status);
  fits_create_img(f, 8, 0, nullptr, &status);
  int yes = 1;
  fits_update_key(f, TLOGICAL, "EXTEND", &yes, nullptr, &status);
  long naxes[2] = {4, 3};
  fits_create_img(f, SHORT_IMG, 2, naxes, &status);
  std::vector<short> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  fits_write_img(f, TSHORT, 1, 12, data.data(), &status);
  fits_close_file(f, &status);
  ASSERT_EQ(status, 0);
  auto image = LoadFile(path);
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(image->height, 3);
  EXPECT_EQ(image->Header().xtension, "IMAGE   ");
  EXPECT_EQ(image->formatDescription, "FITS (BITPIX = 16)");
  EXPECT_EQ(image->pixels.PixelAt(3, 2), 12);
  EXPECT_EQ(image->pixels.PixelAt(0, 0), 1);
}

class TableReader : public FITSFileObj {
 public:
  using FITSFileObj::FITSFileObj;
  bool tableRead = false;
  bool ReadTable() override {
    tableRead = true;
    return Input().is_open();
  }
};

TEST_F(FitsTest, EmptyPrimaryFollowedByATableExtensionGoesToTheTableReader) {
  const std::string path = dir / "table.fits";
  fitsfile* f = nullptr;
  int status = 0;
  const std::string name = "!" + path;
  fits_create_file(&f, name.c_str(), &status);
  fits_create_img(f, 8, 0, nullptr, &status);
  int yes = 1;
  fits_update_key(f, TLOGICAL, "EXTEND", &yes, nullptr, &status);
  char* types[] = {const_cast<char*>("REG"), const_cast<char*>("RA")};
  char* forms[] = {const_cast<char*>("I5"), const_cast<char*>("F10.4")};
  fits_create_tbl(f, ASCII_TBL, 7, 2, types, forms, nullptr, nullptr, &status);
  fits_close_file(f, &status);
  ASSERT_EQ(status, 0);
  FITSFileObj plain(Context());
  EXPECT_FALSE(plain.Load(path));  // the plain reader has no table step
  TableReader reader(Context());
  EXPECT_TRUE(reader.Load(path));
  EXPECT_TRUE(reader.tableRead);
  EXPECT_EQ(reader.Header().xtension, "TABLE   ");
  EXPECT_EQ(reader.Header().naxis2, 7);
  EXPECT_EQ(reader.Header().tfields, 2);
  EXPECT_GT(reader.Header().naxis1, 0);
}

// ---------------------------------------------------------------- hostile files

std::string Card(const std::string& text) {
  std::string c = text;
  c.resize(80, ' ');
  return c;
}

std::string Header(const std::vector<std::string>& cards, bool end = true) {
  std::string h;
  for (const auto& c : cards) h += Card(c);
  if (end) h += Card("END");
  h.resize((h.size() + 2879) / 2880 * 2880, ' ');
  return h;
}

TEST_F(FitsTest, NotFitsIsRejectedAfterTheFirstCard) {
  const std::string path = dir / "notfits.fit";
  testing::WriteText(path, Header({"BITPIX  =                   16", "SIMPLE  =                    T"}));
  auto image = LoadFile(path, false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File is Not FITS Format!\r\nFile Name: " + path +
                                       "\r\n\r\nChange the File Type via \"File\" -> \"Image File Type...\"");
  EXPECT_EQ(ui.Messages()[0].caption, "FITS File Error!");
  EXPECT_EQ(ui.Beeps(), 1);
  // Only the first card was listed.
  const auto lines = image->HeaderWindowContent("").lines;
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "BITPIX  =                   16");
}

TEST_F(FitsTest, HostileFilesGiveMessagesNotCrashes) {
  const std::string simple = "SIMPLE  =                    T";
  struct Case {
    const char* what;
    std::string bytes;
    const char* caption;  // of the last message
  };
  std::vector<Case> cases = {
      {"empty", "", "FITS File Error!"},
      {"BITPIX 12", Header({simple, "BITPIX  =                   12", "NAXIS   =                    2",
                            "NAXIS1  =                    2", "NAXIS2  =                    2"}),
       "FITS File Error!"},
      {"NAXIS1 huge", Header({simple, "BITPIX  =                   16", "NAXIS   =                    2",
                              "NAXIS1  =           2147483647", "NAXIS2  =                    2"}),
       "FITS File Error!"},
      {"too many pixels", Header({simple, "BITPIX  =                   16", "NAXIS   =                    2",
                                  "NAXIS1  =                16383", "NAXIS2  =                65535"}),
       "FITS File Error!"},
      {"NAXIS1 not a number", Header({simple, "BITPIX  =                   16", "NAXIS   =                    2",
                                      "NAXIS1  = 'abc'", "NAXIS2  =                    2"}),
       "FITS File Error!"},
      {"no axes", Header({simple, "BITPIX  =                   16", "NAXIS   =                    0"}),
       "FITS File Error!"},
      {"half a card", Header({simple}).substr(0, 40), "FITS File Error!"},
  };
  // Random bytes after a valid first card.
  std::string noise = Card(simple);
  std::uint32_t x = 12345;
  for (int i = 0; i < 8000; ++i) {
    x = x * 1664525u + 1013904223u;
    noise.push_back(static_cast<char>(x >> 24));
  }
  cases.push_back({"noise", noise, nullptr});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui.ClearRecords();
    const std::string path = dir / "hostile.fits";
    testing::WriteText(path, c.bytes);
    FITSFileObj image(Context());
    EXPECT_FALSE(image.Load(path));
    EXPECT_FALSE(image.HasImage());
    if (c.caption != nullptr) {
      ASSERT_FALSE(ui.Messages().empty());
      EXPECT_EQ(ui.Messages().back().caption, c.caption);
    }
  }
}

TEST_F(FitsTest, NoEndCardEndsTheHeaderAtTheEndOfTheFile) {
  const std::string path = dir / "noend.fits";
  testing::WriteText(path, Header({"SIMPLE  =                    T", "BITPIX  =                    8",
                                   "NAXIS   =                    2", "NAXIS1  =                    3",
                                   "NAXIS2  =                    2"},
                                  false));
  // The header is complete; the data are missing, so there is nothing to show.
  auto image = LoadFile(path, false);
  EXPECT_EQ(image->width, 3);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "File Errors Detected!");
}

TEST_F(FitsTest, TruncatedAnywhereNeverCrashes) {
  const std::string full = dir / "full.fits";
  std::vector<double> raw(40 * 30);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<double>(i);
  WriteFits(full, 16, {40, 30}, raw, {{"DATE-OBS", std::string("2009-10-25T03:15:20.5")}});
  const auto bytes = testing::ReadAll(full);
  for (std::size_t size = 0; size < bytes.size(); size += 97) {
    ui.ClearRecords();
    const std::string path = dir / "cut.fits";
    testing::WriteAll(path, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(size)));
    FITSFileObj image(Context());
    const bool ok = image.Load(path);
    // Cut before a whole row of data the file is refused with a message; after
    // it the question is answered OK and the complete rows are kept.
    EXPECT_EQ(ok, size >= 2880 + 80) << size;
    const bool complete = size >= 2880 + 40 * 30 * 2;
    EXPECT_EQ(ui.Messages().empty(), complete) << size;
    if (ok) {
      EXPECT_EQ(image.height, complete ? 30 : static_cast<std::int32_t>(size - 2880) / 80) << size;
      EXPECT_EQ(image.pixels.PixelAt(39, image.height - 1), image.height * 40 - 1) << size;
    }
  }
}

TEST_F(FitsTest, MissingFileAndDirectory) {
  FITSFileObj image(Context());
  EXPECT_FALSE(image.Load(dir / "absent.fits"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Open FITS File!\r\n\r\nFile Name: " + dir / "absent.fits" +
                                       "\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[0].caption, "FITS File Error!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  const std::string folder = dir.MakeDir("folder.fits");
  EXPECT_FALSE(image.Load(folder));
  EXPECT_EQ(ui.Messages().back().text, "Unable to Open FITS File!\r\n\r\nFile Name: " + folder + "\r\nIOResult = 5");
}

TEST_F(FitsTest, HeaderTextFileThatCannotBeCreated) {
  const std::string path = dir / "ok.fits";
  WriteFits(path, 16, {2, 2}, {1, 2, 3, 4});
  ImageLoadContext context = Context();
  context.dataDir = dir / "missing-dir/";
  FITSFileObj image(context);
  EXPECT_FALSE(image.Load(path));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Open Temporary File!\r\n\r\nFile Name: " + path + "\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[0].caption, "File Error!");
}

TEST_F(FitsTest, ReloadingReplacesTheHeaderTextFile) {
  const std::string a = dir / "a.fits";
  const std::string b = dir / "b.fits";
  WriteFits(a, 16, {2, 2}, {1, 2, 3, 4});
  WriteFits(b, 16, {3, 1}, {7, 8, 9});
  FITSFileObj image(Context());
  ASSERT_TRUE(image.Load(a));
  ASSERT_TRUE(testing::Exists(dataDir + "AS.HDR"));  // "a.fits" is shown as AS.FIT
  ASSERT_TRUE(image.Load(b));
  EXPECT_FALSE(testing::Exists(dataDir + "AS.HDR"));
  EXPECT_TRUE(testing::Exists(dataDir + "BS.HDR"));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.pixels.PixelAt(2, 0), 9);
}

}  // namespace
}  // namespace skarvel
