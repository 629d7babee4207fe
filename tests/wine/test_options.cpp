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
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return found;
    for (DWORD i = 0;; ++i) {
        char name[256], data[1024];
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        if (lstrcmpiA(name, "NocTuro") == 0 && type == REG_SZ) found.emplace_back(name, data);
    }
    RegCloseKey(key);
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
        HKEY elsewhere = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\NocTuroTestNoRun", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &elsewhere, nullptr);
        noc::SetSettingsRootForTesting(elsewhere);
        Toggle(*form, true);
        Toggle(*form, false);
        noc::SetSettingsRootForTesting(nullptr);
        RegCloseKey(elsewhere);
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
    auto fontColours = [&] {
        std::vector<noc::TColor> c;
        for (auto* icon : {form->TextTrayIcon1, form->TextTrayIcon2, form->TextTrayIcon3, form->TextTrayIcon4})
            c.push_back(icon->Font().Color());
        return c;
    };

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
