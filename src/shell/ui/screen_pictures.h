// The logo and title pictures of the main window's client area. The
// installation's bitmaps are shown when they are there; otherwise the
// program draws its own.
#pragma once

#include <QImage>
#include <QString>

namespace skarvel::ui {

/// The logo: the bitmap file when it can be read, else the drawn logo.
QImage LogoPicture(const QString& path);
/// The title picture: the bitmap file when it can be read, else the drawn title.
QImage TitlePicture(const QString& path);
/// The drawn logo (300 x 200): a night sky with a moving object and "VORN".
QImage DrawnLogo();
/// The drawn title (634 x 436): the program's name over a star field.
QImage DrawnTitle();

}  // namespace skarvel::ui
