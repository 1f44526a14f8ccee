#pragma once
// Splits a multipart/form-data body into its parts, the way a receiving script would.

#include <QByteArray>
#include <vector>

struct ReceivedPart {
  QByteArray name;      // of Content-Disposition
  QByteArray fileName;  // of Content-Disposition, empty for a text field
  bool hasFileName = false;
  QByteArray contentType;  // empty when the part has none
  QByteArray body;
};

// The boundary from a Content-Type header ("multipart/form-data; boundary=..."), quoted or not.
QByteArray BoundaryOf(const QByteArray& contentType);

// The parts of body; empty when the body does not follow the boundary's framing.
std::vector<ReceivedPart> ReadMultipart(const QByteArray& body, const QByteArray& boundary);
