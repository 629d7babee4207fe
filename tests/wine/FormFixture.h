#pragma once
// Builds the program's window inside a test, as the program main does, with the seam recorded.
#include <doctest/doctest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Pump.h"
#include "Recorder.h"
#include "app/CommandLine.h"
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

// Writes all thirteen values, with a matching integrity text.
struct StoredSettings {
    std::string Couleur = "clMedGray";
    int Jours = 0, Heures = 0, Minutes = 0, Secondes = 0;
    std::string Chrono = "non", MdPasse, MdPasseOK = "non", Demarrage = "non", Alerte = "non";
    std::string Son = "Chemin du fichier...";
    int Delai = 20;

    void Write() const {
        DeleteSettings();
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, noc::kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegCloseKey(key);
        using noc::Setting;
        noc::SettingTexts t;
        t[Setting::Couleur] = Couleur;
        t[Setting::Jours] = noc::IntToStr(Jours);
        t[Setting::Heures] = noc::IntToStr(Heures);
        t[Setting::Minutes] = noc::IntToStr(Minutes);
        t[Setting::Secondes] = noc::IntToStr(Secondes);
        t[Setting::Chrono] = Chrono;
        t[Setting::MdPasse] = MdPasse;
        t[Setting::MdPasseOK] = MdPasseOK;
        t[Setting::Demarrage] = Demarrage;
        t[Setting::Alerte] = Alerte;
        t[Setting::Son] = Son;
        t[Setting::Delai] = noc::IntToStr(Delai);
        t[Setting::Protection] = t.MatchingProtection();
        for (Setting s : noc::kReadOrder) noc::WriteSetting(s, t[s]);
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

// The program as its main makes it, in an application object of its own.
struct RunningProgram {
    noc::TForm2* form = nullptr;
    explicit RunningProgram(const std::string& commandLine = "NocTuro.exe") {
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
