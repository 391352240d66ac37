#include "ui/flow_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zm::ui {
namespace {

constexpr double kQuarterTurn = 1.570796326795;
constexpr double kEighthTurn = 0.7853981633975;
constexpr double kFullTurn = 6.28318530718;
constexpr double kLowerLeftEighth = 3.9269908169875;
constexpr double kSweep = 4.7123889803850005;  // the knob's 270 degrees

bool IsTimeShift(int32_t mode) { return mode == 3 || mode == 4; }

int32_t ClampToScale(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kSeekScale)); }

// total × pos ÷ scale; the product needs 64 bits past about 59 hours.
int64_t ShareOf(int64_t total, int32_t pos) { return total * pos / kSeekScale; }

}  // namespace

int32_t SeekScaleAt(int32_t x, int32_t channelLeft, int32_t channelRight) {
  const int64_t width = int64_t{channelRight} - channelLeft;
  if (width <= 0) return 0;
  return ClampToScale((int64_t{x} - channelLeft) * kSeekScale / width);
}

int64_t SeekTargetAt(int32_t pos, const FlowPosition& at) {
  if (at.mode == 1) return ShareOf(at.total, pos);
  if (!IsTimeShift(at.mode)) return 0;
  return std::max<int64_t>(ShareOf(at.total, pos) - at.total + at.current + at.timeShiftPosition, 1);
}

std::optional<int64_t> SeekForPosition(int32_t pos, const FlowPosition& at) {
  if (pos >= kSeekScale && at.mode == 3) return std::nullopt;  // already at the live edge
  if (pos >= kSeekScale && at.mode == 4) {
    if (!at.canSwitchToLive) return std::nullopt;
    return 0;  // back to live
  }
  return SeekTargetAt(pos, at);
}

int64_t TrackedTime(int32_t pos, const FlowPosition& at) {
  if (at.mode == 1) return ShareOf(at.total, pos);
  if (!IsTimeShift(at.mode)) return 0;
  return std::max<int64_t>(ShareOf(at.total, pos) - at.total + at.timeShiftPosition + at.current, 0);
}

std::wstring FlowTimeText(int64_t seconds) {
  seconds = std::max<int64_t>(seconds, 0);
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

std::optional<int32_t> RefreshedThumb(const FlowPosition& at) {
  if (at.total == 0) return std::nullopt;
  switch (at.mode) {
    case 1: return ClampToScale(at.current * kSeekScale / at.total);
    case 2: return 0;
    case 4: return ClampToScale((at.total - at.timeShiftPosition) * kSeekScale / at.total);
    default: return std::nullopt;
  }
}

std::optional<int32_t> DownloadedSelectionEnd(int64_t downloaded, int64_t total) {
  if (total == 0) return std::nullopt;
  return ClampToScale(downloaded * kSeekScale / total);
}

int32_t KnobValueAt(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t min, int32_t max) {
  double dx = static_cast<double>(int64_t{x} - cx);
  const double dy = static_cast<double>(int64_t{cy} - y);  // y grows upward
  if (dx == 0 && dy == 0) dx = 1;
  float a = static_cast<float>(std::atan2(dy, dx));
  if (a < -kQuarterTurn) a += static_cast<float>(kFullTurn);  // a now lies in [-pi/2, 3pi/2)
  if (a >= kLowerLeftEighth) return min;
  if (a < -kEighthTurn) return max;
  return max - static_cast<int32_t>(static_cast<double>(max - min) * ((a + kEighthTurn) / kSweep));
}

int32_t KnobOfVolume(int32_t volume, int32_t min, int32_t max) {
  const auto low = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(volume) & 0xFFFF));
  return std::clamp<int32_t>(low, min, max);
}

Offset KnobDotOffset(int32_t pos, int32_t min, int32_t max, int32_t size) {
  const int32_t radius = size / 2;
  const double angle = max == min
                           ? -kEighthTurn
                           : static_cast<double>(max - pos) * kSweep / static_cast<double>(max - min) - kEighthTurn;
  const int32_t r = (radius * 60 + 50) / 100;  // 60 percent of the radius, rounded
  return {static_cast<int32_t>(r * std::cos(angle)), -static_cast<int32_t>(r * std::sin(angle))};
}

std::optional<FlowEventEffect> FlowEventOutcome(int32_t event, int32_t mode) {
  FlowEventEffect effect;
  switch (event) {
    case 0:
      effect.state = FlowPlaying;
      // A plain live stream cannot pause: its button keeps the play picture.
      if (mode == 1 || IsTimeShift(mode)) effect.imageSet = 1;
      break;
    case 1:
      effect.state = FlowPaused;
      effect.imageSet = 0;
      break;
    case 3:
      effect.state = FlowBuffering;
      effect.imageSet = 0;
      break;
    case 4:
      effect.state = FlowSeeking;
      effect.imageSet = 0;
      effect.seekBar = SeekBarChange::Disable;
      break;
    case 2:
      effect.state = FlowStopped;
      effect.imageSet = 0;
      effect.seekBar = SeekBarChange::ResetAndDisable;
      effect.stopTracking = true;
      effect.resetTime = true;
      effect.enablePlaylistButton = true;
      if (IsTimeShift(mode)) effect.mode = 2;
      break;
    case 5:
      effect.state = FlowStopped;
      effect.seekBar = SeekBarChange::Disable;
      effect.stopTracking = true;
      break;
    default: return std::nullopt;
  }
  return effect;
}

PlaylistButtonLook PlaylistButtonFor(int32_t mode, bool canSwitchToLive) {
  if (mode == 3) return {L"Live", false};
  if (mode == 4) return {L"Live", canSwitchToLive};
  return {L"Playlist", true};
}

FlowBarBoxes LayOutFlowBar(const FlowBarBoxes& now, int32_t width, int32_t dpi) {
  auto px = [dpi](int32_t pixels) { return ScaleForDpi(pixels, dpi); };
  FlowBarBoxes next = now;
  const int32_t top = now.seek.top;
  next.seek.width = std::max(width - px(95) - now.seek.left, 0);
  next.play.top = top - px(4);
  next.stop.top = top - px(4);
  next.playlist.left = next.seek.left + next.seek.width;
  next.playlist.top = top + px(3);
  next.knob.left = next.playlist.left + next.playlist.width + px(1);
  next.knob.top = top - px(4);
  next.time = {next.knob.left + next.knob.width + px(5), next.knob.top + px(5), px(49), px(18)};
  return next;
}

int32_t FontHeightAtDpi(int32_t pointSize, int32_t dpi) {
  return -static_cast<int32_t>(static_cast<double>(pointSize) * dpi / 72.0 + 0.5);
}

int32_t ScaleForDpi(int32_t pixels, int32_t dpi) {
  if (dpi <= 0) return pixels;
  return static_cast<int32_t>(static_cast<double>(pixels) * dpi / kBaseDpi + 0.5);
}

int32_t HorizontalBaseUnit(int32_t widthOf52Letters) { return (widthOf52Letters / 26 + 1) / 2; }

int32_t DialogUnitsToPixels(int32_t units, int32_t baseUnit, int32_t perBaseUnit) {
  if (perBaseUnit <= 0) return 0;
  return static_cast<int32_t>(static_cast<double>(units) * baseUnit / perBaseUnit + 0.5);
}

namespace {

// Reads the template's little-endian fields in order; any read past the end fails it.
class TemplateReader {
 public:
  explicit TemplateReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  uint16_t Word() {
    if (!Has(2)) return 0;
    const uint16_t value = static_cast<uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  uint32_t Dword() {
    const uint32_t low = Word();
    return low | uint32_t{Word()} << 16;
  }
  uint8_t Byte() {
    if (!Has(1)) return 0;
    return bytes_[at_++];
  }
  std::u16string String() {
    std::u16string text;
    while (ok_) {
      const char16_t c = Word();
      if (c == 0 || !ok_) break;
      text.push_back(c);
    }
    return text;
  }
  // A name or an ordinal: 0, 0xFFFF with a number, or a string.
  void SkipNameOrOrdinal() {
    const size_t start = at_;
    const uint16_t first = Word();
    if (first == 0xFFFF) Word();
    else if (first != 0) {
      at_ = start;
      String();
    }
  }
  void Skip(size_t n) {
    if (Has(n)) at_ += n;
  }
  void AlignToDword() { Skip((4 - at_ % 4) % 4); }

 private:
  bool Has(size_t n) {
    if (at_ + n > bytes_.size()) ok_ = false;
    return ok_;
  }
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

constexpr uint32_t kDsSetFont = 0x40;

}  // namespace

std::optional<DialogTemplateLayout> ReadDialogTemplate(std::span<const uint8_t> bytes) {
  TemplateReader in(bytes);
  DialogTemplateLayout layout;
  if (in.Word() != 1 || in.Word() != 0xFFFF) return std::nullopt;  // not an extended template
  in.Dword();                                                      // help id
  layout.exStyle = in.Dword();
  layout.style = in.Dword();
  const uint16_t count = in.Word();
  in.Word();  // x
  in.Word();  // y
  layout.cx = static_cast<int16_t>(in.Word());
  layout.cy = static_cast<int16_t>(in.Word());
  in.SkipNameOrOrdinal();  // menu
  in.SkipNameOrOrdinal();  // class
  in.String();             // title
  if (layout.style & kDsSetFont) {
    layout.hasFont = true;
    layout.pointSize = in.Word();
    layout.weight = in.Word();
    layout.italic = in.Byte() != 0;
    in.Byte();  // character set
    layout.face = in.String();
  }
  for (uint16_t i = 0; i < count && in.ok(); ++i) {
    in.AlignToDword();
    DialogTemplateItem item;
    in.Dword();  // help id
    in.Dword();  // extended style
    in.Dword();  // style
    item.x = static_cast<int16_t>(in.Word());
    item.y = static_cast<int16_t>(in.Word());
    item.cx = static_cast<int16_t>(in.Word());
    item.cy = static_cast<int16_t>(in.Word());
    item.id = in.Dword();
    in.SkipNameOrOrdinal();  // class
    in.SkipNameOrOrdinal();  // text
    in.Skip(in.Word());      // creation data
    layout.items.push_back(item);
  }
  if (!in.ok()) return std::nullopt;
  return layout;
}

}  // namespace zm::ui
