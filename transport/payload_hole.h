// PayloadHole: a stretch of the task allocator's heap kept free for frame payloads, with a
// small block pinned right behind it, so that big payloads come and go inside the heap.
//
// Why: Wine's heap decommits the pages of a freed block that ends its region, and the next
// payload cut from that end faults them all in again: about 75 faults for every frame of an
// uncompressed 320 x 240 picture. A payload cut from a hole stays committed when freed. Where
// the heap does not do that, the hole costs one small block.
//
// Threads: the reading thread only.
#pragma once

#include <cstddef>

#include "transport/task_mem_block.h"

namespace zm::transport {

class PayloadHole {
 public:
  // Smaller payloads find room between the heap's other blocks.
  static constexpr size_t kMinPayload = 64 * 1024;
  // Bigger blocks get memory of their own from Wine's heap (from 508 KiB on 32 bits), and the
  // hole is rounded up to 64 KiB.
  static constexpr size_t kMaxPayload = 448 * 1024;

  // Before a payload of `size` bytes is allocated: makes or widens the hole to hold it.
  void Fit(size_t size);

 private:
  size_t m_nHoleSize = 0;
  TaskMemBlock m_pin;
};

}  // namespace zm::transport
