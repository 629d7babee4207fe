#pragma once
// A plain form for the framework's tests: a hidden top-level window of a class of the test's own.
#include <windows.h>

#include "framework/Controls.h"

namespace testing {

class TTestForm : public noc::TForm {
public:
    explicit TTestForm(noc::TComponent* owner, int width = 300, int height = 200) : noc::TForm(owner, "TTestForm") {
        SetBounds(100, 100, width, height);
        CreateFormWindow(WS_OVERLAPPEDWINDOW, 0);
    }
};

}  // namespace testing
