#pragma once
// The keyboard as a person uses it: keys through the system's input queue, to whichever window
// has the focus, and where that focus is.
#include <windows.h>

#include <initializer_list>
#include <string>

namespace e2e {

// The control that has the keyboard focus in the thread of `wnd`.
HWND FocusOf(HWND wnd);
// Real keystrokes: each character of `text` with its key, Shift held for a capital.
void TypeKeys(const std::string& text);
// Real keystrokes: each key pressed and released, one after the other.
void PressKeys(std::initializer_list<WORD> keys);

}  // namespace e2e
