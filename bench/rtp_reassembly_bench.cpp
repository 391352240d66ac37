// Datagrams per second through the RTP receive path as the source runs it (header parsing,
// sequence extension, reordering and reassembly into 1 MB frames), clean and with 5 % loss and
// 5 % reordering, against a bare loop that only copies each datagram's piece into its frame at
// its place. Native, one core. Prints figures; it is not a test.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "protocol/rtp_packet.h"
#include "protocol/rtp_reassembly.h"

namespace {

using namespace zm::protocol;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kFrameBytes = 1024 * 1024;
constexpr int kRounds = 5;

std::vector<std::vector<uint8_t>> Stream(int frames) {
  MediaFrame frame;
  frame.header.streamType = kStreamTypeVideo;
  frame.header.keyFrame = 1;
  frame.payload.assign(kFrameBytes, 0x5A);
  RtpPacketFields fields;
  fields.ssrc = 0x1234;
  std::vector<std::vector<uint8_t>> datagrams;
  for (int i = 0; i < frames; ++i) {
    fields.timestamp = static_cast<uint32_t>(i) * 3000;
    auto packets = PacketiseFrame(frame, fields);
    fields.sequence = static_cast<uint16_t>(fields.sequence + packets.size());
    for (auto& p : packets) datagrams.push_back(std::move(p));
  }
  return datagrams;
}

// Drops `lossPercent` of the datagrams (never the first frame's) and swaps `reorderPercent`
// with the one after, from a fixed seed.
std::vector<std::vector<uint8_t>> Spoiled(std::vector<std::vector<uint8_t>> datagrams, int lossPercent,
                                          int reorderPercent) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> percent(0, 99);
  const size_t spared = kFrameBytes / kRtpPieceBytes + 1;
  std::vector<std::vector<uint8_t>> out;
  for (size_t i = 0; i < datagrams.size(); ++i) {
    if (i >= spared && percent(random) < lossPercent) continue;
    out.push_back(std::move(datagrams[i]));
  }
  for (size_t i = spared; i + 1 < out.size(); ++i) {
    if (percent(random) < reorderPercent) std::swap(out[i], out[i + 1]);
  }
  return out;
}

// The receive loop of the source, the consumer taking each frame's payload. Returns seconds
// and the frames delivered.
double ReceiveSeconds(const std::vector<std::vector<uint8_t>>& datagrams, int* delivered) {
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  std::vector<uint8_t> payload;
  size_t at = 0;
  uint32_t arrival = 0;
  *delivered = 0;
  const auto start = Clock::now();
  while (at < datagrams.size() && assembler.OfferWhileSyncing(datagrams[at++], arrival) != RtpOffer::Added) {
  }
  for (;;) {
    while (assembler.NeedsDatagram() && at < datagrams.size()) assembler.Offer(datagrams[at++], ++arrival);
    if (!assembler.HasPending()) break;
    if (auto ready = assembler.TakeOldest()) {
      payload.resize(ready->header.length);
      assembler.FillPayload(*ready, payload);
      ++*delivered;
    }
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The baseline: each datagram's piece copied into a frame buffer at its place, nothing checked.
double CopySeconds(const std::vector<std::vector<uint8_t>>& datagrams) {
  std::vector<uint8_t> frame(kFrameBytes);
  const size_t head = kRtpHeaderBytes + kMediaFrameHeaderSize + 4;
  const size_t plain = kRtpHeaderBytes + 4;
  uint16_t first = 0;
  const auto start = Clock::now();
  for (const auto& d : datagrams) {
    const bool marker = (d[1] & kRtpMarkerBit) != 0;
    const uint16_t sequence = static_cast<uint16_t>(d[2] << 8 | d[3]);
    if (marker) first = sequence;
    const size_t offset = static_cast<uint16_t>(sequence - first) * size_t{kRtpPieceBytes};
    const size_t skip = marker ? head : plain;
    const size_t size = std::min(d.size() - skip, frame.size() - std::min(offset, frame.size()));
    std::memcpy(frame.data() + std::min(offset, frame.size()), d.data() + skip, size);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (frame[0] != 0x5A) std::fprintf(stderr, "baseline copied nothing\n");
  return seconds;
}

void Compare(const char* name, const std::vector<std::vector<uint8_t>>& datagrams, int frames) {
  double receive = 1e9, copy = 1e9;
  int delivered = 0;
  for (int round = 0; round < kRounds; ++round) {
    receive = std::min(receive, ReceiveSeconds(datagrams, &delivered));
    copy = std::min(copy, CopySeconds(datagrams));
  }
  const double n = static_cast<double>(datagrams.size());
  std::printf(
      "%-22s %7zu datagrams  receive path %9.0f datagrams/s (%d of %d frames)   bare copy %9.0f datagrams/s   "
      "ratio %.2f\n",
      name, datagrams.size(), n / receive, delivered, frames, n / copy, copy / receive);
}

}  // namespace

int main(int argc, char** argv) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  const int frames = std::max(2, static_cast<int>(200 * scale));
  std::printf("best of %d rounds, 1 MB frames; ratio = receive path rate / bare copy rate\n", kRounds);
  const auto clean = Stream(frames);
  Compare("clean", clean, frames);
  Compare("5% loss, 5% reordered", Spoiled(clean, 5, 5), frames);
  return 0;
}
