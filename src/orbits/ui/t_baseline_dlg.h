// "Compute Baseline Between Two Sites" (`TBaselineDlg`): the target's instant
// and place (typed, or taken from an observation or ephemeris record), the two
// site buttons, OK once both sites are confirmed.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "orbits/ui/t_mean_eph_form1.h"

class QPushButton;

namespace skarvel::ui {

class TBaselineDlg : public QDialog {
  Q_OBJECT
 public:
  using SiteDialog = std::function<bool(SiteRecord&, const std::string& caption)>;
  /// The dialog on `logic` (which must outlive it); the site buttons open `siteDialog`.
  TBaselineDlg(BaselineDialogLogic& logic, SiteDialog siteDialog, QWidget* parent = nullptr);

  const MotionPointEdits& Target() const { return target_; }
  QPushButton* SiteButton(int n) const { return n == 1 ? site1_ : site2_; }
  /// "Obs. &Data" and "&Eph. Data": the record picker `TObsSlctForm`.
  QPushButton* ObservationDataButton() const { return obsData_; }
  QPushButton* EphemerisDataButton() const { return ephData_; }
  QPushButton* OkButton() const { return ok_; }
  QRadioButton* CalendarFormat() const { return calendar_; }
  QRadioButton* JulianFormat() const { return julian_; }

  void accept() override;

 private:
  void EditSite(int n);
  void PickRecord(RecordPicker::Kind kind);

  BaselineDialogLogic& logic_;
  SiteDialog siteDialog_;
  MotionPointEdits target_{};
  QPushButton *site1_, *site2_, *obsData_, *ephData_, *ok_;
  QRadioButton *calendar_, *julian_;
};

}  // namespace skarvel::ui
