// What the playlist dialog shows (its three lines, its items, which buttons act, the entry to
// select) and the step each button asks of the session. Portable: the dialog renders it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zm::ui {

enum PlayListButton {
  kPlayListPrevious,
  kPlayListNext,
  kPlayListFromSelected,
  kPlayListSelectedAlone,
  kPlayListButtons
};

class PlayListModel {
 public:
  // Lower-cases a name in place; the dialog passes the system's rule, the default is ASCII.
  using LowerCase = void (*)(std::wstring&);
  explicit PlayListModel(LowerCase lower = nullptr);

  void Reset();
  // A new list: `xml` from "<xml>" on, `name` the entry now playing, `index` the server's index.
  // Returns true when an item was selected.
  bool Load(std::wstring_view xml, const std::wstring& name, const std::wstring& listName, int32_t index);
  // The next entry of the loaded list began; true when an item was selected.
  bool UpdateCurrent(const std::wstring& name, int32_t index);
  // Selects the first item equal to `name` ignoring case; true when one was found.
  bool SelectByName(const std::wstring& name);

  bool alphabetical() const { return alphabetical_; }
  const std::wstring& listName() const { return listName_; }
  const std::wstring& content() const { return content_; }
  int32_t current() const { return current_; }
  const std::vector<std::wstring>& items() const { return items_; }
  int32_t selected() const { return selected_; }  // the entry last selected here, -1 for none
  bool enabled(PlayListButton b) const { return enabled_[b]; }
  const std::wstring& listLine() const { return listLine_; }
  const std::wstring& modeLine() const { return modeLine_; }
  const std::wstring& currentLine() const { return currentLine_; }

 private:
  bool SelectEntry(int64_t index);

  LowerCase lower_;
  bool alphabetical_ = false;
  std::wstring listName_, content_;
  int32_t current_ = -1;
  std::vector<std::wstring> items_;
  int32_t selected_ = -1;
  std::array<bool, kPlayListButtons> enabled_{};
  std::wstring listLine_, modeLine_, currentLine_;
};

// What Next, Previous and "play from the selected entry" ask: the list is chosen again, the
// session index set, and then either Play (from Idle) or Stop (the session goes on after `index`).
struct PlayListStep {
  int32_t index = 0;
  bool play = false;
};
// `from` is the current entry for Next (+1) and Previous (-1), the selected one for the third (0).
PlayListStep PlanPlayListStep(int32_t from, int32_t offset, bool idle);

}  // namespace zm::ui
