#include "peers/host/host_options.h"

#include <cwchar>

namespace zm::host {
namespace {

bool ParseInt(const std::wstring& text, int* out) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  long value = std::wcstol(text.c_str(), &end, 10);
  if (*end != L'\0' || value < -2147483647L || value > 2147483647L) return false;
  *out = static_cast<int>(value);
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

}  // namespace

const wchar_t* HostUsage() {
  return L"usage: zmhost [--server ADDR] [--port N] [--transport tcp|http|https|rtp|multicast]\n"
         L"              [--live-alias NAME | --file NAME | --playlist FOLDER | --live-direct ADDR N |\n"
         L"               --live-local N] [--session-id TEXT] [--aspect CODE] [--flow-bar] [--logo PATH]\n"
         L"              [--message-boxes] [--size WxH] [--resize WxH]... [--screenshot FILE]\n"
         L"              [--after SECONDS]\n";
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
    if (name == L"--flow-bar") {
      options.flowBar = true;
    } else if (name == L"--message-boxes") {
      options.messageBoxes = true;
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
      options.screenshot.assign(text.begin(), text.end());
    } else if (name == L"--after") {
      wchar_t* end = nullptr;
      double seconds = std::wcstod(text.c_str(), &end);
      if (text.empty() || *end != L'\0' || !(seconds >= 0 && seconds <= 3600)) return fail(L"--after needs seconds");
      options.after = seconds;
    } else {
      return fail(L"unknown argument " + name);
    }
  }
  if (!options.screenshot.empty() && !options.after) return fail(L"--screenshot needs --after SECONDS");
  return options;
}

}  // namespace zm::host
