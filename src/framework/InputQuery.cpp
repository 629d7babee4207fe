#include "framework/InputQuery.h"

#include <algorithm>
#include <vector>

namespace noc {

namespace {

constexpr WORD kFieldId = 100;
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

// An in-memory dialog template (DLGTEMPLATE and its items), in the program's font, so that the
// dialog needs no resource.
class DialogTemplate {
public:
    // Sizes in dialog units.
    DialogTemplate(const std::string& caption, short width, short height) {
        Long(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        Long(0);
        countAt_ = words_.size();
        Words({0, 0, 0, static_cast<WORD>(width), static_cast<WORD>(height)});
        Words({0, 0});  // no menu, the dialog class
        Text(caption);
        Word(8);
        Text("Tahoma");
    }

    void Item(WORD cls, WORD id, DWORD style, short x, short y, short width, short height, const std::string& text) {
        if (words_.size() % 2) Word(0);  // items start on a DWORD boundary
        Long(WS_CHILD | WS_VISIBLE | style);
        Long(0);
        Words({static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(width), static_cast<WORD>(height), id,
               0xFFFF, cls});
        Text(text);
        Word(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Words(std::initializer_list<WORD> ws) { words_.insert(words_.end(), ws); }
    void Long(DWORD d) { Words({LOWORD(d), HIWORD(d)}); }
    // The program's texts are in the system's code page, as its other windows show them.
    void Text(const std::string& text) {
        const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
        for (wchar_t c : wide) Word(static_cast<WORD>(c));
    }

    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

struct Query {
    HWND owner;
    std::string* value;
};

// Over the middle of the owner, kept on the screen's work area.
void CentreOver(HWND dialog, HWND owner) {
    RECT box{}, over{}, work{};
    GetWindowRect(dialog, &box);
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &over))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &over, 0);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int w = box.right - box.left, h = box.bottom - box.top;
    int x = (over.left + over.right - w) / 2, y = (over.top + over.bottom - h) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - w));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK QueryProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* query = reinterpret_cast<Query*>(lp);
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        CentreOver(dialog, query->owner);
        const HWND field = GetDlgItem(dialog, kFieldId);
        SetWindowTextA(field, query->value->c_str());
        SendMessageA(field, EM_SETSEL, 0, -1);
        SetFocus(field);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto* query = reinterpret_cast<Query*>(GetWindowLongPtrA(dialog, DWLP_USER));
            const HWND field = GetDlgItem(dialog, kFieldId);
            std::string typed(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
            typed.resize(static_cast<size_t>(GetWindowTextA(field, typed.data(), static_cast<int>(typed.size()))));
            *query->value = typed;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

bool RunInputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value) {
    DialogTemplate dialog(caption, 140, 62);
    dialog.Item(kStaticClass, 0xFFFF, SS_LEFT | SS_NOPREFIX, 7, 7, 126, 9, prompt);
    dialog.Item(kEditClass, kFieldId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 19, 126, 13, "");
    dialog.Item(kButtonClass, IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 29, 41, 50, 14, "OK");
    dialog.Item(kButtonClass, IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 83, 41, 50, 14, "Annuler");
    Query query{owner, &value};
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), owner, &QueryProc,
                                   reinterpret_cast<LPARAM>(&query)) == IDOK;
}

}  // namespace noc
