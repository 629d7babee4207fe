#include "tray/SimpleTimer.h"

#include "framework/Application.h"

namespace noc {

namespace {
// Identities are never reused, so a message still queued for a destroyed timer finds nobody.
uint32_t NextTimerId() {
    static uint32_t last = 0;
    return ++last;
}
}  // namespace

bool TSimpleTimerHandler::Message(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_TIMER) return false;
    result = 0;
    if (TSimpleTimer* timer = Find(wp)) timer->Fire();
    return true;
}

// ---- the timer --------------------------------------------------------------------------------

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, TNotifyEvent()) {}

TSimpleTimer::TSimpleTimer(uint32_t interval, TNotifyEvent onTimer) : id_(NextTimerId()), interval_(interval) {
    SetOnTimer(std::move(onTimer));
    window_ = TSimpleTimerHandler::Acquire(id_, this);
}

TSimpleTimer::~TSimpleTimer() {
    if (enabled_) Stop(true);
    TSimpleTimerHandler::Release(id_);
}

bool TSimpleTimer::Start() {
    if (interval_ == 0) return false;
    // A running timer of the same identity is replaced: a new period, with no request to kill it.
    const bool started = SetTimer(window_, id_, interval_, nullptr) != 0;
    if (started) enabled_ = true;
    return started;
}

bool TSimpleTimer::Stop(bool disable) {
    if (disable) enabled_ = false;
    return KillTimer(window_, id_) != FALSE;
}

void TSimpleTimer::SetEnabled(bool value) {
    if (value)
        Start();
    else
        Stop(true);
}

void TSimpleTimer::SetInterval(uint32_t value) {
    if (value == interval_) return;
    interval_ = value;
    if (!enabled_) return;
    if (value != 0)
        Start();
    else
        Stop(false);
}

void TSimpleTimer::SetOnTimer(TNotifyEvent value) {
    onTimer_ = std::move(value);
    if (!onTimer_.Assigned() && enabled_) Stop(false);
}

void TSimpleTimer::Fire() {
    if (OneShot) Stop(true);
    // A copy: the handler may destroy this timer.
    TNotifyEvent handler = onTimer_;
    if (handler) RunGuarded(this, [&] { handler(this); });
}

}  // namespace noc
