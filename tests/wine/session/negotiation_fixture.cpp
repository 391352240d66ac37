#include "negotiation_fixture.h"

#include <cstdio>
#include <cstdlib>

namespace zm::session::test {
namespace {

constexpr DWORD kRunLimitMs = 60000;

// The control window's part in the password exchange: the dialog's fields are filled from
// the script instead of from the user, then the credentials event is signalled.
struct DialogStandIn {
  credentials::PasswordRequest request;
  std::deque<DialogAnswer> answers;
  std::vector<BOOL> firstAttempts;
  HANDLE credentialsEvent = nullptr;

  void Answer() {
    firstAttempts.push_back(request.firstAttempt ? TRUE : FALSE);
    request = answers.empty() ? kCancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    SetEvent(credentialsEvent);
  }
};

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ZM_CREDENTIALS) {
    reinterpret_cast<DialogStandIn*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))->Answer();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const wchar_t* StandInClass() {
  static const wchar_t* name = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZmNegotiationControlStandIn";
    RegisterClassW(&wc);
    return wc.lpszClassName;
  }();
  return name;
}

struct GrabberArgs {
  PlayerSettings* settings;
  SessionValues* session;
  NegotiationContext* context;
  std::wstring* errorText;
  BOOL result;
};

DWORD WINAPI GrabberThread(void* p) {
  auto* args = static_cast<GrabberArgs*>(p);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  args->result = Negotiate(*args->settings, *args->session, *args->context, *args->errorText);
  CoUninitialize();
  return 0;
}

}  // namespace

std::wstring RecordingSite::HResultText(HRESULT hr) {
  // Like a system whose message sources know nothing of the client's own codes.
  if (static_cast<uint32_t>(hr) == 0x8FFF0538 || static_cast<uint32_t>(hr) == 0x8FFF0539) return {};
  wchar_t text[32];
  std::swprintf(text, 32, L"code 0x%08X", static_cast<unsigned>(hr));
  return text;
}

void NegotiationTest::SetUp() {
  const char* port = std::getenv("ZMS_PORT");
  port_ = port ? static_cast<uint16_t>(std::atoi(port)) : 0;
  ASSERT_NE(0, port_) << "ZMS_PORT is not set: run under scripts/with-zms-server";
}

PlayerSettings NegotiationTest::Fields() const {
  PlayerSettings fields;
  fields.m_sServerAddr = kServerAddress;
  fields.m_nServerPort = port_;
  fields.m_nTransport = 0;
  return fields;
}

PlayerSettings NegotiationTest::Alias(const std::wstring& alias) const {
  PlayerSettings fields = Fields();
  fields.m_nResourceKind = 3;
  fields.m_sLiveAlias = alias;
  return fields;
}

NegotiationRun NegotiationTest::Run(PlayerSettings fields, std::deque<DialogAnswer> answers, bool stopFirst) {
  NegotiationRun run;
  DialogStandIn standIn;
  standIn.answers = std::move(answers);
  standIn.credentialsEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE stopEvent = CreateEventW(nullptr, TRUE, stopFirst ? TRUE : FALSE, nullptr);
  HWND window =
      CreateWindowExW(0, StandInClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&standIn));

  NegotiationContext context;
  context.hStopEvent = stopEvent;
  context.hCredentialsEvent = standIn.credentialsEvent;
  context.hControlWindow = window;
  context.pPasswordRequest = &standIn.request;
  context.usersEnvironment = users_.Environment();
  context.pSite = &site_;

  GrabberArgs args{&fields, &run.session, &context, &run.errorText, FALSE};
  HANDLE thread = CreateThread(nullptr, 0, GrabberThread, &args, 0, nullptr);
  const ULONGLONG deadline = GetTickCount64() + kRunLimitMs;
  bool stopped = false;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline && !stopped) {
      ADD_FAILURE() << "the negotiation did not end within 60 s";
      SetEvent(stopEvent);
      stopped = true;
    }
    const DWORD wait =
        MsgWaitForMultipleObjects(1, &thread, FALSE, stopped ? 30000 : static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    if (wait == WAIT_TIMEOUT && stopped) break;  // the transport's own time-outs have passed too
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  WaitForSingleObject(thread, 30000);
  CloseHandle(thread);

  run.result = args.result;
  run.settings = fields;
  run.dialogFirstAttempts = standIn.firstAttempts;
  if (context.transport) {
    run.request = context.transport->Request();
    run.protocolVersion = context.transport->ProtocolVersion();
    std::wstring ignored;
    context.transport->Disconnect(ignored);
  }
  DestroyWindow(window);
  CloseHandle(stopEvent);
  CloseHandle(standIn.credentialsEvent);
  return run;
}

std::wstring NegotiationTest::CachedDigest() const {
  credentials::CUsers users(users_.Environment());
  std::wstring value;
  return users.FindUser(kServerAddress, value) ? value : std::wstring();
}

void NegotiationTest::CacheDigest(const std::wstring& digest) const {
  credentials::CUsers users(users_.Environment());
  ASSERT_TRUE(users.SaveUser(kServerAddress, digest));
}

}  // namespace zm::session::test
