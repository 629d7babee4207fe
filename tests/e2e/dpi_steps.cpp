// The window at one screen resolution, for dpi_e2e.sh, which sets the prefix's dpi and runs this
// once per dpi, 96 first:
//   dpi_steps DPI FOLDER
// Opens NocTuro twice, on its set-up panel and then in a countdown's final warning (the countdown
// panel), and for each writes to FOLDER the window's layout (layout_DPI[_countdown].txt) and a
// picture of its client area (window_DPI[_countdown].bmp). Then checks that every text fits its
// control at this dpi, and, above 96, that the window and its controls are the 96-dpi ones
// scaled by dpi/96. Prints a FAIL line per fault, exits 1 if there was one.
#define DOCTEST_CONFIG_IMPLEMENT  // the shared helpers use its assertions; no test runs here
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "E2eCommon.h"
#include "framework/DpiRules.h"
#include "wine/WindowPicture.h"

using namespace e2e;

namespace {

// The controls by their identifiers, with the names the program gives them.
// clang-format off
#define N(name) {noc::id##name, #name}
const std::map<int, const char*> kNames = {
    N(TabControl1), N(Label1), N(MaskEdit4), N(UpDown4), N(MaskEdit1), N(UpDown1), N(MaskEdit2),
    N(UpDown2), N(MaskEdit3), N(UpDown3), N(Image8), N(MyImage1), N(GroupBox2), N(CheckBox1),
    N(CheckBox4), N(CheckBox3), N(CheckBox2), N(Shape1), N(Image4), N(Image10), N(Image13), N(Panel1),
    N(Label12), N(Edit1), N(Button3), N(Panel2), N(Label16), N(Image12), N(Label14), N(Label18),
    N(Image11), N(TrackBar1), N(Label17), N(Button6), N(TabControl2), N(Label2), N(LabelDays), N(Label7),
    N(LabelHours), N(Label9), N(LabelMinutes), N(Label4), N(LabelSeconds), N(Label11), N(Image5),
    N(Image6), N(Label13), N(Edit2), N(Button4), N(Label15), N(Label19), N(Label20), N(Image7),
    N(Label3), N(SpeedButton1), N(SpeedButton3), N(SpeedButton2), N(SpeedButton4), N(Image1), N(Image2),
    N(Image3), N(Image9),
};
// clang-format on
#undef N

// Pictures are statics too; their window text is a name for screen readers, never drawn.
bool IsPicture(int id) {
    using namespace noc;
    const int pictures[] = {idImage1, idImage2,  idImage3,  idImage4,  idImage5,  idImage6,   idImage7, idImage8,
                            idImage9, idImage10, idImage11, idImage12, idImage13, idMyImage1, idShape1};
    return std::find(std::begin(pictures), std::end(pictures), id) != std::end(pictures);
}

// The countdown's four numbers, in the big bold digits.
bool IsBigDigits(int id) {
    return id == noc::idLabel2 || id == noc::idLabel7 || id == noc::idLabel9 || id == noc::idLabel4;
}

// The program's texts are in code page 1252; files and messages are in UTF-8.
std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    const int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(to, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}
std::string Utf8(const std::string& text) { return Convert(text, 1252, CP_UTF8); }

struct Control {
    int id = 0;
    std::string name, cls, text;
    RECT r{};  // relative to the window's client area
    bool shown = false;
    DWORD style = 0;
    int Width() const { return r.right - r.left; }
    int Height() const { return r.bottom - r.top; }
};

struct Layout {
    SIZE client{};
    std::vector<Control> controls;
    const Control* Find(int id) const {
        for (const Control& c : controls)
            if (c.id == id) return &c;
        return nullptr;
    }
};

Layout Read(HWND form) {
    Layout l;
    RECT rc{};
    GetClientRect(form, &rc);
    l.client = {rc.right, rc.bottom};
    for (HWND w : Descendants(form)) {
        const int id = GetDlgCtrlID(w);
        const auto name = kNames.find(id);
        if (name == kNames.end()) continue;
        Control c;
        c.id = id;
        c.name = name->second;
        c.cls = ClassOf(w);
        c.text = Text(w);
        GetWindowRect(w, &c.r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&c.r), 2);
        c.shown = IsWindowVisible(w) != FALSE;
        c.style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
        l.controls.push_back(c);
    }
    return l;
}

// One control a line, tab-separated, its text last.
bool Write(const Layout& l, const std::string& path, int dpi) {
    std::ofstream out(path, std::ios::binary);
    out << "# dpi " << dpi << ", texts in UTF-8\n# id\tname\tclass\tleft\ttop\twidth\theight\tshown\tstyle\ttext\n";
    out << "client\t" << l.client.cx << "\t" << l.client.cy << "\n";
    for (const Control& c : l.controls) {
        char style[16];
        std::snprintf(style, sizeof(style), "%08lx", static_cast<unsigned long>(c.style));
        out << c.id << "\t" << c.name << "\t" << c.cls << "\t" << c.r.left << "\t" << c.r.top << "\t" << c.Width()
            << "\t" << c.Height() << "\t" << (c.shown ? 1 : 0) << "\t" << style << "\t" << Utf8(c.text) << "\n";
    }
    return out.good();
}

std::optional<Layout> Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Layout l;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        size_t start = 0;
        for (int i = 0; i < 9; ++i) {
            const size_t tab = line.find('\t', start);
            if (tab == std::string::npos) break;
            f.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        f.push_back(line.substr(start));
        if (f[0] == "client" && f.size() >= 3) {
            l.client = {std::atoi(f[1].c_str()), std::atoi(f[2].c_str())};
            continue;
        }
        if (f.size() != 10) return std::nullopt;
        Control c;
        c.id = std::atoi(f[0].c_str());
        c.name = f[1];
        c.cls = f[2];
        c.r.left = std::atoi(f[3].c_str());
        c.r.top = std::atoi(f[4].c_str());
        c.r.right = c.r.left + std::atoi(f[5].c_str());
        c.r.bottom = c.r.top + std::atoi(f[6].c_str());
        c.shown = f[7] == "1";
        c.style = static_cast<DWORD>(std::strtoul(f[8].c_str(), nullptr, 16));
        c.text = Convert(f[9], CP_UTF8, 1252);
        l.controls.push_back(c);
    }
    return l;
}

// ---- the picture -------------------------------------------------------------------------------

using Picture = testing::WindowPicture;

// ---- texts -------------------------------------------------------------------------------------

// Measures as the program's controls draw: Tahoma, 11 pixels at 96 dpi, the countdown's numbers in
// 16-pixel bold, both scaled with the dpi.
class Measure {
public:
    explicit Measure(int dpi) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = 1;
        bi.bmiHeader.biHeight = 1;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        surface_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, surface_);
        normal_ = CreateFontA(noc::FontHeightAtDpi(-11, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              "Tahoma");
        big_ =
            CreateFontA(noc::FontHeightAtDpi(-16, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
        oldFont_ = SelectObject(dc_, normal_);
    }
    ~Measure() {
        SelectObject(dc_, oldFont_);
        SelectObject(dc_, old_);
        DeleteObject(normal_);
        DeleteObject(big_);
        DeleteObject(surface_);
        DeleteDC(dc_);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    // The width of the ink of a line of text in the normal font, as drawn.
    int InkWidth(const std::string& text) const {
        const SIZE extent = Extent(text, false);
        const int margin = 8, w = extent.cx + 2 * margin, h = extent.cy + 2 * margin;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        DWORD* px = nullptr;
        HBITMAP canvas = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&px), nullptr, 0);
        HGDIOBJ old = SelectObject(dc_, canvas);
        std::fill(px, px + w * h, 0xFFFFFFu);
        SetTextColor(dc_, RGB(0, 0, 0));
        SetBkMode(dc_, TRANSPARENT);
        TextOutA(dc_, margin, margin, text.c_str(), static_cast<int>(text.size()));
        GdiFlush();
        int first = w, last = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((px[y * w + x] & 0xFFFFFFu) != 0xFFFFFFu) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        SelectObject(dc_, old);
        DeleteObject(canvas);
        return last < first ? 0 : last - first + 1;
    }

    // One line of text; its height is the font's even for no text.
    SIZE Extent(const std::string& text, bool big) const {
        SelectObject(dc_, big ? big_ : normal_);
        SIZE sz{0, 0};
        GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &sz);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_, &tm);
        sz.cy = tm.tmHeight;
        SelectObject(dc_, normal_);
        return sz;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP surface_ = nullptr;
    HFONT normal_ = nullptr, big_ = nullptr;
    HGDIOBJ old_ = nullptr, oldFont_ = nullptr;
};

// The text as drawn: buttons, and statics without SS_NOPREFIX, hide '&' and show "&&" as '&'.
std::string Drawn(const Control& c) {
    const bool prefixes = c.cls == "Button" || (c.cls == "Static" && !(c.style & SS_NOPREFIX));
    if (!prefixes) return c.text;
    std::string out;
    for (size_t i = 0; i < c.text.size(); ++i) {
        if (c.text[i] == '&' && i + 1 < c.text.size()) ++i;
        out += c.text[i];
    }
    return out;
}

bool IsLabel(const Control& c) { return c.cls == "Static" && !IsPicture(c.id) && !c.text.empty(); }

// ---- checks ------------------------------------------------------------------------------------

struct Report {
    int dpi = 96;
    std::string panel;
    int faults = 0;
    void Fail(const Control& c, const std::string& what) {
        ++faults;
        std::printf("FAIL %d dpi, %s: %s (%d) \"%s\": %s\n", dpi, panel.c_str(), c.name.c_str(), c.id,
                    Utf8(c.text).c_str(), what.c_str());
    }
    void Fail(const std::string& what) {
        ++faults;
        std::printf("FAIL %d dpi, %s: %s\n", dpi, panel.c_str(), what.c_str());
    }
};

std::string Str(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Str(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof(buf), format, args);
    va_end(args);
    return buf;
}

// Where the text of a check box shown in the picture starts: the first column with ink after the
// square, each column looked at over the box's height against its most common colour. Nothing
// when the box is not shown or no text follows the square.
std::optional<int> CheckBoxTextStart(const Picture& p, const Control& c) {
    if (!c.shown) return std::nullopt;
    const int left = std::max<int>(c.r.left, 0), right = std::min<int>(c.r.right, p.width);
    const int top = std::max<int>(c.r.top, 0), bottom = std::min<int>(c.r.bottom, p.height);
    std::map<COLORREF, int> counts;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) ++counts[p.At(x, y)];
    if (counts.empty()) return std::nullopt;
    COLORREF face = counts.begin()->first;
    for (const auto& [colour, n] : counts)
        if (n > counts[face]) face = colour;
    auto inked = [&](int x) {
        for (int y = top; y < bottom; ++y)
            if (p.At(x, y) != face) return true;
        return false;
    };
    int x = left;
    while (x < right && !inked(x)) ++x;  // before the square
    while (x < right && inked(x)) ++x;   // the square
    while (x < right && !inked(x)) ++x;  // the gap
    if (x >= right) return std::nullopt;
    return x - c.r.left;
}

void CheckTextsFit(const Layout& l, const Picture& picture, bool shownOnly, const Measure& m, Report& report) {
    const int edge = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
    for (const Control& c : l.controls) {
        if (shownOnly && !c.shown) continue;
        const std::string text = Drawn(c);
        if (text.empty()) continue;
        const SIZE need = m.Extent(text, IsBigDigits(c.id));
        const int w = c.Width(), h = c.Height();
        if (IsLabel(c)) {
            if (need.cx > w) report.Fail(c, Str("text %ld px wide in a label %d px wide", need.cx, w));
            if (need.cy > h) report.Fail(c, Str("text %ld px high in a label %d px high", need.cy, h));
        } else if (c.cls == "Button") {
            switch (c.style & BS_TYPEMASK) {
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX: {
                // Wine draws a check box's text narrower than its measured extent (a twelfth or
                // so with Tahoma), and its square at a size of its own: where the text starts
                // and how wide its ink is are read from pixels. Only a box on screen shows
                // them; the set-up panel shows every one.
                if (need.cy > h) report.Fail(c, Str("text %ld px high in a check box %d px high", need.cy, h));
                if (!c.shown) break;
                const std::optional<int> start = CheckBoxTextStart(picture, c);
                const int ink = m.InkWidth(text);
                if (!start)
                    report.Fail(c, "no text drawn beside the square");
                else if (*start + ink > w)
                    report.Fail(c, Str("text drawn from %d px, %d px wide, in a check box %d px wide", *start, ink, w));
                break;
            }
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON:
                if (need.cx > w - 2 * edge)
                    report.Fail(c, Str("text %ld px wide in a button %d px wide (edges %d px)", need.cx, w, edge));
                if (need.cy > h - 2 * edgeY)
                    report.Fail(c, Str("text %ld px high in a button %d px high (edges %d px)", need.cy, h, edgeY));
                break;
            case BS_GROUPBOX:
                if (need.cx > w) report.Fail(c, Str("title %ld px wide in a group box %d px wide", need.cx, w));
                break;
            default:
                break;
            }
        }
    }
}

bool Near(double actual, double expected) { return std::fabs(actual - expected) <= 1.0; }

void CheckScaled(const Layout& l, const Layout& at96, int dpi, bool shownOnly, const Measure& m, Report& report) {
    const double f = dpi / 96.0;
    const long cw = std::lround(f * at96.client.cx), ch = std::lround(f * at96.client.cy);
    if (!Near(l.client.cx, cw) || !Near(l.client.cy, ch))
        report.Fail(Str("client area %ld x %ld, expected %ld x %ld (96 dpi: %ld x %ld)", l.client.cx, l.client.cy, cw,
                        ch, at96.client.cx, at96.client.cy));
    for (const Control& was : at96.controls)
        if (!l.Find(was.id) && !(shownOnly && !was.shown)) report.Fail(was, "missing");
    for (const Control& c : l.controls) {
        if (shownOnly && !c.shown) continue;
        const Control* was = at96.Find(c.id);
        if (!was) {
            report.Fail(c, "not there at 96 dpi");
            continue;
        }
        const double x = f * was->r.left, y = f * was->r.top, w = f * was->Width(), h = f * was->Height();
        bool widthOk = Near(c.Width(), w), heightOk = Near(c.Height(), h);
        // A label sizes itself to its text, whose size at a bigger font is not exactly the scaled
        // one: a pixel or two either way.
        if (IsLabel(c)) {
            const SIZE need = m.Extent(Drawn(c), IsBigDigits(c.id));
            widthOk = widthOk || Near(c.Width(), need.cx);
            heightOk = heightOk || Near(c.Height(), need.cy);
        }
        if (!Near(c.r.left, x) || !Near(c.r.top, y) || !widthOk || !heightOk)
            report.Fail(
                c, Str("at (%ld, %ld) %d x %d, expected (%.1f, %.1f) %.1f x %.1f from (%ld, %ld) %d x %d at 96 dpi",
                       c.r.left, c.r.top, c.Width(), c.Height(), x, y, w, h, was->r.left, was->r.top, was->Width(),
                       was->Height()));
    }
}

// ---- the two runs ------------------------------------------------------------------------------

template <typename F>
F Find(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Per-monitor aware, so that Wine gives this process the program's own coordinates and sizes.
void BecomeDpiAware() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (auto set = Find<BOOL(WINAPI*)(HANDLE)>(user32, "SetProcessDpiAwarenessContext")) {
        if (set(reinterpret_cast<HANDLE>(-4))) return;  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    }
    if (auto aware = Find<BOOL(WINAPI*)()>(user32, "SetProcessDPIAware")) aware();
}

struct Panel {
    const char* name;
    const char* suffix;
    const char* params;
    int front;       // the panel that must be in front
    bool shownOnly;  // checks only the controls shown, the others having been checked on the first
};

// The set-up panel of a window opened without parameters, where every control is checked, the
// hidden ones too (other states show them at these places); then the countdown panel that a
// countdown's final warning brings up, where the controls it shows are checked again with the
// texts they then have. With the alert's lead time at 59 s, a one-minute countdown shows that panel
// from its second tick and leaves most of a minute to look before the end.
const Panel kPanels[] = {
    {"set-up panel", "", "", noc::idTabControl1, false},
    {"countdown panel", "_countdown", "* 0 0 1 0 * * * * * 59", noc::idTabControl2, true},
};

int Look(const Panel& panel, int dpi, const std::string& folder, const Measure& m) {
    Report report;
    report.dpi = dpi;
    report.panel = panel.name;
    WriteAll(Stored{});
    Program prog(panel.params);
    HWND form = nullptr;
    const bool ready = WaitUntil(
        [&] {
            form = FindTopWindow(prog.Id(), "TForm2", kCaption, true);
            HWND front = form ? ControlById(form, panel.front) : nullptr;
            return front && IsWindowVisible(front);
        },
        kLong * 2);
    if (!ready) {
        report.Fail(form ? "the panel did not come to the front" : "the window did not show");
        return report.faults;
    }
    const Picture picture = Picture::Of(form);
    const Layout layout = Read(form);
    prog.Kill();

    const std::string name = std::to_string(dpi) + panel.suffix;
    if (!Write(layout, folder + "\\layout_" + name + ".txt", dpi)) report.Fail("cannot write the layout");
    if (!picture.Save(folder + "\\window_" + name + ".bmp")) report.Fail("cannot write the picture");
    std::printf("%d dpi, %s: client area %ld x %ld, %zu controls\n", dpi, panel.name, layout.client.cx,
                layout.client.cy, layout.controls.size());

    CheckTextsFit(layout, picture, panel.shownOnly, m, report);
    if (dpi != 96) {
        const auto at96 = Load(folder + "\\layout_96" + panel.suffix + ".txt");
        if (at96)
            CheckScaled(layout, *at96, dpi, panel.shownOnly, m, report);
        else
            report.Fail("no layout at 96 dpi to compare with");
    }
    return report.faults;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: dpi_steps DPI FOLDER\n");
        return 2;
    }
    BecomeDpiAware();
    const int dpi = std::atoi(argv[1]);
    const std::string folder = argv[2];
    // Wine takes a new dpi only from a restarted wineserver: without it every run would be at 96.
    HDC screen = GetDC(nullptr);
    const int onScreen = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (onScreen != dpi) {
        std::printf("FAIL: the screen is at %d dpi, not %d\n", onScreen, dpi);
        return 1;
    }
    const Measure m(dpi);
    int faults = 0;
    for (const Panel& panel : kPanels) faults += Look(panel, dpi, folder, m);
    std::printf("%d dpi: %d fault(s)\n", dpi, faults);
    return faults ? 1 : 0;
}
