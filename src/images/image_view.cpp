#include "images/image_view.h"

#include <algorithm>
#include <cmath>

#include "foundations/angles.h"
#include "foundations/strings.h"

namespace skarvel {

std::string ImageCaptionPrefix(int slot) { return "Image " + std::to_string(slot + 1) + " - "; }

ImageSizing ImageSizing::Fit(std::int32_t imageWidth, std::int32_t imageHeight, std::int32_t screenWidth) {
  ImageSizing s;
  s.imageWidth = std::max<std::int32_t>(1, imageWidth);
  s.clientWidth = std::max<std::int32_t>(1, std::min<std::int32_t>(s.imageWidth, screenWidth / 2 - 8));
  s.aspect = static_cast<long double>(std::max<std::int32_t>(1, imageHeight)) / s.imageWidth;
  s.clientHeight = static_cast<std::int32_t>(std::nearbyint(s.clientWidth * s.aspect));
  s.scale = static_cast<long double>(s.clientWidth) / s.imageWidth;
  s.defaultClientWidth = s.clientWidth;
  return s;
}

void ImageSizing::ResizeTo(std::int32_t position) {
  clientWidth = std::clamp(position, MinimumWidth(), imageWidth);
  clientHeight = static_cast<std::int32_t>(std::nearbyint(clientWidth * aspect));
  scale = static_cast<long double>(clientWidth) / imageWidth;
}

std::optional<ScreenRect> ZoomSquare(std::int32_t startX, std::int32_t startY, std::int32_t x, std::int32_t y) {
  const std::int32_t dx = x - startX;
  const std::int32_t dy = y - startY;
  if (dx < 0 || dy < 0) return std::nullopt;
  const std::int32_t side = std::max(dx, dy);
  return ScreenRect{startX, startY, startX + side, startY + side};
}

long double ZoomFactor(const ScreenRect& square, std::int32_t clientWidth, long double scale) {
  const std::int32_t side = square.right - square.left;
  if (side <= 0) return 0;
  return static_cast<long double>(clientWidth) / side * scale;
}

SourceRect ZoomedSource(const ScreenRect& square, long double scale, long double offsetX, long double offsetY) {
  return {(square.left - offsetX) / scale, (square.top - offsetY) / scale, (square.right - offsetX) / scale,
          (square.bottom - offsetY) / scale};
}

std::string MagnificationText(long double magnification) { return FormatFixed(2, magnification); }

MarkerLayout LayoutMarker(const std::string& label, const BoxRecord& refBox, const BoxRecord& unknownBox,
                          std::int32_t y, std::int32_t x) {
  const BoxRecord& b = !label.empty() && label[0] == 'U' ? unknownBox : refBox;
  const std::int32_t hw = b.peakHalfWidth;
  const std::int32_t border = b.skyBorder;
  MarkerLayout m;
  m.label = label.substr(0, 2);
  m.box = {x - hw, y - hw, x + hw, y + hw};
  m.skyBox = {x - hw - border, y - hw - border, x + hw + border, y + hw + border};
  m.labelTop = y - hw;
  m.labelX = x - hw - border - 5 * static_cast<std::int32_t>(m.label.size()) - 5;
  if (m.labelX < 1) m.labelX = x + hw + border + 5;
  return m;
}

std::int32_t ClampMagnifyRegion(std::int32_t width) {
  width = std::clamp<std::int32_t>(width, 2, 100);
  return width - width % 2;
}

bool CursorMark::Record(std::int32_t px, std::int32_t py, std::int32_t clientWidth, std::int32_t clientHeight) {
  x = px;
  y = py;
  inside = px >= 0 && px <= clientWidth && py >= 0 && py <= clientHeight;
  return inside;
}

std::string ApproximateCoordinatesLine(long double raHours, long double decDegrees) {
  // Hours and whole minutes, degrees and whole arc minutes, with the carry.
  long double ra = std::fmod(std::fabs(raHours), 24.0L);
  long long raMinutes = std::llround(ra * 60.0L);
  if (raMinutes >= 24 * 60) raMinutes -= 24 * 60;
  const bool south = decDegrees < 0;
  const long long decMinutes = std::llround(std::fabs(decDegrees) * 60.0L);
  return "Approximate Coordinates - RA:" + std::to_string(raMinutes / 60) + "h " + std::to_string(raMinutes % 60) +
         "m,   Dec:" + (south ? "-" : "+") + std::to_string(decMinutes / 60) + "\xB0 " +
         std::to_string(decMinutes % 60) + "'";
}

std::vector<PrintLine> ImagePrintInfo(const std::string& caption, std::int32_t width, std::int32_t height,
                                      std::optional<long double> raHours, std::optional<long double> decDegrees) {
  std::vector<PrintLine> lines;
  lines.push_back({50, caption});
  lines.push_back({100, "Image Width: " + std::to_string(width) + " Pixels,  Height: " + std::to_string(height) +
                            " Pixels"});
  const long double ra = raHours.value_or(0);
  const long double dec = decDegrees.value_or(0);
  if (ra != 0 || dec != 0) lines.push_back({100, ApproximateCoordinatesLine(ra, dec)});
  return lines;
}

}  // namespace skarvel

namespace skarvel {

std::vector<PrintLine> SolvedPrintInfo(const std::string& caption, std::int32_t width, std::int32_t height,
                                       const SolvedPrintData& d) {
  std::vector<PrintLine> lines = ImagePrintInfo(caption, width, height, std::nullopt, std::nullopt);
  const std::string dec = FormatDMS(d.centreDecDeg, 1, "\xB0 ", "' ", "\"");
  lines.push_back({100, "Field Center  - RA:" + FormatDMS(d.centreRAHours, 2, "h ", "m ", "s,   Dec:") + dec});
  lines.push_back({100,
                   "Field - Scale: " + FormatFixed(4, d.arcsecPerPixel) + " \"/pixel" +
                       ",  Width: " + FormatFixed(2, d.arcsecPerPixel * width / 60) + "'" +
                       ",  Height: " + FormatFixed(2, d.arcsecPerPixel * height / 60) + "'",
                   1});
  if (d.targetLocated) {
    lines.push_back({100, "Target Object - RA:" + FormatDMS(d.targetRAHours, 2, "h ", "m ", "s  Dec:") +
                              FormatDMS(d.targetDecDeg, 1, "\xB0 ", "' ", "\"")});
    if (d.targetMag != 0) {
      const int decimals = d.targetMagError > 0 && d.targetMagError < 0.05L ? 2 : 1;
      lines.push_back({100, "Target Magnitude: " + FormatFixed(decimals, d.targetMag), 1});
    }
  }
  return lines;
}

}  // namespace skarvel
