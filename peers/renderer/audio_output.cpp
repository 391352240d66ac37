#include "peers/renderer/audio_output.h"

#include <uuids.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zm::renderer {
namespace {

// As much as a device holds queued: the silent sink runs this far ahead of real time too.
constexpr auto kSilentLead = std::chrono::milliseconds(200);
constexpr DWORD kBufferWaitMs = 100;

}  // namespace

std::optional<WAVEFORMATEX> ChooseAudioFormat(const AM_MEDIA_TYPE& type) {
  if (type.subtype != MEDIASUBTYPE_PCM || type.formattype != FORMAT_WaveFormatEx || !type.pbFormat ||
      type.cbFormat < sizeof(PCMWAVEFORMAT))
    return std::nullopt;
  PCMWAVEFORMAT pcm;
  std::memcpy(&pcm, type.pbFormat, sizeof pcm);
  if (pcm.wf.wFormatTag != WAVE_FORMAT_PCM || pcm.wBitsPerSample != 16 || pcm.wf.nChannels == 0 ||
      pcm.wf.nChannels > 8 || pcm.wf.nSamplesPerSec == 0 || pcm.wf.nSamplesPerSec > 384000)
    return std::nullopt;
  WAVEFORMATEX wave{};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = pcm.wf.nChannels;
  wave.nSamplesPerSec = pcm.wf.nSamplesPerSec;
  wave.wBitsPerSample = 16;
  // Derived rather than trusted: the pacing divides by them.
  wave.nBlockAlign = static_cast<WORD>(wave.nChannels * 2);
  wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
  return wave;
}

uint32_t VolumeGain(int32_t hundredthsOfDecibel) {
  if (hundredthsOfDecibel >= 0) return 65536;
  if (hundredthsOfDecibel <= -10000) return 0;
  return static_cast<uint32_t>(std::lround(65536.0 * std::pow(10.0, hundredthsOfDecibel / 2000.0)));
}

void ScaleSamples(int16_t* samples, size_t count, uint32_t gain) {
  if (gain >= 65536) return;
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(static_cast<int64_t>(samples[i]) * gain / 65536);
}

CAudioOutput::CAudioOutput(const WAVEFORMATEX& format) : format_(format) {}

CAudioOutput::~CAudioOutput() { Reset(); }

bool CAudioOutput::Open() {
  if (device_) return true;
  doneEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!doneEvent_) return false;
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format_, reinterpret_cast<DWORD_PTR>(doneEvent_.get()), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR)
    return false;
  device_.reset(device);
  return true;
}

bool CAudioOutput::Play(const uint8_t* data, size_t length, const PullerStop& stop) {
  length -= length % format_.nBlockAlign;  // whole sample frames only
  if (!data || length == 0) return true;
  if (!device_) return ConsumeSilently(length, stop);
  Buffer* buffer = WaitForFreeBuffer(stop.event);
  if (!buffer) return false;
  if (buffer->prepared) waveOutUnprepareHeader(device_.get(), &buffer->header, sizeof buffer->header);
  buffer->prepared = false;
  buffer->bytes.assign(data, data + length);
  ScaleSamples(reinterpret_cast<int16_t*>(buffer->bytes.data()), length / 2, gain_);
  buffer->header = WAVEHDR{};
  buffer->header.lpData = reinterpret_cast<LPSTR>(buffer->bytes.data());
  buffer->header.dwBufferLength = static_cast<DWORD>(length);
  if (waveOutPrepareHeader(device_.get(), &buffer->header, sizeof buffer->header) != MMSYSERR_NOERROR)
    return ConsumeSilently(length, stop);
  buffer->prepared = true;
  if (waveOutWrite(device_.get(), &buffer->header, sizeof buffer->header) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device_.get(), &buffer->header, sizeof buffer->header);
    buffer->prepared = false;
    return ConsumeSilently(length, stop);
  }
  return true;
}

CAudioOutput::Buffer* CAudioOutput::WaitForFreeBuffer(HANDLE stop) {
  for (;;) {
    for (Buffer& buffer : buffers_)
      if (!buffer.prepared || (buffer.header.dwFlags & WHDR_DONE)) return &buffer;
    // The time-out covers a completion signalled between the scan and the wait.
    const HANDLE events[] = {stop, doneEvent_.get()};
    if (WaitForMultipleObjects(2, events, FALSE, kBufferWaitMs) == WAIT_OBJECT_0) return nullptr;
  }
}

bool CAudioOutput::ConsumeSilently(size_t length, const PullerStop& stop) {
  const auto duration = std::chrono::duration_cast<Clock::duration>(
      std::chrono::nanoseconds(static_cast<int64_t>(length) * 1'000'000'000 / format_.nAvgBytesPerSec));
  silentUntil_ = std::max(Clock::now(), silentUntil_) + duration;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(silentUntil_ - kSilentLead - Clock::now());
  if (wait.count() <= 0) return !stop.Stopped();
  return !stop.Sleep(static_cast<DWORD>(wait.count()));
}

void CAudioOutput::Pause() {
  if (device_) waveOutPause(device_.get());
}

void CAudioOutput::Resume() {
  if (device_) waveOutRestart(device_.get());
}

void CAudioOutput::Reset() {
  silentUntil_ = Clock::time_point{};
  if (!device_) return;
  waveOutReset(device_.get());  // marks every queued buffer done
  UnprepareAll();
}

void CAudioOutput::UnprepareAll() {
  for (Buffer& buffer : buffers_) {
    if (buffer.prepared) waveOutUnprepareHeader(device_.get(), &buffer.header, sizeof buffer.header);
    buffer.prepared = false;
  }
}

}  // namespace zm::renderer
