#include "sim/instrument_records.h"

#include "sim/instrument_models.h"

InstrumentRecords::InstrumentRecords(std::span<const std::string_view> initial, size_t capacity)
    : capacity_(capacity) {
  for (std::string_view r : initial) {
    if (records_.size() < capacity_) records_.emplace_back(r);
  }
}

std::optional<std::string> InstrumentRecords::Get(size_t index) const {
  if (index >= records_.size()) return std::nullopt;
  return records_[index];
}

bool InstrumentRecords::Set(size_t index, std::string_view value) {
  if (value.empty() || value.size() > kMaxRecordChars || index > records_.size() ||
      index >= capacity_)
    return false;
  if (index == records_.size()) {
    records_.emplace_back(value);
  } else {
    records_[index] = value;
  }
  return true;
}
