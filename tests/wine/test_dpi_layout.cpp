// The window at the monitor's scale: at 96 dpi it is pixel for pixel what it has always been; moved
// to a monitor of another scale, every control, font and picture follows, and nothing is cut off.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "WindowPicture.h"
#include "framework/DpiRules.h"

using namespace testing;
using noc::TForm2;

namespace {

// The picture must be the stored one; a different one is kept beside the build for a look.
void CheckAgainstReference(const WindowPicture& shown, const char* name) {
    const WindowPicture reference = WindowPicture::Load(std::string(NOC_TEST_REFERENCE_DIR) + "/" + name + ".bmp");
    const bool same = shown == reference;
    if (!same) {
        CreateDirectoryA("artefacts", nullptr);
        shown.Save(std::string("artefacts/") + name + ".bmp");
    }
    CHECK_MESSAGE(same, name << ": the window differs from the reference (kept in artefacts/" << name << ".bmp)");
}

// The window on screen with nothing under the pointer and no control holding the keyboard, so
// that no hover look, caret or focus frame depends on what ran before.
void ShowStill(TForm2& form) {
    SetCursorPos(0, 0);
    form.Show();
    SetFocus(form.Handle());
    QueueDrained();
}

// Where a window stands in the form's client area, in pixels.
RECT RectInForm(HWND form, HWND child) {
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::vector<HWND> Controls(HWND form) {
    std::vector<HWND> all;
    EnumChildWindows(
        form,
        [](HWND w, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string ClassName(HWND w) {
    char name[64] = "";
    GetClassNameA(w, name, sizeof(name));
    return name;
}

int FontHeight(HWND w) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf.lfHeight;
}

// The text's width in the control's own font.
int TextWidth(HWND w) {
    char text[256] = "";
    const int n = GetWindowTextA(w, text, sizeof(text));
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    SIZE sz{};
    GetTextExtentPoint32A(dc, text, n, &sz);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return sz.cx;
}

struct Placed {
    RECT rect;
    int fontHeight;
};

std::map<HWND, Placed> Layout(HWND form) {
    std::map<HWND, Placed> out;
    for (HWND w : Controls(form)) out[w] = {RectInForm(form, w), FontHeight(w)};
    return out;
}

void MoveToDpi(TForm2& form, int dpi) {
    RECT suggested{};
    GetWindowRect(form.Handle(), &suggested);
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    QueueDrained();
}

bool Near(long scaled, long design, int dpi) { return std::labs(scaled - design * dpi / 96.0) <= 1.0 + 1e-9; }

// The picture the control shows, read from the screen: 0x00RRGGBB pixels from the top.
std::vector<uint32_t> Shown(HWND w) {
    RECT rc{};
    GetClientRect(w, &rc);
    std::vector<uint32_t> out;
    HDC dc = GetDC(w);
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            out.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
    ReleaseDC(w, dc);
    return out;
}

// A bitmap resource of the program as it shows over the panel's face, in a square of `side`
// pixels from its top-left corner.
std::vector<uint32_t> ResourceOverFace(const char* name, int side) {
    auto bmp = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    REQUIRE_MESSAGE(bmp != nullptr, name);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    BITMAP bm{};
    GetObjectA(bmp, sizeof(bm), &bm);
    const COLORREF key = GetPixel(dc, 0, bm.bmHeight - 1), face = GetSysColor(COLOR_BTNFACE);
    std::vector<uint32_t> out;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            COLORREF c = x < bm.bmWidth && y < bm.bmHeight ? GetPixel(dc, x, y) : face;
            if (c == key) c = face;
            out.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return out;
}

// An icon resource of the program as it shows over the panel's face, at `side` pixels.
std::vector<uint32_t> IconOverFace(const char* name, int side) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, side, side);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    const RECT all{0, 0, side, side};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, side, side, 0));
    DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
    std::vector<uint32_t> out;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            out.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
    DestroyIcon(icon);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return out;
}

}  // namespace

TEST_CASE_FIXTURE(FreshApplication, "at 96 dpi the window is pixel for pixel what it has always been") {
    StoredSettings{}.Write();
    auto form = MakeForm2();
    ShowStill(*form);
    CheckAgainstReference(WindowPicture::Of(form->Handle()), "setup_96");

    SetDial(*form, 0, 1, 2, 3);
    form->MyImage1Click(form->MyImage1);
    form->Chronos1->SetEnabled(false);
    // Back from the notification area, as a click on the program icon brings it.
    form->NotifyIcon1Click(form->NotifyIcon1);
    ShowStill(*form);
    CheckAgainstReference(WindowPicture::Of(form->Handle()), "countdown_96");
    form.reset();
    ForgetQuit();
}

TEST_CASE_FIXTURE(FreshApplication, "moved to a monitor of another scale, the window is laid out again at that scale") {
    StoredSettings{}.Write();
    auto form = MakeForm2();
    ShowStill(*form);
    const HWND wnd = form->Handle();
    const std::map<HWND, Placed> design = Layout(wnd);
    REQUIRE(design.size() > 40);
    const int designFont = FontHeight(form->Label1->Handle());

    for (int dpi : {144, 192, 120}) {
        CAPTURE(dpi);
        MoveToDpi(*form, dpi);
        // Kept beside the build for a look at each scale.
        CreateDirectoryA("artefacts", nullptr);
        WindowPicture::Of(form->Handle()).Save("artefacts/setup_" + std::to_string(dpi) + ".bmp");
        RECT client{};
        GetClientRect(wnd, &client);
        CHECK(client.right == noc::ToDpi(221, dpi));
        CHECK(client.bottom == noc::ToDpi(201, dpi));
        // The design's units still, for the program's own use.
        CHECK(form->ClientWidth() == 221);
        CHECK(form->Label1->Left() == 8);

        for (const auto& [w, was] : design) {
            const RECT now = RectInForm(wnd, w);
            const std::string cls = ClassName(w);
            char text[128] = "";
            GetWindowTextA(w, text, sizeof(text));
            CAPTURE(GetDlgCtrlID(w));
            CAPTURE(cls);
            CAPTURE(std::string(text));
            CHECK(Near(now.left, was.rect.left, dpi));
            CHECK(Near(now.top, was.rect.top, dpi));
            const long width = now.right - now.left, height = now.bottom - now.top;
            const long designWidth = was.rect.right - was.rect.left, designHeight = was.rect.bottom - was.rect.top;
            // A label may need a little more than the scaled size for its text at that scale.
            const bool fitted = cls == "Static" && text[0] && width == TextWidth(w);
            CHECK((Near(width, designWidth, dpi) || (fitted && width > designWidth * dpi / 96)));
            CHECK((Near(height, designHeight, dpi) || (cls == "Static" && height > designHeight * dpi / 96)));
            CHECK(FontHeight(w) == noc::FontHeightAtDpi(was.fontHeight, dpi));
            // Nothing cut off: a text fits its control, a check box's beside its square (12 pixels
            // and one at 96 dpi). An image's text is a name for screen readers only.
            const bool image = dynamic_cast<noc::TImage*>(noc::TControl::FromHandle(w)) != nullptr;
            if (text[0] && !image && (cls == "Static" || cls == "Button")) {
                const bool checkBox = (GetWindowLongPtrA(w, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
                CHECK(TextWidth(w) + (checkBox ? noc::ToDpi(13, dpi) : 0) <= width);
            }
        }
        CHECK(FontHeight(form->Label1->Handle()) == noc::FontHeightAtDpi(designFont, dpi));
    }

    SUBCASE("the pictures are the ones drawn for the scale, not the small ones stretched") {
        for (int dpi : {144, 192}) {
            CAPTURE(dpi);
            MoveToDpi(*form, dpi);
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            const int side = noc::ToDpi(33, dpi);
            CHECK(Shown(form->MyImage1->Handle()) ==
                  ResourceOverFace(dpi == 144 ? "SWITCH_NORMAL_150" : "SWITCH_NORMAL_200", side));
            // The power button is the program icon's own larger image, on the face.
            if (dpi == 192) CHECK(Shown(form->Image14->Handle()) == IconOverFace("MAINICON", 32));
        }
    }

    SUBCASE("the mouse is read in the design's units") {
        MoveToDpi(*form, 192);
        int x = -1, y = -1;
        form->Label1->OnMouseDown.Set([&](noc::TObject*, noc::TMouseButton, noc::TShiftState, int mx, int my) {
            x = mx;
            y = my;
        });
        SendMessageA(form->Label1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 6));
        SendMessageA(form->Label1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(15, 6));
        CHECK(x == 8);
        CHECK(y == 3);
    }

    SUBCASE("back at 96 dpi, the window is again exactly what it was") {
        MoveToDpi(*form, 96);
        CHECK(Layout(wnd).size() == design.size());
        for (const auto& [w, was] : design) {
            const RECT now = RectInForm(wnd, w);
            CAPTURE(GetDlgCtrlID(w));
            CHECK(EqualRect(&now, &was.rect));
        }
        ShowStill(*form);
        CheckAgainstReference(WindowPicture::Of(form->Handle()), "setup_96");
    }
    form.reset();
    ForgetQuit();
}
