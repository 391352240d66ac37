#include "transport/payload_hole.h"

namespace zm::transport {

void PayloadHole::Fit(size_t size) {
  if (size < kMinPayload || size > kMaxPayload || size <= m_nHoleSize) return;
  // Whole 64 KiB steps, so that payloads that grow a little fit the hole they found.
  const size_t holeSize = (size + 0xffff) & ~size_t{0xffff};
  m_pin.reset();  // the old hole joins the free memory around it
  // Neither fits in a smaller hole, so when the first comes from the heap's end, the second is
  // cut right behind it; shrinking the second keeps it in place and frees the rest of it.
  TaskMemBlock hole = AllocateTaskMem(holeSize);
  TaskMemBlock pin = AllocateTaskMem(holeSize);
  if (!hole || !pin) return;
  if (void* shrunk = CoTaskMemRealloc(pin.get(), 16)) {
    pin.detach();
    pin.reset(static_cast<uint8_t*>(shrunk));
  }
  m_pin = std::move(pin);
  m_nHoleSize = holeSize;
}

}  // namespace zm::transport
