// The flow bar's arithmetic: seek scale and targets, time texts, the knob, the display events,
// the layout and the dialog template the 96-dpi re-layout reads.
#include "ui/flow_arithmetic.h"

#include <gtest/gtest.h>

namespace zm::ui {
namespace {

TEST(FlowSeekTest, AClickIsMeasuredFromTheChannelsLeftEdgeAndKeptOnTheScale) {
  const struct {
    int32_t x, left, right, pos;
  } cases[] = {
      {86, 8, 164, 5000},  // halfway along a 156-pixel channel that starts at 8
      {8, 8, 164, 0},
      {164, 8, 164, 10000},
      {170, 8, 164, 10000},  // past the right end
      {2, 8, 164, 0},
      {-3, 8, 164, 0},  // left of the channel
      {50, 8, 8, 0},
      {50, 9, 8, 0},                           // no width
      {0, -2147483647 - 1, 2147483647, 5000},  // no 32-bit overflow
  };
  for (const auto& c : cases) EXPECT_EQ(SeekScaleAt(c.x, c.left, c.right), c.pos) << c.x << " in " << c.left;
}

TEST(FlowSeekTest, TargetsFollowTheModeWithoutOverflowAndSpareTheLiveEdge) {
  const int64_t kHundredHours = 360000;  // total × pos overflows 32 bits past about 59 hours
  const struct {
    int32_t pos;
    FlowPosition at;
    std::optional<int64_t> seek;
    int64_t tracked;
  } cases[] = {
      {5000, {1, 4, 1, 0, false}, 2, 2},
      {5000, {1, kHundredHours, 0, 0, false}, kHundredHours / 2, kHundredHours / 2},
      {9999, {1, kHundredHours, 0, 0, false}, 359964, 359964},
      {10000, {1, 90, 0, 0, false}, 90, 90},
      {5000, {2, 90, 10, 0, false}, 0, 0},
      // Time-shift: back from the live edge; the seek at least 1, the shown time at least 0.
      {5000, {3, 600, 1000, 0, false}, 700, 700},
      {2500, {4, 600, 1000, 100, true}, 650, 650},
      {0, {3, 600, 10, 0, false}, 1, 0},
      {10000, {3, 600, 1000, 0, true}, std::nullopt, 1000},
      {10000, {4, 600, 1000, 50, true}, 0, 1050},
      {10000, {4, 600, 1000, 50, false}, std::nullopt, 1050},
      {0, {1, 0, 5, 0, false}, 0, 0},  // no duration asks for 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.at.mode << " pos " << c.pos << " total " << c.at.total);
    EXPECT_EQ(SeekForPosition(c.pos, c.at), c.seek);
    EXPECT_EQ(TrackedTime(c.pos, c.at), c.tracked);
  }
}

TEST(FlowSeekTest, RefreshMovesThumbAndSelectionOnlyWithADuration) {
  const struct {
    FlowPosition at;
    std::optional<int32_t> thumb;
  } cases[] = {
      {{1, 4, 1, 0, false}, 2500},
      {{1, 4, 9, 0, false}, 10000},
      {{1, kSeekScale * 100000LL, 3 * 100000LL, 0, false}, 3},
      {{2, 50, 7, 0, false}, 0},
      {{3, 600, 7, 20, false}, std::nullopt},
      {{4, 600, 7, 150, true}, 7500},
      {{1, 0, 7, 0, false}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RefreshedThumb(c.at), c.thumb) << "mode " << c.at.mode;
  EXPECT_EQ(DownloadedSelectionEnd(3, 4), 7500);
  EXPECT_EQ(DownloadedSelectionEnd(5, 4), 10000);
  EXPECT_EQ(DownloadedSelectionEnd(3, 0), std::nullopt);
}

TEST(FlowTimeTest, HoursAreUnboundedWithAtLeastTwoDigits) {
  const struct {
    int64_t seconds;
    const wchar_t* text;
  } cases[] = {{0, L"00:00:00"},       {3725, L"01:02:05"}, {90000, L"25:00:00"},
               {443045, L"123:04:05"}, {-7, L"00:00:00"},   {59, L"00:00:59"}};
  for (const auto& c : cases) EXPECT_EQ(FlowTimeText(c.seconds), c.text) << c.seconds;
}

TEST(FlowKnobTest, ThePointerSweeps270DegreesFromLowerLeftToLowerRight) {
  const struct {
    int32_t x, y, value;
  } cases[] = {
      {13, 0, -2500},   // straight up
      {1, 26, -5000},   // lower-left eighth
      {25, 26, 0},      // lower-right eighth
      {0, 13, -4166},   // left
      {26, 13, -833},   // right
      {13, 13, -833},   // the centre counts as right of it
      {-1, 13, -4166},  // one pixel left of the window is still left, not a wrapped coordinate
      {13, -1, -2500},  // one pixel above it
      {-1, 40, -5000},  // lower left, outside
  };
  for (const auto& c : cases)
    EXPECT_EQ(KnobValueAt(c.x, c.y, 13, 13, kKnobMin, kKnobMax), c.value) << c.x << "," << c.y;
  EXPECT_EQ(VolumeOfKnob(-5000), kVolumeSilence);
  EXPECT_EQ(VolumeOfKnob(-4999), -4999);
}

TEST(FlowKnobTest, AVolumeFromAScriptAndThePaintedDotLandInRange) {
  const struct {
    int32_t volume, pos;
  } cases[] = {{-10000, -5000}, {500, 0}, {-2500, -2500}, {0x10000 - 100, -100}, {0x7FFF0000, 0}};
  for (const auto& c : cases) EXPECT_EQ(KnobOfVolume(c.volume, kKnobMin, kKnobMax), c.pos) << c.volume;
  // A 26-pixel knob: radius 13, the dot 8 pixels out.
  EXPECT_EQ(KnobDotOffset(-2500, kKnobMin, kKnobMax, 26), (Offset{0, -8}));
  EXPECT_EQ(KnobDotOffset(0, kKnobMin, kKnobMax, 26), (Offset{5, 5}));
  EXPECT_EQ(KnobDotOffset(-5000, kKnobMin, kKnobMax, 26), (Offset{-5, 5}));
  EXPECT_EQ(KnobDotOffset(0, 0, 0, 26), (Offset{5, 5})) << "an empty range divides by nothing";
}

TEST(FlowEventTest, EachEventSetsStatePictureSeekBarAndMode) {
  using enum SeekBarChange;
  const struct {
    int32_t event, mode, state;
    std::optional<int32_t> imageSet;
    SeekBarChange seekBar;
    bool stopped;  // tracking ends, time and Playlist button reset
    std::optional<int32_t> mode2;
  } cases[] = {
      {0, 1, FlowPlaying, 1, EnableIfSeekable, false, std::nullopt},
      {0, 2, FlowPlaying, std::nullopt, EnableIfSeekable, false, std::nullopt},  // live: no pause picture
      {0, 4, FlowPlaying, 1, EnableIfSeekable, false, std::nullopt},
      {1, 1, FlowPaused, 0, EnableIfSeekable, false, std::nullopt},
      {3, 1, FlowBuffering, 0, EnableIfSeekable, false, std::nullopt},
      {4, 1, FlowSeeking, 0, Disable, false, std::nullopt},
      {2, 1, FlowStopped, 0, ResetAndDisable, true, std::nullopt},
      {2, 3, FlowStopped, 0, ResetAndDisable, true, 2},
      {2, 4, FlowStopped, 0, ResetAndDisable, true, 2},
      {5, 4, FlowStopped, std::nullopt, Disable, false, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "event " << c.event << " mode " << c.mode);
    const std::optional<FlowEventEffect> effect = FlowEventOutcome(c.event, c.mode);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->state, c.state);
    EXPECT_EQ(effect->imageSet, c.imageSet);
    EXPECT_EQ(effect->seekBar, c.seekBar);
    EXPECT_EQ(effect->resetTime, c.stopped);
    EXPECT_EQ(effect->enablePlaylistButton, c.stopped);
    EXPECT_EQ(effect->stopTracking, c.stopped || c.event == 5);
    EXPECT_EQ(effect->mode, c.mode2);
  }
  EXPECT_FALSE(FlowEventOutcome(6, 1));
  EXPECT_FALSE(FlowEventOutcome(-1, 1));
}

TEST(FlowEventTest, ThePlaylistButtonSaysLiveInTheTimeShiftModes) {
  const struct {
    int32_t mode;
    bool canSwitch;
    std::wstring tooltip;
    bool enabled;
  } cases[] = {{1, false, L"Playlist", true},
               {2, true, L"Playlist", true},
               {3, true, L"Live", false},
               {4, true, L"Live", true},
               {4, false, L"Live", false}};
  for (const auto& c : cases) {
    const PlaylistButtonLook look = PlaylistButtonFor(c.mode, c.canSwitch);
    EXPECT_EQ(look.tooltip, c.tooltip) << c.mode;
    EXPECT_EQ(look.enabled, c.enabled) << c.mode << " " << c.canSwitch;
  }
}

TEST(FlowLayoutTest, TheSeekBarStretchesAndTheRestFollowsItsRightEdge) {
  // The template at 96 dpi with 6 x 13 base units.
  const FlowBarBoxes now{{3, 0, 23, 24},   {29, 0, 23, 24},  {54, 3, 156, 20},
                         {222, 5, 14, 15}, {242, 0, 23, 24}, {272, 5, 42, 13}};
  const FlowBarBoxes wide = LayOutFlowBar(now, 500);
  EXPECT_EQ(wide.seek, (Box{54, 3, 351, 20}));
  EXPECT_EQ(wide.play, (Box{3, -1, 23, 24}));
  EXPECT_EQ(wide.stop, (Box{29, -1, 23, 24}));
  EXPECT_EQ(wide.playlist, (Box{405, 6, 14, 15}));
  EXPECT_EQ(wide.knob, (Box{420, -1, 23, 24}));
  EXPECT_EQ(wide.time, (Box{448, 4, 49, 18}));
  EXPECT_EQ(LayOutFlowBar(now, 100).seek.width, 0) << "never a negative width";
  // At 150 percent the gaps and the time display grow with the children.
  const FlowBarBoxes large = LayOutFlowBar(now, 500, 144);
  EXPECT_EQ(large.seek, (Box{54, 3, 303, 20}));
  EXPECT_EQ(large.play.top, -3);
  EXPECT_EQ(large.playlist, (Box{357, 8, 14, 15}));  // 3 * 1.5 = 4.5 rounds up
  EXPECT_EQ(large.knob.left, 373);
  EXPECT_EQ(large.time, (Box{404, 5, 74, 27}));
}

TEST(FlowLayoutTest, DialogUnitsBecomePixelsAtTheWindowsDpi) {
  const struct {
    int32_t pointSize, dpi, height;
  } fonts[] = {{8, 96, -11}, {9, 96, -12}, {10, 96, -13}, {8, 144, -16}, {8, 192, -21}};
  for (const auto& f : fonts)
    EXPECT_EQ(FontHeightAtDpi(f.pointSize, f.dpi), f.height) << f.pointSize << " at " << f.dpi;
  EXPECT_EQ(ScaleForDpi(26, 96), 26);
  EXPECT_EQ(ScaleForDpi(26, 120), 33);  // 32.5 rounds up
  EXPECT_EQ(ScaleForDpi(13, 192), 26);
  EXPECT_EQ(ScaleForDpi(15, 0), 15) << "an unknown dpi leaves 100 percent";
  EXPECT_EQ(HorizontalBaseUnit(312), 6);  // (312 / 26 + 1) / 2
  EXPECT_EQ(HorizontalBaseUnit(286), 6);
  EXPECT_EQ(DialogUnitsToPixels(305, 6, 4), 458);  // 457.5 rounds up
  EXPECT_EQ(DialogUnitsToPixels(16, 13, 8), 26);
  EXPECT_EQ(DialogUnitsToPixels(15, 13, 8), 24);
  EXPECT_EQ(DialogUnitsToPixels(15, 6, 0), 0);
}

// An extended template as the resource compiler lays it out: a font, then two items on
// four-byte boundaries, the second with an ordinal class and two bytes of creation data.
std::vector<uint8_t> TwoItemTemplate() {
  std::vector<uint8_t> b;
  auto word = [&](uint16_t w) {
    b.push_back(static_cast<uint8_t>(w));
    b.push_back(static_cast<uint8_t>(w >> 8));
  };
  auto dword = [&](uint32_t d) {
    word(static_cast<uint16_t>(d));
    word(static_cast<uint16_t>(d >> 16));
  };
  auto text = [&](const char16_t* s) {
    for (; *s; ++s) word(*s);
    word(0);
  };
  word(1), word(0xFFFF), dword(0), dword(0), dword(0x50000448), word(2);
  word(0), word(0), word(305), word(16);
  word(0), word(0), text(u"");  // menu, class, title
  word(8), word(400), b.push_back(1), b.push_back(0), text(u"Sans");
  while (b.size() % 4) b.push_back(0);
  dword(0), dword(0), dword(0x50010000), word(2), word(0), word(15), word(15), dword(261);
  text(u"Button"), text(u"P"), word(0);
  while (b.size() % 4) b.push_back(0);
  dword(0), dword(0), dword(0x50000001), word(181), word(3), word(28), word(8), dword(263);
  word(0xFFFF), word(0x0082), text(u"Static"), word(2), word(0xABCD);
  return b;
}

TEST(FlowLayoutTest, TheTemplateGivesItsFontAndItemsAndRefusesATruncatedOne) {
  const std::vector<uint8_t> bytes = TwoItemTemplate();
  const std::optional<DialogTemplateLayout> layout = ReadDialogTemplate(bytes);
  ASSERT_TRUE(layout);
  EXPECT_EQ(std::vector<int>({layout->cx, layout->cy, layout->hasFont, layout->pointSize, layout->italic}),
            std::vector<int>({305, 16, 1, 8, 1}));
  EXPECT_EQ(layout->face, u"Sans");
  ASSERT_EQ(layout->items.size(), 2u);
  const DialogTemplateItem& button = layout->items[0];
  const DialogTemplateItem& text = layout->items[1];
  EXPECT_EQ(std::vector<int>({static_cast<int>(button.id), button.x, button.y, button.cx, button.cy}),
            std::vector<int>({261, 2, 0, 15, 15}));
  EXPECT_EQ(std::vector<int>({static_cast<int>(text.id), text.x, text.y, text.cx, text.cy}),
            std::vector<int>({263, 181, 3, 28, 8}));
  for (size_t cut : {size_t{0}, size_t{3}, size_t{30}, bytes.size() - 1})
    EXPECT_FALSE(ReadDialogTemplate(std::span(bytes).first(cut))) << "cut at " << cut;
  std::vector<uint8_t> classic = bytes;
  classic[2] = 0;  // no extended signature
  EXPECT_FALSE(ReadDialogTemplate(classic));
}

}  // namespace
}  // namespace zm::ui
