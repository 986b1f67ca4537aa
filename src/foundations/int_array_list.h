// The pixel store of an image: rows of 32-bit integers with sequential filling.
//
// Pixels live in one contiguous block, row after row, so a pixel access costs
// the same whatever the access pattern. Rows are addressed like the records of
// a RecordList (a current row that PixelAt, SetPixel and StoreRow move to);
// the row buffer keeps what was last appended, as the sequential filling needs.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace skarvel {

class IntArrayList {
 public:
  /// The widest row: a row is a record of at most 65535 bytes.
  static constexpr std::int32_t kMaxWidth = 16383;
  /// The most rows (the last row index is 16 bits).
  static constexpr std::int32_t kMaxHeight = 65536;

  /// Allocates width x height pixels set to 0 and a zeroed row buffer; no
  /// current row. Returns false (and holds no pixels) when width is not in
  /// 1..kMaxWidth or height not in 0..kMaxHeight.
  bool Create(std::int32_t width, std::int32_t height);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  /// Width - 1 (the last column index).
  std::int32_t LastColumn() const { return width_ - 1; }
  /// Height - 1 (the last row index); -1 when there are no rows.
  std::int32_t LastRow() const { return height_ - 1; }
  /// Index of the current row, -1 when none.
  std::int32_t CurrentRow() const { return currentRow_; }

  /// The value at column x of row y; 0 outside the image (negative arguments
  /// count as outside). Row y becomes current when it exists.
  std::int32_t PixelAt(std::int32_t x, std::int32_t y);

  /// Stores v at column x of row y; nothing outside the image.
  void SetPixel(std::int32_t x, std::int32_t y, std::int32_t v);

  /// Copies up to Width() values from `buffer` into row y.
  /// @return the number of values copied (0 when row y does not exist).
  std::int32_t StoreRow(std::int32_t y, std::span<const std::int32_t> buffer);

  /// Row y as Width() values (empty when row y does not exist).
  std::span<std::int32_t> Row(std::int32_t y);
  std::span<const std::int32_t> Row(std::int32_t y) const;

  /// Starts sequential filling at column 0 of row 0; no current row.
  void BeginAppend();

  /// Puts v into the row buffer at the append column; when the row is full
  /// it is stored into the append row and filling goes on in the next row.
  void AppendValue(std::int32_t v);

  /// Stores a partly filled row buffer into its row (the columns not written
  /// for this row keep the values the buffer held from the previous row);
  /// then no current row.
  void EndAppend();

 private:
  bool RowExists(std::int32_t y) const { return y >= 0 && y < height_; }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t currentRow_ = -1;
  std::int32_t appendColumn_ = 0;
  std::int32_t appendRow_ = 0;
  std::vector<std::int32_t> rowBuffer_;
  std::vector<std::int32_t> pixels_;
};

}  // namespace skarvel
