// faint_xwin: makes the fixture that compares the fitted centroids with
// Source Extractor's windowed centroid (XWIN_IMAGE, YWIN_IMAGE) near the
// detection limit.
//
// A 256 x 256 frame: 64 Gaussian stars of FWHM 3 pixels on a grid 30 pixels
// apart (random sub-pixel centres), optimal SNR 5 to 20 (flux = SNR x
// sqrt(sky) x sqrt(4 pi) sigma), a flat sky of 400 electrons with Poisson
// noise (gain 1), a few hot pixels and cosmic rays between the stars. The
// frame is written as a 16-bit FITS image, Source Extractor is run on it
// (DETECT_THRESH 1.5, the 3-pixel Gaussian filter, windowed positions), and
// its detections are matched to the truth (nearest within 2 pixels).
//
// Writes into OUTDIR: frame.fits, truth.csv (x, y from 0, flux, snr) and
// xwin.csv (x, y from 0 of XWIN_IMAGE, YWIN_IMAGE less 1, SNR_WIN; -1 where
// no detection matched), plus the Source Extractor configuration it used.
//
// Usage: faint_xwin OUTDIR [--seed S] [--sextractor PROGRAM]
// (run it through tools/faint_xwin.sh, which builds it first).
#include <fitsio.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/faint_frames.h"
#include "tools/synthetic_stars.h"

namespace {

using namespace skarvel;

constexpr int kSide = 256, kGrid = 8, kSpacing = 30;
constexpr double kSky = 400, kFwhm = 3.0;

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool WriteFits(const std::string& path, const std::vector<std::int32_t>& counts) {
  fitsfile* f = nullptr;
  int status = 0;
  long naxes[2] = {kSide, kSide};
  const std::string name = "!" + path;
  fits_create_file(&f, name.c_str(), &status);
  fits_create_img(f, USHORT_IMG, 2, naxes, &status);
  std::vector<unsigned short> values;
  for (std::int32_t v : counts) values.push_back(static_cast<unsigned short>(std::clamp(v, 0, 65535)));
  fits_write_img(f, TUSHORT, 1, static_cast<LONGLONG>(values.size()), values.data(), &status);
  fits_close_file(f, &status);
  return status == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: faint_xwin OUTDIR [--seed S] [--sextractor PROGRAM]\n";
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::uint64_t seed = 20261211;
  std::string sextractor = "source-extractor";
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    if (key == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10);
    if (key == "--sextractor") sextractor = argv[i + 1];
  }
  std::filesystem::create_directories(out);
  synthetic::Rng rng(seed);
  const double sigma = kFwhm / synthetic::kFwhmPerSigma;
  std::vector<synthetic::Star> stars;
  std::vector<double> snrs;
  for (int j = 0; j < kGrid; ++j)
    for (int i = 0; i < kGrid; ++i) {
      const double snr = rng.Uniform(5, 20);
      synthetic::Star s;
      s.x = kSpacing * (i + 1) + rng.Uniform(-0.5, 0.5);
      s.y = kSpacing * (j + 1) + rng.Uniform(-0.5, 0.5);
      s.sigma = sigma;
      s.peak = testing::FluxForSnr(snr, kSky, sigma) / (2 * M_PI * sigma * sigma);
      stars.push_back(s);
      snrs.push_back(snr);
    }
  std::vector<std::int32_t> counts = synthetic::Counts(synthetic::Render(kSide, kSide, kSky, stars), true, rng);
  // Defects half-way between the grid's stars.
  for (int k = 0; k < 6; ++k) {
    const int x = kSpacing * (1 + k) + kSpacing / 2, y = kSpacing * (2 + k % 3) + kSpacing / 2;
    counts[static_cast<std::size_t>(y * kSide + x)] += 3000;
    counts[static_cast<std::size_t>((y + 7) * kSide + x + 3)] += 1500;
    counts[static_cast<std::size_t>((y + 8) * kSide + x + 4)] += 1500;
  }
  if (!WriteFits((out / "frame.fits").string(), counts)) {
    std::cerr << "cannot write frame.fits\n";
    return 1;
  }
  {
    std::ofstream truth(out / "truth.csv");
    truth << "x,y,flux,snr\n";
    char line[128];
    for (std::size_t i = 0; i < stars.size(); ++i) {
      std::snprintf(line, sizeof line, "%.4f,%.4f,%.2f,%.3f\n", stars[i].x, stars[i].y, stars[i].Flux(), snrs[i]);
      truth << line;
    }
  }
  {
    std::ofstream c(out / "faint.sex");
    c << "CATALOG_NAME     faint.cat\nCATALOG_TYPE     ASCII_HEAD\nPARAMETERS_NAME  faint.param\n"
      << "DETECT_TYPE      CCD\nDETECT_MINAREA   3\nDETECT_THRESH    1.5\nANALYSIS_THRESH  1.5\n"
      << "FILTER           Y\nFILTER_NAME      gauss_3.0_5x5.conv\nDEBLEND_NTHRESH  32\nDEBLEND_MINCONT  0.005\n"
      << "CLEAN            Y\nCLEAN_PARAM      1.0\nMASK_TYPE        CORRECT\nPHOT_APERTURES   10\n"
      << "SATUR_LEVEL      60000\nMAG_ZEROPOINT    0\nGAIN             1.0\nPIXEL_SCALE      1.0\n"
      << "SEEING_FWHM      " << kFwhm << "\nBACK_SIZE        64\nBACK_FILTERSIZE  3\nBACKPHOTO_TYPE   GLOBAL\n"
      << "CHECKIMAGE_TYPE  NONE\nVERBOSE_TYPE     QUIET\n";
    std::ofstream p(out / "faint.param");
    p << "NUMBER\nX_IMAGE\nY_IMAGE\nXWIN_IMAGE\nYWIN_IMAGE\nERRX2WIN_IMAGE\nERRY2WIN_IMAGE\nSNR_WIN\n";
    // The 3-pixel (FWHM) Gaussian on 5 x 5 pixels, as Source Extractor's own filter file.
    std::ofstream f(out / "gauss_3.0_5x5.conv");
    f << "CONV NORM\n# 5x5 convolution mask of a gaussian PSF with FWHM = 3.0 pixels.\n";
    const double s = kFwhm / synthetic::kFwhmPerSigma;
    for (int j = -2; j <= 2; ++j) {
      for (int i = -2; i <= 2; ++i) {
        char v[32];
        std::snprintf(v, sizeof v, "%.6f ", std::exp(-(i * i + j * j) / (2 * s * s)));
        f << v;
      }
      f << "\n";
    }
  }
  const std::string command = "cd " + Quote(out.string()) + " && " + Quote(sextractor) + " frame.fits -c faint.sex";
  if (std::system(command.c_str()) != 0) {
    std::cerr << "source-extractor failed: " << command << "\n";
    return 1;
  }
  std::ifstream cat(out / "faint.cat");
  const auto rows = synthetic::ReadAsciiHeadCatalog(cat);
  std::vector<std::pair<double, double>> found;
  for (const auto& r : rows) found.push_back({r.at("XWIN_IMAGE") - 1, r.at("YWIN_IMAGE") - 1});
  std::ofstream xwin(out / "xwin.csv");
  xwin << "x,y,snr_win\n";
  int matched = 0;
  double err2 = 0;
  for (const auto& s : stars) {
    const auto k = synthetic::Nearest(found, s.x, s.y, 2.0);
    char line[128];
    if (k) {
      ++matched;
      err2 += std::pow(found[*k].first - s.x, 2) + std::pow(found[*k].second - s.y, 2);
      std::snprintf(line, sizeof line, "%.4f,%.4f,%.3f\n", found[*k].first, found[*k].second, rows[*k].at("SNR_WIN"));
    } else {
      std::snprintf(line, sizeof line, "-1,-1,0\n");
    }
    xwin << line;
  }
  std::printf("%d of %zu stars detected by Source Extractor, XWIN rms per axis %.4f px\n", matched, stars.size(),
              matched ? std::sqrt(err2 / (2 * matched)) : 0.0);
  return 0;
}
