// The alert sound in the main window: choosing the file, listening, the sound panel, and the report
// of an alert file that cannot be opened.
#include <doctest/doctest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "TestFiles.h"
#include "framework/Handles.h"
#include "tray/IconPixels.h"

using namespace testing;
using noc::TForm2;

namespace {

std::string ReportText(DWORD mciError) {
    char buf[4096] = {};
    mciGetErrorStringA(mciError, buf, sizeof(buf));
    std::string text = buf;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

void Press(noc::TControl* c, UINT down, UINT up) {
    SendMessageA(c->Handle(), down, down == WM_KEYDOWN ? VK_SPACE : 0, down == WM_KEYDOWN ? 0 : MAKELPARAM(4, 4));
    SendMessageA(c->Handle(), up, up == WM_KEYUP ? VK_SPACE : 0, up == WM_KEYUP ? 0 : MAKELPARAM(4, 4));
}

// What a control draws, pixel by pixel (0x00RRGGBB): its client area rendered into a bitmap that
// starts magenta, so that a pixel it leaves undrawn shows.
std::vector<uint32_t> Rendered(const noc::TControl& c) {
    noc::TPixelBitmap canvas(c.Width(), c.Height());
    canvas.Fill(0xFF00FF);
    noc::UniqueMemDc dc(CreateCompatibleDC(nullptr));
    {
        noc::SelectGuard surface(dc.get(), canvas.bitmap.get());
        SendMessageA(c.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
    }
    GdiFlush();
    std::vector<uint32_t> out;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) out.push_back(canvas.Pixel(x, y));
    return out;
}

// A text drawn by DrawText on one line in a label's font and colours, in a box of the label's
// height and of that width.
std::vector<uint32_t> DrawnLikeLabel(const noc::TLabel& label, const std::string& text, UINT align, int width) {
    noc::TPixelBitmap canvas(width, label.Height());
    canvas.Fill(noc::PixelOf(GetSysColor(COLOR_BTNFACE)));
    noc::UniqueMemDc dc(CreateCompatibleDC(nullptr));
    {
        noc::SelectGuard surface(dc.get(), canvas.bitmap.get());
        noc::SelectGuard font(dc.get(), label.Font());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), noc::ColorToRGB(label.FontColor()));
        RECT box{0, 0, width, label.Height()};
        DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_NOPREFIX | align);
    }
    GdiFlush();
    std::vector<uint32_t> out;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) out.push_back(canvas.Pixel(x, y));
    return out;
}

// The columns that hold a pixel other than the background, of a picture `width` wide.
std::vector<int> InkColumns(const std::vector<uint32_t>& pixels, int width) {
    const uint32_t face = noc::PixelOf(GetSysColor(COLOR_BTNFACE));
    std::vector<int> columns;
    for (int x = 0; x < width; ++x)
        for (size_t i = static_cast<size_t>(x); i < pixels.size(); i += static_cast<size_t>(width))
            if (pixels[i] != face) {
                columns.push_back(x);
                break;
            }
    return columns;
}

// The pixels of the columns from `first` on, of a picture `width` wide.
std::vector<uint32_t> Columns(const std::vector<uint32_t>& pixels, int width, int first) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < pixels.size(); ++i)
        if (static_cast<int>(i % static_cast<size_t>(width)) >= first) out.push_back(pixels[i]);
    return out;
}

}  // namespace

TEST_CASE("choosing the sound file") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    std::string title, filter, folder, chosen;
    HWND owner = nullptr;
    rec.fileAnswer = [&](OPENFILENAMEA& r) {
        title = r.lpstrTitle;
        filter.clear();
        for (const char* p = r.lpstrFilter; *p; p += strlen(p) + 1) filter += std::string(p) + "|";
        folder = r.lpstrInitialDir ? r.lpstrInitialDir : "";
        owner = r.hwndOwner;
        if (chosen.empty()) return false;
        lstrcpynA(r.lpstrFile, chosen.c_str(), static_cast<int>(r.nMaxFile));
        return true;
    };

    SUBCASE("the dialog starts in the current file's folder; a cancel changes nothing") {
        for (auto [caption, expected] :
             {std::pair{"Chemin du fichier...", ""}, std::pair{"C:\\sons\\a.wav", "C:\\sons\\"},
              std::pair{"Z:/tmp/b.mid", "Z:/tmp/"}, std::pair{"D:c.mp3", "D:"}}) {
            form->Label14->SetCaption(caption);
            form->MediaPlayer1->Tag = 1;
            form->Image12Click(form->Image12);
            CHECK(folder == expected);
            CHECK(form->Label14->Caption() == caption);
            CHECK(form->MediaPlayer1->Tag == 1);
        }
        CHECK(title == "Sélection du fichier son à jouer avant l'extinction");
        CHECK(filter == "Fichiers sons (Wave, Midi, Mp3)|*.wav;*.mid;*.mp3|");
        CHECK(owner == form->Handle());
        CHECK(rec.Dialogs().size() == 4);
    }
    SUBCASE("a confirmed file: the path laid out, a playing sound stopped, the flag cleared") {
        const std::string wave = WriteWave("listen.wav");
        form->Label14->SetCaption(wave);
        form->Image10Click(form->Image10);
        REQUIRE(form->MediaPlayer1->Tag == 1);

        chosen = "C:\\un dossier aux sons très nombreux\\et un nom de fichier bien trop long.wav";
        form->Image12Click(form->Image12);
        CHECK(form->Label14->Caption() == chosen);
        CHECK(form->Label14->Width() == 120);
        CHECK(form->Label14->Left() == 18);
        CHECK(form->Label18->Visible());
        CHECK(form->MediaPlayer1->Tag == 0);
        CHECK(form->MediaPlayer1->Error() == 0u);  // the stop went through

        // Back to a short one: the label sizes itself again.
        chosen = "C:\\a.wav";
        form->Image12Click(form->Image12);
        CHECK(form->Label14->Caption() == chosen);
        CHECK(form->Label14->AutoSize());
        CHECK(form->Label14->Width() < 120);
        CHECK(form->Label14->Left() == 7);
        CHECK(form->Label14->Alignment() == noc::taLeftJustify);
        CHECK_FALSE(form->Label18->Visible());
        CHECK(rec.Boxes().empty());
        DeleteFileA(wave.c_str());
    }
    SUBCASE("before anything was ever opened: the label changes, silently") {
        chosen = "C:\\b.wav";
        form->Image12Click(form->Image12);
        CHECK(form->Label14->Caption() == chosen);
        CHECK(form->MediaPlayer1->Tag == 0);
        CHECK(rec.Boxes().empty());
    }
}

TEST_CASE("the sound label shows the end of a long path and a short path whole") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    std::string chosen;
    rec.fileAnswer = [&](OPENFILENAMEA& r) {
        lstrcpynA(r.lpstrFile, chosen.c_str(), static_cast<int>(r.nMaxFile));
        return true;
    };
    auto choose = [&](const std::string& path) {
        chosen = path;
        form->Image12Click(form->Image12);
        REQUIRE(form->Label14->Caption() == path);  // the label's text stays the whole path
    };
    noc::TLabel& label = *form->Label14;
    const std::string shortPath = "C:\\a.wav";
    choose(shortPath);
    const std::vector<uint32_t> shortLook = Rendered(label);
    // A short path is drawn by the system's static, as any label.
    noc::TLabel plain(nullptr, form->Panel2, 0, 50, shortPath);
    plain.SetFontColor(label.FontColor());
    CHECK(Rendered(plain) == shortLook);
    CHECK(label.Left() == 7);

    // Blanks in it: the static would break the path there and show its start.
    const std::string longPath = "C:\\Program Files\\NocTuro\\Alerte.mp3";
    choose(longPath);
    REQUIRE(label.TextExtent().cx > 120);
    REQUIRE(label.Width() == 120);
    REQUIRE(label.Left() == 18);
    CHECK(form->Label18->Visible());
    const std::vector<uint32_t> longLook = Rendered(label);
    CHECK(longLook == DrawnLikeLabel(label, longPath, DT_RIGHT, 120));
    // What shows is the end of the path, the file name last, as the whole path drawn on one line
    // ends (under Wine the glyphs run narrower than measured, so the end stands some pixels from
    // the edge); its start is cut off at the label's left edge.
    const int whole = label.TextExtent().cx;
    CHECK(longLook == Columns(DrawnLikeLabel(label, longPath, DT_LEFT, whole), whole, whole - 120));
    const std::vector<int> ink = InkColumns(longLook, 120);
    REQUIRE_FALSE(ink.empty());
    CHECK(ink.front() <= 3);

    // Back to a short path: exactly as before.
    choose(shortPath);
    CHECK(label.Left() == 7);
    CHECK(label.Width() == label.TextExtent().cx);
    CHECK_FALSE(form->Label18->Visible());
    CHECK(Rendered(label) == shortLook);
}

TEST_CASE("the listen icons play and stop the chosen file") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    const std::string wave = WriteWave("toggle.wav");

    SUBCASE("a click plays, the next one stops, the one after plays again") {
        form->Label14->SetCaption(wave);
        form->Image10Click(form->Image10);
        CHECK(form->MediaPlayer1->Tag == 1);
        CHECK(form->MediaPlayer1->IsOpen());
        CHECK(form->MediaPlayer1->FileName == wave);
        form->Image11Click(form->Image11);
        CHECK(form->MediaPlayer1->Tag == 0);
        CHECK(form->MediaPlayer1->IsOpen());  // stopped, not closed
        form->Image11Click(form->Image11);
        CHECK(form->MediaPlayer1->Tag == 1);
        CHECK(rec.Boxes().empty());
    }
    SUBCASE("a file that cannot be opened: one general report, the flag stays 0") {
        DWORD error = MCIERR_FILE_NOT_FOUND;
        SUBCASE("missing file") { form->Label14->SetCaption(TempPath("missing.wav")); }
        SUBCASE("the placeholder") { error = 0; }
        // A real click, so that the report comes from the handler's guard.
        Press(form->Image10, WM_LBUTTONDOWN, WM_LBUTTONUP);
        REQUIRE(rec.Boxes().size() == 1);
        if (error) CHECK(rec.Boxes()[0].text == ReportText(error));
        CHECK_FALSE(rec.Boxes()[0].text.empty());
        CHECK(rec.Boxes()[0].caption == "NocTuro");
        CHECK((rec.Boxes()[0].flags & MB_ICONSTOP) == MB_ICONSTOP);
        CHECK(form->MediaPlayer1->Tag == 0);
        CHECK_FALSE(form->MediaPlayer1->IsOpen());
    }
    DeleteFileA(wave.c_str());
}

TEST_CASE("the sound panel opens on a mouse release over the ticked box, not from the keyboard") {
    StoredSettings().Write();
    auto form = MakeForm2();
    form->Show();
    SeamRecorder rec;
    auto panelOpen = [&] {
        return form->Panel2->Visible() && !form->Image10->Visible() && !form->Shape1->Visible() &&
               !form->Image4->Visible();
    };
    SUBCASE("a left click ticks the box and opens the panel; OK closes it") {
        Press(form->CheckBox4, WM_LBUTTONDOWN, WM_LBUTTONUP);
        CHECK(form->CheckBox4->Checked());
        CHECK(panelOpen());
        form->Button6Click(form->Button6);
        CHECK_FALSE(form->Panel2->Visible());
        CHECK(form->Image10->Visible());
        CHECK(form->Shape1->Visible());
    }
    SUBCASE("a right click on the ticked box opens it again") {
        form->CheckBox4->SetChecked(true);
        Press(form->CheckBox4, WM_RBUTTONDOWN, WM_RBUTTONUP);
        CHECK(form->CheckBox4->Checked());
        CHECK(panelOpen());
    }
    SUBCASE("on the unticked box a release does nothing") {
        Press(form->CheckBox4, WM_RBUTTONDOWN, WM_RBUTTONUP);
        CHECK_FALSE(form->CheckBox4->Checked());
        CHECK_FALSE(form->Panel2->Visible());
        CHECK(form->Image10->Visible());
    }
    SUBCASE("the space bar ticks the box without opening the panel") {
        form->CheckBox4->SetFocus();
        Press(form->CheckBox4, WM_KEYDOWN, WM_KEYUP);
        CHECK(form->CheckBox4->Checked());
        CHECK_FALSE(form->Panel2->Visible());
    }
}

namespace {

// The message box of this thread on screen, if any.
HWND BoxOnScreen() {
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) {
            char cls[16] = "";
            GetClassNameA(w, cls, sizeof(cls));
            if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) *reinterpret_cast<HWND*>(p) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box;
}

// Shows message boxes for real, owned as the program asks, and remembers how each went.
struct RealBoxes : SeamRecorder {
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
        SeamRecorder::ShowMessageBox(owner, text, caption, flags);
        owners.push_back(owner);
        up = true;
        answer = noc::SystemSeam::ShowMessageBox(owner, text, caption, flags);
        up = false;
        return answer;
    }
    BOOL RequestExitWindows(UINT flags, DWORD reason) override {
        shutdownBehindBox = up;
        boxGoneAtShutdown = BoxOnScreen() == nullptr;
        return SeamRecorder::RequestExitWindows(flags, reason);
    }
    std::vector<HWND> owners;
    int answer = 0;
    bool up = false, shutdownBehindBox = false, boxGoneAtShutdown = false;
};

// What a look at the screen finds while the box is up; the test may cancel from there.
struct BoxWatch {
    static inline TForm2* form = nullptr;
    static inline bool cancel = false, seen = false, ownerEnabled = false, inFront = false, keyboard = false,
                              forced = false;
    static inline int32_t secondsAtFirstLook = 0;
    static inline DWORD since = 0;
    static void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD) {
        const HWND box = BoxOnScreen();
        if (!box) return;
        // Owned by the countdown's window, above it and with the keyboard, for as long as it is up,
        // while the final warning brings that window back every tick.
        bool above = false;
        if (GetWindow(box, GW_OWNER) == form->Handle())
            for (HWND w = GetWindow(box, GW_HWNDNEXT); w && !above; w = GetWindow(w, GW_HWNDNEXT))
                above = w == form->Handle();
        inFront = (seen ? inFront : true) && above;
        keyboard = (seen ? keyboard : true) && GetActiveWindow() == box;
        if (!seen) {
            seen = true;
            ownerEnabled = IsWindowEnabled(form->Handle()) != FALSE;
            secondsAtFirstLook = form->Counters.Seconds;
        }
        // Cancelled once a tick has brought the window back behind the box.
        if (cancel && form->Counters.Seconds != secondsAtFirstLook && form->Chronos1->Enabled())
            form->CancelCountdown();
        if (GetTickCount() - since > 15000) {  // never left hanging
            forced = true;
            EndDialog(box, IDOK);
        }
    }
};

}  // namespace

TEST_CASE_FIXTURE(FreshApplication,
                  "an alert file that cannot be opened is reported in front of the countdown and goes with it") {
    StoredSettings s;
    s.Alerte = "oui";
    s.Delai = 5;
    s.Write();
    RealBoxes rec;
    BoxWatch::cancel = false;
    SUBCASE("the countdown goes on to zero behind the box, and the close at zero takes it away") {}
    SUBCASE("a cancel takes it away") { BoxWatch::cancel = true; }
    auto form = MakeForm2("NocTuro.exe * 0 0 0 7");
    // The same worker, ticking every 300 ms instead of every second: the five seconds between the
    // report and zero last 1.5 s, time enough for a busy machine to show the box and look at it
    // (at 100 ms, with other tests running beside, zero came before the first look).
    form->Chronos1->SetInterval(300);
    BoxWatch::form = form.get();
    BoxWatch::seen = BoxWatch::forced = false;
    BoxWatch::since = GetTickCount();
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &BoxWatch::Look);
    const bool done = PumpUntil([&] { return rec.answer != 0 || !rec.Shutdowns().empty(); }, 12000);
    KillTimer(nullptr, timer);
    REQUIRE(done);
    CHECK_FALSE(BoxWatch::forced);
    REQUIRE(rec.Boxes().size() == 1);
    CHECK(rec.Boxes()[0].text == ReportText(form->MediaPlayer1->Error()));
    CHECK(rec.Boxes()[0].caption == "NocTuro");
    CHECK((rec.Boxes()[0].flags & MB_ICONSTOP) == MB_ICONSTOP);
    CHECK(rec.owners[0] == form->Handle());
    CHECK(BoxWatch::seen);
    CHECK(BoxWatch::inFront);
    CHECK(BoxWatch::keyboard);
    CHECK(BoxWatch::ownerEnabled);  // "Annuler" stays within reach
    CHECK(rec.answer == IDOK);
    if (BoxWatch::cancel) {
        CHECK_FALSE(form->Chronos1->Enabled());
        CHECK(rec.Shutdowns().empty());
    } else {
        CHECK(rec.Shutdowns().size() == 1);
        CHECK(rec.shutdownBehindBox);
        CHECK(rec.boxGoneAtShutdown);  // taken away by the close, before the shutdown request
    }
    CHECK(form->MediaPlayer1->Tag == 0);
}
