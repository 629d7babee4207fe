// Closing the window: the start-with-Windows checks, saving, the protected countdown, the help box.
#include "Version.h"
#include "app/Form2.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Seam.h"
#include "settings/Scramble.h"

namespace noc {

namespace {

// Shown by Windows beside the program when a log-off or shutdown waits on it.
const wchar_t kShutdownBlockReason[] = L"NocTuro : un compte à rebours protégé par mot de passe est en cours.";
const wchar_t kPolicyBlockReason[] = L"NocTuro : un compte à rebours imposé par votre administrateur est en cours.";

}  // namespace

void TForm2::FormCloseQuery(TObject*, bool& canClose) {
    const bool counting = Chronos1->Enabled();
    const Remaining dial = ReadDial();
    // A running countdown keeps its own time: a refused close (a polite end of the program, the
    // log-off question) must not put the dialled time back and so put the shutdown off.
    if (!counting) Counters = dial;
    // A start with Windows must not begin with a countdown too short to cancel.
    if (CheckBox2->Checked()) {
        switch (JudgeStart(dial, IsYes(StartedWithParameters))) {
        case StartVerdict::Empty:
            DefaultBeep();
            ShowInformation(
                "Vous avez demandé de lancer le logiciel au\r\ndémarrage mais vous n'avez pas réglé le Chrono !");
            canClose = false;
            return;
        case StartVerdict::TooShort:
            DefaultBeep();
            ShowInformation(
                "Vous avez demandé de lancer le logiciel au démarrage mais\r\nle réglage du Chrono est trop court ! "
                "(20 sec min) Vous\r\nn'auriez pas assez de temps pour annuler l'extinction\r\nautomatique de "
                "l'ordinateur.");
            canClose = false;
            return;
        case StartVerdict::Start:
            break;
        }
    }
    {
        // At zero nobody need be there to answer, and the shutdown must not wait for anyone: what
        // cannot be saved then is not told.
        const TSilencedBoxes unattended(closingAtZero_);
        SaveSettings();
    }
    // A protected countdown cannot be closed, nor can Windows log off around it; nor one that the
    // administrator forbids to stop.
    if (counting && (CheckBox3->Checked() || CancelForbidden())) canClose = false;
}

void TForm2::FormClose(TObject*, TCloseAction&) {
    DismissAlertReport();
    if (SoundOpen()) {
        MediaPlayer1->Stop();
        MediaPlayer1->Close();
    }
    if (TForm* main = Application().MainForm()) main->Close();
}

void TForm2::SpeedButton3Click(TObject*) { Close(); }

void TForm2::UpdateShutdownBlockReason() {
    // The close request refuses exactly then (its last step): the reason stands for that refusal.
    const bool refused = Chronos1->Enabled() && (CheckBox3->Checked() || CancelForbidden());
    if (refused == shutdownBlocked_) return;
    shutdownBlocked_ = refused;
    if (refused)
        Seam().CreateShutdownBlockReason(Handle(), CancelForbidden() ? kPolicyBlockReason : kShutdownBlockReason);
    else
        Seam().DestroyShutdownBlockReason(Handle());
}

void TForm2::Image7Click(TObject*) {
    ShowInformation(
        "Ce programme permet d'éteindre automatiquement\r\nvotre ordinateur dans le labs de temps défini. "
        "Réglez\r\nles cases du Chrono (JJ:HH:mm:ss) pour indiquer le\r\ntemps d'attente avant l'extinction. "
        "Cliquez ensuite\r\nsur l'interrupteur pour valider. La fenêtre se réduira\r\nen petite icône "
        "cliquable dans la barre des tâches.\r\n"
        "\r\n"
        "NocTuro " NOC_VERSION_TEXT
        ", extinction automatique de l'ordinateur.\r\n"
        "Merci à celles et ceux qui l'ont essayé et amélioré.\r\n"
        "\r\n"
        "NB : laissez la souris sur un élément de la fenêtre\r\npour en avoir une brève description.");
}

}  // namespace noc
