// The on/off switch: its three looks under scripted mouse messages, capture included, on the
// program's window; and the enter and leave events of the image control itself.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "FormFixture.h"
#include "TestForm.h"
#include "controls/MyImage.h"

using namespace testing;
using noc::TForm2;

namespace {

std::string Look(TForm2& f) {
    const noc::PicturePtr& p = f.MyImage1->Picture();
    if (!p) return "none";
    if (p == f.Image1->Picture()) return "normal";
    if (p == f.Image2->Picture()) return "hover";
    if (p == f.Image3->Picture()) return "pressed";
    return "other";
}

// The recorded seam, noting in the log the switch's look when the click's message box comes.
class SwitchSeam : public SeamRecorder {
public:
    explicit SwitchSeam(TForm2& f, std::string& step) : form_(f), step_(step) {}
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
        step_ += " click(" + Look(form_) + ")";
        return SeamRecorder::ShowMessageBox(owner, text, caption, flags);
    }

private:
    TForm2& form_;
    std::string& step_;
};

struct Step {
    const char* name;
    UINT msg;
    int x = 16, y = 16;  // in the switch's client area; (-5, 40) is outside
    WPARAM keys = 0;
};

constexpr int kOut = -5;

// Sends each message to the switch as the system would deliver it (the capture is the one the
// switch takes itself) and logs what it shows afterwards. Each step starts with no picture, so the
// log tells what that step's handlers set: "none" when they set nothing.
std::vector<std::string> Run(TForm2& f, std::string& step, const std::vector<Step>& script) {
    std::vector<std::string> log;
    for (const Step& s : script) {
        f.MyImage1->SetPicture(nullptr);
        step = s.name;
        SendMessageA(f.MyImage1->Handle(), s.msg, s.keys, MAKELPARAM(s.x, s.y));
        log.push_back(step + " " + Look(f));
    }
    return log;
}

using V = std::vector<std::string>;

std::string Join(const V& log) {
    std::string out;
    for (const std::string& s : log) out += s + "; ";
    return out;
}

}  // namespace

TEST_CASE("the switch's looks follow the pointer and the buttons") {
    StoredSettings().Write();  // an empty dial: a click gives its message box and starts nothing
    auto form = MakeForm2();
    form->Show();
    std::string step;
    SwitchSeam seam(*form, step);
    const HWND sw = form->MyImage1->Handle();
    V log, expected;

    SUBCASE("enter and leave; a left click is handled before the release's normal look") {
        log = Run(*form, step,
                  {{"in", WM_MOUSEMOVE},
                   {"move", WM_MOUSEMOVE, 20, 20},
                   {"leave", WM_MOUSELEAVE},
                   {"in", WM_MOUSEMOVE},
                   {"down", WM_LBUTTONDOWN, 16, 16, MK_LBUTTON},
                   {"up", WM_LBUTTONUP},
                   {"move", WM_MOUSEMOVE, 20, 20},
                   {"leave", WM_MOUSELEAVE},
                   {"in", WM_MOUSEMOVE}});
        // After the click the pointer is still over it: the lighter look waits for a new entry.
        expected = {"in hover",  "move none",    "leave normal", "in hover", "down pressed", "up click(none) normal",
                    "move none", "leave normal", "in hover"};
        CHECK(seam.Boxes().size() == 1);
    }
    SUBCASE("pressed, off and back while held, released outside: no click") {
        log = Run(*form, step,
                  {{"in", WM_MOUSEMOVE},
                   {"down", WM_LBUTTONDOWN, 16, 16, MK_LBUTTON},
                   {"off", WM_MOUSEMOVE, kOut, 40, MK_LBUTTON},
                   {"system leave", WM_MOUSELEAVE},
                   {"off", WM_MOUSEMOVE, kOut, 50, MK_LBUTTON},
                   {"back", WM_MOUSEMOVE, 10, 10, MK_LBUTTON},
                   {"over", WM_MOUSEMOVE, 12, 12, MK_LBUTTON},
                   {"off", WM_MOUSEMOVE, 40, 3, MK_LBUTTON},
                   {"up", WM_LBUTTONUP, 40, 3}});
        expected = {"in hover",   "down pressed", "off normal", "system leave none", "off none",
                    "back hover", "over none",    "off normal", "up normal"};
        CHECK(seam.Boxes().empty());
        CHECK(GetCapture() != sw);
    }
    SUBCASE("pressed, then the system's leave notice under the capture, back and released over it") {
        log = Run(*form, step,
                  {{"in", WM_MOUSEMOVE},
                   {"down", WM_LBUTTONDOWN, 16, 16, MK_LBUTTON},
                   {"system leave", WM_MOUSELEAVE},
                   {"back", WM_MOUSEMOVE, 16, 16, MK_LBUTTON},
                   {"up", WM_LBUTTONUP}});
        expected = {"in hover", "down pressed", "system leave normal", "back hover", "up click(none) normal"};
        CHECK(seam.Boxes().size() == 1);
    }
    SUBCASE("right and middle buttons press and release without a click") {
        log = Run(*form, step,
                  {{"in", WM_MOUSEMOVE},
                   {"right", WM_RBUTTONDOWN, 16, 16, MK_RBUTTON},
                   {"up", WM_RBUTTONUP},
                   {"middle", WM_MBUTTONDOWN, 16, 16, MK_MBUTTON},
                   {"up", WM_MBUTTONUP},
                   {"leave", WM_MOUSELEAVE}});
        expected = {"in hover", "right pressed", "up normal", "middle pressed", "up normal", "leave normal"};
        CHECK(seam.Boxes().empty());
    }
    CHECK_MESSAGE(log == expected, Join(log));
    CHECK(GetCapture() != sw);
}

TEST_CASE("only a left click on the switch starts the countdown") {
    StoredSettings s;
    s.Minutes = 1;
    s.Write();
    auto form = MakeForm2();
    form->Show();
    SeamRecorder rec;
    std::string step;
    Run(*form, step,
        {{"in", WM_MOUSEMOVE},
         {"right", WM_RBUTTONDOWN, 16, 16, MK_RBUTTON},
         {"up", WM_RBUTTONUP},
         {"middle", WM_MBUTTONDOWN, 16, 16, MK_MBUTTON},
         {"up", WM_MBUTTONUP}});
    CHECK_FALSE(form->Chronos1->Enabled());
    Run(*form, step, {{"left", WM_LBUTTONDOWN, 16, 16, MK_LBUTTON}, {"up", WM_LBUTTONUP}});
    CHECK(form->Chronos1->Enabled());
    form->Chronos1->SetEnabled(false);
    CHECK(rec.calls.empty());
}

TEST_CASE("the image raises OnMouseover and OnMouseOut after the base control's enter and leave") {
    StartApplication();
    testing::TTestForm form(&noc::Application(), 200, 100);
    auto* image = new noc::TMyImage(&form, &form, 10, 10, 33, 33);
    V log;
    image->OnMouseEnter.Set([&](noc::TObject* s) { log.push_back(s == image ? "enter" : "enter?"); });
    image->OnMouseLeave.Set([&](noc::TObject* s) { log.push_back(s == image ? "leave" : "leave?"); });
    auto send = [&](UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessageA(image->Handle(), msg, keys, MAKELPARAM(x, y));
    };

    SUBCASE("unset, enter and leave do only the base handling") {
        send(WM_MOUSEMOVE, 5, 5);
        send(WM_MOUSELEAVE, 0, 0);
        CHECK(log == V{"enter", "leave"});
    }
    SUBCASE("set, each comes after the base event, with the image as Sender") {
        image->OnMouseover.Set([&](noc::TObject* s) { log.push_back(s == image ? "over" : "over?"); });
        image->OnMouseOut.Set([&](noc::TObject* s) { log.push_back(s == image ? "out" : "out?"); });
        send(WM_MOUSEMOVE, 5, 5);
        send(WM_MOUSEMOVE, 6, 6);
        send(WM_LBUTTONDOWN, 6, 6, MK_LBUTTON);
        send(WM_MOUSEMOVE, 50, 6, MK_LBUTTON);
        send(WM_MOUSELEAVE, 0, 0);
        send(WM_MOUSEMOVE, 6, 6, MK_LBUTTON);
        send(WM_LBUTTONUP, 6, 6);
        send(WM_MOUSELEAVE, 0, 0);
        const V expected{"enter", "over", "leave", "out", "enter", "over", "leave", "out"};
        CHECK_MESSAGE(log == expected, Join(log));
    }
}
