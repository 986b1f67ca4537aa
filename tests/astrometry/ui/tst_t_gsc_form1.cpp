// The reference-field window on the offscreen platform: the star picture of
// a real field at its projected places, picking stars with clicks through the
// "Reference Star" dialog, the markers drawn, the field parameters dialog with
// bad and good input, the adjust dialog, the data list, the menu commands and
// printing.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "astrometry/reference_field.h"
#include "astrometry/ui/t_fld_parms_dlg.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "catalogs/gsc_regions.h"
#include "images/ui/t_image_text_window.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::CatalogStar;
using skarvel::FieldRequest;
using skarvel::GSCFieldObj;
using skarvel::GSCRgnsTblObj;
using skarvel::OptionsRecord;
using skarvel::ReferenceStar;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::FieldParamsSetup;
using skarvel::ui::ReferenceFieldHost;
using skarvel::ui::RefInfoAnswer;
using skarvel::ui::TFldParmsDlg;
using skarvel::ui::TGSCAdjstForm1;
using skarvel::ui::TGSCForm1;
using skarvel::ui::TRefInfoForm1;

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kClientW = 600;  // the image window's client area beside the reference window
constexpr int kClientH = 450;

// Runs `act` on the next modal dialog once it shows.
void OnNextModal(std::function<void(QDialog*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

bool IsRgb(const QImage& img, int x, int y, int r, int g, int b) {
  const QColor c = img.pixelColor(x, y);
  return c.red() == r && c.green() == g && c.blue() == b;
}

}  // namespace

class TestGSCForm1 : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ScriptedPlatform> ui_;
  OptionsRecord options_;
  std::unique_ptr<GSCRgnsTblObj> table_;
  std::unique_ptr<GSCFieldObj> field_;
  FieldRequest request_;
  skarvel::SearchDialogState search_;
  std::unique_ptr<TGSCForm1> form_;
  int restarts_ = 0, cleared_ = 0, solutionChanges_ = 0, boxChanges_ = 0, optionsNoted_ = 0;

  // The Tycho-2 stars of the field around RA 6 h, Dec +23.44 (tests/data/catalogs/README.md).
  void LoadField() {
    field_->BeginField();
    std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/tycho2/field_ecl090.csv");
    QVERIFY(in.good());
    std::string line;
    std::getline(in, line);
    int n = 0;
    while (std::getline(in, line)) {
      std::stringstream s(line);
      std::string ra, dec, mag;
      std::getline(s, ra, ',');
      std::getline(s, dec, ',');
      std::getline(s, mag, ',');
      CatalogStar star;
      star.catalog = skarvel::kCatalogGSC;
      char id[24];
      std::snprintf(id, sizeof id, "01234-%05d", ++n);
      star.id = id;
      star.ra = std::stold(ra);
      star.dec = std::stold(dec);
      star.mag = std::stof(mag);
      star.magErr = 0.2f;
      star.posErr = 0.3f;
      star.entries = 2;
      star.band = skarvel::kBandUnknown;
      field_->AddStar(star);
    }
    QVERIFY(n > 100);
  }

  void Open(bool invert = false) {
    dir_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    ui_->SetScreen(kScreenWidth, 1024);
    options_ = OptionsRecord{};
    options_.catalogLocation = 0;
    options_.primaryCatalog = skarvel::kPrimaryGSC;
    options_.invertRefDisplay = invert;
    options_.userRecord.contactName = "Ada Observer";
    table_ = std::make_unique<GSCRgnsTblObj>(options_, *ui_);
    field_ = std::make_unique<GSCFieldObj>(options_, *ui_, *table_);
    request_ = FieldRequest{};
    request_.params.centreRA = 5.9999999L;
    request_.params.centreDec = 23.4392813L;
    request_.params.size = 60;
    request_.params.limitMag = 20;
    request_.colourChoice = 1;
    LoadField();
    restarts_ = cleared_ = solutionChanges_ = boxChanges_ = optionsNoted_ = 0;
    ReferenceFieldHost host;
    host.ui = ui_.get();
    host.options = &options_;
    host.field = field_.get();
    host.request = &request_;
    host.search = &search_;
    host.userName = [this] { return options_.userRecord.contactName; };
    host.imageClientSize = [] { return QSize(kClientW, kClientH); };
    host.imageName = [] { return std::string("M31.FIT"); };
    host.restartSelection = [this] { ++restarts_; };
    host.clearImageReferences = [this] { ++cleared_; };
    host.solutionTypeChanged = [this] { ++solutionChanges_; };
    host.boxChanged = [this] { ++boxChanges_; };
    host.noteOptionsChanged = [this] { ++optionsNoted_; };
    form_ = std::make_unique<TGSCForm1>(std::move(host));
    form_->InitFieldWindow();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  const CatalogStar& StarAt(int i) {
    const CatalogStar* s = field_->Stars().GetAt(i);
    if (s == nullptr) qFatal("no star %d", i);
    return *s;
  }
  const ReferenceStar& Entry(int i) {
    const ReferenceStar* r =
        i < form_->Model().SelectedCount() ? &form_->Model().Entries()[static_cast<std::size_t>(i)] : nullptr;
    if (r == nullptr) qFatal("no entry %d", i);
    return *r;
  }

  // Index of a star well inside the picture and at least `clear` pixels from every other star.
  int LoneStar(int clear, int skip = 0) {
    const auto& stars = field_->Stars();
    for (std::int32_t i = 0; i <= stars.LastIndex(); ++i) {
      const CatalogStar& s = StarAt(i);
      if (s.screenX < 40 || s.screenY < 40 || s.screenX > kClientW - 40 || s.screenY > kClientH - 40) continue;
      bool alone = true;
      for (std::int32_t j = 0; j <= stars.LastIndex() && alone; ++j) {
        if (j == i) continue;
        const CatalogStar& o = StarAt(j);
        if (std::hypot(o.screenX - s.screenX, o.screenY - s.screenY) < clear) alone = false;
      }
      if (alone && skip-- == 0) return i;
    }
    return -1;
  }

 private slots:
  void drawsTheStarsAtTheirProjectedPlaces() {
    Open();
    QCOMPARE(form_->windowTitle(), QString("Reference Stars  -  RA:    6:00:00.0,   Dec:   23:26:21"));
    QCOMPARE(form_->Canvas()->size(), QSize(kClientW, kClientH));
    const QImage pic = form_->Picture();
    QVERIFY(pic.save(PicturePath(*dir_, "reference_field.png")));
    QCOMPARE(pic.size(), QSize(kClientW, kClientH));
    // Each star (its projection, zoomed by 600 / 640) is bright at its centre.
    const skarvel::FieldProjection proj = skarvel::SetUpProjection(
        640, kClientH * 640.0L / kClientW, request_.params.centreRA, request_.params.centreDec, 60, 0);
    int checked = 0;
    for (std::int32_t i = 0; i <= field_->Stars().LastIndex(); ++i) {
      const CatalogStar& s = StarAt(i);
      long double x = 0, y = 0;
      QVERIFY(proj.Project(s.ra, s.dec, x, y));
      QCOMPARE(s.screenX, static_cast<int>(std::lround(static_cast<double>(x * kClientW / 640))));
      if (s.screenX < 8 || s.screenY < 8 || s.screenX >= kClientW - 8 || s.screenY >= kClientH - 8) continue;
      if (std::abs(s.screenX - kClientW / 2) <= 17 && std::abs(s.screenY - kClientH / 2) <= 1) continue;
      if (std::abs(s.screenY - kClientH / 2) <= 17 && std::abs(s.screenX - kClientW / 2) <= 1) continue;
      const QColor c = pic.pixelColor(s.screenX, s.screenY);
      QVERIFY2(c.red() >= 60 && c.red() == c.green() && c.green() == c.blue(), qPrintable(QString::number(i)));
      ++checked;
    }
    QVERIFY2(checked > 30, qPrintable(QString::number(checked)));
    // Black where no star is near (at least 12 pixels from every star, off the frame and cross).
    int black = 0, probed = 0;
    for (int y = 10; y < kClientH - 10; y += 7)
      for (int x = 10; x < kClientW - 10; x += 7) {
        if (std::abs(x - kClientW / 2) <= 18 && std::abs(y - kClientH / 2) <= 18) continue;
        bool near = false;
        for (std::int32_t i = 0; i <= field_->Stars().LastIndex() && !near; ++i)
          near = std::hypot(StarAt(i).screenX - x, StarAt(i).screenY - y) < 12;
        if (near) continue;
        ++probed;
        if (IsRgb(pic, x, y, 0, 0, 0)) ++black;
      }
    QVERIFY(probed > 1000);
    QCOMPARE(black, probed);
    // The red frame 4 pixels inside and the grey centre cross.
    QVERIFY(IsRgb(pic, 4, 100, 255, 0, 0));
    QVERIFY(IsRgb(pic, kClientW - 5, 100, 255, 0, 0));
    QVERIFY(IsRgb(pic, 300, 4, 255, 0, 0));
    QVERIFY(IsRgb(pic, 300, kClientH - 5, 255, 0, 0));
    QVERIFY(IsRgb(pic, kClientW / 2 + 17, kClientH / 2, 128, 128, 128));
    QVERIFY(IsRgb(pic, kClientW / 2, kClientH / 2 - 17, 128, 128, 128));
    QVERIFY(!IsRgb(pic, kClientW / 2 + 19, kClientH / 2, 128, 128, 128));
    QCOMPARE(form_->Model().ZeroPoint(), skarvel::FieldZeroPoint(field_->FaintestMag()));
    QVERIFY(ui_->Messages().empty());
  }

  void invertedPictureHasNoFrame() {
    Open(true);
    const QImage pic = form_->Picture();
    QVERIFY(pic.save(PicturePath(*dir_, "reference_field_inverted.png")));
    QVERIFY(IsRgb(pic, 4, 100, 255, 255, 255) || !IsRgb(pic, 4, 100, 255, 0, 0));
    const int i = LoneStar(14);
    QVERIFY(i >= 0);
    const CatalogStar& s = StarAt(i);
    QVERIFY(pic.pixelColor(s.screenX, s.screenY).red() <= 195);  // dark star on white
    QVERIFY(IsRgb(pic, s.screenX + 12, s.screenY, 255, 255, 255));
  }

  void picksStarsByClicksThroughTheReferenceStarDialog() {
    Open();
    const int i = LoneStar(30);
    QVERIFY(i >= 0);
    const CatalogStar star = StarAt(i);
    // Without AddRemove a click does nothing.
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(star.screenX, star.screenY));
    QCOMPARE(form_->Model().SelectedCount(), 0);
    form_->SetAddRemove(true);
    QVERIFY(!form_->Action("AddRemove1")->isEnabled());
    QVERIFY(!form_->Action("AddRemove2")->isEnabled());
    QString caption, catalog, id, entries, band, magErr;
    bool sawMagenta = false;
    OnNextModal([&](QDialog* d) {
      caption = d->windowTitle();
      catalog = d->findChild<QLineEdit*>("CatEd")->text();
      id = d->findChild<QLineEdit*>("IdEd")->text();
      entries = d->findChild<QLineEdit*>("EntryEd")->text();
      band = d->findChild<QLineEdit*>("ClrBndEd")->text();
      magErr = d->findChild<QLineEdit*>("MagErEd")->text();
      QVERIFY(!d->findChild<QPushButton*>("removeButton")->isEnabled());
      // The magenta highlight is drawn while the dialog is up.
      const QImage now = form_->Picture();
      sawMagenta = IsRgb(now, star.screenX - 8, star.screenY, 255, 0, 255);
      auto* mag = d->findChild<QCheckBox*>("UseMagBox");
      QVERIFY(mag->isChecked());
      QVERIFY(mag->styleSheet().contains("#008000"));
      mag->setChecked(false);
      QVERIFY(mag->styleSheet().contains("#FF0000"));
      d->findChild<QPushButton*>("okButton")->click();
    });
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(star.screenX + 2, star.screenY - 2));
    QCOMPARE(caption, QString("Reference Star"));
    QCOMPARE(catalog, QString("STSI Guide Star Catalog"));
    QCOMPARE(id, QString::fromStdString(star.id));
    QCOMPARE(entries, QString("2"));
    QCOMPARE(band, QString("Unknown"));
    QCOMPARE(magErr, QString("0.20"));
    QVERIFY(sawMagenta);
    QCOMPARE(form_->Model().SelectedCount(), 1);
    const ReferenceStar& r = Entry(0);
    QCOMPARE(r.number, 1);
    QCOMPARE(int(r.kind), 1);
    QVERIFY(r.usePos);
    QVERIFY(!r.useMag);
    QVERIFY(ui_->Beeps() >= 1);
    // The marker: its box (peak half-width 8) in red, the position-only colour.
    QImage pic = form_->Picture();
    QVERIFY(pic.save(PicturePath(*dir_, "reference_field_marked.png")));
    QVERIFY(IsRgb(pic, star.screenX - 8, star.screenY, 255, 0, 0));
    QVERIFY(IsRgb(pic, star.screenX + 8, star.screenY + 3, 255, 0, 0));
    QVERIFY(IsRgb(pic, star.screenX, star.screenY - 8, 255, 0, 0));
    QVERIFY(!IsRgb(pic, star.screenX - 8, star.screenY, 255, 0, 255));

    // A second star through a replaced runner: accepted as it comes (Kind 0, lime).
    const int j = LoneStar(30, 1);
    QVERIFY(j >= 0);
    const CatalogStar second = StarAt(j);
    form_->runRefInfo = [](const skarvel::RefInfoView& v, const skarvel::PickCandidate&) {
      return RefInfoAnswer{true, v.usePos, v.useMag};
    };
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(second.screenX, second.screenY));
    QCOMPARE(form_->Model().SelectedCount(), 2);
    QCOMPARE(Entry(1).number, 2);
    pic = form_->Picture();
    QVERIFY(IsRgb(pic, second.screenX - 8, second.screenY, 0, 255, 0));

    // The first star again through the real dialog: "&Remove" is enabled and clears both flags.
    form_->runRefInfo = nullptr;
    OnNextModal([&](QDialog* d) {
      auto* remove = d->findChild<QPushButton*>("removeButton");
      QVERIFY(remove->isEnabled());
      QVERIFY(!d->findChild<QCheckBox*>("UseMagBox")->isChecked());  // the entry's flags
      remove->click();
    });
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(star.screenX, star.screenY));
    QCOMPARE(form_->Model().SelectedCount(), 2);
    QCOMPARE(int(Entry(0).kind), 3);
    QCOMPARE(form_->Model().ActiveCount(), 1);
    pic = form_->Picture();
    QVERIFY(IsRgb(pic, star.screenX - 8, star.screenY, 128, 128, 128));

    // Cancel changes nothing.
    OnNextModal([&](QDialog* d) {
      d->findChild<QCheckBox*>("UsePosBox")->setChecked(false);
      d->findChild<QPushButton*>("cancelButton")->click();
    });
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(second.screenX, second.screenY));
    QCOMPARE(int(Entry(1).kind), 0);
    // A click far from every star opens nothing.
    form_->runRefInfo = [](const skarvel::RefInfoView&, const skarvel::PickCandidate&) -> RefInfoAnswer {
      qFatal("no dialog expected");
    };
    field_->Stars().Clear();
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(form_->Model().SelectedCount(), 2);
  }

  void reverseEWPicksTheDisplayedStar() {
    Open();
    request_.params.reverseEW = true;
    form_->InitFieldWindow();
    form_->SetAddRemove(true);
    const int i = LoneStar(30);
    QVERIFY(i >= 0);
    const CatalogStar star = StarAt(i);
    const QImage before = form_->Picture();
    QVERIFY(before.pixelColor(star.screenX, star.screenY).red() >= 60);
    form_->runRefInfo = [](const skarvel::RefInfoView& v, const skarvel::PickCandidate&) {
      return RefInfoAnswer{true, v.usePos, v.useMag};
    };
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(star.screenX, star.screenY));
    QCOMPARE(form_->Model().SelectedCount(), 1);
    QCOMPARE(Entry(0).id, star.id);
    const QImage pic = form_->Picture();
    QVERIFY(IsRgb(pic, star.screenX - 8, star.screenY, 0, 255, 0));
  }

  void chartModeDialogRestrictions() {
    Open();
    skarvel::PickCandidate pick;
    pick.star = StarAt(0);
    pick.existing = true;
    pick.reference.usePos = true;
    const skarvel::RefInfoView view = skarvel::MakeRefInfoView(pick, true, false);
    TRefInfoForm1 dialog(view, *ui_);
    dialog.show();
    QVERIFY(dialog.UsePosBox()->isHidden());
    QVERIFY(dialog.UseMagBox()->isHidden());
    QVERIFY(!dialog.findChild<QPushButton*>("cancelButton")->isEnabled());
    QVERIFY(!dialog.findChild<QPushButton*>("removeButton")->isEnabled());
    // The chart window: no markers, no frame (inverted), the reversal note in red.
    request_.params.reverseEW = true;
    form_->SetChartMode(true);
    form_->InitFieldWindow();
    QCOMPARE(form_->Canvas()->size(), QSize(640, 640));
    QVERIFY(!form_->menuBar()->findChild<QMenu*>("ReferenceStars1")->menuAction()->isEnabled());
    const QImage pic = form_->Picture();
    QVERIFY(pic.save(PicturePath(*dir_, "reference_chart.png")));
    int red = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 200; x < 440; ++x)
        if (pic.pixelColor(x, y).red() > 200 && pic.pixelColor(x, y).green() < 120) ++red;
    QVERIFY(red > 20);  // "Chart is E-W Reversed!"
  }

  void referenceStarDialogShowsTheWholeCatalogName() {
    Open();
    skarvel::PickCandidate pick;
    pick.star = StarAt(0);
    skarvel::RefInfoView view = skarvel::MakeRefInfoView(pick, false, false);
    view.catalog = "STScI Guide Star Catalog";
    TRefInfoForm1 dialog(view, *ui_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* catalog = dialog.findChild<QLineEdit*>("CatEd");
    QVERIFY(catalog != nullptr);
    QCOMPARE(catalog->text(), QString("STScI Guide Star Catalog"));
    QCOMPARE(catalog->cursorPosition(), 0);
    QVERIFY(catalog->width() >= catalog->fontMetrics().horizontalAdvance(catalog->text()) + 8);
    const QImage shot = dialog.grab().toImage();
    QVERIFY(shot.save(PicturePath(*dir_, "reference_star_dialog.png")));
    // The "S" of the name stands in the field's first few pixels: dark text
    // pixels within 12 pixels of the field's left edge, on its middle row.
    const QImage field = catalog->grab().toImage();
    int dark = 0;
    for (int x = 0; x < 12; ++x)
      for (int y = field.height() / 3; y < 2 * field.height() / 3; ++y)
        if (field.pixelColor(x, y).value() < 110) ++dark;
    QVERIFY2(dark > 0, "the first letter is cut off");
  }

  void fieldParametersDialogWithBadAndGoodInput() {
    Open();
    form_->SetAddRemove(false);
    QVERIFY(form_->Action("RegionParameters1")->isEnabled());
    FieldParamsSetup setup;
    setup.ui = ui_.get();
    setup.request = &request_;
    setup.options = &options_;
    setup.imageFilter = 1;  // V: the GSC has no such colour
    setup.referenceWindow = form_.get();
    int changes = 0;
    setup.changeCatalogOptions = [&changes](const OptionsRecord& o) -> std::optional<OptionsRecord> {
      ++changes;
      OptionsRecord copy = o;
      copy.supplCatalog = 1;
      return copy;
    };
    {
      TFldParmsDlg dialog(setup);
      dialog.show();
      QCOMPARE(dialog.windowTitle(), QString("Enter/Verify Field Parameters"));
      QVERIFY(!form_->Action("RegionParameters1")->isEnabled());
      QVERIFY(!form_->Action("AddRemove1")->isEnabled());
      QCOMPARE(dialog.Edit("RAHr")->text(), QString("6"));
      QCOMPARE(dialog.Edit("RAMin")->text(), QString("0"));
      QCOMPARE(dialog.Edit("RASec")->text(), QString("0.00"));
      QCOMPARE(dialog.Edit("DecDeg")->text(), QString("23"));
      QCOMPARE(dialog.Edit("DecMin")->text(), QString("26"));
      QCOMPARE(dialog.Edit("DecSec")->text(), QString("21.4"));
      QCOMPARE(dialog.Edit("SizEd")->text(), QString("60.0"));
      QCOMPARE(dialog.findChild<QLineEdit*>("CatlgEd")->text(), QString("STScI Guide Star Catalog"));
      QCOMPARE(dialog.ColourButtons().size(), std::size_t{2});
      QCOMPARE(dialog.ColourButtons()[1]->text(), QString("V/&Red"));
      QVERIFY(dialog.ColourButtons()[1]->isChecked());
      QVERIFY(!dialog.UseSABox()->isEnabled());  // no supplementary catalog chosen
      QVERIFY(!dialog.ColourGroup()->isEnabled());
      QCOMPARE(dialog.Edit("RAHr")->toolTip(), QString("0-23"));
      // "&Change": the catalog part from the changed copy.
      dialog.findChild<QPushButton*>("ChangeBtn")->click();
      QCOMPARE(changes, 1);
      QVERIFY(dialog.UseSABox()->isEnabled());
      dialog.UseSABox()->setChecked(true);
      QVERIFY(dialog.ColourGroup()->isEnabled());
      // Bad right ascension, then a bad size: the dialog stays with the messages.
      dialog.Edit("RAHr")->setText("25");
      dialog.findChild<QPushButton*>("okButton")->click();
      QVERIFY(dialog.isVisible());
      QCOMPARE(ui_->Messages().size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(ui_->Messages()[0].text), QString("Right Ascension is Invalid!"));
      QCOMPARE(QString::fromStdString(ui_->Messages()[0].caption), QString("Input Error!"));
      dialog.Edit("RAHr")->setText("6");
      dialog.Edit("SizEd")->setText("abc");
      dialog.findChild<QPushButton*>("okButton")->click();
      QVERIFY(dialog.isVisible());
      QCOMPARE(QString::fromStdString(ui_->Messages().back().text),
               QString("Invalid Numeric Value - Check Field, Mag., Rotn. Entries!"));
      // Good input; the V filter question answered with Cancel keeps the dialog, then OK.
      dialog.Edit("SizEd")->setText("45");
      dialog.Edit("DecDeg")->setText("-10");
      dialog.ColourButtons()[0]->setChecked(true);
      ui_->AnswerNext(Answer::Cancel);
      dialog.findChild<QPushButton*>("okButton")->click();
      QVERIFY(dialog.isVisible());
      QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Color/Filter Mismatch"));
      QVERIFY(QString::fromStdString(ui_->Messages().back().text).contains("Image Filter = \"V\""));
      ui_->AnswerNext(Answer::Ok);
      dialog.findChild<QPushButton*>("okButton")->click();
      QVERIFY(!dialog.isVisible());
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(ui_->Messages().size(), std::size_t{4});
    }
    // The reference window's items are back as they were.
    QVERIFY(form_->Action("RegionParameters1")->isEnabled());
    QVERIFY(form_->Action("AddRemove1")->isEnabled());
    QCOMPARE(request_.params.size, 45.0f);
    QVERIFY(std::fabs(static_cast<double>(request_.params.centreDec) - (-10 - 26 / 60.0 - 21.4 / 3600)) < 1e-12);
    QCOMPARE(int(request_.colourChoice), 0);
    QVERIFY(request_.params.useSupplement);
    QCOMPARE(int(options_.supplCatalog), 1);  // the changed catalog options adopted
    QCOMPARE(options_.fieldSize, 45.0f);
  }

  void adjustDialogInvertsAndChangesTheZeroPoint() {
    Open();
    const int i = LoneStar(14);
    QVERIFY(i >= 0);
    const CatalogStar s = StarAt(i);
    const int before = form_->Picture().pixelColor(s.screenX + 3, s.screenY).red();
    OnNextModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Adjust Reference Display"));
      auto* zero = d->findChild<QSpinBox*>("ZeroEdit");
      QVERIFY(zero != nullptr);
      QCOMPARE(zero->toolTip(), QString("Magnitude of Brightest Star Image (Integer)"));
      d->findChild<QCheckBox*>("InvrtCkBox")->setChecked(true);
      d->findChild<QPushButton*>("okButton")->click();
    });
    form_->DisplayParameters();
    QVERIFY(form_->Model().Inverted());
    QImage pic = form_->Picture();
    QVERIFY(IsRgb(pic, 4, 100, 255, 255, 255));  // white background, no red frame
    QCOMPARE(pic.pixelColor(s.screenX + 3, s.screenY).red(), 255 - before);
    // A brighter zero point makes every star image larger.
    const int zp = form_->Model().ZeroPoint();
    OnNextModal([zp](QDialog* d) {
      QCOMPARE(d->findChild<QSpinBox*>("ZeroEdit")->value(), zp);
      d->findChild<QSpinBox*>("ZeroEdit")->setValue(zp + 6);
      d->findChild<QCheckBox*>("InvrtCkBox")->setChecked(false);
      d->findChild<QPushButton*>("okButton")->click();
    });
    form_->DisplayParameters();
    QCOMPARE(form_->Model().ZeroPoint(), zp + 6);
    QVERIFY(!form_->Model().Inverted());
    pic = form_->Picture();
    QVERIFY(pic.save(PicturePath(*dir_, "reference_field_zero_point.png")));
    QVERIFY(pic.pixelColor(s.screenX + 3, s.screenY).red() >= before);
    QVERIFY(IsRgb(pic, 4, 100, 255, 0, 0));
  }

  void dataListAndMenuCommands() {
    Open();
    form_->ShowImageData();
    QVERIFY(form_->DataWindow() != nullptr);
    const auto& lines = form_->DataWindow()->List().Lines();
    QCOMPARE(QString::fromStdString(form_->DataWindow()->List().Title()), QString("Reference Field Image Data"));
    QCOMPARE(lines.size(), std::size_t{8});
    QCOMPARE(QString::fromStdString(lines[0]), QString("Catalog - STSI Guide Star Catalog"));
    QCOMPARE(QString::fromStdString(lines[1]), QString("Field Center - RA:    6:00:00.00,    Dec:   23:26:21.4"));
    QCOMPARE(QString::fromStdString(lines[3]), QString("Stars Found: %1").arg(field_->StarCount()));
    QCOMPARE(QString::fromStdString(lines[5]), QString("Color Selection: Red"));
    QCOMPARE(QString::fromStdString(lines[7]),
             QString("Star Image Zero Point (Magnitude): %1").arg(form_->Model().ZeroPoint()));
    QCOMPARE(QString::fromStdString(form_->DataWindow()->List().TextFileName()), QString("M31.RFL"));
    // Add/Remove restarts the selection; Clear/Reselect also empties both lists.
    form_->Action("AddRemove1")->trigger();
    QVERIFY(form_->AddRemove());
    QCOMPARE(restarts_, 1);
    form_->runRefInfo = [](const skarvel::RefInfoView& v, const skarvel::PickCandidate&) {
      return RefInfoAnswer{true, v.usePos, v.useMag};
    };
    const int i = LoneStar(30);
    form_->PickStar(StarAt(i).screenX, StarAt(i).screenY);
    QCOMPARE(form_->Model().SelectedCount(), 1);
    form_->Action("ClearReselect1")->trigger();
    QCOMPARE(form_->Model().SelectedCount(), 0);
    QCOMPARE(cleared_, 1);
    QCOMPARE(restarts_, 2);
    // The solution items set the option, check themselves and restart the selection.
    form_->Action("Quadratic1")->trigger();
    QCOMPARE(int(options_.solutionType), 2);
    QVERIFY(form_->Action("Quadratic1")->isChecked());
    QVERIFY(!form_->Action("Linear1")->isChecked());
    QCOMPARE(solutionChanges_, 1);
    QCOMPARE(restarts_, 3);
    // Restore turns every entry back on.
    form_->PickStar(StarAt(i).screenX, StarAt(i).screenY);
    form_->runRefInfo = [](const skarvel::RefInfoView&, const skarvel::PickCandidate&) {
      return RefInfoAnswer{true, false, false};
    };
    form_->PickStar(StarAt(i).screenX, StarAt(i).screenY);
    QCOMPARE(form_->Model().ActiveCount(), 0);
    form_->Action("Restore2")->trigger();
    QCOMPARE(form_->Model().ActiveCount(), 1);
    QCOMPARE(int(Entry(0).kind), 0);
    // The size dialog: a narrower window with the picture rebuilt.
    OnNextModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Adjust Reference Display Size"));
      d->findChild<QScrollBar*>("widthBar")->setValue(300);
      d->findChild<QPushButton*>("okButton")->click();
    });
    form_->Action("ResizeImage1")->trigger();
    QCOMPARE(form_->Canvas()->size(), QSize(300, 225));
    QCOMPARE(form_->Model().Picture().Width(), 300);
    QCOMPARE(StarAt(i).screenX, static_cast<int>(std::lround(static_cast<double>(StarAt(i).fieldX) * 300 / 640)));
  }

  void printsHeaderFrameAndCompassLetters() {
    Open();
    request_.params.reverseNS = true;
    const auto lines = form_->PrintLines();
    QVERIFY(lines.size() >= 8);
    QCOMPARE(QString::fromStdString(lines[0]), QString("Reference Stars"));
    QCOMPARE(QString::fromStdString(lines.back()), QString("NOTE: Chart is N-S reversed!"));
    // The picture part on a page image: frame of width 2, "N" below (reversed N-S), "E" left.
    QImage page(1000, 1400, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
      QPainter p(&page);
      form_->PrintPicture(p, 4, 20);
    }
    QVERIFY(page.save(PicturePath(*dir_, "reference_print_page.png")));
    // Find the frame: the first dark row/column from the picture's centre outwards.
    int top = -1;
    for (int y = 0; y < 1400 && top < 0; ++y)
      if (page.pixelColor(500, y).red() == 0 && page.pixelColor(500, y + 1).red() == 0 &&
          page.pixelColor(40, y).red() == 255)
        top = y;
    QVERIFY(top > 80);
    int left = -1;
    const int midY = top + 100;
    for (int x = 0; x < 1000 && left < 0; ++x)
      if (page.pixelColor(x, midY).red() == 0) left = x;
    QVERIFY(left > 20);
    int bottom = -1;
    for (int y = 1399; y > top && bottom < 0; --y)
      if (page.pixelColor(left + 1, y).red() == 0) bottom = y;
    QVERIFY(bottom > top + 100);
    auto darkIn = [&page](int x0, int y0, int x1, int y1) {
      int n = 0;
      for (int y = std::max(y0, 0); y < std::min(y1, page.height()); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, page.width()); ++x)
          if (page.pixelColor(x, y).red() < 128) ++n;
      return n;
    };
    QVERIFY(darkIn(480, top - 60, 520, top - 3) == 0);                 // nothing above (N is below)
    QVERIFY(darkIn(470, bottom + 3, 530, bottom + 60) > 20);           // "N"
    QVERIFY(darkIn(left - 60, midY + 20, left - 3, midY + 260) > 20);  // "E" at the left
    // The whole printout to PDF.
    const QString pdf = QString::fromStdString(dir_->Path() + "reference.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(form_->PrintAll(printer));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.contains("/Subtype /Image"));
  }

  void regionParametersReloadsAndReselects() {
    Open();
    int runs = 0, invalid = 0;
    bool loaded = false;
    TGSCForm1* form = form_.get();
    // A host that "loads" a smaller field when asked; a refused dialog changes nothing.
    ReferenceFieldHost host;
    host.ui = ui_.get();
    host.options = &options_;
    host.field = field_.get();
    host.request = &request_;
    host.search = &search_;
    host.imageClientSize = [] { return QSize(kClientW, kClientH); };
    host.restartSelection = [this] { ++restarts_; };
    host.clearImageReferences = [this] { ++cleared_; };
    host.markImageReferencesInvalid = [&invalid] { ++invalid; };
    host.regionParameters = [&] {
      ++runs;
      if (!loaded) return false;
      request_.params.size = 30;
      return true;
    };
    form_.reset();
    form_ = std::make_unique<TGSCForm1>(std::move(host));
    form = form_.get();
    form->InitFieldWindow();
    form->SetAddRemove(true);
    form->runRefInfo = [](const skarvel::RefInfoView& v, const skarvel::PickCandidate&) {
      return RefInfoAnswer{true, v.usePos, v.useMag};
    };
    const int i = LoneStar(30);
    form->PickStar(StarAt(i).screenX, StarAt(i).screenY);
    QCOMPARE(form->Model().SelectedCount(), 1);
    const long double fieldX = StarAt(i).fieldX;
    form->Action("RegionParameters1")->trigger();
    QCOMPARE(runs, 1);
    QCOMPARE(form->Model().SelectedCount(), 1);
    QCOMPARE(invalid, 0);
    loaded = true;
    form->Action("RegionParameters1")->trigger();
    QCOMPARE(runs, 2);
    QCOMPARE(invalid, 1);
    QCOMPARE(cleared_, 1);
    QCOMPARE(form->Model().SelectedCount(), 0);
    QVERIFY(form->AddRemove());
    QCOMPARE(restarts_, 1);
    // The half-size field doubles the distances from the centre.
    QVERIFY(std::fabs(static_cast<double>(StarAt(i).fieldX - 320) - 2 * static_cast<double>(fieldX - 320)) < 0.5);
    // In chart mode a new field only turns AddRemove on.
    form->SetChartMode(true);
    form->Action("RegionParameters1")->trigger();
    QCOMPARE(invalid, 1);
    QVERIFY(form->AddRemove());
  }

  void boxSizeCommandsStoreTheOptions() {
    Open();
    OnNextModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("\"Box\" Size for Reference Stars"));
      d->findChild<QPushButton*>("defaults")->click();  // 16, 16, 4, 3
      d->accept();
    });
    options_.refBox.skyBorder = 7;
    options_.unknownBox.skyBorder = 6;
    form_->Action("BoxReferences2")->trigger();
    QCOMPARE(boxChanges_, 1);
    QCOMPARE(optionsNoted_, 1);
    QCOMPARE(int(options_.refBox.skyBorder), 4);
    QCOMPARE(int(options_.unknownBox.skyBorder), 6);
    OnNextModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("\"Box\" Size for Unknown"));
      d->reject();
    });
    form_->Action("BoxUnknown1")->trigger();
    QCOMPARE(boxChanges_, 1);
    QCOMPARE(int(options_.unknownBox.skyBorder), 6);
  }

  void popupOpensBesideTheRightClick() {
    Open();
    QVERIFY(!form_->Popup()->isVisible());
    QTest::mouseClick(form_->Canvas(), Qt::RightButton, {}, QPoint(100, 80));
    QVERIFY(form_->Popup()->isVisible());
    QCOMPARE(form_->Popup()->pos(), form_->Canvas()->mapToGlobal(QPoint(110, 100)));
    QStringList items;
    for (QAction* a : form_->Popup()->actions())
      if (!a->isSeparator()) items << a->text();
    QCOMPARE(items, (QStringList{"&Add/Remove...", "&Clear/Reselect", "&Restore", "&Display Parameters...",
                                 "&Resize Image...", "\"&Box\" Parameters"}));
    form_->Popup()->hide();
  }

  void restoreRunsWhenShownWithTheOption() {
    Open();
    form_->SetAddRemove(true);
    form_->runRefInfo = [](const skarvel::RefInfoView&, const skarvel::PickCandidate&) {
      return RefInfoAnswer{true, false, false};
    };
    const int i = LoneStar(30);
    form_->PickStar(StarAt(i).screenX, StarAt(i).screenY);
    QCOMPARE(form_->Model().ActiveCount(), 0);
    form_->hide();
    options_.restoreAllRefs = true;
    form_->show();
    QCOMPARE(form_->Model().ActiveCount(), 1);
  }
};

QTEST_MAIN(TestGSCForm1)
#include "tst_t_gsc_form1.moc"
