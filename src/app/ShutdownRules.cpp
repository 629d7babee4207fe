#include "app/ShutdownRules.h"

namespace noc {

namespace {

uint32_t MajorOf(uint32_t getVersionResult) { return getVersionResult & 0xFFu; }
uint32_t MinorOf(uint32_t getVersionResult) { return (getVersionResult >> 8) & 0xFFu; }

}  // namespace

int32_t VersionKey(uint32_t getVersionResult) {
    // At most "255" + "255", so the joined text always fits.
    const std::string text = std::to_string(MajorOf(getVersionResult)) + std::to_string(MinorOf(getVersionResult));
    return static_cast<int32_t>(std::stol(text));
}

std::string WindowsVersionName(uint32_t getVersionResult, uint32_t platformId) {
    std::string name;
    switch (VersionKey(getVersionResult)) {
    case 50:
        name = "Windows 2000";
        break;
    case 51:
        name = "Windows XP";
        break;
    case 351:
        name = "Windows NT";
        break;
    case 40:
        name = platformId == 2 ? "Windows NT" : "Windows 95";
        break;
    case 410:
        name = "Windows 98";
        break;
    case 490:
        name = "Windows Me";
        break;
    default:
        break;
    }
    if (std::to_string(MajorOf(getVersionResult)) == "6") name = "Windows Longhorn";
    return name;
}

uint32_t ShutdownFlags(const std::string& versionName) {
    constexpr uint32_t kShutdown = 0x1, kForce = 0x4, kPowerOff = 0x8;
    if (versionName == "Windows 95" || versionName == "Windows 98" || versionName == "Windows Me")
        return kShutdown | kForce;
    return kForce | kPowerOff;
}

std::string DetectXPFrom(uint32_t major, uint32_t minor) {
    if (major == 5 && minor == 1) return "XP";
    if (major == 3) return "";
    return "NOXP";
}

std::string ShutdownRefusedText(const std::string& systemReason, uint32_t errorCode, EndAction action) {
    std::string reason = systemReason;
    while (!reason.empty() && static_cast<unsigned char>(reason.back()) <= ' ') reason.pop_back();
    if (reason.empty()) reason = "Erreur système " + std::to_string(errorCode) + ".";
    const EndActionInfo& info = InfoOf(action);
    return std::string("Ooops ! Windows a refusé ") + info.refusedDoing + " :\r\n" + reason +
           "\r\nVos paramètres sont enregistrés, " + info.refusedTail;
}

}  // namespace noc
