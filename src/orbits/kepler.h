// Two-body (Keplerian) motion about a central body: the element operations
// that keep an OrbitElements record consistent, Kepler's equation for every
// orbit type, state vectors from elements and back, and the precession of
// ecliptic elements between equinoxes.
//
// Units: km, km/s, rad/s for the mean motion, Julian dates (days) for times,
// radians for angles; GM in km^3/s^2 from kCentralBodyGM by `centralBody`.
//
// Usage for a record read from a database: fill a (or q), e, i, node, peri,
// M (or T) and the epoch, then QFromA (or AFromQ), MeanMotion and TFromM (or
// MFromT); ElementsToState then gives the heliocentric state at any instant.
#pragma once

#include <string>

#include "foundations/vec3.h"
#include "orbits/orbit_elements.h"
#include "platform/platform.h"

namespace skarvel {

/// Orbit types by eccentricity.
enum class OrbitKind : int {
  kCircular = 0,       ///< e = 0 exactly
  kElliptic = 1,       ///< 0 < e < 0.98
  kNearParabolic = 2,  ///< 0.98 <= e <= 1.02
  kHyperbolic = 3,     ///< e > 1.02
};

/// Convergence tolerance of every iteration of Kepler's equation (radians, or
/// the dimensionless terms of the near-parabolic series).
inline constexpr long double kKeplerTolerance = 1e-10L;
/// Corrections allowed to the third-order iteration of the elliptic and
/// hyperbolic equations, and terms and passes of the near-parabolic series.
inline constexpr int kKeplerMaxCorrections = 10;
inline constexpr int kNearParabolicMaxTerms = 50;
inline constexpr int kNearParabolicMaxPasses = 50;

/// The type of an orbit by its eccentricity (a negative or NaN e counts as elliptic).
OrbitKind OrbitType(const OrbitElements& el);

/// a from q: near-parabolic orbits a := q (the mark of "no usable a"), others
/// a := q / (1 - e).
void AFromQ(OrbitElements& el);

/// q from a: q := (1 - e) a, except for a near-parabolic orbit with e >= 1,
/// whose a is the copy of q that AFromQ leaves (q := a).
void QFromA(OrbitElements& el);

/// The mean motion (rad/s): near-parabolic orbits n := sqrt((1 + e) GM / (4 q^3)),
/// others n := sqrt(GM / |a|^3). A central body outside the GM table gives n = 0.
void MeanMotion(OrbitElements& el);

/// T from M: M' := 2 pi frac(M / 2 pi) (sign kept), less 2 pi above pi;
/// T := epoch - M' / (86400 n).
void TFromM(OrbitElements& el);

/// M from T: M := 86400 n (epoch - T) reduced by frac to (-2 pi, 2 pi); an
/// elliptic orbit's negative result gets 2 pi added.
void MFromT(OrbitElements& el);

/// The period in tropical years (31556926.08 s): 2 pi / n / 31556926.08.
long double PeriodYears(const OrbitElements& el);

/// Longitude of perihelion omega + node, less 2 pi while above 2 pi (rad).
long double LongPerihelion(const OrbitElements& el);

/// Mean longitude M + omega + node, less 2 pi while above 2 pi (rad).
long double MeanLongitude(const OrbitElements& el);

/// Sets omega := varpi - node and M := L - varpi, each raised by 2 pi while negative.
void SetFromLongitudes(OrbitElements& el, long double meanLongitude, long double longPerihelion);

/// The ecliptic precession angles (radians) from the equinox jd0 to jd:
/// eta (inclination of the ecliptic of jd on that of jd0), Pi (longitude of
/// its node on the ecliptic of jd0) and p (general precession in longitude),
/// by Lieske et al. (1977) in the form of Meeus, Astronomical Algorithms,
/// eq. 21.5 -- the angles PrecessEcliptic uses for positions.
struct PrecessionAngles {
  long double eta = 0;
  long double bigPi = 0;
  long double p = 0;
};
PrecessionAngles EclipticPrecessionAngles(long double jd0, long double jd);

/// Precesses ecliptic elements from the header's equinox to `jd` (the rigorous
/// method with the precession angles eta, Pi and p of Lieske et al. 1977, in
/// the form of Meeus, Astronomical Algorithms, ch. 24): node, inclination and
/// argument of perihelion change; the header takes `kind` and `jd`. Nothing
/// happens when jd equals the header's equinox.
void PrecessElements(OrbitElements& el, EquinoxKind kind, long double jd);

/// Result of Kepler's equation.
struct KeplerSolution {
  long double trueAnomaly = 0;  ///< rad
  long double cosV = 1;         ///< cos and sin of the true anomaly
  long double sinV = 0;
  bool error = false;        ///< no convergence: no position for this instant
  long double residual = 0;  ///< the last |f| (or series term |U|) when error is set
};

/// Solves Kepler's equation at Julian date t for the true anomaly.
///
/// Circular: v = M. Elliptic: third-order corrections from the start value
/// M + e sin M / (1 - sin(M + e) + sin M) until |E - e sin E - M| <= 1e-10, at
/// most 10 corrections; when they do not converge the equation is solved by
/// bisection on E in [-pi, pi], which always succeeds for 0 <= e < 1.
/// Hyperbolic: third-order corrections from H = ln(2M / e + 1.8), with the
/// same limits and a bisection on H when they fail. Near-parabolic: the
/// Stumpff/Landgraf series in (1 - e) / (1 + e) about Barker's equation
/// s + s^3/3 = W dt, s = tan(v / 2), W = k sqrt((1 + e) / q) / (2 q) (q in AU,
/// k the Gaussian constant); an error when a term exceeds 10000 or the series
/// or the passes run out.
KeplerSolution SolveKepler(const OrbitElements& el, long double t);

/// Where a Kepler failure is reported: nothing when `ui` is null or
/// `expertMode` is on.
struct KeplerErrorReporter {
  platform::Platform* ui = nullptr;
  bool expertMode = false;
};

/// The text of the calculation error box for a body and its last residual.
std::string KeplerErrorText(const OrbitElements& el, long double residual);
/// Caption of that box.
inline constexpr const char* kKeplerErrorCaption = "*** Orbit Calculation Error! ***";

/// Shows the calculation error box (error icon) unless the reporter is silent.
void ReportKeplerError(const KeplerErrorReporter& reporter, const OrbitElements& el, long double residual);

/// A heliocentric state vector.
struct StateVector {
  Vec3 position;  ///< km
  Vec3 velocity;  ///< km/s
  bool error = false;
};

/// The Gaussian orientation vectors of an orbit.
struct OrbitOrientation {
  Vec3 P;  ///< unit vector towards perihelion
  Vec3 Q;  ///< unit vector 90 degrees ahead in the orbit plane
};
OrbitOrientation Orientation(const OrbitElements& el);

/// Position and velocity at Julian date t: v from SolveKepler, p = (1 + e) q,
/// r = p / (1 + e cos v), radial speed sqrt(GM / p) e sin v, transverse speed
/// sqrt(GM p) / r, along P and Q. On a Kepler failure (reported through
/// `reporter` when given) or a central body outside the GM table the result
/// carries error and zero vectors.
StateVector ElementsToState(const OrbitElements& el, long double t, const KeplerErrorReporter* reporter = nullptr);

/// Elements from a state vector at Julian date `epoch` about the template's
/// central body; the result takes the template's header, kind, name,
/// designation, magnitude fields and origin. The conic branch is elliptic for
/// e < 0.9999999, parabolic up to 1.0000001 and hyperbolic beyond; then
/// AFromQ, MeanMotion and MFromT. The mean anomaly of the parabolic and
/// hyperbolic branches is used as it stands (those anomalies do not repeat).
OrbitElements StateToElements(const Vec3& r, const Vec3& v, long double epoch, const OrbitElements& templ);

/// The propagator of one orbit: a copy of the elements, the error flag of the
/// last request, GM and the orientation vectors.
class KeplerPropagator {
 public:
  explicit KeplerPropagator(const OrbitElements& el, KeplerErrorReporter reporter = {});
  virtual ~KeplerPropagator() = default;

  /// The heliocentric state at Julian date t; sets Error().
  virtual StateVector PositionVelocity(long double t);
  /// PositionVelocity without the velocity (left zero); sets Error().
  StateVector PositionAt(long double t);
  /// Moves the epoch to t: M := M + 86400 n (t - epoch) reduced to [0, 2 pi).
  virtual void AdvanceTo(long double t);

  bool Error() const { return error_; }
  const OrbitElements& Elements() const { return el_; }

 private:
  OrbitElements el_;
  bool error_ = false;
  long double gm_ = 0;
  bool gmKnown_ = false;
  OrbitOrientation pq_;
  long double sinEcc_ = 0;  ///< sin e and cos e, for the elliptic start value
  long double cosEcc_ = 1;
  KeplerErrorReporter reporter_;
};

}  // namespace skarvel
