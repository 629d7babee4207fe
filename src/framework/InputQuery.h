#pragma once
// A small modal dialog that asks for one line of text, as Windows programs ask: a caption, a prompt
// above the field, "OK" (the default button, Enter) and "Annuler" (Escape, or the close button).
// The program reaches it through the seam (Seam.h), so that tests answer it.
#include <windows.h>

#include <string>

namespace noc {

// Shown over `owner`, which it disables until it is answered, with `value` in its field, selected.
// True, with `value` replaced by the text typed, when the user confirmed.
bool RunInputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value);

}  // namespace noc
