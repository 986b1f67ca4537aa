// The main window's client area with current orbital elements, on the
// offscreen platform: "FIND_ORB &File..." through the menu, the elements
// panel drawn in yellow below the image labels, and in orbit view the orbit
// notes of a database orbit in white. The pictures are kept for a person to look at.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "orbits/find_orb.h"
#include "shell/astrm_lab.h"
#include "orbits/ui/t_orb_el_form1.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;

namespace {

const std::string kFindOrbDir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/findorb/";

// Pixels of a colour (within 40 per channel) in a band of rows.
int CountColour(const QImage& image, QColor colour, int top, int bottom) {
  int n = 0;
  for (int y = top; y < bottom && y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) <= 40 && std::abs(c.green() - colour.green()) <= 40 &&
          std::abs(c.blue() - colour.blue()) <= 40)
        ++n;
    }
  return n;
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

}  // namespace

class TestElementsPanel : public QObject {
  Q_OBJECT

 private slots:
  void panelAndNotes() {
    TempDir root;
    ScriptedPlatform ui;
    const AstrmLabEnvironment env = skarvel::testing::LabEnvironment(root);
    AstrmLab lab(ui, env);
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    TAstrmLab window(lab);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QColor yellow(255, 255, 0), white(255, 255, 255);

    // Opening the Ephemeris menu enters orbit view; the title screen shows until an orbit command.
    lab.MenuOpened("Ephemeris1");
    ui.ChooseFilesNext(std::vector<std::string>{kFindOrbDir + "findorb_elements_examples.txt"});
    window.RunCommand("FINDORBFile1");
    QVERIFY(lab.Orbits().Current().valid);
    QVERIFY(lab.orbitView);
    QCOMPARE(lab.ScreenMode(), int(AstrmLab::kWorkScreen));
    QVERIFY(window.Action("GenEphem1")->isEnabled());
    QImage picture = window.ClientArea()->grab().toImage();
    QVERIFY(picture.save(PicturePath(root, "main-window-elements-panel.png")));
    // The panel: yellow text from y 270 down; nothing above it (no images, no notes).
    QVERIFY(CountColour(picture, yellow, 268, 436) > 1500);
    QCOMPARE(CountColour(picture, yellow, 0, 265), 0);
    QCOMPARE(CountColour(picture, white, 0, 436), 0);
    // Its right column: "H: 15.80" at x 550.
    QVERIFY(CountColour(picture.copy(545, 355, 80, 45), yellow, 0, 45) > 40);

    // An MPC orbit with notes: white lines from the top in orbit view.
    skarvel::CurrentElements& current = lab.Orbits().Current();
    current.source = skarvel::ElementSource::kMpc;
    current.codes = {0, 66, 128, 0, 3, 5};
    window.ClientArea()->repaint();
    picture = window.ClientArea()->grab().toImage();
    QVERIFY(picture.save(PicturePath(root, "main-window-orbit-notes.png")));
    const int whiteTop = CountColour(picture, white, 15, 150);
    QVERIFY(whiteTop > 500);
    QCOMPARE(CountColour(picture, white, 150, 436), 0);
    // The image view leaves the notes out but keeps the panel.
    lab.MenuOpened("Images1");
    window.ClientArea()->repaint();
    picture = window.ClientArea()->grab().toImage();
    QCOMPARE(CountColour(picture, white, 0, 436), 0);
    QVERIFY(CountColour(picture, yellow, 268, 436) > 1500);

    ui.AnswerNext(Answer::Yes);
    window.close();
  }

  void elementsDialogFromTheMenu() {
    TempDir root;
    ScriptedPlatform ui;
    const AstrmLabEnvironment env = skarvel::testing::LabEnvironment(root);
    AstrmLab lab(ui, env);
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    TAstrmLab window(lab);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool seen = false;
    QTimer::singleShot(50, [&seen] {
      auto* form = qobject_cast<skarvel::ui::TOrbElForm1*>(QApplication::activeModalWidget());
      if (form == nullptr) return;
      seen = true;
      using skarvel::ElementField;
      const auto type = [](QLineEdit* e, const char* text) {
        e->setText(text);
        emit e->editingFinished();
      };
      type(form->NameField(), "Eros");
      type(form->NumberField(), "433");
      type(form->EpochDateField(), "2019/07/02.0");
      type(form->Field(ElementField::kA), "1.4581823");
      type(form->Field(ElementField::kE), "0.2227385");
      type(form->Field(ElementField::kIncl), "10.82858");
      type(form->Field(ElementField::kNode), "304.30424");
      type(form->Field(ElementField::kPeri), "178.83549");
      type(form->Field(ElementField::kM), "84.1719");
      type(form->Field(ElementField::kH), "11.16");
      type(form->Field(ElementField::kG), "0.46");
      form->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
    });
    window.RunCommand("ElemEdit1");
    QVERIFY(seen);
    QVERIFY(lab.Orbits().Current().valid);
    QCOMPARE(lab.Orbits().Current().elements.name, std::string("Eros"));
    QCOMPARE(lab.Orbits().Current().source, skarvel::ElementSource::kElementDialog);
    QVERIFY(window.Action("GenEphem1")->isEnabled());
    QVERIFY(lab.Menus().At("OrbitalElements1").checked);
    const QImage picture = window.ClientArea()->grab().toImage();
    QVERIFY(picture.save(PicturePath(root, "main-window-typed-elements.png")));
    QVERIFY(CountColour(picture, QColor(255, 255, 0), 268, 436) > 1500);
    ui.AnswerNext(Answer::Yes);
    window.close();
  }
};

QTEST_MAIN(TestElementsPanel)
#include "tst_elements_panel.moc"
