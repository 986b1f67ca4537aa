#include "orbits/orbit_fit_report.h"

#include <cmath>
#include <memory>

#include "foundations/angles.h"
#include "foundations/strings.h"
#include "foundations/time_scales.h"
#include "orbits/orbit_records.h"
#include "orbits/saved_orbits.h"

namespace skarvel {

namespace {

std::string Cut(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }

std::string Padded(const std::string& s, std::size_t width) { return PadLeft(s, width); }

std::string ElementLine(const std::string& label, long double value, long double sigma, int decimals,
                        const std::string& unit) {
  return label + FormatFixed(decimals, value) + unit + "  +- " + FormatFixed(decimals, sigma) + unit;
}

}  // namespace

OrbitElements FittedElements(const FitResult& fit, const std::string& designation) {
  OrbitElements el = fit.elements;
  el.designation = Cut(designation, kOrbitDesignationChars);
  el.name = Cut(designation.empty() ? std::string("Fitted orbit") : designation, kOrbitNameChars);
  el.magModel = 0;
  el.H = 0;
  el.G = 0;
  el.objectKind = 0;
  el.origin = kOriginMinorPlanet;
  el.equinoxIndex = 2;
  return el;
}

CurrentElements FittedAsCurrent(const FitResult& fit, const std::string& designation) {
  CurrentElements c;
  c.Set(FittedElements(fit, designation), OrbitCodes{}, ElementSource::kElementDialog, 0);
  c.fit = std::make_shared<const FitResult>(fit);
  return c;
}

Prediction PredictAtSite(const FitResult& fit, const ObservatoryCode& site, long double jdTT) {
  return PredictPlace(fit, ObserverPosition(site, TTToUtc(jdTT)), jdTT);
}

std::size_t AddFitUncertainty(const FitResult& fit, const SiteRecord& site, RecordList<EphemerisRecord>& table) {
  const ObservatoryCode code = SiteObservatoryCode(site);
  std::size_t given = 0;
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) {
    EphemerisRecord& r = *table.GetAt(k);
    const Prediction p = PredictAtSite(fit, code, DateTimeToDays(r.dateTime) + kJulianDateOffset);
    r.hasSigma = p.ok && std::isfinite(p.sigmaMajorArcsec) && std::isfinite(p.sigmaMinorArcsec);
    if (!r.hasSigma) continue;
    r.sigmaMajorArcsec = p.sigmaMajorArcsec;
    r.sigmaMinorArcsec = p.sigmaMinorArcsec;
    r.sigmaPaDeg = p.positionAngleDeg;
    ++given;
  }
  table.Reset();
  return given;
}

bool SaveFittedOrbit(platform::Platform& ui, const std::string& path, const FitResult& fit,
                     const std::string& designation) {
  return SaveOrbitRecord(ui, path, ElementsToCmo(FittedElements(fit, designation)));
}

std::vector<std::string> OrbitFitReport(const FitResult& fit, const std::vector<FitObservation>& observations) {
  std::vector<std::string> out;
  const long double deg = 180 / kPi;
  out.push_back("Orbit Determination");
  out.push_back("");
  out.push_back(kFitTwoBodyNote);
  out.push_back(fit.shortArc ? "Short arc: ranging over distance (single night)"
                             : fit.method == "gauss" ? "Gauss's method, then differential correction"
                                                     : "Differential correction");
  if (fit.kind == FitParameters::kFixedE) out.push_back("e held at " + FormatFixedTrim(7, fit.fixedValue));
  if (fit.kind == FitParameters::kFixedQ) out.push_back("q held at " + FormatFixedTrim(7, fit.fixedValue) + " AU");
  out.push_back("");
  out.push_back("Epoch: " + FractionalDateText(fit.elements.epoch) + " TT  (JD " + FormatFixed(5, fit.elements.epoch) +
                "), J2000 ecliptic");
  out.push_back(ElementLine("a:    ", fit.elements.a / kFitAuKm, fit.sigmas.aAu, 7, " AU"));
  out.push_back(ElementLine("e:    ", fit.elements.e, fit.sigmas.e, 7, ""));
  out.push_back(ElementLine("q:    ", fit.elements.q / kFitAuKm, fit.sigmas.qAu, 7, " AU"));
  out.push_back(ElementLine("Incl: ", fit.elements.i * deg, fit.sigmas.iDeg, 5, " deg"));
  out.push_back(ElementLine("Node: ", fit.elements.node * deg, fit.sigmas.nodeDeg, 5, " deg"));
  out.push_back(ElementLine("Peri: ", fit.elements.peri * deg, fit.sigmas.periDeg, 5, " deg"));
  out.push_back(ElementLine("M:    ", fit.elements.M * deg, fit.sigmas.mDeg, 5, " deg"));
  if (fit.shortArc) {
    out.push_back("Possible orbits: " + std::to_string(fit.samples.size()) + ", a " +
                  FormatFixed(3, fit.spreadAMinAu) + " to " + FormatFixed(3, fit.spreadAMaxAu) + " AU, e " +
                  FormatFixed(3, fit.spreadEMin) + " to " + FormatFixed(3, fit.spreadEMax));
  }
  out.push_back("");
  out.push_back("Residuals (observed minus computed, arc seconds):");
  out.push_back("    #  Date (UTC)         Code   RA cos Dec      Dec");
  for (const FitResidual& r : fit.residuals) {
    std::string line = Padded(std::to_string(r.index + 1), 5) + "  " + FractionalDateText(r.jdUtc) + "  " +
                       (r.code + "    ").substr(0, 4) + " " + Padded(FormatFixed(2, r.raArcsec), 12) +
                       Padded(FormatFixed(2, r.decArcsec), 9);
    if (!r.used) line += "  rejected";
    out.push_back(line);
  }
  std::size_t rejected = 0;
  for (const FitResidual& r : fit.residuals) rejected += r.used ? 0u : 1u;
  out.push_back("");
  out.push_back("RMS: " + FormatFixed(3, fit.rmsArcsec) + "\" of " + std::to_string(fit.used) + " observations (" +
                std::to_string(rejected) + " rejected, " +
                std::to_string(observations.size() - fit.residuals.size()) + " without a known site)");
  if (!fit.messages.empty()) out.push_back("");
  for (const std::string& m : fit.messages) out.push_back(m);
  return out;
}

std::string PredictionLine(const Prediction& p) {
  const SexagesimalRec ra = SplitRounded(p.raHours, 1);
  const SexagesimalRec dec = SplitRounded(std::fabs(p.decDeg), 0);
  return FractionalDateText(p.jdTT) + " TT  " + ZeroFilled(ra.degrees, 2) + " " + ZeroFilled(ra.minutes, 2) + " " +
         PadWith(FormatFixed(1, ra.seconds), 4, '0') + "  " + (p.decDeg < 0 ? "-" : "+") +
         ZeroFilled(dec.degrees, 2) + " " + ZeroFilled(dec.minutes, 2) + " " +
         ZeroFilled(std::llround(dec.seconds), 2) + "  " + FormatFixed(3, p.distanceAu) + " AU  +-" +
         FormatFixed(1, p.sigmaMajorArcsec) + "\" x " + FormatFixed(1, p.sigmaMinorArcsec) + "\" PA " +
         FormatFixed(0, p.positionAngleDeg);
}

}  // namespace skarvel
