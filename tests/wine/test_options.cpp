// The options on the window: start with Windows (the Run entry, its sounds and messages) and the
// digit colour (the colour dialog, the swatch, the tray digits, the right-click message).
#include <doctest/doctest.h>

#include "FormFixture.h"
#include "settings/ColorText.h"
#include "settings/StartupEntry.h"

using namespace testing;
using noc::TForm2;

namespace {

const char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key's values named like ours (any letter case), with their data.
std::vector<std::pair<std::string, std::string>> OurRunValues() {
    std::vector<std::pair<std::string, std::string>> found;
    const UniqueRegKey key = OpenKey(HKEY_LOCAL_MACHINE, kRunPath);
    for (DWORD i = 0; key; ++i) {
        char name[256], data[1024];
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        if (lstrcmpiA(name, "NocTuro") == 0 && type == REG_SZ) found.emplace_back(name, data);
    }
    return found;
}

void Toggle(TForm2& f, bool ticked) {
    f.CheckBox2->SetChecked(ticked);
    f.CheckBox2MouseUp(f.CheckBox2, noc::TMouseButton::mbLeft, 0, 1, 1);
}

const char kWritten[] =
    "La base de registre a été mise à jour ! NocTuro\r\nsera désormais lancé au démarrage de Windows.";
const char kRemoved[] =
    "La base de registre a été mise à jour ! NocTuro\r\nne sera plus lancé au démarrage de Windows.";

// The colours of the digits of the four text icons: seconds, minutes, hours, days.
std::vector<noc::TColor> DigitFonts(const TForm2& form) {
    std::vector<noc::TColor> c;
    for (auto* icon : {form.TextTrayIcon1, form.TextTrayIcon2, form.TextTrayIcon3, form.TextTrayIcon4})
        c.push_back(icon->Font().Color());
    return c;
}

// The current user's taskbar theme, as Windows 10 and later keep it; put back as it was.
class TaskbarTheme {
public:
    static constexpr const char* kPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    TaskbarTheme() {
        DWORD size = sizeof(previous_);
        had_ = RegGetValueA(HKEY_CURRENT_USER, kPath, kValue, RRF_RT_REG_DWORD, nullptr, &previous_, &size) ==
               ERROR_SUCCESS;
    }
    ~TaskbarTheme() {
        if (had_)
            SetLight(previous_);
        else
            Remove();
    }
    TaskbarTheme(const TaskbarTheme&) = delete;
    TaskbarTheme& operator=(const TaskbarTheme&) = delete;
    static void SetLight(DWORD light) {
        const UniqueRegKey key = CreateKey(HKEY_CURRENT_USER, kPath);
        REQUIRE(key);
        RegSetValueExA(key.get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&light), sizeof(light));
    }
    static void Remove() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kPath, kValue); }

private:
    static constexpr const char* kValue = "SystemUsesLightTheme";
    DWORD previous_ = 1;
    bool had_ = false;
};

// What Windows sends every top-level window when a setting changes.
void SettingChanged(const TForm2& form, const char* area) {
    SendMessageA(form.Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area));
}

}  // namespace

TEST_CASE("ticking start with Windows writes the Run entry at once, unticking removes it") {
    StoredSettings().Write();
    auto form = MakeForm2();
    SeamRecorder rec;
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunPath, "NocTuro");

    SUBCASE("tick, untick, tick: one entry with the program's path in quotes, each change confirmed") {
        Toggle(*form, true);
        Toggle(*form, false);
        CHECK(OurRunValues().empty());
        Toggle(*form, true);
        const auto values = OurRunValues();
        REQUIRE(values.size() == 1);
        CHECK(values[0].first == "NocTuro");
        CHECK(values[0].second == "\"" + noc::ProgramPath() + "\"");
        REQUIRE(rec.calls.size() == 6);
        const char* expected[] = {kWritten, kRemoved, kWritten};
        for (int i = 0; i < 3; ++i) {
            CAPTURE(i);
            CHECK(rec.calls[2 * i].kind == RecordedCall::Beep);
            CHECK(rec.calls[2 * i].flags == MB_ICONASTERISK);  // the information sound
            CHECK(rec.calls[2 * i + 1].text == expected[i]);
            CHECK(rec.calls[2 * i + 1].caption == "Information");
        }
        CHECK(noc::ReadSetting("Demarrage") == "non");  // stored only at the next close
    }
    SUBCASE("unticking with no entry still confirms") {
        Toggle(*form, false);
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text == kRemoved);
    }
    SUBCASE("a Run key that cannot be opened: the default beep and a warning, the box as the user left it") {
        const UniqueRegKey elsewhere = CreateKey(HKEY_CURRENT_USER, "Software\\NocTuroTestNoRun");
        noc::SetSettingsRootForTesting(elsewhere.get());
        Toggle(*form, true);
        Toggle(*form, false);
        noc::SetSettingsRootForTesting(nullptr);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\NocTuroTestNoRun");
        REQUIRE(rec.calls.size() == 4);
        CHECK(rec.calls[0].flags == MB_OK);  // the default beep
        CHECK(rec.calls[1].caption == "Warning");
        CHECK(rec.calls[1].text ==
              "Ooops ! Un problème est survenu au cours de l'utilisation de votre\r\nbase de "
              "registre ! Merci de contacter le concepteur du logiciel.");
        CHECK(rec.calls[3].text ==
              "Ooops ! Une erreur est survenue au cours de l'utilisation de votre\r\nbase de "
              "registre ! Merci de contacter le concepteur du logiciel.");
        CHECK_FALSE(form->CheckBox2->Checked());
        CHECK(OurRunValues().empty());
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunPath, "NocTuro");
}

TEST_CASE("the digit colour: the dialog, the swatch and the tray digits") {
    StoredSettings().Write();  // medium grey: black digits
    auto form = MakeForm2();
    SeamRecorder rec;
    REQUIRE(form->TextTrayIcon1->Font().Color() == 0);
    std::vector<COLORREF> offered;
    COLORREF pick = RGB(0, 0, 255);
    bool confirm = true;
    rec.colourAnswer = [&](CHOOSECOLORA& request) {
        offered.push_back(request.rgbResult);
        CHECK(request.hwndOwner == form->Handle());
        CHECK((request.Flags & (CC_FULLOPEN | CC_SOLIDCOLOR)) == (CC_FULLOPEN | CC_SOLIDCOLOR));
        if (confirm) request.rgbResult = pick;
        return confirm;
    };
    auto fontColours = [&] { return DigitFonts(*form); };

    SUBCASE("confirmed: swatch and digits take it; the dialog keeps it for next time") {
        form->Image4Click(form->Image4);
        CHECK(form->Shape1->BrushColor() == 0x00FF0000);
        CHECK(fontColours() == std::vector<noc::TColor>(4, 0x00FF0000));
        const IconPicture dashes = PictureOf(form->TextTrayIcon2->Icon().Handle());  // "--" until a countdown
        CHECK(dashes.CountOf(0x0000FF) > 0);
        CHECK(dashes.CountOf(0x0000FF) == dashes.Opaque());  // drawn blue, nothing black left
        pick = RGB(0, 128, 0);
        form->Image4Click(form->Image4);
        CHECK(offered == std::vector<COLORREF>{RGB(0, 0, 0), RGB(0, 0, 255)});  // black at first
    }
    SUBCASE("cancelled: the swatch stays, and the digits take it, medium grey included") {
        confirm = false;
        form->Image4Click(form->Image4);
        CHECK(form->Shape1->BrushColor() == noc::clMedGray);
        CHECK(fontColours() == std::vector<noc::TColor>(4, noc::clMedGray));
    }
    SUBCASE("a right click tells the colour as text; a left click never does") {
        form->Shape1->SetBrushColor(0x00FF0000);
        form->Image4MouseDown(form->Image4, noc::TMouseButton::mbLeft, 0, 1, 1);
        form->Image4MouseDown(form->Image4, noc::TMouseButton::mbRight, 0, 1, 1);
        REQUIRE(rec.Boxes().size() == 1);
        CHECK(rec.Boxes()[0].text ==
              "La valeur hexadécimale de la couleur actuelle est : clBlue\rVous pouvez l'utiliser si vous lancez "
              "NocTuro en ligne de commande.");
        CHECK(rec.Boxes()[0].caption == "NocTuro");
        CHECK((rec.Boxes()[0].flags & MB_ICONMASK) == 0);
        CHECK(rec.Dialogs().empty());
        CHECK(rec.Beeps().empty());
    }
}

TEST_CASE("on a dark taskbar the default digits are white; a colour of the user's stays as chosen") {
    TaskbarTheme theme;
    SeamRecorder rec;
    const std::vector<noc::TColor> white(4, noc::clWhite), black(4, noc::clBlack), red(4, noc::clRed);

    SUBCASE("the theme at start; the swatch and the saved colour stay medium grey") {
        struct Case {
            const char* theme;
            int light;  // -1: no value
            const std::vector<noc::TColor>& digits;
        };
        for (const Case& c : {Case{"dark", 0, white}, Case{"light", 1, black}, Case{"none told", -1, black}}) {
            CAPTURE(c.theme);
            if (c.light < 0)
                TaskbarTheme::Remove();
            else
                TaskbarTheme::SetLight(static_cast<DWORD>(c.light));
            StoredSettings().Write();
            auto form = MakeForm2();
            CHECK(form->Shape1->BrushColor() == noc::clMedGray);
            CHECK(DigitFonts(*form) == c.digits);
            CHECK(form->DigitColor() == c.digits[0]);
            form->SaveSettings();
            CHECK(noc::ReadSetting("Couleur") == "clMedGray");
        }
    }
    SUBCASE("switched while NocTuro runs: the default digits follow the taskbar, and only its change") {
        TaskbarTheme::SetLight(1);
        StoredSettings().Write();
        auto form = MakeForm2();
        REQUIRE(DigitFonts(*form) == black);
        TaskbarTheme::SetLight(0);
        SettingChanged(*form, "Environment");
        CHECK(DigitFonts(*form) == black);
        SettingChanged(*form, "ImmersiveColorSet");
        CHECK(DigitFonts(*form) == white);
        const IconPicture dashes = PictureOf(form->TextTrayIcon2->Icon().Handle());  // drawn again, in white
        CHECK(dashes.CountOf(0xFFFFFF) > 0);
        CHECK(dashes.CountOf(0x000000) == 0);
        TaskbarTheme::SetLight(1);
        SettingChanged(*form, "ImmersiveColorSet");
        CHECK(DigitFonts(*form) == black);
    }
    SUBCASE("a colour the user chose is drawn as chosen, whatever the taskbar") {
        TaskbarTheme::SetLight(0);
        StoredSettings s;
        s.Couleur = "clRed";
        s.Write();
        auto form = MakeForm2();
        CHECK(DigitFonts(*form) == red);
        SettingChanged(*form, "ImmersiveColorSet");
        CHECK(DigitFonts(*form) == red);
    }
    SUBCASE("the colour dialog, even cancelled, gives the swatch's colour, which a theme change keeps") {
        TaskbarTheme::SetLight(0);
        StoredSettings().Write();
        auto form = MakeForm2();
        REQUIRE(DigitFonts(*form) == white);
        form->Image4Click(form->Image4);  // the recorder cancels
        CHECK(DigitFonts(*form) == std::vector<noc::TColor>(4, noc::clMedGray));
        TaskbarTheme::SetLight(1);
        SettingChanged(*form, "ImmersiveColorSet");
        CHECK(DigitFonts(*form) == std::vector<noc::TColor>(4, noc::clMedGray));
    }
}
