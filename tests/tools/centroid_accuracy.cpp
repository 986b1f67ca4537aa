// centroid_accuracy: measures how well the star centroid finds synthetic
// Gaussian stars, beside Source Extractor's windowed centroid
// (XWIN_IMAGE, YWIN_IMAGE) on the very same pixels.
//
// For each cell of FWHM (2..6 pixels) and peak signal-to-noise ratio (10..500,
// and a noise-free row), a field of stars on a regular grid (40 pixels apart,
// random sub-pixel centres) is rendered on a flat sky of 1000 electrons per
// pixel with Poisson noise (gain 1). Every star is measured by Centroid with
// the default box (8, 8, 4, 3), "Read Sky for Centroid" on and window scale 1,
// from a click 1 to 2 pixels off its true centre in a random direction. The
// field is written as a 32-bit FITS image, Source Extractor is run on it with
// a configuration and parameter file written here, and its detections are
// matched to the truth (nearest within 3 pixels).
//
// Output: markdown tables of the RMS radial error (pixels) by S/N and FWHM,
// for both methods (and Source Extractor's isophotal barycentre X_IMAGE), and the counts of stars lost (centroid
// refused or off by more than 3 pixels; no detection within 3 pixels).
//
// Usage: centroid_accuracy WORKDIR [--per-side N] [--seed S] [--sextractor PROGRAM]
// (N x N stars per cell, default 30; the FITS images, configurations and
// catalogs stay in WORKDIR; the tables go to standard output, the progress to
// standard error). Run it through tools/centroid_accuracy.sh, which builds it first.
#include <fitsio.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "images/star_measure.h"
#include "tools/synthetic_stars.h"

namespace {

using namespace skarvel;
using namespace skarvel::synthetic;

/// Sky background, electrons per pixel.
constexpr double kSky = 1000;
/// Distance of neighbouring stars, pixels: the peak box (8) and sky frame (4)
/// around a click 2 pixels off reach 14 pixels; the wings of a 6-pixel star
/// are below 1e-13 of its peak at 26 pixels.
constexpr int kSpacing = 40;
/// Border of the field, pixels.
constexpr int kMargin = 30;
/// Farther than this from the truth (pixels) a result counts as lost.
constexpr double kLostPixels = 3.0;

const double kFwhms[] = {2, 3, 4, 5, 6};
/// Peak signal-to-noise ratios; 0 stands for the noise-free field.
const double kSnrs[] = {10, 20, 50, 100, 200, 500, 0};

// An image made in memory from counts.
class CountsImage : public GraphicsFileObj {
 public:
  CountsImage(std::int32_t w, std::int32_t h, const std::vector<std::int32_t>& counts)
      : GraphicsFileObj(ImageLoadContext{}) {
    width = w;
    height = h;
    total = w * h;
    pixels.Create(w, h);
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x)
        pixels.SetPixel(
            x, y, counts[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)]);
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}
};

struct Stats {
  double sum2 = 0;
  int count = 0;
  int lost = 0;
  double Rms() const { return count ? std::sqrt(sum2 / count) : std::numeric_limits<double>::quiet_NaN(); }
};

bool WriteFits(const std::string& path, std::int32_t w, std::int32_t h, const std::vector<std::int32_t>& counts) {
  fitsfile* f = nullptr;
  int status = 0;
  long naxes[2] = {w, h};
  const std::string name = "!" + path;
  fits_create_file(&f, name.c_str(), &status);
  fits_create_img(f, LONG_IMG, 2, naxes, &status);
  std::vector<int> values(counts.begin(), counts.end());
  fits_write_img(f, TINT, 1, static_cast<LONGLONG>(values.size()), values.data(), &status);
  fits_close_file(f, &status);
  if (status != 0) std::cerr << "cfitsio status " << status << " writing " << path << "\n";
  return status == 0;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The configuration of one run: detection on the 3x3 smoothed image at 1.5
// sigma over 5 pixels, a background mesh of 64 pixels, no saturation.
std::string SextractorConfig(const std::string& catalog, double fwhm) {
  std::ostringstream c;
  c << "CATALOG_NAME     " << catalog << "\n"
    << "CATALOG_TYPE     ASCII_HEAD\n"
    << "PARAMETERS_NAME  centroid.param\n"
    << "DETECT_TYPE      CCD\n"
    << "DETECT_MINAREA   5\n"
    << "DETECT_THRESH    1.5\n"
    << "ANALYSIS_THRESH  1.5\n"
    << "FILTER           Y\n"
    << "FILTER_NAME      gauss_3x3.conv\n"
    << "DEBLEND_NTHRESH  32\n"
    << "DEBLEND_MINCONT  0.005\n"
    << "CLEAN            Y\n"
    << "CLEAN_PARAM      1.0\n"
    << "MASK_TYPE        CORRECT\n"
    << "PHOT_APERTURES   10\n"
    << "SATUR_LEVEL      1e9\n"
    << "MAG_ZEROPOINT    0\n"
    << "GAIN             1.0\n"
    << "PIXEL_SCALE      1.0\n"
    << "SEEING_FWHM      " << fwhm << "\n"
    << "BACK_SIZE        64\n"
    << "BACK_FILTERSIZE  3\n"
    << "BACKPHOTO_TYPE   GLOBAL\n"
    << "CHECKIMAGE_TYPE  NONE\n"
    << "VERBOSE_TYPE     QUIET\n";
  return c.str();
}

// Four decimals, or two significant digits below 0.001.
std::string Figure(double v) {
  std::ostringstream out;
  if (std::isfinite(v) && v < 0.001)
    out << std::scientific << std::setprecision(1) << v;
  else
    out << std::fixed << std::setprecision(4) << v;
  return out.str();
}

std::string CellLabel(double v) {
  return v > 0 ? std::to_string(static_cast<int>(v)) : "no noise";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: centroid_accuracy WORKDIR [--per-side N] [--seed S] [--sextractor PROGRAM]\n";
    return 2;
  }
  const std::filesystem::path work = argv[1];
  int perSide = 30;
  std::uint64_t seed = 20261209;
  std::string sextractor = "source-extractor";
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    if (key == "--per-side")
      perSide = std::max(1, std::atoi(argv[i + 1]));
    else if (key == "--seed")
      seed = std::strtoull(argv[i + 1], nullptr, 10);
    else if (key == "--sextractor")
      sextractor = argv[i + 1];
    else {
      std::cerr << "unknown option " << key << "\n";
      return 2;
    }
  }
  std::filesystem::create_directories(work);
  WriteText(work / "centroid.param", "NUMBER\nX_IMAGE\nY_IMAGE\nXWIN_IMAGE\nYWIN_IMAGE\nFLAGS\nFLAGS_WIN\n");
  WriteText(work / "gauss_3x3.conv", "CONV NORM\n# 3x3 convolution mask of a gaussian PSF\n1 2 1\n2 4 2\n1 2 1\n");

  const std::int32_t side = 2 * kMargin + (perSide - 1) * kSpacing + 1;
  const BoxRecord box{8, 8, 4, 3};
  const std::size_t nf = std::size(kFwhms);
  const std::size_t ns = std::size(kSnrs);
  std::vector<Stats> mine(nf * ns), theirs(nf * ns), isophotal(nf * ns);
  Rng rng(seed);
  for (std::size_t si = 0; si < ns; ++si)
    for (std::size_t fi = 0; fi < nf; ++fi) {
      const double fwhm = kFwhms[fi];
      const double snr = kSnrs[si];
      const double sigma = fwhm / kFwhmPerSigma;
      // The noise-free row uses the peak of the brightest noisy row.
      const double peak = PeakForSignalToNoise(snr > 0 ? snr : 500, kSky);
      std::vector<Star> stars;
      for (int j = 0; j < perSide; ++j)
        for (int i = 0; i < perSide; ++i) {
          Star s;
          s.x = kMargin + i * kSpacing + rng.Uniform(-0.5, 0.5);
          s.y = kMargin + j * kSpacing + rng.Uniform(-0.5, 0.5);
          s.peak = peak;
          s.sigma = sigma;
          stars.push_back(s);
        }
      const Field field = Render(side, side, kSky, stars);
      const std::vector<std::int32_t> counts = Counts(field, snr > 0, rng);

      // The project's centroid.
      CountsImage image(side, side, counts);
      MeasureView view;
      view.image = &image;
      view.scale = 1;
      view.clientWidth = side;
      view.clientHeight = side;
      view.readSkyForCentroid = true;
      Stats& m = mine[si * nf + fi];
      for (const Star& s : stars) {
        const double r = rng.Uniform(1.0, 2.0);
        const double a = rng.Uniform(0.0, 2 * 3.14159265358979323846);
        const auto c = Centroid(view, box, s.x + r * std::cos(a), s.y + r * std::sin(a), false);
        const double dx = c ? static_cast<double>(c->x) - s.x : 1e9;
        const double dy = c ? static_cast<double>(c->y) - s.y : 1e9;
        if (!c || std::hypot(dx, dy) > kLostPixels) {
          ++m.lost;
          continue;
        }
        m.sum2 += dx * dx + dy * dy;
        ++m.count;
      }

      // Source Extractor on the same pixels.
      const std::string base = "cell_fwhm" + std::to_string(static_cast<int>(fwhm)) + "_snr" +
                               (snr > 0 ? std::to_string(static_cast<int>(snr)) : std::string("inf"));
      if (!WriteFits((work / (base + ".fits")).string(), side, side, counts)) return 1;
      WriteText(work / (base + ".sex"), SextractorConfig(base + ".cat", fwhm));
      const std::string command = "cd " + Quote(work.string()) + " && " + Quote(sextractor) + " " + base + ".fits -c " +
                                  base + ".sex > " + base + ".log 2>&1";
      if (std::system(command.c_str()) != 0) {
        std::cerr << "failed: " << command << " (see " << (work / (base + ".log")).string() << ")\n";
        return 1;
      }
      std::ifstream catalog(work / (base + ".cat"));
      const std::vector<CatalogRow> rows = ReadAsciiHeadCatalog(catalog);
      // Windowed and isophotal (barycentre) positions, FITS pixels counting from 1.
      const auto score = [&](const char* xName, const char* yName, Stats& t) {
        std::vector<std::pair<double, double>> found;
        for (const CatalogRow& row : rows)
          if (row.count(xName) && row.count(yName)) found.emplace_back(row.at(xName) - 1, row.at(yName) - 1);
        for (const Star& s : stars) {
          const auto k = Nearest(found, s.x, s.y, kLostPixels);
          if (!k) {
            ++t.lost;
            continue;
          }
          const double dx = found[*k].first - s.x;
          const double dy = found[*k].second - s.y;
          t.sum2 += dx * dx + dy * dy;
          ++t.count;
        }
      };
      Stats& t = theirs[si * nf + fi];
      score("XWIN_IMAGE", "YWIN_IMAGE", t);
      score("X_IMAGE", "Y_IMAGE", isophotal[si * nf + fi]);
      std::cerr << base << ": Centroid " << m.Rms() << " px (" << m.lost << " lost), Source Extractor " << t.Rms()
                << " px (" << t.lost << " lost)\n";
    }

  const auto table = [&](const char* title, const std::vector<Stats>& s, bool lost) {
    std::cout << "\n" << title << "\n\n| peak S/N |";
    for (double f : kFwhms) std::cout << " FWHM " << static_cast<int>(f) << " px |";
    std::cout << "\n|---|";
    for (std::size_t fi = 0; fi < nf; ++fi) std::cout << "---:|";
    std::cout << "\n";
    for (std::size_t si = 0; si < ns; ++si) {
      std::cout << "| " << CellLabel(kSnrs[si]) << " |";
      for (std::size_t fi = 0; fi < nf; ++fi) {
        const Stats& c = s[si * nf + fi];
        if (lost)
          std::cout << " " << c.lost << " |";
        else
          std::cout << " " << Figure(c.Rms()) << " |";
      }
      std::cout << "\n";
    }
  };
  std::cout << "Stars per cell: " << perSide * perSide << " (seed " << seed << "), sky " << kSky
            << " e-/px, Poisson noise, gain 1; peak S/N = A / sqrt(A + sky) for the peak surface brightness A;"
            << " the noise-free row has the peak of S/N 500, rounded to whole counts."
            << " RMS radial error sqrt(mean(dx^2 + dy^2)) in pixels.\n";
  table("Centroid (box 8, 8, 4, 3; click 1-2 px off), RMS radial error (px):", mine, false);
  table("Source Extractor XWIN_IMAGE/YWIN_IMAGE, RMS radial error (px):", theirs, false);
  table("For comparison, Source Extractor's isophotal barycentre X_IMAGE/Y_IMAGE, RMS radial error (px):", isophotal,
        false);
  table("Centroid: stars lost (refused or more than 3 px off):", mine, true);
  table("Source Extractor: stars without a detection within 3 px:", theirs, true);
  return 0;
}
