#include "serial/quil_serial.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "serial/timing.h"

namespace {

constexpr const char* kModule = "QuilSerial";
constexpr int kReadSilenceMs = 100;

bool IsOpen(const QuilSerial& port) { return port.portHandle >= 0; }

speed_t SpeedFor(uint32_t baud) {
  switch (baud) {
    case 300: return B300;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
  }
}

int32_t SystemError(int err) { return kQSErrSystemBase - err; }

int32_t OpenError(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
      return kQSErrNotAvailable;
    case EBUSY:
    case EWOULDBLOCK:
      return kQSErrInUse;
    case EACCES:
    case EPERM:
      return kQSErrPermission;
    default:
      return SystemError(err);
  }
}

// Applies the line settings; 0 or an errno.
int ApplyTermios(int fd, uint32_t baud, bool onlyBaud) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return errno;
  speed_t speed = SpeedFor(baud);
  if (speed == 0) return EINVAL;
  if (!onlyBaud) {
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
  }
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return errno;
  return 0;
}

void SetModemLines(int fd, bool raise) {
  int bits = TIOCM_DTR | TIOCM_RTS;
  // A pseudo-terminal refuses modem-line requests; that is harmless.
  (void)ioctl(fd, raise ? TIOCMBIS : TIOCMBIC, &bits);
}

void AskLowLatency(int fd) {
  serial_struct ss{};
  if (ioctl(fd, TIOCGSERIAL, &ss) == 0) {
    ss.flags |= ASYNC_LOW_LATENCY;
    (void)ioctl(fd, TIOCSSERIAL, &ss);
  }
}

// Waits up to ms for input; >0 readable, 0 silence, <0 errno negated.
int WaitReadable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  for (;;) {
    int r = poll(&p, 1, ms);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -errno;
    if (r == 0) return 0;
    if (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) return 1;
    return 0;
  }
}

// One read in the manner of the port's timeouts: what is queued, or the first bytes to
// arrive, or nothing after 100 ms of silence. Bytes read, or -errno.
ssize_t TimedRead(int fd, char* dest, size_t room) {
  if (room == 0) return 0;
  int w = WaitReadable(fd, kReadSilenceMs);
  if (w < 0) return w;
  if (w == 0) return 0;
  for (;;) {
    ssize_t n = read(fd, dest, room);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN)) return 0;
    if (n < 0) return -errno;
    if (n == 0) return -EIO;  // hang-up: the device is gone
    return n;
  }
}

}  // namespace

QuilSerial::~QuilSerial() {
  QuilLog* keep = log;
  log = nullptr;  // the log may be gone before the port
  QSClose(*this);
  log = keep;
}

std::string QSDevicePath(const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  return "/dev/" + name;
}

std::string QSPermissionMessage(const std::string& port) {
  std::string owner = "dialout";
  struct stat st {};
  if (stat(QSDevicePath(port).c_str(), &st) == 0) {
    if (const struct group* g = getgrgid(st.st_gid)) owner = g->gr_name;
  }
  return "Comm Port \"" + port + "\" can't be opened: permission denied.\n" +
         "Ask for your account to be added to the group \"" + owner +
         "\" that owns it, then log in again.";
}

int32_t QSOpen(QuilSerial& port, const char* name, uint32_t baud) {
  if (port.portHandle >= 0) {
    LogMessage(port.log, 40, kModule, "QSOpen found port \"%d\" already open", port.portHandle);
    QSClose(port);
    PumpedSleep(100);
  }
  port.portName.assign(name ? name : "");
  if (port.portName.size() > PATH_MAX) port.portName.resize(PATH_MAX);
  const char* src = port.portName.c_str();
  if (port.portName.empty()) {
    port.portHandle = kQSInvalidHandle;
    LogMessage(port.log, 1, src, "QSOpen failed to open comm port (error %d)", ENOENT);
    return kQSErrNotAvailable;
  }

  std::string path = QSDevicePath(port.portName);
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  int err = errno;
  if (fd >= 0) {
    // Exclusive: TIOCEXCL keeps other users out; root ignores it, so the flock is what tells.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      err = errno == EWOULDBLOCK ? EBUSY : errno;
      close(fd);
      fd = -1;
    } else {
      (void)ioctl(fd, TIOCEXCL);
    }
  }
  if (fd < 0) {
    port.portHandle = kQSInvalidHandle;
    int32_t code = OpenError(err);
    LogMessage(port.log, 1, src, "QSOpen failed to open comm port (error %d)", -code);
    return code;
  }
  port.portHandle = fd;

  port.baudRate = baud == 0 ? 9600 : baud;
  if (int e = ApplyTermios(fd, port.baudRate, false); e != 0) {
    LogMessage(port.log, 1, src, "QSOpen failed to apply DCB on comm port (error %d)", e);
    return SystemError(e);
  }
  AskLowLatency(fd);
  SetModemLines(fd, true);
  tcflush(fd, TCIFLUSH);

  if (port.readBuffer == nullptr) {
    port.ownedBuffer = std::make_unique<char[]>(kQSBufferSize);
    port.readBuffer = port.ownedBuffer.get();
    port.ownsReadBuffer = true;
  } else if (port.readBuffer != port.ownedBuffer.get()) {
    port.ownsReadBuffer = false;
  }
  std::memset(port.readBuffer, 0, kQSBufferSize);
  port.waitHit = false;

  LogMessage(port.log, 30, src, "QSOpen successfully opened and configured comm port at %d baud",
             static_cast<int>(port.baudRate));
  return 1;
}

int32_t QSClose(QuilSerial& port) {
  if (port.portHandle < 0) return 0;
  SetModemLines(port.portHandle, false);
  int rc = close(port.portHandle);  // closing also drops the flock
  int err = errno;
  port.portHandle = kQSClosed;
  if (port.ownsReadBuffer && port.readBuffer != nullptr) {
    port.ownedBuffer.reset();
    port.readBuffer = nullptr;
    port.ownsReadBuffer = false;
  }
  if (rc != 0) {
    LogMessage(port.log, 1, port.portName.c_str(), "QSClose failed to close comm port (error %d)", err);
    return SystemError(err);
  }
  LogMessage(port.log, 30, port.portName.c_str(), "QSClose closed comm port");
  return 1;
}

int32_t QSRead(QuilSerial& port, char* dest, uint32_t capacity, uint32_t& count) {
  count = 0;
  if (port.readBuffer == nullptr) return kQSErrNoBuffer;
  const char* src = port.portName.c_str();
  size_t buffered = strnlen(port.readBuffer, kQSBufferSize);
  if (buffered > 0) {
    size_t take = buffered;
    if (take > capacity) {
      take = capacity;
      port.waitHit = true;
    }
    if (take > 0 && dest != nullptr) std::memcpy(dest, port.readBuffer, take);
    count = static_cast<uint32_t>(take);
    port.readBuffer[0] = '\0';
    LogMessage(port.log, 40, src, "QSRead read %d bytes from gReadBuffer", static_cast<int>(count));
  }
  if (port.waitHit) {
    port.waitHit = false;
    return static_cast<int32_t>(count);
  }
  if (!IsOpen(port)) {
    LogMessage(port.log, 1, kModule, "QSRead tried to read from a closed port");
    return kQSErrClosed;
  }
  if (dest == nullptr || capacity <= count) return static_cast<int32_t>(count);
  ProcessPendingMessagesIfDue();  // a short sleep and this read must not stall the window
  ssize_t n = TimedRead(port.portHandle, dest + count, capacity - count);
  if (n < 0) {
    LogMessage(port.log, 1, src, "QSRead ReadFile failed (error %d)", static_cast<int>(-n));
    return kQSErrClosed;
  }
  count += static_cast<uint32_t>(n);
  LogMessage(port.log, 40, src, "QSRead read %d btyes", static_cast<int>(count));
  return static_cast<int32_t>(count);
}

int32_t QSWrite(QuilSerial& port, const void* data, uint32_t length, uint32_t& written) {
  written = 0;
  if (!IsOpen(port)) {
    LogMessage(port.log, 1, kModule, "QSWrite tried to write to a closed port");
    return kQSErrClosed;
  }
  const char* src = port.portName.c_str();
  const char* p = static_cast<const char*>(data);
  // The same bound as the port's write timeouts: 10 ms per byte plus 100 ms.
  uint32_t limitMs = 10 * length + 100;
  uint32_t start = MillisecondClock();
  while (written < length) {
    ssize_t n = write(port.portHandle, p + written, length - written);
    if (n > 0) {
      written += static_cast<uint32_t>(n);
      continue;
    }
    int err = n < 0 ? errno : EIO;
    if (err == EINTR) continue;
    uint32_t elapsed = MillisecondClock() - start;
    if (err == EAGAIN && elapsed < limitMs) {
      pollfd pf{port.portHandle, POLLOUT, 0};
      poll(&pf, 1, static_cast<int>(limitMs - elapsed));
      continue;
    }
    LogMessage(port.log, 1, src, "QSWrite WriteFile failed (error %d)", err);
    return kQSErrClosed;
  }
  LogMessage(port.log, 40, src, "QSWrite wrote %d bytes", static_cast<int>(written));
  return static_cast<int32_t>(written);
}

int32_t QSPurge(QuilSerial& port, int flushInput) {
  if (flushInput == 1 && IsOpen(port)) tcflush(port.portHandle, TCIFLUSH);
  if (port.readBuffer != nullptr) port.readBuffer[0] = '\0';
  return 0;
}

int32_t QSWait(QuilSerial& port, uint32_t timeoutMs, char ch) {
  if (!IsOpen(port)) {
    LogMessage(port.log, 1, kModule, "QSWait tried to operate on a closed port");
    return kQSErrClosed;
  }
  if (port.readBuffer == nullptr) return kQSErrNoBuffer;
  const char* src = port.portName.c_str();
  uint32_t start = MillisecondClock();
  size_t fill = 0;
  size_t room = kQSBufferSize - 1;
  port.readBuffer[0] = '\0';
  uint32_t emptyReads = 0;
  for (;;) {
    // Between reads the window processes its events, so that a run of short exchanges (an erase
    // walk, a firmware upload) never stalls it. Nothing is waited for: no timing changes.
    ProcessPendingMessagesIfDue();
    ssize_t n = TimedRead(port.portHandle, port.readBuffer + fill, room);
    if (n < 0) {
      LogMessage(port.log, 1, src, "QSWait ReadFile failed (error %d)", static_cast<int>(-n));
      return kQSErrClosed;
    }
    uint32_t elapsed = MillisecondClock() - start;
    if (n > 0) {
      fill += static_cast<size_t>(n);
      room -= static_cast<size_t>(n);
      port.readBuffer[fill] = '\0';
      if (std::memchr(port.readBuffer, ch, fill) != nullptr) {
        port.waitHit = true;
        LogMessage(port.log, 40, src, "QSWait found '%c' in %d ms", ch, static_cast<int>(elapsed));
        return static_cast<unsigned char>(ch);
      }
      if (room == 0) {
        // Full without the awaited character: nothing more fits; report as a timeout would.
        LogMessage(port.log, 40, src, "QSWait read %d bytes, but never found '%c' in %d ms",
                   static_cast<int>(fill), ch, static_cast<int>(elapsed));
        return 0;
      }
      continue;
    }
    if (elapsed > timeoutMs) {
      LogMessage(port.log, 40, src, "QSWait read %d bytes, but never found '%c' in %d ms",
                 static_cast<int>(fill), ch, static_cast<int>(elapsed));
      return 0;
    }
    ++emptyReads;
    if (emptyReads >= 6 && timeoutMs > 400) PumpedSleep(200);
  }
}

int32_t QSHostBaud(QuilSerial& port, uint32_t baud) {
  if (baud == port.baudRate) return 0;
  if (port.portName.empty()) return kQSErrNeverOpened;
  int e = IsOpen(port) ? ApplyTermios(port.portHandle, baud, true) : EBADF;
  if (e != 0) {
    LogMessage(port.log, 1, port.portName.c_str(),
               "QSHostBaud failed to apply new baud rate \"%d\" (error %d)", static_cast<int>(baud), e);
    return SystemError(e);
  }
  port.baudRate = baud;
  return 1;
}
