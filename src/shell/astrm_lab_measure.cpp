// The measure command of the main window: verify the observation parameters,
// read a new reference field when one is needed, then open the measurement.
#include "images/fits_file.h"
#include "shell/astrm_lab.h"

namespace skarvel {

using platform::Icon;

namespace {

// Julian date of a date-time value (days since 1899-12-30 0h).
constexpr long double kJulianDateOfDateTimeZero = 2415018.5L;

}  // namespace

void AstrmLab::MeasureImage(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  const std::string item = "MeasImg" + std::to_string(slot + 1);
  measureSlot = slot;
  LockSlot(slot, true);
  // 2. The observation parameters of the image.
  const std::optional<ObsParams> params =
      views_.verifyImageObsParams ? views_.verifyImageObsParams(slot) : std::optional<ObsParams>{};
  if (!params) {
    LockSlot(slot, false);
    menus_.SetChecked(item, false);
    return;
  }
  currentObsParms = *params;
  // 3. A chart's reference field is not kept for a measurement.
  if (views_.referenceFieldKept && views_.referenceFieldKept()) {
    if (views_.releaseReferenceField) views_.releaseReferenceField();
    ResetFieldParameters(fieldRequest, options_);
    newFieldNeeded = true;
  }
  // 4. A new field: its centre from the header when none is set, the field
  // parameters dialog, the catalog read at the image's time.
  if (newFieldNeeded) {
    GraphicsFileObj* image = slots_[static_cast<std::size_t>(slot)].image.get();
    const auto* fits = dynamic_cast<const FITSFileObj*>(image);
    FieldParameters& p = fieldRequest.params;
    if (fits != nullptr && p.centreRA == 0 && p.centreDec == 0) {
      if (fits->Wcs()) {
        // A plate-solved header: its WCS is finer than any pointing cards and
        // also gives the field's rotation and mirroring.
        const WcsField w = FieldOfWcs(*fits->Wcs(), fits->width, fits->height);
        p.centreRA = w.centreRAHours;
        p.centreDec = w.centreDecDeg;
        p.rotation = static_cast<float>(w.rotationDeg);
        p.reverseEW = w.reverseEW;
        p.reverseNS = w.reverseNS;
      } else {
        p.centreRA = fits->Header().ra;
        p.centreDec = fits->Header().dec;
      }
    }
    // A cancelled field dialog ends the command quietly.
    if (!views_.fieldParametersDialog || !views_.fieldParametersDialog(fieldRequest)) {
      LockSlot(slot, false);
      menus_.SetChecked(item, false);
      return;
    }
    bool found = false;
    {
      const double observed = fits != nullptr && fits->Header().observationTime != 0 ? fits->Header().observationTime
                                                                                      : params->observationTime;
      platform::BusyCursor busy(ui_);
      found = views_.loadReferenceField &&
              views_.loadReferenceField(fieldRequest, kJulianDateOfDateTimeZero + static_cast<long double>(observed));
    }
    if (!found) {
      // A missing catalog or a failed query has said so itself; an empty region is said here.
      if (!(views_.fieldFailureTold && views_.fieldFailureTold()))
        platform::Tell(ui_, "No Reference Stars Found in Region!", "Check Region Parameters", Icon::Exclamation);
      LockSlot(slot, false);
      menus_.SetChecked(item, false);
      return;
    }
  }
  // 5, 6. The windows of the measurement.
  if (views_.showMeasurement) views_.showMeasurement(slot, newFieldNeeded);
  newFieldNeeded = false;
  menus_.SetChecked(item, true);
}

}  // namespace skarvel
