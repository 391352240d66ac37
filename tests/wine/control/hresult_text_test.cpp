// Display texts for renderer HRESULTs: the message module's text where it has one, the
// system's text, the dispatch error number for interface codes nobody knows, and the fallbacks.
#include "control/hresult_text.h"

#include <gtest/gtest.h>

#include "control_client.h"

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

// test_messages.dll (test_messages.mc) holds texts for 0x8FFF0539 and 0x80040210 only.
TEST(HResultTextTest, MessageModuleTextComesFirstAndCodesItLacksFallBack) {
  HMODULE module =
      LoadLibraryExW((tests::ProgramFolder() + L"test_messages.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  struct Case {
    DWORD code;
    const wchar_t* text;
  } cases[] = {
      {0x8FFF0539, L"The picture source is busy with another viewer."},
      {0x80040210, L"The renderer refused the picture format."},
      {0x8FFF0001, L"Unspecified error"},
      {0x80040201, L"IDispatch error #1"},
      {0x80990001, L"Unknown error 0x80990001"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HResultText(static_cast<HRESULT>(c.code), module), c.text) << std::hex << c.code;
  FreeLibrary(module);
}

}  // namespace
}  // namespace zm::control
