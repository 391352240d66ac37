// The context menu of the control window: loaded with the window and destroyed with it, shown
// only while a session runs, planned afresh at every opening from the session and the
// settings, and tracked at the pointer.
#include <windowsx.h>

#include "control/module.h"
#include "control/player.h"
#include "ui/context_menu_plan.h"
#include "ui/ui_resources.h"

namespace zm::control {
namespace {

constexpr UINT kSizePosition = 3;
constexpr UINT kAspectPosition = 5;
constexpr UINT kFlowBarPosition = 12;
constexpr UINT kPercentPosition = 3;  // inside the Size submenu

void Enable(HMENU menu, UINT item, UINT by, bool enabled) {
  EnableMenuItem(menu, item, by | (enabled ? MF_ENABLED : MF_GRAYED));
}

// Replaces an item's text and nothing else: its checked and grayed states stay.
void SetText(HMENU menu, UINT item, BOOL byPosition, const std::wstring& text) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  SetMenuItemInfoW(menu, item, byPosition, &info);
}

}  // namespace

void CZMediaPlayer::LoadContextMenu() {
  DestroyContextMenu();
  m_hContextMenu = LoadMenuW(Module().Instance(), MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
}

void CZMediaPlayer::DestroyContextMenu() {
  if (m_hContextMenu) DestroyMenu(m_hContextMenu);
  m_hContextMenu = nullptr;
}

void CZMediaPlayer::ShowContextMenu(LPARAM lParam) {
  // Between sessions a right click shows nothing.
  if (!m_settings.m_bContextMenu || !m_hContextMenu || m_session.m_nState == Idle) return;
  HMENU popup = GetSubMenu(m_hContextMenu, 0);
  HMENU size = GetSubMenu(popup, kSizePosition);
  HMENU aspect = GetSubMenu(popup, kAspectPosition);
  if (!popup || !size || !aspect) return;

  ui::ContextMenuInputs in;
  in.state = m_session.m_nState;
  in.streamKind = m_session.m_nStreamKind;
  in.buffering = m_session.m_bBuffering;
  in.seeking = m_session.m_bSeeking;
  in.broadcastEnded = m_session.m_bTimeShiftAtEnd;
  in.audioOnly = m_session.m_bAudioOnly;
  in.sizeInMenu = m_settings.m_bSizeInContextMenu;
  in.userFullScreen = m_settings.m_bUserFullScreen;
  in.flowControlInMenu = m_settings.m_bFlowControlInMenu;
  in.flowBarShown = m_settings.m_bFlowBarShown;
  in.snapshotAllowed = m_session.m_bSnapshotAllowed;
  in.aspectRatio = m_settings.m_nAspectRatio;
  in.sizeMark = m_nSizeMark;
  in.viewHeight = m_nViewHeight;
  in.videoHeight = m_session.m_nVideoHeight;
  in.fullScreen = ShowsPicture() && RendererIsFullScreen();
  const ui::ContextMenuPlan plan = ui::PlanContextMenu(in);

  Enable(popup, IDM_PLAYPAUSE, MF_BYCOMMAND, plan.playPauseEnabled);
  if (plan.playPauseText) SetText(popup, IDM_PLAYPAUSE, FALSE, *plan.playPauseText);
  Enable(popup, IDM_STOP, MF_BYCOMMAND, plan.stopEnabled);
  Enable(popup, kSizePosition, MF_BYPOSITION, plan.sizeEnabled);
  for (UINT id : {IDM_SIZE_HALF, IDM_SIZE_ORIGINAL, IDM_SIZE_DOUBLE}) Enable(size, id, MF_BYCOMMAND, true);
  Enable(size, IDM_FULLSCREEN, MF_BYCOMMAND, plan.fullScreenItemEnabled);
  if (plan.percentItem)
    InsertMenuW(size, kPercentPosition, MF_BYPOSITION | MF_STRING | MF_GRAYED, IDM_SIZE_PERCENT,
                plan.percentItem->c_str());
  if (plan.sizeChecked >= 0) {
    CheckMenuRadioItem(size, 0, GetMenuItemCount(size) - 1, plan.sizeChecked, MF_BYPOSITION);
    Enable(size, plan.sizeChecked, MF_BYPOSITION, false);
  }
  Enable(popup, kAspectPosition, MF_BYPOSITION, plan.aspectEnabled);
  if (plan.aspectChecked >= 0)
    CheckMenuRadioItem(aspect, 0, GetMenuItemCount(aspect) - 1, plan.aspectChecked, MF_BYPOSITION);
  Enable(popup, IDM_PROPERTIES, MF_BYCOMMAND, plan.propertiesEnabled);
  Enable(popup, IDM_VIDEO_SETTINGS, MF_BYCOMMAND, plan.videoSettingsEnabled);
  Enable(popup, IDM_SNAPSHOT, MF_BYCOMMAND, plan.snapshotEnabled);
  SetText(popup, kFlowBarPosition, TRUE, plan.flowBarText);
  Enable(popup, kFlowBarPosition, MF_BYPOSITION, plan.flowBarEnabled);

  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (in.fullScreen) {
    // Full screen draws on the monitor: the point counts from its corner.
    ScreenToClient(m_hWnd, &at);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
      at.x += monitor.rcMonitor.left;
      at.y += monitor.rcMonitor.top;
    }
  }
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
  // By its id: the session may have moved on while the menu was open.
  if (plan.percentItem) RemoveMenu(size, IDM_SIZE_PERCENT, MF_BYCOMMAND);
}

}  // namespace zm::control
