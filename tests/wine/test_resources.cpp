// What NocTuro.exe carries: its version information, manifest, cursor and window pictures, read back
// from the file.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string ExePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/") + 1) + "NocTuro.exe";
}

std::string VersionString(const std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT len = 0;
    std::string path = std::string("\\StringFileInfo\\040C04E4\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &len) || !value) return "<none>";
    return std::string(value);
}

}  // namespace

TEST_CASE("the version information reads back as the program declares it") {
    const std::string exe = ExePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
    REQUIRE(size > 0);
    std::vector<char> info(size);
    REQUIRE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    REQUIRE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    CHECK(fixed->dwFileVersionMS == MAKELONG(5, 2));
    CHECK(fixed->dwFileVersionLS == 0);
    CHECK(fixed->dwProductVersionMS == MAKELONG(5, 2));
    CHECK(fixed->dwProductVersionLS == 0);

    WORD* translation = nullptr;
    REQUIRE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    CHECK(translation[0] == 0x040C);  // French

    CHECK(VersionString(info, "FileVersion") == "2.5.0.0");
    CHECK(VersionString(info, "ProductVersion") == "2.5");
    CHECK(VersionString(info, "FileDescription") == "Extinction de l'ordinateur");
    CHECK(VersionString(info, "Comments") == "Extinction automatique de l'ordinateur dans un labs de temps à définir");
    CHECK(VersionString(info, "InternalName") == "NocTuro");
    CHECK(VersionString(info, "ProductName") == "NocTuro");
}

std::string Manifest() {
    HMODULE exe = LoadLibraryExA(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(exe != nullptr);
    HRSRC res = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    REQUIRE(res != nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(exe, res)));
    std::string manifest(text, SizeofResource(exe, res));
    FreeLibrary(exe);
    return manifest;
}

TEST_CASE("the manifest asks for the version 6 common controls, as invoker") {
    const std::string manifest = Manifest();
    CHECK(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos);
    CHECK(manifest.find("version=\"6.0.0.0\"") != std::string::npos);
    CHECK(manifest.find("level=\"asInvoker\"") != std::string::npos);
    CHECK(manifest.find("supportedOS") != std::string::npos);
}

TEST_CASE("the manifest declares the window sharp at every monitor's scale") {
    const std::string manifest = Manifest();
    // Windows 10 reads the second, Windows 8.1 the first's "/pm", older systems its "true".
    CHECK(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>") != std::string::npos);
    CHECK(manifest.find(">true/pm</dpiAware>") != std::string::npos);
}

TEST_CASE("the hand cursor: 32 x 32, hot spot at the tip of the index finger") {
    HMODULE exe = LoadLibraryExA(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(exe != nullptr);
    HCURSOR cursor = static_cast<HCURSOR>(LoadImageA(exe, "CURSOR", IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    REQUIRE(cursor != nullptr);
    ICONINFO ii{};
    REQUIRE(GetIconInfo(cursor, &ii));
    CHECK(ii.xHotspot == 13);
    CHECK(ii.yHotspot == 5);
    BITMAP mask{};
    GetObjectA(ii.hbmMask, sizeof(mask), &mask);
    CHECK(mask.bmWidth == 32);
    CHECK(mask.bmHeight == (ii.hbmColor ? 32 : 64));  // a two-colour cursor keeps both masks in one
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyCursor(cursor);
    FreeLibrary(exe);
}

namespace {

// The window's pictures and their sizes at 100 %, 150 % (each side times 1.5, halves rounded up)
// and 200 %; the larger ones are stored as <NAME>_150 and <NAME>_200.
struct ScaledPicture {
    const char* name;
    SIZE at100, at150, at200;
};

const ScaledPicture kScaledPictures[] = {
    {"SWITCH_NORMAL", {33, 33}, {50, 50}, {66, 66}},  {"SWITCH_HOVER", {33, 33}, {50, 50}, {66, 66}},
    {"SWITCH_PRESSED", {33, 33}, {50, 50}, {66, 66}}, {"LISTEN_ALPHA", {16, 16}, {24, 24}, {32, 32}},
    {"LISTEN_PLAIN", {16, 16}, {24, 24}, {32, 32}},   {"FOLDER", {16, 16}, {24, 24}, {32, 32}},
    {"PALETTE", {16, 16}, {24, 24}, {32, 32}},        {"RESET", {8, 8}, {12, 12}, {16, 16}},
    {"INFO_LETTER", {7, 13}, {11, 20}, {14, 26}},     {"SMALL_CLOCK", {16, 16}, {24, 24}, {32, 32}},
    {"CLOCK_ALPHA", {32, 32}, {48, 48}, {64, 64}},    {"CLOCK_PLAIN", {32, 32}, {48, 48}, {64, 64}},
};

// One picture resource as the program loads it, and what a test needs of it.
struct LoadedPicture {
    bool found = false;
    int width = 0, height = 0, bitsPerPixel = 0;
    COLORREF bottomLeft = 0;  // a 24-bit picture's see-through colour
    double drawnArea = 0;     // in pixels: the alpha summed (32-bit) or the pixels not see-through (24-bit)
};

LoadedPicture LoadPicture(HMODULE exe, const std::string& name) {
    LoadedPicture out;
    auto bmp = static_cast<HBITMAP>(LoadImageA(exe, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) return out;
    out.found = true;
    DIBSECTION ds{};
    if (GetObjectA(bmp, sizeof(ds), &ds) == static_cast<int>(sizeof(ds))) {
        out.width = ds.dsBm.bmWidth;
        out.height = ds.dsBm.bmHeight;
        out.bitsPerPixel = ds.dsBm.bmBitsPixel;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    out.bottomLeft = GetPixel(dc, 0, out.height - 1);
    if (out.bitsPerPixel == 32 && ds.dsBm.bmBits) {
        const auto* bits = static_cast<const BYTE*>(ds.dsBm.bmBits);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) out.drawnArea += bits[y * ds.dsBm.bmWidthBytes + x * 4 + 3] / 255.0;
    } else {
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                if (GetPixel(dc, x, y) != out.bottomLeft) out.drawnArea += 1;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return out;
}

}  // namespace

TEST_CASE("each window picture comes at 150 % and 200 %: the same drawing, sides scaled, same depth and see-through colour") {
    HMODULE exe = LoadLibraryExA(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(exe != nullptr);
    for (const ScaledPicture& p : kScaledPictures) {
        const LoadedPicture base = LoadPicture(exe, p.name);
        INFO(std::string(p.name));
        REQUIRE(base.found);
        CHECK(base.width == p.at100.cx);
        CHECK(base.height == p.at100.cy);
        CHECK((base.bitsPerPixel == 24 || base.bitsPerPixel == 32));
        REQUIRE(base.drawnArea > 0);
        const struct {
            const char* suffix;
            SIZE size;
            double factor;
        } scales[] = {{"_150", p.at150, 1.5}, {"_200", p.at200, 2.0}};
        for (const auto& scale : scales) {
            const std::string name = std::string(p.name) + scale.suffix;
            INFO(name);
            const LoadedPicture big = LoadPicture(exe, name);
            REQUIRE(big.found);
            CHECK(big.width == scale.size.cx);
            CHECK(big.height == scale.size.cy);
            CHECK(big.bitsPerPixel == base.bitsPerPixel);
            if (base.bitsPerPixel == 24) CHECK(big.bottomLeft == base.bottomLeft);
            // The drawn area grows with the scale squared. Edges that fall between pixels at 150 %
            // shift the count by a few pixels; a picture drawn at the wrong scale would be off by a
            // factor of two or more.
            const double ratio = big.drawnArea / (base.drawnArea * scale.factor * scale.factor);
            CHECK(ratio > 0.75);
            CHECK(ratio < 1.25);
        }
    }
    FreeLibrary(exe);
}
