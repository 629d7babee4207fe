#pragma once
// Colours as text: the identifiers ("clBlack"...) and the "$00BBGGRR" form, both ways.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Color.h"

namespace noc {

// A colour is a 32-bit value; plain RGB as 0x00BBGGRR (red in the lowest byte).
// A high byte of 0xFF marks a reference to a system colour, its index in the low byte.

constexpr TColor clBlack = 0x00000000, clWhite = 0x00FFFFFF, clMedGray = 0x00A4A0A0, clNone = kColorNone,
                 clDefault = 0x20000000, clBtnFace = 0xFF00000F, clWindowText = 0xFF000008, clRed = 0x000000FF;

struct ColorIdent {
    const char* name;
    TColor value;
};

// Every colour identifier, in the order used for writing (first match wins).
const std::vector<ColorIdent>& ColorIdentifiers();

// First identifier whose value equals c, else "$" followed by 8 upper-case hex digits.
std::string ColorToText(TColor c);

// An identifier in any letter case, else an integer as read by TryStrToInt.
bool TryTextToColor(const std::string& text, TColor& out);

// Same as TryTextToColor, throws EConvertError on failure.
TColor TextToColor(const std::string& text);

// The digits' colour at start-up for a swatch: medium grey stands for the default digits, black,
// or white on a dark taskbar, where black would hardly show; any other colour as it is.
TColor StartDigitColor(TColor swatch, bool darkTaskbar);

bool IsSystemColor(TColor c);
int SystemColorIndex(TColor c);

}  // namespace noc
