// The bundled demo night as its tests see it: the folder, its truth file and
// an independent gnomonic projection to check the images against.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace skarvel::testing {

inline std::string DemoPath(const std::string& rel) {
  return std::string(SKARVEL_DEMO_DIR) + "/" + rel;
}

/// Splits one CSV line (no quoting in these files).
inline std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream s(line);
  std::string f;
  while (std::getline(s, f, ',')) fields.push_back(f);
  return fields;
}

/// The rows of a CSV file keyed by its header's column names.
inline std::vector<std::map<std::string, std::string>> ReadCsv(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::string line;
  std::getline(in, line);
  const auto names = CsvFields(line);
  std::vector<std::map<std::string, std::string>> rows;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const auto values = CsvFields(line);
    EXPECT_EQ(values.size(), names.size()) << line;
    std::map<std::string, std::string> row;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) row[names[i]] = values[i];
    rows.push_back(row);
  }
  return rows;
}

/// One image of truth.csv.
struct DemoImageTruth {
  int image = 0;
  std::string file;
  std::string dateObs;
  double exposure = 0;
  double midJD = 0;
  double targetRA = 0, targetDec = 0, targetMag = 0, targetX = 0, targetY = 0;
  double centreRA = 0, centreDec = 0, centreX = 0, centreY = 0, scale = 0, rotation = 0;
};

inline std::vector<DemoImageTruth> ReadTruth() {
  std::vector<DemoImageTruth> out;
  for (auto& r : ReadCsv(DemoPath("truth.csv"))) {
    DemoImageTruth t;
    t.image = std::stoi(r["image"]);
    t.file = r["file"];
    t.dateObs = r["date_obs"];
    t.exposure = std::stod(r["exposure_s"]);
    t.midJD = std::stod(r["mid_jd"]);
    t.targetRA = std::stod(r["target_ra_hours"]);
    t.targetDec = std::stod(r["target_dec_deg"]);
    t.targetMag = std::stod(r["target_mag"]);
    t.targetX = std::stod(r["target_x"]);
    t.targetY = std::stod(r["target_y"]);
    t.centreRA = std::stod(r["centre_ra_hours"]);
    t.centreDec = std::stod(r["centre_dec_deg"]);
    t.centreX = std::stod(r["centre_x"]);
    t.centreY = std::stod(r["centre_y"]);
    t.scale = std::stod(r["arcsec_per_pixel"]);
    t.rotation = std::stod(r["rotation_deg"]);
    out.push_back(t);
  }
  return out;
}

/// The pixel of a J2000 position in an image, written out from the textbook
/// gnomonic projection (standard coordinates about the tangent point, then
/// scale and rotation, east to the left and north up): an implementation of
/// its own, not the generator's.
inline bool ProjectToPixel(const DemoImageTruth& t, double raHours, double decDeg, double& x, double& y) {
  const double k = 3.14159265358979323846 / 180.0;
  const double da = (raHours - t.centreRA) * 15 * k, d = decDeg * k, d0 = t.centreDec * k;
  const double den = std::sin(d) * std::sin(d0) + std::cos(d) * std::cos(d0) * std::cos(da);
  if (den <= 0) return false;
  const double xi = std::cos(d) * std::sin(da) / den / k * 3600 / t.scale;
  const double eta =
      (std::sin(d) * std::cos(d0) - std::cos(d) * std::sin(d0) * std::cos(da)) / den / k * 3600 / t.scale;
  const double r = t.rotation * k;
  x = t.centreX - (xi * std::cos(r) + eta * std::sin(r));
  y = t.centreY - (eta * std::cos(r) - xi * std::sin(r));
  return true;
}

/// Angular distance of two positions, arc seconds (haversine).
inline double ArcsecApart(double ra1Hours, double dec1Deg, double ra2Hours, double dec2Deg) {
  const double k = 3.14159265358979323846 / 180.0;
  const double a1 = ra1Hours * 15 * k, a2 = ra2Hours * 15 * k, d1 = dec1Deg * k, d2 = dec2Deg * k;
  const double h =
      std::pow(std::sin((d2 - d1) / 2), 2) + std::cos(d1) * std::cos(d2) * std::pow(std::sin((a2 - a1) / 2), 2);
  return 2 * std::asin(std::sqrt(h)) / k * 3600.0;
}

}  // namespace skarvel::testing
