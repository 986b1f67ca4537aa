// The Qt windows of "Use &Mean Motion..." and "Compute &Baseline...": the
// observation picker, "Positions for Mean Motion", the baseline dialog with
// the site dialogs, and the "VORN Astrometric Baseline Report" list window.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "shell/astrm_lab.h"

namespace skarvel::ui {

class TInfoListForm1;

class MotionWindows {
 public:
  /// The windows of `lab`'s motion session; `search` is the search state the list windows share.
  MotionWindows(AstrmLab& lab, QWidget* parent, SearchDialogState& search);
  ~MotionWindows();
  MotionWindows(const MotionWindows&) = delete;
  MotionWindows& operator=(const MotionWindows&) = delete;

  /// Fills lab.Motion().Views().
  void Install();

  TInfoListForm1* BaselineForm() const { return baseline_.get(); }

 private:
  AstrmLab& lab_;
  QWidget* parent_;
  SearchDialogState& search_;
  std::unique_ptr<TInfoListForm1> baseline_;
};

}  // namespace skarvel::ui
