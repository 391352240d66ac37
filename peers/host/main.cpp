// zmhost: a small OLE container for the control. It embeds the control by ProgID in a
// resizable window, prints each event on a line of standard output (and to a log file), sets
// the server, transport and resource given on the command line and plays them, and can save
// screenshots, print the playback properties, stop the control and leave.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ZMediaControl_h.h"
#include "com/code_page_text.h"
#include "com/unique_bstr.h"
#include "peers/host/event_printer.h"
#include "peers/host/host_options.h"
#include "peers/host/host_window.h"
#include "peers/host/screenshot.h"
#include "peers/host/status_lines.h"

namespace zm::host {
namespace {

constexpr double kStopWaitSeconds = 5;

// Every line the host prints goes to standard output and, with --log, to the log file, each
// flushed at once so that a host that is killed leaves every line it printed.
class COutput {
 public:
  bool OpenLog(const std::wstring& path) {
    m_log.reset(_wfopen(path.c_str(), L"wb"));
    return m_log != nullptr;
  }
  void Line(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
    if (!m_log) return;
    std::fputs((line + "\n").c_str(), m_log.get());
    std::fflush(m_log.get());
  }

 private:
  std::unique_ptr<FILE, int (*)(FILE*)> m_log{nullptr, std::fclose};
};

com::UniqueBstr Bstr(const std::wstring& text) { return com::UniqueBstr(SysAllocString(text.c_str())); }

void PrintResult(COutput& out, const std::string& what, HRESULT hr) { out.Line(ResultLine(what, hr)); }

// Everything the command line asks of the control before it plays.
void ApplySettings(IZMediaPlayer* player, const HostOptions& options, COutput& out) {
  player->UseCustomErrorHandler(options.messageBoxes ? VARIANT_FALSE : VARIANT_TRUE);
  if (!options.logo.empty()) PrintResult(out, "UseCustomLogo", player->UseCustomLogo(Bstr(options.logo).get()));
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

// The timed steps run in the order of their times on one timer at a time, each armed when the
// one before has run, so that steps due together keep the order they were added in.
class CTimedSteps {
 public:
  explicit CTimedSteps(CHostWindow& window) : m_window(window), m_start(GetTickCount64()) {}
  void Add(double seconds, std::function<void()> run) { m_steps.push_back({seconds, std::move(run)}); }
  void Start() {
    std::stable_sort(m_steps.begin(), m_steps.end(),
                     [](const Step& a, const Step& b) { return a.seconds < b.seconds; });
    ArmNext();
  }

 private:
  struct Step {
    double seconds;
    std::function<void()> run;
  };
  void ArmNext() {
    if (m_next == m_steps.size() || !m_window.m_hWnd) return;
    double wait = m_steps[m_next].seconds - static_cast<double>(GetTickCount64() - m_start) / 1000.0;
    m_window.After(std::max(wait, 0.0), [this] {
      m_steps[m_next++].run();
      ArmNext();
    });
  }
  CHostWindow& m_window;
  ULONGLONG m_start;
  std::vector<Step> m_steps;
  size_t m_next = 0;
};

int Run(const HostOptions& options, COutput& out) {
  // Declared before the window: closing the control may still fire events that read them.
  bool playing = false;   // between OnStart and OnStop
  bool stopping = false;  // --quit-after called Stop: OnStop closes the window
  int exitCode = 0;
  CHostWindow window;
  if (!window.Create(options.size.width, options.size.height, L"ZMediaControl Host")) {
    out.Line("cannot create the host window");
    return 1;
  }
  auto* printer = new CEventPrinter([&out](const std::string& line) { out.Line(line); },
                                    // The control asks for a size; the host gives its site that client area.
                                    [&window](short width, short height) { window.SetClientSize(width, height); },
                                    [&](DISPID event) {
                                      if (event == kOnStart) playing = true;
                                      if (event != kOnStop) return;
                                      playing = false;
                                      // Posted: OnStop may come from inside Stop itself.
                                      if (stopping) PostMessageW(window.m_hWnd, WM_CLOSE, 0, 0);
                                    });
  HRESULT hr = window.Control().Create(L"Zavren.MediaPlayer.1", window.m_hWnd, printer);
  printer->Release();
  if (FAILED(hr)) {
    PrintResult(out, "cannot create the control:", hr);
    return 1;
  }
  com::ComPtr<IZMediaPlayer> player = window.Control().Query<IZMediaPlayer>();
  ApplySettings(player.get(), options, out);
  hr = window.Control().Activate(OLEIVERB_INPLACEACTIVATE);
  if (FAILED(hr)) {
    PrintResult(out, "cannot activate the control:", hr);
    return 1;
  }
  for (const WindowSize& size : options.resizes) {
    window.Control().Resize(RECT{0, 0, size.width, size.height});
    PumpPendingMessages();
  }

  CTimedSteps steps(window);
  if (!options.resourceKind.empty()) PrintResult(out, "Play", player->Play());
  if (options.printProperties)
    window.Every(1, [&] {
      if (playing) out.Line(PropertiesLine(player.get()));
    });
  for (const TimedScreenshot& shot : options.screenshots) {
    steps.Add(shot.seconds, [&window, &out, &exitCode, file = com::WideToCodePage(shot.file, CP_ACP)] {
      std::optional<Image> image = CaptureClientArea(window.m_hWnd);
      if (image && WriteImageFile(file, *image)) {
        out.Line("screenshot " + file + " " + std::to_string(image->width) + "x" + std::to_string(image->height));
      } else {
        out.Line("cannot save the screenshot " + file);
        exitCode = 1;
      }
    });
  }
  if (std::optional<double> leave = options.LeaveAfter())
    steps.Add(*leave, [&window] { DestroyWindow(window.m_hWnd); });
  if (options.quitAfter) {
    steps.Add(*options.quitAfter, [&] {
      stopping = true;
      HRESULT stop = player->Stop();
      PrintResult(out, "Stop", stop);
      // Nothing under way to stop: no OnStop will come.
      if (stop != S_OK && !playing) {
        PostMessageW(window.m_hWnd, WM_CLOSE, 0, 0);
        return;
      }
      window.After(kStopWaitSeconds, [&] {
        out.Line("no OnStop within 5 s of Stop");
        exitCode = 1;
        DestroyWindow(window.m_hWnd);
      });
    });
  }
  steps.Start();
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
  if (options->help) {
    std::fputws(zm::host::HostUsage(), stdout);
    return 0;
  }
  zm::host::COutput out;
  if (!options->log.empty() && !out.OpenLog(options->log)) {
    std::fwprintf(stderr, L"zmhost: cannot open the log %ls\n", options->log.c_str());
    return 1;
  }
  if (FAILED(OleInitialize(nullptr))) return 1;
  int result = zm::host::Run(*options, out);
  OleUninitialize();
  return result;
}
