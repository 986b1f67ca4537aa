// Generated series of frames of a real Tycho-2 field for the stacking and
// track-search tests: a random rotation and mirror for the series, the
// pointing drifting a little from frame to frame, Gaussian stars, sky, noise,
// hot pixels and cosmic rays, and one faint object moving at a known rate
// and position angle (or none). The truth of every frame is kept.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "astrometry/frame_series.h"
#include "support/sky_frames.h"

namespace skarvel::testing {

struct SeriesSetup {
  int frames = 16;
  int width = 320, height = 288;
  double arcsecPerPixel = 7.2;  // the Tycho-2 list holds about 30 stars over the frame
  double minutesApart = 1.5;
  double exposureS = 60;
  double objectSnr = 3.5;      ///< optimal SNR of the object in one frame; 0: no object
  double rateArcsecPerMin = 2; ///< the object's motion
  double paDeg = 60;
  double driftPixels = 0.4;    ///< pointing drift per frame, pixels, in a random direction
  int hotPixels = 20, cosmicRays = 6;
  /// > 0: the catalog is this many random stars (magnitudes 9 to 14) over a
  /// square of 1.5 x the frame's longer side instead of the Tycho-2 list, so
  /// that a fine scale still has stars to match.
  int randomStars = 0;
  unsigned seed = 1;
};

/// sqrt(read noise^2 + sky) of the frames (FrameSetup's defaults), ADU.
inline const double kSeriesPixelNoise = std::sqrt(8.0 * 8.0 + 1000.0);

struct GeneratedSeries {
  SeriesSetup setup;
  std::vector<SkyStar> catalog =
      ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/south.csv");
  std::vector<std::unique_ptr<SkyFrame>> images;
  std::vector<SeriesFrameInput> inputs;
  StarList stars;
  double sigma = 0;             ///< the PSF's Gaussian sigma, pixels
  double rotationDeg = 0;
  bool mirror = false;
  long double ra0 = 0, dec0 = 0;  ///< the object at the first frame's time
  double jd0 = 2460300.5;       ///< the first frame's mid-exposure

  explicit GeneratedSeries(const SeriesSetup& s) : setup(s) {
    if (s.randomStars > 0) {
      std::mt19937 starRng(s.seed + 7777);
      std::uniform_real_distribution<double> v(-0.5, 0.5), m(9, 14);
      const double side = 1.5 * std::max(s.width, s.height) * s.arcsecPerPixel / 3600;  // degrees
      catalog.clear();
      for (int i = 0; i < s.randomStars; ++i)
        catalog.push_back({10.5L + side * v(starRng) / std::cos(45 * M_PI / 180) / 15, -45.0L + side * v(starRng),
                           static_cast<float>(m(starRng))});
    }
    for (const SkyStar& c : catalog) {
      CatalogStar star;
      star.ra = c.raHours;
      star.dec = c.decDeg;
      star.mag = c.mag;
      stars.Append(star);
    }
    std::mt19937 rng(s.seed);
    std::uniform_real_distribution<double> u(0, 1);
    rotationDeg = 360 * u(rng);
    mirror = u(rng) < 0.5;
    const double fwhm = 2.8 + 0.6 * u(rng);
    sigma = fwhm / 2.3548;
    const double driftAngle = 2 * M_PI * u(rng);
    ra0 = 10.5 + 0.002 * (u(rng) - 0.5);
    dec0 = -45 + 0.02 * (u(rng) - 0.5);
    const double flux = s.objectSnr * kSeriesPixelNoise * std::sqrt(4 * M_PI) * sigma;
    const auto mag = static_cast<float>(10 - 2.5 * std::log10(std::max(flux, 1.0) / 2.0e5));
    for (int k = 0; k < s.frames; ++k) {
      FrameSetup f;
      f.width = s.width;
      f.height = s.height;
      f.arcsecPerPixel = s.arcsecPerPixel;
      f.rotationDeg = rotationDeg;
      f.mirror = mirror;
      f.fwhmPixels = fwhm;
      const double drift = s.driftPixels * k * s.arcsecPerPixel / 3600;  // degrees
      f.centreDecDeg = -45 + drift * std::cos(driftAngle);
      f.centreRAHours = 10.5 + drift * std::sin(driftAngle) / std::cos(45 * M_PI / 180) / 15;
      f.hotPixels = s.hotPixels;
      f.cosmicRays = s.cosmicRays;
      f.seed = s.seed * 1000 + static_cast<unsigned>(k);
      std::vector<SkyStar> sky = catalog;
      if (s.objectSnr > 0) {
        long double ra = 0, dec = 0;
        ObjectAt(Minutes(k), ra, dec);
        sky.push_back({ra, dec, mag});
      }
      images.push_back(std::make_unique<SkyFrame>(f));
      images.back()->Render(sky);
      SeriesFrameInput in;
      in.image = images.back().get();
      in.name = "frame" + std::to_string(k + 1) + ".fit";
      in.jd = jd0 + Minutes(k) / 1440;
      in.exposureS = s.exposureS;
      in.centreRAHours = 10.5;
      in.centreDecDeg = -45;
      inputs.push_back(in);
    }
  }

  double Minutes(int k) const { return k * setup.minutesApart; }

  /// The object's sky place `minutes` after the first frame.
  void ObjectAt(double minutes, long double& ra, long double& dec) const {
    const double d = setup.rateArcsecPerMin * minutes / 3600;  // degrees
    const double pa = setup.paDeg * M_PI / 180;
    dec = dec0 + d * std::cos(pa);
    ra = ra0 + d * std::sin(pa) / std::cos(static_cast<double>(dec0) * M_PI / 180) / 15;
  }

  /// The object's true pixel in the first frame at a Julian date.
  void TruthAt(double jd, double& x, double& y) const {
    long double ra = 0, dec = 0;
    ObjectAt((jd - jd0) * 1440, ra, dec);
    images.front()->TruePixel(ra, dec, x, y);
  }
};

}  // namespace skarvel::testing
