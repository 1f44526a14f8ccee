// The old Kt3 firmware: "show" instead of the get commands, "time", "hertz", "set -p",
// settings confirmed by the prompt line alone, unknown commands answered with "?", and the
// radio module reached by passing the line through to it ("term").
#include <cstdio>

#include "sim/logger_interpreter.h"

namespace {

// The confirmation of old firmware: the prompt line alone.
constexpr std::string_view kBarePrompt = "\r>";

}  // namespace

void LoggerInterpreter::OldFirmwareLine(const std::string& line, SimDevice& dev, SimLink& link) {
  SettingContext ctx = Context(dev, link);
  auto set = [&](std::string_view key, std::string_view value) {
    SettingReply r = SetSetting(key, value, ctx);
    if (r.kind == SettingReply::Refused)
      dev.Answer(link, "?", timing_.answerMs);
    else
      link.Send(kBarePrompt, timing_.settingMs);
  };
  auto after = [&](std::string_view prefix) { return std::string_view(line).substr(prefix.size()); };

  if (line.empty()) {
    dev.Prompt(link);
  } else if (line == "show") {
    char text[160];
    std::snprintf(text, sizeof text, "ID: %s\rVersion: %s\rRadio: %u\rWake: %d\rResets: %d",
                  settings_.name.c_str(), dev.version.c_str(), settings_.radioMode, settings_.wake, resets_);
    dev.Answer(link, text, timing_.answerMs);
  } else if (line == "time" && (ctx.features & kFeatClock)) {
    dev.Answer(link, clock_.DateTimeText(ctx.nowMs), timing_.answerMs);
  } else if (line == "hertz" && (ctx.features & kFeatPadc)) {
    dev.Answer(link, std::to_string(settings_.padc), timing_.answerMs);
  } else if (line.starts_with("set -p ")) {
    set("-padc", after("set -p "));
  } else if (line.starts_with("set -w ")) {
    set("-w", after("set -w "));
  } else if (line.starts_with("set -r ")) {
    set("-r", after("set -r "));
  } else if (line.starts_with("set -i ")) {
    set("-i", after("set -i "));
  } else if (line.starts_with("set -t ")) {
    set("-t", after("set -t "));
  } else if (line.starts_with("set -d ")) {
    set("-d", after("set -d "));
  } else if (line == "yes") {
    Erase(dev, link, true);
  } else if (line == "post" || line == "post -init") {
    Post(dev, link);
  } else if (line == "term" && (ctx.features & kFeatRadio)) {
    // From here on the line belongs to the radio module, until "term" again.
    term_ = true;
    termLine_.clear();
  } else {
    dev.Answer(link, "?", timing_.answerMs);
  }
}

bool LoggerInterpreter::TermBytes(std::string_view bytes, SimDevice& dev, SimLink& link) {
  std::string air, reply;
  // Without a working module the bytes go nowhere, and nothing answers them.
  if (hardware_.radio && !options_.HasFault("no-radio"))
    termModem_.Feed(bytes, link.NowMs(), air, reply);
  else
    air.assign(bytes);
  if (!reply.empty()) link.Send(reply, timing_.answerMs);
  // The logger listens for "term" among what goes out over the air.
  for (char c : air) {
    if (c == '\n') continue;
    if (c != '\r') {
      if (termLine_.size() >= 64) termLine_.erase(0, 1);
      termLine_.push_back(c);
      continue;
    }
    // It watches the stream for "term\r", whatever went before it on the line.
    if (std::string_view(termLine_).ends_with("term")) {
      term_ = false;
      termModem_.Reset();
      dev.Answer(link, "OK", timing_.answerMs);
    }
    termLine_.clear();
    if (!term_) break;
  }
  return true;
}
