#include "app/kept_settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

std::string Stamp(std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char buf[32];
  if (std::strftime(buf, sizeof buf, "%Y-%m-%d %H-%M-%S", &tm) == 0) buf[0] = '\0';
  return buf;
}

// Moves from to to unless to exists: 0, or the errno (EEXIST when taken).
int MoveNoReplace(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return 0;
  }
  int err = errno;
  if (err == EEXIST) return err;
  // A file system without hard links: check, then rename.
  struct stat st {};
  if (lstat(to.c_str(), &st) == 0) return EEXIST;
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string DatedSettingsFileName(const std::string& folder, const std::string& name,
                                  std::time_t when) {
  return folder + "/" + name + " " + Stamp(when) + ".settings.txt";
}

std::string KeepSettingsFile(const std::string& path, const std::string& folder,
                             const std::string& name, std::time_t when) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  const std::string base = folder + "/" + name + " " + Stamp(when);
  for (int n = 1; n < 100; ++n) {
    std::string to = base + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".settings.txt";
    int err = MoveNoReplace(path, to);
    if (err == 0) return to;
    if (err != EEXIST) break;
  }
  return path;
}
