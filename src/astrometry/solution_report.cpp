#include "astrometry/solution_report.h"

#include <algorithm>
#include <cmath>

#include "catalogs/catalog_star.h"
#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

std::string ShortFilterName(std::uint8_t band) {
  static const char* const kNames[] = {"B", "V", "R", "I", "J", "H", "K"};
  return band <= 6 ? kNames[band] : "";
}

void MagnitudeSolution(ReferenceStar& target, const std::vector<ReferenceStar*>& references,
                       std::uint8_t cameraFilter, bool expertMode, platform::Platform& ui, AstromMagObj& mag) {
  target.band = cameraFilter;
  target.catMag = 0;
  target.magRes = 0;
  mag = AstromMagObj{};
  if (!references.empty()) {
    const std::uint8_t r = references.front()->band;
    const std::uint8_t t = target.band;
    mag.filterMatch = r == t || r == 8 || t == 8 || (t == 7 && (r == 2 || r == kBandG));
    // The magnitude of an image without a known filter is on the system of
    // the reference stars' catalog band (G for Gaia, R for a red plate
    // magnitude, ...): the report gives that band.
    if ((r <= 6 || r == kBandG) && (t == kBandNone || t == kBandUnknown)) target.band = r;
    if (!mag.filterMatch && !expertMode)
      platform::Tell(ui, "Image filter does not match selected color of reference stars.", "Magnitude Calculation",
                     Icon::Exclamation);
  }
  std::vector<long double> magnitudes(references.size(), 0);
  for (std::size_t i = 0; i < references.size(); ++i) {
    ReferenceStar& r = *references[i];
    if (!r.useMag || r.flux == 0) continue;
    const long double q = target.flux / r.flux;
    if (!(q > 0)) {
      r.flux = 0;
      r.magRes = 0;
      r.useMag = false;
      continue;
    }
    const long double m = r.catMag - 2.5L * std::log10(q);
    magnitudes[i] = m;
    r.magRes = m;
    ++mag.n;
    mag.s1 += m;
    mag.s2 += m * m;
  }
  if (mag.n > 0) target.catMag = mag.s1 / mag.n;
  if (mag.n > 1) {
    const long double variance = (mag.s2 - mag.s1 * mag.s1 / mag.n) / (mag.n - 1);
    mag.s = variance > 0 ? std::sqrt(variance) : 0;
    mag.sOverRootN = mag.s / std::sqrt(static_cast<long double>(mag.n));
    target.magRes = mag.sOverRootN;
  }
  if (mag.n == 0 && !expertMode)
    platform::Tell(ui, "No Magnitude References Selected!", "Cannot Compute Magnitude!", Icon::Exclamation);
  if (target.catMag != 0)
    for (std::size_t i = 0; i < references.size(); ++i) {
      ReferenceStar& r = *references[i];
      if (r.useMag && r.flux != 0) r.magRes = target.catMag - magnitudes[i];
    }
}

std::string SolutionReportTitle(int slot) { return "Image " + std::to_string(slot + 1) + " - Astrometric Solution"; }

namespace {

std::string RA(long double hours) { return FormatDMS(hours, 2, "h ", "m ", "s "); }
std::string Dec(long double degrees) { return FormatDMS(degrees, 1, "\xB0 ", "' ", "\" "); }
std::string Fixed(int d, long double v) { return FormatFixed(d, v); }

// Decimals of a magnitude: 2 when its error is below 0.05, else 1.
int MagDecimals(long double error) { return error > 0 && error < 0.05L ? 2 : 1; }

std::string DateLine(double t) {
  const CalendarDate d = DecodeDate(t);
  std::string day = std::to_string(d.day);
  if (day.size() < 2) day = "0" + day;
  return std::to_string(d.year) + " " + std::string(MonthName(d.month)) + " " + day + ",  UT: " + TimeFieldText(t);
}

}  // namespace

std::vector<std::string> SolutionReportLines(const SolutionReportInput& in) {
  std::vector<std::string> out;
  const int m = UnknownCount(in.solutionType);
  const int n = in.pairCount;
  const ReferenceStar& t = in.target;
  const bool hasMag = in.targetLocated && t.catMag != 0;
  const int magDecimals = MagDecimals(t.magRes);
  // 1. The image.
  out.push_back("Image File Name: " + in.fileName);
  out.push_back("Object: " + (in.objectName.empty() ? std::string("(Unknown)") : in.objectName));
  out.push_back("Observation Date: " + DateLine(in.observationTime));
  out.push_back("");
  // 2. The target.
  if (in.targetLocated) {
    out.push_back("Target Object:");
    out.push_back("   x = " + Fixed(4, t.imageX) + ",      RA = " + RA(t.fitRA));
    out.push_back("   y = " + Fixed(4, t.imageY) + ",      Dec = " + Dec(t.fitDec));
    if (hasMag) {
      std::string line = "   m = " + Fixed(magDecimals, t.catMag);
      line += t.band > 6 ? " (No Filter)" : " (" + ShortFilterName(t.band) + " Filter)";
      out.push_back(line);
      if (!in.magnitude.filterMatch) out.push_back("** Image Filter Does Not Match Color of Reference Stars **");
    } else {
      out.push_back("   m not computed!");
    }
    out.push_back("");
  }
  // 3. The residuals.
  static const char* const kModel[] = {"(Linear Solution):", "(Cross-Term Solution):", "(Full Quadratic Solution):"};
  const std::size_t model = in.solutionType <= 2 ? in.solutionType : 0;
  if (n <= m) {
    out.push_back("Estimated errors cannot be calculated!");
    out.push_back("N(=" + std::to_string(n) + ") is " + "minimum for selected solution type.");
  } else {
    out.push_back(std::string("RMS Residuals ") + kModel[model]);
    out.push_back("   RA: " + Fixed(3, in.errors.ra) + "\",   Dec: " + Fixed(3, in.errors.dec) + "\"");
    out.push_back("Estimated Solution Error (Sigma): " + Fixed(3, in.errors.total) + "\"");
    if (in.targetLocated && in.targetCentringArcsec > 0) {
      out.push_back("Target Centring Error (Sigma): " + Fixed(3, in.targetCentringArcsec) + "\"");
      out.push_back("Target Error with Plate (Sigma):   RA: " + Fixed(3, t.resRA) + "\",   Dec: " + Fixed(3, t.resDec) +
                    "\"");
    }
  }
  // 4. The magnitude error.
  if (hasMag) {
    if (t.magRes == 0) out.push_back("Estimated Error in Magnitude (Sigma): Unable to Estimate (N=1).");
    else out.push_back("Estimated Error in Magnitude (Sigma): " + Fixed(magDecimals, t.magRes) + "(3)");
  }
  // 5. The reference stars.
  if (n > m) {
    out.push_back("");
    out.push_back(std::to_string(n) + " reference stars used in plate solution.");
    out.push_back(in.plateWeighted ? "Plate solution weighted by the centring uncertainties (" +
                                         std::to_string(in.weightedStars) + " of " + std::to_string(n) + " stars measured)."
                                   : std::string("Plate solution unweighted (all stars of equal weight)."));
    out.push_back(std::to_string(in.magnitude.n) +
                  (in.magnitude.n == 1 ? " reference star used in magnitude solution."
                                       : " reference stars used in magnitude solution."));
    out.push_back("");
    out.push_back("Reference Stars by Position Residual (Descending):");
    std::vector<const ReferenceStar*> order;
    for (const auto& r : in.references) order.push_back(&r);
    std::stable_sort(order.begin(), order.end(), [](const ReferenceStar* a, const ReferenceStar* b) {
      if (a->usePos != b->usePos) return a->usePos;
      return a->resTotal > b->resTotal;
    });
    bool notUsedHeading = false;
    for (const ReferenceStar* r : order) {
      if (!r->usePos && !notUsedHeading) {
        out.push_back("");
        out.push_back("Stars With High Position Residuals Not Used in Solution:");
        notUsedHeading = true;
      }
      out.push_back("");
      out.push_back("Star " + std::to_string(r->number) + " -" + " Position Residual (RMS) = " +
                    Fixed(3, r->resTotal) + "\"" + (r->usePos ? "" : "(1)"));
      out.push_back("   Catalog: " + (in.catalogName ? in.catalogName(r->catalog) : std::string()) + ", ID: " + r->id);
      out.push_back("   x = " + Fixed(4, r->imageX) + ",      RA = " + RA(r->fitRA) + " (" + Fixed(3, r->resRA) + "\")");
      out.push_back("   y = " + Fixed(4, r->imageY) + ",      Dec = " + Dec(r->fitDec) + " (" + Fixed(3, r->resDec) +
                    "\")");
      if (in.targetLocated) {
        if (r->useMag || r->magRes != 0) {
          std::string line = "   Magnitude Residual = " + Fixed(2, r->magRes) + (r->useMag ? "" : "(2)");
          if (r->band <= 6) line += ", Passband: " + ShortFilterName(r->band);
          else if (r->band == kBandG) line += ", Passband: G";
          else if (r->band == 7) line += ", Passband: Unfiltered CCD";
          else line += ", Passband is Undetermined!";
          out.push_back(line);
        } else {
          out.push_back("   Unable to compute magnitude residual.(2)");
        }
      }
      if (r->sigmaX > 0 || r->sigmaY > 0)
        out.push_back("   Centring Uncertainty (Sigma): x = " + Fixed(3, r->sigmaX) + " px,   y = " + Fixed(3, r->sigmaY) +
                      " px");
      if (r->saturated) out.push_back("   Saturated: left out of the plate and the magnitude solution.");
      if (r->sameStarAs != 0)
        out.push_back("   Centred on the image star of Star " + std::to_string(r->sameStarAs) + ": left out of the solution.");
    }
  }
  // 6. The field centre.
  out.push_back("");
  out.push_back("Field Center:");
  out.push_back("   x = " + Fixed(4, in.centre.imageX) + ",      RA = " + RA(in.centre.fitRA));
  out.push_back("   y = " + Fixed(4, in.centre.imageY) + ",      Dec = " + Dec(in.centre.fitDec));
  // 7. The plate constants.
  static const char* const kTitle[] = {"Plate Constants for Linear Solution:", "Plate Constants for Cross-Term Solution:",
                                       "Plate Constants for Quadratic Solution:"};
  static const char* const kXEquation[] = {"  (X = a*x + b*y + c)", "  (X = a*x + b*y + c*x*y + d)",
                                           "  (X = a*x + b*y + c*x*y + d*x*x + e*y*y + f)"};
  static const char* const kYEquation[] = {"  (Y = d*x + e*y + f)", "  (Y = e*x + f*y + g*x*y + h)",
                                           "  (Y = g*x + h*y + i*x*y + j*x*x + k*y*y + l)"};
  out.push_back("");
  out.push_back(kTitle[model]);
  out.push_back("");
  const std::size_t perLine = model == 1 ? 2 : 3;
  auto constantLines = [&](std::size_t first) {
    std::string line;
    for (std::size_t k = 0; k < static_cast<std::size_t>(m); ++k) {
      const char name = static_cast<char>('a' + first + k);
      const long double v = first + k < in.constants.size() ? in.constants[first + k] : 0;
      line += (k % perLine == 0 ? std::string("  ") : std::string(", ")) + name + " = " + FormatExp(10, v);
      if (k % perLine == perLine - 1 || k + 1 == static_cast<std::size_t>(m)) {
        out.push_back(line);
        line.clear();
      }
    }
  };
  out.push_back(kXEquation[model]);
  constantLines(0);
  out.push_back("");
  out.push_back(kYEquation[model]);
  constantLines(static_cast<std::size_t>(m));
  // 8. The scale.
  auto constant = [&](std::size_t k) { return k < in.constants.size() ? in.constants[k] : 0.0L; };
  const long double a = constant(0);
  const long double b = constant(1);
  const long double dYdx = constant(static_cast<std::size_t>(m));      // the y equation's x term
  const long double dYdy = constant(static_cast<std::size_t>(m) + 1);  // e, f or h
  out.push_back("");
  const char* unit = " \"/pixel";
  if (in.camera.pixelWidthUm != in.camera.pixelHeightUm) {
    const long double xs = std::fabs(a) * kArcsecPerRadian;
    const long double ys = std::fabs(dYdy) * kArcsecPerRadian;
    out.push_back(" x-Scale = " + Fixed(4, xs) + unit + ",  Field Wd. = " + Fixed(2, xs * in.imageWidth / 60) + "'");
    out.push_back(" y-Scale = " + Fixed(4, ys) + unit + ",  Field Ht. = " + Fixed(2, ys * in.imageHeight / 60) + "'");
  } else {
    const long double scale = std::sqrt(std::fabs(a * dYdy - dYdx * b)) * kArcsecPerRadian;
    out.push_back("   Scale = " + Fixed(4, scale) + unit + ",  Field Wd. = " + Fixed(2, scale * in.imageWidth / 60) +
                  "'" + ",  Ht. = " + Fixed(2, scale * in.imageHeight / 60) + "'");
  }
  // 9. The focal length.
  if (in.camera.pixelWidthUm > 0 && in.camera.pixelHeightUm > 0 && a != 0 && dYdy != 0) {
    const long double focal =
        (std::fabs(in.camera.pixelWidthUm / (2 * a)) + std::fabs(in.camera.pixelHeightUm / (2 * dYdy))) * 0.001L;
    std::string line = "   Effective Focal Length = " + Fixed(2, focal) + "mm";
    if (in.camera.apertureMm > 0) line += ",  f-Ratio = " + Fixed(1, focal / in.camera.apertureMm);
    out.push_back(line);
  }
  // 10. The notes.
  out.push_back("");
  out.push_back("Notes:");
  out.push_back("");
  out.push_back("  (1) Star not used in astrometric solution.");
  out.push_back("  (2) Star not used in magnitude solution.");
  out.push_back("  (3) Magnitudes are unreliable due to errors in reference star");
  out.push_back("      magnitudes and passband differences.");
  return out;
}

}  // namespace skarvel
