#pragma once
// The per-machine start-up entry: the value `NocTuro` under HKEY_LOCAL_MACHINE
// SOFTWARE\Microsoft\Windows\CurrentVersion\Run, holding the program's full path in double quotes,
// so that Windows starts the program at every start. The key is opened, never created.
#include <string>

namespace noc {

constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The program's own file, as the process reports it.
std::string ProgramPath();

// Writes `path` as the entry, in double quotes, so that a path with blanks (C:\Program Files...) is
// one word to Windows and to the program's command line. False when the key cannot be opened with
// full access or the value cannot be written.
bool WriteStartupEntry(const std::string& path);
// Removes the entry (value names ignore letter case, so "Nocturo" takes "NocTuro"). False only
// when the key cannot be opened with full access; the removal's own result is not examined.
bool RemoveStartupEntry();

}  // namespace noc
