// The main window's part of measuring an image: the image windows' measuring
// hooks, the observation parameters dialog, and the measurement windows.
#include <QAction>
#include <QDate>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "astrometry/field_params_logic.h"
#include "astrometry/report_identity.h"
#include "astrometry/ui/t_fld_parms_dlg.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "astrometry/ui/t_obs_params_dlg.h"
#include "catalogs/field_load.h"
#include "catalogs/catalog_star.h"
#include "images/fits_file.h"
#include "images/ui/t_image_form1.h"
#include "orbits/orbit_files.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "shell/orbit_session.h"

namespace skarvel::ui {

bool TAstrmLab::ObsParamsDialog(ObsParams& record, const std::string& mode, bool checkOnOk) {
  if (runObsParams) return runObsParams(record, mode, checkOnOk);
  ObsParamsSettings settings;
  settings.oldReportFormat = lab_.Options().oldReportFormat;
  settings.fitsImages = lab_.Options().imageFileType == kFileFITS;
  settings.autoVerifyID = lab_.Options().autoVerifyID;
  settings.currentYear = QDate::currentDate().year();
  // The object is checked against the session's orbit files, as the report window does.
  OrbitFiles files(OrbitFileContext{lab_.Ui(), lab_.Options(), {}});
  OrbitFilesLookup lookup(files);
  TObsParamsDlg dialog(record, mode, checkOnOk, settings, lab_.verifiedIds, lookup, lab_.Ui(), this);
  dialog.SetHelp([this](const std::string&) { lab_.Help().ObsParamsHelp(); });
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
    if (referenceWindow_ != nullptr) referenceWindow_->Repaint();
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
    const bool recorded =
        lab_.RecordMeasurement(form.Slot(), form.obsParams, form.measurement.target, form.measurement.recorded);
    SyncMenus();
    client_->update();  // the work screen counts the observations
    return recorded;
  };
  host.reportCamera = [this] { return lab_.Report() != nullptr ? lab_.Report()->camera : lab_.Options().cameraRecord; };
  host.catalogName = [this](std::uint8_t code) {
    return CatalogName(code, lab_.Report() != nullptr && lab_.Report()->catalogs.gscOnACT);
  };
  host.lastImageDir = [this] { return lab_.lastImageDir; };
}

void TAstrmLab::PlaceMeasurementWindows(TImageForm1& form, bool showMagnifier) {
  // The dialog below the reference window, the magnifier right of it; both
  // within the screen, and the magnifier left of the dialog when the screen
  // has no room right of it.
  if (measurement_ == nullptr || referenceWindow_ == nullptr || !referenceWindow_->isVisible()) return;
  TSlctRefForm1& dialog = measurement_->Dialog();
  const QScreen* screen = dialog.screen() != nullptr ? dialog.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
  auto within = [&area](QPoint p, const QSize& size) {
    p.setX(std::clamp(p.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    p.setY(std::clamp(p.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    return p;
  };
  const QSize dialogSize = dialog.frameGeometry().size();
  const QPoint at = within(QPoint(referenceWindow_->frameGeometry().width() - dialogSize.width() / 2,
                                  referenceWindow_->frameGeometry().height()),
                           dialogSize);
  if (dialog.pos() != at) dialog.move(at);
  TCursorWindow* magnifier = form.CursorWindow();
  if (magnifier == nullptr) return;
  const QSize size = magnifier->frameGeometry().size();
  const QRect placed(at, dialogSize);
  QPoint m = within(QPoint(placed.right() + 1, form.frameGeometry().height()), size);
  if (QRect(m, size).intersects(placed)) m = within(QPoint(placed.left() - size.width(), m.y()), size);
  if (magnifier->pos() != m) magnifier->move(m);
  if (showMagnifier) magnifier->setVisible(measurement_->Selection().showMagnifier);
}

void TAstrmLab::SetMeasurementViews(AstrmLabViews& views) {
  views.verifyImageObsParams = [this](int slot) -> std::optional<ObsParams> {
    TImageForm1* form = ImageWindow(slot);
    if (form == nullptr) return std::nullopt;
    form->SetZoomCommandsVisible(false);
    ObsParams edited = form->obsParams;
    if (!ObsParamsDialog(edited, "Verify/Complete", true)) return std::nullopt;
    // The other images of the object take its new name, number and designation.
    for (int k = 0; k < AstrmLab::kSlots; ++k)
      if (TImageForm1* other = ImageWindow(k); other != nullptr && other != form)
        CarryIdentification(form->obsParams, edited, other->obsParams);
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
    if (showReferenceField) {
      link = showReferenceField(slot, newField);
    } else {
      TGSCForm1& field = MakeReferenceWindow();
      field.SetChartMode(false);
      chartKept_ = false;
      if (newField) field.InitFieldWindow();
      field.move(0, 0);
      field.show();
      link = LinkReferenceWindow();
    }
    measurement_.reset();
    measurement_ = std::make_unique<TMeasurement>(lab_, *form, std::move(link), this);
    measurement_->runObservationParameters = [this](ObsParams& p) { return ObsParamsDialog(p, "Verify/Complete", true); };
    measurement_->finished = [this] {
      SyncMenus();
      client_->update();  // the work screen states the image's measurement
    };
    measurement_->placeWindows = [this, form] { PlaceMeasurementWindows(*form, false); };
    measurement_->Start();
    PlaceMeasurementWindows(*form, true);
  };
  views.referenceFieldKept = [this] { return referenceWindow_ != nullptr && chartKept_; };
  views.releaseReferenceField = [this] {
    if (measurement_ != nullptr && measurement_->Active()) return;
    referenceWindow_.reset();
    chartKept_ = false;
  };
  views.fieldParametersDialog = [this](FieldRequest& request) {
    return FieldParametersDialog(request, lab_.measureSlot);
  };
  views.loadReferenceField = [this](const FieldRequest& request, long double jd) { return LoadField(request, jd); };
  views.fieldFailureTold = [this] { return fieldFailureTold_; };
  views.referenceFieldsCleared = [this] {
    for (auto& window : imageWindows_)
      if (window != nullptr) {
        window->measurement.references.clear();
        window->measurement.plate.MarkUnsolved();
      }
  };
}

GSCFieldObj& TAstrmLab::Field() {
  if (regions_ == nullptr) regions_ = std::make_unique<GSCRgnsTblObj>(lab_.Options(), lab_.Ui());
  if (field_ == nullptr) field_ = std::make_unique<GSCFieldObj>(lab_.Options(), lab_.Ui(), *regions_);
  return *field_;
}

bool TAstrmLab::FieldParametersDialog(FieldRequest& request, int slot) {
  bool ok = false;
  if (runFieldParameters) {
    ok = runFieldParameters(request);
  } else {
    FieldParamsSetup setup;
    setup.ui = &lab_.Ui();
    setup.request = &request;
    setup.options = &lab_.Options();
    const GraphicsFileObj* image =
        slot >= 0 && slot < AstrmLab::kSlots ? lab_.Slots()[static_cast<std::size_t>(slot)].image.get() : nullptr;
    setup.imageFilter = DialogImageFilter(image, lab_.Options().imageFileType);
    setup.chartListShown = chartKept_;
    setup.referenceWindow = referenceWindow_.get();
    setup.changeCatalogOptions = [this](const OptionsRecord& copy) { return ChangeCatalogOptions(copy); };
    TFldParmsDlg dialog(setup, this);
    const std::optional<bool> result = dialog.Run();
    ok = result.has_value();
    if (result.value_or(false)) lab_.NoteOptionsChanged();
  }
  if (ok) {
    lab_.Menus().SetEnabled("Preferences1", false);
    lab_.Menus().SetEnabled("Preferences2", false);
    SyncMenus();
  }
  return ok;
}

bool TAstrmLab::LoadField(const FieldRequest& request, long double julianDate) {
  fieldTime_ = julianDate;
  GSCFieldObj& field = Field();
  if (zoneReaders_ == nullptr)
    zoneReaders_ = std::make_unique<ZoneCatalogReaders>(lab_.Options(), lab_.Ui(), [this] {
      return regions_->CatalogRoot().empty() ? lab_.Options().gscPath1 : regions_->CatalogRoot();
    });
  if (online_ == nullptr) online_ = std::make_unique<B1CatObj>(lab_.Options(), lab_.Ui());
  online_->SetColourChoice(request.colourChoice);
  FieldCatalogReaders readers;
  zoneReaders_->Fill(readers, request.colourChoice);
  readers.online = online_.get();
  FieldLoadContext context{lab_.Options(), lab_.Ui(), *regions_, field, readers};
  const bool loaded = LoadReferenceField(context, request.params, julianDate);
  fieldFailureTold_ = context.failureTold;
  // A load that failed and said why (a query that failed keeps the field list
  // as it was) leaves the plates solved on that field as they are.
  if (loaded || !context.failureTold)
    for (auto& window : imageWindows_)
      if (window != nullptr) window->measurement.plate.MarkUnsolved();
  // A field without stars (only non-stellar entries, or none) is a loaded
  // field: the reference-field window reports it.
  return loaded;
}

TGSCForm1& TAstrmLab::MakeReferenceWindow() {
  if (referenceWindow_ != nullptr) return *referenceWindow_;
  ReferenceFieldHost host;
  host.ui = &lab_.Ui();
  host.options = &lab_.Options();
  host.field = &Field();
  host.request = &lab_.fieldRequest;
  host.search = &search_;
  host.userName = [this] { return lab_.Options().userRecord.contactName; };
  auto current = [this]() -> TImageForm1* {
    return measurement_ != nullptr ? &measurement_->Image() : ImageWindow(lab_.measureSlot);
  };
  host.imageClientSize = [current] {
    TImageForm1* form = current();
    return form != nullptr ? QSize(form->Sizing().clientWidth, form->Sizing().clientHeight) : QSize();
  };
  host.imageName = [this] {
    const GraphicsFileObj* image = lab_.Slots()[static_cast<std::size_t>(lab_.measureSlot)].image.get();
    return image != nullptr && !chartKept_ ? image->displayName : std::string();
  };
  host.chart = [this]() -> const ChartContent* { return chartKept_ ? &chart_ : nullptr; };
  host.restartSelection = [this] {
    if (measurement_ != nullptr && measurement_->Active()) measurement_->AddRemove();
  };
  host.clearImageReferences = [current] {
    if (TImageForm1* form = current()) {
      form->measurement.references.clear();
      form->measurement.plate.MarkUnsolved();
    }
  };
  host.markImageReferencesInvalid = host.clearImageReferences;
  host.solutionTypeChanged = [this] {
    if (measurement_ != nullptr) measurement_->Dialog().Sync();
  };
  host.regionParameters = [this] {
    if (!FieldParametersDialog(lab_.fieldRequest, lab_.measureSlot)) return false;
    const GraphicsFileObj* image = lab_.Slots()[static_cast<std::size_t>(lab_.measureSlot)].image.get();
    const auto* fits = dynamic_cast<const FITSFileObj*>(image);
    // A chart's field is read again at the chart's time, an image's at the image's.
    const auto& chart = lab_.Orbits().LastChart();
    const double time = chartKept_ && chart ? chart->field.chartTime
                        : fits != nullptr   ? fits->Header().observationTime
                                            : lab_.currentObsParms.observationTime;
    platform::BusyCursor busy(lab_.Ui());
    return LoadField(lab_.fieldRequest, 2415018.5L + static_cast<long double>(time));
  };
  host.noteOptionsChanged = [this] {
    lab_.NoteOptionsChanged();
    SyncMenus();
  };
  host.boxChanged = [this] {
    for (auto& window : imageWindows_)
      if (window != nullptr) {
        window->measurement.targetLocated = false;
        window->Canvas()->update();
      }
  };
  referenceWindow_ = std::make_unique<TGSCForm1>(std::move(host));
  return *referenceWindow_;
}

ReferenceFieldLink TAstrmLab::LinkReferenceWindow() {
  ReferenceFieldLink link;
  TGSCForm1* field = referenceWindow_.get();
  link.selection = [field]() -> std::vector<ReferenceStar>& { return field->Model().Entries(); };
  link.setAddRemove = [field](bool on) { field->SetAddRemove(on); };
  link.clearSelection = [field] {
    field->Model().Clear();
    field->Repaint();
  };
  link.solutionTypeChanged = [field](std::uint8_t) { field->CheckSolutionItems(); };
  link.repaint = [field] { field->Repaint(); };
  link.model = [field] { return &field->Model(); };
  link.close = [field] {
    field->canClose = true;
    field->close();
  };
  return link;
}

void TAstrmLab::ShowChart(const ChartContent& content, const ChartFieldParameters& chartField) {
  if (measurement_ != nullptr && measurement_->Active()) return;
  // A chart starts from the option defaults: the magnitude limit, rotation and
  // reversals of the last measurement's field do not carry over.
  ResetFieldParameters(lab_.fieldRequest, lab_.Options());
  FieldParameters& p = lab_.fieldRequest.params;
  p.centreRA = chartField.centreRaHours;
  p.centreDec = chartField.centreDecDeg;
  p.size = static_cast<float>(chartField.sizeArcMin);
  DeriveSearchWindow(p);
  chart_ = content;
  chartKept_ = true;
  {
    platform::BusyCursor busy(lab_.Ui());
    LoadField(lab_.fieldRequest, 2415018.5L + static_cast<long double>(chartField.chartTime));
  }
  lab_.newFieldNeeded = true;  // a measurement reads its own field
  TGSCForm1& field = MakeReferenceWindow();
  field.SetChartMode(true);
  field.InitFieldWindow();
  field.SetAddRemove(true);
  field.move(0, 0);
  field.show();
  field.raise();
}

}  // namespace skarvel::ui
