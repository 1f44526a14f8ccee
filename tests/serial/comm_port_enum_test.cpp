#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/comm_port_enum.h"
#include "sim/pty_server.h"
#include "tests/support/sim_fixture.h"
#include "sim/model_factory.h"

namespace fs = std::filesystem;

namespace {

// A fixture sysfs tree with device nodes beside it, built per test.
class SysfsFixture {
 public:
  SysfsFixture() {
    fs::create_directories(sys() + "/class/tty");
    fs::create_directories(dev());
    fs::create_directories(announce());
  }
  std::string sys() const { return dir_.path() + "/sys"; }
  std::string dev() const { return dir_.path() + "/dev"; }
  std::string announce() const { return dir_.path() + "/announce"; }

  // A UART port; type 0 makes it a phantom.
  void AddSerial(const std::string& name, int uartType) {
    std::string device = sys() + "/devices/platform/serial8250/" + name;
    fs::create_directories(device);
    AddTty(name, device);
    Write(sys() + "/class/tty/" + name + "/type", std::to_string(uartType));
  }
  // A USB adapter with the given attributes.
  void AddUsb(const std::string& name, const std::string& product, const std::string& idProduct,
              const std::string& serial) {
    std::string usb = sys() + "/devices/pci0000:00/usb1/1-" + name;
    std::string iface = usb + "/1-1:1.0/" + name;
    fs::create_directories(iface);
    Write(usb + "/idVendor", "0403");
    Write(usb + "/idProduct", idProduct);
    if (!product.empty()) Write(usb + "/product", product);
    if (!serial.empty()) Write(usb + "/serial", serial);
    AddTty(name, iface);
  }
  // A virtual terminal: no device behind it.
  void AddVirtual(const std::string& name) { fs::create_directories(sys() + "/class/tty/" + name); }
  std::string Node(const std::string& name) const { return dev() + "/" + name; }

  std::vector<CommPortEntry> Enumerate(bool forceAll, int32_t capacity = 16) {
    std::vector<CommPortEntry> list(static_cast<size_t>(capacity));
    int32_t count = capacity;
    CommPortEnumOptions o{sys(), dev(), announce()};
    QuilSerial port;
    EXPECT_GE(CommPortEnum(&port, list.data(), &count, forceAll, o), 0);
    list.resize(static_cast<size_t>(count));
    return list;
  }

 private:
  void AddTty(const std::string& name, const std::string& device) {
    fs::create_directories(sys() + "/class/tty/" + name);
    fs::create_directory_symlink(device, sys() + "/class/tty/" + name + "/device");
    Write(Node(name), "");
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text << "\n";
  }
  TempDir dir_;
};

std::vector<std::string> Texts(const std::vector<CommPortEntry>& list) {
  std::vector<std::string> out;
  for (const auto& e : list) out.push_back(e.displayText);
  return out;
}

TEST(CommPortEnumTest, NamesOrdersAndSkipsPorts) {
  SysfsFixture f;
  f.AddSerial("ttyS0", 4);
  f.AddSerial("ttyS1", 0);  // phantom
  f.AddSerial("ttyS3", 0);  // phantom
  f.AddVirtual("tty1");
  f.AddUsb("ttyUSB10", "FT232R USB UART", "6001", "A1B2");
  f.AddUsb("ttyUSB2", "", "6001", "");
  f.AddUsb("ttyUSB0", "Quillon USB Serial", "6b2e", "QUILLON_QCX[QCX-1234]");
  f.AddUsb("ttyUSB1", "Quillon USB Serial", "6b2e", "QUILLON_QCX");
  f.AddUsb("ttyUSB3", "Quillon USB Serial", "6b2e", "AB12");
  f.AddUsb("ttyUSB4", "Digi PKG-U Modem", "6001", "");
  f.AddUsb("ttyACM0", "Pico", "000a", "");
  std::vector<std::string> expected = {
      "ttyUSB0 Quillon QCX [QCX-1234]",
      "ttyUSB1 Quillon QCX",
      "ttyUSB2 USB Serial Port",
      "ttyUSB3 Quillon USB Serial",
      "ttyUSB4 Quillon USB Qr7",
      "ttyUSB10 FT232R USB UART",
      "ttyACM0 Pico",
      "ttyS0 Communications Port",
  };
  EXPECT_EQ(Texts(f.Enumerate(false)), expected);
}

TEST(CommPortEnumTest, CapacityLimitsTheList) {
  SysfsFixture f;
  for (int i = 0; i < 20; ++i) f.AddUsb("ttyUSB" + std::to_string(i), "Adapter", "6001", "");
  auto list = f.Enumerate(false);
  ASSERT_EQ(list.size(), 16u);
  EXPECT_EQ(list.front().portName, "ttyUSB0");
  EXPECT_EQ(list.back().portName, "ttyUSB15");
  EXPECT_EQ(f.Enumerate(false, 3).size(), 3u);
}

TEST(CommPortEnumTest, ArgumentErrors) {
  CommPortEntry list[2];
  int32_t count = 0;
  EXPECT_EQ(CommPortEnum(nullptr, list, &count, false), -11);
  EXPECT_EQ(CommPortEnum(nullptr, nullptr, &count, false), -10);
  EXPECT_EQ(CommPortEnum(nullptr, list, nullptr, false), -10);
}

TEST(CommPortEnumTest, HeldPortIsMarkedBusy) {
  SysfsFixture f;
  f.AddUsb("ttyUSB0", "Adapter", "6001", "");
  f.AddUsb("ttyUSB1", "Adapter", "6001", "");
  int holder = open(f.Node("ttyUSB1").c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  auto list = f.Enumerate(false);
  close(holder);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"ttyUSB0 Adapter", "ttyUSB1 Adapter (busy)"}));
}

TEST(CommPortEnumTest, ForceAllAddsNodesSysfsDidNotList) {
  SysfsFixture f;
  f.AddUsb("ttyUSB3", "Adapter", "6001", "");
  std::ofstream(f.Node("ttyS1")) << "";
  std::ofstream(f.Node("ttyACM2")) << "";
  EXPECT_EQ(f.Enumerate(false).size(), 1u);
  EXPECT_EQ(Texts(f.Enumerate(true)),
            (std::vector<std::string>{"ttyUSB3 Adapter", "ttyACM2 Communications Port",
                                      "ttyS1 Communications Port"}));
}

TEST(CommPortEnumTest, AnnouncedSimulatorFollowsHardwareAndShowsBusy) {
  SysfsFixture f;
  f.AddUsb("ttyUSB0", "Adapter", "6001", "");
  SimOptions o = MakeTestOptions("MTQ", "3.50");
  o.announce = true;
  o.announceDir = f.announce();
  auto sim = StartSim(o);
  ASSERT_TRUE(sim);
  // A dangling announcement of a simulator that died is skipped.
  fs::create_symlink("/dev/pts/999999", f.announce() + "/Simulated Kt30");

  auto list = f.Enumerate(false);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].portName, f.announce() + "/Simulated Vapora MTQ");
  std::string pts = sim->slavePath().substr(5);
  EXPECT_EQ(list[1].displayText, pts + " Simulated Vapora MTQ");

  QuilSerial holder;
  ASSERT_EQ(QSOpen(holder, list[1].portName.c_str(), 9600), 1);
  list = f.Enumerate(false);
  EXPECT_EQ(list[1].displayText, pts + " Simulated Vapora MTQ (busy)");
}

}  // namespace
