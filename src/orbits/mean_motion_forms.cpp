#include "orbits/mean_motion_forms.h"

#include "astrometry/report_formats.h"
#include "foundations/date_time.h"
#include "orbits/ephemeris_form.h"

namespace skarvel {

// ---- the picker ----

ObservationPicker::ObservationPicker(const AstromObsObj& report) {
  // The exercise form's lines, headed by the designation column.
  ReportText text = BuildExerciseReport(report);
  lines_ = std::move(text.lines);
  headerLines_ = static_cast<std::size_t>(text.headerLines);
  if (lines_.size() > 2 && lines_[2].size() > 57) {
    lines_[2].replace(0, 21, "Object Designation   ");
    lines_[2][57] = 'd';
  }
  for (std::size_t k = 0; k < report.Count() && headerLines_ + k < lines_.size(); ++k) {
    std::string& line = lines_[headerLines_ + k];
    const std::string id = ObservationIdentity(report.Observations()[k]).substr(0, 20);
    line.replace(0, 20, id + std::string(20 - id.size(), ' '));
  }
  lines_.resize(headerLines_ + report.Count());
}

std::optional<std::size_t> ObservationPicker::ObservationAt(int line) const {
  if (line < 0 || static_cast<std::size_t>(line) < headerLines_ || static_cast<std::size_t>(line) >= lines_.size())
    return std::nullopt;
  return static_cast<std::size_t>(line) - headerLines_;
}

void ObservationPicker::Open(platform::Platform& ui) const {
  platform::Tell(ui, "Select 2 observations from list for mean motion calculation.", "Select Observations",
                 platform::Icon::Information);
}

ObservationPicker::Result ObservationPicker::Select(int line, platform::Platform& ui) {
  for (int s : selected_)
    if (s == line) return Result::kGoOn;
  if (!ObservationAt(line)) {
    platform::Tell(ui, "Not An Observation Record!", "Invalid Selection!", platform::Icon::Exclamation);
    return Result::kGoOn;
  }
  if (selected_.size() >= 2) {
    platform::Tell(ui, "Too Many Records Selected!", "Select 2 Records!", platform::Icon::Exclamation);
    return Result::kGoOn;
  }
  selected_.push_back(line);
  if (selected_.size() < 2) return Result::kGoOn;
  switch (platform::Tell(ui, "Have You Selected the Desired Records?", "Selections OK?", platform::Icon::Question,
                         platform::Buttons::YesNoCancel)) {
    case platform::Answer::Yes: return Result::kDone;
    case platform::Answer::No: return Result::kGoOn;
    default: selected_.clear(); return Result::kCancelled;
  }
}

void ObservationPicker::Deselect(int line) { std::erase(selected_, line); }

std::optional<std::pair<std::size_t, std::size_t>> ObservationPicker::Chosen() const {
  if (selected_.size() != 2) return std::nullopt;
  return std::pair{*ObservationAt(selected_[0]), *ObservationAt(selected_[1])};
}

// ---- the baseline dialog ----

BaselineDialogLogic::BaselineDialogLogic(const SiteRecord& currentSite, double now, std::int32_t currentYear,
                                         platform::Platform& ui)
    : ui_(ui), currentYear_(currentYear), site1_(currentSite) {
  site2_.north = true;
  site2_.west = true;
  target = FieldsOf(MotionPoint{static_cast<long double>(now) + kJulianDateOffset, 0, 0});
}

bool BaselineDialogLogic::EditSite(int n, const std::function<bool(SiteRecord&, const std::string&)>& siteDialog) {
  if (!siteDialog) return Confirmed(n);
  SiteRecord edited = Site(n);
  if (!siteDialog(edited, SiteCaption(n))) return Confirmed(n);
  Site(n) = edited;
  const bool confirmed = ConfirmBaselineSite(edited, ui_);
  (n == 1 ? confirmed1_ : confirmed2_) = confirmed;
  return confirmed;
}

bool BaselineDialogLogic::Ok() {
  if (!OkEnabled()) return false;
  const auto jd = ReadStartJD(dateFormat, target.date, target.time, target.julianDate, currentYear_, ui_);
  if (!jd) return false;
  const auto place = ReadPlace(target, ui_);
  if (!place) return false;
  result_ = ComputeBaseline(site1_, site2_, place->raHours, place->decDeg, *jd);
  reportLines_ = BaselineReport(site1_, site2_, place->raHours, place->decDeg, static_cast<double>(*jd - kJulianDateOffset),
                        result_);
  return true;
}

}  // namespace skarvel
