// CZFlowCtrl: the flow bar, a modeless child dialog (template 104) docked along the bottom
// of the control window. For now it only exists, is placed and has its height. Window's thread.
#pragma once

#include <windows.h>

#include "com/dialog_impl.h"

namespace zm::ui {

class CZFlowCtrl : public com::DialogImpl<CZFlowCtrl> {
 public:
  // Creates the bar as a child of the control window; false when the dialog cannot be made.
  bool Create(HINSTANCE instance, HWND controlWindow);
  void Destroy() { DestroyModeless(); }
  // The bar's client height in pixels (0 without a window).
  int ClientHeight() const;
  // The bar lays out its own controls for its new width.
  void LayOutControls() {}
  // Display events of the session: 0 playing, 1 paused, 2 stopped, 3 rebuffering, 4 seeking,
  // 5 stopped with a restart following. The bar's buttons and time display take them.
  void OnFlowEvent(int) {}

  bool ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

}  // namespace zm::ui
