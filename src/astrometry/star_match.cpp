#include "astrometry/star_match.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <optional>

#include "astrometry/plate_solution.h"
#include "foundations/angles.h"

namespace skarvel {

namespace {

using Complex = std::complex<double>;

constexpr double kArcsecPerRad = 206264.80624709636;  // 180 x 3600 / pi
// Image stars transformed by a triangle's transform are confirmed within
// this many pixels (the three-star transform is rough far from its triangle).
constexpr double kCoarseRadiusPixels = 4;
// The brightest image stars a triangle's transform is checked against.
constexpr int kVerifyStars = 40;
// A candidate confirmed by this fraction of the checked stars (and at least
// kStrongMinimum) is refined at once.
constexpr double kStrongFraction = 0.5;
constexpr int kStrongMinimum = 10;
// Candidates refined after the search, at most.
constexpr int kRefineCandidates = 8;
// Bright image stars forming triangles in the first two stages (the last takes them all).
constexpr int kStageImageStars[2] = {8, 14};
// Windows of fainter catalog stars tried last, each starting half a window further.
constexpr int kFainterWindows = 3;
// Triangles: the shortest side at least this many pixels, the longest side at
// least this fraction of the image's shorter side.
constexpr double kMinSidePixels = 6;
constexpr double kMinLongSideFraction = 0.08;
// Invariant tolerance: two centroid errors of this many pixels over the longest side, within the limits.
constexpr double kSidePixelError = 1.0;
constexpr double kMinInvariantTolerance = 0.003, kMaxInvariantTolerance = 0.03;
// The refined linear transform may depart from a similarity by this fraction (axis ratio, skew).
constexpr double kMaxNonConformal = 0.03;
// Two accepted transforms are distinct when they put the image centre this many pixels apart.
constexpr double kDistinctPixels = 5;
// A rival match with this fraction of the best one's pairs makes the match ambiguous.
constexpr double kAmbiguousFraction = 0.7;
// An accepted match pairs at least this fraction of the catalog stars in the
// image (or of the stars found, when fewer).
constexpr double kMinPairedFraction = 0.15;
// The search's rms limit is this many times the accepted one.
constexpr double kSearchRmsFactor = 3;

struct Pt {
  double x = 0, y = 0;
};

struct Triangle {
  double inv1 = 0, inv2 = 0;  // middle / longest, shortest / longest side
  double longest = 0;
  std::array<int, 3> v{};     // vertices opposite the longest, middle, shortest side
  int orientation = 1;        // sign of the turn v0 -> v1 -> v2
};

bool MakeTriangle(const std::vector<Pt>& p, int i, int j, int k, Triangle& t) {
  const std::array<int, 3> idx{i, j, k};
  // side s opposite vertex s
  std::array<std::pair<double, int>, 3> sides{};
  for (int s = 0; s < 3; ++s) {
    const Pt& a = p[static_cast<std::size_t>(idx[static_cast<std::size_t>((s + 1) % 3)])];
    const Pt& b = p[static_cast<std::size_t>(idx[static_cast<std::size_t>((s + 2) % 3)])];
    sides[static_cast<std::size_t>(s)] = {std::hypot(a.x - b.x, a.y - b.y), idx[static_cast<std::size_t>(s)]};
  }
  std::sort(sides.begin(), sides.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  if (!(sides[2].first > 0)) return false;
  t.longest = sides[0].first;
  t.inv1 = sides[1].first / sides[0].first;
  t.inv2 = sides[2].first / sides[0].first;
  for (int s = 0; s < 3; ++s) t.v[static_cast<std::size_t>(s)] = sides[static_cast<std::size_t>(s)].second;
  const Pt& a = p[static_cast<std::size_t>(t.v[0])];
  const Pt& b = p[static_cast<std::size_t>(t.v[1])];
  const Pt& c = p[static_cast<std::size_t>(t.v[2])];
  const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  t.orientation = cross >= 0 ? 1 : -1;
  return true;
}

// A similarity w = k z + t, z = x + iy (or x - iy when mirrored), w in arc seconds.
struct Similarity {
  Complex k{0, 0};
  Complex t{0, 0};
  bool mirror = false;
  Pt Apply(const Pt& p) const {
    const Complex z(p.x, mirror ? -p.y : p.y);
    const Complex w = k * z + t;
    return {w.real(), w.imag()};
  }
  double Scale() const { return std::abs(k); }
};

Similarity FitSimilarity(const std::vector<Pt>& from, const std::vector<Pt>& to, bool mirror) {
  Similarity s;
  s.mirror = mirror;
  const auto n = static_cast<double>(from.size());
  Complex zc, wc;
  for (std::size_t i = 0; i < from.size(); ++i) {
    zc += Complex(from[i].x, mirror ? -from[i].y : from[i].y);
    wc += Complex(to[i].x, to[i].y);
  }
  zc /= n;
  wc /= n;
  Complex num;
  double den = 0;
  for (std::size_t i = 0; i < from.size(); ++i) {
    const Complex z = Complex(from[i].x, mirror ? -from[i].y : from[i].y) - zc;
    num += (Complex(to[i].x, to[i].y) - wc) * std::conj(z);
    den += std::norm(z);
  }
  if (den > 0) s.k = num / den;
  s.t = wc - s.k * zc;
  return s;
}

// An affine transform X = a x + b y + c, Y = d x + e y + f (arc seconds).
struct Affine {
  std::array<double, 6> c{};
  Pt Apply(const Pt& p) const { return {c[0] * p.x + c[1] * p.y + c[2], c[3] * p.x + c[4] * p.y + c[5]}; }
};

Affine FromSimilarity(const Similarity& s) {
  const double kr = s.k.real(), ki = s.k.imag(), m = s.mirror ? -1 : 1;
  return {{kr, -ki * m, s.t.real(), ki, kr * m, s.t.imag()}};
}

// Least squares of the affine transform; false when the normal equations are singular.
bool FitAffine(const std::vector<Pt>& from, const std::vector<Pt>& to, Affine& out) {
  if (from.size() < 3) return false;
  // Centred for conditioning.
  Pt m;
  for (const Pt& p : from) {
    m.x += p.x;
    m.y += p.y;
  }
  m.x /= static_cast<double>(from.size());
  m.y /= static_cast<double>(from.size());
  double sxx = 0, sxy = 0, syy = 0, sx = 0, sy = 0, n = 0;
  std::array<double, 3> bx{}, by{};
  for (std::size_t i = 0; i < from.size(); ++i) {
    const double x = from[i].x - m.x, y = from[i].y - m.y;
    sxx += x * x;
    sxy += x * y;
    syy += y * y;
    sx += x;
    sy += y;
    n += 1;
    bx = {bx[0] + x * to[i].x, bx[1] + y * to[i].x, bx[2] + to[i].x};
    by = {by[0] + x * to[i].y, by[1] + y * to[i].y, by[2] + to[i].y};
  }
  const std::array<std::array<double, 3>, 3> a{{{sxx, sxy, sx}, {sxy, syy, sy}, {sx, sy, n}}};
  const auto det3 = [](const std::array<std::array<double, 3>, 3>& q) {
    return q[0][0] * (q[1][1] * q[2][2] - q[1][2] * q[2][1]) - q[0][1] * (q[1][0] * q[2][2] - q[1][2] * q[2][0]) +
           q[0][2] * (q[1][0] * q[2][1] - q[1][1] * q[2][0]);
  };
  const double det = det3(a);
  if (!(std::fabs(det) > 1e-12 * std::max(1.0, sxx * syy * n))) return false;
  const auto solve = [&](const std::array<double, 3>& b) {
    std::array<double, 3> r{};
    for (int col = 0; col < 3; ++col) {
      auto q = a;
      for (int row = 0; row < 3; ++row) q[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = b[static_cast<std::size_t>(row)];
      r[static_cast<std::size_t>(col)] = det3(q) / det;
    }
    return r;
  };
  const auto cx = solve(bx), cy = solve(by);
  // Undo the centring: X = a (x - mx) + b (y - my) + c.
  out.c = {cx[0], cx[1], cx[2] - cx[0] * m.x - cx[1] * m.y, cy[0], cy[1], cy[2] - cy[0] * m.x - cy[1] * m.y};
  return true;
}

// The catalog stars on a grid of square cells, for the nearest star to a point.
class Grid {
 public:
  Grid(const std::vector<Pt>& points, double cell) : points_(points), cell_(std::max(cell, 1e-9)) {
    for (const Pt& p : points) {
      minX_ = std::min(minX_, p.x);
      minY_ = std::min(minY_, p.y);
      maxX_ = std::max(maxX_, p.x);
      maxY_ = std::max(maxY_, p.y);
    }
    if (points.empty()) return;
    nx_ = std::min(2048, static_cast<int>((maxX_ - minX_) / cell_) + 1);
    ny_ = std::min(2048, static_cast<int>((maxY_ - minY_) / cell_) + 1);
    cell_ = std::max(cell_, std::max((maxX_ - minX_) / nx_, (maxY_ - minY_) / ny_) * 1.000001);
    cells_.assign(static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_), {});
    for (std::size_t i = 0; i < points.size(); ++i) cells_[Index(points[i])].push_back(static_cast<int>(i));
  }
  // The nearest point within r, -1 when none; `d` its distance.
  int Nearest(const Pt& p, double r, double& d) const {
    d = r;
    int best = -1;
    if (cells_.empty()) return best;
    const int x0 = static_cast<int>(std::floor((p.x - r - minX_) / cell_)), x1 = static_cast<int>(std::floor((p.x + r - minX_) / cell_));
    const int y0 = static_cast<int>(std::floor((p.y - r - minY_) / cell_)), y1 = static_cast<int>(std::floor((p.y + r - minY_) / cell_));
    for (int y = std::max(0, y0); y <= std::min(ny_ - 1, y1); ++y)
      for (int x = std::max(0, x0); x <= std::min(nx_ - 1, x1); ++x)
        for (int i : cells_[static_cast<std::size_t>(y) * static_cast<std::size_t>(nx_) + static_cast<std::size_t>(x)]) {
          const Pt& q = points_[static_cast<std::size_t>(i)];
          const double dd = std::hypot(q.x - p.x, q.y - p.y);
          if (dd <= d) {
            d = dd;
            best = i;
          }
        }
    return best;
  }

 private:
  std::size_t Index(const Pt& p) const {
    const int x = std::clamp(static_cast<int>((p.x - minX_) / cell_), 0, nx_ - 1);
    const int y = std::clamp(static_cast<int>((p.y - minY_) / cell_), 0, ny_ - 1);
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(nx_) + static_cast<std::size_t>(x);
  }
  const std::vector<Pt>& points_;
  double cell_;
  double minX_ = 1e300, minY_ = 1e300, maxX_ = -1e300, maxY_ = -1e300;
  int nx_ = 0, ny_ = 0;
  std::vector<std::vector<int>> cells_;
};

struct Refined {
  bool ok = false;
  std::vector<StarPair> pairs;
  Affine affine;
  Similarity similarity;
  double rmsPixels = 0;
  double rmsArcsec = 0;
};

// Pairs every image star with the nearest catalog star within `radius` arc
// seconds of its transformed position; a catalog star claimed twice goes to the nearer one.
template <typename Transform>
std::vector<StarPair> Pair(const std::vector<Pt>& image, const Grid& grid, std::size_t catalogCount,
                           const Transform& t, double radius) {
  std::vector<StarPair> pairs;
  std::vector<int> owner(catalogCount, -1);
  for (std::size_t i = 0; i < image.size(); ++i) {
    double d = 0;
    const int c = grid.Nearest(t.Apply(image[i]), radius, d);
    if (c < 0) continue;
    int& o = owner[static_cast<std::size_t>(c)];
    if (o >= 0) {
      if (pairs[static_cast<std::size_t>(o)].residualArcsec <= d) continue;
      pairs[static_cast<std::size_t>(o)].catalog = -1;
    }
    o = static_cast<int>(pairs.size());
    pairs.push_back({static_cast<int>(i), c, d});
  }
  pairs.erase(std::remove_if(pairs.begin(), pairs.end(), [](const StarPair& p) { return p.catalog < 0; }), pairs.end());
  return pairs;
}

Refined Refine(const Similarity& start, const std::vector<Pt>& image, const std::vector<Pt>& catalog, const Grid& grid,
               const MatchSettings& settings) {
  Refined r;
  const double scale = start.Scale();
  Affine affine = FromSimilarity(start);
  Similarity similarity = start;
  double radius = kCoarseRadiusPixels * scale;
  const double finalRadius = static_cast<double>(settings.matchRadiusPixels) * scale;
  std::vector<StarPair> pairs;
  for (int pass = 0; pass < 6; ++pass) {
    pairs = Pair(image, grid, catalog.size(), affine, radius);
    // Outlier rejection: residuals above three times the rms go, refit, until none goes.
    for (int round = 0; round < 5; ++round) {
      if (pairs.size() < 3) return r;
      std::vector<Pt> from, to;
      for (const StarPair& p : pairs) {
        from.push_back(image[static_cast<std::size_t>(p.image)]);
        to.push_back(catalog[static_cast<std::size_t>(p.catalog)]);
      }
      similarity = FitSimilarity(from, to, start.mirror);
      if (pairs.size() >= 6) {
        if (!FitAffine(from, to, affine)) return r;
      } else {
        affine = FromSimilarity(similarity);
      }
      double sum = 0;
      for (StarPair& p : pairs) {
        const Pt f = affine.Apply(image[static_cast<std::size_t>(p.image)]);
        const Pt& c = catalog[static_cast<std::size_t>(p.catalog)];
        const double d = std::hypot(f.x - c.x, f.y - c.y);
        p.residualArcsec = d;
        sum += d * d;
      }
      const double rms = std::sqrt(sum / static_cast<double>(pairs.size()));
      const double cut = std::max(3 * rms, 0.3 * scale);
      const auto before = pairs.size();
      pairs.erase(std::remove_if(pairs.begin(), pairs.end(), [cut](const StarPair& p) { return p.residualArcsec > cut; }),
                  pairs.end());
      r.rmsArcsec = rms;
      if (pairs.size() == before) break;
    }
    const double next = std::max(finalRadius, 3 * r.rmsArcsec);
    if (pass > 0 && next >= radius) break;
    radius = std::min(radius, next);
  }
  r.pairs = Pair(image, grid, catalog.size(), affine, finalRadius);
  if (r.pairs.size() < 3) return r;
  double sum = 0;
  for (const StarPair& p : r.pairs) sum += static_cast<double>(p.residualArcsec * p.residualArcsec);
  r.rmsArcsec = std::sqrt(sum / static_cast<double>(r.pairs.size()));
  r.rmsPixels = r.rmsArcsec / std::max(similarity.Scale(), 1e-12);
  r.affine = affine;
  r.similarity = similarity;
  r.ok = true;
  return r;
}

}  // namespace

bool StandardArcsec(long double raHours, long double decDeg, long double ra0Hours, long double dec0Deg, long double& x,
                    long double& y) {
  const StandardCoordinates s = Gnomonic(raHours * 15 * kRadiansPerDegree, decDeg * kRadiansPerDegree,
                                         ra0Hours * 15 * kRadiansPerDegree, dec0Deg * kRadiansPerDegree);
  if (std::isnan(s.x)) return false;
  x = s.x * kArcsecPerRad;
  y = s.y * kArcsecPerRad;
  return true;
}

void PixelToSky(const MatchResult& match, long double x, long double y, long double& raHours, long double& decDeg) {
  const auto& c = match.toStandard;
  const long double X = c[0] * x + c[1] * y + c[2], Y = c[3] * x + c[4] * y + c[5];
  const long double d0 = match.tangentDecDeg * kRadiansPerDegree;
  const long double a = match.tangentRAHours * 15 * kRadiansPerDegree + std::atan2(-X, std::cos(d0) - Y * std::sin(d0));
  raHours = std::fmod(a / kRadiansPerDegree / 15 + 48, 24.0L);
  decDeg = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / kRadiansPerDegree;
}

MatchResult MatchStars(const std::vector<ImageStar>& imageStars, const std::vector<SkyStar>& catalogStars,
                       const MatchSettings& settings) {
  MatchResult result;
  const double w = static_cast<double>(settings.imageWidth), h = static_cast<double>(settings.imageHeight);
  const double expected = static_cast<double>(settings.arcsecPerPixel);
  const double tolerance = static_cast<double>(settings.scaleTolerance);
  const bool scaleKnown = expected > 0;
  const double diag = std::hypot(w, h);

  // The catalog on the tangent plane, within reach of the image when the scale is known.
  const double reach = (0.5 * diag + static_cast<double>(settings.pointingError) * std::max(w, h)) * expected * (1 + tolerance);
  std::vector<Pt> catalog;
  std::vector<int> catalogIndex;
  std::vector<float> mags;
  for (std::size_t i = 0; i < catalogStars.size(); ++i) {
    long double x = 0, y = 0;
    if (!StandardArcsec(catalogStars[i].raHours, catalogStars[i].decDeg, settings.centreRAHours, settings.centreDecDeg, x, y))
      continue;
    if (scaleKnown && std::hypot(static_cast<double>(x), static_cast<double>(y)) > reach) continue;
    catalog.push_back({static_cast<double>(x), static_cast<double>(y)});
    catalogIndex.push_back(static_cast<int>(i));
    mags.push_back(catalogStars[i].mag);
  }
  std::vector<Pt> image;
  for (const ImageStar& s : imageStars) image.push_back({static_cast<double>(s.x), static_cast<double>(s.y)});
  if (image.size() < static_cast<std::size_t>(std::max(3, settings.minMatches))) {
    result.reason = "Too few stars were found in the image (" + std::to_string(image.size()) + ").";
    return result;
  }
  if (catalog.size() < static_cast<std::size_t>(std::max(3, settings.minMatches))) {
    result.reason = "Too few catalog stars lie in the field (" + std::to_string(catalog.size()) + ").";
    return result;
  }

  // The bright subsets that form triangles; the catalog's about as dense as the image's.
  std::vector<int> order(catalog.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return mags[static_cast<std::size_t>(a)] < mags[static_cast<std::size_t>(b)]; });
  const double areaRatio = scaleKnown ? M_PI * reach * reach / (w * h * expected * expected) : 0;
  const double minLong = kMinLongSideFraction * std::min(w, h);
  const double maxScale = scaleKnown ? expected * (1 + tolerance + 0.02) : 1e300;
  const double minScale = scaleKnown ? expected * (1 - tolerance - 0.02) : 0;
  const double maxSide = scaleKnown ? diag * maxScale : 1e300;
  const double coarse = kCoarseRadiusPixels * (scaleKnown ? expected : 1);
  const Grid grid(catalog, std::max(coarse, 1e-6));
  const int verify = std::min<int>(kVerifyStars, static_cast<int>(image.size()));
  const std::vector<Pt> verifyStars(image.begin(), image.begin() + verify);

  struct Candidate {
    Similarity s;
    int count = 0;
  };
  std::vector<Candidate> candidates;
  Refined best;
  std::vector<Refined> accepted;
  // The search accepts a looser fit: about the given centre rather than the
  // image's true one the tangent plane is a little distorted.
  double rmsLimit = kSearchRmsFactor * static_cast<double>(settings.maxRmsPixels);
  const auto acceptable = [&](const Refined& r, std::string* why) {
    if (!r.ok) {
      if (why) *why = "The stars found do not fit any position of the catalog stars.";
      return false;
    }
    const double scale = r.similarity.Scale();
    if (static_cast<int>(r.pairs.size()) < settings.minMatches) {
      if (why) *why = "Only " + std::to_string(r.pairs.size()) + " stars could be paired with catalog stars.";
      return false;
    }
    if (scaleKnown && std::fabs(scale / expected - 1) > tolerance + 0.02) {
      if (why) *why = "The image scale found does not agree with the camera's.";
      return false;
    }
    if (r.rmsPixels > rmsLimit) {
      if (why) *why = "The paired stars do not fit each other well enough.";
      return false;
    }
    // The affine part may not depart from a similarity.
    const auto& c = r.affine.c;
    const double sxAxis = std::hypot(c[0], c[3]), syAxis = std::hypot(c[1], c[4]);
    const double skew = std::fabs(c[0] * c[1] + c[3] * c[4]) / (sxAxis * syAxis);
    if (std::fabs(sxAxis / syAxis - 1) > kMaxNonConformal || skew > kMaxNonConformal) {
      if (why) *why = "The paired stars give a distorted image scale.";
      return false;
    }
    return true;
  };

  // The catalog again about the sky position of the image's centre, and the
  // pairs refined there against the strict limit.
  struct Strict {
    Refined r;
    double ra = 0, dec = 0;
    std::vector<Pt> catalog;
  };
  const auto recentre = [&](const Refined& loose, std::string* why) -> std::optional<Strict> {
    Strict out;
    const Pt mid = loose.affine.Apply({w / 2, h / 2});
    const double k = M_PI / 180, d0 = static_cast<double>(settings.centreDecDeg) * k;
    const double X = mid.x / kArcsecPerRad, Y = mid.y / kArcsecPerRad;
    out.ra = std::fmod((static_cast<double>(settings.centreRAHours) * 15 * k + std::atan2(-X, std::cos(d0) - Y * std::sin(d0))) / k / 15 + 48, 24.0);
    out.dec = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / k;
    out.catalog.resize(catalog.size());
    for (std::size_t i = 0; i < catalog.size(); ++i) {
      const SkyStar& c = catalogStars[static_cast<std::size_t>(catalogIndex[i])];
      long double x = 0, y = 0;
      StandardArcsec(c.raHours, c.decDeg, out.ra, out.dec, x, y);
      out.catalog[i] = {static_cast<double>(x), static_cast<double>(y)};
    }
    std::vector<Pt> from, to;
    for (const StarPair& p : loose.pairs) {
      from.push_back(image[static_cast<std::size_t>(p.image)]);
      to.push_back(out.catalog[static_cast<std::size_t>(p.catalog)]);
    }
    const Grid movedGrid(out.catalog, std::max(coarse, 1e-6));
    const double searchLimit = rmsLimit;
    rmsLimit = static_cast<double>(settings.maxRmsPixels);
    out.r = Refine(FitSimilarity(from, to, loose.similarity.mirror), image, out.catalog, movedGrid, settings);
    const bool ok = acceptable(out.r, why);
    rmsLimit = searchLimit;
    if (!ok) return std::nullopt;
    return out;
  };

  bool done = false;
  // Stages of more and more bright stars: most frames match in the first.
  const int allImage = std::min<int>(settings.brightImageStars, static_cast<int>(image.size()));
  // Then windows of fainter catalog stars: the image's brightest stars may be saturated and left out.
  for (int stage = 0; stage < 3 + kFainterWindows && !done; ++stage) {
    const int nImage = stage >= 2 ? allImage : std::min(allImage, kStageImageStars[stage]);
    if (stage > 0 && stage < 3 && nImage <= std::min(allImage, kStageImageStars[stage - 1])) continue;
    int nCatalog = static_cast<int>(catalog.size());
    if (scaleKnown) nCatalog = std::min(nCatalog, std::max(2 * nImage, static_cast<int>(std::lround(nImage * areaRatio))));
    nCatalog = std::min(nCatalog, settings.maxCatalogStars);
    const int first = stage < 3 ? 0 : (stage - 2) * nCatalog / 2;
    if (first >= static_cast<int>(catalog.size()) - 3) break;
    nCatalog = std::min(nCatalog, static_cast<int>(catalog.size()) - first);
    std::vector<Pt> brightCatalog;
    for (int i = 0; i < nCatalog; ++i)
      brightCatalog.push_back(catalog[static_cast<std::size_t>(order[static_cast<std::size_t>(first + i)])]);
    const std::vector<Pt> brightImage(image.begin(), image.begin() + nImage);
    std::vector<Triangle> catTriangles;
    for (int i = 0; i < nCatalog; ++i)
      for (int j = i + 1; j < nCatalog; ++j) {
        const Pt& a = brightCatalog[static_cast<std::size_t>(i)];
        const Pt& b = brightCatalog[static_cast<std::size_t>(j)];
        if (std::fabs(a.x - b.x) > maxSide || std::fabs(a.y - b.y) > maxSide) continue;
        for (int k = j + 1; k < nCatalog; ++k) {
          Triangle t;
          if (!MakeTriangle(brightCatalog, i, j, k, t)) continue;
          if (scaleKnown && (t.longest > maxSide || t.longest < minLong * minScale ||
                             t.inv2 * t.longest < kMinSidePixels * minScale))
            continue;
          catTriangles.push_back(t);
        }
      }
    std::sort(catTriangles.begin(), catTriangles.end(), [](const Triangle& a, const Triangle& b) { return a.inv1 < b.inv1; });
    for (int i = 0; i < nImage && !done; ++i)
      for (int j = i + 1; j < nImage && !done; ++j)
        for (int k = j + 1; k < nImage && !done; ++k) {
          Triangle t;
          if (!MakeTriangle(brightImage, i, j, k, t)) continue;
          if (t.longest < minLong || t.inv2 * t.longest < kMinSidePixels) continue;
          ++result.trianglesTried;
          const double eps = std::clamp(2 * kSidePixelError / t.longest, kMinInvariantTolerance, kMaxInvariantTolerance);
          auto it = std::lower_bound(catTriangles.begin(), catTriangles.end(), t.inv1 - eps,
                                     [](const Triangle& a, double v) { return a.inv1 < v; });
          for (; it != catTriangles.end() && it->inv1 <= t.inv1 + eps && !done; ++it) {
            if (std::fabs(it->inv2 - t.inv2) > eps) continue;
            const double s = it->longest / t.longest;
            if (s < minScale || s > maxScale) continue;
            std::vector<Pt> from, to;
            for (int v = 0; v < 3; ++v) {
              from.push_back(brightImage[static_cast<std::size_t>(t.v[static_cast<std::size_t>(v)])]);
              to.push_back(brightCatalog[static_cast<std::size_t>(it->v[static_cast<std::size_t>(v)])]);
            }
            const Similarity sim = FitSimilarity(from, to, t.orientation != it->orientation);
            int count = 0;
            const double r = kCoarseRadiusPixels * sim.Scale();
            for (const Pt& p : verifyStars) {
              double d = 0;
              if (grid.Nearest(sim.Apply(p), r, d) >= 0) ++count;
            }
            if (count < std::max(4, settings.minMatches)) continue;
            if (count >= std::max(kStrongMinimum, static_cast<int>(kStrongFraction * verify))) {
              Refined refined = Refine(sim, image, catalog, grid, settings);
              if (acceptable(refined, nullptr)) {
                best = refined;
                done = true;
                break;
              }
            }
            candidates.push_back({sim, count});
          }
        }
  }

  std::string why = "No triangle of image stars matched the catalog stars.";
  std::vector<Strict> strict;
  if (done) {
    if (auto s1 = recentre(best, &why)) strict.push_back(std::move(*s1));
  } else {
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) { return a.count > b.count; });
    int refinedCount = 0;
    for (const Candidate& c : candidates) {
      if (refinedCount >= kRefineCandidates) break;
      // Skip a transform already refined.
      const Pt centre{w / 2, h / 2};
      bool seen = false;
      for (const Refined& a : accepted) {
        const Pt p = a.affine.Apply(centre), q = c.s.Apply(centre);
        if (std::hypot(p.x - q.x, p.y - q.y) < kDistinctPixels * c.s.Scale()) seen = true;
      }
      if (seen) continue;
      ++refinedCount;
      Refined refined = Refine(c.s, image, catalog, grid, settings);
      if (!acceptable(refined, &why)) continue;
      accepted.push_back(refined);
      if (auto s1 = recentre(refined, &why)) strict.push_back(std::move(*s1));
    }
  }
  if (strict.empty()) {
    result.reason = why;
    return result;
  }
  std::stable_sort(strict.begin(), strict.end(), [](const Strict& a, const Strict& b) { return a.r.pairs.size() > b.r.pairs.size(); });
  for (std::size_t i = 1; i < strict.size(); ++i) {
    long double dx = 0, dy = 0;
    StandardArcsec(strict[i].ra, strict[i].dec, strict[0].ra, strict[0].dec, dx, dy);
    if (std::hypot(static_cast<double>(dx), static_cast<double>(dy)) > kDistinctPixels * strict[0].r.similarity.Scale() &&
        static_cast<double>(strict[i].r.pairs.size()) >= kAmbiguousFraction * static_cast<double>(strict[0].r.pairs.size())) {
      result.reason = "The stars fit two different positions of the catalog stars equally well.";
      return result;
    }
  }
  best = strict[0].r;
  catalog = strict[0].catalog;
  const double tangentRA = strict[0].ra, tangentDec = strict[0].dec;

  // The chance of a coincidence: catalog stars inside the image footprint
  // times the area of the pair circle, for every image star.
  const double scale = best.similarity.Scale();
  int inside = 0;
  for (const Pt& c : catalog) {
    // Inverse of the similarity: z = (w - t) / k.
    const Complex z = (Complex(c.x, c.y) - best.similarity.t) / best.similarity.k;
    const double x = z.real(), y = best.similarity.mirror ? -z.imag() : z.imag();
    if (x >= 0 && y >= 0 && x <= w && y <= h) ++inside;
  }
  const double r = static_cast<double>(settings.matchRadiusPixels);
  result.expectedChance = static_cast<double>(image.size()) * inside * M_PI * r * r / (w * h);
  const double paired = static_cast<double>(best.pairs.size());
  if (paired < kMinPairedFraction * std::min<double>(inside, static_cast<double>(image.size()))) {
    result.reason = "Too few of the stars found could be paired to rule out a coincidence.";
    return result;
  }
  if (paired < 3 * result.expectedChance + 3) {
    result.reason = "Too few of the stars found could be paired to rule out a coincidence.";
    return result;
  }

  result.found = true;
  for (StarPair p : best.pairs) {
    p.catalog = catalogIndex[static_cast<std::size_t>(p.catalog)];
    result.pairs.push_back(p);
  }
  std::sort(result.pairs.begin(), result.pairs.end(), [](const StarPair& a, const StarPair& b) { return a.image < b.image; });
  for (std::size_t i = 0; i < 6; ++i) result.toStandard[i] = best.affine.c[i] / kArcsecPerRad;
  result.arcsecPerPixel = scale;
  result.rotationDeg = std::arg(best.similarity.k) * 180 / M_PI;
  result.mirrored = best.similarity.mirror;
  result.rmsArcsec = best.rmsArcsec;
  result.tangentRAHours = tangentRA;
  result.tangentDecDeg = tangentDec;
  return result;
}

}  // namespace skarvel
