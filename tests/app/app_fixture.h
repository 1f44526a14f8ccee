#pragma once
// An updater started in a temporary data folder with a scripted user, and no device.

#include <gtest/gtest.h>

#include "app/updater_state.h"
#include "tests/e2e/scripted_ui.h"
#include "tests/support/sim_fixture.h"

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(UpdaterStartup(app, dir.path()), 0);
    app.ui = &ui;
    ui.SetLog(app.log.get());
  }
  std::string Log() const { return ReadWholeFile(app.logFileName); }

  TempDir dir;
  ScriptedUI ui;
  UpdaterState app;
};
