// The log lines of the instrument protocol, byte for byte: people and tools read them.

#include <cctype>
#include <set>
#include <sstream>

#include "tests/protocol/protocol_sim_fixture.h"

namespace {

// "(123 ms)" becomes "(N ms)".
std::string WithoutDurations(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    size_t j = i + 1;
    if (text[i] == '(') {
      if (j < text.size() && text[j] == '-') ++j;
      size_t digits = j;
      while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
      if (j > digits && text.compare(j, 4, " ms)") == 0) {
        out += "(N ms)";
        i = j + 4;
        continue;
      }
    }
    out += text[i];
    i = i + 1;
  }
  return out;
}

class LogLines : public ProtocolOnSim {
 protected:
  // This module's messages, with every duration written as "N ms".
  std::set<std::string> Messages() const {
    std::set<std::string> out;
    std::istringstream in(Log());
    std::string line;
    const std::string marker = " - Quil_protocol: ";
    while (std::getline(in, line)) {
      size_t at = line.find(marker);
      if (at == std::string::npos) continue;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out.insert(WithoutDurations(line.substr(at + marker.size())));
    }
    return out;
  }
  void ExpectAll(const std::vector<std::string>& lines) const {
    std::set<std::string> messages = Messages();
    for (const std::string& l : lines) EXPECT_EQ(messages.count(l), 1u) << l;
  }
};

TEST_F(LogLines, InstrumentSessionWithSaveAndRestore) {
  ASSERT_GE(Connect("MTQ", "3.50"), 0);
  int32_t percent = 0;
  QPCheckBattery(qp, &percent);
  QPCheckFirmware(qp, false);
  QPEraseData(qp);
  ASSERT_EQ(QPSaveInfo(qp, SettingsPath().c_str()), 1);
  ASSERT_EQ(QPRestoreInfo(qp, SettingsPath().c_str(), nullptr), 1);
  GetInstInfo(qp, 0);
  SetInstInfo(qp, 0);
  ExpectAll({
      "QPConnect successfully loged into the device (N ms)",
      "QPConnect successfully connected to device",
      "QPCheckBattery: 76% battery (N ms)",
      "QPCheckFirmware: Device reports good firmware code!",
      "GetValueString found get -sn \"MTQ104826\" (N ms)",
      "GetValueString found get -config \"4 1 0 300 2\" (N ms)",
      "QPSaveInfo successfully retreived and saved device settings to a temp file",
      "SetInstInfo set device serial number to \"MTQ104826\" (N ms)",
      "SetInstInfo set config to \"4 1 0 300 2\" (N ms)",
      "QPRestoreInfo successfully restored device setting",
      "GetInstInfo should be called with non-zero flags",
      "SetInstInfo should be called with non-zero flags",
  });
}

TEST_F(LogLines, RecordListsClockEraseAndSensorType) {
  ASSERT_GE(Connect("V8X", "2.10", {"no-sn"}), 0);
  ASSERT_EQ(QPSaveInfo(qp, SettingsPath().c_str()), 1);
  SetInstInfo(qp, kInstEqnRecords);
  QPEraseData(qp);
  QPSetTime(qp);
  ExpectAll({
      "QPSaveInfo set KRT4 sensor type to '0' (N ms)",
      "GetValueString received error -31 executing command \"get -sn\" (N ms)",
      "GetInstInfo could not collect all settings",
      "GetRecords_Serial instrument reports 3 \"eqn\" records",
      "GetRecords_Serial retrieved 3 of 3 \"eqn\" records",
      "GetRecords_Serial instrument reports 3 \"user\" records",
      "SetRecords_Serial set \"eqn\" 0 to \"Clay`_heavy 0.000291 -0.0530 1.0 0.0\" (N ms)",
      "SetRecords_Serial set \"eqn\" 2 to \"Peat 0.000402 -0.0211 1.0 0.0\" (N ms)",
      "QPEraseData erased device data (N ms)",
  });
  bool clock = false;
  for (const std::string& m : Messages()) clock |= m.rfind("QPSetTime set the time to: ", 0) == 0;
  EXPECT_TRUE(clock);
}

TEST_F(LogLines, ValuePairs) {
  ASSERT_GE(Connect("VMINI", "1.20"), 0);
  ASSERT_EQ(GetInstInfo(qp, kInstHadjTau | kInstLang), 1);
  EXPECT_EQ(qp.instrumentSettings.tau, 12);
  qp.instrumentSettings.tau = 14;
  SetText(qp.instrumentSettings.hadj, "0.98 0.01");
  EXPECT_EQ(SetInstInfo(qp, kInstHadjTau | kInstLang), 1);
  ExpectAll({
      "GetValueString found get -hadj \"0.9820 0.0150\" (N ms)",
      "GetValueLong found get -tau \"12\" (N ms)",
      "GetValueLong found get -lang \"0\" (N ms)",
      "SetInstInfo set device language to \"0\" (N ms)",
      "SetInstInfo set tau to \"14\" (N ms)",
      "SetInstInfo set hadj to \"0.98 0.01\" (N ms)",
  });
}

TEST_F(LogLines, Failures) {
  ASSERT_GE(Connect("RV", "1.20", {"code-corrupt", "dataflash-fail"}), 0);
  QPCheckFirmware(qp, true);
  QPEraseData(qp);
  QPRestoreInfo(qp, dir.File("missing.txt").c_str(), nullptr);
  ExpectAll({
      "QPCheckFirmware: Device reports corrupt firmware code!",
      "QPEraseData failed due to a broken DataFlash (N ms)",
      "QPRestoreInfo received error -102 trying to read device settings from " +
          dir.File("missing.txt"),
  });
}

}  // namespace
