#include "sim/instrument_settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

// A whole signed decimal number within 32 bits, written back in its plain form.
std::optional<std::string> CanonicalNumber(std::string_view v) {
  std::string s(v);
  if (s.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || end == s.c_str() || *end != '\0' || n < INT32_MIN || n > INT32_MAX)
    return std::nullopt;
  return std::to_string(n);
}

bool Printable(std::string_view v) {
  for (char c : v) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

}  // namespace

InstrumentSettings::InstrumentSettings(const InstrumentModel& model, uint32_t version,
                                       const SimOptions& options)
    : eqn_(model.eqn, kMaxEqnRecords), user_(model.user, kMaxUserRecords) {
  for (const InstrumentSetting& s : model.settings) {
    if (s.minVersion > version) continue;
    std::string text(s.value);
    if (s.word == "sn") {
      if (!options.serialNumber.empty()) text = options.serialNumber.substr(0, s.maxChars);
      if (options.HasFault("no-sn")) text.clear();
    } else if (s.word == "i" && !options.deviceName.empty()) {
      text = options.deviceName.substr(0, s.maxChars);
    }
    values_.push_back({&s, text});
  }
  if (model.calStyle != CalStyle::None) {
    cal_.resize(model.calStyle == CalStyle::Spaced ? kSpacedCalSlots : kJoinedCalSlots);
    for (size_t i = 0; i < model.cal.size() && i < cal_.size(); ++i) cal_[i] = model.cal[i];
  }
}

const InstrumentSettings::Value* InstrumentSettings::Find(std::string_view word) const {
  for (const Value& v : values_) {
    if (v.spec->word == word) return &v;
  }
  return nullptr;
}

InstrumentSettings::Value* InstrumentSettings::Find(std::string_view word) {
  for (Value& v : values_) {
    if (v.spec->word == word) return &v;
  }
  return nullptr;
}

std::optional<std::string> InstrumentSettings::Get(std::string_view word) const {
  const Value* v = Find(word);
  if (v == nullptr) return std::nullopt;
  return v->text;
}

InstrumentSettings::SetResult InstrumentSettings::Set(std::string_view word,
                                                      std::string_view value) {
  Value* v = Find(word);
  if (v == nullptr) return SetResult::Unknown;
  if (v->spec->kind == SettingKind::Number) {
    auto n = CanonicalNumber(value);
    if (!n) return SetResult::Refused;
    v->text = *n;
    return SetResult::Ok;
  }
  if (value.empty() || value.size() > v->spec->maxChars || !Printable(value))
    return SetResult::Refused;
  v->text = value;
  return SetResult::Ok;
}

std::optional<std::string> InstrumentSettings::GetCal(int slot) const {
  if (slot < 0 || slot >= CalSlots() || cal_[slot].empty()) return std::nullopt;
  return cal_[slot];
}

bool InstrumentSettings::SetCal(int slot, std::string_view value) {
  if (slot < 0 || slot >= CalSlots() || value.empty() || value.size() > kMaxCalChars ||
      !Printable(value))
    return false;
  cal_[slot] = value;
  return true;
}

void InstrumentSettings::Erase() {
  for (Value& v : values_) v.text = v.spec->kind == SettingKind::Number ? "0" : "";
  for (std::string& c : cal_) c.clear();
  eqn_.Clear();
  user_.Clear();
}
