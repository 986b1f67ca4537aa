#include "images/ui/t_image_form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include "astrometry/ui/t_info_list_form1.h"
#include "foundations/angles.h"
#include "images/fits_file.h"
#include "images/ui/t_box_dlg_form1.h"
#include "images/ui/t_image_text_window.h"
#include "images/ui/t_img_adjst_dlg.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

constexpr const char* kZoomHint =
    "Place the Cursor on the upper left corner of the region you want to view.  Hold the RIGHT button and drag "
    "diagonally down to size the region.  Double-click the LEFT button anywhere on the image to zoom/unzoom.";
constexpr const char* kApplicationTitle = "Skarvel";
constexpr int kInitialClient = 512;  ///< client side before the first image, pixels
constexpr int kScreenDpi = 96;       ///< the screen resolution the print scale is proportional to

QRect ToQRect(const ScreenRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)); }
/// The rectangle whose 1-pixel outline runs through both corners.
QRect OutlineRect(const ScreenRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

// ------------------------------------------------------------------ TImgSizeDlg

ScrollValueParts BuildScrollValueDialog(QDialog& dialog, const ScrollValueRange& range, const char* barName,
                                        const char* textName, QLayout*& above) {
  auto* layout = new QVBoxLayout(&dialog);
  above = layout;
  auto* row = new QHBoxLayout;
  auto* bar = new QScrollBar(Qt::Horizontal, &dialog);
  bar->setObjectName(barName);
  bar->setRange(range.minimum, range.maximum);
  bar->setPageStep(range.largeStep);
  bar->setMinimumWidth(240);
  bar->setValue(range.value);
  auto* readOut = new QLabel(QString::number(bar->value()), &dialog);
  readOut->setObjectName(textName);
  row->addWidget(bar);
  row->addWidget(readOut);
  layout->addLayout(row);
  auto* buttons = new QHBoxLayout;
  auto* def = new QPushButton("&Default", &dialog);
  def->setObjectName("defaultButton");
  def->setAutoDefault(false);
  auto* ok = new QPushButton("&OK", &dialog);
  ok->setObjectName("okButton");
  auto* cancel = new QPushButton("&Cancel", &dialog);
  cancel->setObjectName("cancelButton");
  cancel->setAutoDefault(false);
  buttons->addWidget(def);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  const int defaultValue = range.defaultValue;
  QObject::connect(bar, &QScrollBar::valueChanged, readOut, [readOut](int v) { readOut->setText(QString::number(v)); });
  QObject::connect(def, &QPushButton::clicked, bar, [bar, defaultValue] { bar->setValue(defaultValue); });
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  return {bar, readOut};
}

TImgSizeDlg::TImgSizeDlg(int slot, const ImageSizing& sizing, QWidget* parent) : QDialog(parent) {
  setObjectName("ImgSizeDlg");
  setWindowTitle(ToQt("Adjust Image " + std::to_string(slot + 1) + " Display Size"));
  QLayout* layout = nullptr;
  const ScrollValueParts parts = BuildScrollValueDialog(
      *this, {sizing.MinimumWidth(), sizing.imageWidth, 10, sizing.clientWidth, sizing.defaultClientWidth},
      "widthBar", "widthText", layout);
  bar_ = parts.bar;
  readOut_ = parts.readOut;
}

std::optional<int> TImgSizeDlg::Run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return bar_->value();
}

// ------------------------------------------------------------------ TMagnRgnDlg

TMagnRgnDlg::TMagnRgnDlg(int width, int defaultWidth, QWidget* parent) : QDialog(parent) {
  setObjectName("MagnRgnDlg");
  setWindowTitle("Set Magnify Region");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Enter region width in pixels.  Default is reference \"box\" size plus sky border.", this));
  spin_ = new QSpinBox(this);
  spin_->setObjectName("regionWidth");
  spin_->setRange(2, 100);
  spin_->setSingleStep(2);
  spin_->setValue(width);
  layout->addWidget(spin_);
  auto* buttons = new QHBoxLayout;
  auto* def = new QPushButton("&Default", this);
  def->setObjectName("defaultButton");
  def->setAutoDefault(false);
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("okButton");
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("cancelButton");
  buttons->addWidget(def);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(def, &QPushButton::clicked, this, [this, defaultWidth] { spin_->setValue(defaultWidth); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<int> TMagnRgnDlg::Run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return ClampMagnifyRegion(spin_->value());
}

// ------------------------------------------------------------------ TCursorWindow

TCursorWindow::TCursorWindow(const BoxRecord& refBox, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      region_(ClampMagnifyRegion(DefaultMagnifyRegion(refBox))),
      defaultRegion_(region_) {
  setObjectName("CursorWindow");
  setWindowTitle("Cursor Region");
  setFixedSize(kClientSide, kClientSide);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCursorWindow::MoveTo(TImageForm1* form, int x, int y, const QString& caption) {
  form_ = form;
  point_ = QPoint(x, y);
  setWindowTitle(caption.isEmpty() ? QString("Cursor Region") : caption);
  update();
}

void TCursorWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (form_ == nullptr) return;
  const QImage picture = form_->Picture();
  const QRect source(point_.x() - region_ / 2, point_.y() - region_ / 2, region_, region_);
  p.drawImage(rect(), picture, source);
  // The cross by inversion, shifted half a region pixel on a mirrored axis.
  const double pixel = static_cast<double>(kClientSide) / region_;
  const auto& s = form_->Display().settings;
  const int cx = kClientSide / 2 + (s.mirrorLeftRight ? static_cast<int>(pixel / 2) : 0);
  const int cy = kClientSide / 2 + (s.mirrorUpDown ? static_cast<int>(pixel / 2) : 0);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(QPen(Qt::white, 1));
  p.drawLine(cx - kCrossHalf, cy, cx + kCrossHalf, cy);
  p.drawLine(cx, cy - kCrossHalf, cx, cy + kCrossHalf);
}

void TCursorWindow::SetRegionSize() {
  TMagnRgnDlg dlg(region_, defaultRegion_, this);
  if (auto w = dlg.Run()) SetRegion(*w);
}

void TCursorWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* size = menu.addAction("Set Region &Size...");
  size->setObjectName("SetRegionSize1");
  if (menu.exec(event->globalPos()) == size) SetRegionSize();
}

// ------------------------------------------------------------------ TImageCanvas

TImageCanvas::TImageCanvas(TImageForm1& form) : QWidget(&form), form_(form) {
  setObjectName("imageCanvas");
  setAttribute(Qt::WA_OpaquePaintEvent);  // the bitmap covers the whole client area
  setMouseTracking(true);
}

void TImageCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  form_.Paint(p);
}
void TImageCanvas::mousePressEvent(QMouseEvent* e) { form_.Press(e); }
void TImageCanvas::mouseMoveEvent(QMouseEvent* e) { form_.Move(e); }
void TImageCanvas::mouseReleaseEvent(QMouseEvent* e) { form_.Release(e); }
void TImageCanvas::mouseDoubleClickEvent(QMouseEvent* e) { form_.DoubleClick(e); }

// ------------------------------------------------------------------ TImageForm1

TImageForm1::TImageForm1(int slot, ImageWindowHost host, QWidget* parent)
    : QMainWindow(parent, Qt::Window), slot_(slot), host_(std::move(host)), canvas_(new TImageCanvas(*this)) {
  setObjectName(ToQt("ImageForm" + std::to_string(slot + 1)));
  setWindowTitle(ToQt(CaptionPrefix()));
  setCentralWidget(canvas_);
  canvas_->setFixedSize(kInitialClient, kInitialClient);
  const BoxRecord refBox = host_.options != nullptr ? host_.options->refBox : BoxRecord{};
  cursorWindow_ = new TCursorWindow(refBox, this);
  BuildMenus();
  if (host_.ui != nullptr) move(host_.ui->Screen().width / 2 - 2, 0);
}

TImageForm1::TImageForm1(int slot, ImageWindowHost host, OwnMenus, QWidget* parent)
    : QMainWindow(parent, Qt::Window), slot_(slot), host_(std::move(host)), canvas_(new TImageCanvas(*this)) {
  setCentralWidget(canvas_);
  canvas_->setFixedSize(kInitialClient, kInitialClient);
  const BoxRecord refBox = host_.options != nullptr ? host_.options->refBox : BoxRecord{};
  cursorWindow_ = new TCursorWindow(refBox, this);
}

TImageForm1::~TImageForm1() = default;

QAction* TImageForm1::AddAction(QWidget* menu, const char* name, const QString& caption, std::function<void()> run) {
  auto* a = new QAction(caption, menu);
  menu->addAction(a);
  a->setObjectName(name);
  if (run) {
    connect(a, &QAction::triggered, this, [run] { run(); });
  } else {
    a->setEnabled(false);  // its command comes with a later window
  }
  if (!actions_.contains(name)) actions_[name] = a;
  return a;
}

void TImageForm1::BuildMenus() {
  QMenu* image = menuBar()->addMenu("&Image");
  image->setObjectName("Image1");
  QMenu* info = image->addMenu("&Information");
  info->setObjectName("Information1");
  AddAction(info, "FileHeader1", "File &Header...", [this] { ShowHeaderWindow(); });
  AddAction(info, "ImageInfo1", "&Image...", [this] { ShowImageDataWindow(); });
  image->addSeparator();
  auto fill = [this](QMenu* m, bool isContext) {
    AddAction(m, isContext ? "AdjustImage2" : "AdjustImage1", "&Adjust Image...", [this] { AdjustImage(); });
    AddAction(m, isContext ? "ResizeImage2" : "ResizeImage1", "&Resize Image...", [this] { ResizeImage(); });
    AddAction(m, isContext ? "ZoomImage2" : "ZoomImage1", "&Zoom Image...", [this] { ZoomImage(); });
    AddAction(m, isContext ? "ClearZoom2" : "ClearZoom1", "C&Lear Zoom", [this] { ClearZoom(); });
    QMenu* box = m->addMenu("\"&Box\" Parameters");
    box->setObjectName(isContext ? "BoxParameters2" : "BoxParameters1");
    AddAction(box, isContext ? "BoxUnknown2" : "BoxUnknown1", "Box Size for &Unknown...",
              [this] { BoxCommand(BoxKind::Unknown); });
    AddAction(box, isContext ? "BoxReferences2" : "BoxReferences1", "Box Size for &References...",
              [this] { BoxCommand(BoxKind::Reference); });
  };
  fill(image, false);
  image->addSeparator();
  AddAction(image, "PrintImage1", "&Print Image...", [this] { PrintImage(); });
  image->addSeparator();
  AddAction(image, "Close1", "&Close", [this] { close(); });
  QMenu* object = menuBar()->addMenu("&Object");
  object->setObjectName("Object1");
  AddAction(object, "ObservationParameters1", "Observation &Parameters...", [this] { ObservationParameters(); });
  QMenu* solution = menuBar()->addMenu("&Solution Results...");
  solution->setObjectName("SolutionResults1");
  AddAction(solution, "ViewPrint1", "&View/Print...", [this] { ShowSolutionReport(); });
  AddAction(solution, "AddToReportList1", "&Add to Report List...", [this] { AddToReportList(); });
  solution->menuAction()->setEnabled(false);
  actions_["SolutionResults1"] = solution->menuAction();
  context_ = new QMenu(this);
  context_->setObjectName("ImagePopup");
  fill(context_, true);
}

bool TImageForm1::ShowImage(int slot) {
  slot_ = slot;
  setWindowTitle(ToQt(CaptionPrefix()));
  valid_ = false;
  GraphicsFileObj* image = Image();
  if (image == nullptr || !image->headerTextPresent) return false;
  setWindowTitle(platform::DisplayText(CaptionPrefix() + image->displayName));
  headerWindow_.reset();
  dataWindow_.reset();
  markers.clear();
  mark_.Clear();
  crossShown_ = false;
  measuring = false;
  BuildDisplay(true);
  RewritePalette();
  measurement.SetSlot(slot);
  measurement.NewImage(image->width, image->height, display_.settings.mirrorLeftRight,
                       display_.settings.mirrorUpDown);
  solutionWindow_.reset();
  cursorText_.clear();
  if (host_.mainObsParams) obsParams = host_.mainObsParams();
  actions_["SolutionResults1"]->setEnabled(false);
  SetZoomCommandsVisible(true);
  valid_ = image->HasImage() && display_.HasBitmap();
  return valid_;
}

void TImageForm1::BuildDisplay(bool takeNewSettings) {
  GraphicsFileObj* image = Image();
  if (image == nullptr || host_.options == nullptr) return;
  DisplayBuildContext context;
  context.defaults = &host_.options->displayDefaults;
  context.imageFileType = host_.options->imageFileType;
  context.dataDir = host_.options->dataDir;
  context.ui = host_.ui;
  display_.BuildDisplay(*image, takeNewSettings, context);
  // A located target stays on its star when the orientation changes.
  measurement.OrientationChanged(image->width, image->height, display_.settings.mirrorLeftRight,
                                 display_.settings.mirrorUpDown);
  ++buildCount_;
  FitWindow();
  canvas_->update();
}

void TImageForm1::RewritePalette() {
  if (GraphicsFileObj* image = Image()) display_.RewritePalette(*image);
  canvas_->update();
  if (cursorWindow_->isVisible()) cursorWindow_->update();
}

void TImageForm1::FitWindow() {
  GraphicsFileObj* image = Image();
  if (image == nullptr || image->width <= 0 || host_.ui == nullptr) return;
  sizing_ = ImageSizing::Fit(image->width, image->height, host_.ui->Screen().width);
  zoomed = false;
  ApplySize();
}

void TImageForm1::ApplySize() {
  canvas_->setFixedSize(sizing_.clientWidth, sizing_.clientHeight);
  // The window takes exactly the size of its client area and menu bar, so a
  // window that shrinks (leaving the zoomed view) leaves no band below the image.
  if (layout() != nullptr) layout()->activate();
  const int bar = menuWidget() != nullptr && menuWidget()->isVisibleTo(this) ? menuWidget()->sizeHint().height() : 0;
  resize(sizing_.clientWidth, sizing_.clientHeight + bar);
  canvas_->update();
}

void TImageForm1::LeaveZoomedView() {
  zoomed = false;
  // The height follows the width the window has now (it may have been
  // resized while zoomed), so the client area fits the whole image again.
  sizing_.clientHeight = static_cast<std::int32_t>(std::nearbyint(sizing_.clientWidth * sizing_.aspect));
  ApplySize();
}

QImage TImageForm1::IndexImage() const {
  const IndexedBitmap& b = display_.Bitmap();
  if (b.width <= 0) return QImage();
  QImage image(b.rows.data(), b.width, b.height, b.stride, QImage::Format_Indexed8);
  QList<QRgb> table(256);
  for (int i = 0; i < 256; ++i) {
    int g = b.palette[static_cast<std::size_t>(i)];
    if (display_.settings.invert) g = 255 - g;
    table[i] = qRgb(g, g, g);
  }
  image.setColorTable(table);
  return image;
}

QImage TImageForm1::Picture() {
  cursorUpdates_ = false;
  QImage picture = canvas_->grab().toImage();
  cursorUpdates_ = true;
  return picture;
}

void DrawTracks(QPainter& p, const std::vector<TrackOverlay>& tracks, double scale, QPointF offset) {
  p.save();
  p.setBrush(Qt::NoBrush);
  for (const TrackOverlay& t : tracks) {
    const QColor colour = t.selected ? kSelectedTrackColour : kTrackColour;
    p.setPen(QPen(colour, 1));
    // The line from place to place, kept off the places themselves (the object stays visible).
    for (std::size_t i = 1; i < t.points.size(); ++i) {
      const QPointF a = t.points[i - 1] * scale + offset, b = t.points[i] * scale + offset;
      const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
      const double gap = kTrackRing + 2;
      if (length <= 2 * gap) continue;
      const QPointF step = (b - a) / length;
      p.drawLine(a + step * gap, b - step * gap);
    }
    if (t.current < 0 || t.current >= static_cast<int>(t.points.size())) continue;
    const QPointF at = t.points[static_cast<std::size_t>(t.current)] * scale + offset;
    p.setPen(QPen(colour, 2));
    p.drawEllipse(at, kTrackRing, kTrackRing);
    p.drawText(at + QPointF(kTrackRing + 3, -kTrackRing), QString::fromLatin1(t.label.data(), static_cast<qsizetype>(t.label.size())));
  }
  p.restore();
}

void TImageForm1::Paint(QPainter& p) {
  const QRect client(0, 0, sizing_.clientWidth, sizing_.clientHeight);
  const QImage image = IndexImage();
  p.fillRect(canvas_->rect(), Qt::black);
  long double magnification = sizing_.scale;
  if (!image.isNull()) {
    if (zoomed && !zoomSquare.Empty()) {
      const SourceRect s = ZoomedSource(zoomSquare, sizing_.scale, registrationX, registrationY);
      const QRectF source(static_cast<double>(s.left), static_cast<double>(s.top),
                          static_cast<double>(s.right - s.left), static_cast<double>(s.bottom - s.top));
      p.drawImage(QRectF(canvas_->rect()), image, source);
      magnification = sizing_.clientWidth / (s.right - s.left);
    } else {
      if (scaledBuild_ != buildCount_ || scaledSize_ != client.size()) {
        scaledIndex_ = image.scaled(client.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        scaledBuild_ = buildCount_;
        scaledSize_ = client.size();
      }
      scaledIndex_.setColorTable(image.colorTable());
      p.drawImage(client.topLeft(), scaledIndex_);
    }
  }
  const QColor mark = MarkColour();
  p.setPen(magnification < 0.98L ? kScale : mark);
  p.drawText(2, 2 + p.fontMetrics().ascent(), ToQt(MagnificationText(magnification)));
  if (zoomed) return;
  if (zoomMode && !zoomSquare.Empty()) {
    const long double factor = ZoomFactor(zoomSquare, sizing_.clientWidth, sizing_.scale);
    const QColor c = factor >= 1 ? mark : kScale;
    p.setPen(c);
    p.setBrush(Qt::NoBrush);
    p.drawRect(OutlineRect(zoomSquare));
    p.drawText(zoomSquare.left, zoomSquare.top - 2, ToQt(MagnificationText(factor)));
  }
  for (const ImageMarker& m : markers)
    DrawMarker(p, m, static_cast<int>(m.imageY * sizing_.scale), static_cast<int>(m.imageX * sizing_.scale + 1));
  DrawTracks(p, tracks, static_cast<double>(sizing_.scale), QPointF(0, 0));
  const int counter = host_.locateCounter ? host_.locateCounter() : 0;
  for (const MeasureMarker& m : measurement.Markers(counter)) {
    ImageMarker marker;
    marker.label = m.label;
    marker.colour = m.colour == MeasureMarker::Colour::CurrentReference ? kCurrentReference : mark;
    marker.showInMagnifier = m.showInMagnifier;
    marker.withSkyBorder = m.withSkyBorder;
    DrawMarker(p, marker, static_cast<int>(m.imageY * sizing_.scale), static_cast<int>(m.imageX * sizing_.scale + 1));
  }
  if (!cursorText_.empty()) {
    const int lineHeight = p.fontMetrics().height();
    const int top = sizing_.clientHeight - lineHeight * static_cast<int>(cursorText_.size()) - 2;
    p.fillRect(QRect(0, top, sizing_.clientWidth, sizing_.clientHeight - top), Qt::black);
    p.setPen(mark);
    for (std::size_t i = 0; i < cursorText_.size(); ++i)
      p.drawText(2, top + lineHeight * static_cast<int>(i) + p.fontMetrics().ascent(), ToQt(cursorText_[i]));
  }
  if (crossShown_ && mark_.inside) {
    p.setPen(QPen(kCross, 1));
    p.drawLine(mark_.x - kCrossHalf, mark_.y, mark_.x + kCrossHalf, mark_.y);
    p.drawLine(mark_.x, mark_.y - kCrossHalf, mark_.x, mark_.y + kCrossHalf);
  }
}

void TImageForm1::DrawMarker(QPainter& p, const ImageMarker& marker, int y, int x) {
  const BoxRecord refBox = host_.options != nullptr ? host_.options->refBox : BoxRecord{};
  const BoxRecord unknownBox = host_.options != nullptr ? host_.options->unknownBox : BoxRecord{};
  const MarkerLayout m = LayoutMarker(marker.label, refBox, unknownBox, y, x);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(marker.colour, 1));
  p.drawRect(OutlineRect(m.box));
  if (marker.withSkyBorder) {
    p.setPen(QPen(marker.colour, 1, Qt::DotLine));
    p.drawRect(OutlineRect(m.skyBox));
  }
  p.setPen(marker.colour);
  p.drawText(m.labelX, m.labelTop + p.fontMetrics().ascent(), ToQt(m.label));
  if (marker.showInMagnifier && cursorUpdates_ && cursorWindow_->isVisible())
    cursorWindow_->MoveTo(this, x, y, ToQt(marker.label == "U" ? "Unknown" : "Reference #" + marker.label));
}

bool TImageForm1::RecordCrsr(int x, int y) { return mark_.Record(x, y, sizing_.clientWidth, sizing_.clientHeight); }

void TImageForm1::ClearMark() {
  const ScreenRect square = mark_.ClearSquare();
  crossShown_ = false;
  mark_.Clear();
  canvas_->update(ToQRect(square));
}

void TImageForm1::Press(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (zoomMode && !zoomed) {
    if (e->button() == Qt::RightButton) {
      previousZoomSquare = zoomSquare;
      zoomSquare = ScreenRect{at.x(), at.y(), at.x(), at.y()};
      rightDrag_ = true;
      canvas_->update();
    }
    return;
  }
  if (e->button() == Qt::LeftButton && !zoomMode) {
    tracking_ = true;
    canvas_->setCursor(Qt::CrossCursor);
    ClearMark();
    ShowCursorCoordinates(at.x(), at.y());
    cursorWindow_->MoveTo(this, at.x(), at.y());
  }
}

void TImageForm1::Move(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (rightDrag_) {
    if (auto square = ZoomSquare(zoomSquare.left, zoomSquare.top, at.x(), at.y())) {
      zoomSquare = *square;
    } else if (host_.ui != nullptr) {
      host_.ui->Beep();
    }
    canvas_->update();
    return;
  }
  if (tracking_) {
    cursorWindow_->MoveTo(this, at.x(), at.y());
    canvas_->setCursor(canvas_->rect().contains(at) ? Qt::CrossCursor : Qt::ArrowCursor);
    ShowCursorCoordinates(at.x(), at.y());
  }
}

void TImageForm1::Release(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::RightButton && rightDrag_) {
    rightDrag_ = false;
    if (zoomSquare.Empty()) zoomSquare = previousZoomSquare;
    canvas_->update();
    return;
  }
  if (e->button() == Qt::LeftButton && tracking_) {
    cursorWindow_->MoveTo(this, at.x(), at.y());
    tracking_ = false;
    canvas_->setCursor(Qt::ArrowCursor);
    RecordCrsr(at.x(), at.y());
    // While measuring the click belongs to the star measurement.
    if (measuring) {
      if (host_.measureClick) host_.measureClick(*this, at.x(), at.y());
    } else {
      crossShown_ = true;
      ShowCursorCoordinates(at.x(), at.y());
    }
    canvas_->update();
    return;
  }
  if (e->button() == Qt::RightButton && (!zoomMode || zoomed)) context_->popup(canvas_->mapToGlobal(at + QPoint(10, 20)));
}

void TImageForm1::DoubleClick(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !zoomMode) return;
  if (!zoomed) {
    if (zoomSquare.Empty()) return;
    zoomed = true;
    heightBeforeZoom_ = sizing_.clientHeight;
    sizing_.clientHeight = sizing_.clientWidth;
    ApplySize();
  } else {
    LeaveZoomedView();
  }
}

void TImageForm1::ZoomImage() {
  if (host_.zoomHintPending != nullptr && *host_.zoomHintPending && host_.options != nullptr &&
      !host_.options->expertMode && host_.ui != nullptr) {
    *host_.zoomHintPending = false;
    if (platform::Tell(*host_.ui, kZoomHint, "Zoom Image", platform::Icon::Information,
                       platform::Buttons::OkCancel) != platform::Answer::Ok)
      return;
  }
  zoomMode = true;
  canvas_->update();
}

void TImageForm1::ClearZoom() {
  zoomMode = false;
  rightDrag_ = false;
  if (zoomed) LeaveZoomedView();
  zoomSquare = ScreenRect{};
  canvas_->update();
}

void TImageForm1::SetZoomCommandsVisible(bool visible) {
  if (!visible) ClearZoom();
  for (const char* name : {"ZoomImage1", "ClearZoom1", "ZoomImage2", "ClearZoom2"}) {
    if (QAction* a = Action(name)) {
      a->setVisible(visible);
      a->setEnabled(visible);
    }
  }
}

void TImageForm1::AdjustImage() {
  if (host_.options == nullptr || Image() == nullptr) return;
  DisplaySettings& record = display_.settings;
  ImageAdjustModel model(record, ImageAdjustModel::Mode::Window, slot_, host_.options->displayDefaults,
                         host_.options->imageFileType);
  model.rewritePalette = [this] { RewritePalette(); };
  model.noteOptionsChanged = host_.noteOptionsChanged;
  ImageAdjustModel::Ending ending;
  do {
    const DisplaySettings before = record;
    if (runAdjustDialog) {
      ending = runAdjustDialog(model);
    } else {
      TImgAdjstDlg dialog(model, this);
      ending = dialog.Run();
    }
    if (ImageAdjustModel::NeedsRebuild(before, record)) {
      BuildDisplay(false);
      RewritePalette();
    }
    canvas_->update();
  } while (ending == ImageAdjustModel::Ending::Apply);
  if (host_.repaintBlink) host_.repaintBlink();
}

void TImageForm1::ResizeImage() {
  if (Image() == nullptr) return;
  TImgSizeDlg dialog(slot_, sizing_, this);
  if (auto width = dialog.Run()) {
    sizing_.ResizeTo(*width);
    if (zoomed) sizing_.clientHeight = sizing_.clientWidth;
    ApplySize();
    KeepOnScreen();
  }
}

void TImageForm1::KeepOnScreen() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = frameGeometry();
  // Moved left and up as far as needed; a window larger than the screen keeps its top left corner on it.
  const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
  const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
  if (x != frame.left() || y != frame.top()) move(x, y);
}

void TImageForm1::ShowHeaderWindow() {
  GraphicsFileObj* image = Image();
  if (image == nullptr || host_.ui == nullptr || host_.search == nullptr) return;
  headerWindow_ = MakeHeaderWindow(*image, CaptionPrefix(), *host_.ui, *host_.search);
  headerWindow_->Show();
}

void TImageForm1::ShowImageDataWindow() {
  GraphicsFileObj* image = Image();
  if (image == nullptr || host_.ui == nullptr || host_.search == nullptr) return;
  dataWindow_ = MakeImageDataWindow(*image, CaptionPrefix(), *host_.ui, *host_.search);
  dataWindow_->Show();
}

void TImageForm1::PrintImage() {
  QPrinter printer(QPrinter::HighResolution);
  bool go;
  if (printDialog) {
    go = printDialog(printer);
  } else {
    QPrintDialog dialog(&printer, this);
    go = dialog.exec() == QDialog::Accepted;
  }
  if (!go) return;
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  PrintAll(printer);
  QApplication::restoreOverrideCursor();
  setEnabled(true);
}

std::vector<PrintLine> TImageForm1::InfoLines() const {
  GraphicsFileObj* image = Image();
  if (image != nullptr && measurement.plate.Solved()) {
    SolvedPrintData d;
    d.centreRAHours = measurement.centre.fitRA;
    d.centreDecDeg = measurement.centre.fitDec;
    d.arcsecPerPixel = measurement.ArcsecPerPixel();
    d.targetLocated = measurement.targetLocated;
    d.targetRAHours = measurement.target.fitRA;
    d.targetDecDeg = measurement.target.fitDec;
    d.targetMag = measurement.target.catMag;
    d.targetMagError = measurement.target.magRes;
    return SolvedPrintInfo(platform::FromQt(windowTitle()), image->width, image->height, d);
  }
  std::optional<long double> ra, dec;
  if (const auto* fits = dynamic_cast<const FITSFileObj*>(image)) {
    ra = fits->Header().ra;
    dec = fits->Header().dec;
  }
  return ImagePrintInfo(platform::FromQt(windowTitle()), image != nullptr ? image->width : 0,
                        image != nullptr ? image->height : 0, ra, dec);
}

bool TImageForm1::PrintAll(QPrinter& printer) {
  const std::string user = host_.userName ? host_.userName() : std::string();
  printer.setDocName(ToQt(std::string(kApplicationTitle) + " - " + user));
  QPainter p;
  if (!p.begin(&printer)) return false;
  const QFont font = PrintFixedPitchFont("Courier", 10);
  p.setFont(font);
  const int lineHeight = QFontMetrics(font, &printer).height();
  const int margin = printer.pageLayout().orientation() == QPageLayout::Landscape ? 50 : 0;
  int row = PrintHeader(p, margin, lineHeight);
  row = PrintInfo(p, margin, lineHeight, row);
  PrintPicture(p, row + 5, lineHeight);
  p.end();
  return true;
}

int TImageForm1::PrintHeader(QPainter& p, int margin, int lineHeight) {
  const QString now = QDateTime::currentDateTime().toString("yyyy/MM/dd  hh:mm:ss");
  p.drawText(QRect(margin, 0, p.device()->width() - margin, lineHeight), Qt::AlignLeft | Qt::AlignTop, now);
  const QString user = ToQt(host_.userName ? host_.userName() : std::string());
  p.drawText(QRect(margin, 2 * lineHeight, p.device()->width() - margin, lineHeight), Qt::AlignLeft | Qt::AlignTop,
             user);
  return 2;
}

int TImageForm1::PrintInfo(QPainter& p, int margin, int lineHeight, int row) {
  for (const PrintLine& line : InfoLines()) {
    row += line.gap;
    p.drawText(QRect(margin + line.indent, row * lineHeight, p.device()->width() - margin - line.indent, lineHeight),
               Qt::AlignLeft | Qt::AlignTop, ToQt(line.text));
  }
  return row;
}

void TImageForm1::PrintPicture(QPainter& p, int row, int lineHeight) {
  const QImage picture = Picture();
  if (picture.isNull()) return;
  const int pageWidth = p.device()->width();
  const int pageHeight = p.device()->height();
  const int top = row * lineHeight;
  // Proportional to the screen resolution, fitted to the page.
  double scale = static_cast<double>(p.device()->logicalDpiX()) / kScreenDpi;
  if (picture.width() * scale > pageWidth - 4) scale = (pageWidth - 4.0) / picture.width();
  if (top + picture.height() * scale > pageHeight - 4) scale = std::max(0.01, (pageHeight - 4.0 - top) / picture.height());
  const QRect target((pageWidth - static_cast<int>(picture.width() * scale)) / 2, top,
                     static_cast<int>(picture.width() * scale), static_cast<int>(picture.height() * scale));
  p.drawImage(target, picture);
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(target.adjusted(-1, -1, 1, 1));
}

MeasureView TImageForm1::View() const {
  MeasureView v;
  v.image = Image();
  v.scale = sizing_.scale;
  v.mirrorLeftRight = display_.settings.mirrorLeftRight;
  v.mirrorUpDown = display_.settings.mirrorUpDown;
  v.clientWidth = sizing_.clientWidth;
  v.clientHeight = sizing_.clientHeight;
  v.readSkyForCentroid = host_.options == nullptr || host_.options->readSkyForCentroid;
  if (v.image != nullptr) v.saturationLevel = SaturationLevel(*v.image);
  if (host_.options != nullptr && host_.options->centroidMethod <= kCentroidPsfFit)
    v.centroid = static_cast<CentroidMethod>(host_.options->centroidMethod);
  return v;
}

void TImageForm1::ShowCursorCoordinates(int x, int y) {
  if (!measurement.plate.Solved() || sizing_.scale <= 0) return;
  const auto sky = measurement.SkyAt(x / sizing_.scale, y / sizing_.scale);
  if (!sky) return;
  cursorText_ = {"RA: " + FormatDMS((*sky)[0], 1, "h ", "m ", "s "),
                 "Dec: " + FormatDMS((*sky)[1], 0, "\xB0 ", "' ", "\" ")};
  cursorUpdates_ = false;
  canvas_->update();
  cursorUpdates_ = true;
}

void TImageForm1::BoxCommand(BoxKind kind) {
  if (host_.options == nullptr) return;
  BoxRecord& box = kind == BoxKind::Reference ? host_.options->refBox : host_.options->unknownBox;
  const std::optional<BoxRecord> chosen =
      runBoxDialog ? runBoxDialog(kind, box) : TBoxDlgForm1::Ask(kind, box, this);
  if (!chosen) return;
  box = *chosen;
  measurement.targetLocated = false;
  canvas_->update();
  if (host_.boxesChanged) host_.boxesChanged(*this);
}

void TImageForm1::ObservationParameters() {
  if (host_.mainObsParams) obsParams = host_.mainObsParams();
  ObsParams edited = obsParams;
  if (host_.editObservationParameters && host_.editObservationParameters(*this, edited)) obsParams = edited;
}

std::vector<std::string> TImageForm1::SolutionLines() const {
  GraphicsFileObj* image = Image();
  SolutionReportInput in;
  in.slot = slot_;
  if (image != nullptr) {
    in.fileName = image->displayName;
    in.imageWidth = image->width;
    in.imageHeight = image->height;
  }
  in.objectName = obsParams.objectName;
  in.observationTime = obsParams.observationTime;
  in.targetLocated = measurement.targetLocated;
  in.target = measurement.target;
  in.magnitude = measurement.magnitude;
  in.references = measurement.references;
  in.centre = measurement.centre;
  in.solutionType = measurement.SolvedType();
  in.pairCount = measurement.plate.PairCount();
  in.errors = measurement.plate.ErrorEstimates(measurement.SolvedType());
  in.targetCentringArcsec = measurement.TargetCentringArcsec();
  in.constants = measurement.Constants();
  in.plateWeighted = measurement.plate.Weighted();
  in.weightedStars = measurement.plate.WeightedCount();
  if (host_.reportCamera) in.camera = host_.reportCamera();
  in.catalogName = host_.catalogName;
  return SolutionReportLines(in);
}

void TImageForm1::SolutionReady() {
  actions_["SolutionResults1"]->setEnabled(true);
  // A new solution may replace the one recorded before.
  if (QAction* add = Action("AddToReportList1")) add->setEnabled(true);
  ShowSolutionReport();
}

void TImageForm1::ShowSolutionReport() {
  if (!measurement.plate.Solved() || host_.ui == nullptr || host_.search == nullptr) return;
  TextListContent content;
  content.caption = SolutionReportTitle(slot_);
  content.lines = SolutionLines();
  GraphicsFileObj* image = Image();
  std::string name = image != nullptr ? image->displayName : std::string();
  if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
  content.saveName = name + ".SLN";
  solutionWindow_ = std::make_unique<TImageTextWindow>(content, 4, *host_.ui, *host_.search);
  solutionWindow_->List().SetTextFile(content.saveName, host_.lastImageDir ? host_.lastImageDir() : std::string());
  solutionWindow_->Show();
}

void TImageForm1::CloseSolutionReport() {
  if (solutionWindow_ != nullptr) solutionWindow_->Window().close();
}

void TImageForm1::AddToReportList() {
  if (!measurement.plate.Solved()) return;
  if (host_.mainObsParams) obsParams = host_.mainObsParams();
  if (!host_.addToReport || !host_.addToReport(*this)) return;
  measurement.recorded = true;
  if (host_.options != nullptr && !host_.options->expertMode && host_.ui != nullptr)
    platform::Tell(*host_.ui, "Measured Position of " + obsParams.objectName + " Placed in Report List.",
                   "Measurement Recorded", platform::Icon::Information, platform::Buttons::Ok, true);
  if (QAction* add = Action("AddToReportList1")) add->setEnabled(false);
}

void TImageForm1::closeEvent(QCloseEvent* event) {
  if (!canClose) {
    if (host_.ui != nullptr) host_.ui->Beep();
    event->ignore();
    return;
  }
  cursorWindow_->hide();
  event->accept();
  if (host_.closed) host_.closed(*this);
}

}  // namespace skarvel::ui
