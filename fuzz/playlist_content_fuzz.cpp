// Fuzzes the playlist description and the dialog's view of it: entries never hold a closing
// tag, there are no more of them than closes, and every selection lands inside the list.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "protocol/playlist_content.h"
#include "ui/playlist_model.h"

using namespace zm;
using zm::fuzz::Check;

namespace {

size_t Count(const std::wstring& text, std::wstring_view part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t index = 0;
  if (size >= sizeof index) {
    std::memcpy(&index, data, sizeof index);
    data += sizeof index;
    size -= sizeof index;
  }
  // Bytes widen one by one, so the tags and the marker are easy to reach.
  const std::wstring xml(data, data + size);
  const protocol::PlayListContent content = protocol::ParsePlayListContent(xml);
  Check(content.entries.size() <= Count(xml, L"</file>"));
  for (const std::wstring& entry : content.entries) Check(entry.find(L"</file>") == std::wstring::npos);

  ui::PlayListModel model;
  const bool selected = model.Load(xml, content.entries.empty() ? L"" : content.entries.back(), L"list", index);
  Check(selected == !content.entries.empty());
  Check(model.items().size() == content.entries.size());
  model.UpdateCurrent(L"x", index ^ 0x5a5a5a5a);
  Check(model.selected() < static_cast<int32_t>(model.items().size()));
  Check(selected ? model.selected() >= 0 : model.selected() == -1);
  return 0;
}
