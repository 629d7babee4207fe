#include "driver/Keyboard.h"

#include <vector>

namespace e2e {

HWND FocusOf(HWND wnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info);
    return info.hwndFocus;
}

namespace {
void Add(std::vector<INPUT>& keys, WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(in);
}
void Send(std::vector<INPUT>& keys) { SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)); }
}  // namespace

void TypeKeys(const std::string& text) {
    std::vector<INPUT> keys;
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        const bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift) Add(keys, VK_SHIFT, false);
        Add(keys, LOBYTE(scan), false);
        Add(keys, LOBYTE(scan), true);
        if (shift) Add(keys, VK_SHIFT, true);
    }
    Send(keys);
}

void PressKeys(std::initializer_list<WORD> pressed) {
    std::vector<INPUT> keys;
    for (WORD vk : pressed) {
        Add(keys, vk, false);
        Add(keys, vk, true);
    }
    Send(keys);
}

}  // namespace e2e
