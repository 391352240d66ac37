// CVideoOutput: where pictures go. It keeps the last decoded picture (for repaints and
// snapshots), applies brightness and contrast, and draws with GDI either into the control's
// window at the rectangle the control gave or into a full-screen window of its own.
// Show: the video puller's thread; everything else: the control's window thread. One lock
// guards the picture, the placement and the drawing, so a repaint never meets half a picture.
#pragma once

#include <windows.h>

#include <optional>

#include "com/critical_section.h"
#include "com/window_impl.h"
#include "peers/renderer/picture.h"
#include "peers/renderer/picture_tone.h"

namespace zm::renderer {

// The aspect codes of a full-screen request.
enum class AspectCode : int32_t { Original = 0, Square = 1, FourThree = 2, SixteenNine = 3, Cinema = 4, Fill = 5 };

// The largest rectangle of the picture's shape (by `aspect`) centred in `area`.
RECT FitPicture(const RECT& area, int32_t pictureWidth, int32_t pictureHeight, int32_t aspect);

class CVideoOutput;

// The borderless topmost window that covers the control window's monitor in full screen.
class CFullScreenWindow : public com::WindowImpl<CFullScreenWindow> {
 public:
  explicit CFullScreenWindow(CVideoOutput* output) : output_(output) {}
  ~CFullScreenWindow() { Destroy(); }
  CFullScreenWindow(const CFullScreenWindow&) = delete;
  CFullScreenWindow& operator=(const CFullScreenWindow&) = delete;

  bool Create(HINSTANCE instance, const RECT& monitor);
  void Destroy();

  bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  CVideoOutput* output_;
  com::WindowClassUse classUse_;
};

class CVideoOutput {
 public:
  explicit CVideoOutput(HINSTANCE instance) : instance_(instance), fullScreen_(this) {}
  CVideoOutput(const CVideoOutput&) = delete;
  CVideoOutput& operator=(const CVideoOutput&) = delete;

  // The window's WM_PAINT is followed from now on by a repaint of the kept picture, since the
  // control paints its window black.
  void Attach(HWND window);
  // The picture's rectangle inside the attached window; before any, its whole client area.
  void SetPlacement(const RECT& rect);
  HRESULT EnterFullScreen(int32_t aspect);
  void LeaveFullScreen();
  bool IsFullScreen() const { return fullScreen_.m_hWnd != nullptr; }
  // -50..50 each, 0 neutral; the kept picture is drawn again with the new tone.
  void SetBrightness(int32_t value);
  void SetContrast(int32_t value);

  // Takes a newly decoded picture and draws it, handing back the one it replaces for the next
  // decoding to reuse. False when there was nowhere to draw.
  bool Show(Picture& picture);
  // The picture as last drawn (tone applied); empty before the first.
  Picture Current() const;
  // Draws the kept picture again.
  void Repaint();
  // Paints the full-screen window's client area (its WM_PAINT).
  void PaintFullScreen(HDC dc);
  // The full-screen window is going, however it was closed.
  void ForgetFullScreen();
  // Leaves full screen and forgets the window and the picture. The window's thread, which
  // alone can take back the paint hook that Attach set.
  void Shutdown();

 private:
  static LRESULT CALLBACK RepaintAfterPaint(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
  void Unsubclass();
  void CloseFullScreen();
  void RetoneLocked();                              // under lock_
  bool DrawLocked();                                // under lock_
  bool DrawInto(HDC dc, const RECT& target) const;  // under lock_

  HINSTANCE instance_;
  mutable com::CriticalSection lock_;
  HWND window_ = nullptr;
  HWND subclassed_ = nullptr;  // the window thread's own: the window whose paints we follow
  std::optional<RECT> placement_;
  HWND fullScreenWindow_ = nullptr;  // fullScreen_'s window, as the puller may read it
  int32_t aspect_ = 0;
  int32_t brightness_ = 0;
  int32_t contrast_ = 0;
  ToneTable tone_;
  Picture decoded_;  // as the decoder gave it
  Picture shown_;    // with the tone applied
  CFullScreenWindow fullScreen_;
};

}  // namespace zm::renderer
