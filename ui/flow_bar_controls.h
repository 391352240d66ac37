// The flow bar's three kinds of child control, each a subclass of a standard control that
// reports to the bar: CBmpBtn (an owner-drawn button showing one of its image sets),
// CGoToClickTrackBar (the seek bar, which jumps to the clicked point) and CKnobSlider (the round
// volume knob). All of them move the focus on Tab within the bar. Window's thread.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/flow_arithmetic.h"
#include "ui/flow_pictures.h"

namespace zm::ui {

class CZFlowCtrl;

// A child control of the bar whose messages pass through OnMessage first.
class CFlowBarChild {
 public:
  CFlowBarChild() = default;
  CFlowBarChild(const CFlowBarChild&) = delete;
  CFlowBarChild& operator=(const CFlowBarChild&) = delete;
  virtual ~CFlowBarChild() { Detach(); }

  // Takes over the child `id` of `dialog`, which is the bar's or (with no bar) another window's;
  // false when there is none.
  bool Attach(CZFlowCtrl* bar, HWND dialog, int id);
  void Detach();
  HWND m_hWnd = nullptr;

 protected:
  // True when the message is handled, with its result.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  CZFlowCtrl* m_pBar = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
};

// An owner-drawn push button. Each image set holds the normal and pushed pictures; the
// focus-or-hover and disabled slots stay empty, so the normal picture stands in for them.
class CBmpBtn : public CFlowBarChild {
 public:
  void AddImageSet(UniqueBitmap normal, UniqueBitmap pushed);
  // Lets the button go with its pictures.
  void Reset();
  // Shows image set `set` and repaints at once.
  void SetImageSet(size_t set);
  size_t ImageSet() const { return m_nImageSet; }
  // Paints for the bar's WM_DRAWITEM.
  void Draw(const DRAWITEMSTRUCT& item, HBRUSH background);

 protected:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::vector<std::array<UniqueBitmap, 2>> m_images;
  size_t m_nImageSet = 0;
};

// A tooltip window for the buttons of `owner`.
HWND CreateButtonTips(HWND owner, HINSTANCE instance);
// Names `button` `text` (its window text, which accessibility tools read) and shows the same
// text as its tooltip in `tips` (none: the name alone), replacing a tip it had.
void SetButtonTip(HWND tips, HWND owner, CBmpBtn& button, const wchar_t* text);

// The seek bar: a click in the channel outside the thumb seeks to that point at once.
class CGoToClickTrackBar : public CFlowBarChild {
 public:
  CGoToClickTrackBar();
  int32_t Position() const;

 protected:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void PaintThumb();
  UniqueBrush m_hbrThumb;
};

// The volume knob, from kKnobMin (lower left) over the top to kKnobMax (lower right).
class CKnobSlider : public CFlowBarChild {
 public:
  static constexpr UINT_PTR kBlinkTimerId = 103;
  static constexpr UINT kBlinkMs = 200;
  static constexpr int32_t kKeyStep = 250;  // an arrow key's step, a twentieth of the sweep

  void SetFace(UniqueBitmap face) { m_bmpFace = std::move(face); }
  // AdjustVolume's value from anyone: the knob follows without reporting back.
  void ShowVolume(int32_t volume);
  int32_t Position() const { return m_nPos; }

 protected:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ApplyPointer(LPARAM lParam);
  void Apply(int32_t value);
  void Paint();
  void EndDrag();

  UniqueBitmap m_bmpFace;
  int32_t m_nMin = kKnobMin;
  int32_t m_nMax = kKnobMax;
  int32_t m_nPos = kKnobMax;
  bool m_bDragging = false;
  bool m_bBlink = false;
};

}  // namespace zm::ui
