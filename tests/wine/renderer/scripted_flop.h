// ScriptedFlop: a media buffer for the renderer tests. It describes the streams it is given,
// hands out queued frames from the task allocator as the control's buffer does, and, when
// told, blocks an empty stream's GetFrame until it is aborted, as a rebuffering buffer would.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <condition_variable>
#include <cstdint>
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

GUID FourCCSubtype(uint32_t fourcc);
// A VIDEOINFOHEADER type; a negative height means top-down rows.
StreamType VideoType(const GUID& subtype, int32_t width, int32_t height, WORD bitCount);
StreamType WaveType(WORD formatTag, WORD bitsPerSample, WORD channels = 2, DWORD rate = 44100);

class ScriptedFlop final : public session::IMediaFlop {
 public:
  StreamType video;
  StreamType audio;

  void Queue(DWORD stream, int64_t time, std::vector<uint8_t> payload);
  // An empty stream's GetFrame waits until a frame is queued or Abort, instead of failing.
  void BlockWhenEmpty(bool block);
  void Abort();  // every GetFrame fails at once, those waiting too
  void Resume();
  int HandedOut() const;
  int Calls() const;
  int Waiting() const;  // GetFrame calls blocked now

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetMediaInfo(DWORD, AM_MEDIA_TYPE* types, session::MediaInfoBlock* info) override;
  STDMETHODIMP NotifyRenderer(DWORD) override { return S_OK; }
  STDMETHODIMP GetFrame(DWORD streamType, MediaFrame** frame) override;

 private:
  struct Scripted {
    int64_t time;
    std::vector<uint8_t> payload;
  };
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Scripted> queues_[3];  // by stream number
  bool block_ = false;
  bool aborted_ = false;
  int handedOut_ = 0;
  int calls_ = 0;
  int waiting_ = 0;
};

}  // namespace zm::tests
