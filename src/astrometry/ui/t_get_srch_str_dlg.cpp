#include "astrometry/ui/t_get_srch_str_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

namespace {
// Dialog results of the two search buttons (Rejected, 0, is Cancel).
constexpr int kFromTop = 1;
constexpr int kFromCursor = 2;
}  // namespace

TGetSrchStrDlg::TGetSrchStrDlg(QWidget* parent)
    : QDialog(parent),
      text_(new QLineEdit(this)),
      caseBox_(new QCheckBox("Case Dependent", this)),
      fromTop_(new QPushButton("From &Top", this)),
      fromCursor_(new QPushButton("&From Cursor", this)),
      cancel_(new QPushButton("&Cancel", this)) {
  setObjectName("GetSrchStrDlg");
  setWindowTitle("Find Help Topic");
  text_->setObjectName("searchText");
  text_->setMaxLength(static_cast<int>(kSearchTextMax));
  caseBox_->setObjectName("caseDependent");
  fromTop_->setObjectName("fromTop");
  fromCursor_->setObjectName("fromCursor");
  cancel_->setObjectName("cancel");

  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("Search String:", this);
  label->setBuddy(text_);
  layout->addWidget(label);
  layout->addWidget(text_);
  layout->addWidget(caseBox_);
  auto* group = new QGroupBox("Begin Search:", this);
  auto* buttons = new QHBoxLayout(group);
  buttons->addWidget(fromTop_);
  buttons->addWidget(fromCursor_);
  buttons->addWidget(cancel_);
  layout->addWidget(group);

  fromTop_->setDefault(true);
  connect(fromTop_, &QPushButton::clicked, this, [this] { done(kFromTop); });
  connect(fromCursor_, &QPushButton::clicked, this, [this] { done(kFromCursor); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

SearchStart TGetSrchStrDlg::Ask(const QString& caption, SearchDialogState& state) {
  setWindowTitle(caption);
  text_->setText(platform::ToQt(state.text));
  text_->selectAll();
  caseBox_->setChecked(state.caseDependent);
  fromTop_->setDefault(true);
  text_->setFocus();
  const int result = exec();
  if (result != kFromTop && result != kFromCursor) return SearchStart::Cancelled;
  state.text = platform::FromQt(text_->text());
  state.caseDependent = caseBox_->isChecked();
  if (state.text.empty()) return SearchStart::Cancelled;
  return result == kFromTop ? SearchStart::FromTop : SearchStart::FromCursor;
}

}  // namespace skarvel::ui
