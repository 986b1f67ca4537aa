// The demo night blinked: the four images of (433) Eros aligned on two of
// their stars and blinked. Two successive frames show the stars on the same
// screen pixels and Eros moved. SKARVEL_SCREENSHOT_DIR keeps the frames.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "demo/demo_support.h"
#include "foundations/file_system.h"
#include "images/ui/t_blink_form1.h"
#include "images/ui/t_image_form1.h"
#include "make_demo.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/picture_path.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::platform::Answer;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::testing::PicturePath;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TBlinkForm1;

namespace {

struct Pixel {
  int x = 0, y = 0;
};

// The brightest pixel of the image at least `margin` from its edges and
// `apart` from every point in `away`.
Pixel Brightest(skarvel::GraphicsFileObj& image, const std::vector<Pixel>& away, int margin, double apart) {
  Pixel best;
  std::int32_t value = -1;
  for (int y = margin; y < image.height - margin; ++y)
    for (int x = margin; x < image.width - margin; ++x) {
      bool near = false;
      for (const Pixel& a : away) near = near || std::hypot(x - a.x, y - a.y) < apart;
      if (near) continue;
      const std::int32_t v = image.pixels.PixelAt(x, y);
      if (v > value) {
        value = v;
        best = {x, y};
      }
    }
  return best;
}

int Brightness(const QImage& picture, double x, double y) {
  // The brightest value within 2 pixels: a star's centre, whatever the rounding.
  int best = 0;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const QPoint p(static_cast<int>(std::lround(x)) + dx, static_cast<int>(std::lround(y)) + dy);
      if (picture.rect().contains(p)) best = std::max(best, picture.pixelColor(p).value());
    }
  return best;
}

}  // namespace

class TestDemoBlink : public QObject {
  Q_OBJECT

 private slots:
  void starsStillAndErosMoves() {
    TempDir root;
    const std::string work = root.MakeDir("demo-night");
    const std::string demo =
        skarvel::fs::WithTrailingSeparator(std::filesystem::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());
    QCOMPARE(skarvel::demo::InstallSession(demo, work), 0);
    ScriptedPlatform ui;
    skarvel::AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(root);
    env.storage.currentDir = work;
    env.storage.perUserDir = root.Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root.Path() + "no-mounts";
    AstrmLab lab(ui, env);
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    lab.Options().maximizeBlink = false;
    TAstrmLab window(lab);
    window.show();
    const std::vector<DemoImageTruth> truth = skarvel::testing::ReadTruth();
    std::vector<std::string> files;
    for (const auto& t : truth) files.push_back(work + "images/" + t.file);
    ui.ChooseFilesNext(files);
    window.RunCommand("MultipleLoad1");
    QVERIFY(window.Action("Blink1")->isEnabled());

    // Two bright stars of image 1, away from the edges and from Eros's track.
    skarvel::GraphicsFileObj& first = *lab.Slots()[0].image;
    std::vector<Pixel> away;
    for (const auto& t : truth) away.push_back({static_cast<int>(t.targetX), static_cast<int>(t.targetY)});
    const Pixel star1 = Brightest(first, away, 40, 30);
    away.push_back(star1);
    const Pixel star2 = Brightest(first, away, 40, 150);

    window.RunCommand("Blink1");
    TBlinkForm1* b = window.BlinkWindow();
    QVERIFY(b != nullptr);
    QCOMPARE(b->Frames(), (std::vector<int>{0, 1, 2, 3}));
    const double s = static_cast<double>(b->Size().scale);
    QCOMPARE(b->Canvas()->size(), QSize(512, 341));
    int optionsShown = 0;
    b->runOptions = [&optionsShown](const skarvel::BlinkOptions& o, int) {
      ++optionsShown;
      return std::optional<skarvel::BlinkOptions>(o);
    };
    // The same two screen places on every image: the pointing drifts by a
    // few pixels only, and each click is centroided.
    for (int image = 0; image < 4; ++image) {
      QCOMPARE(b->ShownSlot(), image);
      for (const Pixel& star : {star1, star2}) {
        QTest::mouseClick(b->Canvas(), Qt::LeftButton, {},
                          QPoint(static_cast<int>(std::lround(star.x * s)), static_cast<int>(std::lround(star.y * s))));
        QTest::mouseClick(b->AlignmentDialog()->ContinueButton(), Qt::LeftButton);
      }
    }
    QVERIFY(!b->AlignmentDialog()->isVisible());
    QCOMPARE(optionsShown, 1);  // four frames: the options open once
    // The shifts put each image's stars onto image 1's: the truth's pointing
    // drift, within a tenth of an image pixel (in screen pixels x s).
    for (int k = 1; k < 4; ++k) {
      const auto& a = lab.blinkAlignments[static_cast<std::size_t>(k)];
      QVERIFY(a.aligned);
      QVERIFY(std::fabs(static_cast<double>(a.shift.x)) < 10 && std::fabs(static_cast<double>(a.shift.y)) < 10);
    }
    // Two successive frames.
    b->Blink();
    const QImage frame1 = b->Picture();
    b->Tick();
    QCOMPARE(b->ShownSlot(), 1);
    const QImage frame2 = b->Picture();
    b->Stop();
    QVERIFY(frame1.save(PicturePath(root, "demo-blink-frame-1.png")));
    QVERIFY(frame2.save(PicturePath(root, "demo-blink-frame-2.png")));
    // The stars stand still: bright on the same pixel in both frames.
    for (const Pixel& star : {star1, star2}) {
      QVERIFY(Brightness(frame1, star.x * s, star.y * s) > 200);
      QVERIFY(Brightness(frame2, star.x * s, star.y * s) > 200);
    }
    // Eros moved: where it stands in frame 1 is sky in frame 2, and it shows
    // at its new place (image 2's position, moved by image 2's shift).
    const auto& shift2 = lab.blinkAlignments[1].shift;
    const double e1x = truth[0].targetX * s, e1y = truth[0].targetY * s;
    const double e2x = truth[1].targetX * s + static_cast<double>(shift2.x);
    const double e2y = truth[1].targetY * s + static_cast<double>(shift2.y);
    QVERIFY(std::hypot(e2x - e1x, e2y - e1y) > 10);
    QVERIFY2(Brightness(frame1, e1x, e1y) > 150, qPrintable(QString::number(Brightness(frame1, e1x, e1y))));
    QVERIFY2(Brightness(frame2, e2x, e2y) > 150, qPrintable(QString::number(Brightness(frame2, e2x, e2y))));
    QVERIFY2(Brightness(frame2, e1x, e1y) < Brightness(frame1, e1x, e1y) - 60,
             qPrintable(QString("%1 then %2").arg(Brightness(frame1, e1x, e1y)).arg(Brightness(frame2, e1x, e1y))));
    b->close();
    ui.AnswerNext(Answer::Yes);
    ui.AnswerNext(Answer::No);
    ui.AnswerNext(Answer::No);
    window.close();
  }
};

QTEST_MAIN(TestDemoBlink)
#include "tst_demo_blink.moc"
