#include "astrometry/track_session.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "images/calib_frame.h"
#include "images/fits_wcs.h"

namespace skarvel {

namespace {
// Julian date of date-time value 0 (1899-12-30 0h).
constexpr long double kDateTimeZeroJd = 2415018.5L;
// The filter of the open dialog: the series are FITS frames.
constexpr const char* kSeriesFilter = "FITS Files (*.FIT, *.FTS)|*.FIT; *.FTS|All Files (*.*)|*.*";
std::string Fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}
}  // namespace

std::optional<std::vector<std::optional<KnownObject>>> NameTrackCandidates(platform::Platform& ui,
                                                                           const FrameSeries& series,
                                                                           const TrackSearchResult& result,
                                                                           const KnownSearch& search) {
  if (result.candidates.empty() || series.ReferenceIndex() < 0)
    return std::vector<std::optional<KnownObject>>(result.candidates.size());
  const MatchResult& plate = series.Frames()[static_cast<std::size_t>(series.ReferenceIndex())].plate;
  FrameField f;
  f.jd = result.referenceJd;
  PixelToSky(plate, series.Width() / 2.0L, series.Height() / 2.0L, f.centreRAHours, f.centreDecDeg);
  f.halfSizeDeg = std::hypot(series.Width(), series.Height()) * series.ArcsecPerPixel() / 3600 / 2;
  std::vector<MovingCandidate> asMoving;
  for (const TrackCandidate& c : result.candidates) {
    MovingCandidate m;
    SkyDetection d;
    d.x = c.x;
    d.y = c.y;
    d.raHours = c.raHours;
    d.decDeg = c.decDeg;
    d.snr = c.snr;
    m.positions.push_back(d);
    m.jd.push_back(c.jd);
    m.detected.push_back(true);
    m.rateArcsecPerMin = c.rateArcsecPerMin;
    m.paDeg = c.paDeg;
    asMoving.push_back(m);
  }
  return IdentifyKnownObjects(ui, search, {f}, asMoving);
}

std::vector<std::string> TrackCandidateHeadings() {
  return {"Rate (\"/min)", "PA (deg)", "SNR", "X", "Y", "RA", "Dec", "Known"};
}

std::vector<std::string> TrackCandidateCells(const TrackCandidate& c, const std::optional<KnownObject>& known) {
  std::string name;
  if (known) {
    if (known->number) name = "(" + std::to_string(*known->number) + ")" + (known->name.empty() ? "" : " " + known->name);
    else name = known->designation.empty() ? known->name : known->designation;
  }
  return {Fixed(c.rateArcsecPerMin, 2), Fixed(c.paDeg, 1), Fixed(c.snr, 1), Fixed(c.x, 1), Fixed(c.y, 1),
          FormatRA(c.raHours, 2, false),  FormatDec(c.decDeg, 1, false), name};
}

std::vector<std::uint8_t> StackThumbnail(const CalibFrame& stack, double x, double y, int half) {
  const int side = 2 * half + 1;
  const auto cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
  std::vector<float> patch;
  std::vector<bool> inside;
  for (int j = -half; j <= half; ++j)
    for (int i = -half; i <= half; ++i) {
      const int px = cx + i, py = cy + j;
      const bool in = px >= 0 && py >= 0 && px < stack.width && py < stack.height;
      inside.push_back(in);
      patch.push_back(in ? stack.At(px, py) : 0.0f);
    }
  std::vector<float> values;
  for (std::size_t k = 0; k < patch.size(); ++k)
    if (inside[k]) values.push_back(patch[k]);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(side * side), 0);
  if (values.empty()) return out;
  std::sort(values.begin(), values.end());
  const double low = static_cast<double>(values[values.size() / 10]), high = static_cast<double>(values.back());
  const double range = high > low ? high - low : 1;
  for (std::size_t k = 0; k < patch.size(); ++k)
    if (inside[k]) out[k] = static_cast<std::uint8_t>(std::clamp((static_cast<double>(patch[k]) - low) / range * 255, 0.0, 255.0));
  return out;
}

SeriesFrameInput SeriesInputOf(FITSFileObj& image, const std::string& name) {
  SeriesFrameInput in;
  in.image = &image;
  in.name = name;
  in.jd = static_cast<double>(DateTimeToDays(image.Header().observationTime) + kDateTimeZeroJd);
  in.exposureS = static_cast<double>(image.Header().exposure);
  in.centreRAHours = image.Header().ra;
  in.centreDecDeg = image.Header().dec;
  if (image.Wcs()) {
    const WcsField w = FieldOfWcs(*image.Wcs(), image.width, image.height);
    in.centreRAHours = w.centreRAHours;
    in.centreDecDeg = w.centreDecDeg;
  }
  return in;
}

TrackSession::TrackSession(platform::Platform& ui, std::string scratchDir, std::uint8_t headerTimeType,
                           std::function<void(GraphicsFileObj&)> calibrate)
    : ui_(ui), scratchDir_(std::move(scratchDir)), headerTimeType_(headerTimeType), calibrate_(std::move(calibrate)) {}

void TrackSession::Tell(const std::string& text) const {
  platform::Tell(ui_, text, kTrackSeriesCaption, platform::Icon::Exclamation);
}

bool TrackSession::ChooseFiles(const std::string& directory) {
  platform::FileDialogRequest request;
  request.title = "Select the Frames of the Series (n <= 200)";
  request.filter = kSeriesFilter;
  request.directory = directory;
  request.multiple = true;
  const auto chosen = ui_.OpenFiles(request);
  if (!chosen || chosen->empty()) return false;
  return LoadFiles(*chosen);
}

bool TrackSession::LoadFiles(const std::vector<std::string>& files) {
  if (files.empty()) return false;
  if (files.size() > kMaxSeriesFrames) {
    Tell("A series holds at most " + std::to_string(kMaxSeriesFrames) + " frames; " + std::to_string(files.size()) +
         " were chosen.");
    return false;
  }
  std::deque<FITSFileObj> loaded;
  std::vector<SeriesFrameInput> inputs;
  platform::BusyCursor busy(ui_);
  for (const std::string& file : files) {
    FITSFileObj& image = loaded.emplace_back(ImageLoadContext{&ui_, scratchDir_, headerTimeType_, nullptr, nullptr});
    // The reader tells the person why a file cannot be read.
    if (!image.Load(fs::NativePath(file)) || !image.HasImage()) return false;
    if (calibrate_) calibrate_(image);
    inputs.push_back(SeriesInputOf(image, fs::FileNameOf(file)));
  }
  series_ = FrameSeries{};
  solved_ = false;
  ForgetSearch();
  files_.swap(loaded);  // the elements keep their addresses
  inputs_ = std::move(inputs);
  return true;
}

bool TrackSession::Solve(StarList& stars, long double arcsecPerPixel, const SeriesProgress& progress) {
  if (inputs_.empty()) {
    Tell("Choose the frames of the series first.");
    return false;
  }
  FrameSeries series;
  bool ok = false;
  {
    platform::BusyCursor busy(ui_);
    ok = series.Solve(inputs_, stars, arcsecPerPixel, progress);
  }
  if (!ok) {
    Tell(series.Failure());
    return false;
  }
  series_ = std::move(series);
  solved_ = series_.ReferenceIndex() >= 0;
  ForgetSearch();
  if (!solved_) Tell("No frame could be matched to the catalog.");
  return solved_;
}

std::vector<std::string> TrackSession::FrameLines() const {
  std::vector<std::string> lines;
  const auto& frames = series_.Frames();
  for (std::size_t k = 0; k < inputs_.size(); ++k) {
    std::string line = inputs_[k].name + "  ";
    if (k >= frames.size()) line += "not solved";
    else if (frames[k].solved) line += "solved, " + std::to_string(frames[k].plate.pairs.size()) + " stars";
    else line += "left out: " + frames[k].failure;
    lines.push_back(line);
  }
  return lines;
}

std::optional<SkyMotion> TrackSession::ParseMotion(const std::string& rate, const std::string& pa) const {
  const auto r = ParseDecimal(rate);
  const auto p = ParseDecimal(pa);
  if (!r || *r < 0 || *r > 36000) {
    Tell("The rate is a number of arc seconds a minute from 0 to 36000.");
    return std::nullopt;
  }
  if (!p || *p < -360 || *p > 720) {
    Tell("The position angle is a number of degrees from -360 to 720.");
    return std::nullopt;
  }
  SkyMotion m;
  m.rateArcsecPerMin = static_cast<double>(*r);
  m.paDeg = std::fmod(static_cast<double>(*p) + 720, 360.0);
  return m;
}

std::optional<std::string> TrackSession::StackToFile(const SkyMotion& motion, StackCombine combine) {
  if (!solved_) {
    Tell("Solve the series first.");
    return std::nullopt;
  }
  StackSettings settings;
  settings.combine = combine;
  StackResult stack;
  {
    platform::BusyCursor busy(ui_);
    stack = StackAlongMotion(series_, motion, settings);
  }
  if (!stack.made) {
    Tell(stack.failure);
    return std::nullopt;
  }
  const std::string path = scratchDir_ + "STACK" + std::to_string(stacks_ + 1) + ".FIT";
  try {
    WriteFloatFits(fs::NativePath(path), stack.image);
  } catch (const CalibrationFailure& e) {
    Tell(e.what());
    return std::nullopt;
  }
  ++stacks_;
  last_ = std::move(stack);
  return path;
}

bool TrackSession::Search(const TrackSearchSettings& settings, const std::optional<KnownSearch>& known) {
  if (!solved_) {
    Tell("Solve the series first.");
    return false;
  }
  TrackSearchResult result;
  {
    const auto started = std::chrono::steady_clock::now();
    auto progress = ui_.OpenProgress("Track Search", "Stacking the series over the motions...", 1000, true);
    result = SearchTracks(series_, settings, [&](std::size_t done, std::size_t total) {
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      const double left = done > 0 ? elapsed / static_cast<double>(done) * static_cast<double>(total - done) : 0;
      progress->SetPosition(static_cast<std::int64_t>(done * 1000 / std::max<std::size_t>(total, 1)));
      progress->SetText("Motion " + std::to_string(done) + " of " + std::to_string(total) + ", about " +
                        std::to_string(static_cast<long long>(std::ceil(left))) + " s left");
      return !progress->StopRequested();
    });
  }
  if (!result.done) {
    Tell(result.failure == "Stopped." ? "The track search was stopped." : result.failure);
    return false;
  }
  std::vector<std::optional<KnownObject>> names(result.candidates.size());
  if (known) {
    const auto named = NameTrackCandidates(ui_, series_, result, *known);
    if (named) names = *named;
  }
  search_ = std::move(result);
  known_ = std::move(names);
  candidateStacks_.assign(search_.candidates.size(), std::nullopt);
  return true;
}

void TrackSession::ForgetSearch() {
  search_ = TrackSearchResult{};
  known_.clear();
  candidateStacks_.clear();
}

const StackResult& TrackSession::CandidateStack(std::size_t i) {
  if (!candidateStacks_[i]) {
    const TrackCandidate& c = search_.candidates[i];
    platform::BusyCursor busy(ui_);
    candidateStacks_[i] = StackAlongMotion(series_, SkyMotion{c.rateArcsecPerMin, c.paDeg}, StackSettings{});
  }
  return *candidateStacks_[i];
}

}  // namespace skarvel
