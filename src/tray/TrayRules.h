#pragma once
// The arithmetic of the notification-area icons that needs no window system: where a text lands in
// the 16 x 16 square, which colour fills around it, what tooltip reaches the shell, which frame
// comes next.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Color.h"

namespace noc {

// Icons are 16 x 16; texts are centred on 15, with `div` rounding toward zero ((15 - 16) div 2 = 0,
// (15 - 18) div 2 = -1). At other scales the shell's small icons are larger, and the same rule
// centres on the size less one.
constexpr int kTrayIconSize = 16;

// Position of a text of `extent` pixels along one axis, moved by `offset`, in a square of `square`.
int CentredPosition(int extent, int offset, int square = kTrayIconSize);

// Top of a block of `lines` lines of `lineHeight` pixels each, moved by `offsetY`.
int TextBlockTop(int lines, int lineHeight, int offsetY, int square = kTrayIconSize);

// The lines of a text: split at each carriage return. A line feed that follows a carriage return
// stays as the first character of the next line; a text without carriage return is one line.
std::vector<std::string> SplitTextLines(const std::string& text);

// A text's size in pixels, as the icon's font gives it.
struct TextExtent {
    int cx = 0, cy = 0;
};
struct PlacedLine {
    std::string text;
    int x = 0, y = 0;
};
using MeasureText = std::function<TextExtent(const std::string&)>;

// Where each line of an icon's text is drawn. Without carriage return the text is centred on its own
// size; with them, each line is centred across, and the lines form a block centred down whose line
// height is the height of the text from the first carriage return on, plus `lineDistance`.
std::vector<PlacedLine> PlaceText(const std::string& text, const MeasureText& measure, int offsetX, int offsetY,
                                  int lineDistance, int square = kTrayIconSize);

// The size of the tray's icons, from the small-icon size the system reports: that size, kept
// within 16 and 64 pixels (a hand-set metric can be anything).
int TrayIconSizeFor(int smallIconSize);
// A length designed for 16-pixel icons, at `square` pixels: rounded to the nearest, halves away
// from zero (the font's -11 is -14 at 20 pixels, -17 at 24, -22 at 32).
int ScaleToTrayIcon(int length, int square);

// The colour that fills the square around the text (and is made see-through): the font's RGB
// inverted when `color` is none (0x1FFFFFFF) or equals `fontColor` (the values, not their RGB),
// otherwise `color` itself. `fontRgb` is the font colour resolved to RGB.
uint32_t TextFillColor(uint32_t color, uint32_t fontColor, uint32_t fontRgb);

// What the shell's tooltip field receives: the first 127 characters of the hint, or nothing when
// the hint is empty or not to be shown.
constexpr size_t kTrayTipLength = 127;
std::string TrayTipText(const std::string& hint, bool showHint);

// The frame shown for a requested index: 0 without frames, the last frame past the end, 0 below 0.
int ClampFrameIndex(int index, int frameCount);
// The frame after `index` in a loop of `frameCount` frames.
int NextFrameIndex(int index, int frameCount);

}  // namespace noc
