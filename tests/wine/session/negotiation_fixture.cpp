#include "negotiation_fixture.h"

#include <cstdio>
#include <cstdlib>

namespace zm::session::test {
namespace {

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

  // The grabber thread; a hang ends the case through wine_main's time limit, which names it.
  struct {
    PlayerSettings* settings;
    NegotiationRun* run;
    NegotiationContext* context;
  } args{&fields, &run, &context};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        auto* a = static_cast<decltype(args)*>(p);
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        a->run->result = Negotiate(*a->settings, a->run->session, *a->context, a->run->errorText);
        CoUninitialize();
        return 0;
      },
      &args, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  CloseHandle(thread);

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

void NegotiationTest::ForgetCache() const { DeleteFileW(credentials::CUsers(users_.Environment()).filePath.c_str()); }

}  // namespace zm::session::test
