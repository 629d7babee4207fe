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
        CHECK(program.form->UpDown2->Position() == (machines ? 45 : 0));
        CHECK(program.form->TrackBar1->Position() == 20);

        // Created with the machine's values where there are some, else the window's design values,
        // the integrity text matching them.
        noc::SettingTexts first = noc::DesignTexts();
        if (machines) {
            first[noc::Setting::Minutes] = "45";
            first[noc::Setting::Chrono] = "oui";
            first[noc::Setting::Protection] = first.MatchingProtection();
        }
        for (noc::Setting s : noc::kReadOrder) {
            CAPTURE(noc::NameOf(s));
            CHECK(UsersSetting(noc::NameOf(s)) == std::string(noc::StoredForm(s, first[s]).c_str()));
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

namespace {

// Where a start takes its values from, and where what it sets goes, for one user of a shared
// computer: the machine's keys writable or not (an elevated run, or a user's own), the user's key
// there or not. The machine's key holds an administrator's 45 minutes.
struct PlaceRow {
    const char* story;
    bool machineSettings, machineRun;  // writable by this run
    bool usersKey;                     // the user's key holds 9 minutes of this user's own
    bool machineStarts;                // an administrator set start with Windows for every user
    // The start: the minutes dialled, the countdown started at once. Then the box ticked (when no
    // countdown runs) and a close: the Run entries, and "Demarrage" in each key (null: no key).
    int minutes;
    bool countdown;
    bool machineEntry, usersEntry;
    const char *machineRecord, *usersRecord;
};

const PlaceRow kPlaces[] = {
    {"an administrator", true, true, false, false, 45, false, true, false, "oui", nullptr},
    {"an older set-up that let every user change the settings", true, false, false, false, 45, false, false, true,
     "non", "oui"},
    {"an elevated run, then a normal log-on", false, false, false, true, 45, true, true, false, "oui", "oui"},
    {"a user's own settings, then the set-up run", false, false, true, false, 9, false, false, true, "non", "oui"},
    {"a user whom the machine's Run key alone lets in", false, true, false, false, 45, false, false, true, "non",
     "oui"},
};

std::optional<std::string> Text(const char* text) { return text ? std::optional<std::string>(text) : std::nullopt; }

void WriteUsersOwn(int minutes) {
    noc::SettingTexts t = noc::DesignTexts();
    t[noc::Setting::Minutes] = noc::IntToStr(minutes);
    t[noc::Setting::Protection] = t.MatchingProtection();
    REQUIRE(CreateKey(HKEY_CURRENT_USER, noc::kSettingsKeyPath));
    for (noc::Setting s : noc::kReadOrder)
        WriteText(HKEY_CURRENT_USER, noc::kSettingsKeyPath, noc::NameOf(s), noc::StoredForm(s, t[s]));
}

}  // namespace

TEST_CASE("whose settings: the place, the user's key and the Run key decide where values and entry go") {
    for (const PlaceRow& row : kPlaces) {
        const std::string story = row.story;
        CAPTURE(story);
        UserKeys user;
        StoredSettings machines;
        machines.Minutes = 45;
        machines.Demarrage = noc::YesNo(row.machineStarts);
        machines.Write();
        if (row.machineStarts) WriteRunEntry(HKEY_LOCAL_MACHINE);
        if (row.usersKey) WriteUsersOwn(9);

        SeamRecorder rec;
        rec.refuseKey = [&row](HKEY root, const std::string& path, REGSAM access) {
            return (!row.machineSettings && MachineSettingsKey(root, path, access)) ||
                   (!row.machineRun && MachineRunKey(root, path, access));
        };
        {
            RunningProgram program;
            TForm2& form = *program.form;
            CHECK(rec.calls.empty());
            CHECK(form.UpDown2->Position() == row.minutes);
            CHECK(form.Chronos1->Enabled() == row.countdown);
            CHECK(IsWindowVisible(form.Handle()) != row.countdown);
            if (!row.countdown) {
                Toggle(form, true);
                CheckToldOnce(rec, kWritten, true);
            }
            program.Quit();
        }
        CHECK(RunEntry(HKEY_LOCAL_MACHINE).has_value() == row.machineEntry);
        CHECK(RunEntry(HKEY_CURRENT_USER).has_value() == row.usersEntry);
        CHECK(ReadText(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath, "Demarrage") == Text(row.machineRecord));
        CHECK(UsersSetting("Demarrage") == Text(row.usersRecord));
        DeleteSettings();
    }
}

namespace {

// The administrator's policy key, with these values, for the test's length.
class PolicyKey {
public:
    explicit PolicyKey(std::initializer_list<std::pair<const char*, const char*>> values) {
        REQUIRE(CreateKey(HKEY_LOCAL_MACHINE, noc::kPolicyKeyPath));
        for (const auto& [name, text] : values) WriteText(HKEY_LOCAL_MACHINE, noc::kPolicyKeyPath, name, text);
    }
    ~PolicyKey() {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, noc::kPolicyKeyPath);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Policies\\Belvane");  // only when nothing else is in it
    }
    PolicyKey(const PolicyKey&) = delete;
    PolicyKey& operator=(const PolicyKey&) = delete;
};

}  // namespace

TEST_CASE("an administrator's policy sets and locks its values, and may forbid stopping a countdown") {
    UserKeys user;
    StoredSettings mine;
    mine.Minutes = 5;
    mine.Write();
    PolicyKey policy({{"Jours", "0"},
                      {"Heures", "0"},
                      {"Minutes", "30"},
                      {"Secondes", "0"},
                      {"Chrono", "oui"},
                      {"Delai", "soon"},
                      {"MdPasseOK", "oui"},
                      {"Annulation", "non"}});
    SeamRecorder rec;
    RunningProgram program;
    TForm2& form = *program.form;
    CHECK(rec.calls.empty());  // no warning: the stored values are as they were
    CHECK(form.UpDown2->Position() == 30);
    CHECK(form.CheckBox1->Checked());
    for (noc::TControl* c : std::initializer_list<noc::TControl*>{form.UpDown2, form.MaskEdit2, form.CheckBox1}) {
        CHECK_FALSE(c->Enabled());
        CHECK(c->Hint() == "Réglé par votre administrateur");
    }
    // A number that does not convert, and a value the policy may not set, are left to the user.
    for (noc::TControl* c : std::initializer_list<noc::TControl*>{form.TrackBar1, form.CheckBox3, form.CheckBox4})
        CHECK(c->Enabled());
    CHECK_FALSE(form.CheckBox3->Checked());

    form.MyImage1Click(form.MyImage1);
    REQUIRE(form.Chronos1->Enabled());
    CHECK_FALSE(form.SpeedButton2->Enabled());
    CHECK_FALSE(form.SpeedButton4->Enabled());
    const int32_t minutes = form.Counters.Minutes;
    form.CancelCountdown();
    form.PostponeCountdown(10);
    CHECK(form.Chronos1->Enabled());
    CHECK(form.Counters.Minutes == minutes);
    form.Close();  // saves, then refuses
    CHECK_FALSE(noc::Application().Terminated());
    CHECK(form.Chronos1->Enabled());
    // The user's save leaves what the policy set to the policy.
    CHECK(noc::ReadSetting("Minutes") == "5");
    CHECK(noc::ReadSetting("Chrono") == "non");
    CHECK(ReadText(HKEY_LOCAL_MACHINE, noc::kPolicyKeyPath, "Minutes") == "30");
}

TEST_CASE("an administrator's clock time aims the dial at it and locks it, the user's own stored underneath") {
    UserKeys user;
    StoredSettings mine;
    mine.Write();
    PolicyKey policy({{noc::kTargetSettingName, "23:30"}});
    SeamRecorder rec;
    RunningProgram program;
    TForm2& form = *program.form;
    REQUIRE(form.Model.HasTarget());
    CHECK(noc::ClockTimeText(form.Model.Target()) == "23:30");
    for (noc::TControl* c : std::initializer_list<noc::TControl*>{form.UpDown1, form.MaskEdit4, form.Image13})
        CHECK_FALSE(c->Enabled());
    form.Close();
    CHECK(noc::ReadSetting(noc::kTargetSettingName).empty());
}
