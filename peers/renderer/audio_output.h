// CAudioOutput: 16-bit PCM through the default waveOut device, with the volume applied to the
// samples. Without a device (a machine with no sound card, Wine under Xvfb) it consumes the
// samples silently at their real rate, so that playback is paced as it would be with one.
// Play: the audio puller's thread; the rest: the control's window thread, Reset only once the
// puller has been joined.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <strmif.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "com/unique_handle.h"
#include "peers/renderer/puller_wake.h"

namespace zm::renderer {

// Nothing when the media type is not 16-bit PCM.
std::optional<WAVEFORMATEX> ChooseAudioFormat(const AM_MEDIA_TYPE& type);

// The sample factor (65536 = unchanged) for a volume in hundredths of a decibel, -10000..0;
// -10000 and below is silence.
uint32_t VolumeGain(int32_t hundredthsOfDecibel);
void ScaleSamples(int16_t* samples, size_t count, uint32_t gain);

inline void CloseWaveOutFn(HWAVEOUT device) { waveOutClose(device); }
using UniqueWaveOut = com::UniqueResource<HWAVEOUT, CloseWaveOutFn, nullptr>;

class CAudioOutput {
 public:
  explicit CAudioOutput(const WAVEFORMATEX& format);
  ~CAudioOutput();
  CAudioOutput(const CAudioOutput&) = delete;
  CAudioOutput& operator=(const CAudioOutput&) = delete;

  // Opens the default device; false when there is none (the output then stays silent).
  bool Open();
  bool HasDevice() const { return static_cast<bool>(device_); }

  // Plays or silently consumes one frame's samples, waiting while the device's buffers are all
  // queued. False when the pullers were stopped first.
  bool Play(const uint8_t* data, size_t length, const PullerStop& stop);
  void SetVolume(int32_t hundredthsOfDecibel) { gain_ = VolumeGain(hundredthsOfDecibel); }
  void Pause();
  void Resume();
  // Drops whatever is still queued.
  void Reset();

 private:
  struct Buffer {
    WAVEHDR header{};
    std::vector<uint8_t> bytes;
    bool prepared = false;
  };
  using Clock = std::chrono::steady_clock;

  Buffer* WaitForFreeBuffer(HANDLE stop);
  bool ConsumeSilently(size_t length, const PullerStop& stop);
  void UnprepareAll();

  WAVEFORMATEX format_;
  com::UniqueHandle doneEvent_;  // the device signals it as each buffer finishes (and as it closes)
  UniqueWaveOut device_;         // closed before the event it signals
  std::array<Buffer, 8> buffers_;
  std::atomic<uint32_t> gain_{65536};
  Clock::time_point silentUntil_{};  // the silent sink: when what it took would have played
};

}  // namespace zm::renderer
