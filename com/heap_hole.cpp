#include "com/heap_hole.h"

namespace zm::com {

std::optional<HeapFunctions> RuntimeHeap(HMODULE runtime) {
  if (!runtime) return std::nullopt;
  auto find = [runtime](const char* name) { return reinterpret_cast<void*>(GetProcAddress(runtime, name)); };
  const HeapFunctions heap{
      reinterpret_cast<void* (*)(size_t)>(find("malloc")),
      reinterpret_cast<void* (*)(void*, size_t)>(find("realloc")),
      reinterpret_cast<void (*)(void*)>(find("free")),
  };
  if (!heap.allocate || !heap.reallocate || !heap.free) return std::nullopt;
  return heap;
}

void HeapHole::Fit(size_t size) {
  if (size < kMinBlock || size > kMaxBlock || size <= size_) return;
  // Whole 64 KiB steps, so that blocks that grow a little fit the hole they found.
  const size_t holeSize = (size + 0xffff) & ~size_t{0xffff};
  Close();  // the old hole joins the free memory around it
  // Neither fits in a smaller hole, so when the first comes from the heap's end, the second is
  // cut right behind it; shrinking the second keeps it in place and frees the rest of it.
  void* hole = heap_.allocate(holeSize);
  void* pin = heap_.allocate(holeSize);
  if (pin) {
    if (void* shrunk = heap_.reallocate(pin, 16)) pin = shrunk;
  }
  if (hole) heap_.free(hole);
  if (!hole || !pin) {
    if (pin) heap_.free(pin);
    return;
  }
  pin_ = pin;
  size_ = holeSize;
}

void HeapHole::Close() {
  if (pin_) heap_.free(pin_);
  pin_ = nullptr;
  size_ = 0;
}

}  // namespace zm::com
