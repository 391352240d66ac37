// Taking the picture of a window's client area, children included, as it shows on screen.
// Window's thread.
#pragma once

#include <windows.h>

#include <optional>

#include "peers/host/image_file.h"

namespace zm::host {

// Repaints the window and its children first; nothing when the window has no area.
std::optional<Image> CaptureClientArea(HWND window);

}  // namespace zm::host
