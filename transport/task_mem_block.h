// A block from the COM task allocator: frame payloads and format blocks live there because
// whoever takes them over frees them with CoTaskMemFree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "com/unique_handle.h"

namespace zm::transport {

using TaskMemBlock = com::UniqueCoTaskMem<uint8_t>;

// Empty when the allocator has no block of that size.
inline TaskMemBlock AllocateTaskMem(size_t size) { return TaskMemBlock(static_cast<uint8_t*>(CoTaskMemAlloc(size))); }

}  // namespace zm::transport
