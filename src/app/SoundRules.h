#pragma once
// The texts and the layout rule of the alert sound's panel, which need no window system.
#include <string>

namespace noc {

// The slider's hint and label for a lead time: "Le son sera joué 5 secondes avant l'extinction",
// "05s" (a leading 0 below 10).
std::string LeadTimeHint(int seconds);
std::string LeadTimeLabel(int seconds);

// Where the path label goes: shown whole, left-aligned at left 7, up to 120 pixels wide; wider, only
// its end shows, right-aligned in 120 pixels at left 18, behind "...".
struct PathLayout {
    bool whole;
    int left, width;
};
PathLayout FitSoundPath(int textWidth);

// Everything up to and including the last path separator or drive colon; empty without one (the
// open-file dialog then starts in its own default folder).
std::string FolderOf(const std::string& path);

}  // namespace noc
