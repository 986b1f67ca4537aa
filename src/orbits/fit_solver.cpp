#include "orbits/fit_solver.h"

#include <cmath>

namespace skarvel {

bool SolveSymmetric(const std::vector<std::vector<long double>>& a, const std::vector<long double>& b,
                    std::vector<long double>& x, std::vector<std::vector<long double>>* inverse) {
  const std::size_t n = b.size();
  std::vector<std::vector<long double>> l(n, std::vector<long double>(n, 0));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      long double s = a[i][j];
      for (std::size_t k = 0; k < j; ++k) s -= l[i][k] * l[j][k];
      if (i == j) {
        if (!(s > 0) || !std::isfinite(s)) return false;
        l[i][i] = std::sqrt(s);
      } else {
        l[i][j] = s / l[j][j];
      }
    }
  }
  const auto solve = [&](const std::vector<long double>& rhs) {
    std::vector<long double> y(n), z(n);
    for (std::size_t i = 0; i < n; ++i) {
      long double s = rhs[i];
      for (std::size_t k = 0; k < i; ++k) s -= l[i][k] * y[k];
      y[i] = s / l[i][i];
    }
    for (std::size_t i = n; i-- > 0;) {
      long double s = y[i];
      for (std::size_t k = i + 1; k < n; ++k) s -= l[k][i] * z[k];
      z[i] = s / l[i][i];
    }
    return z;
  };
  x = solve(b);
  if (inverse != nullptr) {
    inverse->assign(n, std::vector<long double>(n, 0));
    for (std::size_t j = 0; j < n; ++j) {
      std::vector<long double> e(n, 0);
      e[j] = 1;
      const auto col = solve(e);
      for (std::size_t i = 0; i < n; ++i) (*inverse)[i][j] = col[i];
    }
  }
  return true;
}

namespace {

long double SumSquares(const std::vector<long double>& r, const std::vector<bool>& use) {
  long double s = 0;
  for (std::size_t k = 0; k < r.size(); ++k) {
    if (use[k]) s += r[k] * r[k];
  }
  return s;
}

/// The Jacobian of the residuals r0 at p by forward differences (extended
/// precision keeps their error near the step's relative size); false on a
/// failed evaluation.
bool Jacobian(const ResidualFunction& f, const std::vector<long double>& p, const std::vector<long double>& r0,
              const std::vector<long double>& steps, std::size_t m, std::vector<std::vector<long double>>& jac) {
  jac.assign(p.size(), std::vector<long double>(m, 0));
  std::vector<long double> rp;
  for (std::size_t j = 0; j < p.size(); ++j) {
    auto pp = p;
    pp[j] += steps[j];
    if (!f(pp, rp) || rp.size() != m) return false;
    for (std::size_t k = 0; k < m; ++k) jac[j][k] = (rp[k] - r0[k]) / steps[j];
  }
  return true;
}

}  // namespace

LeastSquaresResult SolveLeastSquares(const ResidualFunction& f, std::vector<long double> p0,
                                     const std::vector<long double>& steps, const std::vector<bool>& use,
                                     int maxIterations) {
  LeastSquaresResult res;
  std::vector<long double> r;
  if (!f(p0, r) || r.size() != use.size()) return res;
  res.ok = true;
  const std::size_t n = p0.size();
  const std::size_t m = r.size();
  long double chi2 = SumSquares(r, use);
  long double lambda = 1e-3L;
  std::vector<std::vector<long double>> jac;
  std::vector<std::vector<long double>> normal(n, std::vector<long double>(n));
  std::vector<long double> grad(n);
  const auto buildNormal = [&]() {
    for (std::size_t a = 0; a < n; ++a) {
      grad[a] = 0;
      for (std::size_t b = 0; b < n; ++b) normal[a][b] = 0;
    }
    for (std::size_t k = 0; k < m; ++k) {
      if (!use[k]) continue;
      for (std::size_t a = 0; a < n; ++a) {
        grad[a] += jac[a][k] * r[k];
        for (std::size_t b = 0; b <= a; ++b) normal[a][b] += jac[a][k] * jac[b][k];
      }
    }
    for (std::size_t a = 0; a < n; ++a) {
      for (std::size_t b = 0; b < a; ++b) normal[b][a] = normal[a][b];
    }
  };
  int it = 0;
  for (; it < maxIterations; ++it) {
    if (!Jacobian(f, p0, r, steps, m, jac)) break;
    buildNormal();
    bool stepped = false;
    bool tiny = false;
    for (int tries = 0; tries < 12 && !stepped; ++tries) {
      auto damped = normal;
      for (std::size_t a = 0; a < n; ++a) damped[a][a] *= 1 + lambda;
      std::vector<long double> rhs(n), dx;
      for (std::size_t a = 0; a < n; ++a) rhs[a] = -grad[a];
      if (!SolveSymmetric(damped, rhs, dx)) {
        lambda *= 10;
        continue;
      }
      auto trial = p0;
      long double stepNorm = 0;
      for (std::size_t a = 0; a < n; ++a) {
        trial[a] += dx[a];
        stepNorm += (dx[a] / steps[a]) * (dx[a] / steps[a]);
      }
      std::vector<long double> rt;
      if (f(trial, rt) && rt.size() == m) {
        const long double c2 = SumSquares(rt, use);
        if (c2 <= chi2) {
          const long double change = (chi2 - c2) / std::max(c2, 1e-30L);
          p0 = trial;
          r = rt;
          chi2 = c2;
          lambda = std::max(lambda / 10, 1e-12L);
          stepped = true;
          tiny = change < 1e-10L || std::sqrt(stepNorm) < 1e-6L;
          continue;
        }
      }
      lambda *= 10;
    }
    if (!stepped || tiny) {
      res.converged = true;  // no step lowers the sum further, or the last one was negligible
      ++it;
      break;
    }
  }
  res.iterations = it;
  res.params = p0;
  res.residuals = r;
  res.chi2 = chi2;
  if (Jacobian(f, p0, r, steps, m, jac)) {
    buildNormal();
    std::vector<long double> dx;
    if (!SolveSymmetric(normal, grad, dx, &res.covariance)) res.covariance.clear();
  }
  return res;
}

}  // namespace skarvel
