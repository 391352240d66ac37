#include "ui/status_text.h"

#include "protocol/player_enums.h"

namespace zm::ui {

std::optional<std::wstring> StatusText(int32_t state, int32_t code, bool switchPending, int32_t bufferingPercent) {
  if (state == protocol::Connecting) return switchPending ? L"Switching..." : L"Connecting...";
  if (state != protocol::Paused) return std::nullopt;
  switch (code) {
    case kStatusPaused: return L"Paused";
    case kStatusBuffering: return L"Buffering: " + std::to_wstring(bufferingPercent < 0 ? 0 : bufferingPercent) + L"%";
    case kStatusSeeking: return L"Seeking...";
    case kStatusBroadcastEnded: return L"Broadcast ended";
    default: return std::nullopt;
  }
}

}  // namespace zm::ui
