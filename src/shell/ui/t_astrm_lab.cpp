#include "shell/ui/t_astrm_lab.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "foundations/date_time.h"
#include "platform/ui/qt_platform.h"
#include "shell/ui/record_dialog_views.h"
#include "shell/ui/report_views.h"
#include "shell/ui/screen_pictures.h"
#include "images/ui/t_calibration_dlg.h"
#include "images/ui/t_blink_form1.h"
#include "images/ui/t_image_form1.h"
#include "shell/ui/t_help_lst_dlg.h"
#include "shell/ui/t_help_win.h"
#include "shell/ui/t_image_file_type_dlg.h"
#include "shell/ui/t_image_select_dlg.h"
#include "shell/ui/motion_windows.h"
#include "shell/ui/orbit_windows.h"
#include "shell/ui/t_measurement.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "astrometry/ui/t_moving_form1.h"
#include "astrometry/ui/t_track_series_form.h"
#include "astrometry/auto_match.h"
#include "catalogs/field_parameters.h"
#include "foundations/file_system.h"
#include "images/fits_file.h"
#include "orbits/orbit_files.h"
#include "catalogs/ui/t_gsc_cnvrt_form1.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);

QFont ScreenFont() {
  QFont font("DejaVu Sans", 10);
  font.setBold(true);
  return font;
}

// Draws the work screen again whenever another window of the program closes.
// A window system without a window manager or compositor (a bare X server)
// may not tell the main window that the part a dialog covered is to be drawn
// again, which left the work screen blank after dialogs; this does not wait
// for it.
class RepaintAfterWindowsClose : public QObject {
 public:
  explicit RepaintAfterWindowsClose(QWidget* screen) : QObject(screen), screen_(screen) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      if (w->isWindow() && w != screen_->window()) screen_->update();
    }
    return false;
  }

 private:
  QWidget* screen_;
};

}  // namespace

TClientArea::TClientArea(AstrmLab& lab, TAstrmLab& window) : QWidget(&window), lab_(lab), window_(window) {
  setObjectName("clientArea");
  setFixedSize(AstrmLab::kClientWidth, AstrmLab::kClientHeight);
  setAutoFillBackground(false);
  logo_ = LogoPicture(ToQt(lab_.Options().programDir + lab_.Options().logoFile));
}

void TClientArea::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kNavy);
  switch (lab_.ScreenMode()) {
    case AstrmLab::kLogoScreen:
      p.drawImage(0, 0, logo_);
      break;
    case AstrmLab::kTitleScreen:
      if (!titleRead_) {
        title_ = TitlePicture(ToQt(lab_.Options().programDir + lab_.Options().titleFile));
        titleRead_ = true;
      }
      p.drawImage(0, 0, title_);
      break;
    default: {
      title_ = QImage();  // the work screen releases the picture
      titleRead_ = false;
      const QFont font = ScreenFont();
      p.setFont(font);
      p.setPen(kYellow);
      const QFontMetrics metrics(font);
      const auto lines = lab_.WorkScreenLines(
          width(), [&](const std::string& s) { return metrics.horizontalAdvance(ToQt(s)); }, metrics.height());
      for (const auto& line : lines) {
        p.setPen(line.white ? QColor(Qt::white) : kYellow);
        p.drawText(line.x, line.y + metrics.ascent(), platform::DisplayText(line.text));
      }
      break;
    }
  }
}

void TClientArea::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) window_.ShowPopup(event->position().toPoint());
  QWidget::mouseReleaseEvent(event);
}

TAstrmLab::TAstrmLab(AstrmLab& lab, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      lab_(lab),
      client_(new TClientArea(lab, *this)) {
  setObjectName("AstrmLab");
  setWindowTitle(AstrmLab::kCaption);
  setCentralWidget(client_);
  qApp->installEventFilter(new RepaintAfterWindowsClose(client_));
  for (const MenuItem& top : lab_.Menus().Bar()) {
    QMenu* menu = menuBar()->addMenu(ToQt(top.caption));
    menu->setObjectName(ToQt(top.name));
    menus_[ToQt(top.name)] = menu;
    actions_[ToQt(top.name)] = menu->menuAction();
    const std::string name = top.name;
    connect(menu, &QMenu::aboutToShow, this, [this, name] {
      lab_.MenuOpened(name);
      SyncMenus();
    });
    AddItems(menu, top);
  }
  popup_ = new QMenu(this);
  popup_->setObjectName(ToQt(lab_.Menus().Popup().name));
  AddItems(popup_, lab_.Menus().Popup());

  crossHair_ = CrossHairCursor(ToQt(lab_.Options().programDir + "XPXHAIR.CUR"));
  AstrmLabViews views;
  views.repaint = [this] { client_->update(); };
  views.about = [this] { ShowAbout(); };
  views.closeWindow = [this] { close(); };
  views.imageFileType = [this](ImageTypeSelection present) { return TImageFileTypeDlg::Ask(present, this); };
  views.options = [this](OptsObj& opts) { return OptionsDialog(opts); };
  views.convertGSCDialog = [this](GSCConvertSettings& settings) {
    return TGSCCnvrtForm1::Run(settings, lab_.Ui(), lab_.Options().dataDir, this);
  };
  views.catalogSettingsChanged = [this] {
    if (regions_ != nullptr) regions_->MarkNotLoaded();
    if (field_ != nullptr) field_->SetVolumePaths("", "");
  };
  SetImageWindowViews(views);
  SetBlinkViews(views);
  SetMeasurementViews(views);
  InstallRecordDialogs(views, lab_, this);
  reportViews_ = std::make_unique<ReportViews>(lab_, search_, this);
  reportViews_->Install(views);
  lab_.SetViews(views);
  SyncMenus();
  // The orbit windows, whose site confirmation is the site dialog installed above.
  orbitWindows_ = std::make_unique<OrbitWindows>(lab_, this, search_);
  orbitWindows_->afterCommand = [this] {
    SyncMenus();
    ShowStatusLine();
    client_->update();
  };
  orbitWindows_->Install(views);
  lab_.Orbits().SetViews(views.orbits);
  motionWindows_ = std::make_unique<MotionWindows>(lab_, this, search_);
  motionWindows_->Install();
  lab_.Orbits().Views().showChart = [this](const ChartContent& content, const ChartFieldParameters& field) {
    ShowChart(content, field);
  };
  lab_.Orbits().Views().solvedCentre = [this](int slot) -> std::optional<ChartPosition> {
    const TImageForm1* form = slot >= 0 && slot < AstrmLab::kSlots ? ImageWindow(slot) : nullptr;
    if (form == nullptr || !form->measurement.plate.Solved()) return std::nullopt;
    return ChartPosition{form->measurement.centre.fitRA, form->measurement.centre.fitDec};
  };
  lab_.Orbits().Views().discardReferenceWindow = [this] {
    if (measurement_ == nullptr || !measurement_->Active()) referenceWindow_.reset();
  };
  MakeHelpWindows();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TAstrmLab::~TAstrmLab() = default;

void TAstrmLab::MakeHelpWindows() {
  helpListDlg_ = std::make_unique<THelpLstDlg>(lab_.Ui(), search_, this);
  helpWin_ = std::make_unique<THelpWin>(lab_.Help(), lab_.Ui(), this);
  helpWin_->SetPrintSettings([this] {
    HelpPrintSettings s;
    s.now = CurrentDateTimeValue();
    s.labTable = lab_.Options().labTable;
    s.login = lab_.Login();
    return s;
  });
  HelpViews views;
  views.showWindow = [this] { helpWin_->Present(); };
  views.hideWindow = [this] { helpWin_->hide(); };
  views.runTopicList = [this](HelpListDialogLogic& logic) { return helpListDlg_->Run(logic); };
  views.windowMetrics = helpWin_->Metrics();
  views.listMetrics = helpListDlg_->Metrics();
  lab_.Help().SetViews(std::move(views));
  lab_.Help().SetSearchState(&search_);
}

void TAstrmLab::SetImageWindowViews(AstrmLabViews& views) {
  views.imageLoaded = [this](int slot) {
    moving_.reset();  // its candidates belong to the images as they were
    auto& window = imageWindows_[static_cast<std::size_t>(slot)];
    if (window == nullptr) {
      ImageWindowHost host;
      host.ui = &lab_.Ui();
      host.options = &lab_.Options();
      host.image = [this, slot] { return lab_.Slots()[static_cast<std::size_t>(slot)].image.get(); };
      host.noteOptionsChanged = [this] {
        lab_.NoteOptionsChanged();
        SyncMenus();
      };
      host.search = &search_;
      host.zoomHintPending = &lab_.zoomHintPending;
      host.userName = [this] { return lab_.Options().userRecord.contactName; };
      host.closed = [this](TImageForm1& form) {
        lab_.LockSlot(form.Slot(), false);
        SyncMenus();
      };
      AddMeasurementHost(host);
      window = std::make_unique<TImageForm1>(slot, std::move(host));
    }
    return window->ShowImage(slot);
  };
  views.imagesCleared = [this] {
    moving_.reset();  // its tracks belong to the windows going now
    if (blink_ != nullptr) {  // the blink region goes with the images
      blink_->regionMode = blink_->blinkZoomed = false;
      blink_->region = ScreenRect{};
    }
    measurement_.reset();
    for (auto& window : imageWindows_) window.reset();
  };
  views.imageValid = [this](int slot) {
    const TImageForm1* w = ImageWindow(slot);
    return w != nullptr && w->HasValidImage();
  };
  views.imageWindowNormal = [this](int slot) {
    const TImageForm1* w = ImageWindow(slot);
    return w != nullptr && w->HasValidImage() && w->isVisible() &&
           (w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) == 0;
  };
  views.selectImages = [this](std::array<bool, 4> valid) { return TImageSelectDlg(valid, this).Run(); };
  views.slotMeasurement = [this](int slot) {
    const TImageForm1* w = ImageWindow(slot);
    if (w == nullptr || !w->HasValidImage()) return SlotMeasurement::kNotMeasured;
    if (w->measurement.recorded) return SlotMeasurement::kInReport;
    return w->measurement.plate.Solved() ? SlotMeasurement::kSolved : SlotMeasurement::kNotMeasured;
  };
  views.viewImage = [this](int slot, int m) {
    TImageForm1* w = ImageWindow(slot);
    if (w == nullptr) return;
    w->SetZoomCommandsVisible(true);
    if (w->isMinimized()) w->showNormal();
    w->move(20 * m, 20 * m);
    w->show();
    w->raise();
    w->activateWindow();
  };
}

void TAstrmLab::SetBlinkViews(AstrmLabViews& views) {
  views.blink = [this](int last) {
    if (blink_ == nullptr) {
      ImageWindowHost host;
      host.ui = &lab_.Ui();
      host.options = &lab_.Options();
      host.search = &search_;
      host.userName = [this] { return lab_.Options().userRecord.contactName; };
      BlinkHost b;
      b.imageWindow = [this](int slot) { return ImageWindow(slot); };
      b.alignments = &lab_.blinkAlignments;
      b.blinkHintPending = &lab_.blinkHintPending;
      b.firstStarAsked = &lab_.firstAlignmentStarAsked;
      b.timerChanged = [this] {
        for (int k = 0; k < AstrmLab::kSlots; ++k)
          if (ImageWindow(k) != nullptr) lab_.LockSlot(k, true);
        SyncMenus();
      };
      b.closed = [this] {
        lab_.BlinkClosed();
        SyncMenus();
      };
      blink_ = std::make_unique<TBlinkForm1>(std::move(host), std::move(b));
    }
    blink_->StartBlink(last);
  };
  lab_.blinkRunning = [this] { return blink_ != nullptr && blink_->Blinking(); };
  views.movingObjects = [this](int last) { ShowMovingObjects(last); };
  views.trackSeries = [this] { ShowTrackSeries(); };
  views.calibration = [this](CalibrationDialogHost host) { return TCalibrationDlg::Run(std::move(host), this); };
}

std::optional<KnownSearch> TAstrmLab::OptionsKnownSearch() {
  OrbitFiles files(OrbitFileContext{lab_.Ui(), lab_.Options(), {}});
  const MPCFileObj& mpc = files.OpenMpcObject();
  const std::string path = mpc.ConvertedName();
  if (!mpc.ConvertedValid() || path.empty() || !fs::FileExists(path)) return std::nullopt;
  KnownSearch k;
  k.orbitsPath = path;
  k.site = lab_.Options().siteRecord;
  return k;
}

void TAstrmLab::ShowMovingObjects(int last) {
  moving_.reset();
  MovingWindowHost host;
  host.ui = &lab_.Ui();
  host.imageWindows = [this, last] {
    std::vector<TImageForm1*> windows;
    for (int k = 0; k <= last; ++k)
      if (TImageForm1* w = ImageWindow(k)) windows.push_back(w);
    return windows;
  };
  host.frame = [this](int slot) {
    MovingFrameInput f;
    TImageForm1* w = ImageWindow(slot);
    f.view = w->View();
    // A date-time value counts days from 1899-12-30 0h, Julian date 2415018.5.
    const auto* fits = dynamic_cast<const FITSFileObj*>(lab_.Slots()[static_cast<std::size_t>(slot)].image.get());
    const double observed = fits != nullptr && fits->Header().observationTime != 0 ? fits->Header().observationTime
                                                                                   : w->obsParams.observationTime;
    f.jd = 2415018.5L + static_cast<long double>(observed);
    if (fits != nullptr) {
      f.centreRAHours = fits->Header().ra;
      f.centreDecDeg = fits->Header().dec;
    }
    return f;
  };
  host.fieldStars = [this, last]() -> StarList* {
    if (Field().Stars().LastIndex() >= 0) return &Field().Stars();
    // No field is loaded: the catalog around the first image's pointing, at its time.
    const auto* fits = dynamic_cast<const FITSFileObj*>(lab_.Slots()[0].image.get());
    if (fits == nullptr || last < 0) return nullptr;
    FieldRequest request = lab_.fieldRequest;
    ResetFieldParameters(request, lab_.Options());
    request.params.centreRA = fits->Header().ra;
    request.params.centreDec = fits->Header().dec;
    DeriveSearchWindow(request.params);
    bool loaded = false;
    {
      platform::BusyCursor busy(lab_.Ui());
      loaded = LoadField(request, 2415018.5L + static_cast<long double>(fits->Header().observationTime));
    }
    return loaded && Field().Stars().LastIndex() >= 0 ? &Field().Stars() : nullptr;
  };
  host.knownSearch = [this] { return OptionsKnownSearch(); };
  if (lab_.Report() != nullptr) host.arcsecPerPixel = CameraArcsecPerPixel(lab_.Report()->camera);
  host.unknownBox = lab_.Options().unknownBox;
  host.headerObject = [this](int slot) {
    const auto* fits = dynamic_cast<const FITSFileObj*>(lab_.Slots()[static_cast<std::size_t>(slot)].image.get());
    return fits != nullptr ? fits->Header().object : std::string();
  };
  host.repaint = [this, last] {
    for (int k = 0; k <= last; ++k)
      if (TImageForm1* w = ImageWindow(k)) w->Canvas()->update();
    if (blink_ != nullptr) blink_->Canvas()->update();
  };
  moving_ = std::make_unique<TMovingForm1>(std::move(host), this);
  moving_->show();
  moving_->Search();
}

QCursor CrossHairCursor(const QString& path) {
  QImage image;
  if (image.load(path) && !image.isNull())
    return QCursor(QPixmap::fromImage(image), image.width() / 2, image.height() / 2);
  return QCursor(Qt::CrossCursor);
}

void TAstrmLab::AddItems(QMenu* menu, const MenuItem& item) {
  for (const MenuItem& child : item.children) {
    const QString name = ToQt(child.name);
    if (child.separator) {
      actions_[name] = menu->addSeparator();
      continue;
    }
    if (child.IsSubmenu()) {
      QMenu* sub = menu->addMenu(ToQt(child.caption));
      sub->setObjectName(name);
      menus_[name] = sub;
      actions_[name] = sub->menuAction();
      const std::string subName = child.name;
      connect(sub, &QMenu::aboutToShow, this, [this, subName] {
        lab_.MenuOpened(subName);
        SyncMenus();
      });
      AddItems(sub, child);
      continue;
    }
    QAction* action = menu->addAction(ToQt(child.caption));
    action->setObjectName(name);
    if (!child.hint.empty()) {
      action->setToolTip(ToQt(child.hint));
      action->setStatusTip(ToQt(child.hint));
    }
    actions_[name] = action;
    connect(action, &QAction::triggered, this, [this, name] { RunCommand(name); });
  }
}

void TAstrmLab::SyncMenus() {
  lab_.Menus().ForEach([this](const MenuItem& item) {
    QAction* action = actions_.value(ToQt(item.name), nullptr);
    if (action == nullptr) return;
    action->setVisible(item.visible);
    action->setEnabled(item.separator || item.IsSubmenu() ? item.enabled : lab_.Available(item.name));
    // A submenu shows its check mark too ("Orbital &Elements" once elements are current).
    if (!item.separator) {
      action->setCheckable(item.checked);
      action->setChecked(item.checked);
    }
  });
}

void TAstrmLab::RunCommand(const QString& name) {
  lab_.Run(platform::FromQt(name));
  SyncMenus();
  ShowStatusLine();
  client_->update();
}

void TAstrmLab::ShowStatusLine() {
  const std::string& line = lab_.Orbits().StatusLine();
  if (line.empty()) return;
  statusBar()->setObjectName("statusLine");
  statusBar()->setSizeGripEnabled(false);
  statusBar()->showMessage(ToQt(line));
  statusBar()->show();
}

void TAstrmLab::ShowPopup(const QPoint& clientPos) {
  SyncMenus();
  popup_->popup(client_->mapToGlobal(clientPos + QPoint(10, 20)));
}

void TAstrmLab::ShowAbout() {
  const auto about = AstrmLab::About();
  QDialog box(this);
  box.setObjectName("AboutBox");
  box.setWindowTitle(ToQt(about.caption));
  auto* layout = new QVBoxLayout(&box);
  auto* picture = new QLabel(&box);
  picture->setPixmap(QPixmap::fromImage(LogoPicture(ToQt(lab_.Options().programDir + lab_.Options().logoFile))));
  layout->addWidget(picture, 0, Qt::AlignCenter);
  auto* exercise = new QLabel(ToQt(about.exercise), &box);
  exercise->setObjectName("exerciseLine");
  QFont big = exercise->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  exercise->setFont(big);
  layout->addWidget(exercise, 0, Qt::AlignCenter);
  auto* version = new QLabel(ToQt(about.version), &box);
  version->setObjectName("versionLine");
  layout->addWidget(version, 0, Qt::AlignCenter);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(buttons);
  box.exec();
}

void TAstrmLab::closeEvent(QCloseEvent* event) {
  if (lab_.CloseQuery()) {
    reportViews_->Release();
    lab_.Close();
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace skarvel::ui
