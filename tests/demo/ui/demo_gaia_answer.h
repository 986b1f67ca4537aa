// The demo night's catalog stars as VizieR would answer a Gaia DR3 query, for
// the tests whose loopback server stands in for VizieR, and the scripted
// platform that sends its HTTP requests for real.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/net/http_get.h"
#include "support/scripted_platform.h"

namespace skarvel::testing {

// The scripted platform with the real HTTP GET.
class NetworkedPlatform : public ScriptedPlatform {
 public:
  platform::HttpResponse HttpGet(const std::string& url) override {
    requests.push_back(url);
    return platform::QtHttpGet(url, limits, {});
  }
  std::vector<std::string> requests;
  platform::HttpLimits limits;
};

// The demo night's catalog stars (catalog/gsc_stars.csv: region, number,
// entries, RA hours, Dec degrees, magnitude, source) as a VizieR Gaia DR3
// answer: positions in degrees, no proper motions, the magnitude as G.
inline std::string GaiaAnswerOfDemoStars(const std::string& demo) {
  std::ifstream in(demo + "catalog/gsc_stars.csv");
  std::string line;
  std::getline(in, line);
  std::string answer =
      "#\n#   VizieR Astronomical Server (a test's loopback stand-in)\n#RESOURCE=yCat_1355\n#Name: I/355\n\n"
      "RA_ICRS\tDE_ICRS\tSource\tpmRA\tpmDE\tGmag\ndeg\tdeg\t\tmas/yr\tmas/yr\tmag\n"
      "---------------\t---------------\t-------------------\t------\t------\t------\n";
  int n = 0;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, ',');) f.push_back(cell);
    if (f.size() < 6) continue;
    char row[160];
    std::snprintf(row, sizeof row, "%.11f\t%.11f\t%lld\t\t\t%s\n", std::stod(f[3]) * 15, std::stod(f[4]),
                  3811000000000000000LL + ++n, f[5].c_str());
    answer += row;
  }
  return answer;
}

}  // namespace skarvel::testing
