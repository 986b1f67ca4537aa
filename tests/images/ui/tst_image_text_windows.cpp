// The header and image data windows of a loaded image, on the offscreen platform.
#include <QListWidget>
#include <QTest>

#include "images/fits_file.h"
#include "images/ui/t_image_text_window.h"
#include "images/sbig_file.h"
#include "support/mini_fits.h"
#include "support/sbig_writer.h"
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

  // A plate-solved image: the image data window adds the WCS lines, the
  // header window of a tile-compressed image lists the image's own header.
  void wcsLinesAndCompressedHeader() {
    TempDir dir;
    ScriptedPlatform ui;
    skarvel::SearchDialogState search;
    const std::string fixtures = std::string(SKARVEL_TEST_DATA_DIR) + "/images/fits/";
    skarvel::FITSFileObj image(skarvel::ImageLoadContext{&ui, dir.Path(), 0, nullptr, nullptr});
    QVERIFY(image.Load(fixtures + "wcs_crota.fits"));
    auto data = skarvel::ui::MakeImageDataWindow(image, "Image 2 - ", ui, search);
    data->Show();
    QListWidget* lines = data->Window().ListBox();
    QCOMPARE(lines->count(), 10);
    QCOMPARE(lines->item(7)->text(), QString::fromLatin1("WCS Image Centre - RA: 10h 00m 59.78s;  Dec: +32\xB0 30' 05.1\""));
    QCOMPARE(lines->item(8)->text(), QString("WCS Scale: 2.000 Arcsec/Pixel;  Rotation: -30.00 Degs. N->E"));
    QCOMPARE(lines->item(9)->text(), QString("WCS Field Orientation - Reverse E-W: No;  Reverse N-S: Yes"));

    skarvel::FITSFileObj packed(skarvel::ImageLoadContext{&ui, dir.Path(), 0, nullptr, nullptr});
    QVERIFY(packed.Load(fixtures + "rice_u16.fits.fz"));
    auto header = skarvel::ui::MakeHeaderWindow(packed, "Image 1 - ", ui, search);
    header->Show();
    QCOMPARE(header->Window().windowTitle(), QString("Image 1 - RICE_U16.FITS.FZ"));
    QListWidget* box = header->Window().ListBox();
    QVERIFY(box->findItems("ZIMAGE", Qt::MatchStartsWith).isEmpty());
    QVERIFY(!box->findItems("NAXIS2  =                   30", Qt::MatchStartsWith).isEmpty());
    QCOMPARE(ui.Messages().size(), std::size_t{0});
  }

  // An SBIG image's header window lists its text header; the data window names the format.
  void sbigHeaderWindow() {
    TempDir dir;
    ScriptedPlatform ui;
    skarvel::SearchDialogState search;
    skarvel::testing::SBIGFileSetup setup;
    setup.firstLine = "ST-9 Compressed Image";
    setup.keys = {{"Width", "3"}, {"Height", "1"}, {"Pedestal", "100"}, {"Temperature", "-15.5"}};
    setup.width = 3;
    setup.height = 1;
    setup.values = {100, 200, 150};
    const std::string path = dir.Path() + "comet.st9";
    skarvel::testing::WriteAll(path, skarvel::testing::SBIGFileBytes(setup));
    skarvel::SBIGFileObj image(skarvel::ImageLoadContext{&ui, dir.Path(), 0, nullptr, nullptr});
    QVERIFY(image.Load(path));
    auto header = skarvel::ui::MakeHeaderWindow(image, "Image 4 - ", ui, search);
    header->Show();
    QCOMPARE(header->Window().windowTitle(), QString("Image 4 - COMET.ST9"));
    QListWidget* box = header->Window().ListBox();
    QCOMPARE(box->count(), 9);
    QCOMPARE(box->item(1)->text(), QString("** SBIG Header Information **"));
    QCOMPARE(box->item(3)->text(), QString("ST-9 Compressed Image"));
    QCOMPARE(box->item(7)->text(), QString("Temperature = -15.5"));
    auto data = skarvel::ui::MakeImageDataWindow(image, "Image 4 - ", ui, search);
    data->Show();
    QCOMPARE(data->Window().ListBox()->item(1)->text(), QString("File Type: SBIG - ST-9 Compressed Image"));
    QCOMPARE(data->Window().ListBox()->item(3)->text(), QString("Raw Pixel Values - Minimum: 100.0;   Maximum: 200.0"));
  }
};

QTEST_MAIN(TestImageTextWindows)
#include "tst_image_text_windows.moc"
