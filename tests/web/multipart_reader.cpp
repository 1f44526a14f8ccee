#include "tests/web/multipart_reader.h"

#include <QList>

QByteArray BoundaryOf(const QByteArray& contentType) {
  const qsizetype at = contentType.indexOf("boundary=");
  if (at < 0) return {};
  QByteArray boundary = contentType.mid(at + 9);
  const qsizetype end = boundary.indexOf(';');
  if (end >= 0) boundary.truncate(end);
  boundary = boundary.trimmed();
  if (boundary.size() >= 2 && boundary.startsWith('"') && boundary.endsWith('"')) {
    boundary = boundary.mid(1, boundary.size() - 2);
  }
  return boundary;
}

namespace {

// The value of param="..." in a header value.
bool Param(const QByteArray& header, const QByteArray& param, QByteArray* value) {
  const QByteArray key = param + "=\"";
  qsizetype at = 0;
  while ((at = header.indexOf(key, at)) >= 0) {
    if (at == 0 || header[at - 1] == ' ' || header[at - 1] == ';') break;
    at += key.size();
  }
  if (at < 0) return false;
  const qsizetype start = at + key.size();
  const qsizetype end = header.indexOf('"', start);
  if (end < 0) return false;
  *value = header.mid(start, end - start);
  return true;
}

}  // namespace

std::vector<ReceivedPart> ReadMultipart(const QByteArray& body, const QByteArray& boundary) {
  std::vector<ReceivedPart> parts;
  if (boundary.isEmpty()) return {};
  const QByteArray delimiter = "--" + boundary;
  qsizetype at = body.indexOf(delimiter);
  if (at < 0) return {};
  for (;;) {
    at += delimiter.size();
    if (body.mid(at, 2) == "--") return parts;  // closing delimiter
    if (body.mid(at, 2) != "\r\n") return {};
    at += 2;
    const qsizetype headEnd = body.indexOf("\r\n\r\n", at);
    if (headEnd < 0) return {};
    const qsizetype next = body.indexOf("\r\n" + delimiter, headEnd + 4);
    if (next < 0) return {};
    ReceivedPart part;
    for (const QByteArray& line : body.mid(at, headEnd - at).split('\n')) {
      const qsizetype colon = line.indexOf(':');
      if (colon < 0) continue;
      const QByteArray name = line.left(colon).trimmed().toLower();
      const QByteArray value = line.mid(colon + 1).trimmed();
      if (name == "content-disposition") {
        Param(value, "name", &part.name);
        part.hasFileName = Param(value, "filename", &part.fileName);
      } else if (name == "content-type") {
        part.contentType = value;
      }
    }
    part.body = body.mid(headEnd + 4, next - headEnd - 4);
    parts.push_back(part);
    at = next + 2;
  }
}
