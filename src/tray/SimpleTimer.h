#pragma once
// A light periodic timer on window timer messages, for the notification-area icons (animation,
// click delay, leave check). Every timer of the process shares one hidden window, made with the
// first timer and destroyed with the last.
#include <windows.h>

#include <cstdint>

#include "framework/Events.h"
#include "framework/SharedWindow.h"

namespace noc {

class TSimpleTimer;

// The shared window: it carries the system timers and hands their messages to the timer whose
// identity they carry.
class TSimpleTimerHandler : public TSharedWindow<TSimpleTimerHandler, TSimpleTimer> {
public:
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

private:
    friend class TSharedWindow<TSimpleTimerHandler, TSimpleTimer>;
    TSimpleTimerHandler() : TSharedWindow("TSimpleTimerHandler") {}
};

class TSimpleTimer : public TObject {
public:
    TSimpleTimer();  // 1000 ms, no handler
    TSimpleTimer(uint32_t interval, TNotifyEvent onTimer);
    ~TSimpleTimer() override;
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // Starts the system timer, or restarts its period; false with a zero interval (nothing then
    // changes) or when the system refuses.
    bool Start();
    // Kills the system timer; with `disable` also clears Enabled. False when there was none.
    bool Stop(bool disable);

    uint32_t Id() const { return id_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return interval_; }
    // A new period starts at once; 0 pauses a running timer, which stays Enabled.
    void SetInterval(uint32_t value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    // Clearing the handler pauses a running timer, which stays Enabled.
    void SetOnTimer(TNotifyEvent value);
    // Disables itself before each event. Nothing in the program sets it.
    bool OneShot = false;

private:
    friend class TSimpleTimerHandler;
    void Fire();

    uint32_t id_;
    bool enabled_ = false;
    uint32_t interval_;
    TNotifyEvent onTimer_;
    HWND window_;
};

}  // namespace noc
