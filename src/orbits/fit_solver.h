// A small damped (Levenberg-Marquardt) least-squares solver for the orbit
// fit: residuals from a callback, partial derivatives by forward differences,
// the covariance of the parameters from the normal matrix.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace skarvel {

/// The residuals of parameters p (already divided by their uncertainties);
/// false when they cannot be computed there.
using ResidualFunction = std::function<bool(const std::vector<long double>& p, std::vector<long double>& r)>;

struct LeastSquaresResult {
  bool ok = false;         ///< the residuals could be computed at the start
  bool converged = false;  ///< the sum of squares settled (relative change below 1e-10, or a step below 1e-12)
  int iterations = 0;
  std::vector<long double> params;
  std::vector<long double> residuals;  ///< at params, every residual (masked ones too)
  long double chi2 = 0;                ///< sum of the squares of the used residuals
  std::vector<std::vector<long double>> covariance;  ///< inverse normal matrix (unscaled)
};

/// Minimises the sum of squares of the residuals whose `use` flag is set,
/// from p0. `steps` are the forward-difference steps of the parameters.
LeastSquaresResult SolveLeastSquares(const ResidualFunction& f, std::vector<long double> p0,
                                     const std::vector<long double>& steps, const std::vector<bool>& use,
                                     int maxIterations);

/// Solves the symmetric positive definite system A x = b by Cholesky; false
/// when A is not positive definite. `inverse`, when given, receives A^-1.
bool SolveSymmetric(const std::vector<std::vector<long double>>& a, const std::vector<long double>& b,
                    std::vector<long double>& x, std::vector<std::vector<long double>>* inverse = nullptr);

}  // namespace skarvel
