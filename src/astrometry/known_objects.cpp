#include "astrometry/known_objects.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "foundations/angles.h"
#include "foundations/io_error.h"
#include "foundations/time_scales.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "orbits/orbit_search.h"

namespace skarvel {

namespace {

// The search box is wider than the frame by this (degrees): an object's
// topocentric place differs from the geocentric one by its parallax, under
// 9" / Delta (AU), and the box must not lose one near the edge.
constexpr long double kParallaxMarginDeg = 0.05L;

// Passes everything to `ui` except the search's information messages and its
// progress window: a search per frame would otherwise ask the person to
// acknowledge "Search Completed!" four times.
class QuietSearchPlatform final : public platform::Platform {
 public:
  explicit QuietSearchPlatform(platform::Platform& ui) : ui_(ui) {}
  platform::Answer Message(const platform::MessageRequest& r) override {
    if (r.icon == platform::Icon::Information) return platform::Answer::Ok;
    return ui_.Message(r);
  }
  void Beep() override { ui_.Beep(); }
  std::optional<std::vector<std::string>> OpenFiles(const platform::FileDialogRequest& r) override { return ui_.OpenFiles(r); }
  std::optional<std::string> SaveFile(const platform::FileDialogRequest& r) override { return ui_.SaveFile(r); }
  std::optional<std::string> ChooseDirectory(const platform::DirectoryRequest& r) override { return ui_.ChooseDirectory(r); }
  std::optional<std::string> PromptText(const platform::TextPromptRequest& r) override { return ui_.PromptText(r); }
  void ProgressNote(const std::string& text) override { ui_.ProgressNote(text); }
  std::unique_ptr<platform::ProgressWindow> OpenProgress(const std::string&, const std::string&, std::int64_t,
                                                         bool) override {
    return std::make_unique<Silent>();
  }
  void SetBusy(bool busy) override { ui_.SetBusy(busy); }
  bool OpenWebPage(const std::string& url) override { return ui_.OpenWebPage(url); }
  platform::ProcessHandle StartProcess(const std::string& p, const std::vector<std::string>& a,
                                       const std::string& w) override {
    return ui_.StartProcess(p, a, w);
  }
  bool ProcessRunning(platform::ProcessHandle h) override { return ui_.ProcessRunning(h); }
  platform::HttpResponse HttpGet(const std::string& url) override { return ui_.HttpGet(url); }
  ScreenSize Screen() override { return ui_.Screen(); }

 private:
  struct Silent final : platform::ProgressWindow {
    void SetPosition(std::int64_t) override {}
    void SetText(const std::string&) override {}
    bool StopRequested() override { return false; }
  };
  platform::Platform& ui_;
};

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

struct Predicted {
  SearchResult result;
  std::vector<std::array<long double, 2>> place;  // per frame: RA hours, Dec degrees
};

}  // namespace

std::optional<std::vector<std::optional<KnownObject>>> IdentifyKnownObjects(platform::Platform& ui,
                                                                            const KnownSearch& search,
                                                                            const std::vector<FrameField>& fields,
                                                                            const std::vector<MovingCandidate>& candidates) {
  if (fields.empty()) return std::nullopt;
  QuietSearchPlatform quiet(ui);
  // The objects of every frame's field at its time, by record.
  std::map<std::int32_t, Predicted> objects;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    TAstOrbFlSrch scan(SearchContext{quiet, search.site, true});
    SearchParams& p = scan.Params();
    p.source = ElementSource::kMpc;
    p.instant.SetJD(UtcToTT(fields[k].jd));
    p.kind = FieldKind::kDegrees;
    p.centerRaHours = fields[k].centreRAHours;
    p.centerDecDeg = fields[k].centreDecDeg;
    p.halfSizeRad = (fields[k].halfSizeDeg + kParallaxMarginDeg) * kRadiansPerDegree;
    p.DeriveBox();
    if (!scan.Search(search.orbitsPath, FileDateTimeValue(search.orbitsPath).has_value(), ElementSource::kMpc,
                     FileDateTimeValue(search.orbitsPath).value_or(0)))
      return std::nullopt;
    std::map<std::int32_t, Predicted> seen;
    for (std::int32_t i = 0; i <= scan.Results().LastIndex(); ++i) {
      const SearchResult& r = *scan.Results().GetAt(i);
      if (k > 0 && objects.find(r.recordNumber) == objects.end()) continue;
      Predicted& o = seen[r.recordNumber];
      o = k > 0 ? objects[r.recordNumber] : Predicted{r, {}};
      o.place.push_back({static_cast<long double>(r.ra), static_cast<long double>(r.dec)});
    }
    objects = std::move(seen);
  }
  // As seen from the site: the record's elements through the ephemeris at each frame's time.
  if (search.topocentric && !objects.empty()) {
    std::map<std::int32_t, OrbitElements> elements;
    try {
      CmoFileReader reader(search.orbitsPath);
      CmoRecord rec;
      for (std::int32_t n = 1; reader.Next(rec) && elements.size() < objects.size(); ++n)
        if (objects.count(n)) elements[n] = CmoToElements(rec);
    } catch (const IOFailure&) {
      // The search read the file a moment ago; a failure now leaves the geocentric places.
    }
    for (auto& [record, o] : objects) {
      const auto el = elements.find(record);
      if (el == elements.end()) continue;
      for (std::size_t k = 0; k < fields.size(); ++k) {
        EphemerisParams p;
        p.start.SetJD(UtcToTT(fields[k].jd));
        p.points = 1;
        p.SetEquinox(EquinoxChoice::kJ2000);
        RecordList<EphemerisRecord> table;
        if (!GenerateEphemeris(el->second, search.site, p, table) || table.LastIndex() < 0) continue;
        o.place[k] = {table.GetAt(0)->raHours, table.GetAt(0)->decDeg};
      }
    }
  }
  // Every (candidate, object) pair within reach in every frame, nearest first.
  struct Pair {
    std::size_t candidate;
    std::int32_t record;
    long double mean;
    std::vector<std::array<long double, 2>> offsets;
  };
  std::vector<Pair> pairs;
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    const MovingCandidate& m = candidates[c];
    if (m.positions.size() != fields.size()) continue;
    for (const auto& [record, o] : objects) {
      Pair pair{c, record, 0, {}};
      bool near = true;
      for (std::size_t k = 0; k < fields.size() && near; ++k) {
        const long double dra =
            (o.place[k][0] - m.positions[k].raHours) * 15 * 3600 * std::cos(m.positions[k].decDeg * kRadiansPerDegree);
        const long double ddec = (o.place[k][1] - m.positions[k].decDeg) * 3600;
        const long double d = std::hypot(std::remainder(dra, 15 * 3600 * 24.0L), ddec);
        near = d <= search.matchArcsec;
        pair.mean += d / static_cast<long double>(fields.size());
        pair.offsets.push_back({dra, ddec});
      }
      if (near) pairs.push_back(std::move(pair));
    }
  }
  std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.mean < b.mean; });
  std::vector<std::optional<KnownObject>> out(candidates.size());
  std::set<std::int32_t> given;
  for (const Pair& pair : pairs) {
    if (out[pair.candidate] || given.count(pair.record)) continue;
    given.insert(pair.record);
    const SearchResult& r = objects[pair.record].result;
    KnownObject k;
    k.designation = Trim(r.designation);
    k.name = Trim(r.name);
    if (!k.designation.empty() && k.designation.size() < 9 &&
        k.designation.find_first_not_of("0123456789") == std::string::npos)
      k.number = std::stoi(k.designation);
    k.record = pair.record;
    k.predictedMinusMeasured = pair.offsets;
    k.meanArcsec = pair.mean;
    out[pair.candidate] = std::move(k);
  }
  return out;
}

}  // namespace skarvel
