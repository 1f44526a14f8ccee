#include "serial/comm_port_enum.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMakerProduct = "Quillon USB";
constexpr const char* kMakerProductId = "6b2e";
constexpr const char* kQcxId = "QUILLON_QCX";
constexpr const char* kQcxName = "Quillon QCX";
constexpr const char* kRadioModemNames[] = {"MaxStream PKG-U", "Digi PKG-U"};
constexpr const char* kRadioModemDisplay = "Quillon USB Qr7";
// Node families probed by forceAll, in the list's order: USB adapters are what users plug in.
constexpr const char* kProbeFamilies[] = {"ttyUSB", "ttyACM", "ttyS", "ttyAMA", "rfcomm"};

std::string ReadAttr(const fs::path& file) {
  std::ifstream in(file);
  std::string s;
  std::getline(in, s);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// Rank of a node family for the list's order, and the node's number.
int FamilyRank(const std::string& name) {
  for (int i = 0; i < static_cast<int>(std::size(kProbeFamilies)); ++i) {
    const std::string fam = kProbeFamilies[i];
    if (name.rfind(fam, 0) == 0 && name.size() > fam.size() &&
        std::isdigit(static_cast<unsigned char>(name[fam.size()])))
      return i;
  }
  return static_cast<int>(std::size(kProbeFamilies));
}

int32_t NodeNumber(const std::string& name) {
  size_t i = name.size();
  while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) --i;
  if (i == name.size()) return 0;
  return static_cast<int32_t>(std::strtol(name.c_str() + i, nullptr, 10));
}

// The USB device above a tty's device: the first ancestor with idVendor and idProduct.
fs::path UsbDeviceOf(const fs::path& ttyEntry) {
  std::error_code ec;
  fs::path dev = fs::canonical(ttyEntry / "device", ec);
  if (ec) return {};
  for (fs::path p = dev; !p.empty() && p != p.root_path(); p = p.parent_path()) {
    if (fs::exists(p / "idVendor", ec) && fs::exists(p / "idProduct", ec)) return p;
  }
  return {};
}

enum class Probe { Absent, Free, Busy };

// Opens the node the way QSOpen does, without touching its settings.
Probe ProbeNode(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EBUSY) return Probe::Busy;
    if (errno == EACCES || errno == EPERM) return Probe::Free;  // exists; QSOpen will explain
    return Probe::Absent;
  }
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  close(fd);
  return held ? Probe::Busy : Probe::Free;
}

struct Found {
  CommPortEntry entry;
  int rank;
};

std::vector<Found> FromSysfs(const CommPortEnumOptions& o) {
  std::vector<Found> out;
  std::error_code ec;
  fs::path classDir = fs::path(o.sysfsRoot) / "class" / "tty";
  for (const auto& it : fs::directory_iterator(classDir, ec)) {
    const fs::path entry = it.path();
    const std::string name = entry.filename().string();
    // Virtual terminals and pseudo-terminals have no device behind them.
    if (!fs::exists(entry / "device", ec)) continue;
    // A ttyS whose UART type is 0 is a phantom port with no hardware behind it.
    if (name.rfind("ttyS", 0) == 0 && ReadAttr(entry / "type") == "0") continue;

    CommPortEntry e;
    e.portName = name;
    e.portNumber = NodeNumber(name);
    std::string friendly;
    fs::path usb = UsbDeviceOf(entry);
    if (!usb.empty()) {
      friendly = ReadAttr(usb / "product");
      if (friendly.empty()) friendly = "USB Serial Port";
    }
    if (friendly.empty()) {
      e.displayText = name + " Communications Port";
    } else {
      e.displayText = name + " " + friendly;
    }
    if (Contains(friendly, kMakerProduct) && ReadAttr(usb / "idProduct") == kMakerProductId) {
      // The adapter's serial number plays the instance identifier.
      std::string part = ReadAttr(usb / "serial");
      if (Contains(part, kQcxId)) {
        size_t bracket = part.find('[');
        e.displayText = name + " " + kQcxName;
        if (bracket != std::string::npos) e.displayText += " " + part.substr(bracket);
      }
    }
    out.push_back({e, FamilyRank(name)});
  }
  std::stable_sort(out.begin(), out.end(), [](const Found& a, const Found& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    return a.entry.portNumber < b.entry.portNumber;
  });
  return out;
}

std::vector<CommPortEntry> FromAnnouncements(const std::string& dir) {
  std::vector<CommPortEntry> out;
  std::error_code ec;
  for (const auto& it : fs::directory_iterator(dir, ec)) {
    if (!it.is_symlink(ec)) continue;
    fs::path target = fs::read_symlink(it.path(), ec);
    if (ec || !fs::exists(it.path(), ec)) continue;  // dangling: the simulator is gone
    std::string t = target.string();
    if (t.rfind("/dev/", 0) == 0) t = t.substr(5);
    CommPortEntry e;
    e.portName = it.path().string();
    e.displayText = t + " " + it.path().filename().string();
    e.portNumber = NodeNumber(t);
    out.push_back(e);
  }
  std::sort(out.begin(), out.end(), [](const CommPortEntry& a, const CommPortEntry& b) {
    return a.portName < b.portName;
  });
  return out;
}

}  // namespace

std::string SimAnnounceDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = (runtime && *runtime) ? runtime : "/tmp";
  return base + "/quilbsl/ports";
}

int32_t CommPortEnum(QuilSerial* port, CommPortEntry* list, int32_t* count, bool forceAll,
                     const CommPortEnumOptions& options) {
  (void)port;
  if (list == nullptr || count == nullptr) return -10;
  const int32_t capacity = *count;
  if (capacity <= 0) return -11;
  for (int32_t i = 0; i < capacity; ++i) list[i] = CommPortEntry{};
  int32_t filled = 0;

  std::vector<Found> hw = FromSysfs(options);
  for (const Found& f : hw) {
    if (filled == capacity) break;
    list[filled++] = f.entry;
  }
  int32_t result = filled;

  // Busy marks: a port that cannot be had exclusively is held by another program.
  for (int32_t i = 0; i < filled; ++i) {
    if (ProbeNode(options.devRoot + "/" + list[i].portName) == Probe::Busy)
      list[i].displayText += " (busy)";
  }

  if (forceAll) {
    for (const char* family : kProbeFamilies) {
      for (int n = 0; n < 16 && filled < capacity; ++n) {
        std::string name = family + std::to_string(n);
        bool listed = std::any_of(list, list + filled,
                                  [&](const CommPortEntry& e) { return e.portName == name; });
        if (listed) continue;
        Probe p = ProbeNode(options.devRoot + "/" + name);
        if (p == Probe::Absent) continue;
        CommPortEntry e;
        e.portName = name;
        e.portNumber = n;
        e.displayText = name + " Communications Port" + (p == Probe::Busy ? " (busy)" : "");
        list[filled++] = e;
        if (result == 0) result = 1;
      }
    }
  }

  std::string dir = options.announceDir.empty() ? SimAnnounceDir() : options.announceDir;
  for (CommPortEntry& e : FromAnnouncements(dir)) {
    if (filled == capacity) break;
    if (ProbeNode(e.portName) == Probe::Busy) e.displayText += " (busy)";
    list[filled++] = e;
    ++result;
  }

  for (int32_t i = 0; i < filled; ++i) {
    for (const char* modem : kRadioModemNames) {
      if (Contains(list[i].displayText, modem)) {
        list[i].displayText = list[i].portName + " " + kRadioModemDisplay;
        break;
      }
    }
  }
  *count = filled;
  return result;
}
