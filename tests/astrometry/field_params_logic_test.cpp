// The field parameters dialog's decisions: start texts, colour lists and
// presets, the supplementary catalog box, validation order and messages,
// the colour/filter question and what OK stores.
#include "astrometry/field_params_logic.h"

#include <gtest/gtest.h>

#include "catalogs/catalog_star.h"

#include "images/fits_file.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ScriptedPlatform;

OptionsRecord LocalGSC(std::uint8_t suppl = 0) {
  OptionsRecord o;
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryGSC;
  o.supplCatalog = suppl;
  o.fieldSize = 15;
  o.magLimit = 20;
  return o;
}

FieldRequest Request(long double ra, long double dec) {
  FieldRequest r;
  r.params.centreRA = ra;
  r.params.centreDec = dec;
  r.params.size = 15;
  r.params.limitMag = 20;
  r.params.rotation = -12.345f;
  r.colourChoice = 1;
  return r;
}

std::vector<std::string> Captions(const std::vector<ColourItem>& items) {
  std::vector<std::string> out;
  for (const auto& i : items) out.push_back(i.caption);
  return out;
}

TEST(FieldParamsLogic, StartTextsSplitWithRounding) {
  FieldRequest r = Request(5.9999999L, -0.5L);
  r.params.reverseNS = true;
  const FieldParamsLogic logic(r, LocalGSC(), 8);
  // 5h 59m 59.99964s rounds up into the next hour at 2 decimals.
  EXPECT_EQ(logic.raHr, "6");
  EXPECT_EQ(logic.raMin, "0");
  EXPECT_EQ(logic.raSec, "0.00");
  EXPECT_EQ(logic.decDeg, "-0");
  EXPECT_EQ(logic.decMin, "30");
  EXPECT_EQ(logic.decSec, "0.0");
  EXPECT_EQ(logic.size, "15.0");
  EXPECT_EQ(logic.mag, "20.0");
  EXPECT_EQ(logic.rotation, "-12.35");
  EXPECT_FALSE(logic.reverseEW);
  EXPECT_TRUE(logic.reverseNS);
  const FieldParamsLogic other(Request(13.5L + 12.346L / 3600, 45.0L + 30.0L / 60 + 7.26L / 3600), LocalGSC(), 8);
  EXPECT_EQ(other.raHr, "13");
  EXPECT_EQ(other.raMin, "30");
  EXPECT_EQ(other.raSec, "12.35");
  EXPECT_EQ(other.decDeg, "45");
  EXPECT_EQ(other.decMin, "30");
  EXPECT_EQ(other.decSec, "7.3");
}

TEST(FieldParamsLogic, ColourListsAndCatalogNames) {
  OptionsRecord o = LocalGSC();
  EXPECT_EQ(Captions(ColourItems(o)), (std::vector<std::string>{"&Blue", "V/&Red"}));
  EXPECT_EQ(CatalogFieldText(o), "STScI Guide Star Catalog");
  o.primaryCatalog = kPrimaryUCAC2;
  EXPECT_EQ(CatalogFieldText(o), "UCAC2");
  o.primaryCatalog = kPrimaryNone;
  EXPECT_EQ(CatalogFieldText(o), "(No Primary Catalog");
  o.primaryCatalog = kPrimaryUCAC3;
  EXPECT_EQ(CatalogFieldText(o), "UCAC3");
  const auto ucac3 = ColourItems(o);
  EXPECT_EQ(Captions(ucac3),
            (std::vector<std::string>{"&Blue", "&Red", "&I (IR)", "&J (IR)", "&H (IR)", "&K (IR)", "&UCAC (V-R)"}));
  EXPECT_EQ(ucac3[6].filter, 2);
  o.catalogLocation = 1;
  o.webCatalog = 0;
  EXPECT_EQ(CatalogFieldText(o), "NOMAD (Online)");
  const auto nomad = ColourItems(o);
  EXPECT_EQ(Captions(nomad), (std::vector<std::string>{"&Blue", "&Visual", "&Red", "&J (IR)", "&H (IR)", "&K (IR)"}));
  EXPECT_EQ(nomad[3].filter, 4);
  o.webCatalog = 1;
  EXPECT_EQ(CatalogFieldText(o), "USNO-B1.0 (Online)");
  EXPECT_EQ(Captions(ColourItems(o)), (std::vector<std::string>{"&Blue", "&Red", "&I (IR)"}));
  o.webCatalog = 2;
  EXPECT_EQ(CatalogFieldText(o), "USNO-A2.0 (Online)");
  EXPECT_EQ(Captions(ColourItems(o)), (std::vector<std::string>{"&Blue", "&Red"}));
  o.webCatalog = kWebGaiaDR3;
  EXPECT_EQ(CatalogFieldText(o), "Gaia DR3 (Online)");
  EXPECT_EQ(Captions(ColourItems(o)), (std::vector<std::string>{"&G (Gaia)"}));
  EXPECT_TRUE(CatalogOffersFilter(o, kBandR));  // an R or unfiltered image suits G
  EXPECT_FALSE(CatalogOffersFilter(o, kBandB));
  o.webCatalog = kWebUCAC4;
  EXPECT_EQ(CatalogFieldText(o), "UCAC4 (Online)");
  EXPECT_EQ(Captions(ColourItems(o)), (std::vector<std::string>{"&Blue", "&Visual", "&Red (r')", "&I (i')", "&J (IR)",
                                                                "&H (IR)", "&K (IR)", "&UCAC (f.mag)"}));
  EXPECT_TRUE(CatalogOffersFilter(o, kBandV));
}

TEST(FieldParamsLogic, ColourPresetFromTheImageFilter) {
  FieldRequest r = Request(1, 1);
  r.colourChoice = 1;
  EXPECT_EQ(FieldParamsLogic(r, LocalGSC(), 0).colourIndex, 0);  // B
  EXPECT_EQ(FieldParamsLogic(r, LocalGSC(), 2).colourIndex, 1);  // R
  r.colourChoice = 0;
  EXPECT_EQ(FieldParamsLogic(r, LocalGSC(), 7).colourIndex, 0);  // no item for "none": unchanged
  EXPECT_EQ(FieldParamsLogic(r, LocalGSC(), 1).colourIndex, 0);  // V: unchanged
  OptionsRecord u = LocalGSC();
  u.primaryCatalog = kPrimaryUCAC3;
  r.colourChoice = 3;
  EXPECT_EQ(FieldParamsLogic(r, u, 7).colourIndex, 6);  // no filter: "&UCAC (V-R)"
  EXPECT_EQ(FieldParamsLogic(r, u, 2).colourIndex, 1);
  EXPECT_EQ(FieldParamsLogic(r, u, 8).colourIndex, 3);
  r.colourChoice = 9;  // beyond the list
  EXPECT_EQ(FieldParamsLogic(r, LocalGSC(), 8).colourIndex, 0);
}

TEST(FieldParamsLogic, SupplementBoxAndColourGroupEnabling) {
  FieldRequest r = Request(1, 1);
  r.params.useSupplement = false;
  FieldParamsLogic gsc(r, LocalGSC(1), 8);
  EXPECT_TRUE(gsc.UseSAEnabled());
  EXPECT_FALSE(gsc.useSA);
  EXPECT_FALSE(gsc.ColourEnabled());
  gsc.SetUseSA(true);
  EXPECT_TRUE(gsc.ColourEnabled());
  gsc.SetUseSA(false);
  EXPECT_FALSE(gsc.ColourEnabled());
  EXPECT_FALSE(FieldParamsLogic(r, LocalGSC(0), 8).UseSAEnabled());
  OptionsRecord ucac2 = LocalGSC(1);
  ucac2.primaryCatalog = kPrimaryUCAC2;
  EXPECT_FALSE(FieldParamsLogic(r, ucac2, 8).UseSAEnabled());  // UCAC2 takes only the BSS
  ucac2.supplCatalog = 3;
  EXPECT_TRUE(FieldParamsLogic(r, ucac2, 8).UseSAEnabled());
  r.params.useSupplement = true;
  OptionsRecord web = LocalGSC(1);
  web.catalogLocation = 1;
  const FieldParamsLogic online(r, web, 8);
  EXPECT_FALSE(online.useSA);
  EXPECT_FALSE(online.UseSAEnabled());
  EXPECT_TRUE(online.ColourEnabled());
  const FieldParamsLogic withSA(r, LocalGSC(2), 8);
  EXPECT_TRUE(withSA.useSA);
  EXPECT_TRUE(withSA.ColourEnabled());
}

TEST(FieldParamsLogic, FocusInChartStateWithAList) {
  EXPECT_EQ(FieldParamsLogic::InitialFocus(true), FieldParamsLogic::Focus::SizEd);
  EXPECT_EQ(FieldParamsLogic::InitialFocus(false), FieldParamsLogic::Focus::RAHr);
}

struct AcceptFixture {
  ScriptedPlatform ui;
  OptionsRecord options = LocalGSC();
  FieldRequest request = Request(3, 10);
  FieldParamsLogic logic{request, options, 8};
  std::optional<bool> Ok() { return logic.Accept(ui, request, options); }
  std::string LastText() const { return ui.Messages().empty() ? std::string() : ui.Messages().back().text; }
};

TEST(FieldParamsLogic, ValidationOrderAndMessages) {
  AcceptFixture f;
  f.logic.raHr = "x";
  f.logic.decDeg = "y";
  f.logic.size = "z";
  EXPECT_FALSE(f.Ok());
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.LastText(), "Right Ascension is Invalid!");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Input Error!");
  EXPECT_EQ(f.ui.Messages()[0].icon, Icon::Error);
  f.logic.raHr = "12";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Declination is Invalid!");
  f.logic.decDeg = "10";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Invalid Numeric Value - Check Field, Mag., Rotn. Entries!");
  EXPECT_EQ(f.ui.Messages().size(), 3u);
  f.logic.size = "20";
  f.logic.mag = "";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Invalid Numeric Value - Check Field, Mag., Rotn. Entries!");
  f.logic.mag = "18.5";
  f.logic.rotation = "1,5";
  EXPECT_FALSE(f.Ok());
  f.logic.rotation = "1.5";
  EXPECT_EQ(f.Ok(), std::optional<bool>(true));  // size and limit differ from the options
  EXPECT_EQ(f.request.params.centreRA, 12.0L);
  EXPECT_EQ(f.ui.Messages().size(), 5u);
}

TEST(FieldParamsLogic, RightAscensionBoundaries) {
  AcceptFixture f;
  f.logic.raHr = "24";
  f.logic.raMin = "0";
  f.logic.raSec = "0";
  EXPECT_TRUE(f.Ok());
  EXPECT_EQ(f.request.params.centreRA, 24.0L);
  f.logic.raSec = "0.01";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Right Ascension is Invalid!");
  f.logic.raHr = "-0";
  f.logic.raMin = "-1";
  f.logic.raSec = "0";
  EXPECT_FALSE(f.Ok());
  f.logic.raHr = "0";
  f.logic.raMin = "59";
  f.logic.raSec = "59.99";
  EXPECT_TRUE(f.Ok());
  EXPECT_NEAR(static_cast<double>(f.request.params.centreRA), 59.0 / 60 + 59.99 / 3600, 1e-12);
}

TEST(FieldParamsLogic, DeclinationSignRules) {
  AcceptFixture f;
  f.logic.decDeg = "-0";
  f.logic.decMin = "30";
  f.logic.decSec = "0";
  EXPECT_TRUE(f.Ok());
  EXPECT_EQ(f.request.params.centreDec, -0.5L);
  f.logic.decDeg = "  -0";
  EXPECT_TRUE(f.Ok());
  EXPECT_EQ(f.request.params.centreDec, -0.5L);
  f.logic.decDeg = "-12";
  f.logic.decMin = "30";
  f.logic.decSec = "36";
  EXPECT_TRUE(f.Ok());
  EXPECT_NEAR(static_cast<double>(f.request.params.centreDec), -12.51, 1e-12);
  f.logic.decDeg = "0";
  EXPECT_TRUE(f.Ok());
  EXPECT_NEAR(static_cast<double>(f.request.params.centreDec), 0.51, 1e-12);
  f.logic.decDeg = "-89";
  f.logic.decMin = "59";
  f.logic.decSec = "59.9";
  EXPECT_TRUE(f.Ok());
  EXPECT_NEAR(static_cast<double>(f.request.params.centreDec), -90.0 + 0.1 / 3600, 1e-12);
  f.logic.decDeg = "-90";
  f.logic.decMin = "0";
  f.logic.decSec = "0";
  EXPECT_TRUE(f.Ok());
  EXPECT_EQ(f.request.params.centreDec, -90.0L);
  f.logic.decSec = "0.1";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Declination is Invalid!");
  f.logic.decDeg = "90";
  f.logic.decSec = "0";
  EXPECT_TRUE(f.Ok());
  f.logic.decMin = "abc";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Declination is Invalid!");
}

TEST(FieldParamsLogic, AFieldWithoutSizeIsRefused) {
  AcceptFixture f;
  f.logic.size = "0";
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.LastText(), "Invalid Numeric Value - Check Field, Mag., Rotn. Entries!");
  f.logic.size = "-5";
  EXPECT_FALSE(f.Ok());
  f.logic.size = "1e40";  // beyond the record's 32-bit float
  EXPECT_FALSE(f.Ok());
  EXPECT_EQ(f.request.params.size, 15.0f);
}

TEST(FieldParamsLogic, VFilterWithTheGSCIsNotAvailableInTheCatalog) {
  ScriptedPlatform ui;
  OptionsRecord options = LocalGSC();
  FieldRequest request = Request(3, 10);
  const FieldRequest before = request;
  const FieldParamsLogic logic(request, options, 1);
  ui.AnswerNext(Answer::Cancel);
  EXPECT_FALSE(logic.Accept(ui, request, options));
  ASSERT_EQ(ui.Messages().size(), 1u);
  const auto& m = ui.Messages()[0];
  EXPECT_EQ(m.text,
            "Selected color does not match filter in image header.\r\nImage Filter = \"V\"\r\n(Filter color is not "
            "available in selected catalog.)\r\n\r\nPress \"OK\" to accept, \"Cancel\" to change catalog/color "
            "selection.");
  EXPECT_EQ(m.caption, "Color/Filter Mismatch");
  EXPECT_EQ(m.buttons, platform::Buttons::OkCancel);
  EXPECT_EQ(request.params, before.params);  // Cancel keeps the dialog open and stores nothing
  ui.AnswerNext(Answer::Ok);
  EXPECT_EQ(logic.Accept(ui, request, options), std::optional<bool>(false));
  EXPECT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(request.colourChoice, 1);
}

TEST(FieldParamsLogic, MismatchWordingWhenTheCatalogOffersTheFilter) {
  ScriptedPlatform ui;
  OptionsRecord options = LocalGSC();
  options.catalogLocation = 1;
  options.webCatalog = 0;  // NOMAD offers R
  FieldRequest request = Request(3, 10);
  FieldParamsLogic logic(request, options, 2);
  EXPECT_EQ(logic.colourIndex, 2);
  logic.colourIndex = 0;  // Blue chosen for an R image
  ui.AnswerNext(Answer::Ok);
  EXPECT_TRUE(logic.Accept(ui, request, options));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Selected color does not match filter in image header.\r\nImage Filter = \"R\"\r\n\r\nPress \"OK\" to "
            "accept, \"Cancel\" to change color selection.");
  EXPECT_EQ(request.colourChoice, 0);
}

TEST(FieldParamsLogic, NoQuestionForMatchingRedOrUnknownFilters) {
  for (std::uint8_t filter : {std::uint8_t{2}, std::uint8_t{7}, std::uint8_t{8}}) {
    ScriptedPlatform ui;
    OptionsRecord options = LocalGSC();
    FieldRequest request = Request(3, 10);
    request.colourChoice = 1;  // "V/&Red"
    const FieldParamsLogic logic(request, options, filter);
    EXPECT_TRUE(logic.Accept(ui, request, options)) << int(filter);
    EXPECT_TRUE(ui.Messages().empty()) << int(filter);
  }
}

TEST(FieldParamsLogic, FiltersOfferedPerCatalog) {
  OptionsRecord o = LocalGSC();
  EXPECT_TRUE(CatalogOffersFilter(o, 0));
  EXPECT_FALSE(CatalogOffersFilter(o, 1));
  EXPECT_TRUE(CatalogOffersFilter(o, 7));
  EXPECT_FALSE(CatalogOffersFilter(o, 3));
  o.primaryCatalog = kPrimaryUCAC3;
  EXPECT_FALSE(CatalogOffersFilter(o, 1));
  EXPECT_TRUE(CatalogOffersFilter(o, 6));
  o.catalogLocation = 1;
  o.webCatalog = 0;
  EXPECT_FALSE(CatalogOffersFilter(o, 3));
  EXPECT_TRUE(CatalogOffersFilter(o, 1));
  o.webCatalog = 1;
  EXPECT_TRUE(CatalogOffersFilter(o, 3));
  EXPECT_FALSE(CatalogOffersFilter(o, 4));
  o.webCatalog = 2;
  EXPECT_FALSE(CatalogOffersFilter(o, 3));
  EXPECT_TRUE(ColourMatchesFilter(2, 7));
  EXPECT_FALSE(ColourMatchesFilter(0, 7));
}

TEST(FieldParamsLogic, StoresTheFieldAndTheOptions) {
  ScriptedPlatform ui;
  OptionsRecord options = LocalGSC(1);
  FieldRequest request = Request(3, 10);
  FieldParamsLogic logic(request, options, 8);
  logic.raHr = "6";
  logic.raMin = "30";
  logic.raSec = "0";
  logic.decDeg = "-20";
  logic.decMin = "15";
  logic.decSec = "0";
  logic.size = "30";
  logic.mag = "20";
  logic.rotation = "2.5";
  logic.reverseEW = true;
  logic.SetUseSA(true);
  logic.colourIndex = 0;
  EXPECT_EQ(logic.Accept(ui, request, options), std::optional<bool>(true));
  const FieldParameters& p = request.params;
  EXPECT_EQ(p.centreRA, 6.5L);
  EXPECT_EQ(p.centreDec, -20.25L);
  EXPECT_EQ(p.size, 30.0f);
  EXPECT_EQ(p.limitMag, 20.0f);
  EXPECT_EQ(p.rotation, 2.5f);
  EXPECT_TRUE(p.reverseEW);
  EXPECT_FALSE(p.reverseNS);
  EXPECT_TRUE(p.useSupplement);
  EXPECT_EQ(request.colourChoice, 0);
  EXPECT_EQ(options.fieldSize, 30.0f);
  EXPECT_EQ(options.magLimit, 20.0f);
  // The search window: half = 30 x 1.5 / 120 = 0.375 degrees.
  EXPECT_DOUBLE_EQ(p.window.decMin, -20.625);
  EXPECT_DOUBLE_EQ(p.window.decMax, -19.875);
  EXPECT_EQ(p.window.magLimit, 20.0f);
  // The same values again: no save.
  FieldParamsLogic again(request, options, 8);
  EXPECT_EQ(again.Accept(ui, request, options), std::optional<bool>(false));
  // Online: the supplement is off whatever was checked.
  options.catalogLocation = 1;
  FieldParamsLogic online(request, options, 8);
  online.useSA = true;
  EXPECT_TRUE(online.Accept(ui, request, options));
  EXPECT_FALSE(request.params.useSupplement);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(FieldParamsLogic, ChangedCatalogOptionsAreAdoptedOnOk) {
  ScriptedPlatform ui;
  OptionsRecord options = LocalGSC();
  FieldRequest request = Request(3, 10);
  FieldParamsLogic logic(request, options, 8);
  OptionsRecord copy = options;
  copy.primaryCatalog = kPrimaryUCAC3;
  logic.AdoptCatalogOptions(copy);
  EXPECT_EQ(logic.CatalogText(), "UCAC3");
  EXPECT_EQ(logic.Colours().size(), 7u);
  EXPECT_TRUE(logic.ColourEnabled());
  EXPECT_EQ(options.primaryCatalog, kPrimaryGSC);  // not before OK
  EXPECT_EQ(logic.Accept(ui, request, options), std::optional<bool>(true));
  EXPECT_EQ(options.primaryCatalog, kPrimaryUCAC3);
}

TEST(FieldParamsLogic, ImageFilterByImageKind) {
  EXPECT_EQ(DialogImageFilter(nullptr, kImageFITS), 8);
  testing::TempDir dir;
  ScriptedPlatform ui;
  const std::string path = dir.Path() + "v.fit";
  testing::WriteMiniFits(path, 20, 10, 100, {"FILTER  = 'V       '"});
  FITSFileObj image(ImageLoadContext{&ui, dir.Path(), 0, nullptr, nullptr});
  ASSERT_TRUE(image.Load(path));
  EXPECT_EQ(DialogImageFilter(&image, kImageFITS), 1);
  EXPECT_EQ(DialogImageFilter(&image, kImageST4), 8);
}

}  // namespace
}  // namespace skarvel
