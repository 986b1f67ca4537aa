// Small helpers shared by the subcommands.
#pragma once

#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/observer_records.h"
#include "foundations/strings.h"

namespace skarvel::cli {

/// A private folder for the temporary files of one run, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "skarvel-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  /// The folder with a trailing separator ("" when it could not be made).
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

/// Comma-separated decimal numbers ("1.5,-2"), blanks around each allowed;
/// nothing when one is not a number or, with `count` > 0, their number differs.
inline std::optional<std::vector<long double>> NumberList(const std::string& text, std::size_t count) {
  std::vector<long double> values;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) {
    while (!part.empty() && (part.back() == ' ' || part.back() == '\r' || part.back() == '\t')) part.pop_back();
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t')) part.erase(0, 1);
    const auto v = ParseDecimal(part);
    if (!v) return std::nullopt;
    values.push_back(*v);
  }
  if (count != 0 && values.size() != count) return std::nullopt;
  return values;
}

/// A site given as "LON_EAST_DEG,LAT_DEG,HEIGHT_M" (longitudes 0..360 taken
/// as -180..180); nothing when it is not three numbers or the latitude lies
/// beyond 90 degrees.
inline std::optional<SiteRecord> SiteFromFlag(const std::string& text) {
  const auto s = NumberList(text, 3);
  if (!s || std::fabs((*s)[1]) > 90) return std::nullopt;
  long double lon = (*s)[0];
  if (lon > 180) lon -= 360;
  SiteRecord site;
  site.longitudeDeg = static_cast<float>(lon);
  site.latitudeDeg = static_cast<float>((*s)[1]);
  site.altitudeM = static_cast<float>((*s)[2]);
  site.west = lon < 0;
  site.north = (*s)[1] >= 0;
  return site;
}

}  // namespace skarvel::cli
