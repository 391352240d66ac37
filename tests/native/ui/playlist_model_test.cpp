// What the playlist dialog shows after each reply, and the steps its buttons ask for.
#include "ui/playlist_model.h"

#include <gtest/gtest.h>

namespace zm::ui {
namespace {

const std::wstring kTwoFiles = L"<file>Alpha.zmf</file><file>Beta.zmf</file>";
const std::wstring kAlphabetical = L"<xml><playlist type=\"alphabetical\">" + kTwoFiles + L"</playlist>";
const std::wstring kRandom = L"<xml><playlist type=\"random\">" + kTwoFiles + L"</playlist>";

TEST(PlayListModelTest, AlphabeticalListSelectsByIndexAndEnablesPreviousOnTheNextReply) {
  PlayListModel m;
  EXPECT_TRUE(m.Load(kAlphabetical, L"Beta.zmf", L"C:\\lists\\demo", 1));
  EXPECT_EQ(m.listLine(), L"playlist: C:\\lists\\demo");
  EXPECT_EQ(m.modeLine(), L"mode: alphabetical");
  EXPECT_EQ(m.currentLine(), L"Beta.zmf");
  EXPECT_EQ(m.items(), (std::vector<std::wstring>{L"Alpha.zmf", L"Beta.zmf"}));
  EXPECT_EQ(m.selected(), 1);
  EXPECT_FALSE(m.enabled(kPlayListPrevious));
  EXPECT_TRUE(m.enabled(kPlayListNext) && m.enabled(kPlayListFromSelected) && m.enabled(kPlayListSelectedAlone));

  // The index runs on past the list (and below it after Previous): it wraps, never selects all.
  for (auto [index, selected] : {std::pair{2, 0}, {5, 1}, {-1, 1}, {0, 0}}) {
    EXPECT_TRUE(m.UpdateCurrent(L"next", index));
    EXPECT_EQ(m.selected(), selected) << index;
    EXPECT_EQ(m.enabled(kPlayListPrevious), index != 0) << index;
    EXPECT_EQ(m.current(), index);
  }
}

TEST(PlayListModelTest, RandomListSelectsByNameIgnoringCaseAndShowsItLowered) {
  PlayListModel m;
  EXPECT_TRUE(m.Load(kRandom, L"BETA.zmf", L"demo", 5));
  EXPECT_EQ(m.modeLine(), L"mode: random");
  EXPECT_EQ(m.currentLine(), L"beta.zmf");
  EXPECT_EQ(m.selected(), 1);
  EXPECT_EQ(m.current(), 1);
  EXPECT_TRUE(m.enabled(kPlayListPrevious));
  EXPECT_FALSE(m.enabled(kPlayListFromSelected));

  // A name that matches nothing only changes the line.
  EXPECT_FALSE(m.UpdateCurrent(L"Gone.zmf", 0));
  EXPECT_EQ(m.currentLine(), L"gone.zmf");
  EXPECT_EQ(m.selected(), 1);
  EXPECT_EQ(m.current(), 1);
}

TEST(PlayListModelTest, EmptyAndResetListsIgnoreLaterReplies) {
  PlayListModel m;
  EXPECT_FALSE(m.UpdateCurrent(L"x", 3));  // nothing loaded: nothing visible changes
  EXPECT_EQ(m.currentLine(), L"");
  EXPECT_FALSE(m.Load(L"<xml><playlist type=\"alphabetical\"></playlist>", L"x", L"demo", 4));
  EXPECT_TRUE(m.items().empty());
  EXPECT_EQ(m.selected(), -1);
  EXPECT_TRUE(m.enabled(kPlayListNext));

  m.Load(kAlphabetical, L"Alpha.zmf", L"demo", 0);
  m.Reset();
  EXPECT_FALSE(m.UpdateCurrent(L"Beta.zmf", 1));
  EXPECT_TRUE(m.items().empty() && m.listLine().empty() && m.content().empty());
  EXPECT_EQ(m.current(), -1);
  for (int b = 0; b < kPlayListButtons; ++b) EXPECT_FALSE(m.enabled(PlayListButton(b)));
}

TEST(PlayListModelTest, StepsStartFromIdleOrStopAndGoOnAfterTheIndex) {
  struct Case {
    int32_t from, offset;
    bool idle;
    int32_t index;
  } cases[] = {
      {3, +1, true, 4},
      {3, +1, false, 3},  // Next
      {3, -1, true, 2},
      {1, -1, false, -1},  // Previous
      {2, 0, true, 2},
      {2, 0, false, 1},  // from the selected entry
      {INT32_MAX, +1, true, INT32_MAX},
      {INT32_MIN, -1, false, INT32_MIN},
  };
  for (const Case& c : cases) {
    const PlayListStep step = PlanPlayListStep(c.from, c.offset, c.idle);
    EXPECT_EQ(step.index, c.index) << c.from << " " << c.offset;
    EXPECT_EQ(step.play, c.idle);
  }
}

}  // namespace
}  // namespace zm::ui
