#include "images/calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundations/file_system.h"

namespace skarvel {

namespace {

/// A frame's name in messages: its file name; a master made in memory is
/// named by its kind and its number of frames.
std::string Name(const CalibFrame& f) {
  if (!f.path.empty()) return fs::FileNameOf(f.path);
  if (f.facts.master)
    return "master " + FrameKindWord(*f.facts.master) + " of " + std::to_string(f.facts.combined) + " frames";
  return "(unnamed)";
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string Seconds(const std::optional<double>& t) { return t ? Fixed(*t, 3) + " s" : std::string("unknown"); }

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool SameExposure(double a, double b) {
  return std::fabs(a - b) <= std::max(kExposureToleranceS, kExposureToleranceFraction * std::max(a, b));
}

void InsertionSort(float* v, std::size_t n) {
  for (std::size_t i = 1; i < n; ++i) {
    const float x = v[i];
    std::size_t j = i;
    for (; j > 0 && v[j - 1] > x; --j) v[j] = v[j - 1];
    v[j] = x;
  }
}

float SortedMedian(const float* v, std::size_t n) { return 0.5f * (v[(n - 1) / 2] + v[n / 2]); }

/// The sigma-clipped mean of sorted values.
float ClippedMean(const float* v, std::size_t n) {
  std::size_t lo = 0, hi = n;
  for (int iteration = 0; iteration < 20 && hi - lo >= 3; ++iteration) {
    const std::size_t m = hi - lo;
    double mean = 0;
    for (std::size_t i = lo; i < hi; ++i) mean += static_cast<double>(v[i]);
    mean /= static_cast<double>(m);
    double ss = 0;
    for (std::size_t i = lo; i < hi; ++i) ss += (static_cast<double>(v[i]) - mean) * (static_cast<double>(v[i]) - mean);
    const double sd = std::sqrt(ss / static_cast<double>(m - 1));
    if (sd == 0) break;
    const double centre = static_cast<double>(SortedMedian(v + lo, m));
    std::size_t nlo = lo, nhi = hi;
    while (nlo < nhi && static_cast<double>(v[nlo]) < centre - kClipSigma * sd) ++nlo;
    while (nhi > nlo && static_cast<double>(v[nhi - 1]) > centre + kClipSigma * sd) --nhi;
    if (nlo == lo && nhi == hi) break;
    lo = nlo;
    hi = nhi;
  }
  double sum = 0;
  for (std::size_t i = lo; i < hi; ++i) sum += static_cast<double>(v[i]);
  return static_cast<float>(sum / static_cast<double>(hi - lo));
}

/// The robust standard deviation of a sample of values about their median:
/// 1.4826 times the median absolute deviation, from every `step`-th value.
double RobustSigma(const std::vector<float>& values, std::size_t step, double* median = nullptr) {
  std::vector<float> sample;
  sample.reserve(values.size() / step + 1);
  for (std::size_t i = 0; i < values.size(); i += step) sample.push_back(values[i]);
  const double m = MedianOf(sample);
  for (float& s : sample) s = static_cast<float>(std::fabs(static_cast<double>(s) - m));
  if (median) *median = m;
  return 1.4826 * MedianOf(std::move(sample));
}

/// A card of `frames`' common value of `key` (all equal), or nothing.
std::optional<std::string> CommonCard(const std::vector<CalibFrame>& frames, const std::string& key) {
  std::optional<std::string> found;
  for (const CalibFrame& f : frames) {
    std::optional<std::string> mine;
    for (const std::string& c : f.cards)
      if (CardKeyword(c) == key) mine = CardValue(c);
    if (!mine) return std::nullopt;
    if (found && *found != *mine) return std::nullopt;
    found = mine;
  }
  return found;
}

void Subtract(std::vector<float>& target, const std::vector<float>& minus, float scale) {
  const std::size_t n = target.size();
  float* t = target.data();
  const float* m = minus.data();
  for (std::size_t i = 0; i < n; ++i) t[i] -= scale * m[i];
}

/// target -= bias (plan) and the scaled dark, as planned.
void TakeOffDark(std::vector<float>& target, const DarkPlan& plan, const CalibFrame& dark, const CalibFrame* bias) {
  if (plan.darkHoldsBias) {
    Subtract(target, dark.pixels, 1.0f);
    return;
  }
  if (plan.subtractBias) Subtract(target, bias->pixels, 1.0f);
  if (dark.facts.biasSubtracted) {
    Subtract(target, dark.pixels, static_cast<float>(plan.scale));
  } else {
    // A raw dark scaled through the bias: (dark - bias) * scale.
    const std::size_t n = target.size();
    const float s = static_cast<float>(plan.scale);
    for (std::size_t i = 0; i < n; ++i) target[i] -= s * (dark.pixels[i] - bias->pixels[i]);
  }
}

void CheckKind(const CalibFrame& master, FrameKind expected) {
  if (master.facts.master && *master.facts.master != expected)
    throw CalibrationFailure(Name(master) + " is a master " + FrameKindWord(*master.facts.master) + ", not a " +
                             FrameKindWord(expected) + ".");
}

/// Refuses a flat with pixels at zero or below.
void CheckFlatPositive(const CalibFrame& flat) {
  std::int64_t count = 0;
  std::size_t first = 0;
  for (std::size_t i = 0; i < flat.pixels.size(); ++i)
    if (!(flat.pixels[i] > 0.0f)) {
      if (count == 0) first = i;
      ++count;
    }
  if (count > 0)
    throw CalibrationFailure("The flat " + Name(flat) + " has " + std::to_string(count) +
                             " pixels at zero or below (the first at column " +
                             std::to_string(first % static_cast<std::size_t>(flat.width)) + ", row " +
                             std::to_string(first / static_cast<std::size_t>(flat.width)) +
                             "); no image can be divided by it.");
}

/// Refuses a raw flat that is saturated (before correction) or empty (after).
void CheckFlatLight(const CalibFrame& raw, const std::vector<float>& corrected, double median) {
  const std::optional<double> level = raw.facts.saturation ? raw.facts.saturation : raw.typeTop;
  if (level) {
    std::int64_t at = 0;
    const float limit = static_cast<float>(*level - 0.5);
    for (float v : raw.pixels) at += v >= limit ? 1 : 0;
    const double fraction = static_cast<double>(at) / static_cast<double>(raw.pixels.size());
    if (fraction > kFlatSaturatedFraction)
      throw CalibrationFailure("The flat " + Name(raw) + " is saturated: " + Fixed(100.0 * fraction, 1) +
                               " % of its pixels reach " + Fixed(*level, 0) + ".");
  }
  // Pixel-to-pixel noise along the rows: smooth light (vignetting) cancels.
  std::vector<float> diffs;
  const std::int32_t w = raw.width;
  for (std::int32_t y = 0; y < raw.height; y += 3)
    for (std::int32_t x = 0; x + 1 < w; x += 2) {
      const std::size_t i = PixelIndex(x, y, w);
      diffs.push_back(corrected[i + 1] - corrected[i]);
    }
  const double noise = RobustSigma(diffs, 1) / std::sqrt(2.0);
  if (!(median > 0) || median < kFlatMinSignalToNoise * noise)
    throw CalibrationFailure("The flat " + Name(raw) + " is empty: its level (" + Fixed(median, 1) +
                             ") is below " + Fixed(kFlatMinSignalToNoise, 0) + " times its noise (" +
                             Fixed(noise, 1) + ").");
}

void Scale(std::vector<float>& v, double factor) {
  const float f = static_cast<float>(factor);
  for (float& x : v) x *= f;
}

}  // namespace

std::string CombineMethodName(CombineMethod method) { return method == CombineMethod::Median ? "MEDIAN" : "MEAN"; }

double MedianOf(std::vector<float> values) {
  if (values.empty()) return 0;
  const std::size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
  const double upper = values[mid];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
  return 0.5 * (lower + upper);
}

void CombineStack(const std::vector<const float*>& planes, std::size_t count, CombineMethod method, float* out) {
  const std::size_t n = planes.size();
  if (n == 0) return;
  std::vector<float> v(n);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t k = 0; k < n; ++k) v[k] = planes[k][i];
    if (n <= 64) InsertionSort(v.data(), n);
    else std::sort(v.begin(), v.end());
    out[i] = method == CombineMethod::Median ? SortedMedian(v.data(), n) : ClippedMean(v.data(), n);
  }
}

void CheckSameCamera(const CalibFrame& frame, const CalibFrame& reference) {
  if (frame.width != reference.width || frame.height != reference.height)
    throw CalibrationFailure("The frames differ in size: " + Name(frame) + " is " + std::to_string(frame.width) +
                             " x " + std::to_string(frame.height) + " pixels, " + Name(reference) + " is " +
                             std::to_string(reference.width) + " x " + std::to_string(reference.height) + ".");
  if (frame.facts.xBinning != reference.facts.xBinning || frame.facts.yBinning != reference.facts.yBinning)
    throw CalibrationFailure("The frames differ in binning: " + Name(frame) + " is " +
                             std::to_string(frame.facts.xBinning) + " x " + std::to_string(frame.facts.yBinning) +
                             ", " + Name(reference) + " is " + std::to_string(reference.facts.xBinning) + " x " +
                             std::to_string(reference.facts.yBinning) + ".");
  if (!frame.facts.camera.empty() && !reference.facts.camera.empty() &&
      Upper(frame.facts.camera) != Upper(reference.facts.camera))
    throw CalibrationFailure("The frames come from different cameras: " + Name(frame) + " from \"" +
                             frame.facts.camera + "\", " + Name(reference) + " from \"" + reference.facts.camera +
                             "\".");
}

DarkPlan PlanDark(const CalibFrame& target, const std::string& targetWord, const CalibFrame& dark,
                  const CalibFrame* bias) {
  const auto& tt = target.facts.temperature;
  const auto& td = dark.facts.temperature;
  if (tt && td && std::fabs(*tt - *td) > kTemperatureTolerance)
    throw CalibrationFailure("The dark " + Name(dark) + " was taken at another temperature (" + Fixed(*td, 1) +
                             " C) than the " + targetWord + " " + Name(target) + " (" + Fixed(*tt, 1) + " C).");
  DarkPlan plan;
  const auto& et = target.facts.exposure;
  const auto& ed = dark.facts.exposure;
  if (dark.facts.biasSubtracted) {
    if (!bias)
      throw CalibrationFailure("The dark " + Name(dark) + " holds dark current alone (its bias was taken off), so the " +
                               targetWord + " needs a bias too.");
    if (!et || !ed || !(*ed > 0))
      throw CalibrationFailure("The dark " + Name(dark) + " cannot be scaled to the " + targetWord + " " +
                               Name(target) + ": the exposure of the " + (!et ? targetWord : std::string("dark")) +
                               " is not known.");
    plan.subtractBias = true;
    plan.scale = *et / *ed;
    return plan;
  }
  const bool same = (!et && !ed) || (et && ed && SameExposure(*et, *ed));
  if (same) {
    plan.darkHoldsBias = true;
    return plan;
  }
  if (!bias)
    throw CalibrationFailure("The dark " + Name(dark) + " has another exposure (" + Seconds(ed) + ") than the " +
                             targetWord + " " + Name(target) + " (" + Seconds(et) +
                             "), and there is no bias to scale it by.");
  if (!et || !ed || !(*ed > 0))
    throw CalibrationFailure("The dark " + Name(dark) + " cannot be scaled to the " + targetWord + " " + Name(target) +
                             ": the exposure of the " + (!et ? targetWord : std::string("dark")) + " is not known.");
  plan.subtractBias = true;
  plan.scale = *et / *ed;
  return plan;
}

std::vector<std::uint8_t> BadPixelMap(const CalibFrame& dark) {
  const std::int32_t w = dark.width, h = dark.height;
  std::vector<float> dev(dark.pixels.size());
  std::vector<float> column(static_cast<std::size_t>(h));
  for (std::int32_t x = 0; x < w; ++x) {
    for (std::int32_t y = 0; y < h; ++y) column[static_cast<std::size_t>(y)] = dark.At(x, y);
    const float m = static_cast<float>(MedianOf(column));
    for (std::int32_t y = 0; y < h; ++y) {
      const std::size_t i = PixelIndex(x, y, w);
      dev[i] = dark.pixels[i] - m;
    }
  }
  double centre = 0;
  const std::size_t step = dev.size() > 1000000 ? 7 : 1;
  const double sigma = RobustSigma(dev, step, &centre);
  std::vector<std::uint8_t> bad(dev.size(), 0);
  const double limit = kBadPixelSigma * std::max(sigma, 1e-6);
  for (std::size_t i = 0; i < dev.size(); ++i) bad[i] = std::fabs(static_cast<double>(dev[i]) - centre) > limit ? 1 : 0;
  return bad;
}

std::int64_t RepairBadPixels(CalibFrame& frame, const std::vector<std::uint8_t>& bad) {
  if (bad.size() != frame.pixels.size()) return 0;
  const std::int32_t w = frame.width, h = frame.height;
  std::int64_t repaired = 0;
  const std::vector<float> before = frame.pixels;
  for (std::size_t i = 0; i < bad.size(); ++i) {
    if (!bad[i]) continue;
    const std::int32_t x = static_cast<std::int32_t>(i % static_cast<std::size_t>(w));
    const std::int32_t y = static_cast<std::int32_t>(i / static_cast<std::size_t>(w));
    for (int reach = 1; reach <= 2; ++reach) {
      double sum = 0;
      int n = 0;
      for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
          const std::int32_t xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
          const std::size_t j = PixelIndex(xx, yy, w);
          if (bad[j]) continue;
          sum += static_cast<double>(before[j]);
          ++n;
        }
      if (n > 0) {
        frame.pixels[i] = static_cast<float>(sum / n);
        ++repaired;
        break;
      }
    }
  }
  return repaired;
}

CalibFrame BuildMaster(FrameKind kind, std::vector<CalibFrame>& frames, CombineMethod method, const CalibFrame* bias,
                       const CalibFrame* dark, const CalibrationProgress& progress) {
  if (frames.empty()) throw CalibrationFailure("No " + FrameKindWord(kind) + " frames were given.");
  if (kind == FrameKind::Light) throw CalibrationFailure("A master is made of bias, dark or flat frames.");
  const CalibFrame& first = frames.front();
  for (const CalibFrame& f : frames) {
    if (f.facts.master)
      throw CalibrationFailure(Name(f) + " is a master " + FrameKindWord(*f.facts.master) +
                               " already; give it alone, or give raw frames.");
    CheckSameCamera(f, first);
  }
  if (bias) {
    CheckKind(*bias, FrameKind::Bias);
    CheckSameCamera(*bias, first);
  }
  if (dark) {
    CheckKind(*dark, FrameKind::Dark);
    CheckSameCamera(*dark, first);
  }
  const std::int64_t total = static_cast<std::int64_t>(frames.size()) + first.height;
  std::int64_t done = 0;
  auto step = [&](std::int64_t n) {
    done += n;
    if (progress && !progress(done, total)) throw CalibrationFailure("Stopped; no master was made.");
  };
  // The set's exposure and temperature.
  double exposureSum = 0, temperatureSum = 0;
  int exposures = 0, temperatures = 0;
  for (const CalibFrame& f : frames) {
    if (f.facts.exposure) exposureSum += *f.facts.exposure, ++exposures;
    if (f.facts.temperature) temperatureSum += *f.facts.temperature, ++temperatures;
  }
  if (kind == FrameKind::Dark) {
    for (const CalibFrame& f : frames) {
      const auto& a = f.facts.exposure;
      const auto& b = first.facts.exposure;
      if (a.has_value() != b.has_value() || (a && !SameExposure(*a, *b)))
        throw CalibrationFailure("The darks differ in exposure: " + Name(f) + " is " + Seconds(a) + ", " +
                                 Name(first) + " is " + Seconds(b) + ".");
      const auto& ta = f.facts.temperature;
      const auto& tb = first.facts.temperature;
      if (ta && tb && std::fabs(*ta - *tb) > kTemperatureTolerance)
        throw CalibrationFailure("The darks differ in temperature: " + Name(f) + " is at " + Fixed(*ta, 1) + " C, " +
                                 Name(first) + " at " + Fixed(*tb, 1) + " C.");
    }
    if (bias)
      for (CalibFrame& f : frames) Subtract(f.pixels, bias->pixels, 1.0f);
  }
  double flatLevel = 0;
  if (kind == FrameKind::Flat) {
    for (CalibFrame& f : frames) {
      std::vector<float> corrected = f.pixels;
      if (dark) TakeOffDark(corrected, PlanDark(f, "flat", *dark, bias), *dark, bias);
      else if (bias) Subtract(corrected, bias->pixels, 1.0f);
      const std::size_t sampleStep = corrected.size() > 1000000 ? 5 : 1;
      std::vector<float> sample;
      for (std::size_t i = 0; i < corrected.size(); i += sampleStep) sample.push_back(corrected[i]);
      const double median = MedianOf(std::move(sample));
      CheckFlatLight(f, corrected, median);
      flatLevel += median;
      f.pixels = std::move(corrected);
      Scale(f.pixels, 1.0 / median);
      CheckFlatPositive(f);
    }
    flatLevel /= static_cast<double>(frames.size());
  }
  step(static_cast<std::int64_t>(frames.size()));

  CalibFrame master;
  master.path.clear();
  master.width = first.width;
  master.height = first.height;
  master.facts = first.facts;
  master.pixels.assign(first.pixels.size(), 0.0f);
  std::vector<const float*> planes;
  for (const CalibFrame& f : frames) planes.push_back(f.pixels.data());
  // Combined in bands of rows, so that the progress moves.
  const std::int32_t band = std::max<std::int32_t>(1, first.height / 32);
  for (std::int32_t y = 0; y < first.height; y += band) {
    const std::int32_t rows = std::min(band, first.height - y);
    const std::size_t offset = PixelIndex(0, y, first.width);
    std::vector<const float*> at;
    for (const float* p : planes) at.push_back(p + offset);
    CombineStack(at, PixelIndex(0, rows, first.width), method, master.pixels.data() + offset);
    step(rows);
  }
  if (kind == FrameKind::Flat) {
    const std::size_t sampleStep = master.pixels.size() > 1000000 ? 5 : 1;
    std::vector<float> sample;
    for (std::size_t i = 0; i < master.pixels.size(); i += sampleStep) sample.push_back(master.pixels[i]);
    const double median = MedianOf(std::move(sample));
    if (median > 0) Scale(master.pixels, 1.0 / median);
    master.facts.master = kind;
    master.facts.combined = static_cast<std::int32_t>(frames.size());
    CheckFlatPositive(master);
  }

  // The master's cards.
  static const char* const kTypes[] = {"Light Frame", "Master Bias", "Master Dark", "Master Flat"};
  auto& cards = master.cards;
  cards.push_back(StringCard("IMAGETYP", kTypes[static_cast<int>(kind)], "frame type"));
  cards.push_back(StringCard("MASTER", FrameKindName(kind), "master calibration frame"));
  cards.push_back(IntegerCard("NCOMBINE", static_cast<long long>(frames.size()), "number of frames combined"));
  cards.push_back(StringCard("CMBMETHD", CombineMethodName(method), "median, or sigma-clipped mean"));
  if (exposures == static_cast<int>(frames.size()))
    cards.push_back(RealCard("EXPTIME", exposureSum / exposures, "exposure, seconds"));
  if (temperatures > 0) cards.push_back(RealCard("CCD-TEMP", temperatureSum / temperatures, "degrees C"));
  cards.push_back(IntegerCard("XBINNING", first.facts.xBinning));
  cards.push_back(IntegerCard("YBINNING", first.facts.yBinning));
  if (const auto camera = CommonCard(frames, "INSTRUME")) cards.push_back(StringCard("INSTRUME", *camera, "camera"));
  if (kind == FrameKind::Dark) cards.push_back(LogicalCard("BIASSUB", bias != nullptr, "bias taken off"));
  if (kind == FrameKind::Flat) cards.push_back(RealCard("FLATLVL", flatLevel, "mean level before normalising"));
  if (kind == FrameKind::Dark) {
    std::int64_t n = 0;
    for (auto b : BadPixelMap(master)) n += b;
    cards.push_back(IntegerCard("NBADPIX", n, "bad pixels found"));
  }
  std::string history = "Master " + FrameKindWord(kind) + " of " + std::to_string(frames.size()) + " frames by " +
                        (method == CombineMethod::Median ? "median" : "sigma-clipped mean") + ":";
  for (const CalibFrame& f : frames) history += " " + Name(f);
  for (const std::string& c : HistoryCards(history)) cards.push_back(c);
  if (bias)
    for (const std::string& c : HistoryCards("Bias taken off: " + Name(*bias))) cards.push_back(c);
  if (dark)
    for (const std::string& c : HistoryCards("Dark taken off: " + Name(*dark))) cards.push_back(c);
  master.facts.master = kind;
  master.facts.combined = static_cast<std::int32_t>(frames.size());
  master.facts.method = CombineMethodName(method);
  master.facts.biasSubtracted = kind == FrameKind::Dark && bias != nullptr;
  master.facts.exposure =
      exposures == static_cast<int>(frames.size()) ? std::optional<double>(exposureSum / exposures) : std::nullopt;
  master.facts.temperature = temperatures > 0 ? std::optional<double>(temperatureSum / temperatures) : std::nullopt;
  master.facts.camera = CommonCard(frames, "INSTRUME").value_or("");
  master.facts.saturation.reset();
  master.bitpix = -32;
  master.typeTop.reset();
  return master;
}

void MasterSet::Prepare() {
  if (bias) CheckKind(*bias, FrameKind::Bias);
  if (dark) CheckKind(*dark, FrameKind::Dark);
  if (flat) CheckKind(*flat, FrameKind::Flat);
  const CalibFrame* reference = bias ? &*bias : dark ? &*dark : flat ? &*flat : nullptr;
  for (const auto* m : {bias ? &*bias : nullptr, dark ? &*dark : nullptr, flat ? &*flat : nullptr})
    if (m && reference) CheckSameCamera(*m, *reference);
  if (flat) CheckFlatPositive(*flat);
  badPixels = dark ? BadPixelMap(*dark) : std::vector<std::uint8_t>{};
}

void CheckLight(const CalibFrame& light, const MasterSet& masters) {
  for (const auto* m : {masters.bias ? &*masters.bias : nullptr, masters.dark ? &*masters.dark : nullptr,
                        masters.flat ? &*masters.flat : nullptr}) {
    if (!m) continue;
    if (m->width != light.width || m->height != light.height)
      throw CalibrationFailure("The " + FrameKindWord(m->facts.master.value_or(FrameKind::Light)) + " " + Name(*m) +
                               " is " + std::to_string(m->width) + " x " + std::to_string(m->height) +
                               " pixels, the light " + Name(light) + " " + std::to_string(light.width) + " x " +
                               std::to_string(light.height) + ".");
    if (!m->facts.camera.empty() && !light.facts.camera.empty() && Upper(m->facts.camera) != Upper(light.facts.camera))
      throw CalibrationFailure("The master " + Name(*m) + " comes from another camera (\"" + m->facts.camera +
                               "\") than the light " + Name(light) + " (\"" + light.facts.camera + "\").");
    CheckSameCamera(light, *m);
  }
  if (masters.dark) PlanDark(light, "light", *masters.dark, masters.bias ? &*masters.bias : nullptr);
}

CalibFrame CalibrateFrame(const CalibFrame& light, const MasterSet& masters, CalibrationSummary* summary) {
  CheckLight(light, masters);
  CalibrationSummary done;
  CalibFrame out;
  out.path = light.path;
  out.width = light.width;
  out.height = light.height;
  out.cards = light.cards;
  out.facts = light.facts;
  out.bitpix = -32;
  out.pixels = light.pixels;
  std::vector<std::string> history;
  const CalibFrame* bias = masters.bias ? &*masters.bias : nullptr;
  if (masters.dark) {
    const DarkPlan plan = PlanDark(light, "light", *masters.dark, bias);
    TakeOffDark(out.pixels, plan, *masters.dark, bias);
    done.darkApplied = true;
    done.darkScale = plan.scale;
    if (plan.subtractBias) {
      done.biasApplied = true;
      history.push_back("Bias subtracted: " + Name(*bias) + ".");
    }
    if (plan.darkHoldsBias)
      history.push_back("Dark subtracted with its bias, same exposure: " + Name(*masters.dark) + ".");
    else
      history.push_back("Dark subtracted, scaled by " + Fixed(plan.scale, 6) + " (exposure " +
                        Seconds(light.facts.exposure) + " / " + Seconds(masters.dark->facts.exposure) +
                        "): " + Name(*masters.dark) + ".");
  } else if (bias) {
    Subtract(out.pixels, bias->pixels, 1.0f);
    done.biasApplied = true;
    history.push_back("Bias subtracted: " + Name(*bias) + ".");
  }
  if (masters.flat) {
    const std::size_t n = out.pixels.size();
    const float* f = masters.flat->pixels.data();
    float* p = out.pixels.data();
    for (std::size_t i = 0; i < n; ++i) p[i] /= f[i];
    done.flatApplied = true;
    history.push_back("Flat divided: " + Name(*masters.flat) + ".");
  }
  if (!masters.badPixels.empty()) {
    done.repaired = RepairBadPixels(out, masters.badPixels);
    history.push_back(std::to_string(done.repaired) + " bad pixels of the dark repaired from their neighbours.");
  }
  if (history.empty()) history.push_back("No master applied.");
  for (const std::string& line : history)
    for (const std::string& c : HistoryCards("Calibration: " + line)) out.cards.push_back(c);
  if (summary) *summary = done;
  return out;
}

}  // namespace skarvel
