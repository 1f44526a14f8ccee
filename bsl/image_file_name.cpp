#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "bsl/quil_bsl_host.h"

namespace {

constexpr size_t kCodeWordMax = 39;
constexpr int kVersionDigitsMax = 11;

std::string BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;  // names from Windows keep their backslashes
  }
  return std::string(base, strnlen(base, kBSLModelTextMax));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void ApplyImageFileName(QuilBSLHost& host, const char* path) {
  if (path == nullptr) return;
  std::string model = BaseName(path);
  if (const size_t ext = model.find(".txt"); ext != std::string::npos) model.resize(ext);

  const size_t wordEnd = model.find_first_of(" -_");
  std::string word = model.substr(0, wordEnd);
  DeviceType type = DT_UNKNOWN;
  if (!word.empty() && word.size() <= kCodeWordMax) {
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    type = DeviceTypeFromCode(word.c_str());
  }

  // Every digit after the first blank or "-": "3-61" gives 361, "1-12" gives 112.
  int64_t version = 0;
  if (const size_t sep = model.find_first_of(" -"); sep != std::string::npos) {
    int digits = 0;
    for (size_t i = sep + 1; i < model.size() && digits < kVersionDigitsMax; ++i) {
      if (IsDigit(model[i])) {
        version = version * 10 + (model[i] - '0');
        ++digits;
      }
    }
  }
  if (version > INT32_MAX) version = 0;  // no version a device could have

  if (const size_t dash = model.rfind('-');
      dash != std::string::npos && dash > 0 && dash + 1 < model.size() && IsDigit(model[dash - 1]) &&
      IsDigit(model[dash + 1])) {
    model[dash] = '.';
  }

  host.modelText = model;
  host.imageType = type;
  host.imageVersion = static_cast<int32_t>(version);
}
