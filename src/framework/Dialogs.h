#pragma once
// The program's message boxes, all modal with a single OK button, and its sounds. They go
// through the seam, so tests see them without a person to click.
#include <windows.h>

#include <string>

namespace noc {

// Caption "Information", information icon.
void ShowInformation(const std::string& text);
// Caption "Warning", warning icon.
void ShowWarning(const std::string& text);
// The application's title as caption, no icon.
void ShowPlainMessage(const std::string& text);
// The system's default beep, which goes before refusals and registry errors.
void DefaultBeep();
// The system's information sound, which confirms a registry change.
void InformationSound();
// Any other box of the program (the general error report), held and silenced like the ones above.
void ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The system's own text for an error code (empty when it has none).
std::string SystemErrorText(DWORD code);

// While one lives, boxes and beeps wait, in their order, and are shown from the message loop once
// the last one has gone: a box shown there would hold whatever runs meanwhile (a countdown's tick,
// and with it the end of the countdown) for as long as nobody answers it.
class THeldBoxes {
public:
    THeldBoxes();
    ~THeldBoxes();
    THeldBoxes(const THeldBoxes&) = delete;
    THeldBoxes& operator=(const THeldBoxes&) = delete;
};

// While an active one lives, boxes and beeps are dropped: nobody is there to answer them.
class TSilencedBoxes {
public:
    explicit TSilencedBoxes(bool active = true);
    ~TSilencedBoxes();
    TSilencedBoxes(const TSilencedBoxes&) = delete;
    TSilencedBoxes& operator=(const TSilencedBoxes&) = delete;

private:
    bool active_;
};

// Shows the boxes that were held, one after another; more may come while one is up. Stops when
// the program is ending: the boxes left wait for ShowBoxesLeftAtEnd.
void ShowHeldBoxes();
// After the message loop has ended: every box still held, shown before the program goes.
void ShowBoxesLeftAtEnd();

// Drops the boxes still held (the application object goes).
void ForgetHeldBoxes();

}  // namespace noc
