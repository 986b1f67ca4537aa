// Edit fields of the dialogs: the system's single-byte texts in and out.
#pragma once

#include <QLineEdit>
#include <string>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

/// A named edit field of at most `maxLength` characters with an optional hint.
inline QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxLength, const char* hint = nullptr) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(maxLength);
  if (hint) e->setToolTip(hint);
  return e;
}

/// The field's text as a single-byte (Latin-1) string.
inline std::string EditText(const QLineEdit* e) { return platform::FromQt(e->text()); }

}  // namespace skarvel::ui
