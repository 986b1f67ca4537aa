// The "Track and Stack" window on the offscreen platform: a generated series
// written as FITS files chosen through the open dialog, solved against its
// catalog with a blank frame left out and named, the motion typed (bad text
// refused with its message) and the stack handed on as a FITS file whose
// header holds the reference time, the summed exposure and the frame count,
// with the object on its place at the reference time.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>

#include "astrometry/ui/t_track_series_form.h"
#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "images/calib_frame.h"
#include "images/fits_file.h"
#include "astrometry/ui/t_track_candidates_form.h"
#include "support/picture_path.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/track_series.h"

using skarvel::testing::GeneratedSeries;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::SeriesSetup;
using skarvel::testing::TempDir;
using skarvel::ui::TrackSeriesHost;
using skarvel::ui::TTrackSeriesForm;

namespace {

std::string Colons(std::string text) {
  for (char& c : text)
    if (c == ' ') c = ':';
  return text;
}

// A frame written as a BITPIX -32 FITS file with its mid-exposure time, exposure and pointing.
void WriteFrame(skarvel::GraphicsFileObj& image, const skarvel::SeriesFrameInput& in, const std::string& path) {
  skarvel::CalibFrame f;
  f.width = image.width;
  f.height = image.height;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) f.pixels.push_back(static_cast<float>(image.pixels.PixelAt(x, y)));
  f.cards.push_back(skarvel::StringCard("DATE-OBS", skarvel::IsoTimeText(in.jd)));
  f.cards.push_back(skarvel::RealCard("EXPTIME", in.exposureS));
  f.cards.push_back(skarvel::StringCard("RA", Colons(skarvel::FormatRA(in.centreRAHours, 3, false))));
  f.cards.push_back(skarvel::StringCard("DEC", Colons(skarvel::FormatDec(in.centreDecDeg, 2, false))));
  skarvel::WriteFloatFits(path, f);
}

}  // namespace

class TestTrackSeriesForm : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    SeriesSetup s;
    s.frames = 8;
    s.objectSnr = 6;
    s.rateArcsecPerMin = 8;  // 9 pixels over the series: fast enough to leave the static sky
    s.seed = 5;
    series_ = std::make_unique<GeneratedSeries>(s);
    for (std::size_t k = 0; k < series_->inputs.size(); ++k) {
      files_.push_back(dir_ / series_->inputs[k].name);
      WriteFrame(*series_->images[k], series_->inputs[k], files_.back());
    }
    // A frame of sky and noise alone: no plate.
    skarvel::testing::FrameSetup blank;
    blank.width = s.width;
    blank.height = s.height;
    blank.seed = 99;
    skarvel::testing::SkyFrame empty(blank);
    empty.Render({});
    skarvel::SeriesFrameInput in = series_->inputs.back();
    in.jd += 1.5 / 1440;
    files_.push_back(dir_ / "blank.fit");
    WriteFrame(empty, in, files_.back());
  }

  void chooseSolveAndStack() {
    ScriptedPlatform ui;
    TempDir scratch;
    std::vector<std::string> stacks;
    TrackSeriesHost host;
    host.ui = &ui;
    host.scratchDir = scratch.Path();
    host.headerTimeType = 1;  // the frames' DATE-OBS is their mid-exposure
    host.imageDir = dir_.Path();
    std::vector<skarvel::SeriesFrameInput> fields;
    host.fieldStars = [this, &fields](const skarvel::SeriesFrameInput& first) {
      fields.push_back(first);
      return &series_->stars;
    };
    host.putStack = [&stacks](const std::string& file) {
      stacks.push_back(file);
      return true;
    };
    TTrackSeriesForm form(host);
    form.show();
    QCOMPARE(form.windowTitle(), QString("Track and Stack"));
    QCOMPARE(form.Status()->text(), QString("No frames chosen."));
    QVERIFY(!form.SolveButton()->isEnabled());
    QVERIFY(!form.StackButton()->isEnabled());

    // Cancelled: nothing changes.
    ui.ChooseFilesNext(std::nullopt);
    QTest::mouseClick(form.ChooseButton(), Qt::LeftButton);
    QCOMPARE(form.Frames()->count(), 0);
    QCOMPARE(ui.OpenDialogs().back().directory, dir_.Path());
    QVERIFY(ui.OpenDialogs().back().multiple);

    ui.ChooseFilesNext(files_);
    QTest::mouseClick(form.ChooseButton(), Qt::LeftButton);
    QCOMPARE(form.Frames()->count(), 9);
    QCOMPARE(form.Frames()->item(0)->text(), QString("frame1.fit  not solved"));
    QCOMPARE(form.Status()->text(), QString("9 frames, not solved."));
    QVERIFY(form.SolveButton()->isEnabled());
    QVERIFY(!form.StackButton()->isEnabled());

    QTest::mouseClick(form.SolveButton(), Qt::LeftButton);
    // The field is read around the first frame's pointing, at its time.
    QCOMPARE(fields.size(), std::size_t{1});
    QVERIFY(std::fabs(static_cast<double>(fields[0].centreRAHours) - 10.5) < 1e-6);
    QVERIFY(std::fabs(static_cast<double>(fields[0].centreDecDeg) + 45) < 1e-5);
    QVERIFY(std::fabs(fields[0].jd - series_->inputs.front().jd) < 1e-7);
    QVERIFY(form.Session().Solved());
    for (int k = 0; k < 8; ++k) {
      const QString line = form.Frames()->item(k)->text();
      QVERIFY2(line.startsWith(QString("frame%1.fit  solved, ").arg(k + 1)), qPrintable(line));
    }
    QVERIFY2(form.Frames()->item(8)->text().startsWith("blank.fit  left out: "), qPrintable(form.Frames()->item(8)->text()));
    QCOMPARE(form.Status()->text(), QString("8 of 9 frames solved; left out: blank.fit."));
    QVERIFY(form.StackButton()->isEnabled());

    // Bad text is refused with its message and no stack is made.
    ui.ClearRecords();
    form.RateField()->setText("fast");
    form.PaField()->setText("60");
    QTest::mouseClick(form.StackButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].text, std::string("The rate is a number of arc seconds a minute from 0 to 36000."));
    QCOMPARE(ui.Messages()[0].caption, std::string("Track and Stack"));
    form.RateField()->setText("8");
    form.PaField()->setText("north");
    QTest::mouseClick(form.StackButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{2});
    QCOMPARE(ui.Messages()[1].text, std::string("The position angle is a number of degrees from -360 to 720."));
    QVERIFY(stacks.empty());

    // Along the true motion (the PA typed beyond 360 is taken modulo 360).
    form.PaField()->setText("420");
    form.CombineBox()->setCurrentIndex(1);
    QTest::mouseClick(form.StackButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{2});
    QCOMPARE(stacks.size(), std::size_t{1});
    QCOMPARE(stacks[0], scratch / "STACK1.FIT");
    const skarvel::StackResult& made = form.Session().Last();
    QCOMPARE(made.frames, 8);
    QCOMPARE(made.motion.paDeg, 60.0);
    double meanJd = 0;
    for (const auto& in : series_->inputs) meanJd += in.jd / 8;
    QVERIFY(std::fabs(made.referenceJd - meanJd) < 1e-8);
    QCOMPARE(form.Status()->text(),
             QString::fromStdString("8 frames stacked, reference time " + skarvel::IsoTimeText(meanJd) +
                                    " UTC, in an image slot."));

    // The file as an image slot reads it: the reference time, summed exposure, combine and the object.
    skarvel::FITSFileObj stack(skarvel::ImageLoadContext{&ui, scratch.Path(), 1, nullptr, nullptr});
    QVERIFY(stack.Load(stacks[0]));
    const double jd = static_cast<double>(skarvel::DateTimeToDays(stack.Header().observationTime) + 2415018.5L);
    QVERIFY2(std::fabs(jd - meanJd) < 1.0 / 86400000 + 1e-9, qPrintable(QString::number(jd - meanJd)));
    QCOMPARE(static_cast<double>(stack.Header().exposure), 480.0);
    const std::vector<std::string>& cards = made.image.cards;
    QVERIFY(std::find(cards.begin(), cards.end(), skarvel::IntegerCard("NCOMBINE", 8, "frames stacked")) != cards.end());
    QVERIFY(std::find(cards.begin(), cards.end(), skarvel::StringCard("CMBMETHD", "MEDIAN")) != cards.end());
    // The object's place at the reference time holds the brightest pixel around it.
    double tx = 0, ty = 0;
    series_->TruthAt(meanJd, tx, ty);
    int bx = 0, by = 0;
    float best = -1e30f;
    for (int y = static_cast<int>(ty) - 6; y <= static_cast<int>(ty) + 6; ++y)
      for (int x = static_cast<int>(tx) - 6; x <= static_cast<int>(tx) + 6; ++x)
        if (made.image.At(x, y) > best) {
          best = made.image.At(x, y);
          bx = x;
          by = y;
        }
    QVERIFY2(std::hypot(bx - tx, by - ty) < 1.5, qPrintable(QString("%1 %2 vs %3 %4").arg(bx).arg(by).arg(tx).arg(ty)));

    // The track search: a bad rate refused, a stop honoured, then the candidates.
    ui.ClearRecords();
    form.RateMaxField()->setText("0");
    QTest::mouseClick(form.SearchButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().at(0).text,
             std::string("The fastest rate is a number of arc seconds a minute from 0.01 to 1000."));
    form.RateMaxField()->setText("12");
    ui.StopProgressAfter(1);
    QTest::mouseClick(form.SearchButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{2});
    QCOMPARE(ui.Messages()[1].text, std::string("The track search was stopped."));
    QVERIFY(form.Candidates() == nullptr);
    QTest::mouseClick(form.SearchButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{2});
    QCOMPARE(ui.Progress().back().caption, std::string("Track Search"));
    QCOMPARE(ui.Progress().back().position, std::int64_t{1000});
    QVERIFY2(ui.Progress().back().text.find(" s left") != std::string::npos, ui.Progress().back().text.c_str());
    auto* list = form.Candidates();
    QVERIFY(list != nullptr && list->isVisible());
    QCOMPARE(list->windowTitle(), QString("Track Search Candidates"));
    // The same numbers as the search called directly on the series (the command line's call).
    skarvel::TrackSearchSettings settings;
    settings.rateMaxArcsecPerMin = 12;
    const skarvel::TrackSearchResult direct = skarvel::SearchTracks(form.Session().Series(), settings);
    QVERIFY(direct.done);
    QVERIFY(!direct.candidates.empty());
    QCOMPARE(list->Table()->rowCount(), static_cast<int>(direct.candidates.size()));
    for (std::size_t i = 0; i < direct.candidates.size(); ++i) {
      const auto cells = skarvel::TrackCandidateCells(direct.candidates[i], std::nullopt);
      for (std::size_t k = 0; k < cells.size(); ++k)
        QCOMPARE(list->Table()->item(static_cast<int>(i), static_cast<int>(k) + 1)->text(),
                 QString::fromStdString(cells[k]));
    }
    QCOMPARE(list->Table()->horizontalHeaderItem(1)->text(), QString("Rate (\"/min)"));
    // One candidate is the object: on its place at the reference time, at its rate.
    series_->TruthAt(direct.referenceJd, tx, ty);
    int row = -1;
    for (std::size_t i = 0; i < direct.candidates.size() && row < 0; ++i)
      if (std::hypot(direct.candidates[i].x - tx, direct.candidates[i].y - ty) < 1.5 &&
          std::fabs(direct.candidates[i].rateArcsecPerMin - 8) < 0.8)
        row = static_cast<int>(i);
    QVERIFY2(row >= 0, qPrintable(QString("object at %1 %2 not among %3 candidates").arg(tx).arg(ty).arg(direct.candidates.size())));
    QVERIFY(direct.candidates.size() <= 2);  // at most one false candidate
    const skarvel::TrackCandidate& c = direct.candidates[static_cast<std::size_t>(row)];
    // Its thumbnail shows the object bright at the centre of a darker patch.
    const QPixmap thumb = list->Table()->item(row, 0)->data(Qt::DecorationRole).value<QPixmap>();
    QVERIFY(!thumb.isNull());
    const QImage t = thumb.toImage();
    QCOMPARE(t.width(), 75);
    const int centre = qGray(t.pixel(37, 37));
    int corners = 0;
    for (const auto& p : {QPoint(2, 2), QPoint(72, 2), QPoint(2, 72), QPoint(72, 72)}) corners += qGray(t.pixel(p));
    QVERIFY2(centre > 200 && corners / 4 < 120, qPrintable(QString("%1 %2").arg(centre).arg(corners / 4)));
    // The window as drawn holds the thumbnail's bright centre.
    const QImage shot = list->grab().toImage();
    QVERIFY(shot.save(skarvel::testing::PicturePath(scratch, "track_candidates.png")));
    const QRect cell = list->Table()->visualItemRect(list->Table()->item(row, 0));
    const QPoint at = list->Table()->viewport()->mapTo(list, cell.center());
    int brightest = 0;
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx) brightest = std::max(brightest, qGray(shot.pixel(at + QPoint(dx, dy))));
    QVERIFY2(brightest > 200, qPrintable(QString::number(brightest)));
    // "Measure": the candidate's stack into an image slot.
    list->Table()->selectRow(row);
    QTest::mouseClick(list->MeasureButton(), Qt::LeftButton);
    QCOMPARE(stacks.size(), std::size_t{2});
    QCOMPARE(stacks[1], scratch / "STACK2.FIT");
    QCOMPARE(form.Session().Last().motion.rateArcsecPerMin, c.rateArcsecPerMin);
    QCOMPARE(form.Session().Last().motion.paDeg, c.paDeg);
  }

  void refusals() {
    ScriptedPlatform ui;
    TempDir scratch;
    TrackSeriesHost host;
    host.ui = &ui;
    host.scratchDir = scratch.Path();
    host.fieldStars = [](const skarvel::SeriesFrameInput&) -> skarvel::StarList* { return nullptr; };
    TTrackSeriesForm form(host);
    // More than 200 frames.
    ui.ChooseFilesNext(std::vector<std::string>(201, files_.front()));
    QTest::mouseClick(form.ChooseButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].text, std::string("A series holds at most 200 frames; 201 were chosen."));
    QCOMPARE(form.Frames()->count(), 0);
    // A file that cannot be read keeps the series as it was.
    ui.ChooseFilesNext(std::vector<std::string>{files_[0], files_[1], files_[2]});
    QTest::mouseClick(form.ChooseButton(), Qt::LeftButton);
    QCOMPARE(form.Frames()->count(), 3);
    ui.ClearRecords();
    ui.ChooseFilesNext(std::vector<std::string>{files_[0], dir_ / "missing.fit"});
    QTest::mouseClick(form.ChooseButton(), Qt::LeftButton);
    QVERIFY(!ui.Messages().empty());
    QCOMPARE(form.Frames()->count(), 3);
    QCOMPARE(form.Frames()->item(2)->text(), QString("frame3.fit  not solved"));
    // No catalog: nothing solved, the stack refused.
    QTest::mouseClick(form.SolveButton(), Qt::LeftButton);
    QVERIFY(!form.Session().Solved());
    QVERIFY(!form.StackButton()->isEnabled());
    ui.ClearRecords();
    QVERIFY(!form.Session().StackToFile(skarvel::SkyMotion{2, 60}, skarvel::StackCombine::kMean));
    QCOMPARE(ui.Messages().at(0).text, std::string("Solve the series first."));
  }

 private:
  TempDir dir_;
  std::unique_ptr<GeneratedSeries> series_;
  std::vector<std::string> files_;
};

QTEST_MAIN(TestTrackSeriesForm)
#include "tst_track_series_form.moc"
