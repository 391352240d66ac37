#include "com/registrar.h"

#include <string>

#include "com/code_page_text.h"
#include "com/hresult.h"
#include "com/unique_handle.h"

namespace zm::com {
namespace {

HRESULT FromWin32(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

HRESULT OpenRoot(const std::string& name, const RegistrarOptions& options, UniqueHkey* root) {
  HKEY predefined = nullptr;
  if (name == "HKCR" || name == "HKEY_CLASSES_ROOT") {
    if (options.perUser) {
      return FromWin32(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                       root->put(), nullptr));
    }
    predefined = HKEY_CLASSES_ROOT;
  } else if (name == "HKCU" || name == "HKEY_CURRENT_USER") {
    predefined = HKEY_CURRENT_USER;
  } else if (name == "HKLM" || name == "HKEY_LOCAL_MACHINE") {
    predefined = HKEY_LOCAL_MACHINE;
  } else if (name == "HKU" || name == "HKEY_USERS") {
    predefined = HKEY_USERS;
  } else {
    return E_INVALIDARG;
  }
  // Reopened so that every root is owned and closed the same way.
  return FromWin32(RegOpenKeyExW(predefined, nullptr, 0, KEY_ALL_ACCESS, root->put()));
}

// Deletes the key with all its subkeys; a missing key is not an error.
HRESULT DeleteTree(HKEY parent, const std::wstring& name) {
  LONG error = RegDeleteTreeW(parent, name.c_str());
  return error == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(error);
}

HRESULT SetValue(HKEY key, const RegistryValue& value) {
  std::wstring name = CodePageToWide(value.name, CP_UTF8);
  const wchar_t* valueName = value.name.empty() ? nullptr : name.c_str();
  if (value.kind == RegistryValue::Kind::Dword) {
    DWORD number = value.number;
    return FromWin32(
        RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number));
  }
  std::wstring text = CodePageToWide(value.text, CP_UTF8);
  return FromWin32(RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

HRESULT RegisterKey(HKEY parent, const RegistryKey& key) {
  std::wstring name = CodePageToWide(key.name, CP_UTF8);
  if (key.removal == KeyRemoval::Delete) return DeleteTree(parent, name);
  // Registering wipes what an earlier version left under a ForceRemove key.
  if (key.removal == KeyRemoval::ForceRemove) ZM_RETURN_IF_FAILED(DeleteTree(parent, name));
  UniqueHkey handle;
  ZM_RETURN_IF_FAILED(
      FromWin32(RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(), nullptr)));
  for (const RegistryValue& value : key.values) ZM_RETURN_IF_FAILED(SetValue(handle.get(), value));
  for (const RegistryKey& subkey : key.subkeys) ZM_RETURN_IF_FAILED(RegisterKey(handle.get(), subkey));
  return S_OK;
}

// Removes what the script wrote, bottom up. Every key but a NoRemove one goes, ForceRemove keys
// included, but only once no subkey is left in it: what others put there (an installer's
// component categories under the class key) survives, and so does the key holding it.
HRESULT UnregisterKey(HKEY parent, const RegistryKey& key) {
  if (key.removal == KeyRemoval::Delete) return S_OK;
  std::wstring name = CodePageToWide(key.name, CP_UTF8);
  UniqueHkey handle;
  LONG error = RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, handle.put());
  if (error == ERROR_FILE_NOT_FOUND) return S_OK;  // nothing left to remove
  if (error != ERROR_SUCCESS) return FromWin32(error);
  for (const RegistryKey& subkey : key.subkeys) ZM_RETURN_IF_FAILED(UnregisterKey(handle.get(), subkey));
  if (key.removal == KeyRemoval::NoRemove) return S_OK;

  for (const RegistryValue& value : key.values) {
    if (!value.name.empty()) RegDeleteValueW(handle.get(), CodePageToWide(value.name, CP_UTF8).c_str());
  }
  DWORD subkeys = 0;
  error = RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return FromWin32(error);
  handle.reset();
  if (subkeys != 0) return S_OK;  // keys that others still use stay
  error = RegDeleteKeyW(parent, name.c_str());
  return error == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(error);
}

}  // namespace

HRESULT ApplyRegistryScript(const RegistryScript& script, const RegistrarOptions& options) {
  for (const RegistryRoot& root : script.roots) {
    UniqueHkey rootKey;
    ZM_RETURN_IF_FAILED(OpenRoot(root.root, options, &rootKey));
    for (const RegistryKey& key : root.keys)
      ZM_RETURN_IF_FAILED(options.unregister ? UnregisterKey(rootKey.get(), key) : RegisterKey(rootKey.get(), key));
  }
  return S_OK;
}

HRESULT RunRegistryScript(HINSTANCE module, UINT resourceId, const RegistryReplacements& replacements,
                          const RegistrarOptions& options) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
  if (!resource) return HRESULT_FROM_WIN32(GetLastError());
  HGLOBAL loaded = LoadResource(module, resource);
  DWORD size = SizeofResource(module, resource);
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return HRESULT_FROM_WIN32(GetLastError());
  RegistryScriptError error;
  auto script = ParseRegistryScript(std::string(data, size), replacements, &error);
  if (!script) return E_UNEXPECTED;  // our own resource is broken: a build fault
  return ApplyRegistryScript(*script, options);
}

}  // namespace zm::com
