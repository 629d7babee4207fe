// The alert sound's player: a real device of the media system, driven through its commands.
#include <doctest/doctest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/MediaPlayer.h"
#include "Pump.h"
#include "framework/Application.h"

namespace {

void Put16(std::vector<char>& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::vector<char>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}
void PutTag(std::vector<char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::string TempFolder() {
    char buf[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(buf), buf);
    return buf;
}

// Writes a mono 16-bit PCM sine tone of the given length and returns its path.
std::string WriteTone(const std::string& name, double seconds) {
    const uint32_t rate = 22050;
    const uint32_t samples = static_cast<uint32_t>(rate * seconds);
    const uint32_t dataBytes = samples * 2;
    std::vector<char> out;
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, rate);
    Put32(out, rate * 2);  // bytes a second
    Put16(out, 2);         // block align
    Put16(out, 16);        // bits a sample
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (uint32_t i = 0; i < samples; ++i) {
        double v = std::sin(2.0 * 3.14159265358979 * 880.0 * i / rate) * 8000.0;
        Put16(out, static_cast<uint16_t>(static_cast<int16_t>(v)));
    }
    std::string path = TempFolder() + "noc_" + std::to_string(GetCurrentProcessId()) + "_" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    REQUIRE(f != nullptr);
    REQUIRE(std::fwrite(out.data(), 1, out.size(), f) == out.size());
    std::fclose(f);
    return path;
}

// Whether `id` still names an open device.
bool DeviceAnswers(MCIDEVICEID id) {
    MCI_STATUS_PARMS parms{};
    parms.dwItem = MCI_STATUS_MODE;
    return mciSendCommandA(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&parms)) == 0;
}

std::string MciText(DWORD code) {
    char buf[4096] = {};
    mciGetErrorStringA(code, buf, sizeof(buf));
    return buf;
}

// Records the completion notices that reach the player's window, then lets it handle them.
struct NoticeSpy {
    static WNDPROC oldProc;
    static std::vector<WPARAM> notices;
    static std::vector<LPARAM> devices;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == MM_MCINOTIFY) {
            notices.push_back(wp);
            devices.push_back(lp);
        }
        return CallWindowProcA(oldProc, wnd, msg, wp, lp);
    }
    explicit NoticeSpy(HWND wnd) : wnd_(wnd) {
        notices.clear();
        devices.clear();
        oldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NoticeSpy::Proc)));
    }
    ~NoticeSpy() { SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc)); }
    NoticeSpy(const NoticeSpy&) = delete;
    NoticeSpy& operator=(const NoticeSpy&) = delete;
    HWND wnd_;
};
WNDPROC NoticeSpy::oldProc = nullptr;
std::vector<WPARAM> NoticeSpy::notices;
std::vector<LPARAM> NoticeSpy::devices;

}  // namespace

TEST_CASE("media player") {
    noc::Application().Initialize();
    const std::string beep = WriteTone("beep.wav", 1.5);
    const std::string chime = WriteTone("chime.wav", 0.2);

    SUBCASE("a new player is closed and has its own hidden window") {
        noc::TMediaPlayer player(nullptr);
        CHECK_FALSE(player.IsOpen());
        CHECK(player.DeviceId() == 0u);
        CHECK(player.FileName.empty());
        CHECK_FALSE(player.AutoOpen);
        REQUIRE(player.Handle() != nullptr);
        CHECK(IsWindow(player.Handle()));
        CHECK_FALSE(IsWindowVisible(player.Handle()));
        CHECK(player.Tag == 0);
    }

    SUBCASE("belongs to its owner") {
        noc::TComponent owner(nullptr);
        auto* player = new noc::TMediaPlayer(&owner);
        CHECK(owner.ComponentCount() == 1);
        CHECK(owner.Component(0) == player);
    }

    SUBCASE("open, play, the notice, stop and close") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = beep;
        player.Open();
        REQUIRE(player.IsOpen());
        CHECK(player.DeviceId() != 0u);
        CHECK(player.Error() == 0u);
        CHECK(DeviceAnswers(player.DeviceId()));

        NoticeSpy spy(player.Handle());
        const DWORD start = GetTickCount();
        player.Play();
        const DWORD took = GetTickCount() - start;
        CHECK(took < 1500u);  // returns before the 1.5 s of sound are over
        CHECK(player.IsOpen());

        testing::PumpUntil([] { return !NoticeSpy::notices.empty(); });
        REQUIRE(NoticeSpy::notices.size() == 1u);
        CHECK(static_cast<MCIDEVICEID>(NoticeSpy::devices[0]) == player.DeviceId());
        const WPARAM n = NoticeSpy::notices[0];
        CHECK((n == MCI_NOTIFY_SUCCESSFUL || n == MCI_NOTIFY_FAILURE || n == MCI_NOTIFY_ABORTED ||
               n == MCI_NOTIFY_SUPERSEDED));
        // Nothing reacts to the notice: the player stays open and the flag stays as it was.
        CHECK(player.IsOpen());
        CHECK(player.Tag == 0);

        player.Stop();
        CHECK(player.Error() == 0u);
        CHECK(player.IsOpen());

        const MCIDEVICEID id = player.DeviceId();
        player.Close();
        CHECK_FALSE(player.IsOpen());
        CHECK(player.DeviceId() == 0u);
        CHECK(player.Error() == 0u);
        CHECK_FALSE(DeviceAnswers(id));
    }

    SUBCASE("the playing flag belongs to the program") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = beep;
        player.Tag = 1;
        player.Open();
        player.Play();
        CHECK(player.Tag == 1);
        REQUIRE(testing::QueueDrained());  // whatever the start of the play posted, handled
        player.Stop();
        player.Close();
        CHECK(player.Tag == 1);
    }

    SUBCASE("play again after stop") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = chime;
        player.Open();
        player.Play();
        player.Stop();
        player.Play();
        REQUIRE(testing::QueueDrained());
        player.Close();
        CHECK_FALSE(player.IsOpen());
    }

    SUBCASE("opening a second file closes the first device") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = beep;
        player.Open();
        const MCIDEVICEID first = player.DeviceId();
        REQUIRE(DeviceAnswers(first));
        player.FileName = chime;
        player.Open();
        REQUIRE(player.IsOpen());
        const MCIDEVICEID second = player.DeviceId();
        CHECK(DeviceAnswers(second));
        // Device numbers are unique among open devices; a reused number means the first was closed.
        if (second != first) CHECK_FALSE(DeviceAnswers(first));
        player.Close();
        CHECK_FALSE(DeviceAnswers(second));
    }

    SUBCASE("reopening the same file") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = beep;
        player.Open();
        player.Open();
        CHECK(player.IsOpen());
        player.Close();
        player.Open();
        CHECK(player.IsOpen());
    }

    SUBCASE("a missing file fails with the media system's text") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = TempFolder() + "noc_no_such_sound.wav";
        std::string text;
        CHECK_THROWS_AS(
            [&] {
                try {
                    player.Open();
                } catch (const noc::EMCIDeviceError& e) {
                    text = e.what();
                    throw;
                }
            }(),
            noc::EMCIDeviceError);
        CHECK_FALSE(player.IsOpen());
        CHECK(player.DeviceId() == 0u);
        CHECK(player.Error() == static_cast<DWORD>(MCIERR_FILE_NOT_FOUND));
        CHECK_FALSE(text.empty());
        CHECK(text == MciText(MCIERR_FILE_NOT_FOUND));
    }

    SUBCASE("a failed open leaves the earlier device closed") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = beep;
        player.Open();
        const MCIDEVICEID first = player.DeviceId();
        player.FileName = TempFolder() + "noc_no_such_sound.wav";
        CHECK_THROWS_AS(player.Open(), noc::EMCIDeviceError);
        CHECK_FALSE(player.IsOpen());
        CHECK_FALSE(DeviceAnswers(first));
    }

    SUBCASE("the placeholder text of the file field is no file") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = "Chemin du fichier...";
        std::string text;
        try {
            player.Open();
            FAIL("the open succeeded");
        } catch (const noc::EMCIDeviceError& e) {
            text = e.what();
        }
        CHECK_FALSE(text.empty());
        CHECK(player.Error() != 0u);
        CHECK(text == MciText(player.Error()));
        CHECK_FALSE(player.IsOpen());
    }

    SUBCASE("an empty file name fails") {
        noc::TMediaPlayer player(nullptr);
        CHECK_THROWS_AS(player.Open(), noc::EMCIDeviceError);
        CHECK_FALSE(player.IsOpen());
    }

    SUBCASE("play needs an open device; a stop without one does nothing") {
        noc::TMediaPlayer player(nullptr);
        player.FileName = beep;  // set but never opened: the player opens nothing by itself
        player.AutoOpen = true;
        CHECK_THROWS_AS(player.Play(), noc::EMCIDeviceError);
        CHECK_NOTHROW(player.Stop());
        CHECK(player.Error() == 0u);
        CHECK_FALSE(player.IsOpen());
        try {
            player.Play();
        } catch (const noc::EMCIDeviceError& e) {
            CHECK_FALSE(std::string(e.what()).empty());
        }
        player.Open();
        player.Close();
        CHECK_THROWS_AS(player.Play(), noc::EMCIDeviceError);
        CHECK_NOTHROW(player.Stop());
        // A failed open leaves nothing open either.
        player.Open();
        player.FileName = beep + ".absent.wav";
        CHECK_THROWS_AS(player.Open(), noc::EMCIDeviceError);
        CHECK_FALSE(player.IsOpen());
        CHECK_NOTHROW(player.Stop());
        CHECK_NOTHROW(player.Close());
    }

    SUBCASE("close when not open does nothing") {
        noc::TMediaPlayer player(nullptr);
        CHECK_NOTHROW(player.Close());
        CHECK_NOTHROW(player.Close());
        CHECK_FALSE(player.IsOpen());
        CHECK(player.Error() == 0u);
    }

    SUBCASE("destruction closes an open device") {
        MCIDEVICEID id = 0;
        HWND wnd = nullptr;
        {
            auto* player = new noc::TMediaPlayer(nullptr);
            player->FileName = beep;
            player->Open();
            player->Play();
            id = player->DeviceId();
            wnd = player->Handle();
            REQUIRE(DeviceAnswers(id));
            delete player;
        }
        CHECK_FALSE(IsWindow(wnd));
        CHECK_FALSE(DeviceAnswers(id));
        // A late notice for the destroyed window is harmless.
        REQUIRE(testing::QueueDrained());

        noc::TMediaPlayer again(nullptr);
        again.FileName = beep;
        CHECK_NOTHROW(again.Open());
        CHECK(again.IsOpen());
    }

    SUBCASE("an owner's destruction closes the device") {
        MCIDEVICEID id = 0;
        {
            noc::TComponent owner(nullptr);
            auto* player = new noc::TMediaPlayer(&owner);
            player->FileName = chime;
            player->Open();
            id = player->DeviceId();
        }
        CHECK_FALSE(DeviceAnswers(id));
    }

    DeleteFileA(beep.c_str());
    DeleteFileA(chime.c_str());
}
