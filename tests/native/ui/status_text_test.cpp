// The status label's text for each state and code, and the codes that keep the old text.
#include "ui/status_text.h"

#include <gtest/gtest.h>

#include "protocol/player_enums.h"

namespace zm::ui {
namespace {

TEST(StatusTextTest, EachStateAndCodeHasItsTextAndOthersKeepTheOldOne) {
  // State, code, switch pending, percentage, then the text (null: unchanged).
  const std::tuple<int32_t, int32_t, bool, int32_t, const wchar_t*> cases[] = {
      // Connecting, Paused, Seeking, Buffering and Broadcast ended are read off the real label by
      // the Wine test TheStatusLabelSaysWhyNoPictureMovesAndDrawsItWhiteOnBlack.
      {protocol::Connecting, kStatusPaused, true, 0, L"Switching..."},
      {protocol::Paused, kStatusBuffering, false, 37, L"Buffering: 37%"},
      {protocol::Paused, kStatusBuffering, false, -4, L"Buffering: 0%"},
      {protocol::Paused, kStatusNone, false, 0, nullptr},
      {protocol::Paused, 4, false, 0, nullptr},
      {protocol::Playing, kStatusPaused, false, 0, nullptr},
      {protocol::Idle, kStatusNone, false, 0, nullptr},
  };
  for (auto [state, code, switchPending, percent, text] : cases) {
    EXPECT_EQ(StatusText(state, code, switchPending, percent), text ? std::optional<std::wstring>(text) : std::nullopt)
        << "state " << state << " code " << code;
  }
}

}  // namespace
}  // namespace zm::ui
