#include "framework/Dialogs.h"

#include <deque>

#include "framework/Application.h"
#include "framework/Seam.h"

namespace noc {

namespace {

// The main window stays on top of other windows, so its boxes must too.
constexpr UINT kBoxFlags = MB_OK | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND;

// A box, or a beep when `beep` is set.
struct Pending {
    bool beep = false;
    UINT type = 0;
    HWND owner = nullptr;
    std::string text, caption;
};

struct BoxGate {
    int held = 0;
    int silenced = 0;
    bool showing = false;
    std::deque<Pending> waiting;
};

BoxGate& Gate() {
    static BoxGate gate;
    return gate;
}

void Present(const Pending& p) {
    if (p.beep)
        Seam().PlayBeep(p.type);
    else
        Seam().ShowMessageBox(p.owner, p.text, p.caption, p.type);
}

void Pass(Pending p) {
    BoxGate& gate = Gate();
    if (gate.silenced > 0) return;
    if (gate.held > 0) {
        gate.waiting.push_back(std::move(p));
        return;
    }
    Present(p);
}

}  // namespace

void ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    Pass({false, flags, owner, text, caption});
}

void ShowInformation(const std::string& text) { ShowBox(nullptr, text, "Information", kBoxFlags | MB_ICONINFORMATION); }

void ShowWarning(const std::string& text) { ShowBox(nullptr, text, "Warning", kBoxFlags | MB_ICONWARNING); }

void ShowPlainMessage(const std::string& text) { ShowBox(nullptr, text, Application().Title(), kBoxFlags); }

void DefaultBeep() { Pass({true, MB_OK, nullptr, {}, {}}); }

void InformationSound() { Pass({true, MB_ICONASTERISK, nullptr, {}, {}}); }

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : std::string();
    if (text) LocalFree(text);
    return result;
}

THeldBoxes::THeldBoxes() { ++Gate().held; }

THeldBoxes::~THeldBoxes() {
    BoxGate& gate = Gate();
    if (--gate.held == 0 && !gate.waiting.empty() && Application().Handle())
        PostMessageA(Application().Handle(), WM_NOC_HELD_BOXES, 0, 0);
}

TSilencedBoxes::TSilencedBoxes(bool active) : active_(active) {
    if (active_) ++Gate().silenced;
}

TSilencedBoxes::~TSilencedBoxes() {
    if (active_) --Gate().silenced;
}

void ShowHeldBoxes() {
    BoxGate& gate = Gate();
    // One at a time: the boxes that come while one is up follow it.
    if (gate.showing || gate.held > 0) return;
    gate.showing = true;
    while (!gate.waiting.empty() && !Application().Terminated()) {
        const Pending next = std::move(gate.waiting.front());
        gate.waiting.pop_front();
        Present(next);
    }
    gate.showing = false;
}

void ShowBoxesLeftAtEnd() {
    BoxGate& gate = Gate();
    // The end of the loop is still asked for in the queue; a box would take it for its own end.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    while (!gate.waiting.empty()) {
        const Pending next = std::move(gate.waiting.front());
        gate.waiting.pop_front();
        Present(next);
    }
}

void ForgetHeldBoxes() { Gate().waiting.clear(); }

}  // namespace noc
