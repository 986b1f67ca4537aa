#include "orbits/orbit_fit_form.h"

#include <cmath>

#include "foundations/file_system.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

/// The largest observation or code file read (bytes).
constexpr std::uint64_t kMaxFitInputBytes = 64ull * 1024 * 1024;

std::optional<std::string> ReadText(const std::string& path) {
  try {
    const auto bytes = fs::ReadFileBytes(path, kMaxFitInputBytes);
    return std::string(bytes.begin(), bytes.end());
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

/// A measured uncertainty (arc seconds) the fit can weight by: positive and finite.
bool UsableSigma(long double sigma) { return std::isfinite(sigma) && sigma > 0; }

/// The report's observations read as 80-column lines, each position given
/// its measured uncertainty where the line states none.
ObservationReading ReadReport(const std::vector<ReportObservation>& report) {
  std::string joined;
  std::vector<std::size_t> owner;  // the report observation of each line
  for (std::size_t k = 0; k < report.size(); ++k) {
    for (const auto& l : report[k].lines) {
      joined += l + "\n";
      owner.push_back(k);
    }
  }
  ObservationReading reading = ReadMpc80(joined);
  for (FitObservation& o : reading.observations) {
    if (o.line == 0 || o.line > owner.size()) continue;
    const ReportObservation& r = report[owner[o.line - 1]];
    if (o.sigmaRaArcsec <= 0 && UsableSigma(r.sigmaRaArcsec)) o.sigmaRaArcsec = r.sigmaRaArcsec;
    if (o.sigmaDecArcsec <= 0 && UsableSigma(r.sigmaDecArcsec)) o.sigmaDecArcsec = r.sigmaDecArcsec;
  }
  return reading;
}

}  // namespace

std::string DefaultObsCodesPath(const std::string& dataDir) {
  const std::string dir = dataDir.empty() ? std::string() : fs::WithTrailingSeparator(dataDir);
  // The file system layer finds a name in any letter case.
  for (const char* name : {"ObsCodes.html", "ObsCodes.htm", "ObsCodes.txt"})
    if (fs::FileExists(dir + name)) return fs::Resolve(dir + name);
  return dir + "ObsCodes.html";
}

bool OrbitFitFormLogic::Fail(const std::string& text) {
  ui_.Message({text, kOrbitFitCaption, platform::Icon::Exclamation, platform::Buttons::Ok});
  return false;
}

bool OrbitFitFormLogic::ChooseObservations() {
  const auto files = ui_.OpenFiles({"Select Observations File", "Observations (MPC 80-column, ADES)|*.*", "",
                                    fs::DirectoryOf(observationsPath), fs::FileNameOf(observationsPath)});
  if (!files || files->empty()) return false;
  observationsPath = files->front();
  return true;
}

bool OrbitFitFormLogic::ChooseCodes() {
  const auto files = ui_.OpenFiles({"Select Observatory Code List", "Observatory codes (ObsCodes.html)|*.*", "",
                                    fs::DirectoryOf(codesPath), fs::FileNameOf(codesPath)});
  if (!files || files->empty()) return false;
  codesPath = files->front();
  return true;
}

bool OrbitFitFormLogic::Fit() {
  FitSettings settings;
  const auto sigma = ParseDecimal(rejectSigmaText);
  if (!sigma || *sigma < 0 || *sigma > 100) return Fail("The rejection limit must be a number from 0 to 100 (sigma).");
  settings.rejectSigma = *sigma;
  if (!holdEText.empty() && !holdQText.empty()) return Fail("Hold e or q, not both.");
  if (!holdEText.empty()) {
    const auto e = ParseDecimal(holdEText);
    if (!e || *e < 0 || *e > 0.97L) return Fail("The held e must be a number from 0 to 0.97.");
    settings.fixedE = *e;
  }
  if (!holdQText.empty()) {
    const auto q = ParseDecimal(holdQText);
    if (!q || *q < 1e-4L || *q > 100) return Fail("The held q must be a number of AU from 0.0001 to 100.");
    settings.fixedQAu = *q;
  }
  const auto codesText = ReadText(codesPath);
  if (!codesText)
    return Fail("Unable to Read the Observatory Code List!\r\n\r\nFile Name: " + codesPath +
                "\r\n\r\nThe list comes from \"Download Observatory Codes (ObsCodes.html)\" of the"
                " \"Download Orbit Database\" menu.");
  ObservatoryCodeList codes = ParseObservatoryCodes(*codesText);
  if (codes.codes.empty()) return Fail("No observatory codes in the list!\r\n\r\nFile Name: " + codesPath);
  if (ownSite) {
    codes.codes[ownSite->code] = *ownSite;
    codes.codes["   "] = *ownSite;
  }
  ObservationReading reading;
  if (observationsPath.empty()) {
    reading = ReadReport(report_);
  } else {
    const auto text = ReadText(observationsPath);
    if (!text) return Fail("Unable to Read the Observations File!\r\n\r\nFile Name: " + observationsPath);
    reading = ReadObservations(*text);
  }
  std::vector<std::string> progress = reading.problems;
  ui_.SetBusy(true);
  FitResult fit = FitOrbit(reading.observations, codes, settings);
  ui_.SetBusy(false);
  progress.insert(progress.end(), fit.progress.begin(), fit.progress.end());
  progress_ = progress;
  if (!fit.ok) {
    std::string text;
    for (const auto& m : fit.messages) text += (text.empty() ? "" : "\r\n") + m;
    return Fail(text);
  }
  observations_ = reading.observations;
  designation_ = reading.observations.empty() ? std::string() : reading.observations.front().designation;
  result_ = std::move(fit);
  return true;
}

std::vector<std::string> OrbitFitFormLogic::ReportLines() const {
  if (!result_) return {};
  return OrbitFitReport(*result_, observations_);
}

std::optional<CurrentElements> OrbitFitFormLogic::Elements() const {
  if (!result_) return std::nullopt;
  return FittedAsCurrent(*result_, designation_);
}

bool OrbitFitFormLogic::SaveOrbit(const std::string& path) {
  if (!result_) return false;
  return SaveFittedOrbit(ui_, path, *result_, designation_);
}

}  // namespace skarvel
