#include "config/ui/t_catlg_opts_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace skarvel::ui {

TCatlgOptsDlg::TCatlgOptsDlg(OptionsRecord* record, platform::Platform& ui, QWidget* parent)
    : QDialog(parent), record_(record), ui_(ui) {
  setObjectName("CatlgOptsDlg");
  setWindowTitle("Set Star Catalog Options");
  if (record_ == nullptr) return;
  logic_ = std::make_unique<CatalogOptionsLogic>(*record_);
  primary_ = MakeRadioGroup(this, "Local Star Catalog", "PrimaryGrp", PrimaryCatalogCaptions());
  suppl_ = MakeRadioGroup(this, "Supplementary", "SupplGrp", SupplCatalogCaptions());
  location_ = MakeRadioGroup(this, "Catalog Location", "LocationGrp", CatalogLocationCaptions());
  web_ = MakeRadioGroup(this, "Web-Based Catalog", "WebGrp", WebCatalogCaptions());
  service_ = MakeRadioGroup(this, "On-line Service", "ServiceGrp", OnlineServiceCaptions());
  connect(service_.buttons, &QButtonGroup::idClicked, this, [this](int id) { logic_->service = id; });
  connect(location_.buttons, &QButtonGroup::idClicked, this, [this](int id) {
    logic_->ChooseLocation(id);
    Show();
  });
  connect(primary_.buttons, &QButtonGroup::idClicked, this, [this](int id) {
    logic_->ChoosePrimary(id);
    Show();
  });
  connect(suppl_.buttons, &QButtonGroup::idClicked, this, [this](int id) {
    logic_->ChooseSuppl(id, ui_);
    Show();
  });
  connect(web_.buttons, &QButtonGroup::idClicked, this, [this](int id) { logic_->web = id; });
  // The VizieR server of the on-line queries (a mirror when the main one cannot be reached).
  auto* serverBox = new QGroupBox("VizieR Server (Empty: Main Address)", this);
  serverBox->setObjectName("VizieRServerGrp");
  server_ = new QLineEdit(QString::fromStdString(logic_->vizierServer), serverBox);
  server_->setObjectName("VizieRServerEd");
  server_->setMaxLength(static_cast<int>(OptionsRecord::kVizieRServerText));
  server_->setPlaceholderText(kVizieRMainServer);
  server_->setToolTip("A VizieR mirror: a host name (vizier.cfa.harvard.edu) or scheme://host[:port]");
  serverInUse_ = new QLabel(serverBox);
  serverInUse_->setObjectName("ServerInUseLbl");
  // Wide enough for a mirror's host of the field's 25 characters, so that the
  // dialog keeps its width while the server is typed.
  serverInUse_->setMinimumWidth(serverInUse_->fontMetrics().horizontalAdvance(
      QString("Queries go to https://vizier.cfa.harvard.edu.xx") + kVizieRQueryPath));
  auto* serverLayout = new QVBoxLayout(serverBox);
  serverLayout->addWidget(server_);
  serverLayout->addWidget(serverInUse_);
  serverBox_ = serverBox;
  connect(server_, &QLineEdit::textChanged, this, [this](const QString& text) {
    logic_->vizierServer = text.toStdString();
    serverInUse_->setText(QString::fromStdString(logic_->ServerInUseText()));
  });

  QDialogButtonBox* buttons = MakeOkCancel(this);
  auto* grid = new QGridLayout;
  grid->addWidget(primary_.box, 0, 0);
  grid->addWidget(suppl_.box, 0, 1);
  grid->addWidget(location_.box, 1, 0);
  grid->addWidget(web_.box, 1, 1, 2, 1);
  grid->addWidget(service_.box, 2, 0);
  grid->addWidget(serverBox, 3, 0, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  Show();
}

TCatlgOptsDlg::~TCatlgOptsDlg() = default;

void TCatlgOptsDlg::Show() {
  location_.Check(logic_->location);
  primary_.Check(logic_->primary);
  suppl_.Check(logic_->suppl);
  web_.Check(logic_->web);
  service_.Check(logic_->service);
  primary_.box->setEnabled(logic_->localEnabled);
  suppl_.box->setEnabled(logic_->supplEnabled);
  web_.box->setEnabled(logic_->webEnabled);
  service_.box->setEnabled(logic_->webEnabled);
  serverBox_->setEnabled(logic_->webEnabled);
  serverInUse_->setText(QString::fromStdString(logic_->ServerInUseText()));
}

int TCatlgOptsDlg::exec() {
  if (!OptionsAssigned(ui_, record_)) return QDialog::Rejected;
  return QDialog::exec();
}

void TCatlgOptsDlg::accept() {
  if (logic_ != nullptr) logic_->Ok();
  QDialog::accept();
}

}  // namespace skarvel::ui
