// The control window's layout: picture sizes for each aspect ratio, centring, the size
// mark, the logo's proportions, the flow bar and status window, and windows without area.
#include "control/layout.h"

#include <gtest/gtest.h>

namespace zm::control {
namespace {

constexpr int32_t kMax = 2147483647;
constexpr int32_t kNone = -1;  // no flow bar / no logo in a table row
using enum AspectRatio;

std::vector<int32_t> Edges(const Rect& r) { return {r.x, r.y, r.width, r.height}; }

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
  const std::tuple<LayoutInput, Rect, SizeMark> cases[] = {
      {Playing(400, 300, 320, 240, Original), {0, 0, 400, 300}, SizeMark::Other},  // equal ratios fill the window
      // 400 / (16/9) is 224.99999 in the control's arithmetic: 224, not 225.
      {Playing(400, 300, 320, 240, SixteenNine), {0, 38, 400, 224}, SizeMark::Other},
      // A narrower picture gets one extra column.
      {Playing(600, 300, 320, 240, FourThree), {99, 0, 401, 300}, SizeMark::Other},
      {Playing(600, 300, 320, 240, Original), {99, 0, 401, 300}, SizeMark::Other},
      {Playing(600, 300, 320, 240, Square), {149, 0, 301, 300}, SizeMark::Other},
      {Playing(500, 400, 320, 240, Cinema), {0, 95, 500, 209}, SizeMark::Other},  // 500 / 2.39 = 209.2
      {Playing(640, 200, 320, 240, Unlocked), {0, 0, 640, 200}, SizeMark::Other},
      // The size mark follows the view height against the video height (the three sizes are
      // marked on the real menu in the Wine playback tests); the bar counts out.
      {Playing(320, 270, 320, 240, Original, 30), {0, 0, 320, 240}, SizeMark::Original},
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
  for (const auto& [in, picture, mark] : cases) {
    SCOPED_TRACE(testing::Message() << in.clientWidth << "x" << in.clientHeight << " video " << in.videoWidth << "x"
                                    << in.videoHeight << " aspect " << in.aspectRatio);
    std::optional<ControlLayout> layout = LayOutControlWindow(in);
    ASSERT_TRUE(layout && layout->picture);
    EXPECT_EQ(Edges(*layout->picture), Edges(picture));
    EXPECT_EQ(std::tuple(layout->viewWidth, layout->viewHeight, layout->sizeMark),
              std::tuple(picture.width, picture.height, mark));
  }
}

TEST(LayoutTest, WithoutAPictureTheViewKeepsTheLogoProportionsOrFillsTheWindow) {
  // Window, logo, playing audio, then the view.
  const std::tuple<int32_t, int32_t, int32_t, int32_t, bool, int32_t, int32_t> cases[] = {
      {600, 300, 4000, 3000, false, 400, 300},  // no extra column for the logo
      {400, 300, 3000, 1000, false, 400, 133},
      {400, 400, 4000, 3000, false, 400, 300},  // 400 * 3 / 4 in integers; the float 4/3 would give 299
      {600, 300, 0, 3000, false, 600, 300},     // an empty extent
      {600, 300, kNone, kNone, false, 600, 300},
      {600, 300, 1000, 1000, true, 600, 300},  // playing audio ignores the logo and places no picture
  };
  for (auto [width, height, logoWidth, logoHeight, playingAudio, viewWidth, viewHeight] : cases) {
    LayoutInput in = Playing(width, height, 250, 30, FourThree);
    in.active = playingAudio;
    in.hasVideo = false;
    if (logoWidth != kNone) in.logoWidth = logoWidth, in.logoHeight = logoHeight;
    std::optional<ControlLayout> layout = LayOutControlWindow(in);
    ASSERT_TRUE(layout);
    EXPECT_EQ(std::tuple(layout->viewWidth, layout->viewHeight), std::tuple(viewWidth, viewHeight))
        << width << "x" << height << " logo " << logoWidth;
    EXPECT_FALSE(layout->picture || layout->sizeMark);
  }
  // While a picture is shown the logo plays no part.
  LayoutInput in = Playing(600, 300, 320, 240, Unlocked);
  in.logoWidth = in.logoHeight = 1000;
  EXPECT_EQ(LayOutControlWindow(in)->viewWidth, 600);
}

TEST(LayoutTest, FlowBarAndStatusWindowSitAtTheBottom) {
  // As tall as the client area, with the status window five pixels above it, as the Wine test
  // FlowBarToggleShowsTheBarAlongTheBottom... finds them; here the bar's least width, 180.
  for (int32_t flowBar : {30, kNone}) {
    LayoutInput in = Playing(150, 200, 320, 240, Original, flowBar);
    in.statusWindowHeight = 20;
    std::optional<ControlLayout> layout = LayOutControlWindow(in);
    ASSERT_TRUE(layout && layout->statusWindow);
    ASSERT_EQ(layout->flowBar.has_value(), flowBar != kNone);
    if (layout->flowBar) EXPECT_EQ(Edges(*layout->flowBar), Edges({0, 170, 180, 200}));
    EXPECT_EQ(std::tuple(layout->statusWindow->x, layout->statusWindow->y),
              std::tuple(5, 200 - 20 - 5 - (flowBar == kNone ? 0 : 30)));
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
