// Display texts for renderer HRESULTs: the system's text where it has one, the dispatch
// error number for interface codes nobody knows, and the fallbacks.
#include "control/hresult_text.h"

#include <gtest/gtest.h>

namespace zm::control {
namespace {

TEST(HResultTextTest, EachKindOfCodeGetsItsText) {
  struct Case {
    HRESULT hr;
    const wchar_t* text;
  } cases[] = {
      {static_cast<HRESULT>(0x80040201), L"IDispatch error #1"},
      {static_cast<HRESULT>(0x8004FFFF), L"IDispatch error #65023"},
      {static_cast<HRESULT>(0x8FFF0001), L"Unspecified error"},  // our own facility, no message module
      {static_cast<HRESULT>(0x80990001), L"Unknown error 0x80990001"},
  };
  for (const Case& c : cases) EXPECT_EQ(HResultText(c.hr, nullptr), c.text) << std::hex << c.hr;
  // The system's own text, without its line break.
  std::wstring system = HResultText(E_OUTOFMEMORY, nullptr);
  EXPECT_FALSE(system.empty());
  EXPECT_EQ(system.find(L"error 0x"), std::wstring::npos);
  EXPECT_NE(system.back(), L'\n');
}

}  // namespace
}  // namespace zm::control
