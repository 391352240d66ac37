// The context menu's plan for the situations a user meets: what is offered, marked and named.
#include "ui/context_menu_plan.h"

#include <gtest/gtest.h>

#include "protocol/player_enums.h"

namespace zm::ui {
namespace {

ContextMenuInputs Playing(int32_t streamKind = 0) {
  ContextMenuInputs in;
  in.state = protocol::Playing;
  in.streamKind = streamKind;
  in.videoHeight = 480;
  in.viewHeight = 480;
  return in;
}

// A paused file's enabled "&Play", a live stream's grayed item and no snapshot while paused are
// read off the real menu by the Wine playback tests (APausedFileResumes..., ALiveAliasPlays...).
TEST(ContextMenuPlanTest, PlayPauseFollowsTheStateAndTheKindOfStream) {
  ContextMenuInputs in = Playing();
  EXPECT_EQ(PlanContextMenu(in).playPauseText, L"&Pause");
  in.state = protocol::Paused;
  // Paused for buffering, by a running seek or at the broadcast's end, the toggle would not act:
  // grayed, text as it was.
  for (bool ContextMenuInputs::*flag :
       {&ContextMenuInputs::buffering, &ContextMenuInputs::seeking, &ContextMenuInputs::broadcastEnded}) {
    ContextMenuInputs paused = in;
    paused.*flag = true;
    EXPECT_FALSE(PlanContextMenu(paused).playPauseEnabled);
    EXPECT_FALSE(PlanContextMenu(paused).playPauseText);
  }
  in = Playing(1);  // live
  EXPECT_FALSE(PlanContextMenu(in).playPauseText);
  in.state = protocol::Connecting;
  EXPECT_TRUE(PlanContextMenu(in).stopEnabled);
  EXPECT_FALSE(PlanContextMenu(in).sizeEnabled);
}

// The marks of the three sizes and of full screen, the grayed aspect in full screen and an
// audio-only stream's grayed picture items are proven on the real menu by the Wine playback
// tests (EachContextMenuCommandActs..., AnAudioOnlyStreamOffersNoPictureCommands...).
TEST(ContextMenuPlanTest, AnOtherSizeGetsItsPercentageAndFullScreenGraysThePictureDialogs) {
  ContextMenuInputs in = Playing();
  in.sizeMark = 3;
  in.viewHeight = 360;  // of a native 480
  EXPECT_EQ(PlanContextMenu(in).percentItem, L"75%");
  in.fullScreen = true;
  EXPECT_EQ(PlanContextMenu(in).sizeChecked, 4) << "full screen, below the inserted item";
  in.sizeMark = 1;
  const ContextMenuPlan full = PlanContextMenu(in);
  EXPECT_FALSE(full.propertiesEnabled || full.videoSettingsEnabled);
  in.videoHeight = 0;  // no picture height known: no division by it
  in.sizeMark = 3;
  EXPECT_EQ(PlanContextMenu(in).percentItem, L"0%");
  in = Playing();
  in.sizeMark = 2;
  EXPECT_FALSE(PlanContextMenu(in).percentItem);
}

TEST(ContextMenuPlanTest, SettingsGrayWhatTheyRuleOut) {
  ContextMenuInputs in = Playing();
  in.snapshotAllowed = true;
  in.flowBarShown = true;
  in.flowControlInMenu = false;
  in.userFullScreen = false;
  const ContextMenuPlan plan = PlanContextMenu(in);
  EXPECT_TRUE(plan.snapshotEnabled);
  EXPECT_FALSE(plan.flowBarEnabled || plan.fullScreenItemEnabled);
}

}  // namespace
}  // namespace zm::ui
