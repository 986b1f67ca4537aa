#include "orbits/ui/t_ast_orb_fl_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/line_edit.h"

namespace skarvel::ui {

using platform::ToQt;

TAstOrbFlDlg::TAstOrbFlDlg(RecordFinder& finder, QWidget* parent) : QDialog(parent), finder_(finder) {
  setObjectName("AstOrbFlDlg");
  setWindowTitle(ToQt(std::string(kRecordFinderCaption)));
  key_ = MakeEdit(this, "KeyEd", FindKeyLength(finder.mode), FindKeyHint(finder.mode).data());
  key_->setText(ToQt(finder.key));
  auto* group = new QGroupBox("Find By", this);
  group->setObjectName("FindOptGrp");
  byName_ = new QRadioButton("Name/Provisional Designation (or Partial)", group);
  byNumber_ = new QRadioButton("Number/Packed Provisional Designation", group);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(byName_);
  groupLayout->addWidget(byNumber_);
  (finder.mode == FindMode::kName ? byName_ : byNumber_)->setChecked(true);
  top_ = new QPushButton("Search from &Top", this);
  top_->setObjectName("TopBtn");
  next_ = new QPushButton("Continue &Search", this);
  next_->setObjectName("ContinueBtn");
  result_ = new QLabel(this);
  result_->setObjectName("ResultLbl");
  searching_ = new QLabel(ToQt(finder.Searching()), this);
  searching_->setObjectName("SearchingLbl");
  auto* buttons = new QDialogButtonBox(this);
  buttons->setObjectName("buttons");
  buttons->addButton(QDialogButtonBox::Ok)->setText("&OK");
  buttons->addButton(QDialogButtonBox::Cancel)->setText("&Cancel");
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Search Key:", this), 0, 0);
  grid->addWidget(key_, 0, 1);
  grid->addWidget(new QLabel("Search Result:", this), 1, 0);
  grid->addWidget(result_, 1, 1);
  grid->addWidget(new QLabel("Searching:", this), 2, 0);
  grid->addWidget(searching_, 2, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(top_);
  row->addWidget(next_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(group);
  layout->addLayout(row);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (QRadioButton* b : {byName_, byNumber_})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on) return;
      Store();
      key_->setMaxLength(FindKeyLength(finder_.mode));
      key_->setToolTip(ToQt(std::string(FindKeyHint(finder_.mode))));
    });
  connect(top_, &QPushButton::clicked, this, [this] {
    Store();
    finder_.SearchFromTop();
    Show();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    Store();
    finder_.ContinueSearch();
    Show();
  });
  Show();
}

void TAstOrbFlDlg::Store() {
  finder_.mode = byNumber_->isChecked() ? FindMode::kNumber : FindMode::kName;
  finder_.key = EditText(key_);
}

void TAstOrbFlDlg::Show() {
  result_->setText(ToQt(finder_.Result()));
}

void TAstOrbFlDlg::accept() {
  Store();
  // The session takes the record; a record without a state vector keeps the dialog open.
  CurrentElements probe;
  if (finder_.Matched() && !finder_.Ok(probe)) return;
  QDialog::accept();
}

}  // namespace skarvel::ui
