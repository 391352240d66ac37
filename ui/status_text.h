// The status window's text for the session's state and the reason it shows. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zm::ui {

// Status codes that ShowPlaybackStatus passes; any other value keeps the text shown.
inline constexpr int32_t kStatusNone = -1;
inline constexpr int32_t kStatusPaused = 0;
inline constexpr int32_t kStatusBuffering = 1;
inline constexpr int32_t kStatusSeeking = 2;
inline constexpr int32_t kStatusBroadcastEnded = 3;

// The text for `state` (the session state) and `code`; none when the text stays as it is.
// `bufferingPercent` is the media buffer's progress (a negative value shows as 0).
std::optional<std::wstring> StatusText(int32_t state, int32_t code, bool switchPending, int32_t bufferingPercent);

}  // namespace zm::ui
