// A small HTTP/1.1 server on 127.0.0.1 for tests, on its own thread: it
// answers each path from a table of replies (a body with a status, a
// redirect, silence, an endless body or a connection dropped halfway) and
// records every request target it receives. Nothing leaves the machine.
#pragma once

#include <QThread>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;
class QTcpServer;

namespace skarvel::test {

struct HttpReply {
  enum class Mode {
    Body,          ///< the status line, the headers and the whole body
    Redirect,      ///< 302 Found to `location`
    Silent,        ///< reads the request and never answers
    Endless,       ///< a 200 answer without length whose body never ends
    DropHalfway,   ///< announces the body's length, sends half of it and closes
  };
  Mode mode = Mode::Body;
  int status = 200;
  std::string reason = "OK";
  std::string contentType = "text/plain";
  std::string body;
  std::string location;

  static HttpReply Text(std::string body, int status = 200, std::string reason = "OK");
};

class LoopbackHttpServer {
 public:
  /// Listens on 127.0.0.1 at a free port. Creates the application object when
  /// the test program has none.
  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  /// "http://127.0.0.1:PORT".
  std::string BaseUrl() const;
  /// The reply for requests to `path` (the target before any "?").
  void Answer(const std::string& path, HttpReply reply);
  /// The request targets received so far ("/viz-bin/asu-tsv?-source=..."), in order.
  std::vector<std::string> Requests() const;

 private:
  void Serve(void* socket, const std::string& target);

  QThread thread_;
  QObject* context_ = nullptr;
  QTcpServer* server_ = nullptr;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, HttpReply> replies_;
  std::vector<std::string> requests_;
};

}  // namespace skarvel::test
