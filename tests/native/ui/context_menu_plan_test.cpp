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

TEST(ContextMenuPlanTest, PlayPauseFollowsTheStateAndTheKindOfStream) {
  ContextMenuInputs in = Playing();
  EXPECT_EQ(PlanContextMenu(in).playPauseText, L"&Pause");
  in.state = protocol::Paused;
  EXPECT_EQ(PlanContextMenu(in).playPauseText, L"&Play");
  EXPECT_TRUE(PlanContextMenu(in).playPauseEnabled);
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
  EXPECT_FALSE(PlanContextMenu(in).playPauseEnabled);
  EXPECT_FALSE(PlanContextMenu(in).playPauseText);
  in.state = protocol::Connecting;
  EXPECT_TRUE(PlanContextMenu(in).stopEnabled);
  EXPECT_FALSE(PlanContextMenu(in).sizeEnabled);
}

TEST(ContextMenuPlanTest, SizesMarkTheCurrentOneAndAnOtherSizeGetsItsPercentage) {
  ContextMenuInputs in = Playing();
  in.sizeMark = 2;
  EXPECT_EQ(PlanContextMenu(in).sizeChecked, 2);
  EXPECT_FALSE(PlanContextMenu(in).percentItem);
  in.sizeMark = 3;
  in.viewHeight = 360;  // of a native 480
  EXPECT_EQ(PlanContextMenu(in).percentItem, L"75%");
  EXPECT_EQ(PlanContextMenu(in).sizeChecked, 3);
  in.fullScreen = true;
  EXPECT_EQ(PlanContextMenu(in).sizeChecked, 4) << "full screen, below the inserted item";
  in.sizeMark = 1;
  const ContextMenuPlan full = PlanContextMenu(in);
  EXPECT_EQ(full.sizeChecked, 3);
  EXPECT_FALSE(full.aspectEnabled);
  EXPECT_FALSE(full.propertiesEnabled);
  EXPECT_FALSE(full.videoSettingsEnabled);
  in.videoHeight = 0;  // no picture height known: no division by it
  in.sizeMark = 3;
  EXPECT_EQ(PlanContextMenu(in).percentItem, L"0%");
}

TEST(ContextMenuPlanTest, AudioOnlyAndSettingsGrayWhatTheyRuleOut) {
  ContextMenuInputs in = Playing();
  in.audioOnly = true;
  in.fullScreen = true;  // never asked without a picture
  const ContextMenuPlan audio = PlanContextMenu(in);
  EXPECT_FALSE(audio.sizeEnabled);
  EXPECT_FALSE(audio.aspectEnabled);
  EXPECT_FALSE(audio.videoSettingsEnabled);
  EXPECT_TRUE(audio.propertiesEnabled);
  EXPECT_EQ(audio.sizeChecked, -1);

  in = Playing();
  in.aspectRatio = 3;
  in.snapshotAllowed = true;
  in.flowBarShown = true;
  in.flowControlInMenu = false;
  in.userFullScreen = false;
  const ContextMenuPlan plan = PlanContextMenu(in);
  EXPECT_EQ(plan.aspectChecked, 3);
  EXPECT_TRUE(plan.snapshotEnabled);
  EXPECT_EQ(plan.flowBarText, L"Hide flow bar");
  EXPECT_FALSE(plan.flowBarEnabled);
  EXPECT_FALSE(plan.fullScreenItemEnabled);
  in.state = protocol::Paused;
  EXPECT_FALSE(PlanContextMenu(in).snapshotEnabled) << "no snapshot while paused";
}

}  // namespace
}  // namespace zm::ui
