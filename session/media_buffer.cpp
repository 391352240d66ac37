#include "session/media_buffer.h"

#include "protocol/media_frame_codec.h"

namespace zm::session {

using protocol::kStreamTypeAudio;
using protocol::kStreamTypeVideo;

MediaBuffer::MediaBuffer(MediaBufferSite& site, FrameDropper drop, uint32_t resourceKind, bool videoPresent,
                         bool audioPresent, const protocol::Guid& audioSubtype)
    : site_(site),
      drop_(drop),
      state_(resourceKind, videoPresent, audioPresent, audioSubtype),
      audioChannel_(drop),
      videoChannel_(drop) {}

MediaBuffer::~MediaBuffer() {
  Stop();
  // The channels' destructors wait for the threads still inside them.
  std::lock_guard<Mutex> hold(bufferLock_);
  if (heldKeyFrame_) Drop(heldKeyFrame_);
  heldKeyFrame_ = nullptr;
}

FrameChannel* MediaBuffer::ChannelOf(uint32_t streamType) {
  if (streamType == kStreamTypeAudio) return &audioChannel_;
  if (streamType == kStreamTypeVideo) return &videoChannel_;
  return nullptr;
}

Gate* MediaBuffer::GateOf(uint32_t streamType) { return streamType == kStreamTypeAudio ? &audioGate_ : &videoGate_; }

BufferChannelView MediaBuffer::Channels() const {
  return BufferChannelView{audioChannel_.Count(), videoChannel_.Count(), audioGate_.IsOpen(), videoGate_.IsOpen()};
}

void MediaBuffer::DeliverFrame(MediaFrame* frame) {
  FrameChannel* channel = ChannelOf(frame->streamType);
  bool pushed = false;
  {
    // The rebuffering flag is read and changed, and the gates moved, under the lock: a reader
    // that starts rebuffering and the producer that ends it must see each other's change.
    std::lock_guard<Mutex> hold(bufferLock_);
    const DeliverDecision decision = state_.OnDeliver(*frame, site_.PlayerView(), Channels(), site_.NowSeconds());
    if (decision.drop) {
      Drop(frame);
      return;
    }
    if (decision.endRebuffering) site_.EndRebuffering();
    if (decision.openAudioGate) audioGate_.Open();
    if (decision.openVideoGate) videoGate_.Open();
    // Posted, never sent: the control window may be waiting for a renderer that waits for us.
    if (decision.resync != kNoResync) site_.RequestResync(decision.resync);
    // Pushed under the same lock as the decision, so that a reader cannot find the channel
    // empty and start rebuffering in between, after the decision that would have ended it.
    pushed = channel->TryPush(frame);
  }
  if (pushed) {
    // Woken once the lock is free: woken under it, the reader would sleep again at once on the
    // lock and need a second wake-up for every frame.
    channel->WakeReader();
    return;
  }
  // Full: wait for space outside the lock. A full channel is never found empty meanwhile.
  if (!channel->Push(frame)) Drop(frame);
}

bool MediaBuffer::GetFrame(uint32_t streamType, MediaFrame*& out) {
  out = nullptr;
  FrameChannel* channel = ChannelOf(streamType);
  if (!channel || aborting_) return false;
  MediaFrame* frame = nullptr;
  {
    std::lock_guard<Mutex> hold(bufferLock_);
    if (!state_.HasStream(streamType) || state_.Refuses(streamType)) return false;
    if (streamType == kStreamTypeVideo && heldKeyFrame_) frame = std::exchange(heldKeyFrame_, nullptr);
  }
  if (!frame && !channel->Pop(frame)) return false;
  if (aborting_) {
    Drop(frame);
    return false;
  }

  if (frame->length == 0) {
    Drop(frame);
    EndDecision decision;
    {
      std::lock_guard<Mutex> hold(bufferLock_);
      decision = state_.OnEndMarker(streamType);
    }
    if (decision.allEnded) site_.AllStreamsEnded();
    if (decision.pushEndMarkers) site_.PushEndMarkers();
    return false;
  }

  // The resynchronisation check, the catch-up check and the bookkeeping under one hold of the
  // lock: this runs for every frame a reader takes.
  const bool desktop = site_.DesktopReachable();
  bool held = false, caughtUp = false;
  {
    std::lock_guard<Mutex> hold(bufferLock_);
    const BufferPlayerView player = site_.PlayerView();
    if (state_.HoldForResync(*frame, player)) {
      if (heldKeyFrame_) Drop(heldKeyFrame_);
      heldKeyFrame_ = frame;
      held = true;
    } else if (channel->Count() <= 2 && site_.TimeShiftCaughtUp()) {
      caughtUp = true;
    } else {
      const HandOutDecision decision = state_.OnHandOut(*frame, player, Channels(), desktop, site_.NowSeconds());
      if (decision.closeGate) GateOf(streamType)->Close();
      if (decision.startRebuffering) site_.StartRebuffering();
    }
  }
  if (held) {
    site_.RequestResync(kResyncKeep);
    return false;
  }
  if (caughtUp) {
    Drop(frame);
    return false;
  }

  // A reader holds its frame while either stream rebuffers; a stop meanwhile frees it.
  if (!videoGate_.WaitOpen() || !audioGate_.WaitOpen() || aborting_) {
    Drop(frame);
    return false;
  }
  out = frame;
  return true;
}

void MediaBuffer::Flush() {
  std::lock_guard<Mutex> hold(bufferLock_);
  if (state_.HasStream(kStreamTypeAudio)) audioChannel_.Clear();
  if (state_.HasStream(kStreamTypeVideo)) videoChannel_.Clear();
  if (heldKeyFrame_) Drop(heldKeyFrame_);
  heldKeyFrame_ = nullptr;
  state_.OnFlush();
  // A seek ends rebuffering without the refill that would open the gates: open them here.
  if (!site_.PlayerView().m_bBuffering) {
    audioGate_.Open();
    videoGate_.Open();
  }
}

void MediaBuffer::Abort() {
  aborting_ = true;
  audioGate_.Open();
  videoGate_.Open();
  audioChannel_.Abort();
  videoChannel_.Abort();
}

void MediaBuffer::Resume() {
  aborting_ = false;
  audioChannel_.Resume();
  videoChannel_.Resume();
}

void MediaBuffer::MarkDelivery() {
  std::lock_guard<Mutex> hold(bufferLock_);
  state_.MarkDelivery(site_.NowSeconds());
}

void MediaBuffer::ResetTimeBase() {
  std::lock_guard<Mutex> hold(bufferLock_);
  state_.ResetTimeBase();
}

void MediaBuffer::SetAudioAbsent() {
  {
    std::lock_guard<Mutex> hold(bufferLock_);
    state_.SetAudioAbsent();
    audioChannel_.Clear();
  }
  audioGate_.Open();  // nothing would open it any more
}

void MediaBuffer::Stop() {
  audioChannel_.Stop();
  videoChannel_.Stop();
  audioGate_.Stop();
  videoGate_.Stop();
}

int32_t MediaBuffer::BufferingPercent() const {
  std::lock_guard<Mutex> hold(bufferLock_);
  return state_.BufferingPercent();
}

int64_t MediaBuffer::LastVideoTime() const {
  std::lock_guard<Mutex> hold(bufferLock_);
  return state_.LastVideoTime();
}

int64_t MediaBuffer::LastAudioTime() const {
  std::lock_guard<Mutex> hold(bufferLock_);
  return state_.LastAudioTime();
}

size_t MediaBuffer::Count(uint32_t streamType) const {
  if (streamType == kStreamTypeAudio) return audioChannel_.Count();
  if (streamType == kStreamTypeVideo) return videoChannel_.Count();
  return 0;
}

}  // namespace zm::session
