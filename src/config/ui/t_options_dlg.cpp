#include "config/ui/t_options_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/ui/t_catlg_opts_dlg.h"
#include "config/ui/t_file_opts_dlg.h"
#include "config/ui/t_record_list_form.h"
#include "config/ui/t_usr_parms_dlg.h"
#include "images/image_adjust.h"
#include "images/ui/t_box_dlg_form1.h"
#include "images/ui/t_img_adjst_dlg.h"
#include "platform/ui/line_edit.h"

namespace skarvel::ui {

namespace {

/// The check boxes of the dialog: object name, caption, hint, and the logic's member.
struct CheckBoxEntry {
  const char* name;
  const char* caption;
  const char* hint;
  bool SoftwareOptionsLogic::*value;
};

const CheckBoxEntry kChecks[] = {
    {"ExpertBox", "\"Expert\" Mode", "In \"Expert\" mode, warning and confirmation messages are omitted.",
     &SoftwareOptionsLogic::expertMode},
    {"AutoBox", "Auto-Verify Object ID", "Verify Obj ID from FITS header when Obs Parms Dlg is activated.",
     &SoftwareOptionsLogic::autoVerifyID},
    {"RdSkyBox", "Read Sky for Centroid", "", &SoftwareOptionsLogic::readSkyForCentroid},
    {"CGSCBox", "VORN Format GSC", "Guide Star Cat is in VORN format.", &SoftwareOptionsLogic::vornFormatGSC},
    {"GSCACTBox", "GSC on ACT System", "", &SoftwareOptionsLogic::gscOnACT},
    {"InvertBox", "Invert Reference Disp", "Display reference field black on white.",
     &SoftwareOptionsLogic::invertRefDisplay},
    {"FrmtBox", "Old Report Format", "Use old MPC format for IDs & reports.", &SoftwareOptionsLogic::oldReportFormat},
    {"BlnkSzBox", "Maximize Blink Dsply", "Use screen settings to set blink size.",
     &SoftwareOptionsLogic::maximizeBlink},
    {"MagDfltBox", "Default Ref Star Mags", "", &SoftwareOptionsLogic::defaultRefMags},
    {"RstrRefsBox", "Restore All Ref Stars", "", &SoftwareOptionsLogic::restoreAllRefs},
    {"WeightBox", "Weight Plate by Centring Errors",
     "Weight each reference star of the plate solution by its measured centring uncertainty.",
     &SoftwareOptionsLogic::weightPlate},
    {"AdminBox", "\"Administrator\"", "", &SoftwareOptionsLogic::administrator},
};

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromLatin1(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TOptionsDlg::TOptionsDlg(OptsObj* opts, platform::Platform& ui, SearchDialogState& search, QWidget* parent)
    : QDialog(parent), opts_(opts), ui_(ui), search_(search) {
  setObjectName("OptionsDlg");
  setWindowTitle("Software Options");
  if (opts_ == nullptr) return;
  logic_ = std::make_unique<SoftwareOptionsLogic>(opts_->Record());
  Build();
  Show();
}

TOptionsDlg::~TOptionsDlg() = default;

void TOptionsDlg::Build() {
  auto* checks = new QGroupBox(this);
  checks->setObjectName("SwitchesGrp");
  auto* checkLayout = new QVBoxLayout(checks);
  auto* special = new QGroupBox("\"Special\"", this);
  special->setObjectName("SpecialGrp");
  auto* specialLayout = new QVBoxLayout(special);
  for (const CheckBoxEntry& c : kChecks) {
    const bool admin = std::string(c.name) == "AdminBox";
    auto* box = new QCheckBox(QString::fromLatin1(c.caption), admin ? special : checks);
    box->setObjectName(QString::fromLatin1(c.name));
    if (*c.hint) box->setToolTip(QString::fromLatin1(c.hint));
    (admin ? specialLayout : checkLayout)->addWidget(box);
    boxes_[box->objectName()] = box;
    const auto member = c.value;
    if (admin) {
      // Checking it asks whether the person administers a multi-user installation.
      connect(box, &QCheckBox::clicked, this, [this, box](bool checked) {
        if (syncing_ || !checked) return;
        ReadBack();
        box->setChecked(logic_->AdministratorChecked(ui_));
      });
    } else {
      connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
        if (!syncing_) logic_.get()->*member = on;
      });
    }
  }

  format_ = MakeRadioGroup(this, "File Format", "FlTypeGrp", {"FITS", "ST-4", "Other SBIG"});
  time_ = MakeRadioGroup(this, "File Header Time is:", "TimeTypGrp",
                         {"Start of Exposure", "Midpoint of Exp.", "End of Exposure"});
  solution_ = MakeRadioGroup(this, "Astrometric Solution", "SolutionGrp",
                             {"Linear (6 Constants)", "Add  Cross-Term (8)", "Full Quadratic (12)"});
  centring_ = MakeRadioGroup(this, "Centring", "CentroidGrp", {"Box Centroid", "Windowed Centroid", "PSF Fit"});
  centring_.box->setToolTip(
      "How a star's position is measured: the thresholded centroid of the box, the iterative\n"
      "Gaussian-windowed centroid, or the least-squares fit of the star's image.");
  connect(format_.buttons, &QButtonGroup::idClicked, this, [this](int id) {
    ReadBack();
    logic_->ChooseFileFormat(id);
    Show();
  });

  auto* field = new QGroupBox("Star Field Defaults", this);
  field->setObjectName("FieldGrp");
  auto* fieldLayout = new QGridLayout(field);
  size_ = MakeEdit(field, "SizeEd", 10, "Field size in arc minutes.");
  mag_ = MakeEdit(field, "MagEd", 10, "Limiting magnitude for catalog stars.");
  fieldLayout->addWidget(new QLabel("Size (Arc Min)", field), 0, 0);
  fieldLayout->addWidget(size_, 0, 1);
  fieldLayout->addWidget(new QLabel("Mag Limit", field), 1, 0);
  fieldLayout->addWidget(mag_, 1, 1);

  auto* buttonColumn = new QVBoxLayout;
  const std::pair<const char*, const char*> buttons[] = {
      {"StarCatBtn", "S&tar Cat."}, {"FilesBtn", "&Files..."}, {"UserBtn", "&User..."}, {"CameraBtn", "Ca&mera..."},
      {"SiteBtn", "&Site..."},      {"BoxBtn", "\"&Box\""},    {"ImageBtn", "&Image"}};
  for (const auto& [name, caption] : buttons) {
    QPushButton* b = MakeButton(this, name, caption);
    buttons_[b->objectName()] = b;
    buttonColumn->addWidget(b);
  }
  buttonColumn->addStretch(1);
  QPushButton* ok = MakeButton(this, "OKBtn", "&OK");
  ok->setDefault(true);
  QPushButton* cancel = MakeButton(this, "CancelBtn", "&Cancel");
  buttons_["OKBtn"] = ok;
  buttons_["CancelBtn"] = cancel;
  buttonColumn->addWidget(ok);
  buttonColumn->addWidget(cancel);

  boxMenu_ = new QMenu(this);
  boxMenu_->setObjectName("BoxMenu");
  QAction* unknown = boxMenu_->addAction("Box Size for &Unknown...");
  unknown->setObjectName("UnknownBox1");
  QAction* refs = boxMenu_->addAction("Box Size for &References...");
  refs->setObjectName("RefBox1");
  connect(unknown, &QAction::triggered, this, [this] { OpenBox(true); });
  connect(refs, &QAction::triggered, this, [this] { OpenBox(false); });

  QPushButton* boxButton = buttons_["BoxBtn"];
  connect(boxButton, &QPushButton::clicked, this,
          [this, boxButton] { boxMenu_->popup(boxButton->mapToGlobal(QPoint(boxButton->width() + 10, 10))); });
  connect(buttons_["StarCatBtn"], &QPushButton::clicked, this, [this] { OpenCatalogOptions(); });
  connect(buttons_["FilesBtn"], &QPushButton::clicked, this, [this] { OpenFileOptions(); });
  connect(buttons_["UserBtn"], &QPushButton::clicked, this, [this] { OpenUser(); });
  connect(buttons_["CameraBtn"], &QPushButton::clicked, this, [this] { OpenCamera(); });
  connect(buttons_["SiteBtn"], &QPushButton::clicked, this, [this] { OpenSite(); });
  connect(buttons_["ImageBtn"], &QPushButton::clicked, this, [this] { OpenImageDefaults(); });
  connect(ok, &QPushButton::clicked, this, &TOptionsDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &TOptionsDlg::reject);

  auto* left = new QVBoxLayout;
  left->addWidget(checks);
  left->addWidget(special);
  left->addStretch(1);
  auto* middle = new QVBoxLayout;
  middle->addWidget(format_.box);
  middle->addWidget(time_.box);
  middle->addWidget(solution_.box);
  middle->addWidget(centring_.box);
  middle->addWidget(field);
  middle->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addLayout(middle);
  layout->addLayout(buttonColumn);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TOptionsDlg::Show() {
  syncing_ = true;
  for (const CheckBoxEntry& c : kChecks) boxes_[QString::fromLatin1(c.name)]->setChecked(logic_.get()->*(c.value));
  boxes_["AutoBox"]->setEnabled(logic_->autoVerifyEnabled);
  format_.Check(logic_->fileFormat);
  time_.Check(logic_->timeType);
  time_.box->setEnabled(logic_->timeGroupEnabled);
  solution_.Check(logic_->solutionType);
  centring_.Check(logic_->centroidMethod);
  size_->setText(platform::ToQt(logic_->fieldSize));
  mag_->setText(platform::ToQt(logic_->magLimit));
  buttons_["UserBtn"]->setEnabled(logic_->userEnabled);
  buttons_["CameraBtn"]->setEnabled(logic_->cameraEnabled);
  syncing_ = false;
}

void TOptionsDlg::ReadBack() {
  for (const CheckBoxEntry& c : kChecks) logic_.get()->*(c.value) = boxes_[QString::fromLatin1(c.name)]->isChecked();
  if (format_.Checked() >= 0) logic_->fileFormat = format_.Checked();
  logic_->timeType = time_.Checked();
  if (solution_.Checked() >= 0) logic_->solutionType = solution_.Checked();
  if (centring_.Checked() >= 0) logic_->centroidMethod = centring_.Checked();
  logic_->fieldSize = EditText(size_);
  logic_->magLimit = EditText(mag_);
}

int TOptionsDlg::exec() {
  if (!OptionsAssigned(ui_, opts_ != nullptr ? &opts_->Record() : nullptr)) return QDialog::Rejected;
  return QDialog::exec();
}

void TOptionsDlg::accept() {
  if (logic_ != nullptr) {
    ReadBack();
    logic_->Ok();
  }
  QDialog::accept();
}

void TOptionsDlg::reject() {
  if (logic_ != nullptr) logic_->Cancel();
  QDialog::reject();
}

void TOptionsDlg::OpenUser() {
  OptionsRecord& r = logic_->Record();
  TUsrParmsDlg dialog(r.userRecord, ui_, r.dataDir, this);
  if (dialog.exec() == QDialog::Accepted) logic_->Confirm(OptionsSubDialog::User);
}

void TOptionsDlg::OpenCamera() {
  OptionsRecord& r = logic_->Record();
  QtListWindowRunner lists(ui_, search_, this);
  TCamParmsDlg dialog(r.cameraRecord, nullptr, boxes_["FrmtBox"]->isChecked(), ui_,
                      {r.cameraFile, r.dataDir, r.programDir}, lists, this);
  if (dialog.exec() == QDialog::Accepted) logic_->Confirm(OptionsSubDialog::Camera);
}

void TOptionsDlg::OpenSite() {
  OptionsRecord& r = logic_->Record();
  QtListWindowRunner lists(ui_, search_, this);
  TSiteParmsDlg dialog(r.siteRecord, ui_, {r.stationsFile, r.dataDir, r.programDir}, r.obsCodesFile, lists, this);
  if (dialog.exec() == QDialog::Accepted) logic_->Confirm(OptionsSubDialog::Site);
}

void TOptionsDlg::OpenBox(bool unknown) {
  OptionsRecord& r = logic_->Record();
  BoxRecord& box = unknown ? r.unknownBox : r.refBox;
  if (const std::optional<BoxRecord> chosen =
          TBoxDlgForm1::Ask(unknown ? BoxKind::Unknown : BoxKind::Reference, box, this)) {
    box = *chosen;
    logic_->Confirm(unknown ? OptionsSubDialog::UnknownBox : OptionsSubDialog::RefBox);
  }
}

void TOptionsDlg::OpenImageDefaults() {
  OptionsRecord& r = logic_->Record();
  // The defaults mode works on DisplayDefaults itself; Cancel puts it back.
  ImageAdjustModel model(r.displayDefaults, ImageAdjustModel::Mode::Defaults, 0, r.displayDefaults,
                         static_cast<std::uint8_t>(logic_->fileFormat), true);
  TImgAdjstDlg dialog(model, this);
  if (dialog.Run() == ImageAdjustModel::Ending::Ok) logic_->Confirm(OptionsSubDialog::Display);
}

void TOptionsDlg::OpenCatalogOptions() {
  TCatlgOptsDlg dialog(&logic_->Record(), ui_, this);
  dialog.exec();
}

void TOptionsDlg::OpenFileOptions() {
  TFIleOptsDlg dialog(&logic_->Record(), ui_, this);
  dialog.exec();
}

}  // namespace skarvel::ui
