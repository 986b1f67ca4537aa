#include "support/zone_catalog_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

namespace skarvel::testing {

namespace {

struct Placed {
  int zone = 0;
  std::int32_t ra = 0;  // the record's RA in its own units, for the order
  std::size_t star = 0;
};

void PutLE(std::vector<std::uint8_t>& b, std::size_t at, std::int64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}
void PutBE(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (24 - 8 * i));
}
std::int64_t Round(double v) { return static_cast<std::int64_t>(std::llround(v)); }

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
void SaveText(const std::string& path, const std::string& text) {
  Save(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string Num(int v, int width) {
  char b[16];
  std::snprintf(b, sizeof b, "%0*d", width, v);
  return b;
}

int Bin(double raHours) { return std::clamp(static_cast<int>(std::trunc(raHours / 0.1)) + 1, 1, 240); }

// Sorts the stars into zones of `zoneDeg` (by RA within a zone, in mas).
std::vector<Placed> Place(const std::vector<ZoneStar>& stars, double zoneDeg, int zones) {
  std::vector<Placed> placed;
  for (std::size_t i = 0; i < stars.size(); ++i) {
    const int zone = static_cast<int>(std::trunc((stars[i].decDeg + 90.0) / zoneDeg)) + 1;
    if (zone < 1 || zone > zones) continue;
    placed.push_back({zone, static_cast<std::int32_t>(Round(stars[i].raHours * 54000000.0)), i});
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.zone != b.zone ? a.zone < b.zone : a.ra < b.ra; });
  return placed;
}

std::vector<std::uint8_t> UCAC2Bytes(const ZoneStar& s) {
  std::vector<std::uint8_t> r(44, 0);
  PutLE(r, 0, Round(s.raHours * 54000000.0), 4);
  PutLE(r, 4, Round(s.decDeg * 3600000.0), 4);
  PutLE(r, 8, Round(s.mag * 100), 2);
  r[10] = 10;
  r[11] = 12;
  r[12] = static_cast<std::uint8_t>(s.observations);
  r[13] = static_cast<std::uint8_t>(static_cast<std::int8_t>(s.posErrCode));
  r[14] = 1;  // catalogs used
  PutLE(r, 20, Round(s.pmRA * 10), 4);
  PutLE(r, 24, Round(s.pmDec * 10), 4);
  return r;
}

// Writes zone files and the zone-major cumulative index (zones x 240).
RunningNumbers WriteUCAC2Like(const std::string& dir, const std::string& indexPath, const std::vector<ZoneStar>& stars,
                              double zoneDeg, int zones, const std::string& prefix, int digits) {
  const std::vector<Placed> placed = Place(stars, zoneDeg, zones);
  std::vector<std::int32_t> index(static_cast<std::size_t>(zones) * 240, 0);
  RunningNumbers numbers(stars.size(), 0);
  std::vector<std::vector<std::uint8_t>> files(static_cast<std::size_t>(zones) + 1);
  std::int64_t running = 0;
  for (const Placed& p : placed) {
    ++running;
    numbers[p.star] = running;
    const auto bytes = UCAC2Bytes(stars[p.star]);
    auto& file = files[static_cast<std::size_t>(p.zone)];
    file.insert(file.end(), bytes.begin(), bytes.end());
    ++index[static_cast<std::size_t>(p.zone - 1) * 240 + static_cast<std::size_t>(Bin(stars[p.star].raHours) - 1)];
  }
  std::partial_sum(index.begin(), index.end(), index.begin());
  std::vector<std::uint8_t> bytes(index.size() * 4);
  for (std::size_t i = 0; i < index.size(); ++i) PutLE(bytes, i * 4, index[i], 4);
  Save(indexPath, bytes);
  for (int z = 1; z <= zones; ++z)
    if (!files[static_cast<std::size_t>(z)].empty()) Save(dir + prefix + Num(z, digits), files[static_cast<std::size_t>(z)]);
  return numbers;
}

}  // namespace

RunningNumbers WriteUCAC2(const std::string& root, const std::vector<ZoneStar>& stars) {
  return WriteUCAC2Like(root + "U2/", root + "U2/u2index.da", stars, 0.5, 288, "z", 3);
}

RunningNumbers WriteBSS(const std::string& dir, const std::vector<ZoneStar>& stars, const std::string& indexName) {
  return WriteUCAC2Like(dir, dir + indexName, stars, 5.0, 36, "s", 2);
}

RunningNumbers WriteUCAC3(const std::string& side1, const std::string& side2, const std::vector<ZoneStar>& stars) {
  constexpr int kZones = 360;
  const std::vector<Placed> placed = Place(stars, 0.5, kZones);
  // n0: records of the zone before the bin; nn: records in the bin. RA bin outer, zone inner.
  std::vector<std::int32_t> n0(240 * kZones, 0), nn(240 * kZones, 0);
  std::vector<std::int64_t> zoneCount(kZones + 1, 0);
  RunningNumbers numbers(stars.size(), 0);
  std::vector<std::vector<std::uint8_t>> files(kZones + 1);
  std::int64_t running = 0;
  for (const Placed& p : placed) {
    const ZoneStar& s = stars[p.star];
    numbers[p.star] = ++running;
    ++zoneCount[static_cast<std::size_t>(p.zone)];
    ++nn[static_cast<std::size_t>(Bin(s.raHours) - 1) * kZones + static_cast<std::size_t>(p.zone - 1)];
    std::vector<std::uint8_t> r(84, 0);
    PutLE(r, 0, Round(s.raHours * 54000000.0), 4);
    PutLE(r, 4, Round((s.decDeg + 90.0) * 3600000.0), 4);
    PutLE(r, 8, Round(s.mag * 1000), 2);
    PutLE(r, 10, Round(s.mag * 1000 + 100), 2);  // aperture magnitude
    PutLE(r, 12, s.modelErr, 2);
    PutLE(r, 16, s.sigRA, 2);
    PutLE(r, 18, s.sigDec, 2);
    r[20] = static_cast<std::uint8_t>(s.observations + 1);
    r[21] = static_cast<std::uint8_t>(s.observations);
    PutLE(r, 28, Round(s.pmRA * 10), 4);
    PutLE(r, 32, Round(s.pmDec * 10), 4);
    PutLE(r, 44, Round(s.j * 1000), 2);
    PutLE(r, 46, Round(s.h * 1000), 2);
    PutLE(r, 48, Round(s.k * 1000), 2);
    r[53] = static_cast<std::uint8_t>(s.jErr);
    r[54] = static_cast<std::uint8_t>(s.hErr);
    r[55] = static_cast<std::uint8_t>(s.kErr);
    PutLE(r, 56, Round(s.scB * 1000), 2);
    PutLE(r, 58, Round(s.scR2 * 1000), 2);
    PutLE(r, 60, Round(s.scI * 1000), 2);
    PutLE(r, 80, running, 4);
    auto& file = files[static_cast<std::size_t>(p.zone)];
    file.insert(file.end(), r.begin(), r.end());
  }
  for (int z = 0; z < kZones; ++z) {
    std::int32_t before = 0;
    for (int b = 0; b < 240; ++b) {
      const std::size_t at = static_cast<std::size_t>(b) * kZones + static_cast<std::size_t>(z);
      n0[at] = before;
      before += nn[at];
    }
  }
  std::vector<std::uint8_t> bytes(2 * n0.size() * 4);
  for (std::size_t i = 0; i < n0.size(); ++i) {
    PutLE(bytes, i * 4, n0[i], 4);
    PutLE(bytes, (n0.size() + i) * 4, nn[i], 4);
  }
  Save(side1 + "u3index.unf", bytes);
  if (side2 != side1) Save(side2 + "u3index.unf", bytes);
  std::ostringstream table;
  table << "  zone  first_running_number  last_running_number\n";
  std::int64_t first = 1;
  for (int z = 1; z <= kZones; ++z) {
    const std::int64_t n = zoneCount[static_cast<std::size_t>(z)];
    table << z << " " << first << " " << (first + n - 1) << "\n";
    first += n;
  }
  SaveText(side1 + "table_zones", table.str());
  for (int z = 1; z <= kZones; ++z)
    if (!files[static_cast<std::size_t>(z)].empty())
      Save((z <= 144 ? side1 : side2) + "z" + Num(z, 3), files[static_cast<std::size_t>(z)]);
  return numbers;
}

RunningNumbers WriteSA(const std::string& dir, const std::vector<ZoneStar>& stars) {
  constexpr int kZones = 24;
  std::vector<Placed> placed;
  for (std::size_t i = 0; i < stars.size(); ++i) {
    const std::int64_t spd = Round((stars[i].decDeg + 90.0) * 360000.0);
    const int zone = std::min(static_cast<int>(spd / 2700000), kZones - 1) + 1;  // 7.5 degrees of 0.01"
    placed.push_back({zone, static_cast<std::int32_t>(Round(stars[i].raHours * 5400000.0)), i});
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.zone != b.zone ? a.zone < b.zone : a.ra < b.ra; });
  RunningNumbers numbers(stars.size(), 0);
  for (int z = 1; z <= kZones; ++z) {
    std::vector<std::uint8_t> cat;
    std::vector<int> perBin(96, 0);
    int record = 0;
    for (const Placed& p : placed) {
      if (p.zone != z) continue;
      const ZoneStar& s = stars[p.star];
      numbers[p.star] = ++record;
      std::vector<std::uint8_t> r(12, 0);
      PutBE(r, 0, p.ra);
      PutBE(r, 4, static_cast<std::int32_t>(Round((s.decDeg + 90.0) * 360000.0)));
      const std::int64_t word = 1000000000LL + s.saField * 1000000LL + Round(s.blue * 10) * 1000 + Round(s.mag * 10);
      PutBE(r, 8, static_cast<std::int32_t>(s.saFlagged ? -word : word));
      cat.insert(cat.end(), r.begin(), r.end());
      ++perBin[static_cast<std::size_t>(std::clamp(static_cast<int>(s.raHours / 0.25), 0, 95))];
    }
    const std::string stem = dir + "ZONE" + Num((z - 1) * 75, 4);
    std::string acc;
    int first = 1;
    for (int b = 0; b < 96; ++b) {
      char line[40];
      std::snprintf(line, sizeof line, "%5.2f %11d %11d\n", b * 0.25, first, perBin[static_cast<std::size_t>(b)]);
      acc += line;
      first += perBin[static_cast<std::size_t>(b)];
    }
    SaveText(stem + ".ACC", acc);
    Save(stem + ".CAT", cat);
  }
  return numbers;
}

std::vector<ZoneStar> ReadZoneStarList(const std::string& path) {
  std::vector<ZoneStar> stars;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string cell;
    std::vector<double> v;
    while (std::getline(fields, cell, ',') && v.size() < 5) v.push_back(std::atof(cell.c_str()));
    if (v.size() < 3) continue;
    ZoneStar s;
    s.raHours = v[0];
    s.decDeg = v[1];
    s.mag = v[2];
    s.blue = v[2] + 0.6;
    s.scB = v[2] + 0.6;
    s.scR2 = v[2] - 0.2;
    s.scI = v[2] - 0.5;
    s.j = v[2] - 1.0;
    s.h = v[2] - 1.3;
    s.k = v[2] - 1.4;
    if (v.size() >= 5) {
      s.pmRA = v[3];
      s.pmDec = v[4];
    }
    stars.push_back(s);
  }
  return stars;
}

}  // namespace skarvel::testing
