// Erasing and programming on the wire: the walks, the blocks, retries, progress and cancel.

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "bsl/quil_bsl_host.h"
#include "tests/bsl/wire_peer.h"
#include "tests/support/sim_fixture.h"

namespace {

using Units = std::vector<std::string>;
using Tick = std::tuple<uint32_t, uint32_t, int, char>;

class TransferTest : public ::testing::Test {
 protected:
  TransferTest() : log(dir.File("bsl.errors.txt"), 40), host(&log) {
    host.showProgress = true;
    host.progress = [this](uint32_t total, uint32_t done, int phase, char kind) {
      ticks.emplace_back(total, done, phase, kind);
      return !cancelAt || done < *cancelAt;
    };
  }

  // A session as BSLCheck leaves one, without its second of probing.
  void OpenSession(const WirePeer& peer) {
    ASSERT_EQ(QSOpen(host.port, peer.path().c_str(), 9600), 1);
    host.sessionOpen = true;
  }
  bool Logged(const std::string& line) {
    return ReadWholeFile(log.fileName).find(line) != std::string::npos;
  }

  TempDir dir;
  QuilLog log;
  QuilBSLHost host;
  std::vector<Tick> ticks;
  std::optional<uint32_t> cancelAt;
};

std::vector<std::string> Payloads(const Units& frames) {
  std::vector<std::string> out;
  for (const std::string& f : frames) out.push_back(FramePayload(f));
  return out;
}

// Answers "-" to the n-th unit starting with command (counted from 1) the first times times.
WirePeer::Script Refusing(char command, int n, int times) {
  auto seen = std::make_shared<int>(0);
  auto refused = std::make_shared<int>(0);
  auto blockText = std::make_shared<std::string>();
  return [=](const std::string& unit, size_t) {
    if (unit.empty() || unit[0] != command) return WirePeer::DefaultAnswer(unit);
    if (*blockText == unit && *refused < times) {
      ++*refused;
      return std::string("-\r");
    }
    if (++*seen == n && *refused < times) {
      *blockText = unit;
      ++*refused;
      return std::string("-\r");
    }
    return WirePeer::DefaultAnswer(unit);
  };
}

TEST_F(TransferTest, StandardEraseWalk) {
  WirePeer peer;
  OpenSession(peer);
  EXPECT_EQ(BSLEraseFlash(host, 0x1100, 0xF9FF, false), 1);
  const std::vector<std::string> addresses = Payloads(peer.Frames('X'));
  ASSERT_EQ(addresses.size(), 117u);
  EXPECT_EQ(peer.Units().size(), 117u);
  for (size_t i = 0; i < addresses.size(); ++i) {
    char expected[8];
    std::snprintf(expected, sizeof expected, "%04X", static_cast<unsigned>(0x1100 + 512 * i));
    EXPECT_EQ(addresses[i], expected);
  }
  std::vector<Tick> expected;
  for (uint32_t done = 0; done <= 110; done += 10) expected.emplace_back(116, done, 1, 'X');
  expected.emplace_back(116, 116, 2, 'X');
  EXPECT_EQ(ticks, expected);
  EXPECT_TRUE(Logged("QuilBSL: BSLEraseFlash successful: segment 1100 to F9FF (0 s)\r\n"));
}

TEST_F(TransferTest, WideEraseWalkJumpsOverTheProtectedArea) {
  WirePeer peer;
  OpenSession(peer);
  EXPECT_EQ(BSLEraseFlash(host, 0x2100, 0x1FF00, true), 1);
  const std::vector<std::string> addresses = Payloads(peer.Frames('X'));
  ASSERT_EQ(addresses.size(), 109u + 128u);
  EXPECT_EQ(addresses.front(), "02100");
  EXPECT_EQ(addresses[108], "0F900");
  EXPECT_EQ(addresses[109], "10000");
  EXPECT_EQ(addresses.back(), "1FE00");
  for (const std::string& a : addresses) {
    const unsigned v = std::stoul(a, nullptr, 16);
    EXPECT_FALSE(v >= 0xFA00 && v <= 0xFFFF) << a;
  }
  EXPECT_EQ(ticks.back(), Tick(0x1DE00 / 512, 0x1DE00 / 512, 2, 'X'));
}

TEST_F(TransferTest, EraseRefusesTheProtectedAreaAndEmptyRanges) {
  WirePeer peer;
  OpenSession(peer);
  EXPECT_EQ(BSLEraseFlash(host, 0xFA00, 0x1FF00, true), kBSLInvalidArgument);
  EXPECT_EQ(BSLEraseFlash(host, 0xFFFF, 0x1FF00, true), kBSLInvalidArgument);
  EXPECT_TRUE(ticks.empty());
  EXPECT_EQ(BSLEraseFlash(host, 0x2000, 0x2000, false), 1);
  EXPECT_EQ(BSLEraseFlash(host, 0x3000, 0x2000, false), 1);
  EXPECT_TRUE(peer.Units().empty());
  EXPECT_EQ(ticks, (std::vector<Tick>{{0, 0, 2, 'X'}, {0, 0, 2, 'X'}}));
}

TEST_F(TransferTest, EraseInfoSegments) {
  WirePeer peer;
  OpenSession(peer);
  EXPECT_EQ(BSLEraseINFO(host, 0x1000, 2, 128, false), 1);
  EXPECT_EQ(peer.Units(), (Units{"X1000.0147\r", "X1080.014F\r"}));
  EXPECT_TRUE(Logged("QuilBSL: BSLEraseINFO successful: 2 segments @ 1000 ("));
  peer.Clear();
  EXPECT_EQ(BSLEraseINFO(host, 0x1000, 3, 64, true), 1);
  EXPECT_EQ(Payloads(peer.Units()), (Units{"01000", "01040", "01080"}));
  peer.Clear();
  EXPECT_EQ(BSLEraseINFO(host, 0x1000, 0, 128, false), 1);
  EXPECT_TRUE(peer.Units().empty());
  EXPECT_TRUE(ticks.empty());  // INFO erase reports no progress
}

TEST_F(TransferTest, EraseRetriesARefusedSegmentAndGivesUpAfterRetries) {
  WirePeer peer(Refusing('X', 2, 2));
  OpenSession(peer);
  EXPECT_EQ(BSLEraseFlash(host, 0x1100, 0x1700, false), 1);
  EXPECT_EQ(Payloads(peer.Frames('X')), (Units{"1100", "1300", "1300", "1300", "1500"}));

  WirePeer stubborn(Refusing('X', 1, 3));
  BSLDisconnect(host);
  OpenSession(stubborn);
  EXPECT_EQ(BSLEraseFlash(host, 0x1100, 0x1700, false), kBSLRefused);
  EXPECT_EQ(Payloads(stubborn.Frames('X')), (Units{"1100", "1100", "1100"}));
  EXPECT_TRUE(Logged("QuilBSL: BSLEraseFlash failed with error -1 (0 s)\r\n"));
}

TEST_F(TransferTest, CancelDuringErase) {
  WirePeer peer;
  OpenSession(peer);
  cancelAt = 20;
  EXPECT_EQ(BSLEraseFlash(host, 0x1100, 0xF9FF, false), kBSLCancelled);
  EXPECT_EQ(peer.Frames('X').size(), 20u);
  EXPECT_TRUE(Logged("QuilBSL: BSLEraseFlash failed with error -40 ("));
}

TEST_F(TransferTest, EmbeddedImageGoesOutInBlocks) {
  WirePeer peer;
  OpenSession(peer);
  EXPECT_EQ(BSLSendFirmware(host, false), 1);
  const Units units = peer.Units();
  ASSERT_EQ(units.size(), 1u + 122u);
  EXPECT_EQ(units.front(), "@1100.0130\r");
  std::string sent;
  for (size_t i = 1; i < units.size(); ++i) {
    ASSERT_EQ(units[i][0], 'W');
    const std::string payload = FramePayload(units[i]);
    EXPECT_EQ(payload.size(), i < 122 ? 512u : 448u) << i;
    sent += payload;
  }
  EXPECT_EQ(sent, host.imageText.substr(6));

  ASSERT_EQ(ticks.size(), 122u + 1u);
  for (uint32_t i = 0; i < 122; ++i) EXPECT_EQ(ticks[i], Tick(62406, 512 * i, 1, 'W'));
  EXPECT_EQ(ticks.back(), Tick(62406, 62406, 2, 'W'));
  EXPECT_TRUE(Logged("QuilBSL: BSLSendAddress (01100) successful\r\n"));
  EXPECT_TRUE(Logged("QuilBSL: BSLSendFirmware successful (0 s)\r\n"));
}

TEST_F(TransferTest, SectionsAndWideAddresses) {
  WirePeer peer;
  OpenSession(peer);
  host.imageText = "@0F9FE2211@10000CCBB";
  host.imageLength = static_cast<uint32_t>(host.imageText.size());
  EXPECT_EQ(BSLSendFirmware(host, true), 1);
  EXPECT_EQ(Payloads(peer.Units()), (Units{"0F9FE", "2211", "10000", "CCBB"}));
  peer.Clear();
  host.imageText = "@0F9FE2211@0FE00AA99";
  host.imageLength = static_cast<uint32_t>(host.imageText.size());
  EXPECT_EQ(BSLSendFirmware(host, false), 1);
  EXPECT_EQ(Payloads(peer.Units()), (Units{"F9FE", "2211", "FE00", "AA99"}));
}

TEST_F(TransferTest, ImageTextIsChecked) {
  WirePeer peer;
  OpenSession(peer);
  host.imageText.clear();
  host.imageLength = 0;
  EXPECT_EQ(BSLSendFirmware(host, false), kBSLMissingArgument);
  host.imageText = "01100ABCD";
  host.imageLength = 9;
  EXPECT_EQ(BSLSendFirmware(host, false), kBSLInvalidArgument);
  host.imageText = "@011";  // a section without its address
  host.imageLength = 4;
  EXPECT_EQ(BSLSendFirmware(host, false), kBSLInvalidArgument);
  EXPECT_TRUE(peer.Units().empty());
  // Beyond the reach of four digits: never sent to 0x0000 instead.
  host.imageText = "@0F9FE2211@10000CCBB";
  host.imageLength = static_cast<uint32_t>(host.imageText.size());
  EXPECT_EQ(BSLSendFirmware(host, false), kBSLInvalidArgument);
  EXPECT_EQ(Payloads(peer.Units()), (Units{"F9FE", "2211"}));
}

TEST_F(TransferTest, RefusedBlockIsResentAfterItsAddress) {
  WirePeer peer(Refusing('W', 3, 2));
  OpenSession(peer);
  EXPECT_EQ(BSLSendFirmware(host, false), 1);
  Units head = peer.Units();
  head.resize(9);
  for (std::string& u : head) u = u.substr(0, 1) + (u[0] == '@' ? FramePayload(u) : "");
  EXPECT_EQ(head, (Units{"@1100", "W", "W", "W", "@1300", "W", "@1300", "W", "W"}));
  const Units w = peer.Frames('W');
  ASSERT_EQ(w.size(), 124u);
  EXPECT_EQ(w[2], w[3]);
  EXPECT_EQ(w[3], w[4]);
  EXPECT_NE(w[4], w[5]);
}

TEST_F(TransferTest, BlockRefusedEveryTimeStopsTheTransfer) {
  WirePeer peer(Refusing('W', 2, 3));
  OpenSession(peer);
  EXPECT_EQ(BSLSendFirmware(host, false), kBSLRefused);
  EXPECT_EQ(peer.Frames('W').size(), 4u);  // block 1, then block 2 three times
  EXPECT_EQ(Payloads(peer.Frames('@')), (Units{"1100", "1200", "1200"}));
  EXPECT_NE(std::get<2>(ticks.back()), 2);  // no end of programming reported
  EXPECT_TRUE(Logged("QuilBSL: BSLSendFirmware failed with error -1 (0 s)\r\n"));
}

TEST_F(TransferTest, CancelStopsBeforeTheNextBlock) {
  WirePeer peer;
  OpenSession(peer);
  cancelAt = 1024;
  EXPECT_EQ(BSLSendFirmware(host, false), kBSLCancelled);
  EXPECT_EQ(peer.Frames('W').size(), 1u);
  EXPECT_EQ(ticks.back(), Tick(62406, 1024, 1, 'W'));
  EXPECT_TRUE(Logged("QuilBSL: BSLSendFirmware failed with error -40 (0 s)\r\n"));
}

TEST_F(TransferTest, VectorsWaitForAPlus) {
  // The lone "+" ends the answer: a host waiting for a carriage return would time out here.
  WirePeer peer;
  OpenSession(peer);
  EXPECT_EQ(BSLSendVectors(host), 1);
  const Units units = peer.Units();
  ASSERT_EQ(units.size(), 1u);
  const std::string payload = std::string(60, 'F') + "1114";
  unsigned sum = 'V' + '.';
  for (char c : payload) sum += static_cast<unsigned char>(c);
  char tail[16];
  std::snprintf(tail, sizeof tail, ".%04X\r", sum % 0xFFFF);
  EXPECT_EQ(units[0], "V" + payload + tail);
  EXPECT_TRUE(Logged("QuilBSL: BSLSendVectors successful\r\n"));
}

TEST_F(TransferTest, ImageLoadedDuringTheSessionIsNotTheOneSent) {
  const std::string other = dir.File("KT30-1-12.txt");
  std::ofstream(other) << "@1100\nB2 40 80 5A\n@FFFE\n00 20\nq\n";
  const std::string original = host.imageText;
  WirePeer peer;
  ASSERT_EQ(BSLConnect(host, peer.path().c_str(), 9600, true, 3), 12);
  host.progress = [&](uint32_t, uint32_t done, int, char) {
    if (done == 512) {
      EXPECT_EQ(BSLLoadTIFile(host, other.c_str()), 1);
    }
    return true;
  };
  EXPECT_EQ(BSLSendFirmware(host, false), 1);
  EXPECT_EQ(BSLSendVectors(host), 1);
  EXPECT_EQ(host.imageText, "@0110040B25A80");  // loaded for the next session
  std::string sent;
  for (const std::string& w : peer.Frames('W')) sent += FramePayload(w);
  EXPECT_EQ(sent, original.substr(6));
  EXPECT_EQ(FramePayload(peer.Frames('V').at(0)), std::string(60, 'F') + "1114");
}

}  // namespace
