#pragma once
// The start-up entry: the value `NocTuro` under SOFTWARE\Microsoft\Windows\CurrentVersion\Run, holding
// the program's full path in double quotes, so that Windows starts the program. It follows the
// settings (StartupEntryRoot): under HKEY_LOCAL_MACHINE, for every user, with the machine's
// settings; under HKEY_CURRENT_USER, for the current user alone, with the user's (on Vista and
// later a standard user may change neither of the machine's keys). Either key is opened, never
// created.
#include <string>

namespace noc {

constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The program's own file, as the process reports it.
std::string ProgramPath();

// Whether the machine's Run key opens with full access.
bool MachineRunKeyWritable();

// Writes `path` as the entry, in double quotes, so that a path with blanks (C:\Program Files...) is
// one word to Windows and to the program's command line: into the machine's Run key with the
// machine's settings, or into the current user's when the settings are the user's, or the machine's
// cannot be opened with full access or the value cannot be written there (its record "Demarrage"
// then follows it, MoveStartupEntryToUser). False when neither takes it.
bool WriteStartupEntry(const std::string& path);
// Removes the entry from the user's Run key and, with the machine's settings, from the machine's
// (value names ignore letter case, so "Nocturo" takes "NocTuro"); the removals' own results are not
// examined. False when neither key opens with full access, or when one that does not still shows
// the entry.
bool RemoveStartupEntry();

}  // namespace noc
