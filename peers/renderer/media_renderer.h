// CMediaRenderer: the MediaRenderer class. It pulls frames from the control's media buffer
// (IMediaFlop) on one thread per present stream, paces them by their presentation times
// against its clock, draws the pictures (CVideoOutput) and plays the sound (CAudioOutput).
// Every IMediaRenderer and IMediaRendererSource call comes on the control's window thread;
// the pullers call only the flop; IRendererCounters may be asked from any thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "com/critical_section.h"
#include "com/unique_handle.h"
#include "peers/renderer/audio_output.h"
#include "peers/renderer/puller_wake.h"
#include "peers/renderer/renderer_clock.h"
#include "peers/renderer/renderer_counters.h"
#include "peers/renderer/video_decoder.h"
#include "peers/renderer/video_output.h"
#include "session/renderer_interfaces.h"

namespace zm::renderer {

using session::IMediaFlop;
using session::IMediaRenderer;
using session::IMediaRendererSource;

class CMediaRenderer final : public IMediaRenderer, public IMediaRendererSource, public IRendererCounters {
 public:
  static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** out);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IMediaRenderer
  STDMETHODIMP Initialize() override;
  STDMETHODIMP AttachWindow(HWND window) override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP Stop() override;
  STDMETHODIMP SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) override;
  STDMETHODIMP Run() override;
  STDMETHODIMP Shutdown() override;
  STDMETHODIMP SetContrast(int32_t value) override;
  STDMETHODIMP SetBrightness(int32_t value) override;
  STDMETHODIMP SetVolume(int32_t value) override;
  STDMETHODIMP TakeSnapshot(BSTR path) override;
  STDMETHODIMP IsFullScreen(BOOL* fullScreen) override;
  // IMediaRendererSource
  STDMETHODIMP SetMediaFlop(IMediaFlop* flop) override;
  // IRendererCounters
  STDMETHODIMP GetCounts(RendererCounts* counts) override;
  STDMETHODIMP GetLastSnapshotPath(BSTR* path) override;

 private:
  // A frame the flop handed out, with its payload; both go back to the task allocator.
  struct FrameFree {
    void operator()(MediaFrame* frame) const {
      CoTaskMemFree(frame->data);
      CoTaskMemFree(frame);
    }
  };
  using FramePtr = std::unique_ptr<MediaFrame, FrameFree>;

  CMediaRenderer();
  ~CMediaRenderer();
  size_t ledgerIndex_ = 0;
  bool countOnly_ = false;  // ZMRENDERER_COUNT_ONLY set: pace and count only

  static DWORD WINAPI VideoThread(void* self);
  static DWORD WINAPI AudioThread(void* self);
  void PullVideo();
  void PullAudio();
  // The next frame of the stream, waiting while the flop has none; null once stopping.
  FramePtr PullFrame(DWORD stream);
  // Waits until the clock reaches `time` - `lead`; false once stopping.
  bool WaitUntilDue(int64_t time, int64_t lead);
  void RecordDrawn(int64_t time);
  // Read for every frame: a flag, where a look at the event would be a trip through the system.
  bool Stopping() const { return stopping_.load(); }
  HRESULT StartPullers();
  void StopPullers();

  volatile LONG refs_ = 1;

  // The control's window thread writes these; the pullers only read them while they run.
  IMediaFlop* flop_ = nullptr;  // not reference counted: the session's media buffer
  bool initialised_ = false;
  std::optional<VideoFormat> video_;
  std::unique_ptr<CAudioOutput> audio_;
  int32_t volume_ = 0;
  std::wstring lastSnapshot_;

  com::UniqueHandle stopEvent_;        // manual reset: set while the pullers are told to leave
  std::atomic<bool> stopping_{false};  // the same, for Stopping
  PullerWake wake_;                    // the pullers' sleeps: a stop or a clock change ends them
  com::UniqueHandle videoThread_;
  com::UniqueHandle audioThread_;
  RendererClock clock_;
  CVideoOutput output_;

  // Written by the pullers, read by anyone.
  std::atomic<uint64_t> framesDrawn_{0};
  std::atomic<uint64_t> framesDropped_{0};
  std::atomic<uint64_t> audioFramesPlayed_{0};
  std::atomic<int64_t> lastDrawnTime_{-1};
  std::atomic<uint32_t> snapshots_{0};
  std::atomic<bool> drawnInOrder_{true};
  int64_t orderMark_ = -1;  // video puller only: the last drawn time since the last Stop
};

}  // namespace zm::renderer
