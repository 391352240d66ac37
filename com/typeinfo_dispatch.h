// IDispatch through the type library embedded in our own module: the type
// information is loaded once and ITypeInfo does the argument work.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com/com_ptr.h"

namespace zm::com {

// Loads (once) the module's type library and returns the type information of `iid`.
HRESULT GetModuleTypeInfo(HINSTANCE module, REFGUID iid, ITypeInfo** out);

// Loads the module's embedded type library.
HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** out);

// The four IDispatch methods for an object whose dual interface `iid` is `self`.
HRESULT DispatchGetTypeInfo(HINSTANCE module, REFGUID iid, UINT index, ITypeInfo** out);
HRESULT DispatchGetIDsOfNames(HINSTANCE module, REFGUID iid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT DispatchInvoke(HINSTANCE module, REFGUID iid, void* self, DISPID id, REFIID riid, WORD flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError);

// Releases the cached type information (module detach).
void ReleaseModuleTypeInfo();

}  // namespace zm::com
