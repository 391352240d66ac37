// CUsers: the enciphered per-user cache of credential digests, one record per media server,
// in "clientusr.zms". Short-lived; any thread (the grabber thread in practice), one at a time.
#pragma once

#include <windows.h>

#include <string>

namespace zm::credentials {

// Where the cache lives and which computer name keys its cipher. Empty fields mean the real
// ones (the roaming application-data folder, GetComputerNameA); tests fill them in.
struct UsersEnvironment {
  std::wstring appDataFolder;
  std::string computerName;
};

class CUsers {
 public:
  CUsers();  // the current user's cache on this computer
  explicit CUsers(const UsersEnvironment& environment);
  virtual ~CUsers() = default;

  // Each operation lower-cases the key and runs under the named mutex shared by every player
  // of the logon session; FALSE means lastError says why, or the mutex was not obtained.
  // A key (a server address) or value that carries U+0006 or U+0007 would split or forge a
  // record, and a key the ANSI code page cannot hold would come back as another key: both are
  // refused with lastError saying so, before the file is touched. A file that is not records
  // (damaged, or another computer's) finds nothing, and SaveUser first renames it to
  // filePath + ".damaged" (replacing an earlier one) rather than overwrite it.
  BOOL SaveUser(const std::wstring& key, const std::wstring& value);
  BOOL RemoveUser(const std::wstring& key);
  // TRUE with `value` filled when the key has a record; FALSE without error text when not.
  BOOL FindUser(const std::wstring& key, std::wstring& value);

  std::wstring lastError;  // text of the last failure
  std::wstring filePath;   // the cache file, fixed at construction

 private:
  std::string ComputerName() const;

  std::string computerName_;  // empty: ask the system at each operation
};

}  // namespace zm::credentials
