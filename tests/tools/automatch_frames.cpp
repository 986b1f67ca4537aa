// The statistics run of the automatic matching (not a test): frames of real
// Tycho-2 fields with random rotation, mirroring, scale error up to 20
// percent, pointing error up to half a field, hot pixels, cosmic rays,
// trails, missing and uncatalogued stars, 8 to 300 catalog stars each. Each
// frame is written as FITS (for astrometry.net's solve-field), matched by the
// workbench's detector and matcher in this process, and judged against its
// truth. One CSV line per frame on stdout (tools/automatch_benchmark.sh reads it).
//
// Usage: automatch_frames OUTDIR COUNT SEED SIZE LIST:RA:DEC[:HALFDEG] ...
#include <fitsio.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "astrometry/star_match.h"
#include "images/star_detect.h"
#include "support/sky_frames.h"

namespace {

using skarvel::testing::FrameSetup;
using skarvel::testing::SkyFrame;

struct Field {
  std::string list;
  double ra = 0, dec = 0, halfDeg = 3;
  std::vector<skarvel::SkyStar> stars;
};

bool WriteFits(const SkyFrame& frame, const std::string& path, double ra, double dec) {
  fitsfile* f = nullptr;
  int status = 0;
  long naxes[2] = {frame.width, frame.height};
  fits_create_file(&f, ("!" + path).c_str(), &status);
  fits_create_img(f, USHORT_IMG, 2, naxes, &status);
  double raDeg = ra * 15;
  fits_update_key(f, TDOUBLE, "RA", &raDeg, "approximate centre, degrees", &status);
  fits_update_key(f, TDOUBLE, "DEC", &dec, "approximate centre, degrees", &status);
  std::vector<unsigned short> row(static_cast<std::size_t>(frame.width));
  for (int y = 0; y < frame.height; ++y) {
    const auto r = frame.pixels.Row(y);
    for (int x = 0; x < frame.width; ++x) row[static_cast<std::size_t>(x)] = static_cast<unsigned short>(r[static_cast<std::size_t>(x)]);
    long first[2] = {1, y + 1};
    fits_write_pix(f, TUSHORT, first, frame.width, row.data(), &status);
  }
  fits_close_file(f, &status);
  return status == 0;
}

// Sky position of a pixel by the matcher's transform about (ra0, dec0).
void PixelToSky(const skarvel::MatchResult& m, double ra0, double dec0, double x, double y, double& ra, double& dec) {
  const auto& c = m.toStandard;
  const double X = static_cast<double>(c[0] * x + c[1] * y + c[2]), Y = static_cast<double>(c[3] * x + c[4] * y + c[5]);
  const double k = M_PI / 180, d0 = dec0 * k;
  const double a = ra0 * 15 * k + std::atan2(-X, std::cos(d0) - Y * std::sin(d0));
  ra = std::fmod(a / k / 15 + 48, 24.0);
  dec = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / k;
}

// The true sky position of a pixel, by bisection-free inversion of the frame's projection.
void TrueSky(const SkyFrame& frame, double x, double y, double& ra, double& dec) {
  const FrameSetup& s = frame.Spec();
  if (s.mirror) x = s.width - x;
  const double t = s.rotationDeg * M_PI / 180;
  const double a = x - s.width / 2.0, b = s.height / 2.0 - y;  // a = u cos t - v sin t, b = v cos t + u sin t
  const double u = a * std::cos(t) + b * std::sin(t), v = b * std::cos(t) - a * std::sin(t);
  const double X = u * s.arcsecPerPixel / 206264.80624709636, Y = v * s.arcsecPerPixel / 206264.80624709636;
  const double k = M_PI / 180, d0 = s.centreDecDeg * k;
  const double al = s.centreRAHours * 15 * k + std::atan2(-X, std::cos(d0) - Y * std::sin(d0));
  ra = std::fmod(al / k / 15 + 48, 24.0);
  dec = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / k;
}

double Apart(double ra1, double dec1, double ra2, double dec2) {
  const double k = M_PI / 180;
  const double c = std::sin(dec1 * k) * std::sin(dec2 * k) + std::cos(dec1 * k) * std::cos(dec2 * k) * std::cos((ra1 - ra2) * 15 * k);
  return std::acos(std::min(1.0, c)) / k * 3600;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::cerr << "usage: automatch_frames OUTDIR COUNT SEED SIZE LIST:RA:DEC[:HALFDEG] ...\n";
    return 2;
  }
  const std::string out = argv[1];
  const int count = std::stoi(argv[2]);
  const unsigned seed = static_cast<unsigned>(std::stoul(argv[3]));
  const int size = std::stoi(argv[4]);
  std::vector<Field> fields;
  for (int i = 5; i < argc; ++i) {
    std::stringstream s(argv[i]);
    Field f;
    std::string part;
    std::getline(s, f.list, ':');
    std::getline(s, part, ':');
    f.ra = std::stod(part);
    std::getline(s, part, ':');
    f.dec = std::stod(part);
    if (std::getline(s, part, ':')) f.halfDeg = std::stod(part);
    f.stars = skarvel::testing::ReadStarList(f.list);
    fields.push_back(f);
  }
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  std::printf("frame,file,catalog_in_field,header_ra,header_dec,true_scale,expected_scale,found,pairs,wrong,ms,"
              "known1_x,known1_y,known1_ra,known1_dec,known2_x,known2_y,known2_ra,known2_dec,known_err_arcsec,reason\n");
  int made = 0;
  for (int attempt = 0; made < count && attempt < count * 20; ++attempt) {
    const Field& f = fields[static_cast<std::size_t>(attempt) % fields.size()];
    FrameSetup setup;
    setup.width = setup.height = size;
    // Fields from a fifth of a degree to the largest the list covers with the pointing error.
    const double maxField = std::min(2.5, f.halfDeg / 1.3);
    const double fieldDeg = 0.2 * std::pow(maxField / 0.2, unit(rng));
    const double expected = fieldDeg * 3600 / size;
    setup.arcsecPerPixel = expected * (0.8 + 0.4 * unit(rng));
    setup.rotationDeg = 360 * unit(rng);
    setup.mirror = unit(rng) < 0.5;
    setup.hotPixels = 40;
    setup.cosmicRays = 20;
    setup.missingFraction = 0.1;
    setup.extraStars = 30;
    setup.trailPixels = unit(rng) < 0.2 ? 4 : 0;
    setup.seed = seed * 1000 + static_cast<unsigned>(attempt);
    // A wider PSF at finer scales, as seeing would give.
    setup.fwhmPixels = std::clamp(3.0 / setup.arcsecPerPixel, 1.8, 4.0);
    // The true centre up to half a field from the header's.
    const double a = 2 * M_PI * unit(rng), r = 0.5 * fieldDeg * std::sqrt(unit(rng));
    setup.centreDecDeg = std::clamp(f.dec + r * std::sin(a), -89.9, 89.9);
    setup.centreRAHours = std::fmod(f.ra + r * std::cos(a) / std::cos(setup.centreDecDeg * M_PI / 180) / 15 + 24, 24.0);
    SkyFrame frame(setup);
    frame.Render(f.stars);
    int inField = 0;
    for (std::size_t i = 0; i < f.stars.size(); ++i) {
      double x = 0, y = 0;
      if (frame.Drawn()[i] && frame.TruePixel(f.stars[i].raHours, f.stars[i].decDeg, x, y) && x >= 0 && y >= 0 &&
          x < size && y < size)
        ++inField;
    }
    if (inField < 8 || inField > 300) continue;
    ++made;
    char name[64];
    std::snprintf(name, sizeof name, "frame%03d.fits", made);
    if (!WriteFits(frame, out + "/" + name, f.ra, f.dec)) {
      std::cerr << "cannot write " << name << "\n";
      return 1;
    }
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<skarvel::ImageStar> image;
    for (const auto& d : skarvel::DetectStars(frame, skarvel::DetectSettings{})) image.push_back({d.x, d.y});
    skarvel::MatchSettings ms;
    ms.centreRAHours = f.ra;
    ms.centreDecDeg = f.dec;
    ms.imageWidth = ms.imageHeight = size;
    ms.arcsecPerPixel = expected;
    const skarvel::MatchResult m = skarvel::MatchStars(image, f.stars, ms);
    const double ms_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const auto truth = skarvel::testing::CheckMatch(frame, image, f.stars, m, 2.0);
    const double k1x = size * 0.25, k1y = size * 0.3, k2x = size * 0.7, k2y = size * 0.8;
    double r1 = 0, d1 = 0, r2 = 0, d2 = 0;
    TrueSky(frame, k1x, k1y, r1, d1);
    TrueSky(frame, k2x, k2y, r2, d2);
    double err = -1;
    if (m.found) {
      double a1 = 0, b1 = 0, a2 = 0, b2 = 0;
      PixelToSky(m, static_cast<double>(m.tangentRAHours), static_cast<double>(m.tangentDecDeg), k1x, k1y, a1, b1);
      PixelToSky(m, static_cast<double>(m.tangentRAHours), static_cast<double>(m.tangentDecDeg), k2x, k2y, a2, b2);
      err = std::max(Apart(a1, b1, r1, d1), Apart(a2, b2, r2, d2));
    }
    std::printf("%d,%s,%d,%.8f,%.8f,%.5f,%.5f,%d,%zu,%d,%.1f,%.2f,%.2f,%.9f,%.8f,%.2f,%.2f,%.9f,%.8f,%.3f,\"%s\"\n", made, name,
                inField, f.ra, f.dec, setup.arcsecPerPixel, expected, m.found ? 1 : 0, m.pairs.size(), truth.wrong, ms_,
                k1x, k1y, r1, d1, k2x, k2y, r2, d2, err, m.reason.c_str());
    std::fflush(stdout);
  }
  return 0;
}
