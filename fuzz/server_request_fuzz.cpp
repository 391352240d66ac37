// Fuzzes the request parser of zms-server, with and without fault suffixes, the fault list it
// hands on, and the test of whether a request has arrived whole.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "peers/server/fault_plan.h"
#include "peers/server/media_request.h"

using namespace zms;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto plain = ParseMediaRequest(text, FaultSuffix::Ignored, &error);
  const auto taken = ParseMediaRequest(text, FaultSuffix::Taken, &error);
  const bool mayGoOn = RequestMayGoOn(text);
  if (plain) {
    Check(plain->faults.empty());
    Check((plain->protocolVersion == 80) == text.starts_with("/ZAMS80/"));
    // A whole digest ends the request.
    if (plain->credentialHash.size() == 40 &&
        plain->credentialHash.find_first_not_of("0123456789abcdef") == std::string::npos) {
      Check(!mayGoOn);
    }
  }
  if (plain && taken && !taken->faults.empty() && taken->kind != ResourceKind::LiveLocal) {
    Check(plain->name == taken->name + "#" + taken->faults);
  }
  if (!taken) return 0;
  FaultPlan plan;
  if (ParseFaults(taken->faults, &plan, &error) && plan.Any()) {
    // What the log says of a plan reads back as the same plan.
    const std::string described = DescribeFaults(plan);
    FaultPlan again;
    Check(ParseFaults(described, &again, &error) && DescribeFaults(again) == described);
  }
  return 0;
}
