// The main window's set-up: stored settings and the command line put into the window, the
// integrity warning, the failure path, pictures, hints and the sound path's layout.
#include <doctest/doctest.h>

#include "FormFixture.h"
#include "StoreTexts.h"
#include "settings/ColorText.h"

using namespace testing;
using noc::TForm2;

namespace {

std::string TempFile(const char* name) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(f);
    return path;
}

bool SamePicture(const noc::TImage* a, const noc::TImage* b) { return a->Picture() == b->Picture(); }

}  // namespace

TEST_CASE("the integrity check warns about hand edits, and only about those") {
    StoredSettings s;
    s.Write();
    SeamRecorder rec;
    SUBCASE("matching values: no message") {
        auto form = MakeForm2();
        CHECK(rec.calls.empty());
    }
    SUBCASE("a flag edited by hand: the warning, without beep, and the value is kept") {
        noc::WriteSetting("Chrono", "oui");
        auto form = MakeForm2();
        REQUIRE(rec.calls.size() == 1);
        CHECK(rec.calls[0].text == kTampered);
        CHECK(rec.calls[0].caption == "Warning");
        CHECK(form->CheckBox1->Checked());
    }
    SUBCASE("a colour identifier in another letter case is an edit too") {
        noc::WriteSetting("Couleur", "CLMEDGRAY");
        auto form = MakeForm2();
        CHECK(rec.Boxes().size() == 1);
        CHECK(form->Shape1->BrushColor() == noc::clMedGray);
    }
    SUBCASE("a counter with a leading zero, the sound file or the lead time: no warning") {
        noc::WriteSetting("Minutes", "00");
        noc::WriteSetting("Delai", "45");
        noc::WriteSetting("Son", "C:\\ailleurs.wav");
        auto form = MakeForm2();
        CHECK(rec.calls.empty());
        CHECK(form->TrackBar1->Position() == 45);
    }
    SUBCASE("parameters never set it off") {
        auto form = MakeForm2("NocTuro.exe clRed 0 1 0 0 oui motdepasse oui oui");
        CHECK(rec.Boxes().empty());
        form->Chronos1->SetEnabled(false);
    }
}

TEST_CASE("a number that does not convert is reported, and every other setting still reaches the window") {
    StoredSettings s;
    s.Couleur = "clRed";
    s.Jours = 1, s.Heures = 2, s.Minutes = 3, s.Secondes = 4;
    s.Chrono = "oui", s.MdPasse = "secret", s.MdPasseOK = "oui", s.Demarrage = "oui", s.Alerte = "oui";
    s.Son = TempFile("alerte-reparee.wav");
    s.Delai = 45;
    s.Write();
    SeamRecorder rec;
    StoredSettings repaired = s;  // what the next close should store
    std::string bad = "x1y";
    std::string commandLine = "NocTuro.exe";
    SUBCASE("stored days") {
        noc::WriteSetting("Jours", bad);
        repaired.Jours = 0;
    }
    SUBCASE("stored empty lead time") {
        bad = "";
        noc::WriteSetting("Delai", "");
        repaired.Delai = 20;
    }
    SUBCASE("given seconds: the stored ones stay") {
        commandLine = "NocTuro.exe * * * * 4x";
        bad = "4x";
    }
    noc::Application().ShowMainForm = true;
    auto form = MakeForm2(commandLine);
    REQUIRE(rec.Boxes().size() == 1);
    CHECK(rec.Boxes()[0].text == "'" + bad + "' is not a valid integer value.");
    CHECK(rec.Boxes()[0].caption == "NocTuro");
    CHECK(rec.Beeps().empty());
    CHECK(form->SetupFailed());
    // As when the set-up stopped there: the empty main form will show, and nothing started by itself.
    CHECK(noc::Application().ShowMainForm);
    CHECK_FALSE(form->Chronos1->Enabled());

    // Every other value is in the window, the broken one at its design value.
    CHECK(form->UpDown4->Position() == repaired.Jours);
    CHECK(form->UpDown1->Position() == 2);
    CHECK(form->UpDown2->Position() == 3);
    CHECK(form->UpDown3->Position() == 4);
    CHECK(form->MaskEdit4->Caption() == noc::TwoDigits(repaired.Jours));
    CHECK(form->TrackBar1->Position() == repaired.Delai);
    CHECK(form->Label17->Caption() == noc::IntToStr(repaired.Delai) + "s");
    CHECK(form->CheckBox1->Checked());
    CHECK(form->CheckBox2->Checked());
    CHECK(form->CheckBox3->Checked());
    CHECK(form->CheckBox4->Checked());
    CHECK(form->Edit1->Text() == "secret");
    CHECK(form->Shape1->BrushColor() == 0x000000FFu);
    CHECK(form->DigitColor() == 0x000000FFu);
    CHECK(form->Label14->Caption() == s.Son);

    // The next close stores the user's settings, only the broken value repaired, with a check text
    // that the next start finds matching.
    rec.Clear();
    REQUIRE(form->CloseQuery());
    CHECK(rec.calls.empty());
    CHECK(noc::ReadSetting("Couleur") == "clRed");
    CHECK(noc::ReadSetting("Jours") == noc::IntToStr(repaired.Jours));
    CHECK(noc::ReadSetting("Heures") == "2");
    CHECK(noc::ReadSetting("Minutes") == "3");
    CHECK(noc::ReadSetting("Secondes") == "4");
    CHECK(noc::ReadSetting("Chrono") == "oui");
    CHECK(noc::ReadScrambledSetting("MdPasse") == "secret");
    CHECK(noc::ReadSetting("MdPasseOK") == "oui");
    CHECK(noc::ReadSetting("Demarrage") == "oui");
    CHECK(noc::ReadSetting("Alerte") == "oui");
    CHECK(noc::ReadSetting("Son") == s.Son);
    CHECK(noc::ReadSetting("Delai") == noc::IntToStr(repaired.Delai));
    CHECK(noc::ReadScrambledSetting("Protection") ==
          noc::IntegrityText(repaired.Couleur, repaired.Jours, repaired.Heures, repaired.Minutes, repaired.Secondes,
                             repaired.Chrono, repaired.MdPasse, repaired.MdPasseOK, repaired.Demarrage,
                             repaired.Alerte));
    DeleteFileA(s.Son.c_str());
}

TEST_CASE("every number that does not convert is reported, in the order read") {
    StoredSettings s;
    s.Heures = 5;
    s.Write();
    noc::WriteSetting("Jours", "un");
    noc::WriteSetting("Delai", "vingt");
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * * * 7m");
    const auto boxes = rec.Boxes();
    REQUIRE(boxes.size() == 3);
    CHECK(boxes[0].text == "'un' is not a valid integer value.");
    CHECK(boxes[1].text == "'vingt' is not a valid integer value.");
    CHECK(boxes[2].text == "'7m' is not a valid integer value.");
    CHECK(form->UpDown1->Position() == 5);
    CHECK(form->TrackBar1->Position() == 20);
}

TEST_CASE("stored settings and the command line fill the window") {
    StoredSettings s;
    s.Jours = 2;
    s.Heures = 3;
    s.Chrono = "oui";
    s.MdPasseOK = "Oui";  // only "oui" ticks a box
    s.MdPasse = "clé";
    s.Couleur = "$000000FF";
    s.Delai = 3;
    s.Write();
    SeamRecorder rec;

    SUBCASE("stored values") {
        auto form = MakeForm2();
        CHECK(form->MaskEdit4->Caption() == "02");
        CHECK(form->MaskEdit1->Caption() == "03");
        CHECK(form->UpDown4->Position() == 2);
        CHECK(form->CheckBox1->Checked());
        CHECK_FALSE(form->CheckBox3->Checked());
        CHECK(form->Edit1->Text() == "clé");
        CHECK(form->TrackBar1->Position() == 5);
        CHECK(form->Label17->Caption() == "05s");
        CHECK(form->TrackBar1->Hint() == "Le son sera joué 5 secondes avant l'extinction");
        CHECK(form->Shape1->BrushColor() == 0x000000FFu);
        CHECK(form->DigitColor() == 0x000000FFu);
        CHECK(form->Label14->Caption() == "Chemin du fichier...");
        CHECK_FALSE(form->Label18->Visible());
        CHECK(form->Label14->Left() == 7);
    }
    SUBCASE("parameters override them for this run, and are not stored") {
        auto form = MakeForm2("NocTuro.exe clMedGray \"\" * 40 7 0 non secret oui non * 70");
        CHECK(form->UpDown1->Position() == 40);  // outside the arrows' range, taken as it is
        CHECK(form->MaskEdit2->Caption() == "07");
        CHECK(form->Counters.Hours == 40);
        CHECK_FALSE(form->CheckBox1->Checked());
        CHECK(form->Edit1->Text() == "secret");
        CHECK(form->CheckBox3->Checked());
        CHECK(form->TrackBar1->Position() == 59);
        CHECK(form->Shape1->BrushColor() == noc::clMedGray);
        CHECK(form->DigitColor() == noc::clBlack);  // medium grey stands for black digits
        CHECK(form->Chronos1->Enabled());
        CHECK_FALSE(IsWindowVisible(form->Handle()));
        CHECK(noc::ReadSetting("Heures") == "3");
        form->Chronos1->SetEnabled(false);
    }
    SUBCASE("a colour that is no colour gives the grey swatch and black digits") {
        noc::WriteSetting("Couleur", "rouge");
        auto form = MakeForm2();
        CHECK(form->Shape1->BrushColor() == noc::clMedGray);
        CHECK(form->DigitColor() == noc::clBlack);
    }
}

TEST_CASE("the sound file's path: shown whole when short, its end behind \"...\" when long") {
    StoredSettings s;
    SeamRecorder rec;
    SUBCASE("short") {
        s.Son = TempFile("a.wav");
        s.Write();
        auto form = MakeForm2();
        CHECK(form->Label14->Caption() == s.Son);
        if (form->Label14->TextExtent().cx <= 120) {
            CHECK_FALSE(form->Label18->Visible());
            CHECK(form->Label14->Left() == 7);
        }
    }
    SUBCASE("long") {
        s.Son = TempFile("un nom de fichier son vraiment très long pour la fenêtre.wav");
        s.Write();
        auto form = MakeForm2();
        CHECK(form->Label14->Caption() == s.Son);
        CHECK(form->Label18->Visible());
        CHECK(form->Label14->Width() == 120);
        CHECK(form->Label14->Left() == 18);
        CHECK(form->Label14->Alignment() == noc::taRightJustify);
    }
    DeleteFileA(s.Son.c_str());
}

TEST_CASE("pictures, cursor and hints as the window sets them up") {
    StoredSettings().Write();
    SeamRecorder rec;
    auto form = MakeForm2();
    CHECK(SamePicture(form->MyImage1, form->Image1));
    if (noc::DetectXP() == "XP") {
        CHECK(!SamePicture(form->Image10, form->Image9));
    } else {
        CHECK(SamePicture(form->Image10, form->Image9));
        CHECK(SamePicture(form->Image5, form->Image6));
    }
    CHECK(SamePicture(form->Image11, form->Image10));
    for (noc::TControl* c : {static_cast<noc::TControl*>(form->MyImage1), static_cast<noc::TControl*>(form->Image7),
                             static_cast<noc::TControl*>(form->Image8), static_cast<noc::TControl*>(form->Image4),
                             static_cast<noc::TControl*>(form->Image10), static_cast<noc::TControl*>(form->Image11),
                             static_cast<noc::TControl*>(form->Image12)})
        CHECK(c->Cursor() == 5);
    CHECK(form->MyImage1->Hint() == "Cliquez ici pour activer l'extinction\r\ndifférée de votre ordinateur...");
    CHECK(form->CheckBox2->Hint() ==
          "En cochant cette case vous autorisez Windows\r\nà activer l'extinction automatique de l'ordinateur");
    CHECK(form->UpDown1->Hint() == "Cliquez ici pour augmenter ou diminuer\r\nle nombre d'heures d'attente");
    // The window: single fixed border without border icons, always on top, a taskbar button.
    LONG_PTR style = GetWindowLongPtrA(form->Handle(), GWL_STYLE);
    LONG_PTR ex = GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE);
    CHECK((style & WS_SYSMENU) == 0);
    CHECK((style & WS_THICKFRAME) == 0);
    CHECK((ex & WS_EX_TOPMOST) != 0);
    CHECK((ex & WS_EX_APPWINDOW) != 0);
    CHECK(form->ClientWidth() == 221);
    CHECK(form->ClientHeight() == 201);
    // No taskbar button for the application's own window (the system may add its edge style).
    LONG_PTR appEx = GetWindowLongPtrA(noc::Application().Handle(), GWL_EXSTYLE);
    CHECK((appEx & WS_EX_TOOLWINDOW) != 0);
    CHECK((appEx & WS_EX_APPWINDOW) == 0);
    CHECK_FALSE(noc::Application().ShowMainForm);
}
