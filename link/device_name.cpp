// The device-name rule: 1 to 8 printable ASCII characters, none of the interpreter's own
// words, none of the characters that its command lines or file names give a meaning.

#include <array>
#include <cstring>
#include <string_view>

#include "link/solix_protocol.h"

namespace {

constexpr size_t kMaxNameLength = 8;

constexpr std::array<std::string_view, 25> kReservedWords = {
    "ERROR", "Unsupported", "volt", "show", "yes",    "hertz", "time", "dump", "erase",
    "login", "logout",      "query", "help", "temp",  "scan",  "term", "ping", "post",
    "get",   "set",         "teltst", "ack", "nack",  "OK",    "boot"};

constexpr std::string_view kForbiddenCharacters = "?\\\"/<>*|:;,";

}  // namespace

int32_t CheckDeviceName(const char* name) {
  if (name == nullptr || name[0] == '\0') return -53;
  const std::string_view text(name, strnlen(name, kMaxNameLength + 1));
  if (text.size() > kMaxNameLength) return -54;
  for (std::string_view word : kReservedWords) {
    if (text == word) return -52;
  }
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 32 || c == 127 || c == 255) return -50;
    if (kForbiddenCharacters.find(ch) != std::string_view::npos) return -51;
    if (c > 127) return -56;
  }
  return 1;
}

int32_t CheckDeviceName(const SOLIX_Protocol& link, const char* name) {
  (void)link;
  return CheckDeviceName(name);
}
