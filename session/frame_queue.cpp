#include "session/frame_queue.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "protocol/error_ids.h"
#include "protocol/error_texts.h"
#include "protocol/media_frame_codec.h"
#include "protocol/stream_change_codec.h"
#include "session/apply_reply.h"

namespace zm::session {
namespace {

using protocol::kStreamTypeAudio;
using protocol::kStreamTypeVideo;

constexpr int64_t kUnitsPerSecond = 10'000'000;
constexpr uint32_t kLiveBufferingFlag = 0x1;  // serverFlags bit 0: the server lets a live stream buffer
constexpr uint16_t kFlagLiveReachable = 0x1;  // frame flags bit 0: live can no longer be resumed

// The description a stream-change frame carries, when it says it carries one and every offset
// in it lies inside the payload.
std::optional<protocol::StreamChange> DecodeDescription(const MediaFrame& frame) {
  if (frame.hasNewFormat == 0 || frame.data == nullptr) return std::nullopt;
  auto decoded = protocol::DecodeStreamChangePayload(std::span<const uint8_t>(frame.data, frame.length));
  if (!decoded) return std::nullopt;
  return std::move(decoded).value();
}

}  // namespace

bool FrameQueue::IsStreamChange(const MediaFrame& frame) {
  return frame.tag == protocol::kStreamChangeTag && frame.stopTime == protocol::kStreamChangeStopTime;
}

FrameQueue::FrameQueue(const PlayerSettings& settings, SessionValues& session, FrameQueueSite& site)
    : settings_(settings), session_(session), site_(site) {}

FrameQueue::~FrameQueue() {
  std::lock_guard<Mutex> hold(sessionLock_);
  ClearPendingLocked();
}

bool FrameQueue::HasVideo() const { return session_.m_videoType.IsPresent(); }
bool FrameQueue::HasAudio() const { return session_.m_audioType.IsPresent(); }

bool FrameQueue::NextFrame(MediaFrame* out, std::wstring& errorText, bool skipPending) {
  if (!skipPending) {
    std::unique_lock<Mutex> hold(sessionLock_);
    if (!pendingFrames_.empty()) {
      MediaFrame* held = pendingFrames_.front();
      pendingFrames_.pop_front();
      hold.unlock();
      *out = *held;
      held->data = nullptr;  // the payload moved with the header
      site_.DropFrame(held);
      return true;
    }
  }
  return site_.ReadFrame(*out, errorText);
}

bool FrameQueue::CompareStreamChange(const protocol::StreamChange& change, bool& rebuild) const {
  // Audio is compared only when the video records are equal.
  rebuild = !(change.formats[protocol::kVideoFormatIndex] == session_.m_videoType &&
              change.formats[protocol::kAudioFormatIndex] == session_.m_audioType);
  const uint32_t kind = change.status.resourceKind;
  const bool bothStored = session_.m_nStreamKind == 0 && kind == 0;
  const bool bothBufferedLive = session_.m_nStreamKind == 1 && kind == 1 && session_.m_bLiveBuffering &&
                                (change.status.serverFlags & kLiveBufferingFlag) != 0;
  if (bothStored || bothBufferedLive) return false;
  rebuild = true;
  return true;
}

FrameQueue::StreamChange FrameQueue::CheckStreamChange(MediaFrame* frame, bool& rebuild) {
  rebuild = false;
  if (!IsStreamChange(*frame)) return StreamChange::None;
  // A frame marked as a stream change whose description is missing or does not fit its own
  // payload changes nothing: it is neither media nor a description.
  std::optional<protocol::StreamChange> description = DecodeDescription(*frame);
  if (!description) {
    site_.DropFrame(frame);
    return StreamChange::Ignored;
  }
  rebuild = true;
  bool restart = true;
  if (!(session_.m_bSeeking && session_.m_nSeekTarget == 0)) restart = CompareStreamChange(*description, rebuild);
  std::lock_guard<Mutex> hold(sessionLock_);
  if (restart) ClearPendingLocked();
  if (pendingStreamChange_) site_.DropFrame(pendingStreamChange_);
  pendingStreamChange_ = frame;
  pendingDescription_ = std::move(description);
  if (restart) {
    session_.m_bSwitching = true;
    site_.SignalStop();
  }
  return StreamChange::Pending;
}

bool FrameQueue::HandleFrame(MediaFrame* frame, int& endCount, std::wstring& errorText) {
  const bool streamChange = IsStreamChange(*frame);
  if (!streamChange && !session_.m_bSeeking) {
    if (frame->length != 0 && frame->time != 0) {
      session_.m_nLastReceivedSec = static_cast<int32_t>(frame->time / kUnitsPerSecond);
    }
    if (frame->length == 0) ++endCount;
    if ((session_.m_nPlaybackMode == protocol::LiveTimeShift ||
         session_.m_nPlaybackMode == protocol::TimeShiftPlayback) &&
        (frame->flags & kFlagLiveReachable) != 0) {
      session_.m_bTimeShiftCanSwitchToLive = false;
    }
    site_.DeliverFrame(frame);
    return true;
  }

  // A stream change, or a frame while seeking: only one with a new format matters; the ones
  // before the seek's completion are what the server sent before it moved.
  if (frame->hasNewFormat == 0) {
    site_.DropFrame(frame);
    return true;
  }
  site_.FlushBuffer();
  ClearPendingFrames();
  if (streamChange) {
    bool rebuild = false;
    if (CheckStreamChange(frame, rebuild) == StreamChange::Pending) {
      if (rebuild) {
        session_.m_bSwitching = true;
        site_.SignalStop();
      } else {
        ClearPendingFrames();
      }
    }
    return true;
  }

  // The seek has completed with this frame.
  const uint32_t length = frame->length;
  const uint16_t position = frame->itemIndex;
  site_.DeliverFrame(frame);
  site_.ResetTimeBase();
  if (session_.m_nPlaybackMode == protocol::TimeShiftPlayback) session_.m_nTimeShiftPosition = position;
  if (length != 0) {
    endCount = 0;
    if (!PrerollStored(endCount, errorText)) return false;
    if (session_.m_bSwitching) return true;
  } else {
    // The seek landed at the end: every stream has ended.
    endCount = session_.m_bAudioWithVideo + 1;
    PushEndMarkers();
  }
  session_.m_bSeeking = false;
  site_.SeekCompleted();
  return true;
}

bool FrameQueue::HoldBack(const MediaFrame& frame) {
  MediaFrame* copy = site_.AllocateFrame();
  if (!copy) return false;
  *copy = frame;
  copy->data = nullptr;
  if (frame.length != 0 && frame.data) {
    copy->data = site_.AllocatePayload(frame.length);
    if (!copy->data) {
      site_.DropFrame(copy);
      return false;
    }
    std::memcpy(copy->data, frame.data, frame.length);
  } else {
    copy->length = 0;
  }
  std::lock_guard<Mutex> hold(sessionLock_);
  pendingFrames_.push_back(copy);
  return true;
}

bool FrameQueue::HasPendingStreamChange() const {
  std::lock_guard<Mutex> hold(sessionLock_);
  return pendingStreamChange_ != nullptr;
}

size_t FrameQueue::PendingFrameCount() const {
  std::lock_guard<Mutex> hold(sessionLock_);
  return pendingFrames_.size();
}

void FrameQueue::PushEndMarkers() {
  auto push = [this](uint32_t streamType) {
    MediaFrame* marker = site_.AllocateFrame();
    if (!marker) return;
    marker->streamType = streamType;
    site_.DeliverFrame(marker);
  };
  if (session_.m_bAudioWithVideo || !session_.m_bAudioOnly) push(kStreamTypeVideo);
  if (session_.m_bAudioWithVideo || session_.m_bAudioOnly) push(kStreamTypeAudio);
}

void FrameQueue::ClearPendingLocked() {
  if (pendingStreamChange_) site_.DropFrame(pendingStreamChange_);
  pendingStreamChange_ = nullptr;
  pendingDescription_.reset();
  session_.m_bSwitching = false;
  for (MediaFrame* frame : pendingFrames_) site_.DropFrame(frame);
  pendingFrames_.clear();
}

void FrameQueue::ClearPendingFrames() {
  std::lock_guard<Mutex> hold(sessionLock_);
  ClearPendingLocked();
}

bool FrameQueue::ApplyPendingFormat() {
  MediaFrame* frame = nullptr;
  std::optional<protocol::StreamChange> change;
  {
    std::lock_guard<Mutex> hold(sessionLock_);
    frame = std::exchange(pendingStreamChange_, nullptr);
    change = std::exchange(pendingDescription_, std::nullopt);
  }
  if (!frame) return false;
  ApplyReply(change->status, change->formats, *frame, settings_, session_);
  site_.DropFrame(frame);
  session_.m_nTimeShiftCarrySec = 0;
  return true;
}

FrameQueue::Read FrameQueue::ReadPrerollFrame(bool skipPending, MediaFrame*& frame, std::wstring& errorText) {
  frame = site_.AllocateFrame();
  if (!frame || !NextFrame(frame, errorText, skipPending)) {
    if (frame) site_.DropFrame(frame);
    frame = nullptr;
    if (errorText.empty()) errorText = protocol::kTextUnexpected;
    session_.m_nErrorType = protocol::kErrorTypeRunning;
    session_.m_nErrorID = protocol::kErrorNoResponse;
    return Read::Failed;
  }
  bool rebuild = false;
  switch (CheckStreamChange(frame, rebuild)) {
    case StreamChange::None: return Read::Frame;
    case StreamChange::Ignored: frame = nullptr; return Read::Skipped;
    case StreamChange::Pending: break;
  }
  // The buffered frames play out, then the run restarts with the new description.
  frame = nullptr;
  session_.m_bSwitching = true;
  site_.SignalStop();
  PushEndMarkers();
  return Read::StreamChanged;
}

template <class Take>
bool FrameQueue::RunPreroll(bool skipPending, std::wstring& errorText, Take&& take) {
  while (!site_.StopSignalled()) {
    MediaFrame* frame = nullptr;
    const Read read = ReadPrerollFrame(skipPending, frame, errorText);
    if (read == Read::Failed) return false;
    if (read == Read::StreamChanged) return true;
    if (read == Read::Skipped) continue;
    if (take(frame)) return true;
  }
  return true;
}

bool FrameQueue::PrerollStored(int& endCount, std::wstring& errorText) {
  const int64_t videoTarget = HasVideo() ? kPrerollSeconds : 0;
  const int64_t audioTarget = HasAudio() ? kPrerollSeconds : 0;
  int64_t firstVideo = -1, firstAudio = -1, videoSpan = 0, audioSpan = 0;
  size_t counted = 0;
  return RunPreroll(session_.m_bSeeking, errorText, [&](MediaFrame* frame) {
    if (session_.m_nPlaybackMode == protocol::TimeShiftPlayback && (frame->flags & kFlagLiveReachable) != 0) {
      session_.m_bTimeShiftCanSwitchToLive = false;
    }
    if (!session_.m_bSeeking && session_.m_nPlaybackMode == protocol::Stored && session_.m_llStartTime == -1 &&
        frame->time != 0) {
      session_.m_llStartTime = frame->time;
    }
    const uint32_t streamType = frame->streamType;
    const int64_t time = frame->time;
    const bool endMarker = frame->length == 0;
    site_.DeliverFrame(frame);
    if (endMarker) {
      ++endCount;
      return true;
    }
    ++counted;
    if (time != 0) {
      const int64_t seconds = time / kUnitsPerSecond;
      if (streamType == kStreamTypeVideo) {
        if (firstVideo == -1) firstVideo = seconds;
        videoSpan = seconds - firstVideo;
      } else if (streamType == kStreamTypeAudio) {
        if (firstAudio == -1) firstAudio = seconds;
        audioSpan = seconds - firstAudio;
      }
    }
    return (videoSpan >= videoTarget && audioSpan >= audioTarget) || counted >= kPrerollFrameLimit;
  });
}

bool FrameQueue::PrerollLive(std::wstring& errorText) {
  const bool playList = settings_.m_nResourceKind == protocol::FilePlayList;
  const bool videoOnly = HasVideo() && !HasAudio();
  size_t audio = 0, video = 0;
  // Also ends on the stop event: a live source that never sends a second audio frame would
  // otherwise hold a Stop until the transport's watchdog fires.
  return RunPreroll(false, errorText, [&](MediaFrame* frame) {
    ++(frame->streamType == kStreamTypeAudio ? audio : video);
    if (playList) {
      // A frame of an earlier playlist generation belongs to the item before this one.
      if (((frame->tag >> 8) & 0xFE) != session_.m_nPlayListGeneration) {
        site_.DropFrame(frame);
        return true;
      }
      if (!session_.m_bAudioOnly) frame->tag = kPlayListPrerollTag;
    }
    if (session_.m_llStartTime == -1 && frame->time != 0) session_.m_llStartTime = frame->time;
    site_.DeliverFrame(frame);
    return playList ? audio + video == 5 : videoOnly ? video >= 1 : audio == 2;
  });
}

bool FrameQueue::PrerollLiveFill(std::wstring& errorText) {
  const size_t limit = std::min<size_t>(static_cast<size_t>(std::max(settings_.m_nBufferSeconds, 0)) * 50, 900);
  struct Fill {
    bool done;
    size_t count = 0;
    int64_t first = 0;
  };
  Fill video{!HasVideo()}, audio{!HasAudio()};
  return RunPreroll(false, errorText, [&](MediaFrame* frame) {
    if (session_.m_llStartTime == -1 && frame->time != 0) session_.m_llStartTime = frame->time;
    Fill& stream = frame->streamType == kStreamTypeAudio ? audio : video;
    const int64_t time = frame->time;
    site_.DeliverFrame(frame);
    ++stream.count;
    if (time != 0) {
      if (stream.first == 0) stream.first = time;
      if (time / kUnitsPerSecond - stream.first / kUnitsPerSecond >= settings_.m_nBufferSeconds) stream.done = true;
    }
    if (!stream.done && stream.count >= limit) stream.done = true;
    return (audio.done && video.done) || audio.count >= kLiveFillOverflow || video.count >= kLiveFillOverflow;
  });
}

}  // namespace zm::session
