// Registration and unregistration, checked key by key in the registry.
#include <string>

#include "control_client.h"

namespace zm::tests {
namespace {

const std::wstring kClsid = L"CLSID\\{177FC4F7-E5AE-4F56-9431-D838E0E209C1}";
const std::wstring kAppId = L"{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}";
const std::wstring kTypeLib = L"TypeLib\\{ADDFED65-E796-4A2C-B858-F9A07FAA9002}\\1.0";

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The string value, or "<missing>".
std::wstring Value(const std::wstring& path, const wchar_t* name = nullptr) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}

void CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class RegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryW(ControlDllPath().c_str());
    ASSERT_TRUE(module);
    registerServer = Export("DllRegisterServer");
    unregisterServer = Export("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
  }
  void TearDown() override {
    if (registerServer) {
      EXPECT_EQ(registerServer(), S_OK) << "left registered for the tests that follow";
    }
    if (module) FreeLibrary(module);
  }
  using Entry = HRESULT(WINAPI*)();
  Entry Export(const char* name) {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  HMODULE module = nullptr;
  Entry registerServer = nullptr, unregisterServer = nullptr;
};

TEST_F(RegistrationTest, RegisterWritesEveryKeyOfBothScriptsAndReplacesTheWholeClassKey) {
  ASSERT_EQ(registerServer(), S_OK);
  CreateKey(kClsid + L"\\Stray");
  ASSERT_EQ(registerServer(), S_OK);
  EXPECT_FALSE(KeyExists(kClsid + L"\\Stray"));
  const std::wstring clsidText = L"{177FC4F7-E5AE-4f56-9431-D838E0E209C1}", path = ControlDllPath();
  const struct {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  } values[] = {
      {L"AppID\\" + kAppId, nullptr, L"ZMediaControl"},
      {L"AppID\\ZMediaControl7.DLL", L"AppID", kAppId},
      {L"Zavren.MediaPlayer.1", nullptr, L"ZMediaPlayer Class"},
      {L"Zavren.MediaPlayer.1\\CLSID", nullptr, clsidText},
      {L"Zavren.MediaPlayer", nullptr, L"ZMediaPlayer Class"},
      {L"Zavren.MediaPlayer\\CLSID", nullptr, clsidText},
      {L"Zavren.MediaPlayer\\CurVer", nullptr, L"Zavren.MediaPlayer.1"},
      {kClsid, nullptr, L"ZMediaPlayer Class"},
      {kClsid, L"AppID", kAppId},
      {kClsid + L"\\ProgID", nullptr, L"Zavren.MediaPlayer.1"},
      {kClsid + L"\\VersionIndependentProgID", nullptr, L"Zavren.MediaPlayer"},
      {kClsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {kClsid + L"\\MiscStatus", nullptr, L"0"},
      {kClsid + L"\\MiscStatus\\1", nullptr, L"131473"},
      {kClsid + L"\\TypeLib", nullptr, L"{ADDFED65-E796-4a2c-B858-F9A07FAA9002}"},
      {kClsid + L"\\Version", nullptr, L"1.0"},
  };
  for (const auto& v : values) EXPECT_EQ(Value(v.key, v.name), v.value) << std::string(v.key.begin(), v.key.end());
  EXPECT_EQ(_wcsicmp(Value(kClsid + L"\\InprocServer32").c_str(), path.c_str()), 0);
  EXPECT_EQ(_wcsicmp(Value(kClsid + L"\\ToolboxBitmap32").c_str(), (path + L", 102").c_str()), 0);
  EXPECT_TRUE(KeyExists(kClsid + L"\\Programmable") && KeyExists(kClsid + L"\\Control"));
  // The type library is registered too, so the event interface can be marshalled.
  EXPECT_TRUE(KeyExists(kTypeLib));
  EXPECT_TRUE(KeyExists(L"Interface\\{F2D2AC1D-33A8-4DF7-8CEE-B3150FE80A1F}"));
}

TEST_F(RegistrationTest, UnregisterRemovesOurKeysButKeepsTheRootsAndKeysHoldingForeignOnes) {
  ASSERT_EQ(registerServer(), S_OK);
  // What an installer adds: a subkey under a plain key and one under the ForceRemove class key.
  const std::wstring categories = kClsid + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
  CreateKey(L"Zavren.MediaPlayer\\Foreign");
  CreateKey(categories);

  ASSERT_EQ(unregisterServer(), S_OK);
  EXPECT_TRUE(KeyExists(L"AppID") && KeyExists(L"CLSID"));
  const std::wstring gone[] = {L"Zavren.MediaPlayer.1",       L"AppID\\" + kAppId,
                               L"AppID\\ZMediaControl7.DLL",  L"Zavren.MediaPlayer\\CLSID",
                               L"Zavren.MediaPlayer\\CurVer", kTypeLib};
  for (const std::wstring& key : gone) EXPECT_FALSE(KeyExists(key)) << std::string(key.begin(), key.end());
  EXPECT_TRUE(KeyExists(L"Zavren.MediaPlayer\\Foreign"));
  // The class key stays for the installer's categories; everything of ours under it is gone.
  EXPECT_TRUE(KeyExists(categories));
  for (const wchar_t* ours : {L"ProgID", L"VersionIndependentProgID", L"Programmable", L"InprocServer32", L"Control",
                              L"ToolboxBitmap32", L"MiscStatus", L"TypeLib", L"Version"})
    EXPECT_FALSE(KeyExists(kClsid + L"\\" + ours)) << std::string(ours, ours + wcslen(ours));
  EXPECT_EQ(Value(kClsid, L"AppID"), L"<missing>");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Zavren.MediaPlayer");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsid.c_str());

  EXPECT_EQ(unregisterServer(), S_OK) << "nothing left to remove";
  EXPECT_FALSE(KeyExists(kClsid));
  CLSID found;
  EXPECT_NE(CLSIDFromProgID(L"Zavren.MediaPlayer.1", &found), S_OK);
}

}  // namespace
}  // namespace zm::tests
