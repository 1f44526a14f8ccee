// The settings file: round trips of each family, the type lines, the key rules, and a file that
// is replaced safely and readable by its owner only.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "protocol/quil_protocol.h"
#include "protocol/settings_file.h"
#include "tests/support/sim_fixture.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("device.settings.txt"); }
  void WriteText(const std::string& text) const {
    std::ofstream(Path(), std::ios::binary) << text;
  }
  std::string Header() const { return kSettingsFileHeader; }
  // Files in the folder besides the log.
  size_t OtherFiles() const {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
      if (e.path().filename() != "protocol.log") ++n;
    }
    return n;
  }

  TempDir dir;
  QuilLog log{dir.File("protocol.log"), 40};
  Quil_protocol writer{&log};
  Quil_protocol reader{&log};
};

LoggerSettings Kt30WithEverything() {
  LoggerSettings s;
  s.loggerType = LT_KT30;
  SetText(s.typeName, "Kt30");
  SetText(s.versionText, "KT30 1.12");
  s.versionNumber = 112;
  s.newFirmware = 1;
  s.capabilities = 0x707FFF7;
  SetText(s.deviceId, "30A1187");
  SetText(s.deviceName, "K30-1187");
  SetText(s.serialNumber, "K30118700123456");
  s.trait = 0x4009;
  s.wakeInterval = 900;
  s.samplingRate = 10;
  s.ports = {3, 5, 5, 5, 0};
  s.depths = {10, 30, 60, 90, 255};
  s.adc15Slopes = {128, 129, 130, 131, 132};
  s.adc15Offsets = {12, 13, 14, 15, 16};
  s.adc30Slopes = {140, 141, 142, 143, 144};
  s.adc30Offsets = {1, 2, 3, 4, 5};
  s.radioMode = 2;
  s.rch = 7;
  s.rsch = 12;
  s.dataParameter = 3;
  SetText(s.site, "North plot, row 4");
  s.latitude = 46.7321;
  s.longitude = -117.1234;
  s.timeZone = -32;
  s.reportMode = 1;
  SetText(s.apn, "internet.example");
  SetText(s.apnUser, "quil");
  SetText(s.apnPassword, "s3cret");
  SetText(s.host, "data.example.net");
  SetText(s.authKey, "0123456789abcdef0123456789abcdef");
  s.ipPort = 8080;
  SetText(s.buildInfo, "B2024-05");
  s.validMask = 0xFFFFEFFF;
  return s;
}

TEST_F(SettingsFile, Kt30WithAdcLinesReadsBackUnchanged) {
  writer.deviceType = DT_KT30;
  writer.loggerSettings = Kt30WithEverything();
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  std::string text = ReadWholeFile(Path());
  EXPECT_EQ(text.rfind(Header(), 0), 0u);
  EXPECT_NE(text.find("\r\nADC15 slopes=\"128 129 130 131 132\"\r\nADC15 offsets=\"12 13 14 15 16\"\r\n"
                      "ADC30 slopes=\"140 141 142 143 144\"\r\nADC30 offsets=\"1 2 3 4 5\"\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nlat=\"+46.73210\"\r\nlon=\"-117.12340\"\r\n"), std::string::npos);

  // What a connect leaves in the record before the file is read.
  reader.deviceType = DT_KT30;
  reader.loggerSettings.loggerType = LT_KT30;
  reader.loggerSettings.typeName = writer.loggerSettings.typeName;
  reader.loggerSettings.versionText = writer.loggerSettings.versionText;
  reader.loggerSettings.versionNumber = 112;
  reader.loggerSettings.newFirmware = 1;
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.heldMask, 0xFFFFEFFF & ~(kMaskVersion | 0xF0000000u));
  reader.loggerSettings.validMask = writer.loggerSettings.validMask;
  EXPECT_EQ(reader.loggerSettings, writer.loggerSettings);
}

TEST_F(SettingsFile, NumbersStayCLocaleUnderACommaDecimalLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  writer.deviceType = DT_KT30;
  writer.loggerSettings = Kt30WithEverything();
  int32_t written = WriteInfoFile(writer, Path().c_str());
  reader.deviceType = DT_KT30;
  int32_t read = ReadInfoFile(reader, Path().c_str());
  std::setlocale(LC_NUMERIC, saved.c_str());
  ASSERT_EQ(written, 1);
  ASSERT_EQ(read, 1);
  EXPECT_NE(ReadWholeFile(Path()).find("\r\nlat=\"+46.73210\"\r\nlon=\"-117.12340\"\r\n"),
            std::string::npos);
  EXPECT_EQ(reader.loggerSettings.latitude, 46.7321);
  EXPECT_EQ(reader.loggerSettings.longitude, -117.1234);
}

TEST_F(SettingsFile, LoggerWithoutAdcOrBuildBitsWritesNoSuchLines) {
  writer.deviceType = DT_RL9;
  writer.loggerSettings = Kt30WithEverything();
  writer.loggerSettings.validMask &= ~(kMaskAdc15 | kMaskAdc30 | kMaskBuildInfo);
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  std::string text = ReadWholeFile(Path());
  EXPECT_EQ(text.find("ADC"), std::string::npos);
  EXPECT_EQ(text.find("QuilBuild"), std::string::npos);
}

TEST_F(SettingsFile, Kt30AndRl9AcceptEachOthersFiles) {
  for (auto [from, to] : {std::pair{DT_KT30, DT_RL9}, std::pair{DT_RL9, DT_KT30},
                          std::pair{DT_KT30, DT_ZLG}, std::pair{DT_ZLG, DT_ZLG}}) {
    Quil_protocol w{&log};
    w.deviceType = from;
    w.loggerSettings = Kt30WithEverything();
    w.loggerSettings.loggerType = from == DT_RL9 ? LT_RL9 : from == DT_ZLG ? LT_ZLG : LT_KT30;
    SetText(w.loggerSettings.typeName, LoggerTypeName(w.loggerSettings.loggerType));
    ASSERT_EQ(WriteInfoFile(w, Path().c_str()), 1);
    Quil_protocol r{&log};
    r.deviceType = to;
    EXPECT_EQ(ReadInfoFile(r, Path().c_str()), 1) << DeviceTypeCode(from) << " to " << DeviceTypeCode(to);
    EXPECT_STREQ(r.loggerSettings.site.data(), "North plot, row 4");
  }
}

struct ForeignCase {
  DeviceType file;
  DeviceType device;
};

class ForeignTypeLine : public SettingsFile, public ::testing::WithParamInterface<ForeignCase> {};

TEST_P(ForeignTypeLine, IsRefused) {
  writer.deviceType = GetParam().file;
  writer.loggerSettings = Kt30WithEverything();
  SetText(writer.loggerSettings.typeName, GetParam().file == DT_HV ? "HubVault" : "Kt30");
  SetText(writer.instrumentSettings.sn, "X1");
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  reader.deviceType = GetParam().device;
  EXPECT_EQ(ReadInfoFile(reader, Path().c_str()), -30);
  // Nothing is restored from it, and nothing is sent: no device is connected at all.
  EXPECT_EQ(QPRestoreInfo(reader, Path().c_str(), nullptr), -30);
  EXPECT_FALSE(reader.settingsHeld);
}

INSTANTIATE_TEST_SUITE_P(Types, ForeignTypeLine,
                         ::testing::Values(ForeignCase{DT_MTQ, DT_PTM7}, ForeignCase{DT_V8X, DT_MTQ},
                                           ForeignCase{DT_KT30, DT_HV}, ForeignCase{DT_HV, DT_KT30},
                                           ForeignCase{DT_MTQ, DT_SOLIX_KA},
                                           ForeignCase{DT_SOLIX_KA, DT_MTQ},
                                           ForeignCase{DT_KT30, DT_MTQ}));

TEST_F(SettingsFile, RschLineSetsTheRadioBitsWithOrWithoutATraitLine) {
  reader.deviceType = DT_KT30;
  reader.loggerSettings.trait = 0x20;
  WriteText(Header() + "type=\"Kt30\"\r\nrsch=\"12\"\r\n");
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.heldMask & (kMaskRsch | kMaskTrait), kMaskRsch | kMaskTrait);
  EXPECT_EQ(reader.loggerSettings.trait, 0x4021);
  EXPECT_EQ(reader.loggerSettings.rsch, 12);

  WriteText(Header() + "type=\"Kt30\"\r\ntrait=\"8\"\r\nrsch=\"3\"\r\n");
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.heldMask & (kMaskRsch | kMaskTrait), kMaskRsch | kMaskTrait);
  EXPECT_EQ(reader.loggerSettings.trait, 0x4009);

  Quil_protocol hub{&log};
  hub.deviceType = DT_HV;
  hub.loggerSettings.trait = 0x20;
  WriteText(Header() + "type=\"HubVault\"\r\nrsch=\"3\"\r\n");
  ASSERT_EQ(ReadInfoFile(hub, Path().c_str()), 1);
  EXPECT_EQ(hub.loggerSettings.trait, 0x4001);
  EXPECT_EQ(hub.loggerSettings.capabilities, 0x24583u);
}

TEST_F(SettingsFile, Kt3bPortsComeFromPortNumberKeysAndMissingOnesKeepTheirValue) {
  reader.deviceType = DT_KT3B;
  reader.loggerSettings.ports = {9, 9, 9, 9, 9};
  WriteText(Header() + "type=\"Kt3b\"\r\nname=\"B1\"\r\n"
            "Port number=\"1\" value=\"3\"\r\nPort number=\"2\" value=\"260\"\r\n"
            "Port number=\"5\" value=\"4\"\r\n");
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.loggerSettings.ports, (std::array<uint8_t, 5>{3, 4, 9, 9, 4}));
  EXPECT_EQ(reader.heldMask, kMaskName | kMaskPorts);
  EXPECT_EQ(reader.loggerSettings.capabilities, 0x474BEu);

  // Written by the program, a Kt3b file has a ports line but no Port number keys.
  writer.deviceType = DT_KT3B;
  writer.loggerSettings.ports = {1, 2, 3, 4, 5};
  SetText(writer.loggerSettings.typeName, "Kt3b");
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.loggerSettings.ports, (std::array<uint8_t, 5>{3, 4, 9, 9, 4}));
  EXPECT_EQ(reader.heldMask & kMaskPorts, 0u);
}

TEST_F(SettingsFile, V8xWithUserAndEqnRecordsReadsBackUnchanged) {
  writer.deviceType = DT_V8X;
  InstrumentSettings& s = writer.instrumentSettings;
  SetText(s.sn, "V8X204170");
  SetText(s.config, "4821");
  SetText(s.tadj, "1.0020 -0.0350");
  SetText(s.uvals, "0.0 100.0 0.0 1.0");
  SetText(s.hadj, "0.9820 0.0150");
  s.tau = 12;
  for (const char* v : {"MgkxCTAJU2lsdCBMb2FtCTAuNDEyCTAuMDUxCTEuMzI=",
                        "NAkyCTAJQmVuY2ggU2FuZAkwLjM2MgkwLjAzMgkxLjYx"}) {
    InstRecord r;
    SetText(r.recordValue, v);
    writer.userRecords.records.push_back(r);
  }
  for (const char* v : {"Loam_Sand 0.000318 -0.0612 1.0 0.0", "Clay`_heavy 0.000291 -0.0530 1.0 0.0",
                        "Peat 0.000402 -0.0211 1.0 0.0"}) {
    InstRecord r;
    SetText(r.recordValue, v);
    writer.eqnRecords.records.push_back(r);
  }
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  std::string text = ReadWholeFile(Path());
  EXPECT_NE(text.find("\r\nuser01=\"NAkyCTAJQmVuY2ggU2FuZAkwLjM2MgkwLjAzMgkxLjYx\"\r\neqn00=\"Loam_Sand"),
            std::string::npos);

  reader.deviceType = DT_V8X;
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  const InstrumentSettings& r = reader.instrumentSettings;
  EXPECT_EQ(r.mask, kInstType | kInstConfig | kInstTadj | kInstHadjTau | kInstUvals |
                        kInstUserRecords | kInstEqnRecords);
  EXPECT_EQ(r.type, DT_V8X);
  EXPECT_EQ(TextOf(r.config), "4821");
  EXPECT_EQ(TextOf(r.tadj), "1.0020 -0.0350");
  EXPECT_EQ(TextOf(r.uvals), "0.0 100.0 0.0 1.0");
  EXPECT_EQ(TextOf(r.hadj), "0.9820 0.0150");
  EXPECT_EQ(r.tau, 12);
  // The serial number is known for a replacement's check number, but not restored on its own.
  EXPECT_EQ(TextOf(r.sn), "V8X204170");
  EXPECT_EQ(reader.userRecords, writer.userRecords);
  EXPECT_EQ(reader.eqnRecords, writer.eqnRecords);
}

TEST_F(SettingsFile, RvWithItsCalibrationListReadsBackUnchanged) {
  writer.deviceType = DT_RV;
  InstrumentSettings& s = writer.instrumentSettings;
  SetText(s.name, "RV-LAB1");
  SetText(s.sn, "RV0073104");
  s.contr = 12;
  SetText(s.adc15, "1.00231 -0.00410");
  SetText(s.adc30, "0.99874 0.00127");
  SetText(s.rvUnits, "kPa C %RH mV");
  const char* cal[] = {"0 VP4 1.00210 -0.00330", "1 T 0.99980 0.01200", "2 RH 1.01250 -0.40000"};
  for (size_t i = 0; i < 3; ++i) SetText(s.cal[i], cal[i]);
  SetText(s.cal[4], "after a gap: not written");
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  std::string text = ReadWholeFile(Path());
  EXPECT_NE(text.find("cal02=\"2 RH 1.01250 -0.40000\"\r\n"), std::string::npos);
  EXPECT_EQ(text.find("cal03="), std::string::npos);

  reader.deviceType = DT_RV;
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  InstrumentSettings expected = s;
  expected.cal[4] = {};
  expected.type = DT_RV;
  expected.mask = kInstType | 0xAC0013;
  EXPECT_EQ(reader.instrumentSettings, expected);
}

TEST_F(SettingsFile, DigitalSensorReadsBackUnchanged) {
  writer.deviceType = DT_SOLIX_KA;
  QuilSDI12& w = *writer.sensor;
  w.sensorAddress = '3';
  SetText(w.sensorIdent, "QUILLON SX-KY 361001");
  SetText(w.calibration, "0.000 -2.500000e+01 2.000000e-02 0.000000e+00 22.5 0.0");
  SetText(w.serialNumber, "KY0051226");
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  EXPECT_EQ(ReadWholeFile(Path()),
            Header() + "type=\"Digital Sensor\"\r\nidentity=\"QUILLON SX-KY 361001\"\r\n"
                       "address=\"3\"\r\naddressInt=\"51\"\r\n"
                       "calibration=\"0.000 -2.500000e+01 2.000000e-02 0.000000e+00 22.5 0.0\"\r\n"
                       "sn=\"KY0051226\"\r\n");
  reader.deviceType = DT_SOLIX_KA;
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.sensor->sensorAddress, '3');
  EXPECT_EQ(reader.sensor->calibration, w.calibration);
  EXPECT_EQ(reader.sensor->serialNumber, w.serialNumber);

  // Without addressInt the sensor keeps the address it has.
  WriteText(Header() + "type=\"Digital Sensor\"\r\naddress=\"7\"\r\n");
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.sensor->sensorAddress, '3');
}

// Every instrument type reads back the file it writes, and what it reads is what was written.
class InstrumentTypes : public SettingsFile, public ::testing::WithParamInterface<DeviceType> {};

TEST_P(InstrumentTypes, ReadTheirOwnFiles) {
  writer.deviceType = GetParam();
  InstrumentSettings& s = writer.instrumentSettings;
  SetText(s.name, "N1");
  SetText(s.sn, "SN-42");
  s.lang = 2;
  s.contr = 45;
  s.units = 1;
  SetText(s.config, "4 1 0 300 2");
  SetText(s.fvals, "1.0 0.0");
  SetText(s.uvals, "1.1 0.1");
  SetText(s.adc, "12 4096");
  SetText(s.adccal, "1.00042 -0.00120");
  SetText(s.sample, "60 5 1");
  SetText(s.location, "North plot");
  SetText(s.chai, "A1-3");
  SetText(s.ext, "0.9987");
  SetText(s.cal[0], "1 0.99830 0.00210");
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  reader.deviceType = GetParam();
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  const InstrumentSettings& r = reader.instrumentSettings;
  EXPECT_NE(r.mask & ~kInstType, 0u);
  if (r.mask & kInstSn) {
    EXPECT_EQ(TextOf(r.sn), "SN-42");
  }
  if (r.mask & kInstContr) {
    EXPECT_EQ(r.contr, 45);
  }
  if (r.mask & kInstConfig) {
    EXPECT_EQ(TextOf(r.config), "4 1 0 300 2");
  }
  if (r.mask & kInstAdccal) {
    EXPECT_EQ(TextOf(r.adccal), "1.00042 -0.00120");
  }
  if (r.mask & kInstCal) {
    EXPECT_EQ(TextOf(r.cal[0]), "1 0.99830 0.00210");
  }
}

INSTANTIATE_TEST_SUITE_P(All, InstrumentTypes,
                         ::testing::Values(DT_VMINI, DT_TQ, DT_RD60, DT_SG, DT_HSRB, DT_V7X, DT_KCB,
                                           DT_RV, DT_V8X, DT_QHM, DT_PTM7, DT_MTQ, DT_TRNK6),
                         [](const auto& info) {
                           std::string code = DeviceTypeCode(info.param);
                           return code;
                         });

TEST_F(SettingsFile, OlderTypeLinesOfSgAndTrnk6AreAccepted) {
  reader.deviceType = DT_SG;
  WriteText(Header() + "type=\"GZ\"\r\nsn=\"SG0041277\"\r\n");
  EXPECT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(TextOf(reader.instrumentSettings.sn), "SG0041277");
  Quil_protocol trn{&log};
  trn.deviceType = DT_TRNK6;
  WriteText(Header() + "type=\"TRNK\"\r\ncal01=\"1 0.9\"\r\ncal02=\"2 1.1\"\r\n");
  EXPECT_EQ(ReadInfoFile(trn, Path().c_str()), 1);
  EXPECT_EQ(TextOf(trn.instrumentSettings.cal[1]), "2 1.1");
  EXPECT_EQ(trn.instrumentSettings.mask, kInstType | kInstCal);
}

TEST_F(SettingsFile, KeysCountOnlyAtTheStartOfTheirLine) {
  writer.deviceType = DT_KCB;
  SetText(writer.instrumentSettings.name, "xsn=");
  SetText(writer.instrumentSettings.sn, "KCB022190");
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  reader.deviceType = DT_KCB;
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(TextOf(reader.instrumentSettings.name), "xsn=");
  EXPECT_EQ(TextOf(reader.instrumentSettings.sn), "KCB022190");

  // A logger whose name holds the letters sn.
  Quil_protocol logger{&log};
  logger.deviceType = DT_HV;
  SetText(logger.loggerSettings.typeName, "HubVault");
  SetText(logger.loggerSettings.deviceName, "snow");
  SetText(logger.loggerSettings.serialNumber, "HV00042");
  ASSERT_EQ(WriteInfoFile(logger, Path().c_str()), 1);
  Quil_protocol back{&log};
  back.deviceType = DT_HV;
  ASSERT_EQ(ReadInfoFile(back, Path().c_str()), 1);
  EXPECT_EQ(TextOf(back.loggerSettings.deviceName), "snow");
  EXPECT_EQ(TextOf(back.loggerSettings.serialNumber), "HV00042");
}

TEST_F(SettingsFile, InstrumentFileWithoutQuilBuildReadsAndMissingTextKeysEmptyTheirField) {
  reader.deviceType = DT_MTQ;
  SetText(reader.instrumentSettings.sn, "OLD");
  WriteText(Header() + "type=\"MTQ\"\r\nconfig=\"4 1 0 300 2\"\r\n");
  ASSERT_EQ(ReadInfoFile(reader, Path().c_str()), 1);
  EXPECT_EQ(reader.instrumentSettings.mask, kInstType | kInstConfig);
  EXPECT_EQ(TextOf(reader.instrumentSettings.sn), "");
}

TEST_F(SettingsFile, ReadErrors) {
  reader.deviceType = DT_MTQ;
  EXPECT_EQ(ReadInfoFile(reader, nullptr), -10);
  EXPECT_EQ(ReadInfoFile(reader, ""), -10);
  EXPECT_EQ(ReadInfoFile(reader, dir.File("missing.txt").c_str()), -102);
  WriteText(Header() + "type=\"MTQ\"\r\n");
  reader.deviceType = DT_GN;
  EXPECT_EQ(ReadInfoFile(reader, Path().c_str()), -13);
  EXPECT_EQ(WriteInfoFile(reader, ""), -10);
}

TEST_F(SettingsFile, IsReadableAndWritableByItsOwnerOnly) {
  WriteText("an older file\r\n");
  ::chmod(Path().c_str(), 0644);
  writer.deviceType = DT_KT30;
  writer.loggerSettings = Kt30WithEverything();
  ASSERT_EQ(WriteInfoFile(writer, Path().c_str()), 1);
  struct stat st {};
  ASSERT_EQ(::stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // No temporary file is left beside it.
  size_t files = OtherFiles();
  EXPECT_EQ(files, 1u);
}

TEST_F(SettingsFile, FailedWriteLeavesTheOldFileInPlace) {
  const std::string good = Header() + "type=\"MTQ\"\r\nsn=\"GOOD\"\r\n";
  WriteText(good);
  writer.deviceType = DT_V8X;
  SetText(writer.instrumentSettings.tadj, std::string(120, '7'));
  // A child whose files may not grow beyond 64 bytes: its write fails half way.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64, 64};
    setrlimit(RLIMIT_FSIZE, &limit);
    Quil_protocol qp{nullptr};
    qp.deviceType = DT_V8X;
    qp.instrumentSettings = writer.instrumentSettings;
    _exit(WriteInfoFile(qp, Path().c_str()) == -EFBIG ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadWholeFile(Path()), good);
  size_t files = OtherFiles();
  EXPECT_EQ(files, 1u);
}

}  // namespace
