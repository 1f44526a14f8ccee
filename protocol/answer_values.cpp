// Reading values out of a command interpreter's answers.

#include "protocol/answer_values.h"

ValueVerdict ValueFromAnswer(std::string_view answer, uint32_t maxChars, std::string& value) {
  value.clear();
  if (answer.find("Error") != std::string_view::npos) return ValueVerdict::ErrorText;
  if (!answer.empty() && answer.front() == '\r') answer.remove_prefix(1);
  if (!answer.empty() && answer.front() == '\n') answer.remove_prefix(1);
  size_t n = 0;
  while (n < answer.size() && n < maxChars && answer[n] != '\r' && answer[n] != '\0') ++n;
  value.assign(answer.substr(0, n));
  if (!value.empty() && value.front() == '>') return ValueVerdict::LeadingPrompt;
  return value.empty() ? ValueVerdict::Empty : ValueVerdict::Found;
}

std::optional<int32_t> LongFromAnswer(std::string_view answer) {
  size_t cr = answer.find('\r');
  if (cr != std::string_view::npos) answer.remove_prefix(cr + 1);
  if (!answer.empty() && answer.front() == '\n') answer.remove_prefix(1);
  return ReadLeadingNumber(answer);
}

std::optional<int32_t> ReadLeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}
