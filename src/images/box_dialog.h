// The values of the "Box" size dialog and their coupling rules.
#pragma once

#include <cstdint>
#include <string>

#include "images/box_record.h"

namespace skarvel {

/// Which box the dialog edits.
enum class BoxKind { Reference, Unknown };

/// The caption of the box dialog: "\"Box\" Size for Reference Stars" or "\"Box\" Size for Unknown".
std::string BoxDialogCaption(BoxKind kind);

/// The four fields as the dialog shows them: the two widths doubled.
class BoxDialogValues {
 public:
  static constexpr int kMinWidth = 2;    ///< both widths, pixels, even
  static constexpr int kMaxWidth = 20;
  static constexpr int kMinBorder = 2;   ///< sky border, pixels
  static constexpr int kMaxBorder = 10;
  static constexpr int kMinCutoff = -3;  ///< sky cut-off, sigmas
  static constexpr int kMaxCutoff = 3;

  /// The fields of a record (widths doubled), each brought into its range.
  explicit BoxDialogValues(const BoxRecord& record);

  int PeakWidth() const { return peakWidth_; }
  int Diameter() const { return diameter_; }
  int Border() const { return border_; }
  int Cutoff() const { return cutoff_; }

  /// The peak-search width; lowering it below the centroid diameter lowers the diameter too.
  void SetPeakWidth(int width);
  /// The centroid diameter; raising it above the peak-search width raises the width too.
  void SetDiameter(int diameter);
  void SetBorder(int border);
  void SetCutoff(int cutoff);
  /// "&Defaults": 16, 16, 4, 3.
  void Defaults();

  /// The record OK stores: half of each width, the border and the cut-off as they are.
  BoxRecord Record() const;

 private:
  static int EvenWidth(int w);
  int peakWidth_ = 16;
  int diameter_ = 16;
  int border_ = 4;
  int cutoff_ = 3;
};

}  // namespace skarvel
