#pragma once
// Reading the version-finder file: "<version><separator><web address>[white space]",
// for example "3.62 http://www.example.com/MtqUpdater.exe".

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int32_t kVersionReplyUnreadable = -1002;
inline constexpr std::size_t kMaxWebAddressLength = 999;

struct VersionReply {
  uint32_t version = 0;    // major*100 + minor*10 + patch: "3.62" and "362" both give 362
  std::string webAddress;  // from the first "http", at most 999 characters
  bool download = false;   // the address names a program (".exe") rather than a web page
};

// 1 and *out filled; -1002 (out untouched) when the body holds no "http", or the text before
// it is no version number (empty, not a number, negative or out of range).
// Numbers are read C-locale whatever the process's locale.
int32_t ParseVersionReply(std::string_view body, VersionReply* out);
