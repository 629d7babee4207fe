// The notification-area icons against the real shell, with every request to it recorded: what
// reaches the shell, the animation, the shell's callbacks, the hooks on the owner window, the
// taskbar's re-creation, and the pictures drawn from text.
#include <doctest/doctest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "Recorder.h"
#include "framework/Application.h"
#include "tray/NotifyIcon.h"
#include "tray/TextTrayIcon.h"

using namespace testing;
using noc::TNotifyIcon;
using noc::TTextTrayIcon;

namespace {

constexpr UINT kPing = WM_APP + 7;
constexpr uint32_t kRed = 0xFF0000;  // as a picture's pixel
constexpr noc::TColor clRed = 0x000000FF, clNone = 0x1FFFFFFF;

// A plain owner for the icons: a hidden top-level window of the program's own class that answers a
// private message, so a test sees that messages still reach it through the hooks.
class TOwnerForm : public noc::TForm {
public:
    TOwnerForm() : noc::TForm(&noc::Application(), "TTrayOwnerForm") {
        SetBounds(200, 150, 200, 100);
        CreateFormWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0);
    }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kPing) return 42;
        return noc::TForm::WndProc(msg, wp, lp);
    }
};

void PostCallback(const TNotifyIcon& icon, UINT event) {
    PostMessageA(noc::TTrayIconHandler::Window(), noc::WM_NOC_TRAY_CALLBACK, icon.TrayId(), event);
}

std::unique_ptr<noc::TImageList> Frames() {
    auto list = std::make_unique<noc::TImageList>(nullptr);
    for (int i = 0; i < 10; ++i) REQUIRE(list->AddIconResource(("TRAYSTD" + std::to_string(i)).c_str()));
    return list;
}

int FrameOf(const noc::TImageList& list, HICON icon) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Image(i)->Handle() == icon) return i;
    return -1;
}

}  // namespace

TEST_CASE("an icon towards the shell") {
    StartApplication();
    SeamRecorder rec;
    TOwnerForm form;
    auto* icon = new TNotifyIcon(&form);
    const UINT id = icon->TrayId();
    const auto frames = Frames();

    SUBCASE("the record: size, window, identity, flags and callback message") {
        icon->SetIconVisible(true);
        REQUIRE(rec.Shell(NIM_ADD).size() == 1);
        const ShellCall add = rec.Shell(NIM_ADD)[0];
        CHECK(add.size == NOTIFYICONDATAA_V2_SIZE);
        CHECK(add.window == noc::TTrayIconHandler::Window());
        CHECK(add.id == id);
        CHECK(add.flags == (NIF_MESSAGE | NIF_ICON | NIF_TIP));
        CHECK(add.callback == 0x0800);
        CHECK(add.answer == TRUE);
        CHECK(ShellHas(id));
    }
    SUBCASE("shown twice: two adds, still shown") {
        icon->SetIconVisible(true);
        icon->SetIconVisible(true);
        CHECK(rec.Shell(NIM_ADD, id).size() == 2);
        CHECK(icon->IconVisible());
        CHECK(ShellHas(id));
    }
    SUBCASE("every change of picture, tooltip or frame is sent") {
        icon->SetIconVisible(true);
        rec.Clear();
        icon->Icon().Assign(frames->Image(3));
        REQUIRE(rec.Shell(NIM_MODIFY).size() == 1);
        CHECK(rec.Shell(NIM_MODIFY)[0].icon == frames->Image(3)->Handle());
        CHECK(rec.Shell(NIM_MODIFY)[0].picture.Opaque() > 0);
        icon->SetHint("Minutes");
        CHECK(rec.Shell(NIM_MODIFY).back().tip == "Minutes");
        icon->SetHint("Minutes");
        CHECK(rec.Shell(NIM_MODIFY).size() == 3);
        icon->SetIconList(frames.get());
        icon->SetIconIndex(12);  // past the last frame: the last one
        CHECK(icon->IconIndex() == 9);
        CHECK(rec.Shell(NIM_MODIFY).back().icon == frames->Image(9)->Handle());
        CHECK(icon->Icon().Handle() == frames->Image(9)->Handle());
    }
    SUBCASE("the tooltip: the first 127 characters, nothing when hints are off") {
        std::string hint(200, 'x');
        hint[126] = 'y';
        hint[127] = 'z';
        icon->SetHint(hint);
        CHECK(rec.Shell(NIM_MODIFY).back().tip == std::string(126, 'x') + "y");
        icon->SetShowHint(false);
        CHECK(rec.Shell(NIM_MODIFY).back().tip.empty());
    }
    SUBCASE("destruction removes the icon from the shell") {
        icon->SetIconVisible(true);
        REQUIRE(ShellHas(id));
        rec.Clear();
        delete icon;
        icon = nullptr;
        REQUIRE(rec.Shell(NIM_DELETE).size() == 1);
        CHECK(rec.Shell(NIM_DELETE)[0].id == id);
        CHECK_FALSE(ShellHas(id));
    }
    delete icon;
}

TEST_CASE("the shared window of the icons lives as long as an icon does") {
    StartApplication();
    REQUIRE(noc::TTrayIconHandler::Window() == nullptr);
    auto first = std::make_unique<TNotifyIcon>(nullptr);
    HWND window = noc::TTrayIconHandler::Window();
    REQUIRE(window != nullptr);
    // An ordinary invisible top-level window, so that broadcasts reach it.
    CHECK(GetAncestor(window, GA_PARENT) == GetDesktopWindow());
    CHECK_FALSE(IsWindowVisible(window));
    auto second = std::make_unique<TNotifyIcon>(nullptr);
    CHECK(noc::TTrayIconHandler::RefCount() == 2);
    CHECK(second->TrayId() != first->TrayId());
    // Nobody but the program closes it.
    SendMessageA(window, WM_CLOSE, 0, 0);
    CHECK(IsWindow(window));
    first.reset();
    CHECK(IsWindow(window));
    second.reset();
    CHECK(noc::TTrayIconHandler::Window() == nullptr);
    CHECK_FALSE(IsWindow(window));
}

TEST_CASE("the animation shows the frames in turn") {
    StartApplication();
    SeamRecorder rec;
    TOwnerForm form;
    auto frames = Frames();
    auto* icon = new TNotifyIcon(&form);
    icon->SetIconList(frames.get());
    icon->SetIconVisible(true);

    SUBCASE("ten frames, looping, one a period") {
        icon->SetCycleInterval(100);
        rec.Clear();
        icon->SetCycleIcons(true);
        CHECK(rec.Shell(NIM_MODIFY).back().icon == frames->Image(0)->Handle());  // frame 0 at once
        const size_t atStart = rec.Shell(NIM_MODIFY).size();
        REQUIRE(PumpUntil([&] { return rec.Shell(NIM_MODIFY).size() >= atStart + 12; }, 10000));
        std::vector<int> shown;
        const auto modifies = rec.Shell(NIM_MODIFY);
        for (size_t i = atStart; i < atStart + 12; ++i) shown.push_back(FrameOf(*frames, modifies[i].icon));
        CHECK(shown == std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1});
        icon->SetCycleIcons(false);
        const size_t stopped = rec.Shell(NIM_MODIFY).size();
        REQUIRE(testing::TimerTicked(100, 3));
        CHECK(rec.Shell(NIM_MODIFY).size() == stopped);
    }
    SUBCASE("a zero period shows frame 0 and stays") {
        icon->SetIconIndex(5);
        icon->SetCycleIcons(true);
        CHECK(icon->Icon().Handle() == frames->Image(0)->Handle());
        const size_t after = rec.Shell(NIM_MODIFY).size();
        REQUIRE(testing::TimerTicked(100, 3));
        CHECK(rec.Shell(NIM_MODIFY).size() == after);
    }
    SUBCASE("OnCycle tells the frame each step moves to") {
        std::vector<int> next;
        icon->OnCycle.Set([&](noc::TObject*, int n) { next.push_back(n); });
        icon->SetCycleInterval(50);
        icon->SetCycleIcons(true);
        REQUIRE(PumpUntil([&] { return next.size() >= 3; }, 5000));
        CHECK(next[0] == 1);
        CHECK(next[1] == 2);
        icon->SetCycleIcons(false);
    }
    SUBCASE("a list that goes away is forgotten") {
        icon->SetIconIndex(4);
        frames.reset();
        CHECK(icon->IconList() == nullptr);
        CHECK(icon->IconIndex() == 0);
    }
    delete icon;
}

TEST_CASE("frames of one picture share an image, and the animation sleeps through them") {
    StartApplication();
    SeamRecorder rec;
    TOwnerForm form;
    noc::TImageList frames(nullptr);
    frames.SharePictures = true;
    for (int i = 0; i < 10; ++i) REQUIRE(frames.AddIconResource(("TRAYSTD" + std::to_string(i)).c_str()));
    for (int size : {24, 16}) {  // at another scale, and back
        CHECK((frames.Image(1) == frames.Image(0) && frames.Image(2) == frames.Image(0)));
        CHECK((frames.Image(3) != frames.Image(2) && frames.Image(4) != frames.Image(3)));
        CHECK((frames.Image(8) == frames.Image(4) && frames.Image(9) == frames.Image(3)));
        frames.SetSize(size, size);
    }
    auto* icon = new TNotifyIcon(&form);
    icon->SetIconList(&frames);
    icon->SetIconVisible(true);
    icon->SetCycleInterval(50);
    icon->SetCycleIcons(true);
    const size_t atStart = rec.Shell(NIM_MODIFY).size();
    // A tick for each new picture only: frames 0, 3, 4 and 9 (the picture of 3), and round again.
    REQUIRE(PumpUntil([&] { return rec.Shell(NIM_MODIFY).size() >= atStart + 8; }, 10000));
    std::vector<int> shown;
    for (size_t i = atStart; i < atStart + 8; ++i) shown.push_back(FrameOf(frames, rec.Shell(NIM_MODIFY)[i].icon));
    CHECK(shown == std::vector<int>{0, 3, 4, 3, 0, 3, 4, 3});
    delete icon;
}

TEST_CASE("the shell's callbacks become events") {
    StartApplication();
    TOwnerForm form;
    auto icon = std::make_unique<TNotifyIcon>(&form);
    std::vector<std::string> log;
    icon->OnClick.Set([&](noc::TObject* s) { log.push_back(s == icon.get() ? "click" : "click from elsewhere"); });
    icon->OnMouseDown.Set([&](noc::TObject*, noc::TMouseButton b, noc::TShiftState s, int, int) {
        log.push_back(b == noc::TMouseButton::mbLeft ? (s & noc::ssLeft ? "down L" : "down L?")
                                                     : (s & noc::ssRight ? "down R" : "down R?"));
    });
    icon->OnMouseUp.Set([&](noc::TObject*, noc::TMouseButton b, noc::TShiftState, int, int) {
        log.push_back(b == noc::TMouseButton::mbLeft ? "up L" : "up R");
    });
    icon->OnMouseMove.Set([&](noc::TObject*, noc::TShiftState, int x, int y) {
        POINT p{};
        GetCursorPos(&p);
        log.push_back(x == p.x && y == p.y ? "move at the cursor" : "move elsewhere");
    });
    icon->OnBalloonHintShow.Set([&](noc::TObject*) { log.push_back("balloon shown"); });
    auto deliver = [&](std::initializer_list<UINT> events, size_t expected) {
        for (UINT e : events) PostCallback(*icon, e);
        PumpUntil([&] { return log.size() >= expected; }, 3000);
        REQUIRE(testing::QueueDrained());  // nothing more follows
    };

    SUBCASE("a click is raised at the release, before the button-up event") {
        deliver({WM_LBUTTONDOWN, WM_LBUTTONUP}, 3);
        CHECK(log == std::vector<std::string>{"down L", "click", "up L"});
    }
    SUBCASE("without a double-click handler a double click is one click") {
        deliver({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 4);
        CHECK(log == std::vector<std::string>{"down L", "click", "up L", "up L"});
    }
    SUBCASE("with a double-click handler a click waits for the double-click time") {
        icon->OnDblClick.Set([&](noc::TObject*) { log.push_back("double"); });
        SUBCASE("a single click comes late") {
            deliver({WM_LBUTTONDOWN, WM_LBUTTONUP}, 2);
            CHECK(log == std::vector<std::string>{"down L", "up L"});
            REQUIRE(PumpUntil([&] { return log.size() == 3; }, GetDoubleClickTime() + 3000));
            CHECK(log.back() == "click");
        }
        SUBCASE("a double click raises no click") {
            deliver({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 4);
            // A timer set after the click's own, and longer, has ticked: the click's had its time.
            REQUIRE(testing::TimerTicked(GetDoubleClickTime() + 50, 1));
            CHECK(log == std::vector<std::string>{"down L", "up L", "double", "up L"});
        }
    }
    SUBCASE("right button and mouse moves") {
        deliver({WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE}, 3);
        CHECK(log == std::vector<std::string>{"down R", "up R", "move at the cursor"});
    }
    SUBCASE("disabled: no mouse event, balloon notices still") {
        icon->Enabled = false;
        deliver({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, NIN_BALLOONSHOW}, 1);
        CHECK(log == std::vector<std::string>{"balloon shown"});
    }
    SUBCASE("a callback for an icon that is gone raises nothing") {
        PostCallback(*icon, WM_LBUTTONDOWN);
        PostCallback(*icon, WM_LBUTTONUP);
        auto other = std::make_unique<TNotifyIcon>(nullptr);  // keeps the shared window
        icon.reset();
        REQUIRE(testing::QueueDrained());
        CHECK(log.empty());
    }
}

TEST_CASE("the keyboard's selection of an icon is a click, its menu request a right click") {
    StartApplication();
    TOwnerForm form;
    auto icon = std::make_unique<TNotifyIcon>(&form);
    std::vector<std::string> log;
    icon->OnClick.Set([&](noc::TObject*) { log.push_back("click"); });
    icon->OnMouseDown.Set([&](noc::TObject*, noc::TMouseButton b, noc::TShiftState, int, int) {
        log.push_back(b == noc::TMouseButton::mbLeft ? "down L" : "down R");
    });
    icon->OnMouseUp.Set([&](noc::TObject*, noc::TMouseButton b, noc::TShiftState, int, int) {
        log.push_back(b == noc::TMouseButton::mbLeft ? "up L" : "up R");
    });
    using Log = std::vector<std::string>;
    const struct {
        const char* what;
        std::vector<UINT> events;
        Log expected;
    } cases[] = {
        {"Enter or Space on the icon", {NIN_KEYSELECT}, {"click"}},
        {"a selection after no click", {NIN_SELECT}, {"click"}},
        {"the selection that follows a click is that click", {WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT},
         {"down L", "click", "up L"}},
        {"the menu key", {WM_CONTEXTMENU}, {"down R", "up R"}},
        {"the menu request that follows a right click is that click", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU},
         {"down R", "up R"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        log.clear();
        for (UINT e : c.events) PostCallback(*icon, e);
        REQUIRE(testing::QueueDrained());
        CHECK(log == c.expected);
    }
    icon->Enabled = false;
    log.clear();
    PostCallback(*icon, NIN_KEYSELECT);
    PostCallback(*icon, WM_CONTEXTMENU);
    REQUIRE(testing::QueueDrained());
    CHECK(log.empty());
}

TEST_CASE("each add asks the shell for the callbacks that tell the keyboard's selection") {
    StartApplication();
    TOwnerForm form;
    SeamRecorder rec;
    auto icon = std::make_unique<TNotifyIcon>(&form);
    icon->Loaded();
    icon->SetIconVisible(true);
    icon->SetIconVisible(false);
    icon->SetIconVisible(true);
    std::vector<std::pair<DWORD, UINT>> sent;  // the adds and version requests, in order
    for (const ShellCall& c : rec.shell)
        if (c.message == NIM_ADD || c.message == NIM_SETVERSION) sent.emplace_back(c.message, c.version);
    const std::vector<std::pair<DWORD, UINT>> expected{{NIM_SETVERSION, NOTIFYICON_VERSION},  // at load, not yet held
                                                       {NIM_ADD, 0u},
                                                       {NIM_SETVERSION, NOTIFYICON_VERSION},
                                                       {NIM_ADD, 0u},
                                                       {NIM_SETVERSION, NOTIFYICON_VERSION}};
    CHECK(sent == expected);
    CHECK(rec.Shell(NIM_SETVERSION).back().answer);
    CHECK(icon->NotifyData().uVersion == 0);  // the record's field is the notices' time-out too
}

TEST_CASE("the owner hooks of five icons chain on the owner and unwind in any order") {
    StartApplication();
    auto form = std::make_unique<TOwnerForm>();
    std::vector<std::unique_ptr<TNotifyIcon>> icons;
    std::vector<int> minimized;
    for (int i = 0; i < 5; ++i) {
        icons.push_back(std::make_unique<TNotifyIcon>(form.get()));
        icons.back()->MinimizeToTray = true;
        icons.back()->OnMinimizeToTray.Set([&minimized, i](noc::TObject*) { minimized.push_back(i); });
    }
    // The newest hook sees a minimize first and takes it; the owner still answers everything else.
    auto minimize = [&] { return SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); };
    CHECK(SendMessageA(form->Handle(), kPing, 0, 0) == 42);
    CHECK(minimize() == 1);
    CHECK(minimized == std::vector<int>{4});
    CHECK(icons[4]->IconVisible());  // hidden into the tray

    SUBCASE("removed oldest first") {
        for (int i = 0; i < 5; ++i) {
            icons[static_cast<size_t>(i)].reset();
            CHECK(SendMessageA(form->Handle(), kPing, 0, 0) == 42);
        }
    }
    SUBCASE("removed newest first") {
        for (int i = 4; i >= 0; --i) {
            minimized.clear();
            minimize();
            CHECK(minimized == std::vector<int>{i});
            icons[static_cast<size_t>(i)].reset();
            CHECK(SendMessageA(form->Handle(), kPing, 0, 0) == 42);
        }
    }
    SUBCASE("removed from the middle") {
        icons[4].reset();
        icons[2].reset();
        minimized.clear();
        minimize();
        CHECK(minimized == std::vector<int>{3});
        icons[3].reset();
        minimized.clear();
        minimize();
        CHECK(minimized == std::vector<int>{1});
        icons.clear();
        CHECK(SendMessageA(form->Handle(), kPing, 0, 0) == 42);
    }
    SUBCASE("the owner's window destroyed with the hooks on it") {
        DestroyWindow(form->Handle());
        icons.clear();
        CHECK(form->Handle() == nullptr);
    }
    // With no hook left a minimize is the owner's again.
    icons.clear();
    minimized.clear();
    if (form->Handle()) {
        minimize();
        CHECK(minimized.empty());
    }
}

TEST_CASE("an owner shown by the program comes to the front") {
    StartApplication();
    TOwnerForm owner;
    TOwnerForm other;
    TNotifyIcon icon(&owner);
    other.Show();
    REQUIRE(PumpUntil([&] { return GetForegroundWindow() == other.Handle(); }, 3000));
    ShowWindow(owner.Handle(), SW_SHOWNA);  // shown without being activated
    CHECK(PumpUntil([&] { return GetForegroundWindow() == owner.Handle(); }, 3000));
    owner.Hide();
    other.Hide();
}

TEST_CASE("a re-created taskbar gets back the visible icons") {
    StartApplication();
    SeamRecorder rec;
    TOwnerForm form;
    TNotifyIcon shown(&form), hidden(&form);
    shown.SetHint("shown");
    shown.SetIconVisible(true);
    hidden.SetIconVisible(false);
    REQUIRE(noc::TNotifyIcon::TaskbarCreatedMessage() != 0);
    // The shell lost its icons, then says it is back.
    NOTIFYICONDATAA d = shown.NotifyData();
    REQUIRE(Shell_NotifyIconA(NIM_DELETE, &d));
    REQUIRE_FALSE(ShellHas(shown.TrayId()));
    rec.Clear();
    SendMessageTimeoutA(HWND_BROADCAST, noc::TNotifyIcon::TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    PumpUntil([&] { return !rec.Shell(NIM_ADD).empty(); }, 3000);
    REQUIRE(rec.Shell(NIM_ADD).size() == 1);
    CHECK(rec.Shell(NIM_ADD)[0].id == shown.TrayId());
    CHECK(rec.Shell(NIM_ADD)[0].tip == "shown");
    CHECK(ShellHas(shown.TrayId()));
    CHECK_FALSE(ShellHas(hidden.TrayId()));
}

namespace {

// A text icon as the program sets its four: a see-through background, 8-point MS Sans Serif.
std::unique_ptr<TTextTrayIcon> MakeTextIcon(noc::TComponent* owner, noc::TColor fontColour = clRed) {
    auto icon = std::make_unique<TTextTrayIcon>(owner);
    icon->LoadBackgroundIcon(noc::TIconImage::FromResource("TRANSPARENT16"));
    noc::TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    font.SetColor(fontColour);
    icon->SetFont(font);
    return icon;
}

// Leftmost column and top row holding a pixel of that colour; -1 when there is none.
POINT FirstPixelOf(const IconPicture& p, uint32_t colour) {
    POINT first{-1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (!p.ClearAt(x, y) && p.At(x, y) == colour) {
                if (first.x < 0 || x < first.x) first.x = x;
                if (first.y < 0) first.y = y;
            }
    return first;
}

}  // namespace

TEST_CASE("a text icon draws its text into its picture") {
    StartApplication();
    SeamRecorder rec;
    TOwnerForm form;
    auto icon = MakeTextIcon(&form);
    icon->SetIconVisible(true);

    SUBCASE("the digits in the font colour on a see-through square") {
        icon->SetText("12");
        const IconPicture p = rec.Shell(NIM_MODIFY).back().picture;
        REQUIRE(p.width == 16);
        CHECK(p.CountOf(kRed) > 10);
        CHECK(p.Opaque() == p.CountOf(kRed));  // nothing but the digits shows
    }
    SUBCASE("the offsets move the text by as many pixels") {
        icon->SetText("12");
        const POINT base = FirstPixelOf(rec.Shell(NIM_MODIFY).back().picture, kRed);
        icon->Options().SetOffsetX(2);
        icon->Options().SetOffsetY(1);
        const POINT moved = FirstPixelOf(rec.Shell(NIM_MODIFY).back().picture, kRed);
        CHECK(moved.x == base.x + 2);
        CHECK(moved.y == base.y + 1);
        const size_t renders = rec.Shell(NIM_MODIFY).size();
        icon->Options().SetOffsetX(2);  // the same value: nothing
        CHECK(rec.Shell(NIM_MODIFY).size() == renders);
    }
    SUBCASE("two lines at a carriage return") {
        icon->SetText("1\r\n2");
        const IconPicture p = rec.Shell(NIM_MODIFY).back().picture;
        std::vector<bool> rowHasText(16, false);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) rowHasText[static_cast<size_t>(y)] = rowHasText[y] || !p.ClearAt(x, y);
        int bands = 0;
        for (int y = 0; y < 16; ++y) bands += rowHasText[static_cast<size_t>(y)] && (y == 0 || !rowHasText[y - 1]);
        CHECK(bands >= 2);
    }
    SUBCASE("the same text again is drawn and sent again") {
        icon->SetText(":05");
        const size_t renders = rec.Shell(NIM_MODIFY).size();
        icon->SetText(":05");
        CHECK(rec.Shell(NIM_MODIFY).size() == renders + 1);
    }
    SUBCASE("a change of the font colour draws again") {
        icon->SetText("12");
        icon->Font().SetColor(0x00FF0000);  // blue
        const IconPicture p = rec.Shell(NIM_MODIFY).back().picture;
        CHECK(p.CountOf(0x0000FF) > 10);
        CHECK(p.CountOf(kRed) == 0);
    }
    SUBCASE("an empty text is an empty square") {
        icon->SetText("");
        CHECK(rec.Shell(NIM_MODIFY).back().picture.Opaque() == 0);
    }
    SUBCASE("drawing stops an animation") {
        auto frames = Frames();
        icon->SetIconList(frames.get());
        icon->SetCycleInterval(50);
        icon->SetCycleIcons(true);
        icon->SetText("12");
        CHECK_FALSE(icon->CycleIcons());
        const size_t after = rec.Shell(NIM_MODIFY).size();
        REQUIRE(testing::TimerTicked(50, 4));
        CHECK(rec.Shell(NIM_MODIFY).size() == after);
        icon->SetIconList(nullptr);
    }
}

TEST_CASE("a text icon without background fills its square") {
    StartApplication();
    SeamRecorder rec;
    TOwnerForm form;
    noc::TFont font;
    font.SetName("MS Sans Serif");
    font.SetColor(clRed);
    auto redText = [&] {
        auto icon = std::make_unique<TTextTrayIcon>(&form);
        icon->SetFont(font);
        return icon;
    };

    // The background, and the colour of the pixels that are not the text's (none: see-through).
    struct Case {
        const char* name;
        noc::TColor background;
        int filler;  // 0x00RRGGBB, or -1 for none
    };
    for (const Case& c : {Case{"in its colour", 0x0000FF00 /* green */, 0x00FF00},
                          Case{"in the inverted font colour when it equals the font colour, so the text stays visible",
                               clRed, 0x00FFFF},
                          Case{"not at all with no colour", clNone, -1}}) {
        CAPTURE(c.name);
        auto icon = redText();
        icon->SetColor(c.background);
        icon->SetText("12");
        const IconPicture p = rec.Shell(NIM_MODIFY).back().picture;
        CHECK(p.Opaque() == (c.filler < 0 ? p.CountOf(kRed) : 256));
        if (c.filler >= 0) CHECK(p.CountOf(static_cast<uint32_t>(c.filler)) + p.CountOf(kRed) == 256);
        CHECK(p.CountOf(kRed) > 10);
    }
    SUBCASE("with a border in its colour") {
        auto icon = redText();
        icon->SetColor(clNone);
        icon->SetBorderColor(0x00FF0000);  // blue
        icon->SetBorder(true);
        icon->SetText("");
        const IconPicture p = rec.Shell(NIM_MODIFY).back().picture;
        CHECK(p.CountOf(0x0000FF) == 60);  // the edge of a 16 x 16 square
        CHECK(p.At(0, 0) == 0x0000FF);
        CHECK(p.ClearAt(8, 8));
    }
}

namespace {
// Keeps the shell out of a long loop: only our own process's handles matter there.
class TNoShell : public noc::SystemSeam {
public:
    TNoShell() { noc::SetSystemSeam(this); }
    ~TNoShell() override { noc::SetSystemSeam(nullptr); }
    BOOL NotifyShell(DWORD, NOTIFYICONDATAA*) override { return TRUE; }
};
}  // namespace

// How many GDI objects the process can still make: Wine reports no count, but its handle table
// has a fixed size, so what it still takes tells how many are in use.
int FreeGdiHandles() {
    std::vector<HBRUSH> made;
    while (made.size() < 200000) {
        HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
        if (!b) break;
        made.push_back(b);
    }
    for (HBRUSH b : made) DeleteObject(b);
    return static_cast<int>(made.size());
}

TEST_CASE("drawing a text icon over and over keeps no handle behind") {
    StartApplication();
    TNoShell noShell;
    TOwnerForm form;
    auto icon = MakeTextIcon(&form);
    icon->SetText("--");

    SUBCASE("a new picture every time") {
        const int freeBefore = FreeGdiHandles();
        std::vector<HICON> earlier;
        for (int i = 0; i < 3000; ++i) {
            icon->SetText(std::to_string(i));
            if (i < 50) earlier.push_back(icon->Icon().Handle());
        }
        // The pictures kept for reuse are few; one kept per drawing would be thousands.
        CHECK(freeBefore - FreeGdiHandles() < 300);
        ICONINFO ii{};
        for (HICON old : earlier) {
            const bool alive = GetIconInfo(old, &ii) != FALSE;
            if (alive) {
                DeleteObject(ii.hbmColor);
                DeleteObject(ii.hbmMask);
            }
            CHECK_FALSE(alive);
        }
    }
    SUBCASE("the pictures that come back are made once") {
        std::vector<HICON> firstRound;
        for (int i = 0; i < 60; ++i) {
            icon->SetText(":" + std::to_string(i));
            firstRound.push_back(icon->Icon().Handle());
        }
        const int freeBefore = FreeGdiHandles();
        for (int round = 0; round < 50; ++round)
            for (int i = 0; i < 60; ++i) {
                icon->SetText(":" + std::to_string(i));
                CHECK(icon->Icon().Handle() == firstRound[static_cast<size_t>(i)]);
            }
        CHECK(freeBefore - FreeGdiHandles() < 10);
    }
    icon->SetText("12");
    CHECK(PictureOf(icon->Icon().Handle()).CountOf(kRed) > 10);  // still drawing
}
