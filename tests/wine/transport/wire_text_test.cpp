// Conversion of the protocol's 8-bit texts: UTF-8 for protocol 80, the thread's ANSI code
// page for protocol 25, both ways.
#include <gtest/gtest.h>

#include "transport/wire_text.h"

namespace zm::tests {
namespace {

using transport::WideToWireText;
using transport::WireCodePage;
using transport::WireTextToWide;

TEST(WireTextTest, Protocol80IsUtf8AndEveryOtherVersionTheThreadCodePage) {
  EXPECT_EQ(WireCodePage(80), static_cast<UINT>(CP_UTF8));
  EXPECT_EQ(WireCodePage(25), static_cast<UINT>(CP_THREAD_ACP));
}

TEST(WireTextTest, Utf8TextGoesBothWaysUnchanged) {
  const std::wstring text = L"Stra\u00DFe \u20AC \U0001F600";
  const std::string bytes = WideToWireText(text, CP_UTF8);
  EXPECT_EQ(bytes, "Stra\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(WireTextToWide(bytes, CP_UTF8), text);
}

TEST(WireTextTest, AnsiTextGoesBothWaysThroughTheThreadCodePage) {
  const std::string bytes = "plain ascii name";
  const std::wstring wide = WireTextToWide(bytes, CP_THREAD_ACP);
  EXPECT_EQ(wide, L"plain ascii name");
  EXPECT_EQ(WideToWireText(wide, CP_THREAD_ACP), bytes);
}

TEST(WireTextTest, EmptyTextStaysEmpty) {
  EXPECT_EQ(WireTextToWide("", CP_UTF8), L"");
  EXPECT_EQ(WideToWireText(L"", CP_THREAD_ACP), "");
}

}  // namespace
}  // namespace zm::tests
