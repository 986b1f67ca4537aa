// The conversion of the Guide Star Catalog from its CD-ROM volumes (FITS ASCII
// region files) into the program's converted form: per region a binary file
// of merged stars, and the binary regions table, written last.
//
//   GSCConvertSettings s = DefaultConvertSettings(options);   // the dialog's defaults
//   ... the dialog fills s; CheckConvertSettings(ui, s) on OK
//   GSCConverter converter(options, ui, s);
//   if (converter.ConvertGSC(2)) ...                           // two threads, same bytes
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogs/catalog_star.h"
#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// The conversion settings, kept for the run of the program.
struct GSCConvertSettings {
  std::string inputPath1;  ///< GSC Volume I, with a trailing separator
  std::string inputPath2;  ///< GSC Volume II
  std::string outputPath;  ///< the converted catalog's root
  float magLimit = 20;     ///< faintest magnitude converted
  bool restart = false;    ///< skip region files that exist in the output
  bool finder = false;     ///< the Finder variant (26-byte records)
  bool marloVersion = false;  ///< the Marlo lab variant

  bool operator==(const GSCConvertSettings&) const = default;
};

/// The dialog's defaults: with `VornFormatGSC` both inputs the CD-ROM drive and
/// the output `GSCPath1` (else `DataDir` + "GSC_VORN\"); else with `GSCPath1`
/// the inputs `GSCPath1` and `GSCPath2` and the output `GSCPath1` with "_VORN"
/// before its final separator; else the CD-ROM drive and `DataDir` + "GSC_VORN\".
GSCConvertSettings DefaultConvertSettings(const OptionsRecord& options);

/// The OK step of the dialog: adds the missing trailing separators; an output
/// path equal to an input path shows "Input Directory Cannot Be Used for
/// Output" ("Same Directory!") and gives false (the dialog stays open).
bool CheckConvertSettings(platform::Platform& ui, GSCConvertSettings& settings);

/// The progress window's estimate after `done` of `total` files in
/// `elapsedSeconds`: "Time remaining: 3 min 7 s" (the rest at the rate so
/// far, rounded to seconds; 0 before the first file and after the last).
std::string TimeRemainingText(double elapsedSeconds, double done, double total);

/// Record sizes of the output variants, bytes.
inline constexpr std::size_t kFinderRecordBytes = 26;

/// One merged star (RA hours, Dec degrees, Id "RRRRR-NNNNN") in the layout of
/// the variant: standard and Marlo 27 bytes, Finder 26.
std::vector<std::uint8_t> EncodeConvertedStar(const CatalogStar& star, bool finder, bool marlo);

/// The bytes of one converted region file, or the I/O code of the failure.
struct ConvertedRegion {
  int code = 0;  ///< 0, or the I/O result code opening/reading the input
  std::vector<std::uint8_t> bytes;
};

/// Reads a CD-ROM region file (records from byte 8640 until a record whose
/// first five characters are blank, or the end), keeps the entries not
/// fainter than `magLimit`, merges the plate entries and encodes the stars in
/// list order (RA, then Dec), the bytes a conversion through the field
/// lists gives. Touches nothing shared and never calls `ui`: safe on any thread.
ConvertedRegion ConvertRegionFile(platform::Platform& ui, const std::string& input, std::uint32_t region,
                                  float magLimit, bool finder, bool marlo);

class GSCConverter {
 public:
  GSCConverter(const OptionsRecord& options, platform::Platform& ui, GSCConvertSettings& settings);

  /// The whole conversion with its progress window (9537 files, stop
  /// question). With `threads` 2 a second thread converts the next batch of
  /// regions while this one is written; the files are written in region
  /// order either way and are the same bytes. True when it ran to the end
  /// (regions table written).
  bool ConvertGSC(int threads = 1);

  /// Region `region` of zone `zone` from `input` into `output` (the mount
  /// question while the input is missing). False on a failure (its message
  /// shown) or a cancelled question.
  bool ConvertRegion(const std::string& input, const std::string& output, int zone, std::uint32_t region);

  /// The input and output file of a region.
  std::string InputFile(std::uint32_t region) const;
  std::string OutputFile(std::uint32_t region) const;
  /// The progress position the conversion started at (after Restart skipped files).
  std::int64_t StartPosition() const { return startPosition_; }

 private:
  bool WriteRegion(const std::string& output, const ConvertedRegion& converted, const std::string& input);
  bool AskMount(int zone);
  bool WriteRegionsTable();

  const OptionsRecord& options_;
  platform::Platform& ui_;
  GSCConvertSettings& settings_;
  std::int64_t startPosition_ = 0;
};

}  // namespace skarvel
