#pragma once
// Reading values out of a command interpreter's answers: pure functions on the answer text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class ValueVerdict : uint8_t {
  Found,          // a value
  ErrorText,      // the answer holds "Error"
  LeadingPrompt,  // only the prompt came back
  Empty,          // nothing before the line end
};

// The value of a get command: one leading "\r" and then one "\n" skipped, up to the next "\r"
// (or the end), at most maxChars characters into value.
ValueVerdict ValueFromAnswer(std::string_view answer, uint32_t maxChars, std::string& value);

// A signed decimal number after the answer's first "\r" (the whole answer when it has none)
// and one "\n". nullopt when there is none or it does not fit 32 bits.
std::optional<int32_t> LongFromAnswer(std::string_view answer);

// A signed decimal number at the start of text, after leading white space (as "%d" reads it).
// nullopt when there are no digits or the number does not fit 32 bits.
std::optional<int32_t> ReadLeadingNumber(std::string_view text);
