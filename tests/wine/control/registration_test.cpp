// Registration and unregistration, checked key by key in the registry.
#include <string>

#include "control_client.h"

namespace zm::tests {
namespace {

constexpr wchar_t kClsidKey[] = L"CLSID\\{177FC4F7-E5AE-4F56-9431-D838E0E209C1}";

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
    // Leave the control registered for the tests that follow.
    if (registerServer) {
      EXPECT_EQ(registerServer(), S_OK);
    }
    if (module) FreeLibrary(module);
  }
  using Entry = HRESULT(WINAPI*)();
  Entry Export(const char* name) {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  HMODULE module = nullptr;
  Entry registerServer = nullptr;
  Entry unregisterServer = nullptr;
};

TEST_F(RegistrationTest, RegisterWritesEveryKeyOfBothScripts) {
  ASSERT_EQ(registerServer(), S_OK);
  const std::wstring clsid = kClsidKey;
  const std::wstring appId = L"{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}";
  EXPECT_EQ(Value(L"AppID\\" + appId), L"ZMediaControl");
  EXPECT_EQ(Value(L"AppID\\ZMediaControl7.DLL", L"AppID"), appId);
  EXPECT_EQ(Value(L"Zavren.MediaPlayer.1"), L"ZMediaPlayer Class");
  EXPECT_EQ(Value(L"Zavren.MediaPlayer.1\\CLSID"), L"{177FC4F7-E5AE-4f56-9431-D838E0E209C1}");
  EXPECT_EQ(Value(L"Zavren.MediaPlayer"), L"ZMediaPlayer Class");
  EXPECT_EQ(Value(L"Zavren.MediaPlayer\\CLSID"), L"{177FC4F7-E5AE-4f56-9431-D838E0E209C1}");
  EXPECT_EQ(Value(L"Zavren.MediaPlayer\\CurVer"), L"Zavren.MediaPlayer.1");
  EXPECT_EQ(Value(clsid), L"ZMediaPlayer Class");
  EXPECT_EQ(Value(clsid, L"AppID"), appId);
  EXPECT_EQ(Value(clsid + L"\\ProgID"), L"Zavren.MediaPlayer.1");
  EXPECT_EQ(Value(clsid + L"\\VersionIndependentProgID"), L"Zavren.MediaPlayer");
  EXPECT_TRUE(KeyExists(clsid + L"\\Programmable"));
  EXPECT_TRUE(KeyExists(clsid + L"\\Control"));
  std::wstring path = ControlDllPath();
  EXPECT_EQ(_wcsicmp(Value(clsid + L"\\InprocServer32").c_str(), path.c_str()), 0)
      << std::string(path.begin(), path.end());
  EXPECT_EQ(Value(clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(_wcsicmp(Value(clsid + L"\\ToolboxBitmap32").c_str(), (path + L", 102").c_str()), 0);
  EXPECT_EQ(Value(clsid + L"\\MiscStatus"), L"0");
  EXPECT_EQ(Value(clsid + L"\\MiscStatus\\1"), L"131473");
  EXPECT_EQ(Value(clsid + L"\\TypeLib"), L"{ADDFED65-E796-4a2c-B858-F9A07FAA9002}");
  EXPECT_EQ(Value(clsid + L"\\Version"), L"1.0");
  // The type library is registered too, so the event interface can be marshalled.
  EXPECT_TRUE(KeyExists(L"TypeLib\\{ADDFED65-E796-4A2C-B858-F9A07FAA9002}\\1.0"));
  EXPECT_TRUE(KeyExists(L"Interface\\{F2D2AC1D-33A8-4DF7-8CEE-B3150FE80A1F}"));
}

void CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistrationTest, RegisterReplacesTheWholeClassKey) {
  ASSERT_EQ(registerServer(), S_OK);
  CreateKey(std::wstring(kClsidKey) + L"\\Stray");
  ASSERT_EQ(registerServer(), S_OK);
  EXPECT_FALSE(KeyExists(std::wstring(kClsidKey) + L"\\Stray"));
  EXPECT_TRUE(KeyExists(std::wstring(kClsidKey) + L"\\InprocServer32"));
}

TEST_F(RegistrationTest, UnregisterRemovesOurKeysButKeepsTheRootsAndKeysHoldingForeignOnes) {
  ASSERT_EQ(registerServer(), S_OK);
  const std::wstring clsid = kClsidKey;
  // What an installer adds: a subkey under a plain key and one under the ForceRemove class key.
  const std::wstring categories = clsid + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
  CreateKey(L"Zavren.MediaPlayer\\Foreign");
  CreateKey(categories);

  ASSERT_EQ(unregisterServer(), S_OK);
  EXPECT_TRUE(KeyExists(L"AppID"));
  EXPECT_TRUE(KeyExists(L"CLSID"));
  EXPECT_FALSE(KeyExists(L"Zavren.MediaPlayer.1"));
  EXPECT_FALSE(KeyExists(L"AppID\\{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}"));
  EXPECT_FALSE(KeyExists(L"AppID\\ZMediaControl7.DLL"));
  EXPECT_FALSE(KeyExists(L"Zavren.MediaPlayer\\CLSID"));
  EXPECT_FALSE(KeyExists(L"Zavren.MediaPlayer\\CurVer"));
  EXPECT_TRUE(KeyExists(L"Zavren.MediaPlayer\\Foreign"));
  // The class key stays for the installer's categories; everything of ours under it is gone.
  EXPECT_TRUE(KeyExists(categories));
  for (const wchar_t* ours : {L"ProgID", L"VersionIndependentProgID", L"Programmable", L"InprocServer32", L"Control",
                              L"ToolboxBitmap32", L"MiscStatus", L"TypeLib", L"Version"})
    EXPECT_FALSE(KeyExists(clsid + L"\\" + ours)) << std::string(ours, ours + wcslen(ours));
  EXPECT_EQ(Value(clsid, L"AppID"), L"<missing>");
  EXPECT_FALSE(KeyExists(L"TypeLib\\{ADDFED65-E796-4A2C-B858-F9A07FAA9002}\\1.0"));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Zavren.MediaPlayer");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, clsid.c_str());

  // Unregistering twice finds nothing left to remove and still succeeds.
  EXPECT_EQ(unregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(clsid));
  CLSID found;
  EXPECT_NE(CLSIDFromProgID(L"Zavren.MediaPlayer.1", &found), S_OK);
}

}  // namespace
}  // namespace zm::tests
