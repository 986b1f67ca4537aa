#include "orbits/kepler.h"

#include <cmath>
#include <optional>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/strings.h"
#include "orbits/fast_math.h"

namespace skarvel {

namespace {

/// Seconds per day.
constexpr long double kDay = 86400.0L;
/// Radians per arc second.
constexpr long double kRadiansPerArcsec = kRadiansPerDegree / 3600.0L;
/// Days per Julian century.
constexpr long double kJulianCenturyDays = 36525.0L;
/// Iterations allowed to the cubic of Barker's equation and to the bisections;
/// they converge in far fewer, the limit only guards against NaN input.
constexpr int kCubicMaxIterations = 200;
constexpr int kBisectionSteps = 200;

long double Frac(long double x) {
  return x - std::trunc(x);
}

std::optional<long double> GravityOf(const OrbitElements& el) {
  return CentralBodyGM(el.centralBody);
}

/// x reduced to (-pi, pi] through [0, 2 pi).
long double ReduceSymmetric(long double x) {
  long double m = NormalizeRadians(x);
  if (m > kPi) m -= kTwoPi;
  return m;
}

/// The third-order correction of f(x) = 0 with f', f'' and f'''.
long double ThirdOrderStep(long double f, long double f1, long double f2, long double f3) {
  const long double d1 = -f / f1;
  const long double d2 = -f / (f1 + d1 * f2 / 2);
  return -f / (f1 + d2 * f2 / 2 + d2 * d2 * f3 / 6);
}

/// Bisection of a function increasing on [lo, hi] with f(lo) <= 0 <= f(hi),
/// until |f| <= tolerance or the interval cannot shrink further.
template <typename F>
KeplerSolution Bisect(F f, long double lo, long double hi, long double* root) {
  long double mid = (lo + hi) / 2;
  long double fm = f(mid);
  for (int k = 0; k < kBisectionSteps && std::fabs(fm) > kKeplerTolerance; ++k) {
    if (fm < 0)
      lo = mid;
    else
      hi = mid;
    const long double next = (lo + hi) / 2;
    if (next == mid) break;
    mid = next;
    fm = f(mid);
  }
  *root = mid;
  KeplerSolution s;
  s.error = !(std::fabs(fm) <= kKeplerTolerance);
  s.residual = std::fabs(fm);
  return s;
}

/// The elliptic equation; sinEcc and cosEcc are sin e and cos e (for sin(M + e)).
KeplerSolution SolveElliptic(long double e, long double sinEcc, long double cosEcc, long double meanAnomaly,
                             bool wantAngle) {
  const long double m = ReduceSymmetric(meanAnomaly);
  long double sinM;
  long double cosM;
  fastmath::SinCos(m, sinM, cosM);
  const long double sinMe = sinM * cosEcc + cosM * sinEcc;  // sin(M + e)
  long double E = m + e * sinM / (1 - sinMe + sinM);
  if (std::fabs(E) > kTwoPi) E = std::fmod(E, kTwoPi);
  if (!std::isfinite(E)) E = m;
  KeplerSolution s;
  long double f = 0;
  long double sinE = 0;
  long double cosE = 1;
  bool converged = false;
  for (int k = 0;; ++k) {
    fastmath::SinCos(E, sinE, cosE);
    f = E - e * sinE - m;
    if (std::fabs(f) <= kKeplerTolerance) {
      converged = true;
      break;
    }
    if (k == kKeplerMaxCorrections) break;
    E += ThirdOrderStep(f, 1 - e * cosE, e * sinE, e * cosE);
  }
  if (!converged) {
    // f(E) = E - e sin E - m increases on [-pi, pi] from -pi - m <= 0 to pi - m >= 0.
    s = Bisect([&](long double x) { return x - e * std::sin(x) - m; }, -kPi, kPi, &E);
    if (s.error) return s;
    fastmath::SinCos(E, sinE, cosE);
  }
  // v = 2 atan(sqrt((1 + e) / (1 - e)) tan(E / 2)), through its cosine and sine.
  const long double den = 1 - e * cosE;
  s.cosV = (cosE - e) / den;
  s.sinV = std::sqrt((1 - e) * (1 + e)) * sinE / den;
  if (wantAngle) s.trueAnomaly = fastmath::Atan2(s.sinV, s.cosV);
  return s;
}

KeplerSolution SolveHyperbolic(long double e, long double meanAnomaly) {
  const long double m = meanAnomaly;
  long double H = std::log(2 * m / e + 1.8L);
  KeplerSolution s;
  long double f = 0;
  bool converged = false;
  for (int k = 0;; ++k) {
    const long double sh = std::sinh(H);
    const long double ch = std::cosh(H);
    f = e * sh - H - m;
    if (std::fabs(f) <= kKeplerTolerance) {
      converged = true;
      break;
    }
    if (k == kKeplerMaxCorrections) break;
    H += ThirdOrderStep(f, e * ch - 1, e * sh, e * ch);
  }
  if (!converged) {
    // f(H) = e sinh H - H - m increases; |H| <= asinh(|m| / (e - 1)) + 1 brackets the root.
    if (!std::isfinite(m)) {
      s.error = true;
      s.residual = std::fabs(f);
      return s;
    }
    const long double bound = std::asinh(std::fabs(m) / (e - 1)) + 1;
    s = Bisect([&](long double x) { return e * std::sinh(x) - x - m; }, -bound, bound, &H);
    if (s.error) return s;
  }
  s.trueAnomaly = 2 * fastmath::Atan(std::sqrt((e + 1) / (e - 1)) * std::tanh(H / 2));
  fastmath::SinCos(s.trueAnomaly, s.sinV, s.cosV);
  return s;
}

/// Solves s + s^3 / 3 = g by Newton's method from `s`.
bool SolveBarkerCubic(long double g, long double& s) {
  for (int k = 0; k < kCubicMaxIterations; ++k) {
    const long double next = (g + 2 * s * s * s / 3) / (s * s + 1);
    const bool done = std::fabs(next - s) < kKeplerTolerance;
    s = next;
    if (done) return true;
  }
  return false;
}

KeplerSolution SolveNearParabolic(const OrbitElements& el, long double dt) {
  KeplerSolution out;
  const long double e = el.e;
  const long double qAu = el.q / kAstronomicalUnitKm;
  const long double w = kGaussK * std::sqrt((1 + e) / qAu) / (2 * qAu);  // rad/day
  const long double wdt = w * dt;
  // s + s^3 / 3 = W dt, written for Newton as s := (X + 2 s^3) / (3 (s^2 + 1)), X = 3 W dt.
  long double s = 0;
  const long double x = 3 * wdt;
  bool ok = false;
  for (int k = 0; k < kCubicMaxIterations; ++k) {
    const long double next = (x + 2 * s * s * s) / (3 * (s * s + 1));
    const bool done = std::fabs(next - s) < kKeplerTolerance;
    s = next;
    if (done) {
      ok = true;
      break;
    }
  }
  if (!ok) {
    out.error = true;
    out.residual = std::fabs(s);
    return out;
  }
  if (e != 1) {
    const long double eps = (1 - e) / (1 + e);
    bool finished = false;
    long double lastTerm = 0;
    for (int pass = 0; pass < kNearParabolicMaxPasses && !finished; ++pass) {
      const long double s0 = s;
      long double f = -s * s * s;
      long double g = wdt + (2.0L / 3.0L) * eps * s * s * s;
      bool complete = false;
      for (int j = 1; j + 1 <= kNearParabolicMaxTerms; ++j) {
        f *= -eps * s * s;
        const long double k = ((j + 1) - eps * (j + 2)) / (2 * j + 3);
        const long double u = f * k;
        lastTerm = std::fabs(u);
        if (!(std::fabs(u) <= 10000)) {
          out.error = true;
          out.residual = lastTerm;
          return out;
        }
        g += u;
        if (std::fabs(u) < kKeplerTolerance) {
          complete = true;
          break;
        }
      }
      if (!complete || !SolveBarkerCubic(g, s)) {
        out.error = true;
        out.residual = lastTerm;
        return out;
      }
      finished = std::fabs(s - s0) < kKeplerTolerance;
    }
    if (!finished) {
      out.error = true;
      out.residual = lastTerm;
      return out;
    }
  }
  out.trueAnomaly = 2 * fastmath::Atan(s);
  // cos v and sin v from s = tan(v / 2).
  out.cosV = (1 - s * s) / (1 + s * s);
  out.sinV = 2 * s / (1 + s * s);
  return out;
}

}  // namespace

PrecessionAngles EclipticPrecessionAngles(long double jd0, long double jd) {
  const long double bigT = (jd0 - kJD_J2000) / kJulianCenturyDays;
  const long double t = (jd - jd0) / kJulianCenturyDays;
  PrecessionAngles a{};
  a.eta = ((47.0029L - 0.06603L * bigT + 0.000598L * bigT * bigT) * t + (-0.03302L + 0.000598L * bigT) * t * t +
           0.000060L * t * t * t) *
          kRadiansPerArcsec;
  a.bigPi =
      (174.876384L +
       (3289.4789L * bigT + 0.60622L * bigT * bigT - (869.8089L + 0.50491L * bigT) * t + 0.03536L * t * t) / 3600.0L) *
      kRadiansPerDegree;
  a.p = ((5029.0966L + 2.22226L * bigT - 0.000042L * bigT * bigT) * t + (1.11113L - 0.000042L * bigT) * t * t -
         0.000006L * t * t * t) *
        kRadiansPerArcsec;
  return a;
}

OrbitKind OrbitType(const OrbitElements& el) {
  if (el.e == 0) return OrbitKind::kCircular;
  if (el.e > 1.02L) return OrbitKind::kHyperbolic;
  if (el.e >= 0.98L) return OrbitKind::kNearParabolic;
  return OrbitKind::kElliptic;
}

void AFromQ(OrbitElements& el) {
  if (OrbitType(el) == OrbitKind::kNearParabolic)
    el.a = el.q;
  else
    el.a = el.q / (1 - el.e);
}

void QFromA(OrbitElements& el) {
  if (OrbitType(el) == OrbitKind::kNearParabolic && el.e >= 1)
    el.q = el.a;
  else
    el.q = (1 - el.e) * el.a;
}

void MeanMotion(OrbitElements& el) {
  const auto gm = GravityOf(el);
  if (!gm) {
    el.n = 0;
    return;
  }
  if (OrbitType(el) == OrbitKind::kNearParabolic)
    el.n = std::sqrt((1 + el.e) * *gm / (4 * el.q * el.q * el.q));
  else
    el.n = std::sqrt(*gm / (std::fabs(el.a) * el.a * el.a));
}

void TFromM(OrbitElements& el) {
  long double m = kTwoPi * Frac(el.M / kTwoPi);
  if (m > kPi) m -= kTwoPi;
  el.T = el.epoch - m / (kDay * el.n);
}

void MFromT(OrbitElements& el) {
  long double m = kDay * el.n * (el.epoch - el.T);
  m = kTwoPi * Frac(m / kTwoPi);
  if (OrbitType(el) == OrbitKind::kElliptic && m < 0) m += kTwoPi;
  el.M = m;
}

long double PeriodYears(const OrbitElements& el) {
  return kTwoPi / el.n / kTropicalYearSeconds;
}

long double LongPerihelion(const OrbitElements& el) {
  const long double w = el.peri + el.node;
  return w > kTwoPi ? WrapInto(w, kTwoPi) : w;
}

long double MeanLongitude(const OrbitElements& el) {
  const long double l = el.M + el.peri + el.node;
  return l > kTwoPi ? WrapInto(l, kTwoPi) : l;
}

void SetFromLongitudes(OrbitElements& el, long double meanLongitude, long double longPerihelion) {
  el.peri = longPerihelion - el.node;
  if (el.peri < 0) el.peri = WrapInto(el.peri, kTwoPi);
  el.M = meanLongitude - longPerihelion;
  if (el.M < 0) el.M = WrapInto(el.M, kTwoPi);
}

void PrecessElements(OrbitElements& el, EquinoxKind kind, long double jd) {
  const long double jd0 = el.frame.equinoxJD;
  if (jd == jd0) return;
  const PrecessionAngles a = EclipticPrecessionAngles(jd0, jd);
  const long double sinEta = std::sin(a.eta);
  const long double cosEta = std::cos(a.eta);
  const long double sinI = std::sin(el.i);
  const long double cosI = std::cos(el.i);
  const long double d = el.node - a.bigPi;
  long double node = 0;
  long double incl = 0;
  if (std::fabs(el.i) <= 1e-20L) {
    incl = a.eta;
    node = a.bigPi + a.p + kPi;
  } else {
    const long double big = -sinEta * cosI + cosEta * sinI * std::cos(d);
    node = a.p + a.bigPi + std::atan2(sinI * std::sin(d), big);
    if (std::fabs(el.i) <= 0.01L) {
      const long double sinD = sinI * std::sin(d);
      incl = ArcSinClamped(std::sqrt(sinD * sinD + big * big));
    } else {
      incl = ArcCosClamped(cosEta * cosI + sinEta * sinI * std::cos(d));
    }
  }
  const long double dOmega = std::atan2(-sinEta * std::sin(d), cosEta * sinI - sinEta * cosI * std::cos(d));
  const long double peri = el.peri + dOmega;
  el.node = kTwoPi * Frac(node / kTwoPi);
  el.peri = kTwoPi * Frac(peri / kTwoPi);
  el.i = incl;
  el.frame.equinoxKind = kind;
  el.frame.equinoxJD = jd;
}

namespace {

/// SolveKepler with sin e and cos e given; the true anomaly itself is only
/// computed when `wantAngle` (its cosine and sine always are).
KeplerSolution Solve(const OrbitElements& el, long double t, long double sinEcc, long double cosEcc, bool wantAngle) {
  const long double dt = t - el.T;
  const long double m = el.n * kDay * dt;
  switch (OrbitType(el)) {
    case OrbitKind::kCircular: {
      KeplerSolution s;
      s.trueAnomaly = m;
      fastmath::SinCos(m, s.sinV, s.cosV);
      return s;
    }
    case OrbitKind::kElliptic: return SolveElliptic(el.e, sinEcc, cosEcc, m, wantAngle);
    case OrbitKind::kHyperbolic: return SolveHyperbolic(el.e, m);
    case OrbitKind::kNearParabolic: return SolveNearParabolic(el, dt);
  }
  return {};
}

}  // namespace

KeplerSolution SolveKepler(const OrbitElements& el, long double t) {
  long double sinEcc;
  long double cosEcc;
  fastmath::SinCos(el.e, sinEcc, cosEcc);
  return Solve(el, t, sinEcc, cosEcc, true);
}

std::string KeplerErrorText(const OrbitElements& el, long double residual) {
  std::string name = el.name;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  std::string text =
      "Maximum Iterations Exceeded for Kepler's Equation\r\nOr Convergence Failure for Stumpff/Landgraf Method!";
  text += "\r\n\r\n";
  text += "Body: " + name + " (" + el.designation + ")";
  switch (OrbitType(el)) {
    case OrbitKind::kElliptic:
    case OrbitKind::kCircular: text += "\r\nElliptic Orbit, e = "; break;
    case OrbitKind::kNearParabolic: text += "\r\nParabolic Orbit, e = "; break;
    case OrbitKind::kHyperbolic: text += "\r\nHyperbolic Orbit, e = "; break;
  }
  text += FormatFixed(6, el.e);
  text += "\r\nError = " + FormatExp(6, residual);
  text += "\r\n(Convergence Value = " + FormatExp(2, kKeplerTolerance) + ")";
  return text;
}

void ReportKeplerError(const KeplerErrorReporter& reporter, const OrbitElements& el, long double residual) {
  if (reporter.ui == nullptr || reporter.expertMode) return;
  platform::Tell(*reporter.ui, KeplerErrorText(el, residual), kKeplerErrorCaption, platform::Icon::Error);
}

OrbitOrientation Orientation(const OrbitElements& el) {
  long double sn, cn, sw, cw, si, ci;
  fastmath::SinCos(el.node, sn, cn);
  fastmath::SinCos(el.peri, sw, cw);
  fastmath::SinCos(el.i, si, ci);
  OrbitOrientation o;
  o.P = {cn * cw - ci * sn * sw, sn * cw + ci * cn * sw, sw * si};
  o.Q = {-cn * sw - ci * sn * cw, -sn * sw + ci * cn * cw, cw * si};
  return o;
}

namespace {

StateVector StateFromAnomaly(const OrbitElements& el, long double gm, const OrbitOrientation& pq, long double cv,
                             long double sv, bool withVelocity) {
  const long double p = (1 + el.e) * el.q;
  StateVector s;
  const long double r = p / (1 + el.e * cv);
  const long double px = r * cv;
  const long double qx = r * sv;
  s.position = {px * pq.P.x + qx * pq.Q.x, px * pq.P.y + qx * pq.Q.y, px * pq.P.z + qx * pq.Q.z};
  if (!withVelocity) return s;
  const long double vr = std::sqrt(gm / p) * el.e * sv;
  const long double vt = std::sqrt(gm * p) / r;
  const long double pv = vr * cv - vt * sv;
  const long double qv = vr * sv + vt * cv;
  s.velocity = {pv * pq.P.x + qv * pq.Q.x, pv * pq.P.y + qv * pq.Q.y, pv * pq.P.z + qv * pq.Q.z};
  return s;
}

StateVector PropagateWith(const OrbitElements& el, long double t, std::optional<long double> gm,
                          const OrbitOrientation& pq, long double sinEcc, long double cosEcc,
                          const KeplerErrorReporter* reporter, bool withVelocity = true) {
  StateVector failed;
  failed.error = true;
  if (!gm) return failed;
  const KeplerSolution k = Solve(el, t, sinEcc, cosEcc, false);
  if (k.error) {
    if (reporter != nullptr) ReportKeplerError(*reporter, el, k.residual);
    return failed;
  }
  StateVector s = StateFromAnomaly(el, *gm, pq, k.cosV, k.sinV, withVelocity);
  const bool finite = std::isfinite(s.position.x) && std::isfinite(s.position.y) && std::isfinite(s.position.z) &&
                      std::isfinite(s.velocity.x) && std::isfinite(s.velocity.y) && std::isfinite(s.velocity.z);
  return finite ? s : failed;
}

}  // namespace

StateVector ElementsToState(const OrbitElements& el, long double t, const KeplerErrorReporter* reporter) {
  long double sinEcc;
  long double cosEcc;
  fastmath::SinCos(el.e, sinEcc, cosEcc);
  return PropagateWith(el, t, GravityOf(el), Orientation(el), sinEcc, cosEcc, reporter);
}

OrbitElements StateToElements(const Vec3& rv, const Vec3& vv, long double epoch, const OrbitElements& templ) {
  OrbitElements el = templ;
  const long double gm = GravityOf(templ).value_or(kCentralBodyGM[0]);
  const long double r = VecNorm(rv);
  const long double v2 = VecDot(vv, vv);
  const long double rdotv = VecDot(rv, vv);
  const Vec3 evec = VecAdd(VecScale(rv, v2 / gm - 1 / r), VecScale(vv, -rdotv / gm));
  const Vec3 h = VecCross(rv, vv);
  const Vec3 nodeVec{-h.y, h.x, 0};
  const long double invA = 2 / r - v2 / gm;
  long double a = std::fabs(invA) <= 1e-20L ? 0 : 1 / invA;
  const long double e = VecNorm(evec);
  const long double hNorm = VecNorm(h);
  const long double p = hNorm * hNorm / gm;
  const long double q = p / (1 + e);
  const long double nNorm = VecNorm(nodeVec);
  el.i = ArcCosClamped(h.z / hNorm);
  if (nNorm > 0) {
    el.node = ArcCosClamped(nodeVec.x / nNorm);
    if (nodeVec.y < 0) el.node = kTwoPi - el.node;
  } else {
    el.node = 0;  // orbit in the reference plane: the node is taken at the x axis
  }
  if (e > 0) {
    if (nNorm > 0) {
      el.peri = ArcCosClamped(VecDot(nodeVec, evec) / (nNorm * e));
      if (evec.z < 0) el.peri = kTwoPi - el.peri;
    } else {
      el.peri = NormalizeRadians(std::atan2(evec.y, evec.x));
    }
  } else {
    el.peri = 0;
  }
  long double c = 1;
  long double d = 1;
  if (e != 0) {
    c = (p - r) / e;
    d = std::sqrt(p / gm) * rdotv / e;
  }
  long double m = 0;
  long double n = 0;
  if (e < 0.9999999L) {
    const long double bigE = std::atan2(d / (a * std::sqrt(1 - e * e)), e + c / a);
    m = ReduceSymmetric(bigE - e * std::sin(bigE));
    n = std::sqrt(gm / (a * a * a));
  } else if (e <= 1.0000001L) {
    const long double s = Sign(rdotv) * std::sqrt(std::fmax(r / q - 1, 0.0L));
    m = s + s * s * s / 3;
    n = std::sqrt((1 + e) * gm / (4 * q * q * q));
  } else {
    const long double bigF = std::asinh(d / (-std::sqrt(e * e - 1) * a));
    m = e * std::sinh(bigF) - bigF;
    n = std::sqrt(gm / (-a * a * a));
  }
  el.T = epoch - m / (kDay * n);
  if (el.node == kTwoPi) el.node = 0;
  if (el.peri == kTwoPi) el.peri = 0;
  el.e = e;
  el.q = q;
  el.a = a;
  el.epoch = epoch;
  el.M = m;
  el.n = n;
  AFromQ(el);
  MeanMotion(el);
  MFromT(el);
  return el;
}

KeplerPropagator::KeplerPropagator(const OrbitElements& el, KeplerErrorReporter reporter)
    : el_(el), pq_(Orientation(el)), reporter_(reporter) {
  const auto gm = GravityOf(el);
  gmKnown_ = gm.has_value();
  gm_ = gm.value_or(0);
  fastmath::SinCos(el.e, sinEcc_, cosEcc_);
}

StateVector KeplerPropagator::PositionVelocity(long double t) {
  const StateVector s = PropagateWith(el_, t, gmKnown_ ? std::optional<long double>(gm_) : std::nullopt, pq_, sinEcc_,
                                      cosEcc_, &reporter_);
  error_ = s.error;
  return s;
}

StateVector KeplerPropagator::PositionAt(long double t) {
  const StateVector s = PropagateWith(el_, t, gmKnown_ ? std::optional<long double>(gm_) : std::nullopt, pq_, sinEcc_,
                                      cosEcc_, &reporter_, false);
  error_ = s.error;
  return s;
}

void KeplerPropagator::AdvanceTo(long double t) {
  if (t == el_.epoch) return;
  el_.M = NormalizeRadians(el_.M + kDay * el_.n * (t - el_.epoch));
  el_.epoch = t;
}

}  // namespace skarvel
