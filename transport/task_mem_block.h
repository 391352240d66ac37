// A block from the COM task allocator: frame payloads and format blocks live there because
// whoever takes them over frees them with CoTaskMemFree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "com/heap_hole.h"
#include "com/unique_handle.h"
#include "protocol/media_frame.h"

namespace zm::transport {

using TaskMemBlock = com::UniqueCoTaskMem<uint8_t>;

// The task allocator as a heap, for a hole kept in it.
inline constexpr com::HeapFunctions kTaskAllocator{
    [](size_t size) { return CoTaskMemAlloc(size); },
    [](void* block, size_t size) { return CoTaskMemRealloc(block, size); },
    [](void* block) { CoTaskMemFree(block); },
};

// Empty when the allocator has no block of that size.
inline TaskMemBlock AllocateTaskMem(size_t size) { return TaskMemBlock(static_cast<uint8_t*>(CoTaskMemAlloc(size))); }

// A zeroed frame record from the task allocator (an end marker as it stands), or null.
inline MediaFrame* AllocateTaskFrame() {
  auto* frame = static_cast<MediaFrame*>(CoTaskMemAlloc(sizeof(MediaFrame)));
  if (frame) *frame = MediaFrame{};
  return frame;
}

// Dropping a frame: its payload, then the record.
inline void FreeTaskFrame(MediaFrame* frame) {
  if (!frame) return;
  CoTaskMemFree(frame->data);
  CoTaskMemFree(frame);
}

}  // namespace zm::transport
