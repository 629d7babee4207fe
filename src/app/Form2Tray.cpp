// The countdown's home in the notification area: the animated program icon, the text icons of the
// remaining time, the icons' menu, the way back to the window and "Réduire".
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/Form2.h"
#include "framework/Seam.h"
#include "framework/SystemFunctions.h"

namespace noc {

namespace {
// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
}  // namespace

std::optional<bool> DisplayOffIn(const POWERBROADCAST_SETTING& news) {
    if (!IsEqualGUID(news.PowerSetting, kConsoleDisplayState) || news.DataLength < sizeof(DWORD)) return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, news.Data, sizeof(state));
    return state == 0;
}

void TForm2::WatchViewers() {
    // Neither is there on every system: without them the time is always drawn.
    using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
    if (auto watch = SystemFunction<RegisterSession>("wtsapi32.dll", "WTSRegisterSessionNotification"))
        sessionNotices_ = watch(Handle(), 0) != FALSE;  // NOTIFY_FOR_THIS_SESSION
    using RegisterPower = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
    if (auto watch = User32Function<RegisterPower>("RegisterPowerSettingNotification"))
        displayNotices_ = watch(Handle(), &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void TForm2::StopWatchingViewers() {
    using UnregisterSession = BOOL(WINAPI*)(HWND);
    if (sessionNotices_)
        if (auto stop = SystemFunction<UnregisterSession>("wtsapi32.dll", "WTSUnRegisterSessionNotification"))
            stop(Handle());
    using UnregisterPower = BOOL(WINAPI*)(HPOWERNOTIFY);
    if (displayNotices_)
        if (auto stop = User32Function<UnregisterPower>("UnregisterPowerSettingNotification")) stop(displayNotices_);
    sessionNotices_ = false;
    displayNotices_ = nullptr;
}

void TForm2::SetUnseen(bool sessionLocked, bool displayOff) {
    const bool was = Unseen();
    sessionLocked_ = sessionLocked;
    displayOff_ = displayOff;
    if (Unseen() == was) return;
    // Only the countdown's display has anything to stop or to catch up with.
    if (NotifyIcon1->IconVisible()) NotifyIcon1->SetCycleIcons(!Unseen());
    // The time of now at once, with whatever came due meanwhile, as a tick that adds no second.
    if (!Unseen() && Chronos1->Enabled() && Model.Running())
        CountDown(0);
    else if (NotifyIcon1->IconVisible())
        ShowTimeLeft();
    PaceTicks();
}

TTextTrayIcon* TForm2::TimeTrayIcon(TimeIcon which) const {
    switch (which) {
    case TimeIcon::Seconds:
        return TextTrayIcon1;
    case TimeIcon::Minutes:
        return TextTrayIcon2;
    case TimeIcon::Hours:
        return TextTrayIcon3;
    case TimeIcon::Days:
        return TextTrayIcon4;
    }
    return nullptr;
}

void TForm2::ShowTrayDisplay() {
    const bool xp = DetectXP() == "XP";
    if (!xp) NotifyIcon1->SetIconList(ImageList2);
    // Which text icons show is decided here, once: none goes while the countdown runs, and only a
    // postpone brings one in (FitTimeIcons).
    ShowTrayIcons(TimeIconsToShow(xp, CheckBox1->Checked(), Counters));
    UpdateTray();
}

void TForm2::ShowTrayIcons(const std::vector<TimeIcon>& times) {
    for (TimeIcon which : times) TimeTrayIcon(which)->SetIconVisible(true);
    NotifyIcon1->SetCycleIcons(!Unseen());
    NotifyIcon1->SetIconVisible(true);
}

void TForm2::FitTimeIcons() {
    // The seconds show whenever the time does.
    if (!TextTrayIcon1->IconVisible()) return;
    // The icons for the new time, and every one already there: an hours icon stays when its hours
    // run out, and so it does here.
    Remaining needed = Counters;
    if (TextTrayIcon4->IconVisible()) needed.Days = std::max(needed.Days, 1);
    if (TextTrayIcon3->IconVisible()) needed.Hours = std::max(needed.Hours, 1);
    const std::vector<TimeIcon> times = TimeIconsToShow(DetectXP() == "XP", true, needed);
    if (std::all_of(times.begin(), times.end(), [this](TimeIcon which) { return TimeTrayIcon(which)->IconVisible(); }))
        return;
    // The shell puts each new icon at one end of the others: the new ones take their places among
    // them only when all come again, in their order, the program icon last as at the start.
    HideTrayDisplay();
    ShowTrayIcons(times);
}

void TForm2::HideTrayDisplay() {
    for (TTextTrayIcon* icon : {TextTrayIcon1, TextTrayIcon2, TextTrayIcon3, TextTrayIcon4})
        icon->SetIconVisible(false);
    NotifyIcon1->SetCycleIcons(false);
    NotifyIcon1->SetIconVisible(false);
}

void TForm2::UpdateTray() {
    const TrayTexts texts = MakeTrayTexts(Counters, TextTrayIcon3->IconVisible(), TextTrayIcon4->IconVisible());
    TextTrayIcon1->SetText(texts.Seconds);
    TextTrayIcon2->SetText(texts.Minutes);
    TextTrayIcon3->SetText(texts.Hours);
    TextTrayIcon4->SetText(texts.Days);
}

std::string TForm2::ProgramIconHintNow() const {
    return ProgramIconHint(CheckBox1->Checked(), DetectXP() == "XP", Label2->Caption(), Label7->Caption(),
                           Label9->Caption(), Label4->Caption(), action_);
}

void TForm2::NotifyIcon1MouseMove(TObject*, TShiftState, int, int) {
    // The tooltip follows the remaining time while the mouse rests on the icon.
    NotifyIcon1->SetHint(ProgramIconHintNow());
}

void TForm2::NotifyIcon1Click(TObject*) {
    ShowCountdownPanel();
    Show();
}

void TForm2::GiveEndNotice(int32_t secondsLeft) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    NotifyIcon1->ShowBalloonHint(
        "NocTuro", EndNoticeText(secondsLeft, now.wHour * 3600 + now.wMinute * 60 + now.wSecond, action_), NIIF_INFO);
}

void TForm2::TrayIconMouseUp(TObject* sender, TMouseButton button, TShiftState, int, int) {
    if (button != TMouseButton::mbRight || !Chronos1->Enabled()) return;
    enum : UINT { kShow = 1, kCancel = 2, kPostpone = 3 };
    switch (Seam().ChooseMenuItem(Handle(),
                                  {{kShow, "Afficher le compte à rebours"},
                                   {kPostpone, PostponeText(kPostponeMinutes)},
                                   {kCancel, "Annuler le compte à rebours"}},
                                  kShow, nullptr)) {
    case kShow:
        NotifyIcon1Click(sender);
        break;
    case kPostpone:
        // The way of the "+10 min" button. A password prompt shows in the window, as for a cancel;
        // without one the window stays as it was (it leaves the final warning as the button does).
        if (PasswordNeeded()) NotifyIcon1Click(sender);
        SpeedButton4Click(SpeedButton4);
        break;
    case kCancel:
        // The way of the "Annuler" button, in the window: the password prompt shows there.
        NotifyIcon1Click(sender);
        SpeedButton2Click(SpeedButton2);
        break;
    default:
        break;
    }
}

void TForm2::NotifyIcon1BalloonClick(TObject* sender) {
    // A notice can outlive its countdown on the screen.
    if (Chronos1->Enabled()) NotifyIcon1Click(sender);
}

void TForm2::SpeedButton1Click(TObject*) {
    Hide();
    // A password prompt that was open goes away.
    SetCountdownLook(CountdownLook::Warning);
}

}  // namespace noc
