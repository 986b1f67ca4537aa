// The FITS files that archives and plate-solving capture software write:
// extensions after an empty primary, tile-compressed images, 64-bit
// integers, WCS headers and the time keywords, each against astropy's
// reading of the same file (tests/data/images/fits/astropy_reference.txt,
// written with the fixtures by make_fits_fixtures.py there).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "images/fits_file.h"
#include "images/fits_writer.h"
#include "images/image_load_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedPlatform;
using testing::TempDir;

constexpr double kPiD = 3.14159265358979323846;

const std::string kFixtures = std::string(SKARVEL_TEST_DATA_DIR) + "/images/fits/";

// astropy's facts, by file name and key: each entry is one line's numbers.
std::multimap<std::string, std::vector<double>> Reference(const std::string& key) {
  std::multimap<std::string, std::vector<double>> facts;
  std::ifstream in(kFixtures + "astropy_reference.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string file, k;
    words >> file >> k;
    if (k != key) continue;
    std::vector<double> numbers;
    double v = 0;
    while (words >> v) numbers.push_back(v);
    facts.emplace(file, numbers);
  }
  return facts;
}

class FitsArchiveTest : public testing::ImageLoadTest {
 protected:
  FitsArchiveTest() : ImageLoadTest(1) {}  // the header time is the midpoint: no correction

  std::unique_ptr<FITSFileObj> Load(const std::string& path, bool expectOk = true) {
    auto image = std::make_unique<FITSFileObj>(Context());
    EXPECT_EQ(image->Load(path), expectOk) << path;
    return image;
  }

  // The image's pixels against astropy's values (rounded to whole numbers, halves to even).
  void ExpectAstropyPixels(FITSFileObj& image, const std::string& name) {
    const auto facts = Reference("pixels");
    const auto it = facts.find(name);
    ASSERT_NE(it, facts.end()) << name;
    const std::vector<double>& v = it->second;
    ASSERT_EQ(image.width, static_cast<std::int32_t>(v[0]));
    ASSERT_EQ(image.height, static_cast<std::int32_t>(v[1]));
    ASSERT_EQ(v.size(), 2 + static_cast<std::size_t>(image.width * image.height));
    int wrong = 0;
    for (std::int32_t y = 0; y < image.height; ++y)
      for (std::int32_t x = 0; x < image.width; ++x) {
        const double expected = std::nearbyint(v[2 + static_cast<std::size_t>(y * image.width + x)]);
        if (image.pixels.PixelAt(x, y) != static_cast<std::int32_t>(expected) && ++wrong < 5)
          ADD_FAILURE() << name << " pixel " << x << "," << y << ": " << image.pixels.PixelAt(x, y) << " not "
                        << expected;
      }
    EXPECT_EQ(wrong, 0) << name;
  }
};

// ---------------------------------------------------------------- extensions

TEST_F(FitsArchiveTest, TheExtensionsOwnScalingDescribesItsPixelsWhileThePrimarysFactsReachTheObservation) {
  // The empty primary holds BZERO = 32768 and the descriptive cards; the
  // IMAGE extension has neither.
  auto image = Load(kFixtures + "primary_scaling.fits");
  ExpectAstropyPixels(*image, "primary_scaling.fits");
  EXPECT_EQ(image->minimum, 309);
  EXPECT_EQ(image->Header().bzero, 0.0L);
  EXPECT_EQ(image->Header().object, "M 31    ");
  EXPECT_EQ(image->Header().filter, 2);
  EXPECT_EQ(obs.objectName, "M 31    ");
  EXPECT_EQ(obs.observer, "A. Smith");
  EXPECT_EQ(report.camera.filter, 2);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FitsArchiveTest, ABinaryTableIsNeverShownAsPixels) {
  const std::string path = kFixtures + "btable.fits";
  auto image = Load(path, false);
  EXPECT_FALSE(image->HasImage());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File Holds No Image This Program Can Read!\r\nFile Name: " + path +
                                       "\r\n\r\nIts data follow an extension header XTENSION = 'BINTABLE', which "
                                       "is not an image.");
  EXPECT_EQ(ui.Messages()[0].caption, "FITS File Error!");
  EXPECT_EQ(report.cameraFromImage, false);
}

// ---------------------------------------------------------------- compressed tiles

TEST_F(FitsArchiveTest, TileCompressedImagesAgreeWithAstropy) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"rice_u16.fits.fz", "FITS (BITPIX = 16) RICE_1"},
      {"gzip1_i32.fits.fz", "FITS (BITPIX = 32) GZIP_1"},
      {"gzip2_i16.fits.fz", "FITS (BITPIX = 16) GZIP_2"},
      {"hcompress_i16.fits.fz", "FITS (BITPIX = 16) HCOMPRESS_1"},
      {"rice_f32.fits.fz", "FITS (BITPIX = -32) RICE_1"}};
  for (const auto& [name, format] : files) {
    SCOPED_TRACE(name);
    obs = ObsParams{};
    auto image = Load(kFixtures + name);
    ExpectAstropyPixels(*image, name);
    EXPECT_EQ(image->formatDescription, format);
    EXPECT_EQ(image->histogram.SampleCount(), 44 * 30);
    // The header of the compressed image reaches the observation.
    EXPECT_EQ(obs.objectName, "M 31    ");
    EXPECT_EQ(DateFieldText(obs.observationTime), "2021/03/04");
    EXPECT_NEAR((obs.observationTime - std::floor(obs.observationTime)) * 86400.0, 5 * 3600 + 6 * 60 + 7.5, 1e-4);
    // The header window lists the primary, then the image's own header: no table cards.
    const auto lines = image->HeaderWindowContent("").lines;
    const auto has = [&](const std::string& start) {
      return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    };
    EXPECT_TRUE(has("NAXIS1  =                   44"));
    EXPECT_TRUE(has("OBJECT  = 'M 31    '"));
    EXPECT_FALSE(has("ZIMAGE"));
    EXPECT_FALSE(has("ZBITPIX"));
    EXPECT_FALSE(has("TTYPE1"));
    EXPECT_FALSE(has("XTENSION= 'BINTABLE'"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "END"), 2);
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FitsArchiveTest, ADamagedCompressedImageIsRefusedWithCfitsiosReason) {
  const std::string path = dir / "cut.fits.fz";
  const auto bytes = testing::ReadAll(kFixtures + "rice_u16.fits.fz");
  // The headers (two records) and a little of the table: the tiles are missing.
  testing::WriteAll(path, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 2 * 2880 + 100));
  auto image = Load(path, false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text.rfind("Unable to Read the Compressed FITS Image!\r\nFile Name: " + path +
                                            "\r\nCompression: RICE_1\r\n\r\ncfitsio status ",
                                        0),
            0u)
      << ui.Messages()[0].text;
  EXPECT_FALSE(image->HasImage());
}

// ---------------------------------------------------------------- 64-bit integers

TEST_F(FitsArchiveTest, SixtyFourBitIntegers) {
  auto image = Load(kFixtures + "int64.fits");
  ExpectAstropyPixels(*image, "int64.fits");
  EXPECT_EQ(image->formatDescription, "FITS (BITPIX = 64)");
  EXPECT_EQ(image->minimum, -2147483647 - 1);
  EXPECT_EQ(image->maximum, 2147483647);
  EXPECT_TRUE(ui.Messages().empty());

  // 2^40 does not fit in a pixel: the person decides; Cancel refuses the image.
  ui.AnswerNext(Answer::Cancel);
  Load(kFixtures + "int64_overflow.fits", false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "File Errors Detected!");
  ui.AnswerNext(Answer::Ok);
  auto kept = Load(kFixtures + "int64_overflow.fits");
  EXPECT_EQ(kept->pixels.PixelAt(0, 0), 0);
  EXPECT_EQ(kept->pixels.PixelAt(3, 1), 6);
}

// ---------------------------------------------------------------- WCS

const std::vector<std::string> kWcsFiles = {"wcs_cd.fits", "wcs_crota.fits", "wcs_pc.fits", "wcs_south.fits",
                                            "wcs_sip.fits", "../ccdproc_sip-wcs_MSUM_cutout.fit"};

TEST_F(FitsArchiveTest, WcsPositionsAndScaleAgreeWithAstropy) {
  const auto sky = Reference("sky");
  const auto scale = Reference("scale");
  for (const std::string& name : kWcsFiles) {
    SCOPED_TRACE(name);
    auto image = Load(kFixtures + name);
    ASSERT_TRUE(image->Wcs().has_value());
    const auto [first, last] = sky.equal_range(name);
    ASSERT_EQ(std::distance(first, last), 4);
    for (auto it = first; it != last; ++it) {
      const std::vector<double>& f = it->second;
      const auto radec = image->Wcs()->PixelToSky(f[0], f[1]);
      double dra = radec[0] - f[2];
      if (dra > 180) dra -= 360;
      if (dra < -180) dra += 360;
      // 1e-8 degrees is 0.036 milli-arcseconds.
      EXPECT_NEAR(dra * std::cos(f[3] * kPiD / 180), 0.0, 1e-8) << f[0] << "," << f[1];
      EXPECT_NEAR(radec[1], f[3], 1e-8) << f[0] << "," << f[1];
    }
    EXPECT_NEAR(image->Wcs()->ArcsecPerPixel(), scale.find(name)->second[0], 1e-9);
  }
  // A header without a celestial WCS has none.
  EXPECT_FALSE(Load(kFixtures + "time_iso.fits")->Wcs().has_value());
  EXPECT_FALSE(ImageWcsFromCards({{"CTYPE1", "RA---TAN"}, {"CTYPE2", "DEC--TAN"}, {"CRVAL1", "10"},
                                  {"CRVAL2", "20"}, {"CRPIX1", "1"}, {"CRPIX2", "1"}, {"CD1_1", "1E-4"},
                                  {"CD1_2", "0"}, {"CD2_1", "2E-4"}, {"CD2_2", "0"}})
                   .has_value());  // a singular matrix
  EXPECT_FALSE(ImageWcsFromCards({{"CTYPE1", "RA---SIN"}, {"CTYPE2", "DEC--SIN"}, {"CRVAL1", "10"},
                                  {"CRVAL2", "20"}, {"CRPIX1", "1"}, {"CRPIX2", "1"}, {"CDELT1", "1D-4"},
                                  {"CDELT2", "1D-4"}})
                   .has_value());  // not the gnomonic projection
  const auto d = ImageWcsFromCards({{"CTYPE1", "RA---TAN"}, {"CTYPE2", "DEC--TAN"}, {"CRVAL1", "10"},
                                    {"CRVAL2", "20"}, {"CRPIX1", "1"}, {"CRPIX2", "1"}, {"CDELT1", "-1.0D-3"},
                                    {"CDELT2", "1.0D-3"}});
  ASSERT_TRUE(d.has_value());
  EXPECT_NEAR(d->ArcsecPerPixel(), 3.6, 1e-12);
}

// The reference field draws a star at -F R (xi, eta) from its centre (R the
// rotation, F the mirrors); the orientation taken from the WCS must put
// astropy's sky positions of the image corners where the image shows them.
TEST_F(FitsArchiveTest, TheFieldOrientationFromTheWcsPutsTheSkyWhereTheImageShowsIt) {
  const auto sky = Reference("sky");
  for (const std::string& name : kWcsFiles) {
    SCOPED_TRACE(name);
    auto image = Load(kFixtures + name);
    ASSERT_TRUE(image->Wcs().has_value());
    const WcsField field = FieldOfWcs(*image->Wcs(), image->width, image->height);
    EXPECT_GT(field.rotationDeg, -90.0);
    EXPECT_LE(field.rotationDeg, 90.0);
    const double a0 = static_cast<double>(field.centreRAHours) * 15 * kPiD / 180;
    const double d0 = static_cast<double>(field.centreDecDeg) * kPiD / 180;
    const double r = field.rotationDeg * kPiD / 180;
    const double pixel = field.arcsecPerPixel / 3600 * kPiD / 180;  // radians per pixel
    const double xc = (image->width + 1) / 2.0, yc = (image->height + 1) / 2.0;
    const auto [first, last] = sky.equal_range(name);
    for (auto it = first; it != last; ++it) {
      const std::vector<double>& f = it->second;
      const double a = f[2] * kPiD / 180, d = f[3] * kPiD / 180;
      const double den = std::sin(d) * std::sin(d0) + std::cos(d) * std::cos(d0) * std::cos(a - a0);
      const double xi = std::cos(d) * std::sin(a - a0) / den / pixel;
      const double eta = (std::sin(d) * std::cos(d0) - std::cos(d) * std::sin(d0) * std::cos(a - a0)) / den / pixel;
      double px = -(xi * std::cos(r) + eta * std::sin(r));
      double py = -(eta * std::cos(r) - xi * std::sin(r));
      if (field.reverseEW) px = -px;
      if (field.reverseNS) py = -py;
      // Shown with file row 0 at the top, so FITS y grows downwards as well.
      // The field is projected about the image centre, the WCS about CRPIX: a
      // few 1e-4 pixels apart at the corners. SIP bends the corners a little more.
      const double tolerance = image->Wcs()->sipOrderA > 0 ? 0.3 : 0.01;
      EXPECT_NEAR(px, f[0] - xc, tolerance) << f[0] << "," << f[1];
      EXPECT_NEAR(py, f[1] - yc, tolerance) << f[0] << "," << f[1];
    }
    // The centre is astropy's position of the middle pixel.
    const std::vector<double>& c = first->second;
    ASSERT_EQ(c[0], xc);
    EXPECT_NEAR(static_cast<double>(field.centreRAHours) * 15, c[2], 1e-8);
    EXPECT_NEAR(static_cast<double>(field.centreDecDeg), c[3], 1e-8);
  }
}

TEST_F(FitsArchiveTest, TheImageDataWindowShowsTheWcs) {
  auto image = Load(kFixtures + "wcs_crota.fits");
  const auto lines = image->ImageDataWindowContent("Image 1 - ").lines;
  ASSERT_EQ(lines.size(), 10u);
  const std::vector<double> c = Reference("sky").find("wcs_crota.fits")->second;
  EXPECT_EQ(lines[7], "WCS Image Centre - RA: " + FormatRA(c[2] / 15, 2, true) + ";  Dec: " + FormatDec(c[3], 1, true));
  EXPECT_EQ(lines[7], "WCS Image Centre - RA: 10h 00m 59.78s;  Dec: +32\xB0 30' 05.1\"");
  // CDELT1 < 0 < CDELT2 with CROTA2 = -30: turned by -30 degrees; shown with
  // the first row at the top, north is down, so the field is mirrored N-S.
  EXPECT_EQ(lines[8], "WCS Scale: 2.000 Arcsec/Pixel;  Rotation: -30.00 Degs. N->E");
  EXPECT_EQ(lines[9], "WCS Field Orientation - Reverse E-W: No;  Reverse N-S: Yes");
  auto sip = Load(kFixtures + "wcs_sip.fits");
  EXPECT_EQ(sip->ImageDataWindowContent("").lines[8], "WCS Scale: 2.000 Arcsec/Pixel;  Rotation: 0.00 Degs. N->E;  SIP Distortion");
  // Without a WCS the window keeps its seven lines.
  EXPECT_EQ(Load(kFixtures + "time_iso.fits")->ImageDataWindowContent("").lines.size(), 7u);
}

// ---------------------------------------------------------------- times

TEST_F(FitsArchiveTest, ObservationTimesAgreeWithAstropy) {
  const auto mjd = Reference("mjd");
  ASSERT_EQ(mjd.size(), 5u);
  for (const auto& [name, value] : mjd) {
    SCOPED_TRACE(name);
    obs = ObsParams{};
    auto image = Load(kFixtures + name);
    const long double ours = DateTimeToDays(image->Header().observationTime) + 15018.0L;
    EXPECT_NEAR(static_cast<double>(ours), value[0], 2e-9);  // 0.2 ms
    EXPECT_EQ(obs.observationTime, image->Header().observationTime);
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FitsArchiveTest, JulianDatesAreCorrectedForTheExposureAndDateObsWins) {
  using testing::FitsCard;
  const std::string path = dir / "mjd.fits";
  testing::WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, {{"MJD-OBS", 58604.5}, {"EXPTIME", 60.0}});
  headerTimeType = 0;  // start of the exposure: 30 s later
  EXPECT_EQ(TimeFieldText(Load(path)->Header().observationTime), "12:00:30");
  headerTimeType = 2;  // end of the exposure: 30 s earlier
  EXPECT_EQ(TimeFieldText(Load(path)->Header().observationTime), "11:59:30");
  testing::WriteFits(path, 16, {2, 2}, {1, 2, 3, 4},
                     {{"DATE-OBS", std::string("2020-01-02T03:04:05")}, {"MJD-OBS", 58604.5}});
  headerTimeType = 1;
  auto image = Load(path);
  EXPECT_EQ(DateFieldText(image->Header().observationTime), "2020/01/02");
  testing::WriteFits(path, 16, {2, 2}, {1, 2, 3, 4}, {{"MJD-OBS", std::string("soon")}});
  Load(path);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Keyword field contains non-numeric data.\r\n\r\nKeyword: MJD-OBS\r\nData: soon");
}

// ---------------------------------------------------------------- short and empty files

TEST_F(FitsArchiveTest, AFileShorterThanItsDataAsksAndNeverShowsTheMissingRows) {
  const std::string path = dir / "short.fits";
  std::vector<double> raw(100 * 100);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = 1000 + static_cast<double>(i % 97);
  testing::WriteFits(path, 16, {100, 100}, raw);
  // The header record and 3100 bytes of data: 15 whole rows and 50 values of row 15.
  std::filesystem::resize_file(path, 2880 + 3100);
  ui.AnswerNext(Answer::Cancel);
  auto refused = Load(path, false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "File Errors Detected!");
  EXPECT_EQ(ui.Messages()[0].text,
            "Errors were detected while loading and processing SHORTS.FIT.  The resulting image may or may not be "
            "useable.\r\n\r\nPress \"OK\" to attempt to generate the image, \"Cancel\" to abort.");
  EXPECT_FALSE(report.cameraFromImage);

  ui.ClearRecords();
  ui.AnswerNext(Answer::Ok);
  auto image = Load(path);
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(image->width, 100);
  EXPECT_EQ(image->height, 15);
  EXPECT_EQ(image->total, 1500);
  EXPECT_EQ(image->pixels.Height(), 15);
  EXPECT_EQ(image->pixels.PixelAt(99, 14), raw[14 * 100 + 99]);
  EXPECT_EQ(image->pixels.PixelAt(0, 15), 0);  // outside the image
  EXPECT_EQ(report.camera.imageHeight, 15);

  // Header without any data: nothing to show, whatever the answer.
  testing::WriteFits(path, 16, {100, 100}, raw);
  std::filesystem::resize_file(path, 2880 + 150);
  ui.ClearRecords();
  Load(path, false);
  EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST_F(FitsArchiveTest, AnEmptyFileIsNamedAndSaidToBeEmpty) {
  const std::string path = dir / "empty.fits";
  testing::WriteAll(path, {});
  auto image = Load(path, false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "File is Empty!\r\nFile Name: " + path + "\r\n\r\nThe file holds 0 bytes: no header and no image.");
  EXPECT_EQ(ui.Messages()[0].caption, "FITS File Error!");
  EXPECT_FALSE(testing::Exists(dataDir + "EMPTYS.HDR"));
}

}  // namespace
}  // namespace skarvel
