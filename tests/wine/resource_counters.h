// The platform's counters of what a process holds: windows of the calling thread, GDI
// objects and kernel handles. Leak tests compare them before and after many cycles.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <vector>

namespace zm::tests {

// Every window of this thread, top-level, owned and child windows alike.
inline size_t CountThreadWindows() {
  size_t count = 0;
  auto countTree = [](HWND hwnd, LPARAM param) -> BOOL {
    ++*reinterpret_cast<size_t*>(param);
    EnumChildWindows(hwnd, [](HWND, LPARAM p) -> BOOL { return ++*reinterpret_cast<size_t*>(p), TRUE; }, param);
    return TRUE;
  };
  EnumThreadWindows(GetCurrentThreadId(), countTree, reinterpret_cast<LPARAM>(&count));
  return count;
}

inline size_t CountGdiObjects() {
  DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counted) return counted;
  // Wine's GetGuiResources always answers 0: count the used entries of the GDI handle table
  // the process environment block points to instead.
  struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
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

inline size_t CountHandles() {
  DWORD counted = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted) return counted;
  // Wine's GetProcessHandleCount answers 0: count this process's entries of the system's
  // handle list instead.
  struct HandleEntry {
    USHORT process;
    USHORT backTrace;
    UCHAR type;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  std::vector<char> buffer(1 << 20);
  ULONG length = 0;
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                            static_cast<ULONG>(buffer.size()), &length)) ==
             static_cast<NTSTATUS>(0xC0000004L) &&
         buffer.size() < (1u << 28))
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entry = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(void*));
  const USHORT self = static_cast<USHORT>(GetCurrentProcessId());
  size_t mine = 0;
  for (ULONG i = 0; i < entries; ++i) mine += entry[i].process == self;
  return mine;
}

struct ResourceCounts {
  size_t windows = 0;
  size_t gdiObjects = 0;
  size_t handles = 0;
};

inline ResourceCounts CountResources() { return {CountThreadWindows(), CountGdiObjects(), CountHandles()}; }

}  // namespace zm::tests
