// The state every in-process COM server keeps for its DLL: the module handle,
// the counts of live objects and server locks, and the module's own file path.
#pragma once

#include <windows.h>

#include <string>

#include "com/critical_section.h"

namespace zm::com {

class ModuleBase {
 public:
  ModuleBase() = default;
  ModuleBase(const ModuleBase&) = delete;
  ModuleBase& operator=(const ModuleBase&) = delete;

  // DllMain, process attach and detach.
  void Init(HINSTANCE instance);
  void Term();
  bool IsInitialised() const { return instance_ != nullptr; }

  HINSTANCE Instance() const { return instance_; }
  std::wstring ModulePath() const;    // full path of the DLL
  std::wstring ModuleFolder() const;  // its folder, with a trailing backslash

  // Live objects and IClassFactory::LockServer both keep the DLL loaded.
  LONG Lock() { return InterlockedIncrement(&locks_); }
  LONG Unlock() { return InterlockedDecrement(&locks_); }
  LONG LockCount() const { return locks_; }

  // Guards one-time creations (the class factory) against concurrent first calls.
  CriticalSection& CreationLock() { return creation_lock_; }

 private:
  HINSTANCE instance_ = nullptr;
  volatile LONG locks_ = 0;
  CriticalSection creation_lock_;
};

}  // namespace zm::com
