#include "scripted_flop.h"

#include <amvideo.h>
#include <mmreg.h>
#include <uuids.h>

#include <cstring>

namespace zm::tests {
namespace {

template <class T>
std::vector<uint8_t> BytesOf(const T& value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

void CopyType(const StreamType& from, AM_MEDIA_TYPE& to) {
  to = AM_MEDIA_TYPE{};
  to.majortype = from.majorType;
  to.subtype = from.subType;
  to.formattype = from.formatType;
  if (from.formatBlock.empty()) return;
  to.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.formatBlock.size()));
  to.cbFormat = static_cast<ULONG>(from.formatBlock.size());
  std::memcpy(to.pbFormat, from.formatBlock.data(), from.formatBlock.size());
}

}  // namespace

GUID FourCCSubtype(uint32_t fourcc) {
  return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

StreamType VideoType(const GUID& subtype, int32_t width, int32_t height, WORD bitCount) {
  VIDEOINFOHEADER header{};
  header.AvgTimePerFrame = 400000;
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = bitCount;
  return StreamType{MEDIATYPE_Video, subtype, FORMAT_VideoInfo, BytesOf(header)};
}

StreamType WaveType(WORD formatTag, WORD bitsPerSample, WORD channels, DWORD rate) {
  WAVEFORMATEX wave{};
  wave.wFormatTag = formatTag;
  wave.nChannels = channels;
  wave.nSamplesPerSec = rate;
  wave.wBitsPerSample = bitsPerSample;
  wave.nBlockAlign = static_cast<WORD>(channels * bitsPerSample / 8);
  wave.nAvgBytesPerSec = rate * wave.nBlockAlign;
  return StreamType{MEDIATYPE_Audio, FourCCSubtype(formatTag), FORMAT_WaveFormatEx, BytesOf(wave)};
}

void ScriptedFlop::Queue(DWORD stream, int64_t time, std::vector<uint8_t> payload) {
  std::lock_guard<std::mutex> hold(lock_);
  queues_[stream].push_back({time, std::move(payload)});
  changed_.notify_all();
}

void ScriptedFlop::BlockWhenEmpty(bool block) {
  std::lock_guard<std::mutex> hold(lock_);
  block_ = block;
}

void ScriptedFlop::Abort() {
  std::lock_guard<std::mutex> hold(lock_);
  aborted_ = true;
  changed_.notify_all();
}

void ScriptedFlop::Resume() {
  std::lock_guard<std::mutex> hold(lock_);
  aborted_ = false;
}

int ScriptedFlop::HandedOut() const {
  std::lock_guard<std::mutex> hold(lock_);
  return handedOut_;
}

int ScriptedFlop::Calls() const {
  std::lock_guard<std::mutex> hold(lock_);
  return calls_;
}

int ScriptedFlop::Waiting() const {
  std::lock_guard<std::mutex> hold(lock_);
  return waiting_;
}

STDMETHODIMP ScriptedFlop::QueryInterface(REFIID riid, void** out) {
  if (riid != session::IID_IMediaFlop) return E_NOINTERFACE;
  *out = this;
  return S_OK;
}

STDMETHODIMP ScriptedFlop::GetMediaInfo(DWORD, AM_MEDIA_TYPE* types, session::MediaInfoBlock* info) {
  CopyType(video, types[0]);
  CopyType(audio, types[1]);
  info->resourceKind = 0;
  info->serverFlags = 0;
  return S_OK;
}

STDMETHODIMP ScriptedFlop::GetFrame(DWORD streamType, MediaFrame** frame) {
  if (streamType != session::kAudioStream && streamType != session::kVideoStream) return E_FAIL;
  std::unique_lock<std::mutex> hold(lock_);
  ++calls_;
  std::deque<Scripted>& queue = queues_[streamType];
  ++waiting_;
  changed_.wait(hold, [&] { return aborted_ || !queue.empty() || !block_; });
  --waiting_;
  if (aborted_ || queue.empty()) return E_FAIL;
  Scripted next = std::move(queue.front());
  queue.pop_front();
  auto* record = static_cast<MediaFrame*>(CoTaskMemAlloc(sizeof(MediaFrame)));
  *record = MediaFrame{};
  record->streamType = streamType;
  record->time = next.time;
  record->keyFrame = 1;
  record->length = static_cast<uint32_t>(next.payload.size());
  record->data = static_cast<uint8_t*>(CoTaskMemAlloc(next.payload.size()));
  std::memcpy(record->data, next.payload.data(), next.payload.size());
  *frame = record;
  ++handedOut_;
  return S_OK;
}

}  // namespace zm::tests
