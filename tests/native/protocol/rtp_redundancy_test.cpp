// The redundancy level's steps at the end of each measuring period.
#include "protocol/rtp_redundancy.h"

#include <gtest/gtest.h>

namespace zm::protocol {
namespace {

using L = RedundancyLevel;

TEST(RtpLossControl, EachPeriodMovesTheLevelByTheLossRate) {
  const std::tuple<const char*, L, int32_t, int32_t, L, bool> cases[] = {
      {"1 in 1000 (rate 9): half to none", L::Half, 1, 1000, L::None, true},
      {"rate 13 keeps half", L::Half, 13, 9999, L::Half, false},
      {"rate 50 at half: full", L::Half, 50, 9999, L::Full, true},
      {"rate 50 at none: half", L::None, 50, 9999, L::Half, true},
      {"rate 49 keeps none", L::None, 49, 9999, L::None, false},
      {"rate 25 at min: none", L::Min, 25, 9999, L::None, true},
      {"rate 26 keeps min", L::Min, 26, 9999, L::Min, false},
      {"no loss at full: half", L::Full, 0, 500, L::Half, true},
      {"rate 150 at full: none", L::Full, 15, 999, L::None, true},
      {"rate 20% at full: min", L::Full, 200, 799, L::Min, true},
      {"counts out of step: min", L::None, -1, 10, L::Min, true},
      {"rate 20% at min stays", L::Min, 500, 10, L::Min, false},
  };
  for (auto [name, from, lost, received, to, changed] : cases) {
    RtpLossControl control;
    control.SetLevel(from);
    control.CountLost(lost), control.CountReceived(received);
    control.EndPeriod(1000);
    EXPECT_EQ(std::tuple(to, changed), std::tuple(control.level(), control.TakeChange().has_value())) << name;
    EXPECT_FALSE(control.TakeChange()) << name;
    EXPECT_EQ(0, control.lost() + control.received()) << name;
  }
}

TEST(RtpLossControl, HalfThatDoesNotHelpFallsBackAndHoldsFor120Seconds) {
  RtpLossControl control;
  // Lost of 9999 received, the period's end, the level after: rate 60 at none goes to half, no
  // better at half falls back, is held until 120 s on, and 89 is better than when it went to half.
  const std::tuple<int32_t, uint32_t, L> periods[] = {
      {60, 100, L::Half}, {60, 120, L::None}, {90, 239, L::None}, {90, 240, L::Half}, {89, 260, L::Full}};
  for (auto [lost, end, level] : periods) {
    control.CountLost(lost), control.CountReceived(9999);
    control.EndPeriod(end);
    ASSERT_EQ(level, control.level()) << end;
  }
}

TEST(RtpLossControl, CommandsNameTheirLevels) {
  const char* names[] = {"QC_RedundancyMin", "QC_RedundancyNone", "QC_RedundancyHalf", "QC_RedundancyFull"};
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(names[i], RedundancyCommand(static_cast<L>(i)));
    EXPECT_EQ(static_cast<L>(i), RedundancyFromCommand(names[i]));
  }
  EXPECT_FALSE(RedundancyFromCommand("QC_Redundancy"));
}

}  // namespace
}  // namespace zm::protocol
