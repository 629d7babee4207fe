// What happens at zero: the small control beside the switch that chooses it, the words that name
// it, and the request made to the system at the end of the countdown.
#include <windows.h>

#include "app/Form2.h"
#include "app/ShutdownRules.h"
#include "framework/Dialogs.h"
#include "framework/Handles.h"
#include "framework/Seam.h"

namespace noc {

void TForm2::Image14Click(TObject*) { OfferEndActions(nullptr); }

void TForm2::EndActionMenuKey(TObject*) {
    const POINT below = MenuPlaceBelow(MyImage1);
    OfferEndActions(&below);
}

void TForm2::OfferEndActions(const POINT* at) {
    // During a countdown, or when the administrator chose, the action stays.
    if (Chronos1->Enabled() || !policy_.action.empty()) return;
    std::vector<std::pair<UINT, std::string>> items;
    for (int i = 0; i < kEndActionCount; ++i) {
        const auto action = static_cast<EndAction>(i);
        const EndRequest request = InfoOf(action).request;
        // Sleep and hibernation only where the computer can.
        if (request == EndRequest::Sleep || request == EndRequest::Hibernate)
            if (!Seam().CanSuspend(request == EndRequest::Hibernate)) continue;
        items.emplace_back(static_cast<UINT>(i + 1), InfoOf(action).menuText);
    }
    const UINT current = static_cast<UINT>(action_) + 1;
    if (const UINT chosen = Seam().ChooseMenuItem(Handle(), items, 0, at, current))
        SetEndAction(static_cast<EndAction>(chosen - 1));
}

void TForm2::SetEndAction(EndAction action) {
    action_ = action;
    const EndActionInfo& info = InfoOf(action);
    // Appended in place: sums of strings cost kilobytes of code.
    std::string text = "À zéro : ";
    Image14->SetCaption(text.append(info.menuText));
    text = "Cliquez ici pour choisir ce qui se passe à zéro\r\n(maintenant : ";
    Image14->SetHint(text.append(info.menuText).append(")"));
    Label19->SetCaption(info.warning);
}

void TForm2::ShutDown() {
    static const DWORD platformId = [] {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof(info);
        GetVersionExA(&info);
        return info.dwPlatformId;
    }();
    const EndRequest request = InfoOf(action_).request;

    // The right to shut down, which sleep and hibernation need too, where the system has one. A
    // system without it (no access tokens) needs none; one that needs it and refuses it refuses the
    // request below, which is told.
    if (request != EndRequest::Lock) {
        HANDLE raw = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw);
        const UniqueKernelHandle token(raw);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        TOKEN_PRIVILEGES previous{};
        DWORD returned = 0;
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(previous), &previous, &returned);
    }

    BOOL done = FALSE;
    switch (request) {
    case EndRequest::Exit:
        done = Seam().RequestExitWindows(ExitFlagsFor(action_, WindowsVersionName(GetVersion(), platformId)), 0);
        break;
    case EndRequest::Sleep:
    case EndRequest::Hibernate:
        done = Seam().RequestSuspend(request == EndRequest::Hibernate);
        break;
    case EndRequest::Lock:
        done = Seam().LockSession();
        break;
    }
    if (done) return;
    // The settings are saved and the window is closed: the user must know that nothing happened.
    // Inside the tick this box waits, and the program ends once it is answered.
    const DWORD error = GetLastError();
    DefaultBeep();
    ShowWarning(ShutdownRefusedText(SystemErrorText(error), error, action_));
}

}  // namespace noc
