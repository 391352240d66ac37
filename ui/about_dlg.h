// CAboutDlg: the modal about box (template 5139), centred on the control window, with the
// product's picture, its name and the module's version, in the box's own colours.
#pragma once

#include <windows.h>

#include "com/dialog_impl.h"

namespace zm::ui {

class CAboutDlg : public com::DialogImpl<CAboutDlg> {
 public:
  // `background` is the control's brush of the box's colour; the box only uses it.
  CAboutDlg(HWND controlWindow, HBRUSH background) : control_(controlWindow), background_(background) {}
  // Returns when the box is closed, with IDOK or IDCANCEL.
  INT_PTR DoModal(HINSTANCE instance, HWND parent);

  bool ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void OnInitDialog();

  HWND control_;
  HBRUSH background_;
  HINSTANCE instance_ = nullptr;
};

// The box's background and text colours.
inline constexpr COLORREF kAboutBackground = RGB(64, 32, 0);
inline constexpr COLORREF kAboutText = RGB(247, 255, 33);

}  // namespace zm::ui
