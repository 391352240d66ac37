// zmhost: a small OLE container for the control. It embeds the control by ProgID in a
// resizable window, prints each event on a line of standard output, sets the server, transport
// and resource given on the command line and plays them, and can save a screenshot and leave.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ZMediaControl_h.h"
#include "com/unique_bstr.h"
#include "peers/host/event_printer.h"
#include "peers/host/host_options.h"
#include "peers/host/host_window.h"
#include "peers/host/screenshot.h"

namespace zm::host {
namespace {

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

com::UniqueBstr Bstr(const std::wstring& text) { return com::UniqueBstr(SysAllocString(text.c_str())); }

void PrintResult(const char* what, HRESULT hr) {
  char line[96];
  std::snprintf(line, sizeof line, "%s 0x%08lX", what, static_cast<unsigned long>(hr));
  PrintLine(line);
}

// Everything the command line asks of the control before it plays.
void ApplySettings(IZMediaPlayer* player, const HostOptions& options) {
  player->UseCustomErrorHandler(options.messageBoxes ? VARIANT_FALSE : VARIANT_TRUE);
  if (!options.logo.empty()) PrintResult("UseCustomLogo", player->UseCustomLogo(Bstr(options.logo).get()));
  if (options.aspect) player->SetVideoAspectRatio(*options.aspect);
  if (options.flowBar) player->EnableFlowControl(VARIANT_TRUE, VARIANT_TRUE);
  if (!options.server.empty()) {
    std::wstring server = options.server;
    if (options.port) server += L":" + std::to_wstring(*options.port);
    player->UseMediaServer(Bstr(server).get());
  }
  if (options.transport == L"tcp") player->UseTCP();
  else if (options.transport == L"http") player->UseHTTP();
  else if (options.transport == L"https") player->UseHTTPS();
  else if (options.transport == L"rtp") player->UseRTPUnicast();
  else if (options.transport == L"multicast") player->UseRTPMulticast();
  if (!options.sessionId.empty()) player->UseSessionID(Bstr(options.sessionId).get());
  const std::wstring& kind = options.resourceKind;
  if (kind == L"--live-alias") player->UseLiveAlias(Bstr(options.resource).get());
  else if (kind == L"--file") player->UseFile(Bstr(options.resource).get());
  else if (kind == L"--playlist") player->UseFilePlayList(Bstr(options.resource).get());
  else if (kind == L"--live-direct") player->UseLiveDirect(Bstr(options.resource).get(), options.sourceNumber);
  else if (kind == L"--live-local") player->UseLiveLocal(options.sourceNumber);
}

int Run(const HostOptions& options) {
  CHostWindow window;
  if (!window.Create(options.size.width, options.size.height, L"ZMediaControl Host")) {
    PrintLine("cannot create the host window");
    return 1;
  }
  auto* printer = new CEventPrinter(PrintLine, [&window](short width, short height) {
    // The control asks for a size; the host gives its site that client area.
    window.SetClientSize(width, height);
  });
  HRESULT hr = window.Control().Create(L"Zavren.MediaPlayer.1", window.m_hWnd, printer);
  printer->Release();
  if (FAILED(hr)) {
    PrintResult("cannot create the control:", hr);
    return 1;
  }
  com::ComPtr<IZMediaPlayer> player = window.Control().Query<IZMediaPlayer>();
  ApplySettings(player.get(), options);
  hr = window.Control().Activate(OLEIVERB_INPLACEACTIVATE);
  if (FAILED(hr)) {
    PrintResult("cannot activate the control:", hr);
    return 1;
  }
  for (const WindowSize& size : options.resizes) {
    window.Control().Resize(RECT{0, 0, size.width, size.height});
    PumpPendingMessages();
  }
  if (!options.resourceKind.empty()) PrintResult("Play", player->Play());
  int exitCode = 0;
  if (options.after) {
    window.After(*options.after, [&] {
      if (!options.screenshot.empty()) {
        std::optional<Image> image = CaptureClientArea(window.m_hWnd);
        if (image && WriteImageFile(options.screenshot, *image)) {
          PrintLine("screenshot " + options.screenshot + " " + std::to_string(image->width) + "x" +
                    std::to_string(image->height));
        } else {
          PrintLine("cannot save the screenshot " + options.screenshot);
          exitCode = 1;
        }
      }
      DestroyWindow(window.m_hWnd);
    });
  }
  RunMessageLoop(window);
  player.reset();
  return exitCode;
}

}  // namespace
}  // namespace zm::host

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
  if (argv) LocalFree(argv);
  std::wstring error;
  std::optional<zm::host::HostOptions> options = zm::host::ParseHostOptions(args, &error);
  if (!options) {
    std::fwprintf(stderr, L"zmhost: %ls\n%ls", error.c_str(), zm::host::HostUsage());
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) return 1;
  int result = zm::host::Run(*options);
  OleUninitialize();
  return result;
}
