// The command line of zmhost: what to set on the control, whether to play, the window's
// sizes, the screenshots to take, what to print and when to leave. Plain C++, main thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zm::host {

struct WindowSize {
  int width = 0;
  int height = 0;
};

struct TimedScreenshot {
  std::wstring file;   // .png or .bmp
  double seconds = 0;  // after Play (or after activation when nothing plays)
};

struct HostOptions {
  bool help = false;                         // --help: print the usage and leave
  std::wstring server;                       // --server ADDR
  std::optional<int> port;                   // --port N (appended as ADDR:N)
  std::wstring transport;                    // --transport tcp|http|https|rtp|multicast
  std::wstring resourceKind;                 // which of the resource options was given
  std::wstring resource;                     // its name, folder or address
  int sourceNumber = 0;                      // --live-direct ADDR N, --live-local N
  std::wstring sessionId;                    // --session-id TEXT
  std::optional<int> aspect;                 // --aspect CODE
  bool flowBar = false;                      // --flow-bar
  std::wstring logo;                         // --logo PATH
  bool messageBoxes = false;                 // --message-boxes: leave error handling to the control's boxes
  WindowSize size{400, 300};                 // --size WxH: the control's first size
  std::vector<WindowSize> resizes;           // --resize WxH, repeatable: control sizes applied in turn after activation
  std::vector<TimedScreenshot> screenshots;  // --screenshot FILE@SECONDS, or FILE timed by --after
  std::optional<double> after;      // --after SECONDS: the plain screenshots' time; without --quit-after, leave then
  std::optional<double> quitAfter;  // --quit-after SECONDS: Stop, wait for OnStop, leave
  bool printProperties = false;     // --print-properties: a properties line each second while playing
  std::wstring log;                 // --log FILE: every printed line also goes there

  // When the host leaves without stopping first: after the last screenshot or --after; never
  // when neither is given or when --quit-after decides.
  std::optional<double> LeaveAfter() const;
};

// Parses argv[1..]; on failure returns nothing and sets `error`.
std::optional<HostOptions> ParseHostOptions(const std::vector<std::wstring>& args, std::wstring* error);
const wchar_t* HostUsage();

}  // namespace zm::host
