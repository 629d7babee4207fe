// A clock time to end at: the set-up panel's "À heure fixe..." prompt and the command line's twelfth
// parameter. Either fills the dial with the time until then and makes it the countdown's target.
#include "app/Form2.h"
#include "framework/Dialogs.h"
#include "framework/Seam.h"

namespace noc {

const LocalClock& SystemWallClock() {
    class SeamClock : public LocalClock {
    public:
        int64_t Now() const override { return Seam().UtcSecondsNow(); }
        int64_t LocalOffset(int64_t at) const override { return Seam().LocalOffsetAt(at); }
    };
    static const SeamClock clock;
    return clock;
}

void TForm2::Image13Click(TObject*) {
    // During a countdown the dial keeps the time it started with.
    if (Chronos1->Enabled()) return;
    std::string text = clockTimeText_;
    ClockTime time;
    // Asked again, with what was typed, until it is a time or the question is cancelled.
    for (;;) {
        if (!Seam().InputQuery(Handle(), kClockTimeCaption, InfoOf(action_).prompt, text)) return;
        text = WithoutOuterBlanks(text);
        if (ParseClockTime(text, time)) break;
        DefaultBeep();
        ShowInformation(BadClockTimeText(text));
    }
    clockTimeText_ = text;
    // A target, no longer a duration: the switch aims at it.
    Model.AimAt(time);
    const Remaining dial = DialUntil(SystemWallClock(), time);
    PutOnDial(UpDown4, MaskEdit4, dial.Days, DialOrder::ArrowFirst);
    PutOnDial(UpDown1, MaskEdit1, dial.Hours, DialOrder::ArrowFirst);
    PutOnDial(UpDown2, MaskEdit2, dial.Minutes, DialOrder::ArrowFirst);
    PutOnDial(UpDown3, MaskEdit3, dial.Seconds, DialOrder::ArrowFirst);
}

void TForm2::RefuseCommandLine(const std::string& message) {
    commandLineRefused_ = true;
    DefaultBeep();
    ShowInformation(message);
}

void TForm2::HoldTimeUntil(ClockTime time) {
    // Read now, a few steps before the set-up starts the countdown from the dial.
    Model.AimAt(time);
    const Remaining dial = DialUntil(SystemWallClock(), time);
    Held.Jours = dial.Days;
    Held.Heures = dial.Hours;
    Held.Minutes = dial.Minutes;
    Held.Secondes = dial.Seconds;
}

}  // namespace noc
