// CZMediaControlProperties: the session's statistics window (template 206). The header part is
// written once when it opens; the transmission figures are refreshed by its own one-second
// timer. Modeless, owned by the control window; closed by the user or the stop procedure.
// Window's thread only.
#pragma once

#include <windows.h>

#include "com/dialog_impl.h"
#include "ui/properties_view.h"

namespace zm::ui {

// What the dialog reads from the control each time it refreshes.
class PropertiesSite {
 public:
  virtual PropertiesHeader Header() = 0;
  virtual TransmissionInputs Transmission() = 0;

 protected:
  ~PropertiesSite() = default;
};

class CZMediaControlProperties : public com::DialogImpl<CZMediaControlProperties> {
 public:
  ~CZMediaControlProperties() { Close(); }
  // Makes the dialog when none exists; an open one is left as it is.
  void Open(HINSTANCE instance, HWND controlWindow, PropertiesSite* site);
  // Kills the timer, then destroys the window.
  void Close();

  bool ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void UpdateStatistics(bool first);
  void ShowHeader(const PropertiesHeader& h);

  static constexpr UINT_PTR kRefreshTimerId = 335;
  PropertiesSite* site_ = nullptr;
  TransmissionFigures figures_;
  UINT_PTR timer_ = 0;
};

}  // namespace zm::ui
