// Writes SBIG camera files (the ST-4X through STV format, plain or
// row-compressed) and ST-4 files from a pixel array, byte by byte as the
// cameras' software lays them out, for the tests of the SBIG readers.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace skarvel::testing {

/// One SBIG file: the first header line, the "Key = value" lines in order,
/// and the raw 16-bit values (width x height, rows first to last).
struct SBIGFileSetup {
  std::string firstLine = "ST-7 Image";
  std::vector<std::pair<std::string, std::string>> keys;
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> values;
  bool endMark = true;  ///< the Ctrl-Z after the last line ("End")
};

/// The 2048 header bytes: each line ended by a line feed and a carriage
/// return, "End", then Ctrl-Z (26) where the next line would begin; zeros after.
std::vector<std::uint8_t> SBIGHeaderBytes(const SBIGFileSetup& setup);

/// One compressed row: its 16-bit little-endian byte count, then the first
/// value (16 bits), then per value a signed byte difference, or 0x80 and the
/// full 16-bit value when the difference is outside -127..127. A row that
/// would not come out shorter than 2 x width bytes is stored plainly with the
/// count 2 x width.
std::vector<std::uint8_t> CompressedSBIGRow(const std::vector<std::uint16_t>& row);

/// The whole file: header, then the rows (compressed when the first line
/// contains "Compressed", else 16-bit little-endian values).
std::vector<std::uint8_t> SBIGFileBytes(const SBIGFileSetup& setup);

/// An ST-4 file: 165 rows of 192 bytes (`pixels`, 31680 of them), "v", the
/// note (78), exposure, focal length, aperture and response factor (10 each,
/// as given, blank-padded), blanks to 192 trailer bytes.
std::vector<std::uint8_t> ST4FileBytes(const std::vector<std::uint8_t>& pixels, const std::string& note,
                                       const std::string& exposure, const std::string& focalLength,
                                       const std::string& aperture, const std::string& response);

}  // namespace skarvel::testing
