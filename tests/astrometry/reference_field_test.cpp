// The reference field without a window: projection against independently
// computed positions, star images, zero point, the picture, picking and the
// selection, colours, the window title and the list and print lines.
#include "astrometry/reference_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "catalogs/gsc_regions.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;

std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream s(line);
  std::string field;
  while (std::getline(s, field, ',')) out.push_back(field);
  return out;
}

TEST(FieldProjection, MatchesTheIndependentTangentPlaneComputation) {
  // tests/data/astrometry/field_projection.csv: make_field_projection.py (unit-vector tangent plane).
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/field_projection.csv");
  ASSERT_TRUE(in.good());
  std::string line;
  std::getline(in, line);
  int rows = 0;
  while (std::getline(in, line)) {
    const auto f = SplitCsv(line);
    ASSERT_EQ(f.size(), 11u);
    const FieldProjection p = SetUpProjection(std::stold(f[4]), std::stold(f[5]), std::stold(f[1]), std::stold(f[2]),
                                              std::stold(f[3]), std::stold(f[6]));
    long double x = 0, y = 0;
    ASSERT_TRUE(p.Project(std::stold(f[7]), std::stold(f[8]), x, y));
    EXPECT_NEAR(static_cast<double>(x), std::stod(f[9]), 1e-6) << line;
    EXPECT_NEAR(static_cast<double>(y), std::stod(f[10]), 1e-6) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 120);
}

TEST(FieldProjection, EastIsLeftNorthIsUpAndTheFieldWidthSpansThePicture) {
  const FieldProjection p = SetUpProjection(640, 480, 12.0L, 10.0L, 60.0L, 0);
  EXPECT_LT(p.sx, 0);  // xi decreases to the east
  EXPECT_GT(p.sy, 0);
  // One scale on both axes, like the CCD image the picture stands beside.
  EXPECT_EQ(p.sy, -p.sx);
  long double x = 0, y = 0;
  ASSERT_TRUE(p.Project(12.0L, 10.0L, x, y));
  EXPECT_DOUBLE_EQ(static_cast<double>(x), 320.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(y), 240.0);
  // Half the field in RA (S / 1800 h) east and west reach the picture's edges.
  long double xe = 0, xw = 0, yn = 0, ys = 0, unused = 0;
  ASSERT_TRUE(p.Project(12.0L + 60.0L / 1800, 10.0L, xe, unused));
  ASSERT_TRUE(p.Project(12.0L - 60.0L / 1800, 10.0L, xw, unused));
  EXPECT_NEAR(static_cast<double>(xw - xe), 640.0, 1e-9);
  EXPECT_LT(xe, 320);
  ASSERT_TRUE(p.Project(12.0L, 10.5L, unused, yn));
  ASSERT_TRUE(p.Project(12.0L, 9.5L, unused, ys));
  // The field's RA span is 60 cos 10 deg arc minutes of sky across 640 units,
  // so its 60' of declination reach 640 / cos 10 deg = 649.9 units (beyond
  // the 480 units of the picture's height): north is not squashed.
  EXPECT_NEAR(static_cast<double>(ys - yn), 649.9, 0.2);
  EXPECT_LT(yn, 240);
  // A star on the far side of the sky is not projected.
  EXPECT_FALSE(p.Project(0.0L, -10.0L, x, y));
}

TEST(FieldProjection, RotationTurnsNorthTowardsEast) {
  const FieldProjection p = SetUpProjection(400, 400, 3.0L, 0.0L, 30.0L, 90);
  long double x = 0, y = 0;
  // With 90 degrees a star north of the centre appears left of it (where east was).
  ASSERT_TRUE(p.Project(3.0L, 0.1L, x, y));
  EXPECT_LT(x, 200 - 50);
  EXPECT_NEAR(static_cast<double>(y), 200.0, 1e-9);
}

TEST(FieldProjection, ACentreAtThePoleKeepsAFiniteScale) {
  const FieldProjection p = SetUpProjection(400, 400, 0.0L, 90.0L, 30.0L, 0);
  EXPECT_TRUE(std::isfinite(static_cast<double>(p.sx)));
  EXPECT_EQ(p.sx, -p.sy);
  // The declination span of the field (30') fits the picture's width.
  long double y1 = 0, y2 = 0, unused = 0;
  ASSERT_TRUE(p.Project(0.0L, 89.75L, unused, y1));
  ASSERT_TRUE(p.Project(12.0L, 89.75L, unused, y2));
  EXPECT_NEAR(static_cast<double>(std::fabs(y2 - y1)), 400.0, 0.01);
  long double x = 0, y = 0;
  EXPECT_TRUE(p.Project(6.0L, 89.9L, x, y));
  EXPECT_TRUE(std::isfinite(static_cast<double>(x)));
}

TEST(StarImages, KernelValuesLevelsAndTheFaintCut) {
  // Reference values: python3 round(10000 * exp(-r^2 / (2 * 1.7^2))), then round(0.6^L * G), capped at 255.
  const auto k = MakeStarKernels();
  auto at = [&k](int level, int i, int j) {
    return static_cast<int>(k[static_cast<std::size_t>(level)][static_cast<std::size_t>((j - 1) * 21 + (i - 1))]);
  };
  EXPECT_EQ(at(0, 11, 11), 255);
  EXPECT_EQ(at(9, 11, 11), 101);
  EXPECT_EQ(at(10, 11, 11), 60);
  EXPECT_EQ(at(10, 12, 11), 51);
  EXPECT_EQ(at(10, 13, 11), 30);
  EXPECT_EQ(at(10, 12, 12), 43);
  EXPECT_EQ(at(10, 13, 12), 25);
  EXPECT_EQ(at(10, 14, 11), 13);
  EXPECT_EQ(at(0, 16, 11), 132);
  EXPECT_EQ(at(0, 17, 11), 20);
  EXPECT_EQ(at(0, 1, 1), 0);
  EXPECT_EQ(at(10, 11, 12), at(10, 12, 11));  // round stars
}

TEST(StarImages, RoundingGoesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5L), 0);
  EXPECT_EQ(RoundHalfEven(1.5L), 2);
  EXPECT_EQ(RoundHalfEven(2.5L), 2);
  EXPECT_EQ(RoundHalfEven(-0.5L), 0);
  EXPECT_EQ(RoundHalfEven(-1.5L), -2);
  EXPECT_EQ(RoundHalfEven(2.5000001L), 3);
}

TEST(StarImages, ZeroPointFromTheFaintestStarAndLevels) {
  EXPECT_EQ(FieldZeroPoint(17.4f), 8);
  EXPECT_EQ(FieldZeroPoint(17.5f), 8);  // 8.5 goes to the even 8
  EXPECT_EQ(FieldZeroPoint(17.6f), 9);
  EXPECT_EQ(StarLevel(8.5f, 8), 0);  // round(8.5) = 8
  EXPECT_EQ(StarLevel(3.0f, 8), 0);  // brighter stays at the largest image
  EXPECT_EQ(StarLevel(9.5f, 8), 2);  // round(9.5) = 10
  EXPECT_EQ(StarLevel(9.49f, 8), 1);
  EXPECT_EQ(StarLevel(17.5f, 8), 10);  // round(17.5) = 18
  EXPECT_EQ(StarLevel(16.5f, 8), 8);   // round(16.5) = 16
  EXPECT_EQ(StarLevel(22.0f, 8), 10);
}

// A field of hand-placed stars around RA 6 h, Dec +20.
struct FieldFixture {
  OptionsRecord options;
  ScriptedPlatform ui;
  GSCRgnsTblObj table{options, ui};
  GSCFieldObj field{options, ui, table};
  FieldRequest request;

  FieldFixture() {
    options.catalogLocation = 0;
    options.primaryCatalog = kPrimaryGSC;
    request.params.centreRA = 6.0L;
    request.params.centreDec = 20.0L;
    request.params.size = 30;
    field.BeginField();
  }
  CatalogStar& Add(const std::string& id, long double ra, long double dec, float mag, std::uint8_t cls = 0) {
    CatalogStar s;
    s.catalog = kCatalogGSC;
    s.id = id;
    s.ra = ra;
    s.dec = dec;
    s.mag = mag;
    s.starClass = cls;
    s.band = kBandUnknown;
    s.entries = 2;
    field.AddStar(s);
    for (std::int32_t i = 0; i <= field.Stars().LastIndex(); ++i)
      if (CatalogStar* stored = field.Stars().GetAt(i); stored != nullptr && stored->id == id) return *stored;
    throw std::logic_error("star not stored");
  }
  CatalogStar& Star(const std::string& id) {
    for (std::int32_t i = 0; i <= field.Stars().LastIndex(); ++i)
      if (CatalogStar* stored = field.Stars().GetAt(i); stored != nullptr && stored->id == id) return *stored;
    throw std::logic_error("no star " + id);
  }
};

FieldGeometry Geometry(int w, int h) {
  FieldGeometry g;
  g.clientWidth = w;
  g.clientHeight = h;
  g.zoom = 1;
  g.width = w;
  g.height = h;
  return g;
}

TEST(FieldWindowGeometry, ChartModeMeasuringModeAndNoImage) {
  const FieldGeometry chart = FieldWindowGeometry(true, 1280, 632, 500);
  EXPECT_EQ(chart.clientWidth, 640);
  EXPECT_EQ(chart.clientHeight, 640);
  EXPECT_EQ(chart.zoom, 1);
  const FieldGeometry measure = FieldWindowGeometry(false, 1280, 320, 240);
  EXPECT_EQ(measure.clientWidth, 320);
  EXPECT_EQ(measure.clientHeight, 240);
  EXPECT_DOUBLE_EQ(static_cast<double>(measure.zoom), 0.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(measure.width), 640.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(measure.height), 480.0);
  const FieldGeometry none = FieldWindowGeometry(false, 1280, 0, 0);
  EXPECT_EQ(none.clientWidth, 512);
  EXPECT_EQ(none.clientHeight, 512);
}

TEST(FieldPicture, StarsDrawnAtTheirProjectedPlacesOnBlack) {
  FieldFixture f;
  f.Add("bright", 6.0L + 0.004L, 20.05L, 8.5f);    // level 0 with faintest 17.4 (ZP 8)
  f.Add("faint", 6.0L - 0.005L, 19.93L, 17.4f);    // level 9 (round 17 - 8)
  f.Add("faintest", 6.0L - 0.002L, 20.1L, 17.5f);  // level 10
  f.Add("galaxy", 6.0L + 0.006L, 19.92L, 12.0f, 3);
  RenderRequest r;
  r.params = &f.request.params;
  r.geometry = Geometry(400, 400);
  r.faintestMag = 17.4f;
  const RenderResult out = RenderFieldPicture(r, f.field.Stars());
  EXPECT_EQ(out.zeroPoint, 8);
  const CatalogStar& bright = f.Star("bright");
  const CatalogStar& faintest = f.Star("faintest");
  const CatalogStar& galaxy = f.Star("galaxy");
  EXPECT_EQ(bright.symbol, 0);
  EXPECT_EQ(f.Star("faint").symbol, 9);
  EXPECT_EQ(faintest.symbol, 10);
  EXPECT_EQ(galaxy.symbol, kNonStellarSymbol);
  // FieldX/FieldY are the projection; ScreenX/ScreenY its rounded values (zoom 1, no reversal).
  long double x = 0, y = 0;
  ASSERT_TRUE(out.projection.Project(bright.ra, bright.dec, x, y));
  EXPECT_EQ(bright.fieldX, x);
  EXPECT_EQ(bright.screenX, static_cast<int>(std::lround(static_cast<double>(x))));
  EXPECT_EQ(bright.screenY, static_cast<int>(std::lround(static_cast<double>(y))));
  EXPECT_LT(bright.screenX, 200);  // east of the centre
  EXPECT_LT(bright.screenY, 200);  // north of the centre
  EXPECT_EQ(out.picture.At(bright.screenX, bright.screenY), (Rgb{255, 255, 255}));
  // The smallest image: 60 at the centre, 51 one pixel off, 30 two off, nothing three off.
  const int fx = faintest.screenX, fy = faintest.screenY;
  EXPECT_EQ(out.picture.At(fx, fy), (Rgb{60, 60, 60}));
  EXPECT_EQ(out.picture.At(fx + 1, fy), (Rgb{51, 51, 51}));
  EXPECT_EQ(out.picture.At(fx, fy - 2), (Rgb{30, 30, 30}));
  EXPECT_EQ(out.picture.At(fx + 2, fy + 1), kRgbBlack);  // 25 is below the cut
  EXPECT_EQ(out.picture.At(fx + 3, fy), kRgbBlack);
  // The non-stellar object: a white circle of radius 6 with a dark centre.
  EXPECT_EQ(out.picture.At(galaxy.screenX + 6, galaxy.screenY), kRgbWhite);
  EXPECT_EQ(out.picture.At(galaxy.screenX, galaxy.screenY - 6), kRgbWhite);
  EXPECT_EQ(out.picture.At(galaxy.screenX, galaxy.screenY), kRgbBlack);
  // Everything else is black.
  int lit = 0;
  for (int py = 0; py < 400; ++py)
    for (int px = 0; px < 400; ++px)
      if (!(out.picture.At(px, py) == kRgbBlack)) ++lit;
  EXPECT_GT(lit, 100);
  EXPECT_LT(lit, 400);
  EXPECT_EQ(out.picture.At(5, 395), kRgbBlack);
}

TEST(FieldPicture, OverlappingStarsCombineByMaximumAndInversionIsBitwise) {
  FieldFixture f;
  f.Add("a", 6.0L, 20.0L, 17.5f);
  f.Add("b", 6.0L, 20.0L + 6.0L / 3600, 17.5f);  // 6" north: one pixel up (30' over 300 pixels)
  RenderRequest r;
  r.params = &f.request.params;
  r.geometry = Geometry(300, 300);
  r.zeroPoint = 8;
  RenderResult out = RenderFieldPicture(r, f.field.Stars());
  const CatalogStar& a = f.Star("a");
  ASSERT_EQ(f.Star("b").screenY, a.screenY - 1);
  EXPECT_EQ(out.picture.At(a.screenX, a.screenY).r, 60);  // not 60 + 51
  EXPECT_EQ(out.picture.At(a.screenX, a.screenY - 1).r, 60);
  r.inverted = true;
  RenderResult inv = RenderFieldPicture(r, f.field.Stars());
  EXPECT_EQ(inv.picture.At(a.screenX, a.screenY), (Rgb{195, 195, 195}));
  EXPECT_EQ(inv.picture.At(0, 0), kRgbWhite);
}

TEST(FieldPicture, ReversalsMirrorTheScreenPositions) {
  FieldFixture f;
  f.Add("a", 6.0L + 0.004L, 20.05L, 10.0f);
  f.request.params.reverseEW = true;
  f.request.params.reverseNS = true;
  RenderRequest r;
  r.params = &f.request.params;
  r.geometry = Geometry(400, 300);
  r.zeroPoint = 8;
  const RenderResult out = RenderFieldPicture(r, f.field.Stars());
  const CatalogStar& a = f.Star("a");
  EXPECT_EQ(a.screenX, 400 - static_cast<int>(std::lround(static_cast<double>(a.fieldX))));
  EXPECT_EQ(a.screenY, 300 - static_cast<int>(std::lround(static_cast<double>(a.fieldY))));
  EXPECT_GT(a.screenX, 200);  // east now to the right
  EXPECT_GT(a.screenY, 150);
  EXPECT_EQ(out.picture.At(a.screenX, a.screenY), kRgbWhite);
}

TEST(FieldPicture, ChartMarksOfEphemerisAndObservations) {
  FieldFixture f;
  ChartContent chart;
  chart.source = ChartContent::Source::Ephemeris;
  chart.positions = {{6.0L, 20.0L}, {6.0L + 0.01L, 20.05L}, {9.0L, 20.0L}};  // the last is far outside
  RenderRequest r;
  r.params = &f.request.params;
  r.geometry = Geometry(400, 400);
  r.zeroPoint = 8;
  r.chartMode = true;
  r.chart = &chart;
  const RenderResult out = RenderFieldPicture(r, f.field.Stars());
  EXPECT_EQ(out.picture.At(200, 200), kRgbYellow);  // the cross centre
  EXPECT_EQ(out.picture.At(212, 200), kRgbYellow);  // +-12 for the first position
  EXPECT_EQ(out.picture.At(200, 188), kRgbYellow);
  EXPECT_EQ(out.picture.At(213, 200), kRgbBlack);
  EXPECT_EQ(out.picture.At(208, 200), kRgbYellow);          // on the circle too
  EXPECT_EQ(out.picture.At(200 + 6, 200 + 5), kRgbYellow);  // the circle's octant points
  EXPECT_EQ(out.picture.At(200 - 5, 200 - 6), kRgbYellow);
  long double x = 0, y = 0;
  ASSERT_TRUE(out.projection.Project(6.01L, 20.05L, x, y));
  const int sx = static_cast<int>(std::lround(static_cast<double>(x))),
            sy = static_cast<int>(std::lround(static_cast<double>(y)));
  EXPECT_EQ(out.picture.At(sx + 8, sy), kRgbYellow);  // +-8 for the others
  EXPECT_EQ(out.picture.At(sx - 8, sy), kRgbYellow);
  EXPECT_EQ(out.picture.At(sx, sy + 8), kRgbYellow);
  EXPECT_EQ(out.picture.At(sx + 10, sy), kRgbBlack);

  chart.source = ChartContent::Source::Observations;
  const RenderResult obs = RenderFieldPicture(r, f.field.Stars());
  EXPECT_EQ(obs.picture.At(205, 205), kRgbCyan);
  EXPECT_EQ(obs.picture.At(195, 205), kRgbCyan);
  EXPECT_EQ(obs.picture.At(206, 206), kRgbBlack);
  EXPECT_EQ(obs.picture.At(205, 200), kRgbBlack);  // diagonal, not upright
  // Without chart mode nothing of the chart is drawn.
  r.chartMode = false;
  const RenderResult plain = RenderFieldPicture(r, f.field.Stars());
  EXPECT_EQ(plain.picture.At(205, 205), kRgbBlack);
}

TEST(FieldPicture, CircleOutlineIsRound) {
  RgbPicture p(40, 40);
  p.Circle(20, 20, 6, kRgbWhite);
  int on = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      if (p.At(x, y) == kRgbWhite) {
        ++on;
        const double r = std::hypot(x - 20, y - 20);
        EXPECT_NEAR(r, 6.0, 0.75) << x << "," << y;
      }
  EXPECT_GE(on, 32);
  p.Set(-1, 5, kRgbWhite);  // outside: ignored
  p.Line(-10, -10, 50, 50, kRgbCyan);
  EXPECT_EQ(p.At(39, 39), kRgbCyan);
}

// ---------------------------------------------------------------- the selection

struct ModelFixture : FieldFixture {
  ReferenceFieldModel model{ui, options, field, request};
  void Init(bool reverseEW = false) {
    request.params.reverseEW = reverseEW;
    model.InitField(Geometry(400, 400), false, nullptr);
  }
  ReferenceStar& Entry(std::int32_t i) {
    ReferenceStar* r = i < model.SelectedCount() ? &model.Entries()[static_cast<std::size_t>(i)] : nullptr;
    if (r == nullptr) throw std::logic_error("no entry");
    return *r;
  }
  ReferenceStar& Entry(const std::string& id) {
    ReferenceStar* r = model.Find(id);
    if (r == nullptr) throw std::logic_error("no entry " + id);
    return *r;
  }
};

TEST(ReferenceFieldModel, InitialisesInvertedByOptionAndWarnsOnAnEmptyField) {
  ModelFixture m;
  m.options.invertRefDisplay = false;
  m.Init();
  EXPECT_FALSE(m.model.Inverted());
  ASSERT_EQ(m.ui.Messages().size(), 1u);
  EXPECT_EQ(m.ui.Messages()[0].text, "No Catalog Stars Found in Region.");
  EXPECT_EQ(m.ui.Messages()[0].icon, platform::Icon::Warning);
  EXPECT_EQ(m.model.Picture().Width(), 400);
  EXPECT_EQ(m.model.Picture().At(100, 100), kRgbBlack);
  m.options.invertRefDisplay = true;
  m.Add("s", 6.0L, 20.0L, 12.0f);
  m.model.InitField(Geometry(400, 400), false, nullptr);
  EXPECT_TRUE(m.model.Inverted());
  EXPECT_EQ(m.ui.Messages().size(), 1u);
  EXPECT_EQ(m.model.Picture().At(5, 5), kRgbWhite);
  m.options.invertRefDisplay = false;
  m.model.InitField(Geometry(400, 400), true, nullptr);  // chart mode is always inverted
  EXPECT_TRUE(m.model.Inverted());
}

TEST(ReferenceFieldModel, PickWithReverseEWTakesTheDisplayedStarAndMarksWhereClicked) {
  ModelFixture m;
  m.Add("00001-00001", 6.0L + 0.006L, 20.02L, 11.0f);  // east: shown at the right with the reversal
  m.Add("00001-00002", 6.0L - 0.006L, 20.02L, 11.0f);  // its mirror image position holds another star
  m.Init(true);
  const CatalogStar east = m.Star("00001-00001");
  ASSERT_GT(east.screenX, 200);
  auto pick = m.model.BeginPick(east.screenX + 2, east.screenY - 1);
  ASSERT_TRUE(pick);
  EXPECT_EQ(pick->star.id, "00001-00001");
  EXPECT_EQ(pick->star.fieldX, east.fieldX);  // the catalog star keeps its unmirrored values
  EXPECT_DOUBLE_EQ(static_cast<double>(pick->reference.fieldX), 400.0 - static_cast<double>(east.fieldX));
  EXPECT_EQ(pick->reference.fieldY, east.fieldY);
  EXPECT_EQ(pick->marker.x, east.screenX);
  EXPECT_EQ(pick->marker.y, east.screenY);
  EXPECT_EQ(pick->reference.number, 1);
  EXPECT_EQ(pick->reference.id, "00001-00001");
  EXPECT_EQ(pick->reference.band, kBandUnknown);  // GSC
  EXPECT_EQ(pick->reference.catMag, 11.0L);
  EXPECT_EQ(pick->reference.catRA, east.ra);
  EXPECT_FALSE(pick->existing);
  EXPECT_EQ(m.model.PickedIndex(), pick->index);
  ASSERT_TRUE(m.model.CompletePick(*pick, true, true));
  EXPECT_EQ(m.model.SelectedCount(), 1);
  EXPECT_EQ(m.model.ActiveCount(), 1);
  const WindowPixel drawn = m.model.MarkerPoint(m.Entry(0));
  EXPECT_EQ(drawn.x, east.screenX);
  EXPECT_EQ(drawn.y, east.screenY);
  // Nothing near: no pick.
  EXPECT_FALSE(m.model.BeginPick(5, 395));
}

TEST(ReferenceFieldModel, PickingTheSameStarTwiceEditsTheEntry) {
  ModelFixture m;
  m.Add("a", 6.0L + 0.003L, 20.0L, 10.0f);
  m.Add("b", 6.0L - 0.003L, 20.0L, 10.0f);
  m.Init();
  const CatalogStar a = m.Star("a"), b = m.Star("b");
  auto first = m.model.BeginPick(a.screenX, a.screenY);
  ASSERT_TRUE(first && m.model.CompletePick(*first, true, true));
  auto second = m.model.BeginPick(b.screenX, b.screenY);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->reference.number, 2);
  ASSERT_TRUE(m.model.CompletePick(*second, true, false));
  auto again = m.model.BeginPick(a.screenX + 1, a.screenY);
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->existing);
  EXPECT_TRUE(MakeRefInfoView(*again, false, false).removeEnabled);
  ASSERT_TRUE(m.model.CompletePick(*again, false, true));
  EXPECT_EQ(m.model.SelectedCount(), 2);
  EXPECT_EQ(m.Entry("a").number, 1);
  EXPECT_FALSE(m.Entry("a").usePos);
  EXPECT_EQ(m.Entry("a").kind, kRefMagOnly);
  EXPECT_EQ(m.Entry("b").kind, kRefPosOnly);
  EXPECT_FALSE(m.Star("a").usePos);  // the catalog star keeps the choice
  EXPECT_TRUE(m.Star("a").useMag);
  EXPECT_FALSE(m.Star("b").useMag);
  // The previous choice shows when the entry is picked again.
  auto third = m.model.BeginPick(a.screenX, a.screenY);
  ASSERT_TRUE(third);
  EXPECT_FALSE(third->reference.usePos);
  EXPECT_TRUE(third->reference.useMag);
}

TEST(ReferenceFieldModel, ClearingBothBoxesKeepsTheStarWithKindThree) {
  ModelFixture m;
  m.Add("a", 6.0L, 20.0L, 10.0f);
  m.Init();
  auto pick = m.model.BeginPick(200, 200);
  ASSERT_TRUE(pick && m.model.CompletePick(*pick, true, true));
  auto again = m.model.BeginPick(200, 200);
  ASSERT_TRUE(m.model.CompletePick(*again, false, false));
  EXPECT_EQ(m.model.SelectedCount(), 1);
  EXPECT_EQ(m.model.ActiveCount(), 0);
  EXPECT_EQ(m.Entry(0).kind, kRefNeither);
  EXPECT_EQ(KindColour(kRefNeither, false), (Rgb{128, 128, 128}));
}

TEST(ReferenceFieldModel, TheHundredAndFirstActiveStarIsRefused) {
  ModelFixture m;
  for (int i = 0; i < 102; ++i) {
    const int row = i / 12, col = i % 12;
    m.Add("s" + std::to_string(i), 6.0L + (col - 6) * 0.0009L, 20.0L + (row - 4) * 0.012L, 12.0f);
  }
  m.Init();
  int refused = 0;
  std::string refusedId;
  for (int i = 0; i < 102; ++i) {
    const CatalogStar s = m.Star("s" + std::to_string(i));
    auto pick = m.model.BeginPick(s.screenX, s.screenY);
    ASSERT_TRUE(pick) << i;
    ASSERT_EQ(pick->star.id, s.id);
    if (i == 3) {
      ASSERT_TRUE(m.model.CompletePick(*pick, false, false));  // an inactive entry
      continue;
    }
    if (!m.model.CompletePick(*pick, true, true)) {
      ++refused;
      refusedId = s.id;
    }
  }
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(refusedId, "s101");
  EXPECT_EQ(m.model.ActiveCount(), 100);
  EXPECT_EQ(m.model.SelectedCount(), 101);
  ASSERT_EQ(m.ui.Messages().size(), 1u);
  EXPECT_EQ(m.ui.Messages()[0].text, "A maximum of 100 active Reference Stars are allowed!");
  EXPECT_EQ(m.ui.Messages()[0].caption, "MaxRef Exceeded!");
  EXPECT_TRUE(m.ui.Messages()[0].beep);
  // The inactive entry cannot become the 101st active one either.
  const CatalogStar s3 = m.Star("s3");
  auto again = m.model.BeginPick(s3.screenX, s3.screenY);
  EXPECT_FALSE(m.model.CompletePick(*again, true, false));
  EXPECT_EQ(m.model.ActiveCount(), 100);
  EXPECT_EQ(m.ui.Messages().size(), 2u);
  // Switching an active one off is always allowed.
  const CatalogStar s0 = m.Star("s0");
  auto off = m.model.BeginPick(s0.screenX, s0.screenY);
  EXPECT_TRUE(m.model.CompletePick(*off, false, false));
  EXPECT_EQ(m.model.ActiveCount(), 99);
}

TEST(ReferenceFieldModel, RestoreAndClear) {
  ModelFixture m;
  m.options.defaultRefMags = false;
  m.Add("a", 6.0L, 20.0L, 10.0f);
  m.Init();
  auto pick = m.model.BeginPick(200, 200);
  ASSERT_TRUE(m.model.CompletePick(*pick, false, true));
  m.Star("a").useMag = true;
  m.model.Restore();
  EXPECT_TRUE(m.Entry("a").usePos);
  EXPECT_FALSE(m.Entry("a").useMag);
  EXPECT_EQ(m.Entry("a").kind, kRefPosOnly);
  EXPECT_FALSE(m.Star("a").useMag);
  EXPECT_EQ(m.model.ActiveCount(), 1);
  m.model.Clear();
  EXPECT_EQ(m.model.SelectedCount(), 0);
  EXPECT_EQ(m.model.ActiveCount(), 0);
}

TEST(ReferenceFieldModel, AdjustRerendersOrOnlyInverts) {
  ModelFixture m;
  m.options.invertRefDisplay = false;
  m.Add("a", 6.0L, 20.0L, 17.5f);
  m.Init();
  EXPECT_EQ(m.model.ZeroPoint(), FieldZeroPoint(m.field.FaintestMag()));
  EXPECT_EQ(m.model.Picture().At(200, 200).r, 60);  // faintest star: level 10
  EXPECT_FALSE(m.model.Adjust(m.model.ZeroPoint(), false));
  EXPECT_TRUE(m.model.Adjust(m.model.ZeroPoint(), true));
  EXPECT_EQ(m.model.Picture().At(200, 200).r, 195);
  EXPECT_TRUE(m.model.Adjust(17, true));  // level 1: saturated centre, still inverted
  EXPECT_EQ(m.model.ZeroPoint(), 17);
  EXPECT_EQ(m.model.Picture().At(200, 200).r, 0);
  EXPECT_EQ(m.model.Picture().At(0, 0).r, 255);
}

TEST(ReferenceField, BandByCatalogAndColourChoice) {
  EXPECT_EQ(PickedBand(kCatalogGSC, 1), 8);
  const std::uint8_t ucac3[] = {0, 2, 3, 4, 5, 6, 7};
  for (std::uint8_t c = 0; c < 7; ++c) EXPECT_EQ(PickedBand(kCatalogUCAC3, c), ucac3[c]);
  EXPECT_EQ(PickedBand(kCatalogUCAC3, 7), 8);
  const std::uint8_t b1[] = {0, 2, 3};
  for (std::uint8_t c = 0; c < 3; ++c) EXPECT_EQ(PickedBand(kCatalogUSNOB1, c), b1[c]);
  const std::uint8_t nomad[] = {0, 1, 2, 4, 5, 6};
  for (std::uint8_t c = 0; c < 6; ++c) EXPECT_EQ(PickedBand(kCatalogNOMAD, c), nomad[c]);
  EXPECT_EQ(PickedBand(kCatalogUSNOSA2, 0), 0);
  EXPECT_EQ(PickedBand(kCatalogUSNOSA2, 1), 2);
  EXPECT_EQ(PickedBand(kCatalogUCAC2, 3), 2);
  // Gaia DR3 has G alone; a field request still holding another catalog's choice gets G too.
  EXPECT_EQ(PickedBand(kCatalogGaiaDR3, 0), kBandG);
  EXPECT_EQ(PickedBand(kCatalogGaiaDR3, 1), kBandG);
  const std::uint8_t ucac4[] = {0, 1, 2, 3, 4, 5, 6, 7};
  for (std::uint8_t c = 0; c < 8; ++c) EXPECT_EQ(PickedBand(kCatalogUCAC4, c), ucac4[c]);
  EXPECT_EQ(PickedBand(kCatalogUSNOB1, 3), 0);  // beyond its list: its first colour, as queried
}

TEST(ReferenceField, KindColoursAndFlags) {
  EXPECT_EQ(KindColour(0, false), (Rgb{0, 255, 0}));
  EXPECT_EQ(KindColour(0, true), (Rgb{0, 0, 255}));
  EXPECT_EQ(KindColour(1, false), (Rgb{255, 0, 0}));
  EXPECT_EQ(KindColour(1, true), (Rgb{255, 0, 0}));
  EXPECT_EQ(KindColour(2, false), (Rgb{0, 255, 255}));
  EXPECT_EQ(KindColour(3, true), (Rgb{128, 128, 128}));
  EXPECT_EQ(KindOfFlags(true, true), 0);
  EXPECT_EQ(KindOfFlags(true, false), 1);
  EXPECT_EQ(KindOfFlags(false, true), 2);
  EXPECT_EQ(KindOfFlags(false, false), 3);
}

TEST(ReferenceField, WindowTitles) {
  FieldParameters p;
  p.centreRA = 5.5L + 1.0L / 3600 * 12.34L;  // 05:30:12.34
  p.centreDec = -12.5L - 7.0L / 3600;        // -12:30:07
  EXPECT_EQ(FieldWindowTitle(p, false, "x"), "Reference Stars  -  RA:    5:30:12.3,   Dec:  -12:30:07");
  EXPECT_EQ(FieldWindowTitle(p, true, "(433) Eros"), "(433) Eros  -  RA:    5:30:12.3,   Dec:  -12:30:07");
}

TEST(ReferenceField, DataListLinesForTheLocalGSCWithSupplement) {
  FieldFixture f;
  f.options.supplCatalog = 2;
  f.request.params.useSupplement = true;
  f.request.params.centreRA = 6.0L + 0.5L / 60;
  f.request.params.centreDec = 20.25L;
  f.request.params.size = 22.5f;
  f.request.colourChoice = 1;
  f.Add("a", 6.0L, 20.0L, 9.25f);
  f.Add("b", 6.0L, 20.01L, 15.5f);
  f.Add("g", 6.0L, 20.02L, 12.0f, 1);
  const auto lines = ReferenceFieldDataLines(f.options, f.request, f.field, 7);
  const std::vector<std::string> expected = {
      "Catalog - STSI Guide Star Catalog & USNO-SA2.0",
      "Field Center - RA:    6:00:30.00,    Dec:   20:15:00.0",
      "Field Size: 22.5 Arc Minutes",
      "Stars Found: 2",
      "Magnitude of Brightest: 9.25,  Faintest: 15.50",
      "Color Selection: Red",
      "Non-Stellar Objects: 1",
      "Star Image Zero Point (Magnitude): 7",
  };
  EXPECT_EQ(lines, expected);
}

TEST(ReferenceField, CatalogLines) {
  OptionsRecord o;
  FieldParameters p;
  o.catalogLocation = 1;
  o.webCatalog = 0;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - NOMAD");
  o.webCatalog = 1;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - USNO-B1.0");
  o.webCatalog = 2;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - USNO-A2.0");
  o.webCatalog = kWebGaiaDR3;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - Gaia DR3");
  o.webCatalog = kWebUCAC4;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - UCAC4");
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryGSC;
  o.supplCatalog = 1;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - STSI Guide Star Catalog");
  p.useSupplement = true;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - STSI Guide Star Catalog & USNO-SA1.0");
  o.primaryCatalog = kPrimaryUCAC2;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - UCAC2");
  o.supplCatalog = 3;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - UCAC2 & BSS");
  o.primaryCatalog = kPrimaryNone;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - UCAC2-BSS");
  o.supplCatalog = 1;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - USNO-SA1.0");
  o.supplCatalog = 2;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - USNO-SA2.0");
  o.primaryCatalog = kPrimaryUCAC3;
  EXPECT_EQ(CatalogLine(o, p), "Catalog - UCAC3");
}

TEST(ReferenceField, ColourLinesOfEveryCatalog) {
  OptionsRecord o;
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryUCAC3;
  const char* ucac3[] = {"SuperCosmos B", "SuperCosmos R2", "SuperCosmos I",       "2MASS J",
                         "2MASS H",       "2MASS K_s",      "UCAC No Filter (V-R)"};
  for (std::uint8_t c = 0; c < 7; ++c)
    EXPECT_EQ(ColourSelectionLine(o, c), std::string("Color Selection: ") + ucac3[c]);
  EXPECT_EQ(ColourSelectionLine(o, 7), "");
  o.primaryCatalog = kPrimaryGSC;
  EXPECT_EQ(ColourSelectionLine(o, 0), "Color Selection: Blue");
  EXPECT_EQ(ColourSelectionLine(o, 1), "Color Selection: Red");
  o.catalogLocation = 1;
  o.webCatalog = 0;
  const char* nomad[] = {"B", "V", "R", "J", "H", "K"};
  for (std::uint8_t c = 0; c < 6; ++c)
    EXPECT_EQ(ColourSelectionLine(o, c), std::string("Color Selection: ") + nomad[c]);
  o.webCatalog = 1;
  EXPECT_EQ(ColourSelectionLine(o, 0), "Color Selection: B2");
  EXPECT_EQ(ColourSelectionLine(o, 1), "Color Selection: R2");
  EXPECT_EQ(ColourSelectionLine(o, 2), "Color Selection: I2");
  o.webCatalog = 2;
  EXPECT_EQ(ColourSelectionLine(o, 0), "Color Selection: B");
  EXPECT_EQ(ColourSelectionLine(o, 1), "Color Selection: R");
  o.webCatalog = kWebGaiaDR3;
  EXPECT_EQ(ColourSelectionLine(o, 0), "Color Selection: G");
  EXPECT_EQ(ColourSelectionLine(o, 1), "");
  o.webCatalog = kWebUCAC4;
  EXPECT_EQ(ColourSelectionLine(o, 2), "Color Selection: r");
  EXPECT_EQ(ColourSelectionLine(o, 7), "Color Selection: f.mag");
}

TEST(ReferenceField, PrintLinesOfAChartWithItsEphemeris) {
  FieldFixture f;
  f.request.params.centreRA = 10.5L;
  f.request.params.centreDec = -5.25L;
  f.request.params.size = 40;
  f.request.params.reverseNS = true;
  f.request.colourChoice = 0;
  f.Add("a", 10.5L, -5.2L, 11.04f);
  f.Add("b", 10.5L, -5.3L, 14.96f);
  ChartContent chart;
  chart.source = ChartContent::Source::Ephemeris;
  chart.designation = "(433) Eros";
  chart.centralTime = 45000.5;  // 2023/03/15 12:00:00
  chart.centralRAHours = 10.5L;
  chart.centralDecDeg = -5.25L;
  chart.step = 6;
  chart.hourlySteps = true;
  chart.magnitude = 11.26L;
  const auto lines = ReferenceFieldPrintLines(f.options, f.request, f.field, true, &chart);
  const std::vector<std::string> expected = {
      "Target Body: (433) Eros",
      "Central Position at 2023/03/15 12:00:00 (TDT)",
      "Right Ascension:  10h 30m 00.00s,   Declination:  -5\xB0 15' 00.0\"",
      "Time Increment: 6.00 Hours",
      "Magnitude: 11.3",
      "Reference Stars",
      "Field Center - RA:  10h 30m 00.00s,   Dec:  -5\xB0 15' 00.0\"",
      "Field Size: 40.0 Arc Minutes",
      "Data Source: ",
      "Color Selection: Blue",
      "Magnitude of Brightest Star: 11.0",
      "Magnitude of Faintest Star:  15.0",
      "NOTE: Chart is N-S reversed!",
  };
  EXPECT_EQ(lines, expected);
  const auto plain = ReferenceFieldPrintLines(f.options, f.request, f.field, false, &chart);
  EXPECT_EQ(plain.front(), "Reference Stars");
}

TEST(ReferenceField, RefInfoTextsAndRules) {
  PickCandidate pick;
  pick.star.catalog = kCatalogGSC;
  pick.star.id = "00042-00117";
  pick.star.ra = 6.5L;
  pick.star.dec = -20.25L;
  pick.star.entries = 0;
  pick.star.posErr = 0;
  pick.star.mag = 12.345f;
  pick.star.magErr = 1.5f;
  pick.star.starClass = 3;
  pick.reference.band = kBandUnknown;
  pick.reference.usePos = true;
  RefInfoView v = MakeRefInfoView(pick, false, false);
  EXPECT_EQ(v.caption, "Non-Stellar Object");
  EXPECT_TRUE(v.idMagenta);
  EXPECT_EQ(v.catalog, "STSI Guide Star Catalog");
  EXPECT_EQ(v.entries, "NA");
  EXPECT_EQ(v.posErr, "NA");
  EXPECT_EQ(v.ra, "   6h 30m 00.00s");
  EXPECT_EQ(v.dec, " -20\xB0 15' 00.0\"");
  EXPECT_EQ(v.mag, "12.35");
  EXPECT_EQ(v.magErr, "Large!");
  EXPECT_TRUE(v.magMagenta);
  EXPECT_EQ(v.band, "Unknown");
  EXPECT_FALSE(v.removeEnabled);
  pick.star.starClass = 0;
  pick.star.entries = 3;
  pick.star.posErr = 0.456f;
  pick.star.magErr = 1.0f;
  pick.existing = true;
  v = MakeRefInfoView(pick, false, true);
  EXPECT_EQ(v.caption, "Reference Star");
  EXPECT_EQ(v.catalog, "ACT-Corrected GSC");
  EXPECT_EQ(v.entries, "3");
  EXPECT_EQ(v.posErr, "0.46\"");
  EXPECT_EQ(v.magErr, "1.00");
  EXPECT_FALSE(v.magMagenta);
  EXPECT_TRUE(v.removeEnabled);
  EXPECT_TRUE(v.checkBoxesVisible);
  v = MakeRefInfoView(pick, true, false);
  EXPECT_FALSE(v.checkBoxesVisible);
  EXPECT_FALSE(v.cancelEnabled);
  EXPECT_FALSE(v.removeEnabled);
  pick.star.magErr = 0;
  EXPECT_EQ(MakeRefInfoView(pick, false, false).magErr, "NA");
}

TEST(ReferenceField, RefInfoDialogPlacement) {
  // Below the window.
  EXPECT_EQ(PlaceRefInfoDialog(1024, 500, 300, 100).y, 500);
  EXPECT_EQ(PlaceRefInfoDialog(1024, 500, 300, 100).x, 30);
  // Kept 28 pixels above the screen's bottom.
  EXPECT_EQ(PlaceRefInfoDialog(1024, 800, 300, 100).y, 1024 - 28 - 300);
  // At the top when it would cover the click.
  EXPECT_EQ(PlaceRefInfoDialog(1024, 800, 300, 750).y, 0);
}

}  // namespace
}  // namespace skarvel
