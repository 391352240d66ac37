#include "ui/flow_ctrl.h"

#include "ui/ui_resources.h"

namespace zm::ui {

bool CZFlowCtrl::Create(HINSTANCE instance, HWND controlWindow) {
  return CreateModeless(instance, IDD_FLOWBAR, controlWindow) != nullptr;
}

int CZFlowCtrl::ClientHeight() const {
  RECT client{};
  if (!m_hWnd || !GetClientRect(m_hWnd, &client)) return 0;
  return client.bottom - client.top;
}

bool CZFlowCtrl::ProcessDialogMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_INITDIALOG) {
    result = FALSE;  // the bar does not take the focus from the control when it appears
    return true;
  }
  return false;
}

}  // namespace zm::ui
