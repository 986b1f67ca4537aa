// The main window's part of "Track and &Stack...": the frame series window on
// the options' catalog, calibration and camera scale, its stacks going into
// the first free image slot.
#include "astrometry/auto_match.h"
#include "astrometry/ui/t_track_series_form.h"
#include "catalogs/field_parameters.h"
#include "images/calibration_choice.h"
#include "images/calibration_dialog.h"
#include "foundations/file_system.h"
#include "orbits/orbit_files.h"
#include "shell/ui/t_astrm_lab.h"

namespace skarvel::ui {

void TAstrmLab::ShowTrackSeries() {
  if (track_ == nullptr) {
    const OptionsRecord& o = lab_.Options();
    TrackSeriesHost host;
    host.ui = &lab_.Ui();
    host.scratchDir = o.dataDir;
    host.headerTimeType = o.headerTimeType;
    host.imageDir = lab_.imageDir;
    if (lab_.Report() != nullptr) host.arcsecPerPixel = CameraArcsecPerPixel(lab_.Report()->camera);
    // The masters chosen for the camera, when it calibrates its images on load.
    const CalibrationChoice choice =
        ChoiceForCamera(o.dataDir, lab_.Report() != nullptr ? lab_.Report()->camera.name : o.cameraRecord.name);
    if (choice.onLoad && !choice.Empty()) {
      host.calibrate = [this, choice](GraphicsFileObj& image) {
        try {
          CalibrateImage(image, LoadMasters(choice));
        } catch (const CalibrationFailure& e) {
          platform::Tell(lab_.Ui(), std::string(e.what()) + "\r\n\r\nThe frame is loaded without calibration.",
                         CalibrationDialogLogic::kErrorCaption, platform::Icon::Error);
        }
      };
    }
    host.fieldStars = [this](const SeriesFrameInput& first) -> StarList* {
      // The catalog of the options around the first frame's pointing, at its time.
      FieldRequest request = lab_.fieldRequest;
      ResetFieldParameters(request, lab_.Options());
      request.params.centreRA = first.centreRAHours;
      request.params.centreDec = first.centreDecDeg;
      DeriveSearchWindow(request.params);
      bool loaded = false;
      {
        platform::BusyCursor busy(lab_.Ui());
        loaded = LoadField(request, static_cast<long double>(first.jd));
      }
      if (loaded && Field().Stars().LastIndex() >= 0) return &Field().Stars();
      if (!fieldFailureTold_)
        platform::Tell(lab_.Ui(), "No catalog stars could be read around the first frame's pointing.",
                       kTrackSeriesCaption, platform::Icon::Exclamation);
      return nullptr;
    };
    host.putStack = [this](const std::string& file) {
      const bool put = lab_.LoadIntoFreeSlot(file) >= 0;
      SyncMenus();
      return put;
    };
    // The converted MPC orbit file of the options, as "Find Moving &Objects..." reads it.
    host.knownSearch = [this] { return OptionsKnownSearch(); };
    track_ = std::make_unique<TTrackSeriesForm>(std::move(host), this);
  }
  track_->show();
  track_->raise();
}

}  // namespace skarvel::ui
