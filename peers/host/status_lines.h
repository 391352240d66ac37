// The lines zmhost prints besides events: a method's result and what a script would read of
// the playback properties. Host window's thread.
#pragma once

#include <windows.h>

#include <string>

#include "ZMediaControl_h.h"

namespace zm::host {

// "Play 0x80004001"
std::string ResultLine(const std::string& what, HRESULT hr);
// "properties MediaName="..." TotalTime_Sec=N CurrentPlaybackTime_Sec=N VideoFrameWidth=N
// VideoFrameHeight=N", the name in UTF-8; a read that fails shows its HRESULT instead.
std::string PropertiesLine(IZMediaPlayer* player);

}  // namespace zm::host
