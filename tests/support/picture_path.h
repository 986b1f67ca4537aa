// Where a Qt test keeps a picture it grabbed: SKARVEL_SCREENSHOT_DIR when
// set (the README's screenshots come from there), else the test's folder.
#pragma once

#include <QByteArray>
#include <QString>

#include "support/temp_dir.h"

namespace skarvel::testing {

inline QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

}  // namespace skarvel::testing
