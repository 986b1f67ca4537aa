// "Track and &Stack..." of the main window's "&Images" menu: the window made
// once and shown again, and a stack file going into the first free image slot
// with its DATE-OBS as the observation time whatever the header time option,
// refused (with its message, nothing changed) when every slot holds an image.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <cmath>

#include "astrometry/ui/t_track_series_form.h"
#include "foundations/date_time.h"
#include "images/fits_file.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/lab_environment.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;

class TestTrackWindows : public QObject {
  Q_OBJECT

 private slots:
  void menuItemAndStackIntoFreeSlot() {
    TempDir root;
    ScriptedPlatform ui;
    AstrmLab lab(ui, skarvel::testing::LabEnvironment(root));
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    TAstrmLab window(lab);
    window.show();
    QCOMPARE(window.Action("TrackStack1")->text(), QString("Track and &Stack..."));
    QVERIFY(lab.HasCommand("TrackStack1"));
    lab.Options().headerTimeType = 0;  // the frames' header times are the start of the exposure

    const std::string one = root / "one.fits";
    skarvel::testing::WriteMiniFits(one, 8, 6, 10, {"DATE-OBS= '2024-01-02T03:04:05'", "EXPTIME =                 60.0"});
    ui.ChooseFilesNext(std::vector<std::string>{one});
    window.Action("LoadImg1")->trigger();
    QVERIFY(lab.Slots()[0].Loaded());
    QVERIFY(lab.Available("TrackStack1"));

    window.Action("TrackStack1")->trigger();
    auto* form = window.TrackSeriesWindow();
    QVERIFY(form != nullptr);
    QVERIFY(form->isVisible());
    QCOMPARE(form->Status()->text(), QString("No frames chosen."));
    form->hide();
    window.Action("TrackStack1")->trigger();
    QCOMPARE(window.TrackSeriesWindow(), form);
    QVERIFY(form->isVisible());

    // A stack: DATE-OBS is its reference time (the midpoint of the summed exposure).
    const std::string stack = root / "STACK1.FIT";
    skarvel::testing::WriteMiniFits(stack, 8, 6, 30,
                                    {"DATE-OBS= '2024-01-02T03:10:00.500'", "EXPTIME =                480.0"});
    QCOMPARE(lab.LoadIntoFreeSlot(stack), 1);
    const auto* fits = dynamic_cast<const skarvel::FITSFileObj*>(lab.Slots()[1].image.get());
    QVERIFY(fits != nullptr);
    const auto* first = dynamic_cast<const skarvel::FITSFileObj*>(lab.Slots()[0].image.get());
    // The frame's start time moved to its midpoint by 30 s; the stack's time taken as it stands.
    const double frameMid = (3 * 3600 + 4 * 60 + 5 + 30) / 86400.0, stackMid = (3 * 3600 + 10 * 60 + 0.5) / 86400.0;
    const double day = std::floor(first->Header().observationTime);
    QVERIFY(std::fabs(first->Header().observationTime - day - frameMid) < 1e-8);
    QVERIFY(std::fabs(fits->Header().observationTime - day - stackMid) < 1e-8);
    QVERIFY(lab.Menus().At("MeasImg2").enabled);
    QVERIFY(lab.Menus().At("LoadImg2").checked);

    QCOMPARE(lab.LoadIntoFreeSlot(stack), 2);
    QCOMPARE(lab.LoadIntoFreeSlot(stack), 3);
    ui.ClearRecords();
    QCOMPARE(lab.LoadIntoFreeSlot(stack), -1);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].text,
             std::string("Every image slot holds an image: clear the images first to load the stack."));
    QCOMPARE(ui.Messages()[0].caption, std::string("No Free Image Slot"));

    ui.AnswerNext(Answer::Yes);  // close
    ui.AnswerNext(Answer::No);   // do not save the changed image folder
    window.close();
  }
};

QTEST_MAIN(TestTrackWindows)
#include "tst_track_windows.moc"
