#include "orbits/orbit_search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "astrometry/info_list.h"
#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/byte_io.h"
#include "foundations/extended_float.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"
#include "foundations/sun.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "orbits/orbit_statistics.h"

namespace skarvel {

namespace {

constexpr std::size_t kReportWidth = 80;
constexpr std::size_t kResultWidth = 75;
/// Convergence of the transit iteration: 36 arc seconds (radians).
constexpr long double kTransitTolerance = 0.00017453292519943296L;
/// Passes of the transit iteration before the last value is taken.
constexpr int kTransitMaxPasses = 20;
/// Arc minutes per radian.
constexpr long double kArcMinutesPerRadian = 3437.7467707849392526L;
/// Unix epoch as a Julian date (days).
constexpr long double kUnixEpochJD = 2440587.5L;

std::string Blank() {
  return std::string(kReportWidth, ' ');
}

/// The value of a text field; nothing when it is not a number. Empty counts as 0.
std::optional<long double> FieldValue(const std::string& text) {
  std::string t = text;
  while (!t.empty() && t.front() == ' ') t.erase(0, 1);
  while (!t.empty() && t.back() == ' ') t.pop_back();
  if (t.empty()) return 0.0L;
  return ParseDecimal(t);
}

}  // namespace

void SearchParams::DeriveBox() {
  if (kind == FieldKind::kLimits) {
    long double ra = raMinHours >= raMaxHours ? (raMinHours + raMaxHours + 24) / 2 : (raMinHours + raMaxHours) / 2;
    centerRaHours = WrapInto(ra, 24);
    centerDecDeg = (decMinDeg + decMaxDeg) / 2;
    return;
  }
  const long double hDeg = halfSizeRad * kDegreesPerRadian;
  decMinDeg = centerDecDeg - hDeg;
  decMaxDeg = centerDecDeg + hDeg;
  const long double cosDec = std::cos(centerDecDeg * kRadiansPerDegree);
  const long double raHalf = hDeg / cosDec / 15;
  // A box that reaches a pole, or whose RA half-width is 12 h or more, holds
  // every right ascension: the window becomes the whole circle instead of
  // wrapping onto itself.
  if (decMaxDeg >= 90 || decMinDeg <= -90 || !(raHalf < 12)) {
    decMinDeg = std::max<long double>(decMinDeg, -90);
    decMaxDeg = std::min<long double>(decMaxDeg, 90);
    raMinHours = 0;
    raMaxHours = 24;
    return;
  }
  raMinHours = centerRaHours - raHalf;
  raMaxHours = centerRaHours + raHalf;
}

SearchParams DefaultSearchParams(double nowDateTime) {
  SearchParams p;
  p.instant.SetDateTime(std::floor(nowDateTime) + 1);
  p.DeriveBox();
  return p;
}

std::optional<std::string> ReadFieldInput(const SearchFieldInput& in, SearchParams& params) {
  SearchParams p = params;
  p.kind = in.kind;
  if (in.kind == FieldKind::kLimits) {
    const auto raMin = FieldValue(in.raMin);
    const auto raMax = FieldValue(in.raMax);
    if (!raMin || !raMax || *raMin < 0 || *raMin > 24 || *raMax < 0 || *raMax > 24 ||
        (*raMax <= *raMin && !(*raMin - *raMax > 12)))
      return std::string("Error in Right Ascension Limit");
    const auto decMin = FieldValue(in.decMin);
    const auto decMax = FieldValue(in.decMax);
    if (!decMin || !decMax || *decMin < -90 || *decMin > 90 || *decMax < -90 || *decMax > 90 || !(*decMax > *decMin))
      return std::string("Error in Declination Limit");
    p.raMinHours = *raMin;
    p.raMaxHours = *raMax;
    p.decMinDeg = *decMin;
    p.decMaxDeg = *decMax;
  } else {
    const auto h = FieldValue(in.raHours);
    const auto m = FieldValue(in.raMinutes);
    const auto s = FieldValue(in.raSeconds);
    if (!h || !m || !s) return std::string("Error in Right Ascension Value");
    const long double ra = *h + *m / 60 + *s / 3600;
    if (ra < 0 || ra > 24) return std::string("Error in Right Ascension Value");
    const auto d = FieldValue(in.decDegrees);
    const auto dm = FieldValue(in.decMinutes);
    const auto ds = FieldValue(in.decSeconds);
    if (!d || !dm || !ds) return std::string("Error in Declination Value");
    long double sign = *d < 0 ? -1 : 1;
    if (*d == 0) {
      const std::size_t first = in.decDegrees.find_first_not_of(' ');
      sign = first != std::string::npos && in.decDegrees[first] == '-' ? -1 : 1;
    }
    const long double dec = *d + sign * *dm / 60 + sign * *ds / 3600;
    if (dec < -90 || dec > 90) return std::string("Error in Declination Value");
    const auto size = FieldValue(in.size);
    // The size has no message of its own; a size that is no number counts as a bad centre.
    if (!size || *size < 0) return std::string("Error in Right Ascension Value");
    p.centerRaHours = ra;
    p.centerDecDeg = dec;
    const long double hDeg = in.kind == FieldKind::kArcMinutes ? *size / 120 : *size / 2;
    p.halfSizeRad = hDeg * kRadiansPerDegree;
  }
  p.DeriveBox();
  params = p;
  return std::nullopt;
}

void SetOppositionCentre(SearchParams& params) {
  const long double jd = params.instant.GetJD();
  const SunPlace sun = SunPosition(jd, CoordMode::kTrue);
  SkyCoord anti = sun.coord;
  InitFrame(anti, CoordMode::kTrue, CoordFrame::kEcliptic, EquinoxKind::kOfDate, jd);
  anti.angle1 = 0;
  anti.angle2 = NormalizeRadians(sun.coord.angle2 + kPi);
  const SkyCoord eq = EclipticToEquatorial(anti);
  long double ra = NormalizeRadians(eq.angle1) * 12 / kPi;
  if (ra >= 24) ra -= 24;
  params.centerRaHours = ra;
  params.centerDecDeg = eq.angle2 * kDegreesPerRadian;
  params.halfSizeRad = 2.5L * kRadiansPerDegree;
  params.kind = FieldKind::kDegrees;
  params.opposition = true;
  params.DeriveBox();
}

// ---------------------------------------------------------------------------
// The test of one object

namespace {

/// The J2000 equatorial place of a body at t (Geocentric, PrecessEcliptic to
/// J2000, EclipticToEquatorial); RA raised by 2 pi while negative.
struct J2000Place {
  long double ra = 0, dec = 0, deltaAu = 0;
  bool error = false;
};

J2000Place PlaceAt(MinorBody& body, long double t) {
  J2000Place out;
  GeocentricPlace g = body.Geocentric(t);
  if (g.error || body.Error()) {
    out.error = true;
    return out;
  }
  out.deltaAu = g.deltaAu;
  PrecessEcliptic(g.coord, EquinoxKind::kJulian, kJD_J2000);
  const SkyCoord eq = EclipticToEquatorial(g.coord);
  out.ra = eq.angle1 < 0 ? WrapInto(eq.angle1, kTwoPi) : eq.angle1;
  out.dec = eq.angle2;
  return out;
}

bool InRaWindow(long double ra, long double lo, long double hi) {
  if (lo <= hi) return lo <= ra && ra <= hi;
  return ra >= lo || ra <= hi;
}

/// Everything one object's test needs, shared read-only between threads.
struct Evaluator {
  const PreparedSearch& prepared;
  const SiteRecord& site;

  /// The transit test (see TAstOrbFlSrch::TransitTest).
  bool Transit(const OrbitElements& el, long double ra, const std::shared_ptr<EarthObj>& earth,
               const KeplerErrorReporter& reporter) const {
    MinorBody body(MinorBody::kAstrometric, site, el, earth, reporter);
    const SiteLocation where = SiteLocationOf(site);
    const long double theta0 = LocalSiderealTime(prepared.jd, where.longitudeEast);
    long double tPrime = prepared.jd;
    J2000Place at;
    for (int pass = 0; pass < kTransitMaxPasses; ++pass) {
      long double h = ra * 12 / kPi - theta0;
      if (h < 0) h = WrapInto(h, 24);
      tPrime = prepared.jd + h / 24;
      at = PlaceAt(body, tPrime);
      if (at.error) return false;
      const bool done = std::fabs(ra - at.ra) < kTransitTolerance;
      ra = at.ra;
      if (done) break;
    }
    // The altitude from the place of date: the J2000 place would tilt the
    // horizon by the precession since 2000 (0.14 deg in declination by 2026).
    const GeocentricPlace g = body.Geocentric(tPrime);
    if (g.error || body.Error()) return false;
    return Horizontal(EclipticToEquatorial(g.coord), where, tPrime).altitude >= prepared.minAltitude;
  }

  /// The test of TestObject without its side effects: fills `out` when accepted.
  TestOutcome Evaluate(const OrbitElements& el, const std::shared_ptr<EarthObj>& earth,
                       const KeplerErrorReporter& reporter, SearchResult& out) const {
    MinorBody body(MinorBody::kAstrometric, site, el, earth, reporter);
    GeocentricPlace g = body.Geocentric(prepared.jd);
    if (g.error || body.Error()) return TestOutcome::kFailed;
    const long double mag = body.Magnitude(prepared.jd);
    if (!(prepared.bright <= mag && mag <= prepared.faint)) return TestOutcome::kRejected;
    const long double delta = g.deltaAu;
    if (!(prepared.nearAu <= delta && delta <= prepared.farAu)) return TestOutcome::kRejected;
    PrecessEcliptic(g.coord, EquinoxKind::kJulian, kJD_J2000);
    const SkyCoord eq = EclipticToEquatorial(g.coord);
    const long double ra = eq.angle1 < 0 ? WrapInto(eq.angle1, kTwoPi) : eq.angle1;
    const long double dec = eq.angle2;
    if (!(prepared.decMin <= dec && dec <= prepared.decMax)) return TestOutcome::kRejected;
    if (!InRaWindow(ra, prepared.raMin, prepared.raMax)) return TestOutcome::kRejected;
    if (prepared.minAltitude > 0 && !Transit(el, ra, earth, reporter)) return TestOutcome::kRejected;
    long double dRa = std::fabs(ra - prepared.ra0);
    if (dRa > kPi) dRa = kTwoPi - dRa;
    out.ra = static_cast<double>(ra * 12 / kPi);
    out.dec = static_cast<double>(dec * kDegreesPerRadian);
    out.offsetRA = static_cast<float>(dRa * std::cos(dec));
    out.offsetDec = static_cast<float>(std::fabs(dec - prepared.dec0));
    out.mag = static_cast<float>(mag);
    out.delta = static_cast<float>(delta);
    return TestOutcome::kAccepted;
  }
};

std::int64_t IntegerDesignation(const std::string& d) {
  if (d.empty() || d.size() > 9) return -1;
  std::int64_t v = 0;
  for (char c : d) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

bool ZeroState(const CmoRecord& rec) {
  return rec.position.x == 0 && rec.position.y == 0 && rec.position.z == 0 && rec.velocity.x == 0 &&
         rec.velocity.y == 0 && rec.velocity.z == 0;
}

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

void ShowInvalidState(platform::Platform& ui, const CmoRecord& rec) {
  platform::Tell(ui,
                 "State vector is invalid!\r\nCannot compute osculating elements for \r\n" + TrimRight(rec.name) +
                     " (" + rec.designation + ")" + "\r\n" + "\r\n" +
                     "(Probable error during conversion to .CMO file.)",
                 "Orbit Computation Error", platform::Icon::Error);
}

void ShowCannotCompute(platform::Platform& ui, const CmoRecord& rec) {
  platform::Tell(ui, "Cannot Compute Ephemeris for " + TrimRight(rec.name) + " (" + rec.designation + ")",
                 "Computational Error", platform::Icon::Error);
}

// ---------------------------------------------------------------------------
// The double-precision pre-filter of the fast scan

/// An 80-bit extended float of a converted record as a double.
inline double Ext(const std::uint8_t* p) {
#if defined(__x86_64__) || defined(__i386__)
  long double x = 0;
  std::memcpy(&x, p, 10);
  return static_cast<double>(x);
#else
  ExtendedBytes b;
  std::memcpy(b.data(), p, 10);
  return static_cast<double>(DecodeExtended(b));
#endif
}

/// The limits of the pre-filter in double precision.
struct PreLimits {
  double jd = 0;
  double earth[3] = {0, 0, 0};  ///< the Earth at the instant (km, J2000 ecliptic)
  double earthAu = 1;
  double cosEps = 1, sinEps = 0;  ///< mean obliquity of J2000
  double decMin = 0, decMax = 0;
  double sinDecMin = -1, sinDecMax = 1;  ///< sines of the Dec limits
  double raLo = 0, raLength = 0;         ///< the RA window as an arc from raLo of raLength (rad)
  double bright = 0, faint = 0, nearAu = 0, farAu = 0;
};

/// Safety margins of the pre-filter. The full test places the body at t - tau
/// (light time) where the pre-filter takes it at t: the body moves at most
/// v_max tau, tau <= 499.005 s per AU of distance (+ the 1e-5 d tolerance of
/// the light-time loop), so the direction differs by at most about
/// v_max x 3.34e-6 rad per km/s; three times that is the angular margin.
constexpr double kPiD = 3.14159265358979323846;
constexpr double kLightSecondsPerKm = 499.004784 / 149597870.66;
constexpr double kAngleMarginFactor = 3.0;
constexpr double kAngleMarginFloor = 1e-9;   ///< rad, double rounding
constexpr double kMagnitudeMargin = 0.5;     ///< mag: the light-time r and the phase angle
constexpr double kDistanceMarginRel = 1e-9;  ///< the geometric distance is the same in both
constexpr double kPreFilterMaxE = 0.97;      ///< beyond: full test only (near-parabolic branch)
constexpr double kPhaseCosLimit = -0.99;     ///< phase angles above ~172 deg: no magnitude rejection

/// x reduced by whole turns to about [-pi, pi]: x - 2 pi round(x / 2 pi), as
/// std::remainder(x, 2 pi) gives it but without its exact (slow) division;
/// the difference, a few units of the last place of x, is far below the
/// pre-filter's margins. Values beyond 1e15 rad go to std::remainder.
inline double ReduceTurns(double x) {
  constexpr double kTwoPiD = 2 * 3.14159265358979323846;
  constexpr double kTurnsPerRadian = 1 / kTwoPiD;
  if (!(std::fabs(x) < 1e15)) return std::remainder(x, kTwoPiD);
  const double turns = x * kTurnsPerRadian;
  const auto whole = static_cast<std::int64_t>(turns < 0 ? turns - 0.5 : turns + 0.5);
  return x - kTwoPiD * static_cast<double>(whole);
}

/// True when the object may pass the full test (false only when it certainly
/// fails it). `p` is the 162-byte record.
bool MayPass(const std::uint8_t* p, const PreLimits& L) {
  // Frame, central body: only the standard database records are pre-filtered
  // (mode byte 2, or 0 in files of earlier versions).
  if (p[121] != 0 || (p[143] != 0 && p[143] != 2) || p[144] != 0 || p[145] != 1 || Ext(p + 146) != 2451545.0) return true;
  const double epoch = Ext(p + 51);
  const double r0[3] = {Ext(p + 61), Ext(p + 71), Ext(p + 81)};
  const double v0[3] = {Ext(p + 91), Ext(p + 101), Ext(p + 111)};
  const double gm = static_cast<double>(kCentralBodyGM[0]);
  const double r = std::sqrt(r0[0] * r0[0] + r0[1] * r0[1] + r0[2] * r0[2]);
  const double v2 = v0[0] * v0[0] + v0[1] * v0[1] + v0[2] * v0[2];
  const double rv = r0[0] * v0[0] + r0[1] * v0[1] + r0[2] * v0[2];
  const double invA = 2 / r - v2 / gm;
  if (!(invA > 0) || !std::isfinite(invA) || !std::isfinite(epoch)) return true;
  const double a = 1 / invA;
  const double eCosE0 = 1 - r / a;
  const double eSinE0 = rv / std::sqrt(gm * a);
  const double e = std::sqrt(eCosE0 * eCosE0 + eSinE0 * eSinE0);  // both below about 1e3: no overflow
  if (!(e < kPreFilterMaxE)) return true;
  const double n = std::sqrt(gm * invA * invA * invA);
  // Kepler's equation E - e sin E = M at the instant, from the start value
  // M + e sin M / (1 - sin(M + e) + sin M), by Newton's method (e < 0.97:
  // quadratic convergence from that start in two to four steps).
  const double e0 = std::atan2(eSinE0, eCosE0);
  const double m0 = e0 - eSinE0;
  const double dM = ReduceTurns(n * (L.jd - epoch) * 86400.0);
  const double m = ReduceTurns(m0 + dM);
  double sm, cm;
  ::sincos(m, &sm, &cm);
  double x = m + e * sm / (1 - std::sin(m + e) + sm);
  bool converged = false;
  for (int k = 0; k < 40; ++k) {
    double s, c;
    ::sincos(x, &s, &c);
    const double step = (x - e * s - m) / (1 - e * c);
    x -= step;
    // Newton's error after a step s is at most e s^2 / (2 (1 - e)) < 17 s^2
    // (e < 0.97): after a step below 1e-9 it is below 2e-17, the rounding of x.
    if (std::fabs(step) < 1e-9) {
      converged = true;
      break;
    }
  }
  if (!converged || !std::isfinite(x)) return true;
  // The change of the eccentric anomaly that belongs to dM (|dE - dM| <= 2e < pi).
  const double dE = dM + ReduceTurns((x - e0) - dM);
  double sdE, cdE;
  ::sincos(dE, &sdE, &cdE);
  const double fF = 1 - a / r * (1 - cdE);
  const double gF = (dM - (dE - sdE)) / n;
  double g[3];
  double X[3];
  for (int k = 0; k < 3; ++k) {
    X[k] = fF * r0[k] + gF * v0[k];
    g[k] = X[k] - L.earth[k];
  }
  const double au = static_cast<double>(kAstronomicalUnitKm);
  const double deltaKm = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
  const double delta = deltaKm / au;
  const double dTol = kDistanceMarginRel * (1 + delta);
  if (delta < L.nearAu - dTol || delta > L.farAu + dTol) return false;
  // The J2000 box with the light-time margin: the declination through its
  // sine (sin is 1-Lipschitz, so sin(dec) beyond sin(limit) -+ margin puts dec
  // beyond limit -+ margin), the right ascension only for what is left.
  const double q = a * (1 - e);
  const double vMax = std::sqrt(gm * (1 + e) / q);
  const double margin = kAngleMarginFactor * vMax * kLightSecondsPerKm + kAngleMarginFloor + 1e-12 / delta;
  const double y = g[1] * L.cosEps - g[2] * L.sinEps;
  const double z = g[1] * L.sinEps + g[2] * L.cosEps;
  const double sinDec = z / deltaKm;
  if (sinDec < L.sinDecMin - margin || sinDec > L.sinDecMax + margin) return false;
  const double dec = std::asin(std::clamp(sinDec, -1.0, 1.0));
  if (dec < L.decMin - margin || dec > L.decMax + margin) return false;
  if (L.raLength < 2 * 3.14159265358979323846) {
    const double cosDec = std::cos(dec);
    const double sinMargin = std::sin(margin);
    if (sinMargin < cosDec) {
      const double raMargin = std::asin(sinMargin / cosDec) * 1.0001 + 1e-12;
      if (L.raLength + 2 * raMargin < 2 * 3.14159265358979323846) {
        const double ra = std::atan2(y, g[0]);
        const double from = ReduceTurns(ra - (L.raLo - raMargin));
        const double along = from < 0 ? from + 2 * 3.14159265358979323846 : from;
        if (along > L.raLength + 2 * raMargin) return false;
      }
    }
  }
  // Magnitude.
  const double rAu = std::sqrt(X[0] * X[0] + X[1] * X[1] + X[2] * X[2]) / au;
  const std::uint8_t model = p[122];
  double mag = 100;
  bool magKnown = true;
  if (model == kMagModelAsteroid) {
    const double h = Ext(p + 123);
    const double gSlope = Ext(p + 133);
    const double cosPhase = (rAu * rAu + delta * delta - L.earthAu * L.earthAu) / (2 * rAu * delta);
    const double c = std::clamp(cosPhase, -1.0, 1.0);
    const double tau = std::sqrt((1 - c) / (1 + c));
    const double phi1 = std::exp(-3.33 * std::pow(tau, 0.63));
    const double phi2 = std::exp(-1.87 * std::pow(tau, 1.22));
    const double blend = (1 - gSlope) * phi1 + gSlope * phi2;
    magKnown = cosPhase > kPhaseCosLimit && blend > 0.05;
    mag = h + 5 * std::log10(rAu * delta) - 2.5 * std::log10(blend);
  } else if (model == kMagModelComet) {
    mag = Ext(p + 123) + 5 * std::log10(delta) + 2.5 * Ext(p + 133) * std::log10(rAu);
  }
  return !(magKnown && std::isfinite(mag) && (mag < L.bright - kMagnitudeMargin || mag > L.faint + kMagnitudeMargin));
}

/// One event of a scan, replayed in record order on the caller's thread.
struct ScanEvent {
  enum Kind : std::uint8_t { kInvalidState, kFailed, kAccepted } kind = kAccepted;
  std::int32_t recordNumber = 0;
  CmoRecord record;
  SearchResult result;
};

struct ChunkOutput {
  std::vector<ScanEvent> events;
  std::int64_t highest = 0;
  std::int64_t candidates = 0;
  long double newestEpoch = 0;  ///< Julian date, 0 when no record holds one
  bool ioError = false;
};

constexpr std::size_t kBlockRecords = 6472;
constexpr std::size_t kCmoEpochOffset = 51;  ///< byte of a converted record's epoch (extended float)
  ///< about 1 MB per read

void ScanChunk(int fd, std::int64_t first, std::int64_t last, const PreLimits& limits, const Evaluator& eval,
               std::atomic<std::int64_t>& progress, ChunkOutput& out) {
  std::vector<std::uint8_t> buffer(kBlockRecords * kCmoRecordBytes);
  auto earth = std::make_shared<EarthObj>();
  const KeplerErrorReporter silent{};
  ExtendedBytes lastEpoch{};  // the epoch repeats from record to record: decoded only when it changes
  for (std::int64_t at = first; at < last;) {
    const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(kBlockRecords), last - at);
    const auto bytes = static_cast<std::size_t>(count) * kCmoRecordBytes;
    std::size_t got = 0;
    while (got < bytes) {
      const ssize_t n =
          ::pread(fd, buffer.data() + got, bytes - got,
                  static_cast<off_t>(at * static_cast<std::int64_t>(kCmoRecordBytes)) + static_cast<off_t>(got));
      if (n <= 0) {
        out.ioError = true;
        return;
      }
      got += static_cast<std::size_t>(n);
    }
    for (std::int64_t k = 0; k < count; ++k) {
      const std::uint8_t* p = buffer.data() + static_cast<std::size_t>(k) * kCmoRecordBytes;
      const auto recordNumber = static_cast<std::int32_t>(at + k + 1);
      if (std::memcmp(p + kCmoEpochOffset, lastEpoch.data(), lastEpoch.size()) != 0) {
        std::memcpy(lastEpoch.data(), p + kCmoEpochOffset, lastEpoch.size());
        out.newestEpoch = NewerEpoch(out.newestEpoch, DecodeExtended(lastEpoch));
      }
      // The highest integer designation.
      const std::size_t len = std::min<std::size_t>(p[42], kOrbitDesignationChars);
      if (len > 0) {
        std::int64_t v = 0;
        bool digits = true;
        for (std::size_t c = 0; c < len; ++c) {
          const std::uint8_t ch = p[43 + c];
          if (ch < '0' || ch > '9') {
            digits = false;
            break;
          }
          v = v * 10 + (ch - '0');
        }
        if (digits && v > out.highest) out.highest = v;
      }
      // A zero state vector (every extended float 0 or -0) goes to the full path for its message.
      bool zero = true;
      for (std::size_t b = 61; b < 121 && zero; ++b) zero = p[b] == 0 || ((b - 61) % 10 == 9 && p[b] == 0x80);
      if (!zero && !MayPass(p, limits)) continue;
      ByteReader reader(p, kCmoRecordBytes);
      ScanEvent ev;
      ev.recordNumber = recordNumber;
      ev.record = ReadCmoRecord(reader);
      if (ZeroState(ev.record)) {
        ev.kind = ScanEvent::kInvalidState;
        out.events.push_back(std::move(ev));
        continue;
      }
      ++out.candidates;
      OrbitElements el = CmoToElements(ev.record);
      const TestOutcome outcome = eval.Evaluate(el, earth, silent, ev.result);
      if (outcome == TestOutcome::kRejected) continue;
      ev.kind = outcome == TestOutcome::kFailed ? ScanEvent::kFailed : ScanEvent::kAccepted;
      out.events.push_back(std::move(ev));
    }
    at += count;
    progress.fetch_add(count, std::memory_order_relaxed);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TAstOrbFlSrch

TAstOrbFlSrch::TAstOrbFlSrch(SearchContext context)
    : context_(std::move(context)), params_(DefaultSearchParams(CurrentDateTimeValue())) {}

void TAstOrbFlSrch::Prepare() {
  PreparedSearch& p = prepared_;
  p.jd = params_.instant.GetJD();
  p.ra0 = params_.centerRaHours * kPi / 12;
  p.dec0 = params_.centerDecDeg * kRadiansPerDegree;
  if (params_.raMaxHours - params_.raMinHours >= 24) {
    // The whole circle (limits 0 to 24 h, or a box around a pole).
    p.raMin = 0;
    p.raMax = kTwoPi;
  } else {
    p.raMin = params_.raMinHours * kPi / 12;
    p.raMax = params_.raMaxHours * kPi / 12;
    if (p.raMin < 0) p.raMin += kTwoPi;
    if (p.raMax > kTwoPi) p.raMax -= kTwoPi;
  }
  p.decMin = params_.decMinDeg * kRadiansPerDegree;
  p.decMax = params_.decMaxDeg * kRadiansPerDegree;
  p.bright = params_.brightMag;
  p.faint = params_.faintMag;
  p.nearAu = params_.nearAu;
  p.farAu = params_.farAu;
  p.minAltitude = params_.minAltitudeDeg * kRadiansPerDegree;
  results_.Clear();
}

TestOutcome TAstOrbFlSrch::TestObject(const OrbitElements& el, const CmoRecord& rec, std::int32_t recordNumber,
                                      const std::shared_ptr<EarthObj>& earth) {
  const Evaluator eval{prepared_, context_.site};
  SearchResult result;
  const TestOutcome outcome = eval.Evaluate(el, earth, KeplerErrorReporter{&context_.ui, context_.expertMode}, result);
  if (outcome != TestOutcome::kAccepted) return outcome;
  result.objectKind = rec.objectKind;
  result.name = rec.name;
  result.designation = rec.designation;
  result.recordNumber = recordNumber;
  result.codes = rec.codes;
  results_.Append(result);
  ++counts_.found;
  return outcome;
}

bool TAstOrbFlSrch::TransitTest(const OrbitElements& el, long double raRad, const std::shared_ptr<EarthObj>& earth) {
  const Evaluator eval{prepared_, context_.site};
  return eval.Transit(el, raRad, earth, KeplerErrorReporter{&context_.ui, context_.expertMode});
}

std::optional<double> FileDateTimeValue(const std::string& path) {
  struct stat st {};
  if (::stat(fs::Resolve(path).c_str(), &st) != 0) return std::nullopt;
  const long double seconds =
      static_cast<long double>(st.st_mtim.tv_sec) + static_cast<long double>(st.st_mtim.tv_nsec) * 1e-9L;
  return static_cast<double>(seconds / kSecondsPerDay + kUnixEpochJD - kJulianDateOffset);
}

DatabaseMissingMessage MissingDatabaseMessage(ElementSource source) {
  switch (source) {
    case ElementSource::kMpc:
      return {
          "The MPC Orbit Database (MPCORB) cannot be located!\r\n\r\nSee Help topics under \"Database "
          "Features\" for assistance.",
          "No MPC Orbit Database!"};
    case ElementSource::kTarne:
      return {
          "The TARNE Orbit Database cannot be located!\r\n\r\nSee TARNE documentation and Help topics for "
          "assistance.",
          "No TARNE Orbit Database!"};
    default:
      return {
          "The Lowell Orbit Database (ASTORB) cannot be located!\r\n\r\nSee Help topics under \"Database "
          "Features\" for assistance.",
          "No Lowell Orbit Database!"};
  }
}

std::string SearchProgressTitle(ElementSource source, const std::string& fileName, double fileDateTime) {
  const std::string when = PrintDateTimeText(fileDateTime);
  if (source == ElementSource::kTarne) {
    std::string upper = fileName;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.find("MARLO_AST") != std::string::npos)
      return "TARNE data extracted from Lowell Asteriod Database of " + when;
    if (upper.find("MARLO_MPC") != std::string::npos)
      return "TARNE data extracted from MPC Asteroid Database of " + when;
    return "TARNE Orbit File of " + when;
  }
  if (source == ElementSource::kMpc) return "MPC Asteroid Database of " + when;
  return "Lowell Asteroid Database of " + when;
}

bool TAstOrbFlSrch::Search(const std::string& convertedPath, bool usable, ElementSource source, double databaseDateTime,
                           ScanStrategy strategy) {
  if (!usable || !fs::FileExists(convertedPath)) {
    const DatabaseMissingMessage m = MissingDatabaseMessage(source);
    platform::Tell(context_.ui, m.text, m.caption, platform::Icon::Error);
    return false;
  }
  if (!SearchFile(convertedPath, source, databaseDateTime, strategy)) {
    const DatabaseMissingMessage m = MissingDatabaseMessage(source);
    platform::Tell(context_.ui, m.text, m.caption, platform::Icon::Error);
    return false;
  }
  return true;
}

bool TAstOrbFlSrch::SearchFile(const std::string& path, ElementSource source, double databaseDateTime,
                               ScanStrategy strategy) {
  const std::string resolved = fs::Resolve(path);
  struct stat st {};
  if (::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  searchedSource_ = source;
  searchedDateTime_ = databaseDateTime;
  searchedFile_ = path;
  const double fileTime = FileDateTimeValue(path).value_or(0);
  // The window is captioned with the database and its date; its lines count the records.
  auto progress =
      context_.ui.OpenProgress(SearchProgressTitle(source, fs::FileNameOf(path), fileTime),
                               "File: " + fs::FileNameOf(path) + "\nOrbits Analyzed: 0\nObjects Found: 0", 100, false);
  Prepare();
  counts_ = ScanCounts{};
  newestEpoch_ = 0;
  const bool ok = Scan(path, strategy, progress.get());
  progress.reset();
  if (!ok) return false;
  // The database is dated by its newest epoch of osculation, which the MPC and
  // Lowell files carry in every record; the file's own time is only the time
  // it was copied. A file without epochs keeps the date it was given.
  searchedDateTime_ = DatabaseDateTime(newestEpoch_, searchedDateTime_);
  platform::Tell(context_.ui,
                 std::to_string(counts_.read) + " Orbits Analyzed." + "\r\n\r\n" + std::to_string(counts_.found) +
                     " Objects Meet Search Criteria.",
                 "Search Completed!", platform::Icon::Information);
  hasResults_ = !results_.IsEmpty();
  order_ = SearchSortOrder::kDatabaseEntry;
  return true;
}

bool TAstOrbFlSrch::Scan(const std::string& path, ScanStrategy strategy, platform::ProgressWindow* progress) {
  const std::string resolved = fs::Resolve(path);
  const std::string fileLine = "File: " + fs::FileNameOf(path);
  const auto note = [&](std::int64_t read, std::int64_t total) {
    if (progress == nullptr) return;
    progress->SetText(fileLine + "\nOrbits Analyzed: " + std::to_string(read) +
                      "\nObjects Found: " + std::to_string(counts_.found));
    progress->SetPosition(total > 0 ? 100 * read / total : 100);
  };
  if (strategy == ScanStrategy::kStraightforward) {
    std::unique_ptr<CmoFileReader> reader;
    try {
      reader = std::make_unique<CmoFileReader>(path);
    } catch (const IOFailure&) {
      return false;
    }
    const std::int64_t total = reader->RecordCount();
    const std::int64_t every = std::max<std::int64_t>(1, std::llround(static_cast<double>(total) / 100.0));
    auto earth = std::make_shared<EarthObj>();
    CmoRecord rec;
    while (reader->Next(rec)) {
      ++counts_.read;
      newestEpoch_ = NewerEpoch(newestEpoch_, rec.epoch);
      const auto recordNumber = static_cast<std::int32_t>(counts_.read);
      if (counts_.read % every == 0) note(counts_.read, total);
      if (ZeroState(rec)) {
        ShowInvalidState(context_.ui, rec);
        continue;
      }
      const OrbitElements el = CmoToElements(rec);
      const std::int64_t number = IntegerDesignation(rec.designation);
      if (number > counts_.highestNumber) counts_.highestNumber = number;
      ++counts_.candidates;
      if (TestObject(el, rec, recordNumber, earth) == TestOutcome::kFailed && !context_.expertMode)
        ShowCannotCompute(context_.ui, rec);
    }
    note(counts_.read, total);
    return true;
  }

  const int fd = ::open(resolved.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  ::fstat(fd, &st);
  const std::int64_t total = static_cast<std::int64_t>(st.st_size) / static_cast<std::int64_t>(kCmoRecordBytes);
  PreLimits limits;
  limits.jd = static_cast<double>(prepared_.jd);
  {
    EarthObj earth;
    const Vec3 e = earth.Rectangular(prepared_.jd);
    limits.earth[0] = static_cast<double>(e.x);
    limits.earth[1] = static_cast<double>(e.y);
    limits.earth[2] = static_cast<double>(e.z);
    limits.earthAu = static_cast<double>(VecNorm(e) / kAstronomicalUnitKm);
  }
  const long double eps = MeanObliquity(kJD_J2000);
  limits.cosEps = static_cast<double>(std::cos(eps));
  limits.sinEps = static_cast<double>(std::sin(eps));
  limits.decMin = static_cast<double>(prepared_.decMin);
  limits.decMax = static_cast<double>(prepared_.decMax);
  limits.sinDecMin = std::sin(std::clamp(limits.decMin, -kPiD / 2, kPiD / 2));
  limits.sinDecMax = std::sin(std::clamp(limits.decMax, -kPiD / 2, kPiD / 2));
  limits.raLo = static_cast<double>(prepared_.raMin);
  const long double length = prepared_.raMin <= prepared_.raMax ? prepared_.raMax - prepared_.raMin
                                                                : prepared_.raMax - prepared_.raMin + kTwoPi;
  limits.raLength = static_cast<double>(length);
  limits.bright = static_cast<double>(prepared_.bright);
  limits.faint = static_cast<double>(prepared_.faint);
  limits.nearAu = static_cast<double>(prepared_.nearAu);
  limits.farAu = static_cast<double>(prepared_.farAu);

  const Evaluator eval{prepared_, context_.site};
  const unsigned cores = std::max(1U, std::min(8U, std::thread::hardware_concurrency()));
  const int threads = total < 20000 ? 1 : static_cast<int>(cores);
  std::vector<ChunkOutput> outputs(static_cast<std::size_t>(threads));
  std::atomic<std::int64_t> done{0};
  {
    std::vector<std::thread> workers;
    for (int k = 0; k < threads; ++k) {
      const std::int64_t first = total * k / threads;
      const std::int64_t last = total * (k + 1) / threads;
      ChunkOutput& out = outputs[static_cast<std::size_t>(k)];
      if (threads == 1) {
        ScanChunk(fd, first, last, limits, eval, done, out);
      } else {
        workers.emplace_back([&, first, last] { ScanChunk(fd, first, last, limits, eval, done, out); });
      }
    }
    while (!workers.empty()) {
      bool finished = done.load() >= total;
      if (!finished) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        note(done.load(), total);
        finished = done.load() >= total;
      }
      if (finished) break;
      bool failed = false;
      for (const ChunkOutput& o : outputs) failed = failed || o.ioError;
      if (failed) break;
    }
    for (std::thread& w : workers) w.join();
  }
  ::close(fd);
  for (const ChunkOutput& o : outputs)
    if (o.ioError) return false;
  counts_.read = total;
  for (const ChunkOutput& o : outputs) newestEpoch_ = NewerEpoch(newestEpoch_, o.newestEpoch);
  // The events in record order: messages and results as the straightforward scan gives them.
  for (ChunkOutput& o : outputs) {
    counts_.highestNumber = std::max(counts_.highestNumber, o.highest);
    counts_.candidates += o.candidates;
    for (ScanEvent& ev : o.events) {
      switch (ev.kind) {
        case ScanEvent::kInvalidState: ShowInvalidState(context_.ui, ev.record); break;
        case ScanEvent::kFailed: {
          // Once more on this thread, so that the calculation error box is shown.
          const OrbitElements el = CmoToElements(ev.record);
          SearchResult unused;
          eval.Evaluate(el, nullptr, KeplerErrorReporter{&context_.ui, context_.expertMode}, unused);
          if (!context_.expertMode) ShowCannotCompute(context_.ui, ev.record);
          break;
        }
        case ScanEvent::kAccepted:
          ev.result.objectKind = ev.record.objectKind;
          ev.result.name = ev.record.name;
          ev.result.designation = ev.record.designation;
          ev.result.recordNumber = ev.recordNumber;
          ev.result.codes = ev.record.codes;
          results_.Append(ev.result);
          ++counts_.found;
          break;
      }
    }
  }
  // The last count shows the objects found, as the straightforward scan's does.
  note(total, total);
  return true;
}

// ---------------------------------------------------------------------------
// Report, sorting, loading

namespace {

std::string OrderName(SearchSortOrder order) {
  switch (order) {
    case SearchSortOrder::kDatabaseEntry: return "Database Entry";
    case SearchSortOrder::kPositionOffset: return "Position Offset";
    case SearchSortOrder::kMagnitude: return "Apparent Magnitude";
    case SearchSortOrder::kDistance: return "Distance (AU)";
    case SearchSortOrder::kRightAscension: return "Right Ascension";
    case SearchSortOrder::kQ: return "Perihelion Distance (q)";
    case SearchSortOrder::kE: return "Eccentricity (e)";
  }
  return "";
}

std::string NoteField(std::uint8_t v) {
  return v == 0 ? std::string("   ") : PadLeft(std::to_string(v), 3);
}

/// The source a TARNE file counts as in the report.
ElementSource ReportedSource(ElementSource source, const std::string& fileName) {
  if (source != ElementSource::kTarne) return source;
  std::string upper = fileName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.find("MARLO_AST") != std::string::npos) return ElementSource::kLowell;
  if (upper.find("MARLO_MPC") != std::string::npos) return ElementSource::kMpc;
  return source;
}

std::string Legend(std::size_t value, std::string_view text) {
  return PadLeft(std::to_string(value), 9) + ": " + std::string(text);
}

}  // namespace

std::vector<std::string> TAstOrbFlSrch::ResultReport() {
  std::vector<std::string> lines;
  const ElementSource shown = ReportedSource(searchedSource_, fs::FileNameOf(searchedFile_));
  std::string searched = "Searched: " + std::string(ElementSourceName(shown));
  if (shown == ElementSource::kLowell || shown == ElementSource::kMpc)
    searched += " Dated " + PrintDateTimeText(searchedDateTime_);
  lines.push_back(Blank());
  lines.push_back(searched);
  lines.push_back(std::to_string(counts_.read) + " orbits analyzed.  Highest numbered asteroid is (" +
                  std::to_string(counts_.highestNumber) + ").");
  lines.push_back(Blank());
  lines.emplace_back("Search Parameters:");
  const DateTimeObj& t = params_.instant;
  const TimeOfDayObj time = DecodeTimeOfDay(t.civil);
  char dateText[64];
  std::snprintf(dateText, sizeof dateText, "%d/%02d/%02d %02d:%02d:%02d", static_cast<int>(t.year), t.month, t.day,
                time.hour, time.minute, static_cast<int>(std::floor(time.seconds)));
  lines.push_back("    Date/Time: " + std::string(dateText) + "(TDT)" + "  Julian: " + FormatFixed(5, t.GetJD()));
  if (params_.kind != FieldKind::kLimits) {
    lines.push_back("    Field Center: " + FormatRA(params_.centerRaHours, 2, true) + "  " +
                    FormatDec(params_.centerDecDeg, 1, true));
    const long double hDeg = params_.halfSizeRad * kDegreesPerRadian;
    lines.push_back("    Field Size: " + (params_.kind == FieldKind::kArcMinutes
                                              ? FormatFixed(1, 2 * hDeg * 60) + " Arc Minutes"
                                              : FormatFixed(1, 2 * hDeg) + " Degrees"));
  } else {
    lines.push_back("    Right Ascension Range: " + FormatRA(params_.raMinHours, 2, true) + " to " +
                    FormatRA(params_.raMaxHours, 2, true));
    lines.push_back("    Declination Range: " + FormatDec(params_.decMinDeg, 1, true) + " to " +
                    FormatDec(params_.decMaxDeg, 1, true));
  }
  lines.push_back("    Magnitude Range: " + FormatFixed(1, params_.brightMag) + " to " +
                  FormatFixed(1, params_.faintMag));
  lines.push_back("    Distance Range: " + FormatFixed(1, params_.nearAu) + " to " + FormatFixed(1, params_.farAu) +
                  " AU");
  if (params_.minAltitudeDeg > 0) {
    lines.push_back("    Minimum Altitude at Upper Culmination for Station: " + FormatFixed(1, params_.minAltitudeDeg) +
                    " Deg");
    lines.push_back(Blank());
    lines.emplace_back("Station Parameters:");
    for (const std::string& s : SiteLines(context_.site)) lines.push_back("    " + s);
  }
  lines.push_back(Blank());
  lines.push_back("    Objects Found in Field: " + std::to_string(counts_.found));
  lines.push_back(Blank());
  lines.push_back("    Order of List: " + OrderName(order_));
  lines.push_back(Blank());
  lines.emplace_back("Double-Click Entry to Load Orbit, Read Notes.");
  lines.push_back(Blank());
  lines.emplace_back("                         Right Ascn.  Declination  App.  Offset  Distance  Notes(*)");
  std::string units = "Object Name              Hr Mn Sec     d  '  \"     Mag   ArcMin    (AU)    (1) (2) (3) (4)";
  units.replace(39, 1, kDegreeSign);
  lines.push_back(units);
  firstResultLine_ = lines.size();
  const bool mpc = shown == ElementSource::kMpc;
  for (std::int32_t k = 0; k <= results_.LastIndex(); ++k) {
    const SearchResult& r = *results_.GetAt(k);
    std::string line(kResultWidth, ' ');
    std::string id;
    if (r.objectKind == 1)
      id = r.designation;
    else if (r.designation.empty())
      id = r.name;
    else
      id = "(" + r.designation + ") " + r.name;
    PutAt(line, 1, id.substr(0, 24));
    PutAt(line, 25, FormatRA(r.ra, 2, false));
    PutAt(line, 38, FormatDec(r.dec, 1, false));
    if (r.mag != 0) PutAt(line, 51, PadWith(FormatFixed(1, r.mag), 4, '0'));
    const long double offset = std::sqrt(static_cast<long double>(r.offsetRA) * r.offsetRA +
                                         static_cast<long double>(r.offsetDec) * r.offsetDec);
    PutAt(line, 57, PadLeft(FormatFixed(2, offset * kArcMinutesPerRadian), 6));
    PutAt(line, 65, (r.delta < 10 ? " " : "") + FormatFixed(5, r.delta));
    line.resize(kResultWidth, ' ');
    const std::array<std::size_t, 4> codes =
        mpc ? std::array<std::size_t, 4>{4, 1, 2, 5} : std::array<std::size_t, 4>{0, 1, 3, 5};
    for (std::size_t c = 0; c < codes.size(); ++c) {
      if (c > 0) line += "|";
      line += NoteField(r.codes[codes[c]]);
    }
    lines.push_back(line);
  }
  results_.Reset();
  lines.push_back(Blank());
  lines.emplace_back("*Notes:");
  lines.push_back(Blank());
  if (!mpc) {
    lines.emplace_back("   (1)  Planet-Crossing Asteroids");
    lines.emplace_back("        1: Aten Group Asteriod (a < 1.0 AU).");
    lines.emplace_back("        2: Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).");
    lines.emplace_back("        4: Amor Group Asteroid (a > 1.0167 AU; 1.0167 < q < 1.3).");
    lines.emplace_back("        8: Crosses Mars Orbit (1.3 < q < 1.6660 AU).");
    lines.emplace_back("       16: Crosses Outer-Planet Orbit");
    lines.emplace_back("        n: Crosses Inner- and Outer-Planet Orbit");
    lines.push_back(Blank());
    lines.emplace_back("   (2)  Orbit Computation Notes");
    static constexpr std::array<std::string_view, 8> kCode2 = {
        "Orbit derived from uncertainly (erroneously?) linked observations.",
        "Eccentricity assumed.",
        "Eccentricity and semi-major axis assumed.",
        "Omitted observations have degraded OQP by more than 0.1.",
        "OQP degrades by more than 0.1 if unsubstantiated observations omitted.",
        "Orbit derived from data containing observations not in MPC files.",
        "H is unknown.  H = 14 assumed.",
        "Asteroid sought, but not found."};
    for (std::size_t b = 0; b < kCode2.size(); ++b) lines.push_back(Legend(std::size_t{1} << b, kCode2[b]));
    lines.emplace_back("        n: Sum of Preceding Entries");
    lines.push_back(Blank());
    lines.emplace_back("   (3)  MPC Critical-List Numbered Asteroids");
    lines.emplace_back("        1: Lost Asteroid.");
    lines.emplace_back("        2: Observed at Only Two Apparitions.");
    lines.emplace_back("        3: Observed at Only Three Apparitions.");
    lines.emplace_back("        4: Last Observed More Than 10 Years Ago.");
    lines.emplace_back("        5: Observed Only 1 Night in Last 10 Years.");
    lines.emplace_back("        6: Poorly Observed Asteroid.");
    lines.emplace_back("        7: Absolute Magnitude Poorly Known.");
    lines.push_back(Blank());
    lines.emplace_back("   (4)  Importance of Additional/Frequent Observations (10=Highest)");
  } else {
    for (const char* s : {"   (1) Orbit Group/Zone",
                          "        2: Aten Group Asteriod (a < 1.0 AU).",
                          "        3: Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).",
                          "        4: Amor Group Asteroid (a > 1.0167 AU; 1.0167 < q < 1.3).",
                          "        5: Crosses Mars Orbit (q < 1.381 AU).",
                          "        6: Crosses Mars Orbit (q < 1.523 AU).",
                          "        7: Crosses Mars Orbit (q < 1.665 AU).",
                          "        8: Hilda Group Asteroid (3.7 < a < 4.2).",
                          "        9: Jupiter Trojan (5.05 < a < 5.40).",
                          "       10: Centaur Object.",
                          "       14: Plutino Object.",
                          "       15: Other Resonant TNO.",
                          "       16: Cubewano Object.",
                          "       17: Scattered Disk Object.",
                          "",
                          "   (2) Orbit Computation Notes",
                          "        2: Eccentricity assumed.",
                          "       64: H is unknown.  H = 14 assumed.",
                          "",
                          "   (3) Critical List",
                          "       32: 1-opposition object seen at earlier opposition.",
                          "       64: MPC Critical List Numbered Asteroid!",
                          "      128: Potentially Hazardous Asteroid (PHA)!",
                          "",
                          "   (4) Orbital Uncertainty Parameter (U)",
                          "        1: Well-Determined Orbit",
                          "       10: Highest Orbit Uncertainty"}) {
      if (*s == '\0')
        lines.push_back(Blank());
      else
        lines.emplace_back(s);
    }
  }
  return lines;
}

namespace {

float OffsetKey(const SearchResult& r) {
  return std::sqrt(r.offsetRA * r.offsetRA + r.offsetDec * r.offsetDec);
}

struct ByRecord {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return a.recordNumber == b.recordNumber; }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return a.recordNumber > b.recordNumber; }
};
struct ByOffset {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return OffsetKey(a) == OffsetKey(b); }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return OffsetKey(a) > OffsetKey(b); }
};
struct ByMag {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return a.mag == b.mag; }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return a.mag > b.mag; }
};
struct ByDelta {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return a.delta == b.delta; }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return a.delta > b.delta; }
};
struct ByRa {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return a.ra == b.ra; }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return a.ra > b.ra; }
};
struct ByOffsetRa {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return a.offsetRA == b.offsetRA; }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return a.offsetRA > b.offsetRA; }
};
struct ByOffsetDec {
  static bool SameKey(const SearchResult& a, const SearchResult& b) { return a.offsetDec == b.offsetDec; }
  static bool ComesAfter(const SearchResult& a, const SearchResult& b) { return a.offsetDec > b.offsetDec; }
};

template <typename Key>
void SortBy(RecordList<SearchResult>& list) {
  RecordList<SearchResult, Key> sorted;
  for (std::int32_t k = 0; k <= list.LastIndex(); ++k) sorted.InsertSorted(*list.GetAt(k));
  list.Clear();
  for (std::int32_t k = 0; k <= sorted.LastIndex(); ++k) list.Append(*sorted.GetAt(k));
  list.Reset();
}

}  // namespace

void TAstOrbFlSrch::SortResults(SearchSortOrder order) {
  switch (order) {
    case SearchSortOrder::kDatabaseEntry: SortBy<ByRecord>(results_); break;
    case SearchSortOrder::kPositionOffset: SortBy<ByOffset>(results_); break;
    case SearchSortOrder::kMagnitude: SortBy<ByMag>(results_); break;
    case SearchSortOrder::kDistance: SortBy<ByDelta>(results_); break;
    case SearchSortOrder::kRightAscension: SortBy<ByRa>(results_); break;
    case SearchSortOrder::kQ: SortBy<ByOffsetRa>(results_); break;
    case SearchSortOrder::kE: SortBy<ByOffsetDec>(results_); break;
  }
  order_ = order;
}

bool TAstOrbFlSrch::LoadResult(std::size_t line, const std::string& convertedPath, CurrentElements& current) {
  if (line < firstResultLine_) return false;
  const std::size_t index = line - firstResultLine_;
  if (index >= results_.Size()) {
    context_.ui.Beep();
    return false;
  }
  const SearchResult& r = *results_.GetAt(static_cast<std::int32_t>(index));
  results_.Reset();
  const std::string resolved = fs::Resolve(convertedPath);
  std::FILE* f = std::fopen(resolved.c_str(), "rb");
  int code = io_code::kFileNotFound;
  if (f != nullptr) {
    std::uint8_t bytes[kCmoRecordBytes];
    const bool seek =
        std::fseek(f, static_cast<long>(r.recordNumber - 1) * static_cast<long>(kCmoRecordBytes), SEEK_SET) == 0;
    const bool read = seek && std::fread(bytes, 1, kCmoRecordBytes, f) == kCmoRecordBytes;
    std::fclose(f);
    if (read) {
      ByteReader reader(bytes, kCmoRecordBytes);
      const CmoRecord rec = ReadCmoRecord(reader);
      current.Set(CmoToElements(rec), rec.codes, searchedSource_, searchedDateTime_);
      return true;
    }
    code = 100;
  }
  platform::Tell(context_.ui,
                 "Unable to Open Asteriod Orbits File!\r\n\r\nFile Name: " + convertedPath + "\r\n" +
                     "IOResult = " + std::to_string(code),
                 "Orbit Database File Error!", platform::Icon::Error);
  return false;
}

}  // namespace skarvel
