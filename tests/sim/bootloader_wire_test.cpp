// The simulated bootloader seen from the wire, through a small host of the test's own that
// follows the bootloader protocol: "boot KELP", the "\r"/"$" and "P"/"#" handshake, framed
// commands with their sum check, and an image laid out as the firmware's layout prescribes.

#include <termios.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/raw_wire.h"
#include "tests/support/sim_fixture.h"

namespace {

// Generous: these bound a wait for an answer that should come, never a speed.
constexpr int kAnswerMs = 3000;
// How long an answer that should not come is waited for.
constexpr int kSilenceMs = 300;

speed_t Speed(uint32_t baud) { return baud == 57600 ? B57600 : B9600; }

class TinyHost {
 public:
  explicit TinyHost(std::string path) : path_(std::move(path)) {}

  bool Open(uint32_t baud = 9600) { return raw_.Open(path_, Speed(baud)); }
  bool SetBaud(uint32_t baud) { return raw_.SetSpeed(Speed(baud)); }
  void Close() { raw_.Close(); }
  void Purge() { raw_.Purge(); }
  bool Send(std::string_view bytes) { return raw_.Send(bytes); }

  // What arrives until `end` has come or timeoutMs has passed.
  std::string ReadUntil(char end, int timeoutMs = kAnswerMs) {
    return raw_.ReadUntilChar(end, timeoutMs);
  }

  std::string Exchange(std::string_view out, char end, int timeoutMs = kAnswerMs) {
    Purge();
    if (!Send(out)) return "<write failed>";
    return ReadUntil(end, timeoutMs);
  }

  // command, payload, ".", the sum of their character codes modulo 0xFFFF in four digits, "\r"
  static std::string Frame(char command, std::string_view payload) {
    std::string line(1, command);
    line.append(payload);
    line += '.';
    unsigned sum = 0;
    for (unsigned char c : line) sum += c;
    char check[8];
    std::snprintf(check, sizeof check, "%04X", sum % 0xFFFFu);
    return line + check + "\r";
  }

  std::string Command(char command, std::string_view payload, char end = '\r', int timeoutMs = kAnswerMs) {
    return Exchange(Frame(command, payload), end, timeoutMs);
  }

  std::string Address(uint32_t address, bool wide) { return Command('@', Hex(address, wide)); }
  std::string Erase(uint32_t address, bool wide) { return Command('X', Hex(address, wide)); }

  static std::string Hex(uint32_t value, bool wide) {
    char text[12];
    std::snprintf(text, sizeof text, wide ? "%05X" : "%04X", value);
    return text;
  }

 private:
  std::string path_;
  raw_wire::RawWire raw_;
};

// The memory of a device type as the bootloader host is told it.
struct Layout {
  const char* type;
  const char* version;
  uint32_t flashStart, flashEnd;
  uint32_t infoStart, infoSegments, infoSegmentSize;
  bool wide;
  uint32_t bootBaud;
};

void PrintTo(const Layout& layout, std::ostream* os) { *os << layout.type; }

constexpr Layout kStandard{"TQ", "3.50", 0x1100, 0xF9FF, 0x1000, 2, 128, false, 9600};
constexpr Layout kWide{"RV", "1.00", 0x2100, 0x1FF00, 0x1000, 3, 64, true, 57600};
constexpr Layout kQhm{"QHM", "1.20", 0x5C00, 0x3BFFF, 0x1800, 3, 128, true, 57600};

// A firmware image: 16 bytes of model text, CRC-16 (0x1021, start 0xFFFF) of the code, the
// code length, the code; the reset vector points at the code.
struct Image {
  uint32_t start = 0;
  std::vector<uint8_t> bytes;
  std::array<uint16_t, 16> vectors{};
};

uint16_t Crc(const uint8_t* p, size_t n) {
  uint16_t crc = 0xFFFF;
  while (n--) {
    crc ^= static_cast<uint16_t>(*p++ << 8);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
  }
  return crc;
}

Image MakeImage(uint32_t start, const std::string& model, size_t codeLength, size_t padding = 0) {
  Image image;
  image.start = start;
  image.bytes.assign(0x14 + codeLength + padding, 0);
  for (size_t i = 0; i < model.size() && i < 16; ++i) image.bytes[i] = static_cast<uint8_t>(model[i]);
  uint32_t x = 12345;
  for (size_t i = 0x14; i < image.bytes.size(); ++i) {
    x = x * 69069 + 1;
    image.bytes[i] = static_cast<uint8_t>(x >> 24);
  }
  uint16_t crc = Crc(image.bytes.data() + 0x14, codeLength);
  image.bytes[0x10] = static_cast<uint8_t>(crc & 0xFF);
  image.bytes[0x11] = static_cast<uint8_t>(crc >> 8);
  image.bytes[0x12] = static_cast<uint8_t>(codeLength & 0xFF);
  image.bytes[0x13] = static_cast<uint8_t>(codeLength >> 8);
  image.vectors.fill(static_cast<uint16_t>(start + 0x14));
  return image;
}

// Bytes as the data of a "W" frame: 16-bit words of four digits, most significant first, the
// byte at the lower address in the low half ("B2 40" is "40B2"); an odd last byte gets 0xFF.
std::string WordText(const uint8_t* p, size_t n) {
  std::string text;
  char word[8];
  for (size_t i = 0; i < n; i += 2) {
    unsigned high = i + 1 < n ? p[i + 1] : 0xFF;
    std::snprintf(word, sizeof word, "%02X%02X", high, p[i]);
    text += word;
  }
  return text;
}

std::string Block(const Image& image, size_t index) {
  size_t offset = index * 256;
  return WordText(image.bytes.data() + offset, std::min<size_t>(256, image.bytes.size() - offset));
}

size_t BlockCount(const Image& image) { return (image.bytes.size() + 255) / 256; }

std::string VectorPayload(const Image& image) {
  std::string text;
  for (uint16_t v : image.vectors) text += TinyHost::Hex(v, false);
  return text;
}

::testing::AssertionResult Attach(TinyHost& host) {
  std::string prompt = host.Exchange("\r", '$');
  if (prompt.empty() || prompt[0] != '$') return ::testing::AssertionFailure() << "prompt probe got \"" << prompt << "\"";
  std::string hello = host.Exchange("P", '#');
  if (hello.find('#') == std::string::npos) return ::testing::AssertionFailure() << "\"P\" got \"" << hello << "\"";
  return ::testing::AssertionSuccess();
}

// From the command interpreter into the attached bootloader, as the host's invocation does.
::testing::AssertionResult BootAndAttach(TinyHost& host, const Layout& layout) {
  std::string ok = host.Exchange("boot KELP\r", 'K');
  if (ok.find("OK") == std::string::npos) return ::testing::AssertionFailure() << "boot got \"" << ok << "\"";
  if (layout.bootBaud != 9600) {
    // The device changes its rate just after the "OK"; a host pauses after the boot command.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    if (!host.SetBaud(layout.bootBaud)) return ::testing::AssertionFailure() << "baud";
  }
  return Attach(host);
}

::testing::AssertionResult EraseAll(TinyHost& host, const Layout& layout) {
  for (uint32_t i = 0; i < layout.infoSegments; ++i) {
    uint32_t a = layout.infoStart + i * layout.infoSegmentSize;
    std::string answer = host.Erase(a, layout.wide);
    if (answer != "+\r") return ::testing::AssertionFailure() << "INFO erase at " << std::hex << a << " got \"" << answer << "\"";
  }
  for (uint32_t a = layout.flashStart; a < layout.flashEnd;) {
    std::string answer = host.Erase(a, layout.wide);
    if (answer != "+\r") return ::testing::AssertionFailure() << "erase at " << std::hex << a << " got \"" << answer << "\"";
    a += 512;
    if (a >= 0xFA00 && a <= 0xFFFF) a = 0x10000;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program(TinyHost& host, const Image& image, bool wide, size_t firstBlock = 0) {
  std::string answer = host.Address(image.start + static_cast<uint32_t>(firstBlock * 256), wide);
  if (answer != "+\r") return ::testing::AssertionFailure() << "address got \"" << answer << "\"";
  for (size_t i = firstBlock; i < BlockCount(image); ++i) {
    answer = host.Command('W', Block(image, i));
    if (answer != "+\r") return ::testing::AssertionFailure() << "block " << i + 1 << " got \"" << answer << "\"";
  }
  answer = host.Command('V', VectorPayload(image), '+');
  if (answer != "+") return ::testing::AssertionFailure() << "vectors got \"" << answer << "\"";
  return ::testing::AssertionSuccess();
}

// After the port is closed, the device may take a moment to notice; ask until it answers as
// its interpreter (or give up after a few tries).
std::string InterpreterAnswer(TinyHost& host, const std::string& command) {
  std::string answer;
  for (int attempt = 0; attempt < 5; ++attempt) {
    answer = host.Exchange(command + "\r", '>');
    if (answer.find('>') != std::string::npos) return answer;
  }
  return answer;
}

class BootloaderWire : public ::testing::Test {
 protected:
  void Start(const Layout& layout, std::vector<std::string> faults = {}, std::string bootloader = "") {
    SimOptions options = MakeTestOptions(layout.type, layout.version);
    options.faults = std::move(faults);
    options.bootloader = std::move(bootloader);
    server_ = StartSim(options);
    ASSERT_TRUE(server_);
    host_ = std::make_unique<TinyHost>(server_->slavePath());
    ASSERT_TRUE(host_->Open());
  }

  // Closes the port and opens it again at the interpreter's rate, after the pause of the
  // host's disconnect: bytes of a port opened again at once could reach the device before it
  // has seen the close.
  void Reopen() {
    host_->Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(host_->Open());
  }

  TinyHost& host() { return *host_; }

  std::unique_ptr<PtyServer> server_;
  std::unique_ptr<TinyHost> host_;
};

// --- A whole programming session, for each memory layout ---------------------------------

class WholeSession : public BootloaderWire, public ::testing::WithParamInterface<Layout> {};

TEST_P(WholeSession, ProgrammedCodeRunsAfterTheHostCloses) {
  const Layout& layout = GetParam();
  // Bytes sent at a rate the other side is not using arrive as garbage: the interpreter's
  // "OK" must leave at 9600 baud, the bootloader talk at the boot rate, and the restarted
  // interpreter at 9600 again.
  Start(layout, {"baud-garbage"});
  ASSERT_TRUE(BootAndAttach(host(), layout));
  EXPECT_EQ(host().Command('g', ""), "+12+\r");
  ASSERT_TRUE(EraseAll(host(), layout));
  // 7 full blocks and a short one.
  Image image = MakeImage(layout.flashStart, std::string(layout.type) + " 3.61", 1800, 70);
  ASSERT_TRUE(Program(host(), image, layout.wide));
  Reopen();

  std::string identity = InterpreterAnswer(host(), "get -ver");
  EXPECT_NE(identity.find(std::string(layout.type) + " 3.61"), std::string::npos) << identity;
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

INSTANTIATE_TEST_SUITE_P(Layouts, WholeSession, ::testing::Values(kStandard, kWide, kQhm),
                         [](const auto& info) { return std::string(info.param.type); });

TEST_F(BootloaderWire, DeviceStartedInItsBootloaderTakesAWholeSession) {
  Start(kStandard, {}, "waiting");
  ASSERT_TRUE(Attach(host()));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  ASSERT_TRUE(Program(host(), MakeImage(0x1100, "TQ 3.61", 2000), false));
  Reopen();
  EXPECT_NE(InterpreterAnswer(host(), "get -ver").find("TQ 3.61"), std::string::npos);
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

TEST_F(BootloaderWire, CodeThatFailsItsCheckRunsAndReportsCorrupt) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  Image image = MakeImage(0x1100, "TQ 3.61", 1000);
  image.bytes[600] ^= 0x01;  // one bit wrong inside the checked code
  ASSERT_TRUE(Program(host(), image, false));
  Reopen();
  EXPECT_NE(InterpreterAnswer(host(), "get -ver").find("TQ 3.61"), std::string::npos);
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Corrupt!\r>");
}

TEST_F(BootloaderWire, DeviceWithoutRunnableCodeStaysInItsBootloader) {
  struct Case {
    const char* name;
    bool sendVectors;
    const char* model;
  };
  for (const Case& c : {Case{"erased, no vectors", false, "TQ 3.61"}, Case{"bad model text", true, "TQ 3.6"}}) {
    SCOPED_TRACE(c.name);
    Start(kStandard);
    ASSERT_TRUE(BootAndAttach(host(), kStandard));
    ASSERT_TRUE(EraseAll(host(), kStandard));
    Image image = MakeImage(0x1100, c.model, 300);
    ASSERT_EQ(host().Address(0x1100, false), "+\r");
    for (size_t i = 0; i < BlockCount(image); ++i) ASSERT_EQ(host().Command('W', Block(image, i)), "+\r");
    if (c.sendVectors) {
      ASSERT_EQ(host().Command('V', VectorPayload(image), '+'), "+");
    }
    Reopen();
    // Still attached: a bare carriage return gets "?", the version request its answer.
    EXPECT_EQ(host().Exchange("\r", '?'), "?");
    EXPECT_EQ(host().Exchange("get -ver\r", '\r'), "+12+\r");
  }
}

TEST_F(BootloaderWire, ClosingWithoutChangesRestartsTheOldFirmware) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  EXPECT_EQ(host().Command('g', ""), "+12+\r");
  Reopen();
  EXPECT_EQ(InterpreterAnswer(host(), "get -ver"), "\rTQ 3.50\r>");
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

// The build's stand-in firmware file, read here with a TI-Text reading of the test's own:
// "@addr" starts a section, hexadecimal byte pairs follow, "q" ends the file.
struct TiSection {
  uint32_t address = 0;
  std::vector<uint8_t> bytes;
};

std::vector<TiSection> ReadTiText(const std::string& text) {
  std::vector<TiSection> sections;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '@') {
      size_t end = i + 1;
      while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
      sections.push_back({static_cast<uint32_t>(std::stoul(text.substr(i + 1, end - i - 1), nullptr, 16)), {}});
      i = end;
    } else if (c == 'q') {
      break;
    } else if (std::isxdigit(static_cast<unsigned char>(c)) && i + 1 < text.size() && !sections.empty()) {
      sections.back().bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
      i += 2;
    } else {
      ++i;
    }
  }
  return sections;
}

TEST_F(BootloaderWire, BuildsStandInFirmwareChecksGood) {
  std::vector<TiSection> sections = ReadTiText(ReadWholeFile(std::string(QUILBSL_SOURCE_DIR) + "/firmware/MTQ 3-61.txt"));
  ASSERT_EQ(sections.size(), 2u);
  ASSERT_EQ(sections[0].address, 0x1100u);
  ASSERT_EQ(sections[1].address, 0xFFE0u);
  ASSERT_EQ(sections[1].bytes.size(), 32u);
  Image image;
  image.start = sections[0].address;
  image.bytes = sections[0].bytes;
  for (size_t i = 0; i < 16; ++i)
    image.vectors[i] = static_cast<uint16_t>(sections[1].bytes[2 * i] | sections[1].bytes[2 * i + 1] << 8);

  // A device of the standard layout that answers "post" without a login.
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  ASSERT_TRUE(Program(host(), image, false));
  Reopen();
  EXPECT_NE(InterpreterAnswer(host(), "get -ver").find("MTQ 3.61"), std::string::npos);
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

// --- Answers of the two states ------------------------------------------------------------

TEST_F(BootloaderWire, WaitingAndAttachedAnswerAsTheHostExpects) {
  Start(kStandard, {}, "waiting");
  struct Case {
    const char* send;
    char end;
    const char* expect;
  };
  const Case waiting[] = {
      {"\r", '$', "$"},
      {"get -ver\r", '$', "$"},
      {"boot KELP\r", '$', "$"},
      {"xyzzy", '$', ""},  // ignored: no answer without a carriage return
  };
  for (const Case& c : waiting) {
    SCOPED_TRACE(c.send);
    EXPECT_EQ(host().Exchange(c.send, c.end, *c.expect ? kAnswerMs : kSilenceMs), c.expect);
  }
  // A "P" that does not start a line does not attach.
  EXPECT_EQ(host().Exchange("xP", '#', kSilenceMs), "");
  EXPECT_EQ(host().Exchange("\rP", '#'), "$#");

  const Case attached[] = {
      {"\r", '?', "?"},
      {"boot KELP\r", '\r', "?\r"},
      {"get -ver\r", '\r', "+12+\r"},
      {"g.0095\r", '\r', "+12+\r"},
      {"Q.007F\r", '\r', "?\r"},
      {"@1100.0130\r", '\r', "+\r"},
      {"@1100.0131\r", '\r', "-\r"},   // sum check off by one
      {"@1100.130\r", '\r', "-\r"},    // three check digits
      {"@11000130\r", '\r', "-\r"},    // no "."
      {"@110.0100\r", '\r', "-\r"},    // three address digits
      {"@01100.0160\r", '\r', "+\r"},  // five digits
      {"@1100.0130\n\r", '\r', "+\r"}, // a line feed is ignored
  };
  for (const Case& c : attached) {
    SCOPED_TRACE(c.send);
    EXPECT_EQ(host().Exchange(c.send, c.end), c.expect);
  }
}

TEST_F(BootloaderWire, BadSumCheckIsRefusedAndChangesNothing) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  std::string frame = TinyHost::Frame('X', "1100");
  ASSERT_EQ(frame, "X1100.0148\r");
  frame[frame.size() - 2] = '9';
  EXPECT_EQ(host().Exchange(frame, '\r'), "-\r");
  // The segment was not erased: programming it is still refused.
  ASSERT_EQ(host().Address(0x1100, false), "+\r");
  EXPECT_EQ(host().Command('W', "00112233"), "-\r");

  // A data block whose payload was damaged on the way fails its sum check.
  EXPECT_EQ(host().Erase(0x1100, false), "+\r");
  ASSERT_EQ(host().Address(0x1100, false), "+\r");
  std::string block = TinyHost::Frame('W', "00112233");
  block[3] = '2';
  EXPECT_EQ(host().Exchange(block, '\r'), "-\r");
  EXPECT_EQ(host().Command('W', "00112233"), "+\r");
}

// --- The flash rules ----------------------------------------------------------------------

TEST_F(BootloaderWire, ProgrammingOverUnerasedFlashIsRefused) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  const std::string data(512, 'A');   // 256 bytes of 0xAA
  const std::string other(512, '5');  // 256 bytes of 0x55

  // The old firmware is still there.
  ASSERT_EQ(host().Address(0x1300, false), "+\r");
  EXPECT_EQ(host().Command('W', data), "-\r");

  ASSERT_EQ(host().Erase(0x1300, false), "+\r");
  ASSERT_EQ(host().Address(0x1300, false), "+\r");
  EXPECT_EQ(host().Command('W', data), "+\r");
  // The address moved on by the block; the next block lands in the erased rest of the segment.
  EXPECT_EQ(host().Command('W', data), "+\r");
  // The segment is full: the next one was not erased.
  EXPECT_EQ(host().Command('W', data), "-\r");

  // Once programmed, other data is refused; the same data again changes nothing.
  ASSERT_EQ(host().Address(0x1300, false), "+\r");
  EXPECT_EQ(host().Command('W', other), "-\r");
  ASSERT_EQ(host().Address(0x1300, false), "+\r");
  EXPECT_EQ(host().Command('W', data), "+\r");

  // Erasing the neighbour segment leaves this one programmed.
  ASSERT_EQ(host().Erase(0x1500, false), "+\r");
  ASSERT_EQ(host().Address(0x1300, false), "+\r");
  EXPECT_EQ(host().Command('W', other), "-\r");
}

TEST_F(BootloaderWire, EraseAndProgramStayOutOfTheProtectedArea) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  for (uint32_t a : {0xFA00u, 0xFC00u, 0xFE00u, 0xFFE0u, 0xFFFFu}) {
    SCOPED_TRACE(a);
    EXPECT_EQ(host().Erase(a, false), "-\r");
    EXPECT_EQ(host().Address(a, false), "-\r");
  }
  // Outside any memory of the device.
  EXPECT_EQ(host().Erase(0x0F00, false), "-\r");
  EXPECT_EQ(host().Erase(0x10000, true), "-\r");

  // The last flash segment below the bootloader is erased up to 0xF9FF only: a block that
  // would run into the protected area is refused, one that ends at 0xF9FF is taken.
  ASSERT_EQ(host().Erase(0xF900, false), "+\r");
  ASSERT_EQ(host().Address(0xF980, false), "+\r");
  EXPECT_EQ(host().Command('W', std::string(512, '0')), "-\r");
  ASSERT_EQ(host().Address(0xF900, false), "+\r");
  EXPECT_EQ(host().Command('W', std::string(512, '0')), "+\r");
  EXPECT_EQ(host().Command('W', "0000"), "-\r");  // 0xFA00
}

TEST_F(BootloaderWire, InfoSegmentsHaveTheTypesSize) {
  // 64-byte INFO segments: erasing 0x1040 leaves 0x1000..0x103F programmed.
  Start(kWide);
  ASSERT_TRUE(BootAndAttach(host(), kWide));
  const std::string segment(128, '1');  // 64 bytes
  ASSERT_EQ(host().Erase(0x1000, true), "+\r");
  ASSERT_EQ(host().Address(0x1000, true), "+\r");
  EXPECT_EQ(host().Command('W', segment), "+\r");
  EXPECT_EQ(host().Command('W', segment), "-\r");  // 0x1040 not erased yet
  ASSERT_EQ(host().Erase(0x1040, true), "+\r");
  ASSERT_EQ(host().Address(0x1040, true), "+\r");
  EXPECT_EQ(host().Command('W', segment), "+\r");
  ASSERT_EQ(host().Address(0x1000, true), "+\r");
  EXPECT_EQ(host().Command('W', std::string(128, '0')), "-\r");
  // Three segments of INFO: 0x10C0 is outside it.
  EXPECT_EQ(host().Erase(0x10C0, true), "-\r");
}

TEST_F(BootloaderWire, MalformedDataAndVectorsAreRefused) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  ASSERT_EQ(host().Erase(0x1100, false), "+\r");
  // No address yet since attaching.
  EXPECT_EQ(host().Command('W', "0011"), "-\r");
  ASSERT_EQ(host().Address(0x1100, false), "+\r");
  for (const char* payload : {"", "00", "001", "00112", "00G1"}) {
    SCOPED_TRACE(payload);
    EXPECT_EQ(host().Command('W', payload), "-\r");
  }
  // 257 bytes are more than a frame holds.
  EXPECT_EQ(host().Command('W', std::string(514, '0')), "-\r");
  EXPECT_EQ(host().Command('V', std::string(60, '0'), '\r'), "-\r");
  EXPECT_EQ(host().Command('V', std::string(63, '0') + "Z", '\r'), "-\r");
  EXPECT_EQ(host().Command('V', std::string(64, '0'), '+'), "+");
}

// --- Faults -------------------------------------------------------------------------------

TEST_F(BootloaderWire, RefusedBlockIsTakenAfterItsRefusals) {
  Start(kStandard, {"refuse-block=2:2"});
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  Image image = MakeImage(0x1100, "TQ 3.61", 900);
  ASSERT_EQ(host().Address(0x1100, false), "+\r");
  EXPECT_EQ(host().Command('W', Block(image, 0)), "+\r");
  for (int refusal = 0; refusal < 2; ++refusal) {
    EXPECT_EQ(host().Command('W', Block(image, 1)), "-\r");
    ASSERT_EQ(host().Address(0x1200, false), "+\r");
  }
  EXPECT_EQ(host().Command('W', Block(image, 1)), "+\r");
  ASSERT_TRUE(Program(host(), image, false, 2));
  Reopen();
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

TEST_F(BootloaderWire, LostAnswerComesOnceAndTheCommandStillRan) {
  Start(kStandard, {"lose-answer=3"});
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  EXPECT_EQ(host().Command('g', ""), "+12+\r");                   // 1
  EXPECT_EQ(host().Erase(0x1100, false), "+\r");                  // 2
  EXPECT_EQ(host().Command('@', "1100", '\r', kSilenceMs), "");  // 3: lost
  EXPECT_EQ(host().Command('W', "0102"), "+\r");                 // 4: the address was set
  // A retry of the same block after its address, as after a lost answer, is taken.
  EXPECT_EQ(host().Address(0x1100, false), "+\r");
  EXPECT_EQ(host().Command('W', "0102"), "+\r");
}

TEST_F(BootloaderWire, PowerLossAfterABlockThenASecondSessionCompletes) {
  Start(kStandard, {"power-loss=2"});
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  Image image = MakeImage(0x1100, "TQ 3.61", 1500);
  ASSERT_EQ(host().Address(0x1100, false), "+\r");
  EXPECT_EQ(host().Command('W', Block(image, 0)), "+\r");
  EXPECT_EQ(host().Command('W', Block(image, 1)), "+\r");
  // Dead until the port is closed.
  EXPECT_EQ(host().Command('W', Block(image, 2), '\r', kSilenceMs), "");
  EXPECT_EQ(host().Exchange("\r", '$', kSilenceMs), "");

  // Back with power, in the bootloader, waiting for a host.
  Reopen();
  EXPECT_EQ(host().Exchange("get -ver\r", '$'), "$");
  ASSERT_TRUE(Attach(host()));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  ASSERT_TRUE(Program(host(), image, false));
  Reopen();
  EXPECT_NE(InterpreterAnswer(host(), "get -ver").find("TQ 3.61"), std::string::npos);
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

TEST_F(BootloaderWire, HostThatDiesMidTransferFindsTheBootloaderStillAttached) {
  Start(kStandard);
  ASSERT_TRUE(BootAndAttach(host(), kStandard));
  ASSERT_TRUE(EraseAll(host(), kStandard));
  Reopen();
  // The boot command reaches the bootloader, which does not know it.
  EXPECT_EQ(host().Exchange("boot KELP\r", '\r'), "?\r");
  Image image = MakeImage(0x1100, "TQ 3.61", 700);
  ASSERT_TRUE(Program(host(), image, false));
  Reopen();
  EXPECT_EQ(InterpreterAnswer(host(), "post"), "\rCode Good!\r>");
}

TEST_F(BootloaderWire, StartedAttachedAsAfterAnInterruptedTransfer) {
  Start(kStandard, {}, "attached");
  EXPECT_EQ(host().Exchange("\r", '?'), "?");
  // Nothing runnable is left: closing keeps the device in its bootloader.
  Reopen();
  EXPECT_EQ(host().Exchange("get -ver\r", '\r'), "+12+\r");
}

}  // namespace
