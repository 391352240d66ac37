#include "peers/renderer/renderer_clock.h"

namespace zm::renderer {
namespace {

int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

RendererClock::RendererClock() {
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) frequency_ = frequency.QuadPart;
}

int64_t RendererClock::Elapsed() const {
  if (!running_) return 0;
  const int64_t ticks = Counter() - startCounter_;
  // Seconds and remainder apart, so that long runs do not overflow the product.
  return ticks / frequency_ * 10'000'000 + ticks % frequency_ * 10'000'000 / frequency_;
}

void RendererClock::Start() {
  std::lock_guard<com::CriticalSection> hold(lock_);
  if (running_) return;
  startCounter_ = Counter();
  running_ = true;
}

void RendererClock::Pause() {
  std::lock_guard<com::CriticalSection> hold(lock_);
  base_ += Elapsed();
  running_ = false;
}

void RendererClock::Reset() {
  std::lock_guard<com::CriticalSection> hold(lock_);
  base_ = 0;
  running_ = false;
}

int64_t RendererClock::Now(bool* running) const {
  std::lock_guard<com::CriticalSection> hold(lock_);
  if (running) *running = running_;
  return base_ + Elapsed();
}

}  // namespace zm::renderer
