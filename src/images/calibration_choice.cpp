#include "images/calibration_choice.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <sstream>

#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "images/calibration_files.h"
#include "images/fits_file.h"
#include "images/sbig_file.h"

namespace skarvel {

namespace {

/// The file is small; a larger one is not this program's.
constexpr std::uint64_t kMaxChoicesBytes = 1 << 20;
constexpr std::size_t kMaxChoiceLines = 1000;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) out.push_back(field);
  if (!line.empty() && line.back() == '\t') out.emplace_back();
  return out;
}

bool Clean(const std::string& s) { return s.find_first_of("\t\r\n") == std::string::npos; }

}  // namespace

std::string CameraKey(const std::string& camera) { return camera.empty() ? kUnnamedCamera : camera; }

std::vector<CalibrationChoice> ParseCalibrationChoices(const std::string& text) {
  std::vector<CalibrationChoice> choices;
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line)) return choices;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line != kCalibrationChoicesTitle) return choices;
  for (std::size_t n = 0; n < kMaxChoiceLines && std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto f = Fields(line);
    if (f.size() != 5 || f[0].empty() || (f[1] != "0" && f[1] != "1")) continue;
    choices.push_back({f[0], f[1] == "1", f[2], f[3], f[4]});
  }
  return choices;
}

std::string CalibrationChoicesText(const std::vector<CalibrationChoice>& choices) {
  std::string text = std::string(kCalibrationChoicesTitle) + "\n";
  for (const auto& c : choices)
    text += c.camera + "\t" + (c.onLoad ? "1" : "0") + "\t" + c.bias + "\t" + c.dark + "\t" + c.flat + "\n";
  return text;
}

namespace {

std::vector<CalibrationChoice> ReadChoices(const std::string& dataDir) {
  const std::string path = fs::WithTrailingSeparator(dataDir) + kCalibrationChoicesFile;
  if (!fs::FileExists(path)) return {};
  try {
    const auto bytes = fs::ReadFileBytes(path, kMaxChoicesBytes);
    return ParseCalibrationChoices(std::string(bytes.begin(), bytes.end()));
  } catch (const IOFailure&) {
    return {};
  }
}

}  // namespace

CalibrationChoice ChoiceForCamera(const std::string& dataDir, const std::string& camera) {
  for (const auto& c : ReadChoices(dataDir))
    if (c.camera == CameraKey(camera)) return c;
  CalibrationChoice none;
  none.camera = CameraKey(camera);
  return none;
}

void RememberChoice(const std::string& dataDir, const CalibrationChoice& choice) {
  for (const std::string* s : {&choice.camera, &choice.bias, &choice.dark, &choice.flat})
    if (!Clean(*s)) throw CalibrationFailure("A name holds a tab or a line break: \"" + *s + "\".");
  CalibrationChoice keyed = choice;
  keyed.camera = CameraKey(choice.camera);
  std::vector<CalibrationChoice> all = ReadChoices(dataDir);
  bool placed = false;
  for (auto& c : all)
    if (c.camera == keyed.camera) {
      c = keyed;
      placed = true;
    }
  if (!placed) all.push_back(keyed);
  const std::string path = fs::WithTrailingSeparator(dataDir) + kCalibrationChoicesFile;
  const std::string text = CalibrationChoicesText(all);
  try {
    fs::AtomicWriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  } catch (const IOFailure& e) {
    throw CalibrationFailure("Unable to Save the Calibration Choices!\r\n\r\nFile Name: " + path +
                             "\r\nIOResult = " + std::to_string(e.Code()));
  }
}

MasterSet LoadMasters(const CalibrationChoice& choice) {
  MasterSet set;
  if (!choice.bias.empty()) set.bias = MasterFromFiles(FrameKind::Bias, {choice.bias}, CombineMethod::Median);
  const CalibFrame* bias = set.bias ? &*set.bias : nullptr;
  if (!choice.dark.empty()) set.dark = MasterFromFiles(FrameKind::Dark, {choice.dark}, CombineMethod::Median, bias);
  const CalibFrame* dark = set.dark ? &*set.dark : nullptr;
  if (!choice.flat.empty())
    set.flat = MasterFromFiles(FrameKind::Flat, {choice.flat}, CombineMethod::Median, bias, dark);
  set.Prepare();
  return set;
}

CalibFrame LightOfImage(const GraphicsFileObj& image) {
  if (image.fileTypeCode == kFileFITS) {
    try {
      CalibFrame f = ReadCalibFrame(image.fileName);
      if (f.width == image.width && f.height == image.height) return f;
    } catch (const CalibrationFailure&) {
      // a tile-compressed file, or one changed since: the pixels below
    }
  }
  CalibFrame f;
  f.path = image.fileName;
  f.width = image.width;
  f.height = image.height;
  f.pixels.resize(PixelIndex(0, image.height, image.width));
  for (std::int32_t y = 0; y < image.height; ++y) {
    const auto row = image.pixels.Row(y);
    for (std::int32_t x = 0; x < image.width; ++x)
      f.pixels[PixelIndex(x, y, image.width)] = static_cast<float>(row[static_cast<std::size_t>(x)]);
  }
  if (const auto* fits = dynamic_cast<const FITSFileObj*>(&image)) {
    f.facts.exposure = static_cast<double>(fits->Header().exposure);
    f.cards.push_back(RealCard("EXPTIME", *f.facts.exposure));
  } else if (const auto* sbig = dynamic_cast<const SBIGFileObj*>(&image)) {
    f.facts.exposure = static_cast<double>(sbig->Header().exposure) / 100.0;  // hundredths of a second
    f.cards.push_back(RealCard("EXPTIME", *f.facts.exposure));
  }
  return f;
}

CalibFrame CalibrateImage(GraphicsFileObj& image, const MasterSet& masters, CalibrationSummary* summary) {
  if (!image.HasImage()) throw CalibrationFailure("The slot holds no image.");
  const CalibFrame light = LightOfImage(image);
  CalibFrame out = CalibrateFrame(light, masters, summary);
  image.minimum = INT32_MAX;
  image.maximum = 0;
  image.histogram.Create(256, 256.0L);
  std::vector<std::int32_t> row(static_cast<std::size_t>(image.width));
  for (std::int32_t y = 0; y < image.height; ++y) {
    for (std::int32_t x = 0; x < image.width; ++x) {
      const double v = std::nearbyint(static_cast<double>(out.pixels[PixelIndex(x, y, image.width)]));
      row[static_cast<std::size_t>(x)] = static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
    }
    image.pixels.StoreRow(y, row);
    image.AddPixelValues(row.data(), row.size());
  }
  image.formatDescription += ", calibrated";
  return out;
}

}  // namespace skarvel
