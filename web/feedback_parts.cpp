#include "web/feedback_parts.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QHttpMultiPart>
#include <QMimeDatabase>
#include <cerrno>
#include <cstring>

#include "web/feedback_fields.h"

namespace {

// A quoted header parameter: quotes and line breaks would end the header, so they are
// percent-encoded as browsers do.
QByteArray Quoted(const QString& text) {
  QByteArray bytes = text.toUtf8();
  bytes.replace("\"", "%22").replace("\r", "%0D").replace("\n", "%0A");
  return "\"" + bytes + "\"";
}

bool Fail(AttachError* error, AttachFailure kind, const QString& message) {
  if (error) *error = AttachError{kind, message};
  return false;
}

QString ErrnoText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

void AddTextPart(QHttpMultiPart* multi, const QString& name, const QString& value) {
  QHttpPart part;
  part.setRawHeader("Content-Disposition", "form-data; name=" + Quoted(name));
  part.setBody(value.toUtf8());
  multi->append(part);
}

bool AddFilePart(QHttpMultiPart* multi, const QString& path, AttachError* error) {
  if (path.isEmpty()) return Fail(error, AttachFailure::Missing, ErrnoText(ENOENT));
  // Non-blocking, so that a FIFO given as the file cannot hold the window.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int e = errno;
    const bool missing = e == ENOENT || e == ENOTDIR;
    const bool busy = e == EBUSY || e == ETXTBSY || e == EAGAIN;
    return Fail(error,
                missing ? AttachFailure::Missing
                : busy  ? AttachFailure::InUse
                        : AttachFailure::Other,
                ErrnoText(e));
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int e = errno;
    ::close(fd);
    return Fail(error, AttachFailure::Other, ErrnoText(e));
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return Fail(error, AttachFailure::Other, ErrnoText(S_ISDIR(info.st_mode) ? EISDIR : EINVAL));
  }
  if (info.st_size == 0) {
    ::close(fd);
    return Fail(error, AttachFailure::Missing, "The file is empty.");
  }
  // Another program that holds an exclusive lock is writing it.
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    return Fail(error, e == EWOULDBLOCK ? AttachFailure::InUse : AttachFailure::Other,
                ErrnoText(e));
  }

  auto* file = new QFile(multi);  // owned by multi, read while the request uploads
  if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    const QString message = file->errorString();
    delete file;
    return Fail(error, AttachFailure::Other, message);
  }
  const QString contentType =
      QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
  QHttpPart part;
  part.setRawHeader("Content-Disposition",
                    "form-data; name=" + Quoted(FileNameOnly(path)) + "; filename=" + Quoted(path));
  part.setRawHeader("Content-Type", contentType.toUtf8());
  part.setBodyDevice(file);
  multi->append(part);
  if (error) *error = AttachError{};
  return true;
}

QString AttachErrorText(const QString& path, const AttachError& error) {
  QString text = "Error sending the file \"" + FileNameOnly(path) + "\". ";
  switch (error.kind) {
    case AttachFailure::Missing:
      text += "\nThe file is empty or can't be found on the system.";
      text += "\n\nPlease check your file name and try again.";
      break;
    case AttachFailure::InUse:
      text += "\nThe file is open and in use with another application.";
      text += "\n\nPlease close the file and try again.";
      break;
    default:
      text += "\n\nPlease try again.";
      if (!error.message.isEmpty()) text += "\n\nError: " + error.message;
      break;
  }
  return text;
}
