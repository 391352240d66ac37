// What the context menu offers at one opening: which items are enabled, which marks are set,
// which texts change. Decided afresh from the session and the settings each time the menu
// opens. Portable: the control window applies it to the loaded menu.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zm::ui {

struct ContextMenuInputs {
  int32_t state = 0;       // the session state
  int32_t streamKind = 0;  // 0 stored, 1 live
  bool buffering = false;
  bool seeking = false;
  bool broadcastEnded = false;
  bool audioOnly = false;
  bool sizeInMenu = true;
  bool userFullScreen = true;
  bool flowControlInMenu = true;
  bool flowBarShown = false;
  bool snapshotAllowed = false;
  int32_t aspectRatio = 0;
  int32_t sizeMark = 1;  // 0 50 %, 1 100 %, 2 200 %, 3 another size
  int32_t viewHeight = 0;
  int32_t videoHeight = 0;
  bool fullScreen = false;  // the renderer's answer, asked only while a picture shows
};

struct ContextMenuPlan {
  bool playPauseEnabled = false;              // only when the toggle would act
  std::optional<std::wstring> playPauseText;  // none: the text stays as the last opening left it
  bool stopEnabled = false;
  bool sizeEnabled = false;
  bool fullScreenItemEnabled = false;
  std::optional<std::wstring> percentItem;  // inserted at position 3 of the Size submenu
  int32_t sizeChecked = -1;                 // position radio-checked (and grayed) in the Size submenu
  bool aspectEnabled = false;
  int32_t aspectChecked = -1;
  bool propertiesEnabled = false;
  bool videoSettingsEnabled = false;
  bool snapshotEnabled = false;
  std::wstring flowBarText;
  bool flowBarEnabled = false;
};

ContextMenuPlan PlanContextMenu(const ContextMenuInputs& in);

}  // namespace zm::ui
