// What every connection of one server run shares: the stop flag that the signal
// handler sets, the faults given on the command line and the reply options.
#pragma once

#include <atomic>
#include <cstdint>

#include "peers/server/fault_plan.h"

namespace zms {

struct ServerContext {
  std::atomic<bool> stopping{false};
  std::atomic<int> nextConnectionId{1};
  FaultPlan faults;              // --fault, for every connection
  uint16_t extensionBytes = 0;   // --extension-bytes: size of the protocol-80 reply extension
};

}  // namespace zms
