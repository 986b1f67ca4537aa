// The geometry and texts of an image window: window size from the image,
// the resize rule, the zoom square, marker placement, magnifier region and
// the print lines. The Qt window (images/ui/t_image_form1.h) only draws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "images/box_record.h"
#include "images/graphics_file.h"

namespace skarvel {

/// "Image 1 - " ... "Image 4 - " for slot 0..3.
std::string ImageCaptionPrefix(int slot);

/// The size state of an image window (held by its size dialog).
struct ImageSizing {
  std::int32_t imageWidth = 0;          ///< W, pixels
  std::int32_t clientWidth = 512;       ///< screen pixels
  std::int32_t defaultClientWidth = 512;
  std::int32_t clientHeight = 512;
  long double aspect = 1.0L;            ///< H / W
  long double scale = 1.0L;             ///< s = client width / W

  /// Client width := min(W, screen width / 2 - 8); height := round(width x H / W);
  /// s := width / W; the default width is this width. W, H >= 1.
  static ImageSizing Fit(std::int32_t imageWidth, std::int32_t imageHeight, std::int32_t screenWidth);
  /// The lowest width of the size dialog: 100, or W when the image is narrower.
  std::int32_t MinimumWidth() const { return imageWidth < 100 ? imageWidth : 100; }
  /// The size dialog's OK: width := position clamped to MinimumWidth()..W,
  /// height := round(width x aspect), s := width / W.
  void ResizeTo(std::int32_t position);
};

/// Screen rectangle, right and bottom exclusive of nothing: (left, top) to (right, bottom).
struct ScreenRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const ScreenRect&) const = default;
};

/// The zoom square dragged from `start` to (x, y): its side is the larger of
/// the two drag distances; nothing (the caller beeps) when dragged up or left.
std::optional<ScreenRect> ZoomSquare(std::int32_t startX, std::int32_t startY, std::int32_t x, std::int32_t y);
/// The factor written above a zoom square: client width / side x s.
long double ZoomFactor(const ScreenRect& square, std::int32_t clientWidth, long double scale);
/// The bitmap region shown when zoomed: ((left - offset x) / s, (top - offset y) / s) to the same of right, bottom.
struct SourceRect {
  long double left = 0, top = 0, right = 0, bottom = 0;
};
SourceRect ZoomedSource(const ScreenRect& square, long double scale, long double offsetX, long double offsetY);
/// The magnification text of the top-left corner, 2 decimals.
std::string MagnificationText(long double magnification);

/// Where a marker is drawn (screen pixels).
struct MarkerLayout {
  ScreenRect box;        ///< (x - hw, y - hw) to (x + hw, y + hw)
  ScreenRect skyBox;     ///< the box enlarged by the sky border
  std::int32_t labelX = 0;
  std::int32_t labelTop = 0;
  std::string label;     ///< at most 2 characters
};
/// Box: `unknownBox` when the label begins with "U", else `refBox`. The label
/// left edge is x - hw - border - 5 x length - 5, or x + hw + border + 5 when that is below 1.
MarkerLayout LayoutMarker(const std::string& label, const BoxRecord& refBox, const BoxRecord& unknownBox,
                          std::int32_t y, std::int32_t x);

/// The magnifier's default region width: 2 x (peak half-width + sky border).
inline std::int32_t DefaultMagnifyRegion(const BoxRecord& refBox) {
  return 2 * (refBox.peakHalfWidth + refBox.skyBorder);
}
/// Magnify region widths accepted by "Set Magnify Region": 2 ... 100, even.
std::int32_t ClampMagnifyRegion(std::int32_t width);

/// The cursor mark of a window: last click and whether it was inside the client area.
struct CursorMark {
  std::int32_t x = -40;
  std::int32_t y = -40;
  bool inside = false;
  /// inside := 0 <= x <= client width and 0 <= y <= client height; returns inside.
  bool Record(std::int32_t px, std::int32_t py, std::int32_t clientWidth, std::int32_t clientHeight);
  /// The 48 x 48 square centred on the mark (the region ClearMark repaints).
  ScreenRect ClearSquare() const { return {x - 24, y - 24, x + 24, y + 24}; }
  void Clear() { *this = CursorMark{}; }
};

/// The information lines of a print (after the header): the caption, the size
/// line and, for an unsolved image, the approximate coordinates when the
/// header's RA (hours) or DEC (degrees) are not both 0. Each line with its
/// left offset (50 for the caption, 100 for the others) and its line gap
/// before it (2 lines).
struct PrintLine {
  std::int32_t indent = 0;
  std::string text;
  std::int32_t gap = 2;  ///< lines advanced before this one
};
std::vector<PrintLine> ImagePrintInfo(const std::string& caption, std::int32_t width, std::int32_t height,
                                      std::optional<long double> raHours, std::optional<long double> decDegrees);
/// What the print of a solved image states about the solution.
struct SolvedPrintData {
  long double centreRAHours = 0;
  long double centreDecDeg = 0;
  long double arcsecPerPixel = 0;  ///< sqrt|dX/dx dY/dy - dY/dx dX/dy| x 206264.8
  bool targetLocated = false;
  long double targetRAHours = 0;
  long double targetDecDeg = 0;
  long double targetMag = 0;       ///< 0: no magnitude
  long double targetMagError = 0;
};
/// The information lines of the print of a solved image: the caption and
/// size lines, then the field centre, the scale and size, and the target.
std::vector<PrintLine> SolvedPrintInfo(const std::string& caption, std::int32_t width, std::int32_t height,
                                       const SolvedPrintData& solved);
/// "Approximate Coordinates - RA:" + "Hh M.m" ... as printed for unsolved images.
std::string ApproximateCoordinatesLine(long double raHours, long double decDegrees);

}  // namespace skarvel
