#include "catalogs/field_parameters.h"

#include "catalogs/online_catalogs.h"

#include <cmath>

#include "foundations/angles.h"

namespace skarvel {

void WriteSearchWindow(ByteWriter& out, const SearchWindow& w) {
  out.F64(w.raMin);
  out.F64(w.raMax);
  out.F64(w.decMin);
  out.F64(w.decMax);
  out.F32(w.magLimit);
}

SearchWindow ReadSearchWindow(ByteReader& in) {
  SearchWindow w;
  w.raMin = in.F64();
  w.raMax = in.F64();
  w.decMin = in.F64();
  w.decMax = in.F64();
  w.magLimit = in.F32();
  return w;
}

void DeriveSearchWindow(FieldParameters& p) {
  constexpr double kArcminPerDegree = 60.0;
  constexpr double kDegreesPerHour = 15.0;
  constexpr double kWindowPerField = 1.5;  // the window is 1.5 times the field side
  constexpr double kHoursPerTurn = 24.0;
  const double half = static_cast<double>(p.size) * kWindowPerField / (2.0 * kArcminPerDegree);
  const double centreDec = static_cast<double>(p.centreDec);
  const double centreRA = static_cast<double>(p.centreRA);
  SearchWindow& w = p.window;
  w.decMin = centreDec - half;
  w.decMax = centreDec + half;
  const double d = w.decMin > 0 ? w.decMax : w.decMin;  // the edge farther from the equator
  const double raHalf = half / (kDegreesPerHour * std::cos(d * static_cast<double>(kRadiansPerDegree)));
  if (w.decMax > 90.0) {
    w.decMax = 90.0;
    w.decMin = 90.0 - 3.0 * half;
    w.raMin = 0;
    w.raMax = kHoursPerTurn;
  } else if (w.decMin >= -90.0) {
    w.raMin = centreRA - raHalf;
    w.raMax = centreRA + raHalf;
  } else {
    w.decMin = -90.0;
    w.decMax = 3.0 * half - 90.0;
    w.raMin = 0;
    w.raMax = kHoursPerTurn;
  }
  if (w.raMin < 0) w.raMin += kHoursPerTurn;
  if (w.raMax > kHoursPerTurn) w.raMax -= kHoursPerTurn;
  w.magLimit = p.limitMag;
}

void ResetFieldParameters(FieldRequest& request, const OptionsRecord& options) {
  FieldParameters& p = request.params;
  const bool keepSupplement = p.useSupplement;
  p = FieldParameters{};
  p.window.magLimit = options.magLimit;
  p.limitMag = options.magLimit;
  p.size = options.fieldSize;
  p.useSupplement = keepSupplement;
  constexpr std::uint8_t kLocalFiles = 0;
  if (options.catalogLocation == kLocalFiles) {
    request.colourChoice = options.primaryCatalog == kPrimaryUCAC3 ? 6 : 1;
    if (options.primaryCatalog != kPrimaryUCAC3)
      p.useSupplement = (options.primaryCatalog == kPrimaryNone || options.primaryCatalog == kPrimaryGSC) &&
                        options.supplCatalog != 0;
  } else {
    request.colourChoice = OnlineCatalogOf(options.webCatalog).resetColour;
    p.useSupplement = false;
  }
}

bool RAInWindow(const SearchWindow& w, long double raHours) {
  if (w.raMin < w.raMax) return raHours >= w.raMin && raHours <= w.raMax;
  return raHours >= w.raMin || raHours <= w.raMax;
}

bool InWindow(const SearchWindow& w, long double raHours, long double decDeg, float mag) {
  return RAInWindow(w, raHours) && decDeg >= w.decMin && decDeg <= w.decMax && mag <= w.magLimit;
}

}  // namespace skarvel
