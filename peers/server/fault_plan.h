// Faults that a test can ask the server for, per connection: from the --fault flag,
// or from a "#..." suffix of the requested resource name (the suffix wins).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zms {

enum class OversizeField { None, Frame, Format, String };
// How the video StreamFormat record of the reply is spoiled: a block cut short before the
// bitmap header's size, a format type with no bitmap header, a width of 0, a negative height.
enum class VideoFormatFault { None, Short, Untyped, ZeroWidth, NegativeHeight };

struct FaultPlan {
  std::optional<int> stallAfterFrames;                    // stall-after=N: send N frames, then nothing
  std::optional<int> closeMidFrameAfter;                  // close-mid-frame=N: N frames, half of one, close
  bool wrongMagic = false;                                // wrong-magic: reply magic 0x36B2
  bool version25 = false;                                 // version25: answer 25 to a version-80 request
  std::optional<uint32_t> result;                         // result=CODE: refuse with this ReplyStatus result
  OversizeField oversize = OversizeField::None;           // oversize=frame|format|string
  std::optional<int> dripMicroseconds;                    // drip[=US]: one byte per send, US apart
  VideoFormatFault videoFormat = VideoFormatFault::None;  // video-format=short|untyped|zero-width|negative-height
  bool noHttp = false;                                    // no-http: an HTTP request is answered 404
  bool noTcp = false;                                     // no-tcp: a plain TCP request gets no answer
  bool longHttpHead = false;   // long-head: an HTTP stream's head runs on past 512 bytes without its blank line
  bool longChunkLine = false;  // long-chunk-line: the first chunk's size line is 16 bytes and more
  // The TLS faults act before any request, so they come from --fault only.
  bool tls11Only = false;         // tls11-only: TLS connections speak TLS 1.1 and nothing newer
  bool closeInHandshake = false;  // close-in-handshake: a TLS connection closes after the client's hello
  // RTP datagrams spoiled at rates per mille, drawn from a generator with a fixed seed. The
  // first two frames, the last four before the end of an item and the end itself are spared.
  int udpDropPermille = 0;             // udp-drop=N
  int udpDuplicatePermille = 0;        // udp-duplicate=N
  int udpReorderPermille = 0;          // udp-reorder=N: sent after the datagram that follows it
  uint32_t udpSeed = 1;                // udp-seed=N
  std::optional<int> ssrcChangeAfter;  // ssrc-change=N: N frames, then another SSRC
  int udpPacePercent = 125;            // udp-pace=N: RTP frames leave at N% of their own pace
  // RTP multicast only.
  bool groupPortZero = false;           // group-port-zero: the group is named with port 0, nothing is sent
  std::optional<int> controlByteAfter;  // control-byte-after=N: N frames, then a byte on the control connection
  bool multicastStrays = false;         // multicast-strays: strays of another SSRC and another sender
  bool UdpFaults() const { return udpDropPermille + udpDuplicatePermille + udpReorderPermille > 0; }

  bool Any() const;
};

// Applies a comma-separated list such as "stall-after=5,drip" on top of `plan`.
// Returns false and an error text for an unknown or malformed item.
bool ParseFaults(std::string_view text, FaultPlan* plan, std::string* error);

// Text for the log, "stall-after=5,drip".
std::string DescribeFaults(const FaultPlan& plan);

}  // namespace zms
