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

// Under HKEY_LOCAL_MACHINE.
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

// Root key under which kSettingsKeyPath (and the start-up entry) is looked for; null puts
// HKEY_LOCAL_MACHINE back. Read failures already told are forgotten.
void SetSettingsRootForTesting(HKEY root);
HKEY SettingsRoot();

}  // namespace noc
