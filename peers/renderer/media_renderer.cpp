#include "peers/renderer/media_renderer.h"

#include <algorithm>
#include <new>

#include "com/hresult.h"
#include "peers/renderer/module.h"
#include "peers/renderer/renderer_ledger.h"
#include "peers/renderer/snapshot.h"

namespace zm::renderer {
namespace {

// A puller whose GetFrame failed tries again after this long: the buffer fails at once while
// it is aborted or has ended, so an immediate retry would spin.
constexpr DWORD kRetryMs = 10;
// Longest sleep of a puller waiting for its frame's time. A Pause, Run or Stop wakes it at once;
// this only bounds the wait while the clock stands still.
constexpr int64_t kLongestWaitMs = 250;
// A picture later than this behind the clock is not worth showing.
constexpr int64_t kLateLimit = 200 * 10'000;
// Sound goes to the device this far ahead of its time, to keep the device's queue filled.
constexpr int64_t kAudioLead = 300 * 10'000;

bool IsPresent(const AM_MEDIA_TYPE& type) { return type.majortype != GUID_NULL; }

}  // namespace

CMediaRenderer::CMediaRenderer()
    : stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), output_(Module().Instance()) {
  Module().Lock();
  ledgerIndex_ = EnrolRenderer(this);
  // For benchmarks that measure the control's own cost: frames are paced and counted, never
  // decoded, drawn or played.
  countOnly_ = GetEnvironmentVariableW(L"ZMRENDERER_COUNT_ONLY", nullptr, 0) > 0;
}

CMediaRenderer::~CMediaRenderer() {
  Shutdown();
  RendererCounts last{};
  GetCounts(&last);
  RetireRenderer(ledgerIndex_, last);
  Module().Unlock();
}

HRESULT CMediaRenderer::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* renderer = new (std::nothrow) CMediaRenderer();
  if (!renderer) return E_OUTOFMEMORY;
  if (!renderer->stopEvent_) {
    renderer->Release();
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = renderer->QueryInterface(riid, out);
  renderer->Release();  // the creation reference
  return hr;
}

STDMETHODIMP CMediaRenderer::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == session::IID_IMediaRenderer) *out = static_cast<IMediaRenderer*>(this);
  else if (riid == session::IID_IMediaRendererSource) *out = static_cast<IMediaRendererSource*>(this);
  else if (riid == IID_IRendererCounters) *out = static_cast<IRendererCounters*>(this);
  else return *out = nullptr, E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CMediaRenderer::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CMediaRenderer::Release() {
  const ULONG refs = InterlockedDecrement(&refs_);
  if (refs == 0) delete this;
  return refs;
}

STDMETHODIMP CMediaRenderer::Initialize() {
  if (!flop_) return E_UNEXPECTED;
  if (videoThread_ || audioThread_) return E_UNEXPECTED;
  AM_MEDIA_TYPE types[2] = {};
  session::MediaInfoBlock info{};
  const HRESULT hr = flop_->GetMediaInfo(0, types, &info);
  // The format blocks are ours whatever happens next.
  com::UniqueCoTaskMem<BYTE> videoBlock(types[0].pbFormat), audioBlock(types[1].pbFormat);
  if (FAILED(hr)) return hr;
  std::optional<VideoFormat> video;
  std::optional<WAVEFORMATEX> audio;
  if (IsPresent(types[0]) && !(video = ChooseVideoFormat(types[0]))) return session::kNoVideoDecoder;
  // Without an audio decoder the control may go on with video alone: the renderer is then set
  // up for the video stream, and answers that audio cannot be decoded.
  const bool audioRefused = IsPresent(types[1]) && !(audio = ChooseAudioFormat(types[1]));
  if (audioRefused && !video) return session::kNoAudioDecoder;
  video_ = video;
  audio_.reset();
  if (audio) {
    audio_ = std::make_unique<CAudioOutput>(*audio);
    audio_->SetVolume(volume_);
    if (!countOnly_) audio_->Open();  // without a device the output stays silent but keeps time
  }
  initialised_ = true;
  return audioRefused ? session::kNoAudioDecoder : S_OK;
}

STDMETHODIMP CMediaRenderer::AttachWindow(HWND window) {
  if (!IsWindow(window)) return E_INVALIDARG;
  output_.Attach(window);
  return S_OK;
}

STDMETHODIMP CMediaRenderer::Pause() {
  if (!initialised_) return E_UNEXPECTED;
  clock_.Pause();
  wake_.WakeAll();
  if (audio_) audio_->Pause();
  return S_OK;
}

// The control aborts its media buffer before it calls Stop or Shutdown, so a puller blocked in
// GetFrame comes back with E_FAIL and sees the stop event; only then can it be joined. Called
// the other way round, Stop would wait until the buffer hands out a frame or fails.
STDMETHODIMP CMediaRenderer::Stop() {
  StopPullers();
  clock_.Reset();  // the buffer's times start at 0 again after a stop
  orderMark_ = -1;
  return S_OK;
}

STDMETHODIMP CMediaRenderer::SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (left == -1 && width == -1 && height == -1) return output_.EnterFullScreen(top);
  if (left == -2 && top == -2 && width == -2 && height == -2) return output_.LeaveFullScreen(), S_OK;
  if (width < 0 || height < 0) return E_INVALIDARG;
  output_.SetPlacement(RECT{left, top, left + width, top + height});
  return S_OK;
}

STDMETHODIMP CMediaRenderer::Run() {
  if (!initialised_) return E_UNEXPECTED;
  ZM_RETURN_IF_FAILED(StartPullers());
  if (audio_) audio_->Resume();
  clock_.Start();
  wake_.WakeAll();
  return S_OK;
}

STDMETHODIMP CMediaRenderer::Shutdown() {
  StopPullers();  // see Stop for why this cannot hang
  clock_.Reset();
  audio_.reset();
  output_.Shutdown();
  video_.reset();
  flop_ = nullptr;
  initialised_ = false;
  return S_OK;
}

STDMETHODIMP CMediaRenderer::SetContrast(int32_t value) {
  output_.SetContrast(std::clamp(value, -kToneLimit, kToneLimit));
  return S_OK;
}

STDMETHODIMP CMediaRenderer::SetBrightness(int32_t value) {
  output_.SetBrightness(std::clamp(value, -kToneLimit, kToneLimit));
  return S_OK;
}

STDMETHODIMP CMediaRenderer::SetVolume(int32_t value) {
  volume_ = std::clamp(value, -10000, 0);
  if (audio_) audio_->SetVolume(volume_);
  return S_OK;
}

STDMETHODIMP CMediaRenderer::TakeSnapshot(BSTR path) {
  const Picture picture = output_.Current();
  if (picture.Empty()) return S_FALSE;
  std::wstring file;
  ZM_RETURN_IF_FAILED(SaveSnapshot(picture, path, &file));
  lastSnapshot_ = file;
  ++snapshots_;
  // The file is what was asked for; the clipboard is a convenience that another program may hold.
  CopyToClipboard(picture, nullptr);
  return S_OK;
}

STDMETHODIMP CMediaRenderer::IsFullScreen(BOOL* fullScreen) {
  if (!fullScreen) return E_POINTER;
  *fullScreen = output_.IsFullScreen();
  return S_OK;
}

STDMETHODIMP CMediaRenderer::SetMediaFlop(IMediaFlop* flop) {
  if (videoThread_ || audioThread_) return E_UNEXPECTED;  // the pullers use the one they have
  flop_ = flop;
  initialised_ = false;
  return S_OK;
}

STDMETHODIMP CMediaRenderer::GetCounts(RendererCounts* counts) {
  if (!counts) return E_POINTER;
  counts->framesDrawn = framesDrawn_;
  counts->framesDropped = framesDropped_;
  counts->audioFramesPlayed = audioFramesPlayed_;
  counts->lastDrawnTime = lastDrawnTime_;
  counts->snapshots = snapshots_;
  counts->drawnInOrder = drawnInOrder_;
  counts->volume = volume_;
  return S_OK;
}

STDMETHODIMP CMediaRenderer::GetLastSnapshotPath(BSTR* path) {
  if (!path) return E_POINTER;
  *path = nullptr;
  if (lastSnapshot_.empty()) return S_FALSE;
  *path = SysAllocStringLen(lastSnapshot_.data(), static_cast<UINT>(lastSnapshot_.size()));
  return *path ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaRenderer::StartPullers() {
  const bool wantVideo = video_ && !videoThread_, wantAudio = audio_ && !audioThread_;
  if (wantVideo) videoThread_.reset(CreateThread(nullptr, 0, VideoThread, this, 0, nullptr));
  if (wantAudio) audioThread_.reset(CreateThread(nullptr, 0, AudioThread, this, 0, nullptr));
  if ((wantVideo && !videoThread_) || (wantAudio && !audioThread_)) {
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    StopPullers();
    return FAILED(hr) ? hr : E_FAIL;
  }
  return S_OK;
}

void CMediaRenderer::StopPullers() {
  if (!videoThread_ && !audioThread_) return;
  stopping_ = true;
  SetEvent(stopEvent_.get());  // the sound device's waits
  wake_.WakeAll();
  for (com::UniqueHandle* thread : {&videoThread_, &audioThread_}) {
    if (*thread) WaitForSingleObject(thread->get(), INFINITE);
    thread->reset();
  }
  ResetEvent(stopEvent_.get());
  stopping_ = false;
  if (audio_) audio_->Reset();
}

DWORD WINAPI CMediaRenderer::VideoThread(void* self) {
  static_cast<CMediaRenderer*>(self)->PullVideo();
  return 0;
}

DWORD WINAPI CMediaRenderer::AudioThread(void* self) {
  static_cast<CMediaRenderer*>(self)->PullAudio();
  return 0;
}

void CMediaRenderer::PullVideo() {
  // Only the imaging component needs COM on this thread.
  const bool withCom = NeedsImagingComponent(*video_) && SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  {
    VideoDecoder decoder(*video_);
    Picture picture;  // decoded into again and again: the output hands back the one it replaced
    while (FramePtr frame = PullFrame(session::kVideoStream)) {
      if (!WaitUntilDue(frame->time, 0)) break;
      if (countOnly_) {
        RecordDrawn(frame->time);
        continue;
      }
      if (clock_.Now() - frame->time > kLateLimit || !decoder.Decode(frame->data, frame->length, picture)) {
        ++framesDropped_;
        continue;
      }
      if (output_.Show(picture)) RecordDrawn(frame->time);
    }
  }  // the decoder's imaging objects go before COM does
  if (withCom) CoUninitialize();
}

void CMediaRenderer::PullAudio() {
  while (FramePtr frame = PullFrame(session::kAudioStream)) {
    if (!WaitUntilDue(frame->time, kAudioLead)) break;
    if (!countOnly_ && !audio_->Play(frame->data, frame->length, PullerStop{stopEvent_.get(), stopping_, wake_})) break;
    ++audioFramesPlayed_;
  }
}

CMediaRenderer::FramePtr CMediaRenderer::PullFrame(DWORD stream) {
  while (!Stopping()) {
    MediaFrame* raw = nullptr;
    const HRESULT hr = flop_->GetFrame(stream, &raw);
    FramePtr frame(hr == S_OK ? raw : nullptr);
    // A record without payload marks an end; the buffer normally keeps those to itself.
    if (frame && frame->length && frame->data) return frame;
    if (wake_.Sleep(stopping_, wake_.Generation(), kRetryMs)) break;
  }
  return nullptr;
}

bool CMediaRenderer::WaitUntilDue(int64_t time, int64_t lead) {
  for (;;) {
    const uint64_t seen = wake_.Generation();
    bool running = false;
    const int64_t remaining = time - lead - clock_.Now(&running);
    if (running && remaining <= 0) return !Stopping();
    // Rounded up: a wait that ends just before the frame is due costs a second one.
    const int64_t waitMs =
        running ? std::clamp<int64_t>((remaining + 9'999) / 10'000, 1, kLongestWaitMs) : kLongestWaitMs;
    if (wake_.Sleep(stopping_, seen, static_cast<DWORD>(waitMs))) return false;
  }
}

void CMediaRenderer::RecordDrawn(int64_t time) {
  if (time < orderMark_) drawnInOrder_ = false;
  orderMark_ = time;
  lastDrawnTime_ = time;
  ++framesDrawn_;
}

}  // namespace zm::renderer
