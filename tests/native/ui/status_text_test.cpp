// The status label's text for each state and code, and the codes that keep the old text.
#include "ui/status_text.h"

#include <gtest/gtest.h>

#include "protocol/player_enums.h"

namespace zm::ui {
namespace {

TEST(StatusTextTest, EachStateAndCodeHasItsTextAndOthersKeepTheOldOne) {
  struct Case {
    int32_t state;
    int32_t code;
    bool switchPending;
    int32_t percent;
    const wchar_t* text;  // null: unchanged
  } cases[] = {
      {protocol::Connecting, kStatusNone, false, 0, L"Connecting..."},
      {protocol::Connecting, kStatusPaused, true, 0, L"Switching..."},
      {protocol::Paused, kStatusPaused, true, 0, L"Paused"},
      {protocol::Paused, kStatusBuffering, false, 37, L"Buffering: 37%"},
      {protocol::Paused, kStatusBuffering, false, -4, L"Buffering: 0%"},
      {protocol::Paused, kStatusSeeking, false, 0, L"Seeking..."},
      {protocol::Paused, kStatusBroadcastEnded, false, 0, L"Broadcast ended"},
      {protocol::Paused, kStatusNone, false, 0, nullptr},
      {protocol::Paused, 4, false, 0, nullptr},
      {protocol::Playing, kStatusPaused, false, 0, nullptr},
      {protocol::Idle, kStatusNone, false, 0, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<std::wstring> text = StatusText(c.state, c.code, c.switchPending, c.percent);
    SCOPED_TRACE(testing::Message() << "state " << c.state << " code " << c.code);
    if (c.text) EXPECT_EQ(text, std::wstring(c.text));
    else EXPECT_FALSE(text);
  }
}

}  // namespace
}  // namespace zm::ui
