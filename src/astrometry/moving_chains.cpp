// The moving-object chains judged by significance: detections near the
// limit, forced measurements where a frame missed the object, and a chain
// kept by its combined SNR and the fit of its motion within the positions'
// uncertainties.
#include <algorithm>
#include <cmath>
#include <map>

#include "astrometry/moving_objects.h"
#include "astrometry/star_match.h"
#include "foundations/angles.h"

namespace skarvel {

namespace {

constexpr double kMinutesPerDay = 1440;
// Arc seconds in a radian: 180 x 3600 / pi.
constexpr long double kArcsecInRadian = 206264.80624709636L;

struct Pt {
  double e = 0, n = 0;  // arc seconds east and north of the tangent point
};

// Points of one frame on a grid of cells, for the neighbours of a point.
class Grid {
 public:
  Grid(const std::vector<Pt>& p, double cell) : p_(p), cell_(cell) {
    for (std::size_t i = 0; i < p.size(); ++i) map_[Key(p[i])].push_back(static_cast<int>(i));
  }
  // The nearest point within r (-1 when none).
  int Nearest(const Pt& q, double r) const {
    double d = r;
    int best = -1;
    const auto k = Key(q);
    const long reach = static_cast<long>(std::ceil(r / cell_));
    for (long dx = -reach; dx <= reach; ++dx)
      for (long dy = -reach; dy <= reach; ++dy) {
        const auto it = map_.find({k.first + dx, k.second + dy});
        if (it == map_.end()) continue;
        for (int i : it->second) {
          const Pt& p = p_[static_cast<std::size_t>(i)];
          const double dd = std::hypot(p.e - q.e, p.n - q.n);
          if (dd <= d) {
            d = dd;
            best = i;
          }
        }
      }
    return best;
  }

 private:
  std::pair<long, long> Key(const Pt& q) const {
    return {static_cast<long>(std::floor(q.e / cell_)), static_cast<long>(std::floor(q.n / cell_))};
  }
  const std::vector<Pt>& p_;
  double cell_;
  std::map<std::pair<long, long>, std::vector<int>> map_;
};

}  // namespace

std::vector<MovingCandidate> FindFaintMovingObjects(const std::vector<FrameDetections>& frames,
                                                    const MovingSettings& settings) {
  std::vector<MovingCandidate> out;
  const std::size_t nf = frames.size();
  if (nf < 3) return out;
  const FrameDetections* anchor = nullptr;
  for (const FrameDetections& f : frames)
    if (!f.stars.empty()) {
      anchor = &f;
      break;
    }
  if (anchor == nullptr) return out;
  const long double ra0 = anchor->stars.front().raHours, dec0 = anchor->stars.front().decDeg;
  const auto toPlane = [&](long double ra, long double dec) {
    long double x = 0, y = 0;
    StandardArcsec(ra, dec, ra0, dec0, x, y);
    return Pt{-static_cast<double>(x), static_cast<double>(y)};
  };
  const auto toSky = [&](const Pt& p, long double& ra, long double& dec) {
    const long double X = -p.e / kArcsecInRadian, Y = p.n / kArcsecInRadian;
    const long double d0 = dec0 * kRadiansPerDegree;
    const long double a = ra0 * 15 * kRadiansPerDegree + std::atan2(-X, std::cos(d0) - Y * std::sin(d0));
    ra = std::fmod(a / kRadiansPerDegree / 15 + 48, 24.0L);
    dec = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / kRadiansPerDegree;
  };
  // The forced measurement of frame f at a plane point, and its pixel.
  struct Forced {
    bool onFrame = false;  // the place lies on the frame, clear of its edge
    ForcedResult result;
    long double x = 0, y = 0;
  };
  const auto force = [&](std::size_t f, const Pt& at) {
    Forced there;
    const FrameDetections& frame = frames[f];
    long double ra = 0, dec = 0;
    toSky(at, ra, dec);
    if (!frame.skyToPixel || !frame.skyToPixel(ra, dec, there.x, there.y)) return there;
    const long double edge = settings.edgePixels;
    if (frame.width > 0 && frame.height > 0 &&
        (there.x < edge || there.y < edge || there.x > frame.width - 1 - edge || there.y > frame.height - 1 - edge))
      return there;
    if (!frame.forcedAt) return there;
    const auto r = frame.forcedAt(there.x, there.y);
    if (!r) return there;
    there.onFrame = true;
    there.result = *r;
    return there;
  };

  std::vector<std::vector<Pt>> pts(nf);
  for (std::size_t f = 0; f < nf; ++f)
    for (const SkyDetection& s : frames[f].stars) pts[f].push_back(toPlane(s.raHours, s.decDeg));
  const double stationary = static_cast<double>(settings.stationaryArcsec);
  const double chain = static_cast<double>(settings.chainArcsec);
  std::vector<Grid> cells;
  for (std::size_t f = 0; f < nf; ++f) cells.emplace_back(pts[f], std::max(stationary, chain));
  // Transients: a source is a star where every other frame has a source at
  // its place or its pixels show it there.
  std::vector<std::vector<int>> transient(nf);
  for (std::size_t f = 0; f < nf; ++f)
    for (std::size_t i = 0; i < pts[f].size(); ++i) {
      const long double snr = frames[f].stars[i].snr;
      // Frames that do not cover the place (off the frame, at its edge) say nothing.
      bool everywhere = true;
      for (std::size_t g = 0; g < nf && everywhere; ++g) {
        if (g == f || cells[g].Nearest(pts[f][i], stationary) >= 0) continue;
        const Forced there = force(g, pts[f][i]);
        everywhere = !there.onFrame || (there.result.snr >= settings.stationaryForcedSnr &&
                                        there.result.snr >= settings.stationaryFraction * snr);
      }
      if (!everywhere) transient[f].push_back(static_cast<int>(i));
    }
  std::vector<std::vector<Pt>> tpts(nf);
  for (std::size_t f = 0; f < nf; ++f)
    for (int i : transient[f]) tpts[f].push_back(pts[f][static_cast<std::size_t>(i)]);
  std::vector<Grid> tcells;
  for (std::size_t f = 0; f < nf; ++f) tcells.emplace_back(tpts[f], chain);
  const auto detection = [&](std::size_t f, int member) -> const SkyDetection& {
    return frames[f].stars[static_cast<std::size_t>(transient[f][static_cast<std::size_t>(member)])];
  };

  const double t0 = static_cast<double>(frames.front().jd);
  const double span = (static_cast<double>(frames.back().jd) - t0) * kMinutesPerDay;
  if (!(span > 0)) return out;
  const auto minutes = [&](std::size_t f) { return (static_cast<double>(frames[f].jd) - t0) * kMinutesPerDay; };
  const std::size_t fewest = nf >= 4 ? nf - 1 : 2;
  struct Chain {
    std::vector<int> members;  // index into transient[f], -1 where the frame missed the object
    std::vector<Forced> forced;
    std::vector<long double> snr;
    int present = 0;
    double residual = 0, chi2 = 0, significance = 0, rate = 0, pa = 0;
    double e0 = 0, n0 = 0, ve = 0, vn = 0;
  };
  const double floor2 = std::pow(static_cast<double>(settings.positionFloorArcsec), 2);
  std::vector<Chain> chains;
  for (std::size_t fa = 0; fa + 1 < nf; ++fa)
    for (std::size_t fb = fa + 1; fb < nf; ++fb) {
      const double dt = minutes(fb) - minutes(fa);
      if (!(dt > 0)) continue;
      for (std::size_t a = 0; a < tpts[fa].size(); ++a)
        for (std::size_t b = 0; b < tpts[fb].size(); ++b) {
          const Pt& p = tpts[fa][a];
          const Pt& q = tpts[fb][b];
          const double rate = std::hypot(q.e - p.e, q.n - p.n) / dt;
          if (rate < static_cast<double>(settings.minRate) || rate > static_cast<double>(settings.maxRate)) continue;
          Chain c;
          c.members.assign(nf, -1);
          c.forced.assign(nf, Forced{});
          c.snr.assign(nf, 0);
          c.members[fa] = static_cast<int>(a);
          c.members[fb] = static_cast<int>(b);
          std::size_t present = 2;
          for (std::size_t f = 0; f < nf; ++f) {
            if (f == fa || f == fb) continue;
            const double u = (minutes(f) - minutes(fa)) / dt;
            const Pt at{p.e + u * (q.e - p.e), p.n + u * (q.n - p.n)};
            const int k = tcells[f].Nearest(at, chain);
            c.members[f] = k;
            if (k >= 0) ++present;
          }
          if (present < fewest) continue;
          // Found from its outer pair only.
          std::size_t first = 0, last = nf - 1;
          while (c.members[first] < 0) ++first;
          while (c.members[last] < 0) --last;
          if (first != fa || last != fb) continue;
          // Weighted straight line in time on each axis.
          double sw = 0, st = 0, stt = 0, se = 0, sn = 0, ste = 0, stn = 0;
          long double snrMin = 0, snrMax = 0, snrSum = 0;
          double maxMove = 0;
          const SkyDetection& s0 = detection(fa, c.members[fa]);
          for (std::size_t f = 0; f < nf; ++f) {
            if (c.members[f] < 0) continue;
            const SkyDetection& s = detection(f, c.members[f]);
            const double w = 1 / (std::pow(static_cast<double>(s.sigmaArcsec), 2) + floor2);
            const double t = minutes(f);
            const Pt& m = tpts[f][static_cast<std::size_t>(c.members[f])];
            sw += w;
            st += w * t;
            stt += w * t * t;
            se += w * m.e;
            sn += w * m.n;
            ste += w * t * m.e;
            stn += w * t * m.n;
            snrMin = snrSum == 0 ? s.snr : std::min(snrMin, s.snr);
            snrMax = std::max(snrMax, s.snr);
            snrSum += s.snr;
            c.snr[f] = s.snr;
            maxMove = std::max(maxMove, static_cast<double>(std::hypot(s.x - s0.x, s.y - s0.y)));
          }
          if (maxMove < static_cast<double>(settings.minPixelMotion)) continue;
          if (!(snrMin > 0) || snrMax > settings.maxSnrRatio * snrMin) continue;
          const double den = sw * stt - st * st;
          if (!(den > 0)) continue;
          c.ve = (sw * ste - st * se) / den;
          c.vn = (sw * stn - st * sn) / den;
          c.e0 = (se - c.ve * st) / sw;
          c.n0 = (sn - c.vn * st) / sw;
          double sum = 0, chi2 = 0;
          for (std::size_t f = 0; f < nf; ++f) {
            if (c.members[f] < 0) continue;
            const SkyDetection& s = detection(f, c.members[f]);
            const Pt& m = tpts[f][static_cast<std::size_t>(c.members[f])];
            const double r2 = std::pow(m.e - (c.e0 + c.ve * minutes(f)), 2) + std::pow(m.n - (c.n0 + c.vn * minutes(f)), 2);
            sum += r2;
            chi2 += r2 / (std::pow(static_cast<double>(s.sigmaArcsec), 2) + floor2);
          }
          c.present = static_cast<int>(present);
          c.residual = std::sqrt(sum / static_cast<double>(present));
          const double dof = 2.0 * static_cast<double>(present) - 4;
          c.chi2 = dof > 0 ? chi2 / dof : 0;
          if (c.residual > static_cast<double>(settings.maxResidualArcsec) ||
              c.chi2 > static_cast<double>(settings.maxChiSquare))
            continue;
          // The frames that missed it: the forced measurement must show it,
          // or (four frames or more, one frame) the place is off the frame
          // or under a star.
          const long double meanSnr = snrSum / static_cast<long double>(present);
          long double total = snrSum;
          std::size_t counted = present;
          bool shown = true;
          for (std::size_t f = 0; f < nf && shown; ++f) {
            if (c.members[f] >= 0) continue;
            const Pt at{c.e0 + c.ve * minutes(f), c.n0 + c.vn * minutes(f)};
            c.forced[f] = force(f, at);
            const Forced& there = c.forced[f];
            // Under a star: a source there, or the other frames' pixels show
            // something as bright at that place (a star the detector left
            // out, saturated), where the object was not.
            bool star = cells[f].Nearest(at, 2 * chain) >= 0;
            for (std::size_t g = 0; g < nf && !star && there.onFrame; ++g) {
              if (g == f) continue;
              const Forced other = force(g, at);
              star = other.onFrame && other.result.snr >= settings.stationaryForcedSnr &&
                     other.result.snr >= settings.stationaryFraction * there.result.snr;
            }
            const bool present_ = there.onFrame && !star && there.result.snr >= settings.forcedMinSnr &&
                                  there.result.snr >= settings.presentFraction * meanSnr &&
                                  there.result.snr <= settings.maxSnrRatio * meanSnr;
            if (present_) {
              total += there.result.snr;
              ++counted;
              c.snr[f] = there.result.snr;
            } else {
              shown = nf >= 4 && (!there.onFrame || star);
              c.snr[f] = there.onFrame ? there.result.snr : 0;
            }
          }
          if (!shown) continue;
          c.significance = static_cast<double>(total / std::sqrt(static_cast<long double>(counted)));
          if (c.significance < static_cast<double>(settings.minCombinedSnr)) continue;
          c.rate = std::hypot(c.ve, c.vn);
          c.pa = std::fmod(std::atan2(c.ve, c.vn) * 180 / M_PI + 360, 360.0);
          chains.push_back(c);
        }
    }
  std::sort(chains.begin(), chains.end(), [](const Chain& a, const Chain& b) {
    return a.present != b.present ? a.present > b.present : a.significance > b.significance;
  });
  std::vector<std::vector<bool>> used(nf);
  for (std::size_t f = 0; f < nf; ++f) used[f].assign(tpts[f].size(), false);
  for (const Chain& c : chains) {
    bool free = true;
    for (std::size_t f = 0; f < nf; ++f) free = free && (c.members[f] < 0 || !used[f][static_cast<std::size_t>(c.members[f])]);
    if (!free) continue;
    MovingCandidate m;
    double magSum = 0;
    int magCount = 0;
    for (std::size_t f = 0; f < nf; ++f) {
      m.jd.push_back(frames[f].jd);
      m.detected.push_back(c.members[f] >= 0);
      m.snr.push_back(c.snr[f]);
      if (c.members[f] < 0) {
        // The forced measurement at the motion's place.
        SkyDetection at;
        toSky({c.e0 + c.ve * minutes(f), c.n0 + c.vn * minutes(f)}, at.raHours, at.decDeg);
        if (!frames[f].skyToPixel || !frames[f].skyToPixel(at.raHours, at.decDeg, at.x, at.y)) {
          at.x = c.forced[f].x;
          at.y = c.forced[f].y;
        }
        at.flux = c.forced[f].result.flux;
        at.snr = c.forced[f].result.snr;
        m.positions.push_back(at);
        continue;
      }
      used[f][static_cast<std::size_t>(c.members[f])] = true;
      const SkyDetection& s = detection(f, c.members[f]);
      m.positions.push_back(s);
      if (frames[f].zeroPoint != 0 && s.flux > 0) {
        magSum += static_cast<double>(frames[f].zeroPoint) - 2.5 * std::log10(static_cast<double>(s.flux));
        ++magCount;
      }
    }
    m.rateArcsecPerMin = c.rate;
    m.paDeg = c.pa;
    m.residualArcsec = c.residual;
    m.significance = c.significance;
    m.mag = magCount ? magSum / magCount : 0;
    out.push_back(m);
  }
  return out;
}

}  // namespace skarvel
