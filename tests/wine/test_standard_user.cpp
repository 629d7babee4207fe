// A standard user, whom Windows (Vista and later) lets read the machine's registry keys but not
// change them: the start-up entry and the settings go to the user's own keys instead. The recorder
// refuses the machine's keys as Windows would; everything else is the prefix's real registry.
#include <doctest/doctest.h>

#include <optional>

#include "FormFixture.h"
#include "settings/SettingsTable.h"
#include "settings/StartupEntry.h"

using namespace testing;
using noc::TForm2;

namespace {

const char kWritten[] =
    "La base de registre a été mise à jour ! NocTuro\r\nsera désormais lancé au démarrage de Windows.";
const char kRemoved[] =
    "La base de registre a été mise à jour ! NocTuro\r\nne sera plus lancé au démarrage de Windows.";
const char kNotWritten[] =
    "Ooops ! Un problème est survenu au cours de l'utilisation de votre\r\nbase de registre ! Merci de contacter "
    "le concepteur du logiciel.";
const char kNotRemoved[] =
    "Ooops ! Une erreur est survenue au cours de l'utilisation de votre\r\nbase de registre ! Merci de contacter "
    "le concepteur du logiciel.";

// Whether the program asks for more than reading.
bool Changes(REGSAM access) { return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0; }

// What a standard user is refused.
bool MachineRunKey(HKEY root, const std::string& path, REGSAM access) {
    return root == HKEY_LOCAL_MACHINE && path == noc::kRunKeyPath && Changes(access);
}
bool EveryRunKey(HKEY, const std::string& path, REGSAM access) { return path == noc::kRunKeyPath && Changes(access); }
bool MachineSettingsKey(HKEY root, const std::string& path, REGSAM access) {
    return root == HKEY_LOCAL_MACHINE && path == noc::kSettingsKeyPath && Changes(access);
}

// A string value, without its terminating zero; none when the key or the value is missing.
std::optional<std::string> ReadText(HKEY root, const char* path, const char* name) {
    const UniqueRegKey key = OpenKey(root, path);
    if (!key) return std::nullopt;
    std::optional<std::string> text;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS)
            text = std::string(data.data());
    }
    return text;
}

void WriteText(HKEY root, const char* path, const char* name, const std::string& text) {
    const UniqueRegKey key = OpenKey(root, path, KEY_SET_VALUE);
    REQUIRE(key);
    CHECK(RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS);
}

std::optional<std::string> RunEntry(HKEY root) { return ReadText(root, noc::kRunKeyPath, "NocTuro"); }
void WriteRunEntry(HKEY root) { WriteText(root, noc::kRunKeyPath, "NocTuro", "\"C:\\NocTuro.exe\""); }
std::optional<std::string> UsersSetting(const char* name) {
    return ReadText(HKEY_CURRENT_USER, noc::kSettingsKeyPath, name);
}

bool KeyExists(HKEY root, const char* path) { return static_cast<bool>(OpenKey(root, path)); }

// The user's Run key is there, as Windows makes it for every profile (a fresh prefix may lack it),
// and neither Run key holds our entry, nor the user's hive our settings, before and after the test;
// the settings are back in the machine's place after it.
class UserKeys {
public:
    UserKeys() {
        Clean();
        createdRunKey_ = !KeyExists(HKEY_CURRENT_USER, noc::kRunKeyPath);
        REQUIRE(CreateKey(HKEY_CURRENT_USER, noc::kRunKeyPath));
    }
    ~UserKeys() {
        Clean();
        if (createdRunKey_) RegDeleteKeyA(HKEY_CURRENT_USER, noc::kRunKeyPath);
        noc::SetSettingsRootForTesting(nullptr);
    }
    UserKeys(const UserKeys&) = delete;
    UserKeys& operator=(const UserKeys&) = delete;

private:
    static void Clean() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteKeyValueA(root, noc::kRunKeyPath, "NocTuro");
        RegDeleteKeyA(HKEY_CURRENT_USER, noc::kSettingsKeyPath);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Belvane");  // only when nothing else is in it
    }
    bool createdRunKey_ = false;
};

void Toggle(TForm2& f, bool ticked) {
    f.CheckBox2->SetChecked(ticked);
    f.CheckBox2MouseUp(f.CheckBox2, noc::TMouseButton::mbLeft, 0, 1, 1);
}

// One beep, then one box with the given text: the information sound and box, or the default beep
// and a warning.
void CheckToldOnce(const SeamRecorder& rec, const char* text, bool information) {
    REQUIRE(rec.calls.size() == 2);
    CHECK(rec.calls[0].kind == RecordedCall::Beep);
    CHECK(rec.calls[0].flags == (information ? static_cast<UINT>(MB_ICONASTERISK) : static_cast<UINT>(MB_OK)));
    CHECK(rec.calls[1].kind == RecordedCall::Box);
    CHECK(rec.calls[1].text == text);
    CHECK(rec.calls[1].caption == (information ? "Information" : "Warning"));
}

}  // namespace

TEST_CASE("a user who may not change the machine's Run key starts NocTuro with Windows from the user's own") {
    UserKeys user;
    StoredSettings stored;
    stored.Minutes = 5;  // a close goes through whether the box is ticked or not
    stored.Write();
    SeamRecorder rec;
    RunningProgram program;
    TForm2& form = *program.form;
    REQUIRE(rec.calls.empty());
    rec.refuseKey = MachineRunKey;
    const std::string entry = "\"" + noc::ProgramPath() + "\"";

    SUBCASE("ticking writes the user's entry, with the usual confirmation; unticking removes it") {
        Toggle(form, true);
        CheckToldOnce(rec, kWritten, true);
        CHECK(form.CheckBox2->Checked());
        CHECK(RunEntry(HKEY_CURRENT_USER) == entry);
        CHECK_FALSE(RunEntry(HKEY_LOCAL_MACHINE).has_value());

        rec.Clear();
        Toggle(form, false);
        CheckToldOnce(rec, kRemoved, true);
        CHECK_FALSE(RunEntry(HKEY_CURRENT_USER).has_value());
    }
    SUBCASE("an entry of the machine's, which only an administrator may remove: the removal's warning") {
        WriteRunEntry(HKEY_LOCAL_MACHINE);
        WriteRunEntry(HKEY_CURRENT_USER);
        Toggle(form, false);
        CheckToldOnce(rec, kNotRemoved, false);
        CHECK(RunEntry(HKEY_LOCAL_MACHINE).has_value());
        CHECK_FALSE(RunEntry(HKEY_CURRENT_USER).has_value());
        CHECK_FALSE(form.CheckBox2->Checked());
    }
    SUBCASE("neither Run key may be changed: the warning, the box unticked again, and the close stores \"non\"") {
        rec.refuseKey = EveryRunKey;
        Toggle(form, true);
        CheckToldOnce(rec, kNotWritten, false);
        CHECK_FALSE(form.CheckBox2->Checked());
        CHECK_FALSE(RunEntry(HKEY_LOCAL_MACHINE).has_value());
        CHECK_FALSE(RunEntry(HKEY_CURRENT_USER).has_value());

        rec.Clear();
        program.Quit();
        CHECK(rec.calls.empty());
        CHECK(noc::ReadSetting("Demarrage") == "non");
        CHECK(noc::ReadSetting("Minutes") == "5");
    }
}

TEST_CASE("unticking, and a plain start, clear the entry from both Run keys") {
    UserKeys user;
    StoredSettings().Write();
    SeamRecorder rec;

    SUBCASE("unticking") {
        RunningProgram program;
        WriteRunEntry(HKEY_LOCAL_MACHINE);
        WriteRunEntry(HKEY_CURRENT_USER);
        Toggle(*program.form, false);
        CheckToldOnce(rec, kRemoved, true);
        CHECK_FALSE(RunEntry(HKEY_LOCAL_MACHINE).has_value());
        CHECK_FALSE(RunEntry(HKEY_CURRENT_USER).has_value());
    }
    SUBCASE("a plain start, quietly; by a user who may not change the machine's key, the user's entry goes") {
        for (const bool standardUser : {false, true}) {
            CAPTURE(standardUser);
            rec.Clear();
            rec.refuseKey = standardUser ? MachineRunKey : nullptr;
            WriteRunEntry(HKEY_LOCAL_MACHINE);
            WriteRunEntry(HKEY_CURRENT_USER);
            {
                RunningProgram program;
                CHECK(rec.calls.empty());
            }
            CHECK(RunEntry(HKEY_LOCAL_MACHINE).has_value() == standardUser);
            CHECK_FALSE(RunEntry(HKEY_CURRENT_USER).has_value());
        }
    }
}

TEST_CASE("a user who may not change the machine's settings key keeps the settings in the user's own") {
    UserKeys user;
    SeamRecorder rec;
    rec.refuseKey = MachineSettingsKey;
    std::optional<StoredSettings> machines;

    SUBCASE("the machine's key missing, as for a copied program") { DeleteSettings(); }
    SUBCASE("the machine's key there, the user may only read it") {
        machines.emplace();
        machines->Minutes = 45;
        machines->Chrono = "oui";
        noc::SetSystemSeam(nullptr);  // written as the administrator who installed it
        machines->Write();
        noc::SetSystemSeam(&rec);
    }

    {
        RunningProgram program;
        CHECK(rec.calls.empty());  // no box, no beep
        CHECK(noc::SettingsArePerUser());
        CHECK(IsWindowVisible(program.form->Handle()));
        CHECK(program.form->UpDown2->Position() == 0);
        CHECK(program.form->TrackBar1->Position() == 20);

        // Created with the window's design values, the integrity text matching them.
        const noc::SettingTexts design = noc::DesignTexts();
        for (noc::Setting s : noc::kReadOrder) {
            CAPTURE(noc::NameOf(s));
            CHECK(UsersSetting(noc::NameOf(s)) == std::string(noc::StoredForm(s, design[s]).c_str()));
        }

        program.form->UpDown2->SetPosition(7);
        program.form->CheckBox1->SetChecked(true);
        program.Quit();
        CHECK(rec.calls.empty());
    }
    CHECK(UsersSetting("Minutes") == "7");
    CHECK(UsersSetting("Chrono") == "oui");
    CHECK(UsersSetting("Protection") ==
          noc::Scramble(noc::IntegrityText("clMedGray", 0, 0, 7, 0, "oui", "", "non", "non", "non")));

    // The machine's key as it was.
    if (machines) {
        noc::SetSettingsRootForTesting(nullptr);
        noc::SetSystemSeam(nullptr);
        CHECK(noc::ReadSetting("Minutes") == "45");
        CHECK(noc::ReadSetting("Chrono") == "oui");
        noc::SetSystemSeam(&rec);
    } else {
        CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath));
    }

    // The next start finds them there.
    {
        RunningProgram program;
        CHECK(rec.calls.empty());
        CHECK(program.form->UpDown2->Position() == 7);
        CHECK(program.form->CheckBox1->Checked());
    }
}

TEST_CASE("an administrator keeps the machine's settings, even beside a user's own") {
    UserKeys user;
    StoredSettings machines;
    machines.Minutes = 3;
    machines.Write();
    REQUIRE(CreateKey(HKEY_CURRENT_USER, noc::kSettingsKeyPath));
    WriteText(HKEY_CURRENT_USER, noc::kSettingsKeyPath, "Minutes", "9");
    SeamRecorder rec;
    {
        RunningProgram program;
        CHECK(rec.calls.empty());
        CHECK_FALSE(noc::SettingsArePerUser());
        CHECK(program.form->UpDown2->Position() == 3);
        program.form->UpDown2->SetPosition(4);
        program.Quit();
    }
    CHECK(noc::ReadSetting("Minutes") == "4");
    CHECK(ReadText(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath, "Minutes") == "4");
    CHECK(UsersSetting("Minutes") == "9");
}
