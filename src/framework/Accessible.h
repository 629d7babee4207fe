#pragma once
// What accessibility clients (screen readers) get for a control that answers for itself: the
// window's standard accessible object, with the control's own name, role, state and default action
// where it gives them (TControl::AccessibleName and the rest). The accessibility libraries are
// loaded at the first request, so that a run that nobody asks anything costs nothing.
#include <windows.h>

namespace noc {

// The answer to WM_GETOBJECT for `wnd`, a control's window: true with the result for a request for
// its client area; false for any other request, or when the libraries are missing, which then goes
// to the window's own procedure.
bool AnswerAccessibleObject(HWND wnd, WPARAM wp, LPARAM lp, LRESULT& result);

}  // namespace noc
