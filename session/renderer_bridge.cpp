#include "session/renderer_bridge.h"

#include "com/unique_handle.h"
#include "session/codec_names.h"

namespace zm::session {
namespace {

// The renderer's result for a stream it cannot decode, with the codec named.
std::wstring RefusalText(HRESULT hr, const RendererStreams& streams, const RendererBridge::HResultTextFn& text) {
  std::wstring message = text(hr);
  if (hr == kNoAudioDecoder) message += kTextCodecInfo + CodecDisplayName(streams.audioSubtype);
  if (hr == kNoVideoDecoder) message += kTextCodecInfo + CodecDisplayName(streams.videoSubtype);
  return message;
}

}  // namespace

HRESULT RendererBridge::Create(IMediaFlop* flop, const RendererStreams& streams, const HResultTextFn& text,
                               std::wstring& errorText, bool& videoOnly) {
  errorText.clear();
  ShutDown();
  HRESULT hr = CoCreateInstance(CLSID_MediaRenderer, nullptr, CLSCTX_ALL, IID_IMediaRenderer, m_pRenderer.put_void());
  if (FAILED(hr)) {
    m_pRenderer = nullptr;
    errorText = kTextReinstall;
    return hr;
  }

  // Two players on one desktop never set their video up at the same time.
  com::UniqueHandle mutex;
  if (streams.video) {
    mutex.reset(CreateMutexW(nullptr, FALSE, kRendererMutexName));
    const DWORD wait = mutex ? WaitForSingleObject(mutex.get(), kRendererMutexWaitMs) : WAIT_FAILED;
    // An abandoned mutex is still acquired: its last owner died holding it.
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return E_FAIL;
  }
  auto releaseMutex = [&] {
    if (mutex) ReleaseMutex(mutex.get());
    mutex.reset();
  };

  com::ComPtr<IMediaRendererSource> source;
  hr = m_pRenderer->QueryInterface(IID_IMediaRendererSource, source.put_void());
  if (SUCCEEDED(hr)) hr = source->SetMediaFlop(flop);
  if (SUCCEEDED(hr)) hr = m_pRenderer->Initialize();
  if (hr == kNoAudioDecoder && streams.video && streams.audio) {
    videoOnly = true;
    hr = S_OK;
  }
  releaseMutex();
  if (FAILED(hr)) errorText = RefusalText(hr, streams, text);
  return hr;
}

void RendererBridge::ShutDown() {
  if (!m_pRenderer) return;
  m_pRenderer->Shutdown();
  m_pRenderer = nullptr;
}

HRESULT RendererBridge::Attach(HWND window) { return m_pRenderer ? m_pRenderer->AttachWindow(window) : E_POINTER; }

HRESULT RendererBridge::Run() {
  if (!m_pRenderer) return E_POINTER;
  const HRESULT hr = m_pRenderer->Run();
  if (SUCCEEDED(hr)) m_bRendererRunning = true;
  return hr;
}

HRESULT RendererBridge::Pause() { return m_pRenderer ? m_pRenderer->Pause() : E_POINTER; }

HRESULT RendererBridge::Stop() { return m_pRenderer ? m_pRenderer->Stop() : E_POINTER; }

void RendererBridge::Resync(MediaBuffer& buffer, bool keep, const std::function<void()>& pushEndMarkers) {
  if (m_pRenderer && m_bRendererRunning) {
    buffer.Abort();
    if (!keep) {
      buffer.Flush();
      pushEndMarkers();
    }
    m_pRenderer->Stop();
    buffer.Resume();
  }
  if (!keep) buffer.Flush();
  buffer.ResetTimeBase();
  if (m_pRenderer && m_bRendererRunning) Run();
}

void RendererBridge::CheckDesktop(MediaBuffer& buffer, bool desktopReachable, bool playing, bool minimised) {
  if (!m_pRenderer) return;
  if (!desktopReachable && m_bRendererRunning) {
    buffer.Abort();
    if (SUCCEEDED(m_pRenderer->Stop())) m_bRendererRunning = false;
    buffer.Resume();
    buffer.ResetTimeBase();
  } else if (desktopReachable && playing && !m_bRendererRunning) {
    buffer.MarkDelivery();
    if (!minimised) Run();
  }
}

bool InputDesktopReachable() {
  using GetInputDesktopFn = HDESK(WINAPI*)();
  static const GetInputDesktopFn getInputDesktop = []() -> GetInputDesktopFn {
    // Wine exports GetInputDesktop as a stub that aborts the process when called.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return nullptr;
    return reinterpret_cast<GetInputDesktopFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetInputDesktop")));
  }();
  if (!getInputDesktop) return true;
  HDESK desktop = getInputDesktop();
  if (!desktop) return false;
  CloseDesktop(desktop);
  return true;
}

}  // namespace zm::session
