#include "astrometry/ui/t_edit_text_line_dlg.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "astrometry/info_list.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

TEditTextLineDlg::TEditTextLineDlg(const std::string& line, QWidget* parent)
    : QDialog(parent), ruler_(new QLabel(this)), field_(new QLineEdit(this)) {
  setObjectName("EditTextLineDlg");
  setWindowTitle("Edit Text Line");
  const std::size_t width = EditFieldWidth(line.size());
  const QFont font = FixedPitchFont("Courier New", 14);
  const auto ruler = ColumnRuler(width);
  ruler_->setObjectName("ruler");
  ruler_->setFont(font);
  ruler_->setText(platform::ToQt(ruler[0]) + "\n" + platform::ToQt(ruler[1]));
  ruler_->setTextFormat(Qt::PlainText);
  field_->setObjectName("lineText");
  field_->setFont(font);
  field_->setMaxLength(static_cast<int>(width));
  field_->setText(platform::ToQt(line));
  field_->setTextMargins(0, 0, 0, 0);
  const QFontMetrics metrics(font);
  field_->setMinimumWidth(metrics.horizontalAdvance(QString(static_cast<qsizetype>(width) + 2, 'M')) + 12);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ruler_);
  layout->addWidget(field_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  field_->setFocus();
}

std::string TEditTextLineDlg::Text() const { return platform::FromQt(field_->text()); }

std::optional<std::string> TEditTextLineDlg::Ask(const std::string& line, QWidget* parent) {
  TEditTextLineDlg dialog(line, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

}  // namespace skarvel::ui
