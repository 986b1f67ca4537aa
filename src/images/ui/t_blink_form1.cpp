#include "images/ui/t_blink_form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "images/star_measure.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

constexpr const char* kRegionHint =
    "Place the cursor on the upper left corner of the region you want to blink.  Hold the right button and drag "
    "diagonally down to size the region.";
constexpr int kDialogMargin = 8;  ///< the alignment dialog's distance from the screen's corner, pixels

QRect OutlineRect(const ScreenRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

QAction* FindAction(QWidget* w, const char* name) { return w->findChild<QAction*>(name); }

platform::Platform::ScreenSize ScreenOf(platform::Platform* ui) {
  constexpr int kAssumedWidth = 1280, kAssumedHeight = 1024;  ///< pixels, without a platform
  return ui != nullptr ? ui->Screen() : platform::Platform::ScreenSize{kAssumedWidth, kAssumedHeight};
}

/// The image's name in an image window's caption ("Image 1 - " + name).
std::string DisplayNameOf(const TImageForm1* w) {
  if (w == nullptr) return {};
  const std::string title = platform::FromQt(w->windowTitle());
  const std::string prefix = w->CaptionPrefix();
  return title.rfind(prefix, 0) == 0 ? title.substr(prefix.size()) : title;
}

}  // namespace

// ------------------------------------------------------------------ TBlinkOptions

TBlinkOptions::TBlinkOptions(const BlinkOptions& options, int last, platform::Platform& ui, QWidget* parent)
    : QDialog(parent), options_(options), last_(last), ui_(ui) {
  setObjectName("BlinkOptions");
  setWindowTitle("Blink Options");
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel("Specify Image Number for each frame.  Frames with no image do not appear.", this);
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* form = new QFormLayout;
  for (int k = 0; k < 4; ++k) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString("Frame%1").arg(k + 1));
    box->addItems({"1", "2", "3", "4", "None"});
    box->setCurrentIndex(options_.frames[static_cast<std::size_t>(k)]);
    connect(box, &QComboBox::activated, this, [this, k, box](int index) {
      if (!options_.Choose(k, index, last_)) {
        ui_.Beep();  // no such image: None
        box->setCurrentIndex(kBlinkNoImage);
      }
    });
    frames_[static_cast<std::size_t>(k)] = box;
    form->addRow(QString("Frame %1").arg(k + 1), box);
  }
  layout->addLayout(form);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("okButton");
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("cancelButton");
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TBlinkOptions::done(int result) {
  if (result == QDialog::Accepted && options_.DistinctImages() < 2) {
    // OK stays in the dialog, Cancel leaves it.
    if (platform::Tell(ui_, "Not Enough Images to Blink!\r\n\r\nSpecify at Least 2 Images.", "Need 2 Images",
                       platform::Icon::Exclamation, platform::Buttons::OkCancel) == platform::Answer::Ok)
      return;
    result = QDialog::Rejected;
  }
  QDialog::done(result);
}

std::optional<BlinkOptions> TBlinkOptions::Run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return options_;
}

// ------------------------------------------------------------------ TBlnkTmrDlg

TBlnkTmrDlg::TBlnkTmrDlg(int interval, QWidget* parent) : QDialog(parent) {
  setObjectName("BlnkTmrDlg");
  setWindowTitle("Set Blink Interval");
  QLayout* layout = nullptr;
  const ScrollValueParts parts = BuildScrollValueDialog(
      *this, {kBlinkMinInterval, kBlinkMaxInterval, kBlinkIntervalStep, interval, kBlinkDefaultInterval},
      "intervalBar", "intervalText", layout);
  static_cast<QVBoxLayout*>(layout)->insertWidget(0, new QLabel("Set Blink Milliseconds:", this));
  bar_ = parts.bar;
  readOut_ = parts.readOut;
}

std::optional<int> TBlnkTmrDlg::Run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return bar_->value();
}

// ------------------------------------------------------------------ TBlinkInitForm1

TBlinkInitForm1::TBlinkInitForm1(BlinkInitLogic*& logic, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), logic_(logic) {
  setObjectName("BlinkInitForm1");
  setWindowTitle(BlinkInitLogic::kCaption);
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  label_->setObjectName("messageLabel");
  label_->setWordWrap(true);
  label_->setMinimumWidth(300);
  layout->addWidget(label_);
  auto* row = new QHBoxLayout;
  continue_ = new QPushButton("C&ontinue...", this);
  continue_->setObjectName("continueButton");
  cancel_ = new QPushButton("&Cancel", this);
  cancel_->setObjectName("cancelButton");
  row->addWidget(continue_);
  row->addWidget(cancel_);
  layout->addLayout(row);
  connect(continue_, &QPushButton::clicked, this, [this] {
    if (logic_ != nullptr) logic_->Continue();
    Sync();
    if (changed) changed();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (logic_ != nullptr) logic_->Cancel();
    Sync();
    if (changed) changed();
  });
}

void TBlinkInitForm1::Sync() {
  if (logic_ == nullptr) return;
  setWindowTitle(ToQt(logic_->Caption()));
  label_->setText(ToQt(logic_->Message()));
  cancel_->setEnabled(logic_->CancelEnabled());
  adjustSize();
}

// ------------------------------------------------------------------ TBlinkForm1

TBlinkForm1::TBlinkForm1(ImageWindowHost host, BlinkHost blink, QWidget* parent)
    : TImageForm1(0, std::move(host), OwnMenus::Yes, parent), blink_(std::move(blink)) {
  setObjectName("BlinkForm1");
  setWindowTitle("Blinking Images");
  dialog_ = new TBlinkInitForm1(logic_, this);
  dialog_->changed = [this] { Canvas()->update(); };
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  BuildMenus();
}

TBlinkForm1::~TBlinkForm1() = default;

void TBlinkForm1::BuildMenus() {
  QMenu* adjust = menuBar()->addMenu("&Adjust");
  adjust->setObjectName("Adjust1");
  AddAction(adjust, "FieldAlignment1", "Field &Alignment...", [this] { FieldAlignment(); });
  AddAction(adjust, "BlinkOptions1", "Blink &Options...", [this] { Options(); });
  AddAction(adjust, "BlinkRate1", "Blink &Rate...", [this] { Rate(); });
  AddAction(adjust, "SetBlinkRegion1", "Set Blink &Region (Zoom)...", [this] { SetRegion(); });
  AddAction(adjust, "BlinkFullImage1", "Blink &Full Image (UnZoom)", [this] { FullImage(); });
  QMenu* display = adjust->addMenu("&Image Display");
  display->setObjectName("ImageDisplay1");
  for (int k = 0; k < kBlinkSlots; ++k) {
    const std::string name = "DisplayImage" + std::to_string(k + 1);
    QAction* a = AddAction(display, name.c_str(), QString("Image &%1...").arg(k + 1), [this, k] { ImageDisplay(k); });
    a->setCheckable(true);
  }
  adjust->addSeparator();
  AddAction(adjust, "Exit1", "&Exit", [this] { close(); });
  // "&Blink", "&Stop" and "Identify &Target" are commands of the menu bar itself.
  AddAction(menuBar(), "Blink1", "&Blink", [this] { Blink(); });
  AddAction(menuBar(), "Stop1", "&Stop", [this] { Stop(); })->setEnabled(false);
  AddAction(menuBar(), "IdentifyTarget1", "Identify &Target", [this] { IdentifyTarget(); });
}

void TBlinkForm1::EnableMenus(bool enabled) {
  for (const char* name : {"FieldAlignment1", "BlinkOptions1", "BlinkRate1", "SetBlinkRegion1", "BlinkFullImage1",
                           "Exit1", "Blink1", "IdentifyTarget1"})
    if (QAction* a = FindAction(this, name)) a->setEnabled(enabled);
  if (QMenu* display = findChild<QMenu*>("ImageDisplay1")) display->menuAction()->setEnabled(enabled);
  if (QAction* stop = FindAction(this, "Stop1")) stop->setEnabled(!enabled && Blinking());
  canClose = enabled;
}

TImageForm1* TBlinkForm1::Window(int slot) const {
  return blink_.imageWindow && slot >= 0 && slot <= last_ ? blink_.imageWindow(slot) : nullptr;
}

void TBlinkForm1::SetClient(int width, int height) {
  Canvas()->setFixedSize(width, height);
  if (layout() != nullptr) layout()->activate();
  resize(width, height + menuBar()->sizeHint().height());
  Canvas()->update();
}

void TBlinkForm1::StartBlink(int last) {
  last_ = std::clamp(last, 1, kBlinkSlots - 1);
  // 1. The image windows are hidden and their registration offsets cleared.
  for (int k = 0; k <= last_; ++k)
    if (TImageForm1* w = Window(k)) {
      w->hide();
      w->registrationX = w->registrationY = 0;
    }
  for (int k = 0; k < kBlinkSlots; ++k)
    if (QAction* a = FindAction(this, ("DisplayImage" + std::to_string(k + 1)).c_str())) {
      a->setEnabled(k <= last_);
      a->setVisible(k <= last_);
    }
  // 2. The size from the first image.
  const TImageForm1* first = Window(0);
  const QImage image = first != nullptr ? first->DisplayImage() : QImage();
  const platform::Platform::ScreenSize screen = ScreenOf(Host().ui);
  const bool maximize = Host().options != nullptr && Host().options->maximizeBlink;
  const int frame = menuBar()->sizeHint().height() + (frameGeometry().height() - geometry().height());
  size_ = FitBlinkWindow(image.width(), image.height(), maximize, screen.height, frame);
  SetClient(size_.clientWidth, size_.clientHeight);
  if (size_.centred)
    move((screen.width - width()) / 2, (screen.height - height()) / 2);
  else
    move(0, 0);
  // 3. The frames from the options (the defaults at every start).
  options_ = BlinkOptions::Defaults(last_);
  userOptions_.reset();
  frames_ = options_.FrameList();
  show();
  ShowFrame(0);
  // 4. Alignment, or the options when every image is aligned.
  Begin();
}

void TBlinkForm1::Begin() {
  BlinkInitSetup setup;
  setup.alignments = blink_.alignments;
  setup.firstStarAsked = blink_.firstStarAsked;
  setup.frames = frames_;
  setup.last = last_;
  setup.scale = size_.scale;
  setup.expertMode = Host().options != nullptr && Host().options->expertMode;
  setup.maximizeBlink = Host().options != nullptr && Host().options->maximizeBlink;
  setup.desktopHeight = Host().ui != nullptr ? Host().ui->Screen().height : 0;
  setup.ui = Host().ui;
  BlinkInitHooks h;
  h.centroid = [this](int slot, BlinkPoint at, bool unknown) { return CentroidAt(slot, at, unknown); };
  h.showImage = [this](int slot) {
    shown_ = slot;
    setWindowTitle(ToQt(BlinkCaption(slot, DisplayNameOf(Window(slot)))));
    Canvas()->update();
  };
  h.applyShifts = [this] { ApplyShifts(); };
  h.enableMenus = [this](bool on) { EnableMenus(on); };
  h.aligned = [this] {
    if (userOptions_) {
      options_ = *userOptions_;
      frames_ = options_.FrameList();
      userOptions_.reset();
    }
    ShowFrame(0);
  };
  h.openOptions = [this] { Options(); };
  h.setTarget = [this](int slot, BlinkPoint p) {
    if (TImageForm1* w = Window(slot)) {
      w->measurement.target.imageX = p.x;
      w->measurement.target.imageY = p.y;
      w->measurement.target.flux = 0;
      w->measurement.targetLocated = true;
    }
  };
  h.targetLocated = [this](int slot) { return Window(slot) != nullptr && Window(slot)->measurement.targetLocated; };
  h.clearTarget = [this](int slot) {
    if (TImageForm1* w = Window(slot)) w->measurement.targetLocated = false;
  };
  h.closeDialog = [this](bool closeWindow) {
    dialog_->hide();
    EnableMenus(true);
    if (closeWindow) close();
  };
  ownedLogic_ = std::make_unique<BlinkInitLogic>(std::move(setup), std::move(h));
  logic_ = ownedLogic_.get();
  if (logic_->Begin()) {
    dialog_->Sync();
    const platform::Platform::ScreenSize screen = ScreenOf(Host().ui);
    dialog_->show();
    dialog_->move(screen.width - dialog_->frameGeometry().width() - kDialogMargin,
                  screen.height - dialog_->frameGeometry().height() - kDialogMargin);
    dialog_->raise();
  }
  Canvas()->update();
}

void TBlinkForm1::ApplyShifts() {
  if (blink_.alignments == nullptr) return;
  for (int k = 0; k <= last_; ++k)
    if (TImageForm1* w = Window(k)) {
      const SlotAlignment& a = (*blink_.alignments)[static_cast<std::size_t>(k)];
      w->registrationX = a.aligned ? a.shift.x : 0;
      w->registrationY = a.aligned ? a.shift.y : 0;
    }
}

std::optional<BlinkPoint> TBlinkForm1::CentroidAt(int slot, BlinkPoint at, bool unknownBox) {
  TImageForm1* w = Window(slot);
  if (w == nullptr || Host().options == nullptr) return std::nullopt;
  MeasureView view = w->View();
  view.scale = size_.scale;
  view.clientWidth = size_.clientWidth;
  view.clientHeight = size_.clientHeight;
  const BoxRecord& box = unknownBox ? Host().options->unknownBox : Host().options->refBox;
  const auto c = Centroid(view, box, at.x, at.y, true);
  if (!c) return std::nullopt;
  return BlinkPoint{c->x, c->y};
}

void TBlinkForm1::ShowFrame(int frame) {
  if (frames_.empty()) return;
  current_ = std::clamp(frame, 0, static_cast<int>(frames_.size()) - 1);
  shown_ = frames_[static_cast<std::size_t>(current_)];
  setWindowTitle(ToQt(BlinkCaption(shown_, DisplayNameOf(Window(shown_)))));
  Canvas()->update();
}

void TBlinkForm1::Paint(QPainter& p) {
  const QRect client = Canvas()->rect();  // square while a region blinks
  p.fillRect(Canvas()->rect(), Qt::black);
  const TImageForm1* w = Window(shown_);
  const QImage image = w != nullptr ? w->DisplayImage() : QImage();
  long double factor = size_.scale;
  const QColor mark = w != nullptr ? w->MarkColour() : kMarkGreen;
  BlinkPoint shift;
  if (blink_.alignments != nullptr && w != nullptr) {
    const SlotAlignment& a = (*blink_.alignments)[static_cast<std::size_t>(shown_)];
    if (a.aligned) shift = a.shift;
  }
  if (!image.isNull()) {
    if (blinkZoomed && !region.Empty()) {
      const SourceRect s = BlinkSource(region, size_.scale, shift);
      p.drawImage(QRectF(client), image,
                  QRectF(static_cast<double>(s.left), static_cast<double>(s.top), static_cast<double>(s.right - s.left),
                         static_cast<double>(s.bottom - s.top)));
      factor = size_.clientWidth / (s.right - s.left);
    } else {
      p.drawImage(QRectF(client.translated(static_cast<int>(std::lround(static_cast<double>(shift.x))),
                                           static_cast<int>(std::lround(static_cast<double>(shift.y))))),
                  image);
    }
  }
  p.setPen(factor >= 1 ? mark : kGrey);
  p.drawText(2, 2 + p.fontMetrics().ascent(), ToQt(MagnificationText(factor)));
  if (regionMode && !blinkZoomed && !region.Empty()) {
    p.setPen(QPen(mark, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(OutlineRect(region));
    p.drawText(region.left, region.top - 3,
               ToQt(MagnificationText(ZoomFactor(region, size_.clientWidth, size_.scale))));
  }
  if (w != nullptr && !blinkZoomed)
    DrawTracks(p, w->tracks, static_cast<double>(size_.scale),
               QPointF(static_cast<double>(std::lround(static_cast<double>(shift.x))),
                       static_cast<double>(std::lround(static_cast<double>(shift.y)))));
  if (logic_ != nullptr && logic_->Step() != kBlinkFinished && logic_->Marker() && !blinkZoomed) {
    ImageMarker m;
    m.colour = kCurrentReference;
    m.withSkyBorder = false;
    const BlinkPoint at = *logic_->Marker();
    DrawMarker(p, m, static_cast<int>(std::lround(static_cast<double>(at.y))),
               static_cast<int>(std::lround(static_cast<double>(at.x))));
  }
  if (cross_) {
    p.setPen(QPen(kCross, 1));
    p.drawLine(cross_->x() - kCrossHalf, cross_->y(), cross_->x() + kCrossHalf, cross_->y());
    p.drawLine(cross_->x(), cross_->y() - kCrossHalf, cross_->x(), cross_->y() + kCrossHalf);
  }
}

void TBlinkForm1::Press(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::RightButton && regionMode && !blinkZoomed) {
    previousRegion_ = region;
    region = ScreenRect{at.x(), at.y(), at.x(), at.y()};
    dragging_ = true;
    Canvas()->update();
    return;
  }
  // A left click tracks only while an alignment step wants one.
  if (e->button() == Qt::LeftButton && logic_ != nullptr && logic_->Step() != kBlinkFinished) {
    tracking_ = true;
    Canvas()->setCursor(Qt::CrossCursor);
    cross_.reset();
  }
}

void TBlinkForm1::Move(QMouseEvent* e) {
  if (!dragging_) return;
  const QPoint at = e->position().toPoint();
  if (auto square = ZoomSquare(region.left, region.top, at.x(), at.y())) {
    region = *square;
  } else if (Host().ui != nullptr) {
    Host().ui->Beep();
  }
  Canvas()->update();
}

void TBlinkForm1::Release(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::RightButton && dragging_) {
    dragging_ = false;
    if (region.Empty()) region = previousRegion_;
    Canvas()->update();
    return;
  }
  if (e->button() == Qt::LeftButton && tracking_) {
    tracking_ = false;
    Canvas()->setCursor(Qt::ArrowCursor);
    const bool initialising = logic_ != nullptr && logic_->Step() != kBlinkFinished;
    if (initialising) {
      BlinkPoint click{static_cast<long double>(at.x()), static_cast<long double>(at.y())};
      if (blinkZoomed && !region.Empty()) {
        const long double f = size_.clientWidth / static_cast<long double>(region.right - region.left);
        click = {at.x() / f + region.left, at.y() / f + region.top};
      }
      logic_->Clicked(click);
      dialog_->raise();
    } else {
      cross_ = at;
    }
    Canvas()->update();
    return;
  }
  if (e->button() == Qt::RightButton) {
    QMenu menu(this);
    for (const char* name : {"BlinkOptions1", "BlinkRate1", "SetBlinkRegion1", "BlinkFullImage1"})
      if (QAction* a = FindAction(this, name)) menu.addAction(a);
    menu.popup(Canvas()->mapToGlobal(at + QPoint(10, 20)));
  }
}

void TBlinkForm1::FieldAlignment() {
  if (blink_.alignments != nullptr)
    for (int k = 0; k < kBlinkSlots; ++k) ResetSlotAlignment(*blink_.alignments, k);
  userOptions_ = options_;
  options_ = BlinkOptions::Defaults(last_);
  frames_ = options_.FrameList();
  ShowFrame(0);
  Begin();
}

void TBlinkForm1::Options() {
  ++optionsShown;
  std::optional<BlinkOptions> chosen;
  if (runOptions) {
    chosen = runOptions(options_, last_);
  } else if (Host().ui != nullptr) {
    TBlinkOptions dialog(options_, last_, *Host().ui, this);
    chosen = dialog.Run();
  }
  if (!chosen || chosen->DistinctImages() < 2) return;
  options_ = *chosen;
  frames_ = options_.FrameList();
  ShowFrame(0);
}

void TBlinkForm1::Rate() {
  std::optional<int> chosen;
  if (runRate) {
    chosen = runRate(interval_);
  } else {
    TBlnkTmrDlg dialog(interval_, this);
    chosen = dialog.Run();
  }
  if (chosen) interval_ = std::clamp(*chosen, kBlinkMinInterval, kBlinkMaxInterval);
}

void TBlinkForm1::SetRegion() {
  if (blink_.blinkHintPending != nullptr && *blink_.blinkHintPending && Host().options != nullptr &&
      !Host().options->expertMode && Host().ui != nullptr) {
    *blink_.blinkHintPending = false;
    if (platform::Tell(*Host().ui, kRegionHint, "Set Blink Region", platform::Icon::Information,
                       platform::Buttons::OkCancel) != platform::Answer::Ok)
      return;
  }
  regionMode = true;
  if (logic_ != nullptr) logic_->EndSteps();
  Canvas()->setCursor(Qt::SizeAllCursor);  // the drag cursor
  Canvas()->update();
}

void TBlinkForm1::FullImage() {
  regionMode = false;
  blinkZoomed = false;
  Canvas()->setCursor(Qt::ArrowCursor);
  ShowFrame(current_);
}

void TBlinkForm1::ImageDisplay(int slot) {
  TImageForm1* w = Window(slot);
  if (w == nullptr) return;
  for (int k = 0; k < kBlinkSlots; ++k)
    if (QAction* a = FindAction(this, ("DisplayImage" + std::to_string(k + 1)).c_str())) a->setChecked(k == slot);
  w->show();
  w->AdjustImage();
  w->hide();
  Canvas()->update();
}

void TBlinkForm1::Blink() {
  if (frames_.size() < 2) return;
  dialog_->hide();
  EnableMenus(false);
  timer_.setInterval(interval_);
  blinkZoomed = regionMode && !region.Empty();
  heightBeforeBlink_ = size_.clientHeight;
  if (blinkZoomed && size_.clientHeight != size_.clientWidth) SetClient(size_.clientWidth, size_.clientWidth);
  ShowFrame(0);
  timer_.start();
  if (QAction* stop = FindAction(this, "Stop1")) stop->setEnabled(true);
  if (blink_.timerChanged) blink_.timerChanged();
}

void TBlinkForm1::Stop() {
  timer_.stop();
  blinkZoomed = false;
  if (heightBeforeBlink_ > 0) SetClient(size_.clientWidth, heightBeforeBlink_);
  EnableMenus(true);
  Canvas()->update();
  if (blink_.timerChanged) blink_.timerChanged();
}

void TBlinkForm1::IdentifyTarget() {
  if (logic_ == nullptr) return;
  logic_->IdentifyTarget();
  dialog_->Sync();
  dialog_->show();
  dialog_->raise();
  Canvas()->update();
}

void TBlinkForm1::closeEvent(QCloseEvent* event) {
  if (!canClose) {
    if (Host().ui != nullptr) Host().ui->Beep();
    event->ignore();
    return;
  }
  timer_.stop();
  dialog_->hide();
  event->accept();
  if (blink_.closed) blink_.closed();
}

}  // namespace skarvel::ui
