// The Qt windows behind the main window's orbit commands: the ephemeris
// parameters and search dialogs (modal), the "VORN Ephemeris Report" and
// "Results of Asteroid Database Search" list windows, and the chart box.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "shell/astrm_lab.h"

namespace skarvel::ui {

class TChrtCntrlBox;
class TInfoListForm1;

class OrbitWindows {
 public:
  /// The windows of `lab`'s orbit session; `search` is the search dialog
  /// state the list windows share. Both must outlive the windows.
  OrbitWindows(AstrmLab& lab, QWidget* parent, SearchDialogState& search);
  ~OrbitWindows();
  OrbitWindows(const OrbitWindows&) = delete;
  OrbitWindows& operator=(const OrbitWindows&) = delete;

  /// Fills views.orbits (keeping a showChart, solvedCentre or observation
  /// list hook already there); the site confirmation uses views.siteInformation.
  void Install(AstrmLabViews& views);

  /// Called after a command from one of these windows changed the session (menus, screen).
  std::function<void()> afterCommand;

  TInfoListForm1* EphemerisForm() const { return ephemeris_.get(); }
  TInfoListForm1* ResultsForm() const { return results_.get(); }
  TChrtCntrlBox* ChartBox() const { return chart_.get(); }
  TInfoListForm1* CometForm() const { return comets_.get(); }
  TInfoListForm1* StatisticsForm() const { return statistics_.get(); }

 private:
  void After();

  AstrmLab& lab_;
  QWidget* parent_;
  SearchDialogState& search_;
  std::unique_ptr<TInfoListForm1> ephemeris_;
  std::unique_ptr<TInfoListForm1> results_;
  std::unique_ptr<TChrtCntrlBox> chart_;
  std::unique_ptr<TInfoListForm1> comets_;
  std::unique_ptr<TInfoListForm1> statistics_;
};

}  // namespace skarvel::ui
