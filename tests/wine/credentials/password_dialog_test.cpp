// The authentication dialog driven as a user would: texts typed into its edits and buttons
// clicked by messages from a second thread, while the dialog runs modally on the dialog's thread.
#include "credentials/password_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "com/unique_handle.h"
#include "credentials/credentials_resources.h"

namespace zm::credentials::test {
namespace {

constexpr wchar_t kTitle[] = L"Authentication required";
constexpr wchar_t kRetryTitle[] = L"Authentication failed. Try again.";
constexpr DWORD kWaitMs = 15000;

std::wstring Text(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// The visible top-level window of `thread` titled `title`, waiting for it up to kWaitMs.
HWND WaitForWindow(DWORD thread, const std::wstring& title) {
  struct Search {
    std::wstring title;
    HWND found = nullptr;
  } search{title};
  for (const ULONGLONG deadline = GetTickCount64() + kWaitMs; GetTickCount64() < deadline; Sleep(20)) {
    EnumThreadWindows(
        thread,
        [](HWND w, LPARAM s) -> BOOL {
          auto* search = reinterpret_cast<Search*>(s);
          if (IsWindowVisible(w) && Text(w) == search->title) search->found = w;
          return !search->found;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
  }
  return nullptr;
}

bool WaitUntilClosed(HWND window) {
  for (const ULONGLONG deadline = GetTickCount64() + kWaitMs; IsWindow(window); Sleep(20)) {
    if (GetTickCount64() >= deadline) return false;
  }
  return true;
}

void Type(HWND d, int id, const wchar_t* text) { SetWindowTextW(GetDlgItem(d, id), text); }
// Posted, as a click arrives, because the dialog may answer with a modal message box of its own.
void Click(HWND d, int id) { PostMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(d, id))); }
bool ClickAndWait(HWND d, int id) { return Click(d, id), WaitUntilClosed(d); }

class PasswordDialogTest : public ::testing::Test {
 protected:
  // Runs the dialog modally here while `user` plays it from another thread; a user who cannot
  // finish cancels it, so that the test fails instead of hanging.
  INT_PTR RunWith(const std::function<bool(HWND)>& user, const wchar_t* title = kTitle,
                  const std::function<INT_PTR()>& show = {}) {
    const DWORD self = GetCurrentThreadId();
    bool finished = false;
    std::thread player([&] {
      HWND window = WaitForWindow(self, title);
      finished = window && user(window);
      if (!finished && window) Click(window, IDCANCEL);
    });
    const INT_PTR result = show ? show() : dialog_.DoModal(nullptr);
    player.join();
    EXPECT_TRUE(finished) << "the user could not finish the dialog";
    return result;
  }

  CZMSPasswordDialog dialog_{GetModuleHandleW(nullptr)};
};

TEST_F(PasswordDialogTest, OkNeedsBothFieldsThenConfirmsWithTheTypedTextsAndTheTick) {
  std::wstring boxText[2];
  bool stayedOpen[2] = {};
  const INT_PTR result = RunWith([&](HWND d) {
    const int filled[2] = {IDC_ZMS_USERNAME, IDC_ZMS_PASSWORD};
    for (int i = 0; i < 2; ++i) {
      Type(d, IDC_ZMS_USERNAME, L"");
      Type(d, IDC_ZMS_PASSWORD, L"");
      Type(d, filled[i], L"only-this-one");
      Click(d, IDOK);
      HWND box = WaitForWindow(GetWindowThreadProcessId(d, nullptr), L"Error");
      if (!box) return false;
      boxText[i] = Text(GetDlgItem(box, 0xFFFF));  // the message box's text control
      if (!ClickAndWait(box, IDOK)) return false;
      stayedOpen[i] = IsWindowVisible(d);
    }
    Type(d, IDC_ZMS_USERNAME, L"viewer");
    Type(d, IDC_ZMS_PASSWORD, L"s3cret \u00e4\u20ac");
    SendDlgItemMessageW(d, IDC_ZMS_REMEMBER, BM_SETCHECK, BST_CHECKED, 0);
    return ClickAndWait(d, IDOK);
  });
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(L"Either Username or Password is missing", boxText[i]) << "case " << i;
    EXPECT_TRUE(stayedOpen[i]) << "case " << i;
  }
  EXPECT_EQ(IDOK, result);
  EXPECT_TRUE(dialog_.request.confirmed);
  EXPECT_TRUE(dialog_.request.remember);
  EXPECT_EQ(L"viewer", dialog_.request.userName);
  EXPECT_EQ(L"s3cret \u00e4\u20ac", dialog_.request.password);
}

// The dialog object outlives each showing: an earlier answer must not leak into this one.
TEST_F(PasswordDialogTest, RetryAfterARefusalSaysSoAndCancelLeavesItUnconfirmed) {
  dialog_.request = {.firstAttempt = false, .confirmed = true, .userName = L"u", .password = L"p", .remember = true};
  const INT_PTR result = RunWith(
      [&](HWND d) {
        SendDlgItemMessageW(d, IDC_ZMS_REMEMBER, BM_SETCHECK, BST_CHECKED, 0);
        return ClickAndWait(d, IDCANCEL);
      },
      kRetryTitle);  // found by this title only when the last attempt was refused
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_FALSE(dialog_.request.confirmed);
  EXPECT_FALSE(dialog_.request.remember);
}

TEST_F(PasswordDialogTest, OpensCentredOnItsOwnerInsideTheWorkArea) {
  const RECT owners[] = {{100, 150, 700, 550}, {-150, -100, 50, 50}};
  for (const RECT& o : owners) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, o.left, o.top, o.right - o.left,
                                 o.bottom - o.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    RECT box{};
    RunWith([&](HWND d) { return GetWindowRect(d, &box), ClickAndWait(d, IDCANCEL); }, kTitle,
            [&] { return dialog_.DoModal(owner); });
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    DestroyWindow(owner);
    if (o.left >= 0) {
      EXPECT_NEAR((o.left + o.right) / 2, (box.left + box.right) / 2, 1);
      EXPECT_NEAR((o.top + o.bottom) / 2, (box.top + box.bottom) / 2, 1);
    }
    EXPECT_GE(box.left, monitor.rcWork.left);
    EXPECT_GE(box.top, monitor.rcWork.top);
  }
}

// WM_ZM_CREDENTIALS as the control answers it: with no active window on its thread, the dialog
// opens over the control window, and the grabber's event is signalled only once it has closed.
TEST_F(PasswordDialogTest, CredentialsRequestOpensOverTheControlWindowThenSignalsDone) {
  HWND control =
      CreateWindowExW(0, L"STATIC", L"control", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, control);
  dialog_.parentWindow = control;
  com::UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HWND owner = nullptr;
  DWORD whileOpen = WAIT_FAILED;
  RunWith(
      [&](HWND d) {
        owner = GetWindow(d, GW_OWNER);
        whileOpen = WaitForSingleObject(done.get(), 0);
        Type(d, IDC_ZMS_USERNAME, L"viewer");
        Type(d, IDC_ZMS_PASSWORD, L"s3cret");
        return ClickAndWait(d, IDOK);
      },
      kTitle, [&] { return dialog_.ShowForCredentialsRequest(done.get()), INT_PTR(IDOK); });
  DestroyWindow(control);
  EXPECT_EQ(control, owner);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), whileOpen);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.get(), 0));
  EXPECT_TRUE(dialog_.request.confirmed);
  EXPECT_EQ(L"viewer", dialog_.request.userName);
}

}  // namespace
}  // namespace zm::credentials::test
