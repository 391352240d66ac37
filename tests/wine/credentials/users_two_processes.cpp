// Two processes save different servers into one cache at the same time: this program starts a
// second copy of itself, both save their own records at once, and then every record must be there.
// Usage: users_two_processes [--child FOLDER PREFIX GATE]
#include <windows.h>

#include <cstdio>
#include <string>

#include "com/unique_handle.h"
#include "credentials/users.h"

namespace {

using zm::com::UniqueHandle;
using zm::credentials::CUsers;
using zm::credentials::UsersEnvironment;

constexpr int kRecordsEach = 25;
constexpr DWORD kWaitMs = 120000;  // a generous bound on a slow machine; no timing is measured

std::wstring Key(const std::wstring& prefix, int i) { return prefix + L"-" + std::to_wstring(i) + L".example"; }
std::wstring Value(const std::wstring& prefix, int i) { return prefix + L"value" + std::to_wstring(i); }

// Saves this process's records; the number that failed.
int SaveAll(const std::wstring& folder, const std::wstring& prefix) {
  int failed = 0;
  for (int i = 0; i < kRecordsEach; ++i) {
    CUsers users(UsersEnvironment{folder, "TESTPC"});
    if (users.SaveUser(Key(prefix, i), Value(prefix, i))) continue;
    std::fwprintf(stderr, L"%ls: save %d failed: %ls\n", prefix.c_str(), i, users.lastError.c_str());
    ++failed;
  }
  return failed;
}

int RunChild(const std::wstring& folder, const std::wstring& prefix, const std::wstring& gateName) {
  UniqueHandle gate(OpenEventW(SYNCHRONIZE, FALSE, gateName.c_str()));
  UniqueHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, (gateName + L"-ready").c_str()));
  if (!gate || !ready || !SetEvent(ready.get()) || WaitForSingleObject(gate.get(), kWaitMs) != WAIT_OBJECT_0) return 3;
  return SaveAll(folder, prefix) == 0 ? 0 : 1;
}

int RunParent() {
  wchar_t temp[MAX_PATH] = {}, self[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring id = std::to_wstring(GetCurrentProcessId());
  const std::wstring folder = std::wstring(temp) + L"zm-two-processes-" + id;
  const std::wstring gateName = L"ZmUsersTwoProcessesGate-" + id;
  CreateDirectoryW(folder.c_str(), nullptr);
  UniqueHandle gate(CreateEventW(nullptr, TRUE, FALSE, gateName.c_str()));
  UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, (gateName + L"-ready").c_str()));
  std::wstring command = L"\"" + std::wstring(self) + L"\" --child \"" + folder + L"\" child " + gateName;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    std::printf("could not start the second process\n");
    return 1;
  }
  UniqueHandle child(started.hProcess), childThread(started.hThread);
  // Both start saving together once the second process is up.
  WaitForSingleObject(ready.get(), kWaitMs);
  SetEvent(gate.get());
  const int failed = SaveAll(folder, L"parent");
  if (WaitForSingleObject(child.get(), kWaitMs) != WAIT_OBJECT_0) TerminateProcess(child.get(), 4);
  WaitForSingleObject(child.get(), kWaitMs);
  DWORD childExit = 1;
  GetExitCodeProcess(child.get(), &childExit);

  int missing = 0;
  CUsers users(UsersEnvironment{folder, "TESTPC"});
  for (const wchar_t* prefix : {L"parent", L"child"}) {
    for (int i = 0; i < kRecordsEach; ++i) {
      std::wstring value;
      if (users.FindUser(Key(prefix, i), value) && value == Value(prefix, i)) continue;
      std::wprintf(L"missing: %ls\n", Key(prefix, i).c_str());
      ++missing;
    }
  }
  DeleteFileW(users.filePath.c_str());
  RemoveDirectoryW((folder + L"\\Zavren Streaming").c_str());
  RemoveDirectoryW(folder.c_str());

  std::printf("parent save failures %d, child exit %lu, records missing %d of %d\n", failed,
              static_cast<unsigned long>(childExit), missing, 2 * kRecordsEach);
  const bool ok = failed == 0 && childExit == 0 && missing == 0;
  std::printf("%d passed, %d failed\n", ok ? 1 : 0, ok ? 0 : 1);
  return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"--child") return RunChild(argv[2], argv[3], argv[4]);
  return RunParent();
}
