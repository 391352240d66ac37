// Splits the command bytes a client writes on a stream connection into commands:
// "Seek:%d", "RTPFilePause", "RTPFileContinue" and RTP's "QC_Redundancy..." levels, with no
// separator between them.
#pragma once

#include <string>
#include <vector>

namespace zms {

class CommandStream {
 public:
  // Adds received bytes; returns the commands complete so far. Bytes that can begin no
  // known command are returned as one unknown command, so that they are logged.
  std::vector<std::string> Feed(const std::string& bytes);

 private:
  std::string pending_;
};

}  // namespace zms
