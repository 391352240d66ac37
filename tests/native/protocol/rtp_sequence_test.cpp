// Sequence numbers and timestamps extended to 64 bits: wraps, late packets, large jumps.
#include "protocol/rtp_sequence.h"

#include <gtest/gtest.h>

#include <vector>

namespace zm::protocol {
namespace {

template <class Extender, class Number>
struct Case {
  const char* name;
  std::vector<Number> numbers;
  std::vector<uint64_t> extended;
};

template <class Extender, class Number, size_t N>
void Check(const Case<Extender, Number> (&cases)[N]) {
  for (const auto& c : cases) {
    Extender extender;
    std::vector<uint64_t> got;
    for (Number n : c.numbers) got.push_back(extender.Extend(n));
    EXPECT_EQ(c.extended, got) << c.name;
  }
}

TEST(RtpSequenceExtender, CountsWrapsAndKeepsLatePacketsAndJumpsInPlace) {
  const Case<RtpSequenceExtender, uint16_t> cases[] = {
      {"wrap from 65535 to 0", {65534, 65535, 0, 1}, {65534, 65535, 65536, 65537}},
      {"forward steps below 3000", {10, 3009, 3010}, {10, 3009, 3010}},
      {"late within 100 before the last", {500, 510, 420, 511}, {500, 510, 420, 511}},
      {"late from before a wrap", {65530, 3, 65533, 4}, {65530, 65539, 65533, 65540}},
      {"a jump of 3000 is not followed", {10, 3010, 11}, {10, 3010, 11}},
      {"a jump confirmed by its successor", {10, 5000, 5001, 5002}, {10, 5000, 5001, 5002}},
      {"101 behind is a jump, not late", {1000, 899, 1001}, {1000, 899, 1001}},
      {"a duplicate", {7, 7, 8}, {7, 7, 8}},
  };
  Check(cases);
}

TEST(RtpTimestampExtender, WrapsAt32BitsWithinItsStepLimit) {
  const Case<RtpTimestampExtender, uint32_t> cases[] = {
      {"wrap", {0xFFFFFFF0u, 5, 20}, {0xFFFFFFF0u, 0x100000005ull, 0x100000014ull}},
      {"step of 99,999 follows", {0, 99999, 100000}, {0, 99999, 100000}},
      {"step of 100,000 does not", {0xFFFFFFF0u, 100000 - 16, 3}, {0xFFFFFFF0u, 100000 - 16, 0x100000003ull}},
      {"an older frame's packet", {5000, 4000, 5001}, {5000, 4000, 5001}},
  };
  Check(cases);
}

}  // namespace
}  // namespace zm::protocol
