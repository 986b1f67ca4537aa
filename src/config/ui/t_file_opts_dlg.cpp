#include "config/ui/t_file_opts_dlg.h"

#include "config/ui/radio_group.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/ui/line_edit.h"

namespace skarvel::ui {

namespace {

constexpr int kPathWidth = 300;  ///< edit field width on the path pages, pixels
constexpr int kUrlWidth = 560;   ///< edit field width on the "URLs" page, pixels

}  // namespace

TFIleOptsDlg::TFIleOptsDlg(OptionsRecord* record, platform::Platform& ui, QWidget* parent)
    : QDialog(parent), record_(record), ui_(ui) {
  setObjectName("FIleOptsDlg");
  setWindowTitle("File Name Options");
  if (record_ == nullptr) return;
  logic_ = std::make_unique<FileOptionsLogic>(*record_);
  const auto& fields = FileOptionFields();
  edits_.resize(fields.size(), nullptr);

  pages_ = new QTabWidget(this);
  pages_->setObjectName("FilePages");
  for (const std::string& pageName : FileOptionPages()) {
    auto* page = new QWidget(pages_);
    page->setObjectName(platform::ToQt(pageName));
    std::vector<std::size_t> onPage;
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (pageName == fields[i].page) onPage.push_back(i);
    auto makeEdit = [&](std::size_t i, QWidget* owner) {
      const FileOptionField& f = fields[i];
      QLineEdit* e = MakeEdit(owner, f.name, static_cast<int>(f.capacity), *f.hint ? f.hint : nullptr);
      e->setText(platform::ToQt(logic_->texts[i]));
      if (f.kind != FileFieldKind::Plain) e->installEventFilter(this);
      edits_[i] = e;
      return e;
    };
    auto* pageLayout = new QVBoxLayout(page);
    if (pageName == "System Files") {
      // Three captioned groups of captioned fields.
      QMap<QString, QFormLayout*> groups;
      for (std::size_t i : onPage) {
        const QString groupName = QString::fromLatin1(fields[i].group);
        if (!groups.contains(groupName)) {
          auto* box = new QGroupBox(groupName, page);
          box->setObjectName(QString("Group%1").arg(groups.size()));
          groups[groupName] = new QFormLayout(box);
          pageLayout->addWidget(box);
        }
        QLineEdit* e = makeEdit(i, groups[groupName]->parentWidget());
        e->setMinimumWidth(kPathWidth);
        groups[groupName]->addRow(QString::fromLatin1(fields[i].label), e);
      }
    } else {
      // Captions above their fields; path pages in two columns, the addresses in one.
      const bool urls = pageName == "URLs";
      auto* grid = new QGridLayout;
      const std::size_t rows = urls ? onPage.size() : (onPage.size() + 1) / 2;
      for (std::size_t k = 0; k < onPage.size(); ++k) {
        const std::size_t i = onPage[k];
        const int row = static_cast<int>(k % rows) * 2;
        const int column = static_cast<int>(k / rows);
        auto* label = new QLabel(QString::fromLatin1(fields[i].label), page);
        QLineEdit* e = makeEdit(i, page);
        e->setMinimumWidth(urls ? kUrlWidth : kPathWidth);
        label->setBuddy(e);
        grid->addWidget(label, row, column);
        grid->addWidget(e, row + 1, column);
      }
      pageLayout->addLayout(grid);
    }
    pageLayout->addStretch(1);
    pages_->addTab(page, platform::ToQt(pageName));
  }

  QDialogButtonBox* buttons = MakeOkCancel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The "System Files" page with the logo field selected.
  pages_->setCurrentIndex(0);
  edits_[0]->setFocus();
  edits_[0]->selectAll();
}

TFIleOptsDlg::~TFIleOptsDlg() = default;

QLineEdit* TFIleOptsDlg::Field(const char* name) const {
  const std::size_t i = FileOptionsLogic::IndexOf(name);
  return i < edits_.size() ? edits_[i] : nullptr;
}

int TFIleOptsDlg::exec() {
  if (!OptionsAssigned(ui_, record_)) return QDialog::Rejected;
  return QDialog::exec();
}

void TFIleOptsDlg::ReadBack() {
  for (std::size_t i = 0; i < edits_.size(); ++i) logic_->texts[i] = EditText(edits_[i]);
}

void TFIleOptsDlg::DoubleClicked(std::size_t index) {
  if (logic_ == nullptr || index >= edits_.size()) return;
  ReadBack();
  if (logic_->DoubleClicked(index, ui_)) edits_[index]->setText(platform::ToQt(logic_->texts[index]));
}

bool TFIleOptsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick)
    for (std::size_t i = 0; i < edits_.size(); ++i)
      if (edits_[i] == watched) {
        DoubleClicked(i);
        return true;
      }
  return QDialog::eventFilter(watched, event);
}

void TFIleOptsDlg::accept() {
  if (logic_ != nullptr) {
    ReadBack();
    logic_->Ok();
  }
  QDialog::accept();
}

}  // namespace skarvel::ui
