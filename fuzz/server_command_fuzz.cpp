// Fuzzes the command splitter of zms-server over input that arrives in two reads: every byte
// comes out in order in some command, and only the beginning of a known command is held back.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "peers/server/command_stream.h"

using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t cut = data[0] % (input.size() + 1);
  zms::CommandStream stream;
  std::string joined;
  for (const std::string& part : {input.substr(0, cut), input.substr(cut)}) {
    for (const std::string& command : stream.Feed(part)) {
      Check(!command.empty());
      joined += command;
    }
  }
  Check(input.compare(0, joined.size(), joined) == 0);
  const std::string held = input.substr(joined.size());
  bool known = held.empty();
  for (std::string_view word : zms::kCommandWords) known = known || word.starts_with(held);
  Check(known);
  return 0;
}
