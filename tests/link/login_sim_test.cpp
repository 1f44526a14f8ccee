// Connection and login against simulated loggers.

#include <gtest/gtest.h>

#include <string>

#include "tests/link/link_sim_fixture.h"

namespace {

using Login = LinkOnSim;

TEST_F(Login, SerialLoginRaisesTheRateAndDisconnectReturnsTo9600) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.faults.push_back("baud-garbage");  // a rate mismatch corrupts every byte
  ASSERT_TRUE(Start(o));

  SolixConnection c = Serial(6);
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  EXPECT_EQ(c.baudIndex, 6);
  EXPECT_EQ(link.port.baudRate, 115200u);
  EXPECT_EQ(link.settings.loggerType, LT_KT30);
  EXPECT_EQ(link.settings.versionNumber, 202);
  EXPECT_EQ(link.settings.capabilities, 0x5E7FFF7u);
  EXPECT_EQ(TextOf(link.settings.versionText), "KT30 2.02");

  FixedText<9> name{};
  ASSERT_EQ(NameCommand(link, name, 0), 1);  // heard at 115200
  EXPECT_EQ(TextOf(name), "K30-1187");

  EXPECT_EQ(DisconnectDevice(link, false), 1);
  EXPECT_EQ(link.connection.kind, 0);
  EXPECT_LT(link.port.portHandle, 0);
  EXPECT_EQ(DisconnectDevice(link, false), 0);  // nothing connected any more

  // The device must be back at 9600: a plain login at 9600 hears it.
  SolixConnection again = Serial(2);
  ASSERT_EQ(ConnectDevice(link, &again), 1);
  EXPECT_EQ(link.port.baudRate, 9600u);

  const std::string log = Log();
  EXPECT_NE(log.find("SetBaudCommand set device baud rate to 115200 ("), std::string::npos);
  EXPECT_NE(log.find("DeviceLogin communicating with a device running KT30 2.02 at 115200 baud"),
            std::string::npos);
  EXPECT_NE(log.find("SetBaudCommand set device baud rate to 9600 ("), std::string::npos);
  EXPECT_NE(log.find("DisconnectDevice successful"), std::string::npos);
}

TEST_F(Login, BaudIndexOneStaysAt9600) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.faults.push_back("baud-garbage");
  ASSERT_TRUE(Start(o));
  SolixConnection c = Serial(1);
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  EXPECT_EQ(c.baudIndex, 2);
  EXPECT_EQ(link.port.baudRate, 9600u);
  FixedText<9> name{};
  EXPECT_EQ(NameCommand(link, name, 0), 1);
  EXPECT_NE(Log().find("DeviceLogin: unsupported baud rate 1200, using 9600"), std::string::npos);
}

TEST_F(Login, OldKt3StaysAt9600) {
  ASSERT_TRUE(Start(MakeTestOptions("KT3", "1.65")));
  SolixConnection c = Serial(6);
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  EXPECT_EQ(c.baudIndex, 2);
  EXPECT_EQ(link.settings.loggerType, LT_KT3);
  EXPECT_EQ(link.settings.newFirmware, 0);
  EXPECT_EQ(link.port.baudRate, 9600u);
}

TEST_F(Login, ConnectionKinds) {
  ASSERT_TRUE(Start(MakeTestOptions("KT30", "2.02")));
  struct {
    uint8_t kind;
    int32_t result;
  } cases[] = {{0, -11}, {4, -13}, {20, -13}, {40, -13}, {100, -13}, {110, -13}, {120, -13},
               {11, -10}, {255, -10}};
  for (const auto& k : cases) {
    SolixConnection c = Serial();
    c.kind = k.kind;
    EXPECT_EQ(ConnectDevice(link, &c), k.result) << int(k.kind);
    EXPECT_LT(link.port.portHandle, 0) << int(k.kind);  // the port was never opened
  }
  EXPECT_EQ(ConnectDevice(link, nullptr), -10);
}

TEST_F(Login, KeptOpenPortServesTheNextConnectOnlyForTheSamePort) {
  ASSERT_TRUE(Start(MakeTestOptions("KT30", "2.02")));
  auto other = StartSim(MakeTestOptions("KT3B", "2.04"));
  ASSERT_NE(other, nullptr);
  SolixOptions opt;
  opt.keepPortOpen = 1;
  ASSERT_EQ(DeviceOptions(link, opt, 1), 1);

  SolixConnection c = Serial(6);
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  ASSERT_EQ(DisconnectDevice(link, false), 1);
  EXPECT_GE(link.port.portHandle, 0);
  EXPECT_EQ(link.port.baudRate, 9600u);
  EXPECT_EQ(link.connection.kind, kConnSerial);
  EXPECT_EQ(link.settings.loggerType, LT_UNKNOWN);  // cleared at the disconnect

  SolixConnection same = Serial(2);
  ASSERT_EQ(ConnectDevice(link, &same), 1);
  EXPECT_EQ(Count("QSOpen successfully opened"), 1u);

  // Another port named: the kept port is not the device asked for.
  DisconnectDevice(link, false);
  SolixConnection elsewhere = Serial(2);
  elsewhere.port = other->slavePath();
  ASSERT_EQ(ConnectDevice(link, &elsewhere), 1);
  EXPECT_EQ(link.settings.loggerType, LT_KT3B);
  EXPECT_EQ(Count("QSOpen successfully opened"), 2u);
  EXPECT_EQ(link.port.portName, other->slavePath());
  link.options.keepPortOpen = 0;
  DisconnectDevice(link, false);
}

TEST_F(Login, EchoingRelayIsReported) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.faults.push_back("echo-relay");
  ASSERT_TRUE(Start(o));
  SolixConnection c = Serial();
  EXPECT_EQ(ConnectDevice(link, &c), -32);
  EXPECT_EQ(link.connection.kind, 0);
  EXPECT_NE(Log().find("DeviceCommand is hearing echoed commands -- device is broken? Relay active?"),
            std::string::npos);
}

TEST_F(Login, RadioLoginByQuery) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.radioLoggers = {"FIELD1"};
  ASSERT_TRUE(Start(o));
  SolixConnection c = Radio();
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  EXPECT_EQ(TextOf(c.deviceName), "FIELD1");
  EXPECT_EQ(TextOf(link.settings.deviceName), "FIELD1");
  EXPECT_EQ(c.baudIndex, 2);
  EXPECT_NE(Log().find("QueryCommand heard from: FIELD1 ("), std::string::npos);

  // The identification read after a radio login asks for the version.
  LoggerSettings record;
  uint32_t mask = 0;
  EXPECT_EQ(DeviceSettings(link, &record, mask, 0), 1);
  EXPECT_EQ(mask, kMaskVersion);
  EXPECT_EQ(record.loggerType, LT_KT30);
  EXPECT_EQ(TextOf(record.deviceName), "FIELD1");

  EXPECT_EQ(DisconnectDevice(link, false), 1);
}

TEST_F(Login, RadioLoginByName) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.radioLoggers = {"FIELD1", "FIELD2"};
  ASSERT_TRUE(Start(o));
  SolixConnection c = Radio("FIELD2");
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  EXPECT_EQ(TextOf(link.settings.deviceName), "FIELD2");
  EXPECT_EQ(Log().find("QueryCommand"), std::string::npos);  // no query for a known name

  FixedText<9> name{};
  ASSERT_EQ(NameCommand(link, name, 0), 1);
  EXPECT_EQ(TextOf(name), "FIELD2");

  // Radio values cannot be set over the radio, and are read from the computer's module.
  int32_t rch = 1, rsch = 1;
  FixedText<9> version{};
  uint32_t flags = kMaskRch | kMaskRsch;
  link.settings.capabilities = 0x5E7FFF7;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, &version, 1, &flags), -12);
  EXPECT_EQ(flags, 0u);
  flags = kMaskRch | kMaskRsch;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, &version, 0, &flags), 1);
  EXPECT_EQ(flags, kMaskRch | kMaskRsch);
  EXPECT_EQ(rch, 2);
  EXPECT_EQ(rsch, 0x520);
  EXPECT_EQ(TextOf(version), "");
}

TEST_F(Login, RadioModuleProgrammedBeforeTheLogin) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.radioLoggers = {"FIELD1"};
  ASSERT_TRUE(Start(o));
  SolixConnection c = Radio("FIELD1");
  c.radioKnown = 1;
  c.rch = 2;
  c.rsch = 0x520;
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  const std::string log = Log();
  EXPECT_NE(log.find("Qr7Config set rch to 2 ("), std::string::npos);
  EXPECT_NE(log.find("Qr7Config set rsch to 1312 ("), std::string::npos);
  EXPECT_NE(log.find("Qr7Config saved configuration ("), std::string::npos);

  // With the values known, reading them needs no exchange.
  int32_t rch = 0, rsch = 0;
  FixedText<9> version{};
  SetText(version, "junk");
  uint32_t flags = kMaskRch | kMaskRsch | kMaskRadioVersion;
  link.settings.capabilities = 0x5E7FFF7;
  EXPECT_EQ(MSRadioCommand(link, &rch, &rsch, &version, 0, &flags), 1);
  EXPECT_EQ(flags, kMaskRch | kMaskRsch);
  EXPECT_EQ(rch, 2);
  EXPECT_EQ(rsch, 0x520);
  EXPECT_EQ(TextOf(version), "");
}

TEST_F(Login, RadioModuleThatNeverAnswersIsNotProgrammed) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.radioLoggers = {"FIELD1"};
  o.faults.push_back("no-radio");
  ASSERT_TRUE(Start(o));
  ASSERT_EQ(QSOpen(link.port, server->slavePath().c_str(), 9600), 1);
  link.tries = 1;
  int32_t rch = 2, rsch = 0x520;
  uint32_t flags = kMaskRch | kMaskRsch;
  EXPECT_EQ(Qr7Config(link, &rch, &rsch, nullptr, 1, &flags), -23);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(Count("Qr7Config failed to get into AT command mode: -21 ("), 1u);
  EXPECT_EQ(Count("QSWrite wrote 3 bytes"), 2u);  // "+++" twice, and nothing after it
  EXPECT_EQ(Count("QSWrite wrote"), 2u);
}

// The loggers sleep until the wake sequence: about 50 seconds of carriage returns.
TEST_F(Login, SlowRadioLoginWakesSleepingLoggers) {
  SimOptions o = MakeTestOptions("KT30", "2.02");
  o.radioLoggers = {"FIELD1"};
  o.faults.push_back("radio-asleep");
  ASSERT_TRUE(Start(o));
  SolixOptions opt;
  opt.radioTries = 1;
  opt.showProgress = 1;
  ASSERT_EQ(DeviceOptions(link, opt, 1), 1);
  uint32_t wakeReports = 0;
  link.progressHook = [&](uint32_t total, uint32_t, int phase) {
    if (total == 909 && phase == kProgressStep) ++wakeReports;
    return true;
  };
  SolixConnection c = Radio();
  ASSERT_EQ(ConnectDevice(link, &c), 1);
  EXPECT_EQ(TextOf(c.deviceName), "FIELD1");
  EXPECT_EQ(wakeReports, 51u);  // every 18th of 909 packets, from the first
  const std::string log = Log();
  EXPECT_NE(log.find("QueryCommand didn't get any answers after 1 tries ("), std::string::npos);
  EXPECT_NE(log.find("SendWake sent 909 packets"), std::string::npos);
  EXPECT_NE(log.find("QueryCommand heard from: FIELD1 ("), std::string::npos);
}

}  // namespace
