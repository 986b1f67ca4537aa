// Writes the generated seeds of the fuzz corpora: small FITS images (16-bit
// with scaling and the observation cards, 8-bit, 32-bit float, an IMAGE
// extension after an empty primary) and report data files in the three
// layouts. The other seeds are copies of test fixtures (see corpus/README.md).
//
// Usage: make_fuzz_seeds CORPUS_DIR
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "astrometry/report_file.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "support/mini_fits.h"

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
  return 0;
}
