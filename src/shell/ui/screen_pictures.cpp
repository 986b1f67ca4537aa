#include "shell/ui/screen_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <random>

namespace skarvel::ui {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
constexpr int kTitleWordsTop = 280;  ///< top of the title's words, pixels (the menus reach about 200)

// A reproducible scatter of stars over a rectangle.
void DrawStars(QPainter& p, const QRect& area, int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> x(area.left(), area.right());
  std::uniform_int_distribution<int> y(area.top(), area.bottom());
  std::uniform_real_distribution<double> size(0.5, 2.2);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < count; ++i) {
    const double r = size(rng);
    const int grey = 150 + static_cast<int>(r * 45);
    p.setBrush(QColor(grey, grey, std::min(255, grey + 20)));
    p.drawEllipse(QPointF(x(rng), y(rng)), r, r);
  }
}

QImage Loaded(const QString& path) {
  QImage image;
  if (!path.isEmpty()) image.load(path);
  return image;
}

}  // namespace

QImage DrawnLogo() {
  QImage image(300, 200, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 200);
  sky.setColorAt(0, QColor(0, 0, 60));
  sky.setColorAt(1, kNavy);
  p.fillRect(image.rect(), sky);
  DrawStars(p, image.rect(), 90, 7);
  // Four exposures of a moving object, as a blink comparator shows them.
  for (int i = 0; i < 4; ++i) {
    QRadialGradient glow(QPointF(60 + i * 26, 150 - i * 12), 6);
    glow.setColorAt(0, kYellow);
    glow.setColorAt(1, QColor(255, 255, 0, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(60 + i * 26, 150 - i * 12), 6, 6);
  }
  QFont font("DejaVu Sans", 40, QFont::Bold);
  p.setFont(font);
  p.setPen(kYellow);
  p.drawText(QRect(0, 20, 300, 80), Qt::AlignCenter, "VORN");
  return image;
}

QImage DrawnTitle() {
  QImage image(634, 436, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), kNavy);
  DrawStars(p, image.rect(), 260, 11);
  // A reticle over the field, as on a measuring screen.
  p.setPen(QPen(QColor(120, 160, 255), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(470, 150), 60, 60);
  p.drawLine(470, 75, 470, 225);
  p.drawLine(395, 150, 545, 150);
  // The words stand in the lower part of the picture, below where the File
  // menu and its submenus open: a letter cut off by a menu looks like a
  // stray yellow bar beside it.
  QFont title("DejaVu Sans", 44, QFont::Bold);
  p.setFont(title);
  p.setPen(kYellow);
  p.drawText(QRect(0, kTitleWordsTop, 634, 90), Qt::AlignCenter, "Skarvel");
  QFont sub("DejaVu Sans", 15, QFont::Bold);
  p.setFont(sub);
  p.drawText(QRect(0, kTitleWordsTop + 90, 634, 40), Qt::AlignCenter, "CCD Astrometry of Minor Planets and Comets");
  return image;
}

QImage LogoPicture(const QString& path) {
  QImage image = Loaded(path);
  return image.isNull() ? DrawnLogo() : image;
}

QImage TitlePicture(const QString& path) {
  QImage image = Loaded(path);
  return image.isNull() ? DrawnTitle() : image;
}

}  // namespace skarvel::ui
