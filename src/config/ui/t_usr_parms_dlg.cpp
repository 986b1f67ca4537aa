#include "platform/ui/line_edit.h"
#include "config/ui/t_usr_parms_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skarvel::ui {

namespace {


/// Runs an operation of the logic; a failure that the logic does not handle
/// (a record file that fails while being rewritten) is shown with its own text.
template <typename Fn>
void Guarded(platform::Platform& ui, Fn fn) {
  try {
    fn();
  } catch (const std::exception& failure) {
    platform::Tell(ui, failure.what(), "Skarvel", platform::Icon::Error);
  }
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

QPushButton* MakeFileButton(QWidget* dialog, QMenu*& menu,
                            const std::vector<std::pair<const char*, const char*>>& items) {
  auto* button = new QPushButton("&File...", dialog);
  button->setObjectName("FileButton");
  button->setAutoDefault(false);
  menu = new QMenu(dialog);
  menu->setObjectName("FileMenu");
  for (const auto& [name, caption] : items) menu->addAction(caption)->setObjectName(name);
  QMenu* m = menu;
  QObject::connect(button, &QPushButton::clicked, dialog,
                   [button, m] { m->popup(button->mapToGlobal(QPoint(button->width() + 10, 10))); });
  return button;
}

// ---------------------------------------------------------------------------

TUsrParmsDlg::TUsrParmsDlg(UserRecord& record, platform::Platform& ui, const std::string& dataDir, QWidget* parent)
    : QDialog(parent), logic_(std::make_unique<UsrParmsLogic>(record, ui, dataDir)) {
  setObjectName("UsrParmsDlg");
  setWindowTitle("User Information");
  const char* labels[8] = {"Contact Name:", "Institution:", "Street:",      "City-State-Zip:",
                           "Country:",      "E-Mail:",      "Observer(s):", "Measurer(s):"};
  const char* names[8] = {"ContactName", "Institution", "Street",    "CityStateZip",
                          "Country",     "EMail",       "Observers", "Measurers"};
  const char* hints[8] = {nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          "Use full name except \"U.S.A.\" and \"U.K.\" (note periods).",
                          nullptr,
                          "List all observers, including Contact if applicable.",
                          "If different from Observers"};
  auto* form = new QFormLayout;
  for (int i = 0; i < 8; ++i) {
    edits_[i] = MakeEdit(this, names[i], i < 6 ? 40 : 255, hints[i]);
    form->addRow(labels[i], edits_[i]);
  }
  connect(edits_[4], &QLineEdit::textEdited, this, [this] {
    logic_->fields.country = EditText(edits_[4]);
    logic_->CountryEdited();
    if (platform::ToQt(logic_->fields.country) != edits_[4]->text()) edits_[4]->setText(platform::ToQt(logic_->fields.country));
  });
  auto* file = MakeFileButton(this, fileMenu_, {{"FindUser1", "&Find User..."}, {"SaveUser1", "&Save User Data"}});
  connect(fileMenu_->actions()[0], &QAction::triggered, this, [this, &ui] {
    Store();
    Guarded(ui, [this] { logic_->FindUser(); });
    Load();
  });
  connect(fileMenu_->actions()[1], &QAction::triggered, this, [this, &ui] {
    Store();
    Guarded(ui, [this] { logic_->SaveUser(); });
    Load();
  });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(file);
  bottom->addStretch();
  bottom->addWidget(OkCancel(this));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(bottom);
  Load();
}

TUsrParmsDlg::~TUsrParmsDlg() = default;

void TUsrParmsDlg::Load() {
  const UserRecord& f = logic_->fields;
  const std::string* texts[8] = {&f.contactName, &f.institution, &f.street,    &f.cityStateZip,
                                 &f.country,     &f.email,       &f.observers, &f.measurers};
  for (int i = 0; i < 8; ++i) edits_[i]->setText(platform::ToQt(*texts[i]));
}

void TUsrParmsDlg::Store() {
  UserRecord& f = logic_->fields;
  std::string* texts[8] = {&f.contactName, &f.institution, &f.street,    &f.cityStateZip,
                           &f.country,     &f.email,       &f.observers, &f.measurers};
  for (int i = 0; i < 8; ++i) *texts[i] = EditText(edits_[i]);
}

void TUsrParmsDlg::accept() {
  Store();
  logic_->Ok();
  QDialog::accept();
}

// ---------------------------------------------------------------------------

TCamParmsDlg::TCamParmsDlg(CameraRecord& record, const CameraRecord* current, bool oldReportFormat,
                           platform::Platform& ui, RecordFileSettings files, ListWindowRunner& lists, QWidget* parent)
    : QDialog(parent), logic_(std::make_unique<CamParmsLogic>(record, current, oldReportFormat, ui, std::move(files))) {
  setObjectName("CamParmsDlg");
  setWindowTitle("Camera Parameters");
  const char* names[8] = {"CameraName",  "PixelWidth", "PixelHeight", "ImageWidth",
                          "ImageHeight", "Aperture",   "FocalLength", "TimingError"};
  const char* hints[8] = {nullptr,
                          "Pixel Width in Microns (1.0E-6m)",
                          "Pixel Height in Microns (1.0E-6m)",
                          "Image Width in Pixels",
                          "Image Height in Pixels",
                          "Telescope Aperture diameter in mm.",
                          "Telescope Focal Length in mm.",
                          "Estimated Error in ObsTime - milliseconds."};
  for (int i = 0; i < 8; ++i) edits_[i] = MakeEdit(this, names[i], i == 0 ? 40 : 20, hints[i]);

  auto* values = new QGroupBox(" Values", this);
  auto* valuesLayout = new QHBoxLayout(values);
  default_ = new QRadioButton("&Default", values);
  current_ = new QRadioButton("C&urrent", values);
  default_->setObjectName("DefaultValues");
  current_->setObjectName("CurrentValues");
  current_->setEnabled(logic_->CurrentAvailable());
  valuesLayout->addWidget(default_);
  valuesLayout->addWidget(current_);
  connect(current_, &QRadioButton::toggled, this, [this](bool on) {
    if (loading_) return;
    logic_->SelectValues(on);
    Load();
  });

  auto* pixel = new QGroupBox("Pixel Size", this);
  auto* pixelForm = new QFormLayout(pixel);
  pixelForm->addRow("Width:", edits_[1]);
  pixelForm->addRow("Height:", edits_[2]);
  auto* image = new QGroupBox("Image Size (Pixels)", this);
  auto* imageForm = new QFormLayout(image);
  imageForm->addRow("Width:", edits_[3]);
  imageForm->addRow("Height:", edits_[4]);
  auto* scope = new QFormLayout;
  scope->addRow("Camera Name/ID", edits_[0]);
  scope->addRow("Aperture:", edits_[5]);
  scope->addRow("Focal Length:", edits_[6]);
  scope->addRow("Est. Timing Error:", edits_[7]);
  inverted_ = new QCheckBox(this);
  inverted_->setObjectName("Inverted");
  inverted_->setToolTip("Check if Image is Upside-Down.");
  scope->addRow("Image Inverted:", inverted_);
  connect(edits_[7], &QLineEdit::textEdited, this, [this] {
    logic_->fields.timingError = EditText(edits_[7]);
    logic_->TimingErrorEdited();
  });

  auto* filter = new QGroupBox("Filter", this);
  auto* filterLayout = new QGridLayout(filter);
  auto* filterGroup = new QButtonGroup(this);
  const char* filterCaptions[9] = {"&B", "&V", "&R", "&I", "&J", "&H", "&K", "&None", "Un&Kwn"};
  for (int i = 0; i < 9; ++i) {
    filters_[i] = new QRadioButton(filterCaptions[i], filter);
    filters_[i]->setObjectName(QString("Filter%1").arg(i));
    filterGroup->addButton(filters_[i], i);
    filterLayout->addWidget(filters_[i], i / 3, i % 3);
  }

  auto* file =
      MakeFileButton(this, fileMenu_, {{"FindCamera1", "&Find Camera..."}, {"SaveCamera1", "&Save Camera Data"}});
  connect(fileMenu_->actions()[0], &QAction::triggered, this, [this, &ui, &lists] {
    Store();
    Guarded(ui, [this, &lists] { logic_->FindCamera(lists); });
    Load();
  });
  connect(fileMenu_->actions()[1], &QAction::triggered, this, [this, &ui] {
    Store();
    Guarded(ui, [this] { logic_->SaveCamera(); });
    Load();
  });
  auto* top = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addLayout(scope);
  left->addWidget(pixel);
  left->addWidget(image);
  auto* right = new QVBoxLayout;
  right->addWidget(values);
  right->addWidget(filter);
  right->addStretch();
  top->addLayout(left);
  top->addLayout(right);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(file);
  bottom->addStretch();
  bottom->addWidget(OkCancel(this));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(bottom);
  Load();
}

TCamParmsDlg::~TCamParmsDlg() = default;

void TCamParmsDlg::Load() {
  loading_ = true;
  const CameraFields& f = logic_->fields;
  const std::string* texts[8] = {&f.name,        &f.pixelWidth, &f.pixelHeight, &f.imageWidth,
                                 &f.imageHeight, &f.aperture,   &f.focalLength, &f.timingError};
  for (int i = 0; i < 8; ++i) edits_[i]->setText(platform::ToQt(*texts[i]));
  inverted_->setChecked(f.inverted);
  filters_[f.filter <= 8 ? f.filter : 8]->setChecked(true);
  (logic_->ShowingCurrent() ? current_ : default_)->setChecked(true);
  loading_ = false;
}

void TCamParmsDlg::Store() {
  CameraFields& f = logic_->fields;
  std::string* texts[8] = {&f.name,        &f.pixelWidth, &f.pixelHeight, &f.imageWidth,
                           &f.imageHeight, &f.aperture,   &f.focalLength, &f.timingError};
  for (int i = 0; i < 8; ++i) *texts[i] = EditText(edits_[i]);
  f.inverted = inverted_->isChecked();
  for (std::uint8_t i = 0; i < 9; ++i)
    if (filters_[i]->isChecked()) f.filter = i;
}

void TCamParmsDlg::accept() {
  Store();
  if (logic_->Ok()) QDialog::accept();
}

// ---------------------------------------------------------------------------

TSiteParmsDlg::TSiteParmsDlg(SiteRecord& record, platform::Platform& ui, RecordFileSettings stations,
                             const std::string& obsCodesFile, ListWindowRunner& lists, QWidget* parent)
    : QDialog(parent), logic_(std::make_unique<SiteParmsLogic>(record, ui, std::move(stations), obsCodesFile)) {
  setObjectName("SiteParmsDlg");
  setWindowTitle("Observatory (Site) Information");
  edits_[0] = MakeEdit(this, "SiteName", 40);
  edits_[1] = MakeEdit(this, "Code", 4, "3 or 4-Digit Observatory Code (or \"999\")");
  edits_[2] = MakeEdit(this, "Telescope", 40);
  const char* angleNames[6] = {"LonDegrees", "LonMinutes", "LonSeconds", "LatDegrees", "LatMinutes", "LatSeconds"};
  for (int i = 0; i < 6; ++i) edits_[3 + i] = MakeEdit(this, angleNames[i], 10);
  edits_[9] = MakeEdit(this, "Altitude", 20, "Station altitude above sea level in meters.");
  edits_[10] = MakeEdit(this, "TimeZone", 20, "UT minus Local (Zone) Time in Hours");
  edits_[11] = MakeEdit(this, "TelescopeID", 1, "Numeric (1-9) Telescope Identifier for site.");
  connect(edits_[1], &QLineEdit::textEdited, this, [this] {
    logic_->fields.code = EditText(edits_[1]);
    logic_->CodeEdited();
  });

  auto* form = new QFormLayout;
  form->addRow("Observatory Name:", edits_[0]);
  form->addRow("Observatory Code:", edits_[1]);
  form->addRow("Telescope:", edits_[2]);
  form->addRow("Telescope ID:", edits_[11]);
  auto angleRow = [this](int first) {
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) row->addWidget(edits_[first + i]);
    return row;
  };
  auto* lonGroup = new QGroupBox("Longitude (deg min sec)", this);
  auto* lonLayout = new QVBoxLayout(lonGroup);
  lonLayout->addLayout(angleRow(3));
  auto* lonButtons = new QHBoxLayout;
  east_ = new QRadioButton("East", lonGroup);
  west_ = new QRadioButton("West", lonGroup);
  east_->setObjectName("East");
  west_->setObjectName("West");
  lonButtons->addWidget(east_);
  lonButtons->addWidget(west_);
  lonLayout->addLayout(lonButtons);
  auto* latGroup = new QGroupBox("Latitude (deg min sec)", this);
  auto* latLayout = new QVBoxLayout(latGroup);
  latLayout->addLayout(angleRow(6));
  auto* latButtons = new QHBoxLayout;
  north_ = new QRadioButton("North", latGroup);
  south_ = new QRadioButton("South", latGroup);
  north_->setObjectName("North");
  south_->setObjectName("South");
  latButtons->addWidget(north_);
  latButtons->addWidget(south_);
  latLayout->addLayout(latButtons);
  auto* other = new QFormLayout;
  other->addRow("Altitude:", edits_[9]);
  other->addRow("Time Zone:", edits_[10]);

  auto* file = MakeFileButton(
      this, fileMenu_,
      {{"FindSite1", "&Find Site..."}, {"FindScopeID1", "Find Scope &ID..."}, {"SaveSite1", "&Save Site Data"}});
  connect(fileMenu_->actions()[0], &QAction::triggered, this, [this, &ui, &lists] {
    Store();
    Guarded(ui, [this, &lists] { logic_->FindSite(lists); });
    Load();
  });
  connect(fileMenu_->actions()[1], &QAction::triggered, this, [this, &ui, &lists] {
    Store();
    Guarded(ui, [this, &lists] { logic_->FindScopeId(lists); });
    Load();
  });
  connect(fileMenu_->actions()[2], &QAction::triggered, this, [this, &ui] {
    Store();
    Guarded(ui, [this] { logic_->SaveSite(); });
    Load();
  });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(file);
  bottom->addStretch();
  bottom->addWidget(OkCancel(this));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(lonGroup);
  layout->addWidget(latGroup);
  layout->addLayout(other);
  layout->addLayout(bottom);
  Load();
}

TSiteParmsDlg::~TSiteParmsDlg() = default;

void TSiteParmsDlg::Load() {
  loading_ = true;
  const SiteFields& f = logic_->fields;
  const std::string* texts[12] = {&f.name,       &f.code,       &f.telescope,  &f.lonDegrees,
                                  &f.lonMinutes, &f.lonSeconds, &f.latDegrees, &f.latMinutes,
                                  &f.latSeconds, &f.altitude,   &f.timeZone,   &f.telescopeId};
  for (int i = 0; i < 12; ++i) edits_[i]->setText(platform::ToQt(*texts[i]));
  (f.west ? west_ : east_)->setChecked(true);
  (f.north ? north_ : south_)->setChecked(true);
  loading_ = false;
}

void TSiteParmsDlg::Store() {
  SiteFields& f = logic_->fields;
  std::string* texts[12] = {&f.name,       &f.code,       &f.telescope,  &f.lonDegrees, &f.lonMinutes, &f.lonSeconds,
                            &f.latDegrees, &f.latMinutes, &f.latSeconds, &f.altitude,   &f.timeZone,   &f.telescopeId};
  for (int i = 0; i < 12; ++i) *texts[i] = EditText(edits_[i]);
  f.west = west_->isChecked();
  f.north = north_->isChecked();
}

int TSiteParmsDlg::exec() {
  logic_->Opened();
  Load();
  return QDialog::exec();
}

void TSiteParmsDlg::accept() {
  Store();
  if (logic_->Ok()) QDialog::accept();
}

}  // namespace skarvel::ui
