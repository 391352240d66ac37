// Fuzzes the multicast group decoder: nothing is read past the 16-byte text, an accepted group
// with a port is a multicast address, and encoding it gives bytes that decode to it again.
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "protocol/multicast_group.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto group = DecodeMulticastGroupInfo({data, size});
  if (!group) {
    Check(size >= kMulticastGroupInfoBytes || group.error() == DecodeError::Truncated);
    return 0;
  }
  Check(group.consumed() == kMulticastGroupInfoBytes);
  if (group.value().port == 0) return 0;
  Check(IsMulticastAddress(group.value().address));
  const auto again = EncodeMulticastGroupInfo(group.value());
  auto decoded = DecodeMulticastGroupInfo(again);
  Check(decoded && decoded.value() == group.value());
  return 0;
}
