// CEmbeddedControl: one control embedded in a host window the way an OLE container does it:
// created by ProgID, sited, in-place activated, resized, deactivated and closed, with an
// event sink connected. Host window's thread (an OLE apartment).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "com/com_ptr.h"
#include "peers/host/container_site.h"

namespace zm::host {

class CEmbeddedControl {
 public:
  CEmbeddedControl() = default;
  CEmbeddedControl(const CEmbeddedControl&) = delete;
  CEmbeddedControl& operator=(const CEmbeddedControl&) = delete;
  ~CEmbeddedControl() { Destroy(); }

  // Creates the control and sites it in `window` (not yet active). `sink`, when given, is
  // connected to the control's default source interface.
  HRESULT Create(const wchar_t* progId, HWND window, IDispatch* sink = nullptr);
  // In-place activates the control (OLEIVERB_INPLACEACTIVATE or another verb) in the site's position.
  HRESULT Activate(LONG verb = OLEIVERB_INPLACEACTIVATE);
  // Places the control at `position` in the window's client area and tells it its extent.
  HRESULT Resize(const RECT& position);
  HRESULT Deactivate();
  // Disconnects, closes and releases the control.
  void Destroy();

  IUnknown* Control() const { return m_spObject.get(); }
  template <class I>
  com::ComPtr<I> Query() const {
    com::ComPtr<I> out;
    if (m_spObject) m_spObject.query(&out);
    return out;
  }
  HWND ControlWindow() const;
  CContainerSite* Site() const { return m_pSite; }

 private:
  HWND m_hWindow = nullptr;
  CContainerSite* m_pSite = nullptr;  // owned: one reference
  com::ComPtr<IOleObject> m_spObject;
  com::ComPtr<IConnectionPoint> m_spEvents;
  DWORD m_dwEventCookie = 0;
};

}  // namespace zm::host
