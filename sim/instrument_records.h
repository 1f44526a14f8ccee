#pragma once
// A numbered list of records in an instrument ("eqn" or "user"): read one by index, write one by
// index (replacing it, or adding it right after the last).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class InstrumentRecords {
 public:
  InstrumentRecords(std::span<const std::string_view> initial, size_t capacity);

  size_t Count() const { return records_.size(); }
  // nullopt for an index past the last record.
  std::optional<std::string> Get(size_t index) const;
  // False (nothing changed) for an empty or too long value, a gap, or a full list.
  bool Set(size_t index, std::string_view value);
  void Clear() { records_.clear(); }

 private:
  std::vector<std::string> records_;
  size_t capacity_;
};
