// The orbit determination's result walked through the main window on the
// offscreen platform: "Determine Orbit..." fits a PyEphem fixture, "&Use
// Elements" hands it on, "Orbital &Elements" takes it with OK, and the
// ephemeris lines carry each place's 1-sigma ellipse, the same numbers as
// skarvel-cli orbit-fit --predict gives for those instants. Elements edited
// in the dialog leave the covariance behind.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "astrometry/ui/t_info_list_form1.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "orbits/fit_observations.h"
#include "orbits/ui/t_ephemeris_dlg.h"
#include "orbits/ui/t_orb_el_form1.h"
#include "orbits/ui/t_orbit_fit_form.h"
#include "shell/astrm_lab.h"
#include "shell/cli/cli.h"
#include "shell/ui/orbit_windows.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::ElementField;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TEphemerisDlg;
using skarvel::ui::TOrbElForm1;
using skarvel::ui::TOrbitFitForm;

namespace {

const std::string kFitDir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/";
/// The PyEphem fixture's prediction instant (TT), 30 days after its arc.
constexpr const char* kPredictJd = "2458691.53552";

/// Runs `act` on the next modal dialog of type D once it shows.
template <typename D>
void OnNextModal(std::function<void(D&)> act, bool* seen) {
  QTimer::singleShot(50, [act, seen] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    *seen = true;
    act(*dialog);
  });
}

void PressOk(QDialog& dialog) {
  QTest::mouseClick(dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

class TestOrbitFitWalk : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;

  void Start() {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(*root_);
    env.storage.currentDir = root_->MakeDir("work");
    env.storage.perUserDir = root_->Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_->Path() + "none";
    {
      ScriptedPlatform quiet;
      skarvel::OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().expertMode = true;
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void Stop() {
    ui_->AnswerNext(Answer::Yes);
    window_->close();
    window_.reset();
    lab_.reset();
  }

  // The ephemeris dialog: 3 points a day apart from kPredictJd.
  void GenerateEphemeris() {
    bool seen = false;
    OnNextModal<TEphemerisDlg>(
        [](TEphemerisDlg& d) {
          d.JulianFormat()->click();
          d.JulianDateField()->setText(kPredictJd);
          d.PointsField()->setText("3");
          d.IntervalField()->setText("1");
          d.Days()->click();
          PressOk(d);
        },
        &seen);
    window_->RunCommand("GenEphem1");
    QVERIFY(seen);
  }

  QStringList EphemerisLines() {
    QStringList lines;
    QListWidget* box = window_->Orbits()->EphemerisForm()->ListBox();
    for (int k = 0; k < box->count(); ++k) lines << box->item(k)->text();
    return lines;
  }

 private slots:
  void fitElementsEphemerisCarryTheUncertainty() {
    Start();
    // The user's own site stands in for its code; the command line finds the
    // same site in its list, written with the numbers the window uses.
    skarvel::SiteRecord& site = lab_->Report()->site;
    site.code = "Y99";
    site.name = "Own site";
    site.longitudeDeg = -70.8149f;
    site.latitudeDeg = -30.1691f;
    site.altitudeM = 2215;
    const skarvel::ObservatoryCode own = skarvel::SiteObservatoryCode(site);
    char line[160];
    std::snprintf(line, sizeof line, "Y99 %.12f %.12f %+.12f Own site\n", static_cast<double>(own.longitudeEastDeg),
                  static_cast<double>(own.rhoCosPhi), static_cast<double>(own.rhoSinPhi));
    const std::string codes = root_->Path() + "codes.txt";
    std::ofstream(codes) << ReadAll(kFitDir + "obscodes.txt") << line;
    const std::string observations = kFitDir + "three_nights_02.txt";

    // 1. The fit, handed on with "&Use Elements".
    bool seen = false;
    QString report;
    OnNextModal<TOrbitFitForm>(
        [&](TOrbitFitForm& form) {
          form.ObservationsEdit()->setText(QString::fromStdString(observations));
          form.CodesEdit()->setText(QString::fromStdString(codes));
          QTest::mouseClick(form.FitButton(), Qt::LeftButton);
          report = form.ReportView()->toPlainText();
          QTest::mouseClick(form.UseButton(), Qt::LeftButton);
          form.reject();
        },
        &seen);
    window_->RunCommand("DetermineOrbit1");
    QVERIFY(seen);
    QVERIFY(report.contains("RMS: "));
    QVERIFY(ui_->Messages().empty());
    QVERIFY(lab_->Orbits().Current().fit != nullptr);

    // 2. The elements dialog shows them; OK keeps them, covariance and all.
    seen = false;
    QString shownA;
    OnNextModal<TOrbElForm1>(
        [&](TOrbElForm1& d) {
          shownA = d.Field(ElementField::kA)->text();
          PressOk(d);
        },
        &seen);
    window_->RunCommand("ElemEdit1");
    QVERIFY(seen);
    QVERIFY(!shownA.isEmpty());
    QVERIFY(lab_->Orbits().Current().fit != nullptr);

    // 3. The ephemeris: each line with its ellipse.
    GenerateEphemeris();
    const QStringList lines = EphemerisLines();
    const int first = static_cast<int>(lab_->Orbits().EphemerisWindow().FirstTableLine());
    QCOMPARE(lines[first - 2].mid(80).trimmed(), QString("1-Sigma Ellipse"));
    QCOMPARE(lines[first - 1].mid(80), QString("  Major(\")  Minor(\")    PA"));
    QVERIFY(lines.contains("Uncertainty: 1-sigma sky-plane ellipse of the orbit fit's linearised covariance."));
    QVERIFY(lines.contains("Two-body orbit about the Sun: planetary perturbations are left out."));
    auto& table = lab_->Orbits().Table();
    QCOMPARE(table.Size(), std::size_t{3});
    for (std::int32_t k = 0; k < 3; ++k) {
      const skarvel::EphemerisRecord& r = *table.GetAt(k);
      QVERIFY(r.hasSigma);
      const long double jd = skarvel::DateTimeToDays(r.dateTime) + skarvel::kJulianDateOffset;
      // The command line at the same instant.
      std::ostringstream out, err;
      const int status = skarvel::cli::Main({"orbit-fit", observations, "--obscodes", codes, "--predict",
                                             skarvel::FormatFixed(8, jd), "--site", "Y99"},
                                            out, err);
      QCOMPARE(status, 0);
      const auto j = nlohmann::json::parse(out.str());
      const double major = j["prediction"]["sigma_arcsec"].get<double>();
      const double minor = j["prediction"]["sigma_minor_arcsec"].get<double>();
      const double pa = j["prediction"]["pa_deg"].get<double>();
      QVERIFY2(std::fabs(static_cast<double>(r.sigmaMajorArcsec) - major) <= 1e-6 * major, std::to_string(k).c_str());
      QVERIFY(std::fabs(static_cast<double>(r.sigmaMinorArcsec) - minor) <= 1e-6 * minor);
      QVERIFY(std::fabs(static_cast<double>(r.sigmaPaDeg) - pa) <= 1e-4);
      // The line shows them as the command line's numbers print.
      const QString text = lines[first + k];
      QCOMPARE(text.mid(80, 10).trimmed(), QString::fromStdString(skarvel::FormatFixed(1, major)));
      QCOMPARE(text.mid(90, 10).trimmed(), QString::fromStdString(skarvel::FormatFixed(1, minor)));
      QCOMPARE(text.mid(100, 6).trimmed(), QString::fromStdString(skarvel::FormatFixed(0, pa)));
      // 30 days beyond three nights: long along the track, arc seconds across it, under a degree.
      QVERIFY(major > 10 * minor && minor > 0.1 && major < 3600);
    }
    const QImage picture = window_->Orbits()->EphemerisForm()->grab().toImage();
    QVERIFY(picture.save(PicturePath(*root_, "ephemeris_with_uncertainty.png")));

    // 4. Elements edited by hand are another orbit: no ellipse.
    seen = false;
    OnNextModal<TOrbElForm1>(
        [](TOrbElForm1& d) {
          QLineEdit* e = d.Field(ElementField::kE);
          e->setText(QString::number(e->text().toDouble() + 0.01, 'f', 7));
          PressOk(d);
        },
        &seen);
    window_->RunCommand("ElemEdit1");
    QVERIFY(seen);
    QVERIFY(lab_->Orbits().Current().fit == nullptr);
    GenerateEphemeris();
    const QStringList plain = EphemerisLines();
    QCOMPARE(plain[first - 1], QString::fromLatin1(skarvel::EphemerisTableHeader()[1].c_str()));
    QCOMPARE(plain[first].size(), 80);
    QVERIFY(!plain.contains("Two-body orbit about the Sun: planetary perturbations are left out."));
    Stop();
  }
};

QTEST_MAIN(TestOrbitFitWalk)
#include "tst_orbit_fit_walk.moc"
