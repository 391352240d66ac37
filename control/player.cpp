// CZMediaPlayer: construction, identity (IUnknown with aggregation, the interface
// table), IDispatch, error info, class info, safety options and connection points.
#include "control/player.h"

#include <new>
#include <vector>

#include "com/hresult.h"
#include "com/typeinfo_dispatch.h"
#include "com/unique_handle.h"
#include "control/module.h"

namespace zm::control {
namespace {

// Integrity levels below medium run hosts in a low-rights sandbox; snapshots are not
// offered there.
bool ComputeNormalIntegrity() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version) || version.dwMajorVersion < 6) return true;
#pragma GCC diagnostic pop
  com::UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return true;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
  if (size < sizeof(TOKEN_MANDATORY_LABEL)) return true;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size)) return true;
  PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  if (!IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0) return true;
  DWORD level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
  return level >= 0x2000;  // SECURITY_MANDATORY_MEDIUM_RID
}

}  // namespace

CZMediaPlayer::CZMediaPlayer(IUnknown* outer)
    : m_inner(this),
      m_pOuter(outer ? outer : &m_inner),
      m_dwApartmentThread(GetCurrentThreadId()),
      m_cpEvents(this, DIID__IZMediaPlayerEvents),
      m_cpPropertyNotify(this, IID_IPropertyNotifySink),
      m_dlgPassword(Module().Instance()) {
  m_sizeExtent.cx = 2540 * 4;  // a 4 x 3 inch default, as HIMETRIC
  m_sizeExtent.cy = 2540 * 3;
  Module().Lock();
}

CZMediaPlayer::~CZMediaPlayer() {
  // A host that releases the control without deactivating it still gets its window back.
  m_bInPlaceActive = m_bUIActive = false;
  DestroyControlWindow();
  m_cpEvents.UnadviseAll();
  m_cpPropertyNotify.UnadviseAll();
  Module().Unlock();
}

HRESULT CZMediaPlayer::FinalConstruct() {
  m_settings.m_bNormalIntegrity = ComputeNormalIntegrity();
  std::wstring folder = Module().ModuleFolder();
  m_hMessageModule.reset(LoadLibraryExW((folder + L"CustomMessages.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  LoadLogo(folder + L"zavren.jpg");
  return S_OK;
}

HRESULT CZMediaPlayer::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  auto* player = new (std::nothrow) CZMediaPlayer(outer);
  if (!player) return E_OUTOFMEMORY;
  // The creation reference, held by the inner unknown: a failure below destroys the object.
  com::ComPtr<IUnknown> creation;
  creation.attach(&player->m_inner);
  ZM_RETURN_IF_FAILED(player->FinalConstruct());
  return creation->QueryInterface(riid, out);
}

CZMediaPlayer* CZMediaPlayer::impl_from_InnerUnknown(InnerUnknown* inner) { return inner->owner; }

STDMETHODIMP CZMediaPlayer::InnerUnknown::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown) {
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  return impl_from_InnerUnknown(this)->InternalQueryInterface(riid, out);
}

STDMETHODIMP_(ULONG) CZMediaPlayer::InnerUnknown::AddRef() {
  return InterlockedIncrement(&impl_from_InnerUnknown(this)->m_cRef);
}

STDMETHODIMP_(ULONG) CZMediaPlayer::InnerUnknown::Release() {
  CZMediaPlayer* player = impl_from_InnerUnknown(this);
  LONG n = InterlockedDecrement(&player->m_cRef);
  if (n == 0) {
    player->m_cRef = 1;  // guards against re-entry while tearing down
    delete player;
  }
  return n;
}

HRESULT CZMediaPlayer::InternalQueryInterface(REFIID riid, void** out) {
  // The order in which the interfaces are looked for.
  void* found = nullptr;
  if (riid == IID_IZMediaPlayer) found = static_cast<IZMediaPlayer*>(this);
  else if (riid == IID_IDispatch) found = static_cast<IZMediaPlayer*>(this);
  else if (riid == IID_IObjectSafety) found = static_cast<IObjectSafety*>(this);
  else if (riid == IID_IViewObjectEx) found = static_cast<IViewObjectEx*>(this);
  else if (riid == IID_IViewObject2) found = static_cast<IViewObject2*>(static_cast<IViewObjectEx*>(this));
  else if (riid == IID_IViewObject) found = static_cast<IViewObject*>(static_cast<IViewObjectEx*>(this));
  else if (riid == IID_IOleInPlaceObjectWindowless) found = static_cast<IOleInPlaceObjectWindowless*>(this);
  else if (riid == IID_IOleInPlaceObject)
    found = static_cast<IOleInPlaceObject*>(static_cast<IOleInPlaceObjectWindowless*>(this));
  else if (riid == IID_IOleWindow) found = static_cast<IOleWindow*>(static_cast<IOleInPlaceObjectWindowless*>(this));
  else if (riid == IID_IOleInPlaceActiveObject) found = static_cast<IOleInPlaceActiveObject*>(this);
  else if (riid == IID_IOleControl) found = static_cast<IOleControl*>(this);
  else if (riid == IID_IOleObject) found = static_cast<IOleObject*>(this);
  else if (riid == IID_IPersistStreamInit) found = static_cast<IPersistStreamInit*>(this);
  else if (riid == IID_IPersist) found = static_cast<IPersist*>(static_cast<IPersistStreamInit*>(this));
  else if (riid == IID_ISupportErrorInfo) found = static_cast<ISupportErrorInfo*>(this);
  else if (riid == IID_IConnectionPointContainer) found = static_cast<IConnectionPointContainer*>(this);
  else if (riid == IID_ISpecifyPropertyPages) found = static_cast<ISpecifyPropertyPages*>(this);
  else if (riid == IID_IQuickActivate) found = static_cast<IQuickActivate*>(this);
  else if (riid == IID_IPersistStorage) found = static_cast<IPersistStorage*>(this);
  else if (riid == IID_IDataObject) found = static_cast<IDataObject*>(this);
  else if (riid == IID_IProvideClassInfo)
    found = static_cast<IProvideClassInfo*>(static_cast<IProvideClassInfo2*>(this));
  else if (riid == IID_IProvideClassInfo2) found = static_cast<IProvideClassInfo2*>(this);
  else if (riid == IID_IObjectWithSite) found = static_cast<IObjectWithSite*>(this);
  else if (riid == IID_IServiceProvider) found = static_cast<IServiceProvider*>(this);
  if (!found) return E_NOINTERFACE;
  *out = found;
  AddRef();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::QueryInterface(REFIID riid, void** out) { return m_pOuter->QueryInterface(riid, out); }

STDMETHODIMP_(ULONG) CZMediaPlayer::AddRef() { return m_pOuter->AddRef(); }

STDMETHODIMP_(ULONG) CZMediaPlayer::Release() { return m_pOuter->Release(); }

// IDispatch

STDMETHODIMP CZMediaPlayer::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  return com::DispatchGetTypeInfo(Module().Instance(), IID_IZMediaPlayer, index, info);
}

STDMETHODIMP CZMediaPlayer::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return com::DispatchGetIDsOfNames(Module().Instance(), IID_IZMediaPlayer, riid, names, count, ids);
}

STDMETHODIMP CZMediaPlayer::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) {
  return com::DispatchInvoke(Module().Instance(), IID_IZMediaPlayer, static_cast<IZMediaPlayer*>(this), id, riid, flags,
                             params, result, exception, argError);
}

// ISupportErrorInfo

STDMETHODIMP CZMediaPlayer::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID_IZMediaPlayer ? S_OK : S_FALSE;
}

HRESULT CZMediaPlayer::SetComError(HRESULT hr, const wchar_t* text) {
  com::ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.put()))) {
    create->SetGUID(IID_IZMediaPlayer);
    create->SetSource(const_cast<LPOLESTR>(L"Zavren.MediaPlayer.1"));
    create->SetDescription(const_cast<LPOLESTR>(text));
    com::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.query(&info))) SetErrorInfo(0, info.get());
  }
  return hr;
}

// IProvideClassInfo, IProvideClassInfo2

STDMETHODIMP CZMediaPlayer::GetClassInfo(ITypeInfo** info) {
  return com::GetModuleTypeInfo(Module().Instance(), CLSID_ZMediaPlayer, info);
}

STDMETHODIMP CZMediaPlayer::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID__IZMediaPlayerEvents;
  return S_OK;
}

// IObjectSafety

STDMETHODIMP CZMediaPlayer::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = *enabled = 0;
  com::ComPtr<IUnknown> probe;
  if (FAILED(QueryInterface(riid, probe.put_void()))) return E_NOINTERFACE;
  *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  *enabled = m_dwSafetyEnabled;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  com::ComPtr<IUnknown> probe;
  if (FAILED(QueryInterface(riid, probe.put_void()))) return E_NOINTERFACE;
  constexpr DWORD supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  if (mask & ~supported) return E_FAIL;
  m_dwSafetyEnabled = (m_dwSafetyEnabled & ~mask) | (enabled & mask);
  return S_OK;
}

// IConnectionPointContainer

STDMETHODIMP CZMediaPlayer::EnumConnectionPoints(IEnumConnectionPoints** points) {
  return com::CreateConnectionPointEnum({&m_cpEvents, &m_cpPropertyNotify}, points);
}

STDMETHODIMP CZMediaPlayer::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (riid == DIID__IZMediaPlayerEvents) *point = &m_cpEvents;
  else if (riid == IID_IPropertyNotifySink) *point = &m_cpPropertyNotify;
  else return CONNECT_E_NOCONNECTION;
  (*point)->AddRef();
  return S_OK;
}

}  // namespace zm::control
