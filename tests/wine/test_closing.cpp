// Closing the program from outside: a close request at any of its windows goes through the main
// window's close request, so a password-protected countdown survives every polite close.
#include <doctest/doctest.h>

#include "FormFixture.h"
#include "framework/Application.h"

using namespace testing;
using noc::TForm2;

namespace {

// The program as its main makes it, counting 5 minutes down from a start with parameters, the
// cancel password required or not.
struct CountingProgram {
    SeamRecorder rec;
    RunningProgram program;
    TForm2* form = program.form;
    explicit CountingProgram(bool passwordRequired) : program("NocTuro.exe * 0 0 5 0", Protected(passwordRequired)) {
        REQUIRE(form->Chronos1->Enabled());
    }
    static StoredSettings Protected(bool passwordRequired) {
        StoredSettings stored;
        stored.MdPasse = "abc";
        stored.MdPasseOK = passwordRequired ? "oui" : "non";
        return stored;
    }
};

}  // namespace

TEST_CASE("every polite close of the program's windows asks the main window's close request") {
    struct Target {
        const char* name;
        HWND (*window)(TForm2&);
    } targets[] = {
        {"Form1", [](TForm2&) { return noc::Application().MainForm()->Handle(); }},
        {"the application's window", [](TForm2&) { return noc::Application().Handle(); }},
        {"the main window", [](TForm2& f) { return f.Handle(); }},
    };
    struct Request {
        const char* name;
        UINT msg;
        WPARAM wp;
    } requests[] = {{"WM_CLOSE", WM_CLOSE, 0}, {"SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE}};

    for (const Target& target : targets)
        for (const Request& request : requests)
            for (bool passwordRequired : {true, false}) {
                CAPTURE(target.name);
                CAPTURE(request.name);
                CAPTURE(passwordRequired);
                CountingProgram program(passwordRequired);
                noc::WriteSetting("Minutes", "9");
                SendMessageA(target.window(*program.form), request.msg, request.wp, 0);
                noc::Application().ProcessMessages();
                CHECK(noc::ReadSetting("Minutes") == "5");                       // the close request ran and saved
                if (passwordRequired) CHECK(program.form->Chronos1->Enabled());  // still counting
                CHECK(noc::Application().Terminated() != passwordRequired);
                CHECK(program.rec.Boxes().empty());
            }
}

TEST_CASE("the log-off question gets the main window's answer from every window of the program") {
    for (bool passwordRequired : {true, false}) {
        CAPTURE(passwordRequired);
        CountingProgram program(passwordRequired);
        const HWND windows[] = {noc::Application().MainForm()->Handle(), noc::Application().Handle(),
                                program.form->Handle()};
        for (HWND w : windows) {
            noc::WriteSetting("Minutes", "9");
            CHECK(SendMessageA(w, WM_QUERYENDSESSION, 0, 0) == (passwordRequired ? FALSE : TRUE));
        }
        CHECK(noc::ReadSetting("Minutes") == "5");
        // The question ends nothing: the countdown and the program go on.
        CHECK(program.form->Chronos1->Enabled());
        CHECK_FALSE(noc::Application().Terminated());
    }
}
