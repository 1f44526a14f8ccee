#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the web tests: canned replies per method and
// path, requests recorded, and replies that never come.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <functional>
#include <map>
#include <vector>

class QTcpSocket;

struct TestRequest {
  QByteArray method;
  QByteArray path;
  std::map<QByteArray, QByteArray> headers;  // names in lower case
  QByteArray body;
  QByteArray Header(const QByteArray& name) const {
    auto it = headers.find(name.toLower());
    return it == headers.end() ? QByteArray() : it->second;
  }
};

struct TestRoute {
  bool silent = false;  // read the request, never answer
  int status = 200;
  QByteArray body;
};

class HttpTestServer : public QObject {
 public:
  HttpTestServer();
  // "http://127.0.0.1:<port>"
  QString Url() const;
  void Route(const QByteArray& method, const QByteArray& path, TestRoute route);

  std::vector<TestRequest> requests;
  // Called when a whole request has arrived, before it is answered.
  std::function<void(const TestRequest&)> onRequest;

  // A loopback address where nothing listens.
  static QString DeadUrl();

 private:
  void Accept();
  void Read(QTcpSocket* socket);

  QTcpServer server_;
  std::map<QByteArray, TestRoute> routes_;
  QHash<QTcpSocket*, QByteArray> pending_;
};
