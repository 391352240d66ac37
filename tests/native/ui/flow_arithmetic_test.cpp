// The flow bar's arithmetic: seek scale and targets, time texts, the knob, the display events,
// the layout and the dialog template the 96-dpi re-layout reads.
#include "ui/flow_arithmetic.h"

#include <gtest/gtest.h>

namespace zm::ui {
namespace {

// Halfway along a 156-pixel channel that starts at 8, its ends, past them, no width, no overflow.
TEST(FlowSeekTest, AClickIsMeasuredFromTheChannelsLeftEdgeAndKeptOnTheScale) {
  const std::tuple<int32_t, int32_t, int32_t, int32_t> cases[] = {
      {86, 8, 164, 5000},   {8, 8, 164, 0}, {164, 8, 164, 10000},
      {170, 8, 164, 10000}, {2, 8, 164, 0}, {-3, 8, 164, 0},
      {50, 8, 8, 0},        {50, 9, 8, 0},  {0, -2147483647 - 1, 2147483647, 5000}};
  for (auto [x, left, right, pos] : cases) EXPECT_EQ(SeekScaleAt(x, left, right), pos) << x << " in " << left;
}

// Total × pos overflows 32 bits past about 59 hours. Time-shift counts back from the live edge,
// the seek at least 1 and the shown time at least 0; no duration asks for 0.
TEST(FlowSeekTest, TargetsFollowTheModeWithoutOverflowAndSpareTheLiveEdge) {
  const int64_t kHours = 360000;
  const std::tuple<int32_t, FlowPosition, std::optional<int64_t>, int64_t> cases[] = {
      {5000, {1, 4, 1, 0, false}, 2, 2},
      {5000, {1, kHours, 0, 0, false}, kHours / 2, kHours / 2},
      {9999, {1, kHours, 0, 0, false}, 359964, 359964},
      {10000, {1, 90, 0, 0, false}, 90, 90},
      {5000, {2, 90, 10, 0, false}, 0, 0},
      {5000, {3, 600, 1000, 0, false}, 700, 700},
      {2500, {4, 600, 1000, 100, true}, 650, 650},
      {0, {3, 600, 10, 0, false}, 1, 0},
      {10000, {3, 600, 1000, 0, true}, std::nullopt, 1000},
      {10000, {4, 600, 1000, 50, true}, 0, 1050},
      {10000, {4, 600, 1000, 50, false}, std::nullopt, 1050},
      {0, {1, 0, 5, 0, false}, 0, 0}};
  for (const auto& [pos, at, seek, tracked] : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << at.mode << " pos " << pos << " total " << at.total);
    EXPECT_EQ(std::tuple(SeekForPosition(pos, at), TrackedTime(pos, at)), std::tuple(seek, tracked));
  }
}

TEST(FlowSeekTest, RefreshMovesThumbAndSelectionOnlyWithADuration) {
  const std::pair<FlowPosition, std::optional<int32_t>> cases[] = {
      {{1, 4, 1, 0, false}, 2500},
      {{1, 4, 9, 0, false}, 10000},
      {{1, kSeekScale * 100000LL, 3 * 100000LL, 0, false}, 3},
      {{2, 50, 7, 0, false}, 0},
      {{3, 600, 7, 20, false}, std::nullopt},
      {{4, 600, 7, 150, true}, 7500},
      {{1, 0, 7, 0, false}, std::nullopt}};
  for (const auto& [at, thumb] : cases) EXPECT_EQ(RefreshedThumb(at), thumb) << "mode " << at.mode;
  EXPECT_EQ(std::tuple(DownloadedSelectionEnd(3, 4), DownloadedSelectionEnd(5, 4), DownloadedSelectionEnd(3, 0)),
            std::tuple(7500, 10000, std::nullopt));
}

TEST(FlowTimeTest, HoursAreUnboundedWithAtLeastTwoDigits) {
  const std::pair<int64_t, const wchar_t*> cases[] = {{0, L"00:00:00"},       {3725, L"01:02:05"}, {90000, L"25:00:00"},
                                                      {443045, L"123:04:05"}, {-7, L"00:00:00"},   {59, L"00:00:59"}};
  for (auto [seconds, text] : cases) EXPECT_EQ(FlowTimeText(seconds), text) << seconds;
}

// The top, the left and right and silence and loudest below are clicked on the real knob by the
// Wine FlowBarTest; here the lower eighths, the centre (right of itself), and points outside.
TEST(FlowKnobTest, ThePointerSweeps270DegreesAndAScriptsVolumeAndThePaintedDotLandInRange) {
  const std::tuple<int32_t, int32_t, int32_t> points[] = {
      {1, 26, -5000}, {25, 26, 0}, {13, 13, -833}, {13, -1, -2500}, {-1, 40, -5000}};
  for (auto [x, y, value] : points) EXPECT_EQ(KnobValueAt(x, y, 13, 13, kKnobMin, kKnobMax), value) << x << "," << y;
  EXPECT_EQ(std::tuple(VolumeOfKnob(-5000), VolumeOfKnob(-4999)), std::tuple(kVolumeSilence, -4999));
  const std::pair<int32_t, int32_t> volumes[] = {
      {-10000, -5000}, {500, 0}, {-2500, -2500}, {0x10000 - 100, -100}, {0x7FFF0000, 0}};
  for (auto [volume, pos] : volumes) EXPECT_EQ(KnobOfVolume(volume, kKnobMin, kKnobMax), pos) << volume;
  // A 26-pixel knob: radius 13, the dot 8 pixels out.
  for (auto [pos, dot] : {std::pair{-2500, Offset{0, -8}}, {0, Offset{5, 5}}, {-5000, Offset{-5, 5}}})
    EXPECT_EQ(KnobDotOffset(pos, kKnobMin, kKnobMax, 26), dot) << pos;
  EXPECT_EQ(KnobDotOffset(0, 0, 0, 26), (Offset{5, 5})) << "an empty range divides by nothing";
}

TEST(FlowEventTest, EachEventSetsStatePictureSeekBarAndMode) {
  using enum SeekBarChange;
  const std::nullopt_t none = std::nullopt;
  // Event, mode, then state, pause picture (none live), seek bar, stopped (tracking ends, time
  // and Playlist button reset) and the new mode.
  const std::tuple<int32_t, int32_t, int32_t, std::optional<int32_t>, SeekBarChange, bool, std::optional<int32_t>>
      cases[] = {{0, 1, FlowPlaying, 1, EnableIfSeekable, false, none},
                 {0, 2, FlowPlaying, none, EnableIfSeekable, false, none},
                 {0, 4, FlowPlaying, 1, EnableIfSeekable, false, none},
                 {1, 1, FlowPaused, 0, EnableIfSeekable, false, none},
                 {3, 1, FlowBuffering, 0, EnableIfSeekable, false, none},
                 {4, 1, FlowSeeking, 0, Disable, false, none},
                 {2, 1, FlowStopped, 0, ResetAndDisable, true, none},
                 {2, 3, FlowStopped, 0, ResetAndDisable, true, 2},
                 {2, 4, FlowStopped, 0, ResetAndDisable, true, 2},
                 {5, 4, FlowStopped, none, Disable, false, none}};
  for (const auto& [event, mode, state, imageSet, seekBar, stopped, mode2] : cases) {
    SCOPED_TRACE(testing::Message() << "event " << event << " mode " << mode);
    const std::optional<FlowEventEffect> e = FlowEventOutcome(event, mode);
    ASSERT_TRUE(e);
    EXPECT_EQ(std::tuple(e->state, e->imageSet, e->seekBar, e->mode), std::tuple(state, imageSet, seekBar, mode2));
    EXPECT_EQ(std::tuple(e->resetTime, e->enablePlaylistButton, e->stopTracking),
              std::tuple(stopped, stopped, stopped || event == 5));
  }
  EXPECT_FALSE(FlowEventOutcome(6, 1) || FlowEventOutcome(-1, 1));
}

TEST(FlowEventTest, ThePlaylistButtonSaysLiveInTheTimeShiftModes) {
  const std::tuple<int32_t, bool, const wchar_t*, bool> cases[] = {{1, false, L"Playlist", true},
                                                                   {2, true, L"Playlist", true},
                                                                   {3, true, L"Live", false},
                                                                   {4, true, L"Live", true},
                                                                   {4, false, L"Live", false}};
  for (auto [mode, canSwitch, tooltip, enabled] : cases) {
    const PlaylistButtonLook look = PlaylistButtonFor(mode, canSwitch);
    EXPECT_EQ(std::tuple(std::wstring(look.tooltip), look.enabled), std::tuple(tooltip, enabled))
        << mode << " " << canSwitch;
  }
}

// At 96 dpi the Wine FlowBarTest measures the real bar (TheBarSpansTheControl...). At 150 percent
// the gaps and the time display grow with the children; 3 * 1.5 = 4.5 rounds up.
TEST(FlowLayoutTest, TheSeekBarStretchesAndTheRestFollowsItsRightEdge) {
  // The template at 96 dpi with 6 x 13 base units.
  const FlowBarBoxes now{{3, 0, 23, 24},   {29, 0, 23, 24},  {54, 3, 156, 20},
                         {222, 5, 14, 15}, {242, 0, 23, 24}, {272, 5, 42, 13}};
  EXPECT_EQ(LayOutFlowBar(now, 100).seek.width, 0) << "never a negative width";
  const FlowBarBoxes large = LayOutFlowBar(now, 500, 144);
  EXPECT_EQ(std::tuple(large.seek, large.playlist, large.time),
            std::tuple(Box{54, 3, 303, 20}, Box{357, 8, 14, 15}, Box{404, 5, 74, 27}));
  EXPECT_EQ(std::tuple(large.play.top, large.knob.left), std::tuple(-3, 373));
}

// 32.5 and 457.5 round up; an unknown dpi leaves 100 percent; the base unit is (312 / 26 + 1) / 2.
TEST(FlowLayoutTest, DialogUnitsBecomePixelsAtTheWindowsDpi) {
  const std::tuple<int32_t, int32_t, int32_t> fonts[] = {
      {8, 96, -11}, {9, 96, -12}, {10, 96, -13}, {8, 144, -16}, {8, 192, -21}};
  for (auto [points, dpi, height] : fonts) EXPECT_EQ(FontHeightAtDpi(points, dpi), height) << points << " at " << dpi;
  EXPECT_EQ(std::tuple(ScaleForDpi(26, 96), ScaleForDpi(26, 120), ScaleForDpi(13, 192), ScaleForDpi(15, 0)),
            std::tuple(26, 33, 26, 15));
  EXPECT_EQ(std::tuple(HorizontalBaseUnit(312), HorizontalBaseUnit(286)), std::tuple(6, 6));
  EXPECT_EQ(std::tuple(DialogUnitsToPixels(305, 6, 4), DialogUnitsToPixels(16, 13, 8), DialogUnitsToPixels(15, 13, 8),
                       DialogUnitsToPixels(15, 6, 0)),
            std::tuple(458, 26, 24, 0));
}

// An extended template as the resource compiler lays it out: a font, then two items on
// four-byte boundaries, the second with an ordinal class and two bytes of creation data.
std::vector<uint8_t> TwoItemTemplate() {
  std::vector<uint8_t> b;
  auto word = [&](uint16_t w) { b.push_back(static_cast<uint8_t>(w)), b.push_back(static_cast<uint8_t>(w >> 8)); };
  auto dword = [&](uint32_t d) { word(static_cast<uint16_t>(d)), word(static_cast<uint16_t>(d >> 16)); };
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
  for (const auto& [item, want] : {std::pair{layout->items[0], std::vector<int>{261, 2, 0, 15, 15}},
                                   std::pair{layout->items[1], std::vector<int>{263, 181, 3, 28, 8}}})
    EXPECT_EQ(std::vector<int>({static_cast<int>(item.id), item.x, item.y, item.cx, item.cy}), want);
  for (size_t cut : {size_t{0}, size_t{3}, size_t{30}, bytes.size() - 1})
    EXPECT_FALSE(ReadDialogTemplate(std::span(bytes).first(cut))) << "cut at " << cut;
  std::vector<uint8_t> classic = bytes;
  classic[2] = 0;  // no extended signature
  EXPECT_FALSE(ReadDialogTemplate(classic));
}

}  // namespace
}  // namespace zm::ui
