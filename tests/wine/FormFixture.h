#pragma once
// Builds the program's window inside a test, as the program main does, with the seam recorded.
#include <doctest/doctest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Pump.h"
#include "Recorder.h"
#include "RegKey.h"
#include "app/CommandLine.h"
#include "app/CountdownRules.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "framework/Application.h"
#include "settings/IntConvert.h"
#include "settings/Scramble.h"
#include "settings/SettingsStore.h"

namespace testing {

inline void StartApplication() {
    noc::TApplication& app = noc::Application();
    app.Initialize();
    app.SetTitle("NocTuro");
    if (!app.MainForm()) app.CreateForm<noc::TForm1>();
}

// Forgets an end of the message loop asked for by a test that closed the window.
inline void ForgetQuit() {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// One application object for each test (TEST_CASE_FIXTURE): a test that lets the program close
// ends the application's message loop, and no later test may inherit that.
struct FreshApplication {
    FreshApplication() { Reset(); }
    ~FreshApplication() { Reset(); }
    FreshApplication(const FreshApplication&) = delete;
    FreshApplication& operator=(const FreshApplication&) = delete;
    static void Reset() {
        noc::DestroyApplication();
        noc::StartedWithParameters.clear();
        ForgetQuit();
    }
};

inline void DeleteSettings() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath); }

// The thirteen values as a case stores them: the settings table's design values, with the fields
// the case changes. Write() stores them all, with a matching integrity text.
struct StoredSettings {
    using S = noc::Setting;
    static std::string Design(S s) { return noc::Info(s).design; }
    static int DesignNumber(S s) { return noc::StrToInt(Design(s)); }

    std::string Couleur = Design(S::Couleur);
    int Jours = DesignNumber(S::Jours), Heures = DesignNumber(S::Heures), Minutes = DesignNumber(S::Minutes),
        Secondes = DesignNumber(S::Secondes);
    std::string Chrono = Design(S::Chrono), MdPasse = Design(S::MdPasse), MdPasseOK = Design(S::MdPasseOK),
                Demarrage = Design(S::Demarrage), Alerte = Design(S::Alerte), Son = Design(S::Son);
    int Delai = DesignNumber(S::Delai);

    void Write() const {
        DeleteSettings();
        CreateKey(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath);
        noc::SettingTexts t;
        t[S::Couleur] = Couleur;
        t[S::Jours] = noc::IntToStr(Jours);
        t[S::Heures] = noc::IntToStr(Heures);
        t[S::Minutes] = noc::IntToStr(Minutes);
        t[S::Secondes] = noc::IntToStr(Secondes);
        t[S::Chrono] = Chrono;
        t[S::MdPasse] = MdPasse;
        t[S::MdPasseOK] = MdPasseOK;
        t[S::Demarrage] = Demarrage;
        t[S::Alerte] = Alerte;
        t[S::Son] = Son;
        t[S::Delai] = noc::IntToStr(Delai);
        t[S::Protection] = t.MatchingProtection();
        for (S setting : noc::kReadOrder) noc::WriteSetting(setting, t[setting]);
    }
};

// The window as the program makes it, from a command line.
inline std::unique_ptr<noc::TForm2> MakeForm2(const std::string& commandLine = "NocTuro.exe") {
    StartApplication();
    std::vector<std::string> params = noc::SplitCommandLine(commandLine);
    noc::StartedWithParameters = noc::StartedWithParametersFlag(params);
    auto form = std::make_unique<noc::TForm2>(&noc::Application(), params);
    return form;
}

// The program as its main makes it, in an application object of its own; from the settings given,
// when given.
struct RunningProgram {
    noc::TForm2* form = nullptr;
    explicit RunningProgram(const std::string& commandLine = "NocTuro.exe",
                            const std::optional<StoredSettings>& stored = std::nullopt) {
        if (stored) stored->Write();
        StartApplication();
        std::vector<std::string> params = noc::SplitCommandLine(commandLine);
        noc::StartedWithParameters = noc::StartedWithParametersFlag(params);
        form = noc::Application().CreateForm<noc::TForm2>(params);
        form->AfterCreation();
    }
    ~RunningProgram() {
        form->Chronos1->SetEnabled(false);
        noc::DestroyApplication();
        noc::StartedWithParameters.clear();
        ForgetQuit();
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // "Quitter": the close request saves, and the program ends.
    void Quit() {
        form->SpeedButton3Click(form->SpeedButton3);
        CHECK(noc::Application().Terminated());
    }
};

// The dial as the user leaves it: each arrow's position, and its field showing it.
inline void SetDial(noc::TForm2& f, int d, int h, int m, int s) {
    f.UpDown4->SetPosition(d);
    f.UpDown1->SetPosition(h);
    f.UpDown2->SetPosition(m);
    f.UpDown3->SetPosition(s);
    for (auto [arrow, field] : {std::pair{f.UpDown4, f.MaskEdit4}, std::pair{f.UpDown1, f.MaskEdit1},
                                std::pair{f.UpDown2, f.MaskEdit2}, std::pair{f.UpDown3, f.MaskEdit3}})
        field->SetCaption(noc::IntToStr(arrow->Position()));
}

// The dial's four fields, "DD:HH:MM:SS"; the arrows behind them must agree.
inline std::string Dial(const noc::TForm2& f) {
    const std::string fields = f.MaskEdit4->Caption() + ":" + f.MaskEdit1->Caption() + ":" + f.MaskEdit2->Caption() +
                               ":" + f.MaskEdit3->Caption();
    const std::string arrows = noc::TwoDigits(f.UpDown4->Position()) + ":" + noc::TwoDigits(f.UpDown1->Position()) +
                               ":" + noc::TwoDigits(f.UpDown2->Position()) + ":" +
                               noc::TwoDigits(f.UpDown3->Position());
    CHECK(fields == arrows);
    return fields;
}

// The window from stored settings, with the seam recorded, in an application object of its own.
// Start() counts down from the switch with its ticks given by hand (Tick()): the timer is on, as
// during any countdown, but its own ticks are too far apart to come during a test.
struct CountingForm {
    SeamRecorder rec;
    std::unique_ptr<noc::TForm2> form;
    explicit CountingForm(const StoredSettings& stored = StoredSettings(), int smallIconSize = 0) {
        FreshApplication::Reset();
        stored.Write();
        rec.smallIconSize = smallIconSize;
        form = MakeForm2();
    }
    ~CountingForm() {
        if (form) form->Chronos1->SetEnabled(false);
        form.reset();
        FreshApplication::Reset();
    }
    CountingForm(const CountingForm&) = delete;
    CountingForm& operator=(const CountingForm&) = delete;

    void Start(int d, int h, int m, int s) {
        SetDial(*form, d, h, m, s);
        form->Chronos1->SetInterval(3600 * 1000);
        form->MyImage1Click(form->MyImage1);
        REQUIRE(form->Chronos1->Enabled());
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) form->Chronos1Timer(form->Chronos1);
    }
    // The window back on the countdown, as a click on the program icon brings it.
    void BringBack() { form->NotifyIcon1Click(form->NotifyIcon1); }
};

// Names of the icons by their identity towards the shell.
inline std::map<UINT, std::string> IconNames(const noc::TForm2& f) {
    return {{f.NotifyIcon1->TrayId(), "program"},
            {f.TextTrayIcon1->TrayId(), "seconds"},
            {f.TextTrayIcon2->TrayId(), "minutes"},
            {f.TextTrayIcon3->TrayId(), "hours"},
            {f.TextTrayIcon4->TrayId(), "days"}};
}

// The icons named in the order of the shell requests of one kind.
inline std::vector<std::string> Sequence(const SeamRecorder& rec, DWORD message, const noc::TForm2& f) {
    auto names = IconNames(f);
    std::vector<std::string> out;
    for (const ShellCall& c : rec.Shell(message)) out.push_back(names.count(c.id) ? names[c.id] : "stranger");
    return out;
}

// Pumps until `done`, for as long as the countdown goes on ticking: each tick must come within the
// patience, however many ticks it takes. A busy machine slows the ticks down; only a countdown
// that stops fails.
template <typename F>
bool TickUntil(const noc::TForm2& f, F&& done) {
    while (!done()) {
        const int64_t before = noc::SecondsLeft(f.Counters);
        if (!PumpUntil([&] { return done() || noc::SecondsLeft(f.Counters) != before; })) return false;
    }
    return true;
}

// The countdown panel's two warnings, and no password prompt: neither its texts nor its field
// (emptied) nor its button.
inline void CheckWarningsWithoutPrompt(const noc::TForm2& f) {
    CHECK(f.Label19->Visible());
    CHECK(f.Label20->Visible());
    CHECK_FALSE(f.Label13->Visible());
    CHECK_FALSE(f.Label15->Visible());
    CHECK_FALSE(f.Edit2->Visible());
    CHECK(f.Edit2->Text().empty());
    CHECK_FALSE(f.Button4->Visible());
}

}  // namespace testing
