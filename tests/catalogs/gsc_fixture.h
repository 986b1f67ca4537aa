// Shared pieces of the catalog tests: the fixture catalogs written by
// tools/gscgen/make_gsc_catalog.py (tests/data/catalogs/README.md), the
// options that point at them, the star list behind them, and a writer of
// small hand-made region files.
#pragma once

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalogs/field_parameters.h"
#include "config/options.h"
#include "support/temp_dir.h"

namespace skarvel::testing {

inline std::string CatalogData(const std::string& rel) {
  return std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/" + rel;
}
inline const std::string kVol1 = CatalogData("gsc/vol1/");
inline const std::string kVol2 = CatalogData("gsc/vol2/");
inline const std::string kVorn = CatalogData("gsc_vorn/");

/// Options for the CD-ROM form: GSC primary, local files, the two volumes.
/// `scratch` serves as program and data directory (it holds no table).
inline OptionsRecord CdromOptions(const TempDir& scratch) {
  OptionsRecord o;
  o.programDir = scratch.Path();
  o.dataDir = scratch.Path();
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryGSC;
  o.supplCatalog = 0;
  o.vornFormatGSC = false;
  o.gscPath1 = kVol1;
  o.gscPath2 = kVol2;
  return o;
}

/// Options for the converted form.
inline OptionsRecord ConvertedOptions(const TempDir& scratch) {
  OptionsRecord o = CdromOptions(scratch);
  o.vornFormatGSC = true;
  o.gscPath1 = kVorn;
  o.gscPath2 = kVorn;
  return o;
}

/// The field parameters of a square field with its derived window.
inline FieldParameters Field(long double raHours, long double decDeg, float sizeArcmin, float magLimit = 20) {
  FieldParameters p;
  p.centreRA = raHours;
  p.centreDec = decDeg;
  p.size = sizeArcmin;
  p.limitMag = magLimit;
  DeriveSearchWindow(p);
  return p;
}

/// One line of gsc_stars.csv: the star behind a region entry.
struct FixtureStar {
  int region = 0;
  int number = 0;
  double raHours = 0;
  double decDeg = 0;
  double mag = 0;
  int starClass = 0;
  int entries = 0;
  std::string source;
};

/// gsc_stars.csv keyed by the reader's identifier "RRRRR-NNNNN".
inline std::map<std::string, FixtureStar> FixtureStars() {
  std::map<std::string, FixtureStar> stars;
  std::ifstream in(CatalogData("gsc_stars.csv"));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::stringstream s(line);
    FixtureStar f;
    std::string field;
    std::getline(s, field, ',');
    f.region = std::stoi(field);
    std::getline(s, field, ',');
    f.number = std::stoi(field);
    std::getline(s, field, ',');
    f.raHours = std::stod(field);
    std::getline(s, field, ',');
    f.decDeg = std::stod(field);
    std::getline(s, field, ',');
    f.mag = std::stod(field);
    std::getline(s, field, ',');
    f.starClass = std::stoi(field);
    std::getline(s, field, ',');
    f.entries = std::stoi(field);
    std::getline(s, f.source, ',');
    char id[16];
    std::snprintf(id, sizeof id, "%05d-%05d", f.region, f.number);
    stars[id] = f;
  }
  return stars;
}

/// A CD-ROM region file: 8640 bytes of header (blank cards) and the records as given.
inline void WriteRegionFile(const std::string& path, const std::vector<std::string>& records) {
  std::string bytes(8640, ' ');
  for (const auto& r : records) bytes += r;
  std::ofstream(path, std::ios::binary) << bytes;
}

/// Angular distance of two positions, arc seconds (haversine).
inline double ArcsecBetween(double ra1Hours, double dec1Deg, double ra2Hours, double dec2Deg) {
  const double k = 3.14159265358979323846 / 180.0;
  const double a1 = ra1Hours * 15 * k, a2 = ra2Hours * 15 * k, d1 = dec1Deg * k, d2 = dec2Deg * k;
  const double h = std::pow(std::sin((d2 - d1) / 2), 2) + std::cos(d1) * std::cos(d2) * std::pow(std::sin((a2 - a1) / 2), 2);
  return 2 * std::asin(std::sqrt(h)) / k * 3600.0;
}

}  // namespace skarvel::testing
