// The playlist dialog through the control, against the server's two lists: what it shows after
// each reply, and what Next, "play selected file" and Enter do.
#include <string>

#include "playback_fixture.h"

#include <commctrl.h>

namespace zm::tests {
namespace {

// Control ids of the dialog, as a user's accessibility tool would find them.
constexpr int kListLine = 282, kModeLine = 283, kCurrentLine = 277, kEntries = 274;
constexpr int kPrevious = 279, kNext = 280, kFromSelected = 281, kSelectedAlone = 278;

HWND FindPlayListDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) {
        wchar_t caption[64] = {};
        GetWindowTextW(hwnd, caption, 64);
        if (std::wstring(caption) != L"Playlist control") return TRUE;
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

struct DialogSeen {
  std::wstring list, mode, current;
  std::vector<std::wstring> items;
  int selected = -1;
  bool previous = false, next = false, fromSelected = false, selectedAlone = false;
};

DialogSeen Read(HWND dialog) {
  DialogSeen seen;
  wchar_t text[256];
  for (auto [id, out] : {std::pair{kListLine, &seen.list}, {kModeLine, &seen.mode}, {kCurrentLine, &seen.current}}) {
    GetDlgItemTextW(dialog, id, text, 256);
    *out = text;
  }
  const HWND list = GetDlgItem(dialog, kEntries);
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    ListView_GetItemText(list, i, 0, text, 256);
    seen.items.push_back(text);
  }
  seen.selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  seen.previous = IsWindowEnabled(GetDlgItem(dialog, kPrevious));
  seen.next = IsWindowEnabled(GetDlgItem(dialog, kNext));
  seen.fromSelected = IsWindowEnabled(GetDlgItem(dialog, kFromSelected));
  seen.selectedAlone = IsWindowEnabled(GetDlgItem(dialog, kSelectedAlone));
  return seen;
}

class PlayListDialogTest : public PlaybackTest {
 protected:
  std::wstring MediaName() {
    UniqueBstr name;
    player->get_MediaName(name.put());
    return name.get() ? name.get() : L"";
  }
  void Click(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
};

TEST_F(PlayListDialogTest, AnAlphabeticalListIsFollowedSteppedAndLeftForOneFile) {
  const HWND dialog = FindPlayListDialog();
  ASSERT_TRUE(dialog) << "created with the control window";
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->UseFilePlayList(Text(L"testlist"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  EXPECT_EQ(player->ViewPlayListControl(), S_OK);
  EXPECT_TRUE(IsWindowVisible(dialog));
  RECT control{}, shown{};
  GetWindowRect(hosted.ControlWindow(), &control);
  GetWindowRect(dialog, &shown);
  EXPECT_EQ(shown.left, control.left);
  EXPECT_EQ(shown.top, control.bottom);

  const std::vector<std::wstring> files{L"alpha.zmf", L"beta.zmf", L"gamma.zmf"};
  DialogSeen seen = Read(dialog);
  EXPECT_EQ(seen.list, L"playlist: testlist");
  EXPECT_EQ(seen.mode, L"mode: alphabetical");
  EXPECT_EQ(seen.current, L"alpha.zmf");
  EXPECT_EQ(seen.items, files);
  EXPECT_EQ(seen.selected, 0);
  EXPECT_FALSE(seen.previous);
  EXPECT_TRUE(seen.next && seen.fromSelected && seen.selectedAlone);
  UniqueBstr content;
  EXPECT_EQ(player->get_PlayListContent(content.put()), S_OK);
  EXPECT_EQ(std::wstring(content.get()).rfind(L"<xml><playlist type=\"alphabetical\"><file>alpha.zmf</file>", 0), 0u);

  // The second entry's reply names it alone: the list stays and moves on.
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 2));
  seen = Read(dialog);
  EXPECT_EQ(seen.current, L"beta.zmf");
  EXPECT_EQ(seen.selected, 1);
  EXPECT_TRUE(seen.previous);
  EXPECT_EQ(seen.items, files);

  // Next while playing stops this entry and goes on with the one after it.
  Click(dialog, kNext);
  EXPECT_FALSE(IsWindowVisible(dialog)) << "a step hides the dialog";
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 3));
  EXPECT_EQ(MediaName(), L"gamma.zmf");
  EXPECT_EQ(Read(dialog).selected, 2);
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{1}) << "the list goes on";

  // One file alone: the list stays loaded, with the file selected.
  ListView_SetItemState(GetDlgItem(dialog, kEntries), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Click(dialog, kSelectedAlone);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 4));
  EXPECT_EQ(MediaName(), L"testlist\\alpha.zmf");
  seen = Read(dialog);
  EXPECT_EQ(seen.items, files);
  EXPECT_EQ(seen.selected, 0);
  EXPECT_EQ(seen.current, L"alpha.zmf");
  ASSERT_TRUE(WaitForEvent(kOnStop, 15000, 3)) << "played alone, it ends without a next entry";
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});

  // Enter hides the dialog as Escape does; it stays for the window's life.
  player->ViewPlayListControl();
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->ViewPlayListControl();
  EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(PlayListDialogTest, ARandomListSelectsTheEntryByItsName) {
  player->UseFilePlayList(Text(L"randomlist"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  const DialogSeen seen = Read(FindPlayListDialog());
  EXPECT_EQ(seen.mode, L"mode: random");
  EXPECT_EQ(seen.items, (std::vector<std::wstring>{L"gamma.zmf", L"alpha.zmf", L"beta.zmf"}));
  EXPECT_EQ(seen.current, L"gamma.zmf");
  EXPECT_EQ(seen.selected, 0);
  EXPECT_FALSE(seen.fromSelected) << "a random list is not played from an entry";
  EXPECT_FALSE(seen.previous);
}

}  // namespace
}  // namespace zm::tests
