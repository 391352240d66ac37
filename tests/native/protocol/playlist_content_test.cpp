// The list description's order marker and entries, including texts that are cut, nested or odd.
#include "protocol/playlist_content.h"

#include <gtest/gtest.h>

namespace zm::protocol {
namespace {

TEST(PlayListContentTest, OrderAndEntriesAreReadVerbatim) {
  const std::tuple<std::wstring, PlayListOrder, std::vector<std::wstring>> cases[] = {
      {L"<xml><playlist type=\"alphabetical\"><file>a.zmf</file><file>B &amp; c.zmf</file></playlist>",
       PlayListOrder::Alphabetical,
       {L"a.zmf", L"B &amp; c.zmf"}},
      {L"<xml><playlist type=\"random\"><file>x</file></playlist>", PlayListOrder::Random, {L"x"}},
      // The marker counts anywhere, even inside an entry; a single-quoted one does not.
      {L"<file><playlist type=\"alphabetical</file>", PlayListOrder::Alphabetical, {L"<playlist type=\"alphabetical"}},
      {L"<playlist type='alphabetical'><file>x</file>", PlayListOrder::Random, {L"x"}},
      // A close before its open gives an empty entry; an unclosed open ends the list.
      {L"</file><file>a</file><file>b", PlayListOrder::Random, {L"", L"a"}},
      {L"<file><file>in</file></file>", PlayListOrder::Random, {L"<file>in"}},
      {L"<file></file><file>", PlayListOrder::Random, {L""}},
      {L"", PlayListOrder::Random, {}},
      {L"<xml><playlist type=\"alphabetical\"></playlist>", PlayListOrder::Alphabetical, {}},
  };
  for (const auto& [xml, order, entries] : cases) {
    const PlayListContent content = ParsePlayListContent(xml);
    EXPECT_EQ(std::tuple(content.order, content.entries), std::tuple(order, entries)) << testing::PrintToString(xml);
  }
}

TEST(PlayListContentTest, WireSizedTextsFinish) {
  std::wstring xml = L"<xml><playlist type=\"alphabetical\">";
  for (int i = 0; i < 50000; ++i) xml += L"<file>f" + std::to_wstring(i) + L"</file>";
  EXPECT_EQ(ParsePlayListContent(xml).entries.back(), L"f49999");
  // Many closes before one late open: each gives an empty entry without searching the text anew.
  std::wstring closes;
  for (int i = 0; i < 100000; ++i) closes += L"</file>";
  EXPECT_EQ(ParsePlayListContent(closes + L"<file>").entries.size(), 100000u);
}

}  // namespace
}  // namespace zm::protocol
