// Fuzzes the RTP receive path as the source runs it: the input is a run of datagrams, each
// after a 2-byte length; the first byte picks whether the wait for a key frame comes first
// and whether other sources' datagrams are dropped (as the multicast source has it).
// Every delivered frame fills exactly its announced length, no more than five frames wait,
// and the reception figures stay consistent.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/rtp_reassembly.h"

using namespace zm::protocol;
using zm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool syncing = (data[0] & 1) != 0;
  size_t at = 1;
  RtpLossControl loss;
  RtpFrameAssembler assembler(loss);
  if (data[0] & 2) assembler.DropOtherSources();
  uint32_t arrival = 0;
  auto next = [&](std::span<const uint8_t>& datagram) {
    if (size - at < 2) return false;
    const size_t length = std::min<size_t>(data[at] | data[at + 1] << 8, size - at - 2);
    datagram = {data + at + 2, length};
    at += 2 + length;
    arrival += 7;
    return true;
  };
  std::span<const uint8_t> datagram;
  while (syncing) {
    if (!next(datagram)) return 0;
    const RtpOffer offer = assembler.OfferWhileSyncing(datagram, arrival);
    if (offer == RtpOffer::SsrcChanged) return 0;
    syncing = offer != RtpOffer::Added;
  }
  for (;;) {
    while (assembler.NeedsDatagram() && next(datagram)) {
      if (assembler.Offer(datagram, arrival) == RtpOffer::SsrcChanged) return 0;
    }
    if (!assembler.HasPending()) break;
    if (auto ready = assembler.TakeOldest()) {
      std::vector<uint8_t> payload(ready->header.length, 0xCC);
      assembler.FillPayload(*ready, payload);
      Check(payload.size() == ready->header.length);
    }
  }
  const RtpReceptionFigures figures = assembler.reception().Figures();
  Check(figures.received <= figures.expected || figures.expected == 0);
  Check(figures.recovered <= figures.received);
  Check(figures.lost == static_cast<int64_t>(figures.expected) - static_cast<int64_t>(figures.received));
  return 0;
}
