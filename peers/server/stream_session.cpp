#include "peers/server/stream_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "peers/server/command_stream.h"
#include "peers/server/fault_channel.h"
#include "peers/server/media_request.h"
#include "peers/server/reply_faults.h"
#include "peers/server/server_log.h"
#include "peers/server/source_catalog.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"
#include "protocol/result_codes.h"
#include "protocol/string_codec.h"

namespace zms {
namespace {

namespace zp = zm::protocol;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

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

class Session {
 public:
  Session(ServerContext& context, int id, ByteChannel& channel, const FaultPlan& faults)
      : context_(context), id_(id), channel_(channel), faults_(faults) {}

  void Serve(const MediaRequest& request) {
    Resolution resolution = ResolveRequest(request);
    LogLine("[%d] %s \"%s\", protocol %u%s%s, faults %s: %s", id_, ResourceKindName(request.kind),
            Printable(resolution.mediaName).c_str(), request.protocolVersion,
            request.credentialHash.empty() ? "" : ", hash given", request.sessionId.empty() ? "" : ", session id given",
            DescribeFaults(faults_).c_str(), resolution.source ? "accepted" : "not found");
    if (!resolution.source) {
      Refuse(request, resolution.result);
      return;
    }
    if (const uint32_t denied = context_.access.Check(request)) {
      LogLine("[%d] %s", id_,
              request.credentialHash.empty() && request.sessionId.empty() ? "credentials needed"
              : request.credentialHash.empty()                            ? "session id refused"
                                                                          : "credential digest refused");
      Refuse(request, denied);
      return;
    }
    MediaSource& source = *resolution.source;
    zp::ServerReply reply;
    reply.status = source.Status();
    reply.extension.assign(context_.extensionBytes, 0);
    reply.formats = source.Formats();
    if (!Answer(request, std::move(reply))) return;
    if (request.kind == ResourceKind::FilePlayList && !SendString(resolution.playListText)) return;
    Stream(source);
  }

  void Refuse(const MediaRequest& request, uint32_t result) {
    zp::ServerReply reply;
    reply.status.result = result;
    Answer(request, std::move(reply));
  }

 private:
  // Sends the reply; false when nothing may follow it (the connection is then finished).
  bool Answer(const MediaRequest& request, zp::ServerReply reply) {
    // A server of the old protocol answers every version-80 request in version 25.
    reply.protocolVersion = context_.protocol25Only ? zp::kProtocolVersion25 : request.protocolVersion;
    const ReplyBytes answer = EncodeFaultyReply(std::move(reply), request.protocolVersion, faults_);
    if (!channel_.Send(answer.bytes, WireMessage::Reply)) return false;
    if (answer.result) {
      LogLine("[%d] refused with result 0x%08X", id_, answer.result);
    } else {
      LogLine("[%d] reply sent: version %u, %zu bytes", id_, answer.version, answer.bytes.size());
    }
    if (answer.last) channel_.Finish();
    return !answer.last;
  }

  bool SendString(const std::string& text) {
    std::vector<uint8_t> bytes;
    zp::AppendWireString(text, bytes);
    return channel_.Send(bytes, WireMessage::String);
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
    } else if (channel_.TakeCommand(command)) {
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

  void Stream(MediaSource& source) {
    const Clock::time_point start = Clock::now();
    while (!context_.stopping) {
      if (!PollCommands(milliseconds(0), source)) break;
      if (paused_ || ended_) {
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
      if (source.IsLive() && !zp::IsStreamChangeFrame(frame->header) &&
          !WaitUntilDue(start, frame->header.time, source)) {
        break;
      }
      std::vector<uint8_t> bytes;
      zp::AppendMediaFrame(*frame, bytes);
      if (!channel_.Send(bytes, WireMessage::Frame)) break;
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

  ServerContext& context_;
  const int id_;
  ByteChannel& channel_;
  const FaultPlan faults_;
  CommandStream commands_;
  int framesSent_ = 0;
  bool paused_ = false;
  bool ended_ = false;
};

}  // namespace

FaultPlan ConnectionFaults(const ServerContext& context, std::string_view requestText) {
  std::string error;
  const FaultSuffix suffix = context.allowFaultSuffix ? FaultSuffix::Taken : FaultSuffix::Ignored;
  std::optional<MediaRequest> request = ParseMediaRequest(requestText, suffix, &error);
  FaultPlan faults = context.faults;
  if (request && !ParseFaults(request->faults, &faults, &error)) faults = context.faults;
  return faults;
}

void RunStreamSession(ServerContext& context, int connectionId, std::string_view requestText, ByteChannel& channel) {
  LogLine("[%d] request \"%s\"", connectionId, Printable(requestText).c_str());
  std::string error;
  const FaultSuffix suffix = context.allowFaultSuffix ? FaultSuffix::Taken : FaultSuffix::Ignored;
  std::optional<MediaRequest> request = ParseMediaRequest(requestText, suffix, &error);
  if (!request) {
    LogLine("[%d] unreadable request: %s; refusing", connectionId, error.c_str());
    MediaRequest unknown;
    unknown.protocolVersion = requestText.starts_with("/ZAMS80/") ? zp::kProtocolVersion80 : zp::kProtocolVersion25;
    Session(context, connectionId, channel, FaultPlan{}).Refuse(unknown, zp::kResultInvalidArg);
    return;
  }
  FaultPlan faults = context.faults;
  const bool faultsRead = ParseFaults(request->faults, &faults, &error);
  if (!faultsRead) faults = context.faults;
  // The faults sit around the transport's channel and in the reply step, not in the session.
  FaultChannel faultChannel(channel, faults, context.stopping, connectionId);
  Session session(context, connectionId, faultChannel, faults);
  if (faultsRead) {
    session.Serve(*request);
  } else {
    LogLine("[%d] %s; refusing", connectionId, error.c_str());
    session.Refuse(*request, zp::kResultInvalidArg);
  }
}

}  // namespace zms
