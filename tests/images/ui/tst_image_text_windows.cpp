// The header and image data windows of a loaded image, on the offscreen platform.
#include <QListWidget>
#include <QTest>

#include "images/fits_file.h"
#include "images/ui/t_image_text_window.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;

class TestImageTextWindows : public QObject {
  Q_OBJECT

 private slots:
  void headerAndImageDataWindows() {
    TempDir dir;
    ScriptedPlatform ui;
    const std::string path = dir.Path() + "field7.fits";
    skarvel::testing::WriteMiniFits(path, 5, 3, 100, {"OBJECT  = 'Vesta'"});
    skarvel::FITSFileObj image(skarvel::ImageLoadContext{&ui, dir.Path(), 0, nullptr, nullptr});
    QVERIFY(image.Load(path));
    skarvel::SearchDialogState search;

    auto header = skarvel::ui::MakeHeaderWindow(image, "Image 3 - ", ui, search);
    header->Show();
    QCOMPARE(header->Window().windowTitle(), QString("Image 3 - FIELD7S.FIT"));
    QListWidget* box = header->Window().ListBox();
    QCOMPARE(box->item(0)->text(), QString::fromStdString(path));
    QCOMPARE(box->item(1)->text(), QString("** FITS Header Information **"));
    QCOMPARE(box->item(box->count() - 1)->text(), QString("END"));
    QVERIFY(!box->findItems("OBJECT  = 'Vesta'", Qt::MatchExactly).isEmpty());
    // Saving proposes the header text name and filter.
    ui.SaveAsNext(std::nullopt);
    header->Window().RunCommand("AsDisplayed1");
    QCOMPARE(ui.SaveDialogs().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui.SaveDialogs()[0].fileName), QString("FIELD7S.HDR"));
    QCOMPARE(ui.SaveDialogs()[0].filterIndex, 2);

    auto data = skarvel::ui::MakeImageDataWindow(image, "Image 3 - ", ui, search);
    data->Show();
    QCOMPARE(data->Window().windowTitle(), QString("Image 3 - Image Data"));
    QListWidget* lines = data->Window().ListBox();
    QCOMPARE(lines->count(), 7);
    QCOMPARE(lines->item(2)->text(), QString("Width: 5 Pixels;  Height: 3 Pixels;  Total: 15 Pixels"));
    QCOMPARE(lines->item(3)->text(), QString("Raw Pixel Values - Minimum: 100.0;   Maximum: 124.0"));
    ui.SaveAsNext(std::nullopt);
    data->Window().RunCommand("AsDisplayed1");
    QCOMPARE(QString::fromStdString(ui.SaveDialogs()[1].fileName), QString("FIELD7S.IMG"));
    QCOMPARE(ui.SaveDialogs()[1].filterIndex, 3);
  }
};

QTEST_MAIN(TestImageTextWindows)
#include "tst_image_text_windows.moc"
