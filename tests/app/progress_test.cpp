// The bootloader's progress callback moves the bar as the window's always did: a 32-bit float
// step per programming tick, +0.5 truncated; the mode per erase tick; then pending messages.

#include <algorithm>
#include <bit>

#include "app/update_sequence.h"
#include "tests/app/app_fixture.h"

namespace {

TEST_F(AppTest, StepOfTheEmbeddedImage) {
  EXPECT_EQ(app.host->imageLength, 62406u);
  EXPECT_EQ(std::bit_cast<uint32_t>(app.progressStep), 0x3F10EBE4u);
  EXPECT_EQ(app.progressMode, 1);
}

TEST_F(AppTest, UploadOfTheEmbeddedImageEndsAt91) {
  app.progressValue = 21.0f;
  SetProgressBar(app, 21);
  // One tick per 512 characters from position 0, and one when the transfer ends.
  const int ticks = static_cast<int>((app.host->imageLength + 511) / 512) + 1;
  for (int i = 0; i < ticks; ++i) ASSERT_TRUE(UpdateProgressTick(app, 'W'));
  EXPECT_EQ(ticks, 123);
  EXPECT_EQ(ui.progress.back(), 91);
  EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
  EXPECT_EQ(ui.processed, ticks);
}

TEST_F(AppTest, EraseTicksAdvanceByTheMode) {
  SetProgressBar(app, 8);
  app.progressMode = 3;
  UpdateProgressTick(app, 'X');
  UpdateProgressTick(app, 'X');
  EXPECT_EQ(ui.progress.back(), 14);
  UpdateProgressTick(app, '?');  // another kind moves nothing but still lets messages through
  EXPECT_EQ(ui.progress.back(), 14);
  EXPECT_EQ(ui.processed, 3);
  // The bar stops at 100.
  SetProgressBar(app, 99);
  UpdateProgressTick(app, 'X');
  UpdateProgressTick(app, 'X');
  EXPECT_EQ(ui.progress.back(), 100);
}

TEST_F(AppTest, CallbackReturnsKeepGoing) {
  struct Case {
    bool keepGoing, uiKeepGoing, expected;
  };
  for (Case c : {Case{true, true, true}, Case{false, true, false}, Case{true, false, false}}) {
    app.keepGoing = c.keepGoing;
    ui.keepGoing = [&] { return c.uiKeepGoing; };
    EXPECT_EQ(UpdateProgressTick(app, 'W'), c.expected);
    EXPECT_EQ(UpdateProgressTick(app, 'X'), c.expected);
  }
}

}  // namespace
