#include "bsl/titext.h"

#include <cstdio>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

char Upper(char c) { return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c; }

// The number after an "@", read like "%x" (blanks, an optional 0x, then hex digits) but bounded:
// an address that does not fit the image text's five digits makes the file invalid.
bool ReadAddress(std::string_view text, size_t& pos, uint32_t& address) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
      HexValue(text[pos + 2]) >= 0) {
    pos += 2;
  }
  size_t digits = 0;
  uint32_t value = 0;
  for (; pos < text.size() && HexValue(text[pos]) >= 0; ++pos, ++digits) {
    value = value * 16 + static_cast<uint32_t>(HexValue(text[pos]));
    if (value > kTIMaxAddress) return false;
  }
  address = value;
  return digits > 0;
}

// The hex digits of a section's data, upper case; everything else is skipped.
std::string DataDigits(std::string_view data) {
  std::string digits;
  digits.reserve(data.size());
  for (char c : data) {
    if (HexValue(c) >= 0) digits.push_back(Upper(c));
  }
  return digits;
}

// Group d1 d2 d3 d4 (bytes d1d2, d3d4 at rising addresses) as the word text d3 d4 d1 d2.
void AppendWord(std::string& out, const char* group) {
  const char word[4] = {group[2], group[3], group[0], group[1]};
  out.append(word, 4);
}

uint32_t WordValue(const char* group) {
  uint32_t v = 0;
  for (int i : {2, 3, 0, 1}) v = v * 16 + static_cast<uint32_t>(HexValue(group[i]));
  return v;
}

bool IsVectorSection(uint32_t a) { return a >= kTIVectorStart && a <= kTIVectorEnd; }
bool IsSkippedSection(uint32_t a) { return a >= kTISkipStart && a <= kTISkipEnd; }

}  // namespace

TITextResult ParseTIText(std::string_view file, TITextImage& out) {
  if (file.empty() || file.front() != '@') return TITextResult::NotTIText;
  const size_t q = file.find('q');
  if (q == std::string_view::npos) return TITextResult::NotTIText;
  const std::string_view body = file.substr(0, q);

  TITextImage image;
  image.vectors.fill(0xFFFF);
  image.imageText.reserve(body.size() / 2 + 64);
  bool sawVectors = false;

  size_t pos = 0;
  while (pos < body.size()) {
    size_t p = pos + 1;  // body[pos] is an "@"
    uint32_t address = 0;
    if (!ReadAddress(body, p, address)) return TITextResult::Invalid;
    const size_t lineEnd = body.find('\n', p);
    if (lineEnd == std::string_view::npos) return TITextResult::Invalid;
    if (body.substr(p, lineEnd - p).find('@') != std::string_view::npos) {
      return TITextResult::Invalid;  // two address lines run together
    }
    size_t next = body.find('@', lineEnd + 1);
    if (next == std::string_view::npos) next = body.size();
    const std::string digits = DataDigits(body.substr(lineEnd + 1, next - lineEnd - 1));
    const size_t whole = digits.size() / 4 * 4;
    const size_t rest = digits.size() - whole;

    if (IsVectorSection(address)) {
      sawVectors = true;
      if (rest != 0) return TITextResult::Invalid;
      size_t index = (address - kTIVectorStart) / 2;
      for (size_t i = 0; i < whole; i += 4, ++index) {
        if (index >= image.vectors.size()) return TITextResult::Invalid;  // runs past 0xFFFE
        image.vectors[index] = WordValue(&digits[i]);
      }
    } else if (!IsSkippedSection(address)) {
      char head[8];
      std::snprintf(head, sizeof head, "@%05X", static_cast<unsigned>(address));
      image.imageText.append(head);
      for (size_t i = 0; i < whole; i += 4) AppendWord(image.imageText, &digits[i]);
      if (rest != 0) {
        // A trailing odd byte (or stray digits) is programmed with 0xFF beside it.
        char group[4] = {'F', 'F', 'F', 'F'};
        for (size_t i = 0; i < rest; ++i) group[i] = digits[whole + i];
        AppendWord(image.imageText, group);
      }
    }
    pos = next;
  }
  if (!sawVectors) return TITextResult::Invalid;
  out = std::move(image);
  return TITextResult::Ok;
}
