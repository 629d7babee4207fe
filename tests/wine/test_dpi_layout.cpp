// The window at the monitor's scale: at 96 dpi it is pixel for pixel what it has always been; moved
// to a monitor of another scale, every control, font and picture follows, and nothing is cut off.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "FormFixture.h"

using namespace testing;
using noc::TForm2;

namespace {

// The client area's pixels, 24-bit rows from the top.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr;
    bool operator==(const Picture& o) const { return width == o.width && height == o.height && bgr == o.bgr; }
};

int Stride(int width) { return (width * 3 + 3) & ~3; }

// What the window shows, read through its own device context once everything is painted.
Picture ClientPicture(const noc::TForm& form) {
    HWND wnd = form.Handle();
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(wnd, &client);
    Picture p;
    p.width = client.right;
    p.height = client.bottom;
    HDC source = GetDC(wnd);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, p.width, p.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* b = static_cast<const unsigned char*>(bits);
    p.bgr.assign(b, b + static_cast<size_t>(Stride(p.width)) * p.height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(wnd, source);
    return p;
}

// A 24-bit BMP file, rows from the bottom as the format has them.
void WriteBmp(const std::string& path, const Picture& p) {
    const int stride = Stride(p.width);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{sizeof(ih), p.width, p.height, 1, 24, BI_RGB, static_cast<DWORD>(stride * p.height), 0, 0, 0, 0};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
    out.write(reinterpret_cast<const char*>(&ih), sizeof(ih));
    for (int y = p.height - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(&p.bgr[static_cast<size_t>(y) * stride]), stride);
}

Picture ReadBmp(const std::string& path) {
    Picture p;
    std::ifstream in(path, std::ios::binary);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    if (!in.read(reinterpret_cast<char*>(&fh), sizeof(fh)) || !in.read(reinterpret_cast<char*>(&ih), sizeof(ih)))
        return p;
    if (fh.bfType != 0x4D42 || ih.biBitCount != 24 || ih.biHeight <= 0) return p;
    p.width = ih.biWidth;
    p.height = ih.biHeight;
    const int stride = Stride(p.width);
    p.bgr.resize(static_cast<size_t>(stride) * p.height);
    in.seekg(fh.bfOffBits);
    for (int y = p.height - 1; y >= 0; --y) in.read(reinterpret_cast<char*>(&p.bgr[static_cast<size_t>(y) * stride]), stride);
    return in ? p : Picture{};
}

// The picture must be the stored one; a different one is kept beside the build for a look.
void CheckAgainstReference(const Picture& shown, const char* name) {
    const Picture reference = ReadBmp(std::string(NOC_TEST_REFERENCE_DIR) + "/" + name + ".bmp");
    const bool same = shown == reference;
    if (!same) {
        CreateDirectoryA("artefacts", nullptr);
        WriteBmp(std::string("artefacts/") + name + ".bmp", shown);
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

}  // namespace

TEST_CASE_FIXTURE(FreshApplication, "at 96 dpi the window is pixel for pixel what it has always been") {
    StoredSettings{}.Write();
    auto form = MakeForm2();
    ShowStill(*form);
    CheckAgainstReference(ClientPicture(*form), "setup_96");

    SetDial(*form, 0, 1, 2, 3);
    form->MyImage1Click(form->MyImage1);
    form->Chronos1->SetEnabled(false);
    // Back from the notification area, as a click on the program icon brings it.
    form->NotifyIcon1Click(form->NotifyIcon1);
    ShowStill(*form);
    CheckAgainstReference(ClientPicture(*form), "countdown_96");
    form.reset();
    ForgetQuit();
}
