// The GSC regions table: the sky box of each of the 9537 regions, read from
// the CD-ROM's FITS ASCII table "TABLES\REGIONS.TBL" (through the FITS header
// reader) or from the converted "TABLES\REGIONS.BIN".
//
// Usage:
//   GSCRgnsTblObj table(options, ui);
//   table.LoadRegions(true);            // once per run; prompts for the catalog when missing
//   if (table.Loaded()) { auto found = table.FindRegions(window); ... }
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogs/field_parameters.h"
#include "config/options.h"
#include "foundations/record_list.h"
#include "images/fits_file.h"
#include "platform/platform.h"

namespace skarvel {

/// The regions overlapping a window, in increasing order (at most 12).
struct RegionList {
  static constexpr std::size_t kMaxRegions = 12;
  std::uint16_t count = 0;
  std::uint16_t regions[kMaxRegions] = {};
};

class GSCRgnsTblObj : public FITSFileObj {
 public:
  /// Characters of a table row that hold the fields read (offsets 0..47).
  static constexpr std::int32_t kMinRowBytes = 48;

  /// `options` is the main window's working copy (read at each call);
  /// `ui` shows the prompts, notes and messages.
  GSCRgnsTblObj(const OptionsRecord& options, platform::Platform& ui);

  /// Loads the table once per run; afterwards returns at once. With
  /// `allowPrompt` false the file named by SetFileName is read directly (the
  /// converter). The outcome is Loaded().
  void LoadRegions(bool allowPrompt);

  /// The regions 1..9537 (as far as the table holds them) overlapping
  /// `window`, the first 12 in increasing order; every further overlapping
  /// region shows "Field Contains Too Many Regions!" ("Region Table Full!").
  RegionList FindRegions(const SearchWindow& window);

  /// True when region n's box overlaps the window (RA across a wrapping window
  /// by the region's side of 12 h; open bounds in Dec). False for n outside the table.
  bool RegionOverlaps(const SearchWindow& window, std::uint32_t region);

  /// The table's data step for a FITS TABLE extension: NAXIS2 rows of NAXIS1
  /// characters from 2880-byte blocks, (2880 div NAXIS1) rows per block.
  bool ReadTable() override;

  bool Loaded() const { return loaded_; }
  /// The next LoadRegions reads the table again (the catalog settings changed).
  void MarkNotLoaded() { loaded_ = false; }
  /// Entry n is region n; entry 0 is the all-zero placeholder.
  RecordList<SearchWindow>& Regions() { return regions_; }
  /// Region n's box; the all-zero window for n outside the table.
  SearchWindow Region(std::uint32_t n) {
    const SearchWindow* r = regions_.GetAt(static_cast<std::int32_t>(n));
    return r != nullptr ? *r : SearchWindow{};
  }
  /// The number of regions held (entries after the placeholder).
  std::uint16_t RegionCount() const;
  /// The catalog root under which the table was found (with a trailing separator).
  const std::string& CatalogRoot() const { return catalogRoot_; }
  /// The full name of the table file.
  const std::string& TableFileName() const { return tableFile_; }
  /// The file to read when LoadRegions(false) is called.
  void SetFileName(const std::string& file) { tableFile_ = file; }

 private:
  void LoadConverted();
  void LoadTableFile(const std::string& file);
  void Reset();

  const OptionsRecord& options_;
  platform::Platform& ui_;
  bool loaded_ = false;
  RecordList<SearchWindow> regions_;
  std::string catalogRoot_;
  std::string workingPath_;
  std::string tableFile_;
};

/// Parses one row of the CD-ROM regions table into a region box (RA hours,
/// Dec degrees; an RA high of 0 becomes 24, Dec low and high put in order).
/// False when a field is not a number or the row is shorter than 48 characters.
bool ParseRegionRow(const std::string& row, SearchWindow& region);

}  // namespace skarvel
