// The alert sound: its panel, the file choice, listening, and the alert before the end.
#include <windows.h>
#include <commdlg.h>

#include <memory>

#include "app/AppFiles.h"
#include "app/Form2.h"
#include "framework/Application.h"
#include "framework/HiddenWindow.h"
#include "framework/Messages.h"
#include "framework/Seam.h"

namespace noc {

namespace {

const char kReportName[] = "AlertReport";
const char kReportWindowClass[] = "NocAlertReportWindow";

// The report of an alert file that could not be opened. It is shown from a posted message, once
// the tick is over, so that the countdown ticks on behind it; it is owned by the countdown's
// window, which stays on top of everything else, and goes away with the countdown.
class TAlertReport : public TComponent {
public:
    explicit TAlertReport(TForm2* form)
        : TComponent(form),
          form_(form),
          window_(kReportWindowClass, THiddenWindow::MessageOnly, [this](UINT msg, WPARAM, LPARAM, LRESULT& result) {
              if (msg != WM_NOC_ALERT_FAILURE) return false;
              result = 0;
              Show();
              return true;
          }) {
        Name = kReportName;
    }
    ~TAlertReport() override {
        *alive_ = false;
        Dismiss();
    }

    static TAlertReport* Find(TForm2& form) {
        for (int i = 0; i < form.ComponentCount(); ++i)
            if (form.Component(i)->Name == kReportName) return static_cast<TAlertReport*>(form.Component(i));
        return nullptr;
    }
    static TAlertReport& Of(TForm2& form) {
        TAlertReport* report = Find(form);
        return report ? *report : *new TAlertReport(&form);
    }

    void Post(const std::string& text) {
        text_ = text;
        PostMessageA(window_.Handle(), WM_NOC_ALERT_FAILURE, 0, 0);
    }

    // A report still waiting is dropped, one on screen is closed.
    void Dismiss() {
        text_.clear();
        if (box_) EndDialog(box_, IDOK);
    }

private:
    void Show() {
        if (text_.empty() || showing_) return;
        std::string text = text_;
        text_.clear();
        // As the general report words it.
        if (static_cast<unsigned char>(text.back()) > '.') text += '.';
        showing_ = true;
        shown_ = this;
        HHOOK hook = SetWindowsHookExA(WH_CBT, &TAlertReport::Watch, nullptr, GetCurrentThreadId());
        std::shared_ptr<bool> alive = alive_;
        Seam().ShowMessageBox(form_->Handle(), text, Application().Title(), MB_OK | MB_ICONSTOP);
        if (hook) UnhookWindowsHookEx(hook);
        if (!*alive) return;
        shown_ = nullptr;
        box_ = nullptr;
        showing_ = false;
    }

    // Finds the box as it comes up. Its owner stays usable, so that "Annuler" can still be clicked.
    static LRESULT CALLBACK Watch(int code, WPARAM wp, LPARAM lp) {
        const HWND wnd = reinterpret_cast<HWND>(wp);
        char cls[16] = "";
        if (code == HCBT_ACTIVATE && shown_ && !shown_->box_ && GetClassNameA(wnd, cls, sizeof(cls)) &&
            lstrcmpA(cls, "#32770") == 0 && GetWindow(wnd, GW_OWNER) == shown_->form_->Handle()) {
            shown_->box_ = wnd;
            EnableWindow(shown_->form_->Handle(), TRUE);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }

    static inline TAlertReport* shown_ = nullptr;
    TForm2* form_;
    THiddenWindow window_;
    std::string text_;
    HWND box_ = nullptr;
    bool showing_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

void TForm2::OpenSoundFile() {
    MediaPlayer1->FileName = Label14->Caption();
    try {
        MediaPlayer1->Open();
    } catch (...) {
        // The open closed what was open before: the flag must not claim a sound that is gone, or
        // the stop of a later cancel or close would find nothing to stop.
        SetSoundOpen(false);
        throw;
    }
}

void TForm2::StartAlert() {
    try {
        OpenSoundFile();
    } catch (const EMCIDeviceError& e) {
        // The tick ends here either way and the countdown goes on. The failure is worth a word only
        // when a sound was wanted.
        if (CheckBox4->Checked()) TAlertReport::Of(*this).Post(e.what());
        throw EAbort();
    }
    if (CheckBox4->Checked() && FileExists(MediaPlayer1->FileName)) MediaPlayer1->Play();
    SetSoundOpen(true);
}

void TForm2::StopAlert() {
    DismissAlertReport();
    if (!SoundOpen()) return;
    MediaPlayer1->Stop();
    MediaPlayer1->Close();
    SetSoundOpen(false);
}

void TForm2::DismissAlertReport() {
    if (TAlertReport* report = TAlertReport::Find(*this)) report->Dismiss();
}

void TForm2::CheckBox4MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (CheckBox4->Checked()) CoverOptions(Panel2);
}

void TForm2::Button6Click(TObject*) { UncoverOptions(Panel2); }

void TForm2::Image12Click(TObject*) {
    const std::string folder = FolderOf(Label14->Caption());
    char file[MAX_PATH] = "";
    OPENFILENAMEA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = Handle();
    request.lpstrFilter = "Fichiers sons (Wave, Midi, Mp3)\0*.wav;*.mid;*.mp3\0";
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = sizeof(file);
    // Without a folder the dialog starts where it likes.
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = "Sélection du fichier son à jouer avant l'extinction";
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!Seam().ChooseOpenFile(request)) return;
    try {
        Label14->SetCaption(file);
        Label14->SetAutoSize(true);
        FitSoundPathLabel();
        MediaPlayer1->Stop();
        SetSoundOpen(false);
    } catch (...) {
        // nothing is reported once a file has been chosen
    }
}

// Listen, or stop what plays. A file that cannot be opened goes to the general error report.
void TForm2::Image10Click(TObject*) {
    if (SoundOpen()) {
        MediaPlayer1->Stop();
        SetSoundOpen(false);
        return;
    }
    OpenSoundFile();
    if (FileExists(MediaPlayer1->FileName)) MediaPlayer1->Play();
    SetSoundOpen(true);
}

void TForm2::Image11Click(TObject* sender) { Image10Click(sender); }

}  // namespace noc
