#pragma once
// Bounded readers for the arguments of a logger's commands. Each reads only the text it is
// given and accepts nothing but the whole of it (blanks around it aside); nothing throws.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The text without leading and trailing blanks.
std::string_view TrimBlanks(std::string_view s);

// An optional sign and decimal digits, within [min, max].
std::optional<long> ParseDecimal(std::string_view s, long min, long max);
// Hexadecimal digits (either case), at most 8 of them, up to max.
std::optional<uint32_t> ParseHex(std::string_view s, uint32_t max);
// A fixed-point number such as +46.73210 or -117.1794.
std::optional<double> ParseReal(std::string_view s);
// Exactly out.size() decimal numbers separated by blanks, each within [min, max].
bool ParseNumbers(std::string_view s, std::span<long> out, long min, long max);

// "%+.5f" in the C locale's form, whatever the process's locale.
std::string FormatFixed5(double v);

// True when every character is printable ASCII (space included).
bool IsPrintableText(std::string_view s);
