// Steering the server's redundancy level from the packet loss of each measuring period. The
// grabber thread counts packets while a timer thread runs the period's end: every field the
// two share is a single atomic value and no lock is taken.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zm::protocol {

enum class RedundancyLevel : int32_t { Min = 0, None = 1, Half = 2, Full = 3 };

// The command that announces a level on the control connection.
std::string_view RedundancyCommand(RedundancyLevel level);
// The level a command asks for; none for any other text.
std::optional<RedundancyLevel> RedundancyFromCommand(std::string_view command);

class RtpLossControl {
 public:
  static constexpr uint32_t kHoldSeconds = 120;

  // Grabber thread: packets received, and packets missing (negative to take back a count).
  void CountReceived(int32_t n = 1) { received_.fetch_add(n); }
  void CountLost(int32_t n) { lost_.fetch_add(n); }
  int32_t lost() const { return lost_.load(); }
  int32_t received() const { return received_.load(); }

  // Loss in hundredths of a percent: lost × 10,000 / (received + 1), negatives as 0.
  static int32_t LossRate(int32_t lost, int32_t received);
  // The timer's run at the end of a period, at `nowSec` on the clock; resets both counters.
  void EndPeriod(uint32_t nowSec);
  // Starts a new period (streaming has begun).
  void ResetCounters();

  RedundancyLevel level() const { return static_cast<RedundancyLevel>(level_.load()); }
  void SetLevel(RedundancyLevel level) { level_ = static_cast<int32_t>(level); }
  // The level to announce when it changed since the last call, once.
  std::optional<RedundancyLevel> TakeChange();

 private:
  void ChangeTo(RedundancyLevel level);

  std::atomic<int32_t> lost_{0};
  std::atomic<int32_t> received_{0};
  std::atomic<int32_t> level_{static_cast<int32_t>(RedundancyLevel::None)};
  std::atomic<int32_t> changed_{0};
  std::atomic<uint32_t> holdUntilSec_{0};
  std::atomic<int32_t> lossAtHalf_{-1};
};

}  // namespace zm::protocol
