#include "catalogs/catalog_star.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace skarvel {

std::string CatalogName(std::uint8_t code, bool gscOnACT) {
  static constexpr std::array<const char*, 13> kNames = {
      "", "STSI Guide Star Catalog", "UCAC-BSS", "USNO-A1.0", "USNO-A2.0", "USNO-SA1.0",
      "USNO-SA2.0", "UCAC2", "UCAC3", "USNO-B1.0", "NOMAD", "Gaia DR3", "UCAC4"};
  if (code == kCatalogGSC && gscOnACT) return "ACT-Corrected GSC";
  return code < kNames.size() ? kNames[code] : "";
}

std::string FilterShortName(std::uint8_t code) {
  static constexpr std::array<const char*, 10> kShort = {"B", "V", "R", "I", "J", "H", "K", "NONE", "X", "G"};
  return kShort[code < kShort.size() ? code : std::uint8_t{kBandUnknown}];
}

std::string FilterLongName(std::uint8_t code) {
  static constexpr std::array<const char*, 10> kLong = {"  Blue",   "  V-band", "  Red",   "  I-band", "  J-band",
                                                        "  H-band", "  K-band", "  None",  "Unknown",  "  Gaia G"};
  return kLong[code < kLong.size() ? code : std::uint8_t{kBandUnknown}];
}

std::vector<std::uint32_t> SortedInsertionOrder(const std::vector<CatalogStar>& stars) {
  const auto less = [&stars](std::uint32_t a, std::uint32_t b) {
    return CatalogStarOrder::ComesAfter(stars[b], stars[a]);
  };
  const auto n = static_cast<std::uint32_t>(stars.size());
  // Per star: whether a smaller star was in the list when it came.
  std::vector<bool> smallerBefore(n, false);
  for (std::uint32_t k = 1, least = 0; k < n; ++k) {
    smallerBefore[k] = less(least, k);
    if (less(k, least)) least = k;
  }
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), less);
  // Within a run of equal keys (in insertion order after the stable sort), each
  // star goes where InsertSorted puts it: walking forward from a smaller
  // predecessor it passes the equal ones; walking back it stops in front of
  // them, or behind the first record when it reaches the list's start.
  std::vector<std::uint32_t> run;
  run.reserve(n);
  for (std::uint32_t i = 0; i < n;) {
    std::uint32_t j = i + 1;
    while (j < n && !less(order[i], order[j])) ++j;
    if (j - i > 1) {
      run.clear();
      for (std::uint32_t m = i; m < j; ++m) {
        const std::uint32_t k = order[m];
        run.push_back(k);
        if (run.size() == 1 || less(k - 1, k)) continue;             // behind the equal ones
        const auto to = run.begin() + (smallerBefore[k] ? 0 : 1);  // in front, or second
        std::rotate(to, run.end() - 1, run.end());
      }
      std::copy(run.begin(), run.end(), order.begin() + i);
    }
    i = j;
  }
  return order;
}

}  // namespace skarvel
