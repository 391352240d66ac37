// Fuzzes the HTTP head and chunk-line scanners: each decides within its bound, accepts only
// what ends in its terminator, and a chunk the server writes is skipped exactly to its message.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/http_framing.h"

using namespace zm::protocol;
using zm::fuzz::Check;

namespace {

template <class Scanner>
size_t Scan(Scanner& scanner, const uint8_t* data, size_t size) {
  size_t i = 0;
  while (i < size && scanner.Feed(data[i]) == ScanStep::NeedMore) ++i;
  return i < size ? i + 1 : size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HttpHeadScanner head;
  const size_t headTaken = Scan(head, data, size);
  Check(headTaken <= kHttpStatusOk.size() + kMaxHttpHeadRestBytes);
  if (head.step() != ScanStep::Failed) {
    Check(std::memcmp(data, kHttpStatusOk.data(), headTaken < 12 ? headTaken : 12) == 0);
  }
  if (head.step() == ScanStep::Done) {
    Check(headTaken >= kHttpStatusOk.size() + 4 && std::memcmp(data + headTaken - 4, "\r\n\r\n", 4) == 0);
  }
  if (head.step() == ScanStep::NeedMore) Check(headTaken == size);

  ChunkLineScanner line;
  const size_t lineTaken = Scan(line, data, size);
  Check(lineTaken <= kMaxChunkLineBytes);
  if (line.step() == ScanStep::Done) {
    Check(lineTaken >= 2 && data[lineTaken - 2] == '\r' && data[lineTaken - 1] == '\n');
    for (size_t i = 0; i + 2 < lineTaken; ++i) Check(data[i] != '\r' || data[i + 1] != '\n');  // the first CR LF
  }

  // The input as a message: its chunk's line is skipped to the message's first byte.
  std::vector<uint8_t> chunk;
  AppendHttpChunk({data, size}, chunk);
  ChunkLineScanner ours;
  const size_t ourLine = Scan(ours, chunk.data(), chunk.size());
  Check(ours.step() == ScanStep::Done && ours.size() == size && chunk.size() == ourLine + size + 2);
  Check(size == 0 || std::memcmp(chunk.data() + ourLine, data, size) == 0);
  return 0;
}
