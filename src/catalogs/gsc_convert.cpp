#include "catalogs/gsc_convert.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <fstream>
#include <future>

#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "catalogs/gsc_zones.h"
#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr const char* kBreak = "\r\n";
constexpr const char* kBreak2 = "\r\n\r\n";
/// Largest CD-ROM region file accepted, bytes (the largest real one holds a few thousand records).
constexpr std::uint64_t kLargestRegionFile = 64u << 20;
/// Regions converted at a time (ahead of their writing with two threads).
constexpr std::size_t kBatch = 64;

std::string FileMessage(const std::string& message, const std::string& name, int code) {
  return message + kBreak2 + "File Name: " + name + kBreak + "IOResult = " + std::to_string(code);
}

bool SamePath(const std::string& a, const std::string& b) {
  return fs::NativePath(a) == fs::NativePath(b);
}

std::string WithSeparator(std::string path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back('\\');
  return path;
}

// Round to the nearest integer, halves to the even neighbour (std::nearbyint
// in the default rounding mode, without its library call): below 2^62 adding
// and taking away 2^63 leaves the value rounded to a whole number, the
// spacing of long doubles from 2^63 on being 1.
long double RoundHalfEven(long double v) {
  constexpr long double kWholeSpacing = 0x1p63L;
  if (!(std::fabs(v) < 0x1p62L)) return std::nearbyint(v);
  return v >= 0 ? (v + kWholeSpacing) - kWholeSpacing : (v - kWholeSpacing) + kWholeSpacing;
}
// Rounded, within int16 or int32.
std::int16_t Scaled16(long double v) {
  return static_cast<std::int16_t>(std::clamp(RoundHalfEven(v), -32768.0L, 32767.0L));
}
std::int32_t Scaled32(long double v) {
  return static_cast<std::int32_t>(std::clamp(RoundHalfEven(v), -2147483648.0L, 2147483647.0L));
}

}  // namespace

std::string TimeRemainingText(double elapsedSeconds, double done, double total) {
  long remaining = 0;
  if (done > 0 && total > done && elapsedSeconds > 0)
    remaining = std::lround(std::min(elapsedSeconds / done * (total - done), 359999.0));  // below 100 h
  return "Time remaining: " + std::to_string(remaining / 60) + " min " + std::to_string(remaining % 60) + " s";
}

GSCConvertSettings DefaultConvertSettings(const OptionsRecord& o) {
  GSCConvertSettings s;
  const std::string vorn = o.dataDir + "GSC_VORN\\";
  if (o.vornFormatGSC) {
    s.inputPath1 = s.inputPath2 = o.cdromDrive;
    s.outputPath = o.gscPath1.empty() ? vorn : o.gscPath1;
  } else if (!o.gscPath1.empty()) {
    s.inputPath1 = o.gscPath1;
    s.inputPath2 = o.gscPath2;
    std::string out = WithSeparator(o.gscPath1);
    out.insert(out.size() - 1, "_VORN");
    s.outputPath = out;
  } else {
    s.inputPath1 = s.inputPath2 = o.cdromDrive;
    s.outputPath = vorn;
  }
  return s;
}

bool CheckConvertSettings(platform::Platform& ui, GSCConvertSettings& s) {
  s.inputPath1 = WithSeparator(s.inputPath1);
  s.inputPath2 = WithSeparator(s.inputPath2);
  s.outputPath = WithSeparator(s.outputPath);
  if (SamePath(s.outputPath, s.inputPath1) || SamePath(s.outputPath, s.inputPath2)) {
    platform::Tell(ui, "Input Directory Cannot Be Used for Output", "Same Directory!", Icon::Error);
    return false;
  }
  return true;
}

namespace {

void AppendConvertedStar(ByteWriter& out, const CatalogStar& star, bool finder, bool marlo) {
  const std::string number = star.id.size() > 6 ? star.id.substr(6) : star.id;
  if (finder) {
    out.F64(static_cast<double>(star.ra));
    out.F64(static_cast<double>(star.dec));
    out.F32(star.mag);
    out.Text(number, 5);
    return;
  }
  out.I32(Scaled32(star.ra * 1e7L));
  out.I32(Scaled32(star.dec * 1e5L));
  out.Zeros(4);
  out.I16(Scaled16(static_cast<long double>(star.mag) * 1000));
  if (marlo) {
    out.I16(30000);
    out.I16(30000);
    out.I16(0);
    out.U8(15);
  } else {
    out.I16(Scaled16(static_cast<long double>(star.posErr) * 10));
    out.I16(Scaled16(static_cast<long double>(star.magErr) * 100));
    out.I16(star.entries);
    out.U8(star.starClass);
  }
  out.Text(number, 5);
}

}  // namespace

std::vector<std::uint8_t> EncodeConvertedStar(const CatalogStar& star, bool finder, bool marlo) {
  ByteWriter out;
  AppendConvertedStar(out, star, finder, marlo);
  return out.Buffer();
}

ConvertedRegion ConvertRegionFile(platform::Platform& /*ui*/, const std::string& input, std::uint32_t region,
                                  float magLimit, bool finder, bool marlo) {
  ConvertedRegion result;
  std::vector<std::uint8_t> file;
  try {
    file = fs::ReadFileBytes(input, kLargestRegionFile);
  } catch (const IOFailure& failure) {
    result.code = failure.Code();
    return result;
  }
  if (file.size() < kGSCHeaderBytes) {  // no record 192
    result.code = io_code::kEndOfFile;
    return result;
  }
  // The entries in file order, as the field list would take them in.
  std::vector<CatalogStar> raw;
  raw.reserve((file.size() - kGSCHeaderBytes) / kGSCRecordBytes);
  for (std::size_t at = kGSCHeaderBytes; at + kGSCRecordBytes <= file.size(); at += kGSCRecordBytes) {
    const std::string_view record(reinterpret_cast<const char*>(&file[at]), kGSCRecordBytes);
    if (record.substr(0, 5) == "     ") break;  // a blank record ends the region
    CatalogStar star;
    if (!ParseGSCRecord(record, region, true, star)) continue;
    if (star.mag <= magLimit) raw.push_back(std::move(star));
  }
  // The field list's order (RA, then Dec, as InsertSorted leaves it), its
  // merge of plate entries, and the merged stars in their list's order: the
  // bytes of a list-built conversion, without its quadratic insertions.
  std::vector<const CatalogStar*> sorted;
  sorted.reserve(raw.size());
  for (std::uint32_t i : SortedInsertionOrder(raw)) sorted.push_back(&raw[i]);
  std::vector<CatalogStar> merged;
  merged.reserve(raw.size());
  MergeGSCEntries(sorted, [&merged](const CatalogStar& star) { merged.push_back(star); });
  ByteWriter out;
  for (std::uint32_t i : SortedInsertionOrder(merged)) AppendConvertedStar(out, merged[i], finder, marlo);
  result.bytes = out.Buffer();
  return result;
}

GSCConverter::GSCConverter(const OptionsRecord& options, platform::Platform& ui, GSCConvertSettings& settings)
    : options_(options), ui_(ui), settings_(settings) {}

std::string GSCConverter::InputFile(std::uint32_t region) const {
  const int zone = GSCZoneOfRegion(region);
  return (GSCZoneOnVolumeII(zone) ? settings_.inputPath2 : settings_.inputPath1) + GSCZoneDirectory(zone) +
         GSCRegionFileName(region, ".GSC");
}

std::string GSCConverter::OutputFile(std::uint32_t region) const {
  return settings_.outputPath + GSCZoneDirectory(GSCZoneOfRegion(region)) + GSCRegionFileName(region, ".BIN");
}

bool GSCConverter::AskMount(int zone) {
  const std::string text = std::string("Please Mount ") + (GSCZoneOnVolumeII(zone) ? "GSC Volume 2 " : "GSC Volume 1 ") +
                           "In CD-ROM Drive.  " + "Wait until drive has loaded before pressing \"OK\"." + kBreak2 +
                           "(If GSC is not on CD-ROM, press \"CANCEL\", restart conversion, and " +
                           "supply correct paths to GSC Volumes.)";
  return platform::Tell(ui_, text, "Mount GSC Volume", Icon::Exclamation, platform::Buttons::OkCancel) ==
         platform::Answer::Ok;
}

bool GSCConverter::WriteRegion(const std::string& output, const ConvertedRegion& converted, const std::string& input) {
  if (converted.code != 0) {
    platform::Tell(ui_, FileMessage("Unable to Open GSC File!", input, converted.code), "GSC File Error!",
                   Icon::Error);
    return false;
  }
  // Written under a temporary name in the same folder, flushed to the disk and
  // renamed: a stopped conversion, a full disk or a power cut never leaves a
  // half-written region file for Restart to skip.
  int code = 0;
  try {
    fs::AtomicWriteFile(output, converted.bytes);
  } catch (const IOFailure& failure) {
    code = failure.Code();
  }
  if (code != 0) {
    platform::Tell(ui_, FileMessage("Unable to Open Output File!", output, code), "GSC Conversion File Error!",
                   Icon::Error);
    return false;
  }
  return true;
}

bool GSCConverter::ConvertRegion(const std::string& input, const std::string& output, int zone,
                                 std::uint32_t region) {
  if (!fs::FileExists(input) && !AskMount(zone)) return false;
  return WriteRegion(output,
                     ConvertRegionFile(ui_, input, region, settings_.magLimit, settings_.finder, settings_.marloVersion),
                     input);
}

bool GSCConverter::WriteRegionsTable() {
  GSCRgnsTblObj table(options_, ui_);
  table.SetFileName(settings_.inputPath1 + "TABLES\\REGIONS.TBL");
  table.LoadRegions(false);
  if (!table.Loaded()) return false;  // its message was shown
  ByteWriter out;
  table.Regions().Reset();
  while (const SearchWindow* w = table.Regions().Next()) WriteSearchWindow(out, *w);
  const std::string name = settings_.outputPath + "TABLES\\REGIONS.BIN";
  try {
    fs::AtomicWriteFile(name, out.Buffer());
  } catch (const IOFailure& failure) {
    platform::Tell(ui_, FileMessage("Unable to Open Output Regions File!", name, failure.Code()),
                   "GSC Table Conversion Error!", Icon::Error);
    return false;
  }
  return true;
}

bool GSCConverter::ConvertGSC(int threads) {
  auto progress = ui_.OpenProgress("Converting GSC to VORN Format", "", kGSCRegionCount, true);
  const std::string question = std::string("Terminate the GSC File Conversion?") + kBreak2 +
                               "(You can restart later at the current point.)";
  fs::MakeDirectories(settings_.outputPath);
  fs::MakeDirectories(settings_.outputPath + "GSC\\");
  fs::MakeDirectories(settings_.outputPath + "TABLES\\");
  // The regions to convert, in order: with Restart, those before the first missing output are skipped.
  std::vector<std::uint32_t> todo;
  startPosition_ = 0;
  for (int zone = 1; zone <= kGSCZoneCount; ++zone) {
    fs::MakeDirectories(settings_.outputPath + GSCZoneDirectory(zone));
    for (std::uint32_t region = zone == 1 ? 1u : GSCZoneLastRegion(zone - 1) + 1u; region <= GSCZoneLastRegion(zone);
         ++region) {
      if (settings_.restart) {
        if (fs::FileExists(OutputFile(region))) continue;
        startPosition_ = region - 1;
        settings_.restart = false;
      }
      todo.push_back(region);
    }
  }
  if (progress) progress->SetPosition(startPosition_);
  const auto started = std::chrono::steady_clock::now();
  // The regions are converted a batch at a time; with two threads the next
  // batch is converted while this one is written (files in region order).
  auto convertBatch = [this, &todo](std::size_t at) {
    std::vector<ConvertedRegion> results;
    for (std::size_t i = at; i < std::min(todo.size(), at + kBatch); ++i)
      results.push_back(ConvertRegionFile(ui_, InputFile(todo[i]), todo[i], settings_.magLimit, settings_.finder,
                                          settings_.marloVersion));
    return results;
  };
  const bool ahead = threads > 1;
  std::future<std::vector<ConvertedRegion>> next;
  if (ahead && !todo.empty()) next = std::async(std::launch::async, convertBatch, 0);
  for (std::size_t at = 0; at < todo.size(); at += kBatch) {
    const std::vector<ConvertedRegion> results = ahead ? next.get() : convertBatch(at);
    if (ahead && at + kBatch < todo.size()) next = std::async(std::launch::async, convertBatch, at + kBatch);
    for (std::size_t i = 0; i < results.size(); ++i) {
      const std::uint32_t region = todo[at + i];
      const int zone = GSCZoneOfRegion(region);
      const std::string input = InputFile(region);
      const std::string output = OutputFile(region);
      // A missing input: the mount question while it is missing, then the region
      // once more (also when a volume mounted meanwhile has it now).
      const bool ok = results[i].code == io_code::kFileNotFound ? ConvertRegion(input, output, zone, region)
                                                                 : WriteRegion(output, results[i], input);
      if (!ok) return false;
      if (progress) {
        const double done = static_cast<double>(at + i + 1);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        progress->SetText(settings_.outputPath + GSCZoneDirectory(zone) + kBreak + GSCRegionFileName(region, ".BIN") +
                          kBreak + "Region " + std::to_string(region) + kBreak +
                          TimeRemainingText(seconds, done, static_cast<double>(todo.size())));
        progress->SetPosition(region);
        if (progress->StopRequested()) {
          if (platform::Tell(ui_, question, "Converting GSC to VORN Format", Icon::Question,
                             platform::Buttons::YesNo) == platform::Answer::Yes)
            return false;
          progress->ResumeAfterStop();
        }
      }
    }
  }
  return WriteRegionsTable();
}

}  // namespace skarvel
