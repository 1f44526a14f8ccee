#include "bsl/bsl_frame.h"

#include <cstdio>

#include "bsl/bsl_codes.h"

uint32_t BSLChecksum(std::string_view text) {
  uint32_t sum = 0;
  for (unsigned char c : text) sum = (sum + c) % 0xFFFF;
  return sum;
}

uint32_t BSLBuildFrame(char command, std::string_view payload, std::span<char> out) {
  const size_t length = 1 + payload.size() + 1 + 4 + 1;
  if (length > out.size()) return 0;
  size_t n = 0;
  out[n++] = command;
  for (char c : payload) out[n++] = c;
  out[n++] = '.';
  const uint32_t sum = BSLChecksum(std::string_view(out.data(), n));
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(sum));
  for (int i = 0; i < 4; ++i) out[n++] = digits[i];
  out[n++] = '\r';
  return static_cast<uint32_t>(n);
}

uint32_t BSLFormatNumbers(const uint32_t* numbers, uint32_t count, bool wide, std::span<char> out) {
  const uint32_t digits = wide ? 5 : 4;
  const uint32_t limit = wide ? 0xFFFFF : 0xFFFF;
  if (static_cast<size_t>(count) * digits > out.size()) return 0;
  char text[8];
  uint32_t n = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (numbers[i] > limit) return 0;  // more digits would shift every later field
    std::snprintf(text, sizeof text, wide ? "%05X" : "%04X", static_cast<unsigned>(numbers[i]));
    for (uint32_t d = 0; d < digits; ++d) out[n++] = text[d];
  }
  return n;
}

int32_t BSLClassifyAnswer(std::string_view answer) {
  if (answer.empty()) return kBSLNoAnswer;
  if (answer[0] == '+' || (answer.size() > 1 && answer[1] == '+')) {
    return static_cast<int32_t>(answer.size());
  }
  return kBSLRefused;  // "-", "?", or anything not understood
}

bool BSLParseVersion(std::string_view answer, int32_t& version) {
  if (answer.empty() || answer[0] != '+') return false;
  int64_t value = 0;
  size_t i = 1;
  for (; i < answer.size() && i <= 9 && answer[i] >= '0' && answer[i] <= '9'; ++i) {
    value = value * 10 + (answer[i] - '0');
  }
  if (i == 1) return false;
  version = static_cast<int32_t>(value);
  return true;
}
