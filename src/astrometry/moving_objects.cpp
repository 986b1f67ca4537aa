#include "astrometry/moving_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

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

// Detections of one frame on a grid of cells, for the neighbours of a point.
class Cells {
 public:
  Cells(const std::vector<Pt>& p, double cell) : p_(p), cell_(cell) {
    for (std::size_t i = 0; i < p.size(); ++i) map_[Key(p[i])].push_back(static_cast<int>(i));
  }
  // The nearest point within r (-1 when none), its distance in `d`.
  int Nearest(const Pt& q, double r, double& d) const {
    d = r;
    int best = -1;
    const auto k = Key(q);
    for (long dx = -1; dx <= 1; ++dx)
      for (long dy = -1; dy <= 1; ++dy) {
        const auto it = map_.find({k.first + dx, k.second + dy});
        if (it == map_.end()) continue;
        for (int i : it->second) {
          const double dd = std::hypot(p_[static_cast<std::size_t>(i)].e - q.e, p_[static_cast<std::size_t>(i)].n - q.n);
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

std::string TemporaryDesignation(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "SKV%04d", std::clamp(n, 0, 9999));
  return text;
}

std::vector<MovingCandidate> FindMovingObjects(const std::vector<FrameDetections>& frames,
                                               const MovingSettings& settings) {
  std::vector<MovingCandidate> out;
  const std::size_t nf = frames.size();
  if (settings.minCombinedSnr > 0 &&
      std::all_of(frames.begin(), frames.end(), [](const FrameDetections& f) {
        return f.forcedAt && std::all_of(f.stars.begin(), f.stars.end(), [](const SkyDetection& s) { return s.snr > 0; });
      }))
    return FindFaintMovingObjects(frames, settings);
  if (nf < 3 || frames.front().stars.empty()) return out;
  // The tangent plane about the first frame's first detection.
  const long double ra0 = frames.front().stars.front().raHours, dec0 = frames.front().stars.front().decDeg;
  std::vector<std::vector<Pt>> pts(nf);
  for (std::size_t f = 0; f < nf; ++f)
    for (const SkyDetection& s : frames[f].stars) {
      long double x = 0, y = 0;
      StandardArcsec(s.raHours, s.decDeg, ra0, dec0, x, y);
      pts[f].push_back({-static_cast<double>(x), static_cast<double>(y)});
    }
  const double stationary = static_cast<double>(settings.stationaryArcsec);
  const double chain = static_cast<double>(settings.chainArcsec);
  std::vector<Cells> cells;
  for (std::size_t f = 0; f < nf; ++f) cells.emplace_back(pts[f], std::max(stationary, chain));
  // Transients: not within the stationary radius in every other frame.
  std::vector<std::vector<int>> transient(nf);
  for (std::size_t f = 0; f < nf; ++f)
    for (std::size_t i = 0; i < pts[f].size(); ++i) {
      bool everywhere = true;
      for (std::size_t g = 0; g < nf && everywhere; ++g) {
        double d = 0;
        if (g != f && cells[g].Nearest(pts[f][i], stationary, d) < 0) everywhere = false;
      }
      if (!everywhere) transient[f].push_back(static_cast<int>(i));
    }
  std::vector<std::vector<Pt>> tpts(nf);
  for (std::size_t f = 0; f < nf; ++f)
    for (int i : transient[f]) tpts[f].push_back(pts[f][static_cast<std::size_t>(i)]);
  std::vector<Cells> tcells;
  for (std::size_t f = 0; f < nf; ++f) tcells.emplace_back(tpts[f], chain);

  const double t0 = static_cast<double>(frames.front().jd), span = (static_cast<double>(frames.back().jd) - t0) * kMinutesPerDay;
  if (!(span > 0)) return out;
  struct Chain {
    std::vector<int> members;  // index into transient[f], -1 where the object was not found
    int present = 0;
    double residual = 0, rate = 0, pa = 0;
    double e0 = 0, n0 = 0, ve = 0, vn = 0;  // the motion: arc seconds, arc seconds a minute
  };
  const auto minutes = [&](std::size_t f) { return (static_cast<double>(frames[f].jd) - t0) * kMinutesPerDay; };
  const auto detection = [&](std::size_t f, int member) -> const SkyDetection& {
    return frames[f].stars[static_cast<std::size_t>(transient[f][static_cast<std::size_t>(member)])];
  };
  // The sky position of a tangent-plane point.
  const auto toSky = [&](const Pt& p, long double& ra, long double& dec) {
    const long double X = -p.e / kArcsecInRadian, Y = p.n / kArcsecInRadian;
    const long double d0 = dec0 * kRadiansPerDegree;
    const long double a = ra0 * 15 * kRadiansPerDegree + std::atan2(-X, std::cos(d0) - Y * std::sin(d0));
    ra = std::fmod(a / kRadiansPerDegree / 15 + 48, 24.0L);
    dec = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / kRadiansPerDegree;
  };
  // Why frame f may lack an object of mean flux `flux` expected at `at`.
  // `pixelsOnly`: only the frame's pixels may say it, and no source may lie there.
  const double hidden = static_cast<double>(settings.hiddenArcsec);
  const auto explained = [&](std::size_t f, const Pt& at, long double flux, bool pixelsOnly) {
    double d = 0;
    const bool source = cells[f].Nearest(at, pixelsOnly ? 2 * chain : hidden, d) >= 0;
    if (source) return !pixelsOnly;
    const FrameDetections& frame = frames[f];
    if (!frame.skyToPixel) return false;
    long double ra = 0, dec = 0, x = 0, y = 0;
    toSky(at, ra, dec);
    if (!frame.skyToPixel(ra, dec, x, y)) return false;
    const long double edge = settings.edgePixels;
    if (frame.width > 0 && frame.height > 0 &&
        (x < edge || y < edge || x > frame.width - 1 - edge || y > frame.height - 1 - edge))
      return !pixelsOnly;
    if (!frame.fluxAt || !(flux > 0)) return false;
    const std::optional<long double> there = frame.fluxAt(x, y);
    return there && *there >= settings.presentFraction * flux &&
           (!pixelsOnly || *there >= settings.presentSigma * frame.boxNoise);
  };
  // Chains through a detection of each of two frames: with three frames the
  // first and the last; with four or more any two, the frames between and
  // beyond searched along their line. One frame may miss the object when it
  // can say why (above); two when the pixels of both show it where no source
  // was found.
  const bool noiseEverywhere = std::all_of(frames.begin(), frames.end(), [](const FrameDetections& f) {
    return f.boxNoise > 0 && f.skyToPixel && f.fluxAt;
  });
  const std::size_t fewest = nf >= 4 ? (noiseEverywhere ? 2 : nf - 1) : nf;
  std::vector<std::pair<std::size_t, std::size_t>> ends;
  for (std::size_t fa = 0; fa + 1 < nf; ++fa)
    for (std::size_t fb = fa + 1; fb < nf; ++fb)
      if (nf < 4 ? (fa == 0 && fb == nf - 1) : true) ends.push_back({fa, fb});
  std::vector<Chain> chains;
  for (const auto& [fa, fb] : ends) {
    const double dt = minutes(fb) - minutes(fa);
    for (std::size_t a = 0; a < tpts[fa].size(); ++a)
      for (std::size_t b = 0; b < tpts[fb].size(); ++b) {
        const Pt& p = tpts[fa][a];
        const Pt& q = tpts[fb][b];
        const double rate = std::hypot(q.e - p.e, q.n - p.n) / dt;
        if (rate < static_cast<double>(settings.minRate) || rate > static_cast<double>(settings.maxRate)) continue;
        Chain c;
        c.members.assign(nf, -1);
        c.members[fa] = static_cast<int>(a);
        c.members[fb] = static_cast<int>(b);
        std::size_t present = 2;
        for (std::size_t f = 0; f < nf; ++f) {
          if (f == fa || f == fb) continue;
          const double u = (minutes(f) - minutes(fa)) / dt;
          double d = 0;
          const Pt at{p.e + u * (q.e - p.e), p.n + u * (q.n - p.n)};
          const int k = tcells[f].Nearest(at, chain, d);
          c.members[f] = k;
          if (k < 0) continue;
          ++present;
        }
        if (present < fewest) continue;
        // A chain with every frame is found from several pairs: keep it once, from its outer pair.
        std::size_t first = 0, last = nf - 1;
        while (c.members[first] < 0) ++first;
        while (c.members[last] < 0) --last;
        if (first != fa || last != fb) continue;
        // Least-squares straight line in time on each axis, over the frames that have the object.
        double st = 0, stt = 0, se = 0, sn = 0, ste = 0, stn = 0, n = 0;
        for (std::size_t f = 0; f < nf; ++f) {
          if (c.members[f] < 0) continue;
          const double t = minutes(f);
          const Pt& m = tpts[f][static_cast<std::size_t>(c.members[f])];
          st += t;
          stt += t * t;
          se += m.e;
          sn += m.n;
          ste += t * m.e;
          stn += t * m.n;
          n += 1;
        }
        const double den = n * stt - st * st;
        c.ve = (n * ste - st * se) / den;
        c.vn = (n * stn - st * sn) / den;
        c.e0 = (se - c.ve * st) / n;
        c.n0 = (sn - c.vn * st) / n;
        double sum = 0;
        for (std::size_t f = 0; f < nf; ++f) {
          if (c.members[f] < 0) continue;
          const Pt& m = tpts[f][static_cast<std::size_t>(c.members[f])];
          sum += std::pow(m.e - (c.e0 + c.ve * minutes(f)), 2) + std::pow(m.n - (c.n0 + c.vn * minutes(f)), 2);
        }
        c.present = static_cast<int>(n);
        c.residual = std::sqrt(sum / n);
        if (c.residual > static_cast<double>(settings.maxResidualArcsec)) continue;
        c.rate = std::hypot(c.ve, c.vn);
        c.pa = std::fmod(std::atan2(c.ve, c.vn) * 180 / M_PI + 360, 360.0);
        // A chain fixed on the detector is a defect carried along by the pointing.
        double maxMove = 0;
        long double fluxMin = 0, fluxMax = 0, fluxSum = 0;
        const SkyDetection& s0 = detection(fa, static_cast<int>(a));
        for (std::size_t f = 0; f < nf; ++f) {
          if (c.members[f] < 0) continue;
          const SkyDetection& s = detection(f, c.members[f]);
          maxMove = std::max(maxMove, static_cast<double>(std::hypot(s.x - s0.x, s.y - s0.y)));
          fluxMin = fluxSum == 0 ? s.flux : std::min(fluxMin, s.flux);
          fluxMax = std::max(fluxMax, s.flux);
          fluxSum += s.flux;
        }
        if (maxMove < static_cast<double>(settings.minPixelMotion)) continue;
        if (c.present < static_cast<int>(nf)) {
          // A frame without the object must say why; the others must agree on its brightness.
          if (!(fluxMin > 0) || fluxMax > settings.maxFluxRatio * fluxMin) continue;
          if (c.rate * (minutes(last) - minutes(first)) < static_cast<double>(settings.minBridgedMotionArcsec)) continue;
          const bool pixelsOnly = c.present + 1 < static_cast<int>(nf);
          if (pixelsOnly) {
            bool strong = true;
            for (std::size_t f = 0; f < nf; ++f)
              if (c.members[f] >= 0) strong = strong && detection(f, c.members[f]).flux >= settings.bridgeTwoSigma * frames[f].boxNoise;
            if (!strong) continue;
          }
          bool why = true;
          for (std::size_t f = 0; f < nf && why; ++f)
            if (c.members[f] < 0)
              why = explained(f, {c.e0 + c.ve * minutes(f), c.n0 + c.vn * minutes(f)}, fluxSum / c.present, pixelsOnly);
          if (!why) continue;
        }
        chains.push_back(c);
      }
  }
  std::sort(chains.begin(), chains.end(), [](const Chain& a, const Chain& b) {
    return a.present != b.present ? a.present > b.present : a.residual < b.residual;
  });
  // Each detection belongs to one candidate at most: the best fitting.
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
      if (c.members[f] < 0) {
        m.positions.push_back({});
        continue;
      }
      used[f][static_cast<std::size_t>(c.members[f])] = true;
      const SkyDetection& s = frames[f].stars[static_cast<std::size_t>(transient[f][static_cast<std::size_t>(c.members[f])])];
      m.positions.push_back(s);
      if (frames[f].zeroPoint != 0 && s.flux > 0) {
        magSum += static_cast<double>(frames[f].zeroPoint) - 2.5 * std::log10(static_cast<double>(s.flux));
        ++magCount;
      }
    }
    // A frame that missed the object gets the place of the motion: the sky
    // from the fit, the pixel from the frame's plate (or interpolated in time
    // from the others when it has none).
    for (std::size_t f = 0; f < nf; ++f) {
      if (m.detected[f]) continue;
      SkyDetection& at = m.positions[f];
      toSky({c.e0 + c.ve * minutes(f), c.n0 + c.vn * minutes(f)}, at.raHours, at.decDeg);
      if (frames[f].skyToPixel && frames[f].skyToPixel(at.raHours, at.decDeg, at.x, at.y)) continue;
      const std::size_t i = f == 0 ? 1 : f - 1, j = f + 1 < nf && f != 0 ? f + 1 : (f == 0 ? 2 : f - 2);
      const long double u = (m.jd[f] - m.jd[i]) / (m.jd[j] - m.jd[i]);
      at.x = m.positions[i].x + u * (m.positions[j].x - m.positions[i].x);
      at.y = m.positions[i].y + u * (m.positions[j].y - m.positions[i].y);
    }
    m.rateArcsecPerMin = c.rate;
    m.paDeg = c.pa;
    m.residualArcsec = c.residual;
    m.mag = magCount ? magSum / magCount : 0;
    out.push_back(m);
  }
  return out;
}

}  // namespace skarvel
