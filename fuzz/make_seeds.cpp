// Writes the generated seeds of the fuzz corpora: small FITS images (16-bit
// with scaling and the observation cards, 8-bit, 32-bit float, an IMAGE
// extension after an empty primary), report data files in the three
// layouts, a user file, SBIG files (plain, row-compressed, ST-4) and the star lists the
// zone-catalog harness writes its catalogs from. The other seeds are copies of test fixtures (see make_corpus.sh).
//
// Usage: make_fuzz_seeds CORPUS_DIR
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "astrometry/report_file.h"
#include "config/observer_files.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "support/mini_fits.h"
#include "support/sbig_writer.h"

using namespace skarvel;

namespace {

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Card(const std::string& text) { return text + std::string(80 - text.size(), ' '); }

// A FITS file of the given header cards (END added) and data bytes, both padded to 2880.
std::vector<std::uint8_t> Fits(const std::vector<std::string>& cards, std::vector<std::uint8_t> data) {
  std::string header;
  for (const auto& c : cards) header += Card(c);
  header += Card("END");
  header.resize((header.size() + 2879) / 2880 * 2880, ' ');
  std::vector<std::uint8_t> out(header.begin(), header.end());
  data.resize((data.size() + 2879) / 2880 * 2880, 0);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

AstromObsObj Report() {
  AstromObsObj r(UserRecord{"Ann Lee Smith", "Uni", "", "", "U.K.", "a@b.uk", "A. Smith", ""},
                 CameraRecord{"ST-8", 9, 9, 1530, 1020, 254, 2000, 50, false, 1}, DefaultSiteRecord());
  OptionsRecord options;
  for (int i = 0; i < 3; ++i) {
    ObsParams p;
    p.objectName = "Eros";
    p.number = "433";
    p.designation = "A898PA";
    p.observationTime = *EncodeDateTime(2019, 5, 1, 3 + i, 45, 30.0L);
    ReferenceStar t;
    t.kind = kRefTarget;
    t.fitRA = 14.0L + i * 0.01L;
    t.fitDec = -0.5L;
    t.catMag = 12.0L;
    r.AddObservation(p, t, options);
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/";
  std::filesystem::create_directories(root + "fits");
  std::filesystem::create_directories(root + "report_data");
  testing::WriteMiniFits(root + "fits/mini16.fit", 12, 9, 100,
                         {"BZERO   =                32768", "BSCALE  =                    1",
                          "DATE-OBS= '2019-05-01T03:45:00'", "EXPTIME =                 60.0",
                          "OBJECT  = '433 Eros'", "RA      = '14 01 02.3'", "DEC     = '-00 30 00'",
                          "FILTER  = 'Clear'"});
  std::vector<std::uint8_t> bytes8(7 * 5);
  for (std::size_t i = 0; i < bytes8.size(); ++i) bytes8[i] = static_cast<std::uint8_t>(i * 7);
  Write(root + "fits/eight.fit",
        Fits({"SIMPLE  =                    T", "BITPIX  =                    8", "NAXIS   =                    2",
              "NAXIS1  =                    7", "NAXIS2  =                    5"},
             bytes8));
  std::vector<std::uint8_t> floats;
  for (int i = 0; i < 6 * 4; ++i) {  // big-endian IEEE 754 single: 1000 + 10 i
    const float v = 1000.0f + 10.0f * static_cast<float>(i);
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    for (int k = 3; k >= 0; --k) floats.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
  }
  Write(root + "fits/float.fit",
        Fits({"SIMPLE  =                    T", "BITPIX  =                  -32", "NAXIS   =                    2",
              "NAXIS1  =                    6", "NAXIS2  =                    4", "DATE-OBS= '01/05/19'",
              "TIME-OBS= '03:45:00'"},
             floats));
  auto primary = Fits({"SIMPLE  =                    T", "BITPIX  =                   16",
                       "NAXIS   =                    0", "EXTEND  =                    T",
                       "BZERO   =                32768"},
                      {});
  std::vector<std::uint8_t> shorts;
  for (int i = 0; i < 5 * 3; ++i) {
    shorts.push_back(0x01);
    shorts.push_back(static_cast<std::uint8_t>(i));
  }
  const auto ext = Fits({"XTENSION= 'IMAGE   '", "BITPIX  =                   16", "NAXIS   =                    2",
                         "NAXIS1  =                    5", "NAXIS2  =                    3", "PCOUNT  =                    0",
                         "GCOUNT  =                    1"},
                        shorts);
  primary.insert(primary.end(), ext.begin(), ext.end());
  Write(root + "fits/extension.fit", primary);

  // Report data: the current layout; version 1.0 (ten catalog flags: one byte
  // less before the records); and before 1.0 is read from the same bytes.
  const auto current = SerializeReport(Report());
  std::vector<std::uint8_t> withVersion(1, 0);  // first byte: layout choice of the harness
  withVersion.insert(withVersion.end(), current.begin(), current.end());
  Write(root + "report_data/current.rpt", withVersion);
  auto v1 = withVersion;
  v1[0] = 2;
  v1.erase(v1.begin() + 1 + 1009);
  Write(root + "report_data/version1.rpt", v1);
  auto old = withVersion;
  old[0] = 1 | 4;  // before 1.0, merged
  Write(root + "report_data/before1.rpt", old);

  // A user file (record files: first byte 0).
  std::filesystem::create_directories(root + "record_files");
  WriteUserFile(root + "user.tmp", UserRecord{"Ann Lee Smith", "Uni", "1 Road", "Town", "U.K.", "a@b.uk", "A. Smith", ""});
  std::vector<std::uint8_t> user(1, 0);
  {
    std::ifstream in(root + "user.tmp", std::ios::binary);
    user.insert(user.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(root + "user.tmp");
  Write(root + "record_files/user", user);

  // SBIG: a first byte choosing the format (bit 0: ST-4) and the header time.
  std::filesystem::create_directories(root + "sbig");
  testing::SBIGFileSetup sbig;
  sbig.width = 6;
  sbig.height = 4;
  sbig.keys = {{"File_version", "3"}, {"Width", "6"},          {"Height", "4"},          {"Pedestal", "100"},
               {"Exposure", "6000"},  {"Date", "05/01/19"},   {"Time", "03:45:00"},     {"X_pixel_size", "0.0090"},
               {"Y_pixel_size", "0.0090"}, {"Focal_length", "80.0"}, {"Aperture", "78.5"}, {"Filter", "R-band"},
               {"Observer", "J. Doe"}, {"Background", "900"}, {"Range", "2000"}};
  for (int i = 0; i < 24; ++i) sbig.values.push_back(static_cast<std::uint16_t>(i % 5 == 0 ? 1000 + 300 * i : 1000 + i));
  sbig.firstLine = "ST-7 Image";
  auto plain = testing::SBIGFileBytes(sbig);
  plain.insert(plain.begin(), 0);
  Write(root + "sbig/plain.st7", plain);
  sbig.firstLine = "ST-8 Compressed Image";
  auto packed = testing::SBIGFileBytes(sbig);
  packed.insert(packed.begin(), 2);
  Write(root + "sbig/compressed.st8", packed);
  std::vector<std::uint8_t> st4pixels(31680);
  for (std::size_t i = 0; i < st4pixels.size(); ++i) st4pixels[i] = static_cast<std::uint8_t>((i * 13) % 251);
  auto st4 = testing::ST4FileBytes(st4pixels, "field", "12.5", "40.0", "12.6", "1.0");
  st4.insert(st4.begin(), 1);
  Write(root + "sbig/image.st4", st4);

  // Zone catalogs: catalog (0 UCAC2 .. 4 USNO-SA2.0), colour and star count
  // (bits 0-1, 2-6), centre RA (16 bits), then stars of 8 bytes (RA offset, Dec (16 bits), magnitude x 10,
  // proper motions / 100 mas, observations, flags), then patches of 5 bytes.
  std::filesystem::create_directories(root + "zone_catalogs");
  const std::uint8_t stars[] = {
      0x00, 0x72, 0x9C, 0x50, 0x01, 0xFF, 0x03, 0x95,  // on the window centre, Dec +20
      0x20, 0x00, 0x90, 0x78, 0x00, 0x00, 0x02, 0x92,  // east, 0.1 degree north
      0xE0, 0x00, 0x70, 0x96, 0x10, 0xF0, 0x05, 0x80,  // west, 0.1 degree south
  };
  for (std::uint8_t kind = 0; kind < 5; ++kind) {
    std::vector<std::uint8_t> seed = {kind, 1 | 3 << 2, 0x00, 0x40};  // three stars, centre 6 h
    seed.insert(seed.end(), std::begin(stars), std::end(stars));
    Write(root + "zone_catalogs/kind" + std::to_string(kind), seed);
  }
  std::vector<std::uint8_t> wrap = {0, 2 | 3 << 2, 0xF0, 0xFF};  // centre 23.99 h: the window through 0 h
  wrap.insert(wrap.end(), std::begin(stars), std::end(stars));
  Write(root + "zone_catalogs/wrap", wrap);
  // Every catalog with its files patched: bytes set in the first files (the
  // index first in name order), one file cut short.
  const std::uint8_t patches[] = {0x00, 0x10, 0x00, 0x00, 0xFF, 0x00, 0x11, 0x01, 0x00, 0x7F,
                                  0x01, 0x05, 0x00, 0x00, 0x80, 0x02, 0x20, 0x00, 0x00, 0x39,
                                  0x81, 0x20, 0x00, 0x00, 0x00};
  for (std::uint8_t kind = 0; kind < 5; ++kind) {
    std::vector<std::uint8_t> seed = {kind, 3 << 2, 0x00, 0x40};
    seed.insert(seed.end(), std::begin(stars), std::end(stars));
    seed.insert(seed.end(), std::begin(patches), std::end(patches));
    Write(root + "zone_catalogs/patched" + std::to_string(kind), seed);
  }
  return 0;
}
