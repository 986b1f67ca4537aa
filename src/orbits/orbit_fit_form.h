// The logic of the "Determine Orbit" window: the observations (a file of MPC
// 80-column lines or ADES, or the report window's own lines), the
// observatory code list, the rejection limit and a held e or q as typed, the
// fit with its progress lines, the report text, and the hand-over of the
// result as the current elements or a saved orbit.
//
// Usage:
//   OrbitFitFormLogic logic(ui);
//   logic.codesPath = DefaultObsCodesPath(options.dataDir); logic.observationsPath = path;
//   if (logic.Fit()) { lines = logic.ReportLines(); current = *logic.Elements(); }
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "orbits/orbit_fit.h"
#include "orbits/orbit_fit_report.h"
#include "platform/platform.h"

namespace skarvel {

/// Caption of the window and of its messages.
inline constexpr const char* kOrbitFitCaption = "Determine Orbit";

/// One observation of the report window: its 80-column line(s) and the
/// measurement's uncertainties in arc seconds (RA x cos Dec, Dec); 0 (or a
/// value that is not a positive finite number) when the measurement states
/// none, and the fit then takes 0.5".
struct ReportObservation {
  std::vector<std::string> lines;
  long double sigmaRaArcsec = 0;
  long double sigmaDecArcsec = 0;
};

/// The observatory code list in the data folder `dataDir`: the first of
/// "ObsCodes.html", "ObsCodes.htm", "ObsCodes.txt" that exists, in any
/// letter case (its name as it is on disk), else "ObsCodes.html".
std::string DefaultObsCodesPath(const std::string& dataDir);

class OrbitFitFormLogic {
 public:
  explicit OrbitFitFormLogic(platform::Platform& ui) : ui_(ui) {}

  std::string observationsPath;  ///< empty: the report's observations (SetReportObservations)
  std::string codesPath;         ///< the observatory code list
  std::string rejectSigmaText = "3";
  std::string holdEText;  ///< empty: e is fitted
  std::string holdQText;  ///< empty: q is fitted (AU)
  /// The user's own site record, standing in for its code (and for lines
  /// without a code) whatever the list says.
  std::optional<ObservatoryCode> ownSite;

  /// The report window's observations, each weighted by its measured uncertainty.
  void SetReportObservations(std::vector<ReportObservation> observations) { report_ = std::move(observations); }
  const std::vector<ReportObservation>& ReportObservations() const { return report_; }

  /// "&Browse...": the file dialog "Select Observations File"; true when a file was chosen.
  bool ChooseObservations();
  /// "Br&owse..." of the code list: the file dialog "Select Observatory Code
  /// List"; true when a file was chosen.
  bool ChooseCodes();

  /// "&Fit": reads the code list and the observations, checks the settings
  /// and runs the fit. Problems with the input go to a message box captioned
  /// "Determine Orbit" and leave the previous result; a fit that finds no
  /// orbit shows its messages there. @return true when an orbit was found.
  bool Fit();

  bool HasResult() const { return result_.has_value(); }
  const FitResult* Result() const { return result_ ? &*result_ : nullptr; }
  /// The progress lines of the last fit, and the lines read but skipped.
  const std::vector<std::string>& Progress() const { return progress_; }
  /// The report of the last fit (empty before one).
  std::vector<std::string> ReportLines() const;
  /// The fitted orbit as the current elements, named by the observations' designation.
  std::optional<CurrentElements> Elements() const;
  /// Saves the fitted orbit in the saved-orbits file at `path`.
  bool SaveOrbit(const std::string& path);

 private:
  bool Fail(const std::string& text);

  platform::Platform& ui_;
  std::vector<ReportObservation> report_;
  std::vector<FitObservation> observations_;
  std::optional<FitResult> result_;
  std::vector<std::string> progress_;
  std::string designation_;
};

}  // namespace skarvel
