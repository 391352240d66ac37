// ScriptedFlop: a media buffer for the renderer tests. It describes the streams it is given and
// hands out queued frames from the task allocator as the control's buffer does.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "session/renderer_interfaces.h"

namespace zm::tests {

// A media type with its format block; an all-zero major type is an absent stream.
struct StreamType {
  GUID majorType{};
  GUID subType{};
  GUID formatType{};
  std::vector<uint8_t> formatBlock;
};

template <class T>
std::vector<uint8_t> BytesOf(const T& value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  return std::vector<uint8_t>(bytes, bytes + sizeof value);
}

inline GUID FourCCSubtype(uint32_t fourcc) {
  return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

// A VIDEOINFOHEADER type; a negative height means top-down rows.
inline StreamType VideoType(const GUID& subtype, int32_t width, int32_t height, WORD bitCount) {
  VIDEOINFOHEADER header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = bitCount;
  return StreamType{MEDIATYPE_Video, subtype, FORMAT_VideoInfo, BytesOf(header)};
}

inline StreamType WaveType(WORD formatTag, WORD bitsPerSample, WORD channels = 2, DWORD rate = 44100) {
  const WORD blockAlign = static_cast<WORD>(channels * bitsPerSample / 8);
  const WAVEFORMATEX wave{formatTag, channels, rate, rate * blockAlign, blockAlign, bitsPerSample, 0};
  return StreamType{MEDIATYPE_Audio, FourCCSubtype(formatTag), FORMAT_WaveFormatEx, BytesOf(wave)};
}

class ScriptedFlop final : public session::IMediaFlop {
 public:
  StreamType video;
  StreamType audio;

  void Queue(DWORD stream, int64_t time, std::vector<uint8_t> payload) {
    std::lock_guard<std::mutex> hold(lock_);
    queues_[stream].push_back({time, std::move(payload)});
  }
  int Calls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid != session::IID_IMediaFlop) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetMediaInfo(DWORD, AM_MEDIA_TYPE* types, session::MediaInfoBlock* info) override {
    CopyType(video, types[0]);
    CopyType(audio, types[1]);
    info->resourceKind = info->serverFlags = 0;
    return S_OK;
  }
  STDMETHODIMP NotifyRenderer(DWORD) override { return S_OK; }
  STDMETHODIMP GetFrame(DWORD streamType, MediaFrame** frame) override {
    if (streamType != session::kAudioStream && streamType != session::kVideoStream) return E_FAIL;
    std::lock_guard<std::mutex> hold(lock_);
    ++calls_;
    std::deque<Scripted>& queue = queues_[streamType];
    if (queue.empty()) return E_FAIL;
    auto* record = static_cast<MediaFrame*>(CoTaskMemAlloc(sizeof(MediaFrame)));
    *record = MediaFrame{};
    record->streamType = streamType;
    record->time = queue.front().time;
    record->keyFrame = 1;
    record->length = static_cast<uint32_t>(queue.front().payload.size());
    record->data = static_cast<uint8_t*>(CoTaskMemAlloc(record->length));
    std::memcpy(record->data, queue.front().payload.data(), record->length);
    queue.pop_front();
    *frame = record;
    return S_OK;
  }

 private:
  struct Scripted {
    int64_t time;
    std::vector<uint8_t> payload;
  };
  static void CopyType(const StreamType& from, AM_MEDIA_TYPE& to) {
    to = AM_MEDIA_TYPE{};
    to.majortype = from.majorType, to.subtype = from.subType, to.formattype = from.formatType;
    if (from.formatBlock.empty()) return;
    to.cbFormat = static_cast<ULONG>(from.formatBlock.size());
    to.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(to.cbFormat));
    std::memcpy(to.pbFormat, from.formatBlock.data(), to.cbFormat);
  }

  mutable std::mutex lock_;
  std::deque<Scripted> queues_[3];  // by stream number
  int calls_ = 0;
};

}  // namespace zm::tests
