// Master frames and the calibration of lights, measured on frames of a
// simulated camera whose clean star field is known; the FITS cards and
// bytes written, read back by cfitsio.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "images/calib_scene.h"
#include "images/calibration.h"
#include "images/fits_writer.h"

namespace skarvel {
namespace {

using testing::CalibScene;

std::string TempPath(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() / ("skarvel-calib-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

/// `f` with `cards`, passed through the writer and the reader so that its
/// facts are those a file would give.
CalibFrame WithCards(CalibFrame f, const std::vector<std::string>& cards, const std::string& name) {
  f.cards = cards;
  CalibFrame g = ReadCalibFrameBytes(FloatFitsBytes(f), name);
  g.path = name;
  return g;
}

std::vector<std::string> Cards(double exposure, double temperature, const std::string& camera = "SynthCam") {
  return {RealCard("EXPTIME", exposure), RealCard("CCD-TEMP", temperature), StringCard("INSTRUME", camera)};
}

std::string CardOf(const CalibFrame& f, const std::string& key) {
  for (const std::string& c : f.cards)
    if (CardKeyword(c) == key) return CardValue(c);
  return "(none)";
}

std::string FailureOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const CalibrationFailure& e) {
    return e.what();
  }
  return "(no failure)";
}

TEST(CalibrationCards, AreFormattedAsFitsCards) {
  EXPECT_EQ(StringCard("OBJECT", "433 Eros"), std::string("OBJECT  = '433 Eros'") + std::string(60, ' '));
  EXPECT_EQ(StringCard("FILTER", "V"), std::string("FILTER  = 'V       '") + std::string(60, ' '));
  EXPECT_EQ(IntegerCard("NCOMBINE", 9).substr(0, 30), "NCOMBINE=                    9");
  EXPECT_EQ(RealCard("EXPTIME", 60).substr(0, 30), "EXPTIME =                 60.0");
  EXPECT_EQ(RealCard("CCD-TEMP", -10.25, "degrees C"), std::string("CCD-TEMP=               -10.25 / degrees C") +
                                                          std::string(38, ' '));
  EXPECT_EQ(LogicalCard("BIASSUB", true).substr(0, 30), "BIASSUB =                    T");
  EXPECT_EQ(CardValue("OBJECT  = 'O''Brien '         / a comment"), "O'Brien");
  EXPECT_EQ(CardValue("EXPTIME =                 60.0 / seconds"), "60.0");
  EXPECT_EQ(CardValue("HISTORY no value here"), "");
  const auto history = HistoryCards(std::string(50, 'a') + " " + std::string(30, 'b') + " " + std::string(80, 'c'));
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[0], "HISTORY " + std::string(50, 'a') + std::string(22, ' '));
  EXPECT_EQ(history[1].substr(0, 38), "HISTORY " + std::string(30, 'b'));
  EXPECT_EQ(history[2], "HISTORY " + std::string(72, 'c'));
  EXPECT_EQ(history[3].substr(0, 16), "HISTORY cccccccc");
  std::vector<std::string> cards = {RealCard("EXPTIME", 1), StringCard("A", "x"), RealCard("EXPTIME", 2)};
  SetCard(cards, RealCard("EXPTIME", 3));
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(CardValue(cards[0]), "3.0");
}

TEST(CalibrationFits, WritesBitpixMinus32ThatCfitsioReads) {
  CalibFrame f;
  f.width = 3;
  f.height = 2;
  f.pixels = {1.0f, -2.5f, 0.0f, 1e-3f, 65535.0f, 3.25f};
  f.cards = {StringCard("OBJECT", "433 Eros"), RealCard("EXPTIME", 60)};
  for (const auto& c : HistoryCards("Calibration: a test line")) f.cards.push_back(c);
  const auto bytes = FloatFitsBytes(f);
  ASSERT_EQ(bytes.size(), 5760u);
  const std::string header(bytes.begin(), bytes.begin() + 2880);
  EXPECT_EQ(header.substr(0, 80), "SIMPLE  =                    T / conforms to FITS standard" + std::string(22, ' '));
  EXPECT_EQ(header.substr(80, 30), "BITPIX  =                  -32");
  EXPECT_EQ(header.substr(160, 30), "NAXIS   =                    2");
  EXPECT_EQ(header.substr(400, 20), "OBJECT  = '433 Eros'");
  EXPECT_EQ(header.substr(560, 80), "HISTORY Calibration: a test line" + std::string(48, ' '));
  EXPECT_EQ(header.substr(640, 80), "END" + std::string(77, ' '));
  EXPECT_EQ(header.find_first_not_of(' ', 643), std::string::npos);
  const std::uint8_t first[8] = {0x3F, 0x80, 0x00, 0x00, 0xC0, 0x20, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(bytes.data() + 2880, first, 8), 0);
  for (std::size_t i = 2880 + 24; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;

  const std::string path = TempPath("written.fit");
  WriteFloatFits(path, f);
  long w = 0, h = 0;
  const auto values = testing::ReadFitsValues(path, w, h);
  ASSERT_EQ(w, 3);
  ASSERT_EQ(h, 2);
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i], double(f.pixels[i])) << i;
  fitsfile* file = nullptr;
  int status = 0;
  char object[FLEN_VALUE] = "", history[FLEN_CARD] = "";
  double exposure = 0;
  fits_open_file(&file, path.c_str(), READONLY, &status);
  fits_read_key(file, TSTRING, "OBJECT", object, nullptr, &status);
  fits_read_key(file, TDOUBLE, "EXPTIME", &exposure, nullptr, &status);
  fits_read_card(file, "HISTORY", history, &status);
  fits_close_file(file, &status);
  EXPECT_EQ(status, 0);
  EXPECT_STREQ(object, "433 Eros");
  EXPECT_EQ(exposure, 60.0);
  EXPECT_EQ(std::string(history).substr(0, 32), "HISTORY Calibration: a test line");
}

TEST(CalibrationFits, ReadsCfitsioFilesWithScalingAndFacts) {
  const std::string path = TempPath("raw16.fit");
  // Stored values -32768, -1, 0, 32767 with BZERO 32768: 0, 32767, 32768, 65535.
  testing::WriteFits(path, 16, {2, 2}, {-32768, -1, 0, 32767},
                     {{"BZERO", 32768.0}, {"BSCALE", 1.0}, {"EXPTIME", 30.5}, {"CCD-TEMP", -15.0},
                      {"XBINNING", 2L}, {"YBINNING", 2L}, {"INSTRUME", std::string("ST-8XME")},
                      {"OBJECT", std::string("M 31")}});
  const CalibFrame f = ReadCalibFrame(path);
  EXPECT_EQ(f.width, 2);
  EXPECT_EQ(f.bitpix, 16);
  EXPECT_EQ(f.pixels, (std::vector<float>{0, 32767, 32768, 65535}));
  EXPECT_EQ(f.facts.exposure, 30.5);
  EXPECT_EQ(f.facts.temperature, -15.0);
  EXPECT_EQ(f.facts.xBinning, 2);
  EXPECT_EQ(f.facts.yBinning, 2);
  EXPECT_EQ(f.facts.camera, "ST-8XME");
  EXPECT_EQ(f.typeTop, 65535.0);
  EXPECT_FALSE(f.facts.master.has_value());
  EXPECT_EQ(CardOf(f, "OBJECT"), "M 31");
  EXPECT_EQ(CardOf(f, "BZERO"), "(none)");  // the data's layout is not a picture card

  const std::string d = TempPath("raw64.fit");
  testing::WriteFits(d, -64, {3, 1}, {0.5, -1e5, 7});
  EXPECT_EQ(ReadCalibFrame(d).pixels, (std::vector<float>{0.5f, -1e5f, 7.0f}));
  EXPECT_FALSE(ReadCalibFrame(d).typeTop.has_value());

  // Refusals: not FITS, cut short, missing.
  std::vector<std::uint8_t> bytes(2880, ' ');
  std::memcpy(bytes.data(), "SIMPLE  =                    F", 30);
  EXPECT_NE(FailureOf([&] { ReadCalibFrameBytes(bytes, "x.fit"); }).find("File is Not FITS Format!"),
            std::string::npos);
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  whole.resize(2880 + 6);
  EXPECT_EQ(FailureOf([&] { ReadCalibFrameBytes(whole, "cut.fit"); }),
            "The file ends before its pixels do (6 of 8 bytes).\r\n\r\nFile Name: cut.fit");
  whole.resize(2000);
  EXPECT_NE(FailureOf([&] { ReadCalibFrameBytes(whole, "cut.fit"); }).find("ends before its END card"),
            std::string::npos);
  EXPECT_NE(FailureOf([&] { ReadCalibFrame(TempPath("none.fit")); }).find("Unable to Open FITS File!"),
            std::string::npos);
}

TEST(CalibrationCombine, TakesTheMedianOrTheClippedMean) {
  // Ten frames of one pixel: nine around 10 and a cosmic ray of 1000.
  const std::vector<float> values = {10, 11, 9, 10, 12, 10, 9, 11, 10, 1000};
  std::vector<const float*> planes;
  for (const float& v : values) planes.push_back(&v);
  float out = 0;
  CombineStack(planes, 1, CombineMethod::Median, &out);
  EXPECT_EQ(out, 10.0f);
  CombineStack(planes, 1, CombineMethod::Mean, &out);
  EXPECT_FLOAT_EQ(out, 92.0f / 9.0f);  // the nine that stay
  // Two frames: plain mean; an even count's median is the middle pair's mean.
  planes.resize(2);
  CombineStack(planes, 1, CombineMethod::Mean, &out);
  EXPECT_EQ(out, 10.5f);
  planes = {&values[0], &values[1], &values[2], &values[3]};  // 10, 11, 9, 10
  CombineStack(planes, 1, CombineMethod::Median, &out);
  EXPECT_EQ(out, 10.0f);
  const std::vector<float> spread = {1, 2, 3, 4, 100};
  planes.clear();
  for (const float& v : spread) planes.push_back(&v);
  CombineStack(planes, 1, CombineMethod::Median, &out);
  EXPECT_EQ(out, 3.0f);
}

TEST(CalibrationDark, IsScaledThroughTheBiasOrRefused) {
  CalibFrame blank;
  blank.width = blank.height = 4;
  blank.pixels.assign(16, 100);
  const CalibFrame light = WithCards(blank, Cards(60, -10), "light.fit");
  const CalibFrame bias = WithCards(blank, {}, "bias.fit");
  const CalibFrame rawDark = WithCards(blank, Cards(120, -10.5), "dark.fit");
  DarkPlan plan = PlanDark(light, "light", rawDark, &bias);
  EXPECT_EQ(plan.scale, 0.5);
  EXPECT_TRUE(plan.subtractBias);
  EXPECT_FALSE(plan.darkHoldsBias);
  plan = PlanDark(WithCards(blank, Cards(120, -10), "light2.fit"), "light", rawDark, nullptr);
  EXPECT_TRUE(plan.darkHoldsBias);
  EXPECT_EQ(FailureOf([&] { PlanDark(light, "light", rawDark, nullptr); }),
            "The dark dark.fit has another exposure (120.000 s) than the light light.fit (60.000 s), and there is "
            "no bias to scale it by.");
  const CalibFrame warm = WithCards(blank, Cards(60, -5), "warm.fit");
  EXPECT_EQ(FailureOf([&] { PlanDark(light, "light", warm, &bias); }),
            "The dark warm.fit was taken at another temperature (-5.0 C) than the light light.fit (-10.0 C).");
  auto current = Cards(30, -10);
  current.push_back(LogicalCard("BIASSUB", true));
  current.push_back(StringCard("MASTER", "DARK"));
  const CalibFrame darkCurrent = WithCards(blank, current, "current.fit");
  EXPECT_EQ(PlanDark(light, "light", darkCurrent, &bias).scale, 2.0);
  EXPECT_NE(FailureOf([&] { PlanDark(light, "light", darkCurrent, nullptr); }).find("needs a bias too"),
            std::string::npos);
}

/// Sky-subtracted flux in a circle of 6 pixels, sky the median of the ring 10 to 15 pixels out.
double ApertureFlux(const std::vector<float>& p, int w, int h, double cx, double cy) {
  std::vector<float> ring;
  double sum = 0;
  int n = 0;
  for (int y = int(cy) - 16; y <= int(cy) + 16; ++y)
    for (int x = int(cx) - 16; x <= int(cx) + 16; ++x) {
      if (x < 0 || y < 0 || x >= w || y >= h) continue;
      const double r = std::hypot(x - cx, y - cy);
      const float v = p[static_cast<std::size_t>(y * w + x)];
      if (r <= 6) sum += double(v), ++n;
      else if (r >= 10 && r <= 15) ring.push_back(v);
    }
  return sum - n * MedianOf(ring);
}

struct Reduced {
  CalibScene scene{20261211};
  MasterSet masters;
  CalibFrame light, calibrated;
  CalibrationSummary summary;

  Reduced() {
    std::vector<CalibFrame> biases, darks, flats;
    for (int i = 0; i < 9; ++i) biases.push_back(WithCards(scene.Bias(), Cards(0, -10), "bias.fit"));
    for (int i = 0; i < 7; ++i) darks.push_back(WithCards(scene.Dark(), Cards(scene.darkExposure, -10), "dark.fit"));
    for (int i = 0; i < 7; ++i) flats.push_back(WithCards(scene.Flat(), Cards(scene.flatExposure, -10), "flat.fit"));
    masters.bias = BuildMaster(FrameKind::Bias, biases, CombineMethod::Median);
    masters.dark = BuildMaster(FrameKind::Dark, darks, CombineMethod::Mean, &*masters.bias);
    masters.flat = BuildMaster(FrameKind::Flat, flats, CombineMethod::Median, &*masters.bias, &*masters.dark);
    masters.Prepare();
    auto cards = Cards(scene.lightExposure, -10.2);
    cards.insert(cards.begin(), StringCard("OBJECT", "433 Eros"));
    cards.push_back(StringCard("DATE-OBS", "2019-05-01T03:45:00"));
    light = WithCards(scene.Light(), cards, "light.fit");
    calibrated = CalibrateFrame(light, masters, &summary);
  }

  /// The rms of the star fluxes of `image` relative to the clean field's,
  /// after the one factor that a flat's normalisation leaves open.
  double FluxRms(const std::vector<float>& image) const {
    std::vector<float> clean(scene.clean.begin(), scene.clean.end());
    std::vector<float> ratios;
    for (const auto& s : scene.stars)
      ratios.push_back(float(ApertureFlux(image, scene.w, scene.h, s.x, s.y) /
                             ApertureFlux(clean, scene.w, scene.h, s.x, s.y)));
    const double k = MedianOf(ratios);
    double ss = 0;
    for (float r : ratios) ss += (double(r) / k - 1) * (double(r) / k - 1);
    return std::sqrt(ss / double(ratios.size()));
  }
  /// The rms of the sky's median in 32 x 32 boxes, away from stars, relative to their mean.
  double SkyRms(const std::vector<float>& image) const {
    std::vector<double> boxes;
    for (int by = 0; by + 32 <= scene.h; by += 32)
      for (int bx = 0; bx + 32 <= scene.w; bx += 32) {
        std::vector<float> sky;
        for (int y = by; y < by + 32; ++y)
          for (int x = bx; x < bx + 32; ++x) {
            bool nearStar = false;
            for (const auto& s : scene.stars) nearStar = nearStar || std::hypot(x - s.x, y - s.y) < 9;
            if (!nearStar) sky.push_back(image[scene.Index(x, y)]);
          }
        boxes.push_back(MedianOf(sky));
      }
    double mean = 0, ss = 0;
    for (double b : boxes) mean += b;
    mean /= double(boxes.size());
    for (double b : boxes) ss += (b - mean) * (b - mean);
    return std::sqrt(ss / double(boxes.size())) / mean;
  }
};

const Reduced& Night() {
  static const Reduced night;
  return night;
}

/// The light less the bias level, not calibrated.
std::vector<float> RawLessBias(const Reduced& r) {
  std::vector<float> raw = r.light.pixels;
  for (float& v : raw) v -= 400;
  return raw;
}

TEST(CalibrationAccuracy, StarFluxesAndSkyComeOutFlat) {
  const Reduced& r = Night();
  EXPECT_TRUE(r.summary.biasApplied);
  EXPECT_TRUE(r.summary.darkApplied);
  EXPECT_DOUBLE_EQ(r.summary.darkScale, 0.5);
  EXPECT_TRUE(r.summary.flatApplied);
  // Photon-limited scatter of the fluxes: the star's own photons, and the
  // sky, read noise and dark current of the 113 pixels of the aperture
  // (pi 6^2), their variance raised by the ring's sky estimate (median of
  // 393 pixels: a factor 1 + (pi / 2) 113 / 393), all through the flat.
  constexpr double kAperturePixels = 113, kSkyEstimateFactor = 1.45;
  double limit = 0;
  for (const auto& s : r.scene.stars) {
    const double f = r.scene.flat[r.scene.Index(int(s.x), int(s.y))];
    const double perPixel = r.scene.sky * f + r.scene.readNoise * r.scene.readNoise +
                            r.scene.baseDarkRate * r.scene.lightExposure;
    const double var = s.flux * f + kAperturePixels * perPixel * kSkyEstimateFactor;
    limit += var / (s.flux * f * s.flux * f);
  }
  limit = std::sqrt(limit / double(r.scene.stars.size()));
  EXPECT_GT(limit, 0.005);  // the test's stars are faint enough for noise to count
  const double calibrated = r.FluxRms(r.calibrated.pixels);
  std::printf("flux rms %.2f %% (photon limit %.2f %%), sky rms %.2f %%; uncalibrated %.2f %% and %.2f %%\n",
              100 * calibrated, 100 * limit, 100 * r.SkyRms(r.calibrated.pixels), 100 * r.FluxRms(RawLessBias(r)),
              100 * r.SkyRms(RawLessBias(r)));
  EXPECT_LT(calibrated, 0.025) << "photon limit " << limit;
  EXPECT_LT(calibrated, 2.0 * limit);
  EXPECT_LT(r.SkyRms(r.calibrated.pixels), 0.01);
  // The raw light (bias level taken off, no flat) fails both: the checks can see the vignetting.
  EXPECT_GT(r.FluxRms(RawLessBias(r)), 0.05);
  EXPECT_GT(r.SkyRms(RawLessBias(r)), 0.05);
}

TEST(CalibrationAccuracy, LeavesNoHotPixelAboveSixSigma) {
  const Reduced& r = Night();
  const auto& s = r.scene;
  EXPECT_EQ(r.summary.repaired, static_cast<std::int64_t>(std::count(r.masters.badPixels.begin(),
                                                                     r.masters.badPixels.end(), 1)));
  // Every hot pixel is in the map, and hardly any other pixel.
  for (std::size_t i : s.hot) EXPECT_EQ(r.masters.badPixels[i], 1) << i;
  EXPECT_LE(r.summary.repaired, static_cast<std::int64_t>(s.hot.size()) + 3);
  // The calibrated sky's level, against which each hot pixel is judged by its own noise.
  std::vector<float> ratios;
  for (std::size_t i = 0; i < s.clean.size(); i += 97) ratios.push_back(float(double(r.calibrated.pixels[i]) / s.clean[i]));
  const double k = MedianOf(ratios);
  auto worst = [&](const std::vector<float>& image) {
    double z = 0;
    for (std::size_t i : s.hot) {
      const double sigma = std::sqrt(s.clean[i] * s.flat[i] + 36 + s.baseDarkRate * 60) / s.flat[i] * k;
      z = std::max(z, std::fabs(double(image[i]) - k * s.clean[i]) / sigma);
    }
    return z;
  };
  std::printf("worst hot pixel %.2f sigma repaired, %.1f sigma without the repair\n", worst(r.calibrated.pixels),
              worst(CalibrateFrame(r.light, MasterSet{r.masters.bias, r.masters.dark, r.masters.flat, {}}).pixels));
  EXPECT_LT(worst(r.calibrated.pixels), 6.0);
  // Without the repair the dark's own noise leaves hot pixels far out.
  MasterSet unrepaired = r.masters;
  unrepaired.badPixels.clear();
  EXPECT_GT(worst(CalibrateFrame(r.light, unrepaired).pixels), 6.0);
}

TEST(CalibrationAccuracy, KeepsTheLightsCardsAndSaysWhatWasApplied) {
  const Reduced& r = Night();
  ASSERT_GE(r.calibrated.cards.size(), r.light.cards.size());
  for (std::size_t i = 0; i < r.light.cards.size(); ++i) EXPECT_EQ(r.calibrated.cards[i], r.light.cards[i]);
  std::vector<std::string> history;
  for (std::size_t i = r.light.cards.size(); i < r.calibrated.cards.size(); ++i) {
    ASSERT_EQ(r.calibrated.cards[i].substr(0, 8), "HISTORY ");
    history.push_back(r.calibrated.cards[i].substr(8, 72));
  }
  ASSERT_EQ(history.size(), 5u);
  auto trimmed = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
  EXPECT_EQ(trimmed(history[0]), "Calibration: Bias subtracted: master bias of 9 frames.");
  EXPECT_EQ(trimmed(history[1]), "Calibration: Dark subtracted, scaled by 0.500000 (exposure 60.000 s /");
  EXPECT_EQ(trimmed(history[2]), "120.000 s): master dark of 7 frames.");
  EXPECT_EQ(trimmed(history[3]), "Calibration: Flat divided: master flat of 7 frames.");
  EXPECT_EQ(trimmed(history[4]), "Calibration: " + std::to_string(r.summary.repaired) +
                                      " bad pixels of the dark repaired from their neighbours.");
  // The masters' own cards.
  EXPECT_EQ(CardOf(*r.masters.dark, "MASTER"), "DARK");
  EXPECT_EQ(CardOf(*r.masters.dark, "NCOMBINE"), "7");
  EXPECT_EQ(CardOf(*r.masters.dark, "CMBMETHD"), "MEAN");
  EXPECT_EQ(CardOf(*r.masters.dark, "EXPTIME"), "120.0");
  EXPECT_EQ(CardOf(*r.masters.dark, "BIASSUB"), "T");
  EXPECT_EQ(CardOf(*r.masters.bias, "IMAGETYP"), "Master Bias");
  EXPECT_EQ(CardOf(*r.masters.flat, "INSTRUME"), "SynthCam");
  // The flats' level above bias and dark: the exposure's peak level times the true flat's median.
  const std::vector<float> trueFlat(r.scene.flat.begin(), r.scene.flat.end());
  EXPECT_NEAR(std::stod(CardOf(*r.masters.flat, "FLATLVL")) / (r.scene.flatLevel * MedianOf(trueFlat)), 1.0, 0.002);
  // A master written and read again is the same master.
  const std::string path = TempPath("master_dark.fit");
  WriteFloatFits(path, *r.masters.dark);
  const CalibFrame back = ReadCalibFrame(path);
  EXPECT_EQ(back.pixels, r.masters.dark->pixels);
  EXPECT_EQ(back.cards, r.masters.dark->cards);
  EXPECT_EQ(back.facts.master, FrameKind::Dark);
  EXPECT_TRUE(back.facts.biasSubtracted);
  EXPECT_EQ(back.facts.combined, 7);
}

TEST(CalibrationRefusals, NameTheFaultyFrame) {
  CalibScene scene(7, 64, 48);
  auto frame = [](int w, int h, float v) {
    CalibFrame f;
    f.width = w;
    f.height = h;
    f.pixels.assign(static_cast<std::size_t>(w * h), v);
    return f;
  };
  std::vector<CalibFrame> set = {WithCards(frame(8, 6, 400), {}, "b1.fit"), WithCards(frame(8, 7, 400), {}, "b2.fit")};
  EXPECT_EQ(FailureOf([&] { BuildMaster(FrameKind::Bias, set, CombineMethod::Median); }),
            "The frames differ in size: b2.fit is 8 x 7 pixels, b1.fit is 8 x 6.");
  set = {WithCards(frame(8, 6, 400), {}, "b1.fit"), WithCards(frame(8, 6, 400), {IntegerCard("XBINNING", 2)}, "b2.fit")};
  EXPECT_EQ(FailureOf([&] { BuildMaster(FrameKind::Bias, set, CombineMethod::Median); }),
            "The frames differ in binning: b2.fit is 2 x 1, b1.fit is 1 x 1.");
  set = {WithCards(frame(8, 6, 400), Cards(60, -10), "d1.fit"), WithCards(frame(8, 6, 400), Cards(30, -10), "d2.fit")};
  EXPECT_EQ(FailureOf([&] { BuildMaster(FrameKind::Dark, set, CombineMethod::Median); }),
            "The darks differ in exposure: d2.fit is 30.000 s, d1.fit is 60.000 s.");
  // A flat at the top of its 16-bit range; a flat of no light; a flat with a dead row.
  const std::string saturated = TempPath("saturated.fit");
  std::vector<double> raw(64, 30000.0);
  std::fill(raw.begin(), raw.begin() + 8, 32767.0);
  testing::WriteFits(saturated, 16, {8, 8}, raw, {{"BZERO", 32768.0}});
  set = {ReadCalibFrame(saturated)};
  EXPECT_EQ(FailureOf([&] { BuildMaster(FrameKind::Flat, set, CombineMethod::Median); }),
            "The flat saturated.fit is saturated: 12.5 % of its pixels reach 65535.");
  CalibFrame bias = WithCards(scene.Bias(), {}, "bias.fit");
  set = {WithCards(scene.Bias(), {}, "dim.fit")};
  const std::string empty = FailureOf([&] { BuildMaster(FrameKind::Flat, set, CombineMethod::Median, &bias); });
  EXPECT_EQ(empty.substr(0, 29), "The flat dim.fit is empty: it");
  CalibFrame dead = frame(8, 6, 20000);
  std::fill(dead.pixels.begin() + 16, dead.pixels.begin() + 24, 0.0f);
  set = {WithCards(dead, {}, "dead.fit")};
  EXPECT_EQ(FailureOf([&] { BuildMaster(FrameKind::Flat, set, CombineMethod::Median); }),
            "The flat dead.fit has 8 pixels at zero or below (the first at column 0, row 2); no image can be "
            "divided by it.");
  MasterSet masters;
  masters.flat = WithCards(dead, {StringCard("MASTER", "FLAT")}, "deadflat.fit");
  EXPECT_NE(FailureOf([&] { masters.Prepare(); }).find("The flat deadflat.fit has 8 pixels at zero"),
            std::string::npos);
  // A master of another camera, and a master of the wrong kind.
  masters = MasterSet{};
  masters.bias = WithCards(frame(8, 6, 400), {StringCard("MASTER", "BIAS"), StringCard("INSTRUME", "OtherCam")},
                           "other.fit");
  masters.Prepare();
  const CalibFrame light = WithCards(frame(8, 6, 1000), Cards(60, -10), "light.fit");
  EXPECT_EQ(FailureOf([&] { CalibrateFrame(light, masters); }),
            "The master other.fit comes from another camera (\"OtherCam\") than the light light.fit (\"SynthCam\").");
  masters.bias = WithCards(frame(8, 6, 400), {StringCard("MASTER", "FLAT")}, "flat.fit");
  EXPECT_EQ(FailureOf([&] { masters.Prepare(); }), "flat.fit is a master flat, not a bias.");
  set = {WithCards(frame(8, 6, 400), {StringCard("MASTER", "BIAS")}, "mb.fit")};
  EXPECT_EQ(FailureOf([&] { BuildMaster(FrameKind::Bias, set, CombineMethod::Median); }),
            "mb.fit is a master bias already; give it alone, or give raw frames.");
  masters = MasterSet{};
  masters.bias = WithCards(frame(10, 6, 400), {StringCard("MASTER", "BIAS")}, "wide.fit");
  masters.Prepare();
  EXPECT_EQ(FailureOf([&] { CalibrateFrame(light, masters); }),
            "The bias wide.fit is 10 x 6 pixels, the light light.fit 8 x 6.");
}

}  // namespace
}  // namespace skarvel
