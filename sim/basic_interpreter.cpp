#include "sim/basic_interpreter.h"

void BasicInterpreter::OnLine(const std::string& line, SimDevice& dev, SimLink& link) {
  if (line == "get -ver") {
    dev.Answer(link, dev.code + " " + dev.version);
  } else if (line == "post") {
    dev.Answer(link, dev.dataFlashFail ? "DataFlash FAIL" : dev.codeGood ? "Code Good!" : "Code Corrupt!");
  } else if (line.empty()) {
    dev.Prompt(link);
  } else {
    dev.Answer(link, "ERROR");
  }
}
