#include "protocol/rtp_redundancy.h"

namespace zm::protocol {
namespace {

constexpr std::string_view kCommands[] = {"QC_RedundancyMin", "QC_RedundancyNone", "QC_RedundancyHalf",
                                          "QC_RedundancyFull"};

}  // namespace

std::string_view RedundancyCommand(RedundancyLevel level) { return kCommands[static_cast<int32_t>(level) & 3]; }

std::optional<RedundancyLevel> RedundancyFromCommand(std::string_view command) {
  for (int32_t i = 0; i < 4; ++i) {
    if (kCommands[i] == command) return static_cast<RedundancyLevel>(i);
  }
  return std::nullopt;
}

int32_t RtpLossControl::LossRate(int32_t lost, int32_t received) {
  const int64_t rate = static_cast<int64_t>(lost) * 10000 / (static_cast<int64_t>(received) + 1);
  if (rate < 0) return 0;
  return rate > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rate);
}

void RtpLossControl::ChangeTo(RedundancyLevel level) {
  level_ = static_cast<int32_t>(level);
  changed_ = 1;
}

void RtpLossControl::EndPeriod(uint32_t nowSec) {
  const int32_t lost = lost_.load();
  const int32_t rate = LossRate(lost, received_.load());
  const RedundancyLevel current = level();
  if (rate >= 2000 || lost < 0) {
    // Heavy loss (or counts out of step): redundancy adds traffic that only makes it worse.
    if (current != RedundancyLevel::Min) ChangeTo(RedundancyLevel::Min);
  } else if (holdUntilSec_.load() == 0 || nowSec >= holdUntilSec_.load()) {
    holdUntilSec_ = 0;
    switch (current) {
      case RedundancyLevel::Min:
        if (rate <= 25) ChangeTo(RedundancyLevel::None);
        break;
      case RedundancyLevel::None:
        if (rate >= 50) {
          lossAtHalf_ = rate;
          ChangeTo(RedundancyLevel::Half);
        }
        break;
      case RedundancyLevel::Half:
        if (lossAtHalf_.load() != -1 && rate >= lossAtHalf_.load()) {
          // Half redundancy did not help: back to none, and stay there a while.
          ChangeTo(RedundancyLevel::None);
          holdUntilSec_ = nowSec + kHoldSeconds;
          lossAtHalf_ = -1;
        } else {
          lossAtHalf_ = -1;
          if (rate <= 12) ChangeTo(RedundancyLevel::None);
          else if (rate >= 50) ChangeTo(RedundancyLevel::Full);
        }
        break;
      case RedundancyLevel::Full:
        if (rate == 0) ChangeTo(RedundancyLevel::Half);
        else if (rate >= 150) ChangeTo(RedundancyLevel::None);
        break;
    }
  }
  ResetCounters();
}

void RtpLossControl::ResetCounters() {
  lost_ = 0;
  received_ = 0;
}

std::optional<RedundancyLevel> RtpLossControl::TakeChange() {
  if (changed_.exchange(0) == 0) return std::nullopt;
  return level();
}

}  // namespace zm::protocol
