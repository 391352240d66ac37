// A tiny 5x7 bitmap font for the test card's clock: digits, ':' and '.'.
#pragma once

#include <cstdint>

namespace zms {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Row bits of a glyph, bit 4 the leftmost column; all zero for characters it lacks.
const uint8_t* GlyphRows(char c);

}  // namespace zms
