#include "images/fits_wcs.h"

#include <cmath>
#include <map>

#include "foundations/angles.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

constexpr double kDegree = 0.017453292519943295769;  // radians per degree

// A number of a card; FORTRAN's "D" exponent is read as "E".
std::optional<double> Number(const std::map<std::string, std::string>& cards, const std::string& key) {
  const auto it = cards.find(key);
  if (it == cards.end()) return std::nullopt;
  std::string text = it->second;
  for (char& c : text)
    if (c == 'D' || c == 'd') c = 'E';
  const auto v = ParseDecimal(text);
  if (!v || !std::isfinite(static_cast<double>(*v))) return std::nullopt;
  return static_cast<double>(*v);
}

// Whether a CTYPE names the gnomonic projection of this axis ("RA---TAN",
// "RA---TAN-SIP", "DEC--TAN", ...).
bool IsTan(const std::map<std::string, std::string>& cards, const std::string& key, const std::string& axis) {
  const auto it = cards.find(key);
  if (it == cards.end()) return false;
  std::string t = it->second;
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return t == axis + "TAN" || t == axis + "TAN-SIP";
}

// Reads the SIP polynomial of prefix "A" or "B"; false when its order is out of range.
bool ReadSip(const std::map<std::string, std::string>& cards, const std::string& prefix, int& order,
             std::array<std::array<double, 10>, 10>& coefficients) {
  const auto o = Number(cards, prefix + "_ORDER");
  if (!o) return true;
  if (*o < 0 || *o > 9 || *o != std::floor(*o)) return false;
  order = static_cast<int>(*o);
  for (int p = 0; p <= order; ++p)
    for (int q = 0; p + q <= order; ++q)
      coefficients[static_cast<std::size_t>(p)][static_cast<std::size_t>(q)] = Number(cards, prefix + "_" + std::to_string(p) + "_" + std::to_string(q)).value_or(0.0);
  return true;
}

double Polynomial(const std::array<std::array<double, 10>, 10>& c, int order, double u, double v) {
  double sum = 0;
  double up = 1;
  for (int p = 0; p <= order; ++p, up *= u) {
    double vq = 1;
    for (int q = 0; p + q <= order; ++q, vq *= v) sum += c[static_cast<std::size_t>(p)][static_cast<std::size_t>(q)] * up * vq;
  }
  return sum;
}

}  // namespace

std::array<double, 2> ImageWcs::PixelToSky(double x, double y) const {
  const double u = x - crpix1;
  const double v = y - crpix2;
  const double uu = u + (sipOrderA > 0 ? Polynomial(sipA, sipOrderA, u, v) : 0.0);
  const double vv = v + (sipOrderB > 0 ? Polynomial(sipB, sipOrderB, u, v) : 0.0);
  const double xi = (cd[0][0] * uu + cd[0][1] * vv) * kDegree;
  const double eta = (cd[1][0] * uu + cd[1][1] * vv) * kDegree;
  const double d0 = crvalDec * kDegree;
  const double denominator = std::cos(d0) - eta * std::sin(d0);
  double ra = crvalRA + std::atan2(xi, denominator) / kDegree;
  const double dec = std::atan2(eta * std::cos(d0) + std::sin(d0), std::hypot(xi, denominator)) / kDegree;
  ra = std::fmod(ra, 360.0);
  if (ra < 0) ra += 360.0;
  return {ra, dec};
}

double ImageWcs::ArcsecPerPixel() const {
  return std::sqrt(std::fabs(cd[0][0] * cd[1][1] - cd[0][1] * cd[1][0])) * 3600.0;
}

std::optional<ImageWcs> ImageWcsFromCards(const std::vector<HeaderCard>& list) {
  std::map<std::string, std::string> cards;
  for (const HeaderCard& c : list) cards[c.keyword] = c.value;
  if (!IsTan(cards, "CTYPE1", "RA---") || !IsTan(cards, "CTYPE2", "DEC--")) return std::nullopt;
  ImageWcs w;
  const auto ra = Number(cards, "CRVAL1");
  const auto dec = Number(cards, "CRVAL2");
  const auto p1 = Number(cards, "CRPIX1");
  const auto p2 = Number(cards, "CRPIX2");
  if (!ra || !dec || !p1 || !p2 || std::fabs(*dec) > 90.0) return std::nullopt;
  w.crvalRA = *ra;
  w.crvalDec = *dec;
  w.crpix1 = *p1;
  w.crpix2 = *p2;
  const auto cd11 = Number(cards, "CD1_1");
  const auto cd12 = Number(cards, "CD1_2");
  const auto cd21 = Number(cards, "CD2_1");
  const auto cd22 = Number(cards, "CD2_2");
  const auto cdelt1 = Number(cards, "CDELT1");
  const auto cdelt2 = Number(cards, "CDELT2");
  if (cd11 || cd12 || cd21 || cd22) {
    w.cd = {{{cd11.value_or(0), cd12.value_or(0)}, {cd21.value_or(0), cd22.value_or(0)}}};
  } else if (cdelt1 && cdelt2) {
    const auto pc11 = Number(cards, "PC1_1");
    const auto pc12 = Number(cards, "PC1_2");
    const auto pc21 = Number(cards, "PC2_1");
    const auto pc22 = Number(cards, "PC2_2");
    if (pc11 || pc12 || pc21 || pc22) {
      w.cd = {{{*cdelt1 * pc11.value_or(1), *cdelt1 * pc12.value_or(0)},
               {*cdelt2 * pc21.value_or(0), *cdelt2 * pc22.value_or(1)}}};
    } else {
      const double rho = Number(cards, "CROTA2").value_or(0.0) * kDegree;
      w.cd = {{{*cdelt1 * std::cos(rho), -*cdelt2 * std::sin(rho)}, {*cdelt1 * std::sin(rho), *cdelt2 * std::cos(rho)}}};
    }
  } else {
    return std::nullopt;
  }
  const double det = w.cd[0][0] * w.cd[1][1] - w.cd[0][1] * w.cd[1][0];
  if (!(std::fabs(det) > 0) || !std::isfinite(det)) return std::nullopt;
  const bool sip = cards["CTYPE1"].find("-SIP") != std::string::npos;
  if (sip && (!ReadSip(cards, "A", w.sipOrderA, w.sipA) || !ReadSip(cards, "B", w.sipOrderB, w.sipB)))
    return std::nullopt;
  return w;
}

WcsField FieldOfWcs(const ImageWcs& wcs, int width, int height) {
  WcsField f;
  const auto centre = wcs.PixelToSky((width + 1) / 2.0, (height + 1) / 2.0);
  f.centreRAHours = static_cast<long double>(centre[0]) / 15.0L;
  f.centreDecDeg = centre[1];
  f.arcsecPerPixel = wcs.ArcsecPerPixel();
  const double det = wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0];
  // The field's drawing is -F R (xi, eta) with R the rotation by r and F the
  // mirrors; it matches the pixels when CD F is a positive multiple of -R^T
  // = [[-cos r, sin r], [-sin r, -cos r]]. Of the two mirror choices whose
  // determinant sign fits, the one with r in (-90, 90] is taken.
  const bool mirrored = det < 0;
  for (int option = 0; option < 2; ++option) {
    const double f1 = option == 0 ? 1.0 : -1.0;
    const double f2 = mirrored ? -f1 : f1;
    const double m11 = wcs.cd[0][0] * f1, m12 = wcs.cd[0][1] * f2;
    const double m21 = wcs.cd[1][0] * f1, m22 = wcs.cd[1][1] * f2;
    const double r = std::atan2(m12 - m21, -m11 - m22) / kDegree;
    if ((r > -90.0 && r <= 90.0) || option == 1) {
      f.rotationDeg = r;
      f.reverseEW = f1 < 0;
      f.reverseNS = f2 < 0;
      if (r > -90.0 && r <= 90.0) break;
    }
  }
  return f;
}

std::vector<std::string> WcsSummaryLines(const WcsField& f, bool sip) {
  const auto yesNo = [](bool b) { return std::string(b ? "Yes" : "No"); };
  return {
      "WCS Image Centre - RA: " + FormatRA(f.centreRAHours, 2, true) + ";  Dec: " + FormatDec(f.centreDecDeg, 1, true),
      "WCS Scale: " + FormatFixed(3, f.arcsecPerPixel) + " Arcsec/Pixel;  Rotation: " + FormatFixed(2, f.rotationDeg) +
          " Degs. N->E" + (sip ? ";  SIP Distortion" : ""),
      "WCS Field Orientation - Reverse E-W: " + yesNo(f.reverseEW) + ";  Reverse N-S: " + yesNo(f.reverseNS),
  };
}

}  // namespace skarvel
