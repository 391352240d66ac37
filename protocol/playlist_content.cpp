#include "protocol/playlist_content.h"

namespace zm::protocol {
namespace {

constexpr std::wstring_view kAlphabeticalMarker = L"<playlist type=\"alphabetical";
constexpr std::wstring_view kFileOpen = L"<file>";
constexpr std::wstring_view kFileClose = L"</file>";

}  // namespace

PlayListOrder PlayListOrderOf(std::wstring_view xml) {
  return xml.find(kAlphabeticalMarker) != std::wstring_view::npos ? PlayListOrder::Alphabetical : PlayListOrder::Random;
}

const wchar_t* PlayListOrderName(PlayListOrder order) {
  return order == PlayListOrder::Alphabetical ? L"alphabetical" : L"random";
}

PlayListContent ParsePlayListContent(std::wstring_view xml) {
  PlayListContent content;
  content.order = PlayListOrderOf(xml);
  // Each search starts where the last one left off, so a text of many closes before a late
  // open stays linear.
  size_t rest = 0;
  size_t open = xml.find(kFileOpen);
  for (;;) {
    if (open != std::wstring_view::npos && open < rest) open = xml.find(kFileOpen, rest);
    const size_t close = xml.find(kFileClose, rest);
    if (open == std::wstring_view::npos || close == std::wstring_view::npos) break;
    const size_t first = open + kFileOpen.size();
    content.entries.emplace_back(close > first ? xml.substr(first, close - first) : std::wstring_view());
    rest = close + kFileClose.size();
  }
  return content;
}

}  // namespace zm::protocol
