// Orbit determination from measured positions, by two-body motion about the
// Sun (no planetary perturbations): a preliminary orbit by Gauss's method with
// light time, a short-arc solution by systematic ranging for a single night,
// and the differential correction by weighted least squares with outlier
// rejection, the covariance of the elements and the predicted place with its
// sky-plane uncertainty.
//
// The dynamics run in TT; observation times are UTC and are converted with
// UtcToTT (foundations/time_scales.h). Positions are astrometric (light time, no aberration) in
// the mean equator and equinox of J2000, as the observations are. The orbit
// is propagated by the program's own two-body code (ElementsToState) and the
// Earth comes from its solar series (EarthObj), so an ephemeris of the fitted
// elements agrees with the fit.
//
// Usage:
//   FitSettings settings;                       // reject at 3 sigma, six elements
//   FitResult fit = FitOrbit(observations, codes, settings);
//   if (fit.ok) { fit.elements ...; Prediction p = PredictPlace(fit, code, jdTT); }
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "foundations/astro_constants.h"
#include "foundations/vec3.h"
#include "orbits/fit_observations.h"
#include "orbits/orbit_elements.h"

namespace skarvel {

/// Kilometres per AU, as the program's propagation uses it.
inline constexpr long double kFitAuKm = 149597870.66L;
/// Earth equatorial radius in km, the unit of the observatory codes' rho.
inline constexpr long double kFitEarthRadiusKm = 6378.137L;
/// Arc seconds per radian.
inline constexpr long double kFitArcsecPerRadian = 206264.80624709636L;
/// A gap longer than this (days) between two observations starts a new night.
inline constexpr long double kNightGapDays = 0.3L;
/// The shortest single-night arc for a short-arc solution (days): one hour.
inline constexpr long double kShortestArcDays = 1.0L / 24.0L;

/// The messages of the fit.
inline constexpr const char* kFitTooFew = "Too few observations: at least three are needed.";
inline constexpr const char* kFitArcTooShort = "The observations span less than an hour: no orbit can be found.";
inline constexpr const char* kFitSingleNight =
    "Observations from a single night: a short-arc solution by ranging over distance is given.";
inline constexpr const char* kFitNoConvergence = "The differential correction did not converge.";
inline constexpr const char* kFitNoPreliminary = "No preliminary orbit was found for these observations.";
inline constexpr const char* kFitUnknownCode = "Unknown observatory code: ";  ///< followed by the code
inline constexpr const char* kFitTwoBodyNote = "Two-body orbit about the Sun: planetary perturbations are left out.";

/// What the user chooses for a fit.
struct FitSettings {
  long double rejectSigma = 3;  ///< reject observations beyond this many sigma; 0 or less keeps all
  std::optional<long double> fixedE;  ///< hold e at this value (five elements fitted)
  std::optional<long double> fixedQAu;  ///< hold q at this value (AU)
  long double defaultSigmaArcsec = kDefaultPositionSigmaArcsec;
  int maxIterations = 40;
};

/// An observation made ready for the model: TT, unit vector and observer.
struct PreparedObservation {
  std::size_t index = 0;  ///< index into the input list
  long double jdUtc = 0;
  long double jdTT = 0;
  long double raRad = 0;
  long double decRad = 0;
  Vec3 direction;  ///< unit vector, J2000 ecliptic
  Vec3 observer;   ///< heliocentric observer, J2000 ecliptic, km
  long double sigmaRa = 0;   ///< arc seconds (RA x cos Dec)
  long double sigmaDec = 0;  ///< arc seconds
  std::string code;
  ObservatoryCode site;  ///< the code's line (for the observer at other instants)
  bool satellite = false;
  Vec3 satelliteKm;      ///< geocentric J2000 equatorial spacecraft position
};

/// The observer of a prepared observation at another UTC instant (the
/// spacecraft is taken as fixed relative to the Earth over that interval).
Vec3 ObserverAt(const PreparedObservation& o, long double jdUtc);

/// The residual of one observation (observed minus computed), arc seconds.
struct FitResidual {
  std::size_t index = 0;  ///< into the input observations
  long double jdUtc = 0;
  std::string code;
  long double raArcsec = 0;   ///< (O - C) in RA x cos Dec
  long double decArcsec = 0;  ///< (O - C) in Dec
  bool used = true;           ///< false when rejected as an outlier
};

/// The uncertainties (1 sigma) of the elements, in the units of the JSON:
/// AU, degrees.
struct ElementSigmas {
  long double aAu = 0, e = 0, iDeg = 0, nodeDeg = 0, periDeg = 0, mDeg = 0, qAu = 0;
};

/// What the fitted parameters are: the heliocentric state at the epoch
/// (x, y, z in AU, vx, vy, vz in AU/day, J2000 ecliptic), or with e held
/// (q AU, i, node, peri in radians, T as a Julian date) or with q held (e, i,
/// node, peri, T).
enum class FitParameters { kState, kFixedE, kFixedQ };

/// The result of FitOrbit.
struct FitResult {
  bool ok = false;             ///< an orbit was found
  bool converged = false;      ///< the differential correction converged
  bool shortArc = false;       ///< the single-night ranging solution
  std::string method;          ///< "gauss", "ranging" or "correction" (CorrectOrbit)
  OrbitElements elements;      ///< at `epochTT`, J2000 ecliptic, km and radians
  long double epochTT = 0;
  FitParameters kind = FitParameters::kState;
  long double fixedValue = 0;  ///< the held e or q (AU)
  std::vector<long double> params;               ///< the fitted parameters
  std::vector<std::vector<long double>> covariance;  ///< of params, scaled by max(1, chi^2 per degree of freedom)
  ElementSigmas sigmas;
  std::vector<FitResidual> residuals;  ///< one per input observation
  long double rmsArcsec = 0;   ///< rms of the used residuals (both coordinates)
  std::size_t used = 0;
  std::size_t nights = 0;
  int iterations = 0;
  std::vector<std::string> messages;  ///< in the order they arose
  std::vector<std::string> progress;  ///< one line per stage
  /// Ranging only: the accepted orbits (state as kState parameters, then its epoch TT), for the spread.
  std::vector<std::vector<long double>> samples;
  long double spreadAMinAu = 0, spreadAMaxAu = 0, spreadEMin = 0, spreadEMax = 0;
};

/// The elements of a parameter vector at TT epoch (J2000 ecliptic, the Sun).
OrbitElements ElementsOfParameters(FitParameters kind, const std::vector<long double>& p, long double fixedValue,
                                   long double epochTT);

/// The observer's heliocentric position (km, J2000 ecliptic) at UTC jdUtc for
/// an observatory code (the Earth's centre plus the site turned with the
/// apparent sidereal angle), or for a spacecraft at a geocentric J2000
/// equatorial position (km).
Vec3 ObserverPosition(const ObservatoryCode& code, long double jdUtc);
Vec3 SpacecraftObserverPosition(const Vec3& geocentricEquatorialKm, long double jdUtc);

/// Topocentric astrometric place (J2000 equator, radians) of a body with the
/// given elements seen from a heliocentric observer (km) at TT jdTT: the body
/// at jdTT - tau with the light time tau iterated to 1e-9 day.
struct AstrometricPlace {
  long double raRad = 0;
  long double decRad = 0;
  long double distanceAu = 0;
  bool error = false;
};
AstrometricPlace PlaceFromElements(const OrbitElements& el, const Vec3& observerKm, long double jdTT);

/// Prepares the observations: TT, directions, observers and weights. Codes
/// that are not in the list (and spacecraft lines without a position) are
/// named in `messages` and left out.
std::vector<PreparedObservation> PrepareObservations(const std::vector<FitObservation>& obs,
                                                      const ObservatoryCodeList& codes, const FitSettings& settings,
                                                      std::vector<std::string>& messages);

/// Gauss's method on three prepared observations, with the light time
/// iterated: every positive root of the eighth-degree equation that puts the
/// body in front of the observers gives one candidate state (km, km/s) at
/// the epoch of the middle observation less its light time.
struct StateAtEpoch {
  Vec3 position;
  Vec3 velocity;
  long double epochTT = 0;
};
std::vector<StateAtEpoch> GaussCandidates(const PreparedObservation& o1, const PreparedObservation& o2,
                                          const PreparedObservation& o3);

/// Two-body elements (J2000 ecliptic, about the Sun) of a heliocentric state.
OrbitElements ElementsFromState(const Vec3& positionKm, const Vec3& velocityKmS, long double epochTT);

/// The whole fit: a preliminary orbit (Gauss for two or more nights, ranging
/// for one night of an hour or more), the differential correction with the
/// outlier rejection, the covariance and the element uncertainties.
FitResult FitOrbit(const std::vector<FitObservation>& obs, const ObservatoryCodeList& codes,
                   const FitSettings& settings);

/// The differential correction alone (with the outlier rejection), started
/// from given elements moved to the middle of the arc: to improve a known
/// orbit with new observations, or to see where an ideal start leads.
FitResult CorrectOrbit(const std::vector<FitObservation>& obs, const ObservatoryCodeList& codes,
                       const FitSettings& settings, const OrbitElements& start);

/// A predicted place with its sky-plane uncertainty (1 sigma ellipse).
struct Prediction {
  bool ok = false;
  long double jdTT = 0;
  long double raHours = 0;
  long double decDeg = 0;
  long double distanceAu = 0;
  long double sigmaMajorArcsec = 0;  ///< semi-major axis of the 1-sigma ellipse
  long double sigmaMinorArcsec = 0;
  long double positionAngleDeg = 0;  ///< of the major axis, from north through east
};

/// The place at TT jdTT seen from an observer (km), with the linearised
/// covariance of the fit (for a ranging solution: the spread of the accepted
/// orbits' places added to it).
Prediction PredictPlace(const FitResult& fit, const Vec3& observerKm, long double jdTT);

/// The sky-plane 1-sigma ellipse of a place for a parameter covariance: the
/// partial derivatives of (RA cos Dec, Dec) by the parameters, numerically.
Prediction PredictFromParameters(FitParameters kind, const std::vector<long double>& p, long double fixedValue,
                                 long double epochTT, const std::vector<std::vector<long double>>& cov,
                                 const Vec3& observerKm, long double jdTT);

}  // namespace skarvel
