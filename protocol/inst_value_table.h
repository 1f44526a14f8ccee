#pragma once
// The instrument values in the order they are read and written, one table each.

#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/inst_settings.h"

enum class InstValueKind : uint8_t {
  Text,     // GetValueString / "set -x %s"
  Number,   // GetValueLong / "set -x %ld"
  Sample,   // a text whose failed read is not counted
  Uvals,    // "-pvuser" for V8X, "-uvals" for every other type
  CalList,  // numbered calibration entries
  Eqn,      // the "eqn" record set
  User,     // the "user" record set
  HadjTau,  // "hadj" text with "tau" number
  PPv,      // "-p" into fvals with "-pv" into uvals
};

// A text field of the record: its characters and its room (terminator included).
struct TextField {
  char* data;
  size_t width;
};
using TextAccess = TextField (*)(InstrumentSettings&);
using NumberAccess = int32_t* (*)(InstrumentSettings&);

struct InstGetStep {
  uint32_t bit;
  InstValueKind kind;
  const char* command;  // "get -lang"
  uint16_t chars;       // most characters read into a text field
  TextAccess text;
  NumberAccess number;
};

struct InstSetStep {
  uint32_t bit;
  InstValueKind kind;
  const char* option;   // "-sn": sent as "set -sn <value>\r"
  const char* logName;  // "SetInstInfo set <logName> to \"<value>\" (<ms> ms)"
  TextAccess text;
  NumberAccess number;
};

std::span<const InstGetStep> InstGetOrder();
std::span<const InstSetStep> InstSetOrder();

// Calibration list addressing: TRNK6 "-cal1".."-cal7", the others "-cal 0".."-cal 19".
struct CalAddressing {
  const char* option;
  int first;  // index of entry 0
  int entries;
};
CalAddressing CalAddressingFor(DeviceType type);

template <size_t N>
TextField FieldOf(FixedText<N>& field) {
  return TextField{field.data(), N};
}
