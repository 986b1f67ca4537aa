// The demo images in the image window on the offscreen platform: the picture
// a person sees shows Eros where the truth puts it, moving between the images,
// on a dark sky. SKARVEL_SCREENSHOT_DIR keeps the pictures.
#include <QImage>
#include <QTest>

#include <cmath>
#include <vector>

#include "demo/demo_support.h"
#include "images/fits_file.h"
#include "images/ui/t_image_form1.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::FITSFileObj;
using skarvel::ImageLoadContext;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::DemoPath;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::ImageWindowHost;
using skarvel::ui::TImageForm1;

namespace {

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

/// The mean grey of the picture in a square of half-width `r` around (x, y).
double MeanGrey(const QImage& pic, double x, double y, int r) {
  double sum = 0;
  int n = 0;
  for (int j = static_cast<int>(std::lround(y)) - r; j <= static_cast<int>(std::lround(y)) + r; ++j)
    for (int i = static_cast<int>(std::lround(x)) - r; i <= static_cast<int>(std::lround(x)) + r; ++i)
      if (pic.valid(i, j)) {
        sum += qGray(pic.pixel(i, j));
        ++n;
      }
  return n > 0 ? sum / n : 0;
}

}  // namespace

class TestDemoImageWindow : public QObject {
  Q_OBJECT

  TempDir dir_;
  ScriptedPlatform ui_;
  skarvel::OptionsRecord options_;
  skarvel::SearchDialogState search_;
  bool zoomHint_ = false;

  /// The picture of one demo image as its window draws it.
  QImage Picture(const DemoImageTruth& t) {
    options_.dataDir = dir_.Path();
    FITSFileObj image(ImageLoadContext{&ui_, dir_.Path(), 0, nullptr, nullptr});
    if (!image.Load(DemoPath("images/" + t.file))) return {};
    ImageWindowHost host;
    host.ui = &ui_;
    host.options = &options_;
    host.image = [&image] { return &image; };
    host.noteOptionsChanged = [] {};
    host.search = &search_;
    host.zoomHintPending = &zoomHint_;
    host.userName = [] { return std::string("Demo Observer"); };
    TImageForm1 form(0, std::move(host));
    if (!form.ShowImage(0)) return {};
    form.show();
    QImage pic = form.Picture();
    pic.save(PicturePath(dir_, QString::fromStdString(t.file) + ".png"));
    return pic;
  }

 private slots:
  void erosIsDrawnWhereTheTruthPutsIt() {
    const auto truth = skarvel::testing::ReadTruth();
    QCOMPARE(static_cast<int>(truth.size()), 4);
    std::vector<QImage> pictures;
    for (const auto& t : truth) {
      pictures.push_back(Picture(t));
      QVERIFY(!pictures.back().isNull());
    }
    for (std::size_t i = 0; i < truth.size(); ++i) {
      const QImage& pic = pictures[i];
      // The window keeps the image's shape to a pixel (it may show it reduced).
      QVERIFY(std::abs(pic.width() * 512 - pic.height() * 768) <= 768);
      const double s = pic.width() / 768.0;
      const double sky = MeanGrey(pic, pic.width() * 0.1, pic.height() * 0.9, 3);
      const double here = MeanGrey(pic, truth[i].targetX * s, truth[i].targetY * s, 1);
      QVERIFY2(here > sky + 100,
               qPrintable(
                   QString("Eros %1 over sky %2 in %3").arg(here).arg(sky).arg(QString::fromStdString(truth[i].file))));
      // Where Eros stands in the last image, the first shows sky (and the other way round).
      const auto& other = truth[i == 0 ? truth.size() - 1 : 0];
      const double elsewhere = MeanGrey(pic, other.targetX * s, other.targetY * s, 1);
      QVERIFY2(elsewhere < sky + 60, qPrintable(QString("%1 at the other place").arg(elsewhere)));
    }
    QVERIFY(ui_.Messages().empty());
  }
};

QTEST_MAIN(TestDemoImageWindow)
#include "tst_demo_image_window.moc"
