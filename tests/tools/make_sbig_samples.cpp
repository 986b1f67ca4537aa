// make_sbig_samples: writes SBIG camera files of every camera of the format
// (ST-4X through STV), plain and row-compressed, and an ST-4 frame, each of
// a small synthetic star field, with the test generator (tests/support/
// sbig_writer.*). For trying the readers by hand:
//   skarvel-cli fits-info OUT/ST-7_COMPRESSED.ST7 --type sbig
//   skarvel-cli fits-info OUT/GUIDE.ST4 --type st4
// (the files are named ST-7_COMPRESSED.ST7, STV.STV, PixCel255.PIX, ...).
// Usage: make_sbig_samples OUTDIR   (built with: cmake --build build --target make_sbig_samples)
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/sbig_writer.h"
#include "support/temp_dir.h"

namespace {

// Sky 500 plus three Gaussian stars (FWHM about 3 pixels).
double Field(int x, int y, int width, int height) {
  const double stars[3][3] = {{0.3, 0.4, 20000}, {0.7, 0.6, 5000}, {0.5, 0.2, 900}};
  double v = 500 + ((x * 7 + y * 13) % 11);
  for (const auto& s : stars) {
    const double dx = x - s[0] * width, dy = y - s[1] * height;
    v += s[2] * std::exp(-(dx * dx + dy * dy) / (2 * 1.27 * 1.27));
  }
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make_sbig_samples OUTDIR\n");
    return 2;
  }
  const std::string out = std::string(argv[1]) + "/";
  std::filesystem::create_directories(out);
  const char* cameras[] = {"ST-4X", "ST-5", "ST-6", "ST-7", "ST-8", "PixCel255", "PixCel237", "ST-9", "STV"};
  for (const char* camera : cameras) {
    for (const bool compressed : {false, true}) {
      skarvel::testing::SBIGFileSetup setup;
      setup.firstLine = std::string(camera) + (compressed ? " Compressed Image" : " Image");
      setup.width = 96;
      setup.height = 64;
      setup.keys = {{"File_version", "3"},     {"Data_version", "1"},    {"Exposure", "6000"},
                   {"Focal_length", "80.0"},  {"Aperture", "78.5398"},  {"Response_factor", "1.0"},
                   {"Note", "synthetic field"}, {"Background", "480"},  {"Range", "2000"},
                   {"Height", "64"},          {"Width", "96"},          {"Date", "05/01/19"},
                   {"Time", "03:45:00"},      {"Exposure_state", "0"},  {"Temperature", "-20.0"},
                   {"Observer", "Skarvel"},   {"X_pixel_size", "0.0090"}, {"Y_pixel_size", "0.0090"},
                   {"Pedestal", "100"},       {"E_gain", "2.3"},        {"Filter", "R"}};
      for (int y = 0; y < setup.height; ++y)
        for (int x = 0; x < setup.width; ++x)
          setup.values.push_back(static_cast<std::uint16_t>(std::lround(Field(x, y, setup.width, setup.height))));
      std::string name = std::string(camera) + (compressed ? "_COMPRESSED" : "");
      // ".ST7", ".STV", ".PIX": the camera name without its dash, three letters.
      std::string ext = ".";
      for (const char* c = camera; *c != 0 && ext.size() < 4; ++c)
        if (*c != '-') ext.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*c))));
      skarvel::testing::WriteAll(out + name + ext, skarvel::testing::SBIGFileBytes(setup));
    }
  }
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 165; ++y)
    for (int x = 0; x < 192; ++x)
      pixels.push_back(static_cast<std::uint8_t>(std::min(255.0, Field(x, y, 192, 165) / 100.0)));
  skarvel::testing::WriteAll(out + "GUIDE.ST4", skarvel::testing::ST4FileBytes(pixels, "synthetic field", "1000",
                                                                                "8.0", "12.57", "1.0"));
  std::printf("wrote %zu SBIG files and GUIDE.ST4 to %s\n", std::size(cameras) * 2, out.c_str());
  return 0;
}
