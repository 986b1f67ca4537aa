#include "orbits/orbit_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/sky_coord.h"
#include "foundations/strings.h"
#include "foundations/time_scales.h"
#include "orbits/fit_solver.h"
#include "orbits/kepler.h"
#include "orbits/minor_body.h"

namespace skarvel {

namespace {

constexpr long double kSecondsPerDay = 86400.0L;
/// GM of the Sun in AU^3/day^2.
constexpr long double kMu = kGaussK * kGaussK;
/// Light-time iteration tolerance (days): 1e-9 d is 0.1 ms.
constexpr long double kLightTolerance = 1e-9L;
/// Gauss roots nearer the observer than this (AU, about 75 000 km) are the
/// observer's own root, not the body.
constexpr long double kGaussMinRangeAu = 0.0005L;

/// One shared Earth: its last instant is cached, which the fit's repeated
/// evaluations at the same instants use.
EarthObj& Earth() {
  thread_local EarthObj earth;
  return earth;
}

Vec3 EquatorialToEcliptic(const Vec3& v, long double eps) {
  const long double c = std::cos(eps);
  const long double s = std::sin(eps);
  return {v.x, v.y * c + v.z * s, -v.y * s + v.z * c};
}

Vec3 EclipticToEquatorialVec(const Vec3& v, long double eps) {
  const long double c = std::cos(eps);
  const long double s = std::sin(eps);
  return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}

long double J2000Obliquity() {
  static const long double eps = MeanObliquity(kJD_J2000);
  return eps;
}

/// The ecliptic of date to the ecliptic of J2000 (the transpose of the rotation J2000 -> date).
Vec3 EclipticOfDateToJ2000(const Vec3& v, long double jd) {
  const auto& m = Earth().PrecessionFromJ2000(jd);
  return VecAdd(VecAdd(VecScale(m[0], v.x), VecScale(m[1], v.y)), VecScale(m[2], v.z));
}

Vec3 EarthAt(long double jdTT) { return Earth().Rectangular(jdTT); }

long double TTOf(long double jdUtc) { return UtcToTT(jdUtc); }

Vec3 UnitVector(long double ra, long double dec) {
  return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
}

long double WrapPi(long double x) {
  x = std::fmod(x, kTwoPi);
  if (x > kPi) x -= kTwoPi;
  if (x <= -kPi) x += kTwoPi;
  return x;
}

/// (O - C) in RA cos Dec and Dec, arc seconds.
void Residual(long double raObs, long double decObs, long double raC, long double decC, long double& dra,
              long double& ddec) {
  dra = WrapPi(raObs - raC) * std::cos(decObs) * kFitArcsecPerRadian;
  ddec = (decObs - decC) * kFitArcsecPerRadian;
}

OrbitElements Template() {
  OrbitElements t;
  t.name = "Fitted orbit";
  t.magModel = kMagModelAsteroid;
  return t;
}

std::string Fixed(int d, long double x) { return FormatFixed(d, x); }

}  // namespace

Vec3 ObserverPosition(const ObservatoryCode& code, long double jdUtc) {
  const long double jdTT = TTOf(jdUtc);
  const Vec3 earth = EarthAt(jdTT);
  if (!code.hasPosition) return earth;
  const long double theta = SiderealAngle(CoordMode::kTrue, jdUtc) + code.longitudeEastDeg * kPi / 180;
  const Vec3 eqDate{kFitEarthRadiusKm * code.rhoCosPhi * std::cos(theta),
                    kFitEarthRadiusKm * code.rhoCosPhi * std::sin(theta), kFitEarthRadiusKm * code.rhoSinPhi};
  const Vec3 eclDate = EquatorialToEcliptic(eqDate, MeanObliquity(jdTT));
  return VecAdd(earth, EclipticOfDateToJ2000(eclDate, jdTT));
}

Vec3 SpacecraftObserverPosition(const Vec3& geocentricEquatorialKm, long double jdUtc) {
  return VecAdd(EarthAt(TTOf(jdUtc)), EquatorialToEcliptic(geocentricEquatorialKm, J2000Obliquity()));
}

Vec3 ObserverAt(const PreparedObservation& o, long double jdUtc) {
  return o.satellite ? SpacecraftObserverPosition(o.satelliteKm, jdUtc) : ObserverPosition(o.site, jdUtc);
}

AstrometricPlace PlaceFromElements(const OrbitElements& el, const Vec3& observerKm, long double jdTT) {
  AstrometricPlace p;
  long double tau = 0;
  Vec3 g;
  for (int pass = 0; pass < 10; ++pass) {
    const StateVector s = ElementsToState(el, jdTT - tau);
    if (s.error) {
      p.error = true;
      return p;
    }
    g = VecAdd(s.position, VecNegate(observerKm));
    const long double tauNew = kLightDaysPerAu * VecNorm(g) / kFitAuKm;
    const bool done = std::fabs(tauNew - tau) <= kLightTolerance;
    tau = tauNew;
    if (done) break;
  }
  const Vec3 eq = EclipticToEquatorialVec(g, J2000Obliquity());
  const long double r = VecNorm(eq);
  p.distanceAu = r / kFitAuKm;
  if (!(r > 0) || !std::isfinite(r)) {
    p.error = true;
    return p;
  }
  p.raRad = std::atan2(eq.y, eq.x);
  if (p.raRad < 0) p.raRad += kTwoPi;
  p.decRad = std::asin(std::clamp(eq.z / r, -1.0L, 1.0L));
  return p;
}

OrbitElements ElementsFromState(const Vec3& positionKm, const Vec3& velocityKmS, long double epochTT) {
  return StateToElements(positionKm, velocityKmS, epochTT, Template());
}

OrbitElements ElementsOfParameters(FitParameters kind, const std::vector<long double>& p, long double fixedValue,
                                   long double epochTT) {
  if (kind == FitParameters::kState) {
    const long double vScale = kFitAuKm / kSecondsPerDay;
    return ElementsFromState({p[0] * kFitAuKm, p[1] * kFitAuKm, p[2] * kFitAuKm},
                             {p[3] * vScale, p[4] * vScale, p[5] * vScale}, epochTT);
  }
  OrbitElements el = Template();
  el.epoch = epochTT;
  if (kind == FitParameters::kFixedE) {
    el.e = fixedValue;
    el.q = p[0] * kFitAuKm;
  } else {
    el.q = fixedValue * kFitAuKm;
    el.e = p[0];
  }
  el.i = p[1];
  el.node = p[2];
  el.peri = p[3];
  el.T = p[4];
  AFromQ(el);
  MeanMotion(el);
  MFromT(el);
  return el;
}

std::vector<PreparedObservation> PrepareObservations(const std::vector<FitObservation>& obs,
                                                      const ObservatoryCodeList& codes, const FitSettings& settings,
                                                      std::vector<std::string>& messages) {
  std::vector<PreparedObservation> out;
  std::vector<std::string> unknown;
  const long double eps = J2000Obliquity();
  for (std::size_t k = 0; k < obs.size(); ++k) {
    const FitObservation& o = obs[k];
    PreparedObservation p;
    p.index = k;
    p.jdUtc = o.jdUtc;
    p.jdTT = TTOf(o.jdUtc);
    p.raRad = o.raDeg * kPi / 180;
    p.decRad = o.decDeg * kPi / 180;
    p.direction = EquatorialToEcliptic(UnitVector(p.raRad, p.decRad), eps);
    p.sigmaRa = o.sigmaRaArcsec > 0 ? o.sigmaRaArcsec : settings.defaultSigmaArcsec;
    p.sigmaDec = o.sigmaDecArcsec > 0 ? o.sigmaDecArcsec : settings.defaultSigmaArcsec;
    p.code = o.code;
    if (o.satellite) {
      p.satellite = true;
      p.satelliteKm = o.satelliteKm;
    } else {
      const ObservatoryCode* c = codes.Find(o.code);
      if (c == nullptr || !c->hasPosition) {
        if (std::find(unknown.begin(), unknown.end(), o.code) == unknown.end()) unknown.push_back(o.code);
        continue;
      }
      p.site = *c;
    }
    p.observer = ObserverAt(p, o.jdUtc);
    out.push_back(p);
  }
  for (const auto& c : unknown) messages.push_back(kFitUnknownCode + c);
  std::sort(out.begin(), out.end(),
            [](const PreparedObservation& a, const PreparedObservation& b) { return a.jdUtc < b.jdUtc; });
  return out;
}

std::vector<StateAtEpoch> GaussCandidates(const PreparedObservation& o1, const PreparedObservation& o2,
                                          const PreparedObservation& o3) {
  std::vector<StateAtEpoch> out;
  const Vec3 L1 = o1.direction, L2 = o2.direction, L3 = o3.direction;
  const Vec3 R1 = VecScale(o1.observer, 1 / kFitAuKm);
  const Vec3 R2 = VecScale(o2.observer, 1 / kFitAuKm);
  const Vec3 R3 = VecScale(o3.observer, 1 / kFitAuKm);
  const Vec3 p1 = VecCross(L2, L3), p2 = VecCross(L1, L3), p3 = VecCross(L1, L2);
  const long double D0 = VecDot(L1, p1);
  if (std::fabs(D0) < 1e-14L) return out;
  const long double D11 = VecDot(R1, p1), D21 = VecDot(R2, p1), D31 = VecDot(R3, p1);
  const long double D12 = VecDot(R1, p2), D22 = VecDot(R2, p2), D32 = VecDot(R3, p2);
  const long double D13 = VecDot(R1, p3), D23 = VecDot(R2, p3), D33 = VecDot(R3, p3);
  const long double E = VecDot(R2, L2);
  const long double R2sq = VecDot(R2, R2);

  // The roots of r^8 + a r^6 + b r^3 + c = 0 from the light-free times.
  const auto roots = [&](long double t1, long double t3) {
    const long double tau = t3 - t1;
    const long double A = (-D12 * t3 / tau + D22 + D32 * t1 / tau) / D0;
    const long double B = (D12 * (t3 * t3 - tau * tau) * t3 / tau + D32 * (tau * tau - t1 * t1) * t1 / tau) / (6 * D0);
    const long double a = -(A * A + 2 * A * E + R2sq);
    const long double b = -2 * kMu * B * (A + E);
    const long double c = -kMu * kMu * B * B;
    const auto f = [&](long double r) {
      const long double r3 = r * r * r;
      return r3 * r3 * r * r + a * r3 * r3 + b * r3 + c;
    };
    std::vector<long double> rs;
    long double prev = 0.005L;
    long double fp = f(prev);
    for (long double r = 0.005L * 1.02L; r < 200; r *= 1.02L) {
      const long double fr = f(r);
      if ((fp < 0) != (fr < 0)) {
        long double lo = prev, hi = r, flo = fp;
        for (int it = 0; it < 200; ++it) {
          const long double mid = (lo + hi) / 2;
          const long double fm = f(mid);
          if ((fm < 0) == (flo < 0)) {
            lo = mid;
            flo = fm;
          } else {
            hi = mid;
          }
        }
        rs.push_back((lo + hi) / 2);
      }
      prev = r;
      fp = fr;
    }
    return std::make_pair(rs, std::make_pair(A, B));
  };

  const auto [firstRoots, ab] = roots(o1.jdTT - o2.jdTT, o3.jdTT - o2.jdTT);
  (void)ab;
  for (const long double root : firstRoots) {
    long double r2 = root;
    long double lt1 = 0, lt2 = 0, lt3 = 0;
    bool good = true;
    StateAtEpoch st;
    for (int pass = 0; pass < 6 && good; ++pass) {
      const long double t1 = (o1.jdTT - lt1) - (o2.jdTT - lt2);
      const long double t3 = (o3.jdTT - lt3) - (o2.jdTT - lt2);
      const long double tau = t3 - t1;
      if (pass > 0) {
        // Keep the root nearest the previous one for the light-corrected times.
        const auto [rs, unused] = roots(t1, t3);
        (void)unused;
        if (rs.empty()) {
          good = false;
          break;
        }
        long double best = rs[0];
        for (long double r : rs) {
          if (std::fabs(r - r2) < std::fabs(best - r2)) best = r;
        }
        r2 = best;
      }
      const long double A = (-D12 * t3 / tau + D22 + D32 * t1 / tau) / D0;
      const long double B =
          (D12 * (t3 * t3 - tau * tau) * t3 / tau + D32 * (tau * tau - t1 * t1) * t1 / tau) / (6 * D0);
      const long double r23 = r2 * r2 * r2;
      const long double rho2 = A + kMu * B / r23;
      const long double rho1 =
          ((6 * (D31 * t1 / t3 + D21 * tau / t3) * r23 + kMu * D31 * (tau * tau - t1 * t1) * t1 / t3) /
               (6 * r23 + kMu * (tau * tau - t3 * t3)) -
           D11) /
          D0;
      const long double rho3 =
          ((6 * (D13 * t3 / t1 - D23 * tau / t1) * r23 + kMu * D13 * (tau * tau - t3 * t3) * t3 / t1) /
               (6 * r23 + kMu * (tau * tau - t1 * t1)) -
           D33) /
          D0;
      if (!(rho1 > kGaussMinRangeAu && rho2 > kGaussMinRangeAu && rho3 > kGaussMinRangeAu)) {
        good = false;
        break;
      }
      const Vec3 r1v = VecAdd(R1, VecScale(L1, rho1));
      const Vec3 r2v = VecAdd(R2, VecScale(L2, rho2));
      const Vec3 r3v = VecAdd(R3, VecScale(L3, rho3));
      const long double r2n = VecNorm(r2v);
      const long double u = kMu / (r2n * r2n * r2n);
      const long double f1 = 1 - u * t1 * t1 / 2;
      const long double g1 = t1 - u * t1 * t1 * t1 / 6;
      const long double f3 = 1 - u * t3 * t3 / 2;
      const long double g3 = t3 - u * t3 * t3 * t3 / 6;
      const long double den = f1 * g3 - f3 * g1;
      if (std::fabs(den) < 1e-30L) {
        good = false;
        break;
      }
      const Vec3 v2 = VecScale(VecAdd(VecScale(r1v, -f3), VecScale(r3v, f1)), 1 / den);  // AU/day
      lt1 = kLightDaysPerAu * rho1;
      lt2 = kLightDaysPerAu * rho2;
      lt3 = kLightDaysPerAu * rho3;
      st.position = VecScale(r2v, kFitAuKm);
      st.velocity = VecScale(v2, kFitAuKm / kSecondsPerDay);
      st.epochTT = o2.jdTT - lt2;
    }
    if (good) out.push_back(st);
  }
  return out;
}

namespace {

/// The count of nights (observations more than kNightGapDays apart start a new one).
std::size_t CountNights(const std::vector<PreparedObservation>& p) {
  if (p.empty()) return 0;
  std::size_t n = 1;
  for (std::size_t k = 1; k < p.size(); ++k) {
    if (p[k].jdUtc - p[k - 1].jdUtc > kNightGapDays) ++n;
  }
  return n;
}

/// The residuals of every prepared observation for parameters p (weighted:
/// divided by their sigma). False on a Kepler failure.
struct FitModel {
  const std::vector<PreparedObservation>* obs = nullptr;
  FitParameters kind = FitParameters::kState;
  long double fixedValue = 0;
  long double epochTT = 0;

  bool Evaluate(const std::vector<long double>& p, std::vector<long double>& r) const {
    const OrbitElements el = ElementsOfParameters(kind, p, fixedValue, epochTT);
    if (!(el.q > 0) || !(el.e >= 0) || !std::isfinite(el.n) || el.n <= 0) return false;
    r.resize(2 * obs->size());
    for (std::size_t k = 0; k < obs->size(); ++k) {
      const PreparedObservation& o = (*obs)[k];
      const AstrometricPlace c = PlaceFromElements(el, o.observer, o.jdTT);
      if (c.error) return false;
      long double dra = 0, ddec = 0;
      Residual(o.raRad, o.decRad, c.raRad, c.decRad, dra, ddec);
      r[2 * k] = dra / o.sigmaRa;
      r[2 * k + 1] = ddec / o.sigmaDec;
    }
    return true;
  }

  std::vector<long double> Steps() const {
    if (kind == FitParameters::kState) return {1e-7L, 1e-7L, 1e-7L, 1e-9L, 1e-9L, 1e-9L};
    return {1e-7L, 1e-7L, 1e-7L, 1e-7L, 1e-5L};
  }
};

std::vector<long double> StateParameters(const Vec3& r, const Vec3& v) {
  const long double vs = kSecondsPerDay / kFitAuKm;
  return {r.x / kFitAuKm, r.y / kFitAuKm, r.z / kFitAuKm, v.x * vs, v.y * vs, v.z * vs};
}

/// Parameters of the held-e or held-q kind from elements.
std::vector<long double> ElementParameters(FitParameters kind, const OrbitElements& el) {
  return {kind == FitParameters::kFixedE ? el.q / kFitAuKm : el.e, el.i, el.node, el.peri, el.T};
}

/// The seven reported elements (a AU, e, i, node, peri, M deg..., q AU) of parameters.
std::array<long double, 7> ReportedElements(const OrbitElements& el) {
  return {el.a / kFitAuKm, el.e, el.i, el.node, el.peri, el.M, el.q / kFitAuKm};
}

void ComputeSigmas(FitResult& fit) {
  const std::size_t np = fit.params.size();
  std::vector<std::array<long double, 7>> jac(np);
  const FitModel m{nullptr, fit.kind, fit.fixedValue, fit.epochTT};
  const auto steps = m.Steps();
  for (std::size_t j = 0; j < np; ++j) {
    auto pp = fit.params;
    auto pm = fit.params;
    pp[j] += steps[j];
    pm[j] -= steps[j];
    const auto ep = ReportedElements(ElementsOfParameters(fit.kind, pp, fit.fixedValue, fit.epochTT));
    const auto em = ReportedElements(ElementsOfParameters(fit.kind, pm, fit.fixedValue, fit.epochTT));
    for (std::size_t k = 0; k < 7; ++k) {
      long double d = ep[k] - em[k];
      if (k >= 2 && k <= 5) d = WrapPi(d);
      jac[j][k] = d / (2 * steps[j]);
    }
  }
  std::array<long double, 7> var{};
  for (std::size_t k = 0; k < 7; ++k) {
    for (std::size_t a = 0; a < np; ++a) {
      for (std::size_t b = 0; b < np; ++b) var[k] += jac[a][k] * fit.covariance[a][b] * jac[b][k];
    }
  }
  const auto sd = [&](std::size_t k) { return std::sqrt(std::max(0.0L, var[k])); };
  const long double deg = 180 / kPi;
  fit.sigmas = {sd(0), sd(1), sd(2) * deg, sd(3) * deg, sd(4) * deg, sd(5) * deg, sd(6)};
}

/// The differential correction with outlier rejection, from parameters p.
/// Fills residuals, rms, covariance and the used flags; false when it failed.
bool Correct(const std::vector<PreparedObservation>& obs, FitModel model, std::vector<long double> p,
             const FitSettings& settings, FitResult& fit, bool listRejections) {
  std::vector<bool> use(obs.size(), true);
  LeastSquaresResult best;
  bool any = false;
  const std::size_t np = p.size();
  for (int round = 0; round < 8; ++round) {
    std::vector<bool> mask(2 * obs.size());
    for (std::size_t k = 0; k < obs.size(); ++k) mask[2 * k] = mask[2 * k + 1] = use[k];
    const auto eval = [&model](const std::vector<long double>& q, std::vector<long double>& r) {
      return model.Evaluate(q, r);
    };
    LeastSquaresResult ls = SolveLeastSquares(eval, p, model.Steps(), mask, settings.maxIterations);
    if (!ls.ok) break;
    best = ls;
    any = true;
    p = ls.params;
    if (settings.rejectSigma <= 0) break;
    // Normalised residuals against the rejection limit; the limit grows with
    // the fit's own scatter so that a model misfit does not reject everything.
    // The scatter is the median's (1.4826 x the median absolute residual), so
    // one large outlier does not widen its own limit.
    std::vector<long double> mags;
    for (std::size_t k = 0; k < obs.size(); ++k) {
      if (!use[k]) continue;
      mags.push_back(std::fabs(ls.residuals[2 * k]));
      mags.push_back(std::fabs(ls.residuals[2 * k + 1]));
    }
    std::nth_element(mags.begin(), mags.begin() + static_cast<std::ptrdiff_t>(mags.size() / 2), mags.end());
    const long double scale = std::max(1.0L, 1.4826L * mags[mags.size() / 2]);
    // Observations beyond the limit are rejected worst first, at most a
    // tenth of the used ones a round; one back within it is taken again.
    // A rejection never leaves fewer than two nights or 60 % of the data.
    std::vector<std::pair<long double, std::size_t>> beyond;
    std::vector<bool> next = use;
    for (std::size_t k = 0; k < obs.size(); ++k) {
      const long double n = std::max(std::fabs(ls.residuals[2 * k]), std::fabs(ls.residuals[2 * k + 1])) / scale;
      if (n > settings.rejectSigma) {
        if (use[k]) beyond.emplace_back(n, k);
      } else {
        next[k] = true;
      }
    }
    std::sort(beyond.rbegin(), beyond.rend());
    std::size_t usedCount = 0;
    for (bool u : next) usedCount += u ? 1u : 0u;
    const std::size_t cap = std::max<std::size_t>(1, usedCount / 10);
    for (std::size_t k = 0; k < beyond.size() && k < cap; ++k) {
      std::vector<bool> trial = next;
      trial[beyond[k].second] = false;
      std::vector<PreparedObservation> kept;
      for (std::size_t j = 0; j < obs.size(); ++j) {
        if (trial[j]) kept.push_back(obs[j]);
      }
      if (kept.size() * 10 < obs.size() * 6 || 2 * kept.size() < np + 2 || CountNights(kept) < std::min<std::size_t>(2, CountNights(obs))) break;
      next = trial;
    }
    if (next == use) break;
    use = next;
  }
  if (!any) return false;
  fit.params = best.params;
  fit.converged = best.converged;
  fit.iterations = best.iterations;
  fit.kind = model.kind;
  fit.fixedValue = model.fixedValue;
  fit.epochTT = model.epochTT;
  fit.elements = ElementsOfParameters(model.kind, best.params, model.fixedValue, model.epochTT);
  fit.residuals.clear();
  long double sum = 0;
  std::size_t used = 0;
  for (std::size_t k = 0; k < obs.size(); ++k) {
    FitResidual r;
    r.index = obs[k].index;
    r.jdUtc = obs[k].jdUtc;
    r.code = obs[k].code;
    r.raArcsec = best.residuals[2 * k] * obs[k].sigmaRa;
    r.decArcsec = best.residuals[2 * k + 1] * obs[k].sigmaDec;
    r.used = use[k];
    if (use[k]) {
      sum += r.raArcsec * r.raArcsec + r.decArcsec * r.decArcsec;
      ++used;
    } else if (listRejections) {
      fit.messages.push_back("Observation " + std::to_string(r.index + 1) + " rejected (JD " + Fixed(5, r.jdUtc) +
                             " UTC, code " + r.code + "): RA " + Fixed(2, r.raArcsec) + "\", Dec " +
                             Fixed(2, r.decArcsec) + "\"");
    }
    fit.residuals.push_back(r);
  }
  fit.used = used;
  fit.rmsArcsec = used > 0 ? std::sqrt(sum / static_cast<long double>(2 * used)) : 0;
  const long double dof = std::max(1.0L, static_cast<long double>(2 * used) - static_cast<long double>(np));
  const long double scale = std::max(1.0L, best.chi2 / dof);
  fit.covariance = best.covariance;
  for (auto& row : fit.covariance) {
    for (auto& v : row) v *= scale;
  }
  ComputeSigmas(fit);
  return true;
}

/// The rms of a candidate orbit over all observations but the worst tenth
/// (at least one left out; arc seconds, infinity when it cannot be computed):
/// an outlier does not spoil the right candidate, and an orbit that misses a
/// whole night still scores badly.
long double CandidateScore(const std::vector<PreparedObservation>& all, const StateAtEpoch& st) {
  // Up to 40 positions spread evenly over the arc are enough to rank the candidates.
  std::vector<PreparedObservation> obs;
  const std::size_t stride = (all.size() + 39) / 40;
  for (std::size_t k = 0; k < all.size(); k += stride) obs.push_back(all[k]);
  if (obs.back().jdTT != all.back().jdTT) obs.push_back(all.back());
  const FitModel m{&obs, FitParameters::kState, 0, st.epochTT};
  std::vector<long double> r;
  if (!m.Evaluate(StateParameters(st.position, st.velocity), r)) return std::numeric_limits<long double>::infinity();
  std::vector<long double> sq;
  for (std::size_t k = 0; k < obs.size(); ++k) {
    const long double a = r[2 * k] * obs[k].sigmaRa;
    const long double d = r[2 * k + 1] * obs[k].sigmaDec;
    sq.push_back(a * a + d * d);
  }
  std::sort(sq.begin(), sq.end());
  const std::size_t keep = sq.size() - std::max<std::size_t>(1, sq.size() / 10);
  long double sum = 0;
  for (std::size_t k = 0; k < keep; ++k) sum += sq[k];
  return std::sqrt(sum / static_cast<long double>(2 * keep));
}

/// Triples of observation indices for Gauss's method: the first and last of
/// the first and last nights with every observation of the nights between,
/// and the first, middle and last of the whole arc.
std::vector<std::array<std::size_t, 3>> GaussTriples(const std::vector<PreparedObservation>& obs) {
  std::vector<std::vector<std::size_t>> nights(1);
  for (std::size_t k = 0; k < obs.size(); ++k) {
    if (k > 0 && obs[k].jdUtc - obs[k - 1].jdUtc > kNightGapDays) nights.emplace_back();
    nights.back().push_back(k);
  }
  std::vector<std::array<std::size_t, 3>> out;
  const std::size_t n = obs.size();
  const long double midTime = (obs.front().jdTT + obs.back().jdTT) / 2;
  std::size_t mid = 1;
  for (std::size_t k = 1; k + 1 < n; ++k) {
    if (std::fabs(obs[k].jdTT - midTime) < std::fabs(obs[mid].jdTT - midTime)) mid = k;
  }
  out.push_back({0, mid, n - 1});
  if (nights.size() >= 3) {
    const auto& first = nights.front();
    const auto& last = nights.back();
    // The middle nights nearest the arc's middle, up to two of them.
    std::vector<std::size_t> middle;
    for (std::size_t k = 1; k + 1 < nights.size(); ++k) middle.push_back(k);
    std::sort(middle.begin(), middle.end(), [&](std::size_t a, std::size_t b) {
      return std::fabs(obs[nights[a].front()].jdTT - midTime) < std::fabs(obs[nights[b].front()].jdTT - midTime);
    });
    if (middle.size() > 2) middle.resize(2);
    for (std::size_t i : {first.front(), first.back()}) {
      for (std::size_t mn : middle) {
        // At most three positions of a middle night: its first, middle and last.
        const auto& mids = nights[mn];
        std::vector<std::size_t> picks = {mids.front(), mids[mids.size() / 2], mids.back()};
        picks.erase(std::unique(picks.begin(), picks.end()), picks.end());
        for (std::size_t j : picks) {
          for (std::size_t k : {last.front(), last.back()}) out.push_back({i, j, k});
        }
      }
    }
  } else {
    out.push_back({std::min<std::size_t>(1, mid - 1), mid, n - 1});
    out.push_back({0, mid, std::max(mid + 1, n - 2)});
    out.push_back({0, std::min(mid + 1, n - 2), n - 1});
    out.push_back({0, std::max<std::size_t>(1, mid - 1), n - 1});
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace

bool RangeShortArc(const std::vector<PreparedObservation>& obs, const FitSettings& settings, FitResult& fit);

namespace {

/// Arcs longer than this (days) get their preliminary orbit from the densest
/// stretch of kGaussWindowDays holding two or more nights.
constexpr long double kGaussArcDays = 60;
constexpr long double kGaussWindowDays = 40;

std::vector<PreparedObservation> GaussWindow(const std::vector<PreparedObservation>& obs) {
  if (obs.back().jdTT - obs.front().jdTT <= kGaussArcDays) return obs;
  std::size_t bestFirst = 0, bestCount = 0;
  for (std::size_t i = 0; i < obs.size(); ++i) {
    std::size_t j = i;
    while (j < obs.size() && obs[j].jdTT - obs[i].jdTT <= kGaussWindowDays) ++j;
    const std::vector<PreparedObservation> w(obs.begin() + static_cast<std::ptrdiff_t>(i),
                                             obs.begin() + static_cast<std::ptrdiff_t>(j));
    if (w.size() >= 3 && CountNights(w) >= 2 && w.size() > bestCount) {
      bestFirst = i;
      bestCount = w.size();
    }
  }
  if (bestCount == 0) return obs;
  return {obs.begin() + static_cast<std::ptrdiff_t>(bestFirst),
          obs.begin() + static_cast<std::ptrdiff_t>(bestFirst + bestCount)};
}

}  // namespace


FitResult FitOrbit(const std::vector<FitObservation>& input, const ObservatoryCodeList& codes,
                   const FitSettings& settings) {
  FitResult fit;
  fit.messages.clear();
  const std::vector<PreparedObservation> obs = PrepareObservations(input, codes, settings, fit.messages);
  fit.progress.push_back("Observations: " + std::to_string(input.size()) + " read, " + std::to_string(obs.size()) +
                         " with a known site");
  if (obs.size() < 3) {
    fit.messages.push_back(kFitTooFew);
    return fit;
  }
  fit.nights = CountNights(obs);
  const long double arc = obs.back().jdUtc - obs.front().jdUtc;
  fit.progress.push_back("Nights: " + std::to_string(fit.nights) + ", arc " + Fixed(3, arc) + " days");
  if (fit.nights < 2) {
    if (arc < kShortestArcDays) {
      fit.messages.push_back(kFitArcTooShort);
      return fit;
    }
    fit.messages.push_back(kFitSingleNight);
    fit.progress.push_back("Short-arc solution: ranging over distance");
    if (!RangeShortArc(obs, settings, fit)) {
      fit.messages.push_back(kFitNoPreliminary);
      return fit;
    }
    fit.messages.push_back(kFitTwoBodyNote);
    return fit;
  }

  // Gauss's method on triples spread over the arc, or over its densest
  // stretch of kGaussWindowDays when the arc is longer than kGaussArcDays.
  const std::vector<PreparedObservation> sub = GaussWindow(obs);
  if (sub.size() < obs.size()) {
    fit.progress.push_back("Preliminary orbit from " + std::to_string(sub.size()) + " observations of " +
                           Fixed(1, sub.back().jdUtc - sub.front().jdUtc) + " days");
  }
  std::vector<StateAtEpoch> candidates;
  for (const auto& t : GaussTriples(sub)) {
    if (!(t[0] < t[1] && t[1] < t[2])) continue;
    for (const StateAtEpoch& c : GaussCandidates(sub[t[0]], sub[t[1]], sub[t[2]])) candidates.push_back(c);
  }
  fit.progress.push_back("Gauss's method: " + std::to_string(candidates.size()) + " candidate orbits");
  if (candidates.empty()) {
    fit.messages.push_back(kFitNoPreliminary);
    return fit;
  }
  // Bound orbits first, each group by its rms over all observations: an
  // unbound root is kept only when no bound one fits.
  std::vector<std::pair<long double, std::size_t>> ranked;
  for (std::size_t k = 0; k < candidates.size(); ++k) {
    const OrbitElements el = ElementsFromState(candidates[k].position, candidates[k].velocity, candidates[k].epochTT);
    const long double penalty = el.e < 1 ? 0 : 1e6L;
    ranked.emplace_back(CandidateScore(sub, candidates[k]) + penalty, k);
  }
  std::sort(ranked.begin(), ranked.end());

  FitModel model{&sub, FitParameters::kState, 0, 0};
  FitResult best;
  bool have = false;
  const auto better = [](const FitResult& a, const FitResult& b) {
    // Converged before not converged, bound before unbound (unless the unbound
    // one fits twice as well), then the lower rms.
    if (a.converged != b.converged) return a.converged;
    const bool ab = a.elements.e < 1, bb = b.elements.e < 1;
    if (ab != bb) return ab ? a.rmsArcsec < 2 * b.rmsArcsec : 2 * a.rmsArcsec < b.rmsArcsec;
    return a.rmsArcsec < b.rmsArcsec;
  };
  // The six best distinct starts, three for more than 40 positions (a and e
  // within 1e-3 of a tried one are the same start).
  std::vector<std::pair<long double, long double>> tried;
  const std::size_t maxStarts = sub.size() > 40 ? 3 : 6;
  for (std::size_t k = 0; k < ranked.size() && tried.size() < maxStarts; ++k) {
    if (!std::isfinite(ranked[k].first)) continue;
    const StateAtEpoch& c = candidates[ranked[k].second];
    const OrbitElements ce = ElementsFromState(c.position, c.velocity, c.epochTT);
    bool seen = false;
    for (const auto& [ta, te] : tried) {
      seen = seen || (std::fabs(ta - ce.a) <= 1e-3L * std::fabs(ta) && std::fabs(te - ce.e) <= 1e-3L);
    }
    if (seen) continue;
    tried.emplace_back(ce.a, ce.e);
    fit.progress.push_back("Candidate " + std::to_string(tried.size()) + ": trimmed rms " +
                           Fixed(2, std::fmod(ranked[k].first, 1e6L)) + "\"");
    FitResult trial = fit;
    model.epochTT = c.epochTT;
    std::vector<long double> p = StateParameters(c.position, c.velocity);
    if (settings.fixedE || settings.fixedQAu) {
      // The held element: start from the candidate's other elements.
      model.kind = settings.fixedE ? FitParameters::kFixedE : FitParameters::kFixedQ;
      model.fixedValue = settings.fixedE ? *settings.fixedE : *settings.fixedQAu;
      OrbitElements el = ElementsFromState(c.position, c.velocity, c.epochTT);
      p = ElementParameters(model.kind, el);
    }
    if (!Correct(sub, model, p, settings, trial, false)) continue;
    if (!have || better(trial, best)) {
      best = trial;
      have = true;
    }
  }
  if (!have) {
    fit.messages.push_back(kFitNoConvergence);
    return fit;
  }
  // Longer arcs: the window grows threefold about its middle, each step
  // corrected from the last, until it holds every observation.
  if (sub.size() < obs.size()) {
    const long double centre = (sub.front().jdTT + sub.back().jdTT) / 2;
    long double half = std::max(1.0L, (sub.back().jdTT - sub.front().jdTT) / 2);
    std::size_t last = sub.size();
    while (last < obs.size()) {
      half *= 3;
      std::vector<PreparedObservation> grown;
      for (const auto& o : obs) {
        if (std::fabs(o.jdTT - centre) <= half) grown.push_back(o);
      }
      if (grown.size() == last) continue;
      last = grown.size();
      FitResult step = fit;
      FitModel m{&grown, best.kind, best.fixedValue, best.epochTT};
      if (!Correct(grown, m, best.params, settings, step, false)) break;
      best = step;
      fit.progress.push_back("Arc of " + Fixed(1, grown.back().jdUtc - grown.front().jdUtc) + " days: rms " +
                             Fixed(3, best.rmsArcsec) + "\", " + std::to_string(best.used) + " of " +
                             std::to_string(grown.size()) + " used");
    }
  }
  // Run the chosen solution once more to list its rejections in order.
  FitResult done = fit;
  FitModel finalModel{&obs, best.kind, best.fixedValue, best.epochTT};
  if (!Correct(obs, finalModel, best.params, settings, done, true)) done = best;
  done.method = "gauss";
  done.ok = true;
  done.progress.push_back("Differential correction: " + std::to_string(done.iterations) + " iterations, rms " +
                          Fixed(3, done.rmsArcsec) + "\", " + std::to_string(done.used) + " of " +
                          std::to_string(obs.size()) + " observations used");
  if (!done.converged) done.messages.push_back(kFitNoConvergence);
  done.messages.push_back(kFitTwoBodyNote);
  // Residuals of observations without a known site are reported unused.
  return done;
}

FitResult CorrectOrbit(const std::vector<FitObservation>& input, const ObservatoryCodeList& codes,
                       const FitSettings& settings, const OrbitElements& start) {
  FitResult fit;
  const std::vector<PreparedObservation> obs = PrepareObservations(input, codes, settings, fit.messages);
  if (obs.size() < 3) {
    fit.messages.push_back(kFitTooFew);
    return fit;
  }
  fit.nights = CountNights(obs);
  const long double mid = (obs.front().jdTT + obs.back().jdTT) / 2;
  OrbitElements el = start;
  PrecessElements(el, EquinoxKind::kJulian, kJD_J2000);
  const StateVector sv = ElementsToState(el, mid);
  if (sv.error) {
    fit.messages.push_back(kFitNoConvergence);
    return fit;
  }
  FitModel model{&obs, FitParameters::kState, 0, mid};
  std::vector<long double> p = StateParameters(sv.position, sv.velocity);
  if (settings.fixedE || settings.fixedQAu) {
    model.kind = settings.fixedE ? FitParameters::kFixedE : FitParameters::kFixedQ;
    model.fixedValue = settings.fixedE ? *settings.fixedE : *settings.fixedQAu;
    p = ElementParameters(model.kind, ElementsFromState(sv.position, sv.velocity, mid));
  }
  if (!Correct(obs, model, p, settings, fit, true)) {
    fit.messages.push_back(kFitNoConvergence);
    return fit;
  }
  fit.ok = true;
  fit.method = "correction";
  if (!fit.converged) fit.messages.push_back(kFitNoConvergence);
  fit.messages.push_back(kFitTwoBodyNote);
  return fit;
}

Prediction PredictFromParameters(FitParameters kind, const std::vector<long double>& p, long double fixedValue,
                                 long double epochTT, const std::vector<std::vector<long double>>& cov,
                                 const Vec3& observerKm, long double jdTT) {
  Prediction pr;
  pr.jdTT = jdTT;
  const OrbitElements el = ElementsOfParameters(kind, p, fixedValue, epochTT);
  const AstrometricPlace c = PlaceFromElements(el, observerKm, jdTT);
  if (c.error) return pr;
  pr.ok = true;
  pr.raHours = c.raRad * 12 / kPi;
  pr.decDeg = c.decRad * 180 / kPi;
  pr.distanceAu = c.distanceAu;
  if (cov.size() != p.size()) return pr;
  const FitModel m{nullptr, kind, fixedValue, epochTT};
  const auto steps = m.Steps();
  std::vector<std::array<long double, 2>> jac(p.size());
  for (std::size_t j = 0; j < p.size(); ++j) {
    auto pp = p;
    auto pm = p;
    pp[j] += steps[j];
    pm[j] -= steps[j];
    const AstrometricPlace a = PlaceFromElements(ElementsOfParameters(kind, pp, fixedValue, epochTT), observerKm, jdTT);
    const AstrometricPlace b = PlaceFromElements(ElementsOfParameters(kind, pm, fixedValue, epochTT), observerKm, jdTT);
    if (a.error || b.error) return pr;
    jac[j][0] = WrapPi(a.raRad - b.raRad) * std::cos(c.decRad) * kFitArcsecPerRadian / (2 * steps[j]);
    jac[j][1] = (a.decRad - b.decRad) * kFitArcsecPerRadian / (2 * steps[j]);
  }
  long double sxx = 0, syy = 0, sxy = 0;
  for (std::size_t a = 0; a < p.size(); ++a) {
    for (std::size_t b = 0; b < p.size(); ++b) {
      sxx += jac[a][0] * cov[a][b] * jac[b][0];
      syy += jac[a][1] * cov[a][b] * jac[b][1];
      sxy += jac[a][0] * cov[a][b] * jac[b][1];
    }
  }
  const long double tr = (sxx + syy) / 2;
  const long double d = std::sqrt(std::max(0.0L, (sxx - syy) * (sxx - syy) / 4 + sxy * sxy));
  pr.sigmaMajorArcsec = std::sqrt(std::max(0.0L, tr + d));
  pr.sigmaMinorArcsec = std::sqrt(std::max(0.0L, tr - d));
  // x is east (RA), y north: the angle of the major axis from north through east.
  const long double theta = 0.5L * std::atan2(2 * sxy, sxx - syy);  // from east towards north
  long double pa = 90 - theta * 180 / kPi;
  while (pa < 0) pa += 180;
  while (pa >= 180) pa -= 180;
  pr.positionAngleDeg = pa;
  return pr;
}

Prediction AddSampleSpread(const FitResult& fit, const Vec3& observerKm, long double jdTT, Prediction base);

Prediction PredictPlace(const FitResult& fit, const Vec3& observerKm, long double jdTT) {
  Prediction p =
      PredictFromParameters(fit.kind, fit.params, fit.fixedValue, fit.epochTT, fit.covariance, observerKm, jdTT);
  if (!p.ok || fit.samples.empty()) return p;
  return AddSampleSpread(fit, observerKm, jdTT, p);
}

namespace {

/// Grid of the ranging: topocentric distances (AU, log-spaced) and the radial
/// rates of each distance, spread over the range of bound orbits.
constexpr long double kRangeMinAu = 0.003L;
constexpr long double kRangeMaxAu = 5.0L;
constexpr int kRangeSteps = 30;
constexpr int kRateSteps = 13;
/// Orbits whose chi^2 exceeds the best by more than this are not possible:
/// the 99 % limit of chi^2 with the two ranged parameters.
constexpr long double kRangeChi2Window = 9.21L;

/// The ranging's frame: the place and motion at the reference instant.
struct RangingFrame {
  long double t0 = 0;        ///< TT
  Vec3 observer;             ///< AU
  Vec3 observerRate;         ///< AU/day
};

/// The state (AU, AU/day) for distance rho, rate rhoDot and the angles
/// q = (RA, Dec, dRA/dt, dDec/dt) (radians, radians/day).
std::vector<long double> RangedState(const RangingFrame& f, long double rho, long double rhoDot,
                                     const std::vector<long double>& q) {
  const long double eps = J2000Obliquity();
  const long double ca = std::cos(q[0]), sa = std::sin(q[0]), cd = std::cos(q[1]), sd = std::sin(q[1]);
  const Vec3 u = EquatorialToEcliptic({cd * ca, cd * sa, sd}, eps);
  const Vec3 ua = EquatorialToEcliptic({-cd * sa, cd * ca, 0}, eps);
  const Vec3 ud = EquatorialToEcliptic({-sd * ca, -sd * sa, cd}, eps);
  const Vec3 r = VecAdd(f.observer, VecScale(u, rho));
  const Vec3 v = VecAdd(VecAdd(f.observerRate, VecScale(u, rhoDot)),
                        VecScale(VecAdd(VecScale(ua, q[2]), VecScale(ud, q[3])), rho));
  return {r.x, r.y, r.z, v.x, v.y, v.z};
}

/// The ranged orbit of one grid node after fitting its four angles.
struct RangedNode {
  bool ok = false;
  long double chi2 = 0;
  long double epoch = 0;
  std::vector<long double> state;
  std::vector<long double> residuals;
  std::vector<std::vector<long double>> covariance;  ///< of the state, from the angles' covariance
};

RangedNode FitNode(const std::vector<PreparedObservation>& obs, const RangingFrame& f, long double rho,
                   long double rhoDot, const std::vector<long double>& q0) {
  RangedNode node;
  node.epoch = f.t0 - kLightDaysPerAu * rho;
  const FitModel model{&obs, FitParameters::kState, 0, node.epoch};
  const auto eval = [&](const std::vector<long double>& q, std::vector<long double>& r) {
    return model.Evaluate(RangedState(f, rho, rhoDot, q), r);
  };
  const std::vector<bool> use(2 * obs.size(), true);
  const LeastSquaresResult ls = SolveLeastSquares(eval, q0, {1e-7L, 1e-7L, 1e-6L, 1e-6L}, use, 2);
  if (!ls.ok || ls.covariance.size() != 4) return node;
  const std::vector<long double> state = RangedState(f, rho, rhoDot, ls.params);
  // A bound heliocentric orbit only.
  const long double r = std::sqrt(state[0] * state[0] + state[1] * state[1] + state[2] * state[2]);
  const long double v2 = state[3] * state[3] + state[4] * state[4] + state[5] * state[5];
  if (!(v2 / 2 - kMu / r < 0)) return node;
  node.ok = true;
  node.chi2 = ls.chi2;
  node.state = state;
  node.residuals = ls.residuals;
  // The state's covariance from the angles': J C J^T with J = d state / d q.
  const std::vector<long double> steps = {1e-7L, 1e-7L, 1e-6L, 1e-6L};
  std::vector<std::vector<long double>> jac(6, std::vector<long double>(4));
  for (std::size_t j = 0; j < 4; ++j) {
    auto qp = ls.params;
    auto qm = ls.params;
    qp[j] += steps[j];
    qm[j] -= steps[j];
    const auto sp = RangedState(f, rho, rhoDot, qp);
    const auto sm = RangedState(f, rho, rhoDot, qm);
    for (std::size_t i = 0; i < 6; ++i) jac[i][j] = (sp[i] - sm[i]) / (2 * steps[j]);
  }
  node.covariance.assign(6, std::vector<long double>(6, 0));
  for (std::size_t a = 0; a < 6; ++a) {
    for (std::size_t b = 0; b < 6; ++b) {
      for (std::size_t i = 0; i < 4; ++i) {
        for (std::size_t j = 0; j < 4; ++j) node.covariance[a][b] += jac[a][i] * ls.covariance[i][j] * jac[b][j];
      }
    }
  }
  return node;
}

}  // namespace

bool RangeShortArc(const std::vector<PreparedObservation>& obs, const FitSettings& settings, FitResult& fit) {
  RangingFrame frame;
  frame.t0 = (obs.front().jdTT + obs.back().jdTT) / 2;
  std::size_t ref = 0;
  for (std::size_t k = 0; k < obs.size(); ++k) {
    if (std::fabs(obs[k].jdTT - frame.t0) < std::fabs(obs[ref].jdTT - frame.t0)) ref = k;
  }
  const long double t0Utc = frame.t0 - (obs[ref].jdTT - obs[ref].jdUtc);
  constexpr long double dt = 60.0L / kSecondsPerDay;
  frame.observer = VecScale(ObserverAt(obs[ref], t0Utc), 1 / kFitAuKm);
  frame.observerRate = VecScale(
      VecAdd(ObserverAt(obs[ref], t0Utc + dt), VecNegate(ObserverAt(obs[ref], t0Utc - dt))), 1 / (2 * dt * kFitAuKm));

  // Straight-line angles and rates at t0 as the start of every node.
  long double st = 0, sa = 0, sd = 0, stt = 0, sta = 0, std_ = 0;
  const long double ra0 = obs.front().raRad;
  for (const auto& o : obs) {
    const long double t = o.jdTT - frame.t0;
    const long double a = ra0 + WrapPi(o.raRad - ra0);
    st += t;
    sa += a;
    sd += o.decRad;
    stt += t * t;
    sta += t * a;
    std_ += t * o.decRad;
  }
  const long double nObs = static_cast<long double>(obs.size());
  const long double den = nObs * stt - st * st;
  if (!(std::fabs(den) > 0)) return false;
  const long double raRate = (nObs * sta - st * sa) / den;
  const long double decRate = (nObs * std_ - st * sd) / den;
  const std::vector<long double> q0 = {(sa - raRate * st) / nObs, (sd - decRate * st) / nObs, raRate, decRate};

  std::vector<RangedNode> nodes;
  const long double logMin = std::log(kRangeMinAu);
  const long double logStep = (std::log(kRangeMaxAu) - logMin) / (kRangeSteps - 1);
  for (int i = 0; i < kRangeSteps; ++i) {
    const long double rho = std::exp(logMin + logStep * static_cast<long double>(i));
    // Bound orbits: |w + rhoDot u|^2 < 2 mu / r, a quadratic in rhoDot.
    const auto s0 = RangedState(frame, rho, 0, q0);
    const Vec3 rv{s0[0], s0[1], s0[2]};
    const Vec3 w{s0[3], s0[4], s0[5]};
    const Vec3 u = VecScale(VecAdd(rv, VecNegate(frame.observer)), 1 / rho);
    const long double wu = VecDot(w, u);
    const long double disc = wu * wu - VecDot(w, w) + 2 * kMu / VecNorm(rv);
    if (!(disc > 0)) continue;
    const long double lo = -wu - std::sqrt(disc);
    const long double hi = -wu + std::sqrt(disc);
    for (int j = 0; j < kRateSteps; ++j) {
      const long double rhoDot = lo + (hi - lo) * (static_cast<long double>(j) + 0.5L) / kRateSteps;
      RangedNode node = FitNode(obs, frame, rho, rhoDot, q0);
      if (node.ok) nodes.push_back(std::move(node));
    }
  }
  fit.progress.push_back("Ranging: " + std::to_string(nodes.size()) + " bound orbits on the grid");
  if (nodes.empty()) return false;
  std::size_t best = 0;
  for (std::size_t k = 1; k < nodes.size(); ++k) {
    if (nodes[k].chi2 < nodes[best].chi2) best = k;
  }
  const RangedNode& b = nodes[best];
  fit.samples.clear();
  bool first = true;
  for (const RangedNode& n : nodes) {
    if (n.chi2 > b.chi2 + kRangeChi2Window) continue;
    std::vector<long double> sample = n.state;
    sample.push_back(n.epoch);
    fit.samples.push_back(sample);
    const OrbitElements el = ElementsOfParameters(FitParameters::kState, n.state, 0, n.epoch);
    const long double a = el.a / kFitAuKm;
    if (first || a < fit.spreadAMinAu) fit.spreadAMinAu = a;
    if (first || a > fit.spreadAMaxAu) fit.spreadAMaxAu = a;
    if (first || el.e < fit.spreadEMin) fit.spreadEMin = el.e;
    if (first || el.e > fit.spreadEMax) fit.spreadEMax = el.e;
    first = false;
  }
  fit.progress.push_back("Ranging: " + std::to_string(fit.samples.size()) + " possible orbits, a from " +
                         Fixed(3, fit.spreadAMinAu) + " to " + Fixed(3, fit.spreadAMaxAu) + " AU, e from " +
                         Fixed(3, fit.spreadEMin) + " to " + Fixed(3, fit.spreadEMax));
  fit.messages.push_back("Possible orbits: " + std::to_string(fit.samples.size()) + ", a from " +
                         Fixed(3, fit.spreadAMinAu) + " to " + Fixed(3, fit.spreadAMaxAu) + " AU, e from " +
                         Fixed(3, fit.spreadEMin) + " to " + Fixed(3, fit.spreadEMax));
  fit.ok = true;
  fit.shortArc = true;
  fit.method = "ranging";
  fit.converged = true;
  fit.kind = FitParameters::kState;
  fit.epochTT = b.epoch;
  fit.params = b.state;
  fit.covariance = b.covariance;
  fit.elements = ElementsOfParameters(FitParameters::kState, b.state, 0, b.epoch);
  fit.residuals.clear();
  long double sum = 0;
  for (std::size_t k = 0; k < obs.size(); ++k) {
    FitResidual r;
    r.index = obs[k].index;
    r.jdUtc = obs[k].jdUtc;
    r.code = obs[k].code;
    r.raArcsec = b.residuals[2 * k] * obs[k].sigmaRa;
    r.decArcsec = b.residuals[2 * k + 1] * obs[k].sigmaDec;
    sum += r.raArcsec * r.raArcsec + r.decArcsec * r.decArcsec;
    fit.residuals.push_back(r);
  }
  fit.used = obs.size();
  fit.rmsArcsec = std::sqrt(sum / static_cast<long double>(2 * obs.size()));
  ComputeSigmas(fit);
  if (settings.fixedE || settings.fixedQAu) {
    // The user's held element: a five-element correction from the best ranged orbit.
    FitModel model{&obs, settings.fixedE ? FitParameters::kFixedE : FitParameters::kFixedQ,
                   settings.fixedE ? *settings.fixedE : *settings.fixedQAu, b.epoch};
    FitResult held = fit;
    if (Correct(obs, model, ElementParameters(model.kind, fit.elements), settings, held, true)) {
      held.samples = fit.samples;
      fit = held;
      fit.method = "ranging";
      fit.shortArc = true;
      fit.ok = true;
    }
  }
  return true;
}

Prediction AddSampleSpread(const FitResult& fit, const Vec3& observerKm, long double jdTT, Prediction base) {
  const long double ra0 = base.raHours * kPi / 12;
  const long double dec0 = base.decDeg * kPi / 180;
  // The base ellipse back as a matrix, then the samples' scatter about the base added.
  const long double th = (90 - base.positionAngleDeg) * kPi / 180;
  const long double a2 = base.sigmaMajorArcsec * base.sigmaMajorArcsec;
  const long double b2 = base.sigmaMinorArcsec * base.sigmaMinorArcsec;
  long double sxx = a2 * std::cos(th) * std::cos(th) + b2 * std::sin(th) * std::sin(th);
  long double syy = a2 * std::sin(th) * std::sin(th) + b2 * std::cos(th) * std::cos(th);
  long double sxy = (a2 - b2) * std::sin(th) * std::cos(th);
  long double maxDist = 0;
  std::size_t count = 0;
  long double cxx = 0, cyy = 0, cxy = 0;
  for (const auto& s : fit.samples) {
    const std::vector<long double> state(s.begin(), s.begin() + 6);
    const AstrometricPlace p =
        PlaceFromElements(ElementsOfParameters(FitParameters::kState, state, 0, s[6]), observerKm, jdTT);
    if (p.error) continue;
    const long double x = WrapPi(p.raRad - ra0) * std::cos(dec0) * kFitArcsecPerRadian;
    const long double y = (p.decRad - dec0) * kFitArcsecPerRadian;
    cxx += x * x;
    cyy += y * y;
    cxy += x * y;
    maxDist = std::max(maxDist, std::sqrt(x * x + y * y));
    ++count;
  }
  if (count == 0) return base;
  const long double nc = static_cast<long double>(count);
  sxx += cxx / nc;
  syy += cyy / nc;
  sxy += cxy / nc;
  const long double tr = (sxx + syy) / 2;
  const long double d = std::sqrt(std::max(0.0L, (sxx - syy) * (sxx - syy) / 4 + sxy * sxy));
  base.sigmaMajorArcsec = std::sqrt(std::max(0.0L, tr + d));
  base.sigmaMinorArcsec = std::sqrt(std::max(0.0L, tr - d));
  // The stated region holds every possible orbit within its 3 sigma.
  base.sigmaMajorArcsec = std::max(base.sigmaMajorArcsec, (maxDist + 3 * base.sigmaMinorArcsec) / 3);
  long double pa = 90 - 0.5L * std::atan2(2 * sxy, sxx - syy) * 180 / kPi;
  while (pa < 0) pa += 180;
  while (pa >= 180) pa -= 180;
  base.positionAngleDeg = pa;
  return base;
}

}  // namespace skarvel
