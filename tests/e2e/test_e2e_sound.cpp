// The alert sound's panel as a person uses it: tick the option, choose a file in the real
// open-file dialog by typing its path, listen and stop, and the error for a file that is gone.
#include <doctest/doctest.h>

#include "E2eCommon.h"

using namespace e2e;

namespace {

// A short, valid wave file of silence in the temporary folder, removed at the end.
struct WaveFile {
    std::string path;
    explicit WaveFile(const char* name) {
        char dir[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        path = std::string(dir) + name;
        const DWORD samples = 4000;  // half a second at 8 kHz
        struct {
            char riff[4] = {'R', 'I', 'F', 'F'};
            DWORD size = 36 + samples;
            char wave[8] = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
            DWORD fmtSize = 16;
            WORD format = 1, channels = 1;
            DWORD rate = 8000, bytesPerSecond = 8000;
            WORD align = 1, bits = 8;
            char data[4] = {'d', 'a', 't', 'a'};
            DWORD dataSize = samples;
        } header;
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
        bytes.append(samples, '\x80');
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(f != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
    ~WaveFile() { DeleteFileA(path.c_str()); }
};

// The edit box of the open-file dialog where a file name is typed.
HWND FileNameField(HWND dialog) {
    for (HWND w : Descendants(dialog))
        if (ClassOf(w) == "Edit" && IsWindowVisible(w)) return w;
    return nullptr;
}

}  // namespace

TEST_CASE("choosing a sound in the open-file dialog, listening to it and stopping it") {
    WaveFile wave("noc_chime.wav");
    Stored s;
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);

    // Ticking the option with the mouse opens the sound panel.
    MouseClick(ControlById(form, noc::idCheckBox4), 4, 8);
    REQUIRE(WaitUntil([&] { return IsShown(ControlById(form, noc::idPanel2)); }, kLong));

    MouseClick(ControlById(form, noc::idImage12), 8, 8);
    HWND dialog = nullptr;
    REQUIRE(WaitUntil(
        [&] {
            dialog = FindTopWindow(prog.Id(), "#32770", "Sélection du fichier son à jouer avant l'extinction", true);
            return dialog != nullptr;
        },
        kLong));
    HWND field = FileNameField(dialog);
    REQUIRE(field != nullptr);
    Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wave.path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(dialog); }, kLong));
    CHECK(WaitUntil([&] { return TextOf(form, noc::idLabel14) == wave.path; }, kLong));

    // Listen, stop, listen again: a file that opens gives no message.
    for (int i = 0; i < 3; ++i) MouseClick(ControlById(form, noc::idImage11), 6, 8);
    CHECK(NoMessageBoxWithin(prog, kShort));

    // Closing the panel and storing: the chosen sound is what the next start finds.
    Click(ControlById(form, noc::idButton6));
    REQUIRE(WaitUntil([&] { return !IsShown(ControlById(form, noc::idPanel2)); }, kLong));
    Click(ControlById(form, noc::idSpeedButton3));  // "Quitter" saves
    REQUIRE(prog.WaitExit(kLong).has_value());
    CHECK(ReadSetting("Son").value_or("") == wave.path);
    CHECK(ReadSetting("Alerte").value_or("") == "oui");
}

TEST_CASE("listening to a sound file that is gone tells the media system's error") {
    Stored s;
    s.Son = "C:\\gone\\nothing.wav";  // not found at start: the label keeps its placeholder
    WriteAll(s);
    Program prog;
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    MouseClick(ControlById(form, noc::idImage10), 6, 8);
    auto box = WaitForMessageBox(prog.Id(), kLong);
    REQUIRE(box.has_value());
    CHECK(box->caption == "NocTuro");
    CHECK_FALSE(box->text.empty());
    DismissMessageBox(box->wnd);
    // The flag stayed down: the next click tries to open again, and fails again.
    MouseClick(ControlById(form, noc::idImage10), 6, 8);
    CHECK(WaitForMessageBox(prog.Id(), kLong).has_value());
}
