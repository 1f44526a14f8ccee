#pragma once
// Bounded readers for device answers. Each works on exactly the bytes of the view it is
// given (never past them, embedded NULs included) and, where it reads a value, advances the
// view past what it consumed. Numbers follow the C library's scanf conventions where the
// link's answers rely on them (leading white space skipped), without its undefined
// behaviour: a number that does not fit is not read, except where stated.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

bool Contains(std::string_view text, std::string_view part);
bool Contains(std::string_view text, char c);

// The view up to its first NUL (a C string held in a larger buffer).
std::string_view UpToNul(std::string_view text);

std::string_view SkipWhitespace(std::string_view text);
std::string_view SkipLeadingCR(std::string_view text);
// The text after the first carriage return, or all of it when it has none.
std::string_view AfterFirstCR(std::string_view text);
// The text from one character after the first occurrence of label (label and one
// separator); nullopt when label does not occur. Empty when the label ends the text.
std::optional<std::string_view> AfterLabel(std::string_view text, std::string_view label);
// Characters up to the next carriage return or the end, at most max.
std::string_view TextLine(std::string_view text, size_t max);

// Skips white space, then takes up to max non-white characters; empty when there are none.
std::string_view ReadWord(std::string_view& text, size_t max);
// "%d": optional sign and decimal digits.
std::optional<int32_t> ReadInt(std::string_view& text);
// Unsigned decimal digits (an optional '+'); saturates at UINT32_MAX instead of failing.
std::optional<uint32_t> ReadUnsigned(std::string_view& text);
// "%x": hexadecimal digits with an optional 0x prefix.
std::optional<uint32_t> ReadHex(std::string_view& text);
// A floating-point number in the C locale's form, whatever the process locale.
std::optional<double> ReadDouble(std::string_view& text);
// "%1d": one decimal digit after optional white space.
std::optional<int32_t> ReadDigit(std::string_view& text);
// Up to out.size() "%d" numbers separated by white space; returns how many were read.
size_t ReadInts(std::string_view text, std::span<int32_t> out);
// Up to out.size() unsigned numbers (saturating) separated by white space.
size_t ReadUnsigneds(std::string_view text, std::span<uint32_t> out);

// True when text has at least n characters and the first n are hexadecimal digits.
bool IsHexDigits(std::string_view text, size_t n);
