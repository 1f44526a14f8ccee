// The settings file: writing it safely, reading it, and finding values in its text.

#include "protocol/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>
#include <string>

#include "protocol/qp_internal.h"
#include "protocol/settings_types.h"

namespace {

constexpr size_t kBytesValueChars = 63;

// Closes a descriptor when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; 0 or the errno of the close.
  int Close() {
    int rc = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// 0 or the errno of the failed write.
int WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes content to a new file beside path (owner read and write only) and renames it over
// path. 0 or an errno; on failure path is as it was and the temporary file is gone.
int ReplaceFile(const std::string& path, std::string_view content) {
  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return errno;
  Descriptor file(fd);
  int err = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 ? 0 : errno;
  if (err == 0) err = WriteAll(fd, content);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  int closeErr = file.Close();
  if (err == 0) err = closeErr;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return err;
  }
  // The rename itself lasts only once the folder is on disk.
  Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return 0;
}

int32_t OpenErrorCode(int err) {
  switch (err) {
    case ENOENT: return -102;
    case EACCES:
    case EPERM: return -105;
    case EBADF: return -106;
    default: return -err;
  }
}

bool IsLineStart(std::string_view text, size_t pos) {
  return pos == 0 || text[pos - 1] == '\n' || text[pos - 1] == '\r';
}

}  // namespace

size_t FindFileValue(std::string_view text, std::string_view key) {
  if (key.empty()) return std::string_view::npos;
  for (size_t pos = text.find(key); pos != std::string_view::npos; pos = text.find(key, pos + 1)) {
    size_t after = pos + key.size();
    if (!IsLineStart(text, pos) || after >= text.size() || text[after] != '=') continue;
    size_t quote = text.find_first_of("\"\r\n", after + 1);
    if (quote == std::string_view::npos || text[quote] != '"') return std::string_view::npos;
    return quote + 1;
  }
  return std::string_view::npos;
}

bool GetFileString(std::string_view text, std::string_view key, char* dest, size_t width) {
  if (dest == nullptr || width == 0) return false;
  std::memset(dest, 0, width);
  size_t start = FindFileValue(text, key);
  if (start == std::string_view::npos) return false;
  std::string_view rest = text.substr(start);
  size_t end = rest.find('"');
  if (end != std::string_view::npos) rest = rest.substr(0, end);
  size_t n = strnlen(rest.data(), rest.size() < width - 1 ? rest.size() : width - 1);
  std::memcpy(dest, rest.data(), n);
  return n > 0;
}

bool GetFileLong(std::string_view text, std::string_view key, int32_t& dest) {
  size_t start = FindFileValue(text, key);
  if (start == std::string_view::npos) return false;
  dest = ReadLeadingNumber(text.substr(start)).value_or(0);
  return true;
}

bool GetFileDouble(std::string_view text, std::string_view key, double& dest) {
  size_t start = FindFileValue(text, key);
  if (start == std::string_view::npos) return false;
  std::string_view rest = text.substr(start);
  size_t i = 0;
  while (i < rest.size() && (rest[i] == ' ' || (rest[i] >= '\t' && rest[i] <= '\r'))) ++i;
  if (i < rest.size() && rest[i] == '+') ++i;
  double value = 0;
  auto [end, ec] = std::from_chars(rest.data() + i, rest.data() + rest.size(), value);
  (void)end;
  dest = ec == std::errc() ? value : 0.0;
  return true;
}

bool GetFileBytes5(std::string_view text, std::string_view key, std::array<uint8_t, 5>& dest) {
  std::array<char, kBytesValueChars + 1> value{};
  if (!GetFileString(text, key, value.data(), value.size())) return false;
  std::string_view rest(value.data(), strnlen(value.data(), value.size()));
  std::array<uint8_t, 5> bytes{};
  for (uint8_t& byte : bytes) {
    size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || (rest[i] >= '\t' && rest[i] <= '\r'))) ++i;
    uint32_t number = 0;
    size_t digits = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i, ++digits) {
      number = number * 10 + static_cast<uint32_t>(rest[i] - '0');
    }
    if (digits == 0) return false;
    byte = static_cast<uint8_t>(number);
    rest.remove_prefix(i);
  }
  dest = bytes;
  return true;
}

int32_t WriteInfoFile(Quil_protocol& qp, const char* path) {
  if (path == nullptr || *path == '\0') return -10;
  std::string content = kSettingsFileHeader;
  switch (SettingsTypeOf(qp.deviceType).family) {
    case SettingsFamily::Logger: WriteLoggerInfo(qp, content); break;
    case SettingsFamily::Sensor: WriteSensorInfo(qp, content); break;
    default: WriteInstInfo(qp, content); break;
  }
  int err = ReplaceFile(path, content);
  if (err != 0) {
    QP_LOG(qp, kQPLogFailure, "WriteInfoFile got error %d trying to open settings file %s", err,
           path);
    return -err;
  }
  return 1;
}

int32_t ReadInfoFile(Quil_protocol& qp, const char* path) {
  if (path == nullptr || *path == '\0') return -10;
  Descriptor file(::open(path, O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return OpenErrorCode(errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return -errno;
  std::string text;
  try {
    text.assign(static_cast<size_t>(info.st_size) + 1, '\0');
  } catch (const std::bad_alloc&) {
    return -60;
  } catch (const std::length_error&) {
    return -60;
  }
  size_t filled = 0;
  while (filled + 1 < text.size()) {
    ssize_t n = ::read(file.get(), text.data() + filled, text.size() - 1 - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -errno;
    }
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  file.Close();
  text.resize(filled);

  switch (SettingsTypeOf(qp.deviceType).family) {
    case SettingsFamily::Logger: return ReadLoggerInfo(qp, text);
    case SettingsFamily::Instrument: return ReadInstInfo(qp, text);
    case SettingsFamily::Sensor: return ReadSensorInfo(qp, text);
    case SettingsFamily::None: break;
  }
  return -13;
}

bool HasTypeLine(std::string_view text, DeviceType type) {
  for (const char* name : SettingsTypeOf(type).typeNames) {
    if (name == nullptr) continue;
    std::string line = std::string("type=\"") + name + "\"";
    for (size_t pos = text.find(line); pos != std::string_view::npos;
         pos = text.find(line, pos + 1)) {
      if (IsLineStart(text, pos)) return true;
    }
  }
  return false;
}
