// The Qt side of the main window's report: the report window, the
// acknowledgement dialog and the observation parameter editor behind the
// session's report hooks.
#pragma once

#include <QWidget>
#include <memory>

#include "shell/astrm_lab.h"

namespace skarvel::ui {

class AstromListForm;

class ReportViews {
 public:
  /// `search` is the search state the list windows share; `parent` owns the dialogs.
  ReportViews(AstrmLab& lab, SearchDialogState& search, QWidget* parent);
  ~ReportViews();

  /// Sets the report hooks of `views` (showReport, refreshReport,
  /// reportWindowVisible, acknowledgement, editObservationParameters, reportChart).
  void Install(AstrmLabViews& views);
  /// The report window, or null before the first report text.
  AstromListForm* Window() const { return window_.get(); }
  /// Releases the window (before the session releases the report).
  void Release();

 private:
  AstromListForm& MakeWindow();

  AstrmLab& lab_;
  SearchDialogState& search_;
  QWidget* parent_;
  std::unique_ptr<AstromListForm> window_;
};

}  // namespace skarvel::ui
