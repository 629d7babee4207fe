#pragma once
// Walks over windows with any callable that takes an HWND and returns true to go on. Windows wants
// a CALLBACK (stdcall on 32-bit Windows) for these walks, which a lambda does not convert to.
#include <windows.h>

namespace noc {

namespace detail {
template <typename Visit>
BOOL CALLBACK VisitWindow(HWND w, LPARAM visit) {
    return (*reinterpret_cast<Visit*>(visit))(w) ? TRUE : FALSE;
}
}  // namespace detail

template <typename Visit>
void EachTopWindow(Visit visit) {
    EnumWindows(&detail::VisitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

template <typename Visit>
void EachThreadWindow(DWORD thread, Visit visit) {
    EnumThreadWindows(thread, &detail::VisitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

// Every descendant, parents before their children.
template <typename Visit>
void EachChildWindow(HWND parent, Visit visit) {
    EnumChildWindows(parent, &detail::VisitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

}  // namespace noc
