// The interfaces between the control and the external renderer: IMediaFlop, which the control's
// media buffer implements and the renderer's threads call, and MediaRenderer with its
// MediaRendererSource, which the renderer implements and the control calls on its window thread.
// Their slot order and argument layout are fixed: a renderer built elsewhere relies on them.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <strmif.h>

#include <cstdint>

#include "protocol/media_frame.h"

namespace zm::session {

// The result codes a renderer answers when it has no decoder for one of the streams.
inline constexpr HRESULT kNoAudioDecoder = static_cast<HRESULT>(0x8FFF0534);
inline constexpr HRESULT kNoVideoDecoder = static_cast<HRESULT>(0x8FFF0535);

// Stream numbering on the playback path.
inline constexpr DWORD kAudioStream = 1;
inline constexpr DWORD kVideoStream = 2;

// GetMediaInfo's info block: only resourceKind and serverFlags are written.
struct MediaInfoBlock {
  uint32_t reserved;
  uint32_t resourceKind;  // 0 stored, 1 live
  uint32_t serverFlags;
};
static_assert(sizeof(MediaInfoBlock) == 12);

inline constexpr GUID IID_IMediaFlop = {0x7C5E98AF, 0xE07E, 0x4A9C, {0xB5, 0x08, 0xC2, 0x90, 0x39, 0xCF, 0x8B, 0xA1}};
inline constexpr GUID CLSID_MediaRenderer = {
    0x7B36D5AF, 0xB741, 0x4F2C, {0xAC, 0x35, 0x92, 0xE0, 0xDC, 0x09, 0x40, 0x47}};
inline constexpr GUID IID_IMediaRenderer = {
    0x024D1EB5, 0x809A, 0x49DC, {0xBE, 0x76, 0x69, 0xC5, 0x8B, 0xC3, 0x33, 0xF0}};
inline constexpr GUID IID_IMediaRendererSource = {
    0xAE935E74, 0x0C16, 0x4F35, {0x9D, 0xD2, 0x6E, 0x78, 0x40, 0xA8, 0x57, 0xE0}};

// Not a reference-counted object: AddRef and Release answer 1, QueryInterface answers only its
// own IID (IUnknown included is refused) and adds no reference. It lives as long as the session.
struct IMediaFlop : IUnknown {
  // types[0] receives a copy of the video media type, types[1] of the audio one, each with a
  // format block of its own that the caller frees with CoTaskMemFree.
  virtual HRESULT STDMETHODCALLTYPE GetMediaInfo(DWORD reserved, AM_MEDIA_TYPE* types, MediaInfoBlock* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE NotifyRenderer(DWORD value) = 0;
  // Hands out the next frame of the stream (kAudioStream or kVideoStream); the record and its
  // payload then belong to the caller, which frees both with CoTaskMemFree. E_FAIL: no frame.
  virtual HRESULT STDMETHODCALLTYPE GetFrame(DWORD streamType, MediaFrame** frame) = 0;
};

struct IMediaRenderer : IUnknown {
  // kNoAudioDecoder / kNoVideoDecoder when a stream cannot be decoded.
  virtual HRESULT STDMETHODCALLTYPE Initialize() = 0;
  virtual HRESULT STDMETHODCALLTYPE AttachWindow(HWND window) = 0;
  virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
  // The video rectangle in the window; (-1, aspect code, -1, -1) enters full screen and
  // (-2, -2, -2, -2) leaves it.
  virtual HRESULT STDMETHODCALLTYPE SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  virtual HRESULT STDMETHODCALLTYPE Run() = 0;
  virtual HRESULT STDMETHODCALLTYPE Shutdown() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetContrast(int32_t value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBrightness(int32_t value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVolume(int32_t value) = 0;
  // A null path lets the renderer choose where the picture goes. The caller keeps the BSTR.
  virtual HRESULT STDMETHODCALLTYPE TakeSnapshot(BSTR path) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsFullScreen(BOOL* fullScreen) = 0;
};

struct IMediaRendererSource : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetMediaFlop(IMediaFlop* flop) = 0;
};

}  // namespace zm::session
