#include "images/calibration_files.h"

#include <filesystem>
#include <set>

#include "foundations/file_system.h"

namespace skarvel {

std::vector<CalibFrame> ReadFrames(const std::vector<std::string>& paths, const CalibrationProgress& progress) {
  std::vector<CalibFrame> frames;
  frames.reserve(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    frames.push_back(ReadCalibFrame(paths[i]));
    if (progress && !progress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(paths.size())))
      throw CalibrationFailure("Stopped; nothing was written.");
  }
  return frames;
}

CalibFrame MasterFromFiles(FrameKind kind, const std::vector<std::string>& paths, CombineMethod method,
                           const CalibFrame* bias, const CalibFrame* dark, const CalibrationProgress& progress) {
  if (paths.empty()) throw CalibrationFailure("No " + FrameKindWord(kind) + " frames were given.");
  if (paths.size() == 1) {
    CalibFrame one = ReadCalibFrame(paths.front());
    if (one.facts.master) {
      if (*one.facts.master != kind)
        throw CalibrationFailure(fs::FileNameOf(paths.front()) + " is a master " + FrameKindWord(*one.facts.master) +
                                 ", not a " + FrameKindWord(kind) + ".");
      one.path = paths.front();
      return one;
    }
    std::vector<CalibFrame> frames;
    frames.push_back(std::move(one));
    return BuildMaster(kind, frames, method, bias, dark, progress);
  }
  // Reading counts as half of the job, combining as the other half.
  const auto n = static_cast<std::int64_t>(paths.size());
  std::vector<CalibFrame> frames = ReadFrames(paths, [&](std::int64_t done, std::int64_t) {
    return !progress || progress(done, 2 * n);
  });
  return BuildMaster(kind, frames, method, bias, dark, [&](std::int64_t done, std::int64_t total) {
    return !progress || progress(n + done * n / std::max<std::int64_t>(total, 1), 2 * n);
  });
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = std::filesystem::equivalent(fs::NativePath(a), fs::NativePath(b), ec);
  return !ec && same;
}

void SaveMaster(const std::string& out, const CalibFrame& master, const std::vector<std::string>& inputs) {
  for (const std::string& in : inputs)
    if (SameFile(out, in))
      throw CalibrationFailure("The master would replace its own frame " + fs::FileNameOf(in) +
                               "; choose another name.");
  WriteFloatFits(out, master);
}

std::vector<CalibratedFile> CalibrateFiles(const std::vector<std::string>& lights, const MasterSet& masters,
                                           const std::string& outDir, const CalibrationProgress& progress) {
  if (lights.empty()) throw CalibrationFailure("No light frames were given.");
  const std::string dir = fs::WithTrailingSeparator(fs::NativePath(outDir));
  if (!fs::DirectoryExists(dir)) throw CalibrationFailure("The folder " + outDir + " does not exist.");
  std::vector<CalibratedFile> plan;
  std::set<std::string> names;
  for (const std::string& light : lights) {
    const std::string output = dir + fs::FileNameOf(fs::NativePath(light));
    if (!names.insert(fs::FileNameOf(output)).second)
      throw CalibrationFailure("Two lights are named " + fs::FileNameOf(output) + "; their calibrated files would be one.");
    for (const std::string& input : lights)
      if (SameFile(output, input))
        throw CalibrationFailure("The calibrated " + fs::FileNameOf(output) + " would replace the light " + input +
                                 "; choose another folder.");
    for (const auto* m : {masters.bias ? &*masters.bias : nullptr, masters.dark ? &*masters.dark : nullptr,
                          masters.flat ? &*masters.flat : nullptr})
      if (m && !m->path.empty() && SameFile(output, m->path))
        throw CalibrationFailure("The calibrated " + fs::FileNameOf(output) + " would replace the master " + m->path +
                                 "; choose another folder.");
    plan.push_back({light, output, {}});
  }
  // Every light is checked before anything is written (the pixels are read
  // again below, one light at a time, so that a long night needs little memory).
  const auto n = static_cast<std::int64_t>(lights.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    CheckLight(ReadCalibFrame(plan[i].light), masters);
    if (progress && !progress(static_cast<std::int64_t>(i + 1), 2 * n))
      throw CalibrationFailure("Stopped; nothing was written.");
  }
  std::vector<std::string> written;
  try {
    for (std::size_t i = 0; i < plan.size(); ++i) {
      const CalibFrame out = CalibrateFrame(ReadCalibFrame(plan[i].light), masters, &plan[i].summary);
      WriteFloatFits(plan[i].output, out);
      written.push_back(plan[i].output);
      if (progress && !progress(n + static_cast<std::int64_t>(i + 1), 2 * n))
        throw CalibrationFailure("Stopped; the calibrated files written so far were removed.");
    }
  } catch (...) {
    for (const std::string& w : written) fs::RemoveFile(w);
    throw;
  }
  return plan;
}

}  // namespace skarvel
