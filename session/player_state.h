// The control's state in two parts, each owned by CZMediaPlayer: the settings the host makes
// and the values a session learns. The negotiation and the reply arithmetic read and write
// them directly, under the control's member names. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/player_enums.h"
#include "protocol/reply_codec.h"
#include "protocol/rtp_reception.h"
#include "protocol/stream_format_codec.h"

namespace zm::session {

// Written by the apartment thread (the host's IZMediaPlayer calls). While a session
// connects, the grabber thread's negotiation reads them and writes back what it settles:
// the default port, a normalised resource kind, a transport fallback, a refused session id
// (`m_nAuthMode`) and a digest it obtains or forgets (`m_sCredentialHash`). Setters called
// meanwhile answer S_FALSE; both sides take the session lock for these members.
struct PlayerSettings {
  std::wstring m_sServerAddr;
  int32_t m_nServerPort = 0;  // 0: the transport's default, stored back by the negotiation
  int32_t m_nTransport = protocol::Tcp;
  int32_t m_nResourceKind = protocol::None;
  std::wstring m_sSourceAddr;
  std::wstring m_sSourceNumber;
  std::wstring m_sFile;
  std::wstring m_sLiveAlias;
  std::wstring m_sPlayListFolder;
  int32_t m_nPlayListIndex = 0;
  std::wstring m_sSessionID;
  std::wstring m_sCredentialHash;
  int32_t m_nAuthMode = static_cast<int32_t>(protocol::AuthMode::PasswordHash);
  int32_t m_nBufferSeconds = 5;
  int32_t m_nUDPLossControlMode = 1;
  bool m_bShowStatus = true;
  bool m_bCustomErrorHandler = false;
  bool m_bContextMenu = true;
  bool m_bSizeInContextMenu = true;
  bool m_bUserFullScreen = true;
  bool m_bFlowControlInMenu = true;
  bool m_bFlowBarShown = false;
  int32_t m_nAspectRatio = 0;
  int32_t m_nVolume = -1000;
  bool m_bFullScreenRequested = false;
  bool m_bNormalIntegrity = true;  // the process runs at medium integrity or above
};

// Written by the grabber thread while the state is Connecting (the negotiation and the reply
// arithmetic) and by the apartment thread otherwise; `m_nState` changes only on the apartment
// thread, or on the grabber thread under the session lock. Read by the apartment thread.
struct SessionValues {
  int32_t m_nState = protocol::Idle;
  int32_t m_nErrorType = 0;
  int32_t m_nErrorID = 0;
  std::wstring m_sErrorText;
  std::wstring m_sMediaName;
  int32_t m_nServerResult = 0;
  int32_t m_nStreamKind = 0;  // 0 stored, 1 live
  int32_t m_nDurationMs = 0;
  int32_t m_bSeekable = 0;
  protocol::StreamFormat m_videoType;  // the stream description, video first
  protocol::StreamFormat m_audioType;
  bool m_bAudioOnly = false;
  bool m_bAudioWithVideo = false;
  int32_t m_nPlaybackMode = 0;
  uint16_t m_nTimeShiftLength = 0;
  uint16_t m_nTimeShiftMax = 0;
  int32_t m_nTimeShiftPosition = 0;
  int64_t m_llTimeShiftTotalTime = 0;  // the window's total time, 100-ns units
  int32_t m_nTimeShiftCarrySec = 0;
  bool m_bTimeShiftCanSwitchToLive = true;
  bool m_bLivePaused = false;
  bool m_bTimeShiftAtEnd = false;
  int64_t m_llStartTime = -1;
  int32_t m_nLastReceivedSec = 0;
  bool m_bBuffering = false;
  bool m_bSeeking = false;
  int32_t m_nSeekTarget = 0;
  bool m_bSnapshotAllowed = false;
  bool m_bPlayListAdvance = false;
  bool m_bSwitching = false;  // the session restarts for a stream change
  int32_t m_nPlayListGeneration = 0;
  bool m_bLiveBuffering = false;
  int32_t m_nVideoWidth = 0;
  int32_t m_nVideoHeight = 0;
  protocol::ReplyStatus m_replyStatus;  // as the server sent it: the media buffer's kind and flags
  // The session controller's flags.
  bool m_bStreamsEnded = false;    // every stream has delivered its end
  bool m_bConnectionLost = false;  // the transport failed during playback: no playlist advance
  bool m_bFlowPaused = false;      // RTP file flow control asked the server to pause
  bool m_bAudioDecoderMissing = false;
  // The values last passed to this session's renderer (its picture starts at 0, 0).
  int32_t m_nBrightness = 0;
  int32_t m_nContrast = 0;

  // The values a new session starts from. What the last reply or stream change settled
  // (name, kind, duration, mode, the time-shift carry) stays until the next reply replaces it.
  void ResetForSession() {
    SessionValues fresh;
    fresh.m_sMediaName = std::move(m_sMediaName);
    fresh.m_nServerResult = m_nServerResult;
    fresh.m_nStreamKind = m_nStreamKind;
    fresh.m_nDurationMs = m_nDurationMs;
    fresh.m_bSeekable = m_bSeekable;
    fresh.m_nPlaybackMode = m_nPlaybackMode;
    fresh.m_llTimeShiftTotalTime = m_llTimeShiftTotalTime;
    fresh.m_nTimeShiftCarrySec = m_nTimeShiftCarrySec;
    fresh.m_bLiveBuffering = m_bLiveBuffering;
    fresh.m_replyStatus = m_replyStatus;
    *this = std::move(fresh);
    m_nState = protocol::Connecting;
  }
};

// The transport's figures of the last second, sampled by the one-second timer.
struct ReceivedFigures {
  int32_t bytesPerSecond = 0;
  int32_t videoFramesPerSecond = 0;
  std::optional<protocol::RtpReceptionFigures> reception;  // over RTP only
};

}  // namespace zm::session
