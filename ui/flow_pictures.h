// The flow bar's pictures, drawn with GDI at the size the window needs: the button faces, the
// Playlist/Live button and the volume knob, each on the transparent key colour. Window's thread.
#pragma once

#include <windows.h>

#include "com/unique_handle.h"

namespace zm::ui {

template <class T>
void DeleteGdiObject(T object) {
  DeleteObject(object);
}
template <class T>
using UniqueGdi = com::UniqueResource<T, DeleteGdiObject<T>, nullptr>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueFont = UniqueGdi<HFONT>;
using UniquePen = UniqueGdi<HPEN>;

// Pixels of this colour are never drawn.
inline constexpr COLORREF kTransparentKey = RGB(255, 0, 255);

enum class FlowPicture {
  Play,
  PlayPushed,
  Pause,
  PausePushed,
  Stop,
  StopPushed,
  List,
  ListPushed,
  Knob,
  // The playlist dialog's steps.
  Previous,
  PreviousPushed,
  Next,
  NextPushed,
  PlayFrom,
  PlayFromPushed
};

// A 24-bit picture `size` pixels square (26 at 96 dpi; 13 for the list button).
UniqueBitmap DrawFlowPicture(FlowPicture picture, int size);
// Draws `bitmap` at (x, y) at its own size, leaving its key-colour pixels out.
void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y);

}  // namespace zm::ui
