// IPersistStreamInit and IPersistStorage of CZMediaPlayer. Only the extent is
// persisted ("_cx" and "_cy", each VT_UI4): settings come from the host after loading.
#include "control/player.h"

namespace zm::control {
namespace {

constexpr DWORD kStreamVersion = 0x0100;
constexpr wchar_t kContentsStream[] = L"Contents";
// Version, then each property as its VARTYPE and a 32-bit value.
constexpr ULONG kStreamSize = sizeof(DWORD) + 2 * (sizeof(VARTYPE) + sizeof(ULONG));

HRESULT WriteAll(IStream* stream, const void* data, ULONG size) {
  ULONG written = 0;
  HRESULT hr = stream->Write(data, size, &written);
  if (FAILED(hr)) return hr;
  return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadAll(IStream* stream, void* data, ULONG size) {
  ULONG read = 0;
  HRESULT hr = stream->Read(data, size, &read);
  if (FAILED(hr)) return hr;
  return read == size ? S_OK : STG_E_READFAULT;
}

HRESULT WriteUi4(IStream* stream, ULONG value) {
  VARTYPE type = VT_UI4;
  HRESULT hr = WriteAll(stream, &type, sizeof type);
  return SUCCEEDED(hr) ? WriteAll(stream, &value, sizeof value) : hr;
}

HRESULT ReadExtentPart(IStream* stream, LONG* out) {
  VARTYPE type = VT_EMPTY;
  ULONG value = 0;
  HRESULT hr = ReadAll(stream, &type, sizeof type);
  if (SUCCEEDED(hr)) hr = ReadAll(stream, &value, sizeof value);
  if (FAILED(hr)) return hr;
  // An extent is a non-negative HIMETRIC size; anything else is a damaged stream.
  if (type != VT_UI4 || value > 0x7FFFFFFFu) return STG_E_INVALIDHEADER;
  *out = static_cast<LONG>(value);
  return S_OK;
}

}  // namespace

STDMETHODIMP CZMediaPlayer::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_ZMediaPlayer;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::IsDirty() { return m_bDirty ? S_OK : S_FALSE; }

STDMETHODIMP CZMediaPlayer::InitNew() {
  m_bPersistInitialised = true;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  DWORD version = 0;
  HRESULT hr = ReadAll(stream, &version, sizeof version);
  if (FAILED(hr)) return hr;
  if (version != kStreamVersion) return STG_E_OLDFORMAT;
  SIZEL extent;
  hr = ReadExtentPart(stream, &extent.cx);
  if (SUCCEEDED(hr)) hr = ReadExtentPart(stream, &extent.cy);
  if (FAILED(hr)) return hr;
  m_sizeExtent = extent;
  m_bDirty = false;
  m_bPersistInitialised = true;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  DWORD version = kStreamVersion;
  HRESULT hr = WriteAll(stream, &version, sizeof version);
  if (SUCCEEDED(hr)) hr = WriteUi4(stream, static_cast<ULONG>(m_sizeExtent.cx));
  if (SUCCEEDED(hr)) hr = WriteUi4(stream, static_cast<ULONG>(m_sizeExtent.cy));
  if (SUCCEEDED(hr) && clearDirty) m_bDirty = false;
  return hr;
}

STDMETHODIMP CZMediaPlayer::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = kStreamSize;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::InitNew(IStorage* storage) {
  if (!storage) return E_POINTER;
  return InitNew();
}

STDMETHODIMP CZMediaPlayer::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  com::ComPtr<IStream> stream;
  HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
  if (FAILED(hr)) return hr;
  return Load(stream.get());
}

STDMETHODIMP CZMediaPlayer::Save(IStorage* storage, BOOL) {
  if (!storage) return E_POINTER;
  com::ComPtr<IStream> stream;
  HRESULT hr = storage->CreateStream(kContentsStream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
                                     stream.put());
  if (FAILED(hr)) return hr;
  return Save(stream.get(), TRUE);
}

STDMETHODIMP CZMediaPlayer::SaveCompleted(IStorage*) { return S_OK; }

STDMETHODIMP CZMediaPlayer::HandsOffStorage() { return S_OK; }

}  // namespace zm::control
