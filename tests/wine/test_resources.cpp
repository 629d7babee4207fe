// What NocTuro.exe carries: its version information, manifest and cursor, read back from the file.
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

TEST_CASE("the manifest asks for the version 6 common controls, as invoker") {
    HMODULE exe = LoadLibraryExA(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(exe != nullptr);
    HRSRC res = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    REQUIRE(res != nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(exe, res)));
    std::string manifest(text, SizeofResource(exe, res));
    CHECK(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos);
    CHECK(manifest.find("version=\"6.0.0.0\"") != std::string::npos);
    CHECK(manifest.find("level=\"asInvoker\"") != std::string::npos);
    CHECK(manifest.find("supportedOS") != std::string::npos);
    FreeLibrary(exe);
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
