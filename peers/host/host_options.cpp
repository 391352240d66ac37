#include "peers/host/host_options.h"

#include <algorithm>
#include <cwchar>

namespace zm::host {
namespace {

constexpr double kMaxSeconds = 3600;

bool ParseInt(const std::wstring& text, int* out) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  long value = std::wcstol(text.c_str(), &end, 10);
  if (*end != L'\0' || value < -2147483647L || value > 2147483647L) return false;
  *out = static_cast<int>(value);
  return true;
}

bool ParseSeconds(const std::wstring& text, double* out) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  double seconds = std::wcstod(text.c_str(), &end);
  if (*end != L'\0' || !(seconds >= 0 && seconds <= kMaxSeconds)) return false;
  *out = seconds;
  return true;
}

bool ParseSize(const std::wstring& text, WindowSize* out) {
  size_t x = text.find(L'x');
  if (x == std::wstring::npos) return false;
  WindowSize size;
  if (!ParseInt(text.substr(0, x), &size.width) || !ParseInt(text.substr(x + 1), &size.height)) return false;
  if (size.width < 0 || size.height < 0 || size.width > 16384 || size.height > 16384) return false;
  *out = size;
  return true;
}

// Screenshots given without @SECONDS wait for --after, which may come later on the line.
constexpr double kUntimed = -1;

// "FILE@SECONDS" names its time after the last '@'; a file name may hold an '@' itself when
// what follows the last one is no number.
TimedScreenshot ParseScreenshot(const std::wstring& text) {
  size_t at = text.rfind(L'@');
  double seconds = 0;
  if (at != std::wstring::npos && at > 0 && ParseSeconds(text.substr(at + 1), &seconds))
    return {text.substr(0, at), seconds};
  return {text, kUntimed};
}

// The latest of --after and the screenshots' times.
std::optional<double> LatestTime(const HostOptions& options) {
  std::optional<double> latest = options.after;
  for (const TimedScreenshot& shot : options.screenshots) latest = std::max(latest.value_or(0), shot.seconds);
  return latest;
}

}  // namespace

const wchar_t* HostUsage() {
  return L"usage: zmhost [--server ADDR] [--port N] [--transport tcp|http|https|rtp|multicast]\n"
         L"              [--live-alias NAME | --file NAME | --playlist FOLDER | --live-direct ADDR N |\n"
         L"               --live-local N] [--session-id TEXT] [--aspect CODE] [--flow-bar] [--logo PATH]\n"
         L"              [--message-boxes] [--size WxH] [--resize WxH]... [--screenshot FILE[@SECONDS]]...\n"
         L"              [--after SECONDS] [--quit-after SECONDS] [--print-properties] [--log FILE] [--help]\n"
         L"Embeds the control in a window, prints each event on a line, and plays the resource given.\n"
         L"  --server ADDR          the media server's address (UseMediaServer)\n"
         L"  --port N               appended to the server's address as ADDR:N\n"
         L"  --transport KIND       UseTCP, UseHTTP, UseHTTPS, UseRTPUnicast or UseRTPMulticast\n"
         L"  --live-alias NAME      play a live source by its alias (UseLiveAlias)\n"
         L"  --file NAME            play a stored item (UseFile)\n"
         L"  --playlist FOLDER      play the items of a folder in turn (UseFilePlayList)\n"
         L"  --live-direct ADDR N   play source N of the encoder at ADDR (UseLiveDirect)\n"
         L"  --live-local N         play local source N (UseLiveLocal)\n"
         L"  --session-id TEXT      UseSessionID\n"
         L"  --aspect CODE          SetVideoAspectRatio\n"
         L"  --flow-bar             show the flow bar (EnableFlowControl)\n"
         L"  --logo PATH            the picture shown while idle (UseCustomLogo)\n"
         L"  --message-boxes        let the control show its own error boxes\n"
         L"  --size WxH             the window's first client size (default 400x300)\n"
         L"  --resize WxH           a control size applied after activation; repeatable, in turn\n"
         L"  --screenshot FILE@SECONDS\n"
         L"                         save the window's client area at SECONDS as PNG (.png) or BMP;\n"
         L"                         repeatable; prints \"screenshot FILE WxH\"\n"
         L"  --screenshot FILE --after SECONDS\n"
         L"                         the same, at the time --after gives\n"
         L"  --after SECONDS        without --quit-after: leave then, or after the last screenshot if later\n"
         L"  --quit-after SECONDS   call Stop at SECONDS, wait up to 5 s for OnStop, then leave\n"
         L"  --print-properties     while playing or paused, print each second: properties\n"
         L"                         MediaName=\"...\" TotalTime_Sec=N CurrentPlaybackTime_Sec=N\n"
         L"                         VideoFrameWidth=N VideoFrameHeight=N (a failed read shows its HRESULT)\n"
         L"  --log FILE             write every printed line to FILE as well\n"
         L"  --help                 print this text and leave\n"
         L"Times count from Play (from activation when nothing is played). Without --after, --screenshot\n"
         L"or --quit-after the host runs until its window is closed.\n";
}

std::optional<double> HostOptions::LeaveAfter() const {
  if (quitAfter) return std::nullopt;
  return LatestTime(*this);
}

std::optional<HostOptions> ParseHostOptions(const std::vector<std::wstring>& args, std::wstring* error) {
  HostOptions options;
  auto fail = [error](const std::wstring& text) {
    *error = text;
    return std::optional<HostOptions>();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& name = args[i];
    auto value = [&](std::wstring* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::wstring text;
    if (name == L"--help") {
      options.help = true;
      return options;
    } else if (name == L"--flow-bar") {
      options.flowBar = true;
    } else if (name == L"--message-boxes") {
      options.messageBoxes = true;
    } else if (name == L"--print-properties") {
      options.printProperties = true;
    } else if (!value(&text)) {
      return fail(name.rfind(L"--", 0) == 0 ? name + L" needs a value" : L"unknown argument " + name);
    } else if (name == L"--server") {
      options.server = text;
    } else if (name == L"--port") {
      int port = 0;
      if (!ParseInt(text, &port) || port <= 0 || port > 65535) return fail(L"--port needs a port number");
      options.port = port;
    } else if (name == L"--transport") {
      if (text != L"tcp" && text != L"http" && text != L"https" && text != L"rtp" && text != L"multicast")
        return fail(L"--transport is one of tcp, http, https, rtp, multicast");
      options.transport = text;
    } else if (name == L"--live-alias" || name == L"--file" || name == L"--playlist") {
      options.resourceKind = name;
      options.resource = text;
    } else if (name == L"--live-direct") {
      options.resourceKind = name;
      options.resource = text;
      std::wstring number;
      if (!value(&number) || !ParseInt(number, &options.sourceNumber))
        return fail(L"--live-direct needs an address and a source number");
    } else if (name == L"--live-local") {
      options.resourceKind = name;
      if (!ParseInt(text, &options.sourceNumber)) return fail(L"--live-local needs a source number");
    } else if (name == L"--session-id") {
      options.sessionId = text;
    } else if (name == L"--aspect") {
      int aspect = 0;
      if (!ParseInt(text, &aspect)) return fail(L"--aspect needs a number");
      options.aspect = aspect;
    } else if (name == L"--logo") {
      options.logo = text;
    } else if (name == L"--size" || name == L"--resize") {
      WindowSize size;
      if (!ParseSize(text, &size)) return fail(name + L" needs WIDTHxHEIGHT");
      if (name == L"--size") options.size = size;
      else options.resizes.push_back(size);
    } else if (name == L"--screenshot") {
      options.screenshots.push_back(ParseScreenshot(text));
    } else if (name == L"--after" || name == L"--quit-after") {
      double seconds = 0;
      if (!ParseSeconds(text, &seconds)) return fail(name + L" needs seconds");
      (name == L"--after" ? options.after : options.quitAfter) = seconds;
    } else if (name == L"--log") {
      options.log = text;
    } else {
      return fail(L"unknown argument " + name);
    }
  }
  for (TimedScreenshot& shot : options.screenshots) {
    if (shot.seconds != kUntimed) continue;
    if (!options.after) return fail(L"--screenshot needs FILE@SECONDS or --after SECONDS");
    shot.seconds = *options.after;
  }
  // The window goes with the stop: nothing can be taken after it.
  if (options.quitAfter && LatestTime(options).value_or(0) > *options.quitAfter)
    return fail(L"--screenshot and --after come no later than --quit-after");
  return options;
}

}  // namespace zm::host
