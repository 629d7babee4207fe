// The settings store against the real registry of the test prefix.
#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "settings/Scramble.h"
#include "settings/SettingsStore.h"
#include "RegKey.h"
#include "wine/Recorder.h"
#include "wine/StoreTexts.h"

using testing::CreateKey;
using testing::kReadError;
using testing::kScrambledReadError;
using testing::kScrambledWriteError;
using testing::kWriteError;
using testing::OpenKey;
using testing::RecordedCall;
using testing::SeamRecorder;
using testing::UniqueRegKey;

namespace {

// Where the scratch roots live (under HKEY_CURRENT_USER).
const char* const kScratchPath = "Software\\NocTuroStoreTests";

struct DesignValue {
    const char* name;
    const char* text;
};
const DesignValue kPlainDesignValues[] = {
    {"Jours", "0"},
    {"Heures", "0"},
    {"Minutes", "0"},
    {"Secondes", "0"},
    {"Delai", "20"},
    {"Chrono", "non"},
    {"MdPasseOK", "non"},
    {"Demarrage", "non"},
    {"Alerte", "non"},
    {"Couleur", "clMedGray"},
    {"Son", "Chemin du fichier..."},
};

void DeleteProgramKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath); }

bool ProgramKeyExists() { return static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath)); }

UniqueRegKey CreateProgramKey() {
    UniqueRegKey key = CreateKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath);
    REQUIRE(key);
    return key;
}

// Each case starts without the program's key and ends on the real root, leaving the prefix as it
// found it for the other programs run in it.
struct FreshRegistry {
    FreshRegistry() {
        noc::SetSettingsRootForTesting(nullptr);
        DeleteProgramKey();
    }
    ~FreshRegistry() {
        noc::SetSettingsRootForTesting(nullptr);
        DeleteProgramKey();
    }
};

struct RawValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;
};

// The value as stored, byte for byte, read straight from the registry.
RawValue ReadRaw(HKEY root, const char* name) {
    RawValue v;
    const UniqueRegKey key = OpenKey(root, noc::kSettingsKeyPath, KEY_READ, &v.status);
    if (!key) return v;
    DWORD size = 0;
    v.status = RegQueryValueExA(key.get(), name, nullptr, &v.type, nullptr, &size);
    if (v.status == ERROR_SUCCESS && size > 0) {
        std::vector<BYTE> data(size);
        v.status = RegQueryValueExA(key.get(), name, nullptr, &v.type, data.data(), &size);
        v.bytes.assign(reinterpret_cast<const char*>(data.data()), size);
    }
    return v;
}

void SetRaw(const UniqueRegKey& key, const char* name, DWORD type, const void* data, DWORD size) {
    REQUIRE(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
}

DWORD ValueCount(HKEY root) {
    const UniqueRegKey key = OpenKey(root, noc::kSettingsKeyPath);
    DWORD count = 0;
    if (key)
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
    return count;
}

// Every recorded call is one report: the default beep, then the warning box with the given text.
void CheckReports(const SeamRecorder& rec, const std::vector<const char*>& texts) {
    REQUIRE(rec.calls.size() == texts.size() * 2);
    for (size_t i = 0; i < texts.size(); ++i) {
        const RecordedCall& beep = rec.calls[2 * i];
        const RecordedCall& box = rec.calls[2 * i + 1];
        CHECK(beep.kind == RecordedCall::Beep);
        CHECK(beep.flags == static_cast<UINT>(MB_OK));
        CHECK(box.kind == RecordedCall::Box);
        CHECK(box.text == texts[i]);
        CHECK(box.caption == "Warning");
        CHECK((box.flags & (MB_OK | MB_ICONWARNING)) == static_cast<UINT>(MB_OK | MB_ICONWARNING));
    }
}

// Thirteen writes, one per setting, as the window saves them; the reports they should give.
std::vector<const char*> WriteAllThirteen() {
    std::vector<const char*> expected;
    for (const DesignValue& v : kPlainDesignValues) {
        noc::WriteSetting(v.name, v.text);
        expected.push_back(kWriteError);
    }
    noc::WriteScrambledSetting("MdPasse", "secret");
    expected.push_back(kScrambledWriteError);
    noc::WriteScrambledSetting("Protection", "check");
    expected.push_back(kScrambledWriteError);
    return expected;
}

std::string AllBytesFrom1() {
    std::string s;
    for (int c = 1; c <= 255; ++c) s.push_back(static_cast<char>(c));
    return s;
}

// A scratch key under HKEY_CURRENT_USER used as the settings root, removed with all it holds.
class ScratchRoot {
public:
    // A volatile root cannot hold the program's (non-volatile) key.
    explicit ScratchRoot(DWORD options = REG_OPTION_NON_VOLATILE) {
        Remove();
        root_ = CreateKey(HKEY_CURRENT_USER, kScratchPath, options);
        REQUIRE(root_);
    }
    ~ScratchRoot() {
        noc::SetSettingsRootForTesting(nullptr);
        root_.reset();
        Remove();
    }
    ScratchRoot(const ScratchRoot&) = delete;
    ScratchRoot& operator=(const ScratchRoot&) = delete;

    HKEY get() const { return root_.get(); }

    // Everyone may read the key at `path` (under HKEY_CURRENT_USER) and do nothing else with it.
    static bool MakeReadOnly(const std::string& path) { return SetEveryone(path, KEY_READ); }

private:
    static bool SetEveryone(const std::string& path, DWORD rights) {
        const UniqueRegKey key = OpenKey(HKEY_CURRENT_USER, path, WRITE_DAC);
        if (!key) return false;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        bool ok = false;
        if (AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
            std::vector<BYTE> aclBuffer(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
            PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
            SECURITY_DESCRIPTOR sd;
            ok = InitializeAcl(acl, static_cast<DWORD>(aclBuffer.size()), ACL_REVISION) &&
                 AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone) &&
                 InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) &&
                 RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
            FreeSid(everyone);
        }
        return ok;
    }

    // Gives full rights back to every key of the scratch tree, then deletes it.
    static void Remove() {
        const std::string base = kScratchPath;
        for (const std::string& sub : {std::string(), std::string("\\Software"), std::string("\\Software\\Belvane"),
                                       std::string("\\Software\\Belvane\\NocTuro")})
            SetEveryone(base + sub, KEY_ALL_ACCESS);
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratchPath);
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchPath);
    }

    UniqueRegKey root_;
};

}  // namespace

TEST_CASE("settings store: missing key") {
    FreshRegistry fresh;
    SeamRecorder rec;

    SUBCASE("reads give empty text without a message") {
        CHECK(noc::ReadSetting("Jours") == "");
        CHECK(noc::ReadSetting("Couleur") == "");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
        CHECK(noc::ReadScrambledSetting("Protection") == "");
        CHECK(rec.calls.empty());
    }
    SUBCASE("every write reports its own failure and creates nothing") {
        const std::vector<const char*> expected = WriteAllThirteen();
        CHECK(rec.Boxes().size() == 13);
        CHECK(rec.Beeps().size() == 13);
        CheckReports(rec, expected);
        CHECK_FALSE(ProgramKeyExists());
    }
}

TEST_CASE("settings store: absent and empty values") {
    FreshRegistry fresh;
    const UniqueRegKey key = CreateProgramKey();
    SeamRecorder rec;

    SUBCASE("absent value") {
        CHECK(noc::ReadSetting("Jours") == "");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
    }
    SUBCASE("empty value written by the store") {
        noc::WriteSetting("Son", "");
        noc::WriteScrambledSetting("MdPasse", "");
        CHECK(noc::ReadSetting("Son") == "");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
        CHECK(ReadRaw(HKEY_LOCAL_MACHINE, "Son").bytes == std::string(1, '\0'));
        CHECK(ReadRaw(HKEY_LOCAL_MACHINE, "MdPasse").bytes == std::string(1, '\0'));
    }
    SUBCASE("empty value of no bytes at all") {
        SetRaw(key, "Son", REG_SZ, "", 0);
        SetRaw(key, "MdPasse", REG_SZ, "", 0);
        CHECK(noc::ReadSetting("Son") == "");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
    }
    CHECK(rec.calls.empty());
}

TEST_CASE("settings store: value of another type") {
    FreshRegistry fresh;
    const UniqueRegKey key = CreateProgramKey();
    const DWORD number = 42;
    SetRaw(key, "Jours", REG_DWORD, &number, sizeof number);
    SetRaw(key, "MdPasse", REG_DWORD, &number, sizeof number);
    SetRaw(key, "Couleur", REG_BINARY, "ab", 2);
    SeamRecorder rec;

    SUBCASE("plain read") {
        CHECK(noc::ReadSetting("Jours") == "");
        CheckReports(rec, {kReadError});
        rec.Clear();
        CHECK(noc::ReadSetting("Couleur") == "");
        CheckReports(rec, {kReadError});
    }
    SUBCASE("scrambled read") {
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
        CheckReports(rec, {kScrambledReadError});
    }
    SUBCASE("a value read again is told once, until it reads well again") {
        CHECK(noc::ReadSetting("Jours") == "");
        CHECK(noc::ReadSetting("Jours") == "");
        CHECK(noc::ReadSetting("Jours") == "");
        CheckReports(rec, {kReadError});
        rec.Clear();
        SetRaw(key, "Jours", REG_SZ, "3", 2);
        CHECK(noc::ReadSetting("Jours") == "3");
        SetRaw(key, "Jours", REG_DWORD, &number, sizeof number);
        CHECK(noc::ReadSetting("Jours") == "");
        CheckReports(rec, {kReadError});
        SetRaw(key, "Jours", REG_SZ, "3", 2);  // leaves no failure behind for later cases
        CHECK(noc::ReadSetting("Jours") == "3");
    }
    SUBCASE("an expandable string is read as it is stored") {
        SetRaw(key, "Son", REG_EXPAND_SZ, "%TEMP%\\x.wav", 13);
        CHECK(noc::ReadSetting("Son") == "%TEMP%\\x.wav");
        CHECK(rec.calls.empty());
    }
    SUBCASE("the store writes over it as a string") {
        noc::WriteSetting("Jours", "3");
        CHECK(noc::ReadSetting("Jours") == "3");
        CHECK(rec.calls.empty());
    }
}

TEST_CASE("settings store: plain values") {
    FreshRegistry fresh;
    const UniqueRegKey key = CreateProgramKey();
    SeamRecorder rec;

    SUBCASE("round trip, accented text included") {
        const std::string french = "Éteindre à l'heure dite : très économe, garçon ! « ÀÇÈÉÊËÎÏÔÙÛÜŸœ€ »";
        noc::WriteSetting("Son", french);
        noc::WriteSetting("Couleur", "clMedGray");
        CHECK(noc::ReadSetting("Son") == french);
        CHECK(noc::ReadSetting("Couleur") == "clMedGray");
        CHECK(rec.calls.empty());
    }
    SUBCASE("stored as a string with its terminating zero") {
        noc::WriteSetting("Delai", "20");
        const RawValue raw = ReadRaw(HKEY_LOCAL_MACHINE, "Delai");
        CHECK(raw.type == REG_SZ);
        CHECK(raw.bytes == std::string("20", 3));
    }
    SUBCASE("a plain read stops at the first zero byte") {
        SetRaw(key, "Chrono", REG_SZ, "oui\0non", 8);
        CHECK(noc::ReadSetting("Chrono") == "oui");
        SetRaw(key, "Alerte", REG_SZ, "non", 3);  // stored without its terminating zero
        CHECK(noc::ReadSetting("Alerte") == "non");
        CHECK(rec.calls.empty());
    }
    SUBCASE("a long value is read whole") {
        std::string longText;
        for (int i = 0; i < 10000; ++i) longText.push_back(static_cast<char>('a' + i % 26));
        noc::WriteSetting("Son", longText);
        CHECK(noc::ReadSetting("Son") == longText);
        noc::WriteScrambledSetting("MdPasse", longText);
        CHECK(noc::ReadScrambledSetting("MdPasse") == longText);
        CHECK(rec.calls.empty());
    }
}

TEST_CASE("settings store: scrambled values") {
    FreshRegistry fresh;
    CreateProgramKey();
    SeamRecorder rec;

    SUBCASE("every byte value from 1 to 255") {
        const std::string all = AllBytesFrom1();
        noc::WriteScrambledSetting("MdPasse", all);
        CHECK(noc::ReadScrambledSetting("MdPasse") == all);
        const RawValue raw = ReadRaw(HKEY_LOCAL_MACHINE, "MdPasse");
        CHECK(raw.type == REG_SZ);
        CHECK(raw.bytes == noc::Scramble(all) + std::string(1, '\0'));
    }
    SUBCASE("a backspace, whose scrambled form is a zero byte") {
        REQUIRE(noc::Scramble("\b") == std::string(1, '\0'));
        noc::WriteScrambledSetting("MdPasse", "a\bb");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "a\bb");
        CHECK(ReadRaw(HKEY_LOCAL_MACHINE, "MdPasse").bytes.size() == 4);
        noc::WriteScrambledSetting("MdPasse", "\b");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "\b");
        noc::WriteScrambledSetting("MdPasse", "ab\b");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "ab\b");
        noc::WriteScrambledSetting("MdPasse", "\b\b");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "\b\b");
    }
    SUBCASE("a text without zero bytes is stored as a plain string would be") {
        noc::WriteScrambledSetting("Protection", "clMedGray0000non");
        const std::string scrambled = noc::Scramble("clMedGray0000non");
        CHECK(ReadRaw(HKEY_LOCAL_MACHINE, "Protection").bytes == scrambled + std::string(1, '\0'));
        CHECK(noc::ReadSetting("Protection") == scrambled);
    }
    SUBCASE("a value stored without its terminating zero") {
        const UniqueRegKey key = CreateProgramKey();
        const std::string scrambled = noc::Scramble("mot");
        SetRaw(key, "MdPasse", REG_SZ, scrambled.data(), static_cast<DWORD>(scrambled.size()));
        CHECK(noc::ReadScrambledSetting("MdPasse") == "mot");
    }
    CHECK(rec.calls.empty());
}

TEST_CASE("settings store: first use creates the key") {
    FreshRegistry fresh;
    SeamRecorder rec;

    SUBCASE("missing key: created with the thirteen design values") {
        CHECK(noc::EnsureSettingsKey());
        CHECK(ProgramKeyExists());
        CHECK(ValueCount(HKEY_LOCAL_MACHINE) == 13);
        for (const DesignValue& v : kPlainDesignValues) {
            CAPTURE(v.name);
            const RawValue raw = ReadRaw(HKEY_LOCAL_MACHINE, v.name);
            CHECK(raw.type == REG_SZ);
            CHECK(raw.bytes == std::string(v.text) + std::string(1, '\0'));
            CHECK(noc::ReadSetting(v.name) == v.text);
        }
        CHECK(ReadRaw(HKEY_LOCAL_MACHINE, "MdPasse").status == ERROR_SUCCESS);
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
        CHECK(noc::ReadScrambledSetting("Protection") ==
              noc::IntegrityText("clMedGray", 0, 0, 0, 0, "non", "", "non", "non", "non"));
        CHECK(noc::ReadScrambledSetting("Protection") == "clMedGray0000nonnonnonnon");
        CHECK(rec.calls.empty());
    }
    SUBCASE("existing key: left as it is") {
        const UniqueRegKey key = CreateProgramKey();
        SetRaw(key, "Jours", REG_SZ, "5", 2);
        CHECK_FALSE(noc::EnsureSettingsKey());
        CHECK(ValueCount(HKEY_LOCAL_MACHINE) == 1);
        CHECK(noc::ReadSetting("Jours") == "5");

        DeleteProgramKey();
        CHECK(noc::EnsureSettingsKey());
        noc::WriteSetting("Jours", "7");
        CHECK_FALSE(noc::EnsureSettingsKey());
        CHECK(noc::ReadSetting("Jours") == "7");
        CHECK(ValueCount(HKEY_LOCAL_MACHINE) == 13);
        CHECK(rec.calls.empty());
    }
}

TEST_CASE("settings store: key without write rights") {
    FreshRegistry fresh;
    ScratchRoot scratch;
    const std::string keyPath = std::string(kScratchPath) + "\\" + noc::kSettingsKeyPath;

    // The program's key under the scratch root, with values, then made read-only.
    {
        const UniqueRegKey key = CreateKey(scratch.get(), noc::kSettingsKeyPath);
        REQUIRE(key);
        SetRaw(key, "Jours", REG_SZ, "4", 2);
    }
    REQUIRE(ScratchRoot::MakeReadOnly(keyPath));
    noc::SetSettingsRootForTesting(scratch.get());

    LONG opened = ERROR_SUCCESS;
    OpenKey(HKEY_CURRENT_USER, keyPath, KEY_ALL_ACCESS, &opened);
    const bool enforced = opened == ERROR_ACCESS_DENIED;

    SeamRecorder rec;
    if (enforced) {
        SUBCASE("every write reports its failure") {
            const std::vector<const char*> expected = WriteAllThirteen();
            CheckReports(rec, expected);
            CHECK(ValueCount(scratch.get()) == 1);
        }
        SUBCASE("reads give empty text without a message") {
            CHECK(noc::ReadSetting("Jours") == "");
            CHECK(noc::ReadScrambledSetting("MdPasse") == "");
            CHECK(rec.calls.empty());
        }
        SUBCASE("first use leaves an existing key alone") {
            CHECK_FALSE(noc::EnsureSettingsKey());
            CHECK(ValueCount(scratch.get()) == 1);
            CHECK(rec.calls.empty());
        }
    } else {
        // This registry lets anyone open the key whatever its access list says, so the lack of
        // rights cannot be shown here; a key that cannot be opened with full access is shown with
        // a missing key instead, which takes the same path in the store.
        MESSAGE("key access lists are not enforced here: checking with a missing key instead");
        noc::SetSettingsRootForTesting(nullptr);
        const std::vector<const char*> expected = WriteAllThirteen();
        CheckReports(rec, expected);
        CHECK_FALSE(ProgramKeyExists());
    }
}

TEST_CASE("settings store: first use when the key cannot be created") {
    FreshRegistry fresh;

    // Reported after creation failed: reads stay silent, a write reports its own failure.
    auto checkAfterFailure = [](HKEY root) {
        SeamRecorder rec;
        CHECK_FALSE(noc::EnsureSettingsKey());
        CHECK(rec.calls.empty());
        CHECK(ValueCount(root) == 0);
        CHECK(noc::ReadSetting("Jours") == "");
        CHECK(noc::ReadScrambledSetting("MdPasse") == "");
        CHECK(rec.calls.empty());
        noc::WriteSetting("Jours", "1");
        noc::WriteScrambledSetting("MdPasse", "x");
        CheckReports(rec, {kWriteError, kScrambledWriteError});
    };

    SUBCASE("the registry refuses the key") {
        ScratchRoot scratch(REG_OPTION_VOLATILE);
        noc::SetSettingsRootForTesting(scratch.get());
        checkAfterFailure(scratch.get());
        HKEY probe = nullptr;
        CHECK(RegOpenKeyExA(scratch.get(), "Software", 0, KEY_READ, &probe) == ERROR_FILE_NOT_FOUND);
        if (probe) RegCloseKey(probe);
    }
    SUBCASE("no right to create it") {
        ScratchRoot scratch;
        REQUIRE(ScratchRoot::MakeReadOnly(kScratchPath));
        noc::SetSettingsRootForTesting(scratch.get());

        const std::string probePath = std::string(kScratchPath) + "\\Probe";
        LONG rc = ERROR_SUCCESS;
        if (CreateKey(HKEY_CURRENT_USER, probePath, REG_OPTION_NON_VOLATILE, &rc))
            RegDeleteKeyA(HKEY_CURRENT_USER, probePath.c_str());
        if (rc == ERROR_SUCCESS) {
            // This registry checks a key's access list when the key is opened but not when a subkey
            // is created under it; the refusal above stands in for it.
            MESSAGE("the right to create subkeys is not enforced here");
        } else {
            checkAfterFailure(scratch.get());
        }
    }
}
