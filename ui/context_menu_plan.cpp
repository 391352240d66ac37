#include "ui/context_menu_plan.h"

#include "protocol/player_enums.h"

namespace zm::ui {

ContextMenuPlan PlanContextMenu(const ContextMenuInputs& in) {
  ContextMenuPlan plan;
  const bool active = in.state == protocol::Playing || in.state == protocol::Paused;
  const bool picture = active && !in.audioOnly;
  const bool fullScreen = picture && in.fullScreen;

  if (in.state == protocol::Playing && in.streamKind == 0) {
    plan.playPauseEnabled = true;
    plan.playPauseText = L"&Pause";
  } else if (in.state == protocol::Paused && !in.buffering && !in.seeking && !in.broadcastEnded && in.streamKind == 0) {
    plan.playPauseEnabled = true;
    plan.playPauseText = L"&Play";
  }
  plan.stopEnabled = in.state == protocol::Connecting || active;

  plan.sizeEnabled = picture && in.sizeInMenu;
  plan.fullScreenItemEnabled = in.userFullScreen;
  if (picture) {
    if (in.sizeMark == 3) {
      const int32_t percent = in.videoHeight > 0 ? in.viewHeight * 100 / in.videoHeight : 0;
      plan.percentItem = std::to_wstring(percent) + L"%";
      plan.sizeChecked = fullScreen ? 4 : 3;
    } else {
      plan.sizeChecked = fullScreen ? 3 : in.sizeMark;
    }
  }
  plan.aspectEnabled = picture && !fullScreen;
  if (plan.aspectEnabled) plan.aspectChecked = in.aspectRatio;
  plan.propertiesEnabled = active && !fullScreen;
  plan.videoSettingsEnabled = picture && !fullScreen;
  plan.snapshotEnabled = in.snapshotAllowed && in.state == protocol::Playing;
  plan.flowBarText = in.flowBarShown ? L"Hide flow bar" : L"Show flow bar";
  plan.flowBarEnabled = in.flowControlInMenu;
  return plan;
}

}  // namespace zm::ui
