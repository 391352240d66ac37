// An owner for a block from the COM task allocator: frame payloads and format blocks live
// there because whoever takes them over frees them with CoTaskMemFree.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zm::transport {

struct TaskMemFree {
  void operator()(void* block) const { CoTaskMemFree(block); }
};
using TaskMemBlock = std::unique_ptr<uint8_t, TaskMemFree>;

// Empty when the allocator has no block of that size.
inline TaskMemBlock AllocateTaskMem(size_t size) { return TaskMemBlock(static_cast<uint8_t*>(CoTaskMemAlloc(size))); }

}  // namespace zm::transport
