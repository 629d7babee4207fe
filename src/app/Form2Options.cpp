// The options that guard or extend the countdown: the cancel password, start with Windows and the
// digit colour.
#include <windows.h>

#include "app/Form2.h"
#include "framework/Dialogs.h"
#include "framework/Seam.h"
#include "settings/ColorText.h"
#include "settings/StartupEntry.h"

namespace noc {

void TForm2::CheckBox3MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (CheckBox3->Checked()) {
        CoverOptions(Panel1);
        Edit1->SetFocus();
    } else {
        Edit1->SetText("");
        SetCountdownLook(CountdownLook::PromptWithdrawn);
    }
    UpdateShutdownBlockReason();
}

void TForm2::Button3Click(TObject*) { UncoverOptions(Panel1); }

void TForm2::CheckBoxKeyToggle(TObject* sender) {
    auto* box = static_cast<TCheckBox*>(sender);
    box->OnMouseUp(box, TMouseButton::mbLeft, 0, box->Width() / 2, box->Height() / 2);
    GiveKeyboardToPanel(box);
}

void TForm2::CheckBox4MenuKey(TObject*) {
    // As a right click on the ticked box: the sound panel, which then takes the keyboard.
    CheckBox4MouseUp(CheckBox4, TMouseButton::mbRight, 0, 0, 0);
    GiveKeyboardToPanel(CheckBox4);
}

void TForm2::GiveKeyboardToPanel(TCheckBox*) {
    // A panel that has come over the box takes the keyboard, which goes back to the box when the
    // panel closes (UncoverOptions).
    for (TPanel* panel : {Panel1, Panel2})
        if (panel->Visible() && !IsChild(panel->Handle(), GetFocus()))
            ::SetFocus(GetNextDlgTabItem(panel->Handle(), nullptr, FALSE));
}

// ---- start with Windows ------------------------------------------------------------------------

void TForm2::CheckBox2MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    // The entry changes at once, in the Run key of the settings' place (StartupEntry.h);
    // "Demarrage" follows at the next close, beside it.
    if (CheckBox2->Checked()) {
        if (!WriteStartupEntry(ProgramPath())) {
            DefaultBeep();
            ShowWarning(
                "Ooops ! Un problème est survenu au cours de l'utilisation de votre\r\nbase de registre ! "
                "Merci de contacter le concepteur du logiciel.");
            // No entry anywhere: the box, and the "Demarrage" stored from it, must not say otherwise.
            CheckBox2->SetChecked(false);
            return;
        }
        InformationSound();
        ShowInformation(
            "La base de registre a été mise à jour ! NocTuro\r\nsera désormais lancé au démarrage de "
            "Windows.");
    } else {
        if (!RemoveStartupEntry()) {
            DefaultBeep();
            ShowWarning(
                "Ooops ! Une erreur est survenue au cours de l'utilisation de votre\r\nbase de registre ! "
                "Merci de contacter le concepteur du logiciel.");
            return;
        }
        InformationSound();
        ShowInformation(
            "La base de registre a été mise à jour ! NocTuro\r\nne sera plus lancé au démarrage de "
            "Windows.");
    }
}

// ---- digit colour --------------------------------------------------------------------------------

void TForm2::Image4Click(TObject*) {
    // The dialog keeps its own colour across uses, black at first; the swatch does not set it.
    CHOOSECOLORA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = Handle();
    request.rgbResult = colorDialogColour_;
    request.lpCustColors = customColours_;
    request.Flags = CC_FULLOPEN | CC_SOLIDCOLOR | CC_RGBINIT;
    if (Seam().ChooseColour(request)) {
        colorDialogColour_ = request.rgbResult;
        Shape1->SetBrushColor(request.rgbResult & 0x00FFFFFFu);
        Shape1->AccessibleNameChanged();
    }
    SetDigitFontColour(Shape1->BrushColor());
    defaultDigits_ = false;
}

void TForm2::TaskbarThemeChanged() {
    if (!defaultDigits_) return;
    const TColor digits = StartDigitColor(clMedGray, TaskbarIsDark());
    if (digits == digitColor_) return;
    digitColor_ = digits;
    SetDigitFontColour(digitColor_);
}

void TForm2::SetDigitFontColour(TColor colour) {
    // Seconds, minutes, hours, days, in this order; each draws its digits again.
    for (TTextTrayIcon* icon : {TextTrayIcon1, TextTrayIcon2, TextTrayIcon3, TextTrayIcon4})
        icon->Font().SetColor(colour);
}

void TForm2::Image4MouseDown(TObject*, TMouseButton button, TShiftState, int, int) {
    if (button != TMouseButton::mbRight) return;
    // One carriage return, no line feed, between the two sentences.
    ShowPlainMessage("La valeur hexadécimale de la couleur actuelle est : " + ColorToText(Shape1->BrushColor()) +
                     "\rVous pouvez l'utiliser si vous lancez NocTuro en ligne de commande.");
}

}  // namespace noc
