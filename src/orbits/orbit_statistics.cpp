#include "orbits/orbit_statistics.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "astrometry/info_list.h"
#include "foundations/date_time.h"
#include "foundations/extended_float.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

/// Where the designation (length byte and 8 characters) and the codes lie in a converted record.
constexpr std::size_t kDesignationOffset = 42;
constexpr std::size_t kCodesOffset = 156;
constexpr std::size_t kEpochOffset = 51;  ///< the epoch, an extended float
/// Code bits of an MPC record (code 3).
constexpr std::uint8_t kPhaBit = 128, kCriticalBit = 64, kOneOppositionBit = 32;

std::string Right(std::string_view s, std::size_t width) {
  return s.size() >= width ? std::string(s) : std::string(width - s.size(), ' ') + std::string(s);
}

}  // namespace

double DatabaseDateTime(long double newestEpochJd, double fallback) {
  return newestEpochJd > 0 ? static_cast<double>(newestEpochJd - kJulianDateOffset) : fallback;
}

long double NewerEpoch(long double newest, long double epoch) {
  return std::isfinite(epoch) && epoch > newest ? epoch : newest;
}

void OrbitStatisticsCounts::Add(const std::string& designation, const OrbitCodes& codes) {
  ++records;
  if (const auto number = ParseInteger(designation); number && *number > highestNumber) highestNumber = *number;
  const std::size_t type = codes[4] == 0 ? 1 : codes[4];
  if (type > kOrbitGroups) return;
  OrbitGroupCounts& g = groups[type - 1];
  ++g.total;
  if (codes[2] & kPhaBit) ++g.pha;
  if (codes[2] & kCriticalBit) ++g.critical;
  if (codes[2] & kOneOppositionBit) ++g.oneOpposition;
}

OrbitStatisticsCounts CountOrbitStatistics(const std::string& path,
                                           const std::function<void(std::int64_t, std::int64_t)>& progress) {
  errno = 0;
  std::ifstream in(fs::Resolve(path), std::ios::binary);
  if (!in) throw IOFailure(errno != 0 ? IOCodeFromErrno(errno) : io_code::kFileNotFound);
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::int64_t>(in.tellg());
  in.seekg(0);
  const std::int64_t total = size < 0 ? 0 : size / static_cast<std::int64_t>(kCmoRecordBytes);
  const std::int64_t interval = std::max<std::int64_t>(1, (total + 50) / 100);
  OrbitStatisticsCounts counts;
  // Whole blocks of records; a trailing partial record is no record.
  constexpr std::size_t kBlockRecords = 4096;
  std::vector<char> buffer(kBlockRecords * kCmoRecordBytes);
  std::int64_t read = 0;
  std::string designation;
  while (read < total) {
    const std::int64_t want = std::min<std::int64_t>(kBlockRecords, total - read);
    in.read(buffer.data(), static_cast<std::streamsize>(want * static_cast<std::int64_t>(kCmoRecordBytes)));
    const std::int64_t got = in.gcount() / static_cast<std::int64_t>(kCmoRecordBytes);
    if (got <= 0) throw IOFailure(io_code::kEndOfFile);
    for (std::int64_t k = 0; k < got; ++k) {
      const char* rec = buffer.data() + k * static_cast<std::int64_t>(kCmoRecordBytes);
      const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(rec[kDesignationOffset]),
                                                       kOrbitDesignationChars);
      designation.assign(rec + kDesignationOffset + 1, length);
      OrbitCodes codes;
      for (std::size_t c = 0; c < codes.size(); ++c) codes[c] = static_cast<std::uint8_t>(rec[kCodesOffset + c]);
      counts.Add(designation, codes);
      ExtendedBytes epoch;
      std::memcpy(epoch.data(), rec + kEpochOffset, epoch.size());
      counts.newestEpoch = NewerEpoch(counts.newestEpoch, DecodeExtended(epoch));
      if (progress && (read + k + 1) % interval == 0) progress(read + k + 1, total);
    }
    read += got;
  }
  return counts;
}

std::vector<std::string> OrbitStatisticsReport(const OrbitStatisticsCounts& counts, double databaseDateTime) {
  std::vector<std::string> lines;
  const std::string blank;
  lines.push_back(blank);
  lines.push_back("Searched: MPC Orbit Database Dated " + PrintDateTimeText(databaseDateTime));
  lines.push_back(std::to_string(counts.records) + " orbits analyzed.  Highest numbered asteroid is (" +
                  std::to_string(counts.highestNumber) + ").");
  lines.push_back(blank);
  lines.emplace_back("Orbit Group/Zone Statistics:");
  lines.push_back(blank);
  lines.emplace_back("Columns - (a): Total Number in Group");
  lines.emplace_back("          (b): Potentially Hazardous Asteroids (PHAs)");
  lines.emplace_back("          (c): MPC Critical List Numbered Asteroids");
  lines.emplace_back("          (d): 1-Opposition Objects Seen at Earlier Opposition");
  lines.push_back(blank);
  const auto group = [&](std::string_view label, std::size_t type) {
    const OrbitGroupCounts& g = counts.groups[type - 1];
    lines.push_back(Right(label, 46) + Right(std::to_string(g.total), 6) + Right(std::to_string(g.pha), 10) +
                    Right(std::to_string(g.critical), 10) + Right(std::to_string(g.oneOpposition), 10));
  };
  lines.emplace_back("Earth Orbit Crossing Asteroids:");
  lines.push_back(Right("  (a)       (b)       (c)       (d)", 82));
  group("Aten Group (a < 1.0 AU): ", 2);
  group("Apollo Group (a > 1.0 AU; 0 < q < 1.0): ", 3);
  group("Amor Group (a > 1.067 AU; 1.067 < q < 1.3): ", 4);
  lines.push_back(blank);
  lines.emplace_back("Mars Orbit Crossing Asteroids:");
  group("(q < 1.381 AU): ", 5);
  group("(1.381 < q < 1.523 AU): ", 6);
  group("(1.523 < q < 1.665 AU): ", 7);
  lines.push_back(blank);
  lines.emplace_back("Trans-Neptunian Objects (TNOs):");
  group("Plutino Objects: ", 14);
  group("Other Resonant TNOs: ", 15);
  group("Cubewano Objects: ", 16);
  group("Scattered Disk Objects: ", 17);
  lines.push_back(blank);
  lines.emplace_back("Other Asteroid Groups:");
  group("Hilda Group (3.7 < a < 4.2 AU): ", 8);
  group("Jupiter Trojans (5.05 < a < 5.40 AU): ", 9);
  group("Centaur Objects (~5 < a < ~30 AU): ", 10);
  group("Other (Unclassified) Asteroids : ", 1);
  return lines;
}

}  // namespace skarvel
