#include "sim/sim_options.h"

#include <cstdlib>

namespace {

// The fault entry "name" or "name=value", or null.
const std::string* FindFault(const std::vector<std::string>& faults, const std::string& name) {
  for (const std::string& f : faults) {
    if (f == name || (f.size() > name.size() && f.compare(0, name.size(), name) == 0 &&
                      f[name.size()] == '='))
      return &f;
  }
  return nullptr;
}

}  // namespace

bool SimOptions::HasFault(const std::string& name) const { return FindFault(faults, name) != nullptr; }

std::optional<std::string> SimOptions::FaultValue(const std::string& name) const {
  const std::string* f = FindFault(faults, name);
  if (f == nullptr || f->size() == name.size()) return std::nullopt;
  return f->substr(name.size() + 1);
}

long SimOptions::FaultNumber(const std::string& name, long fallback) const {
  auto v = FaultValue(name);
  if (!v || v->empty()) return fallback;
  char* end = nullptr;
  long n = std::strtol(v->c_str(), &end, 10);
  return (end && *end == '\0') ? n : fallback;
}
