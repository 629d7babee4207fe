#pragma once
// Replaces the system seam for the life of a test: message boxes, beeps and the shutdown request
// are recorded instead of made.
#include <string>
#include <vector>

#include "framework/Seam.h"

namespace testing {

struct RecordedCall {
    enum Kind { Box, Beep, Shutdown } kind;
    std::string text;
    std::string caption;
    UINT flags = 0;
};

class SeamRecorder : public noc::SystemSeam {
public:
    SeamRecorder() { noc::SetSystemSeam(this); }
    ~SeamRecorder() override { noc::SetSystemSeam(nullptr); }
    SeamRecorder(const SeamRecorder&) = delete;
    SeamRecorder& operator=(const SeamRecorder&) = delete;

    int ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT flags) override {
        calls.push_back({RecordedCall::Box, text, caption, flags});
        return IDOK;
    }
    void PlayBeep(UINT type) override { calls.push_back({RecordedCall::Beep, {}, {}, type}); }
    BOOL RequestExitWindows(UINT flags, DWORD) override {
        calls.push_back({RecordedCall::Shutdown, {}, {}, flags});
        return TRUE;
    }

    std::vector<RecordedCall> Boxes() const { return Only(RecordedCall::Box); }
    std::vector<RecordedCall> Beeps() const { return Only(RecordedCall::Beep); }
    std::vector<RecordedCall> Shutdowns() const { return Only(RecordedCall::Shutdown); }
    void Clear() { calls.clear(); }

    std::vector<RecordedCall> calls;

private:
    std::vector<RecordedCall> Only(RecordedCall::Kind k) const {
        std::vector<RecordedCall> out;
        for (const auto& c : calls)
            if (c.kind == k) out.push_back(c);
        return out;
    }
};

}  // namespace testing
