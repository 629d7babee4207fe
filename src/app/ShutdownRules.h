#pragma once
// The shutdown request's rules, without Windows: the version's name, the flags it selects, and the
// warning shown when Windows refuses.

#include <cstdint>
#include <string>

#include "app/EndActionRules.h"

namespace noc {

// Key of a GetVersion() result (major = low byte, minor = bits 8..15): the decimal text of the
// major version followed by that of the minor version, read as a number.
// 5.1 -> 51, 4.10 -> 410, 3.51 -> 351, 4.0 -> 40.
int32_t VersionKey(uint32_t getVersionResult);

// Name of the system from its version key: 50 "Windows 2000", 51 "Windows XP", 351 "Windows NT",
// 40 "Windows NT" on platform 2 else "Windows 95", 410 "Windows 98", 490 "Windows Me", others "".
// Any major version 6 is named "Windows Longhorn".
std::string WindowsVersionName(uint32_t getVersionResult, uint32_t platformId);

// Flags for the exit call: shut down + force (5) on "Windows 95", "Windows 98" and "Windows Me",
// force + power off (12) everywhere else.
uint32_t ShutdownFlags(const std::string& versionName);

// The warning shown when the system refuses the shutdown request, with the system's own reason
// (trailing blanks and line ends dropped; a missing reason named by its error number), in the words
// of the action refused.
std::string ShutdownRefusedText(const std::string& systemReason, uint32_t errorCode,
                                EndAction action = EndAction::Shutdown);

// "XP" for 5.1, "" for any 3.x, "NOXP" otherwise.
std::string DetectXPFrom(uint32_t major, uint32_t minor);

}  // namespace noc
