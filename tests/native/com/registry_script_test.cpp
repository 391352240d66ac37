#include "com/registry_script.h"

#include <gtest/gtest.h>

namespace zm::com {
namespace {

std::string DefaultValue(const RegistryKey& key) {
  for (const RegistryValue& value : key.values)
    if (value.name.empty()) return value.text;
  return "<none>";
}

// The control's own scripts, with their removal rules and nesting, are proven key by key in the
// registry by the Wine RegistrationTest; a module path holding a quote is not among them.
TEST(RegistryScriptTest, AReplacementHoldingAQuoteStaysOneValue) {
  RegistryScriptError error;
  auto script = ParseRegistryScript("HKCR { K = s '%MODULE%' { val T = s 'A' } }",
                                    {{"MODULE", "C:\\Program Files\\It's here\\ZMediaControl7.dll"}}, &error);
  ASSERT_TRUE(script) << error.message << " at line " << error.line;
  // Replacing happens after tokenising, so the quote in the path does not end the string.
  const RegistryKey& key = script->roots.at(0).keys.at(0);
  EXPECT_EQ(DefaultValue(key), "C:\\Program Files\\It's here\\ZMediaControl7.dll");
  EXPECT_EQ(key.values.at(1).name, "T");
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
  const std::pair<const char*, const char*> cases[] = {
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
  for (auto [text, why] : cases) {
    RegistryScriptError error;
    EXPECT_FALSE(ParseRegistryScript(text, {}, &error)) << text;
    EXPECT_NE(error.message.find(why), std::string::npos) << text << " gave " << error.message;
    EXPECT_EQ(error.line, text[6] == '\n' ? 3u : 1u) << text;
  }
}

}  // namespace
}  // namespace zm::com
