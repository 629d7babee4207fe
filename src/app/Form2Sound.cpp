// The alert sound: its panel, the file choice, listening, and the alert before the end.
#include <windows.h>

#include "app/Form2.h"
#include "framework/Application.h"

namespace noc {

void TForm2::StartAlert() {
    MediaPlayer1->FileName = Label14->Caption();
    try {
        MediaPlayer1->Open();
    } catch (const EMCIDeviceError&) {
        // The tick ends here either way and the countdown goes on. The failure is worth a word only
        // when a sound was wanted; the timer reports it without holding the next ticks.
        if (CheckBox4->Checked()) throw;
        throw EAbort();
    }
    const std::string& file = MediaPlayer1->FileName;
    DWORD attr = GetFileAttributesA(file.c_str());
    if (CheckBox4->Checked() && attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY))
        MediaPlayer1->Play();
    MediaPlayer1->Tag = 1;
}

void TForm2::StopAlert() {
    if (MediaPlayer1->Tag != 1) return;
    MediaPlayer1->Stop();
    MediaPlayer1->Close();
    MediaPlayer1->Tag = 0;
}

void TForm2::CheckBox4MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (!CheckBox4->Checked()) return;
    Shape1->Hide();
    Image4->Hide();
    Image10->Hide();
    Panel2->Show();
}

void TForm2::Button6Click(TObject*) {
    Panel2->Hide();
    Image10->Show();
    Shape1->Show();
    Image4->Show();
}

void TForm2::Image12Click(TObject*) {}

void TForm2::Image10Click(TObject*) {}

void TForm2::Image11Click(TObject*) {}

}  // namespace noc
