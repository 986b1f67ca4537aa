// The demo's orbit files, site and camera records and options file, read by
// the program's own readers.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "config/observer_files.h"
#include "config/options.h"
#include "demo/demo_support.h"
#include "foundations/file_system.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::DemoPath;
using testing::ReadTruth;
using testing::ScriptedPlatform;
using testing::TempDir;

constexpr long double kDeg = 3.14159265358979323846L / 180.0L;
constexpr long double kAuKm = 149597870.66L;

/// The first record of a list; a missing one fails the test with an exception.
template <typename List>
auto First(List list) {
  const auto* r = list.GetAt(0);
  if (r == nullptr) throw std::runtime_error("empty record file");
  return *r;
}

std::vector<CmoRecord> ReadCmo(const std::string& path) {
  CmoFileReader reader(path);
  std::vector<CmoRecord> records;
  CmoRecord rec;
  while (reader.Next(rec)) records.push_back(rec);
  return records;
}

TEST(DemoOrbits, TheConvertedFileHoldsErosWithItsElements) {
  const auto records = ReadCmo(DemoPath("orbits/MPCORB.CMO"));
  ASSERT_EQ(records.size(), 11u);
  EXPECT_EQ(testing::ReadAll(DemoPath("orbits/MPCORB.CMO")).size(), 11u * 162u);
  const CmoRecord* eros = nullptr;
  int numbered = 0;
  for (const auto& r : records) {
    if (r.designation == "433") eros = &r;
    numbered += r.designation.find_first_not_of("0123456789") == std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(numbered, 11);
  ASSERT_NE(eros, nullptr);
  EXPECT_EQ(eros->name, "Eros");
  EXPECT_NEAR(static_cast<double>(eros->H), 11.16, 1e-12);
  EXPECT_NEAR(static_cast<double>(eros->G), 0.46, 1e-12);
  // K1972 is 2019 July 2.0.
  EXPECT_EQ(eros->epoch, 2458666.5L);
  // The elements of its MPCORB line:
  // 00433 11.16 0.46 K1972 84.17190 178.83549 304.30424 10.82858 0.2227385 0.55973997 1.4581823
  const OrbitElements el = CmoToElements(*eros);
  EXPECT_NEAR(static_cast<double>(el.a / kAuKm), 1.4581823, 1e-9);
  EXPECT_NEAR(static_cast<double>(el.e), 0.2227385, 1e-10);
  EXPECT_NEAR(static_cast<double>(el.i / kDeg), 10.82858, 1e-8);
  EXPECT_NEAR(static_cast<double>(el.node / kDeg), 304.30424, 1e-8);
  EXPECT_NEAR(static_cast<double>(el.peri / kDeg), 178.83549, 1e-8);
  EXPECT_NEAR(static_cast<double>(el.M / kDeg), 84.17190, 1e-8);
  // The mean motion of the line, degrees per day.
  EXPECT_NEAR(static_cast<double>(el.n / kDeg * 86400), 0.55973997, 1e-6);
}

TEST(DemoOrbits, TheConvertedFileIsAFreshConversionOfTheSource) {
  TempDir dir;
  ConvertOrbitFile(DemoPath("orbits/MPCORB.DAT"), dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb, true,
                   MpcHeader::kSkipToDashes, ConversionCallbacks{});
  EXPECT_EQ(testing::ReadAll(dir / "MPCORB.CMO"), testing::ReadAll(DemoPath("orbits/MPCORB.CMO")));
}

TEST(DemoRecords, SiteAndCameraFilesHoldOneRecordEach) {
  EXPECT_EQ(testing::ReadAll(DemoPath("ASTSITES.DAT")).size(), SiteRecord::kBytes);
  EXPECT_EQ(testing::ReadAll(DemoPath("ASTCAMS.DAT")).size(), CameraRecord::kBytes);
  const SiteList sites = ReadSiteFile(DemoPath("ASTSITES.DAT"));
  ASSERT_EQ(sites.Size(), 1u);
  const SiteRecord site = First(sites);
  EXPECT_EQ(site.code, "695");
  EXPECT_NEAR(site.longitudeDeg, -111.59947, 1e-4);
  EXPECT_NEAR(site.latitudeDeg, 31.958333, 1e-4);
  EXPECT_TRUE(site.west);
  const CameraList cameras = ReadCameraFile(DemoPath("ASTCAMS.DAT"));
  ASSERT_EQ(cameras.Size(), 1u);
  const CameraRecord cam = First(cameras);
  EXPECT_EQ(cam.imageWidth, 768);
  EXPECT_EQ(cam.imageHeight, 512);
  EXPECT_EQ(cam.filter, 7);
  EXPECT_GT(cam.timingErrorMs, 0);
  // The plate scale the optics give is the scale of the images.
  const double scale =
      206264.806 * static_cast<double>(cam.pixelWidthUm) * 1e-3 / static_cast<double>(cam.focalLengthMm);
  for (const auto& t : ReadTruth()) EXPECT_NEAR(scale, t.scale, 1e-4) << t.file;
}

TEST(DemoRecords, TheOptionsFilePointsAtTheDemoFolders) {
  const std::string demo = fs::WithTrailingSeparator(SKARVEL_DEMO_DIR);
  EXPECT_EQ(testing::ReadAll(demo + "ASTROPTS.INI").size(), kOptionsFileBytes);
  ScriptedPlatform ui;
  StorageEnvironment env;
  env.programDir = env.currentDir = demo;
  env.perUserStorage = false;
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  ASSERT_TRUE(opts.Read(demo + "ASTROPTS.INI"));
  EXPECT_TRUE(ui.Messages().empty());
  const OptionsRecord& r = opts.Record();
  EXPECT_TRUE(r.vornFormatGSC);
  EXPECT_EQ(r.primaryCatalog, kPrimaryGSC);
  EXPECT_EQ(r.catalogLocation, 0);
  EXPECT_EQ(r.imageFileType, kImageFITS);
  EXPECT_EQ(r.headerTimeType, 0);
  // Folders relative to the demo folder, each holding what it should.
  for (const std::string& f : {r.imagePath, r.gscPath1, r.gscPath2, r.mpcOrbPath}) {
    EXPECT_NE(f.front(), '/') << f;
    EXPECT_EQ(f.back(), '/') << f;
  }
  for (const auto& t : ReadTruth()) EXPECT_TRUE(fs::FileExists(demo + r.imagePath + t.file)) << t.file;
  EXPECT_TRUE(fs::FileExists(demo + r.gscPath1 + "TABLES/REGIONS.BIN"));
  EXPECT_TRUE(fs::FileExists(demo + r.mpcOrbPath + "MPCORB.DAT"));
  // The default records are those of the site and camera files.
  EXPECT_EQ(r.siteRecord, First(ReadSiteFile(demo + "ASTSITES.DAT")));
  EXPECT_EQ(r.cameraRecord, First(ReadCameraFile(demo + "ASTCAMS.DAT")));
  EXPECT_EQ(r.stationsFile, "ASTSITES.DAT");
  EXPECT_EQ(r.cameraFile, "ASTCAMS.DAT");
  // A field of the options' size covers the image (768 x 512 pixels).
  const double longSide = 768 * ReadTruth().front().scale / 60.0;
  EXPECT_GE(r.fieldSize, longSide);
  EXPECT_LT(r.fieldSize, longSide + 2.0);
}

}  // namespace
}  // namespace skarvel
