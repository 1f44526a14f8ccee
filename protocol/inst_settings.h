#pragma once
// The instrument settings record: an instrument's user settings as named values of its command
// interpreter ("get -sn" / "set -sn %s"), and the two numbered record lists "eqn" and "user".
// Texts are NUL-terminated and zero-filled; a FixedText<N> holds at most N - 1 characters.

#include <array>
#include <cstdint>
#include <vector>

#include "bsl/device_types.h"
#include "link/logger_settings.h"

// Bits of `mask` (the values present) and of the request masks of GetInstInfo / SetInstInfo.
inline constexpr uint32_t kInstName = 0x1;
inline constexpr uint32_t kInstSn = 0x2;
inline constexpr uint32_t kInstType = 0x4;
inline constexpr uint32_t kInstLang = 0x8;
inline constexpr uint32_t kInstContr = 0x10;
inline constexpr uint32_t kInstFvals = 0x20;
inline constexpr uint32_t kInstUvals = 0x40;
inline constexpr uint32_t kInstUnits = 0x80;
inline constexpr uint32_t kInstAdc = 0x100;
inline constexpr uint32_t kInstInt = 0x200;
inline constexpr uint32_t kInstAdccal = 0x400;
inline constexpr uint32_t kInstConfig = 0x800;
inline constexpr uint32_t kInstWtoffset = 0x1000;
inline constexpr uint32_t kInstP1offset = 0x2000;
inline constexpr uint32_t kInstAuto = 0x4000;
inline constexpr uint32_t kInstBuild = 0x8000;
inline constexpr uint32_t kInstWtfactory = 0x20000;
inline constexpr uint32_t kInstAdc15 = 0x40000;
inline constexpr uint32_t kInstAdc30 = 0x80000;
inline constexpr uint32_t kInstSample = 0x100000;
inline constexpr uint32_t kInstCal = 0x200000;
inline constexpr uint32_t kInstPPv = 0x400000;
inline constexpr uint32_t kInstRvUnits = 0x800000;
inline constexpr uint32_t kInstLocation = 0x1000000;
inline constexpr uint32_t kInstChai = 0x2000000;
inline constexpr uint32_t kInstExt = 0x4000000;
inline constexpr uint32_t kInstUserRecords = 0x8000000;
inline constexpr uint32_t kInstEqnRecords = 0x10000000;
inline constexpr uint32_t kInstTadj = 0x20000000;
inline constexpr uint32_t kInstHadjTau = 0x40000000;
inline constexpr uint32_t kInstSys = 0x80000000;

inline constexpr int kInstCalEntries = 20;

struct InstrumentSettings {
  uint32_t mask = 0;             // bits of the values present
  DeviceType type = DT_UNKNOWN;  // 0x4
  FixedText<16> sn{};            // 15 chars
  FixedText<15> name{};          // 8 chars are read and written
  FixedText<129> location{};
  FixedText<17> build{};
  int32_t lang = 0;
  int32_t contr = 0;
  int32_t units = 0;
  int32_t intValue = 0;
  FixedText<65> config{};
  FixedText<64> autoSec{};
  FixedText<129> calprefs{};     // filled by no command: the settings file's empty calprefs line
  FixedText<129> rvUnits{};
  FixedText<129> sample{};
  FixedText<17> chai{};
  FixedText<129> fvals{};
  FixedText<129> uvals{};
  FixedText<17> adc{};
  FixedText<64> adccal{};
  FixedText<64> wtoffset{};
  FixedText<64> wtfactory{};
  FixedText<64> p1offset{};
  FixedText<129> sys{};
  FixedText<129> adc15{};
  FixedText<129> adc30{};
  FixedText<17> ext{};
  FixedText<129> tadj{};
  FixedText<129> hadj{};
  int32_t tau = 0;
  std::array<FixedText<129>, kInstCalEntries> cal{};

  bool operator==(const InstrumentSettings&) const = default;
};

// Record set types; the word is the command and settings-file key of its records.
inline constexpr int kRecordsEqn = 1;
inline constexpr int kRecordsUser = 2;
inline constexpr int kMaxEqnRecords = 100;
inline constexpr int kMaxUserRecords = 25;

struct InstRecord {
  FixedText<33> recordName{};    // derived from the value by ExtractNames
  FixedText<101> recordValue{};  // as the instrument holds it

  bool operator==(const InstRecord&) const = default;
};

// An owned array of records; an empty vector stands for "no array".
struct RecordSet {
  std::vector<InstRecord> records;

  int32_t count() const { return static_cast<int32_t>(records.size()); }
  bool operator==(const RecordSet&) const = default;
};

// "eqn" for type 1, "user" for type 2, nullptr for any other type.
const char* RecordSetWord(int type);
