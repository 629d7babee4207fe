// The reason Windows is given for a refused log-off: there exactly while a password-protected
// countdown runs, taken back when it is cancelled, reaches zero or loses its protection.
#include <doctest/doctest.h>

#include <string>

#include "FormFixture.h"
#include "framework/Dialogs.h"

using namespace testing;
using noc::TForm2;

namespace {

// As Windows must read it, in UTF-16.
const std::wstring kReason = L"NocTuro : un compte \u00e0 rebours prot\u00e9g\u00e9 par mot de passe est en cours.";

void CheckCreated(const BlockReasonCall& call, const TForm2& f) {
    CHECK(call.create);
    CHECK(call.window == f.Handle());
    CHECK(call.reason == kReason);
}

void CheckDestroyed(const BlockReasonCall& call, const TForm2& f) {
    CHECK_FALSE(call.create);
    CHECK(call.window == f.Handle());
}

void StoreProtection(const char* required) {
    StoredSettings s;
    s.MdPasseOK = required;
    s.MdPasse = "Secret";
    s.Write();
}

}  // namespace

TEST_CASE_FIXTURE(FreshApplication,
                  "a protected countdown gives its reason at the start and takes it back at a cancel") {
    StoreProtection("oui");
    auto form = MakeForm2();
    SeamRecorder rec;
    SetDial(*form, 0, 0, 5, 0);
    form->StartCountdown();
    REQUIRE(form->Chronos1->Enabled());
    REQUIRE(rec.blockReasons.size() == 1);
    CheckCreated(rec.blockReasons[0], *form);

    // The prompt and a wrong password leave the countdown protected.
    form->CancelCountdown();
    form->Edit2->SetText("secret");
    form->Button4Click(form->Button4);
    REQUIRE(form->Chronos1->Enabled());
    CHECK(rec.blockReasons.size() == 1);

    form->Edit2->SetText("Secret");
    form->Button4Click(form->Button4);
    REQUIRE_FALSE(form->Chronos1->Enabled());
    REQUIRE(rec.blockReasons.size() == 2);
    CheckDestroyed(rec.blockReasons[1], *form);

    // Each countdown gives it again.
    form->StartCountdown();
    REQUIRE(form->Chronos1->Enabled());
    REQUIRE(rec.blockReasons.size() == 3);
    CheckCreated(rec.blockReasons[2], *form);
    form->PasswordAccepted = "oui";
    form->CancelCountdown();
    REQUIRE(rec.blockReasons.size() == 4);
    CheckDestroyed(rec.blockReasons[3], *form);
}

TEST_CASE_FIXTURE(FreshApplication, "the reason goes before the close and the shutdown request at zero") {
    StoreProtection("oui");
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 2");
    REQUIRE(form->Chronos1->Enabled());
    REQUIRE(form->CheckBox3->Checked());
    REQUIRE(rec.blockReasons.size() == 1);
    CheckCreated(rec.blockReasons[0], *form);

    form->Chronos1->SetInterval(5);
    REQUIRE(PumpUntil([&] { return !rec.Shutdowns().empty(); }));
    CHECK(noc::Application().Terminated());
    REQUIRE(rec.blockReasons.size() == 2);
    CheckDestroyed(rec.blockReasons[1], *form);
    // Taken back before the shutdown request.
    size_t shutdown = 0;
    while (rec.calls[shutdown].kind != RecordedCall::Shutdown) ++shutdown;
    CHECK(rec.blockReasons[1].after <= shutdown);
    noc::ShowBoxesLeftAtEnd();
    CHECK(rec.blockReasons.size() == 2);
}

TEST_CASE_FIXTURE(FreshApplication, "unticking the password during a countdown takes the reason back") {
    StoreProtection("oui");
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 45 0");
    REQUIRE(rec.blockReasons.size() == 1);

    form->CheckBox3->SetChecked(false);
    form->CheckBox3MouseUp(form->CheckBox3, noc::TMouseButton::mbLeft, {}, 0, 0);
    REQUIRE(rec.blockReasons.size() == 2);
    CheckDestroyed(rec.blockReasons[1], *form);

    // Ticked again, with a password: protected again.
    form->CheckBox3->SetChecked(true);
    form->CheckBox3MouseUp(form->CheckBox3, noc::TMouseButton::mbLeft, {}, 0, 0);
    form->Edit1->SetText("autre");
    form->Button3Click(form->Button3);
    REQUIRE(rec.blockReasons.size() == 3);
    CheckCreated(rec.blockReasons[2], *form);
    form->Chronos1->SetEnabled(false);
}

TEST_CASE_FIXTURE(FreshApplication, "an unprotected countdown never gives a reason") {
    StoreProtection("non");
    SeamRecorder rec;
    auto form = MakeForm2("NocTuro.exe * 0 0 0 30");
    REQUIRE(form->Chronos1->Enabled());
    form->Chronos1Timer(form->Chronos1);
    form->CancelCountdown();
    REQUIRE_FALSE(form->Chronos1->Enabled());
    form->StartCountdown();
    REQUIRE(form->Chronos1->Enabled());
    form->Chronos1->SetInterval(5);
    REQUIRE(TickUntil(*form, [&] { return !rec.Shutdowns().empty(); }));
    noc::ShowBoxesLeftAtEnd();
    CHECK(rec.blockReasons.empty());
}
