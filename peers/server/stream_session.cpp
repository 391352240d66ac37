#include "peers/server/stream_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "peers/server/command_stream.h"
#include "peers/server/media_request.h"
#include "peers/server/server_log.h"
#include "peers/server/source_catalog.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"
#include "protocol/string_codec.h"
#include "protocol/wire_limits.h"

namespace zms {
namespace {

namespace zp = zm::protocol;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint32_t kResultInvalidArg = 0x80070057;
constexpr uint32_t kWrongMagic = zp::kReplyMagic + 1;
constexpr milliseconds kIdleWait{100};

// Printable form of a request or command for the log.
std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) {
      out += c;
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", u);
      out += esc;
    }
  }
  return out;
}

// The test card's video block is a VIDEOINFOHEADER: its bitmap header starts at byte 48,
// with biWidth at 52 and biHeight at 56.
constexpr size_t kBitmapWidthAt = 52;
constexpr size_t kBitmapHeightAt = 56;

void PutInt32(std::vector<uint8_t>& block, size_t at, int32_t value) {
  if (block.size() < at + 4) return;
  for (size_t i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

void SpoilVideoFormat(VideoFormatFault fault, zp::StreamFormat& video) {
  switch (fault) {
    case VideoFormatFault::None: break;
    case VideoFormatFault::Short: video.formatBlock.resize(std::min(video.formatBlock.size(), kBitmapWidthAt)); break;
    case VideoFormatFault::Untyped: video.type.formatType = zp::Guid{}; break;
    case VideoFormatFault::ZeroWidth: PutInt32(video.formatBlock, kBitmapWidthAt, 0); break;
    case VideoFormatFault::NegativeHeight: PutInt32(video.formatBlock, kBitmapHeightAt, -240); break;
  }
}

class Session {
 public:
  Session(ServerContext& context, int id, ByteChannel& channel) : context_(context), id_(id), channel_(channel) {}

  void Run(std::string_view requestText) {
    LogLine("[%d] request \"%s\"", id_, Printable(requestText).c_str());
    std::string error;
    auto request = ParseMediaRequest(requestText, &error);
    if (!request) {
      LogLine("[%d] unreadable request: %s; refusing", id_, error.c_str());
      MediaRequest unknown;
      unknown.protocolVersion = requestText.substr(0, 8) == "/ZAMS80/" ? zp::kProtocolVersion80 : zp::kProtocolVersion25;
      Refuse(unknown, kResultInvalidArg);
      return;
    }
    faults_ = context_.faults;
    if (!ParseFaults(request->faults, &faults_, &error)) {
      LogLine("[%d] %s; refusing", id_, error.c_str());
      Refuse(*request, kResultInvalidArg);
      return;
    }
    // A server of the old protocol answers every version-80 request in version 25.
    if (context_.protocol25Only) faults_.version25 = true;
    Resolution resolution = ResolveRequest(*request);
    LogLine("[%d] %s \"%s\", protocol %u%s%s, faults %s: %s", id_, ResourceKindName(request->kind),
            Printable(resolution.mediaName).c_str(), request->protocolVersion,
            request->credentialHash.empty() ? "" : ", hash given", request->sessionId.empty() ? "" : ", session id given",
            DescribeFaults(faults_).c_str(), resolution.source ? "accepted" : "not found");
    if (!resolution.source) {
      Refuse(*request, resolution.result);
      return;
    }
    if (const uint32_t denied = context_.access.Check(*request)) {
      LogLine("[%d] %s", id_,
              request->credentialHash.empty() && request->sessionId.empty() ? "credentials needed"
              : request->credentialHash.empty()                             ? "session id refused"
                                                                            : "credential digest refused");
      Refuse(*request, denied);
      return;
    }
    if (faults_.result) {
      Refuse(*request, *faults_.result);
      return;
    }
    if (!SendReply(*request, *resolution.source)) return;
    if (request->kind == ResourceKind::PlayList && !SendPlayListText(resolution.playListText)) return;
    Stream(*resolution.source);
  }

 private:
  uint32_t AnswerVersion(const MediaRequest& request) const {
    if (faults_.version25) return zp::kProtocolVersion25;
    return request.protocolVersion;
  }

  // Sends bytes, one at a time under the drip fault.
  bool Send(std::span<const uint8_t> bytes) {
    if (!faults_.dripMicroseconds) return channel_.Send(bytes);
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (!channel_.Send(bytes.subspan(i, 1))) return false;
      if (*faults_.dripMicroseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(*faults_.dripMicroseconds));
    }
    return true;
  }

  void Refuse(const MediaRequest& request, uint32_t result) {
    zp::ServerReply reply;
    reply.protocolVersion = AnswerVersion(request);
    reply.status.result = result;
    Send(zp::EncodeServerReply(reply));
    LogLine("[%d] refused with result 0x%08X", id_, result);
    channel_.Finish();
  }

  bool SendReply(const MediaRequest& request, MediaSource& source) {
    zp::ServerReply reply;
    reply.protocolVersion = AnswerVersion(request);
    reply.status = source.Status();
    reply.extension.assign(context_.extensionBytes, 0);
    reply.formats = source.Formats();
    SpoilVideoFormat(faults_.videoFormat, reply.formats[zp::kVideoFormatIndex]);
    std::vector<uint8_t> bytes = zp::EncodeServerReply(reply);

    if (faults_.wrongMagic) {
      auto prologue = zp::EncodeReplyPrologue(kWrongMagic, reply.protocolVersion);
      std::copy(prologue.begin(), prologue.end(), bytes.begin());
    }
    if (faults_.oversize == OversizeField::Format) {
      // The video record claims one byte more than a format block may have.
      const size_t videoAt = bytes.size() - (2 * zp::kStreamFormatHeaderSize + reply.formats[0].formatBlock.size() +
                                             reply.formats[1].formatBlock.size());
      auto head = zp::EncodeStreamFormatHeader(reply.formats[0].type, zp::kMaxFormatBlockBytes + 1);
      bytes.resize(videoAt);
      bytes.insert(bytes.end(), head.begin(), head.end());
      bytes.insert(bytes.end(), reply.formats[0].formatBlock.begin(), reply.formats[0].formatBlock.end());
    }
    if (!Send(bytes)) return false;
    LogLine("[%d] reply sent: version %u, %zu bytes", id_, reply.protocolVersion, bytes.size());

    const bool answerIsFinal = faults_.wrongMagic || faults_.oversize == OversizeField::Format ||
                               (request.protocolVersion == zp::kProtocolVersion80 && faults_.version25);
    if (answerIsFinal) {
      channel_.Finish();
      return false;
    }
    return true;
  }

  bool SendPlayListText(const std::string& text) {
    std::vector<uint8_t> bytes;
    if (faults_.oversize == OversizeField::String) {
      auto length = zp::EncodeWireStringLength(zp::kMaxWireStringBytes + 1);
      bytes.assign(length.begin(), length.end());
      bytes.insert(bytes.end(), text.begin(), text.end());
      Send(bytes);
      LogLine("[%d] playlist string sent with an oversize length", id_);
      channel_.Finish();
      return false;
    }
    zp::AppendWireString(text, bytes);
    return Send(bytes);
  }

  void HandleCommand(const std::string& command, MediaSource& source) {
    LogLine("[%d] command \"%s\"", id_, Printable(command).c_str());
    if (command.rfind("Seek:", 0) == 0) {
      const int seconds = std::atoi(command.c_str() + 5);
      if (source.Seek(seconds)) {
        ended_ = false;
        LogLine("[%d] seek to %d s", id_, seconds);
      } else {
        LogLine("[%d] seek ignored: a live source without a time-shift window", id_);
      }
    } else if (command == "RTPFilePause") {
      if (!source.IsLive()) paused_ = true;
    } else if (command == "RTPFileContinue") {
      paused_ = false;
    } else {
      LogLine("[%d] unknown command ignored", id_);
    }
  }

  // Reads and obeys commands, waiting up to `timeout`. False when the client has gone.
  bool PollCommands(milliseconds timeout, MediaSource& source) {
    std::string bytes;
    ChannelWait wait = channel_.WaitForCommands(bytes, timeout);
    if (wait == ChannelWait::Closed) return false;
    for (const std::string& command : commands_.Feed(bytes)) HandleCommand(command, source);
    return true;
  }

  bool Stalled() const { return faults_.stallAfterFrames && framesSent_ >= *faults_.stallAfterFrames; }

  void Stream(MediaSource& source) {
    const Clock::time_point start = Clock::now();
    bool stallLogged = false;
    while (!context_.stopping) {
      if (!PollCommands(milliseconds(0), source)) break;
      if (paused_ || ended_ || Stalled()) {
        if (Stalled() && !stallLogged) {
          LogLine("[%d] stalling after %d frames", id_, framesSent_);
          stallLogged = true;
        }
        if (!PollCommands(kIdleWait, source)) break;
        continue;
      }
      std::optional<zp::MediaFrame> frame = source.NextFrame();
      if (!frame) {
        LogLine("[%d] end of item after %d frames", id_, framesSent_);
        ended_ = true;
        continue;
      }
      // A stream-change frame's time field carries the time-shift window, not a time: it goes at once.
      if (source.IsLive() && !zp::IsStreamChangeFrame(frame->header) && !WaitUntilDue(start, frame->header.time, source)) {
        break;
      }
      if (faults_.closeMidFrameAfter && framesSent_ >= *faults_.closeMidFrameAfter) {
        SendHalf(*frame);
        return;
      }
      if (faults_.oversize == OversizeField::Frame) {
        frame->header.length = zp::kMaxFramePayloadBytes + 1;
        auto head = zp::EncodeMediaFrameHeader(frame->header);
        Send(head);
        Send(frame->payload);
        LogLine("[%d] frame sent with an oversize length; closing", id_);
        channel_.Finish();
        return;
      }
      std::vector<uint8_t> bytes;
      zp::AppendMediaFrame(*frame, bytes);
      if (!Send(bytes)) break;
      ++framesSent_;
    }
    LogLine("[%d] streaming ended after %d frames", id_, framesSent_);
  }

  // Live frames leave when their time has come, measured from the start of streaming.
  bool WaitUntilDue(Clock::time_point start, int64_t time100ns, MediaSource& source) {
    const Clock::time_point due = start + std::chrono::microseconds(time100ns / 10);
    while (!context_.stopping) {
      const auto left = std::chrono::duration_cast<milliseconds>(due - Clock::now());
      if (left.count() <= 0) return true;
      if (!PollCommands(std::min(left, kIdleWait), source)) return false;
    }
    return false;
  }

  void SendHalf(const zp::MediaFrame& frame) {
    auto head = zp::EncodeMediaFrameHeader(frame.header);
    std::vector<uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), frame.payload.begin(), frame.payload.begin() + frame.payload.size() / 2);
    Send(bytes);
    LogLine("[%d] closing in the middle of frame %d", id_, framesSent_ + 1);
    channel_.Finish();
  }

  ServerContext& context_;
  const int id_;
  ByteChannel& channel_;
  FaultPlan faults_;
  CommandStream commands_;
  int framesSent_ = 0;
  bool paused_ = false;
  bool ended_ = false;
};

}  // namespace

void RunStreamSession(ServerContext& context, int connectionId, std::string_view requestText, ByteChannel& channel) {
  Session(context, connectionId, channel).Run(requestText);
}

}  // namespace zms
