// Quil_protocol: the "eqn" and "user" record lists of an instrument.

#include <cctype>
#include <cstring>
#include <new>

#include "protocol/qp_internal.h"
#include "protocol/settings_file.h"

namespace {

constexpr int kRecordValueChars = 100;
constexpr int kFileRecordValueChars = 99;
constexpr size_t kEqnNameChars = 20;
constexpr size_t kUserNameChars = 9;
constexpr int kUserNameTab = 3;  // the name is the field after the third tab
// Keys in the settings file have two digits: no set holds more records than that.
constexpr int kMaxRecords = 100;

int AssumedCount(int type) { return type == kRecordsEqn ? kMaxEqnRecords : kMaxUserRecords; }

// Allocates count zeroed records; false when there is no memory.
bool Allocate(RecordSet& set, int count) {
  try {
    set.records.assign(static_cast<size_t>(count), InstRecord{});
  } catch (const std::bad_alloc&) {
    set.records.clear();
    return false;
  }
  return true;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 0;  // '=' and anything else: zero bits
}

// Decodes four characters at a time into three bytes; a short last group is filled with zero
// bits.
std::string DecodeBase64(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i += 4) {
    uint32_t group = 0;
    for (size_t k = 0; k < 4; ++k) {
      group = (group << 6) | static_cast<uint32_t>(i + k < text.size() ? Base64Value(text[i + k]) : 0);
    }
    out.push_back(static_cast<char>((group >> 16) & 0xFF));
    out.push_back(static_cast<char>((group >> 8) & 0xFF));
    out.push_back(static_cast<char>(group & 0xFF));
  }
  return out;
}

std::string EqnName(std::string_view value) {
  std::string name;
  for (size_t i = 0; i < value.size() && value[i] != ' ' && name.size() < kEqnNameChars; ++i) {
    char c = value[i];
    if (c == '_') c = ' ';
    else if (c == '`') c = ',';
    name.push_back(c);
  }
  return name;
}

std::string UserName(std::string_view value) {
  std::string decoded = DecodeBase64(value);
  // The decoded text ends at its first NUL.
  std::string_view text(decoded.data(), strnlen(decoded.data(), decoded.size()));
  size_t pos = 0;
  for (int tabs = 0; tabs < kUserNameTab; ++tabs) {
    size_t tab = text.find('\t', pos);
    if (tab == std::string_view::npos) return {};  // fewer than three tabs: no name
    pos = tab + 1;
  }
  std::string_view rest = text.substr(pos);
  size_t end = rest.find('\t');
  if (end != std::string_view::npos) rest = rest.substr(0, end);
  return std::string(rest.substr(0, kUserNameChars));
}

// Whether name a goes before name b: case-insensitive, a name before every longer name that
// begins with it, and before an equal name.
bool GoesBefore(const FixedText<33>& a, const FixedText<33>& b) {
  for (size_t i = 0; i < 32; ++i) {
    if (a[i] == '\0') return true;
    if (b[i] == '\0') return false;
    int ca = std::toupper(static_cast<unsigned char>(a[i]));
    int cb = std::toupper(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return false;
}

}  // namespace

const char* RecordSetWord(int type) {
  if (type == kRecordsEqn) return "eqn";
  if (type == kRecordsUser) return "user";
  return nullptr;
}

int32_t GetRecords_Serial(Quil_protocol& qp, RecordSet& set, int type) {
  const char* word = RecordSetWord(type);
  if (word == nullptr) {
    QP_LOG(qp, kQPLogDone, "GetRecords_Serial found an unexpected record type \"%d\"", type);
    return -11;
  }
  if (!set.records.empty()) {
    QP_LOG(qp, kQPLogDone, "GetRecords_Serial found a non-null \"%s\" set", word);
    set.records.clear();
  }
  int count = 0;
  Exchange ex = QPExchange(qp, Printf("get -%s\r", word).substr(0, 30), kQPValueTimeoutMs);
  if (ex.result <= 0) {
    count = AssumedCount(type);
  } else if (std::optional<int32_t> n = ReadLeadingNumber(ex.answer)) {
    count = *n < 0 ? 0 : (*n > kMaxRecords ? kMaxRecords : *n);
  }
  if (count == 0) {
    QP_LOG(qp, kQPLogDone, "GetRecords_Serial found no \"%s\" records in instrument", word);
    return 0;
  }
  QP_LOG(qp, kQPLogDone, "GetRecords_Serial instrument reports %d \"%s\" records", count, word);
  if (!Allocate(set, count)) {
    QP_LOG(qp, kQPLogDone, "GetRecords_Serial couldn't allocate memory for %d records", count);
    return -60;
  }
  int read = 0;
  for (; read < count; ++read) {
    std::string command = Printf("get -%s %d", word, read);
    InstRecord& record = set.records[static_cast<size_t>(read)];
    if (GetValueString(qp, command.c_str(), kQPValueTimeoutMs, record.recordValue.data(),
                       kRecordValueChars) < 0) {
      record.recordValue.fill('\0');
      break;
    }
  }
  QP_LOG(qp, kQPLogDone, "GetRecords_Serial retrieved %d of %d \"%s\" records", read, count, word);
  set.records.resize(static_cast<size_t>(read));
  return 1;
}

int32_t SetRecords_Serial(Quil_protocol& qp, RecordSet& set, int type) {
  const char* word = RecordSetWord(type);
  if (word == nullptr) {
    QP_LOG(qp, kQPLogDone, "SetRecords_Serial found an unexpected record type \"%d\"", type);
    return -11;
  }
  if (set.records.empty()) {
    QP_LOG(qp, kQPLogDone, "SetRecords_Serial found an empty \"%s\" set", word);
    return 0;
  }
  AlphabetizeRecords(qp, set, type);
  for (size_t i = 0; i < set.records.size() && set.records[i].recordValue[0] != '\0'; ++i) {
    std::string value = TextString(set.records[i].recordValue);
    std::string command = Printf("set -%s %d %s\r", word, static_cast<int>(i), value.c_str());
    if (command.size() > 127) command = command.substr(0, 127);
    Exchange ex = QPExchange(qp, command, kQPValueTimeoutMs);
    if (ex.Positive() && ex.Holds("OK")) {
      QP_LOG(qp, kQPLogDone, "SetRecords_Serial set \"%s\" %d to \"%s\" (%d ms)", word,
             static_cast<int>(i), value.c_str(), ex.elapsedMs);
    }
  }
  return 1;
}

int32_t GetRecords_File(Quil_protocol& qp, RecordSet& set, int type, std::string_view fileText) {
  const char* word = RecordSetWord(type);
  if (word == nullptr) {
    QP_LOG(qp, kQPLogDone, "GetRecords_File found an unexpected record type \"%d\"", type);
    return -11;
  }
  if (!set.records.empty()) {
    set.records.clear();
    QP_LOG(qp, kQPLogDone, "GetRecords_File found a non-null \"%s\" set", word);
  }
  int count = 0;
  while (count < kMaxRecords &&
         FindFileValue(fileText, Printf("%s%02d", word, count)) != std::string_view::npos) {
    ++count;
  }
  if (count == 0) {
    QP_LOG(qp, kQPLogDone, "GetRecords_File found no \"%s\" records in instrument", word);
    return 0;
  }
  if (!Allocate(set, count)) {
    QP_LOG(qp, kQPLogDone, "GetRecords_File couldn't allocate memory for %d records", count);
    return -60;
  }
  int read = 0;
  for (; read < count; ++read) {
    InstRecord& record = set.records[static_cast<size_t>(read)];
    if (!GetFileString(fileText, Printf("%s%02d", word, read), record.recordValue.data(),
                       kFileRecordValueChars + 1)) {
      break;
    }
    QP_LOG(qp, kQPLogDone, "GetRecords_File found \"%s\" %d as \"%s\"", word, read,
           record.recordValue.data());
  }
  QP_LOG(qp, kQPLogDone, "GetRecords_File retrieved %d of %d \"%s\" records", read, count, word);
  set.records.resize(static_cast<size_t>(read));
  return 1;
}

int32_t AlphabetizeRecords(Quil_protocol& qp, RecordSet& set, int type) {
  if (RecordSetWord(type) == nullptr) {
    QP_LOG(qp, kQPLogDone, "AlphabetizeRecords found an unexpected record type \"%d\"", type);
    return -11;
  }
  ExtractNames(qp, set, type);
  std::vector<InstRecord>& r = set.records;
  for (size_t i = 1; i < r.size(); ++i) {
    if (!GoesBefore(r[i].recordName, r[i - 1].recordName)) continue;
    InstRecord moving = r[i];
    size_t gap = i;
    while (gap > 0 && GoesBefore(moving.recordName, r[gap - 1].recordName)) {
      r[gap] = r[gap - 1];
      --gap;
    }
    r[gap] = moving;
  }
  return 1;
}

int32_t ExtractNames(Quil_protocol& qp, RecordSet& set, int type) {
  if (set.records.empty()) {
    QP_LOG(qp, kQPLogDone, "ExtractNames found an null record pointer");
    return -10;
  }
  if (RecordSetWord(type) == nullptr) {
    QP_LOG(qp, kQPLogDone, "ExtractNames found an unexpected record type \"%d\"", type);
    return -11;
  }
  for (InstRecord& record : set.records) {
    std::string_view value = TextOf(record.recordValue);
    SetText(record.recordName, type == kRecordsEqn ? EqnName(value) : UserName(value));
  }
  return 1;
}
