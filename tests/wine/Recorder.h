#pragma once
// Replaces the system seam for the life of a test: message boxes, beeps and the shutdown request
// are recorded instead of made, and so are the questions for a line of text, which the test
// answers. What goes to the notification area is recorded too, picture included, and still sent to
// the shell; so is the reason given to Windows for a refused log-off, still given.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/Seam.h"
#include "tray/NotifyIcon.h"

namespace testing {

// The pixels of an icon: 0x00RRGGBB, and whether each is see-through, row by row.
struct IconPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    std::vector<bool> clear;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y * width + x)]; }
    bool ClearAt(int x, int y) const { return clear[static_cast<size_t>(y * width + x)]; }
    size_t CountOf(uint32_t colour) const {
        size_t n = 0;
        for (size_t i = 0; i < rgb.size(); ++i) n += !clear[i] && rgb[i] == colour;
        return n;
    }
    size_t Opaque() const {
        size_t n = 0;
        for (bool c : clear) n += !c;
        return n;
    }
};

inline IconPicture PictureOf(HICON icon) {
    IconPicture p;
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return p;
    BITMAP bm{};
    GetObjectA(ii.hbmMask, sizeof(bm), &bm);
    p.width = bm.bmWidth;
    p.height = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    const size_t n = static_cast<size_t>(p.width * p.height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> colour(n, 0), mask(n, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (ii.hbmColor) GetDIBits(dc, ii.hbmColor, 0, p.height, colour.data(), &bi, DIB_RGB_COLORS);
    GetDIBits(dc, ii.hbmMask, 0, p.height, mask.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    p.rgb.resize(n);
    p.clear.resize(n);
    for (size_t i = 0; i < n; ++i) {
        p.rgb[i] = colour[i] & 0xFFFFFFu;
        p.clear[i] = (mask[i] & 0xFFFFFFu) != 0;
    }
    return p;
}

// Whether the shell holds one of the program's icons: a modification that changes nothing succeeds
// only then.
inline bool ShellHas(UINT id) {
    NOTIFYICONDATAA d{};
    d.cbSize = NOTIFYICONDATAA_V2_SIZE;
    d.hWnd = noc::TTrayIconHandler::Window();
    d.uID = id;
    return Shell_NotifyIconA(NIM_MODIFY, &d) != FALSE;
}

// One request to the notification area, as it reached the shell.
struct ShellCall {
    DWORD message = 0;
    UINT id = 0;
    HWND window = nullptr;
    UINT flags = 0;
    UINT callback = 0;
    DWORD size = 0;
    HICON icon = nullptr;
    std::string tip;
    std::string infoTitle, info;  // a notice's, with NIF_INFO
    DWORD infoFlags = 0;
    UINT version = 0;  // with NIM_SETVERSION
    IconPicture picture;
    BOOL answer = FALSE;
};

// The reason for a refused log-off given to Windows (`create`), or taken back.
struct BlockReasonCall {
    bool create = false;
    HWND window = nullptr;
    std::wstring reason;
    // How many calls (boxes, beeps, the shutdown request, dialogs) were recorded before it.
    size_t after = 0;
};

struct RecordedCall {
    enum Kind { Box, Beep, Shutdown, Dialog } kind;
    std::string text;
    std::string caption;
    UINT flags = 0;
    // Calls recorded before this one ended (a box ends when it is answered, anything else at once).
    size_t before = 0;
    // Whether this one was made while a box was up.
    bool behindBox = false;
};

class SeamRecorder : public noc::SystemSeam {
public:
    SeamRecorder() { noc::SetSystemSeam(this); }
    ~SeamRecorder() override { noc::SetSystemSeam(nullptr); }
    SeamRecorder(const SeamRecorder&) = delete;
    SeamRecorder& operator=(const SeamRecorder&) = delete;

    int ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT flags) override {
        const size_t index = Record({RecordedCall::Box, text, caption, flags});
        // A person takes a while to answer: the test may keep the box up, and the program's
        // messages flowing, as a real box would.
        if (holdBox) {
            ++boxesUp;
            holdBox(calls[index]);
            --boxesUp;
        }
        calls[index].before = calls.size();
        return IDOK;
    }
    void PlayBeep(UINT type) override { Record({RecordedCall::Beep, {}, {}, type}); }
    BOOL RequestExitWindows(UINT flags, DWORD) override { return EndRequest({}, flags); }
    // Sleep, hibernation and the lock are recorded as requests at the end too, named.
    BOOL RequestSuspend(bool hibernate) override { return EndRequest(hibernate ? "hibernate" : "sleep", 0); }
    BOOL LockSession() override { return EndRequest("lock", 0); }
    bool CanSuspend(bool hibernate) override { return hibernate ? canHibernate : canSleep; }
    bool canSleep = true, canHibernate = true;
    BOOL EndRequest(const std::string& what, UINT flags) {
        Record({RecordedCall::Shutdown, what, {}, flags});
        if (!shutdownRefused) return TRUE;
        SetLastError(shutdownRefused);
        return FALSE;
    }
    // Keeps each box up while it runs.
    std::function<void(const RecordedCall&)> holdBox;
    // The system's error code with which the shutdown request is refused; 0 accepts it.
    DWORD shutdownRefused = 0;
    // The system's dialogs are answered by the test: cancelled unless it says otherwise. Recorded
    // with the dialog's title ("colour" for the colour dialog) as text.
    bool ChooseColour(CHOOSECOLORA& request) override {
        Record({RecordedCall::Dialog, "colour", {}, request.Flags});
        return colourAnswer ? colourAnswer(request) : false;
    }
    bool ChooseOpenFile(OPENFILENAMEA& request) override {
        Record({RecordedCall::Dialog, request.lpstrTitle ? request.lpstrTitle : "", {}, request.Flags});
        return fileAnswer ? fileAnswer(request) : false;
    }
    // A menu is recorded as a dialog titled "menu", its items' texts joined by "|" as caption and
    // its default item as flags; it is dismissed unless the test picks an item.
    UINT ChooseMenuItem(HWND, const std::vector<std::pair<UINT, std::string>>& items, UINT defaultItem, const POINT*,
                        UINT checkedItem) override {
        std::string texts;
        for (const auto& item : items)
            texts += (texts.empty() ? "" : "|") + std::string(item.first == checkedItem ? "+" : "") + item.second;
        Record({RecordedCall::Dialog, "menu", texts, defaultItem});
        return menuAnswer ? menuAnswer(items) : 0;
    }
    std::function<UINT(const std::vector<std::pair<UINT, std::string>>&)> menuAnswer;
    std::function<bool(CHOOSECOLORA&)> colourAnswer;
    std::function<bool(OPENFILENAMEA&)> fileAnswer;

    // A question for a line of text is recorded as a dialog, its caption as text and its prompt as
    // caption, with the text it starts with; it is cancelled unless the test answers it (true, with
    // the text typed put in `value`).
    bool InputQuery(HWND, const std::string& caption, const std::string& prompt, std::string& value) override {
        Record({RecordedCall::Dialog, caption, prompt, 0});
        offered.push_back(value);
        return inputAnswer ? inputAnswer(value) : false;
    }
    std::function<bool(std::string& value)> inputAnswer;
    // What each question started with, in their order.
    std::vector<std::string> offered;

    // The clock, the system's unless the test sets its own: now (seconds since 1601 UTC) and the
    // local time's offset from UTC at an instant.
    int64_t UtcSecondsNow() override { return clockNow ? clockNow() : noc::SystemSeam::UtcSecondsNow(); }
    int64_t LocalOffsetAt(int64_t at) override {
        return localOffset ? localOffset(at) : noc::SystemSeam::LocalOffsetAt(at);
    }
    std::function<int64_t()> clockNow;
    std::function<int64_t(int64_t)> localOffset;

    // The program's registry keys: those for which this answers true are refused with
    // ERROR_ACCESS_DENIED, as Windows refuses a standard user the machine's keys; the others are
    // opened for real.
    LONG OpenRegistryKey(HKEY root, const std::string& path, REGSAM access, bool create, HKEY* key) override {
        if (!refuseKey || !refuseKey(root, path, access))
            return noc::SystemSeam::OpenRegistryKey(root, path, access, create, key);
        *key = nullptr;
        return ERROR_ACCESS_DENIED;
    }
    std::function<bool(HKEY root, const std::string& path, REGSAM access)> refuseKey;

    // The clock that goes on through sleep, in milliseconds: stopped unless the test moves it, so
    // that each tick the tests drive is one second. The requests to keep Windows awake (true, with
    // their reason) or to let it sleep (false), recorded instead of made.
    uint64_t WorldMilliseconds() override { return worldMs; }
    uint64_t worldMs = 0;
    void StayAwake(bool awake, const std::wstring& reason) override { awakeCalls.emplace_back(awake, reason); }
    std::vector<std::pair<bool, std::wstring>> awakeCalls;

    // The shell's small-icon size as the program is told it; 0 leaves the system's answer.
    int SmallIconSize() override { return smallIconSize ? smallIconSize : noc::SystemSeam::SmallIconSize(); }
    int smallIconSize = 0;

    std::vector<RecordedCall> Dialogs() const { return Only(RecordedCall::Dialog); }

    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA* data) override {
        ShellCall c;
        c.message = message;
        c.id = data->uID;
        c.window = data->hWnd;
        c.flags = data->uFlags;
        c.callback = data->uCallbackMessage;
        c.size = data->cbSize;
        c.icon = data->hIcon;
        c.tip.assign(data->szTip, strnlen(data->szTip, sizeof(data->szTip)));
        if (data->uFlags & NIF_INFO) {
            c.infoTitle.assign(data->szInfoTitle, strnlen(data->szInfoTitle, sizeof(data->szInfoTitle)));
            c.info.assign(data->szInfo, strnlen(data->szInfo, sizeof(data->szInfo)));
            c.infoFlags = data->dwInfoFlags;
        }
        if (message != NIM_SETVERSION) c.picture = PictureOf(data->hIcon);
        if (message == NIM_SETVERSION) c.version = data->uVersion;
        if (message == NIM_ADD && refuseAdds > 0) {
            --refuseAdds;
            c.answer = FALSE;  // as a notification area that is not ready yet
        } else {
            c.answer = noc::SystemSeam::NotifyShell(message, data);
        }
        shell.push_back(c);
        return c.answer;
    }
    // So many NIM_ADD requests, the next ones, are refused without reaching the shell.
    int refuseAdds = 0;
    // The requests of one message (NIM_ADD...) for one icon, or for every icon with id 0.
    std::vector<ShellCall> Shell(DWORD message, UINT id = 0) const {
        std::vector<ShellCall> out;
        for (const auto& c : shell)
            if (c.message == message && (id == 0 || c.id == id)) out.push_back(c);
        return out;
    }

    BOOL CreateShutdownBlockReason(HWND window, const std::wstring& reason) override {
        blockReasons.push_back({true, window, reason, calls.size()});
        return noc::SystemSeam::CreateShutdownBlockReason(window, reason);
    }
    BOOL DestroyShutdownBlockReason(HWND window) override {
        blockReasons.push_back({false, window, {}, calls.size()});
        return noc::SystemSeam::DestroyShutdownBlockReason(window);
    }
    std::vector<BlockReasonCall> blockReasons;

    std::vector<RecordedCall> Boxes() const { return Only(RecordedCall::Box); }
    std::vector<RecordedCall> Beeps() const { return Only(RecordedCall::Beep); }
    std::vector<RecordedCall> Shutdowns() const { return Only(RecordedCall::Shutdown); }
    void Clear() {
        calls.clear();
        shell.clear();
        blockReasons.clear();
        offered.clear();
        awakeCalls.clear();
    }

    std::vector<RecordedCall> calls;
    std::vector<ShellCall> shell;

private:
    size_t Record(RecordedCall call) {
        call.before = calls.size() + 1;
        call.behindBox = boxesUp > 0;
        calls.push_back(std::move(call));
        return calls.size() - 1;
    }
    int boxesUp = 0;
    std::vector<RecordedCall> Only(RecordedCall::Kind k) const {
        std::vector<RecordedCall> out;
        for (const auto& c : calls)
            if (c.kind == k) out.push_back(c);
        return out;
    }
};

}  // namespace testing
