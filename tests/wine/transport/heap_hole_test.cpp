// HeapHole: blocks cut from the hole keep their pages when they are freed, so the next frame's
// block does not fault them in again; in the task allocator (frame payloads) and in the C
// runtime's heap that the imaging component decodes pictures into.
#include <windows.h>

#include <gtest/gtest.h>

#include "com/heap_hole.h"
#include "transport/task_mem_block.h"

namespace zm::tests {
namespace {

bool Committed(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT;
}

// A hole for `sizes` in turn, each allocated and freed three times as frames would be.
void ExpectFreedBlocksStayCommitted(const com::HeapFunctions& heap) {
  com::HeapHole hole(heap);
  // An uncompressed 320 x 240 picture, then a bigger one that needs a wider hole.
  for (const size_t size : {size_t{320 * 240 * 4}, size_t{400 * 1024}}) {
    for (int frame = 0; frame < 3; ++frame) {
      hole.Fit(size);
      auto* block = static_cast<uint8_t*>(heap.allocate(size));
      ASSERT_NE(block, nullptr);
      const uint8_t* last = block + size - 1;
      heap.free(block);
      EXPECT_TRUE(Committed(last)) << size << " bytes, frame " << frame;
    }
  }
}

TEST(HeapHoleTest, FreedBlocksKeepTheirPagesAsTheHoleWidens) {
  ExpectFreedBlocksStayCommitted(transport::kTaskAllocator);

  HMODULE runtime = LoadLibraryW(L"ucrtbase.dll");
  ASSERT_NE(runtime, nullptr);
  const std::optional<com::HeapFunctions> runtimeHeap = com::RuntimeHeap(runtime);
  ASSERT_TRUE(runtimeHeap);
  ExpectFreedBlocksStayCommitted(*runtimeHeap);
  FreeLibrary(runtime);
}

}  // namespace
}  // namespace zm::tests
