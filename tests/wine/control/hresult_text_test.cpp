// Display texts for renderer HRESULTs: the message module's text where it has one, the
// system's text, the dispatch error number for interface codes nobody knows, and the fallbacks.
#include "control/hresult_text.h"

#include <gtest/gtest.h>

#include "control_client.h"

namespace zm::control {
namespace {

// test_messages.dll (test_messages.mc) holds texts for 0x8FFF0539 and 0x80040210 only.
TEST(HResultTextTest, TheMessageModuleComesFirstThenTheSystemThenTheFallbacks) {
  HMODULE module =
      LoadLibraryExW((tests::ProgramFolder() + L"test_messages.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  const struct {
    DWORD code;
    const wchar_t *withModule, *without;  // without: null where the system may know the code
  } cases[] = {
      {0x8FFF0539, L"The picture source is busy with another viewer.", L"Unspecified error"},
      {0x80040210, L"The renderer refused the picture format.", nullptr},
      {0x8FFF0001, L"Unspecified error", L"Unspecified error"},  // our own facility, no text
      {0x80040201, L"IDispatch error #1", L"IDispatch error #1"},
      {0x8004FFFF, L"IDispatch error #65023", L"IDispatch error #65023"},
      {0x80990001, L"Unknown error 0x80990001", L"Unknown error 0x80990001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HResultText(static_cast<HRESULT>(c.code), module), c.withModule) << std::hex << c.code;
    if (c.without) {
      EXPECT_EQ(HResultText(static_cast<HRESULT>(c.code), nullptr), c.without) << std::hex << c.code;
    }
  }
  FreeLibrary(module);
  // The system's own text, without its line break.
  const std::wstring system = HResultText(E_OUTOFMEMORY, nullptr);
  EXPECT_FALSE(system.empty());
  EXPECT_EQ(system.find(L"error 0x"), std::wstring::npos);
  EXPECT_NE(system.back(), L'\n');
}

}  // namespace
}  // namespace zm::control
