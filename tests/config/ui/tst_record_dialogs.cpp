// The user, camera, site and observation parameters dialogs on the offscreen
// platform: fields typed, "&File..." items and list windows driven, OK pressed.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "astrometry/ui/t_obs_params_dlg.h"
#include "config/ui/t_record_list_form.h"
#include "config/ui/t_usr_parms_dlg.h"
#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using namespace skarvel;
using skarvel::platform::Answer;
using skarvel::testing::ReadAll;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::testing::WriteAll;

namespace {

const std::string kScopeCodes = std::string(SKARVEL_TEST_DATA_DIR) + "/config/SCPCODES.DAT";

QAction* FileItem(QMenu* menu, const char* name) {
  for (QAction* a : menu->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

void PressOk(QDialog* dialog) {
  auto* box = dialog->findChild<QDialogButtonBox*>();
  box->button(QDialogButtonBox::Ok)->click();
}

/// Runs `fn` on the list window once it is the active modal window.
template <typename Fn>
void OnListWindow(Fn fn) {
  QTimer::singleShot(0, [fn] {
    auto* form = dynamic_cast<ui::TRecordListForm*>(QApplication::activeModalWidget());

    QVERIFY(form != nullptr);
    fn(*form);
  });
}

class TableLookup : public ObjectLookup {
 public:
  int calls = 0;
  std::string FindNameByNumber(const std::string& n) override {
    ++calls;
    return n == "433" ? "Eros" : "";
  }
  std::string FindDesignationByName(const std::string& name) override {
    ++calls;
    return name == "Eros" ? "00433" : "";
  }
};

}  // namespace

class TestRecordDialogs : public QObject {
  Q_OBJECT

 private slots:
  void siteDialogFromTheReportMenu() {
    TempDir root;
    ScriptedPlatform ui;
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(root);
    env.storage.currentDir = root.MakeDir("work");
    env.storage.perUserDir = root.Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root.Path() + "none";
    env.clock = [] { return *EncodeDateTime(2026, 12, 9, 22, 0, 0.0L); };
    AstrmLab lab(ui, env);
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    ui::TAstrmLab window(lab);
    window.show();
    WriteAll(lab.Options().dataDir + lab.Options().obsCodesFile, ReadAll(kScopeCodes));
    ui.ClearRecords();

    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* dlg = qobject_cast<ui::TSiteParmsDlg*>(QApplication::activeModalWidget());
      QVERIFY(dlg != nullptr);
      QCOMPARE(dlg->windowTitle(), QString("Observatory (Site) Information"));
      QLineEdit* code = dlg->Field(1);
      code->clear();
      QTest::keyClicks(code, "0247");
      QCOMPARE(ui.Captions().back(), std::string("Observatory Code 247"));
      code->setText("1012");
      OnListWindow([](ui::TRecordListForm& form) {
        QCOMPARE(form.windowTitle(), QString("Telescopes at Site 1012"));
        QCOMPARE(form.ListBox()->count(), 2);
        QVERIFY(!form.Action("DeleteSelectedRecord1")->isEnabled());
        form.ListBox()->setCurrentRow(1);
        form.RunCommand("AccessSelectedRecord1");
      });
      FileItem(dlg->FileMenu(), "FindScopeID1")->trigger();
      QCOMPARE(dlg->Field(11)->text(), QString("2"));
      QCOMPARE(dlg->Field(2)->text(), QString("Sozzago 0.30-m f/4 reflector"));
      dlg->Field(0)->setText("Sozzago");
      dlg->Field(3)->setText("180");
      dlg->Field(4)->setText("0");
      dlg->Field(5)->setText("1");
      dlg->East()->setChecked(true);
      PressOk(dlg);
      QVERIFY(dlg->isVisible());
      QCOMPARE(ui.Messages().back().text, std::string("Longitude Value is Out of Range (0-180)!"));
      dlg->Field(5)->setText("0");
      PressOk(dlg);
      QVERIFY(!dlg->isVisible());
      ran = true;
    });
    ui.AnswerNext(Answer::No);  // not saved as options now
    window.Action("SiteInformation1")->trigger();
    QVERIFY(ran);
    QCOMPARE(lab.Report()->site.name, std::string("Sozzago"));
    QCOMPARE(lab.Report()->site.code, std::string("1012"));
    QCOMPARE(lab.Report()->site.telescopeId, '2');
    QCOMPARE(lab.Report()->site.longitudeDeg, 180.0f);
    QVERIFY(lab.Options().siteRecord == lab.Report()->site);
    QVERIFY(lab.optionsChanged);
    QVERIFY(ui.Messages().back().text.rfind("Save Updated Parameters in ", 0) == 0);
  }

  void cameraDialogFindAndSave() {
    TempDir dir;
    ScriptedPlatform ui;
    {
      ByteWriter out;
      CameraRecord a;
      a.name = "Alpha";
      a.apertureMm = 100;
      CameraRecord b = a;
      b.name = "ST-8";
      b.apertureMm = 250;
      WriteCameraRecord(out, a);
      WriteCameraRecord(out, b);
      WriteAll(dir / "ASTCAMS.DAT", out.Buffer());
    }
    CameraRecord handed;
    handed.name = "Mine";
    handed.timingErrorMs = 100;
    SearchDialogState search;
    ui::QtListWindowRunner lists(ui, search, nullptr);
    ui::TCamParmsDlg dlg(handed, nullptr, false, ui, {"ASTCAMS.DAT", dir.Path(), ""}, lists);
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Camera Parameters"));
    QVERIFY(dlg.DefaultValues()->isChecked());
    QVERIFY(!dlg.CurrentValues()->isEnabled());
    OnListWindow([](ui::TRecordListForm& form) {
      QCOMPARE(form.windowTitle(), QString("Select a Camera"));
      QListWidgetItem* item = form.ListBox()->item(1);
      form.ListBox()->setCurrentItem(item);
      emit form.ListBox()->itemDoubleClicked(item);
    });
    FileItem(dlg.FileMenu(), "FindCamera1")->trigger();
    QCOMPARE(dlg.Field(0)->text(), QString("ST-8"));
    QCOMPARE(dlg.Field(5)->text(), QString("250.0"));
    QCOMPARE(handed.name, std::string("Mine"));

    // The timing error is needed in the new report format.
    dlg.Field(7)->clear();
    QTest::keyClicks(dlg.Field(7), "0");
    QCOMPARE(ui.Captions().back(), std::string("Timing Error Needed"));
    dlg.Field(7)->setText("50");
    dlg.FilterButton(1)->setChecked(true);
    ui.AnswerNext(Answer::Yes);  // Write Current Camera Data to File?
    ui.AnswerNext(Answer::No);   // Replace It? No: a second "ST-8"
    FileItem(dlg.FileMenu(), "SaveCamera1")->trigger();
    QCOMPARE(ReadAll(dir / "ASTCAMS.DAT").size(), std::size_t{3 * 69});
    QCOMPARE(handed.name, std::string("ST-8"));
    QCOMPARE(handed.filter, std::uint8_t{1});
    PressOk(&dlg);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(handed.timingErrorMs, std::int16_t{50});
  }

  void userDialogCountryAndSave() {
    TempDir dir;
    ScriptedPlatform ui;
    UserRecord handed;
    ui::TUsrParmsDlg dlg(handed, ui, dir.Path());
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("User Information"));
    QCOMPARE(dlg.Field(4)->toolTip(), QString("Use full name except \"U.S.A.\" and \"U.K.\" (note periods)."));
    QTest::keyClicks(dlg.Field(0), "Ann Lee Smith");
    QTest::keyClicks(dlg.Field(4), "USA");
    QCOMPARE(dlg.Field(4)->text(), QString("U.S.A."));
    ui.SaveAsNext(dir / "ASmith.USR");
    FileItem(dlg.FileMenu(), "SaveUser1")->trigger();
    QCOMPARE(ui.SaveDialogs().at(0).fileName, std::string("ASmith.USR"));
    QCOMPARE(ReadAll(dir / "ASmith.USR").size(), std::size_t{758});
    QCOMPARE(handed.country, std::string("U.S.A."));
    dlg.Field(0)->setText("Changed");
    dlg.reject();
    QCOMPARE(handed.contactName, std::string("Ann Lee Smith"));
  }

  void obsParamsDoubleClicksAndOk() {
    ScriptedPlatform ui;
    TableLookup lookup;
    VerifiedIds verified;
    ObsParams record;
    record.observationTime = 40000.5;
    ui::TObsParamsDlg dlg(record, "Edit Parameters", true, {}, verified, lookup, ui);
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Observation Parameters - Edit Parameters"));
    QCOMPARE(dlg.DateField()->text(), QString("2009/07/06"));
    QCOMPARE(dlg.TimeField()->text(), QString("12:00:00"));
    QTest::keyClicks(dlg.NumberField(), "12p");
    QTest::mouseDClick(dlg.NumberField(), Qt::LeftButton);
    QCOMPARE(dlg.NumberField()->text(), QString("12P"));
    QVERIFY(dlg.Comet()->isChecked());
    QCOMPARE(lookup.calls, 0);
    QVERIFY(!dlg.Discovery()->isEnabled());
    PressOk(&dlg);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(record.number, std::string("0012P"));
    QCOMPARE(record.objectType, std::uint8_t{1});
    QVERIFY(ui.Messages().empty());

    // A name with no number or designation: the report warning, Cancel keeps the dialog.
    ObsParams other;
    ui::TObsParamsDlg dlg2(other, "Verify/Complete", true, {}, verified, lookup, ui);
    dlg2.show();
    QTest::keyClicks(dlg2.NameField(), "Nowhere Rock");
    ui.AnswerNext(Answer::Cancel);
    PressOk(&dlg2);
    QVERIFY(dlg2.isVisible());
    QCOMPARE(ui.Messages().at(0).caption, std::string("** See \"Guide to Minor-Body Astrometry\" **"));
    QTest::mouseDClick(dlg2.NameField(), Qt::LeftButton);  // remembered: no new look-up
    const int calls = lookup.calls;
    QTest::mouseDClick(dlg2.NameField(), Qt::LeftButton);
    QCOMPARE(lookup.calls, calls);
  }
};

QTEST_MAIN(TestRecordDialogs)
#include "tst_record_dialogs.moc"
