#include "bsl/image_dump.h"

#include <algorithm>
#include <cstdio>

std::string FormatImageDump(std::string_view imageText, std::span<const uint32_t> vectors) {
  constexpr size_t kLine = 32;
  constexpr size_t kAddressDigits = 5;
  std::string out;
  out.reserve(imageText.size() + imageText.size() / kLine + 256);

  size_t pos = 0;
  while (pos < imageText.size()) {
    size_t dataStart = pos;
    if (imageText[pos] == '@') {
      if (pos > 0) out += '\n';
      const size_t head = std::min(imageText.size() - pos, 1 + kAddressDigits);
      out.append(imageText.substr(pos, head));
      dataStart = pos + head;
    }
    size_t next = imageText.find('@', dataStart);
    if (next == std::string_view::npos) next = imageText.size();
    for (size_t i = dataStart; i < next; i += kLine) {
      if (!out.empty()) out += '\n';
      out.append(imageText.substr(i, std::min(kLine, next - i)));
    }
    pos = next;
  }

  char line[64];
  std::snprintf(line, sizeof line, "\n@%X\n", 0xFFE0u);
  out += line;
  for (size_t i = 0; i < vectors.size(); ++i) {
    std::snprintf(line, sizeof line, "%04X", static_cast<unsigned>(vectors[i]));
    out += line;
    if (i % 8 == 7 || i + 1 == vectors.size()) out += '\n';
  }
  return out;
}
