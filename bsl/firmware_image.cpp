// The host's firmware image: the embedded record, TI-Text files in, dumps out.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "bsl/image_dump.h"
#include "bsl/quil_bsl_host.h"
#include "bsl/titext.h"
#include "firmware/embedded_firmware.h"
#include "serial/timing.h"

namespace {

constexpr const char* kSource = "QuilBSL";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int32_t ElapsedMs(uint32_t start) { return static_cast<int32_t>(MillisecondClock() - start); }

}  // namespace

int32_t BSLInstallImage(QuilBSLHost& host, const EmbeddedFirmware& record) {
  try {
    host.modelText.assign(record.modelText, strnlen(record.modelText, sizeof record.modelText));
    host.imageType = static_cast<DeviceType>(record.deviceType);
    host.imageVersion = 0;
    for (uint32_t i = 0; i < kBSLVectorCount; ++i) host.vectors[i] = record.vectors[i];

    // Measure rather than trust the constant: a short text must not be read past its end.
    const size_t length =
        record.imageText ? strnlen(record.imageText, size_t{record.expectedLength} + 1) : 0;
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum += static_cast<unsigned char>(record.imageText[i]);
    host.imageText.assign(record.imageText ? record.imageText : "", length);
    host.imageLength = static_cast<uint32_t>(length);
    if (length != record.expectedLength || sum != record.expectedSum) return kBSLImageDamaged;
    return 0;
  } catch (const std::bad_alloc&) {
    return kBSLOutOfMemory;
  }
}

int32_t BSLLoadTIFile(QuilBSLHost& host, const char* path) {
  if (path == nullptr || *path == '\0') return kBSLMissingArgument;
  const uint32_t start = MillisecondClock();
  QuilLog* log = host.port.log;

  File file(std::fopen(path, "rb"));
  if (!file) {
    const int err = errno;
    LogMessage(log, 1, kSource, "BSLLoadTIFile got error %d trying to open datafile %s", err, path);
    return -err;
  }
  try {
    std::string content;
    char chunk[8192];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) content.append(chunk, n);
    if (std::ferror(file.get())) {
      const int err = errno ? errno : EIO;
      LogMessage(log, 1, kSource, "BSLLoadTIFile got error %d trying to open datafile %s", err,
                 path);
      return -err;
    }

    TITextImage image;
    switch (ParseTIText(content, image)) {
      case TITextResult::NotTIText:
        return kBSLInvalidTIText;
      case TITextResult::Invalid:
        LogMessage(log, 10, kSource, "BSLLoadTIFile: file %s is not a valid TI-Text file (%d ms)",
                   path, ElapsedMs(start));
        return kBSLInvalidTIText;
      case TITextResult::Ok:
        break;
    }
    host.imageText = std::move(image.imageText);
    host.imageLength = static_cast<uint32_t>(host.imageText.size());
    host.vectors = image.vectors;
    ApplyImageFileName(host, path);
  } catch (const std::bad_alloc&) {
    return kBSLOutOfMemory;
  }
  LogMessage(log, 10, kSource, "BSLLoadTIFile loaded file %s (%d ms)", path, ElapsedMs(start));
  return 1;
}

int32_t BSLWriteTIFile(QuilBSLHost& host, const char* path) {
  if (path == nullptr || *path == '\0') return kBSLMissingArgument;
  const uint32_t start = MillisecondClock();
  QuilLog* log = host.port.log;

  std::string dump;
  try {
    const size_t length = std::min<size_t>(host.imageLength, host.imageText.size());
    dump = FormatImageDump(std::string_view(host.imageText).substr(0, length), host.vectors);
  } catch (const std::bad_alloc&) {
    return kBSLOutOfMemory;
  }

  std::FILE* raw = std::fopen(path, "wb");
  if (raw == nullptr) {
    const int err = errno;
    LogMessage(log, 1, kSource, "BSLWriteTIFile got error %d trying to open datafile %s", err, path);
    return -err;
  }
  errno = 0;
  // A full disk shows only at the write or the close: report it instead of a good dump.
  const bool written = std::fwrite(dump.data(), 1, dump.size(), raw) == dump.size();
  int err = written ? 0 : (errno ? errno : EIO);
  if (std::fclose(raw) != 0 && err == 0) err = errno ? errno : EIO;
  if (err != 0) {
    LogMessage(log, 1, kSource, "BSLWriteTIFile got error %d writing datafile %s", err, path);
    return -err;
  }
  LogMessage(log, 10, kSource, "BSLWriteTIFile wrote file %s (%d ms)", path, ElapsedMs(start));
  return 1;
}
