#include "ui/playlist_model.h"

#include <algorithm>
#include <limits>

#include "protocol/playlist_content.h"

namespace zm::ui {
namespace {

void LowerAscii(std::wstring& text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
}

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

PlayListModel::PlayListModel(LowerCase lower) : lower_(lower ? lower : LowerAscii) {}

void PlayListModel::Reset() {
  alphabetical_ = false;
  listName_.clear();
  content_.clear();
  current_ = -1;
  enabled_.fill(false);
  listLine_.clear();
  modeLine_.clear();
  currentLine_.clear();
  items_.clear();
  selected_ = -1;
}

bool PlayListModel::Load(std::wstring_view xml, const std::wstring& name, const std::wstring& listName, int32_t index) {
  Reset();
  listName_ = listName;
  content_ = xml;
  current_ = index;
  protocol::PlayListContent list = protocol::ParsePlayListContent(xml);
  alphabetical_ = list.order == protocol::PlayListOrder::Alphabetical;
  enabled_[kPlayListNext] = true;
  enabled_[kPlayListSelectedAlone] = true;
  enabled_[kPlayListFromSelected] = alphabetical_;
  listLine_ = L"playlist: " + listName;
  modeLine_ = std::wstring(L"mode: ") + protocol::PlayListOrderName(list.order);
  currentLine_ = name;
  items_ = std::move(list.entries);
  // Previous stays disabled after the first load; the next reply for the list enables it.
  return alphabetical_ ? SelectEntry(current_) : SelectByName(name);
}

bool PlayListModel::UpdateCurrent(const std::wstring& name, int32_t index) {
  if (content_.empty()) return false;
  if (!alphabetical_) return SelectByName(name);
  current_ = index;
  currentLine_ = name;
  enabled_[kPlayListPrevious] = index != 0;
  return SelectEntry(index);
}

bool PlayListModel::SelectByName(const std::wstring& name) {
  if (content_.empty()) return false;
  std::wstring lowered = name;
  lower_(lowered);
  currentLine_ = lowered;
  for (size_t i = 0; i < items_.size(); ++i) {
    std::wstring item = items_[i];
    lower_(item);
    if (item != lowered) continue;
    current_ = static_cast<int32_t>(i);
    enabled_[kPlayListPrevious] = i != 0;
    return SelectEntry(current_);
  }
  return false;
}

bool PlayListModel::SelectEntry(int64_t index) {
  if (items_.empty()) return false;
  // The server's index runs on past the end of the list and may be negative after Previous.
  const int64_t count = static_cast<int64_t>(items_.size());
  selected_ = static_cast<int32_t>(((index % count) + count) % count);
  return true;
}

PlayListStep PlanPlayListStep(int32_t from, int32_t offset, bool idle) {
  // From Idle the session starts at the index; otherwise it stops and goes on after it.
  return PlayListStep{ClampToInt32(int64_t{from} + offset - (idle ? 0 : 1)), idle};
}

}  // namespace zm::ui
