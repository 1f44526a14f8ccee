#pragma once
// Helpers shared by the Quil_protocol operations.

#include "link/wire_format.h"  // Printf
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/answer_values.h"
#include "protocol/quil_protocol.h"

inline constexpr const char* kQPSource = "Quil_protocol";
inline constexpr uint32_t kQPLogFailure = 1;
inline constexpr uint32_t kQPLogDone = 10;
inline constexpr uint32_t kQPLogDetail = 30;

#define QP_LOG(qp, level, ...) LogMessage((qp).log, (level), kQPSource, __VA_ARGS__)

// Answer capacity of the short exchanges (set commands, checks).
inline constexpr uint32_t kQPShortAnswer = 32;
inline constexpr uint32_t kQPValueTimeoutMs = 2000;

// One exchange with the prompt '>' as terminator: the result of DeviceCommand, the answer text
// (at most capacity - 1 characters) and the elapsed milliseconds.
struct Exchange {
  int32_t result = 0;
  std::string answer;
  int32_t elapsedMs = 0;

  bool Positive() const { return result > 0; }
  bool Holds(std::string_view text) const { return answer.find(text) != std::string::npos; }
};
Exchange QPExchange(Quil_protocol& qp, const std::string& command, uint32_t timeoutMs,
                    uint32_t capacity = kQPShortAnswer);

// Device types by family.
bool IsLoggerType(DeviceType type);  // KT3B, KT30, HV, RL9, ZLG
