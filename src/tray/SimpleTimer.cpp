#include "tray/SimpleTimer.h"

#include "framework/Application.h"

namespace noc {

namespace {
const char kTimerWindowClass[] = "TSimpleTimerHandler";

// Identities are never reused, so a message still queued for a destroyed timer finds nobody.
uint32_t NextTimerId() {
    static uint32_t last = 0;
    return ++last;
}
}  // namespace

// ---- the shared window -----------------------------------------------------------------------

std::unique_ptr<TSimpleTimerHandler>& TSimpleTimerHandler::Instance() {
    static std::unique_ptr<TSimpleTimerHandler> instance;  // what is left goes at the program's end
    return instance;
}

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_(kTimerWindowClass, THiddenWindow::TopLevel,
              [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return Message(msg, wp, lp, result); }) {}

HWND TSimpleTimerHandler::Acquire(TSimpleTimer* timer) {
    auto& handler = Instance();
    if (!handler) handler.reset(new TSimpleTimerHandler());
    ++handler->refCount_;
    handler->timers_[timer->Id()] = timer;
    return handler->window_.Handle();
}

void TSimpleTimerHandler::Release(TSimpleTimer* timer) {
    auto& handler = Instance();
    if (!handler) return;
    handler->timers_.erase(timer->Id());
    if (handler->refCount_ > 0) --handler->refCount_;
    if (handler->refCount_ == 0) handler.reset();
}

HWND TSimpleTimerHandler::Window() { return Instance() ? Instance()->window_.Handle() : nullptr; }

unsigned TSimpleTimerHandler::RefCount() { return Instance() ? Instance()->refCount_ : 0; }

bool TSimpleTimerHandler::Message(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_TIMER) return false;
    result = 0;
    auto it = timers_.find(static_cast<uint32_t>(wp));
    if (it != timers_.end()) it->second->Fire();
    return true;
}

// ---- the timer --------------------------------------------------------------------------------

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, TNotifyEvent()) {}

TSimpleTimer::TSimpleTimer(uint32_t interval, TNotifyEvent onTimer) : id_(NextTimerId()), interval_(interval) {
    SetOnTimer(std::move(onTimer));
    window_ = TSimpleTimerHandler::Acquire(this);
}

TSimpleTimer::~TSimpleTimer() {
    if (enabled_) Stop(true);
    TSimpleTimerHandler::Release(this);
}

bool TSimpleTimer::Start() {
    if (interval_ == 0) return false;
    if (enabled_) Stop(true);
    systemTimer_ = SetTimer(window_, id_, interval_, nullptr) != 0;
    if (systemTimer_) enabled_ = true;
    return systemTimer_;
}

bool TSimpleTimer::Stop(bool disable) {
    if (disable) enabled_ = false;
    // Without a system timer the answer is known; asking the system costs a round trip to it.
    if (!systemTimer_) return false;
    systemTimer_ = false;
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
