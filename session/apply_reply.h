// What the server's reply (or a stream-change frame) makes of the session. Pure arithmetic
// over the control's settings and session values.
#pragma once

#include <cstdint>
#include <optional>

#include "protocol/media_frame.h"
#include "protocol/reply_codec.h"
#include "protocol/stream_format_codec.h"
#include "session/player_state.h"

namespace zm::session {

// The picture size of a session without a usable video picture header.
inline constexpr int32_t kNoVideoWidth = 250;
inline constexpr int32_t kNoVideoHeight = 30;

// Applies the server's reply (or the reply that came with a stream-change frame, whose header
// is `streamChange`) to the session: result, stream kind, duration, seekability, the two
// stream formats, audio/video presence, snapshot and live-buffering permissions, picture size,
// time-shift window and playback mode. Flags that it only ever sets (audio-only,
// audio-with-video, snapshot) keep their value otherwise.
// A video format block too short for the picture header, or a format type without one,
// counts as no picture header: the size is then 250 x 30, as for a stream without video.
void ApplyReply(const protocol::ReplyStatus& status, const protocol::StreamFormatPair& formats,
                const std::optional<MediaFrame>& streamChange, const PlayerSettings& settings, SessionValues& session);

}  // namespace zm::session
