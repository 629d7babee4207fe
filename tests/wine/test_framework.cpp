// The window framework: the hand-over queue, the general error report, events, component ownership
// and the standard controls.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Pump.h"
#include "Recorder.h"
#include "TestForm.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/HiddenWindow.h"
#include "framework/StdCtrls.h"
#include "framework/Sync.h"

namespace {

using testing::TTestForm;
using testing::PumpUntil;

// An ordered log shared by threads.
class Log {
public:
    void Add(const std::string& s) {
        std::lock_guard<std::mutex> l(m_);
        items_.push_back(s);
    }
    std::vector<std::string> Items() {
        std::lock_guard<std::mutex> l(m_);
        return items_;
    }

private:
    std::mutex m_;
    std::vector<std::string> items_;
};

std::string ClassOf(HWND wnd) {
    char buf[256] = {};
    GetClassNameA(wnd, buf, sizeof(buf));
    return buf;
}

std::string TextOf(HWND wnd) {
    char buf[256] = {};
    GetWindowTextA(wnd, buf, sizeof(buf));
    return buf;
}

bool SameClass(HWND wnd, const char* expected) { return lstrcmpiA(ClassOf(wnd).c_str(), expected) == 0; }

void Click(noc::TControl* c) { SendMessageA(c->Handle(), BM_CLICK, 0, 0); }

}  // namespace

// ---- the hand-over queue ----------------------------------------------------------------------

TEST_CASE("hand-over queue") {
    noc::Application().Initialize();
    const DWORD uiThread = GetCurrentThreadId();
    REQUIRE(noc::IsMainThread());
    testing::SeamRecorder recorder;

    SUBCASE("a worker's call runs on the user-interface thread while the worker waits") {
        Log log;
        std::atomic<DWORD> ranOn{0};
        std::atomic<bool> workerDone{false};
        std::atomic<bool> workerIsMain{true};
        std::atomic<bool> doneDuringCall{true};
        testing::HandOverWatch watch;
        std::thread worker([&] {
            workerIsMain = noc::IsMainThread();
            log.Add("before");
            noc::Synchronize([&] {
                ranOn = GetCurrentThreadId();
                log.Add("call");
                doneDuringCall = workerDone.load();  // the worker is still waiting
                log.Add("call end");
            });
            log.Add("after");
            workerDone = true;
        });
        // The call is queued; without the loop it cannot run, and the worker stays blocked.
        REQUIRE(watch.WaitQueued(1));
        CHECK(watch.LastThread() != uiThread);
        CHECK(ranOn == 0u);
        CHECK_FALSE(workerDone);
        CHECK(log.Items() == std::vector<std::string>{"before"});
        CHECK(PumpUntil([&] { return workerDone.load(); }));
        CHECK_FALSE(doneDuringCall);
        worker.join();
        CHECK_FALSE(workerIsMain);
        CHECK(ranOn == uiThread);
        CHECK(log.Items() == std::vector<std::string>{"before", "call", "call end", "after"});
        CHECK(recorder.calls.empty());
    }

    SUBCASE("a failure of the call is raised again in the worker") {
        std::string caught;
        std::atomic<DWORD> threwOn{0};
        std::atomic<bool> workerDone{false};
        std::thread worker([&] {
            try {
                noc::Synchronize([&] {
                    threwOn = GetCurrentThreadId();
                    throw std::runtime_error("sync failure");
                });
                caught = "(nothing)";
            } catch (const std::runtime_error& e) {
                caught = e.what();
            } catch (...) {
                caught = "(another kind)";
            }
            workerDone = true;
        });
        CHECK(PumpUntil([&] { return workerDone.load(); }));
        worker.join();
        CHECK(threwOn == uiThread);
        CHECK(caught == "sync failure");
        // The user-interface thread handled it quietly: no report.
        CHECK(recorder.Boxes().empty());
    }

    SUBCASE("calls from several workers all run, each on the user-interface thread") {
        std::atomic<int> ran{0};
        std::atomic<int> onUi{0};
        std::atomic<int> done{0};
        std::vector<std::thread> workers;
        for (int i = 0; i < 4; ++i)
            workers.emplace_back([&] {
                for (int k = 0; k < 3; ++k)
                    noc::Synchronize([&] {
                        ++ran;
                        if (GetCurrentThreadId() == uiThread) ++onUi;
                    });
                ++done;
            });
        CHECK(PumpUntil([&] { return done.load() == 4; }));
        for (auto& w : workers) w.join();
        CHECK(ran == 12);
        CHECK(onUi == 12);
    }

    SUBCASE("a call made on the user-interface thread runs at once") {
        Log log;
        noc::Synchronize([&] {
            CHECK(GetCurrentThreadId() == uiThread);
            log.Add("call");
        });
        log.Add("after");
        CHECK(log.Items() == std::vector<std::string>{"call", "after"});
        CHECK_THROWS_WITH_AS(noc::Synchronize([] { throw std::runtime_error("direct"); }), "direct",
                             std::runtime_error);
        CHECK_FALSE(noc::CheckSynchronize());  // nothing was queued
    }

    SUBCASE("the queue is empty after the calls ran") {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            noc::Synchronize([] {});
            done = true;
        });
        CHECK(PumpUntil([&] { return done.load(); }));
        worker.join();
        CHECK_FALSE(noc::CheckSynchronize());
    }

    SUBCASE("a worker cannot run the queue") {
        bool ranQueue = true;
        std::thread worker([&] { ranQueue = noc::CheckSynchronize(); });
        worker.join();
        CHECK_FALSE(ranQueue);
    }
}

// ---- the general error report -----------------------------------------------------------------

TEST_CASE("general error report") {
    noc::Application().Initialize();
    noc::Application().SetTitle("NocTuro");
    testing::SeamRecorder recorder;
    TTestForm form(nullptr);
    REQUIRE(form.Handle() != nullptr);
    auto* failing = new noc::TButton(&form, &form, 10, 10, 80, 24, "Fail");
    auto* working = new noc::TButton(&form, &form, 10, 40, 80, 24, "Work");
    int worked = 0;
    working->OnClick.Set([&](noc::TObject*) { ++worked; });

    SUBCASE("a failing handler is reported once, and the program goes on") {
        failing->OnClick.Set([](noc::TObject*) { throw std::runtime_error("boom"); });
        Click(failing);
        auto boxes = recorder.Boxes();
        REQUIRE(boxes.size() == 1u);
        CHECK(boxes[0].text == "boom.");
        CHECK(boxes[0].caption == "NocTuro");
        CHECK((boxes[0].flags & MB_ICONMASK) == static_cast<UINT>(MB_ICONSTOP));
        CHECK(recorder.Beeps().empty());
        CHECK(recorder.Shutdowns().empty());

        Click(failing);
        CHECK(recorder.Boxes().size() == 2u);
        Click(working);
        CHECK(worked == 1);
        CHECK(recorder.Boxes().size() == 2u);

        // Through the message loop as well.
        PostMessageA(failing->Handle(), BM_CLICK, 0, 0);
        PostMessageA(working->Handle(), BM_CLICK, 0, 0);
        CHECK(PumpUntil([&] { return worked == 2; }));
        CHECK(recorder.Boxes().size() == 3u);
        CHECK(IsWindow(form.Handle()));
        CHECK_FALSE(noc::Application().Terminated());
    }

    SUBCASE("a failing hidden window's handler is reported, and the window answers the next message") {
        int handled = 0;
        noc::THiddenWindow hidden("NocTestFailingWindow", noc::THiddenWindow::MessageOnly,
                                  [&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
                                      if (msg != WM_APP + 1) return false;
                                      if (++handled == 1) throw std::runtime_error("hidden boom");
                                      result = 7;
                                      return true;
                                  });
        SendMessageA(hidden.Handle(), WM_APP + 1, 0, 0);
        REQUIRE(recorder.Boxes().size() == 1u);
        CHECK(recorder.Boxes()[0].text == "hidden boom.");
        CHECK(SendMessageA(hidden.Handle(), WM_APP + 1, 0, 0) == 7);
        CHECK(handled == 2);
    }

    SUBCASE("a text that ends with a full stop gets no second one") {
        failing->OnClick.Set([](noc::TObject*) { throw std::runtime_error("Already said."); });
        Click(failing);
        REQUIRE(recorder.Boxes().size() == 1u);
        CHECK(recorder.Boxes()[0].text == "Already said.");
    }

    SUBCASE("a failure of an unknown kind is reported too") {
        failing->OnClick.Set([](noc::TObject*) { throw 42; });
        Click(failing);
        REQUIRE(recorder.Boxes().size() == 1u);
        CHECK(recorder.Boxes()[0].text.find("Unknown failure") == 0u);
        CHECK(recorder.Boxes()[0].caption == "NocTuro");
    }

    SUBCASE("a silent abort shows nothing") {
        failing->OnClick.Set([](noc::TObject*) { throw noc::EAbort(); });
        Click(failing);
        CHECK(recorder.calls.empty());
        Click(working);
        CHECK(worked == 1);
    }

    SUBCASE("RunGuarded reports what escapes its body") {
        noc::RunGuarded(&form, [] { throw std::runtime_error("guarded"); });
        noc::RunGuarded(&form, [] { throw noc::EAbort(); });
        bool ran = false;
        noc::RunGuarded(&form, [&] { ran = true; });
        CHECK(ran);
        REQUIRE(recorder.Boxes().size() == 1u);
        CHECK(recorder.Boxes()[0].text == "guarded.");
    }

    SUBCASE("a click without a handler does nothing") {
        Click(failing);
        CHECK(recorder.calls.empty());
    }
}

// ---- events -----------------------------------------------------------------------------------

namespace {
struct Receiver {
    noc::TObject* sender = nullptr;
    int clicks = 0;
    int lastValue = 0;
    void Clicked(noc::TObject* s) {
        sender = s;
        ++clicks;
    }
    void Valued(noc::TObject* s, int v) {
        sender = s;
        lastValue = v;
    }
};
}  // namespace

TEST_CASE("events") {
    noc::Application().Initialize();
    testing::SeamRecorder recorder;

    SUBCASE("an unset event raises nothing") {
        noc::TNotifyEvent e;
        CHECK_FALSE(e.Assigned());
        CHECK_FALSE(static_cast<bool>(e));
        CHECK_NOTHROW(e(nullptr));
        noc::Event<int> withArg;
        CHECK_NOTHROW(withArg(nullptr, 3));
    }

    SUBCASE("set, raise and clear") {
        noc::Event<int> e;
        int got = 0;
        e.Set([&](noc::TObject*, int v) { got = v; });
        CHECK(e.Assigned());
        e(nullptr, 7);
        CHECK(got == 7);
        e.Clear();
        CHECK_FALSE(e.Assigned());
        e(nullptr, 9);
        CHECK(got == 7);
    }

    SUBCASE("a bound method gets the raising component as Sender") {
        TTestForm form(nullptr);
        auto* button = new noc::TButton(&form, &form, 10, 10, 80, 24, "Go");
        Receiver r;
        button->OnClick.Bind(&r, &Receiver::Clicked);
        Click(button);
        CHECK(r.clicks == 1);
        CHECK(r.sender == button);
        button->Click();
        CHECK(r.clicks == 2);
        CHECK(r.sender == button);

        noc::Event<int> valued;
        valued.Bind(&r, &Receiver::Valued);
        valued(&form, 5);
        CHECK(r.sender == &form);
        CHECK(r.lastValue == 5);
        CHECK(recorder.calls.empty());
    }

    SUBCASE("a check box raises OnClick when clicked") {
        TTestForm form(nullptr);
        auto* box = new noc::TCheckBox(&form, &form, 10, 10, 120, 20, "Check");
        Receiver r;
        box->OnClick.Bind(&r, &Receiver::Clicked);
        Click(box);
        CHECK(r.clicks == 1);
        CHECK(r.sender == box);
        CHECK(box->Checked());
    }
}

// ---- components -------------------------------------------------------------------------------

namespace {
std::vector<std::string> g_destroyed;
std::vector<bool> g_destroyingSeen;

class TRecorded : public noc::TComponent {
public:
    TRecorded(noc::TComponent* owner, const std::string& name) : noc::TComponent(owner) { Name = name; }
    ~TRecorded() override {
        g_destroyed.push_back(Name);
        g_destroyingSeen.push_back(Destroying());
    }
};
}  // namespace

TEST_CASE("components") {
    g_destroyed.clear();
    g_destroyingSeen.clear();

    SUBCASE("owned components go with their owner, newest first") {
        auto* owner = new TRecorded(nullptr, "owner");
        auto* a = new TRecorded(owner, "A");
        auto* b = new TRecorded(owner, "B");
        auto* c = new TRecorded(owner, "C");
        CHECK(a->Owner() == owner);
        REQUIRE(owner->ComponentCount() == 3);
        CHECK(owner->Component(0) == a);
        CHECK(owner->Component(1) == b);
        CHECK(owner->Component(2) == c);
        delete owner;
        CHECK(g_destroyed == std::vector<std::string>{"owner", "C", "B", "A"});
        // The owned ones know that they go with their owner.
        REQUIRE(g_destroyingSeen.size() == 4u);
        CHECK(g_destroyingSeen[1]);
        CHECK(g_destroyingSeen[2]);
        CHECK(g_destroyingSeen[3]);
    }

    SUBCASE("the components of owned components go too") {
        auto* owner = new TRecorded(nullptr, "owner");
        auto* a = new TRecorded(owner, "A");
        new TRecorded(a, "A1");
        new TRecorded(a, "A2");
        new TRecorded(owner, "B");
        delete owner;
        CHECK(g_destroyed == std::vector<std::string>{"owner", "B", "A", "A2", "A1"});
    }

    SUBCASE("deleting an owned component first removes it from its owner") {
        auto* owner = new TRecorded(nullptr, "owner");
        auto* a = new TRecorded(owner, "A");
        auto* b = new TRecorded(owner, "B");
        auto* c = new TRecorded(owner, "C");
        delete b;
        CHECK(g_destroyed == std::vector<std::string>{"B"});
        REQUIRE(owner->ComponentCount() == 2);
        CHECK(owner->Component(0) == a);
        CHECK(owner->Component(1) == c);
        delete owner;
        CHECK(g_destroyed == std::vector<std::string>{"B", "owner", "C", "A"});
    }

    SUBCASE("a component without an owner") {
        TRecorded alone(nullptr, "alone");
        CHECK(alone.Owner() == nullptr);
        CHECK(alone.ComponentCount() == 0);
        CHECK_FALSE(alone.Destroying());
        CHECK(alone.Tag == 0);
    }

    SUBCASE("a form's controls go with the form") {
        noc::Application().Initialize();
        auto* form = new TTestForm(nullptr);
        auto* label = new noc::TLabel(form, form, 5, 5, "Label");
        auto* button = new noc::TButton(form, form, 5, 30, 60, 24, "Button");
        HWND labelWnd = label->Handle(), buttonWnd = button->Handle(), formWnd = form->Handle();
        CHECK(IsWindow(labelWnd));
        CHECK(form->ComponentCount() == 2);
        delete button;
        CHECK_FALSE(IsWindow(buttonWnd));
        CHECK(form->ComponentCount() == 1);
        delete form;
        CHECK_FALSE(IsWindow(labelWnd));
        CHECK_FALSE(IsWindow(formWnd));
    }
}

TEST_CASE("a form shown again leaves a dialog box of its own in front and active; its tooltip does not count") {
    noc::Application().Initialize();
    TTestForm form(nullptr);
    form.Show();
    REQUIRE(GetActiveWindow() == form.Handle());
    const auto above = [&](HWND w) {
        for (HWND next = GetWindow(w, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT))
            if (next == form.Handle()) return true;
        return false;
    };

    // As the final warning shows the window every second while a message box of its own is up.
    const HWND box = CreateWindowExA(WS_EX_DLGMODALFRAME, WC_DIALOG, "NocTuro", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                                     150, 120, 80, form.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    REQUIRE(box != nullptr);
    SetActiveWindow(box);
    REQUIRE(GetActiveWindow() == box);
    form.Show();
    CHECK(GetActiveWindow() == box);
    CHECK(above(box));
    form.Hide();
    form.Show();
    CHECK(GetActiveWindow() == box);
    CHECK(above(box));
    DestroyWindow(box);

    const HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, form.Handle(),
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    REQUIRE(tip != nullptr);
    ShowWindow(tip, SW_SHOWNA);
    form.Hide();
    form.Show();
    CHECK(GetActiveWindow() == form.Handle());
    DestroyWindow(tip);
}

// ---- controls ---------------------------------------------------------------------------------

TEST_CASE("controls are windows of the standard classes") {
    noc::Application().Initialize();
    testing::SeamRecorder recorder;
    TTestForm form(nullptr);
    REQUIRE(form.Handle() != nullptr);
    CHECK(noc::TControl::FromHandle(form.Handle()) == &form);
    CHECK(GetWindow(form.Handle(), GW_OWNER) == noc::Application().Handle());
    CHECK_FALSE(IsWindowVisible(form.Handle()));

    SUBCASE("label") {
        auto* label = new noc::TLabel(&form, &form, 5, 5, "Minutes");
        CHECK(SameClass(label->Handle(), "Static"));
        CHECK(TextOf(label->Handle()) == "Minutes");
        CHECK(label->Caption() == "Minutes");
        CHECK(GetParent(label->Handle()) == form.Handle());
        CHECK(noc::TControl::FromHandle(label->Handle()) == label);
        CHECK(label->Width() > 0);
        label->SetCaption("Heures");
        CHECK(TextOf(label->Handle()) == "Heures");
    }

    SUBCASE("button") {
        auto* button = new noc::TButton(&form, &form, 5, 5, 80, 24, "Start");
        CHECK(SameClass(button->Handle(), "Button"));
        CHECK(TextOf(button->Handle()) == "Start");
        CHECK((GetWindowLongPtrA(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON);
    }

    SUBCASE("check box") {
        auto* box = new noc::TCheckBox(&form, &form, 5, 5, 120, 20, "Force");
        CHECK(SameClass(box->Handle(), "Button"));
        CHECK(TextOf(box->Handle()) == "Force");
        CHECK_FALSE(box->Checked());
        box->SetChecked(true);
        CHECK(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED);
        CHECK(box->Checked());
        box->SetChecked(false);
        CHECK(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
        CHECK_FALSE(box->Checked());
    }

    SUBCASE("edit") {
        auto* edit = new noc::TEdit(&form, &form, 5, 5, 120, 21);
        CHECK(SameClass(edit->Handle(), "Edit"));
        edit->SetText("C:\\son.wav");
        CHECK(TextOf(edit->Handle()) == "C:\\son.wav");
        CHECK(edit->Text() == "C:\\son.wav");
    }

    SUBCASE("up/down keeps its own signed 16-bit position") {
        auto* ud = new noc::TUpDown(&form, &form, 5, 5, 17, 21, -1, 32);
        CHECK(SameClass(ud->Handle(), UPDOWN_CLASSA));
        CHECK(SameClass(ud->Handle(), "msctls_updown32"));
        CHECK(ud->Min() == -1);
        CHECK(ud->Max() == 32);
        CHECK(ud->Position() == 0);
        ud->SetPosition(10);
        CHECK(ud->Position() == 10);
        ud->SetPosition(40);
        CHECK(ud->Position() == 40);
        ud->SetPosition(-1);
        CHECK(ud->Position() == -1);
        ud->SetPosition(70000);
        CHECK(ud->Position() == 4464);
        ud->SetPosition(-40000);
        CHECK(ud->Position() == 25536);
    }

    SUBCASE("track bar keeps its position within its range") {
        auto* tb = new noc::TTrackBar(&form, &form, 5, 5, 150, 25, 5, 59, 15);
        CHECK(SameClass(tb->Handle(), TRACKBAR_CLASSA));
        CHECK(SameClass(tb->Handle(), "msctls_trackbar32"));
        CHECK(tb->Position() == 5);
        tb->SetPosition(30);
        CHECK(tb->Position() == 30);
        CHECK(SendMessageA(tb->Handle(), TBM_GETPOS, 0, 0) == 30);
        tb->SetPosition(3);
        CHECK(tb->Position() == 5);
        CHECK(SendMessageA(tb->Handle(), TBM_GETPOS, 0, 0) == 5);
        tb->SetPosition(70);
        CHECK(tb->Position() == 59);
        CHECK(SendMessageA(tb->Handle(), TBM_GETPOS, 0, 0) == 59);
    }

    SUBCASE("mask edit shows two digits") {
        auto* me = new noc::TMaskEdit(&form, &form, 5, 5, 30, 21);
        CHECK(SameClass(me->Handle(), "Edit"));
        CHECK(TextOf(me->Handle()) == "00");
        me->SetCaption("5");
        CHECK(TextOf(me->Handle()) == "05");
        me->SetCaption("0");
        CHECK(TextOf(me->Handle()) == "00");
        me->SetCaption("12");
        CHECK(TextOf(me->Handle()) == "12");
        CHECK(me->Text() == "12");
        CHECK((GetWindowLongPtrA(me->Handle(), GWL_STYLE) & ES_READONLY) != 0);
    }

    SUBCASE("visibility and enabling reach the window") {
        auto* button = new noc::TButton(&form, &form, 5, 5, 80, 24, "B");
        CHECK((GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_VISIBLE) != 0);
        button->Hide();
        CHECK((GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_VISIBLE) == 0);
        button->Show();
        CHECK((GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_VISIBLE) != 0);
        button->SetEnabled(false);
        CHECK_FALSE(IsWindowEnabled(button->Handle()));
        button->SetEnabled(true);
        CHECK(IsWindowEnabled(button->Handle()));
    }

    CHECK(recorder.calls.empty());
}
