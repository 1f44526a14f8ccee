#include "tests/web/http_test_server.h"

#include <QHostAddress>
#include <QTcpSocket>

HttpTestServer::HttpTestServer() {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::Accept);
}

QString HttpTestServer::Url() const {
  return QString("http://127.0.0.1:%1").arg(server_.serverPort());
}

void HttpTestServer::Route(const QByteArray& method, const QByteArray& path, TestRoute route) {
  routes_[method + " " + path] = std::move(route);
}

QString HttpTestServer::DeadUrl() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return QString("http://127.0.0.1:%1").arg(port);
}

void HttpTestServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      pending_.remove(socket);
      socket->deleteLater();
    });
  }
}

void HttpTestServer::Read(QTcpSocket* socket) {
  QByteArray& buffer = pending_[socket];
  buffer += socket->readAll();
  for (;;) {
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) return;
    TestRequest request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
    request.method = start.value(0);
    request.path = start.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const qsizetype colon = lines[i].indexOf(':');
      if (colon > 0)
        request.headers[lines[i].left(colon).trimmed().toLower()] =
            lines[i].mid(colon + 1).trimmed();
    }
    const qsizetype length = request.Header("content-length").toLongLong();
    if (buffer.size() < headEnd + 4 + length) return;  // the body is still coming
    request.body = buffer.mid(headEnd + 4, length);
    buffer.remove(0, headEnd + 4 + length);

    requests.push_back(request);
    if (onRequest) onRequest(request);
    auto route = routes_.find(request.method + " " + request.path);
    TestRoute reply = route != routes_.end() ? route->second : TestRoute{false, 404, "Not Found"};
    if (reply.silent) continue;
    QByteArray answer =
        "HTTP/1.1 " + QByteArray::number(reply.status) + (reply.status == 200 ? " OK" : " Failed") +
        "\r\n" + "Content-Type: text/plain\r\n" +
        "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n" + reply.body;
    socket->write(answer);
  }
}
