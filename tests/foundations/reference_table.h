// Reads the reference tables under tests/data/foundations/: comment lines
// start with "#", then a header line of column names and rows of numbers.
// Also the angle helpers the reference comparisons share.
#pragma once

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace skarvel::testing {

struct ReferenceTable {
  std::vector<std::string> columns;
  std::vector<std::map<std::string, long double>> rows;
};

/// The table tests/data/foundations/<name>; no rows when the file is missing.
inline ReferenceTable ReadReferenceTable(const std::string& name) {
  ReferenceTable t;
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/foundations/" + name);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, ',')) cells.push_back(cell);
    if (t.columns.empty()) {
      t.columns = cells;
      continue;
    }
    std::map<std::string, long double> row;
    for (std::size_t i = 0; i < cells.size() && i < t.columns.size(); ++i) row[t.columns[i]] = std::stold(cells[i]);
    t.rows.push_back(row);
  }
  return t;
}

/// One arc second in radians.
inline constexpr double kArcsec = 4.84813681109536e-6;

/// a - b (radians) reduced to -pi..pi.
inline double AngleDiff(long double a, long double b) {
  constexpr long double kTwoPiL = 6.283185307179586476925286766559005768L;
  long double d = std::fmod(a - b, kTwoPiL);
  if (d > kTwoPiL / 2) d -= kTwoPiL;
  if (d < -kTwoPiL / 2) d += kTwoPiL;
  return static_cast<double>(d);
}

}  // namespace skarvel::testing
