#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "foundations/angles.h"
#include "foundations/file_system.h"
#include "orbits/fit_observations.h"
#include "orbits/orbit_fit.h"
#include "orbits/orbit_fit_report.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kOrbitFitHelp =
    "Usage: skarvel-cli orbit-fit OBS.txt --obscodes OBSCODES.txt [--predict JD --site CODE]\n"
    "         [--fix-e E | --fix-q Q_AU] [--reject-sigma S] [--text]\n\n"
    "Orbit determination from measured positions, as \"Determine Orbit...\": MPC\n"
    "80-column lines or ADES PSV/XML (by content); each observation's site from its\n"
    "observatory code in OBSCODES.txt (the MPC's list: code, longitude, rho cos phi',\n"
    "rho sin phi', name). Three or more observations over two or more nights: Gauss's\n"
    "method with light time, then the differential correction of the six elements\n"
    "(or five with --fix-e or --fix-q) by least squares, each position weighted by\n"
    "its uncertainty (ADES rmsRA/rmsDec, else 0.5\"), rejecting observations beyond\n"
    "S sigma (default 3; 0 keeps all). One night spanning an hour or more: a\n"
    "short-arc solution by ranging over distance, with the spread of the possible\n"
    "orbits. Two-body motion about the Sun: planetary perturbations are left out.\n"
    "Observation times are UTC; the elements' epoch and --predict JD are TT.\n\n"
    "JSON keys: method (\"gauss\" or \"ranging\"), converged, nights, used, elements\n"
    "{epoch_jd, a_au, e, i_deg, node_deg, peri_deg, m_deg, q_au, uncertainties {the\n"
    "same keys, 1 sigma}, two_body}, residuals: list of {jd, code, ra_arcsec,\n"
    "dec_arcsec, used} in file order (jd UTC, observed minus computed, RA times\n"
    "cos Dec), rms_arcsec, messages, spread {a_min_au, a_max_au, e_min, e_max,\n"
    "orbits} for ranging, and with --predict: prediction {jd, ra_hours, dec_deg,\n"
    "delta_au, sigma_arcsec (semi-major axis of the 1-sigma ellipse),\n"
    "sigma_minor_arcsec, pa_deg}. With --text the window's report of the fit (and\n"
    "the predicted place's ephemeris line with its 1-sigma ellipse). Exit status 1\n"
    "when no orbit is found.\n";

/// The largest observation or code file read (bytes).
constexpr std::uint64_t kMaxInputBytes = 64ull * 1024 * 1024;

std::string ReadText(const std::string& path) {
  const auto bytes = fs::ReadFileBytes(path, kMaxInputBytes);
  return std::string(bytes.begin(), bytes.end());
}

int RunOrbitFit(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  std::string path;
  bool text = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--text") {
      text = true;
    } else if (args[i].rfind("--", 0) == 0) {
      rest.push_back(args[i]);
      if (args[i].find('=') == std::string::npos && i + 1 < args.size()) rest.push_back(args[++i]);
    } else if (path.empty()) {
      path = args[i];
    } else {
      err << "skarvel-cli orbit-fit: one observation file only\n";
      return kExitUsage;
    }
  }
  const auto flags = Flags::Parse(rest, {"obscodes", "predict", "site", "fix-e", "fix-q", "reject-sigma"},
                                  "orbit-fit", err);
  if (!flags) return kExitUsage;
  if (path.empty() || !flags->Has("obscodes")) {
    err << "skarvel-cli orbit-fit: give OBS.txt and --obscodes OBSCODES.txt\n";
    return kExitUsage;
  }
  if (flags->Has("predict") != flags->Has("site")) {
    err << "skarvel-cli orbit-fit: --predict and --site go together\n";
    return kExitUsage;
  }
  if (flags->Has("fix-e") && flags->Has("fix-q")) {
    err << "skarvel-cli orbit-fit: hold e or q, not both\n";
    return kExitUsage;
  }
  FitSettings settings;
  if (flags->Has("fix-e")) {
    const auto e = flags->Number("fix-e", 0, 0.97L, err);
    if (!e) return kExitUsage;
    settings.fixedE = *e;
  }
  if (flags->Has("fix-q")) {
    const auto q = flags->Number("fix-q", 1e-4L, 100, err);
    if (!q) return kExitUsage;
    settings.fixedQAu = *q;
  }
  if (flags->Has("reject-sigma")) {
    const auto s = flags->Number("reject-sigma", 0, 100, err);
    if (!s) return kExitUsage;
    settings.rejectSigma = *s;
  }
  std::optional<long double> predictJd;
  if (flags->Has("predict")) {
    predictJd = flags->Number("predict", 0, 1e8L, err);
    if (!predictJd) return kExitUsage;
  }

  const ObservatoryCodeList codes = ParseObservatoryCodes(ReadText(flags->Text("obscodes")));
  const ObservationReading reading = ReadObservations(ReadText(path));
  for (const std::string& p : reading.problems) err << p << "\n";
  const ObservatoryCode* site = nullptr;
  if (predictJd) {
    site = codes.Find(flags->Text("site"));
    if (site == nullptr || !site->hasPosition) {
      err << kFitUnknownCode << flags->Text("site") << "\n";
      return kExitFailed;
    }
  }
  const FitResult fit = FitOrbit(reading.observations, codes, settings);
  if (!fit.ok) {
    for (const std::string& m : fit.messages) err << m << "\n";
    return kExitFailed;
  }
  std::optional<Prediction> predicted;
  if (predictJd) {
    predicted = PredictAtSite(fit, *site, *predictJd);
    if (!predicted->ok) {
      err << kFitNoConvergence << "\n";
      return kExitFailed;
    }
  }
  if (text) {
    for (const std::string& line : OrbitFitReport(fit, reading.observations)) out << Latin1ToUtf8(line) << "\n";
    if (predicted) out << "\nPrediction for " << site->code << ":\n" << PredictionLine(*predicted) << "\n";
    return kExitOk;
  }
  const long double deg = 180 / kPi;
  const auto d = [](long double x) { return static_cast<double>(x); };
  nlohmann::ordered_json j;
  j["format"] = reading.format;
  j["method"] = fit.method;
  j["converged"] = fit.converged;
  j["nights"] = fit.nights;
  j["used"] = fit.used;
  nlohmann::ordered_json el;
  el["epoch_jd"] = d(fit.elements.epoch);
  el["a_au"] = d(fit.elements.a / kFitAuKm);
  el["e"] = d(fit.elements.e);
  el["i_deg"] = d(fit.elements.i * deg);
  el["node_deg"] = d(fit.elements.node * deg);
  el["peri_deg"] = d(fit.elements.peri * deg);
  el["m_deg"] = d(fit.elements.M * deg);
  el["q_au"] = d(fit.elements.q / kFitAuKm);
  nlohmann::ordered_json un;
  un["a_au"] = d(fit.sigmas.aAu);
  un["e"] = d(fit.sigmas.e);
  un["i_deg"] = d(fit.sigmas.iDeg);
  un["node_deg"] = d(fit.sigmas.nodeDeg);
  un["peri_deg"] = d(fit.sigmas.periDeg);
  un["m_deg"] = d(fit.sigmas.mDeg);
  un["q_au"] = d(fit.sigmas.qAu);
  el["uncertainties"] = un;
  el["two_body"] = kFitTwoBodyNote;
  j["elements"] = el;
  // Every input observation in file order; those left out (unknown code) are not used.
  std::vector<const FitResidual*> byIndex(reading.observations.size(), nullptr);
  for (const FitResidual& r : fit.residuals) byIndex[r.index] = &r;
  nlohmann::ordered_json res = nlohmann::ordered_json::array();
  for (std::size_t k = 0; k < reading.observations.size(); ++k) {
    nlohmann::ordered_json row;
    row["jd"] = d(reading.observations[k].jdUtc);
    row["code"] = reading.observations[k].code;
    if (byIndex[k] != nullptr) {
      row["ra_arcsec"] = d(byIndex[k]->raArcsec);
      row["dec_arcsec"] = d(byIndex[k]->decArcsec);
      row["used"] = byIndex[k]->used;
    } else {
      row["ra_arcsec"] = nullptr;
      row["dec_arcsec"] = nullptr;
      row["used"] = false;
    }
    res.push_back(row);
  }
  j["residuals"] = res;
  j["rms_arcsec"] = d(fit.rmsArcsec);
  j["messages"] = fit.messages;
  if (fit.shortArc) {
    j["spread"] = {{"a_min_au", d(fit.spreadAMinAu)},
                   {"a_max_au", d(fit.spreadAMaxAu)},
                   {"e_min", d(fit.spreadEMin)},
                   {"e_max", d(fit.spreadEMax)},
                   {"orbits", fit.samples.size()}};
  }
  if (predicted) {
    const Prediction& p = *predicted;
    nlohmann::ordered_json pj;
    pj["jd"] = d(p.jdTT);
    pj["ra_hours"] = d(p.raHours);
    pj["dec_deg"] = d(p.decDeg);
    pj["delta_au"] = d(p.distanceAu);
    pj["sigma_arcsec"] = d(p.sigmaMajorArcsec);
    pj["sigma_minor_arcsec"] = d(p.sigmaMinorArcsec);
    pj["pa_deg"] = d(p.positionAngleDeg);
    j["prediction"] = pj;
  }
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand OrbitFitCommand() {
  return {"orbit-fit", "orbit determination from measured positions", kOrbitFitHelp, RunOrbitFit};
}

}  // namespace skarvel::cli
