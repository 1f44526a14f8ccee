#include "web/version_check_terminal.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <clocale>
#include <memory>
#include <nlohmann/json.hpp>

#include "web/http_exchange.h"
#include "web/version_check.h"

namespace {

// A core application for the time of the check, when the caller runs without one.
class CoreApplicationScope {
 public:
  CoreApplicationScope() {
    if (QCoreApplication::instance() != nullptr) return;
    const char* current = std::setlocale(LC_ALL, nullptr);
    savedLocale_ = current ? current : "C";
    app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    // Qt takes the locale from the environment; the caller's stays in force.
    std::setlocale(LC_ALL, savedLocale_.c_str());
  }

 private:
  int argc_ = 1;
  char name_[12] = "quilbsl-cli";
  char* argv_[2] = {name_, nullptr};
  std::string savedLocale_;
  std::unique_ptr<QCoreApplication> app_;
};

}  // namespace

TerminalVersionCheck VersionCheckForTerminal(uint32_t thisVersion, const std::string& path,
                                             const std::string& productText, int timeoutMs) {
  CoreApplicationScope scope;
  QNetworkAccessManager http;
  ConfigureHttpClient(http);
  const VersionCheckResult result =
      RunVersionCheck(http, thisVersion, QString::fromStdString(path), timeoutMs);

  TerminalVersionCheck check;
  check.outcome = result.outcome;
  if (result.outcome > kVersionNoCheck) {
    check.found = result.reply.version;
    check.webAddress = result.reply.webAddress;
  }
  check.message = VersionCheckTerminalText(result, productText);
  return check;
}

std::string VersionCheckJson(const TerminalVersionCheck& check) {
  nlohmann::ordered_json line = {
      {"version", check.found}, {"outcome", check.outcome}, {"message", check.message}};
  if (!check.webAddress.empty()) line["address"] = check.webAddress;
  // Text from the network may hold bytes that are not UTF-8: replace them, never throw.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
