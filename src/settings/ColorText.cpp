#include "settings/ColorText.h"

#include "settings/IntConvert.h"

namespace noc {

namespace {

constexpr TColor Sys(uint32_t index) { return 0xFF000000u + index; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTextAscii(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return b[i] == '\0';
}

}  // namespace

const std::vector<ColorIdent>& ColorIdentifiers() {
    static const std::vector<ColorIdent> table = {
        {"clBlack", 0x00000000},
        {"clMaroon", 0x00000080},
        {"clGreen", 0x00008000},
        {"clOlive", 0x00008080},
        {"clNavy", 0x00800000},
        {"clPurple", 0x00800080},
        {"clTeal", 0x00808000},
        {"clGray", 0x00808080},
        {"clSilver", 0x00C0C0C0},
        {"clRed", 0x000000FF},
        {"clLime", 0x0000FF00},
        {"clYellow", 0x0000FFFF},
        {"clBlue", 0x00FF0000},
        {"clFuchsia", 0x00FF00FF},
        {"clAqua", 0x00FFFF00},
        {"clWhite", 0x00FFFFFF},
        {"clMoneyGreen", 0x00C0DCC0},
        {"clSkyBlue", 0x00F0CAA6},
        {"clCream", 0x00F0FBFF},
        {"clMedGray", 0x00A4A0A0},
        {"clActiveBorder", Sys(10)},
        {"clActiveCaption", Sys(2)},
        {"clAppWorkSpace", Sys(12)},
        {"clBackground", Sys(1)},
        {"clBtnFace", Sys(15)},
        {"clBtnHighlight", Sys(20)},
        {"clBtnShadow", Sys(16)},
        {"clBtnText", Sys(18)},
        {"clCaptionText", Sys(9)},
        {"clDefault", clDefault},
        {"clGradientActiveCaption", Sys(27)},
        {"clGradientInactiveCaption", Sys(28)},
        {"clGrayText", Sys(17)},
        {"clHighlight", Sys(13)},
        {"clHighlightText", Sys(14)},
        {"clHotLight", Sys(26)},
        {"clInactiveBorder", Sys(11)},
        {"clInactiveCaption", Sys(3)},
        {"clInactiveCaptionText", Sys(19)},
        {"clInfoBk", Sys(24)},
        {"clInfoText", Sys(23)},
        {"clMenu", Sys(4)},
        {"clMenuBar", Sys(30)},
        {"clMenuHighlight", Sys(29)},
        {"clMenuText", Sys(7)},
        {"clNone", clNone},
        {"clScrollBar", Sys(0)},
        {"cl3DDkShadow", Sys(21)},
        {"cl3DLight", Sys(22)},
        {"clWindow", Sys(5)},
        {"clWindowFrame", Sys(6)},
        {"clWindowText", Sys(8)},
    };
    return table;
}

std::string ColorToText(TColor c) {
    for (const ColorIdent& ident : ColorIdentifiers()) {
        if (ident.value == c) return ident.name;
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "$";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(c >> shift) & 0xF];
    return text;
}

bool TryTextToColor(const std::string& text, TColor& out) {
    for (const ColorIdent& ident : ColorIdentifiers()) {
        if (SameTextAscii(text, ident.name)) {
            out = ident.value;
            return true;
        }
    }
    int32_t value = 0;
    if (!TryStrToInt(text, value)) return false;
    out = static_cast<TColor>(value);
    return true;
}

TColor TextToColor(const std::string& text) {
    TColor c = 0;
    if (TryTextToColor(text, c)) return c;
    return static_cast<TColor>(StrToInt(text));  // throws with the usual message
}

TColor StartDigitColor(TColor swatch, bool darkTaskbar) {
    if (swatch == clMedGray) return darkTaskbar ? clWhite : clBlack;
    return TextToColor(ColorToText(swatch));
}

bool IsSystemColor(TColor c) { return (c >> 24) == 0xFFu; }

int SystemColorIndex(TColor c) { return static_cast<int>(c & 0xFFu); }

}  // namespace noc
