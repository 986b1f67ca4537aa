// The main window's part of measuring an image: the image windows' measuring
// hooks, the observation parameters dialog, and the measurement windows.
#include <QAction>
#include <QDate>
#include <QScreen>

#include "astrometry/ui/t_obs_params_dlg.h"
#include "catalogs/catalog_star.h"
#include "images/fits_file.h"
#include "images/ui/t_image_form1.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"

namespace skarvel::ui {

namespace {

// Looks objects up in no orbit file: the observation parameters dialog then
// verifies nothing against the databases.
class NoOrbitLookup : public ObjectLookup {
 public:
  std::string FindNameByNumber(const std::string&) override { return {}; }
  std::string FindDesignationByName(const std::string&) override { return {}; }
};

}  // namespace

bool TAstrmLab::ObsParamsDialog(ObsParams& record, const std::string& mode, bool checkOnOk) {
  if (runObsParams) return runObsParams(record, mode, checkOnOk);
  ObsParamsSettings settings;
  settings.oldReportFormat = lab_.Options().oldReportFormat;
  settings.fitsImages = lab_.Options().imageFileType == kFileFITS;
  settings.autoVerifyID = lab_.Options().autoVerifyID;
  settings.currentYear = QDate::currentDate().year();
  NoOrbitLookup lookup;
  TObsParamsDlg dialog(record, mode, checkOnOk, settings, lab_.verifiedIds, lookup, lab_.Ui(), this);
  return dialog.exec() == QDialog::Accepted;
}

void TAstrmLab::AddMeasurementHost(ImageWindowHost& host) {
  host.measureClick = [this](TImageForm1& form, int x, int y) {
    if (measurement_ != nullptr && measurement_->Active() && &measurement_->Image() == &form)
      measurement_->ImageClicked(x, y);
  };
  host.locateCounter = [this] {
    return measurement_ != nullptr && measurement_->Active() ? measurement_->Selection().LocateIndex() : 0;
  };
  host.boxesChanged = [this](TImageForm1&) {
    lab_.NoteOptionsChanged();
    SyncMenus();
  };
  host.mainObsParams = [this] { return lab_.currentObsParms; };
  host.editObservationParameters = [this](TImageForm1& form, ObsParams& params) {
    GraphicsFileObj* image = lab_.Slots()[static_cast<std::size_t>(form.Slot())].image.get();
    if (image != nullptr)
      if (const auto* fits = dynamic_cast<const FITSFileObj*>(image); fits != nullptr && fits->Header().observationTime != 0)
        params.observationTime = fits->Header().observationTime;
    return ObsParamsDialog(params, image != nullptr ? image->displayName : std::string(), false);
  };
  host.addToReport = [this](TImageForm1& form) {
    lab_.AddObservation(form.obsParams, form.measurement.target);
    SyncMenus();
  };
  host.reportCamera = [this] { return lab_.Report() != nullptr ? lab_.Report()->camera : lab_.Options().cameraRecord; };
  host.catalogName = [this](std::uint8_t code) {
    return CatalogName(code, lab_.Report() != nullptr && lab_.Report()->catalogs.gscOnACT);
  };
  host.lastImageDir = [this] { return lab_.lastImageDir; };
}

void TAstrmLab::SetMeasurementViews(AstrmLabViews& views) {
  views.verifyImageObsParams = [this](int slot) -> std::optional<ObsParams> {
    TImageForm1* form = ImageWindow(slot);
    if (form == nullptr) return std::nullopt;
    form->SetZoomCommandsVisible(false);
    ObsParams edited = form->obsParams;
    if (!ObsParamsDialog(edited, "Verify/Complete", true)) return std::nullopt;
    form->obsParams = edited;
    return edited;
  };
  views.showMeasurement = [this](int slot, bool newField) {
    TImageForm1* form = ImageWindow(slot);
    if (form == nullptr) return;
    const int screenWidth = lab_.Ui().Screen().width;
    form->move(screenWidth / 2 - 2, 0);
    form->showNormal();
    form->show();
    ReferenceFieldLink link;
    if (showReferenceField) link = showReferenceField(slot, newField);
    measurement_.reset();
    measurement_ = std::make_unique<TMeasurement>(lab_, *form, std::move(link), this);
    measurement_->runObservationParameters = [this](ObsParams& p) { return ObsParamsDialog(p, "Verify/Complete", true); };
    measurement_->finished = [this] { SyncMenus(); };
    measurement_->Start();
  };
  views.referenceFieldsCleared = [this] {
    for (auto& window : imageWindows_)
      if (window != nullptr) {
        window->measurement.references.clear();
        window->measurement.plate.MarkUnsolved();
      }
  };
}

}  // namespace skarvel::ui
