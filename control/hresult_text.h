// Display texts for HRESULTs: the optional message module first for our own
// facilities, else the system's message table.
#pragma once

#include <windows.h>

#include <string>

namespace zm::control {

// `messageModule` is "CustomMessages.dll" when it was loaded, else null.
std::wstring HResultText(HRESULT hr, HMODULE messageModule);

}  // namespace zm::control
