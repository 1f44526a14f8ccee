#include "app/update_texts.h"

#include <cstdio>
#include <cstring>

#include "app/updater_state.h"
#include "serial/quil_serial.h"

namespace {

std::string Signed(int32_t r) { return std::to_string(r); }

// A version number as "0.00": 201 gives "2.01".
std::string Hundredths(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u.%02u", v / 100, v % 100);
  return buf;
}

std::string Found(const UpdaterState& s) {
  return std::string(s.targetInfo.displayName,
                     strnlen(s.targetInfo.displayName, sizeof s.targetInfo.displayName));
}

}  // namespace

UpdateText ConnectFailureText(const UpdaterState& s, int32_t r) {
  const std::string& caption = s.caption;
  const std::string& name = s.deviceName;
  const std::string& port = s.portDisplayText;
  std::string text;
  switch (r) {
    case -5:
      text = "Comm Port \"" + port + "\" is already in use by another application.\n" +
             "Please choose a new Comm Port to use or quit the application using this port.";
      break;
    case -2:
      text = "Comm Port \"" + port + "\" isn't available.\nPlease choose a new Comm Port to use.";
      break;
    case -20:
      text = "The " + caption + " is unable to connect to your " + name + "\n on Comm Port \"" +
             port + "\".\n\nPlease check your serial cable and Comm Port choice.";
      break;
    case -120:
      if (s.targetInfo.version != 0 && s.targetInfo.type != DT_UNKNOWN) {
        text = "The " + caption + " does not support your " + Found(s) + "\n" +
               "running version " + std::to_string(s.targetInfo.version) + ".";
      } else {
        text = "The " + caption + " is unable to connect to your unknown device" +
               "\n on Comm Port \"" + port +
               "\".\n\nPlease check your serial cable and Comm Port choice.\n\n" +
               "Please verify the device connected is a \"" + name + "\" and has a version of\n" +
               "firmware that supports updates.";
      }
      break;
    case -200:
      // Opening the device node was refused: say which group grants access.
      text = QSPermissionMessage(s.commPortName);
      break;
    default:
      text = "The " + caption + " is unable to log into to your " + name + "\n on Comm Port \"" +
             port + "\".\n\nPlease try again or contact your Quillon representative.";
      break;
  }
  return {"Connection Error", text};
}

UpdateText WrongDeviceText(const UpdaterState& s) {
  std::string found = Found(s);
  return {"Wrong Device", "The " + s.caption + " expected to find a " + s.deviceName +
                              ";\nhowever, it found a " + found + ".\n\n" +
                              "This updater can not update a " + found + "." +
                              "\n\n[Factory Mode Override: Click OK to load FW anyway]"};
}

UpdateText FirmwareTooOldText(const UpdaterState& s) {
  return {"Firmware Too Old", "The firmware in the connected " + s.deviceName +
                                  "\nis too old.\n\nThis updater can not update this device."};
}

UpdateText BatteryTooLowText() {
  return {"Batteries Too Low", std::string("The battery power is too low!\n\n") +
                                   "Please replace the batteries before running this updater."};
}

UpdateText SettingsRetrieveText(const UpdaterState& s) {
  return {"Settings Retrieve Error",
          "The " + s.caption + " could not retrieve the settings from your " + s.deviceName +
              ".\nThis can happen when an intrument is new or doesn't have " +
              "a serial number set yet.\n\nClick OK to continue loading new firmware." +
              "\nClick CANCEL to try retrieving the settings again."};
}

UpdateText LoaderFailureText(const UpdaterState& s, int32_t r) {
  if (r == -112) {
    return {"Firmware Loader Error", "This " + s.deviceName +
                                         " does not have a working firmware loader." +
                                         "\n\nPlease contact Quillon for help."};
  }
  return {"Firmware Loader Error", "The " + s.caption +
                                       " is unable to connect to the firmware loader in your " +
                                       s.deviceName + ".\n\nPlease try again."};
}

std::string OperationFailureText(const UpdaterState& s, int32_t r) {
  return "The " + s.caption + " encountered an error working with your " + s.deviceName +
         ".\n\nPlease try again.\n\n[Error " + Signed(r) + "]";
}

std::string ResumeAdviceText(const UpdaterState& s) {
  return "\n\nThe update was cancelled. Your " + s.deviceName +
         " waits in its firmware loader:\nrun the update again to resume it.";
}

UpdateText CorruptFirmwareText(const UpdaterState& s) {
  return {"Firmware Error", "The new firmware for your " + s.deviceName +
                                " is corrupt!\n\nPlease try again or contact Quillon."};
}

std::string RestoreFileMissingText(const UpdaterState& s) {
  return "The " + s.caption + " couldn't find the settings file for your " + s.deviceName +
         ".\n\nPlease try again or contact Quillon for help.";
}

std::string RestoreFileUnreadableText(const UpdaterState& s, int32_t r) {
  return "The " + s.caption + " failed to read the settings file for your " + s.deviceName +
         ".\n\nPlease try again or contact Quillon for help." + "\n\nError: " + Signed(r);
}

std::string RestorePartialText(const UpdaterState& s) {
  return "The " + s.caption + " failed to restore some of the settings for your " +
         s.deviceName + ".\n\nPlease check the settings after this updater is finished.";
}

std::string RestoreFailedText(const UpdaterState& s, int32_t r) {
  return "The " + s.caption + " failed to restore the settings for your " + s.deviceName +
         ".\n\nPlease try again.\n\n[Error " + Signed(r) + "]";
}

std::string SettingsKeptText(const std::string& path) {
  return "\n\nThe saved settings are kept in the file\n\"" + path + "\".";
}

UpdateText EraseDataFailureText(const UpdaterState& s, int32_t r) {
  if (r == -65) {
    return {"Data Erase Error",
            "The " + s.caption + " was unable to erase the data in your " + s.deviceName + " " +
                "because the data storage chip is reporting errors.\n\nPlease contact Quillon for help."};
  }
  return {"Data Erase Error", "The " + s.caption + " was unable to erase the data in your " +
                                  s.deviceName + ".\nPlease try again.\n[Error: " + Signed(r) + "]"};
}

UpdateText VersionWindowText(const UpdaterState& s, uint32_t version, uint32_t limit,
                             bool tooNew) {
  std::string text = "The " + s.caption + " doesn't support this " + s.deviceName +
                     "\nrunning version " + Hundredths(version) +
                     ".\n\nThis updater only works with firmware version " + Hundredths(limit) +
                     (tooNew ? " (or older)." : " (or newer).");
  text += "\n\nClick OK to force the update anyway.";
  text += "\nClick CANCEL to quit the updater.";
  return {"Wrong Firmware Version", text};
}

UpdateText CalibrationNoticeText(int type) {
  switch (type) {
    case DT_TQ:
      return {"Tempra Q2 Calibration",
              std::string("The calibration of your Tempra Q2 is outdated or missing.\n\n") +
                  "Please contact Quillon or your authorized Quillon representative\n" +
                  "to have your Tempra Q2 calibrated."};
    case DT_RD60:
      return {"Please Calibrate Your RD-60",
              std::string("Updating the firmware in your Lumora RD-60 requires you to calibrate\n") +
                  "the internal sensors using the external sensor as a reference.\n\n" +
                  "Please see your RD-60 user manual for probe calibration instructions.\n\n" +
                  "Please also reset the Daylight Savings setting in your Lumora RD-60."};
    case DT_SG:
      return {"Please Calibrate Your Stomagraph",
              std::string("Updating the firmware in your Stomagraph requires you to calibrate\n") +
                  "the the sensor head using the Quillon-supplied calibration plate.\n\n" +
                  "Please see the Stomagraph user manual (version 7 or newer) for\n" +
                  "calibration instructions. The latest user manual is available for download from:\n" +
                  kLiteraturePage};
    default:
      return {};
  }
}

std::string ConnectingStatus(const UpdaterState& s) {
  return "Connecting to " + s.deviceName + "...";
}

std::string SavingSettingsStatus(const UpdaterState& s) {
  return "Saving settings for this " + s.deviceName + "...";
}

std::string RestartingStatus(const UpdaterState& s) {
  return "Restarting the " + s.deviceName + ", please wait...";
}

std::string SuccessStatus(uint32_t seconds) {
  return "Successfully updated firmware in " + std::to_string(seconds) + " seconds.";
}

std::string ConnectInstruction(const std::string& name) {
  return "Connect " + name + " to computer comm port.";
}

std::string DoNotDisconnectInstruction(const std::string& name) {
  return "Do NOT disconnect " + name + " until finished.";
}

std::string MayDisconnectInstruction(const std::string& name) {
  return "You may disconnect your " + name + " now.";
}

std::string QuitGuardText(const UpdaterState& s) {
  return "The " + s.caption + " is updating your " + s.deviceName +
         "!\nThis process should NOT be interrupted.\n\n" + "Your " + s.deviceName +
         " may be unusable or have missing settings\n" +
         "until you complete the firmware update process.\n\n" +
         "Click OK to continue updating your" + " " + s.deviceName + ".\n";
}

std::string ConstructionErrorText(const std::string& caption, int32_t status) {
  if (status == -60) {
    return "The " + caption + " ran out of memory while allocating internal buffers.\n\n" +
           "Please restart this application and try again.";
  }
  if (status == -101) {
    return "The internal firware file for this " + caption + " is corrupt.\n\n" +
           "Please restart this application and try again.";
  }
  return "The " + caption + " got an unexpected error starting up.\n" + "[Error: " +
         Signed(status) + "]\n\n" + "Please restart this application and try again.";
}

std::string FileOpenErrorText(const std::string& caption, const std::string& file, int32_t r) {
  if (r == -100) {
    return "The file \"" + file + "\" is not a valid firmware file.\n" +
           "Please choose a new firmware file to open.";
  }
  if (r == -60) {
    return "The " + caption + " ran out of memory opening \"" + file + "\".\n" +
           "Please restart this application and try again.";
  }
  return "The " + caption + " could not opening \"" + file + "\".\n" + "Please try again.\nError " +
         Signed(r);
}

std::string FileNameWarningText(const std::string& caption, const std::string& file, int type) {
  return "The " + caption + " could not detirmine the instrument type\nfrom the " + "file name \"" +
         file + "\".\n\n" + "Instrument type set to the default (for this build): \"" +
         DeviceTypeName(type) + "\".";
}

std::string DumpErrorText(int32_t r) { return "Error saving firmware image: " + Signed(r); }
