#include "com/registry_script.h"

#include <gtest/gtest.h>

namespace zm::com {
namespace {

std::string DefaultValue(const RegistryKey& key) {
  for (const RegistryValue& value : key.values)
    if (value.name.empty()) return value.text;
  return "<none>";
}

TEST(RegistryScriptTest, RemovalRulesNestAndReplacementsHoldingQuotesStayOneValue) {
  RegistryScriptError error;
  auto script = ParseRegistryScript(
      "HKCR { NoRemove CLSID { ForceRemove '{177FC4F7-E5AE-4f56-9431-D838E0E209C1}' = s 'C' {\n"
      "  InprocServer32 = s '%MODULE%' { val T = s 'A' } } } Delete Old }",
      {{"MODULE", "C:\\Program Files\\It's here\\ZMediaControl7.dll"}}, &error);
  ASSERT_TRUE(script) << error.message << " at line " << error.line;
  const auto& keys = script->roots.at(0).keys;
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].removal, KeyRemoval::NoRemove);
  EXPECT_EQ(keys[1].name, "Old");
  EXPECT_EQ(keys[1].removal, KeyRemoval::Delete);
  const RegistryKey& clsid = keys[0].subkeys.at(0);
  EXPECT_EQ(clsid.name, "{177FC4F7-E5AE-4f56-9431-D838E0E209C1}");
  EXPECT_EQ(clsid.removal, KeyRemoval::ForceRemove);
  const RegistryKey& server = clsid.subkeys.at(0);
  EXPECT_EQ(server.removal, KeyRemoval::Normal);
  // Replacing happens after tokenising, so the quote in the path does not end the string.
  EXPECT_EQ(DefaultValue(server), "C:\\Program Files\\It's here\\ZMediaControl7.dll");
  EXPECT_EQ(server.values.at(1).name, "T");
}

TEST(RegistryScriptTest, QuotedStringsUnescapeDoubledQuotesAndNumbersParse) {
  RegistryScriptError error;
  auto script = ParseRegistryScript("HKCU { 'a''b' = s 'x''y' { val N = d '0x10' val M = d 42 } }", {}, &error);
  ASSERT_TRUE(script) << error.message;
  const RegistryKey& key = script->roots[0].keys[0];
  EXPECT_EQ(key.name, "a'b");
  EXPECT_EQ(DefaultValue(key), "x'y");
  ASSERT_EQ(key.values.size(), 3u);
  EXPECT_EQ(key.values[1].kind, RegistryValue::Kind::Dword);
  EXPECT_EQ(key.values[1].number, 16u);
  EXPECT_EQ(key.values[2].number, 42u);
}

TEST(RegistryScriptTest, PercentPercentIsALiteralPercent) {
  RegistryScriptError error;
  auto script = ParseRegistryScript("HKCR { K = s '100%% %V%' }", {{"V", "v"}}, &error);
  ASSERT_TRUE(script) << error.message;
  EXPECT_EQ(DefaultValue(script->roots[0].keys[0]), "100% v");
}

TEST(RegistryScriptTest, BrokenScriptsFailWithALineNumber) {
  struct Case {
    const char* text;
    const char* why;
  } cases[] = {
      {"HKCR { K = s 'unterminated }", "unterminated"},
      {"HKCR { K = s 'v' ", "missing '}'"},
      {"HKCR { K = x 'v' }", "unsupported value type"},
      {"HKCR { K = d 'zz' }", "bad number"},
      {"HKCR { K = d '4294967296' }", "bad number"},
      {"HKCR { val V = s 'v' }", "a named value needs a key"},
      {"HKCR { K = s '%UNKNOWN%' }", "unknown replacement"},
      {"HKCR { K = s '%OPEN' }", "unterminated replacement"},
      {"HKCR K", "expected '{'"},
      {"HKCR {\n\n = s 'v' }", "expected a name"},
  };
  for (const Case& c : cases) {
    RegistryScriptError error;
    EXPECT_FALSE(ParseRegistryScript(c.text, {}, &error)) << c.text;
    EXPECT_NE(error.message.find(c.why), std::string::npos) << c.text << " gave " << error.message;
    EXPECT_GE(error.line, 1u);
  }
  RegistryScriptError error;
  ParseRegistryScript("HKCR {\n\n = s 'v' }", {}, &error);
  EXPECT_EQ(error.line, 3u);
}

}  // namespace
}  // namespace zm::com
