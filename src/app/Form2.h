#pragma once
// The program's window: the dial, the on/off switch, the options, the countdown panel.
#include <optional>
#include <string>
#include <vector>

#include "app/Countdown.h"
#include "app/CountdownRules.h"
#include "app/MediaPlayer.h"
#include "app/TimeOfDay.h"
#include "controls/MyImage.h"
#include "controls/ThreadedTimer.h"
#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include "settings/HeldSettings.h"
#include "settings/SettingsTable.h"
#include "tray/NotifyIcon.h"
#include "tray/TextTrayIcon.h"

namespace noc {

// The window's caption, by which a second start also finds it.
constexpr char kForm2Caption[] = "Extinction de l'ordinateur";

// The minutes by which "+10 min" and the icons' menu put the end off, and those a right click on
// "+10 min" offers.
constexpr int32_t kPostponeMinutes = 10;
constexpr int32_t kPostponeChoices[] = {5, 10, 15, 30, 60};

// "oui" when the program was started with parameters, else empty. Set once, before the window exists.
extern std::string StartedWithParameters;

// The system's wall clock, read through the seam so that a test can set it.
const LocalClock& SystemWallClock();

// "XP" on Windows XP (5.1), empty on a 3.x system, "NOXP" otherwise.
std::string DetectXP();

// Where a menu opened from the keyboard on `control` goes: at its bottom left corner, on screen.
POINT MenuPlaceBelow(const TControl* control);

// Whether the taskbar uses the dark theme: the current user's "SystemUsesLightTheme" is 0. Where
// the value is absent (before Windows 10, Wine by default) the taskbar counts as light.
bool TaskbarIsDark();

// From Windows' news of a power setting: whether the display went off (true) or is on, even dimmed
// (false); nothing when the news is of another setting.
std::optional<bool> DisplayOffIn(const POWERBROADCAST_SETTING& news);

class TForm2 : public TForm {
public:
    // `params` is the split command line, the program's path first.
    TForm2(TComponent* owner, std::vector<std::string> params);
    ~TForm2() override;

    // The rest of the program's start, once the window exists: `Demarrage` read again, the window
    // shown (and the start-with-Windows entry removed) unless the countdown started by itself.
    void AfterCreation();

    // A plain start of the program while this copy runs: the window comes forward, on the countdown
    // panel during a countdown (as a click on the program icon brings it), else on the set-up panel.
    void AnswerSecondStart();
    // The messages that reach the window from outside the program: a second start, and Windows'
    // news of a changed setting.
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // ---- set-up ---------------------------------------------------------------------------------
    void FormCreate(TObject* sender);
    void LoadSettings();
    void SaveSettings();
    // The administrator's policy over the held settings, its controls locked with its hint.
    void ApplyPolicy();
    // "Demarrage" as stored, or as the policy sets it.
    std::string StartWithWindowsRecord();
    // The policy forbids stopping a running countdown: no cancel, no postpone, no polite close.
    bool CancelForbidden() const { return policy_.noCancel; }
    // True once the set-up met a number that did not convert (stored or given): it was reported,
    // and neither the automatic start nor the hiding of the empty main form happen.
    bool SetupFailed() const { return setupFailed_; }
    // True when the command line's twelfth parameter was no time: that was told, and nothing of the
    // command line applies; no countdown starts by itself, and the window shows.
    bool CommandLineRefused() const { return commandLineRefused_; }
    void FitSoundPathLabel();
    void TrackBar1Change(TObject* sender);

    // ---- countdown ------------------------------------------------------------------------------
    void StartCountdown();
    void MyImage1Click(TObject* sender);
    void Image8MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void DialStep(TUpDown* arrow, TMaskEdit* field, int limit);
    void UpDownClick(TObject* sender, TUDBtnType button);
    // "À heure fixe...": asks for a clock time and puts the time from now until then on the dial
    // (Form2TimeOfDay.cpp). Starting is still the switch's.
    void Image13Click(TObject* sender);
    // What happens at zero (Form2EndAction.cpp): the small control beside the switch, or the menu
    // key on the switch, offers the actions the computer can take, the chosen one checked.
    void Image14Click(TObject* sender);
    void EndActionMenuKey(TObject* sender);
    void OfferEndActions(const POINT* at);
    // The action chosen, and every text that names it.
    void SetEndAction(EndAction action);
    // A digit typed into one of the dial's fields.
    void DialDigit(TObject* sender, int digit);
    void Chronos1Timer(TObject* sender);
    void CancelCountdown();
    void SpeedButton2Click(TObject* sender);
    // Puts the end `minutes` later, with the alert, the final warning and the notices; the dial
    // keeps what was dialled. A protected countdown asks for the password first, as "Annuler" does.
    // From the final warning the window goes back to the notification area, as with "Réduire".
    void PostponeCountdown(int32_t minutes);
    // "+10 min"; a right click on it offers other amounts.
    void SpeedButton4Click(TObject* sender);
    void SpeedButton4MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    // The menu key or Shift+F10 on "+10 min": the lengths a right click offers, below the button.
    void SpeedButton4MenuKey(TObject* sender);
    // The right password does what asked for it: the cancel or the postpone.
    void Button4Click(TObject* sender);
    // Asks the system for the chosen action: shut down and switch the machine off, restart, sleep,
    // hibernate, log off or lock; a refusal is told.
    void ShutDown();
    // Windows' news that matter to a running countdown: back from sleep (`wake`, WM_POWERBROADCAST),
    // or the clock or the time zone changed (WM_TIMECHANGE), which re-aims an end at a clock time.
    void MoveEnd(bool wake);

    // ---- the tray display -------------------------------------------------------------------------
    // The program icon and, when the time is to be shown, the text icons chosen at the start.
    void ShowTrayDisplay();
    void HideTrayDisplay();
    void UpdateTray();
    void NotifyIcon1MouseMove(TObject* sender, TShiftState shift, int x, int y);
    // The program icon's tooltip for the time the countdown panel shows.
    std::string ProgramIconHintNow() const;
    void NotifyIcon1Click(TObject* sender);
    // The notices ten minutes and one minute before the end, from the program icon; a click on one
    // does what a click on the icon does, while the countdown runs.
    void GiveEndNotice(int32_t secondsLeft);
    void NotifyIcon1BalloonClick(TObject* sender);
    // A right click on any of the icons: a menu to show the countdown, to put it off by ten minutes or
    // to cancel it.
    void TrayIconMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void SpeedButton1Click(TObject* sender);
    // The text icon of seconds, minutes, hours or days.
    TTextTrayIcon* TimeTrayIcon(TimeIcon which) const;

    // ---- alert sound ----------------------------------------------------------------------------
    // The playing flag: a sound file open for a listen or the alert and not yet stopped by the
    // program. It lives in the player's Tag, where it has always been kept.
    bool SoundOpen() const { return MediaPlayer1->Tag == 1; }
    void SetSoundOpen(bool open) { MediaPlayer1->Tag = open ? 1 : 0; }
    void StartAlert();
    // Opens the file the path label names; on failure the playing flag is cleared with the device.
    void OpenSoundFile();
    void StopAlert();
    // Takes away the report of an alert file that could not be opened, shown or still to come.
    void DismissAlertReport();
    void Image12Click(TObject* sender);
    void Image10Click(TObject* sender);
    void Image11Click(TObject* sender);

    // ---- closing --------------------------------------------------------------------------------
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormClose(TObject* sender, TCloseAction& action);
    void SpeedButton3Click(TObject* sender);
    void Image7Click(TObject* sender);
    // Windows is told why it cannot log off while a protected countdown runs, and only then; called
    // wherever the countdown or its protection may have changed.
    void UpdateShutdownBlockReason();

    // ---- the switch's looks ---------------------------------------------------------------------
    void MyImage1MouseOver(TObject* sender);
    void MyImage1MouseOut(TObject* sender);
    void MyImage1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void MyImage1MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    // ---- option panels ----------------------------------------------------------------------------
    void CheckBox3MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void CheckBox2MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Image4Click(TObject* sender);
    void Image4MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    // The colour of the digits in the four text icons.
    void SetDigitFontColour(TColor colour);
    // The default digits follow the taskbar's theme, which Windows announces to every window.
    void TaskbarThemeChanged();
    void CheckBox4MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    // The space bar has ticked or unticked an option box: what a mouse button's release over it does.
    void CheckBoxKeyToggle(TObject* sender);
    // The menu key on the alert's box: the sound panel, as a right click.
    void CheckBox4MenuKey(TObject* sender);
    // After a box opened a panel over the options from the keyboard: the panel takes the keyboard.
    void GiveKeyboardToPanel(TCheckBox* box);
    void Button3Click(TObject* sender);
    void Button6Click(TObject* sender);

    // The colour of the digits of the tray time display.
    TColor DigitColor() const { return digitColor_; }

    // The settings as read at start, then overridden by the command line.
    HeldSettings Held;
    // The countdown: its state, its end, its counters, a clock time to end at (Countdown.h).
    Countdown Model;
    // The running countdown's counters, kept by the model.
    Remaining& Counters = Model.Counters();
    std::string PasswordAccepted;

    // ---- components -----------------------------------------------------------------------------
    TTabPanel* TabControl1;
    TLabel* Label1;
    TMaskEdit *MaskEdit4, *MaskEdit1, *MaskEdit2, *MaskEdit3;
    TUpDown *UpDown4, *UpDown1, *UpDown2, *UpDown3;
    TImage* Image8;
    TMyImage* MyImage1;
    TImage* Image13;
    TImage* Image14;
    TGroupBox* GroupBox2;
    TCheckBox *CheckBox1, *CheckBox4, *CheckBox3, *CheckBox2;
    TShape* Shape1;
    TImage* Image4;
    TImage* Image10;
    TPanel* Panel1;
    TLabel* Label12;
    TEdit* Edit1;
    TButton* Button3;
    TPanel* Panel2;
    TLabel *Label16, *Label14, *Label18, *Label17;
    TImage *Image12, *Image11;
    TTrackBar* TrackBar1;
    TButton* Button6;
    TTabPanel* TabControl2;
    TLabel *Label2, *LabelDays, *Label7, *LabelHours, *Label9, *LabelMinutes, *Label4, *LabelSeconds;
    TLabel* Label11;
    TImage *Image5, *Image6;
    TLabel *Label13, *Label15, *Label19, *Label20;
    TEdit* Edit2;
    TButton* Button4;
    TImage* Image7;
    TLabel* Label3;
    TSpeedButton *SpeedButton1, *SpeedButton3, *SpeedButton2, *SpeedButton4;
    TImage *Image1, *Image2, *Image3, *Image9;
    TThreadedTimer* Chronos1;
    TMediaPlayer* MediaPlayer1;
    TImageList *ImageList1, *ImageList2;
    TNotifyIcon* NotifyIcon1;
    TTextTrayIcon *TextTrayIcon1, *TextTrayIcon2, *TextTrayIcon3, *TextTrayIcon4;

protected:
    // On the countdown panel the password's field while it asks, else "+10 min", or "Annuler"
    // while "+10 min" cannot be used; on the set-up panel the control that opened the box or panel
    // that closed, the switch after a cancel.
    TControl* FocusTarget() override;

private:
    void CreateComponents();
    // The postpone lengths, at the pointer or at `at`.
    void OfferPostponeLengths(const POINT* at);
    void CreateTrayComponents();
    // The tray's pictures at the shell's small-icon size, drawn again when it changes.
    void FitTrayIcons();
    // The countdown panel in front, with "Annuler", "+10 min" and "Réduire", as a tray click and the
    // final warning show it.
    void ShowCountdownPanel();
    // What the countdown panel shows below the remaining time.
    enum class CountdownLook {
        Warning,          // the two warnings, no password prompt
        PasswordPrompt,   // the prompt, the typing in its field
        WrongPassword,    // "Ooops, mot de passe faux !", the field emptied for another try
        PromptWithdrawn,  // the prompt taken away (no password needed any more), the rest as it was
    };
    void SetCountdownLook(CountdownLook look);
    // What the password prompt stands before, and what the right password then does.
    enum class Guarded { Cancel, Postpone };
    // Whether a protected countdown still waits for its password.
    bool PasswordNeeded() const;
    // When the password is needed: the prompt opens for `action` (a postpone of `minutes`), and the
    // answer is true; the caller then stops there.
    bool AskPasswordFirst(Guarded action, int32_t minutes = 0);
    // The remaining time on the countdown panel, the text icons and the program icon's tooltip.
    void ShowTimeLeft();
    // Whether nobody can see the screen: the session locked or the display off. The countdown, its
    // notices, the alert and the final warning go on, but the time is not drawn (the animation, the
    // text icons, the tooltip, the countdown panel) until somebody can see it again, when it shows
    // the right time at once.
    bool Unseen() const { return sessionLocked_ || displayOff_; }
    void SetUnseen(bool sessionLocked, bool displayOff);
    // Windows' news of both, asked for while the window lives.
    void WatchViewers();
    void StopWatchingViewers();
    // The program icon and the text icons `times`, added in that order, which is their order on the
    // taskbar.
    void ShowTrayIcons(const std::vector<TimeIcon>& times);
    // After a postpone: the text icons of hours and days that the new time needs and that the start
    // did not show come in, the icons all added again in their order.
    void FitTimeIcons();
    // A panel (password, alert sound) over the options, in place of the colour swatch, its button
    // and the listen icon; or the panel away and those back.
    void CoverOptions(TPanel* panel);
    void UncoverOptions(TPanel* panel);
    // Tab leaves out the option boxes while a panel covers them.
    void UpdateOptionTabStops();
    // One column of the dial: its arrows, its field, and the highest position the arrows step to
    // (one below their maximum, where they wrap to 0).
    struct DialColumn {
        TUpDown* arrow;
        TMaskEdit* field;
        int32_t Limit() const { return arrow->Max() - 1; }
    };
    // The column of an arrow pair or a field, or null.
    const DialColumn* ColumnOf(const TObject* control) const;
    // The counters the dial stands for: its four positions, as signed 16-bit values, with negative
    // days (only a command line or a hand edit gives them) counted as none.
    Remaining ReadDial() const;
    // A value onto one column of the dial: its arrow's position and its field's text, in the
    // order the caller needs.
    enum class DialOrder { ArrowFirst, FieldFirst };
    void PutOnDial(TUpDown* arrow, TMaskEdit* field, int32_t value, DialOrder order);
    // The command line's twelfth or thirteenth parameter, no time or no action: told, and the whole
    // command line refused. A clock time is held for the dial and aimed at.
    void RefuseCommandLine(const std::string& message);
    void HoldTimeUntil(ClockTime time);
    // The final warning, shown again (the countdown panel in front, the window up and flashing), or
    // left for the notification area.
    void ShowFinalWarning(bool on);
    // What a wake or a new aim changed, shown as a tick shows it; out of the final warning the window
    // goes back to the notification area, as after a postpone.
    void ShowMovedEnd(const CountdownEvents& events, bool wasWarning);
    // A tick of at least `least` seconds (0: the counters catch up with the deadline) and all it brings.
    void CountDown(int64_t least);
    // The ticks' pace: while nobody can see a countdown before its final warning, one tick for each
    // moment that matters, under a minute apart; otherwise the timer's own interval, on the
    // deadline's grid.
    void PaceTicks();
    // Windows kept awake until the end, for the reason «NocTuro : extinction programmée à HH:MM»;
    // or let sleep again.
    void KeepAwake();
    void LetSleep();

    // A stored number, or its design value when the text does not convert (that failure reported).
    int32_t StoredNumber(Setting setting);
    // The conversion message in the general error report.
    void ReportConversionFailure(const std::string& message);

    std::vector<std::string> params_;
    // Days, hours, minutes, seconds.
    std::vector<DialColumn> dial_;
    bool setupFailed_ = false;
    PolicyValues policy_;
    // The values as stored at start, which a close writes back in place of those the policy sets.
    SettingTexts storedAtStart_;
    bool commandLineRefused_ = false;
    // The clock time stored beside the settings (kTargetSettingName), as last read or written.
    std::string storedTarget_;
    // What happens at zero, and its short name as stored beside the settings (kActionSettingName).
    EndAction action_ = EndAction::Shutdown;
    std::string storedAction_;
    // What was last typed into the "À heure fixe..." prompt and taken, offered again the next time.
    std::string clockTimeText_;
    // Set while the countdown's end closes the window.
    bool closingAtZero_ = false;
    // What the open password prompt is for.
    Guarded guarded_ = Guarded::Cancel;
    int32_t guardedMinutes_ = 0;
    // A second start met during the set-up waits for its end: the window is not ready to be seen.
    bool settingUp_ = false;
    bool secondStartWaiting_ = false;
    // Whether Windows holds our reason for refusing a log-off.
    bool shutdownBlocked_ = false;
    TColor digitColor_ = 0;
    // Whether the digits show the default colour (medium grey on the swatch at start-up) and no
    // colour the user picked since.
    bool defaultDigits_ = false;
    // ColorDialog1's own colour and custom colours, kept across its uses in a run.
    COLORREF colorDialogColour_ = 0;
    COLORREF customColours_[16] = {};
    UniqueFont timeFont_;
    int trayIconSize_ = kTrayIconSize;  // the pictures are designed for it
    bool sessionLocked_ = false, displayOff_ = false;
    uint32_t fineInterval_ = 0;  // Chronos1's own interval while its ticks are coarse, else 0
    bool sessionNotices_ = false;
    HPOWERNOTIFY displayNotices_ = nullptr;
};

}  // namespace noc
