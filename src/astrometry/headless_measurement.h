// One measurement of an image without windows: the steps the image window,
// the reference-field window and the "Select Reference Stars" dialog take,
// driven through the same core objects (the reference field's selection,
// the selection dialog's flow, the image's measurement state), with the
// answers a person gives in the plain case: "&Auto-Match" for the reference
// stars, a click on the target, its sky accepted (read at an empty spot
// nearby when its sky frame is corrupted), the solution accepted and
// recorded on the report list.
//
// Usage:
//   HeadlessMeasurement run(ui, options, field, request, report);
//   if (run.Measure(image, obsParams, targetX, targetY)) ... run.Measurement(), report.Observations()
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "astrometry/astrom_obs.h"
#include "astrometry/image_measurement.h"
#include "astrometry/obs_params.h"
#include "astrometry/reference_field.h"
#include "astrometry/ref_selection.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "config/options.h"
#include "images/graphics_file.h"
#include "platform/platform.h"

namespace skarvel {

/// Where a sky background is read when the target's own sky frame is
/// corrupted, in order: image pixels from the target (the first spot whose
/// sky leaves the target a positive flux is kept).
inline constexpr long double kHeadlessSkySpots[][2] = {{0, 40}, {40, 0}, {0, -40}, {-40, 0}, {30, 30}, {-30, -30}};

class HeadlessMeasurement {
 public:
  /// `field` holds the loaded reference field of `request`; `report` takes
  /// the observation. All references must outlive the object. The platform
  /// answers the flow's questions ("Target Sky OK?", "Add to Report?").
  HeadlessMeasurement(platform::Platform& ui, OptionsRecord& options, GSCFieldObj& field, const FieldRequest& request,
                      AstromObsObj& report);

  /// Measures `image` (loaded and prepared as a window measures it, shown
  /// at scale 1 without mirroring) with the target clicked at file column
  /// `targetX`, row `targetY`. True when the observation was added to the
  /// report; otherwise Failure() says at which step it stopped.
  bool Measure(GraphicsFileObj& image, const ObsParams& params, long double targetX, long double targetY);

  const ImageMeasurement& Measurement() const { return measurement_; }
  const ObsParams& Parameters() const { return params_; }
  /// The index of the observation in the report, after a success.
  std::size_t ObservationIndex() const { return observationIndex_; }
  const std::string& Failure() const { return failure_; }

 private:
  platform::Platform& ui_;
  OptionsRecord& options_;
  GSCFieldObj& field_;
  const FieldRequest& request_;
  AstromObsObj& report_;
  ImageMeasurement measurement_;
  ObsParams params_;
  std::size_t observationIndex_ = 0;
  std::string failure_;
};

}  // namespace skarvel
