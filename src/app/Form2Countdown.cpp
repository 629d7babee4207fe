// The dial, the on/off switch, the countdown and its end.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/Form2.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Seam.h"
#include "settings/IntConvert.h"
#include "settings/Scramble.h"
#include "settings/SettingsStore.h"

namespace noc {

void TForm2::MyImage1Click(TObject*) { StartCountdown(); }

void TForm2::StartCountdown() {
    Counters = ReadDial();
    // A clock time ends at its next showing from now, whatever the dial has counted since.
    if (Model.HasTarget()) Counters = DialFor(SecondsUntil(SystemWallClock(), Model.Target()));

    switch (JudgeStart(Counters, IsYes(StartedWithParameters))) {
    case StartVerdict::Empty:
        DefaultBeep();
        ShowInformation("\r\nVous n'avez pas réglé le Chrono !");
        // Shown in every case: a start with parameters refused here would leave a program that
        // holds the single-instance mutex with neither window nor icon to reach it by.
        Show();
        break;
    case StartVerdict::TooShort:
        DefaultBeep();
        ShowInformation(
            "Le réglage du Chrono est trop court ! (20 sec min)\r\nVous n'auriez pas assez de temps pour "
            "annuler\r\nl'extinction automatique de l'ordinateur.");
        if (IsYes(Held.Demarrage)) Show();
        break;
    case StartVerdict::Start:
        Model.Start(Counters, Seam().WorldMilliseconds());
        Hide();
        Chronos1->SetEnabled(true);
        PaceTicks();
        UpdateShutdownBlockReason();
        KeepAwake();
        UncoverOptions(Panel2);
        ShowTrayDisplay();
        break;
    }

    // The countdown panel back to its warning look, without password prompt.
    SpeedButton1->SetEnabled(true);
    SetCountdownLook(CountdownLook::Warning);
}

void TForm2::ShowCountdownPanel() {
    // A start with Windows may have been switched off meanwhile: the box shows what is stored.
    if (IsYes(StartedWithParameters)) {
        Held.Demarrage = StartWithWindowsRecord();
        CheckBox2->SetChecked(IsYes(Held.Demarrage));
    }
    TabControl2->Show();
    TabControl1->Hide();
    Image7->SetEnabled(false);
    Label3->SetEnabled(false);
    SpeedButton2->Show();
    SpeedButton4->Show();
    // Covered by "Annuler": out of Tab's way and out of a screen reader's.
    SpeedButton3->Hide();
    SpeedButton1->Show();
}

void TForm2::SetCountdownLook(CountdownLook look) {
    switch (look) {
    case CountdownLook::Warning:
        Label13->Hide();
        Label15->Hide();
        Label19->Show();
        Label20->Show();
        Edit2->SetText("");
        Edit2->Hide();
        Button4->Hide();
        break;
    case CountdownLook::PasswordPrompt:
        Label13->Show();
        Label15->Hide();
        Label19->Hide();
        Label20->Hide();
        Edit2->Show();
        Button4->Show();
        Edit2->SetFocus();
        break;
    case CountdownLook::WrongPassword:
        Label15->Show();
        Label19->Hide();
        Label20->Hide();
        Label13->Hide();
        Edit2->SetText("");
        Edit2->SetFocus();
        break;
    case CountdownLook::PromptWithdrawn:
        Label13->Hide();
        Edit2->SetText("");
        Edit2->Hide();
        Button4->Hide();
        break;
    }
}

void TForm2::CoverOptions(TPanel* panel) {
    Shape1->Hide();
    Image4->Hide();
    Image10->Hide();
    panel->Show();
    UpdateOptionTabStops();
}

void TForm2::UncoverOptions(TPanel* panel) {
    // The keyboard, when the panel had it, goes back to the box that opens it.
    SetReturnFocus(panel == Panel1 ? CheckBox3 : CheckBox4);
    panel->Hide();
    Shape1->Show();
    Image4->Show();
    Image10->Show();
    UpdateOptionTabStops();
}

void TForm2::UpdateOptionTabStops() {
    const bool covered = Panel1->Visible() || Panel2->Visible();
    for (TCheckBox* box : {CheckBox1, CheckBox4, CheckBox3, CheckBox2}) box->SetTabStop(!covered);
}

void TForm2::Chronos1Timer(TObject*) { CountDown(1); }

void TForm2::CountDown(int64_t least) {
    // The next tick waits for this one: a box shown now would move the end of the countdown by as
    // long as it stays up. What is to be told is told after the tick.
    const THeldBoxes held;
    const int32_t leadTime = TrackBar1->Position();
    const bool wasWarning = Model.State() == CountdownState::FinalWarning;
    // 1-2. The seconds the end's deadline says have passed: one, unless this tick comes late or
    // after a sleep. At zero the countdown ends here: the window closes (which saves the settings)
    // and the system is asked to shut down. The tick itself goes on below.
    const CountdownEvents events = Model.Tick(Seam().WorldMilliseconds(), leadTime, &SystemWallClock(), least);
    if (events.moved) return ShowMovedEnd(events, wasWarning);
    if (events.ended) {
        Chronos1->SetEnabled(false);
        UpdateShutdownBlockReason();
        LetSleep();
        SetMinimized(true);
        closingAtZero_ = true;
        // Whatever fails in the close is reported after the tick: the shutdown request still follows.
        RunGuarded(this, [this] { Close(); });
        closingAtZero_ = false;
        ShutDown();
    }
    // 5. The countdown panel, and the tray.
    ShowTimeLeft();

    // 6. The alert, when the lead time is left (or was passed by a late tick).
    if (events.ended ? IsAlertMoment(Counters, leadTime) : events.alert) StartAlert();

    // 7. The final warning: the window comes back every second and flashes.
    if (events.ended ? InFinalWarning(Counters, leadTime) : events.finalWarning) ShowFinalWarning(true);

    // Ten minutes and one minute ahead, a notice; none once the window itself warns.
    const int32_t due = events.ended ? NoticeDue(Counters, Model.Length()) : events.notice;
    if (due != 0 && !InFinalWarning(Counters, leadTime)) GiveEndNotice(due);
    PaceTicks();
}

void TForm2::PaceTicks() {
    const bool coarse = Chronos1->Enabled() && Unseen() && Model.State() == CountdownState::Counting;
    if (!coarse && fineInterval_ == 0) return;  // on its grid already
    if (fineInterval_ == 0) fineInterval_ = Chronos1->Interval();
    const uint64_t now = Seam().WorldMilliseconds();
    constexpr uint64_t longest = kLongestUnseenWait * Countdown::kSecondMs;
    if (coarse) {
        const int64_t next = NextTickThatMatters(TicksToEnd(Counters), TrackBar1->Position(), Model.Length());
        Chronos1->Restart(static_cast<uint32_t>(longest),
                          static_cast<uint32_t>(std::min(Model.MillisecondsUntil(next, now), longest)));
        return;
    }
    // Each tick just after a whole second before the end, as from the start.
    const uint32_t fine = std::exchange(fineInterval_, 0);
    const uint64_t phase = Model.MillisecondsUntil(0, now) % std::max<uint32_t>(fine, 1);
    Chronos1->Restart(fine, phase != 0 ? static_cast<uint32_t>(phase) : fine);
}

void TForm2::ShowMovedEnd(const CountdownEvents& events, bool wasWarning) {
    const int32_t leadTime = TrackBar1->Position();
    // The alert belongs to the end it came before: it comes again the lead time before the new one.
    if (TicksToEnd(Counters) > leadTime && SoundOpen()) StopAlert();
    FitTimeIcons();
    ShowTimeLeft();
    KeepAwake();
    if (events.alert) StartAlert();
    if (events.finalWarning || wasWarning) ShowFinalWarning(events.finalWarning);
    if (events.notice != 0 && !InFinalWarning(Counters, leadTime)) GiveEndNotice(events.notice);
    PaceTicks();
}

void TForm2::ShowFinalWarning(bool on) {
    if (on) {
        ShowCountdownPanel();
        SpeedButton1->SetEnabled(false);
        Show();
        FlashWindow(Handle(), TRUE);
        return;
    }
    // Out of it: the window goes back to the notification area, as with "Réduire", which can be
    // used again.
    FlashWindow(Handle(), FALSE);
    SpeedButton1->SetEnabled(true);
    SpeedButton1Click(SpeedButton1);
}

void TForm2::MoveEnd(bool wake) {
    // A clock change moves only an end at a clock time; a wake, every end.
    if (!Chronos1->Enabled() || !Model.Running() || (!wake && !Model.Aimed())) return;
    const bool wasWarning = Model.State() == CountdownState::FinalWarning;
    const uint64_t now = Seam().WorldMilliseconds();
    const int32_t leadTime = TrackBar1->Position();
    const CountdownEvents events = Model.Aimed()
                                       ? Model.ReAim(Model.SecondsToTarget(SystemWallClock(), now), now, leadTime, wake)
                                       : Model.Wake(now, leadTime);
    if (events.moved) ShowMovedEnd(events, wasWarning);
}

void TForm2::KeepAwake() {
    const std::string end = ClockTimeText(ClockTimeIn(SystemWallClock(), TicksToEnd(Counters)));
    const std::string reason = std::string("NocTuro : ") + InfoOf(action_).scheduled + " à " + end;
    std::wstring wide;
    for (unsigned char c : reason) wide += static_cast<wchar_t>(c);  // its letters are all Latin-1
    Seam().StayAwake(true, wide);
}

void TForm2::LetSleep() { Seam().StayAwake(false, {}); }

void TForm2::ShowTimeLeft() {
    if (Unseen()) return;  // drawn when it can be seen again
    UpdateTray();
    Label4->SetCaption(TwoDigits(Counters.Seconds));
    Label9->SetCaption(TwoDigits(Counters.Minutes));
    Label7->SetCaption(TwoDigits(Counters.Hours));
    Label2->SetCaption(TwoDigits(Counters.Days));
    // A tooltip the pointer has asked for follows the time, carried by the animation's pictures.
    if (!NotifyIcon1->Hint().empty()) NotifyIcon1->SetHintQuietly(ProgramIconHintNow());
}

bool TForm2::PasswordNeeded() const { return CheckBox3->Checked() && !IsYes(PasswordAccepted); }

bool TForm2::AskPasswordFirst(Guarded action, int32_t minutes) {
    if (!PasswordNeeded()) return false;
    // The password first; the countdown goes on meanwhile. The last request made is the one the
    // password answers.
    guarded_ = action;
    guardedMinutes_ = minutes;
    SetCountdownLook(CountdownLook::PasswordPrompt);
    return true;
}

void TForm2::SpeedButton2Click(TObject*) { CancelCountdown(); }

void TForm2::CancelCountdown() {
    if (CancelForbidden()) return;
    if (AskPasswordFirst(Guarded::Cancel)) return;
    HideTrayDisplay();
    Chronos1->SetEnabled(false);
    Model.Stop();
    UpdateShutdownBlockReason();
    LetSleep();
    StopAlert();
    Label3->SetEnabled(true);
    SpeedButton2->Hide();
    SpeedButton4->Hide();
    SpeedButton3->Show();
    TabControl2->Hide();
    TabControl1->Show();
    SpeedButton1->Hide();
    Image7->SetEnabled(true);
    // The time that was left goes back on the dial.
    PutOnDial(UpDown1, MaskEdit1, Counters.Hours, DialOrder::FieldFirst);
    PutOnDial(UpDown2, MaskEdit2, Counters.Minutes, DialOrder::FieldFirst);
    PutOnDial(UpDown3, MaskEdit3, Counters.Seconds, DialOrder::FieldFirst);
    PutOnDial(UpDown4, MaskEdit4, Counters.Days, DialOrder::FieldFirst);
    PasswordAccepted = "non";
    // The keyboard, when the countdown panel had it, goes to the switch.
    SetReturnFocus(MyImage1);
}

void TForm2::SpeedButton4Click(TObject*) { PostponeCountdown(kPostponeMinutes); }

void TForm2::SpeedButton4MouseUp(TObject*, TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::mbRight) OfferPostponeLengths(nullptr);
}

POINT MenuPlaceBelow(const TControl* control) {
    // Below the control, as the keyboard leaves the pointer wherever it is.
    RECT r{};
    GetWindowRect(control->Handle(), &r);
    return POINT{r.left, r.bottom};
}

void TForm2::SpeedButton4MenuKey(TObject*) {
    const POINT below = MenuPlaceBelow(SpeedButton4);
    OfferPostponeLengths(&below);
}

void TForm2::OfferPostponeLengths(const POINT* at) {
    std::vector<std::pair<UINT, std::string>> items;
    for (int32_t minutes : kPostponeChoices) items.emplace_back(static_cast<UINT>(minutes), PostponeText(minutes));
    // In bold, what the button itself does. The countdown may have ended while the menu was up:
    // the postpone then does nothing.
    if (const UINT minutes = Seam().ChooseMenuItem(Handle(), items, kPostponeMinutes, at))
        PostponeCountdown(static_cast<int32_t>(minutes));
}

void TForm2::PostponeCountdown(int32_t minutes) {
    // A menu or a prompt can outlive its countdown.
    if (!Chronos1->Enabled() || minutes <= 0 || CancelForbidden()) return;
    if (AskPasswordFirst(Guarded::Postpone, minutes)) return;
    PasswordAccepted = "non";
    guarded_ = Guarded::Cancel;

    const int32_t leadTime = TrackBar1->Position();
    const bool warning = InFinalWarning(Counters, leadTime);
    // The alert belongs to the end it came before: it stops (its report too, for a file that could
    // not be opened) and comes again the lead time before the new end.
    if (AlertMomentPassed(Counters, leadTime)) StopAlert();
    // Exactly so many ticks more: the end moves by whole seconds.
    Model.Postpone(int64_t{minutes} * 60, leadTime);
    FitTimeIcons();
    ShowTimeLeft();
    KeepAwake();

    if (warning && !InFinalWarning(Counters, leadTime)) {
        ShowFinalWarning(false);
    } else {
        // A password prompt is done with.
        SetCountdownLook(CountdownLook::Warning);
    }
    // A notice whose moment the new time is gets given now, as a tick reaching it would; the others
    // come with the ticks, again if they were given before.
    if (const int32_t due = NoticeDue(Counters, Model.Length()); due != 0 && !InFinalWarning(Counters, leadTime))
        GiveEndNotice(due);
    PaceTicks();
}

void TForm2::Button4Click(TObject*) {
    if (Edit2->Text() == Edit1->Text()) {
        PasswordAccepted = "oui";
        if (guarded_ == Guarded::Postpone)
            PostponeCountdown(guardedMinutes_);
        else
            CancelCountdown();
        // Given for the one request it answered.
        PasswordAccepted = "non";
        return;
    }
    DefaultBeep();
    SetCountdownLook(CountdownLook::WrongPassword);
}

void TForm2::Image8MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    Model.ClearTarget();
    for (auto [arrow, field] : {std::pair{UpDown4, MaskEdit4}, std::pair{UpDown1, MaskEdit1},
                                std::pair{UpDown2, MaskEdit2}, std::pair{UpDown3, MaskEdit3}})
        PutOnDial(arrow, field, 0, DialOrder::ArrowFirst);
}

void TForm2::DialStep(TUpDown* arrow, TMaskEdit* field, int limit) {
    PutOnDial(arrow, field, WrapDialPosition(arrow->Position(), limit), DialOrder::ArrowFirst);
}

Remaining TForm2::ReadDial() const {
    Remaining dial;
    dial.Days = UpDown4->Position();
    dial.Hours = UpDown1->Position();
    dial.Minutes = UpDown2->Position();
    dial.Seconds = UpDown3->Position();
    return CountdownStart(dial);
}

void TForm2::PutOnDial(TUpDown* arrow, TMaskEdit* field, int32_t value, DialOrder order) {
    if (order == DialOrder::FieldFirst) {
        field->SetCaption(TwoDigits(value));
        arrow->SetPosition(value);
    } else {
        arrow->SetPosition(value);
        field->SetCaption(IntToStr(arrow->Position()));
    }
}

const TForm2::DialColumn* TForm2::ColumnOf(const TObject* control) const {
    for (const DialColumn& c : dial_)
        if (control == c.arrow || control == c.field) return &c;
    return nullptr;
}

void TForm2::UpDownClick(TObject* sender, TUDBtnType) {
    // A dial changed by hand is a duration again.
    Model.ClearTarget();
    if (const DialColumn* c = ColumnOf(sender)) DialStep(c->arrow, c->field, c->Limit());
}

void TForm2::DialDigit(TObject* sender, int digit) {
    Model.ClearTarget();
    if (const DialColumn* c = ColumnOf(sender)) {
        const int32_t typed = TypedDialPosition(c->arrow->Position(), digit, c->Limit());
        PutOnDial(c->arrow, c->field, typed, DialOrder::ArrowFirst);
    }
}

// ---- the switch's three looks ------------------------------------------------------------------------

void TForm2::MyImage1MouseOver(TObject*) { MyImage1->SetPicture(Image2->Picture()); }
void TForm2::MyImage1MouseOut(TObject*) { MyImage1->SetPicture(Image1->Picture()); }
void TForm2::MyImage1MouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    MyImage1->SetPicture(Image3->Picture());
}
void TForm2::MyImage1MouseUp(TObject*, TMouseButton, TShiftState, int, int) { MyImage1->SetPicture(Image1->Picture()); }

}  // namespace noc
