// The candidates window's search over three generated frames of a real
// Tycho-2 field with one unknown object: its list texts, its temporary
// designation as the object of the observation parameters, "Measure" placing
// the target on it, and the searches refused in plain words.
#include "astrometry/moving_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/scripted_platform.h"
#include "support/sky_frames.h"

namespace skarvel {
namespace {

using testing::FrameSetup;
using testing::SkyFrame;

// 2" a minute toward position angle 250 deg, magnitude 12.5, 20 minutes between the frames.
constexpr double kRate = 2.0, kPa = 250, kMinutesApart = 20;

struct Frames {
  std::vector<SkyStar> list = testing::ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/south.csv");
  std::vector<std::unique_ptr<SkyFrame>> images;
  std::vector<MovingFrameInput> inputs;
  StarList stars;
  std::vector<std::array<double, 2>> truth;  // the object's pixel per frame

  Frames() {
    for (const SkyStar& s : list) {
      CatalogStar c;
      c.ra = s.raHours;
      c.dec = s.decDeg;
      c.mag = s.mag;
      stars.Append(c);
    }
    for (int k = 0; k < 3; ++k) {
      FrameSetup setup;
      setup.width = 420;
      setup.height = 380;
      setup.arcsecPerPixel = 3.6;
      setup.rotationDeg = 12;
      setup.centreRAHours = 10.5 + 0.0004 * k;
      setup.centreDecDeg = -45;
      setup.hotPixels = 20;
      setup.cosmicRays = 10;
      setup.seed = 50 + static_cast<unsigned>(k);
      const double d = kRate * k * kMinutesApart / 3600, pa = kPa * M_PI / 180;
      const long double dec = -44.98 + d * std::cos(pa), ra = 10.49 + d * std::sin(pa) / std::cos(-44.98 * M_PI / 180) / 15;
      std::vector<SkyStar> sky = list;
      sky.push_back({ra, dec, 12.5f});
      images.push_back(std::make_unique<SkyFrame>(setup));
      images.back()->Render(sky);
      double x = 0, y = 0;
      images.back()->TruePixel(ra, dec, x, y);
      truth.push_back({x, y});
      MovingFrameInput in;
      in.view.image = images.back().get();
      in.view.clientWidth = setup.width;
      in.view.clientHeight = setup.height;
      in.jd = 2460000.5L + k * kMinutesApart / 1440;
      in.centreRAHours = 10.5;
      in.centreDecDeg = -45;
      inputs.push_back(in);
    }
  }
};

TEST(MovingSearch, AnUnknownObjectIsListedNamedByItsTrkSubAndMeasured) {
  Frames f;
  testing::ScriptedPlatform ui;
  MovingObjectsSearch search;
  ASSERT_TRUE(search.Run(ui, f.inputs, f.stars, 3.6L, std::nullopt));
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(search.Size(), 1u);
  EXPECT_FALSE(search.Known(0).has_value());
  EXPECT_EQ(search.ObjectText(0), "SKV0001");
  const auto row = search.Row(0);
  ASSERT_EQ(row.size(), 6u);
  EXPECT_EQ(row[0], "SKV0001");
  EXPECT_EQ(row[1], "2.00");
  EXPECT_NEAR(std::stod(row[2]), kPa, 0.5);
  EXPECT_NEAR(std::stod(row[3]), 12.5, 0.3);  // by the zero point of the matched catalog stars
  EXPECT_EQ(row[5], "");
  for (std::size_t k = 0; k < 3; ++k) {
    const ScreenPoint p = search.DisplayPosition(0, k);
    EXPECT_NEAR(static_cast<double>(p.x), f.truth[k][0], 0.3);
    EXPECT_NEAR(static_cast<double>(p.y), f.truth[k][1], 0.3);
    ImageMeasurement m(static_cast<int>(k));
    m.NewImage(420, 380, false, false);
    search.TakeAsTarget(0, k, m, BoxRecord{});
    EXPECT_TRUE(m.targetLocated);
    EXPECT_EQ(static_cast<double>(m.target.flux), 0.0);
    EXPECT_NEAR(static_cast<double>(m.target.imageX), f.truth[k][0], 0.3);
    EXPECT_NEAR(static_cast<double>(m.target.imageY), f.truth[k][1], 0.3);
  }
  ObsParams params;
  params.number = "433";
  params.designation = "K19A00A";
  params.objectName = "Eros";
  search.NameTarget(0, params);
  EXPECT_EQ(params.objectName, "SKV0001");
  EXPECT_TRUE(params.number.empty());
  EXPECT_TRUE(params.designation.empty());
  // A header that names an object is offered for the unknown candidate;
  // an empty one, or one naming a temporary designation, is not.
  ui.ClearRecords();
  EXPECT_FALSE(search.OfferHeaderObject(ui, 0, ""));
  EXPECT_FALSE(search.OfferHeaderObject(ui, 0, "SKV0001"));
  EXPECT_TRUE(ui.Messages().empty());
  ui.AnswerNext(platform::Answer::No);
  EXPECT_FALSE(search.OfferHeaderObject(ui, 0, "1620 GEOGRAPHOS"));
  ui.AnswerNext(platform::Answer::Yes);
  EXPECT_TRUE(search.OfferHeaderObject(ui, 0, "1620 GEOGRAPHOS"));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].caption, "Moving Objects");
  EXPECT_EQ(ui.Messages()[1].text,
            "The moving object SKV0001 is not one of the known objects.\r\n\r\nThe image header names the object "
            "\"1620 GEOGRAPHOS\".\r\nMeasure it as 1620 GEOGRAPHOS?");
  EXPECT_EQ(ui.Messages()[1].buttons, platform::Buttons::YesNo);
  search.NameTarget(0, params, "1620 GEOGRAPHOS");
  EXPECT_EQ(params.objectName, "1620 GEOGRAPHOS");
  EXPECT_EQ(params.number, "1620");
  EXPECT_TRUE(params.designation.empty());
  search.NameTarget(0, params, "2004 MN4");
  EXPECT_EQ(params.objectName, "2004 MN4");
  EXPECT_TRUE(params.number.empty());
  EXPECT_EQ(params.designation, "K04M04N");
  EXPECT_EQ(ui.Unanswered(), 0);
}

TEST(MovingSearch, SearchesThatCannotRunAreTold) {
  Frames f;
  testing::ScriptedPlatform ui;
  MovingObjectsSearch search;
  EXPECT_FALSE(search.Run(ui, {f.inputs[0], f.inputs[1]}, f.stars, 3.6L, std::nullopt));
  EXPECT_FALSE(search.Run(ui, {f.inputs[1], f.inputs[0], f.inputs[2]}, f.stars, 3.6L, std::nullopt));
  StarList elsewhere;
  CatalogStar c;
  c.ra = 3;
  c.dec = 40;
  elsewhere.Append(c);
  EXPECT_FALSE(search.Run(ui, f.inputs, elsewhere, 3.6L, std::nullopt));
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Messages()[0].text, "Moving objects are found in three or four images of one field.");
  EXPECT_EQ(ui.Messages()[1].text, "The images must be loaded in the order of their times.");
  EXPECT_EQ(ui.Messages()[2].text.rfind("Image 1: No trustworthy match of the catalog stars with the stars of the image", 0), 0u);
  for (const auto& m : ui.Messages()) {
    EXPECT_EQ(m.caption, "Moving Objects");
    EXPECT_EQ(m.icon, platform::Icon::Warning);
  }
  EXPECT_EQ(search.Size(), 0u);
}

}  // namespace
}  // namespace skarvel
