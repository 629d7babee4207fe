#include "settings/SettingsStore.h"

#include "framework/Dialogs.h"

#include <set>
#include <vector>

#include "framework/Handles.h"
#include "framework/Seam.h"
#include "settings/Scramble.h"
#include "settings/StartupEntry.h"

namespace noc {

namespace {

HKEY g_root = nullptr;        // null: the real hives
bool g_perUser = false;       // ChooseSettingsPlace's answer
bool g_entryPerUser = false;  // where the start-up entry, and its record, go

HKEY Root() { return g_perUser ? UserRoot() : MachineRoot(); }

// The key that holds the value: its start-up record beside the entry, the others with the settings.
HKEY RootOf(const std::string& name) {
    Setting s = Setting::Couleur;
    return SettingNamed(name, s) && Info(s).besideEntry ? StartupEntryRoot() : Root();
}

const char* const kReadError =
    "Ooops ! Erreur de lecture au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";
const char* const kWriteError =
    "Ooops ! Erreur d'écriture au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";
const char* const kScrambledReadError =
    "Ooops ! Problème d'enregistrement au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";
const char* const kScrambledWriteError =
    "Ooops ! Erreur d'enregistrement au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";

void ReportRegistryError(const char* text) {
    DefaultBeep();
    ShowWarning(text);
}

UniqueRegKey OpenSettingsKey(HKEY root, LONG& rc) {
    HKEY key = nullptr;
    rc = Seam().OpenRegistryKey(root, kSettingsKeyPath, KEY_ALL_ACCESS, false, &key);
    return UniqueRegKey(rc == ERROR_SUCCESS ? key : nullptr);
}

UniqueRegKey OpenSettingsKeyFor(const std::string& name) {
    LONG rc = ERROR_SUCCESS;
    return OpenSettingsKey(RootOf(name), rc);
}

enum class ReadResult { Ok, Absent, Failed };

// Every byte of a string value, as the registry gives it back (terminating zero included, if stored).
ReadResult ReadRawString(HKEY key, const std::string& name, std::string& bytes) {
    bytes.clear();
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between asking its size and reading it: ask again until it fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (rc == ERROR_FILE_NOT_FOUND) return ReadResult::Absent;
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return ReadResult::Failed;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ReadResult::Failed;
        if (size == 0) return ReadResult::Ok;
        std::vector<BYTE> buffer(size);
        DWORD got = size;
        rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &got);
        if (rc == ERROR_SUCCESS) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) return ReadResult::Failed;
            if (got > buffer.size()) got = static_cast<DWORD>(buffer.size());
            bytes.assign(reinterpret_cast<const char*>(buffer.data()), got);
            return ReadResult::Ok;
        }
        size = got > size ? got : size * 2;
    }
    return ReadResult::Failed;
}

// Values whose read failed and was told. Some values are read again and again (the start with
// Windows flag at each of a countdown's last seconds, where a box would hold the tick until it is
// dismissed): a value that cannot be read is told once, until it reads well again.
std::set<std::string>& ReportedReads() {
    static std::set<std::string> names;
    return names;
}

// Reads the value's bytes; a missing key or value gives empty text silently, any other trouble
// is reported with the given text.
std::string ReadStored(const std::string& name, const char* errorText) {
    UniqueRegKey key = OpenSettingsKeyFor(name);
    std::string bytes;
    const ReadResult result = key ? ReadRawString(key.get(), name, bytes) : ReadResult::Absent;
    if (result != ReadResult::Failed) {
        ReportedReads().erase(name);
        return bytes;
    }
    if (ReportedReads().insert(name).second) ReportRegistryError(errorText);
    return std::string();
}

// Stores every byte of the text plus one terminating zero.
bool WriteRawString(HKEY key, const std::string& name, const std::string& bytes) {
    std::vector<BYTE> data(bytes.begin(), bytes.end());
    data.push_back(0);
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

void WriteStored(const std::string& name, const std::string& bytes, const char* errorText) {
    UniqueRegKey key = OpenSettingsKeyFor(name);
    if (!key || !WriteRawString(key.get(), name, bytes)) ReportRegistryError(errorText);
}

}  // namespace

std::string ReadSetting(const std::string& name) {
    const std::string bytes = ReadStored(name, kReadError);
    return std::string(bytes.c_str());  // up to the first zero byte
}

void WriteSetting(const std::string& name, const std::string& text) { WriteStored(name, text, kWriteError); }

std::string ReadScrambledSetting(const std::string& name) {
    std::string bytes = ReadStored(name, kScrambledReadError);
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();  // the terminating zero only
    return Unscramble(bytes);
}

void WriteScrambledSetting(const std::string& name, const std::string& text) {
    WriteStored(name, Scramble(text), kScrambledWriteError);
}

std::string ReadSetting(Setting s) {
    return Info(s).scrambled ? ReadScrambledSetting(NameOf(s)) : ReadSetting(std::string(NameOf(s)));
}

void WriteSetting(Setting s, const std::string& clear) {
    if (Info(s).scrambled)
        WriteScrambledSetting(NameOf(s), clear);
    else
        WriteSetting(std::string(NameOf(s)), clear);
}

namespace {

// What became of the settings key under a root.
enum class KeyState { Opened, Created, Unusable };

// The values a new key starts with: a user's, the machine's where it has them (an administrator's
// choice for every user), never its password; else, and for the machine's own, the design values.
SettingTexts FirstTexts(HKEY root) {
    SettingTexts first = DesignTexts();
    HKEY opened = nullptr;
    if (root == MachineRoot() ||
        Seam().OpenRegistryKey(MachineRoot(), kSettingsKeyPath, KEY_QUERY_VALUE, false, &opened) != ERROR_SUCCESS)
        return first;
    const UniqueRegKey machine(opened);
    for (Setting s : kReadOrder) {
        std::string bytes;
        if (Info(s).seeded && ReadRawString(machine.get(), NameOf(s), bytes) == ReadResult::Ok)
            first[s] = bytes.c_str();
    }
    first[Setting::Protection] = first.MatchingProtection();
    return first;
}

// Opens the key with full access, or creates it with its first values (FirstTexts) when it is missing.
KeyState EnsureKeyUnder(HKEY root) {
    {
        LONG rc = ERROR_SUCCESS;
        const UniqueRegKey existing = OpenSettingsKey(root, rc);
        if (existing) return KeyState::Opened;
        if (rc != ERROR_FILE_NOT_FOUND) return KeyState::Unusable;
    }

    HKEY created = nullptr;
    if (Seam().OpenRegistryKey(root, kSettingsKeyPath, KEY_ALL_ACCESS, true, &created) != ERROR_SUCCESS)
        return KeyState::Unusable;
    UniqueRegKey key(created);

    // The integrity text among them matches the others, so that the first start finds nothing altered.
    const SettingTexts first = FirstTexts(root);
    for (Setting s : kReadOrder)
        if (!WriteRawString(key.get(), NameOf(s), StoredForm(s, first[s])))
            ReportRegistryError(Info(s).scrambled ? kScrambledWriteError : kWriteError);
    return KeyState::Created;
}

}  // namespace

bool EnsureSettingsKey() { return EnsureKeyUnder(Root()) == KeyState::Created; }

void ChooseSettingsPlace() {
    g_perUser = false;
    g_entryPerUser = false;
    if (EnsureKeyUnder(MachineRoot()) == KeyState::Unusable)
        g_perUser = EnsureKeyUnder(UserRoot()) != KeyState::Unusable;
    // With the machine's settings but not its Run key (an older set-up let every user change the
    // settings), the entry and its record are the user's, or one user's choice would start a
    // countdown in every other user's session.
    g_entryPerUser = g_perUser || (MachineRoot() != UserRoot() && !MachineRunKeyWritable() &&
                                   EnsureKeyUnder(UserRoot()) != KeyState::Unusable);
}

bool SettingsArePerUser() { return g_perUser; }

HKEY StartupEntryRoot() { return g_entryPerUser ? UserRoot() : MachineRoot(); }

bool MoveStartupEntryToUser() {
    if (!g_entryPerUser && MachineRoot() != UserRoot())
        g_entryPerUser = EnsureKeyUnder(UserRoot()) != KeyState::Unusable;
    return g_entryPerUser;
}

PolicyValues ReadPolicy() {
    PolicyValues policy;
    HKEY opened = nullptr;
    if (Seam().OpenRegistryKey(MachineRoot(), kPolicyKeyPath, KEY_QUERY_VALUE, false, &opened) != ERROR_SUCCESS)
        return policy;
    const UniqueRegKey key(opened);
    std::string bytes;
    for (Setting s : kReadOrder)
        if (ReadRawString(key.get(), NameOf(s), bytes) == ReadResult::Ok) policy.Give(s, bytes.c_str());
    if (ReadRawString(key.get(), kTargetSettingName, bytes) == ReadResult::Ok) policy.target = bytes.c_str();
    if (ReadRawString(key.get(), kActionSettingName, bytes) == ReadResult::Ok) policy.action = bytes.c_str();
    policy.noCancel =
        ReadRawString(key.get(), kNoCancelName, bytes) == ReadResult::Ok && std::string(bytes.c_str()) == "non";
    return policy;
}

HKEY MachineRoot() { return g_root ? g_root : HKEY_LOCAL_MACHINE; }
HKEY UserRoot() { return g_root ? g_root : HKEY_CURRENT_USER; }
HKEY SettingsRoot() { return Root(); }

void SetSettingsRootForTesting(HKEY root) {
    g_root = root;
    g_perUser = false;
    g_entryPerUser = false;
    ReportedReads().clear();
}

}  // namespace noc
