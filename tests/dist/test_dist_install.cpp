// The setup program on 64-bit Windows, end to end: a silent install, the installed NocTuro's first
// start, an install over changed settings, and the silent uninstaller before and after NocTuro
// ends. The cases build on each other, in this order, in a prefix of their own.
#include "DistCommon.h"

using namespace dist;

namespace {

const char* const kNames[] = {"Couleur",   "Jours",     "Heures", "Minutes",    "Secondes", "Chrono", "MdPasse",
                              "MdPasseOK", "Demarrage", "Alerte", "Protection", "Son",      "Delai"};

void CheckDesignSettings() {
    const Stored design;
    const std::string expected[] = {design.Couleur,
                                    design.Jours,
                                    design.Heures,
                                    design.Minutes,
                                    design.Secondes,
                                    design.Chrono,
                                    noc::Scramble(design.MdPasse),
                                    design.MdPasseOK,
                                    design.Demarrage,
                                    design.Alerte,
                                    ProtectionOf(design),
                                    design.Son,
                                    design.Delai};
    CHECK(ValueCount(kSettingsKey) == 13);
    for (size_t i = 0; i < 13; ++i) CHECK_MESSAGE(ReadSetting(kNames[i]) == expected[i], kNames[i]);
}

bool SameFile(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::vector<BYTE> g_runKeyBefore;   // the Run key's descriptor before the first install
std::vector<BYTE> g_settingsKeySd;  // the settings key's descriptor after it

}  // namespace

TEST_CASE("the silent setup puts the 64-bit build, its sound, a shortcut, an entry and the settings in place") {
    REQUIRE_FALSE(Exists(InstallDir()));
    REQUIRE_FALSE(KeyExists(kSettingsKey));
    g_runKeyBefore = SecurityOf(kRunKey);
    REQUIRE_FALSE(g_runKeyBefore.empty());

    REQUIRE(RunSetup() == 0);

    CHECK(MachineOf(InstalledExe()) == IMAGE_FILE_MACHINE_AMD64);
    CHECK(SizeOf(InstalledSound()) > 4096);
    CHECK(Exists(InstalledUninstaller()));
    CHECK(SameFile(ShortcutTarget(Shortcut()), InstalledExe()));

    CHECK(ReadString(kUninstallKey, "DisplayName") == "NocTuro");
    CHECK(ReadString(kUninstallKey, "DisplayVersion") == "2.5");
    CHECK(ReadString(kUninstallKey, "InstallLocation") == InstallDir());
    CHECK(ReadString(kUninstallKey, "UninstallString") == "\"" + InstalledUninstaller() + "\"");
    CHECK(ReadString(kUninstallKey, "QuietUninstallString") == "\"" + InstalledUninstaller() + "\" /S");
    // The Group Policy definitions beside the program, in both languages.
    const std::string policy = InstallDir() + "\\PolicyDefinitions\\";
    const DWORD policyBytes = SizeOf(policy + "NocTuro.admx") + SizeOf(policy + "fr-FR\\NocTuro.adml") +
                              SizeOf(policy + "en-US\\NocTuro.adml");
    CHECK(policyBytes > 3 * 1024);
    const DWORD bytes =
        SizeOf(InstalledExe()) + SizeOf(InstalledSound()) + SizeOf(InstalledUninstaller()) + policyBytes;
    const std::optional<DWORD> kib = ReadDword(kUninstallKey, "EstimatedSize");
    REQUIRE(kib.has_value());
    CHECK(*kib * 1024 <= bytes);
    CHECK(bytes < (*kib + 3) * 1024);

    // The thirteen values of the window's design, with the integrity text that matches them, in the
    // registry view that the 64-bit program reads.
    CheckDesignSettings();
    CHECK_FALSE(KeyExists("Software\\WOW6432Node\\Belvane"));

    // Users may read the machine's values, on this key alone, and change nothing: each keeps
    // settings of their own. The maker's key and the Run key get nothing.
    g_settingsKeySd = SecurityOf(kSettingsKey);
    const Grant users = UsersGrant(g_settingsKeySd);
    CHECK((users.here & KEY_READ) == KEY_READ);
    CHECK((users.here & kWriteRights) == 0);
    CHECK((users.subkeys & kWriteRights) == 0);
    const Grant maker = UsersGrant(SecurityOf(kMakerKey));
    CHECK(((maker.here | maker.subkeys) & kWriteRights) == 0);
    CHECK(SecurityOf(kRunKey) == g_runKeyBefore);
}

TEST_CASE("the installed NocTuro starts without a warning and finds the installed sound") {
    StartInstalledAndQuit();
    CHECK(ReadSetting("Son") == InstalledSound());
}

TEST_CASE("installing again keeps the user's settings and puts back only a missing one") {
    {
        Program prog("", InstalledExe());
        HWND form = WaitForForm(prog);
        REQUIRE(form != nullptr);
        HWND showTime = ControlById(form, noc::idCheckBox1);
        REQUIRE(showTime != nullptr);
        Click(showTime);
        REQUIRE(WaitUntil([&] { return IsChecked(showTime); }, kLong));
        Quit(prog, form);
    }
    REQUIRE(ReadSetting("Chrono") == "oui");
    const std::optional<std::string> protection = ReadSetting("Protection");
    DeleteSetting("Delai");

    REQUIRE(RunSetup() == 0);

    CHECK(ReadSetting("Chrono") == "oui");
    CHECK(ReadSetting("Protection") == protection);
    CHECK(ReadSetting("Son") == InstalledSound());
    CHECK(ReadSetting("Delai") == "20");
    CHECK(ValueCount(kSettingsKey) == 13);
    CHECK(DaclText(SecurityOf(kSettingsKey)) == DaclText(g_settingsKeySd));  // the grant is not added twice

    Program prog("", InstalledExe());
    HWND form = WaitForForm(prog);
    REQUIRE(form != nullptr);
    CHECK(NoMessageBoxWithin(prog, kShort));
    CHECK(CheckedById(form, noc::idCheckBox1));
    Quit(prog, form);
}

TEST_CASE("while NocTuro runs, the silent uninstaller and setup refuse and leave everything") {
    const auto checkInstalled = [] {
        CHECK(Exists(InstalledExe()));
        CHECK(Exists(InstalledSound()));
        CHECK(Exists(InstalledUninstaller()));
        CHECK(Exists(Shortcut()));
        CHECK(ReadString(kUninstallKey, "DisplayName") == "NocTuro");
        CHECK(ValueCount(kSettingsKey) == 13);
    };
    {
        Program prog("", InstalledExe());
        HWND form = WaitForForm(prog);
        REQUIRE(form != nullptr);
        CHECK(RunUninstallerInPlace() == 2);
        CHECK(prog.Running());
        checkInstalled();
        Quit(prog, form);
    }
    // What tells them that NocTuro runs is its mutex, whether or not its file is in use.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "NOCTURO");
    REQUIRE(mutex != nullptr);
    REQUIRE(GetLastError() != ERROR_ALREADY_EXISTS);
    CHECK(RunUninstallerInPlace() == 2);
    CHECK(RunSetup() == 2);
    CloseHandle(mutex);
    checkInstalled();
}

TEST_CASE("once NocTuro has ended, the silent uninstaller removes every trace and nothing else") {
    WriteRunValue("NocTuro", InstalledExe());
    WriteRunValue("Bystander", "C:\\bystander.exe");
    // The uninstalling user's own entry and settings go too.
    WriteRunValue("NocTuro", InstalledExe(), HKEY_CURRENT_USER);
    HKEY own = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &own, nullptr) ==
            ERROR_SUCCESS);
    RegCloseKey(own);

    // Run as the list of installed programs runs it: it hands over to a copy of itself and returns.
    CHECK(RunToEnd(InstalledUninstaller(), "/S") == 0);
    REQUIRE(WaitUntil([] { return !KeyExists(kUninstallKey); }, kSetupTime));

    CHECK_FALSE(Exists(InstalledExe()));
    CHECK_FALSE(Exists(InstalledSound()));
    CHECK_FALSE(Exists(InstalledUninstaller()));
    CHECK_FALSE(Exists(InstallDir()));
    CHECK_FALSE(Exists(Shortcut()));
    CHECK_FALSE(RunValueExists("NocTuro"));
    CHECK(RunValueExists("Bystander"));
    CHECK_FALSE(KeyExists(kSettingsKey));
    CHECK_FALSE(KeyExists(kMakerKey));
    CHECK_FALSE(RunValueExists("NocTuro", HKEY_CURRENT_USER));
    CHECK_FALSE(KeyExists(kMakerKey, HKEY_CURRENT_USER));
    CHECK(SecurityOf(kRunKey) == g_runKeyBefore);
    DeleteRunValue("Bystander");
}
