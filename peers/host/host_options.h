// The command line of zmhost: what to set on the control, whether to play, the window's
// sizes, and the screenshot to take before leaving. Plain C++, main thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zm::host {

struct WindowSize {
  int width = 0;
  int height = 0;
};

struct HostOptions {
  std::wstring server;              // --server ADDR
  std::optional<int> port;          // --port N (appended as ADDR:N)
  std::wstring transport;           // --transport tcp|http|https|rtp|multicast
  std::wstring resourceKind;        // which of the resource options was given
  std::wstring resource;            // its name, folder or address
  int sourceNumber = 0;             // --live-direct ADDR N, --live-local N
  std::wstring sessionId;           // --session-id TEXT
  std::optional<int> aspect;        // --aspect CODE
  bool flowBar = false;             // --flow-bar
  std::wstring logo;                // --logo PATH
  bool messageBoxes = false;        // --message-boxes: leave error handling to the control's boxes
  WindowSize size{400, 300};        // --size WxH: the control's first size
  std::vector<WindowSize> resizes;  // --resize WxH, repeatable: control sizes applied in turn after activation
  std::string screenshot;           // --screenshot FILE (.png or .bmp)
  std::optional<double> after;      // --after SECONDS: take the screenshot, then leave
};

// Parses argv[1..]; on failure returns nothing and sets `error`.
std::optional<HostOptions> ParseHostOptions(const std::vector<std::wstring>& args, std::wstring* error);
const wchar_t* HostUsage();

}  // namespace zm::host
