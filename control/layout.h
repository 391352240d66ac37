// The control window's layout on WM_SIZE: the picture's size and place for the aspect ratio in
// use, the size mark, the flow bar's rectangle and the status window's position. Pure arithmetic.
#pragma once

#include <cstdint>
#include <optional>

namespace zm::control {

// `m_nAspectRatio`; any other code is Unlocked.
enum class AspectRatio : int32_t { Original = 0, Square = 1, FourThree = 2, SixteenNine = 3, Cinema = 4, Unlocked = 5 };

// `m_nSizeMark`: the checked size of the context menu.
enum class SizeMark : int32_t { Half = 0, Original = 1, Double = 2, Other = 3 };

struct LayoutInput {
  int32_t clientWidth = 0;           // WM_SIZE width
  int32_t clientHeight = 0;          // WM_SIZE height
  bool flowBarShown = false;         // `m_bFlowBarShown`
  int32_t flowBarHeight = 0;         // `m_nFlowBarHeight`
  bool active = false;               // `m_nState` is Playing or Paused
  bool hasVideo = false;             // not `m_bAudioOnly`
  int32_t videoWidth = 0;            // `m_nVideoWidth`
  int32_t videoHeight = 0;           // `m_nVideoHeight`
  int32_t aspectRatio = 0;           // `m_nAspectRatio`
  std::optional<int32_t> logoWidth;  // HIMETRIC extent of the logo, when one is held
  std::optional<int32_t> logoHeight;
  std::optional<int32_t> statusWindowHeight;  // when the status window exists
};

struct Rect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

struct ControlLayout {
  int32_t viewWidth = 0;   // new `m_nViewWidth`
  int32_t viewHeight = 0;  // new `m_nViewHeight`
  // While a picture is shown (video, state active): where it goes, and the new size mark.
  std::optional<Rect> picture;
  std::optional<SizeMark> sizeMark;
  std::optional<Rect> flowBar;        // when the flow bar is shown
  std::optional<Point> statusWindow;  // when the status window exists
};

// None while the window has no area (a zero or negative client size, as when minimised):
// the window then keeps its last layout.
std::optional<ControlLayout> LayOutControlWindow(const LayoutInput& input);

}  // namespace zm::control
