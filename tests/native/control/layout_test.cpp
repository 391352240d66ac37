// The control window's layout: picture sizes for each aspect ratio, centring, the size
// mark, the logo's proportions, the flow bar and status window, and windows without area.
#include "control/layout.h"

#include <gtest/gtest.h>

namespace zm::control {
namespace {

LayoutInput Playing(int32_t width, int32_t height, int32_t videoWidth, int32_t videoHeight, AspectRatio aspect) {
  LayoutInput in;
  in.clientWidth = width;
  in.clientHeight = height;
  in.active = true;
  in.hasVideo = true;
  in.videoWidth = videoWidth;
  in.videoHeight = videoHeight;
  in.aspectRatio = static_cast<int32_t>(aspect);
  return in;
}

ControlLayout LayOut(const LayoutInput& in) {
  std::optional<ControlLayout> layout = LayOutControlWindow(in);
  EXPECT_TRUE(layout.has_value());
  return layout.value_or(ControlLayout{});
}

void ExpectPicture(const ControlLayout& layout, int32_t x, int32_t y, int32_t width, int32_t height) {
  ASSERT_TRUE(layout.picture.has_value());
  EXPECT_EQ(layout.picture->x, x);
  EXPECT_EQ(layout.picture->y, y);
  EXPECT_EQ(layout.picture->width, width);
  EXPECT_EQ(layout.picture->height, height);
  EXPECT_EQ(layout.viewWidth, width);
  EXPECT_EQ(layout.viewHeight, height);
}

TEST(LayoutAspect, EqualRatiosFillTheWindow) {
  ExpectPicture(LayOut(Playing(400, 300, 320, 240, AspectRatio::Original)), 0, 0, 400, 300);
}

TEST(LayoutAspect, WiderPictureIsLetterboxedWithTruncatedHeight) {
  // 400 / (16/9) is 224.99999 in the control's arithmetic: 224, not 225.
  ExpectPicture(LayOut(Playing(400, 300, 320, 240, AspectRatio::SixteenNine)), 0, 38, 400, 224);
}

TEST(LayoutAspect, NarrowerPictureGetsOneExtraColumnWhilePlaying) {
  ExpectPicture(LayOut(Playing(600, 300, 320, 240, AspectRatio::FourThree)), 99, 0, 401, 300);
  ExpectPicture(LayOut(Playing(600, 300, 320, 240, AspectRatio::Original)), 99, 0, 401, 300);
}

TEST(LayoutAspect, SquareAndCinemaRatios) {
  ExpectPicture(LayOut(Playing(600, 300, 320, 240, AspectRatio::Square)), 149, 0, 301, 300);
  // 500 / 2.39 = 209.2
  ExpectPicture(LayOut(Playing(500, 400, 320, 240, AspectRatio::Cinema)), 0, 95, 500, 209);
}

TEST(LayoutAspect, UnlockedAndUnknownCodesFillTheWindow) {
  ExpectPicture(LayOut(Playing(640, 200, 320, 240, AspectRatio::Unlocked)), 0, 0, 640, 200);
  LayoutInput unknown = Playing(640, 200, 320, 240, AspectRatio::Original);
  unknown.aspectRatio = 9;
  ExpectPicture(LayOut(unknown), 0, 0, 640, 200);
}

TEST(LayoutAspect, AudioOnlyFillsTheWindowAndPlacesNoPicture) {
  LayoutInput in = Playing(600, 300, 250, 30, AspectRatio::FourThree);
  in.hasVideo = false;
  ControlLayout layout = LayOut(in);
  EXPECT_EQ(layout.viewWidth, 600);
  EXPECT_EQ(layout.viewHeight, 300);
  EXPECT_FALSE(layout.picture.has_value());
  EXPECT_FALSE(layout.sizeMark.has_value());
}

TEST(LayoutSizeMark, FollowsTheViewHeightAgainstTheVideoHeight) {
  EXPECT_EQ(LayOut(Playing(160, 120, 320, 240, AspectRatio::Original)).sizeMark, SizeMark::Half);
  EXPECT_EQ(LayOut(Playing(320, 240, 320, 240, AspectRatio::Original)).sizeMark, SizeMark::Original);
  EXPECT_EQ(LayOut(Playing(640, 480, 320, 240, AspectRatio::Original)).sizeMark, SizeMark::Double);
  EXPECT_EQ(LayOut(Playing(400, 300, 320, 240, AspectRatio::Original)).sizeMark, SizeMark::Other);
}

TEST(LayoutSizeMark, CountsTheFlowBarOut) {
  LayoutInput in = Playing(320, 270, 320, 240, AspectRatio::Original);
  in.flowBarShown = true;
  in.flowBarHeight = 30;
  ControlLayout layout = LayOut(in);
  EXPECT_EQ(layout.sizeMark, SizeMark::Original);
  ExpectPicture(layout, 0, 0, 320, 240);
}

TEST(LayoutZeroSizes, WindowWithoutAreaIsNotLaidOut) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 300}, {400, 0}, {-5, 300}, {400, -1}}) {
    LayoutInput in = Playing(w, h, 320, 240, AspectRatio::Original);
    in.flowBarShown = true;
    in.flowBarHeight = 30;
    in.statusWindowHeight = 20;
    EXPECT_FALSE(LayOutControlWindow(in).has_value()) << w << "x" << h;
  }
}

TEST(LayoutZeroSizes, PictureOfHeightZeroFillsTheWindowWithoutDividing) {
  ControlLayout layout = LayOut(Playing(400, 300, 320, 0, AspectRatio::Original));
  ExpectPicture(layout, 0, 0, 400, 300);
  EXPECT_EQ(layout.sizeMark, SizeMark::Other);
  ExpectPicture(LayOut(Playing(400, 300, 0, 0, AspectRatio::Original)), 0, 0, 400, 300);
}

TEST(LayoutZeroSizes, PictureOfHeightZeroWithAFixedRatioHasNoSizeMark) {
  ControlLayout layout = LayOut(Playing(400, 300, 320, 0, AspectRatio::FourThree));
  ExpectPicture(layout, 0, 0, 400, 300);
  EXPECT_EQ(layout.sizeMark, SizeMark::Other);
}

TEST(LayoutMinimum, TinyWindowIsTreatedAsTenByTen) {
  ControlLayout layout = LayOut(Playing(3, 4, 320, 240, AspectRatio::Unlocked));
  EXPECT_EQ(layout.viewWidth, 10);
  EXPECT_EQ(layout.viewHeight, 10);
  // 10 x 10 with 16:9: 10 / 1.7777778 = 5.6
  ExpectPicture(LayOut(Playing(1, 1, 320, 240, AspectRatio::SixteenNine)), 0, 2, 10, 5);
}

TEST(LayoutMinimum, FlowBarTallerThanTheWindowLeavesTenPixels) {
  LayoutInput in = Playing(100, 20, 320, 240, AspectRatio::Unlocked);
  in.flowBarShown = true;
  in.flowBarHeight = 30;
  ControlLayout layout = LayOut(in);
  EXPECT_EQ(layout.viewHeight, 10);
}

TEST(LayoutFlowBar, SitsAtTheBottomAsTallAsTheClientArea) {
  LayoutInput in = Playing(400, 330, 320, 240, AspectRatio::Original);
  in.flowBarShown = true;
  in.flowBarHeight = 30;
  ControlLayout layout = LayOut(in);
  ASSERT_TRUE(layout.flowBar.has_value());
  EXPECT_EQ(layout.flowBar->x, 0);
  EXPECT_EQ(layout.flowBar->y, 300);
  EXPECT_EQ(layout.flowBar->width, 400);
  EXPECT_EQ(layout.flowBar->height, 330);
  ExpectPicture(layout, 0, 0, 400, 300);
}

TEST(LayoutFlowBar, IsAtLeast180PixelsWide) {
  LayoutInput in = Playing(150, 200, 320, 240, AspectRatio::Original);
  in.flowBarShown = true;
  in.flowBarHeight = 30;
  ControlLayout layout = LayOut(in);
  ASSERT_TRUE(layout.flowBar.has_value());
  EXPECT_EQ(layout.flowBar->width, 180);
}

TEST(LayoutFlowBar, HiddenFlowBarIsNotPlaced) {
  LayoutInput in = Playing(400, 300, 320, 240, AspectRatio::Original);
  in.flowBarHeight = 30;
  ControlLayout layout = LayOut(in);
  EXPECT_FALSE(layout.flowBar.has_value());
  ExpectPicture(layout, 0, 0, 400, 300);
}

TEST(LayoutStatusWindow, SitsFivePixelsAboveTheFlowBar) {
  LayoutInput in = Playing(400, 330, 320, 240, AspectRatio::Original);
  in.statusWindowHeight = 20;
  EXPECT_EQ(LayOut(in).statusWindow->y, 330 - 20 - 5);
  EXPECT_EQ(LayOut(in).statusWindow->x, 5);
  in.flowBarShown = true;
  in.flowBarHeight = 30;
  EXPECT_EQ(LayOut(in).statusWindow->y, 330 - 30 - 20 - 5);
  in.statusWindowHeight.reset();
  EXPECT_FALSE(LayOut(in).statusWindow.has_value());
}

LayoutInput IdleWithLogo(int32_t width, int32_t height, int32_t logoWidth, int32_t logoHeight) {
  LayoutInput in;
  in.clientWidth = width;
  in.clientHeight = height;
  in.logoWidth = logoWidth;
  in.logoHeight = logoHeight;
  return in;
}

TEST(LayoutLogo, WideWindowKeepsTheLogoProportionsWithoutTheExtraColumn) {
  ControlLayout layout = LayOut(IdleWithLogo(600, 300, 4000, 3000));
  EXPECT_EQ(layout.viewWidth, 400);
  EXPECT_EQ(layout.viewHeight, 300);
  EXPECT_FALSE(layout.picture.has_value());
}

TEST(LayoutLogo, TallWindowUsesIntegerProportions) {
  ControlLayout layout = LayOut(IdleWithLogo(400, 300, 3000, 1000));
  EXPECT_EQ(layout.viewWidth, 400);
  EXPECT_EQ(layout.viewHeight, 133);
  // 400 * 3 / 4 is 300; dividing by the single-precision 4/3 would give 299.
  EXPECT_EQ(LayOut(IdleWithLogo(400, 400, 4000, 3000)).viewHeight, 300);
}

TEST(LayoutLogo, NoLogoOrAnEmptyExtentFillsTheWindow) {
  LayoutInput in = IdleWithLogo(600, 300, 0, 3000);
  EXPECT_EQ(LayOut(in).viewWidth, 600);
  in.logoWidth.reset();
  in.logoHeight.reset();
  EXPECT_EQ(LayOut(in).viewWidth, 600);
  EXPECT_EQ(LayOut(in).viewHeight, 300);
}

TEST(LayoutLogo, PlayingStateIgnoresTheLogo) {
  LayoutInput in = Playing(600, 300, 320, 240, AspectRatio::Unlocked);
  in.logoWidth = 1000;
  in.logoHeight = 1000;
  ExpectPicture(LayOut(in), 0, 0, 600, 300);
}

TEST(LayoutExtremes, HugeSizesDoNotOverflow) {
  ControlLayout layout = LayOut(Playing(2147483647, 1, 1, 2147483647, AspectRatio::Original));
  EXPECT_EQ(layout.viewWidth, 1);
  EXPECT_EQ(layout.viewHeight, 10);
  layout = LayOut(Playing(2147483647, 2147483647, 2147483647, 1, AspectRatio::Original));
  EXPECT_EQ(layout.viewWidth, 2147483647);
  EXPECT_EQ(layout.viewHeight, 0);
  EXPECT_EQ(layout.sizeMark, SizeMark::Other);
}

}  // namespace
}  // namespace zm::control
