// Splits the command bytes a client writes on a stream connection into commands:
// "Seek:%d", "RTPFilePause", "RTPFileContinue" and RTP's "QC_Redundancy..." levels, with no
// separator between them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zms {

// The words a command begins with ("Seek:" is followed by its number).
inline constexpr std::string_view kCommandWords[] = {
    "RTPFilePause",      "RTPFileContinue",  "Seek:", "QC_RedundancyMin", "QC_RedundancyNone",
    "QC_RedundancyHalf", "QC_RedundancyFull"};

class CommandStream {
 public:
  // Adds received bytes; returns the commands complete so far. Bytes that can begin no
  // known command are returned as one unknown command, so that they are logged.
  std::vector<std::string> Feed(const std::string& bytes);

 private:
  std::string pending_;
};

}  // namespace zms
