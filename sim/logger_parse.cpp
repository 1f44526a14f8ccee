#include "sim/logger_parse.h"

#include <charconv>
#include <cmath>

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<long> ParseDecimal(std::string_view s, long min, long max) {
  s = TrimBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  long v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 10);
  if (ec != std::errc() || end != s.data() + s.size() || v < min || v > max) return std::nullopt;
  return v;
}

std::optional<uint32_t> ParseHex(std::string_view s, uint32_t max) {
  s = TrimBlanks(s);
  if (s.empty() || s.size() > 8) return std::nullopt;
  uint32_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (ec != std::errc() || end != s.data() + s.size() || v > max) return std::nullopt;
  return v;
}

std::optional<double> ParseReal(std::string_view s) {
  s = TrimBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || s.size() > 32) return std::nullopt;
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool ParseNumbers(std::string_view s, std::span<long> out, long min, long max) {
  size_t n = 0;
  s = TrimBlanks(s);
  while (!s.empty()) {
    size_t blank = s.find_first_of(" \t");
    std::string_view word = s.substr(0, blank);
    if (n == out.size()) return false;
    auto v = ParseDecimal(word, min, max);
    if (!v) return false;
    out[n++] = *v;
    s = blank == std::string_view::npos ? std::string_view() : TrimBlanks(s.substr(blank));
  }
  return n == out.size();
}

std::string FormatFixed5(double v) {
  char buf[48];
  char* p = buf;
  if (v == 0.0) v = 0.0;  // no "-0.00000"
  if (!std::signbit(v)) *p++ = '+';
  auto [end, ec] = std::to_chars(p, buf + sizeof buf, v, std::chars_format::fixed, 5);
  if (ec != std::errc()) return "+0.00000";
  return std::string(buf, end);
}

bool IsPrintableText(std::string_view s) {
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (u < 32 || u > 126) return false;
  }
  return true;
}
