#include "web/version_reply.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsBlankOrControl(unsigned char c) {
  return c <= 0x20 || c == 0x7F;
}

std::string_view TrimBlank(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlankOrControl(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// The whole text as a decimal integer.
bool ReadInteger(std::string_view text, int64_t* value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *value, 10);
  return ec == std::errc() && ptr == end;
}

bool ReadDouble(std::string_view text, double* value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *value, std::chars_format::general);
  return ec == std::errc() && ptr == end && std::isfinite(*value);
}

// "362" as it is; "3.62" and "5" as hundredths of a major version.
bool ReadVersionNumber(std::string_view text, uint32_t* version) {
  int64_t whole = 0;
  if (ReadInteger(text, &whole) && whole >= 10) {
    if (whole > std::numeric_limits<int32_t>::max()) return false;
    *version = static_cast<uint32_t>(whole);
    return true;
  }
  double x = 0.0;
  if (!ReadDouble(text, &x)) return false;
  if (x < 100.0) x *= 100.0;
  // 4.35 * 100 is 434.99999999999994 in binary: nudge before truncating so that a number
  // written with two decimals keeps its value.
  x += 1e-6;
  if (x < 0.0 || x >= static_cast<double>(std::numeric_limits<int32_t>::max())) return false;
  *version = static_cast<uint32_t>(std::trunc(x));
  return true;
}

}  // namespace

int32_t ParseVersionReply(std::string_view body, VersionReply* out) {
  if (out == nullptr) return kVersionReplyUnreadable;
  const std::size_t at = body.find("http");
  if (at == std::string_view::npos || at == 0) return kVersionReplyUnreadable;

  std::string_view address = body.substr(at, kMaxWebAddressLength);
  // The address ends at the first blank or control character: what follows is not part of it.
  std::size_t length = 0;
  while (length < address.size() &&
         !IsBlankOrControl(static_cast<unsigned char>(address[length]))) {
    ++length;
  }
  address = address.substr(0, length);

  std::string_view versionText = body.substr(0, at - 1);  // less the separator
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (versionText.substr(0, kUtf8Bom.size()) == kUtf8Bom)
    versionText.remove_prefix(kUtf8Bom.size());
  versionText = TrimBlank(versionText);
  if (versionText.empty()) return kVersionReplyUnreadable;

  uint32_t version = 0;
  if (!ReadVersionNumber(versionText, &version)) return kVersionReplyUnreadable;

  out->version = version;
  out->webAddress.assign(address);
  out->download = address.find(".exe") != std::string_view::npos;
  return 1;
}
