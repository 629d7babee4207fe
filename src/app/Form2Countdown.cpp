// The dial, the on/off switch and the start of a countdown.
#include "app/Form2.h"
#include "framework/Dialogs.h"
#include "settings/IntConvert.h"
#include "settings/Scramble.h"

namespace noc {

void TForm2::MyImage1Click(TObject*) { StartCountdown(); }

void TForm2::StartCountdown() {
    Counters.Seconds = UpDown3->Position();
    Counters.Minutes = UpDown2->Position();
    Counters.Hours = UpDown1->Position();
    Counters.Days = UpDown4->Position();

    switch (JudgeStart(Counters, StartedWithParameters == "oui")) {
    case StartVerdict::Empty:
        DefaultBeep();
        ShowInformation("\r\nVous n'avez pas réglé le Chrono !");
        if (IsYes(Held.Demarrage) || StartedWithParameters != "oui") Show();
        break;
    case StartVerdict::TooShort:
        DefaultBeep();
        ShowInformation(
            "Le réglage du Chrono est trop court ! (20 sec min)\r\nVous n'auriez pas assez de temps pour "
            "annuler\r\nl'extinction automatique de l'ordinateur.");
        if (IsYes(Held.Demarrage)) Show();
        break;
    case StartVerdict::Start:
        Hide();
        Panel2->Hide();
        Shape1->Show();
        Image4->Show();
        Image10->Show();
        break;
    }

    // The countdown panel back to its warning look, without password prompt.
    SpeedButton1->SetEnabled(true);
    Label13->Hide();
    Label15->Hide();
    Label19->Show();
    Label20->Show();
    Edit2->SetText("");
    Edit2->Hide();
    Button4->Hide();
}

void TForm2::Image8MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    for (auto [arrow, field] : {std::pair{UpDown4, MaskEdit4}, std::pair{UpDown1, MaskEdit1},
                                std::pair{UpDown2, MaskEdit2}, std::pair{UpDown3, MaskEdit3}}) {
        arrow->SetPosition(0);
        field->SetCaption(IntToStr(arrow->Position()));
    }
}

void TForm2::DialStep(TUpDown* arrow, TMaskEdit* field, int limit) {
    arrow->SetPosition(WrapDialPosition(arrow->Position(), limit));
    field->SetCaption(IntToStr(arrow->Position()));
}

void TForm2::UpDownClick(TObject* sender, TUDBtnType) {
    if (sender == UpDown4) DialStep(UpDown4, MaskEdit4, 31);
    if (sender == UpDown1) DialStep(UpDown1, MaskEdit1, 23);
    if (sender == UpDown2) DialStep(UpDown2, MaskEdit2, 59);
    if (sender == UpDown3) DialStep(UpDown3, MaskEdit3, 59);
}

// ---- the switch's three looks ------------------------------------------------------------------------

void TForm2::MyImage1MouseOver(TObject*) { MyImage1->SetPicture(Image2->Picture()); }
void TForm2::MyImage1MouseOut(TObject*) { MyImage1->SetPicture(Image1->Picture()); }
void TForm2::MyImage1MouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    MyImage1->SetPicture(Image3->Picture());
}
void TForm2::MyImage1MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    MyImage1->SetPicture(Image1->Picture());
}

// ---- option panels -------------------------------------------------------------------------------------

void TForm2::CheckBox3MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (CheckBox3->Checked()) {
        Shape1->Hide();
        Image4->Hide();
        Image10->Hide();
        Panel1->Show();
        Panel1->BringToFront();
        Edit1->SetFocus();
    } else {
        Edit1->SetText("");
        Label13->Hide();
        Edit2->SetText("");
        Edit2->Hide();
        Button4->Hide();
    }
}

void TForm2::Button3Click(TObject*) {
    Panel1->Hide();
    Shape1->Show();
    Image4->Show();
    Image10->Show();
}

void TForm2::CheckBox4MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (!CheckBox4->Checked()) return;
    Shape1->Hide();
    Image4->Hide();
    Image10->Hide();
    Panel2->Show();
    Panel2->BringToFront();
}

void TForm2::Button6Click(TObject*) {
    Panel2->Hide();
    Image10->Show();
    Shape1->Show();
    Image4->Show();
}

}  // namespace noc
