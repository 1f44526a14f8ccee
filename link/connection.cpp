// Connecting, logging in (serial line or radio), baud negotiation and disconnecting.

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kHomeBaud = 9600;
constexpr uint32_t kQueryTimeoutMs = 3000;
constexpr uint32_t kQueryHeardPauseMs = 2500;
constexpr uint32_t kLoginTimeoutMs = 1100;
constexpr uint32_t kSetBaudTimeoutMs = 1100;
constexpr uint32_t kRadioModuleTries = 3;
constexpr uint32_t kWakePackets = 909;
constexpr uint32_t kWakeGapMs = 55;
constexpr uint32_t kWakeProgressEvery = 18;
constexpr uint32_t kLogoutPauseMs = 100;

// The device's code for a rate of "set -baud"; -1 when it has none.
int BaudCode(uint32_t baud) {
  constexpr std::array<uint32_t, 7> kCodes = {9600, 19200, 38400, 57600, 115200, 230400, 460800};
  for (size_t i = 0; i < kCodes.size(); ++i) {
    if (kCodes[i] == baud) return static_cast<int>(i);
  }
  return -1;
}

bool TraceSent(const SOLIX_Protocol& link) {
  return link.options.traceMode == 2 || link.options.traceMode == 3;
}

bool KnownKind(uint8_t kind) {
  return kind == 4 || kind == 20 || kind == 40 || kind == 100 || kind == 110 || kind == 120;
}

int32_t SerialLogin(SOLIX_Protocol& link, uint8_t& baudIndex) {
  int32_t r = VerCommand(link, 1);
  if (r == -21) {
    LinkLog(link, kLogDetail, "DeviceLogin: nothing is listening over the serial port");
    return -20;
  }
  if (r <= 0) {
    LinkLog(link, kLogDetail, "DeviceLogin failed with error %d", r);
    return r;
  }
  if ((link.settings.capabilities & kCapBaudChange) != 0) {
    uint32_t target = baudIndex < kSolixBaudRates.size() ? kSolixBaudRates[baudIndex] : 0;
    if (target == link.port.baudRate) {
      baudIndex = kBaudIndex9600;
    } else if (BaudCode(target) < 0) {
      // The device has no code for this rate (1200, or no rate at all): both sides would
      // end up at different rates, so stay at 9600.
      LinkLog(link, kLogDetail, "DeviceLogin: unsupported baud rate %d, using 9600",
              static_cast<int>(target));
      baudIndex = kBaudIndex9600;
    } else {
      int32_t b = SetBaudCommand(link, target);
      if (b <= 0) {
        LinkLog(link, kLogDetail, "DeviceLogin: device didn't change baud rate (error %d)", b);
        baudIndex = kBaudIndex9600;
      } else if (int32_t h = QSHostBaud(link.port, target); h < 0) {
        LinkLog(link, kLogFailure, "DeviceLogin: host reports it can't change baud (error %d)", h);
        return -20;
      }
    }
  } else {
    baudIndex = kBaudIndex9600;
  }
  LinkLog(link, kLogDetail, "DeviceLogin communicating with a device running %s at %d baud",
          TextString(link.settings.versionText).c_str(), static_cast<int>(link.port.baudRate));
  return 1;
}

int32_t RadioLogin(SOLIX_Protocol& link, FixedText<9>& name, uint8_t& baudIndex) {
  int32_t result = 1;
  for (int pass = 1;; ++pass) {
    bool known = name[0] != '\0';
    if (!known) {
      std::array<char, 9> heard{};
      int32_t q = QueryCommand(link, heard.data(), 1);
      if (q > 0) {
        SetText(name, std::string_view(heard.data(), strnlen(heard.data(), heard.size())));
        known = true;
      } else if (q == -40) {
        return -40;
      } else if (q != -21 && q != -22) {
        result = q;
        break;
      }
    }
    if (known) {
      std::string wanted = TextString(name);
      int32_t l = LoginCommand(link, wanted.c_str());
      if (l > 0) {
        SetText(link.settings.deviceName, wanted);
        result = 1;
        break;
      }
      if (l != -21) {
        result = l;
        break;
      }
    }
    if (pass >= 2) {
      result = 1;
      break;
    }
    if (SendWake(link) == -40) return -40;
  }
  if (result == -21 || result == -22) {
    LinkLog(link, kLogDetail, "DeviceLogin: nothing is listening over the radio");
    return -20;
  }
  if (result == -32) {
    LinkLog(link, kLogFailure, "DeviceLogin thinks a relay must be active");
    return -33;
  }
  if (result < 0) {
    LinkLog(link, kLogDetail, "DeviceLogin failed with error %d", result);
    return result;
  }
  if (link.settings.deviceName[0] != '\0') {
    baudIndex = kBaudIndex9600;
    LinkLog(link, kLogDetail, "DeviceLogin communicating with a device running %s at %d baud",
            TextString(link.settings.versionText).c_str(), static_cast<int>(link.port.baudRate));
    return 1;
  }
  LinkLog(link, kLogDetail, "DeviceLogin: nothing is listening over the radio");
  return -20;
}

}  // namespace

int32_t ConnectDevice(SOLIX_Protocol& link, SolixConnection* description) {
  if (description == nullptr) return -10;
  if (link.status < 0) return -60;
  link.settings = LoggerSettings{};
  link.resets = 0;

  const uint8_t kind = description->kind;
  if (kind == 0) return -11;
  if (KnownKind(kind)) return -13;
  if (kind == kConnSerial) link.tries = link.options.serialTries;
  else if (kind == kConnRadio) link.tries = link.options.radioTries;
  else return -10;

  if (description->baudIndex == 0) description->baudIndex = kBaudIndex9600;

  // A port kept open from the last session is reused only when it is the one asked for.
  const bool reuse = link.connection.kind != 0 && link.port.portHandle >= 0 &&
                     link.port.portName == description->port;
  if (!reuse) {
    if (link.port.portHandle >= 0) QSClose(link.port);
    link.connection.kind = 0;
    if (int32_t r = QSOpen(link.port, description->port.c_str(), kHomeBaud); r < 0) return r;
  }
  link.connection = *description;

  if (kind == kConnRadio && description->radioKnown != 0) {
    link.tries = kRadioModuleTries;
    int32_t rch = description->rch;
    int32_t rsch = description->rsch;
    uint32_t flags = kMaskRch | kMaskRsch;
    if (Qr7Config(link, &rch, &rsch, nullptr, 1, &flags) != 1) {
      if (link.options.keepPortOpen == 0) {
        link.connection.kind = 0;
        QSClose(link.port);
      }
      return -23;
    }
    link.tries = link.options.radioTries;
  }

  int32_t r = DeviceLogin(link, description->deviceName, description->baudIndex);
  if (r < 0) {
    if (link.options.keepPortOpen == 0) {
      QSClose(link.port);
      link.connection.kind = 0;
    } else {
      QSHostBaud(link.port, kHomeBaud);
    }
  }
  return r;
}

int32_t DeviceLogin(SOLIX_Protocol& link, FixedText<9>& name, uint8_t& baudIndex) {
  if (link.port.baudRate != kHomeBaud) {
    if (int32_t h = QSHostBaud(link.port, kHomeBaud); h < 0) {
      LinkLog(link, kLogDetail, "DeviceLogin: host reports it can't change baud (error %d)", h);
      return -20;
    }
  }
  if (link.connection.kind == kConnRadio) return RadioLogin(link, name, baudIndex);
  return SerialLogin(link, baudIndex);
}

int32_t QueryCommand(SOLIX_Protocol& link, char* buffer, int mode) {
  if (mode <= 0 || buffer == nullptr) return -10;
  const uint32_t attempts = link.tries;
  link.tries = 1;

  int32_t r = -21;
  int32_t elapsed = 0;
  for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
    if (link.options.showProgress != 0 &&
        !DeviceProgress(link, attempts, attempt + 1, kProgressQuery)) {
      r = -40;
      break;
    }
    if (mode == 1) {
      std::array<char, 180> answer{};
      uint32_t capacity = answer.size();
      r = DeviceCommand(link, "\rquery\r", '\r', kQueryTimeoutMs, answer.data(), capacity,
                        elapsed);
      if (r > 0) {
        std::string_view heard = TextLine(std::string_view(answer.data(), capacity), 8);
        std::memcpy(buffer, heard.data(), heard.size());
        buffer[heard.size()] = '\0';
        if (CheckDeviceName(link, buffer) == 1) break;
        // A name that breaks the rule is no device heard, also on the last attempt.
        buffer[0] = '\0';
        r = -21;
        continue;
      }
      if (r == -32) break;
    } else {
      uint32_t capacity = static_cast<uint32_t>(mode);
      r = DeviceCommand(link, "\rquery\r", '>', kQueryTimeoutMs, buffer, capacity, elapsed);
      if (r > 0 || r == -32) break;
    }
  }
  link.tries = attempts;

  if (r > 0) {
    LinkLog(link, kLogDetail, "QueryCommand heard from: %s (%d ms)", buffer, elapsed);
    PumpedSleep(kQueryHeardPauseMs);
    return 1;
  }
  if (r == -40) {
    LinkLog(link, kLogDetail, "QueryCommand canceled by user");
    return -40;
  }
  if (r == -32) {
    LinkLog(link, kLogFailure, "QueryCommand is hearing \"query\" -- a relay must be active (%d ms)",
            elapsed);
    return -33;
  }
  if (r == -21) {
    LinkLog(link, kLogDetail, "QueryCommand didn't get any answers after %d tries (%d ms)",
            static_cast<int>(attempts), elapsed);
    return -22;
  }
  LinkLog(link, kLogFailure, "QueryCommand failed with error %d (%d ms)", r, elapsed);
  return r;
}

int32_t LoginCommand(SOLIX_Protocol& link, const char* name) {
  const std::string_view wanted = name != nullptr ? std::string_view(name) : std::string_view();
  if (wanted.size() > 8) {
    std::string shown(wanted);
    LinkLog(link, kLogFailure, "LoginCommand: Device name %s is wrong length (%d characters)",
            shown.c_str(), static_cast<int>(wanted.size()));
    return -54;
  }
  std::string command = wanted.empty() ? std::string("login\r")
                                       : Printf("login %s\r", std::string(wanted).c_str());
  std::array<char, 10> answer{};
  uint32_t capacity = answer.size();
  int32_t elapsed = 0;
  int32_t r = DeviceCommand(link, command.c_str(), '>', kLoginTimeoutMs, answer.data(), capacity,
                            elapsed);
  if (r > 0) return Contains(std::string_view(answer.data(), capacity), '>') ? 1 : -30;
  if (r == -31) return 1;
  return r;
}

int32_t SendWake(SOLIX_Protocol& link) {
  if (TraceSent(link)) DeviceTrace(link, "\r<Sending Query Mode wake sequence...>\r");
  bool reporting = link.options.showProgress != 0;
  bool tooSlow = false;
  for (uint32_t i = 0; i < kWakePackets; ++i) {
    uint32_t written = 0;
    QSWrite(link.port, "\r", 1, written);
    uint32_t pause = kWakeGapMs;
    if (reporting && i % kWakeProgressEvery == 0) {
      uint32_t before = MillisecondClock();
      bool goOn = DeviceProgress(link, kWakePackets, i, kProgressStep);
      uint32_t took = MillisecondClock() - before;
      if (!goOn) {
        LinkLog(link, kLogDetail, "SendWake canceled by user after sending %d of %d packets",
                static_cast<int>(i), static_cast<int>(kWakePackets));
        return -40;
      }
      if (took >= kWakeGapMs) {
        pause = 0;
        reporting = false;
        tooSlow = true;
      } else {
        pause = kWakeGapMs - took;
      }
    }
    if (pause > 0) PumpedSleep(pause);
  }
  if (tooSlow) LinkLog(link, kLogDetail, "SendWake executing too slow to send status (PIG status)!");
  LinkLog(link, kLogDetail, "SendWake sent %d packets", static_cast<int>(kWakePackets));
  if (link.options.showProgress != 0) {
    DeviceProgress(link, kWakePackets, kWakePackets, kProgressDone);
  }
  return 1;
}

int32_t SetBaudCommand(SOLIX_Protocol& link, uint32_t baud) {
  if (link.settings.newFirmware == 0) {
    LinkLog(link, kLogDetail, "SetBaudCommand: device (%s) can't change baud rate",
            TextString(link.settings.deviceName).c_str());
    return -1;
  }
  int code = BaudCode(baud);
  if (code < 0) {
    LinkLog(link, kLogDetail, "SetBaudCommand: unsupported baud rate %d, using 9600",
            static_cast<int>(baud));
    code = 0;
  }
  const std::string command = Printf("set -baud %d\r", code);
  int32_t result = -21;
  int32_t elapsed = 0;
  for (uint32_t cycle = 0; cycle < link.tries; ++cycle) {
    std::array<char, 32> answer{};
    uint32_t capacity = answer.size();
    int32_t r = DeviceCommand(link, command.c_str(), 'K', kSetBaudTimeoutMs, answer.data(),
                              capacity, elapsed);
    const std::string_view text(answer.data(), capacity);
    if (r > 0 && Contains(text, "OK")) {
      LinkLog(link, kLogDetail, "SetBaudCommand set device baud rate to %d (%d ms)",
              static_cast<int>(baud), elapsed);
      result = 1;
      break;
    }
    if (r > 0 && Contains(text, "\r>")) {
      result = -30;
      LinkLog(link, kLogDetail, "SetBaudCommand failed (heard prompt): trying again (%d ms)",
              elapsed);
      continue;
    }
    if (r > 0) {
      std::string heard(text);
      LinkLog(link, kLogDetail, "SetBaudCommand failed: heard: %s (%d ms)", heard.c_str(), elapsed);
      result = -30;
      break;
    }
    if (r == -21) {
      if (baud == kHomeBaud) {
        result = 1;
        break;
      }
      result = -21;
      if (link.port.baudRate == kHomeBaud) PumpedSleep(kSetBaudTimeoutMs);
      continue;
    }
    result = r;
  }
  if (result < 0) {
    LinkLog(link, kLogFailure, "SetBaudCommand failed with error %d (%d ms)", result, elapsed);
  }
  PumpedSleep(100);
  return result;
}

int32_t DisconnectDevice(SOLIX_Protocol& link, bool skipRadioLogout) {
  if (link.connection.kind == 0) return 0;
  int32_t result = -22;
  if (link.connection.kind == kConnSerial) {
    if (link.port.baudRate != kHomeBaud) SetBaudCommand(link, kHomeBaud);
    result = 1;
  } else {
    for (uint32_t cycle = 0; cycle < link.tries && !skipRadioLogout; ++cycle) {
      QSPurge(link.port, 1);
      link.answer[0] = '\0';
      uint32_t written = 0;
      QSWrite(link.port, "logout\r", 7, written);
      if (TraceSent(link)) DeviceTrace(link, "logout\r");
      PumpedSleep(kLogoutPauseMs);
      const std::string login = Printf("login %s\r", TextString(link.settings.deviceName).c_str());
      QSWrite(link.port, login.data(), static_cast<uint32_t>(login.size()), written);
      if (TraceSent(link)) DeviceTrace(link, login.c_str());
      std::array<char, 32> heard{};
      uint32_t count = 0;
      QSRead(link.port, heard.data(), 31, count);
      if (count == 0) {
        result = 1;
        break;
      }
      heard[count < 31 ? count : 31] = '\0';
      if (link.options.traceMode == 1 || link.options.traceMode == 3) {
        DeviceTrace(link, heard.data());
      }
      LinkLog(link, kLogDetail, "DisconnectDevice: Device didn't disconnect, retrying");
    }
  }
  link.settings = LoggerSettings{};
  link.resets = 0;
  if (link.options.keepPortOpen == 0) {
    QSClose(link.port);
    link.connection.kind = 0;
  } else if (int32_t h = QSHostBaud(link.port, kHomeBaud); h < 0) {
    QSClose(link.port);
    link.connection.kind = 0;
    LinkLog(link, kLogFailure,
            "DisconnectDevice: Error setting host baud rate; can't keep port open (error %d)", h);
  }
  if (result > 0) LinkLog(link, kLogDetail, "DisconnectDevice successful");
  return result;
}
