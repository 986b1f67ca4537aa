// The demo images as the program reads them: header values, observation
// times, and the asteroid and the catalog stars where the truth puts them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "astrometry/astrom_obs.h"
#include "astrometry/obs_params.h"
#include "demo/demo_support.h"
#include "foundations/date_time.h"
#include "images/fits_file.h"
#include "images/star_measure.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::DemoImageTruth;
using testing::DemoPath;
using testing::ReadCsv;
using testing::ReadTruth;
using testing::ScriptedPlatform;
using testing::TempDir;

/// The measuring box of the program's defaults.
const BoxRecord kBox{8, 8, 4, 3};

class DemoImages : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedPlatform ui;
  ObsParams obs;
  AstromObsObj report{UserRecord{}, CameraRecord{}, SiteRecord{}};

  std::unique_ptr<FITSFileObj> Load(const std::string& file) {
    auto image = std::make_unique<FITSFileObj>(ImageLoadContext{&ui, dir.Path(), 0, &obs, &report});
    EXPECT_TRUE(image->Load(DemoPath("images/" + file))) << file;
    return image;
  }

  static MeasureView View(GraphicsFileObj& image) {
    MeasureView v;
    v.image = &image;
    v.scale = 1.0L;
    v.clientWidth = image.width;
    v.clientHeight = image.height;
    v.readSkyForCentroid = true;
    return v;
  }
};

TEST_F(DemoImages, FourImagesThirtyMinutesApart) {
  const auto truth = ReadTruth();
  ASSERT_EQ(truth.size(), 4u);
  for (std::size_t i = 1; i < truth.size(); ++i)
    EXPECT_NEAR((truth[i].midJD - truth[i - 1].midJD) * 1440.0, 30.0, 1e-4) << truth[i].file;
}

TEST_F(DemoImages, HeaderValuesAsTheReaderTakesThem) {
  for (const DemoImageTruth& t : ReadTruth()) {
    obs = ObsParams{};
    auto image = Load(t.file);
    const FITSHeader& h = image->Header();
    EXPECT_EQ(h.bitpix, 16) << t.file;
    EXPECT_EQ(image->width, 768);
    EXPECT_EQ(image->height, 512);
    EXPECT_EQ(image->formatDescription, "FITS (BITPIX = 16)");
    EXPECT_EQ(h.origin, "VORN Simulation");
    EXPECT_EQ(h.object, "433 EROS");
    EXPECT_DOUBLE_EQ(static_cast<double>(h.exposure), 60.0);
    EXPECT_EQ(h.filter, 7) << "FILTER 'Clear'";
    // RA is written to 0.01 s of time, DEC to 0.1 arc second.
    EXPECT_NEAR(static_cast<double>(h.ra), t.centreRA, 0.006 / 3600.0) << t.file;
    EXPECT_NEAR(static_cast<double>(h.dec), t.centreDec, 0.051 / 3600.0) << t.file;
    // DATE-OBS is the start of the exposure; the stored time is its middle.
    const long double jd = DateTimeToDays(h.observationTime) + kJulianDateOffset;
    EXPECT_NEAR(static_cast<double>(jd), t.midJD, 0.001 / 86400.0) << t.file;
    EXPECT_EQ(TimeFieldText(h.observationTime).substr(0, 5), t.dateObs.substr(11, 5));
    // The simulated-image note reaches the observation parameters.
    EXPECT_EQ(obs.note, 2) << t.file;
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DemoImages, CameraRecordTakesTheImageSizeAndFilter) {
  auto image = Load(ReadTruth().front().file);
  EXPECT_EQ(report.camera.imageWidth, 768);
  EXPECT_EQ(report.camera.imageHeight, 512);
  EXPECT_EQ(report.camera.filter, 7);
  EXPECT_TRUE(report.cameraFromImage);
}

TEST_F(DemoImages, PixelsAreSkyWithStarsNotSaturatedBackground) {
  auto image = Load(ReadTruth().front().file);
  // Bias 400 ADU plus 480 sky electrons / 1.5 = 720 ADU; the noise is about
  // sqrt(480 + 144) / 1.5 = 16.7 ADU.
  const SkyStats sky = SkyLevel(*image, BoxRecord{20, 8, 30, 3}, 60, 60);
  EXPECT_NEAR(static_cast<double>(sky.mean), 720.0, 40.0);
  EXPECT_GT(static_cast<double>(sky.sigma), 12.0);
  EXPECT_LT(static_cast<double>(sky.sigma), 40.0);
  EXPECT_GT(image->maximum, 5000);
  EXPECT_LE(image->maximum, 65535);
}

TEST_F(DemoImages, TheAsteroidIsWhereItsElementsPutIt) {
  const auto truth = ReadTruth();
  for (const DemoImageTruth& t : truth) {
    auto image = Load(t.file);
    ASSERT_GT(t.targetX, 20);
    ASSERT_LT(t.targetX, 748);
    ASSERT_GT(t.targetY, 20);
    ASSERT_LT(t.targetY, 492);
    // A click three pixels off finds the asteroid's centroid at the truth.
    const auto c = Centroid(View(*image), kBox, t.targetX + 3, t.targetY - 2, false);
    ASSERT_TRUE(c.has_value()) << t.file;
    EXPECT_NEAR(static_cast<double>(c->x), t.targetX, 0.5) << t.file;
    EXPECT_NEAR(static_cast<double>(c->y), t.targetY, 0.5) << t.file;
  }
}

TEST_F(DemoImages, TheAsteroidMovesBetweenTheImages) {
  const auto truth = ReadTruth();
  const DemoImageTruth& first = truth.front();
  const DemoImageTruth& last = truth.back();
  // It moves well beyond its own image between the first and the last image.
  EXPECT_GT(std::hypot(last.targetX - first.targetX, last.targetY - first.targetY), 12.0);
  auto a = Load(first.file);
  auto b = Load(last.file);
  MeasureView va = View(*a), vb = View(*b);
  const long double here = BoxSum(va, BoxRecord{3, 3, 4, 3}, first.targetX, first.targetY, true);
  const long double gone = BoxSum(vb, BoxRecord{3, 3, 4, 3}, first.targetX, first.targetY, true);
  EXPECT_GT(static_cast<double>(here), 10 * std::fabs(static_cast<double>(gone)) + 500);
}

TEST_F(DemoImages, CatalogStarsLieAtTheirProjectedPositions) {
  const auto truth = ReadTruth();
  const auto stars = ReadCsv(DemoPath("catalog/gsc_stars.csv"));
  auto everyStar = stars;
  for (const auto& f : ReadCsv(DemoPath("images/faint_stars.csv"))) everyStar.push_back(f);
  for (const DemoImageTruth& t : truth) {
    auto image = Load(t.file);
    int measured = 0;
    for (auto row : stars) {
      const double mag = std::stod(row["mag"]);
      if (mag < 9.0 || mag > 12.0) continue;  // bright ones may saturate, faint ones are noisy
      double x = 0, y = 0;
      ASSERT_TRUE(testing::ProjectToPixel(t, std::stod(row["ra_hours"]), std::stod(row["dec_deg"]), x, y));
      if (x < 15 || y < 15 || x > 752 || y > 496) continue;
      if (std::hypot(x - t.targetX, y - t.targetY) < 15) continue;
      // A neighbour within 12 pixels and less than 4 magnitudes fainter pulls the centroid.
      bool blended = false;
      for (auto other : everyStar) {
        double ox = 0, oy = 0;
        if (other["source_id"] == row["source_id"]) continue;
        if (!testing::ProjectToPixel(t, std::stod(other["ra_hours"]), std::stod(other["dec_deg"]), ox, oy)) continue;
        blended = blended || (std::hypot(ox - x, oy - y) < 12 && std::stod(other["mag"]) < mag + 4);
      }
      if (blended) continue;
      const auto c = Centroid(View(*image), kBox, x, y, false);
      ASSERT_TRUE(c.has_value()) << row["source_id"];
      EXPECT_NEAR(static_cast<double>(c->x), x, 0.35) << row["source_id"] << " in " << t.file;
      EXPECT_NEAR(static_cast<double>(c->y), y, 0.35) << row["source_id"] << " in " << t.file;
      ++measured;
    }
    EXPECT_GE(measured, 4) << t.file;
  }
}

}  // namespace
}  // namespace skarvel
