#include "com/module_base.h"

#include <vector>

namespace zm::com {

void ModuleBase::Init(HINSTANCE instance) { instance_ = instance; }

void ModuleBase::Term() { instance_ = nullptr; }

std::wstring ModuleBase::ModulePath() const {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(instance_, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // the path was truncated
  }
}

std::wstring ModuleBase::ModuleFolder() const {
  std::wstring path = ModulePath();
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace zm::com
