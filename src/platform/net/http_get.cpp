#include "platform/net/http_get.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <cstdio>

namespace skarvel::platform {

namespace {

constexpr int kPollMs = 100;  ///< how often the stop request is looked at without data

void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "skarvel";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

std::string Latin1(const QString& s) {
  const QByteArray bytes = s.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

std::string ByteCountText(std::int64_t bytes) {
  char text[32];
  if (bytes < 1024) std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
  else if (bytes < 1024 * 1024) std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1024);
  else std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

HttpResponse QtHttpGet(const std::string& url, const HttpLimits& limits, const HttpProgress& progress) {
  EnsureApplication();
  HttpResponse response;
  const QUrl target(QString::fromUtf8(url.c_str()));
  if (!target.isValid() || (target.scheme() != "http" && target.scheme() != "https")) {
    response.error = "not a web address: " + url;
    return response;
  }
  QNetworkAccessManager manager;
  QNetworkRequest request(target);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(limits.maxRedirects);
  request.setTransferTimeout(limits.timeoutMs);
  QNetworkReply* reply = manager.get(request);
  QByteArray body;
  bool tooLarge = false, stopped = false;
  std::int64_t total = -1;
  auto abortFor = [&](bool& why) {
    why = true;
    reply->abort();
  };
  auto ask = [&] {
    if (!stopped && !tooLarge && progress && !progress(body.size(), total)) abortFor(stopped);
  };
  QObject::connect(reply, &QNetworkReply::readyRead, [&] {
    body += reply->readAll();
    if (body.size() > limits.maxBytes) abortFor(tooLarge);
    else ask();
  });
  QObject::connect(reply, &QNetworkReply::downloadProgress, [&](qint64, qint64 announced) {
    total = announced;
    if (announced > limits.maxBytes && !tooLarge) abortFor(tooLarge);
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, ask);
  poll.start(kPollMs);
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  if (!reply->isFinished()) loop.exec();
  poll.stop();
  if (!tooLarge && !stopped && reply->isOpen()) body += reply->readAll();
  // A connection closed before the announced length arrived is a broken answer.
  const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
  const bool shortBody = announced.isValid() && body.size() < announced.toLongLong();

  response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  response.body.assign(body.constData(), static_cast<std::size_t>(body.size()));
  const QNetworkReply::NetworkError error = reply->error();
  const bool success = response.status >= 200 && response.status < 300;
  response.ok = !tooLarge && !stopped && !shortBody && error == QNetworkReply::NoError && success;
  response.stopped = stopped;
  if (tooLarge) {
    response.error = "the answer exceeds " + ByteCountText(limits.maxBytes);
  } else if (stopped) {
    response.error = "stopped";
  } else if (!response.ok && response.status != 0 && !success) {
    response.error = std::to_string(response.status) + " " +
                     Latin1(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
  } else if (shortBody && error == QNetworkReply::NoError) {
    response.error = "the answer broke off after " + ByteCountText(body.size()) + " of " +
                     ByteCountText(announced.toLongLong());
  } else if (error == QNetworkReply::OperationCanceledError) {
    response.error = "no answer within " + (limits.timeoutMs % 1000 == 0
                                                 ? std::to_string(limits.timeoutMs / 1000) + " s"
                                                 : std::to_string(limits.timeoutMs) + " ms");
  } else if (!response.ok) {
    response.error = Latin1(reply->errorString());
  }
  delete reply;
  return response;
}

}  // namespace skarvel::platform
