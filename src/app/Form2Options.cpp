// The options that guard or extend the countdown: the cancel password, start with Windows and the
// digit colour.
#include "app/Form2.h"

namespace noc {

void TForm2::CheckBox3MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (CheckBox3->Checked()) {
        Shape1->Hide();
        Image4->Hide();
        Image10->Hide();
        Panel1->Show();
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

}  // namespace noc
