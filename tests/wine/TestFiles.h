#pragma once
// Files that the Win32 tests make for themselves in the temporary folder.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace testing {

// A path in the temporary folder, private to this test process.
inline std::string TempPath(const char* name) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "noc_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

// Two seconds of 16-bit mono silence: enough for the media system to open and play it.
inline std::string WriteWave(const char* name) {
    const uint32_t rate = 8000, bytes = rate * 2 * 2;
    const uint32_t header[] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16,   0x00010001,
                               rate,       rate * 2,   0x00100002, 0x61746164, bytes};
    const std::string path = TempPath(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    REQUIRE(f != nullptr);
    std::fwrite(header, sizeof(header), 1, f);
    for (uint32_t i = 0; i < bytes; ++i) std::fputc(0, f);
    std::fclose(f);
    return path;
}

}  // namespace testing
