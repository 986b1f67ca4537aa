#include "shell/ui/t_measurement.h"

#include <QAction>

#include "astrometry/auto_match.h"
#include "astrometry/reference_field.h"

#include "astrometry/ui/t_info_list_form1.h"
#include "images/ui/t_image_form1.h"
#include "images/ui/t_image_text_window.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

TMeasurement::TMeasurement(AstrmLab& lab, TImageForm1& image, ReferenceFieldLink field, QWidget* dialogParent)
    : lab_(lab), image_(image), field_(std::move(field)) {
  selection_ = std::make_unique<RefSelection>(lab_.Ui(), lab_.Options(), lab_.minRefHintShown, Hooks());
  dialog_ = std::make_unique<TSlctRefForm1>(*selection_, dialogParent);
  dialog_->changed = [this] {
    image_.Canvas()->update();
    if (field_.repaint) field_.repaint();
    if (placeWindows) placeWindows();
  };
}

TMeasurement::~TMeasurement() = default;

SelectionHooks TMeasurement::Hooks() {
  SelectionHooks h;
  h.measurement = [this]() -> ImageMeasurement& { return image_.measurement; };
  h.view = [this] { return image_.View(); };
  h.fieldSelection = [this]() -> std::vector<ReferenceStar>& { return field_.selection(); };
  h.setAddRemove = [this](bool on) {
    if (field_.setAddRemove) field_.setAddRemove(on);
  };
  h.clearReselect = [this] { ClearReselect(); };
  h.addRemove = [this] { AddRemove(); };
  h.solutionTypeChanged = [this](std::uint8_t type) {
    if (field_.solutionTypeChanged) field_.solutionTypeChanged(type);
  };
  h.repaintImage = [this] { image_.Canvas()->update(); };
  h.bringForward = [this] {
    dialog_->raise();
    dialog_->activateWindow();
  };
  h.setMeasuring = [this](bool on) {
    image_.measuring = on;
    image_.canClose = !on;
  };
  h.solutionSettings = [this] {
    SolutionSettings s;
    s.centreRAHours = lab_.fieldRequest.params.centreRA;
    s.centreDecDeg = lab_.fieldRequest.params.centreDec;
    s.solutionType = lab_.Options().solutionType;
    s.cameraFilter = lab_.Report() != nullptr ? lab_.Report()->camera.filter : std::uint8_t{8};
    s.expertMode = lab_.Options().expertMode;
    s.weightByUncertainty = WeightPlateByUncertainty(lab_.Options());
    return s;
  };
  h.showSolution = [this] { image_.SolutionReady(); };
  h.closeSolution = [this] { image_.CloseSolutionReport(); };
  h.enableAddToReport = [this] {
    if (QAction* a = image_.Action("AddToReportList1")) a->setEnabled(true);
  };
  h.addToReport = [this] { image_.AddToReportList(); };
  h.verifyObservationParameters = [this] {
    ObsParams edited = image_.obsParams;
    if (!runObservationParameters || !runObservationParameters(edited)) return false;
    image_.obsParams = edited;
    return true;
  };
  h.adoptObservationParameters = [this] { lab_.currentObsParms = image_.obsParams; };
  h.releaseSlot = [this] { lab_.LockSlot(image_.Slot(), false); };
  h.cancelOptions = [this](const CancelOptions& o) {
    return runCancelOptions ? runCancelOptions(o) : TRefCnclForm1::Ask(o, dialog_.get());
  };
  h.closeMeasurement = [this](bool completed) { Close(completed); };
  h.autoMatch = [this]() -> std::optional<std::vector<std::array<long double, 2>>> {
    ReferenceFieldModel* model = field_.model ? field_.model() : nullptr;
    if (model == nullptr) return std::nullopt;
    AutoMatchRequest request;
    request.view = image_.View();
    request.centreRAHours = lab_.fieldRequest.params.centreRA;
    request.centreDecDeg = lab_.fieldRequest.params.centreDec;
    if (lab_.Report() != nullptr) request.arcsecPerPixel = CameraArcsecPerPixel(lab_.Report()->camera);
    auto positions = SelectAutoReferences(lab_.Ui(), *model, request);
    if (positions && field_.repaint) field_.repaint();
    return positions;
  };
  return h;
}

namespace {

// While an image is measured, the questions about it ("Target Sky OK?" and
// the others) stand beside the image window, not over the reference field.
// They keep clear of the magnifier, which "Target Sky OK?" asks the person to
// judge, and of the selection dialog.
void AnchorMessages(platform::Platform& ui, QWidget* window, const QList<QWidget*>& keepClear = {}) {
  if (auto* qt = dynamic_cast<platform::QtPlatform*>(&ui)) qt->SetMessageAnchor(window, keepClear);
}

}  // namespace

void TMeasurement::Start() {
  active_ = true;
  QList<QWidget*> keepClear{dialog_.get()};
  if (image_.CursorWindow() != nullptr) keepClear << image_.CursorWindow();
  AnchorMessages(lab_.Ui(), &image_, keepClear);
  if (field_.setAddRemove) field_.setAddRemove(true);
  selection_->StartSelection(image_.Slot());
  dialog_->Sync();
  dialog_->show();
  dialog_->raise();
}

void TMeasurement::AddRemove() {
  if (field_.setAddRemove) field_.setAddRemove(true);
  selection_->StartSelection(image_.Slot());
  dialog_->Sync();
}

void TMeasurement::ClearReselect() {
  if (field_.clearSelection) field_.clearSelection();
  image_.measurement.references.clear();
  image_.measurement.referencesMeasured = false;
  image_.measurement.plate.MarkUnsolved();
  AddRemove();
}

void TMeasurement::ImageClicked(int x, int y) {
  selection_->ImageClicked(x, y);
  dialog_->Sync();
}

void TMeasurement::Close(bool completed) {
  if (completed) {
    // The solution report is offered for saving when it has not been saved.
    if (TImageTextWindow* report = image_.SolutionWindow()) {
      // The solution text keeps its own name: the report data file's name
      // belongs to the report's load and save alone.
      if (!report->List().SavedAsText()) report->Window().RunCommand("AsDisplayed1");
    }
  }
  active_ = false;
  AnchorMessages(lab_.Ui(), nullptr);
  image_.CloseSolutionReport();
  image_.measuring = false;
  image_.canClose = true;
  image_.close();
  if (field_.close) field_.close();
  if (image_.CursorWindow() != nullptr) image_.CursorWindow()->hide();
  dialog_->Dismiss();
  lab_.LockSlot(image_.Slot(), false);
  if (finished) finished();
}

}  // namespace skarvel::ui
