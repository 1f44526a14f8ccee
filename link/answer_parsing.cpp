#include "link/answer_parsing.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool Contains(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

std::string_view UpToNul(std::string_view text) {
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view SkipWhitespace(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return text.substr(i);
}

std::string_view SkipLeadingCR(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == '\r') ++i;
  return text.substr(i);
}

std::string_view AfterFirstCR(std::string_view text) {
  size_t cr = text.find('\r');
  return cr == std::string_view::npos ? text : text.substr(cr + 1);
}

std::optional<std::string_view> AfterLabel(std::string_view text, std::string_view label) {
  size_t at = text.find(label);
  if (at == std::string_view::npos) return std::nullopt;
  size_t from = at + label.size() + 1;
  return from >= text.size() ? std::string_view() : text.substr(from);
}

std::string_view TextLine(std::string_view text, size_t max) {
  size_t n = 0;
  while (n < text.size() && n < max && text[n] != '\r') ++n;
  return text.substr(0, n);
}

std::string_view ReadWord(std::string_view& text, size_t max) {
  text = SkipWhitespace(text);
  size_t n = 0;
  while (n < text.size() && n < max && !IsSpace(text[n])) ++n;
  std::string_view word = text.substr(0, n);
  text.remove_prefix(n);
  return word;
}

std::optional<int32_t> ReadInt(std::string_view& text) {
  std::string_view t = SkipWhitespace(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  size_t digits = i;
  while (i < t.size() && IsDigit(t[i])) ++i;
  if (i == digits) return std::nullopt;
  int64_t value = 0;
  for (size_t k = digits; k < i; ++k) {
    value = value * 10 + (t[k] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  text = t.substr(i);
  return static_cast<int32_t>(value);
}

std::optional<uint32_t> ReadUnsigned(std::string_view& text) {
  std::string_view t = SkipWhitespace(text);
  size_t i = 0;
  if (i < t.size() && t[i] == '+') ++i;
  size_t digits = i;
  uint64_t value = 0;
  while (i < t.size() && IsDigit(t[i])) {
    value = value * 10 + static_cast<uint64_t>(t[i] - '0');
    if (value > std::numeric_limits<uint32_t>::max()) value = std::numeric_limits<uint32_t>::max();
    ++i;
  }
  if (i == digits) return std::nullopt;
  text = t.substr(i);
  return static_cast<uint32_t>(value);
}

std::optional<uint32_t> ReadHex(std::string_view& text) {
  std::string_view t = SkipWhitespace(text);
  size_t i = 0;
  if (t.size() >= 3 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X') && IsHex(t[2])) i = 2;
  uint32_t value = 0;
  auto [end, ec] = std::from_chars(t.data() + i, t.data() + t.size(), value, 16);
  if (ec != std::errc()) return std::nullopt;
  text = t.substr(static_cast<size_t>(end - t.data()));
  return value;
}

std::optional<double> ReadDouble(std::string_view& text) {
  std::string_view t = SkipWhitespace(text);
  size_t i = (!t.empty() && t[0] == '+') ? 1 : 0;  // from_chars takes no '+'
  if (i == 1 && t.size() > 1 && t[1] == '-') return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(t.data() + i, t.data() + t.size(), value);
  if (ec != std::errc()) return std::nullopt;
  text = t.substr(static_cast<size_t>(end - t.data()));
  return value;
}

std::optional<int32_t> ReadDigit(std::string_view& text) {
  std::string_view t = SkipWhitespace(text);
  if (t.empty() || !IsDigit(t[0])) return std::nullopt;
  text = t.substr(1);
  return t[0] - '0';
}

size_t ReadInts(std::string_view text, std::span<int32_t> out) {
  size_t n = 0;
  while (n < out.size()) {
    std::optional<int32_t> v = ReadInt(text);
    if (!v) break;
    out[n++] = *v;
  }
  return n;
}

size_t ReadUnsigneds(std::string_view text, std::span<uint32_t> out) {
  size_t n = 0;
  while (n < out.size()) {
    std::optional<uint32_t> v = ReadUnsigned(text);
    if (!v) break;
    out[n++] = *v;
  }
  return n;
}

bool IsHexDigits(std::string_view text, size_t n) {
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (!IsHex(text[i])) return false;
  }
  return true;
}
