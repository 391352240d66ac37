// PayloadHole: payloads cut from the hole keep their pages when they are freed, so the next
// frame's payload does not fault them in again.
#include <windows.h>

#include <gtest/gtest.h>

#include "transport/payload_hole.h"

namespace zm::tests {
namespace {

bool Committed(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT;
}

TEST(PayloadHoleTest, FreedPayloadsKeepTheirPagesAsTheHoleWidens) {
  transport::PayloadHole hole;
  // An uncompressed 320 x 240 picture, then a bigger one that needs a wider hole.
  for (const size_t size : {size_t{320 * 240 * 4}, size_t{400 * 1024}}) {
    for (int frame = 0; frame < 3; ++frame) {
      hole.Fit(size);
      transport::TaskMemBlock payload = transport::AllocateTaskMem(size);
      ASSERT_TRUE(payload);
      const uint8_t* last = payload.get() + size - 1;
      payload.reset();
      EXPECT_TRUE(Committed(last)) << size << " bytes, frame " << frame;
    }
  }
}

}  // namespace
}  // namespace zm::tests
