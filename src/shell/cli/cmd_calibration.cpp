#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "foundations/file_system.h"
#include "images/calibration_files.h"
#include "shell/cli/image_commands.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kMasterHelp =
    "Usage: skarvel-cli master --kind bias|dark|flat FILES... --out MASTER.FIT\n"
    "                          [--combine median|mean] [--bias B...|MASTER] [--dark D...|MASTER]\n\n"
    "Combines raw bias, dark or flat frames pixel by pixel into a master frame,\n"
    "written as FITS with BITPIX -32. --combine median (the default) takes each\n"
    "pixel's median, mean its sigma-clipped mean (values beyond 3 standard\n"
    "deviations from the median left out, repeated until none goes).\n"
    "A dark set given a bias (--bias) becomes dark current alone (BIASSUB = T),\n"
    "which calibrate scales to other exposures. Flats are corrected by the bias\n"
    "and the dark (scaled to their exposure) when given, each normalised by its\n"
    "median, combined and normalised again. --bias and --dark take raw frames\n"
    "(combined first by the same method) or one master.\n"
    "The frames must share size, binning, camera (INSTRUME) and, for darks,\n"
    "exposure and temperature (CCD-TEMP within 1 C); a saturated or empty flat\n"
    "and a flat with pixels at zero are refused. Nothing is written on failure.\n\n"
    "Header cards of the master: IMAGETYP, MASTER, NCOMBINE, CMBMETHD, EXPTIME,\n"
    "CCD-TEMP, XBINNING, YBINNING, INSTRUME, BIASSUB and NBADPIX (darks), FLATLVL\n"
    "(flats), HISTORY.\n\n"
    "JSON keys: kind, frames, method, width, height, exposure_s (null when\n"
    "unknown), temperature_c (null when unknown), out; bias_subtracted and\n"
    "bad_pixels for a dark; flat_level for a flat.\n";

constexpr const char* kCalibrateHelp =
    "Usage: skarvel-cli calibrate LIGHT... [--bias B...|MASTER] [--dark D...|MASTER]\n"
    "                             [--flat F...|MASTER] --out DIR [--combine median|mean]\n\n"
    "Calibrates each light: (light - bias - scaled dark) / flat, with the bad\n"
    "pixels of the dark repaired from their neighbours, and writes it as\n"
    "DIR/<the light's file name> (FITS, BITPIX -32) keeping the light's header\n"
    "cards and adding HISTORY lines saying what was applied. Each of --bias,\n"
    "--dark and --flat takes raw frames (combined as the master command does,\n"
    "by --combine, default median) or one master file. A dark of another\n"
    "exposure than the light is scaled through the bias; without a bias it is\n"
    "refused, as is a dark of another temperature, a master of another size,\n"
    "binning or camera, and an output that would replace an input. Every light\n"
    "is checked before anything is written.\n\n"
    "JSON keys: count, calibrated: list of {light, out, bias, dark, dark_scale,\n"
    "flat, repaired} in the order given.\n";

/// Arguments split into positional values and flags; flags in `lists` take
/// every following value up to the next flag, the others exactly one.
struct Parsed {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> flags;
};

std::optional<Parsed> Split(const Arguments& args, const std::vector<std::string>& singles,
                            const std::vector<std::string>& lists, const std::string& sub, std::ostream& err) {
  Parsed p;
  auto known = [](const std::vector<std::string>& set, const std::string& name) {
    for (const auto& s : set)
      if (s == name) return true;
    return false;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    if (a.rfind("--", 0) != 0) {
      p.positional.push_back(a);
      continue;
    }
    std::optional<std::string> inlineValue;
    if (const auto eq = a.find('='); eq != std::string::npos) {
      inlineValue = a.substr(eq + 1);
      a = a.substr(0, eq);
    }
    const std::string name = a.substr(2);
    const bool single = known(singles, name);
    if (!single && !known(lists, name)) {
      err << "skarvel-cli " << sub << ": unknown option \"" << a << "\" (see skarvel-cli " << sub << " --help)\n";
      return std::nullopt;
    }
    if (p.flags.count(name) != 0) {
      err << "skarvel-cli " << sub << ": " << a << " is given twice\n";
      return std::nullopt;
    }
    auto& values = p.flags[name];
    if (inlineValue) values.push_back(*inlineValue);
    if (single) {
      if (!inlineValue && i + 1 < args.size()) values.push_back(args[++i]);
    } else {
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) values.push_back(args[++i]);
    }
    if (values.empty() || (single && values.size() != 1)) {
      err << "skarvel-cli " << sub << ": " << a << " needs " << (single ? "a value" : "at least one file") << "\n";
      return std::nullopt;
    }
  }
  return p;
}

std::optional<CombineMethod> Method(const Parsed& p, const std::string& sub, std::ostream& err) {
  if (!p.flags.count("combine")) return CombineMethod::Median;
  const std::string& v = p.flags.at("combine").front();
  if (v == "median") return CombineMethod::Median;
  if (v == "mean") return CombineMethod::Mean;
  err << "skarvel-cli " << sub << ": --combine needs median or mean, not \"" << v << "\"\n";
  return std::nullopt;
}

nlohmann::json Optional(const std::optional<double>& v) { return v ? nlohmann::json(*v) : nlohmann::json(nullptr); }

int Failed(const CalibrationFailure& e, std::ostream& err) {
  err << "Calibration Error!: " << TerminalText(e.what()) << "\n";
  return kExitFailed;
}

/// The bias, dark and flat masters of --bias, --dark and --flat (each raw
/// frames or one master); the flat is corrected by the other two.
MasterSet MastersOf(const Parsed& p, CombineMethod method, bool withFlat) {
  MasterSet set;
  if (p.flags.count("bias")) set.bias = MasterFromFiles(FrameKind::Bias, p.flags.at("bias"), method);
  const CalibFrame* bias = set.bias ? &*set.bias : nullptr;
  if (p.flags.count("dark")) set.dark = MasterFromFiles(FrameKind::Dark, p.flags.at("dark"), method, bias);
  const CalibFrame* dark = set.dark ? &*set.dark : nullptr;
  if (withFlat && p.flags.count("flat"))
    set.flat = MasterFromFiles(FrameKind::Flat, p.flags.at("flat"), method, bias, dark);
  return set;
}

int RunMaster(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto p = Split(args, {"kind", "out", "combine"}, {"bias", "dark"}, "master", err);
  if (!p) return kExitUsage;
  const auto method = Method(*p, "master", err);
  if (!method) return kExitUsage;
  if (!p->flags.count("kind")) {
    err << "skarvel-cli master: --kind bias, dark or flat is needed (see skarvel-cli master --help)\n";
    return kExitUsage;
  }
  const std::string& k = p->flags.at("kind").front();
  FrameKind kind;
  if (k == "bias") kind = FrameKind::Bias;
  else if (k == "dark") kind = FrameKind::Dark;
  else if (k == "flat") kind = FrameKind::Flat;
  else {
    err << "skarvel-cli master: --kind needs bias, dark or flat, not \"" << k << "\"\n";
    return kExitUsage;
  }
  if (!p->flags.count("out")) {
    err << "skarvel-cli master: --out MASTER.FIT is needed\n";
    return kExitUsage;
  }
  if (p->positional.empty()) {
    err << "skarvel-cli master: name the " << k << " frames (see skarvel-cli master --help)\n";
    return kExitUsage;
  }
  if (kind == FrameKind::Bias && (p->flags.count("bias") || p->flags.count("dark"))) {
    err << "skarvel-cli master: a bias master takes no --bias or --dark\n";
    return kExitUsage;
  }
  if (kind == FrameKind::Dark && p->flags.count("dark")) {
    err << "skarvel-cli master: a dark master takes no --dark\n";
    return kExitUsage;
  }
  const std::string& outPath = p->flags.at("out").front();
  try {
    const MasterSet set = MastersOf(*p, *method, false);
    std::vector<CalibFrame> frames = ReadFrames(p->positional);
    const CalibFrame master = BuildMaster(kind, frames, *method, set.bias ? &*set.bias : nullptr,
                                          set.dark ? &*set.dark : nullptr);
    std::vector<std::string> inputs = p->positional;
    for (const char* f : {"bias", "dark"})
      if (p->flags.count(f)) inputs.insert(inputs.end(), p->flags.at(f).begin(), p->flags.at(f).end());
    SaveMaster(outPath, master, inputs);
    nlohmann::ordered_json j;
    j["kind"] = k;
    j["frames"] = master.facts.combined;
    j["method"] = *method == CombineMethod::Median ? "median" : "mean";
    j["width"] = master.width;
    j["height"] = master.height;
    j["exposure_s"] = Optional(master.facts.exposure);
    j["temperature_c"] = Optional(master.facts.temperature);
    j["out"] = Latin1ToUtf8(outPath);
    if (kind == FrameKind::Dark) {
      j["bias_subtracted"] = master.facts.biasSubtracted;
      std::int64_t bad = 0;
      for (auto b : BadPixelMap(master)) bad += b;
      j["bad_pixels"] = bad;
    }
    if (kind == FrameKind::Flat)
      for (const std::string& c : master.cards)
        if (CardKeyword(c) == "FLATLVL") j["flat_level"] = std::stod(CardValue(c));
    out << j.dump(2) << "\n";
  } catch (const CalibrationFailure& e) {
    return Failed(e, err);
  }
  return kExitOk;
}

int RunCalibrate(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto p = Split(args, {"out", "combine"}, {"bias", "dark", "flat"}, "calibrate", err);
  if (!p) return kExitUsage;
  const auto method = Method(*p, "calibrate", err);
  if (!method) return kExitUsage;
  if (!p->flags.count("out")) {
    err << "skarvel-cli calibrate: --out DIR is needed\n";
    return kExitUsage;
  }
  if (p->positional.empty()) {
    err << "skarvel-cli calibrate: name the light frames (see skarvel-cli calibrate --help)\n";
    return kExitUsage;
  }
  if (!p->flags.count("bias") && !p->flags.count("dark") && !p->flags.count("flat")) {
    err << "skarvel-cli calibrate: give at least one of --bias, --dark and --flat\n";
    return kExitUsage;
  }
  try {
    MasterSet set = MastersOf(*p, *method, true);
    set.Prepare();
    const auto done = CalibrateFiles(p->positional, set, p->flags.at("out").front());
    nlohmann::ordered_json j;
    j["count"] = done.size();
    j["calibrated"] = nlohmann::json::array();
    for (const CalibratedFile& f : done) {
      nlohmann::ordered_json e;
      e["light"] = Latin1ToUtf8(f.light);
      e["out"] = Latin1ToUtf8(f.output);
      e["bias"] = f.summary.biasApplied;
      e["dark"] = f.summary.darkApplied;
      e["dark_scale"] = f.summary.darkScale;
      e["flat"] = f.summary.flatApplied;
      e["repaired"] = f.summary.repaired;
      j["calibrated"].push_back(e);
    }
    out << j.dump(2) << "\n";
  } catch (const CalibrationFailure& e) {
    return Failed(e, err);
  }
  return kExitOk;
}

}  // namespace

Subcommand MasterCommand() {
  return {"master", "a master bias, dark or flat frame from raw frames", kMasterHelp, RunMaster};
}

Subcommand CalibrateCommand() {
  return {"calibrate", "light frames calibrated by bias, dark and flat", kCalibrateHelp, RunCalibrate};
}

}  // namespace skarvel::cli
