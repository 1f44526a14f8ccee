// DeviceSettings: reads or writes any subset of the logger's settings in a fixed order,
// and logs in again when the logger falls silent in the middle.

#include <array>
#include <bit>

#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kFailurePauseMs = 100;
constexpr uint32_t kShowBits = kMaskName | kMaskVersion | kMaskWake | kMaskRadioMode;

using StepFn = int32_t (*)(SOLIX_Protocol&, int mode);

struct SettingStep {
  uint32_t bit;
  StepFn run;               // nullptr: the radio values, run with all their bits at once
  bool withdrawOnFailure;   // a failed step also withdraws its bit from the valid mask
};

// The order in which the settings are read and written.
constexpr std::array<SettingStep, 25> kSteps = {{
    {kMaskName, [](SOLIX_Protocol& l, int m) { return NameCommand(l, l.settings.deviceName, m); },
     false},
    {kMaskDeviceId,
     [](SOLIX_Protocol& l, int m) { return DeviceIDCommand(l, l.settings.deviceId, m); }, false},
    {kMaskReport,
     [](SOLIX_Protocol& l, int m) { return ReportCommand(l, l.settings.reportMode, m); }, false},
    {kMaskDepth, [](SOLIX_Protocol& l, int m) { return DepthCommand(l, l.settings.depths, m); },
     false},
    {kMaskLatitude,
     [](SOLIX_Protocol& l, int m) { return LatitudeCommand(l, l.settings.latitude, m); }, true},
    {kMaskLongitude,
     [](SOLIX_Protocol& l, int m) { return LongitudeCommand(l, l.settings.longitude, m); }, true},
    {kMaskTimeZone,
     [](SOLIX_Protocol& l, int m) { return TimeZoneCommand(l, l.settings.timeZone, m); }, false},
    {kMaskSite, [](SOLIX_Protocol& l, int m) { return SiteCommand(l, l.settings.site, m); }, true},
    {kMaskSerialNumber,
     [](SOLIX_Protocol& l, int m) { return SNCommand(l, l.settings.serialNumber, m); }, false},
    {kMaskWake, [](SOLIX_Protocol& l, int m) { return WakeCommand(l, l.settings.wakeInterval, m); },
     false},
    {kMaskPadc, [](SOLIX_Protocol& l, int m) { return PADCCommand(l, l.settings.samplingRate, m); },
     false},
    {kMaskPorts, [](SOLIX_Protocol& l, int m) { return PortsCommand(l, l.settings.ports, m); },
     false},
    {kMaskTrait, [](SOLIX_Protocol& l, int m) { return TraitCommand(l, l.settings.trait, m); },
     false},
    {kMaskRadioMode,
     [](SOLIX_Protocol& l, int m) { return RmodeCommand(l, l.settings.radioMode, m); }, false},
    {kMaskRadioValues, nullptr, false},
    {kMaskDataParameter,
     [](SOLIX_Protocol& l, int m) { return DataParameterCommand(l, l.settings.dataParameter, m); },
     false},
    {kMaskBuildInfo,
     [](SOLIX_Protocol& l, int m) { return QuilBuildCommand(l, l.settings.buildInfo, m); }, false},
    {kMaskAdc30,
     [](SOLIX_Protocol& l, int m) {
       return ADCcalCommand(l, 1, l.settings.adc30Slopes, l.settings.adc30Offsets, m);
     },
     false},
    {kMaskAdc15,
     [](SOLIX_Protocol& l, int m) {
       return ADCcalCommand(l, 2, l.settings.adc15Slopes, l.settings.adc15Offsets, m);
     },
     false},
    {kMaskApn, [](SOLIX_Protocol& l, int m) { return APNCommand(l, l.settings.apn, m); }, false},
    {kMaskApnUser,
     [](SOLIX_Protocol& l, int m) { return APNUserCommand(l, l.settings.apnUser, m); }, false},
    {kMaskApnPassword,
     [](SOLIX_Protocol& l, int m) { return APNPasswdCommand(l, l.settings.apnPassword, m); },
     false},
    {kMaskAuthKey,
     [](SOLIX_Protocol& l, int m) { return AuthKeyCommand(l, l.settings.authKey, m); }, false},
    {kMaskHost, [](SOLIX_Protocol& l, int m) { return HostCommand(l, l.settings.host, m); }, false},
    {kMaskIpPort, [](SOLIX_Protocol& l, int m) { return IPPortCommand(l, l.settings.ipPort, m); },
     false},
}};

bool IdentityKnown(const LoggerSettings& s) {
  return s.loggerType != LT_UNKNOWN && s.newFirmware != 0 && s.versionText[0] != '\0' &&
         s.versionNumber != 0;
}

uint32_t Bits(uint32_t mask) { return static_cast<uint32_t>(std::popcount(mask)); }

}  // namespace

int32_t DeviceSettings(SOLIX_Protocol& link, LoggerSettings* record, uint32_t& mask, int mode) {
  if (record == nullptr) return -10;
  if (mode != 0 && mode != 1) return -11;
  LoggerSettings& s = link.settings;
  uint32_t pending = mask;
  uint32_t done = 0;
  uint32_t previous = 0;
  int32_t result = 1;
  int32_t last = 0;
  int32_t saved = 1;
  uint32_t relogins = 0;
  const uint32_t total = Bits(mask);
  auto progressed = [&] {
    uint32_t left = Bits(pending);
    return total > left ? total - left : 0;
  };

  if (mode == 1) {
    s = *record;
  } else if (s.versionNumber == 0) {
    pending |= kMaskVersion;
  } else {
    done |= kMaskVersion;
  }
  if (mode == 0 && (pending & kMaskRadioValues) != 0 && (s.validMask & kMaskTrait) == 0) {
    pending |= kMaskTrait;
  }

  for (;;) {
    if (link.options.showProgress != 0 && !DeviceProgress(link, total, progressed(), kProgressStep)) {
      LinkLog(link, kLogDetail, "DeviceSettings canceled by user after getting %d of %d settings",
              static_cast<int>(progressed()), static_cast<int>(total));
      DeviceProgress(link, total, progressed(), kProgressDone);
      return -40;
    }
    if (last == -32 || last == -33 || last == -36) {
      result = last;
      break;
    }
    if (last < 0) {
      result = -35;
      PumpedSleep(kFailurePauseMs);
    }
    if (last == -21) {
      if (relogins >= link.tries || link.connection.kind == kConnRadio) {
        result = -21;
        break;
      }
      ++relogins;
      int32_t login = DeviceLogin(link, link.connection.deviceName, link.connection.baudIndex);
      if (login > 0) {
        LinkLogAs(link, kLogDetail, "******", "DeviceSettings re-connected to device");
        pending = previous;
        result = saved;
      } else if (login == -20) {
        result = -21;
        break;
      }
    } else {
      if (pending == 0 || pending == previous) break;
      previous = pending;
      saved = result;
      relogins = 0;
    }

    // The next step: the first in the fixed order whose bit is pending.
    if ((pending & kMaskVersion) != 0) {
      if (mode == 1) {
        pending &= ~kMaskVersion;  // the version is not written; last stays
        continue;
      }
      last = IdentityKnown(s) ? 1 : VerCommand(link, 0);
      if (s.newFirmware != 0) {
        pending &= ~kMaskVersion;
        if (last > 0) done |= kMaskVersion;
      } else {
        if (last == -13) {
          LinkLog(link, kLogDetail, "DeviceSettings: old DataKeep model 007 not supported");
          return -13;
        }
        pending &= ~(kShowBits | kMaskSerialNumber);
        if (last > 0) done |= kShowBits;
      }
      continue;
    }
    if (mode == 0 && s.newFirmware == 0 &&
        (pending & (kMaskName | kMaskWake | kMaskRadioMode)) != 0) {
      last = ParseShowCommand(link, nullptr);
      pending &= ~(kMaskName | kMaskSerialNumber | kMaskWake | kMaskRadioMode);
      if (last > 0) done |= kShowBits;
      continue;
    }
    bool taken = false;
    for (const SettingStep& step : kSteps) {
      if ((pending & step.bit) == 0) continue;
      taken = true;
      if (step.run == nullptr) {
        if (mode == 0 && HasRadio(s) == 0) {
          last = -23;  // the trait says no radio is fitted
        } else {
          uint32_t flags = pending & kMaskRadioValues;
          last = MSRadioCommand(link, &s.rch, &s.rsch, &s.radioVersion, mode, &flags);
          done |= flags & kMaskRadioValues;
        }
      } else {
        last = step.run(link, mode);
        if (last > 0) done |= step.bit;
        else if (step.withdrawOnFailure) s.validMask &= ~step.bit;
      }
      pending &= ~step.bit;
      break;
    }
    // Bits no step covers stay pending and end the run at the next pass.
    if (!taken) last = 0;
  }

  if (done == 0 && result == 1 && mask != 0) result = -1;
  mask = done;
  if (mode == 0) {
    s.validMask |= done;
    *record = s;
  }
  if (link.options.showProgress != 0) DeviceProgress(link, total, total, kProgressDone);
  return result;
}
