#include "peers/host/status_lines.h"

#include <cstdio>
#include <utility>

#include "com/code_page_text.h"
#include "com/unique_bstr.h"

namespace zm::host {
namespace {

std::string HexResult(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

std::string ResultLine(const std::string& what, HRESULT hr) { return what + " " + HexResult(hr); }

std::string PropertiesLine(IZMediaPlayer* player) {
  std::string line = "properties MediaName=";
  com::UniqueBstr name;
  HRESULT hr = player->get_MediaName(name.put());
  line += FAILED(hr) ? HexResult(hr) : "\"" + com::WideToCodePage(name.get() ? name.get() : L"", CP_UTF8) + "\"";
  using Getter = HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*)(LONG*);
  const std::pair<const char*, Getter> numbers[] = {
      {"TotalTime_Sec", &IZMediaPlayer::get_TotalTime_Sec},
      {"CurrentPlaybackTime_Sec", &IZMediaPlayer::get_CurrentPlaybackTime_Sec},
      {"VideoFrameWidth", &IZMediaPlayer::get_VideoFrameWidth},
      {"VideoFrameHeight", &IZMediaPlayer::get_VideoFrameHeight},
  };
  for (const auto& [field, get] : numbers) {
    LONG value = 0;
    hr = (player->*get)(&value);
    line += std::string(" ") + field + "=" + (FAILED(hr) ? HexResult(hr) : std::to_string(value));
  }
  return line;
}

}  // namespace zm::host
