// Registry scripts: the text form in which a COM server describes the keys it
// registers. Parsing is portable; the Win32 registrar applies the parsed tree.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zm::com {

// How a key behaves when the script runs.
enum class KeyRemoval {
  Normal,       // created on register; removed on unregister once it has no other subkeys
  NoRemove,     // never removed
  ForceRemove,  // deleted with all its subkeys before it is written, and on unregister
  Delete,       // deleted with all its subkeys on register, nothing on unregister
};

struct RegistryValue {
  enum class Kind { String, Dword };
  std::string name;  // empty for the key's default value
  Kind kind = Kind::String;
  std::string text;     // for String
  uint32_t number = 0;  // for Dword
};

struct RegistryKey {
  std::string name;
  KeyRemoval removal = KeyRemoval::Normal;
  std::vector<RegistryValue> values;  // the default value, when given, comes first
  std::vector<RegistryKey> subkeys;
};

struct RegistryRoot {
  std::string root;  // "HKCR", "HKCU", "HKLM", ... as written
  std::vector<RegistryKey> keys;
};

struct RegistryScript {
  std::vector<RegistryRoot> roots;
};

struct RegistryScriptError {
  std::string message;
  size_t line = 0;
};

// Replacements: each %NAME% in a name or a string is replaced by its value; "%%" is a
// literal percent. Replacing after tokenising keeps a value's quotes from breaking the script.
using RegistryReplacements = std::map<std::string, std::string>;

// Parses the script text (8-bit, UTF-8). Returns the tree or a precise error.
std::optional<RegistryScript> ParseRegistryScript(const std::string& text, const RegistryReplacements& replacements,
                                                  RegistryScriptError* error);

}  // namespace zm::com
