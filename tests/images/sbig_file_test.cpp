// The SBIG and ST-4 readers against files written by the test generator
// (tests/support/sbig_writer.*), which lays out the bytes independently.
#include "images/sbig_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "foundations/date_time.h"
#include "images/image_readers.h"
#include "support/sbig_writer.h"
#include "images/image_load_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::SBIGFileSetup;
using testing::ScriptedPlatform;
using testing::TempDir;

constexpr const char* kChangeType = "Change the File Type via \"File\" -> \"Image File Type...\"";

class SbigTest : public testing::ImageLoadTest {
 protected:
  SbigTest() : ImageLoadTest(1) {}

  static SBIGFileSetup Setup(const std::string& firstLine, int width, int height, std::uint32_t seed = 1) {
    SBIGFileSetup s;
    s.firstLine = firstLine;
    s.width = width;
    s.height = height;
    s.keys = {{"File_version", "3"}, {"Width", std::to_string(width)}, {"Height", std::to_string(height)},
              {"Pedestal", "100"}};
    std::mt19937 random(seed);
    std::uint16_t v = 1000;
    for (int i = 0; i < width * height; ++i) {
      // Mostly small steps, now and then a jump past the byte differences.
      const int step = (random() % 7 == 0) ? static_cast<int>(random() % 20000) - 10000 : static_cast<int>(random() % 61) - 30;
      v = static_cast<std::uint16_t>(std::clamp(static_cast<int>(v) + step, 0, 65535));
      s.values.push_back(v);
    }
    return s;
  }

  std::unique_ptr<SBIGFileObj> LoadBytes(const std::vector<std::uint8_t>& bytes, bool expectOk = true,
                                         const std::string& name = "frame.st7") {
    const std::string path = dir / name;
    testing::WriteAll(path, bytes);
    auto image = std::make_unique<SBIGFileObj>(Context());
    EXPECT_EQ(image->Load(path), expectOk) << path;
    return image;
  }

  static void ExpectPixels(GraphicsFileObj& image, const SBIGFileSetup& s, int offset) {
    ASSERT_EQ(image.width, s.width);
    ASSERT_EQ(image.height, s.height);
    int wrong = 0;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x)
        if (image.pixels.PixelAt(x, y) != s.values[static_cast<std::size_t>(y * s.width + x)] + offset) ++wrong;
    EXPECT_EQ(wrong, 0);
  }
};

// ---------------------------------------------------------------- pixels

TEST_F(SbigTest, EveryCameraPlainAndCompressedReadsBackItsValues) {
  const char* cameras[] = {"ST-4X", "ST-5", "ST-6", "ST-7", "ST-8", "PixCel255", "PixCel237", "ST-9", "STV"};
  for (std::uint8_t k = 0; k < 9; ++k) {
    for (const bool compressed : {false, true}) {
      const std::string first = std::string(cameras[k]) + (compressed ? " Compressed Image" : " Image");
      SCOPED_TRACE(first);
      const SBIGFileSetup s = Setup(first, 37, 5, k + 1u);
      report = AstromObsObj{UserRecord{}, CameraRecord{}, SiteRecord{}};
      auto image = LoadBytes(testing::SBIGFileBytes(s));
      ExpectPixels(*image, s, 0);  // pedestal 100: the values as written
      EXPECT_EQ(image->Header().compressed, compressed);
      EXPECT_EQ(image->Header().cameraType, k + 1);
      EXPECT_EQ(image->formatDescription, "SBIG - " + first.substr(0, 24));
      EXPECT_EQ(image->fileTypeCode, kFileSBIG);
      EXPECT_EQ(report.camera.name, std::string("SBIG ") + cameras[k]);
      EXPECT_EQ(image->histogram.SampleCount(), 37 * 5);
    }
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SbigTest, CompressedRowBytes) {
  // 0x80 0x34 0x12 is the full value 0x1234; a following 0xFE lowers it by 2.
  std::vector<std::uint8_t> escape = {0x10, 0x00, 0x80, 0x34, 0x12, 0xFE, 0x01, 0x00};
  std::vector<std::int32_t> out;
  DecodeSBIGRow(escape, 5, out);
  EXPECT_EQ(out, (std::vector<std::int32_t>{0x10, 0x1234, 0x1232, 0x1233, 0x1233}));
  // A byte count of twice the width: plain values, even where a byte reads 0x80.
  out.clear();
  DecodeSBIGRow(std::vector<std::uint8_t>{0x80, 0x00, 0x01, 0x80}, 2, out);
  EXPECT_EQ(out, (std::vector<std::int32_t>{0x0080, 0x8001}));
  // An escape cut by the end of the row ends it.
  out.clear();
  DecodeSBIGRow(std::vector<std::uint8_t>{0x05, 0x00, 0x01, 0x80, 0x34}, 9, out);
  EXPECT_EQ(out, (std::vector<std::int32_t>{5, 6}));
  // Differences wrap within 16 bits.
  out.clear();
  DecodeSBIGRow(std::vector<std::uint8_t>{0x01, 0x00, 0xFE}, 9, out);
  EXPECT_EQ(out, (std::vector<std::int32_t>{1, 0xFFFF}));

  // In a file: pedestal 150 adds 50 to every value.
  SBIGFileSetup s = Setup("ST-7 Compressed Image", 5, 1);
  s.keys = {{"Width", "5"}, {"Height", "1"}, {"Pedestal", "150"}};
  std::vector<std::uint8_t> bytes = testing::SBIGHeaderBytes(s);
  bytes.insert(bytes.end(), {8, 0});
  bytes.insert(bytes.end(), escape.begin(), escape.end());
  auto image = LoadBytes(bytes);
  EXPECT_EQ(image->pixels.PixelAt(0, 0), 0x10 + 50);
  EXPECT_EQ(image->pixels.PixelAt(1, 0), 0x1234 + 50);
  EXPECT_EQ(image->pixels.PixelAt(2, 0), 0x1232 + 50);
  EXPECT_EQ(image->pixels.PixelAt(4, 0), 0x1233 + 50);
  EXPECT_EQ(image->minimum, 0x10 + 50);
  EXPECT_EQ(image->maximum, 0x1234 + 50);
}

TEST_F(SbigTest, TheGeneratorStoresARowPlainlyWhenCompressionDoesNotPay) {
  const auto plain = testing::CompressedSBIGRow({0, 30000, 0, 30000});
  EXPECT_EQ(plain, (std::vector<std::uint8_t>{8, 0, 0, 0, 0x30, 0x75, 0, 0, 0x30, 0x75}));
  const auto small = testing::CompressedSBIGRow({100, 101, 99, 99});
  EXPECT_EQ(small, (std::vector<std::uint8_t>{5, 0, 100, 0, 1, 0xFE, 0}));
  // A file of such rows reads back.
  SBIGFileSetup s = Setup("ST-8 Compressed Image", 4, 2);
  s.values = {0, 30000, 0, 30000, 100, 101, 99, 99};
  auto image = LoadBytes(testing::SBIGFileBytes(s));
  ExpectPixels(*image, s, 0);
}

TEST_F(SbigTest, RowsThatDecodeToMoreOrFewerValuesShiftButStayInBounds) {
  SBIGFileSetup s = Setup("ST-7 Compressed Image", 4, 3);
  std::vector<std::uint8_t> bytes = testing::SBIGHeaderBytes(s);
  // Row 0: six values (two spill into row 1); row 1: one value; row 2: nine values.
  const std::vector<std::vector<std::uint8_t>> rows = {
      {1, 0, 1, 1, 1, 1, 1}, {50, 0}, {9, 0, 1, 1, 1, 1, 1, 1, 1, 1}};
  for (const auto& r : rows) {
    bytes.push_back(static_cast<std::uint8_t>(r.size()));
    bytes.push_back(0);
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  auto image = LoadBytes(bytes);
  const std::vector<std::int32_t> expected = {1, 2, 3, 4, 5, 6, 50, 9, 10, 11, 12, 13};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(image->pixels.PixelAt(i % 4, i / 4), expected[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(image->histogram.SampleCount(), 12);  // the values past the image are dropped

  // Too few values in all: the person is asked; only the complete rows are kept.
  std::vector<std::uint8_t> few = testing::SBIGHeaderBytes(s);
  for (int r = 0; r < 3; ++r) few.insert(few.end(), {4, 0, 7, 0, 1, 1});  // three values a row
  ui.AnswerNext(Answer::Ok);
  auto kept = LoadBytes(few);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "File Errors Detected!");
  EXPECT_EQ(kept->height, 2);  // nine values: two complete rows
  EXPECT_EQ(kept->pixels.PixelAt(3, 0), 7);
  EXPECT_EQ(kept->pixels.PixelAt(3, 1), 8);  // 7 8 9 7 | 8 9 7 8 | 9
  // One value a row is not one complete row: nothing to show.
  std::vector<std::uint8_t> fewer = testing::SBIGHeaderBytes(s);
  for (int r = 0; r < 3; ++r) fewer.insert(fewer.end(), {2, 0, 7, 0});
  LoadBytes(fewer, false);
  EXPECT_EQ(ui.Messages().size(), 2u);
}

TEST_F(SbigTest, ShortFilesAskAndKeepOnlyCompleteRows) {
  for (const bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    const SBIGFileSetup s = Setup(compressed ? "ST-6 Compressed Image" : "ST-6 Image", 20, 10);
    auto bytes = testing::SBIGFileBytes(s);
    // Plain rows are 40 bytes: 2048 + 4.5 rows.
    bytes.resize(compressed ? bytes.size() - 3 : 2048 + 180);
    ui.ClearRecords();
    ui.AnswerNext(Answer::Cancel);
    LoadBytes(bytes, false);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text,
              "Errors were detected while loading and processing FRAME.ST7.  The resulting image may or may not be "
              "useable.\r\n\r\nPress \"OK\" to attempt to generate the image, \"Cancel\" to abort.");
    ui.AnswerNext(Answer::Ok);
    auto image = LoadBytes(bytes);
    EXPECT_EQ(image->height, compressed ? 9 : 4);
    EXPECT_EQ(image->pixels.PixelAt(19, image->height - 1), s.values[static_cast<std::size_t>(image->height * 20 - 1)]);
  }
}

// ---------------------------------------------------------------- header

TEST_F(SbigTest, DatesTimesAndTheExposureCorrection) {
  struct Case {
    std::string date, time;
    std::uint8_t type;
    int year, month, day;
    double seconds;
  };
  const std::vector<Case> cases = {
      {"12/31/99", "23:00:00", 1, 1999, 12, 31, 23 * 3600.0},
      {"01/02/05", "03:15:20", 1, 2005, 1, 2, 3 * 3600 + 15 * 60 + 20.0},
      {"01/02/80", "00:00:00", 1, 1980, 1, 2, 0},
      {"01/02/79", "00:00:00", 1, 2079, 1, 2, 0},
      // Exposure = 6000 (60 s): the start of the exposure moves the time 30 s later, the end 30 s earlier.
      {"01/02/05", "03:15:20", 0, 2005, 1, 2, 3 * 3600 + 15 * 60 + 50.0},
      {"01/02/05", "03:15:20", 2, 2005, 1, 2, 3 * 3600 + 14 * 60 + 50.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date + " " + c.time + " type " + std::to_string(c.type));
    headerTimeType = c.type;
    SBIGFileSetup s = Setup("ST-7 Image", 2, 2);
    s.keys.push_back({"Date", c.date});
    s.keys.push_back({"Time", c.time});
    s.keys.push_back({"Exposure", "6000"});
    s.keys.push_back({"Exposure_state", "17"});
    auto image = LoadBytes(testing::SBIGFileBytes(s));
    EXPECT_EQ(image->Header().exposure, 6000);
    EXPECT_EQ(image->Header().exposureState, 17);
    const double expected = *EncodeDate(c.year, c.month, c.day) + c.seconds / 86400.0;
    EXPECT_NEAR(image->Header().observationTime, expected, 1e-9);
    EXPECT_EQ(obs.observationTime, image->Header().observationTime);
  }
  EXPECT_TRUE(ui.Messages().empty());
  // Dates and times that cannot be read count as 0, with the numeric conversion message.
  SBIGFileSetup s = Setup("ST-7 Image", 2, 2);
  s.keys.push_back({"Date", "13/45/99"});
  s.keys.push_back({"Time", "25:00"});
  auto image = LoadBytes(testing::SBIGFileBytes(s));
  EXPECT_EQ(image->Header().observationTime, 0.0);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: DATE-OBS\r\nData: 13/45/99");
  EXPECT_EQ(ui.Messages()[1].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: UT\r\nData: 25:00");
}

TEST_F(SbigTest, DisplayRangeCameraRecordAndObservation) {
  SBIGFileSetup s = Setup("ST-4X Image", 3, 2);
  s.keys = {{"Width", "3"},          {"Height", "2"},          {"Pedestal", "100"},     {"Background", "500"},
            {"Range", "1000"},       {"X_pixel_size", "0.0090"}, {"Y_pixel_size", "0.0120"},
            {"Aperture", "78.539816"}, {"Focal_length", "80.0"}, {"Filter", "R-band"},  {"Observer", "J. Doe"},
            {"Note", "test field"}};
  obs.observer = "";
  auto image = LoadBytes(testing::SBIGFileBytes(s));
  EXPECT_EQ(image->headerBackground, 500);
  EXPECT_EQ(image->headerRangeTop, 1500);
  const CameraRecord& c = report.camera;
  EXPECT_EQ(c.name, "SBIG ST-4X");
  EXPECT_NEAR(c.pixelWidthUm, 9.0f, 1e-4f);
  EXPECT_NEAR(c.pixelHeightUm, 12.0f, 1e-4f);
  EXPECT_NEAR(c.apertureMm, 254.0f, 1e-3f);  // an area of 25 pi square inches: 10 inches across
  EXPECT_NEAR(c.focalLengthMm, 2032.0f, 1e-3f);
  EXPECT_EQ(c.imageWidth, 3);
  EXPECT_EQ(c.imageHeight, 2);
  EXPECT_EQ(c.filter, 2);
  EXPECT_TRUE(report.cameraFromImage);
  EXPECT_EQ(obs.observer, "J. Doe");
  EXPECT_EQ(image->Header().note, "test field");
  // Pedestal 0 lowers every value by 100; an observer already set is kept.
  s.keys = {{"Width", "3"}, {"Height", "2"}, {"Pedestal", "0"}, {"Observer", "Other"}, {"Background", "500"}};
  auto lowered = LoadBytes(testing::SBIGFileBytes(s));
  ExpectPixels(*lowered, s, -100);
  EXPECT_EQ(lowered->headerBackground, 400);
  EXPECT_EQ(obs.observer, "J. Doe");
}

TEST_F(SbigTest, HeaderTextFileAndWindows) {
  SBIGFileSetup s = Setup("ST-7 Compressed Image", 2, 2);
  s.keys = {{"Width", "2"}, {"Height", "2"}, {"Pedestal", "100"}, {"Note", "Comet C/2026"}};
  const std::string path = dir / "comet.st7";
  testing::WriteAll(path, testing::SBIGFileBytes(s));
  {
    SBIGFileObj image(Context());
    ASSERT_TRUE(image.Load(path));
    EXPECT_EQ(image.displayName, "COMET.ST7");
    const auto header = image.HeaderWindowContent("Image 2 - ");
    EXPECT_EQ(header.caption, "Image 2 - COMET.ST7");
    EXPECT_EQ(header.saveName, "COMET.HDR");
    EXPECT_EQ(header.lines,
              (std::vector<std::string>{path, "** SBIG Header Information **", "", "ST-7 Compressed Image",
                                        "Width = 2", "Height = 2", "Pedestal = 100", "Note = Comet C/2026", "End"}));
    const auto data = image.ImageDataWindowContent("Image 2 - ");
    EXPECT_EQ(data.lines[1], "File Type: SBIG - ST-7 Compressed Image");
    EXPECT_EQ(data.lines.size(), 7u);
    EXPECT_TRUE(testing::Exists(dataDir + "COMET.HDR"));
  }
  EXPECT_FALSE(testing::Exists(dataDir + "COMET.HDR"));
}

// ---------------------------------------------------------------- refusals

TEST_F(SbigTest, FilesThatAreNotSbigAreRefusedWithTheirMessages) {
  // Not a camera of the format (a plain ST-4 is the other format).
  SBIGFileSetup s = Setup("ST-4 Image", 2, 2);
  const std::string path = dir / "frame.st7";
  LoadBytes(testing::SBIGFileBytes(s), false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File is Not a Valid SBIG Format (ST-4X thru STV)!\r\nFile Name: " + path +
                                       "\r\nFirst Hdr Line: ST-4 Image\r\n\r\n" + kChangeType);
  EXPECT_EQ(ui.Messages()[0].caption, "SBIG File Error");
  EXPECT_EQ(ui.Beeps(), 1);
  // "Image" missing.
  ui.ClearRecords();
  s.firstLine = "ST-7 Frame";
  LoadBytes(testing::SBIGFileBytes(s), false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].text.find("First Hdr Line: ST-7 Frame\r\n"), std::string::npos);
  // A FITS file chosen as SBIG.
  ui.ClearRecords();
  std::string fits = "SIMPLE  =                    T";
  fits.resize(2880, ' ');
  LoadBytes(std::vector<std::uint8_t>(fits.begin(), fits.end()), false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].text.find("First Hdr Line: SIMPLE  =                    T"), std::string::npos);
  // No end mark: refused with a word.
  ui.ClearRecords();
  s.firstLine = "ST-7 Image";
  s.endMark = false;
  LoadBytes(testing::SBIGFileBytes(s), false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "SBIG Header is Incomplete!\r\nFile Name: " + path +
                                       "\r\n\r\nNo end mark (Ctrl-Z) was found in its first 2048 bytes.");
  // A number that is not one.
  ui.ClearRecords();
  s.endMark = true;
  s.keys = {{"Width", "2x"}, {"Height", "2"}};
  LoadBytes(testing::SBIGFileBytes(s), false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: Width\r\nData: 2x");
  // Sizes beyond the pixel store.
  ui.ClearRecords();
  s.keys = {{"Width", "100000"}, {"Height", "2"}};
  LoadBytes(testing::SBIGFileBytes(s), false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "SBIG File Error");
  // Empty, missing.
  ui.ClearRecords();
  LoadBytes({}, false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File is Empty!\r\nFile Name: " + path + "\r\n\r\nThe file holds 0 bytes: no header and no image.");
  ui.ClearRecords();
  SBIGFileObj missing(Context());
  EXPECT_FALSE(missing.Load(dir / "absent.st7"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Open SBIG File!\r\n\r\nFile Name: " + dir / "absent.st7" + "\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
}

TEST_F(SbigTest, TruncatedAndHostileFilesNeverCrash) {
  const auto full = testing::SBIGFileBytes(Setup("ST-9 Compressed Image", 16, 8));
  for (std::size_t size = 0; size < full.size(); size += 53) {
    ui.ClearRecords();
    LoadBytes(std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)),
              size > 2048 + 40);  // OK is the default answer; past the first rows something is kept
  }
  // Random bytes after a valid first line, and huge row counts.
  std::mt19937 random(7);
  for (int trial = 0; trial < 40; ++trial) {
    SBIGFileSetup s = Setup("STV Compressed Image", 5 + trial, 3 + trial % 4);
    auto bytes = testing::SBIGHeaderBytes(s);
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
    ui.ClearRecords();
    auto image = std::make_unique<SBIGFileObj>(Context());
    testing::WriteAll(dir / "noise.st7", bytes);
    image->Load(dir / "noise.st7");
    if (image->HasImage()) {
      EXPECT_LE(image->histogram.SampleCount(), image->width * (3 + trial % 4));
    }
  }
  // Extreme pedestal, background and range: clamped to 32 bits, not overflowed.
  SBIGFileSetup extreme = Setup("ST-7 Image", 2, 1);
  extreme.keys = {{"Width", "2"}, {"Height", "1"}, {"Pedestal", "-2147483648"}, {"Background", "2147483647"},
                  {"Range", "2147483647"}};
  extreme.values = {50, 60000};
  ui.ClearRecords();
  auto clamped = LoadBytes(testing::SBIGFileBytes(extreme));
  EXPECT_EQ(clamped->pixels.PixelAt(0, 0), -2147483647 - 1);  // 50 - 2147483748
  EXPECT_EQ(clamped->pixels.PixelAt(1, 0), 60000 - 2147483748LL);
  EXPECT_EQ(clamped->headerBackground, -101);
  EXPECT_EQ(clamped->headerRangeTop, 2147483546);
  // A header of 2048 bytes without any line feed.
  ui.ClearRecords();
  std::vector<std::uint8_t> noBreak(3000, 'A');
  const std::string first = "ST-7 Image";
  std::copy(first.begin(), first.end(), noBreak.begin());
  LoadBytes(noBreak, false);
  EXPECT_EQ(ui.Messages().size(), 1u);
}

// ---------------------------------------------------------------- ST-4

TEST_F(SbigTest, StFourFrameAndTrailer) {
  std::vector<std::uint8_t> pixels(31680);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>((i * 7) % 256);
  const std::string path = dir / "guide.st4";
  testing::WriteAll(path, testing::ST4FileBytes(pixels, "Orion field", "  1500", "8.25", "28.27", "1.10"));
  {
    ST4FileObj image(Context());
    ASSERT_TRUE(image.Load(path));
    EXPECT_EQ(image.fileTypeCode, kFileST4);
    EXPECT_EQ(image.formatDescription, "SBIG - ST-4");
    EXPECT_EQ(image.width, 192);
    EXPECT_EQ(image.height, 165);
    EXPECT_EQ(image.total, 31680);
    int wrong = 0;
    for (int y = 0; y < 165; ++y)
      for (int x = 0; x < 192; ++x) {
        if (image.pixels.PixelAt(x, y) != pixels[static_cast<std::size_t>(y * 192 + x)]) ++wrong;
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(image.Header().exposure, 1500);
    EXPECT_EQ(image.Header().note, "Orion field");
    EXPECT_EQ(image.headerBackground, 0);  // the trailer gives no display range
    EXPECT_EQ(image.headerRangeTop, 0);
    EXPECT_EQ(image.HeaderWindowContent("").lines,
              (std::vector<std::string>{path, "** ST-4 Header Information **", "", "Note = Orion field",
                                        "Exposure = 1500", "Focal_length = 8.25", "Aperture = 28.27",
                                        "Response_factor = 1.10", "Height = 165", "Width = 192",
                                        "X_pixel_size = 0.0138", "Y_pixel_size = 0.0160"}));
    const CameraRecord& c = report.camera;
    EXPECT_EQ(c.name, "SBIG ST-4");
    EXPECT_NEAR(c.pixelWidthUm, 13.8f, 1e-4f);
    EXPECT_NEAR(c.pixelHeightUm, 16.0f, 1e-4f);
    EXPECT_NEAR(c.focalLengthMm, 8.25f * 25.4f, 1e-3f);
    EXPECT_NEAR(c.apertureMm, static_cast<float>(std::sqrt(28.27 / 3.14159265358979) * 50.8), 1e-3f);
    EXPECT_EQ(obs.observationTime, 0.0);  // no time in an ST-4 file
  }
  EXPECT_TRUE(ui.Messages().empty());

  // Without the "v" at byte 31680 the file is refused.
  auto bytes = testing::ReadAll(path);
  bytes[31680] = 'w';
  testing::WriteAll(path, bytes);
  ST4FileObj refused(Context());
  EXPECT_FALSE(refused.Load(path));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File is Not in ST-4 Format!\r\nFile Name: " + path + "\r\n\r\n" + kChangeType);
  EXPECT_EQ(ui.Messages()[0].caption, "ST-4 File Error");
  // Shorter than the frame: no trailer, refused the same way.
  bytes.resize(20000);
  testing::WriteAll(path, bytes);
  EXPECT_FALSE(refused.Load(path));
  EXPECT_EQ(ui.Messages().size(), 2u);
  // A trailer number that is not one.
  ui.ClearRecords();
  testing::WriteAll(path, testing::ST4FileBytes(pixels, "", "ten", "", "", ""));
  EXPECT_FALSE(refused.Load(path));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: Exposure\r\nData: ten");
}

TEST_F(SbigTest, TheReaderFollowsTheImageFileType) {
  EXPECT_NE(dynamic_cast<ST4FileObj*>(MakeImageReader(1, Context()).get()), nullptr);
  auto sbig = MakeImageReader(2, Context());
  EXPECT_NE(dynamic_cast<SBIGFileObj*>(sbig.get()), nullptr);
  EXPECT_EQ(dynamic_cast<ST4FileObj*>(sbig.get()), nullptr);
  EXPECT_EQ(MakeImageReader(3, Context()), nullptr);
}

}  // namespace
}  // namespace skarvel
