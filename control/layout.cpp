#include "control/layout.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace zm::control {

namespace {

constexpr int64_t kMinimumSide = 10;
constexpr int32_t kFlowBarMinimumWidth = 180;
constexpr int32_t kStatusWindowMargin = 5;

// The ratios as the single-precision values the control has always compared with.
const float kRatioFourThree = std::bit_cast<float>(0x3FAAAAABu);
const float kRatioSixteenNine = std::bit_cast<float>(0x3FE38E39u);
const float kRatioCinema = std::bit_cast<float>(0x4018F5C3u);

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Truncation toward zero. The products are taken in double: in single precision
// 400 / (16/9) rounds up to 225 and the picture would lose its letterbox line.
int64_t Truncate(double value) {
  constexpr double kLimit = 9.0e18;
  return static_cast<int64_t>(std::clamp(value, -kLimit, kLimit));
}

// The picture ratio for a playing video. A picture without a known size (height 0 in the
// format) fills the window instead of being divided by.
float VideoRatio(const LayoutInput& in, float windowRatio) {
  switch (in.aspectRatio) {
    case static_cast<int32_t>(AspectRatio::Original):
      if (in.videoWidth <= 0 || in.videoHeight <= 0) return windowRatio;
      return static_cast<float>(in.videoWidth) / static_cast<float>(in.videoHeight);
    case static_cast<int32_t>(AspectRatio::Square): return 1.0f;
    case static_cast<int32_t>(AspectRatio::FourThree): return kRatioFourThree;
    case static_cast<int32_t>(AspectRatio::SixteenNine): return kRatioSixteenNine;
    case static_cast<int32_t>(AspectRatio::Cinema): return kRatioCinema;
    default: return windowRatio;
  }
}

SizeMark SizeMarkOf(int32_t viewHeight, int32_t videoHeight) {
  if (videoHeight == 0) return SizeMark::Other;
  int64_t percent = static_cast<int64_t>(viewHeight) * 100 / videoHeight;
  switch (percent) {
    case 50: return SizeMark::Half;
    case 100: return SizeMark::Original;
    case 200: return SizeMark::Double;
    default: return SizeMark::Other;
  }
}

}  // namespace

std::optional<ControlLayout> LayOutControlWindow(const LayoutInput& in) {
  if (in.clientWidth <= 0 || in.clientHeight <= 0) return std::nullopt;

  const int64_t flowBarHeight = in.flowBarShown ? std::max(in.flowBarHeight, 0) : 0;
  const int64_t cx = std::max<int64_t>(in.clientWidth, kMinimumSide);
  const int64_t cy = std::max<int64_t>(in.clientHeight - flowBarHeight, kMinimumSide);
  const float windowRatio = static_cast<float>(cx) / static_cast<float>(cy);

  const bool showsPicture = in.active && in.hasVideo;
  const bool logoProportions = !in.active && in.logoWidth.value_or(0) > 0 && in.logoHeight.value_or(0) > 0;
  float ratio = windowRatio;
  if (showsPicture) ratio = VideoRatio(in, windowRatio);
  else if (logoProportions) ratio = static_cast<float>(*in.logoWidth) / static_cast<float>(*in.logoHeight);

  int64_t viewWidth = cx;
  int64_t viewHeight = cy;
  if (ratio < windowRatio) {
    viewWidth = Truncate(static_cast<double>(cy) * ratio) + (in.active ? 1 : 0);
  } else if (ratio > windowRatio) {
    viewHeight = logoProportions ? cx * *in.logoHeight / *in.logoWidth : Truncate(static_cast<double>(cx) / ratio);
  }

  ControlLayout layout;
  layout.viewWidth = ClampToInt32(viewWidth);
  layout.viewHeight = ClampToInt32(viewHeight);

  if (in.flowBarShown) {
    // As tall as the whole client area; the part below it is clipped.
    layout.flowBar = Rect{0, ClampToInt32(in.clientHeight - flowBarHeight),
                          std::max(in.clientWidth, kFlowBarMinimumWidth), in.clientHeight};
  }
  if (in.statusWindowHeight) {
    int64_t y = int64_t{in.clientHeight} - flowBarHeight - *in.statusWindowHeight - kStatusWindowMargin;
    layout.statusWindow = Point{kStatusWindowMargin, ClampToInt32(y)};
  }
  if (showsPicture) {
    layout.sizeMark = SizeMarkOf(layout.viewHeight, in.videoHeight);
    int64_t x = viewWidth < cx ? (cx - viewWidth) / 2 : 0;
    int64_t y = viewHeight < cy ? (cy - viewHeight) / 2 : 0;
    layout.picture = Rect{ClampToInt32(x), ClampToInt32(y), layout.viewWidth, layout.viewHeight};
  }
  return layout;
}

}  // namespace zm::control
