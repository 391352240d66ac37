#include "com/registry_script.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace zm::com {
namespace {

std::string ReadFile(const std::string& name) {
  std::ifstream in(std::string(ZM_RESOURCES_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const RegistryKey* Find(const std::vector<RegistryKey>& keys, const std::string& name) {
  for (const RegistryKey& key : keys)
    if (key.name == name) return &key;
  return nullptr;
}

std::string DefaultValue(const RegistryKey& key) {
  for (const RegistryValue& value : key.values)
    if (value.name.empty()) return value.text;
  return "<none>";
}

std::string NamedValue(const RegistryKey& key, const std::string& name) {
  for (const RegistryValue& value : key.values)
    if (value.name == name) return value.text;
  return "<none>";
}

const RegistryReplacements kReplacements = {
    {"MODULE", "C:\\Program Files\\It's here\\ZMediaControl7.dll"},
    {"APPID", "{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}"},
    {"OLEMISC", "131473"}};

TEST(RegistryScriptTest, ClassScriptDescribesEveryKeyWithItsRemovalRule) {
  RegistryScriptError error;
  auto script = ParseRegistryScript(ReadFile("zmedia_player.rgs"), kReplacements, &error);
  ASSERT_TRUE(script) << error.message << " at line " << error.line;
  ASSERT_EQ(script->roots.size(), 1u);
  EXPECT_EQ(script->roots[0].root, "HKCR");
  const auto& keys = script->roots[0].keys;

  const RegistryKey* progId = Find(keys, "Zavren.MediaPlayer.1");
  ASSERT_TRUE(progId);
  EXPECT_EQ(DefaultValue(*progId), "ZMediaPlayer Class");
  EXPECT_EQ(progId->removal, KeyRemoval::Normal);
  ASSERT_TRUE(Find(progId->subkeys, "CLSID"));
  EXPECT_EQ(DefaultValue(*Find(progId->subkeys, "CLSID")), "{177FC4F7-E5AE-4f56-9431-D838E0E209C1}");

  const RegistryKey* independent = Find(keys, "Zavren.MediaPlayer");
  ASSERT_TRUE(independent);
  EXPECT_EQ(DefaultValue(*Find(independent->subkeys, "CurVer")), "Zavren.MediaPlayer.1");

  const RegistryKey* clsidRoot = Find(keys, "CLSID");
  ASSERT_TRUE(clsidRoot);
  EXPECT_EQ(clsidRoot->removal, KeyRemoval::NoRemove);
  const RegistryKey* clsid = Find(clsidRoot->subkeys, "{177FC4F7-E5AE-4f56-9431-D838E0E209C1}");
  ASSERT_TRUE(clsid);
  EXPECT_EQ(clsid->removal, KeyRemoval::ForceRemove);
  EXPECT_EQ(DefaultValue(*clsid), "ZMediaPlayer Class");
  EXPECT_EQ(NamedValue(*clsid, "AppID"), "{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}");

  const RegistryKey* server = Find(clsid->subkeys, "InprocServer32");
  ASSERT_TRUE(server);
  // A replacement holding a quote stays one value: replacing happens after tokenising.
  EXPECT_EQ(DefaultValue(*server), "C:\\Program Files\\It's here\\ZMediaControl7.dll");
  EXPECT_EQ(NamedValue(*server, "ThreadingModel"), "Apartment");

  EXPECT_EQ(Find(clsid->subkeys, "Programmable")->removal, KeyRemoval::ForceRemove);
  EXPECT_EQ(Find(clsid->subkeys, "Control")->removal, KeyRemoval::ForceRemove);
  const RegistryKey* toolbox = Find(clsid->subkeys, "ToolboxBitmap32");
  EXPECT_EQ(toolbox->removal, KeyRemoval::ForceRemove);
  EXPECT_EQ(DefaultValue(*toolbox), "C:\\Program Files\\It's here\\ZMediaControl7.dll, 102");
  const RegistryKey* misc = Find(clsid->subkeys, "MiscStatus");
  EXPECT_EQ(DefaultValue(*misc), "0");
  EXPECT_EQ(DefaultValue(*Find(misc->subkeys, "1")), "131473");
  EXPECT_EQ(DefaultValue(*Find(clsid->subkeys, "TypeLib")), "{ADDFED65-E796-4a2c-B858-F9A07FAA9002}");
  EXPECT_EQ(DefaultValue(*Find(clsid->subkeys, "Version")), "1.0");
  EXPECT_EQ(DefaultValue(*Find(clsid->subkeys, "ProgID")), "Zavren.MediaPlayer.1");
  EXPECT_EQ(DefaultValue(*Find(clsid->subkeys, "VersionIndependentProgID")), "Zavren.MediaPlayer");
}

TEST(RegistryScriptTest, AppIdScriptKeepsTheAppIdRoot) {
  RegistryScriptError error;
  auto script = ParseRegistryScript(ReadFile("app_id.rgs"), kReplacements, &error);
  ASSERT_TRUE(script) << error.message << " at line " << error.line;
  const RegistryKey* appIdRoot = Find(script->roots[0].keys, "AppID");
  ASSERT_TRUE(appIdRoot);
  EXPECT_EQ(appIdRoot->removal, KeyRemoval::NoRemove);
  const RegistryKey* appId = Find(appIdRoot->subkeys, "{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}");
  ASSERT_TRUE(appId);
  EXPECT_EQ(DefaultValue(*appId), "ZMediaControl");
  const RegistryKey* dll = Find(appIdRoot->subkeys, "ZMediaControl7.DLL");
  ASSERT_TRUE(dll);
  EXPECT_EQ(NamedValue(*dll, "AppID"), "{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}");
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
