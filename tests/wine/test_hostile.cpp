// Hostile stored values and parameters: each ends in a clear message or the documented fallback,
// loses no other setting, and the program still closes.
#include <doctest/doctest.h>

#include "FormFixture.h"
#include "StoreTexts.h"
#include "app/AppFiles.h"
#include "settings/ColorText.h"

using namespace testing;
using noc::TForm2;

namespace {

const char kPlaceholder[] = "Chemin du fichier...";

std::string NotANumber(const std::string& text) { return "'" + text + "' is not a valid integer value."; }

// A sound file that exists, so that a lost "Son" would show.
struct SoundFile {
    std::string path;
    SoundFile() {
        char dir[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        path = std::string(dir) + "hostile-alerte.wav";
        CloseHandle(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    ~SoundFile() { DeleteFileA(path.c_str()); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
};

// The user's settings, none at its design value; a long dial, so that nothing here counts to zero.
StoredSettings UsersSettings(const std::string& sound) {
    StoredSettings s;
    s.Couleur = "clRed";
    s.Jours = 1, s.Heures = 2, s.Minutes = 3, s.Secondes = 4;
    s.Chrono = "oui", s.MdPasse = "secret", s.MdPasseOK = "oui", s.Demarrage = "non", s.Alerte = "oui";
    s.Son = sound;
    s.Delai = 45;
    return s;
}

// The label's fallback for a "Son" that names no file.
std::string SoundFallback() {
    const std::string beside = noc::ProgramFolder() + "Alerte.mp3";
    return noc::FileExists(beside) ? beside : std::string(kPlaceholder);
}

void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    const UniqueRegKey key = OpenKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath, KEY_ALL_ACCESS);
    REQUIRE(key);
    CHECK(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
}

void SetRawText(const char* name, DWORD type, const std::string& bytes) {
    SetRaw(name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

DWORD StoredType(const char* name) {
    DWORD type = REG_NONE;
    if (const UniqueRegKey key = OpenKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath))
        RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, nullptr);
    return type;
}

// The store holds these settings, as strings, with a check text that the next start finds matching.
void CheckStored(const StoredSettings& s) {
    CHECK(noc::ReadSetting("Couleur") == s.Couleur);
    CHECK(noc::ReadSetting("Jours") == noc::IntToStr(s.Jours));
    CHECK(noc::ReadSetting("Heures") == noc::IntToStr(s.Heures));
    CHECK(noc::ReadSetting("Minutes") == noc::IntToStr(s.Minutes));
    CHECK(noc::ReadSetting("Secondes") == noc::IntToStr(s.Secondes));
    CHECK(noc::ReadSetting("Chrono") == s.Chrono);
    CHECK(noc::ReadScrambledSetting("MdPasse") == s.MdPasse);
    CHECK(noc::ReadSetting("MdPasseOK") == s.MdPasseOK);
    CHECK(noc::ReadSetting("Demarrage") == s.Demarrage);
    CHECK(noc::ReadSetting("Alerte") == s.Alerte);
    CHECK(noc::ReadSetting("Son") == s.Son);
    CHECK(noc::ReadSetting("Delai") == noc::IntToStr(s.Delai));
    CHECK(noc::ReadScrambledSetting("Protection") == noc::IntegrityText(s.Couleur, s.Jours, s.Heures, s.Minutes,
                                                                        s.Secondes, s.Chrono, s.MdPasse, s.MdPasseOK,
                                                                        s.Demarrage, s.Alerte));
    for (const char* name : {"Couleur", "Jours", "Heures", "Minutes", "Secondes", "Chrono", "MdPasse", "MdPasseOK",
                             "Demarrage", "Alerte", "Protection", "Son", "Delai"}) {
        CAPTURE(name);
        CHECK(StoredType(name) == static_cast<DWORD>(REG_SZ));
    }
}

// The texts of the message boxes shown, in order.
std::vector<std::string> BoxTexts(const SeamRecorder& rec) {
    std::vector<std::string> texts;
    for (const RecordedCall& box : rec.Boxes()) texts.push_back(box.text);
    return texts;
}

}  // namespace

TEST_CASE("a stored value of a type that is no string: its own report, its design value, nothing else lost") {
    SoundFile sound;
    const StoredSettings users = UsersSettings(sound.path);
    const DWORD number = 7;
    using Repair = void (*)(StoredSettings&);
    struct Case {
        const char* name;
        DWORD type;
        std::vector<std::string> boxes;
        Repair repair;  // what the window holds instead, and the next close stores
    } cases[] = {
        // A number read as empty text then fails its conversion too.
        {"Jours", REG_DWORD, {kReadError, NotANumber("")}, [](StoredSettings& s) { s.Jours = 0; }},
        {"Delai", REG_BINARY, {kReadError, NotANumber("")}, [](StoredSettings& s) { s.Delai = 20; }},
        {"Chrono", REG_BINARY, {kReadError, kTampered}, [](StoredSettings& s) { s.Chrono = "non"; }},
        {"Couleur", REG_DWORD, {kReadError, kTampered}, [](StoredSettings& s) { s.Couleur = "clMedGray"; }},
        {"MdPasse", REG_BINARY, {kScrambledReadError, kTampered}, [](StoredSettings& s) { s.MdPasse.clear(); }},
        {"Protection", REG_DWORD, {kScrambledReadError, kTampered}, [](StoredSettings&) {}},
        {"Son", REG_BINARY, {kReadError}, [](StoredSettings& s) { s.Son = SoundFallback(); }},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CAPTURE(c.type);
        users.Write();
        SetRaw(c.name, c.type, &number, sizeof number);
        StoredSettings repaired = users;
        c.repair(repaired);

        SeamRecorder rec;
        {
            RunningProgram program;
            CHECK(BoxTexts(rec) == c.boxes);
            // Each registry report comes after its beep; the conversion report and the warning have none.
            CHECK(rec.Beeps().size() == 1);
            REQUIRE(rec.calls.size() >= 2);
            CHECK(rec.calls[0].kind == RecordedCall::Beep);
            CHECK(rec.calls[1].caption == "Warning");
            CHECK(IsWindowVisible(program.form->Handle()));
            CHECK(program.form->Edit1->Text() == repaired.MdPasse);
            CHECK(program.form->TrackBar1->Position() == repaired.Delai);
            CHECK(program.form->UpDown4->Position() == repaired.Jours);
            rec.Clear();
            program.Quit();
            CHECK(rec.calls.empty());
        }
        CheckStored(repaired);
    }
}

TEST_CASE("strings stored without their terminating zero, or as expandable strings, read as they are") {
    SoundFile sound;
    const StoredSettings users = UsersSettings(sound.path);
    DWORD type = REG_SZ;
    SUBCASE("no terminating zero") { type = REG_SZ; }
    SUBCASE("expandable strings") { type = REG_EXPAND_SZ; }
    users.Write();
    // Every value again, its bytes only.
    const std::string plain[][2] = {{"Couleur", users.Couleur},
                                    {"Jours", "1"},
                                    {"Heures", "2"},
                                    {"Minutes", "3"},
                                    {"Secondes", "4"},
                                    {"Chrono", users.Chrono},
                                    {"MdPasseOK", users.MdPasseOK},
                                    {"Demarrage", users.Demarrage},
                                    {"Alerte", users.Alerte},
                                    {"Son", users.Son},
                                    {"Delai", "45"}};
    for (const auto& v : plain) SetRawText(v[0].c_str(), type, v[1]);
    SetRawText("MdPasse", type, noc::Scramble(users.MdPasse));
    SetRawText("Protection", type,
               noc::Scramble(noc::IntegrityText(users.Couleur, 1, 2, 3, 4, users.Chrono, users.MdPasse, users.MdPasseOK,
                                                users.Demarrage, users.Alerte)));
    SeamRecorder rec;
    {
        RunningProgram program;
        CHECK(rec.calls.empty());
        CHECK(program.form->UpDown4->Position() == 1);
        CHECK(program.form->UpDown3->Position() == 4);
        CHECK(program.form->Edit1->Text() == "secret");
        CHECK(program.form->Label14->Caption() == sound.path);
        CHECK(program.form->TrackBar1->Position() == 45);
        program.Quit();
    }
    CheckStored(users);
}

TEST_CASE("a stored sound path that names no file: the label's fallback, and the rest is kept") {
    SoundFile sound;
    StoredSettings users = UsersSettings(sound.path);
    SUBCASE("an expandable string is not expanded: a path with a variable") {
        users.Write();
        SetRawText("Son", REG_EXPAND_SZ, std::string("%TEMP%\\hostile-alerte.wav", 26));
    }
    SUBCASE("a path of 1 MB") {
        users.Son = std::string(1 << 20, 'a');
        users.Write();
    }
    SeamRecorder rec;
    {
        RunningProgram program;
        CHECK(rec.calls.empty());
        CHECK(program.form->Label14->Caption() == SoundFallback());
        CHECK(program.form->CheckBox4->Checked());
        program.Quit();
    }
    users.Son = SoundFallback();
    CheckStored(users);
}

TEST_CASE("a colour text of 10 000 characters is no colour: the grey swatch and black digits") {
    SoundFile sound;
    StoredSettings users = UsersSettings(sound.path);
    std::string commandLine = "NocTuro.exe";
    const std::string hexDigits = "$" + std::string(9999, 'F');
    SUBCASE("stored, with a matching check text") {
        users.Couleur = hexDigits;
        users.Write();
    }
    SUBCASE("given") {
        users.Write();
        commandLine += " " + std::string(10000, 'c');
    }
    SeamRecorder rec;
    {
        RunningProgram program(commandLine);
        CHECK(rec.calls.empty());
        CHECK(program.form->Shape1->BrushColor() == noc::clMedGray);
        CHECK(program.form->DigitColor() == noc::clBlack);
        program.form->Chronos1->SetEnabled(false);  // a given colour starts the countdown
        program.Quit();
    }
    users.Couleur = "clMedGray";
    CheckStored(users);
}

TEST_CASE("every parameter a non-number: one report per number, stored numbers kept, no countdown") {
    SoundFile sound;
    StoredSettings users = UsersSettings(sound.path);
    users.Write();
    SeamRecorder rec;
    {
        noc::Application().ShowMainForm = true;
        RunningProgram program("NocTuro.exe a b c d e f g h i j k");
        CHECK(BoxTexts(rec) == std::vector<std::string>{NotANumber("b"), NotANumber("c"), NotANumber("d"),
                                                        NotANumber("e"), NotANumber("k")});
        CHECK(rec.Beeps().empty());
        CHECK_FALSE(program.form->Chronos1->Enabled());
        CHECK(noc::Application().ShowMainForm);
        // Nothing counts down, so the window shows, where the stored dial can be put right.
        CHECK(IsWindowVisible(program.form->Handle()));
        CHECK(program.form->UpDown4->Position() == 1);
        CHECK(program.form->UpDown1->Position() == 2);
        CHECK(program.form->UpDown2->Position() == 3);
        CHECK(program.form->UpDown3->Position() == 4);
        CHECK(program.form->TrackBar1->Position() == 45);
        // The texts are taken as given.
        CHECK(program.form->Shape1->BrushColor() == noc::clMedGray);
        CHECK_FALSE(program.form->CheckBox1->Checked());
        CHECK_FALSE(program.form->CheckBox3->Checked());
        CHECK_FALSE(program.form->CheckBox4->Checked());
        CHECK(program.form->Edit1->Text() == "g");
        CHECK(program.form->Label14->Caption() == SoundFallback());  // "j" names no file
        rec.Clear();
        program.Quit();
        CHECK(rec.calls.empty());
    }
    users.Couleur = "clMedGray", users.Chrono = "non", users.MdPasse = "g", users.MdPasseOK = "non";
    users.Alerte = "non", users.Son = SoundFallback();
    CheckStored(users);
}

TEST_CASE("a start with Windows that a broken number stopped shows the window, so that it can be put right") {
    SoundFile sound;
    StoredSettings users = UsersSettings(sound.path);
    users.Demarrage = "oui";
    users.Jours = 0, users.Heures = 0, users.Minutes = 0, users.Secondes = 0;
    users.Write();
    noc::WriteSetting("Secondes", "40s");  // the only time dialled, now unreadable
    SeamRecorder rec;
    RunningProgram program;
    CHECK(BoxTexts(rec) == std::vector<std::string>{NotANumber("40s")});
    CHECK_FALSE(program.form->Chronos1->Enabled());
    CHECK(IsWindowVisible(program.form->Handle()));
    CHECK(noc::Application().ShowMainForm);
    // An all-zero dial with the start with Windows ticked refuses the close: the window is there to
    // set the dial or untick the box.
    rec.Clear();
    program.form->SpeedButton3Click(program.form->SpeedButton3);
    CHECK(rec.Boxes().size() == 1);
    CHECK_FALSE(noc::Application().Terminated());
    program.form->UpDown3->SetPosition(40);
    program.Quit();
    users.Secondes = 40;
    CheckStored(users);
}

TEST_CASE("the key deleted while the program runs: a close gives thirteen write reports, then the program ends") {
    SoundFile sound;
    UsersSettings(sound.path).Write();
    SeamRecorder rec;
    RunningProgram program;
    REQUIRE(rec.calls.empty());
    DeleteSettings();
    program.Quit();
    std::vector<std::string> expected(11, kWriteError);
    expected.insert(expected.begin() + 9, kScrambledWriteError);  // MdPasse, after MdPasseOK
    expected.push_back(kScrambledWriteError);                     // Protection, last
    CHECK(BoxTexts(rec) == expected);
    REQUIRE(rec.calls.size() == 26);
    for (size_t i = 0; i < rec.calls.size(); i += 2) {
        CHECK(rec.calls[i].kind == RecordedCall::Beep);
        CHECK(rec.calls[i + 1].caption == "Warning");
    }
    HKEY key = nullptr;
    CHECK(RegOpenKeyExA(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath, 0, KEY_READ, &key) == ERROR_FILE_NOT_FOUND);
}

TEST_CASE("a start-with-Windows flag that is no string is told once, not at each of the last seconds") {
    SoundFile sound;
    StoredSettings users = UsersSettings(sound.path);
    users.Write();
    const DWORD number = 1;
    SetRaw("Demarrage", REG_DWORD, &number, sizeof number);
    SeamRecorder rec;
    {
        // A command-line start reads the flag again at a tray click and at every tick of the final warning.
        RunningProgram program("NocTuro.exe * 0 0 0 30");
        TForm2& form = *program.form;
        REQUIRE(form.Chronos1->Enabled());
        form.Chronos1->SetEnabled(false);  // ticks are driven by hand here
        form.NotifyIcon1Click(form.NotifyIcon1);
        for (int i = 0; i < 10; ++i) form.Chronos1Timer(form.Chronos1);
        CHECK(form.TabControl2->Visible());  // the final warning ran
        CHECK(BoxTexts(rec) == std::vector<std::string>{kReadError, kTampered});
        CHECK_FALSE(form.CheckBox2->Checked());
        rec.Clear();
        program.Quit();
        CHECK(rec.calls.empty());
    }
    users.Jours = 0, users.Heures = 0, users.Minutes = 0, users.Secondes = 30;  // the dial given for this run
    CheckStored(users);
}

TEST_CASE("negative days from the command line count as none: the countdown ends when the rest says") {
    StoredSettings().Write();
    SeamRecorder rec;
    RunningProgram program("NocTuro.exe * -3 0 5 0");
    TForm2& form = *program.form;
    REQUIRE(form.Chronos1->Enabled());
    form.Chronos1->SetEnabled(false);  // ticks are driven by hand here
    CHECK(form.Counters.Days == 0);

    int ticks = 0;
    while (rec.Shutdowns().empty() && ticks < 400) {
        ++ticks;
        // The alert moment's file cannot be opened (none is chosen): that tick ends there.
        noc::RunGuarded(&form, [&] { form.Chronos1Timer(form.Chronos1); });
        if (ticks == 1) {
            CHECK(form.Label2->Caption() == "00");
            CHECK(form.Label9->Caption() == "04");
            CHECK(form.Label4->Caption() == "59");
        }
    }
    CHECK(ticks == 300);
    CHECK(rec.Shutdowns().size() == 1);
    CHECK(noc::Application().Terminated());
    CHECK(noc::ReadSetting("Jours") == "-3");  // the dial keeps what it was given
}
