#pragma once
// The start-up entry: the value `NocTuro` under SOFTWARE\Microsoft\Windows\CurrentVersion\Run, holding
// the program's full path in double quotes, so that Windows starts the program. It goes under
// HKEY_LOCAL_MACHINE, for every user, when that key may be changed; otherwise under
// HKEY_CURRENT_USER, for the current user alone (on Vista and later a standard user may not change
// the machine's). Either key is opened, never created.
#include <string>

namespace noc {

constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The program's own file, as the process reports it.
std::string ProgramPath();

// Writes `path` as the entry, in double quotes, so that a path with blanks (C:\Program Files...) is
// one word to Windows and to the program's command line: into the machine's Run key, or into the
// current user's when the machine's cannot be opened with full access or the value cannot be
// written there. False when neither takes it.
bool WriteStartupEntry(const std::string& path);
// Removes the entry from both Run keys (value names ignore letter case, so "Nocturo" takes
// "NocTuro"); the removals' own results are not examined. False when neither key opens with full
// access, or when one that does not still shows the entry.
bool RemoveStartupEntry();

}  // namespace noc
