// IPersistStreamInit and IPersistStorage of CZMediaPlayer. Only the extent is
// persisted ("_cx" and "_cy", each VT_UI4 and written raw): settings come from the host
// after loading.
#include "control/player.h"

#include "com/hresult.h"

namespace zm::control {
namespace {

// The word the property map writes ahead of its entries is the template library's version, and
// builds of the control made with that library refuse a word above their own: a low word
// (0x0300, its version 3.0) is one that such builds load. Load here accepts any word, so forms
// saved by other builds load too.
constexpr DWORD kStreamVersion = 0x0300;
constexpr wchar_t kContentsStream[] = L"Contents";
// The version word, then "_cx" and "_cy" as raw 32-bit values.
constexpr ULONG kStreamSize = 3 * sizeof(DWORD);

HRESULT WriteAll(IStream* stream, const void* data, ULONG size) {
  ULONG written = 0;
  ZM_RETURN_IF_FAILED(stream->Write(data, size, &written));
  return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadAll(IStream* stream, void* data, ULONG size) {
  ULONG read = 0;
  ZM_RETURN_IF_FAILED(stream->Read(data, size, &read));
  return read == size ? S_OK : STG_E_READFAULT;
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
  DWORD words[3];  // version, _cx, _cy
  ZM_RETURN_IF_FAILED(ReadAll(stream, words, sizeof words));
  m_sizeExtent.cx = static_cast<LONG>(words[1]);
  m_sizeExtent.cy = static_cast<LONG>(words[2]);
  m_bDirty = false;
  m_bPersistInitialised = true;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  const DWORD words[3] = {kStreamVersion, static_cast<DWORD>(m_sizeExtent.cx), static_cast<DWORD>(m_sizeExtent.cy)};
  ZM_RETURN_IF_FAILED(WriteAll(stream, words, sizeof words));
  if (clearDirty) m_bDirty = false;
  return S_OK;
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
  ZM_RETURN_IF_FAILED(storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()));
  return Load(stream.get());
}

STDMETHODIMP CZMediaPlayer::Save(IStorage* storage, BOOL) {
  if (!storage) return E_POINTER;
  com::ComPtr<IStream> stream;
  ZM_RETURN_IF_FAILED(
      storage->CreateStream(kContentsStream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, stream.put()));
  return Save(stream.get(), TRUE);
}

STDMETHODIMP CZMediaPlayer::SaveCompleted(IStorage*) { return S_OK; }

STDMETHODIMP CZMediaPlayer::HandsOffStorage() { return S_OK; }

}  // namespace zm::control
