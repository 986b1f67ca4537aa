// "Convert GSC to VORN Format" on the offscreen platform, opened from the main
// window's "Convert &GSC...": the defaults it shows, a refused magnitude limit
// and a refused output folder with their messages, a double click that
// browses, then a whole CD-ROM tree converted with the stop question answered
// No and the setup switched to the converted catalog; a second run (Finder)
// stopped with Yes and resumed with "Restart".
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "catalogs/ui/t_gsc_cnvrt_form1.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/gsc_cdrom_tree.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using namespace skarvel;
using skarvel::platform::Answer;
using skarvel::platform::Icon;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TGSCCnvrtForm1;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Runs `fn` on the conversion dialog once it is the active modal window.
void OnDialog(std::function<void(TGSCCnvrtForm1&)> fn, bool* ran) {
  QTimer::singleShot(0, [fn, ran] {
    auto* dialog = qobject_cast<TGSCCnvrtForm1*>(QApplication::activeModalWidget());
    QVERIFY2(dialog != nullptr, "the conversion dialog is not the active modal window");
    fn(*dialog);
    *ran = true;
  });
}

void PressOk(TGSCCnvrtForm1& d) { d.findChild<QPushButton*>("OKBtn")->click(); }

}  // namespace

class TstGSCCnvrtForm1 : public QObject {
  Q_OBJECT

 private slots:
  void wholeDialogFlow() {
    testing::GSCCdromTree tree;
    TempDir root;
    {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", testing::LabEnvironment(root).storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().gscPath1 = tree.Volume1();
      opts.Record().gscPath2 = tree.Volume2();
      opts.Record().vornFormatGSC = false;
      QVERIFY(opts.Write(root / "work/"));
    }
    ScriptedPlatform ui;
    AstrmLab lab(ui, testing::LabEnvironment(root));
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    ui::TAstrmLab window(lab);
    QAction* command = window.Action("ConvertGSC1");
    QVERIFY(command != nullptr);
    QVERIFY(command->isEnabled());
    QCOMPARE(command->text(), QString("Convert &GSC..."));

    // A field read from the CD-ROM form before: its volume paths.
    window.Field().SetVolumePaths(tree.Volume1(), tree.Volume2());
    const std::string out = root / "gsc_vorn/";
    bool ran = false;
    OnDialog(
        [&](TGSCCnvrtForm1& d) {
          // The defaults: the options' volumes, the output beside the first one.
          QCOMPARE(d.windowTitle(), QString("Convert GSC to VORN Format"));
          QCOMPARE(d.PathField(kInputPath1)->text(), Q(tree.Volume1()));
          QCOMPARE(d.PathField(kInputPath2)->text(), Q(tree.Volume2()));
          QCOMPARE(d.PathField(kOutputPath)->text(), Q(tree.Root() + "vol1_VORN/"));
          QCOMPARE(d.PathField(kOutputPath)->toolTip(), QString("Double-click to browse."));
          QCOMPARE(d.MagField()->text(), QString("20.0"));
          QVERIFY(!d.RestartBox()->isChecked() && !d.FinderBox()->isChecked() && !d.MarloBox()->isChecked());
          QCOMPARE(d.RestartBox()->text(), QString("Restart"));
          QCOMPARE(d.RestartBox()->toolTip(), QString("Restart unfinished conversion?"));
          QCOMPARE(d.MarloBox()->text(), QString("Marlo Version"));
          // A magnitude limit that is no number.
          d.MagField()->setText("");
          QTest::keyClicks(d.MagField(), "16,5");
          PressOk(d);
          QVERIFY(d.isVisible());
          QCOMPARE(ui.Messages().size(), std::size_t{1});
          QCOMPARE(Q(ui.Messages()[0].text), QString("Invalid Numeric Value - Check Mag Limit Entry!"));
          QCOMPARE(Q(ui.Messages()[0].caption), QString("Input Error!"));
          QCOMPARE(ui.Messages()[0].icon, Icon::Error);
          d.MagField()->setText("16.5");
          // The output typed as the second volume without its separator.
          std::string volume2 = tree.Volume2();
          volume2.pop_back();
          d.PathField(kOutputPath)->setText(Q(volume2));
          PressOk(d);
          QVERIFY(d.isVisible());
          QCOMPARE(ui.Messages().size(), std::size_t{2});
          QCOMPARE(Q(ui.Messages()[1].text), QString("Input Directory Cannot Be Used for Output"));
          QCOMPARE(Q(ui.Messages()[1].caption), QString("Same Directory!"));
          QCOMPARE(d.PathField(kOutputPath)->text(), Q(volume2 + "\\"));
          // A double click browses from the field's folder; the chosen folder gets its separator.
          ui.ChooseDirectoryNext(root / "gsc_vorn");
          QTest::mouseDClick(d.PathField(kOutputPath), Qt::LeftButton);
          QCOMPARE(ui.DirectoryDialogs().size(), std::size_t{1});
          QCOMPARE(Q(ui.DirectoryDialogs()[0].title), QString("Output Path:"));
          QCOMPARE(Q(ui.DirectoryDialogs()[0].directory), Q(tree.Volume2()));
          QVERIFY(ui.DirectoryDialogs()[0].mayCreate);
          QCOMPARE(d.PathField(kOutputPath)->text(), Q(out));
          // The conversion: a stop asked for after 40 files and declined, then to the end;
          // the setup switched and saved.
          ui.StopProgressAfter(40);
          ui.AnswerNext(Answer::No);   // go on converting
          ui.AnswerNext(Answer::Yes);  // use the converted catalog
          ui.AnswerNext(Answer::Yes);  // save the options
          PressOk(d);
        },
        &ran);
    command->trigger();
    QVERIFY(ran);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(ui.Messages().size(), std::size_t{5});
    QCOMPARE(Q(ui.Messages()[2].text),
             QString("Terminate the GSC File Conversion?\r\n\r\n(You can restart later at the current point.)"));
    QCOMPARE(Q(ui.Messages()[2].caption), QString("Converting GSC to VORN Format"));
    QCOMPARE(Q(ui.Messages()[3].text), QString("Do you want to change your setup to use the converted GSC file?"));
    QCOMPARE(Q(ui.Messages()[3].caption), QString("GSC Successfully Converted"));
    QCOMPARE(Q(ui.Messages()[4].caption), QString("Save Option Changes?"));
    QCOMPARE(ui.Unanswered(), 0);
    QCOMPARE(ui.Progress().size(), std::size_t{1});
    QCOMPARE(Q(ui.Progress()[0].caption), QString("Converting GSC to VORN Format"));
    QCOMPARE(ui.Progress()[0].maximum, std::int64_t{9537});
    QCOMPARE(ui.Progress()[0].position, std::int64_t{9537});
    QVERIFY(Q(ui.Progress()[0].text).startsWith(Q(out + "GSC\\S8230\\\r\n9537.BIN\r\nRegion 9537\r\nTime remaining: ")));
    QVERIFY(!ui.Progress()[0].open);
    QVERIFY(testing::Exists(out + "TABLES/REGIONS.BIN"));
    QCOMPARE(Q(lab.Options().gscPath1), Q(out));
    QCOMPARE(Q(lab.Options().gscPath2), Q(out));
    QVERIFY(lab.Options().vornFormatGSC);
    QVERIFY(!window.Action("SaveUpdates1")->isEnabled());  // saved at once
    QVERIFY(window.Field().VolumePath1().empty());         // the next field load finds the converted form
    QCOMPARE(lab.GSCConversionSettings()->magLimit, 16.5f);

    // Again into a new folder, stopped after 30 files with Yes: no question about the
    // setup; then "Restart" goes on from the first missing file.
    const std::string again = root / "again/";
    ui.ClearRecords();
    ran = false;
    OnDialog(
        [&](TGSCCnvrtForm1& d) {
          QCOMPARE(d.PathField(kOutputPath)->text(), Q(out));  // the settings are kept
          QCOMPARE(d.MagField()->text(), QString("16.5"));
          d.PathField(kOutputPath)->setText(Q(again));
          QTest::mouseClick(d.FinderBox(), Qt::LeftButton);
          QVERIFY(d.FinderBox()->isChecked());
          ui.StopProgressAfter(30);
          ui.AnswerNext(Answer::Yes);
          PressOk(d);
        },
        &ran);
    command->trigger();
    QVERIFY(ran);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(Q(ui.Messages()[0].caption), QString("Converting GSC to VORN Format"));
    QVERIFY(testing::Exists(again + "GSC/N0000/0029.BIN"));
    QVERIFY(!testing::Exists(again + "GSC/N0000/0030.BIN"));
    QVERIFY(!testing::Exists(again + "TABLES/REGIONS.BIN"));
    // The Finder variant: 26-byte records, against the standard ones of the first run.
    const auto finder = testing::ReadAll(again + "GSC/N0000/0001.BIN");
    const auto standard = testing::ReadAll(out + "GSC/N0000/0001.BIN");
    QVERIFY(!standard.empty());
    QCOMPARE(standard.size() % 27, std::size_t{0});
    QCOMPARE(finder.size(), standard.size() / 27 * 26);
    // "Restart": on from the first missing file (the progress from 29), stopped again after four files.
    ui.ClearRecords();
    ran = false;
    OnDialog(
        [&](TGSCCnvrtForm1& d) {
          QVERIFY(d.FinderBox()->isChecked());
          QVERIFY(!d.RestartBox()->isChecked());
          QTest::mouseClick(d.RestartBox(), Qt::LeftButton);
          ui.StopProgressAfter(5);
          ui.AnswerNext(Answer::Yes);
          PressOk(d);
        },
        &ran);
    command->trigger();
    QVERIFY(ran);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(Q(ui.Messages()[0].caption), QString("Converting GSC to VORN Format"));
    QCOMPARE(ui.Progress().size(), std::size_t{1});
    QCOMPARE(ui.Progress()[0].position, std::int64_t{33});
    QVERIFY(testing::Exists(again + "GSC/N0000/0033.BIN"));
    QVERIFY(!testing::Exists(again + "GSC/N0000/0034.BIN"));
    QVERIFY(!lab.GSCConversionSettings()->restart);  // turned off at the first missing file
    QCOMPARE(Q(lab.Options().gscPath1), Q(out));     // the setup as the first run left it
  }
};

QTEST_MAIN(TstGSCCnvrtForm1)
#include "tst_gsc_cnvrt_form1.moc"
