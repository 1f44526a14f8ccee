// The settings file of an instrument: its lines, written from and read into the instrument
// settings record and the record sets.

#include <cstring>
#include <string>

#include "protocol/inst_value_table.h"
#include "protocol/qp_internal.h"
#include "protocol/settings_file.h"
#include "protocol/settings_types.h"

namespace {

using S = InstrumentSettings;

enum class LineKind : uint8_t { Text, Number };

struct InstLine {
  const char* key;
  LineKind kind;
  uint32_t bit;    // the mask bit the key sets when read back; 0 for lines never read
  uint16_t chars;  // most characters read back
  TextAccess text;
  NumberAccess number;
};

#define TEXT(f) [](S& s) { return FieldOf(s.f); }, nullptr
#define NUMBER(f) nullptr, [](S& s) { return &s.f; }

// The plain lines in the order they are written; calibration and record lines follow them.
constexpr InstLine kLines[] = {
    {"name", LineKind::Text, kInstName, 8, TEXT(name)},
    {"sn", LineKind::Text, kInstSn, 15, TEXT(sn)},
    {"lang", LineKind::Number, kInstLang, 0, NUMBER(lang)},
    {"QuilBuild", LineKind::Text, 0, 16, TEXT(build)},
    {"contr", LineKind::Number, kInstContr, 0, NUMBER(contr)},
    {"config", LineKind::Text, kInstConfig, 64, TEXT(config)},
    {"fvals", LineKind::Text, kInstFvals, 128, TEXT(fvals)},
    {"uvals", LineKind::Text, kInstUvals, 128, TEXT(uvals)},
    {"units", LineKind::Number, kInstUnits, 0, NUMBER(units)},
    {"adc", LineKind::Text, kInstAdc, 16, TEXT(adc)},
    {"adccal", LineKind::Text, kInstAdccal, 63, TEXT(adccal)},
    {"calprefs", LineKind::Text, 0, 128, TEXT(calprefs)},
    {"RVUnits", LineKind::Text, kInstRvUnits, 128, TEXT(rvUnits)},
    {"sample", LineKind::Text, kInstSample, 128, TEXT(sample)},
    {"adc15", LineKind::Text, kInstAdc15, 128, TEXT(adc15)},
    {"adc30", LineKind::Text, kInstAdc30, 128, TEXT(adc30)},
    {"location", LineKind::Text, kInstLocation, 128, TEXT(location)},
    {"chai", LineKind::Text, kInstChai, 16, TEXT(chai)},
    {"extCal", LineKind::Text, kInstExt, 16, TEXT(ext)},
    {"tadj", LineKind::Text, kInstTadj, 128, TEXT(tadj)},
    {"tau", LineKind::Number, kInstHadjTau, 0, NUMBER(tau)},
    {"hadj", LineKind::Text, kInstHadjTau, 128, TEXT(hadj)},
};

#undef TEXT
#undef NUMBER

// Calibration lines: RV numbers its 20 entries from 00, TRNK6 its 9 entries from 01.
struct CalLines {
  int first;
  int entries;
};
CalLines CalLinesFor(DeviceType type) {
  if (type == DT_RV) return {0, kInstCalEntries};
  if (type == DT_TRNK6) return {1, 9};
  return {0, 0};
}

void Line(std::string& out, const std::string& key, std::string_view value) {
  out += key;
  out += "=\"";
  out += value;
  out += "\"\r\n";
}

void WriteRecords(std::string& out, const RecordSet& set, const char* word) {
  for (size_t i = 0; i < set.records.size() && set.records[i].recordValue[0] != '\0'; ++i) {
    Line(out, Printf("%s%02d", word, static_cast<int>(i)), TextOf(set.records[i].recordValue));
  }
}

std::string_view FieldText(TextField f) {
  return std::string_view(f.data, strnlen(f.data, f.width));
}

// Reads a text key into its field (emptied when the key is missing); true when not empty.
bool ReadTextKey(std::string_view text, const std::string& key, TextField field, uint16_t chars) {
  size_t width = static_cast<size_t>(chars) + 1 < field.width ? static_cast<size_t>(chars) + 1
                                                               : field.width;
  std::memset(field.data, 0, field.width);
  return GetFileString(text, key, field.data, width);
}

}  // namespace

int32_t WriteInstInfo(const Quil_protocol& qp, std::string& out) {
  // The accessors take the record by reference; writing changes nothing in it.
  S s = qp.instrumentSettings;
  Line(out, "type", DeviceTypeCode(qp.deviceType));
  for (const InstLine& line : kLines) {
    if (line.kind == LineKind::Text) {
      Line(out, line.key, FieldText(line.text(s)));
    } else {
      Line(out, line.key, Printf("%ld", static_cast<long>(*line.number(s))));
    }
  }
  const CalLines cal = CalLinesFor(qp.deviceType);
  for (int j = 0; j < cal.entries && s.cal[static_cast<size_t>(j)][0] != '\0'; ++j) {
    Line(out, Printf("cal%02d", cal.first + j), TextOf(s.cal[static_cast<size_t>(j)]));
  }
  WriteRecords(out, qp.userRecords, "user");
  WriteRecords(out, qp.eqnRecords, "eqn");
  return 1;
}

int32_t ReadInstInfo(Quil_protocol& qp, std::string_view text) {
  const DeviceType type = qp.deviceType;
  if (!HasTypeLine(text, type)) return -30;
  S& s = qp.instrumentSettings;
  const uint32_t keys = SettingsTypeOf(type).fileKeys;
  s.type = type;
  s.mask = kInstType;

  for (const InstLine& line : kLines) {
    if (line.bit == 0 || (keys & line.bit) == 0 || line.bit == kInstHadjTau) continue;
    if (line.kind == LineKind::Text) {
      if (ReadTextKey(text, line.key, line.text(s), line.chars)) s.mask |= line.bit;
    } else if (GetFileLong(text, line.key, *line.number(s))) {
      s.mask |= line.bit;
    }
  }
  if ((keys & kInstHadjTau) != 0 && GetFileLong(text, "tau", s.tau)) {
    if (ReadTextKey(text, "hadj", FieldOf(s.hadj), 128)) s.mask |= kInstHadjTau;
  }
  // A V8X's config carries a check number over its serial number: the serial number is read
  // for a replacement's adjustment, but it is not written back on its own.
  if (type == DT_V8X) ReadTextKey(text, "sn", FieldOf(s.sn), 15);

  if ((keys & kInstCal) != 0) {
    const CalLines cal = CalLinesFor(type);
    for (int j = 0; j < cal.entries; ++j) {
      if (!ReadTextKey(text, Printf("cal%02d", cal.first + j), FieldOf(s.cal[static_cast<size_t>(j)]),
                       128)) {
        break;
      }
      s.mask |= kInstCal;
    }
  }
  if ((keys & kInstUserRecords) != 0 &&
      GetRecords_File(qp, qp.userRecords, kRecordsUser, text) > 0 && !qp.userRecords.records.empty()) {
    s.mask |= kInstUserRecords;
  }
  if ((keys & kInstEqnRecords) != 0 &&
      GetRecords_File(qp, qp.eqnRecords, kRecordsEqn, text) > 0 && !qp.eqnRecords.records.empty()) {
    s.mask |= kInstEqnRecords;
  }
  return 1;
}
