// Snapshots: the picture on screen saved as a PNG file in the user's Pictures folder and put
// on the clipboard as a device-independent bitmap. The control's window thread (COM is
// initialised there).
#pragma once

#include <windows.h>

#include <string>

#include "peers/renderer/picture.h"

namespace zm::renderer {

// "<name>_YYYYMMDD_HHMMSS" with every character a file name cannot hold replaced by '_';
// an empty or null name gives "Snapshot".
std::wstring SnapshotBaseName(const wchar_t* name, const SYSTEMTIME& time);

// The user's Pictures folder, created when missing; empty when there is none.
std::wstring PicturesFolder();

// Writes the picture into the Pictures folder under SnapshotBaseName (with "_2", "_3", ...
// when that file exists) and ".png"; `path` receives the file's full path.
HRESULT SaveSnapshot(const Picture& picture, const wchar_t* name, std::wstring* path);

// Replaces the clipboard's content with the picture as CF_DIB.
HRESULT CopyToClipboard(const Picture& picture, HWND owner);

}  // namespace zm::renderer
