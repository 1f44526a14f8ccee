#include "app/firmware_commands.h"

#include "app/update_texts.h"

std::string FileNameOnly(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

int32_t OpenFirmwareFile(UpdaterState& s, const std::string& path) {
  QuilBSLHost& host = *s.host;
  const std::string file = FileNameOnly(path);
  int32_t r = BSLLoadTIFile(host, path.c_str());
  if (r < 0) {
    s.ui->Tell(FileOpenErrorText(s.caption, file, r), "File Error", MessageKind::Error);
    return r;
  }
  if (host.imageType == DT_UNKNOWN) {
    host.imageType = kBuildDeviceType;
    s.ui->Tell(FileNameWarningText(s.caption, file, host.imageType), "File Name Error",
               MessageKind::Warning);
  } else {
    s.deviceName = DeviceTypeName(host.imageType);
    s.firmwareVersion = static_cast<uint32_t>(host.imageVersion);
    s.settingsFileName = SettingsFileNameFor(s);
  }
  SetProgressValues(s);
  s.ui->Beep();
  return r;
}

int32_t DumpFirmwareImage(UpdaterState& s, const std::string& path) {
  int32_t r = BSLWriteTIFile(*s.host, path.c_str());
  if (r < 0) s.ui->Tell(DumpErrorText(r), "Error", MessageKind::Warning);
  return r;
}
