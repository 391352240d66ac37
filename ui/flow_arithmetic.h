// The flow bar's arithmetic: the seek scale and its targets, the time display, the volume
// knob's angle, the reaction to the session's display events, the strip's layout and the
// dialog-unit conversion of its 96-dpi re-layout. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zm::ui {

// The dpi at which the bar's pixel sizes are given.
inline constexpr int32_t kBaseDpi = 96;

// The seek bar's scale: 0 .. kSeekScale.
inline constexpr int32_t kSeekScale = 10000;

// `m_nFlowState`.
enum FlowState : int32_t { FlowPlaying = 0, FlowPaused = 1, FlowStopped = 2, FlowBuffering = 3, FlowSeeking = 4 };

// What the bar reads of the control for its seek arithmetic (the properties of the same names).
struct FlowPosition {
  int32_t mode = 0;               // m_nPlaybackMode, 1..4
  int64_t total = 0;              // TotalTime_Sec
  int64_t current = 0;            // CurrentPlaybackTime_Sec
  int64_t timeShiftPosition = 0;  // TimeShiftPosition
  bool canSwitchToLive = false;   // TimeShiftCanSwitchToLive
};

// The scale position of a click at `x` in the channel [channelLeft, channelRight), measured
// from the channel's left edge and kept inside the scale; 0 for a channel without width.
int32_t SeekScaleAt(int32_t x, int32_t channelLeft, int32_t channelRight);

// The seek target of scale position `pos` (mode 1: a share of the duration; time-shift modes:
// back from the live edge, at least 1; other modes 0), without 32-bit overflow.
int64_t SeekTargetAt(int32_t pos, const FlowPosition& at);

// The seek a click or a released thumb at `pos` asks for; none when nothing is to be sought
// (the live edge of mode 3, or of mode 4 when the stream cannot switch to live).
std::optional<int64_t> SeekForPosition(int32_t pos, const FlowPosition& at);

// The time shown while the thumb is dragged to `pos` (never negative).
int64_t TrackedTime(int32_t pos, const FlowPosition& at);

// "hh:mm:ss" with the hours unbounded and at least two digits; negative times show as 0.
std::wstring FlowTimeText(int64_t seconds);

// The thumb's scale position for the periodic refresh; none where it stays (mode 3, no total).
std::optional<int32_t> RefreshedThumb(const FlowPosition& at);
// The end of the downloaded selection of a stored resource; none without a total.
std::optional<int32_t> DownloadedSelectionEnd(int64_t downloaded, int64_t total);

// The volume knob: -5000 (quietest, lower left) over the top (-2500) to 0 (loudest, lower right).
inline constexpr int32_t kKnobMin = -5000;
inline constexpr int32_t kKnobMax = 0;
inline constexpr int32_t kVolumeSilence = -10000;

// The knob value for the pointer at (x, y), in client coordinates that may lie left of or above
// the window, around the centre (cx, cy).
int32_t KnobValueAt(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t min, int32_t max);
// The value AdjustVolume receives for a knob value: the lowest step is silence.
inline int32_t VolumeOfKnob(int32_t value) { return value == kKnobMin ? kVolumeSilence : value; }
// The knob position for a volume given to AdjustVolume: its low 16 bits, kept inside the range.
int32_t KnobOfVolume(int32_t volume, int32_t min, int32_t max);
// The centre of the knob's dot, relative to the knob's centre (y grows downward), for a knob
// `size` pixels across.
struct Offset {
  int32_t dx = 0, dy = 0;
  bool operator==(const Offset&) const = default;
};
Offset KnobDotOffset(int32_t pos, int32_t min, int32_t max, int32_t size);

// What a display event of the session does to the bar.
enum class SeekBarChange { EnableIfSeekable, Disable, ResetAndDisable };
struct FlowEventEffect {
  int32_t state = FlowStopped;
  std::optional<int32_t> imageSet;  // the Play/Pause picture: 0 play, 1 pause; none: unchanged
  SeekBarChange seekBar = SeekBarChange::EnableIfSeekable;
  bool stopTracking = false;
  bool resetTime = false;  // the time display back to 00:00:00
  bool enablePlaylistButton = false;
  std::optional<int32_t> mode;  // the playback mode after the event, when it changes
};
// None for an unknown event.
std::optional<FlowEventEffect> FlowEventOutcome(int32_t event, int32_t mode);

// The Playlist/Live button in a playback mode: its tooltip and whether it is enabled.
struct PlaylistButtonLook {
  const wchar_t* tooltip;
  bool enabled;
};
PlaylistButtonLook PlaylistButtonFor(int32_t mode, bool canSwitchToLive);

// The bar's children after a resize to `width`, from where they are now (bar coordinates); the
// gaps and the time display's size grow with the window's dpi.
struct Box {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Box&) const = default;
};
struct FlowBarBoxes {
  Box play, stop, seek, playlist, knob, time;
  bool operator==(const FlowBarBoxes&) const = default;
};
FlowBarBoxes LayOutFlowBar(const FlowBarBoxes& now, int32_t width, int32_t dpi = kBaseDpi);

// The re-layout of the template at the window's dpi (96 at 100 percent, whatever the system
// font): the font height for a point size, the horizontal base unit from the width of the 52
// letters, a dialog-unit length in pixels, and a 100-percent length at `dpi`.
int32_t FontHeightAtDpi(int32_t pointSize, int32_t dpi = kBaseDpi);
int32_t ScaleForDpi(int32_t pixels, int32_t dpi);
int32_t HorizontalBaseUnit(int32_t widthOf52Letters);
int32_t DialogUnitsToPixels(int32_t units, int32_t baseUnit, int32_t perBaseUnit);

// An extended dialog template, as far as the re-layout reads it.
struct DialogTemplateItem {
  uint32_t id = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
};
struct DialogTemplateLayout {
  uint32_t style = 0, exStyle = 0;
  int16_t cx = 0, cy = 0;
  bool hasFont = false;
  uint16_t pointSize = 8, weight = 400;
  bool italic = false;
  std::u16string face = u"Tahoma";
  std::vector<DialogTemplateItem> items;
};
// None when the bytes are not a whole extended template.
std::optional<DialogTemplateLayout> ReadDialogTemplate(std::span<const uint8_t> bytes);

}  // namespace zm::ui
