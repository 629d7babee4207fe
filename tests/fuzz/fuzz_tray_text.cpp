// Where the text of a text tray icon lands in its 16 x 16 square: its lines, the centring of each line
// and of the block, with any offsets, line distance and font sizes; and the colour filled around it.
#include <fuzzer/FuzzedDataProvider.h>

#include "Reference.h"
#include "tray/TrayRules.h"

#include <climits>

namespace {

// (15 - extent) div 2 + offset, div rounding toward zero, computed without overflow and brought into
// the range of an int.
int64_t Div2TowardZero(int64_t v) { return v >= 0 ? v / 2 : -((-v) / 2); }
int Clamped(int64_t v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int offsetX = in.ConsumeIntegral<int>(), offsetY = in.ConsumeIntegral<int>();
    const int width = in.ConsumeIntegral<int>(), height = in.ConsumeIntegral<int>();
    const int lineCount = in.ConsumeIntegral<int>();
    const int lineDistance = in.ConsumeIntegral<int>(), charWidth = in.ConsumeIntegral<int>();
    const uint32_t color = in.ConsumeIntegral<uint32_t>(), fontColor = in.ConsumeIntegral<uint32_t>(),
                   fontRgb = in.ConsumeIntegral<uint32_t>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    // Lines: cut at every carriage return, nothing else lost or added.
    const std::vector<std::string> lines = noc::SplitTextLines(text);
    size_t returns = 0;
    for (char c : text) returns += c == '\r';
    FUZZ_CHECK(lines.size() == returns + 1);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].find('\r') == std::string::npos);
        if (i) joined += '\r';
        joined += lines[i];
    }
    FUZZ_CHECK(joined == text);

    FUZZ_CHECK(noc::CentredPosition(width, offsetX) == Clamped(Div2TowardZero(15 - int64_t{width}) + offsetX));
    FUZZ_CHECK(noc::CentredPosition(height, offsetY) == Clamped(Div2TowardZero(15 - int64_t{height}) + offsetY));
    FUZZ_CHECK(noc::TextBlockTop(lineCount, height, offsetY) ==
               Clamped(Div2TowardZero(15 - int64_t{lineCount} * height) + offsetY));
    const int top = noc::TextBlockTop(static_cast<int>(lines.size()), height, offsetY);
    FUZZ_CHECK(top == Clamped(Div2TowardZero(15 - static_cast<int64_t>(lines.size()) * height) + offsetY));

    // Inside the usual range of a font and offsets, a one-line text is centred within a pixel.
    if (width >= 0 && width <= 64 && offsetX >= -16 && offsetX <= 16) {
        const int x = noc::CentredPosition(width, offsetX) - offsetX;
        FUZZ_CHECK(2 * x + width == 15 || 2 * x + width == 14 || 2 * x + width == 16);
    }

    // The whole placement, with a made-up font whose sizes depend on the text measured, against the
    // drawing steps: one line centred on its size; several as a block with the height of the text
    // from the first carriage return on, plus the line distance.
    const auto measure = [&](const std::string& s) {
        int64_t w = 0;
        for (char c : s) w += int64_t{static_cast<unsigned char>(c) & 7} * charWidth;
        return noc::TextExtent{Clamped(w), Clamped(int64_t{height} + static_cast<int64_t>(s.size() % 3))};
    };
    const std::vector<noc::PlacedLine> placed = noc::PlaceText(text, measure, offsetX, offsetY, lineDistance);
    FUZZ_CHECK(placed.size() == lines.size());
    if (returns == 0) {
        const noc::TextExtent e = measure(text);
        FUZZ_CHECK(placed[0].text == text);
        FUZZ_CHECK(placed[0].x == Clamped(Div2TowardZero(15 - int64_t{e.cx}) + offsetX));
        FUZZ_CHECK(placed[0].y == Clamped(Div2TowardZero(15 - int64_t{e.cy}) + offsetY));
    } else {
        const int64_t lineHeight = Clamped(int64_t{measure(text.substr(text.find('\r'))).cy} + lineDistance);
        const int64_t blockTop =
            Clamped(Div2TowardZero(15 - static_cast<int64_t>(lines.size()) * lineHeight) + offsetY);
        for (size_t i = 0; i < lines.size(); ++i) {
            FUZZ_CHECK(placed[i].text == lines[i]);
            FUZZ_CHECK(placed[i].x == Clamped(Div2TowardZero(15 - int64_t{measure(lines[i]).cx}) + offsetX));
            FUZZ_CHECK(placed[i].y == Clamped(static_cast<int64_t>(i) * lineHeight + blockTop));
        }
    }

    const uint32_t fill = noc::TextFillColor(color, fontColor, fontRgb);
    if (color == 0x1FFFFFFFu || color == fontColor)
        FUZZ_CHECK(fill == ((fontRgb & 0xFFFFFFu) ^ 0xFFFFFFu));
    else
        FUZZ_CHECK(fill == color);
    return 0;
}
