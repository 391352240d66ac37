// RendererBridge: the control's one reference to the external renderer and every call it makes on
// it, on the control window's thread. Creating it follows a fixed order (named mutex for video,
// the media buffer handed over, Initialize) and turns its refusals into the user's message;
// resynchronisation and the desktop lock stop and restart it around the media buffer.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "com/com_ptr.h"
#include "protocol/guid.h"
#include "session/media_buffer.h"
#include "session/renderer_interfaces.h"

namespace zm::session {

inline constexpr wchar_t kRendererMutexName[] = L"ZavrenMediaRenderClientGraphMutex";
inline constexpr DWORD kRendererMutexWaitMs = 5000;
inline constexpr wchar_t kTextReinstall[] = L"Failed to initialize. Please reinstall the player";
inline constexpr wchar_t kTextCodecInfo[] = L"\nCodec info: ";

// What the renderer is created for.
struct RendererStreams {
  bool video = false;
  bool audio = false;
  protocol::Guid videoSubtype;
  protocol::Guid audioSubtype;
};

class RendererBridge {
 public:
  using HResultTextFn = std::function<std::wstring(HRESULT)>;

  RendererBridge() = default;
  RendererBridge(const RendererBridge&) = delete;
  RendererBridge& operator=(const RendererBridge&) = delete;
  ~RendererBridge() { ShutDown(); }

  // Creates the renderer and hands it the media buffer. A negative result comes with the
  // message for the user in `errorText` (empty when the named mutex was not obtained, which
  // reports nothing beyond the result). `videoOnly` is set when the renderer has no audio
  // decoder but video plays on.
  HRESULT Create(IMediaFlop* flop, const RendererStreams& streams, const HResultTextFn& text, std::wstring& errorText,
                 bool& videoOnly);
  // Shutdown, then the last Release.
  void ShutDown();

  bool Exists() const { return static_cast<bool>(m_pRenderer); }
  bool Running() const { return m_bRendererRunning; }
  // A new session's renderer counts as running until the desktop check stops it.
  void SetRunning(bool running) { m_bRendererRunning = running; }
  IMediaRenderer* get() const { return m_pRenderer.get(); }

  HRESULT Attach(HWND window);
  // Run and Pause as the user's play and pause (and the rebuffering) ask for them.
  HRESULT Run();
  HRESULT Pause();
  HRESULT Stop();

  // WM_ZM_RESYNC on a running renderer: the readers are released, the buffered frames dropped
  // unless `keep` (then `pushEndMarkers` lets no reader wait), and the clock starts again.
  void Resync(MediaBuffer& buffer, bool keep, const std::function<void()>& pushEndMarkers);
  // The once-a-second desktop check: the renderer stops while the desktop is locked away and
  // runs again when it is back (unless `minimised`).
  void CheckDesktop(MediaBuffer& buffer, bool desktopReachable, bool playing, bool minimised);

 private:
  com::ComPtr<IMediaRenderer> m_pRenderer;
  std::atomic<bool> m_bRendererRunning{true};  // read by the media buffer on the renderer's threads
};

// False while the interactive desktop is locked away (GetInputDesktop, where user32 has it,
// gives no desktop). Any thread.
bool InputDesktopReachable();

}  // namespace zm::session
