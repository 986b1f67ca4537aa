// The fixed plan of the demo night: where and with what it was "observed",
// which asteroid, when, and how the four images are laid out.
//
// Every number here is a choice of the demo, not a measurement; the images,
// the catalog and the records are all derived from it, so changing a value
// and running tools/make-demo/make-demo.sh rebuilds a consistent demo.
#pragma once

#include <cstdint>
#include <string>

#include "config/observer_records.h"

namespace skarvel::demo {

// ---- the asteroid and the night ----

/// Designation of the asteroid in columns 1-7 of its MPCORB line: (433) Eros,
/// at magnitude 12 two months after its 2019 opposition, moving 104"/h.
inline constexpr const char* kTargetDesignation = "00433";
/// The OBJECT card of the images: eight characters, so that no blank pads it.
inline constexpr const char* kObjectName = "433 Eros";
/// File names of the images: prefix + 001 ... + ".FIT".
inline constexpr const char* kImagePrefix = "EROS";
/// The other MPCORB lines of the excerpt (designations), so that the orbit
/// search has more than one object to test.
inline constexpr const char* kOtherDesignations[] = {"00719", "00887", "01036", "01221", "01580",
                                                     "01627", "01866", "03122", "03200", "03552"};
/// Date of the night (UT).
inline constexpr std::int32_t kYear = 2019;
inline constexpr int kMonth = 5;
inline constexpr int kDay = 1;
inline constexpr int kFirstHour = 3;     ///< UT hour of the first image's start (end of twilight at the site)
inline constexpr int kFirstMinute = 45;  ///< UT minute of the first image's start
/// Minutes from one image's start to the next.
inline constexpr int kCadenceMinutes = 30;
/// Number of images of the night.
inline constexpr int kImageCount = 4;
/// Exposure of every image, seconds.
inline constexpr double kExposureSeconds = 60.0;

// ---- camera and telescope ----

/// Image size, pixels (NAXIS1 x NAXIS2).
inline constexpr int kWidth = 768;
inline constexpr int kHeight = 512;
/// Pixel size, micrometres (square pixels).
inline constexpr double kPixelMicrons = 9.0;
/// Telescope aperture and focal length, millimetres (f/3.7).
inline constexpr double kApertureMm = 250.0;
inline constexpr double kFocalLengthMm = 930.0;
/// Arc seconds per radian.
inline constexpr double kArcsecPerRadian = 206264.80624709636;
/// Plate scale, arc seconds per pixel: 206264.8" x pixel / focal length (1.996").
inline constexpr double kArcsecPerPixel = kArcsecPerRadian * kPixelMicrons * 1e-3 / kFocalLengthMm;
/// Field rotation, degrees north through east (the field parameters' convention).
inline constexpr double kRotationDeg = 1.5;
/// Timing uncertainty of the shutter, milliseconds.
inline constexpr std::int16_t kTimingErrorMs = 500;
/// Filter of the images: none (FilterCode 7, FILTER = 'Clear'), as many
/// amateur cameras run. A V filter would raise the colour/filter question at
/// every field, since the GSC offers only blue and V/red magnitudes.
inline constexpr std::uint8_t kFilterCode = 7;
inline constexpr const char* kFilterName = "Clear";

// ---- photometry of the simulation ----

/// Electrons per second from a star of magnitude 0, chosen so that a star of
/// magnitude 9 just stays below saturation in 60 s and the asteroid (V 12)
/// gives some 19000 electrons: a modest telescope, magnitudes as VT.
inline constexpr double kZeroPointElectronsPerSecond = 2.0e7;
/// Sky background, electrons per pixel per second (480 e- in 60 s).
inline constexpr double kSkyElectronsPerSecond = 8.0;
/// Bias level, ADU.
inline constexpr double kBiasAdu = 400.0;
/// Gain, electrons per ADU.
inline constexpr double kGainElectronsPerAdu = 1.5;
/// Read noise, electrons RMS.
inline constexpr double kReadNoiseElectrons = 12.0;
/// Saturation of the 16-bit converter, ADU.
inline constexpr double kFullScaleAdu = 65535.0;
/// Seeing (Moffat FWHM), arc seconds, and the Moffat exponent.
inline constexpr double kSeeingFwhmArcsec = 5.0;
inline constexpr double kMoffatBeta = 3.0;
/// Synthetic faint stars per square degree added to the images only (magnitudes 12.5-17).
inline constexpr int kFaintStarsPerSquareDegree = 900;
inline constexpr double kFaintStarBrightMag = 12.5;
inline constexpr double kFaintStarFaintMag = 17.0;

// ---- catalog ----

/// Half size of the Tycho-2 extract, degrees (a square on the tangent plane).
inline constexpr double kCatalogHalfSizeDeg = 1.0;
/// Regions whose box comes within this many degrees of the field centre get a file.
inline constexpr double kRegionMarginDeg = 1.5;

// ---- seed of every pseudo-random choice ----
inline constexpr std::uint64_t kSeed = 20190501;

/// The demo site: Kitt Peak (MPC 695), the coordinates of the built-in site.
SiteRecord DemoSite();
/// The demo camera record.
CameraRecord DemoCamera();
/// The demo user record (a demo observer).
UserRecord DemoUser();

}  // namespace skarvel::demo
