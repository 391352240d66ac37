// The list description that a server playlist's reply carries after "<xml>": its order and its
// entries. Only two things are read from it; no other tag, attribute or escaping means anything.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zm::protocol {

enum class PlayListOrder { Random, Alphabetical };

struct PlayListContent {
  PlayListOrder order = PlayListOrder::Random;
  std::vector<std::wstring> entries;  // verbatim, in order of appearance
};

// The introducer of the list description inside the reply's media name.
inline constexpr std::wstring_view kPlayListXmlStart = L"<xml>";

// "alphabetical" when the marker `<playlist type="alphabetical` appears anywhere, else "random".
PlayListOrder PlayListOrderOf(std::wstring_view xml);
const wchar_t* PlayListOrderName(PlayListOrder order);

// The texts between each "<file>" and the next "</file>". A "</file>" before its "<file>" gives an
// empty entry; an unclosed "<file>" ends the list.
PlayListContent ParsePlayListContent(std::wstring_view xml);

}  // namespace zm::protocol
