// What the orbit determination hands on: the fitted elements as the current
// elements (for "Orbital Elements" and the ephemeris) or a saved orbit, the
// text report of the fit (elements with their uncertainties, the residual of
// every observation, the rms and the messages), and the ephemeris lines with
// the predicted place's uncertainty.
#pragma once

#include <string>
#include <vector>

#include "orbits/ephemeris.h"
#include "orbits/orbit_fit.h"
#include "platform/platform.h"

namespace skarvel {

/// The fitted elements named by `designation` (name and designation, cut to
/// their capacities), J2000 ecliptic, without a magnitude model (the fit
/// knows no H, so the ephemeris prints no magnitude).
OrbitElements FittedElements(const FitResult& fit, const std::string& designation);

/// The fitted elements as the program's current elements: source "Element
/// Input Dialog", no codes, the fit (with its covariance) carried along.
CurrentElements FittedAsCurrent(const FitResult& fit, const std::string& designation);

/// The predicted place at TT `jdTT` seen from an observatory code's site
/// (the observer at the UTC of that instant), with its 1-sigma ellipse:
/// what orbit-fit --predict prints and the ephemeris lines show.
Prediction PredictAtSite(const FitResult& fit, const ObservatoryCode& site, long double jdTT);

/// Gives every line of an ephemeris table its 1-sigma ellipse for the fit,
/// seen from `site` as the orbit fit takes it (SiteObservatoryCode); a
/// line whose prediction fails keeps none. @return the lines given one.
std::size_t AddFitUncertainty(const FitResult& fit, const SiteRecord& site, RecordList<EphemerisRecord>& table);

/// Saves the fitted elements in the saved-orbits file at `path` (the
/// duplicate question and the file messages of the saved orbits).
bool SaveFittedOrbit(platform::Platform& ui, const std::string& path, const FitResult& fit,
                     const std::string& designation);

/// The report: a heading, the two-body note, the method, the epoch and the
/// elements with their 1-sigma uncertainties, the residuals (number, UTC
/// date, code, RA x cos Dec and Dec in arc seconds, "rejected" for an
/// outlier), the rms and the fit's messages. Lines of at most 80 characters.
std::vector<std::string> OrbitFitReport(const FitResult& fit, const std::vector<FitObservation>& observations);

/// One ephemeris line with its uncertainty: the instant (TT) as a fractional
/// date, RA and Dec as the ephemeris report prints them, Delta, and the
/// 1-sigma ellipse "+-A\" x B\" PA C" in arc seconds and degrees.
std::string PredictionLine(const Prediction& p);

}  // namespace skarvel
