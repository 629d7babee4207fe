#include "tray/TrayRules.h"

#include <algorithm>
#include <climits>

namespace noc {

namespace {

int ClampToInt(int64_t v) { return static_cast<int>(std::min<int64_t>(std::max<int64_t>(v, INT_MIN), INT_MAX)); }
}  // namespace

// C++ division truncates toward zero, as the placement wants; 64 bits keep huge fonts from overflowing.
int CentredPosition(int extent, int offset, int square) {
    return ClampToInt((int64_t{square} - 1 - extent) / 2 + offset);
}

int TextBlockTop(int lines, int lineHeight, int offsetY, int square) {
    return ClampToInt((int64_t{square} - 1 - int64_t{lines} * lineHeight) / 2 + offsetY);
}

int TrayIconSizeFor(int smallIconSize) { return std::min(64, std::max(kTrayIconSize, smallIconSize)); }

int ScaleToTrayIcon(int length, int square) {
    const int64_t scaled = int64_t{length} * square;
    const int64_t half = kTrayIconSize / 2;
    return ClampToInt((scaled + (scaled < 0 ? -half : half)) / kTrayIconSize);
}

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find('\r', start);
        if (cr == std::string::npos) break;
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::vector<PlacedLine> PlaceText(const std::string& text, const MeasureText& measure, int offsetX, int offsetY,
                                  int lineDistance, int square) {
    const size_t firstReturn = text.find('\r');
    if (firstReturn == std::string::npos) {
        const TextExtent e = measure(text);
        return {PlacedLine{text, CentredPosition(e.cx, offsetX, square), CentredPosition(e.cy, offsetY, square)}};
    }
    std::vector<std::string> lines = SplitTextLines(text);
    const int lineHeight = ClampToInt(int64_t{measure(text.substr(firstReturn)).cy} + lineDistance);
    const int count = ClampToInt(static_cast<int64_t>(lines.size()));
    const int top = TextBlockTop(count, lineHeight, offsetY, square);
    std::vector<PlacedLine> placed;
    placed.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const int x = CentredPosition(measure(lines[i]).cx, offsetX, square);
        const int y = ClampToInt(static_cast<int64_t>(i) * lineHeight + top);
        placed.push_back(PlacedLine{std::move(lines[i]), x, y});
    }
    return placed;
}

uint32_t TextFillColor(uint32_t color, uint32_t fontColor, uint32_t fontRgb) {
    if (color == kColorNone || color == fontColor) return (fontRgb ^ 0xFFFFFFu) & 0xFFFFFFu;
    return color;
}

std::string TrayTipText(const std::string& hint, bool showHint) {
    if (!showHint || hint.empty()) return {};
    return hint.substr(0, kTrayTipLength);
}

int ClampFrameIndex(int index, int frameCount) {
    if (frameCount <= 0 || index < 0) return 0;
    return index >= frameCount ? frameCount - 1 : index;
}

int NextFrameIndex(int index, int frameCount) { return index < frameCount - 1 ? index + 1 : 0; }

}  // namespace noc
