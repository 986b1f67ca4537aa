#include "support/net/loopback_http_server.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace skarvel::test {

namespace {

constexpr qint64 kEndlessChunk = 64 * 1024;  ///< bytes written per step of an endless body

void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "skarvel-tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

QByteArray Header(const HttpReply& r, bool withLength, qint64 length) {
  std::string h = "HTTP/1.1 " + std::to_string(r.status) + " " + r.reason + "\r\n";
  h += "Content-Type: " + r.contentType + "\r\n";
  if (!r.location.empty()) h += "Location: " + r.location + "\r\n";
  if (withLength) h += "Content-Length: " + std::to_string(length) + "\r\n";
  h += "Connection: close\r\n\r\n";
  return QByteArray(h.data(), static_cast<qsizetype>(h.size()));
}

}  // namespace

HttpReply HttpReply::Text(std::string body, int status, std::string reason) {
  HttpReply r;
  r.body = std::move(body);
  r.status = status;
  r.reason = std::move(reason);
  return r;
}

LoopbackHttpServer::LoopbackHttpServer() {
  EnsureApplication();
  context_ = new QObject;
  context_->moveToThread(&thread_);
  thread_.start();
  QMetaObject::invokeMethod(
      context_,
      [this] {
        server_ = new QTcpServer;
        server_->listen(QHostAddress::LocalHost, 0);
        port_ = server_->serverPort();
        QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
          while (QTcpSocket* socket = server_->nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
              if (request->endsWith("\r\n\r\n") || request->contains("\r\n\r\n")) return;  // answered already
              *request += socket->readAll();
              const qsizetype end = request->indexOf("\r\n\r\n");
              if (end < 0) return;
              const QList<QByteArray> words = request->left(request->indexOf("\r\n")).split(' ');
              const std::string target = words.size() >= 2 ? words[1].toStdString() : std::string();
              Serve(socket, target);
            });
          }
        });
      },
      Qt::BlockingQueuedConnection);
}

LoopbackHttpServer::~LoopbackHttpServer() {
  QMetaObject::invokeMethod(
      context_,
      [this] {
        for (QTcpSocket* s : server_->findChildren<QTcpSocket*>()) s->abort();
        delete server_;
        server_ = nullptr;
        delete context_;
        context_ = nullptr;
      },
      Qt::BlockingQueuedConnection);
  thread_.quit();
  thread_.wait();
}

std::string LoopbackHttpServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

void LoopbackHttpServer::Answer(const std::string& path, HttpReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_[path] = std::move(reply);
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::Serve(void* handle, const std::string& target) {
  auto* socket = static_cast<QTcpSocket*>(handle);
  HttpReply reply = HttpReply::Text("not found", 404, "Not Found");
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(target);
    const auto it = replies_.find(target.substr(0, target.find('?')));
    if (it != replies_.end()) reply = it->second;
  }
  const QByteArray body(reply.body.data(), static_cast<qsizetype>(reply.body.size()));
  switch (reply.mode) {
    case HttpReply::Mode::Body:
      socket->write(Header(reply, true, body.size()) + body);
      socket->disconnectFromHost();
      break;
    case HttpReply::Mode::Redirect:
      reply.status = 302;
      reply.reason = "Found";
      socket->write(Header(reply, true, 0));
      socket->disconnectFromHost();
      break;
    case HttpReply::Mode::Silent: break;
    case HttpReply::Mode::Endless: {
      socket->write(Header(reply, false, 0));
      auto chunk = std::make_shared<QByteArray>(kEndlessChunk, 'x');
      QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, chunk] {
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < kEndlessChunk)
          socket->write(*chunk);
      });
      socket->write(*chunk);
      break;
    }
    case HttpReply::Mode::DropHalfway:
      socket->write(Header(reply, true, body.size()) + body.left(body.size() / 2));
      socket->flush();
      socket->waitForBytesWritten(1000);
      socket->abort();
      break;
  }
}

}  // namespace skarvel::test
