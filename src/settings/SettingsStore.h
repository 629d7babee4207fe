#pragma once
// The program's settings, kept as string values under one registry key.
//
// Every routine stands alone: it opens the key, does its one operation and closes the key again;
// nothing is cached and no handle outlives the call. None returns a status or throws: a registry
// error is told to the user (a beep, then a warning box) and the caller carries on with what it got.
#include <windows.h>
#include <string>

#include "settings/SettingsTable.h"

namespace noc {

// Under HKEY_LOCAL_MACHINE, or under HKEY_CURRENT_USER for a user who may not change the machine's
// key (see ChooseSettingsPlace).
constexpr const char* kSettingsKeyPath = "Software\\Belvane\\NocTuro";

// The value's text, up to its first zero byte. A missing key or value gives empty text, silently.
// A value that cannot be read (another type than a string) gives empty text and is told once, not
// at each read, until it reads well again.
std::string ReadSetting(const std::string& name);
// Stores the text as REG_SZ.
void WriteSetting(const std::string& name, const std::string& text);
// As ReadSetting, then unscrambled. Every stored byte is kept, zero bytes included.
std::string ReadScrambledSetting(const std::string& name);
// Scrambles the text and stores every byte of it (a zero byte may appear).
void WriteScrambledSetting(const std::string& name, const std::string& text);

// One of the thirteen values, in clear: scrambled or not as the store keeps it.
std::string ReadSetting(Setting s);
void WriteSetting(Setting s, const std::string& clear);

// First start: when the key does not exist, creates it with the thirteen values at the window's
// design values and returns true. When the key exists, or cannot be created, does nothing.
bool EnsureSettingsKey();

// Decides where the settings live for the whole run; called once at start, before the first read.
// The machine's key when it opens with full access, or can be created (EnsureSettingsKey), else the
// current user's own key, created when missing from the machine's values where there are any (the
// password excepted), else the design values: a standard user may neither change nor create the
// machine's. When neither will do, the machine's stays, with its failures.
// Nothing here is told to the user; what fails later is reported as usual, in the same place.
void ChooseSettingsPlace();
// Whether ChooseSettingsPlace settled on the current user's key.
bool SettingsArePerUser();
// The root of the start-up entry and of its record "Demarrage": the settings' own, except that
// with the machine's settings but a Run key this user may not change, both are the user's.
HKEY StartupEntryRoot();
// The entry went to the user's Run key after all: its record follows, into the user's settings
// key (made if need be). False when that key cannot be made.
bool MoveStartupEntryToUser();

// The administrator's policy (kPolicyKeyPath), read silently: a missing key sets nothing.
PolicyValues ReadPolicy();

// The roots of the machine's and of the current user's keys (settings and start-up entry).
HKEY MachineRoot();
HKEY UserRoot();
// The root that the settings were placed under.
HKEY SettingsRoot();

// One root key standing for both HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; null puts the real ones
// back. Either way the settings go back to the machine's place until chosen again, and read
// failures already told are forgotten.
void SetSettingsRootForTesting(HKEY root);

}  // namespace noc
