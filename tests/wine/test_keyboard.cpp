// The window used from the keyboard alone: Tab's order, the dial's fields, the switch and the
// clickable images, the option boxes, Enter and Escape, and the program icon selected from the
// keyboard. Keys go through the application's message loop as the system queues them, to the
// control that has the keyboard focus.
#include <doctest/doctest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "app/Form2Ids.h"
#include "framework/Handles.h"
#include "settings/StartupEntry.h"
#include "tray/IconPixels.h"

using namespace testing;
using noc::TControl;
using noc::TForm2;

namespace {

const char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kEmptyDial[] = "\r\nVous n'avez pas réglé le Chrono !";

TControl* Focused() { return TControl::FromHandle(GetFocus()); }

// A key pressed and released where the keyboard focus is; returns once everything it brought,
// the characters it was translated into included, has been handled.
void Press(UINT key) {
    const HWND target = GetFocus();
    REQUIRE(target != nullptr);
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYDOWN, key, scan | 1);
    PostMessageA(target, WM_KEYUP, key, scan | 0xC0000001);
    REQUIRE(QueueDrained());
    REQUIRE(QueueDrained());
}

// The shift key held down, for the dialog manager and the translation into characters, while
// this lives.
class ShiftHeld {
public:
    ShiftHeld() {
        GetKeyboardState(saved_);
        BYTE held[256];
        GetKeyboardState(held);
        held[VK_SHIFT] |= 0x80;
        SetKeyboardState(held);
    }
    ~ShiftHeld() { SetKeyboardState(saved_); }
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

private:
    BYTE saved_[256];
};

// Characters typed one after the other, each with its key (and Shift for a capital).
void Type(const std::string& text) {
    for (char c : text) {
        const SHORT key = VkKeyScanA(c);
        std::optional<ShiftHeld> shift;
        if (HIBYTE(key) & 1) shift.emplace();
        Press(LOBYTE(key));
    }
}

// The controls that Tab (or Shift+Tab) brings the focus to, one press after the other.
std::vector<TControl*> Tabs(size_t presses) {
    std::vector<TControl*> reached;
    for (size_t i = 0; i < presses; ++i) {
        Press(VK_TAB);
        reached.push_back(Focused());
    }
    return reached;
}

// The program's window shown, with the keyboard on the window itself.
std::unique_ptr<TForm2> ShownForm(const StoredSettings& s = {}) {
    s.Write();
    auto form = MakeForm2();
    form->Show();
    REQUIRE(GetActiveWindow() == form->Handle());
    SetFocus(form->Handle());
    return form;
}

// A countdown of five minutes started: the window in the notification area.
void StartFiveMinutes(TForm2& f) {
    SetDial(f, 0, 0, 5, 0);
    f.StartCountdown();
    REQUIRE_FALSE(IsWindowVisible(f.Handle()));
}

// A click of the mouse on the upper or lower arrow of a pair.
void ClickArrow(const noc::TUpDown& arrows, bool up) {
    RECT rc{};
    GetClientRect(arrows.Handle(), &rc);
    const LPARAM at = MAKELPARAM(rc.right / 2, up ? 2 : rc.bottom - 3);
    SendMessageA(arrows.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(arrows.Handle(), WM_LBUTTONUP, 0, at);
}

std::vector<std::pair<std::string, std::string>> OurRunValues() {
    std::vector<std::pair<std::string, std::string>> found;
    const UniqueRegKey key = OpenKey(HKEY_LOCAL_MACHINE, kRunPath);
    if (!key) return found;
    char data[1024];
    DWORD size = sizeof(data), type = 0;
    if (RegQueryValueExA(key.get(), "NocTuro", nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
        found.emplace_back("NocTuro", std::string(data));
    return found;
}

}  // namespace

TEST_CASE_FIXTURE(FreshApplication, "Tab goes through the controls in reading order, Shift+Tab back") {
    auto form = ShownForm();
    TForm2& f = *form;
    SUBCASE("the set-up panel, then the bottom row, and round again") {
        const std::vector<TControl*> expected{f.MaskEdit4, f.MaskEdit1, f.MaskEdit2, f.MaskEdit3,    f.Image8,
                                              f.MyImage1,  f.Image13,   f.CheckBox1, f.CheckBox4,    f.CheckBox3,
                                              f.CheckBox2, f.Image10,   f.Image4,    f.Image7,       f.SpeedButton3,
                                              f.MaskEdit4};
        CHECK(Tabs(expected.size()) == expected);
        const ShiftHeld shift;
        CHECK(Tabs(3) == std::vector<TControl*>{f.SpeedButton3, f.Image7, f.Image4});
    }
    SUBCASE("the countdown panel: Réduire, +10 min and Annuler; Quitter, behind Annuler, is out of the way") {
        SetDial(f, 0, 0, 5, 0);
        f.StartCountdown();
        f.NotifyIcon1Click(f.NotifyIcon1);
        SetFocus(f.Handle());
        CHECK(Tabs(4) == std::vector<TControl*>{f.SpeedButton1, f.SpeedButton4, f.SpeedButton2, f.SpeedButton1});
        CHECK_FALSE(IsWindowVisible(f.SpeedButton3->Handle()));
        f.SpeedButton2Click(f.SpeedButton2);
        CHECK(IsWindowVisible(f.SpeedButton3->Handle()));
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the dial's fields take digits, and the arrow keys as the arrows") {
    auto form = ShownForm();
    TForm2& f = *form;
    SUBCASE("two digits typed are the field's value, within its range") {
        const struct {
            noc::TMaskEdit* field;
            noc::TUpDown* arrows;
            const char* typed;
            const char* shown;
        } cases[] = {
            {f.MaskEdit4, f.UpDown4, "31", "31"}, {f.MaskEdit4, f.UpDown4, "32", "02"}, {f.MaskEdit1, f.UpDown1, "23", "23"},
            {f.MaskEdit1, f.UpDown1, "75", "05"}, {f.MaskEdit2, f.UpDown2, "15", "15"}, {f.MaskEdit2, f.UpDown2, "7x", "07"},
            {f.MaskEdit3, f.UpDown3, "59", "59"}, {f.MaskEdit3, f.UpDown3, "60", "00"},
        };
        for (const auto& c : cases) {
            CAPTURE(c.typed);
            SetDial(f, 0, 0, 0, 0);
            c.field->SetFocus();
            Type(c.typed);
            CHECK(c.field->Caption() == c.shown);
            CHECK(c.arrows->Position() == noc::StrToInt(c.shown));
        }
        // Set by typing alone, and started.
        SetDial(f, 0, 0, 0, 0);
        f.MaskEdit2->SetFocus();
        Type("1");
        Press(VK_TAB);
        Type("5");
        CHECK(Dial(f) == "00:00:01:05");
    }
    SUBCASE("Up and Down step as the arrows, Page Up and Page Down ten times, wrapping as they do") {
        const struct {
            noc::TMaskEdit* field;
            noc::TUpDown* arrows;
        } columns[] = {{f.MaskEdit4, f.UpDown4}, {f.MaskEdit1, f.UpDown1}, {f.MaskEdit2, f.UpDown2},
                       {f.MaskEdit3, f.UpDown3}};
        for (const auto& c : columns) {
            const int limit = c.arrows->Max() - 1;
            for (int start : {0, 1, 5, 9, limit - 1, limit}) {
                for (UINT key : {VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT}) {
                    CAPTURE(limit);
                    CAPTURE(start);
                    CAPTURE(key);
                    const bool up = key == VK_UP || key == VK_PRIOR;
                    const int steps = key == VK_UP || key == VK_DOWN ? 1 : 10;
                    c.arrows->SetPosition(start);
                    for (int i = 0; i < steps; ++i) ClickArrow(*c.arrows, up);
                    const int byMouse = c.arrows->Position();
                    const std::string shownByMouse = c.field->Caption();
                    c.arrows->SetPosition(start);
                    c.field->SetFocus();
                    Press(key);
                    CHECK(c.arrows->Position() == byMouse);
                    CHECK(c.field->Caption() == shownByMouse);
                    CHECK(byMouse == ((up ? start + steps : start - steps) % (limit + 1) + limit + 1) % (limit + 1));
                }
            }
        }
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the switch from the keyboard: pressed on Space, started on its release") {
    auto form = ShownForm();
    TForm2& f = *form;
    SeamRecorder rec;
    f.MyImage1->SetFocus();
    SUBCASE("an empty dial is refused as a click is") {
        PostMessageA(f.MyImage1->Handle(), WM_KEYDOWN, VK_SPACE, 1);
        REQUIRE(QueueDrained());
        CHECK(f.MyImage1->Picture().get() == f.Image3->Picture().get());  // pressed
        CHECK(rec.calls.empty());
        PostMessageA(f.MyImage1->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
        REQUIRE(QueueDrained());
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text == kEmptyDial);
        CHECK(f.MyImage1->Picture().get() == f.Image1->Picture().get());
        Press(VK_RETURN);
        CHECK(rec.Boxes().size() == 2);
        CHECK_FALSE(f.Chronos1->Enabled());
    }
    SUBCASE("a dial of one minute starts: the window goes") {
        SetDial(f, 0, 0, 1, 0);
        Press(VK_SPACE);
        CHECK(f.Chronos1->Enabled());
        CHECK_FALSE(IsWindowVisible(f.Handle()));
        CHECK(rec.Boxes().empty());
    }
    SUBCASE("Enter starts it too") {
        SetDial(f, 0, 0, 1, 0);
        Press(VK_RETURN);
        CHECK(f.Chronos1->Enabled());
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the clickable images answer Space and Enter as a click") {
    auto form = ShownForm();
    TForm2& f = *form;
    SeamRecorder rec;
    for (UINT key : {VK_SPACE, VK_RETURN}) {
        CAPTURE(key);
        rec.Clear();
        SetDial(f, 1, 2, 3, 4);
        f.Image8->SetFocus();
        Press(key);
        CHECK(Dial(f) == "00:00:00:00");
        // The placeholder is no sound file: listening to it goes to the general report.
        for (TControl* image : {f.Image4, f.Image7, f.Image10}) {
            image->SetFocus();
            Press(key);
        }
        // The sound panel's two, the panel opened with the menu key.
        f.CheckBox4->SetFocus();
        Press(VK_SPACE);
        Press(VK_APPS);
        REQUIRE(Focused() == f.Image12);
        Press(key);
        f.Image11->SetFocus();
        Press(key);
        const auto dialogs = rec.Dialogs();
        REQUIRE(dialogs.size() == 2);
        CHECK(dialogs[0].text == "colour");
        CHECK(dialogs[1].text == "Sélection du fichier son à jouer avant l'extinction");
        const auto boxes = rec.Boxes();
        REQUIRE(boxes.size() == 3);
        CHECK(boxes[0].caption == "Information");  // the help box
        CHECK(boxes[1].caption == "NocTuro");
        CHECK(boxes[2].caption == "NocTuro");
        f.Button6Click(f.Button6);
        f.CheckBox4->SetChecked(false);
    }
}

TEST_CASE_FIXTURE(FreshApplication, "an option box toggled from the keyboard does what a mouse release does") {
    auto form = ShownForm();
    TForm2& f = *form;
    SeamRecorder rec;
    SUBCASE("start with Windows: the Run entry follows the box") {
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunPath, "NocTuro");
        f.CheckBox2->SetFocus();
        Press(VK_SPACE);
        CHECK(f.CheckBox2->Checked());
        CHECK(OurRunValues() == std::vector<std::pair<std::string, std::string>>{
                                    {"NocTuro", "\"" + noc::ProgramPath() + "\""}});
        Press(VK_SPACE);
        CHECK_FALSE(f.CheckBox2->Checked());
        CHECK(OurRunValues().empty());
        const auto boxes = rec.Boxes();
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].text ==
              "La base de registre a été mise à jour ! NocTuro\r\nsera désormais lancé au démarrage de Windows.");
        CHECK(boxes[1].text ==
              "La base de registre a été mise à jour ! NocTuro\r\nne sera plus lancé au démarrage de Windows.");
        CHECK(Focused() == f.CheckBox2);
    }
    SUBCASE("the password: its panel takes the keyboard, Enter closes it, the box has the keyboard back") {
        f.CheckBox3->SetFocus();
        Press(VK_SPACE);
        CHECK(f.Panel1->Visible());
        CHECK_FALSE(f.Shape1->Visible());
        CHECK(Focused() == f.Edit1);
        Type("abc");
        CHECK(f.Edit1->Text() == "abc");
        // The boxes under the panel are not on Tab's way.
        CHECK(Tabs(3) == std::vector<TControl*>{f.Button3, f.Image7, f.SpeedButton3});
        f.Edit1->SetFocus();
        Press(VK_RETURN);
        CHECK_FALSE(f.Panel1->Visible());
        CHECK(f.Shape1->Visible());
        CHECK(Focused() == f.CheckBox3);
        Press(VK_SPACE);  // unticked: the password is forgotten
        CHECK_FALSE(f.CheckBox3->Checked());
        CHECK(f.Edit1->Text().empty());
    }
    SUBCASE("the sound: the space bar ticks the box alone; the menu key opens the panel, which takes the keyboard") {
        f.CheckBox4->SetFocus();
        Press(VK_SPACE);
        CHECK(f.CheckBox4->Checked());
        CHECK_FALSE(f.Panel2->Visible());
        Press(VK_APPS);
        CHECK(f.Panel2->Visible());
        CHECK(Focused() == f.Image12);
        CHECK(Tabs(3) == std::vector<TControl*>{f.Image11, f.TrackBar1, f.Button6});
        f.TrackBar1->SetFocus();
        Press(VK_RIGHT);
        CHECK(f.TrackBar1->Position() == 21);
        CHECK(f.Label17->Caption() == "21s");
        Press(VK_RETURN);
        CHECK_FALSE(f.Panel2->Visible());
        CHECK(Focused() == f.CheckBox4);
    }
    SUBCASE("showing the time: nothing more than the box") {
        f.CheckBox1->SetFocus();
        Press(VK_SPACE);
        CHECK(f.CheckBox1->Checked());
        CHECK(rec.calls.empty());
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunPath, "NocTuro");
}

TEST_CASE_FIXTURE(FreshApplication, "the countdown panel: Escape is Réduire, Enter gives the password") {
    StoredSettings s;
    s.MdPasseOK = "oui";
    s.MdPasse = "Secret";
    auto form = ShownForm(s);
    TForm2& f = *form;
    SeamRecorder rec;
    SetDial(f, 0, 0, 5, 0);
    f.StartCountdown();
    REQUIRE(f.Chronos1->Enabled());
    f.NotifyIcon1Click(f.NotifyIcon1);
    REQUIRE(IsWindowVisible(f.Handle()));
    SetFocus(f.Handle());
    SUBCASE("Escape hides the window as Réduire does, with the prompt") {
        f.CancelCountdown();  // the prompt
        REQUIRE(Focused() == f.Edit2);
        Press(VK_ESCAPE);
        CHECK_FALSE(IsWindowVisible(f.Handle()));
        CHECK_FALSE(f.Edit2->Visible());
        CHECK(f.Label19->Visible());
        CHECK(f.Chronos1->Enabled());
    }
    SUBCASE("not while Réduire is disabled, in the final warning") {
        f.SpeedButton1->SetEnabled(false);
        Press(VK_ESCAPE);
        CHECK(IsWindowVisible(f.Handle()));
    }
    SUBCASE("Annuler from the keyboard, then the password and Enter") {
        CHECK(Tabs(3) == std::vector<TControl*>{f.SpeedButton1, f.SpeedButton4, f.SpeedButton2});
        Press(VK_RETURN);
        REQUIRE(f.Edit2->Visible());
        REQUIRE(Focused() == f.Edit2);
        Type("secret");
        Press(VK_RETURN);
        CHECK(f.Label15->Visible());  // wrong: a beep, and the field empty for another try
        CHECK(rec.Beeps().size() == 1);
        CHECK(f.Edit2->Text().empty());
        CHECK(Focused() == f.Edit2);
        Type("Secret");
        Press(VK_RETURN);
        CHECK_FALSE(f.Chronos1->Enabled());
        CHECK(f.TabControl1->Visible());
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the program icon selected from the keyboard brings the window back") {
    auto form = ShownForm();
    TForm2& f = *form;
    SeamRecorder rec;
    SetDial(f, 0, 0, 5, 0);
    f.StartCountdown();
    REQUIRE_FALSE(IsWindowVisible(f.Handle()));
    PostMessageA(noc::TTrayIconHandler::Window(), noc::WM_NOC_TRAY_CALLBACK, f.NotifyIcon1->TrayId(), NIN_KEYSELECT);
    REQUIRE(QueueDrained());
    CHECK(IsWindowVisible(f.Handle()));
    CHECK(f.TabControl2->Visible());
    CHECK(f.Chronos1->Enabled());
}

TEST_CASE_FIXTURE(FreshApplication, "after each show the keyboard is on a shown control that fits, marked if by key") {
    using F = TForm2&;
    const auto icon = [](F f) { f.NotifyIcon1Click(f.NotifyIcon1); };
    const auto warning = [](F f) {
        f.Counters = {0, 0, 0, 10};
        f.Chronos1Timer(f.Chronos1);
    };
    // The password's OK clicked, which takes the focus.
    const auto password = [](F f) {
        f.Edit2->SetText("pw");
        f.Button4->SetFocus();
        f.Button4Click(f.Button4);
    };
    SeamRecorder rec;
    rec.menuAnswer = [](const auto& items) { return items.front().first; };         // "Afficher le compte à rebours"
    rec.inputAnswer = [](std::string& typed) { return (typed = " 7:30 ") != ""; };  // typed with blanks around
    struct {
        const char* show;
        bool counting, protectedCancel;
        std::function<void(F)> act;
        int expected;  // the control's identifier
        bool marked;
    } rows[] = {
        {"the program icon", true, false, icon, noc::idSpeedButton4, false},
        {"its menu", true, false, [](F f) { f.TrayIconMouseUp(f.NotifyIcon1, noc::TMouseButton::mbRight, 0, 0, 0); },
         noc::idSpeedButton4, false},
        {"a second start", true, false, [](F f) { f.AnswerSecondStart(); }, noc::idSpeedButton4, false},
        {"the final warning", true, false, warning, noc::idSpeedButton4, false},
        {"a cancel with the password", true, true, [&](F f) { icon(f), f.CancelCountdown(), password(f); },
         noc::idMyImage1, false},
        {"a postpone with the password", true, true, [&](F f) { icon(f), f.SpeedButton4Click(nullptr), password(f); },
         noc::idSpeedButton4, false},
        {"a keyboard cancel in the final warning", true, false,
         [&](F f) { warning(f), f.SpeedButton2->SetFocus(), Press(VK_RETURN); }, noc::idMyImage1, true},
        {"the box of the clock, a time with blanks", false, false,
         [&](F f) {
             SendMessageA(f.Image13->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
             SendMessageA(f.Image13->Handle(), WM_LBUTTONUP, 0, 0);
             CHECK(rec.Boxes().empty());
             SendMessageA(f.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);  // back from the box
         },
         noc::idImage13, false},
        {"OK on the sound panel", false, false,
         [](F f) {
             f.CheckBox4->SetChecked(true), f.CheckBox4MouseUp(f.CheckBox4, noc::TMouseButton::mbRight, 0, 0, 0);
             f.Button6->SetFocus(), f.Button6Click(f.Button6);
         },
         noc::idCheckBox4, false},
    };
    for (const auto& r : rows) {
        CAPTURE(r.show);
        StoredSettings s;
        s.MdPasseOK = r.protectedCancel ? "oui" : "non";
        s.MdPasse = "pw";
        auto form = ShownForm(s);
        noc::Application().NoteInput(false);
        if (r.counting) StartFiveMinutes(*form);
        r.act(*form);
        REQUIRE(QueueDrained());
        CHECK(GetDlgCtrlID(GetFocus()) == r.expected);
        CHECK(!(SendMessageA(GetFocus(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == r.marked);
        form->Chronos1->SetEnabled(false);
    }
}

TEST_CASE_FIXTURE(FreshApplication, "the menu key and Shift+F10 on +10 min offer its lengths, its own in bold") {
    auto form = ShownForm();
    SeamRecorder rec;
    StartFiveMinutes(*form);
    form->NotifyIcon1Click(form->NotifyIcon1);
    Press(VK_APPS);
    const ShiftHeld shift;
    PostMessageA(form->SpeedButton4->Handle(), WM_SYSKEYDOWN, VK_F10, 1);
    REQUIRE(QueueDrained());
    const auto menus = rec.Dialogs();
    REQUIRE(menus.size() == 2);
    for (const auto& menu : menus) CHECK(menu.flags == 10);
    form->Chronos1->SetEnabled(false);
}

TEST_CASE_FIXTURE(FreshApplication, "a clickable image shows the keyboard focus, and only then") {
    auto form = ShownForm();
    TForm2& f = *form;
    // What the switch draws, through the same painting as on the screen.
    auto drawn = [&] {
        noc::TPixelBitmap canvas(f.MyImage1->Width(), f.MyImage1->Height());
        noc::UniqueMemDc dc(CreateCompatibleDC(nullptr));
        {
            noc::SelectGuard surface(dc.get(), canvas.bitmap.get());
            SendMessageA(f.MyImage1->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        }
        GdiFlush();
        std::vector<uint32_t> pixels;
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x) pixels.push_back(canvas.Pixel(x, y));
        return pixels;
    };
    const auto unfocused = drawn();
    f.MyImage1->SetFocus();
    const auto focused = drawn();
    CHECK(focused != unfocused);
    CHECK(focused[focused.size() / 2] == unfocused[unfocused.size() / 2]);  // the picture inside the frame
    f.CheckBox1->SetFocus();
    CHECK(drawn() == unfocused);
}

TEST_CASE_FIXTURE(FreshApplication, "the choice of what happens at zero, off Tab's way, is a down arrow from the clock") {
    auto form = ShownForm();
    TForm2& f = *form;
    SeamRecorder rec;
    f.Image13->SetFocus();
    Press(VK_DOWN);
    CHECK(Focused() == f.Image14);
    Press(VK_RETURN);
    CHECK(rec.Dialogs().size() == 1);
    Press(VK_UP);
    CHECK(Focused() == f.Image13);
    Press(VK_RIGHT);
    CHECK(Tabs(1) == std::vector<TControl*>{f.CheckBox1});
}
