// The control window's layout: picture sizes for each aspect ratio, centring, the size
// mark, the logo's proportions, the flow bar and status window, and windows without area.
#include "control/layout.h"

#include <gtest/gtest.h>

namespace zm::control {
namespace {

constexpr int32_t kMax = 2147483647;
constexpr int32_t kNone = -1;  // no flow bar / no logo in a table row
using enum AspectRatio;

LayoutInput Playing(int32_t width, int32_t height, int32_t videoWidth, int32_t videoHeight, AspectRatio aspect,
                    int32_t flowBar = kNone) {
  LayoutInput in;
  in.clientWidth = width;
  in.clientHeight = height;
  in.active = true;
  in.hasVideo = true;
  in.videoWidth = videoWidth;
  in.videoHeight = videoHeight;
  in.aspectRatio = static_cast<int32_t>(aspect);
  in.flowBarShown = flowBar != kNone;
  in.flowBarHeight = flowBar == kNone ? 30 : flowBar;
  return in;
}

TEST(LayoutTest, PictureIsPlacedForEachAspectRatioAndCentred) {
  struct Case {
    LayoutInput in;
    Rect picture;
    SizeMark mark;
  } cases[] = {
      {Playing(400, 300, 320, 240, Original), {0, 0, 400, 300}, SizeMark::Other},  // equal ratios fill the window
      // 400 / (16/9) is 224.99999 in the control's arithmetic: 224, not 225.
      {Playing(400, 300, 320, 240, SixteenNine), {0, 38, 400, 224}, SizeMark::Other},
      // A narrower picture gets one extra column.
      {Playing(600, 300, 320, 240, FourThree), {99, 0, 401, 300}, SizeMark::Other},
      {Playing(600, 300, 320, 240, Original), {99, 0, 401, 300}, SizeMark::Other},
      {Playing(600, 300, 320, 240, Square), {149, 0, 301, 300}, SizeMark::Other},
      {Playing(500, 400, 320, 240, Cinema), {0, 95, 500, 209}, SizeMark::Other},  // 500 / 2.39 = 209.2
      {Playing(640, 200, 320, 240, Unlocked), {0, 0, 640, 200}, SizeMark::Other},
      // The size mark follows the view height against the video height.
      {Playing(160, 120, 320, 240, Original), {0, 0, 160, 120}, SizeMark::Half},
      {Playing(320, 240, 320, 240, Original), {0, 0, 320, 240}, SizeMark::Original},
      {Playing(640, 480, 320, 240, Original), {0, 0, 640, 480}, SizeMark::Double},
      {Playing(320, 270, 320, 240, Original, 30), {0, 0, 320, 240}, SizeMark::Original},  // the bar counts out
      // A picture of height 0 fills the window without dividing by it.
      {Playing(400, 300, 320, 0, Original), {0, 0, 400, 300}, SizeMark::Other},
      {Playing(400, 300, 0, 0, Original), {0, 0, 400, 300}, SizeMark::Other},
      {Playing(400, 300, 320, 0, FourThree), {0, 0, 400, 300}, SizeMark::Other},
      // A window smaller than 10 x 10 is treated as 10 x 10: 10 / 1.7777778 = 5.6.
      {Playing(1, 1, 320, 240, SixteenNine), {0, 2, 10, 5}, SizeMark::Other},
      {Playing(3, 4, 320, 240, Unlocked), {0, 0, 10, 10}, SizeMark::Other},
      {Playing(100, 20, 320, 240, Unlocked, 30), {0, 0, 100, 10}, SizeMark::Other},  // a bar taller than the window
      {Playing(kMax, 1, 1, kMax, Original), {kMax / 2, 0, 1, 10}, SizeMark::Other},  // no overflow
      {Playing(kMax, kMax, kMax, 1, Original), {0, kMax / 2, kMax, 0}, SizeMark::Other},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.in.clientWidth << "x" << c.in.clientHeight << " video " << c.in.videoWidth
                                    << "x" << c.in.videoHeight << " aspect " << c.in.aspectRatio);
    std::optional<ControlLayout> layout = LayOutControlWindow(c.in);
    ASSERT_TRUE(layout && layout->picture);
    EXPECT_EQ(layout->picture->x, c.picture.x);
    EXPECT_EQ(layout->picture->y, c.picture.y);
    EXPECT_EQ(layout->picture->width, c.picture.width);
    EXPECT_EQ(layout->picture->height, c.picture.height);
    EXPECT_EQ(layout->viewWidth, c.picture.width);
    EXPECT_EQ(layout->viewHeight, c.picture.height);
    EXPECT_EQ(layout->sizeMark, c.mark);
  }
}

TEST(LayoutTest, WithoutAPictureTheViewKeepsTheLogoProportionsOrFillsTheWindow) {
  struct Case {
    int32_t width, height, logoWidth, logoHeight;
    bool playingAudio;
    int32_t viewWidth, viewHeight;
  } cases[] = {
      {600, 300, 4000, 3000, false, 400, 300},  // no extra column for the logo
      {400, 300, 3000, 1000, false, 400, 133},
      {400, 400, 4000, 3000, false, 400, 300},  // 400 * 3 / 4 in integers; the float 4/3 would give 299
      {600, 300, 0, 3000, false, 600, 300},     // an empty extent
      {600, 300, kNone, kNone, false, 600, 300},
      {600, 300, 1000, 1000, true, 600, 300},  // playing audio ignores the logo and places no picture
  };
  for (const Case& c : cases) {
    LayoutInput in = Playing(c.width, c.height, 250, 30, FourThree);
    in.active = c.playingAudio;
    in.hasVideo = false;
    if (c.logoWidth != kNone) in.logoWidth = c.logoWidth;
    if (c.logoHeight != kNone) in.logoHeight = c.logoHeight;
    std::optional<ControlLayout> layout = LayOutControlWindow(in);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->viewWidth, c.viewWidth) << c.width << "x" << c.height << " logo " << c.logoWidth;
    EXPECT_EQ(layout->viewHeight, c.viewHeight) << c.width << "x" << c.height << " logo " << c.logoWidth;
    EXPECT_FALSE(layout->picture || layout->sizeMark);
  }
  // While a picture is shown the logo plays no part.
  LayoutInput in = Playing(600, 300, 320, 240, Unlocked);
  in.logoWidth = in.logoHeight = 1000;
  EXPECT_EQ(LayOutControlWindow(in)->viewWidth, 600);
}

TEST(LayoutTest, FlowBarAndStatusWindowSitAtTheBottom) {
  struct Case {
    int32_t width, height, flowBar;
    std::optional<Rect> bar;
    int32_t statusY;
  } cases[] = {
      {400, 330, 30, Rect{0, 300, 400, 330}, 330 - 30 - 20 - 5},  // as tall as the client area
      {150, 200, 30, Rect{0, 170, 180, 200}, 200 - 30 - 20 - 5},  // at least 180 wide
      {400, 330, kNone, std::nullopt, 330 - 20 - 5},
  };
  for (const Case& c : cases) {
    LayoutInput in = Playing(c.width, c.height, 320, 240, Original, c.flowBar);
    in.statusWindowHeight = 20;
    std::optional<ControlLayout> layout = LayOutControlWindow(in);
    ASSERT_TRUE(layout && layout->statusWindow);
    ASSERT_EQ(layout->flowBar.has_value(), c.bar.has_value()) << c.width;
    if (c.bar) {
      EXPECT_EQ(layout->flowBar->x, c.bar->x);
      EXPECT_EQ(layout->flowBar->y, c.bar->y);
      EXPECT_EQ(layout->flowBar->width, c.bar->width);
      EXPECT_EQ(layout->flowBar->height, c.bar->height);
    }
    EXPECT_EQ(layout->statusWindow->x, 5);
    EXPECT_EQ(layout->statusWindow->y, c.statusY);
  }
  LayoutInput noStatus = Playing(400, 300, 320, 240, Original);
  EXPECT_FALSE(LayOutControlWindow(noStatus)->statusWindow);
}

TEST(LayoutTest, WindowWithoutAreaIsNotLaidOut) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 300}, {400, 0}, {-5, 300}, {400, -1}}) {
    LayoutInput in = Playing(w, h, 320, 240, Original, 30);
    in.statusWindowHeight = 20;
    EXPECT_FALSE(LayOutControlWindow(in).has_value()) << w << "x" << h;
  }
}

}  // namespace
}  // namespace zm::control
