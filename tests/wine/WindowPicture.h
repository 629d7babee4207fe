#pragma once
// What a window's client area shows, read through the window's own device context (the screen's
// gives black where another process's window stands), and kept as a 24-bit BMP file.
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace testing {

struct WindowPicture {
    int width = 0, height = 0;
    std::vector<BYTE> bits;  // 24-bit rows, bottom-up as the file has them, each padded to 4 bytes

    int Stride() const { return (width * 3 + 3) & ~3; }
    COLORREF At(int x, int y) const {
        const BYTE* p = &bits[static_cast<size_t>((height - 1 - y) * Stride() + x * 3)];
        return RGB(p[2], p[1], p[0]);
    }
    bool operator==(const WindowPicture& o) const { return width == o.width && height == o.height && bits == o.bits; }

    // Once the window has painted: UPDATENOW sends the paints and waits for them, and the round
    // trip after it lets the window's thread go idle, which is when Wine puts its pixels on the
    // display.
    static WindowPicture Of(HWND wnd) {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, nullptr);
        RECT rc{};
        GetClientRect(wnd, &rc);
        WindowPicture p;
        p.width = rc.right;
        p.height = rc.bottom;
        HDC source = GetDC(wnd);
        HDC memory = CreateCompatibleDC(source);
        BITMAPINFO bi{};
        bi.bmiHeader = Header(p);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, p.width, p.height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const BYTE* from = static_cast<const BYTE*>(bits);
        p.bits.assign(from, from + static_cast<size_t>(p.Stride()) * p.height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(wnd, source);
        return p;
    }

    bool Save(const std::string& path) const {
        const BITMAPINFOHEADER ih = Header(*this);
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(fh) + sizeof(ih);
        fh.bfSize = fh.bfOffBits + ih.biSizeImage;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
        out.write(reinterpret_cast<const char*>(&ih), sizeof(ih));
        out.write(reinterpret_cast<const char*>(bits.data()), static_cast<std::streamsize>(bits.size()));
        return out.good();
    }

    // Empty where the file is missing or no picture of this kind.
    static WindowPicture Load(const std::string& path) {
        WindowPicture p;
        std::ifstream in(path, std::ios::binary);
        BITMAPFILEHEADER fh{};
        BITMAPINFOHEADER ih{};
        if (!in.read(reinterpret_cast<char*>(&fh), sizeof(fh)) || !in.read(reinterpret_cast<char*>(&ih), sizeof(ih)))
            return p;
        if (fh.bfType != 0x4D42 || ih.biBitCount != 24 || ih.biHeight <= 0 || ih.biCompression != BI_RGB) return p;
        p.width = ih.biWidth;
        p.height = ih.biHeight;
        p.bits.resize(static_cast<size_t>(p.Stride()) * p.height);
        in.seekg(fh.bfOffBits);
        if (!in.read(reinterpret_cast<char*>(p.bits.data()), static_cast<std::streamsize>(p.bits.size()))) return {};
        return p;
    }

private:
    static BITMAPINFOHEADER Header(const WindowPicture& p) {
        BITMAPINFOHEADER ih{};
        ih.biSize = sizeof(ih);
        ih.biWidth = p.width;
        ih.biHeight = p.height;
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        ih.biCompression = BI_RGB;
        ih.biSizeImage = static_cast<DWORD>(p.Stride() * p.height);
        return ih;
    }
};

}  // namespace testing
