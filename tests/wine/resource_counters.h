// The platform's counters of what a process holds: windows of the calling thread, GDI
// objects and kernel handles. Leak tests compare them before and after many cycles.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <vector>

namespace zm::tests {

struct ResourceCounts {
  size_t windows = 0;  // of this thread: top-level, owned and child windows alike
  size_t gdiObjects = 0;
  size_t handles = 0;
};

inline BOOL CALLBACK CountWindow(HWND, LPARAM count) { return ++*reinterpret_cast<size_t*>(count), TRUE; }
// A top-level window with all its descendants.
inline BOOL CALLBACK CountWindowTree(HWND hwnd, LPARAM count) {
  CountWindow(hwnd, count);
  return EnumChildWindows(hwnd, CountWindow, count), TRUE;
}

// Wine's GetGuiResources answers 0: then count the used entries of the GDI handle table the
// process environment block points to.
inline size_t CountGdiObjects() {
  if (DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return counted;
  struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type, flags;
    UINT64 user;
  };
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    return 0;
  const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
  const auto* table = *reinterpret_cast<GdiHandleEntry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
  size_t used = 0;
  for (size_t i = 0; table && i < 0x10000; ++i) used += table[i].type != 0;
  return used;
}

// Wine's GetProcessHandleCount answers 0: then count this process's entries of the system's
// handle list.
inline size_t CountHandles() {
  DWORD counted = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted) return counted;
  struct HandleEntry {
    USHORT process, backTrace;
    UCHAR type, attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  std::vector<char> buffer(1 << 20);
  ULONG length = 0;
  const auto query = [&] {
    return NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                    static_cast<ULONG>(buffer.size()), &length);
  };
  NTSTATUS status;
  while ((status = query()) == static_cast<NTSTATUS>(0xC0000004L) && buffer.size() < (1u << 28))
    buffer.resize(buffer.size() * 2);  // STATUS_INFO_LENGTH_MISMATCH
  if (status != 0) return 0;
  const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entry = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(void*));
  size_t mine = 0;
  for (ULONG i = 0; i < entries; ++i) mine += entry[i].process == static_cast<USHORT>(GetCurrentProcessId());
  return mine;
}

inline ResourceCounts CountResources() {
  size_t windows = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindowTree, reinterpret_cast<LPARAM>(&windows));
  return {windows, CountGdiObjects(), CountHandles()};
}

}  // namespace zm::tests
