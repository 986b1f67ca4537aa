#include "astrometry/ui/t_gsc_form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "images/ui/t_box_dlg_form1.h"
#include "images/ui/t_image_text_window.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

constexpr int kPopupDx = 10;  ///< the pop-up opens this far right of the click, pixels
constexpr int kPopupDy = 20;  ///< and this far below it
constexpr int kPointsPerInch = 72;
constexpr int kLabelGapPoints = 10;  ///< "N" and "E" stand this far from the printed frame, points
constexpr int kLabelPoints = 14;     ///< their font size, points
constexpr int kScreenDpi = 96;       ///< the screen resolution the print scale is proportional to
constexpr int kZeroPointLimit = 99;  ///< the zero point field takes -99 ... 99 magnitudes

QColor ToColour(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

/// A read-only field wide enough for its whole text, shown from its first
/// character (a line edit scrolls to the end of a text set into it).
QLineEdit* ReadOnly(QWidget* parent, const char* name, const std::string& text) {
  auto* e = new QLineEdit(ToQt(text), parent);
  e->setObjectName(name);
  e->setReadOnly(true);
  constexpr int kFrameAndMargins = 16;  ///< line edit frame and text margins, pixels
  e->setMinimumWidth(e->fontMetrics().horizontalAdvance(e->text()) + kFrameAndMargins);
  e->setCursorPosition(0);
  return e;
}

ImageWindowHost BaseHost(const ReferenceFieldHost& h) {
  ImageWindowHost b;
  b.ui = h.ui;
  b.options = h.options;
  b.search = h.search;
  b.userName = h.userName;
  return b;
}

}  // namespace

// ------------------------------------------------------------------ TRefInfoForm1

TRefInfoForm1::TRefInfoForm1(const RefInfoView& view, platform::Platform& ui, QWidget* parent)
    : QDialog(parent), ui_(ui), chartMode_(!view.checkBoxesVisible) {
  setObjectName("RefInfoForm1");
  setWindowTitle(ToQt(view.caption));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow("Catalog:", ReadOnly(this, "CatEd", view.catalog));
  QLineEdit* id = ReadOnly(this, "IdEd", view.id);
  if (view.idMagenta) id->setStyleSheet("color: #FF00FF;");
  form->addRow("Identifier:", id);
  form->addRow("Entries:", ReadOnly(this, "EntryEd", view.entries));
  form->addRow("RA:", ReadOnly(this, "RAEd", view.ra));
  form->addRow("Dec:", ReadOnly(this, "DecEd", view.dec));
  form->addRow("Position Error:", ReadOnly(this, "PErEd", view.posErr));
  QLineEdit* mag = ReadOnly(this, "MagEd", view.mag);
  if (view.magMagenta) mag->setStyleSheet("color: #FF00FF;");
  form->addRow("Magnitude:", mag);
  form->addRow("Magnitude Error:", ReadOnly(this, "MagErEd", view.magErr));
  form->addRow("Color Band:", ReadOnly(this, "ClrBndEd", view.band));
  layout->addLayout(form);
  usePos_ = new QCheckBox("Use &Position", this);
  usePos_->setObjectName("UsePosBox");
  usePos_->setChecked(view.usePos);
  useMag_ = new QCheckBox("Use &Magnitude", this);
  useMag_->setObjectName("UseMagBox");
  useMag_->setChecked(view.useMag);
  usePos_->setVisible(view.checkBoxesVisible);
  useMag_->setVisible(view.checkBoxesVisible);
  Colour(usePos_);
  Colour(useMag_);
  connect(usePos_, &QCheckBox::toggled, this, [this] { Colour(usePos_); });
  connect(useMag_, &QCheckBox::toggled, this, [this] { Colour(useMag_); });
  layout->addWidget(usePos_);
  layout->addWidget(useMag_);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("cancelButton");
  cancel->setEnabled(view.cancelEnabled);
  auto* remove = new QPushButton("&Remove", this);
  remove->setObjectName("removeButton");
  remove->setEnabled(view.removeEnabled);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(remove);
  layout->addLayout(buttons);
  answer_.usePos = view.usePos;
  answer_.useMag = view.useMag;
  connect(ok, &QPushButton::clicked, this, [this] {
    ui_.Beep();
    answer_.ok = true;
    if (!chartMode_) {
      answer_.usePos = usePos_->isChecked();
      answer_.useMag = useMag_->isChecked();
    }
    accept();
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    usePos_->setChecked(false);
    useMag_->setChecked(false);
    ui_.Beep();
    answer_.ok = true;
    answer_.usePos = false;
    answer_.useMag = false;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, [this] {
    ui_.Beep();
    reject();
  });
}

void TRefInfoForm1::Colour(QCheckBox* box) {
  box->setStyleSheet(box->isChecked() ? "color: #008000;" : "color: #FF0000;");
}

RefInfoAnswer TRefInfoForm1::Run() {
  answer_.ok = false;
  if (exec() != QDialog::Accepted) answer_.ok = false;
  return answer_;
}

// ------------------------------------------------------------------ TGSCAdjstForm1

TGSCAdjstForm1::TGSCAdjstForm1(std::int32_t zeroPoint, bool inverted, QWidget* parent) : QDialog(parent) {
  setObjectName("GSCAdjstForm1");
  setWindowTitle("Adjust Reference Display");
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Zero Point for Star Images:", this));
  zero_ = new QSpinBox(this);
  zero_->setObjectName("ZeroEdit");
  zero_->setRange(-kZeroPointLimit, kZeroPointLimit);
  zero_->setValue(zeroPoint);
  zero_->setToolTip("Magnitude of Brightest Star Image (Integer)");
  row->addWidget(zero_);
  layout->addLayout(row);
  invert_ = new QCheckBox("Invert Reference Display", this);
  invert_->setObjectName("InvrtCkBox");
  invert_->setChecked(inverted);
  layout->addWidget(invert_);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("cancelButton");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<TGSCAdjstForm1::Values> TGSCAdjstForm1::Run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return Values{zero_->value(), invert_->isChecked()};
}

// ------------------------------------------------------------------ TGSCForm1

TGSCForm1::TGSCForm1(ReferenceFieldHost host, QWidget* parent)
    : TImageForm1(0, BaseHost(host), OwnMenus::Yes, parent),
      host_(std::move(host)),
      model_(*host_.ui, *host_.options, *host_.field, *host_.request) {
  setObjectName("GSCForm1");
  setWindowTitle("Catalog Stars");
  BuildMenus();
  move(0, 0);
  ApplyGeometry(CurrentGeometry());
}

TGSCForm1::~TGSCForm1() = default;

void TGSCForm1::BuildMenus() {
  QMenu* info = menuBar()->addMenu("&Information");
  info->setObjectName("Information1");
  AddAction(info, "ImageInfo1", "&Image...", [this] { ShowImageData(); });
  QMenu* refs = menuBar()->addMenu("Reference &Stars");
  refs->setObjectName("ReferenceStars1");
  AddAction(refs, "AddRemove1", "&Add/Remove...", [this] { AddRemoveCommand(); });
  AddAction(refs, "ClearReselect1", "&Clear/Reselect", [this] { ClearReselect(); });
  AddAction(refs, "Restore1", "&Restore", [this] { RestoreCommand(); });
  refs->addSeparator();
  AddAction(refs, "RegionParameters1", "&Region Parameters...", [this] { RegionParameters(); });
  QMenu* display = menuBar()->addMenu("&Display");
  display->setObjectName("Display1");
  auto fill = [this](QMenu* m, bool isPopup) {
    AddAction(m, isPopup ? "DisplayParameters2" : "DisplayParameters1", "&Display Parameters...",
              [this] { DisplayParameters(); });
    AddAction(m, isPopup ? "ResizeImage2" : "ResizeImage1", "&Resize Image...", [this] { ResizeReference(); });
    QMenu* box = m->addMenu("\"&Box\" Parameters");
    box->setObjectName(isPopup ? "BoxParameters2" : "BoxParameters1");
    AddAction(box, isPopup ? "BoxUnknown2" : "BoxUnknown1", "Box Size for &Unknown...", [this] { BoxSize(true); });
    AddAction(box, isPopup ? "BoxReferences2" : "BoxReferences1", "Box Size for &References...",
              [this] { BoxSize(false); });
  };
  fill(display, false);
  display->addSeparator();
  AddAction(display, "PrintImage1", "&Print Image...", [this] { PrintImage(); });
  display->addSeparator();
  AddAction(display, "Close1", "&Close", [this] { close(); });
  QMenu* solution = menuBar()->addMenu("&Astrometric Solution");
  solution->setObjectName("AstrometricSolution1");
  const char* names[] = {"Linear1", "CrossTerm1", "Quadratic1"};
  const char* captions[] = {"&Linear", "Add &Cross-term", "Full &Quadratic"};
  for (int i = 0; i < 3; ++i) {
    QAction* a = AddAction(solution, names[i], captions[i], [this, i] { SetSolutionType(i); });
    a->setCheckable(true);
  }
  popup_ = new QMenu(this);
  popup_->setObjectName("ReferencePopup");
  AddAction(popup_, "AddRemove2", "&Add/Remove...", [this] { AddRemoveCommand(); });
  AddAction(popup_, "ClearReselect2", "&Clear/Reselect", [this] { ClearReselect(); });
  AddAction(popup_, "Restore2", "&Restore", [this] { RestoreCommand(); });
  popup_->addSeparator();
  fill(popup_, true);
  CheckSolutionItems();
}

FieldGeometry TGSCForm1::CurrentGeometry() const {
  const int screen = host_.ui->Screen().width;
  const QSize image = host_.imageClientSize ? host_.imageClientSize() : QSize();
  return FieldWindowGeometry(model_.ChartMode(), screen, image.isValid() ? image.width() : 0,
                             image.isValid() ? image.height() : 0);
}

void TGSCForm1::ApplyGeometry(const FieldGeometry& g) {
  Canvas()->setFixedSize(g.clientWidth, g.clientHeight);
  adjustSize();
}

void TGSCForm1::InitFieldWindow() {
  const bool chart = model_.ChartMode();
  const ChartContent* content = chart && host_.chart ? host_.chart() : nullptr;
  const FieldGeometry g = CurrentGeometry();
  ApplyGeometry(g);
  for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
    if (m->objectName() == "ReferenceStars1" || m->objectName() == "AstrometricSolution1")
      m->menuAction()->setEnabled(!chart);
  }
  model_.InitField(g, chart, content);
  SetAddRemove(false);
  CheckSolutionItems();
  highlight_.reset();
  UpdateTitle();
  Canvas()->update();
}

void TGSCForm1::RenderField() {
  model_.SetGeometry(model_.Geometry());
  Canvas()->update();
}

void TGSCForm1::UpdateTitle() {
  const ChartContent* content = model_.Chart();
  setWindowTitle(ToQt(FieldWindowTitle(host_.request->params, model_.ChartMode(),
                                       content != nullptr ? content->designation : std::string())));
}

void TGSCForm1::CheckSolutionItems() {
  const int type = host_.options->solutionType;
  const char* names[] = {"Linear1", "CrossTerm1", "Quadratic1"};
  for (int i = 0; i < 3; ++i)
    if (QAction* a = Action(names[i])) a->setChecked(type == i);
}

void TGSCForm1::Repaint() {
  Canvas()->update();
}

void TGSCForm1::SetAddRemove(bool on) {
  model_.addRemove = on;
  for (const char* name : {"AddRemove1", "AddRemove2"})
    if (QAction* a = Action(name)) a->setEnabled(!on);
}

void TGSCForm1::Paint(QPainter& p) {
  const RgbPicture& pic = model_.Picture();
  p.fillRect(Canvas()->rect(), model_.Inverted() ? Qt::white : Qt::black);
  if (pic.Width() > 0 && pic.Height() > 0) {
    const QImage image(pic.Bytes().data(), pic.Width(), pic.Height(), pic.Width() * 3, QImage::Format_RGB888);
    p.drawImage(0, 0, image);
  }
  const int w = Canvas()->width(), h = Canvas()->height();
  if (!model_.Inverted()) {
    p.setPen(QPen(kFrameRed, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kFrameInset, kFrameInset, w - 2 * kFrameInset - 1, h - 2 * kFrameInset - 1);
  }
  p.setPen(QPen(kCentreGrey, 1));
  p.drawLine(w / 2 - kCentreCross, h / 2, w / 2 + kCentreCross, h / 2);
  p.drawLine(w / 2, h / 2 - kCentreCross, w / 2, h / 2 + kCentreCross);
  const FieldParameters& params = host_.request->params;
  if (model_.ChartMode()) {
    p.setPen(kFrameRed);
    int top = 2;
    for (const auto& [on, text] : {std::pair{params.reverseEW, "Chart is E-W Reversed!"},
                                   std::pair{params.reverseNS, "Chart is N-S Reversed!"}}) {
      if (!on) continue;
      p.drawText(QRect(0, top, w, p.fontMetrics().height()), Qt::AlignHCenter | Qt::AlignTop, text);
      top += p.fontMetrics().height();
    }
    return;
  }
  for (const ReferenceStar& r : model_.Entries()) {
    const WindowPixel s = model_.MarkerPoint(r);
    ImageMarker m;
    m.label = std::to_string(r.number);
    m.colour = ToColour(KindColour(r.kind, model_.Inverted()));
    m.showInMagnifier = false;
    m.withSkyBorder = true;
    DrawMarker(p, m, s.y, s.x);
  }
  if (highlight_) {
    ImageMarker m;
    m.colour = kPickMagenta;
    m.withSkyBorder = true;
    DrawMarker(p, m, highlight_->y, highlight_->x);
  }
}

void TGSCForm1::Press(QMouseEvent*) {}
void TGSCForm1::Move(QMouseEvent*) {}
void TGSCForm1::DoubleClick(QMouseEvent*) {}

void TGSCForm1::Release(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    if (model_.addRemove) PickStar(at.x(), at.y());
    return;
  }
  if (e->button() == Qt::RightButton) popup_->popup(Canvas()->mapToGlobal(at + QPoint(kPopupDx, kPopupDy)));
}

void TGSCForm1::PickStar(int x, int y) {
  if (!model_.addRemove) return;
  std::optional<PickCandidate> pick = model_.BeginPick(x, y);
  if (!pick) return;
  highlight_ = pick->marker;
  Canvas()->repaint();
  const RefInfoView view = MakeRefInfoView(*pick, model_.ChartMode(), host_.options->gscOnACT);
  RefInfoAnswer answer;
  if (runRefInfo) {
    answer = runRefInfo(view, *pick);
  } else {
    TRefInfoForm1 dialog(view, *host_.ui, this);
    dialog.adjustSize();
    const int bottom = frameGeometry().bottom() + 1;
    const QPoint click = Canvas()->mapToGlobal(QPoint(x, y));
    const WindowPixel at = PlaceRefInfoDialog(host_.ui->Screen().height, bottom, dialog.height(), click.y());
    dialog.move(at.x, at.y);
    answer = dialog.Run();
  }
  highlight_.reset();
  if (answer.ok) {
    const bool chart = model_.ChartMode();
    model_.CompletePick(*pick, chart ? pick->reference.usePos : answer.usePos,
                        chart ? pick->reference.useMag : answer.useMag);
  }
  Canvas()->update();
}

void TGSCForm1::ShowImageData() {
  if (host_.search == nullptr) return;
  TextListContent content;
  content.caption = "Reference Field Image Data";
  content.lines = ReferenceFieldDataLines(*host_.options, *host_.request, *host_.field, model_.ZeroPoint());
  std::string name = model_.ChartMode() || !host_.imageName ? std::string() : host_.imageName();
  if (!name.empty()) {
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    name += ".RFL";
  }
  content.saveName = name;
  constexpr int kReferenceFieldFilter = 5;  ///< the save dialog's "Reference Field" entry
  dataWindow_ = std::make_unique<TImageTextWindow>(content, kReferenceFieldFilter, *host_.ui, *host_.search);
  dataWindow_->Show();
}

void TGSCForm1::AddRemoveCommand() {
  SetAddRemove(true);
  if (host_.restartSelection) host_.restartSelection();
}

void TGSCForm1::ClearReselect() {
  model_.Clear();
  if (host_.clearImageReferences) host_.clearImageReferences();
  SetAddRemove(true);
  Canvas()->update();
  if (host_.restartSelection) host_.restartSelection();
}

void TGSCForm1::RestoreCommand() {
  model_.Restore();
  Canvas()->update();
}

void TGSCForm1::RegionParameters() {
  if (!host_.regionParameters || !host_.regionParameters()) return;
  InitFieldWindow();
  if (model_.ChartMode()) {
    SetAddRemove(true);
    return;
  }
  if (host_.markImageReferencesInvalid) host_.markImageReferencesInvalid();
  ClearReselect();
}

void TGSCForm1::DisplayParameters() {
  std::optional<TGSCAdjstForm1::Values> values;
  if (runAdjust) {
    values = runAdjust(model_.ZeroPoint(), model_.Inverted());
  } else {
    TGSCAdjstForm1 dialog(model_.ZeroPoint(), model_.Inverted(), this);
    values = dialog.Run();
  }
  if (!values) return;
  if (model_.Adjust(values->zeroPoint, values->inverted)) Canvas()->update();
}

void TGSCForm1::ResizeReference() {
  const FieldGeometry g = model_.Geometry();
  ImageSizing sizing;
  sizing.imageWidth = static_cast<std::int32_t>(std::lround(static_cast<double>(g.width)));
  sizing.clientWidth = g.clientWidth;
  sizing.clientHeight = g.clientHeight;
  sizing.defaultClientWidth = CurrentGeometry().clientWidth;
  sizing.aspect = g.clientWidth > 0 ? static_cast<long double>(g.clientHeight) / g.clientWidth : 1;
  sizing.scale = g.zoom;
  TImgSizeDlg dialog(0, sizing, this);
  dialog.setWindowTitle("Adjust Reference Display Size");
  const std::optional<int> width = dialog.Run();
  if (!width) return;
  sizing.ResizeTo(*width);
  FieldGeometry next = g;
  next.clientWidth = sizing.clientWidth;
  next.clientHeight = sizing.clientHeight;
  next.zoom = static_cast<long double>(next.clientWidth) / g.width;
  next.height = next.clientHeight / next.zoom;
  ApplyGeometry(next);
  model_.SetGeometry(next);
  Canvas()->update();
}

void TGSCForm1::BoxSize(bool unknown) {
  BoxRecord& box = unknown ? host_.options->unknownBox : host_.options->refBox;
  const std::optional<BoxRecord> chosen = TBoxDlgForm1::Ask(unknown ? BoxKind::Unknown : BoxKind::Reference, box, this);
  if (!chosen) return;
  box = *chosen;
  Canvas()->update();
  if (host_.boxChanged) host_.boxChanged();
  if (host_.noteOptionsChanged) host_.noteOptionsChanged();
}

void TGSCForm1::SetSolutionType(int type) {
  host_.options->solutionType = static_cast<std::uint8_t>(type);
  CheckSolutionItems();
  if (host_.solutionTypeChanged) host_.solutionTypeChanged();
  if (host_.restartSelection) host_.restartSelection();
}

std::vector<std::string> TGSCForm1::PrintLines() const {
  return ReferenceFieldPrintLines(*host_.options, *host_.request, *host_.field, model_.ChartMode(), model_.Chart());
}

int TGSCForm1::PrintInfo(QPainter& p, int margin, int lineHeight, int row) {
  row += 1;
  for (const std::string& line : PrintLines()) {
    row += 1;
    p.drawText(QRect(margin + 50, row * lineHeight, p.device()->width() - margin - 50, lineHeight),
               Qt::AlignLeft | Qt::AlignTop, ToQt(line));
  }
  return row;
}

void TGSCForm1::PrintPicture(QPainter& p, int row, int lineHeight) {
  const QImage picture = Picture();
  if (picture.isNull()) return;
  const int pageWidth = p.device()->width();
  const int pageHeight = p.device()->height();
  const double perPoint = static_cast<double>(p.device()->logicalDpiY()) / kPointsPerInch;
  const int labelSpace = static_cast<int>((kLabelGapPoints + 2 * kLabelPoints) * perPoint);
  const int top = row * lineHeight + labelSpace;
  double scale = static_cast<double>(p.device()->logicalDpiX()) / kScreenDpi;
  if (picture.width() * scale > pageWidth - 2 * labelSpace) scale = (pageWidth - 2.0 * labelSpace) / picture.width();
  if (top + picture.height() * scale > pageHeight - labelSpace)
    scale = std::max(0.01, (pageHeight - labelSpace - static_cast<double>(top)) / picture.height());
  const QRect target((pageWidth - static_cast<int>(picture.width() * scale)) / 2, top,
                     static_cast<int>(picture.width() * scale), static_cast<int>(picture.height() * scale));
  p.drawImage(target, picture);
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(target.adjusted(-1, -1, 1, 1));
  QFont font("Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setBold(true);
  font.setPointSize(kLabelPoints);
  p.setFont(font);
  const QFontMetrics metrics(font, p.device());
  const int gap = static_cast<int>(kLabelGapPoints * perPoint);
  const FieldParameters& params = host_.request->params;
  const int nWidth = metrics.horizontalAdvance("N");
  const int nX = target.center().x() - nWidth / 2;
  const int nY = params.reverseNS ? target.bottom() + gap : target.top() - gap - metrics.height();
  p.drawText(QRect(nX, nY, nWidth, metrics.height()), Qt::AlignCenter, "N");
  const int eWidth = metrics.horizontalAdvance("E");
  const int eX = params.reverseEW ? target.right() + gap : target.left() - gap - eWidth;
  const int eY = target.center().y() - metrics.height() / 2;
  p.drawText(QRect(eX, eY, eWidth, metrics.height()), Qt::AlignCenter, "E");
}

void TGSCForm1::showEvent(QShowEvent* event) {
  TImageForm1::showEvent(event);
  if (host_.options->restoreAllRefs) RestoreCommand();
}

void TGSCForm1::closeEvent(QCloseEvent* event) {
  TImageForm1::closeEvent(event);
  if (event->isAccepted() && host_.closed) host_.closed();
}

}  // namespace skarvel::ui
