#pragma once
// A hidden window shared by every object of one kind (the light timers, the tray icons): made for
// the first of them, destroyed with the last, and at the program's end if any is left. Its
// messages name the object by an identity that is never reused, so a message still queued for an
// object that is gone finds nobody. The derived class answers the messages.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "framework/HiddenWindow.h"

namespace noc {

template <typename Derived, typename Client>
class TSharedWindow {
public:
    static HWND Acquire(uint32_t id, Client* client) {
        auto& shared = Instance();
        if (!shared) shared.reset(new Derived());
        ++shared->refCount_;
        shared->clients_[id] = client;
        return shared->window_.Handle();
    }
    static void Release(uint32_t id) {
        auto& shared = Instance();
        if (!shared) return;
        shared->clients_.erase(id);
        if (shared->refCount_ > 0) --shared->refCount_;
        if (shared->refCount_ == 0) shared.reset();
    }
    // While one exists, else null.
    static HWND Window() { return Instance() ? Instance()->window_.Handle() : nullptr; }
    static unsigned RefCount() { return Instance() ? Instance()->refCount_ : 0; }

    TSharedWindow(const TSharedWindow&) = delete;
    TSharedWindow& operator=(const TSharedWindow&) = delete;

protected:
    explicit TSharedWindow(const char* className)
        : window_(className, THiddenWindow::TopLevel, [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
              return static_cast<Derived*>(this)->Message(msg, wp, lp, result);
          }) {}
    ~TSharedWindow() = default;

    // The shared window's object while one exists, else null.
    static Derived* Current() { return Instance().get(); }

    // The live object of that identity, or null.
    Client* Find(WPARAM id) const {
        if (id > UINT32_MAX) return nullptr;
        auto it = clients_.find(static_cast<uint32_t>(id));
        return it == clients_.end() ? nullptr : it->second;
    }

private:
    static std::unique_ptr<Derived>& Instance() {
        static std::unique_ptr<Derived> instance;
        return instance;
    }

    unsigned refCount_ = 0;
    std::map<uint32_t, Client*> clients_;
    THiddenWindow window_;  // last: made once the rest exists
};

}  // namespace noc
