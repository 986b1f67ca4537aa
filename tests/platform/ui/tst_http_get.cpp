// The HTTP GET of the Qt platform against a loopback server started by the
// test: answers, redirects, error statuses, a server that never answers, an
// endless answer, a connection dropped halfway and the stop button; then the
// on-line reader through it, with the exact query texts the server receives.
#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTest>
#include <QTimer>

#include "catalogs/b1_cat.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "platform/ui/qt_platform.h"
#include "support/net/loopback_http_server.h"

using skarvel::platform::HttpLimits;
using skarvel::platform::HttpResponse;
using skarvel::platform::QtPlatform;
using skarvel::test::HttpReply;
using skarvel::test::LoopbackHttpServer;

namespace {

// The Qt platform with its message boxes recorded instead of shown.
class RecordingPlatform : public QtPlatform {
 public:
  skarvel::platform::Answer Message(const skarvel::platform::MessageRequest& request) override {
    messages.push_back(request);
    return skarvel::platform::Answer::Ok;
  }
  std::vector<skarvel::platform::MessageRequest> messages;
};

HttpLimits Quick() {
  HttpLimits limits;
  limits.timeoutMs = 400;
  limits.maxBytes = 1024 * 1024;
  return limits;
}

std::string VizieRAnswer(const std::vector<std::string>& rows) {
  std::string t =
      "#\n#   VizieR Astronomical Server\n#INFO\tqueryParameters=9\n#RESOURCE=yCat_1355\n\n"
      "Source\tRA_ICRS\tDE_ICRS\tpmRA\tpmDE\tGmag\n\tdeg\tdeg\tmas/yr\tmas/yr\tmag\n---\t---\t---\t---\t---\t---\n";
  for (const auto& r : rows) t += r + "\n";
  return t;
}

skarvel::FieldParameters Field(float size) {
  skarvel::FieldParameters p;
  p.centreRA = 140.83425L / 15;
  p.centreDec = 8.411542L;
  p.size = size;
  p.limitMag = 16;
  skarvel::DeriveSearchWindow(p);
  return p;
}

}  // namespace

class TestHttpGet : public QObject {
  Q_OBJECT

 private slots:
  void httpsHasItsBackendAndTheSystemCertificates() {
    // No connection is made: the TLS backend loads and the system's CA store is read.
    QVERIFY(QSslSocket::supportsSsl());
    QVERIFY(QSslConfiguration::systemCaCertificates().size() > 10);
  }

  void answersRedirectsAndErrorStatuses() {
    LoopbackHttpServer server;
    server.Answer("/table", HttpReply::Text("line 1\nline 2\n"));
    HttpReply moved;
    moved.mode = HttpReply::Mode::Redirect;
    moved.location = server.BaseUrl() + "/table";
    server.Answer("/moved", moved);
    server.Answer("/broken", HttpReply::Text("<html>trouble</html>", 500, "Internal Server Error"));
    QtPlatform ui;
    ui.SetHttpLimits(Quick());
    HttpResponse r = ui.HttpGet(server.BaseUrl() + "/table?a=1%202");
    QVERIFY(r.ok);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.body, std::string("line 1\nline 2\n"));
    r = ui.HttpGet(server.BaseUrl() + "/moved");
    QVERIFY(r.ok);
    QCOMPARE(r.body, std::string("line 1\nline 2\n"));
    r = ui.HttpGet(server.BaseUrl() + "/nowhere");
    QVERIFY(!r.ok);
    QCOMPARE(r.status, 404);
    QCOMPARE(r.error, std::string("404 Not Found"));
    r = ui.HttpGet(server.BaseUrl() + "/broken");
    QVERIFY(!r.ok);
    QCOMPARE(r.status, 500);
    QCOMPARE(r.error, std::string("500 Internal Server Error"));
    QCOMPARE(r.body, std::string("<html>trouble</html>"));
    const std::vector<std::string> seen = {"/table?a=1%202", "/moved", "/table", "/nowhere", "/broken"};
    QCOMPARE(server.Requests(), seen);
  }

  void silenceEndlessAnswersAndDroppedConnections() {
    LoopbackHttpServer server;
    HttpReply silent;
    silent.mode = HttpReply::Mode::Silent;
    server.Answer("/silent", silent);
    HttpReply endless;
    endless.mode = HttpReply::Mode::Endless;
    server.Answer("/endless", endless);
    HttpReply dropped = HttpReply::Text(std::string(200000, 'a'));
    dropped.mode = HttpReply::Mode::DropHalfway;
    server.Answer("/dropped", dropped);
    QtPlatform ui;
    ui.SetHttpLimits(Quick());
    HttpResponse r = ui.HttpGet(server.BaseUrl() + "/silent");
    QVERIFY(!r.ok);
    QCOMPARE(r.status, 0);
    QCOMPARE(r.error, std::string("no answer within 400 ms"));
    r = ui.HttpGet(server.BaseUrl() + "/endless");
    QVERIFY(!r.ok);
    QCOMPARE(r.error, std::string("the answer exceeds 1.0 MB"));
    QVERIFY(r.body.size() > 1024u * 1024u);
    QVERIFY(r.body.size() < 4u * 1024u * 1024u);
    r = ui.HttpGet(server.BaseUrl() + "/dropped");
    QVERIFY(!r.ok);
    QCOMPARE(r.status, 200);
    QVERIFY(r.body.size() < 200000u);
    QVERIFY(!r.error.empty());
    // Not a web address at all.
    r = ui.HttpGet("ftp://127.0.0.1/x");
    QVERIFY(!r.ok);
    QCOMPARE(r.error, std::string("not a web address: ftp://127.0.0.1/x"));
  }

  void theStopButtonEndsTheTransfer() {
    LoopbackHttpServer server;
    HttpReply silent;
    silent.mode = HttpReply::Mode::Silent;
    server.Answer("/silent", silent);
    QtPlatform ui;
    HttpLimits slow;
    slow.timeoutMs = 20000;  // the stop comes first
    ui.SetHttpLimits(slow);
    ui.ProgressNote("VizieR Web Service (CDS)\r\nRequesting Gaia DR3 Data");
    QString shown;
    QTimer::singleShot(200, [&shown] {
      auto* dialog = qApp->findChild<QProgressDialog*>("httpProgress");
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w); d != nullptr && d->objectName() == "httpProgress") dialog = d;
      if (dialog == nullptr) return;
      shown = dialog->labelText();
      if (auto* stop = dialog->findChild<QPushButton*>()) QTest::mouseClick(stop, Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    const HttpResponse r = ui.HttpGet(server.BaseUrl() + "/silent");
    QVERIFY(r.stopped);
    QVERIFY(!r.ok);
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(shown.startsWith("VizieR Web Service (CDS)\r\nRequesting Gaia DR3 Data\n0 bytes received"));
    ui.ProgressNote("");
  }

  void theOnlineReaderThroughTheLoopbackServer() {
    LoopbackHttpServer server;
    server.Answer("/viz-bin/asu-tsv",
                  HttpReply::Text(VizieRAnswer({"5741234567890123456\t140.8301\t8.4071\t-12.3\t6.7\t10.12",
                                                "5741234567890120001\t140.9000\t8.5000\t\t\t12.50"})));
    skarvel::OptionsRecord options;
    options.webCatalog = skarvel::kWebGaiaDR3;
    options.vizierServer = server.BaseUrl();
    RecordingPlatform ui;
    ui.SetHttpLimits(Quick());
    skarvel::GSCRgnsTblObj table(options, ui);
    skarvel::GSCFieldObj field(options, ui, table);
    skarvel::B1CatObj online(options, ui);
    online.SetColourChoice(0);
    skarvel::FieldCatalogReaders readers;
    readers.online = &online;
    skarvel::FieldLoadContext context{options, ui, table, field, readers};
    QVERIFY(skarvel::LoadReferenceField(context, Field(20), 2461000.5L));
    QCOMPARE(field.StarCount(), 2);
    QVERIFY(ui.messages.empty());
    // The exact query the server received: blanks as %20, "+" as %2B, "<" as %3C.
    const std::vector<std::string> first = {
        "/viz-bin/asu-tsv?-source=I/355/gaiadr3&-c=140.834250%20%2B8.411542&-c.eq=J2000&-c.rd=0.3539"
        "&-out=Source,RA_ICRS,DE_ICRS,pmRA,pmDE,Gmag&-out.max=50000&-sort=Gmag&Gmag=%3C16.0"};
    QCOMPARE(server.Requests(), first);
    // A slightly smaller field with the same centre: the stored answer, no request.
    QVERIFY(skarvel::LoadReferenceField(context, Field(19.5f), 2461000.5L));
    QCOMPARE(server.Requests().size(), std::size_t{1});
    QCOMPARE(field.StarCount(), 2);

    // The USNO-style service at its own address, every catalog's key.
    options.onlineService = skarvel::kServiceUSNO;
    options.usnoCatURL = server.BaseUrl() + "/cgi-bin/vo_cone.cgi?";
    const char* keys[] = {"CAT=NOMAD&", "CAT=USNO-B1&", "CAT=USNO-A2&"};
    for (std::uint8_t c = skarvel::kWebNOMAD; c <= skarvel::kWebUSNOA2; ++c) {
      options.webCatalog = c;
      online.SetColourChoice(1);
      QVERIFY(!skarvel::LoadReferenceField(context, Field(20), 2461000.5L));  // 404 from the test server
      QVERIFY(server.Requests().back().find(keys[c]) != std::string::npos);
      QCOMPARE(ui.messages.back().text,
               std::string("USNO-VO \"Get\" request failed!\r\n\r\nResponse Code = 404 Not Found"));
    }
    QCOMPARE(server.Requests().back(),
             std::string("/cgi-bin/vo_cone.cgi?CAT=USNO-A2&RA=140.834250&DEC=8.411542&SR=0.50&VERB=1&clr=R&bri=1.0"
                         "&fai=16.0&cftype=ASCII&skey=RA&slf=hh.hhh/dd.ddd"));
    // The failures left the Gaia field as it was.
    QCOMPARE(field.StarCount(), 2);
  }

  void readerMessagesForAnHtmlPageAndASilentServer() {
    LoopbackHttpServer server;
    HttpReply page = HttpReply::Text("<!DOCTYPE html>\n<html><body>Maintenance</body></html>\n");
    page.contentType = "text/html";
    server.Answer("/page/viz-bin/asu-tsv", page);
    HttpReply silent;
    silent.mode = HttpReply::Mode::Silent;
    server.Answer("/silent/viz-bin/asu-tsv", silent);
    skarvel::OptionsRecord options;
    options.webCatalog = skarvel::kWebUCAC4;
    RecordingPlatform ui;
    ui.SetHttpLimits(Quick());
    skarvel::B1CatObj online(options, ui);
    online.SetField(Field(20));
    options.vizierServer = server.BaseUrl() + "/page/viz-bin/asu-tsv";
    QVERIFY(!online.OpenCatalog());
    QCOMPARE(ui.messages.size(), std::size_t{1});
    QCOMPARE(ui.messages[0].text, std::string("VizieR answered the UCAC4 query with a web page instead of a table."
                                              "\r\n\r\nThe server may be down or the VizieR address in the "
                                              "options may be wrong.\r\n\r\n") +
                                  skarvel::kVizieRFailureAdvice);
    options.vizierServer = server.BaseUrl() + "/silent/viz-bin/asu-tsv";
    QVERIFY(!online.OpenCatalog());
    QCOMPARE(ui.messages.back().text, std::string("VizieR \"Get\" request for UCAC4 failed!\r\n\r\nServer is not "
                                                  "responding!\r\n(no answer within 400 ms)\r\n\r\n") +
                                      skarvel::kVizieRFailureAdvice);
    QCOMPARE(ui.messages.back().caption, std::string("Cannot Access Online Catalog!"));
    QVERIFY(!online.HasAnswer());
  }
};

QTEST_MAIN(TestHttpGet)
#include "tst_http_get.moc"
