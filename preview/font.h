// A 5 x 7 bitmap font for the picture's labels: upper-case letters (lower
// case is drawn as upper case), digits and a few signs; any other character
// is drawn as '?'.
#pragma once

#include <string>

namespace preview {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Rows of the glyph for `c`, top first; bit 4 is the leftmost column.
const unsigned char* glyphRows(char c);

// Width in pixels of `text` drawn at `scale`.
int textWidth(const std::string& text, int scale);

// Sets pixels of an 8-bit RGB buffer (`width` x `height`, row-major) to
// `color` where the text covers them, with its top-left corner at (x, y) and
// every font pixel drawn as a scale x scale block; pixels outside the buffer
// are skipped.
void drawText(unsigned char* rgb, int width, int height, int x, int y, const std::string& text,
              int scale, const unsigned char color[3]);

}  // namespace preview
