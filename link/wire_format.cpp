#include "link/wire_format.h"

#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (n > 0) {
    text.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return text;
}

std::string FormatSignedDegrees(double value) {
  std::array<char, 64> buf{};
  auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::fixed, 5);
  if (ec != std::errc()) return "+0.00000";
  std::string text(buf.data(), end);
  if (text.empty() || text[0] != '-') text.insert(text.begin(), '+');
  return text;
}

std::string MaskSecrets(std::string_view command) {
  for (std::string_view prefix : {std::string_view("set -passwd "), std::string_view("set -authkey ")}) {
    if (command.substr(0, prefix.size()) != prefix) continue;
    std::string_view rest = command.substr(prefix.size());
    size_t end = rest.find('\r');
    std::string masked(prefix);
    masked += kMaskedSecret;
    if (end != std::string_view::npos) masked += rest.substr(end);
    return masked;
  }
  return std::string(command);
}
