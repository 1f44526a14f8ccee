#pragma once
// The settings memory of one simulated instrument: the named values its firmware knows, its
// calibration slots and its two record lists. Starts with the values of a device in use; an
// erased settings memory (after reprogramming) holds nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument_models.h"
#include "sim/instrument_records.h"
#include "sim/sim_options.h"

class InstrumentSettings {
 public:
  // version: the running firmware (major*100 + hundredths); settings newer than it are absent.
  InstrumentSettings(const InstrumentModel& model, uint32_t version, const SimOptions& options);

  enum class SetResult { Ok, Unknown, Refused };

  // Whether this firmware knows the setting.
  bool Knows(std::string_view word) const { return Find(word) != nullptr; }
  // The value ("" when none is stored); nullopt when the firmware knows no such setting.
  std::optional<std::string> Get(std::string_view word) const;
  // Refused: an empty value, a text longer than the setting holds, or a number that is none.
  SetResult Set(std::string_view word, std::string_view value);

  // Calibration slots, numbered from 0. Get: nullopt for an empty or missing slot.
  int CalSlots() const { return static_cast<int>(cal_.size()); }
  std::optional<std::string> GetCal(int slot) const;
  bool SetCal(int slot, std::string_view value);

  InstrumentRecords& eqn() { return eqn_; }
  InstrumentRecords& user() { return user_; }

  // The settings memory was erased: every text empty, every number 0, no records.
  void Erase();

 private:
  struct Value {
    const InstrumentSetting* spec;
    std::string text;
  };
  const Value* Find(std::string_view word) const;
  Value* Find(std::string_view word);

  std::vector<Value> values_;
  std::vector<std::string> cal_;
  InstrumentRecords eqn_, user_;
};
