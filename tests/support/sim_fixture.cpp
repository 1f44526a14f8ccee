#include "tests/support/sim_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/model_factory.h"

std::unique_ptr<PtyServer> StartSim(SimOptions options) {
  auto server = std::make_unique<PtyServer>(options, MakeDeviceModel(options));
  if (!server->Start()) {
    ADD_FAILURE() << "simulator did not start: " << server->error();
    return nullptr;
  }
  return server;
}

SimOptions MakeTestOptions(const std::string& type, const std::string& version) {
  SimOptions o;
  o.type = type;
  o.version = version;
  o.announce = false;
  return o;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quilbsl-test-XXXXXX").string();
  if (char* p = mkdtemp(tmpl.data())) path_ = p;
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
