// IRendererCounters: what the renderer has shown, dropped, played and saved, for the tests that
// drive it as the control does. Any thread; a QueryInterface on the renderer object gives it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>

namespace zm::renderer {

struct RendererCounts {
  uint64_t framesDrawn;        // video pictures drawn into a window
  uint64_t framesDropped;      // video frames that came too late or could not be decoded
  uint64_t audioFramesPlayed;  // audio frames given to the device (or to the silent sink)
  int64_t lastDrawnTime;       // presentation time of the last picture drawn, 100 ns; -1 before any
  uint32_t snapshots;          // pictures written by TakeSnapshot
  BOOL drawnInOrder;           // every drawn time was >= the one before it (compared since the last Stop)
  int32_t volume;              // the last SetVolume, hundredths of a decibel (0 before any)
};

inline constexpr GUID IID_IRendererCounters = {
    0xF9B9C66D, 0xAAE3, 0x45C6, {0xAE, 0x17, 0x8B, 0x42, 0x4A, 0xCB, 0x7E, 0xDF}};

struct IRendererCounters : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetCounts(RendererCounts* counts) = 0;
  // The full path of the last file TakeSnapshot wrote; S_FALSE and null before any.
  virtual HRESULT STDMETHODCALLTYPE GetLastSnapshotPath(BSTR* path) = 0;
};

}  // namespace zm::renderer
