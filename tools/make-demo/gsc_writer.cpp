#include "gsc_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>

#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "catalogs/gsc_zones.h"
#include "config/options.h"
#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "rng.h"

namespace skarvel::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadPerDeg = kPi / 180.0;
/// FITS block and card sizes, bytes.
constexpr std::size_t kBlock = 2880;
constexpr std::size_t kCard = 80;
/// Rows of the regions table, characters per row.
constexpr std::size_t kRowChars = 48;
/// Faintest magnitude the conversion keeps.
constexpr double kConversionMagLimit = 20.0;

/// Zone directory names and last region numbers of the 24 declination zones.
struct ZoneEntry {
  const char* name;
  int last;
};
constexpr ZoneEntry kZones[24] = {{"N0000", 593},  {"N0730", 1177}, {"N1500", 1728}, {"N2230", 2258}, {"N3000", 2780},
                                 {"N3730", 3245}, {"N4500", 3651}, {"N5230", 4013}, {"N6000", 4293}, {"N6730", 4491},
                                 {"N7500", 4614}, {"N8230", 4662}, {"S0000", 5259}, {"S0730", 5837}, {"S1500", 6411},
                                 {"S2230", 6988}, {"S3000", 7522}, {"S3730", 8021}, {"S4500", 8463}, {"S5230", 8839},
                                 {"S6000", 9133}, {"S6730", 9345}, {"S7500", 9489}, {"S8230", 9537}};

std::string Card(const std::string& text) {
  std::string c = text.substr(0, kCard);
  c.resize(kCard, ' ');
  return c;
}

std::string KeyString(const std::string& key, const std::string& value) {
  std::string v = "'" + value + std::string(value.size() < 8 ? 8 - value.size() : 0, ' ') + "'";
  v.resize(std::max<std::size_t>(v.size(), 20), ' ');
  std::string k = key;
  k.resize(8, ' ');
  return Card(k + "= " + v);
}

std::string KeyValue(const std::string& key, const std::string& value) {
  std::string k = key;
  k.resize(8, ' ');
  std::string v = std::string(value.size() < 20 ? 20 - value.size() : 0, ' ') + value;
  return Card(k + "= " + v);
}

/// Cards padded with COMMENT cards and closed by END to exactly `blocks` blocks.
std::string HeaderBytes(std::vector<std::string> cards, std::size_t blocks) {
  while (cards.size() < (blocks - 1) * 36) cards.push_back(Card("COMMENT   Skarvel demo catalog"));
  cards.push_back(Card("END"));
  std::string text;
  for (const auto& c : cards) text += c;
  if (text.size() > blocks * kBlock) throw std::runtime_error("FITS header does not fit");
  text.resize(blocks * kBlock, ' ');
  return text;
}

struct Column {
  const char* name;
  const char* form;
  int start;  ///< 1-based column
};

/// A primary header announcing an extension, then an ASCII TABLE extension header.
std::string TableHeader(const std::vector<Column>& columns, std::size_t rowLength, std::size_t rows,
                        std::size_t primaryBlocks, std::size_t extensionBlocks) {
  std::string out =
      HeaderBytes({KeyValue("SIMPLE", "T"), KeyValue("BITPIX", "8"), KeyValue("NAXIS", "0"), KeyValue("EXTEND", "T")},
                  primaryBlocks);
  std::vector<std::string> cards = {KeyString("XTENSION", "TABLE"),
                                    KeyValue("BITPIX", "8"),
                                    KeyValue("NAXIS", "2"),
                                    KeyValue("NAXIS1", std::to_string(rowLength)),
                                    KeyValue("NAXIS2", std::to_string(rows)),
                                    KeyValue("PCOUNT", "0"),
                                    KeyValue("GCOUNT", "1"),
                                    KeyValue("TFIELDS", std::to_string(columns.size()))};
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    cards.push_back(KeyString("TTYPE" + n, columns[i].name));
    cards.push_back(KeyValue("TBCOL" + n, std::to_string(columns[i].start)));
    cards.push_back(KeyString("TFORM" + n, columns[i].form));
  }
  return out + HeaderBytes(cards, extensionBlocks);
}

/// Round half to even (the rounding of the table's tenths and centiseconds).
double RoundEven(double x) {
  return std::nearbyint(x);
}

std::string Hms(long long centiseconds) {
  centiseconds %= 24LL * 360000;
  const long long h = centiseconds / 360000, rest = centiseconds % 360000;
  const long long m = rest / 6000;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld %02lld %05.2f", h, m, static_cast<double>(rest % 6000) / 100.0);
  return buf;
}

std::string Dm(double minutes, bool negative) {
  const long long tenths = static_cast<long long>(RoundEven(minutes * 10));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%c%02lld %04.1f", negative ? '-' : '+', tenths / 600,
                static_cast<double>(tenths % 600) / 10.0);
  return buf;
}

/// The box of a row as the reader computes it.
void ParseRow(RegionBox& box) {
  const std::string& r = box.row;
  auto num = [&](std::size_t at, std::size_t n) { return std::stod(r.substr(at, n)); };
  box.raLowHours = num(7, 2) + num(10, 2) / 60.0 + num(13, 5) / 3600.0;
  box.raHighHours = num(19, 2) + num(22, 2) / 60.0 + num(25, 5) / 3600.0;
  if (box.raHighHours == 0) box.raHighHours = 24.0;
  box.decLowDeg = (num(32, 2) + num(35, 4) / 60.0) * (r[31] == '-' ? -1 : 1);
  box.decHighDeg = (num(41, 2) + num(44, 4) / 60.0) * (r[40] == '-' ? -1 : 1);
  if (box.decLowDeg > box.decHighDeg) std::swap(box.decLowDeg, box.decHighDeg);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  fs::MakeDirectories(fs::DirectoryOf(path));
  fs::AtomicWriteFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

/// One plate entry of a CD-ROM region file.
struct PlateEntry {
  int number = 0;
  double raDeg = 0;
  double decDeg = 0;
  double posErr = 0;
  double mag = 0;
  double magErr = 0;
  int plate = 0;
};

std::string RecordText(const PlateEntry& e) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%5d%9.5f%9.5f%5.1f%5.2f%4.2f%2d%1d%04d%1s", e.number, e.raDeg, e.decDeg, e.posErr,
                e.mag, e.magErr, 1, 0, e.plate, "F");
  std::string rec = buf;
  if (rec.size() != 45) throw std::runtime_error("GSC record is not 45 characters: " + rec);
  return rec;
}

int RegionOf(const std::vector<RegionBox>& boxes, double raHours, double decDeg) {
  for (std::size_t n = 1; n < boxes.size(); ++n) {
    const RegionBox& b = boxes[n];
    if (b.raLowHours <= raHours && raHours < b.raHighHours && b.decLowDeg <= decDeg && decDeg < b.decHighDeg)
      return static_cast<int>(n);
  }
  throw std::runtime_error("no region holds a star");
}

std::string ZoneDir(int zone) {
  return std::string("GSC/") + kZones[zone - 1].name + "/";
}

/// The converted records of one CD-ROM region file, made by the program's
/// own parser and merge: records up to the first blank one, magnitude at most
/// 20, merged plate entries in the list's order (RA, then Dec).
std::string ConvertRegion(const std::string& gscFile, std::uint32_t region, GSCFieldObj& field) {
  std::ifstream in(gscFile, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + gscFile);
  in.seekg(static_cast<std::streamoff>(kGSCHeaderBytes));
  field.RawStars().Clear();
  field.Stars().Clear();
  std::string record(kGSCRecordBytes, ' ');
  while (in.read(record.data(), static_cast<std::streamsize>(record.size()))) {
    if (record.compare(0, 5, "     ") == 0) break;
    CatalogStar star;
    if (!ParseGSCRecord(record, region, true, star)) throw std::runtime_error("unreadable record in " + gscFile);
    if (static_cast<double>(star.mag) <= kConversionMagLimit) field.RawStars().InsertSorted(star);
  }
  if (field.RawStars().Size() > 0) field.MergeEntries();
  ByteWriter out;
  for (std::int32_t i = 0; i <= field.Stars().LastIndex(); ++i) {
    const CatalogStar& s = *field.Stars().GetAt(i);
    out.I32(static_cast<std::int32_t>(std::lround(static_cast<double>(s.ra) * 1e7)));
    out.I32(static_cast<std::int32_t>(std::lround(static_cast<double>(s.dec) * 1e5)));
    out.Zeros(4);
    out.I16(static_cast<std::int16_t>(std::lround(static_cast<double>(s.mag) * 1000)));
    out.I16(static_cast<std::int16_t>(std::lround(static_cast<double>(s.posErr) * 10)));
    out.I16(static_cast<std::int16_t>(std::lround(static_cast<double>(s.magErr) * 100)));
    out.I16(static_cast<std::int16_t>(s.entries));
    out.U8(s.starClass);
    const std::size_t dash = s.id.find('-');
    out.Text(dash == std::string::npos ? s.id : s.id.substr(dash + 1), 5);
  }
  const auto& b = out.Buffer();
  return std::string(b.begin(), b.end());
}

}  // namespace

std::vector<RegionBox> GscTiling() {
  std::vector<RegionBox> regions(1);
  constexpr int kBands = 4;
  constexpr double kZoneHeightDeg = 7.5;
  for (int z = 1; z <= 24; ++z) {
    const int first = z == 1 ? 1 : kZones[z - 2].last + 1;
    const int count = kZones[z - 1].last - first + 1;
    const std::string name = kZones[z - 1].name;
    const bool north = name[0] == 'N';
    const double k = std::stoi(name.substr(1, 2)) + std::stoi(name.substr(3, 2)) / 60.0;  // equatorward edge
    const double height = kZoneHeightDeg / kBands;
    double share[kBands], exact[kBands], sum = 0;
    int perBand[kBands], given = 0;
    for (int b = 0; b < kBands; ++b) {
      share[b] = std::cos((k + (b + 0.5) * height) * kRadPerDeg);
      sum += share[b];
    }
    for (int b = 0; b < kBands; ++b) {
      exact[b] = count * share[b] / sum;
      perBand[b] = static_cast<int>(exact[b]);
      given += perBand[b];
    }
    // The remaining slices go to the largest remainders (a stable order on ties).
    int order[kBands] = {0, 1, 2, 3};
    std::stable_sort(order, order + kBands,
                     [&](int a, int b) { return exact[a] - perBand[a] > exact[b] - perBand[b]; });
    for (int j = 0; j < count - given; ++j) ++perBand[order[j]];
    for (int b = 0; b < kBands; ++b) {
      const double eMin = RoundEven((k + b * height) * 60 * 10) / 10.0;
      const double pMin = RoundEven((k + (b + 1) * height) * 60 * 10) / 10.0;
      const int slices = perBand[b];
      for (int s = 0; s < slices; ++s) {
        const auto lo = static_cast<long long>(RoundEven(s * 24.0 * 360000 / slices));
        const auto hi = static_cast<long long>(RoundEven((s + 1) * 24.0 * 360000 / slices));
        RegionBox box;
        box.zone = z;
        char head[8];
        std::snprintf(head, sizeof head, "%5d  ", static_cast<int>(regions.size()));
        box.row = head + Hms(lo) + " " + Hms(hi) + " " + Dm(eMin, !north) + " " + Dm(pMin, !north);
        if (box.row.size() != kRowChars) throw std::runtime_error("region row is not 48 characters: " + box.row);
        ParseRow(box);
        regions.push_back(box);
      }
    }
  }
  if (regions.size() != kGSCRegionCount + 1u) throw std::runtime_error("tiling does not give 9537 regions");
  return regions;
}

std::vector<WrittenStar> WriteGscCatalog(const std::vector<CatalogSourceStar>& stars, double centreRAHours,
                                         double centreDecDeg, double marginDeg, std::uint64_t seed,
                                         const std::string& root, platform::Platform& ui) {
  const std::vector<RegionBox> boxes = GscTiling();
  SplitMix rng(seed);
  std::map<int, std::vector<PlateEntry>> byRegion;
  std::vector<WrittenStar> written;
  for (std::size_t k = 0; k < stars.size(); ++k) {
    const CatalogSourceStar& s = stars[k];
    const int n = RegionOf(boxes, s.raHours, s.decDeg);
    auto& entries = byRegion[n];
    int number = 1;
    for (const auto& e : entries) number = std::max(number, e.number + 1);
    const int count = 1 + static_cast<int>(k % 2);
    for (int p = 0; p < count; ++p) {
      PlateEntry e;
      e.number = number;
      const double dra = rng.Uniform(-0.1, 0.1) / 3600.0 / std::cos(s.decDeg * kRadPerDeg);
      e.raDeg = std::fmod(s.raHours * 15.0 + dra + 360.0, 360.0);
      e.decDeg = s.decDeg + rng.Uniform(-0.1, 0.1) / 3600.0;
      e.posErr = std::round(rng.Uniform(0.2, 0.6) * 10) / 10;
      e.mag = s.mag + rng.Uniform(-0.02, 0.02);
      e.magErr = std::round(rng.Uniform(0.10, 0.30) * 100) / 100;
      e.plate = 100 + p;
      entries.push_back(e);
    }
    written.push_back({s, n, number, count});
  }
  // Every region near the field gets its files.
  const double dra = marginDeg / 15.0 / std::cos((std::fabs(centreDecDeg) + marginDeg) * kRadPerDeg);
  for (std::size_t n = 1; n < boxes.size(); ++n) {
    const RegionBox& b = boxes[n];
    if (b.decLowDeg > centreDecDeg + marginDeg || b.decHighDeg < centreDecDeg - marginDeg) continue;
    for (double shift : {-24.0, 0.0, 24.0}) {
      if (b.raLowHours < centreRAHours + dra + shift && b.raHighHours > centreRAHours - dra + shift) {
        byRegion[static_cast<int>(n)];
        break;
      }
    }
  }

  // Regions table, CD-ROM layout.
  const std::vector<Column> regionColumns = {{"REG_NO", "I5", 1},      {"RA_H_LOW", "I2", 8},  {"RA_M_LOW", "I2", 11},
                                             {"RA_S_LOW", "F5.2", 14}, {"RA_H_HI", "I2", 20},  {"RA_M_HI", "I2", 23},
                                             {"RA_S_HI", "F5.2", 26},  {"DECSI_LO", "A1", 32}, {"DEC_D_LO", "I2", 33},
                                             {"DEC_M_LO", "F4.1", 36}, {"DECSI_HI", "A1", 41}, {"DEC_D_HI", "I2", 42},
                                             {"DEC_M_HI", "F4.1", 45}};
  std::string table = TableHeader(regionColumns, kRowChars, kGSCRegionCount, 1, 4);
  std::string rows;
  for (std::size_t n = 1; n < boxes.size(); ++n) rows += boxes[n].row;
  rows.resize((rows.size() + kBlock - 1) / kBlock * kBlock, ' ');
  const std::string cdRoot = fs::WithTrailingSeparator(root) + "gsc/";
  const std::string vornRoot = fs::WithTrailingSeparator(root) + "gsc_vorn/";
  WriteFile(cdRoot + "TABLES/REGIONS.TBL", table + rows);

  // The program's field object does the merge of the conversion.
  OptionsRecord options;
  options.programDir = options.dataDir = fs::WithTrailingSeparator(root);
  GSCRgnsTblObj regions(options, ui);
  GSCFieldObj field(options, ui, regions);

  const std::vector<Column> starColumns = {{"GSC_ID", "I5", 1},     {"RA_DEG", "F9.5", 6}, {"DEC_DEG", "F9.5", 15},
                                           {"POS_ERR", "F5.1", 24}, {"MAG", "F5.2", 29},   {"MAG_ERR", "F4.2", 34},
                                           {"MAG_BAND", "I2", 38},  {"CLASS", "I1", 40},   {"PLATE_ID", "A4", 41},
                                           {"MULTIPLE", "A1", 45}};
  for (auto& [n, entries] : byRegion) {
    std::stable_sort(entries.begin(), entries.end(), [](const PlateEntry& a, const PlateEntry& b) {
      return a.number != b.number ? a.number < b.number : a.plate < b.plate;
    });
    std::string data;
    for (const auto& e : entries) data += RecordText(e);
    data.resize((data.size() + kBlock - 1) / kBlock * kBlock, ' ');
    const std::string zoneDir = ZoneDir(boxes[static_cast<std::size_t>(n)].zone);
    const std::string gscFile = cdRoot + zoneDir + GSCRegionFileName(static_cast<std::uint32_t>(n), ".GSC");
    WriteFile(gscFile, TableHeader(starColumns, 45, entries.size(), 1, 2) + data);
    const std::string bin = ConvertRegion(gscFile, static_cast<std::uint32_t>(n), field);
    WriteFile(vornRoot + zoneDir + GSCRegionFileName(static_cast<std::uint32_t>(n), ".BIN"), bin);
  }

  // Regions table, converted layout: the CD-ROM table read back by the
  // program's own table reader, the placeholder entry first.
  regions.SetFileName(cdRoot + "TABLES/REGIONS.TBL");
  regions.LoadRegions(false);
  if (!regions.Loaded() || regions.RegionCount() != kGSCRegionCount)
    throw std::runtime_error("the regions table does not read back");
  ByteWriter out;
  for (std::int32_t n = 0; n <= regions.Regions().LastIndex(); ++n) WriteSearchWindow(out, *regions.Regions().GetAt(n));
  const auto& b = out.Buffer();
  WriteFile(vornRoot + "TABLES/REGIONS.BIN", std::string(b.begin(), b.end()));
  std::sort(written.begin(), written.end(), [](const WrittenStar& a, const WrittenStar& c) {
    return a.region != c.region ? a.region < c.region : a.number < c.number;
  });
  return written;
}

}  // namespace skarvel::demo
