// A captioned group of radio buttons whose checked id is the choice index,
// and the OK and Cancel buttons, shared by the options dialogs.
#pragma once

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

struct RadioGroup {
  QGroupBox* box = nullptr;
  QButtonGroup* buttons = nullptr;

  /// The checked index, or -1 when none is checked.
  int Checked() const { return buttons->checkedId(); }
  /// Checks button `index`; any index without a button clears the group.
  void Check(int index) const {
    if (QAbstractButton* b = buttons->button(index)) {
      b->setChecked(true);
      return;
    }
    buttons->setExclusive(false);
    for (QAbstractButton* b : buttons->buttons()) b->setChecked(false);
    buttons->setExclusive(true);
  }
  QRadioButton* Button(int index) const { return qobject_cast<QRadioButton*>(buttons->button(index)); }
};

/// A group box named `name` with one radio button per caption (object names
/// `name` + index), stacked vertically; the button ids are the indices.
inline RadioGroup MakeRadioGroup(QWidget* parent, const char* title, const char* name,
                                 const std::vector<std::string>& captions) {
  RadioGroup g;
  g.box = new QGroupBox(QString::fromLatin1(title), parent);
  g.box->setObjectName(QString::fromLatin1(name));
  g.buttons = new QButtonGroup(g.box);
  auto* layout = new QVBoxLayout(g.box);
  for (std::size_t i = 0; i < captions.size(); ++i) {
    auto* b = new QRadioButton(platform::ToQt(captions[i]), g.box);
    b->setObjectName(QString::fromLatin1(name) + QString::number(i));
    g.buttons->addButton(b, static_cast<int>(i));
    layout->addWidget(b);
  }
  return g;
}

/// The "&OK" and "&Cancel" buttons (object names "OKBtn", "CancelBtn") accepting and rejecting `dialog`.
inline QDialogButtonBox* MakeOkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(dialog);
  buttons->addButton("&OK", QDialogButtonBox::AcceptRole)->setObjectName("OKBtn");
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("CancelBtn");
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace skarvel::ui
