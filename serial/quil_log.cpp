#include "serial/quil_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool ValidLevel(uint32_t level) {
  return level == 0 || level == 1 || level == 10 || level == 30 || level == 40;
}

// Writes all of data; false on any failure.
bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

QuilLog::QuilLog(std::string name, uint32_t lvl)
    : fileName(std::move(name)), level(ValidLevel(lvl) ? lvl : 1) {}

std::string LogTimeStamp(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d %s %d %d:%02d:%02d", tm.tm_mday, kMonths[tm.tm_mon % 12],
                tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

int LogMessage(const QuilLog* log, uint32_t level, const char* source, const char* format, ...) {
  if (log == nullptr || format == nullptr || level > log->level) return 0;

  std::time_t now = log->clock ? log->clock() : std::time(nullptr);
  std::string line = LogTimeStamp(now) + " - " + (source ? source : "") + ": ";

  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n > 0) {
    std::vector<char> msg(static_cast<size_t>(n) + 1);
    std::vsnprintf(msg.data(), msg.size(), format, args);
    line.append(msg.data(), static_cast<size_t>(n));
  }
  va_end(args);
  line += "\r\n";

  // Device details go into this file and it travels with bug reports: owner only.
  int fd = open(log->fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  bool ok = WriteAll(fd, line.data(), line.size());
  close(fd);
  return ok ? static_cast<int>(line.size()) : 0;
}

long LogFileSize(const QuilLog* log) {
  if (log == nullptr) return -EINVAL;
  int fd = open(log->fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  off_t end = lseek(fd, 0, SEEK_END);
  int err = errno;
  close(fd);
  if (end < 0) return -err;
  return static_cast<long>(end);
}

bool KeepTail(const QuilLog* log, long maxBytes) {
  if (log == nullptr || maxBytes < 0) return false;
  FILE* in = std::fopen(log->fileName.c_str(), "rbe");
  if (in == nullptr) return false;
  if (std::fseek(in, 0, SEEK_END) != 0) {
    std::fclose(in);
    return false;
  }
  long size = std::ftell(in);
  if (size < 0) {
    std::fclose(in);
    return false;
  }
  if (size < maxBytes) {
    std::fclose(in);
    return true;
  }
  std::fseek(in, size - maxBytes, SEEK_SET);
  for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
  }
  std::vector<char> tail(static_cast<size_t>(maxBytes));
  size_t got = std::fread(tail.data(), 1, tail.size(), in);
  bool readFailed = std::ferror(in) != 0;
  std::fclose(in);
  if (readFailed) return false;

  // A fresh work file each time (never one left by an earlier failed cut), renamed over the
  // log at the end, so that no failure leaves the program without its log.
  std::string work = log->fileName + ".temp";
  int fd = open(work.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, tail.data(), got);
  ok = (close(fd) == 0) && ok;
  if (!ok || std::rename(work.c_str(), log->fileName.c_str()) != 0) {
    unlink(work.c_str());
    return false;
  }
  return true;
}
