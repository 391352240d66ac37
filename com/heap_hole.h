// HeapHole: a stretch of a heap kept free, with a small block pinned right behind it, so that
// big blocks allocated and freed again and again (frame payloads, a decoder's picture) come
// and go inside the heap instead of at its end.
//
// Why: Wine's heap decommits the pages of a freed block that ends its region, and the next
// block cut from that end faults them all in again: about 75 faults for every uncompressed
// 320 x 240 picture. A block cut from a hole stays committed when freed. Where the heap does
// not do that, the hole costs one small block.
//
// Threads: the one thread that allocates the blocks.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

namespace zm::com {

// Three functions of one heap.
struct HeapFunctions {
  void* (*allocate)(size_t size);
  void* (*reallocate)(void* block, size_t size);
  void (*free)(void* block);
};

// The heap of a loaded C runtime (its malloc, realloc and free); nothing when one is missing.
std::optional<HeapFunctions> RuntimeHeap(HMODULE runtime);

class HeapHole {
 public:
  // Smaller blocks find room between the heap's other blocks.
  static constexpr size_t kMinBlock = 64 * 1024;
  // Bigger blocks get memory of their own from Wine's heap (from 508 KiB on 32 bits), and the
  // hole is rounded up to 64 KiB.
  static constexpr size_t kMaxBlock = 448 * 1024;

  explicit HeapHole(const HeapFunctions& heap) : heap_(heap) {}
  HeapHole(const HeapHole&) = delete;
  HeapHole& operator=(const HeapHole&) = delete;
  ~HeapHole() { Close(); }

  // Before a block of `size` bytes is allocated: makes or widens the hole to hold it.
  void Fit(size_t size);

 private:
  void Close();

  HeapFunctions heap_;
  size_t size_ = 0;
  void* pin_ = nullptr;
};

}  // namespace zm::com
