// CVideoSettingsDlg: the brightness and contrast sliders (template 105), a tool window placed
// below the control. Every move of a slider, by drag, key or Reset, reaches the control.
// Closed (hidden) by the close box and Escape; Enter and the stop procedure destroy it.
// Window's thread only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "com/dialog_impl.h"

namespace zm::ui {

class VideoSettingsSite {
 public:
  // The values in force, which the sliders start from.
  virtual int32_t Brightness() = 0;
  virtual int32_t Contrast() = 0;
  virtual void AdjustBrightness(int32_t value) = 0;
  virtual void AdjustContrast(int32_t value) = 0;

 protected:
  ~VideoSettingsSite() = default;
};

class CVideoSettingsDlg : public com::DialogImpl<CVideoSettingsDlg> {
 public:
  ~CVideoSettingsDlg() { Destroy(); }
  // Creates the dialog when needed, then shows it with its top-left corner at the control
  // window's bottom-left corner.
  void Open(HINSTANCE instance, HWND controlWindow, VideoSettingsSite* site);
  void Destroy() { DestroyModeless(); }

  bool ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void OnScroll(HWND slider);
  void Reset();

  VideoSettingsSite* site_ = nullptr;
  int32_t brightness_ = 0;  // the positions last passed on
  int32_t contrast_ = 0;
};

}  // namespace zm::ui
