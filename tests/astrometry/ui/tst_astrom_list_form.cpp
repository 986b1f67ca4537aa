// The report window on the offscreen platform: the report text in the list
// box, a line edit through the line editor, deletion and undo, the user
// dialog from "Edit Header &Information", the search, the save as text with
// its simulated-data warning, the acknowledgement dialog, and the printout
// as PDF (pages and the text drawn on them).
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "astrometry/report_formats.h"
#include "astrometry/report_list.h"
#include "astrometry/ui/astrom_list_form.h"
#include "astrometry/ui/t_ack_msg_form.h"
#include "astrometry/ui/t_edit_text_line_dlg.h"
#include "astrometry/ui/t_get_srch_str_dlg.h"
#include "config/options.h"
#include "config/ui/t_usr_parms_dlg.h"
#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstromObsObj;
using skarvel::ObservationRecord;
using skarvel::ReportForm;
using skarvel::ReportList;
using skarvel::ReportListHost;
using skarvel::SearchDialogState;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::AstromListForm;
using skarvel::ui::InfoListSettings;
using skarvel::ui::TACKMsgForm;
using skarvel::ui::TEditTextLineDlg;
using skarvel::ui::TGetSrchStrDlg;
using skarvel::ui::TUsrParmsDlg;

namespace {

// Runs `act` on the next modal dialog once it shows.
void OnNextModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

QStringList BoxLines(QListWidget* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->item(i)->text();
  return out;
}

QStringList ToQStrings(const std::vector<std::string>& lines) {
  QStringList out;
  for (const auto& l : lines) out << QString::fromLatin1(l.c_str());
  return out;
}

double At(int y, int mo, int d, int h, int mi) {
  return *skarvel::EncodeDateTime(y, mo, d, h, mi, 0.0L);
}

// ---- reading the text back out of a PDF file ----

// The decompressed contents of every "stream ... endstream" of the file.
QList<QByteArray> PdfStreams(const QByteArray& pdf) {
  QList<QByteArray> out;
  qsizetype at = 0;
  for (;;) {
    qsizetype start = pdf.indexOf("stream", at);
    if (start < 0) break;
    if (start >= 3 && pdf.mid(start - 3, 3) == "end") {
      at = start + 6;
      continue;
    }
    start += 6;
    if (pdf[start] == '\r') ++start;
    if (pdf[start] == '\n') ++start;
    const qsizetype end = pdf.indexOf("endstream", start);
    if (end < 0) break;
    QByteArray raw = pdf.mid(start, end - start);
    // qUncompress wants the expected size in front (big-endian); a generous guess does.
    QByteArray sized(4, '\0');
    const quint32 guess = 64u * 1024u * 1024u;
    sized[0] = static_cast<char>(guess >> 24);
    sized[1] = static_cast<char>((guess >> 16) & 0xFF);
    sized[2] = static_cast<char>((guess >> 8) & 0xFF);
    sized[3] = static_cast<char>(guess & 0xFF);
    const QByteArray inflated = qUncompress(sized + raw);
    out << (inflated.isEmpty() ? raw : inflated);
    at = end + 9;
  }
  return out;
}

// Glyph code -> character from the ToUnicode maps ("bfchar" and "bfrange").
QMap<quint32, QChar> GlyphMap(const QList<QByteArray>& streams) {
  QMap<quint32, QChar> map;
  const QRegularExpression hex("<([0-9A-Fa-f]+)>");
  for (const QByteArray& s : streams) {
    const QString text = QString::fromLatin1(s);
    qsizetype at = 0;
    while ((at = text.indexOf("beginbfchar", at)) >= 0) {
      const qsizetype end = text.indexOf("endbfchar", at);
      const QString block = text.mid(at + 11, end - at - 11);
      auto it = hex.globalMatch(block);
      while (it.hasNext()) {
        const quint32 glyph = it.next().captured(1).toUInt(nullptr, 16);
        if (!it.hasNext()) break;
        map[glyph] = QChar(static_cast<char16_t>(it.next().captured(1).left(4).toUInt(nullptr, 16)));
      }
      at = end;
    }
    at = 0;
    while ((at = text.indexOf("beginbfrange", at)) >= 0) {
      const qsizetype end = text.indexOf("endbfrange", at);
      const QStringList rows = text.mid(at + 12, end - at - 12).split('\n', Qt::SkipEmptyParts);
      for (const QString& row : rows) {
        QStringList values;
        auto it = hex.globalMatch(row);
        while (it.hasNext()) values << it.next().captured(1);
        if (values.size() < 3) continue;
        const quint32 first = values[0].toUInt(nullptr, 16);
        const quint32 last = values[1].toUInt(nullptr, 16);
        if (row.contains('[')) {
          for (quint32 g = first; g <= last && static_cast<qsizetype>(g - first + 2) < values.size(); ++g)
            map[g] =
                QChar(static_cast<char16_t>(values[static_cast<qsizetype>(g - first + 2)].left(4).toUInt(nullptr, 16)));
        } else {
          const quint32 base = values[2].left(4).toUInt(nullptr, 16);
          for (quint32 g = first; g <= last; ++g) map[g] = QChar(static_cast<char16_t>(base + (g - first)));
        }
      }
      at = end;
    }
  }
  return map;
}

// The text of each page content stream: one line per text object
// ("BT" ... "ET"), made of the glyphs its hex strings show.
QStringList PdfPageTexts(const QByteArray& pdf) {
  const QList<QByteArray> streams = PdfStreams(pdf);
  const QMap<quint32, QChar> glyphs = GlyphMap(streams);
  QStringList pages;
  const QRegularExpression block("\\bBT\\b(.*?)\\bET\\b", QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpression hex("<([0-9A-Fa-f]*)>");
  for (const QByteArray& s : streams) {
    const QString text = QString::fromLatin1(s);
    if (!text.contains("BT")) continue;
    QString page;
    auto b = block.globalMatch(text);
    while (b.hasNext()) {
      auto h = hex.globalMatch(b.next().captured(1));
      while (h.hasNext()) {
        const QString part = h.next().captured(1);
        for (qsizetype i = 0; i + 4 <= part.size(); i += 4) {
          const QChar c = glyphs.value(part.mid(i, 4).toUInt(nullptr, 16), '?');
          page += c == '\t' ? QChar(' ') : c;  // the blank's glyph is mapped to the tab
        }
      }
      page += '\n';
    }
    if (!page.isEmpty()) pages << page;
  }
  return pages;
}

int PdfPageCount(const QByteArray& pdf) {
  return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
                          pdf.count("/Type /Page>"));
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

}  // namespace

class TestAstromListForm : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstromObsObj> report_;
  std::unique_ptr<ReportList> list_;
  std::unique_ptr<AstromListForm> window_;
  SearchDialogState search_;
  bool saved_ = true;
  int acks_ = 0;
  std::vector<skarvel::HeaderRecord> headerChanges_;

  void Open(int observations, bool simulated = false) {
    dir_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    skarvel::UserRecord user;
    user.contactName = "Ann Smith";
    user.email = "ann@example.org";
    user.observers = "ann smith";
    report_ = std::make_unique<AstromObsObj>(user, skarvel::CameraRecord{}, skarvel::DefaultSiteRecord());
    skarvel::OptionsRecord options;
    for (int k = 0; k < observations; ++k) {
      skarvel::ObsParams p;
      p.objectName = "Eros " + std::to_string(k);
      p.number = "433";
      p.observationTime = At(2026, 12, 9, 18, 0) + k / 96.0;
      p.note = simulated && k == 1 ? skarvel::kNoteSimulated : skarvel::kNoteNormal;
      skarvel::ReferenceStar t;
      t.fitRA = 5.0L + k / 100.0L;
      t.fitDec = 22.0L - k / 10.0L;
      t.catMag = 12.0L;
      t.band = 2;
      report_->AddObservation(p, t, options);
    }
    ReportListHost host;
    host.oldReportFormat = [] { return true; };
    host.expertMode = [] { return false; };
    host.reportFileName = [] { return std::string("NIGHT.RPT"); };
    host.reportDir = [this] { return dir_->Path(); };
    host.reportSaved = [this] { return saved_; };
    host.setReportSaved = [this](bool s) { saved_ = s; };
    host.now = [] { return At(2026, 12, 10, 1, 0); };
    host.editAcknowledgement = [this](AstromObsObj& r, bool cancelEnabled) {
      ++acks_;
      TACKMsgForm::Ask(r, cancelEnabled, window_.get());
    };
    host.editUser = [this](skarvel::UserRecord& r) {
      TUsrParmsDlg dialog(r, *ui_, dir_->Path(), window_.get());
      return dialog.exec() == QDialog::Accepted;
    };
    host.headerRecordChanged = [this](skarvel::HeaderRecord which) { headerChanges_.push_back(which); };
    host.show = [this] { window_->ShowList(); };
    list_ = std::make_unique<ReportList>(*report_, std::move(host));
    window_ = std::make_unique<AstromListForm>(*list_, *ui_, search_);
    window_->SetSettingsSource([] {
      InfoListSettings s;
      s.userLine = "Ann Smith";
      s.now = At(2026, 12, 10, 1, 0);
      return s;
    });
  }

  // Shows the short form, confirming the acknowledgement dialog it brings.
  void ShowShort() {
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TACKMsgForm*>(modal);
      QVERIFY(d != nullptr);
      QVERIFY(!d->CancelButton()->isEnabled());
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    list_->ShowForm(ReportForm::kShort);
    QCOMPARE(acks_, 1);
  }

  void Close() {
    window_.reset();
    list_.reset();
    report_.reset();
    acks_ = 0;
    saved_ = true;
    headerChanges_.clear();
  }

  void SelectRow(int row) {
    window_->ListBox()->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    QCOMPARE(list_->Selected(), row);
  }

 private slots:
  void showsTheReportText() {
    Open(3);
    ShowShort();
    QVERIFY(window_->isVisible());
    QCOMPARE(window_->windowTitle(), QString("Formatted Astrometric Results - NIGHT.RPT"));
    QCOMPARE(BoxLines(window_->ListBox()), ToQStrings(list_->Lines()));
    QCOMPARE(window_->ListBox()->item(0)->text(), QString("COD 695"));
    QCOMPARE(window_->ListBox()->item(list_->HeaderLineCount())->text(),
             QString::fromLatin1(skarvel::ObservationLines80(report_->Observations()[0], report_->site)[0].c_str()));
    QVERIFY(window_->Action("Edit1")->isVisible());
    QVERIFY(window_->Action("EditObservationParameters1")->isVisible());
    QVERIFY(window_->Action("EditHeaderInformation1")->isVisible());
    QVERIFY(window_->Action("Plot1")->isVisible());
    QCOMPARE(window_->Action("DeleteSelectedItem1")->text(), QString("&Delete Selected Item..."));
    QVERIFY(window_->Action("CommaDelimit")->isEnabled());
    QVERIFY(!window_->Action("UndoEdit")->isEnabled());
    // 8 header lines + 3 observations = 11 lines: (11 + 1.3) line heights tall.
    QCOMPARE(window_->ListBox()->height(), static_cast<int>(std::nearbyint(12.3 * window_->LineHeight())));
    const QImage picture = window_->grab().toImage();
    QVERIFY(picture.save(PicturePath(*dir_, "report_window.png")));
    // Every line is drawn in its row, and nothing below the last one.
    auto ink = [&picture](const QRect& r) {
      int dark = 0;
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
          if (qGray(picture.pixel(x, y)) < 128) ++dark;
      return dark;
    };
    QListWidget* box = window_->ListBox();
    const QPoint offset = box->viewport()->mapTo(window_.get(), QPoint(0, 0));
    for (int row = 0; row < box->count(); ++row) {
      const QRect r = box->visualItemRect(box->item(row)).translated(offset) & picture.rect();
      QVERIFY2(ink(r) > 20, qPrintable(QString("row %1").arg(row)));
    }
    const QRect last = box->visualItemRect(box->item(box->count() - 1)).translated(offset);
    const QRect below(last.left(), last.bottom() + 1, last.width(), picture.height() - last.bottom() - 2);
    QVERIFY(below.height() > 0);
    QCOMPARE(ink(below & picture.rect()), 0);
    Close();
  }

  void editsALineThroughTheLineEditor() {
    Open(3);
    ShowShort();
    const int row = list_->HeaderLineCount() + 1;
    SelectRow(row);
    QString shown;
    OnNextModal([&shown](QWidget* modal) {
      auto* d = qobject_cast<TEditTextLineDlg*>(modal);
      QVERIFY(d != nullptr);
      shown = d->Field()->text();
      d->Field()->setText(shown.left(77) + "696");
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    ui_->AnswerNext(Answer::Yes);
    window_->RunCommand("EditasText1");
    QCOMPARE(ui_->Captions(), (std::vector<std::string>{"Edit Formatted Text?"}));
    QCOMPARE(shown.size(), 80);
    QCOMPARE(window_->ListBox()->item(row)->text(), shown.left(77) + "696");
    QCOMPARE(window_->windowTitle(), QString("Formatted Astrometric Results - NIGHT.RPT (Modified)"));
    QVERIFY(!saved_);
    QVERIFY(window_->Action("UndoEdit")->isEnabled());
    window_->RunCommand("UndoEdit");
    QCOMPARE(window_->ListBox()->item(row)->text(), shown);
    Close();
  }

  void deletesAnObservationAndUndoes() {
    Open(3);
    ShowShort();
    const QStringList before = BoxLines(window_->ListBox());
    const int first = list_->HeaderLineCount();
    SelectRow(first);
    ui_->AnswerNext(Answer::Yes);
    window_->RunCommand("DeleteSelectedItem1");
    QCOMPARE(report_->Count(), 2u);
    QCOMPARE(window_->ListBox()->count(), before.size() - 1);
    QCOMPARE(window_->ListBox()->item(first)->text(), before[first + 1]);
    QVERIFY(BoxLines(window_->ListBox()).contains("NUM 2"));
    QVERIFY(window_->windowTitle().endsWith(" (Edited)"));
    QCOMPARE(acks_, 1);  // the rebuild is quiet
    window_->RunCommand("UndoEdit");
    QCOMPARE(BoxLines(window_->ListBox()), before);
    QCOMPARE(window_->ListBox()->currentRow(), first);
    QVERIFY(!window_->Action("UndoEdit")->isEnabled());
    // A header line of the long form stays.
    list_->ShowForm(ReportForm::kLong);
    SelectRow(0);
    window_->RunCommand("DeleteSelectedItem1");
    QCOMPARE(ui_->Captions().back(), std::string("Select a List Item!"));
    QCOMPARE(window_->ListBox()->item(0)->text(), QString("  Kitt Peak"));
    Close();
  }

  void userDialogChangesTheHeader() {
    Open(2);
    ShowShort();
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TUsrParmsDlg*>(modal);
      QVERIFY(d != nullptr);
      QCOMPARE(d->Field(6)->text(), QString("ann smith"));
      d->Field(6)->setText("john quincy public");
      d->accept();
      // The rebuild that follows renews the acknowledgement.
      OnNextModal([](QWidget* next) {
        auto* ack = qobject_cast<TACKMsgForm*>(next);
        QVERIFY(ack != nullptr);
        QTest::mouseClick(ack->OkButton(), Qt::LeftButton);
      });
    });
    window_->RunCommand("UserParameters1");
    QCOMPARE(report_->user.observers, std::string("john quincy public"));
    QVERIFY(BoxLines(window_->ListBox()).contains("OBS J. Q. Public"));
    QCOMPARE(headerChanges_.size(), 1u);
    QCOMPARE(acks_, 2);
    // A double click on the OBS line opens the same dialog; Cancel changes nothing.
    const int obs = static_cast<int>(BoxLines(window_->ListBox()).indexOf("OBS J. Q. Public"));
    bool opened = false;
    OnNextModal([&opened](QWidget* modal) {
      auto* d = qobject_cast<TUsrParmsDlg*>(modal);
      QVERIFY(d != nullptr);
      opened = true;
      d->Field(6)->setText("changed and cancelled");
      d->reject();
    });
    QListWidgetItem* item = window_->ListBox()->item(obs);
    const QPoint at = window_->ListBox()->visualItemRect(item).center();
    QTest::mouseClick(window_->ListBox()->viewport(), Qt::LeftButton, {}, at);  // a double click begins with a press
    QTest::mouseDClick(window_->ListBox()->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(opened);
    QCOMPARE(report_->user.observers, std::string("john quincy public"));
    QCOMPARE(headerChanges_.size(), 1u);
    Close();
  }

  void searchFindsTheObservation() {
    Open(4);
    ShowShort();
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
      QVERIFY(d != nullptr);
      d->TextField()->setText("ack report");
      QTest::mouseClick(d->FromTopButton(), Qt::LeftButton);
    });
    window_->RunCommand("Search1");
    QCOMPARE(window_->ListBox()->currentRow(), list_->HeaderLineCount() - 1);
    QVERIFY(window_->ListBox()->item(list_->HeaderLineCount() - 1)->isSelected());
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
      QVERIFY(d != nullptr);
      d->TextField()->setText("no such text");
      QTest::mouseClick(d->FromTopButton(), Qt::LeftButton);
    });
    window_->RunCommand("Search1");
    QCOMPARE(ui_->Messages().back().text, std::string("\"no such text\" Not Found."));
    Close();
  }

  void savesTextAfterTheSimulatedDataWarning() {
    Open(3, true);
    ShowShort();
    QVERIFY(list_->SimulatedPresent());
    ui_->AnswerNext(Answer::Cancel);
    window_->RunCommand("AsDisplayed1");
    QCOMPARE(ui_->Captions(), (std::vector<std::string>{"Simulated Data!"}));
    QVERIFY(ui_->SaveDialogs().empty());
    const std::string path = *dir_ / "night.txt";
    ui_->AnswerNext(Answer::Ok);
    ui_->SaveAsNext(path);
    window_->RunCommand("AsDisplayed1");
    QCOMPARE(ui_->SaveDialogs().size(), 1u);
    QCOMPARE(ui_->SaveDialogs()[0].fileName, std::string("NIGHTRPT.TXT"));
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList written = QString::fromLatin1(file.readAll()).split('\n');
    QCOMPARE(written.mid(0, written.size() - 1), BoxLines(window_->ListBox()));
    QVERIFY(written.contains("**IMPORTANT**"));
    QVERIFY(window_->Action("SaveText1")->isChecked());
    Close();
  }

  void acknowledgementDialogKeepsWhatWasTyped() {
    AstromObsObj report{skarvel::UserRecord{}, skarvel::CameraRecord{}, skarvel::SiteRecord{}};
    report.ackMessage = "Report Generated 2026/12/10";
    report.ackEmail = "ann@example.org";
    TACKMsgForm dialog(report, true, nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Edit Acknowledgement Message"));
    QCOMPARE(dialog.MessageField()->text(), QString("Report Generated 2026/12/10"));
    QCOMPARE(dialog.MessageField()->maxLength(), 76);
    QVERIFY(dialog.CancelButton()->isEnabled());
    dialog.show();
    QTest::keyClicks(dialog.EmailField(), "x");
    QVERIFY(dialog.EmailTyped());
    dialog.reject();
    QCOMPARE(report.ackEmail, std::string("ann@example.org"));
    TACKMsgForm again(report, true, nullptr);
    again.show();
    again.EmailField()->clear();
    QTest::keyClicks(again.EmailField(), "lab@example.org");
    again.MessageField()->setText("Thanks");
    QTest::mouseClick(again.OkButton(), Qt::LeftButton);
    QCOMPARE(report.ackEmail, std::string("lab@example.org"));
    QCOMPARE(report.ackMessage, std::string("Thanks"));
    QVERIFY(report.ackEmailTyped);
  }

  void printsTheReportToPdf() {
    Open(70);  // 8 header lines + 70 observations: two A4 pages of 10-point lines
    ShowShort();
    const QString pdf = QString::fromStdString(*dir_ / "report.pdf");
    window_->SetPrintDialog([&](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setPageOrientation(QPageLayout::Portrait);
      return true;
    });
    window_->RunCommand("Print1");
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QCOMPARE(PdfPageCount(bytes), 2);
    const QStringList pages = PdfPageTexts(bytes);
    QCOMPARE(pages.size(), 2);
    const QStringList first = pages[0].split('\n');
    QCOMPARE(first[0], QString("2026/12/10 01:00:00"));
    QCOMPARE(first[1], QString("Ann Smith"));
    QCOMPARE(first[2], QString("Formatted Astrometric Results - NIGHT.RPT"));
    QCOMPARE(first[3], QString("COD 695"));
    // Every report line is printed once, in order, over the two pages.
    QStringList printed = first.mid(3);
    printed += pages[1].split('\n');
    printed.removeAll(QString());
    QCOMPARE(printed, ToQStrings(list_->Lines()));
    QVERIFY(pages[1].startsWith(QString::fromLatin1(
        skarvel::ObservationLines80(
            report_->Observations()[static_cast<std::size_t>(first.size() - 1 - 3 - list_->HeaderLineCount())],
            report_->site)[0]
            .c_str())));
    QVERIFY(list_->Printed());
    QVERIFY(window_->Action("Print1")->isChecked());
    Close();
  }
};

QTEST_MAIN(TestAstromListForm)
#include "tst_astrom_list_form.moc"
