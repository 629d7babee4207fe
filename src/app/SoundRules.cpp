#include "app/SoundRules.h"

namespace noc {

namespace {
constexpr int kPathMaxWidth = 120;
}

std::string LeadTimeHint(int seconds) {
    return "Le son sera joué " + std::to_string(seconds) + " secondes avant l'extinction";
}

std::string LeadTimeLabel(int seconds) { return (seconds < 10 ? "0" : "") + std::to_string(seconds) + "s"; }

PathLayout FitSoundPath(int textWidth) {
    if (textWidth <= kPathMaxWidth) return {true, 7, textWidth};
    return {false, 18, kPathMaxWidth};
}

std::string FolderOf(const std::string& path) {
    const size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace noc
