// The authentication dialog driven as a user would: texts typed into its edits and buttons
// clicked by messages from a second thread, while the dialog runs modally on the test thread.
#include "credentials/password_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "credentials/credentials_resources.h"
#include "dialog_driver.h"

namespace zm::credentials::test {
namespace {

constexpr wchar_t kTitle[] = L"Authentication required";
constexpr wchar_t kRetryTitle[] = L"Authentication failed. Try again.";
constexpr wchar_t kMissing[] = L"Either Username or Password is missing";

class PasswordDialogTest : public ::testing::Test {
 protected:
  // Runs the dialog modally here while `user` plays it from another thread. If the user
  // cannot finish, the dialog is cancelled so that the test fails instead of hanging.
  INT_PTR RunWith(const std::function<bool(HWND)>& user, const wchar_t* title = kTitle, HWND owner = nullptr) {
    const DWORD self = GetCurrentThreadId();
    bool finished = false;
    std::thread player([&] {
      HWND window = WaitForThreadWindow(self, title);
      finished = window && user(window);
      if (!finished && window) Click(window, IDCANCEL);
    });
    INT_PTR result = dialog_.DoModal(owner);
    player.join();
    EXPECT_TRUE(finished) << "the user could not finish the dialog";
    return result;
  }

  CZMSPasswordDialog dialog_{GetModuleHandleW(nullptr)};
};

TEST_F(PasswordDialogTest, OkWithBothFieldsConfirmsAndReturnsTheTypedTexts) {
  INT_PTR result = RunWith([](HWND d) {
    TypeInto(d, IDC_ZMS_USERNAME, L"viewer");
    TypeInto(d, IDC_ZMS_PASSWORD, L"s3cret \u00e4\u20ac");
    Click(d, IDOK);
    return WaitUntilClosed(d);
  });
  EXPECT_EQ(IDOK, result);
  EXPECT_TRUE(dialog_.request.confirmed);
  EXPECT_EQ(L"viewer", dialog_.request.userName);
  EXPECT_EQ(L"s3cret \u00e4\u20ac", dialog_.request.password);
  EXPECT_FALSE(dialog_.request.remember);
}

TEST_F(PasswordDialogTest, TickedRememberBoxIsReportedOnOk) {
  RunWith([](HWND d) {
    TypeInto(d, IDC_ZMS_USERNAME, L"u");
    TypeInto(d, IDC_ZMS_PASSWORD, L"p");
    Tick(d, IDC_ZMS_REMEMBER);
    Click(d, IDOK);
    return WaitUntilClosed(d);
  });
  EXPECT_TRUE(dialog_.request.confirmed);
  EXPECT_TRUE(dialog_.request.remember);
}

TEST_F(PasswordDialogTest, MissingPasswordOrUserNameShowsTheErrorAndKeepsTheDialogOpen) {
  std::vector<std::wstring> boxTexts[2];
  bool stayedOpen[2] = {};
  INT_PTR result = RunWith([&](HWND d) {
    const int filled[2] = {IDC_ZMS_USERNAME, IDC_ZMS_PASSWORD};
    for (int i = 0; i < 2; ++i) {
      TypeInto(d, IDC_ZMS_USERNAME, L"");
      TypeInto(d, IDC_ZMS_PASSWORD, L"");
      TypeInto(d, filled[i], L"only-this-one");
      Click(d, IDOK);
      HWND box = WaitForThreadWindow(GetWindowThreadProcessId(d, nullptr), L"Error");
      if (!box) return false;
      boxTexts[i] = ChildTexts(box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      if (!WaitUntilClosed(box)) return false;
      stayedOpen[i] = IsWindow(d) && IsWindowVisible(d);
    }
    TypeInto(d, IDC_ZMS_USERNAME, L"viewer");
    TypeInto(d, IDC_ZMS_PASSWORD, L"s3cret");
    Click(d, IDOK);
    return WaitUntilClosed(d);
  });
  for (int i = 0; i < 2; ++i) {
    EXPECT_NE(boxTexts[i].end(), std::find(boxTexts[i].begin(), boxTexts[i].end(), kMissing)) << "case " << i;
    EXPECT_TRUE(stayedOpen[i]) << "case " << i;
  }
  EXPECT_EQ(IDOK, result);
  EXPECT_TRUE(dialog_.request.confirmed);
  EXPECT_EQ(L"viewer", dialog_.request.userName);
}

TEST_F(PasswordDialogTest, CancelLeavesItUnconfirmed) {
  INT_PTR result = RunWith([](HWND d) {
    TypeInto(d, IDC_ZMS_USERNAME, L"viewer");
    TypeInto(d, IDC_ZMS_PASSWORD, L"s3cret");
    Tick(d, IDC_ZMS_REMEMBER);
    Click(d, IDCANCEL);
    return WaitUntilClosed(d);
  });
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_FALSE(dialog_.request.confirmed);
  EXPECT_FALSE(dialog_.request.remember);
}

TEST_F(PasswordDialogTest, EachShowingStartsEmptyAndUnticked) {
  RunWith([](HWND d) {
    TypeInto(d, IDC_ZMS_USERNAME, L"first");
    TypeInto(d, IDC_ZMS_PASSWORD, L"time");
    Tick(d, IDC_ZMS_REMEMBER);
    Click(d, IDOK);
    return WaitUntilClosed(d);
  });
  ASSERT_TRUE(dialog_.request.remember);
  std::wstring user = L"?", password = L"?";
  UINT ticked = BST_CHECKED;
  RunWith([&](HWND d) {
    user = WindowText(GetDlgItem(d, IDC_ZMS_USERNAME));
    password = WindowText(GetDlgItem(d, IDC_ZMS_PASSWORD));
    ticked = static_cast<UINT>(SendMessageW(GetDlgItem(d, IDC_ZMS_REMEMBER), BM_GETCHECK, 0, 0));
    Click(d, IDCANCEL);
    return WaitUntilClosed(d);
  });
  EXPECT_EQ(L"", user);
  EXPECT_EQ(L"", password);
  EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), ticked);
  EXPECT_FALSE(dialog_.request.remember);
}

TEST_F(PasswordDialogTest, RetryAfterARefusalSaysAuthenticationFailed) {
  dialog_.request.firstAttempt = false;
  std::wstring title;
  RunWith(
      [&](HWND d) {
        title = WindowText(d);
        Click(d, IDCANCEL);
        return WaitUntilClosed(d);
      },
      kRetryTitle);
  EXPECT_EQ(kRetryTitle, title);
}

// The template: its controls, texts and styles, and its size in dialog units.
TEST_F(PasswordDialogTest, TemplateHasTheControlsTextsAndSize) {
  RunWith([](HWND d) {
    auto style = [&](int id) { return static_cast<DWORD>(GetWindowLongPtrW(GetDlgItem(d, id), GWL_STYLE)); };
    EXPECT_TRUE(style(IDC_ZMS_USERNAME) & ES_AUTOHSCROLL);
    EXPECT_FALSE(style(IDC_ZMS_USERNAME) & ES_PASSWORD);
    EXPECT_TRUE(style(IDC_ZMS_PASSWORD) & ES_AUTOHSCROLL);
    EXPECT_TRUE(style(IDC_ZMS_PASSWORD) & ES_PASSWORD);
    EXPECT_EQ(static_cast<DWORD>(BS_AUTOCHECKBOX), style(IDC_ZMS_REMEMBER) & BS_TYPEMASK);
    EXPECT_EQ(L"Remember my credentials locally", WindowText(GetDlgItem(d, IDC_ZMS_REMEMBER)));
    EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON), style(IDOK) & BS_TYPEMASK);
    EXPECT_EQ(L"OK", WindowText(GetDlgItem(d, IDOK)));
    EXPECT_EQ(L"Cancel", WindowText(GetDlgItem(d, IDCANCEL)));
    std::vector<std::wstring> texts = ChildTexts(d);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), L"Username"));
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), L"Password"));
    RECT units{0, 0, 149, 84};
    MapDialogRect(d, &units);
    RECT client{};
    GetClientRect(d, &client);
    EXPECT_EQ(units.right, client.right);
    EXPECT_EQ(units.bottom, client.bottom);
    Click(d, IDCANCEL);
    return WaitUntilClosed(d);
  });
}

TEST_F(PasswordDialogTest, OpensCentredOnItsOwner) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 150, 600, 400, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  RECT box{};
  RunWith(
      [&](HWND d) {
        GetWindowRect(d, &box);
        Click(d, IDCANCEL);
        return WaitUntilClosed(d);
      },
      kTitle, owner);
  DestroyWindow(owner);
  EXPECT_NEAR(100 + 300, (box.left + box.right) / 2, 1);
  EXPECT_NEAR(150 + 200, (box.top + box.bottom) / 2, 1);
}

TEST_F(PasswordDialogTest, OpensInsideTheWorkAreaWhenItsOwnerIsNearTheEdge) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, -150, -100, 200, 150, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  RECT box{};
  RunWith(
      [&](HWND d) {
        GetWindowRect(d, &box);
        Click(d, IDCANCEL);
        return WaitUntilClosed(d);
      },
      kTitle, owner);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  DestroyWindow(owner);
  EXPECT_GE(box.left, monitor.rcWork.left);
  EXPECT_GE(box.top, monitor.rcWork.top);
}

// The control's side of WM_ZM_CREDENTIALS: a window of the test thread plays the control window,
// a second thread plays the grabber that posts the request and waits for the dialog-done event.
constexpr UINT kCredentialsRequest = WM_USER + 0x3B;

struct RequestWindow {
  CZMSPasswordDialog* dialog;
  HANDLE done;
};

LRESULT CALLBACK RequestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCredentialsRequest) {
    auto* state = reinterpret_cast<RequestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    state->dialog->ShowForCredentialsRequest(state->done);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(PasswordDialogTest, CredentialsRequestFromAnotherThreadShowsItAndSignalsDone) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = RequestWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"ZmCredentialsRequestTest";
  RegisterClassW(&windowClass);
  HWND control = CreateWindowExW(0, windowClass.lpszClassName, L"control", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(nullptr, control);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  RequestWindow state{&dialog_, done};
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));

  const DWORD self = GetCurrentThreadId();
  DWORD grabberWait = WAIT_FAILED;
  bool userFinished = false;
  std::thread grabber([&] {
    PostMessageW(control, kCredentialsRequest, 0, 0);
    grabberWait = WaitForSingleObject(done, kFindWindowMs * 2);
  });
  std::thread user([&] {
    HWND d = WaitForThreadWindow(self, kTitle);
    if (!d) return;
    TypeInto(d, IDC_ZMS_USERNAME, L"viewer");
    TypeInto(d, IDC_ZMS_PASSWORD, L"s3cret");
    Click(d, IDOK);
    userFinished = WaitUntilClosed(d);
    if (!userFinished) Click(d, IDCANCEL);
  });
  // The control's thread pumps messages until the grabber has its answer (bounded).
  const ULONGLONG deadline = GetTickCount64() + kFindWindowMs * 2;
  while (WaitForSingleObject(done, 0) == WAIT_TIMEOUT && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(1, &done, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  user.join();
  grabber.join();
  DestroyWindow(control);
  CloseHandle(done);
  UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
  EXPECT_TRUE(userFinished);
  EXPECT_EQ(WAIT_OBJECT_0, grabberWait);
  EXPECT_TRUE(dialog_.request.confirmed);
  EXPECT_EQ(L"viewer", dialog_.request.userName);
  EXPECT_EQ(L"s3cret", dialog_.request.password);
}

}  // namespace
}  // namespace zm::credentials::test
