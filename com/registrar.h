// Runs the registry scripts kept as "REGISTRY" resources of a module, in register
// or unregister mode, against the registry.
#pragma once

#include <windows.h>

#include "com/registry_script.h"

namespace zm::com {

struct RegistrarOptions {
  bool unregister = false;
  // Per-user mode writes what the script puts under HKEY_CLASSES_ROOT to
  // HKEY_CURRENT_USER\Software\Classes instead.
  bool perUser = false;
};

// Loads the script resource `resourceId` of `module`, applies the replacements and runs it.
HRESULT RunRegistryScript(HINSTANCE module, UINT resourceId, const RegistryReplacements& replacements,
                          const RegistrarOptions& options);

// Runs an already parsed script.
HRESULT ApplyRegistryScript(const RegistryScript& script, const RegistrarOptions& options);

}  // namespace zm::com
