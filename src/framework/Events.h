#pragma once
// Component events: a handler bound to an object, called with the raising component as Sender.
// A component raises an event only when a handler is set.
#include <functional>
#include <utility>

namespace noc {

class TObject {
public:
    virtual ~TObject() = default;
};

template <typename... Args>
class Event {
public:
    using Fn = std::function<void(TObject* sender, Args...)>;

    Event() = default;
    Event(Fn fn) : fn_(std::move(fn)) {}  // NOLINT: allows `OnClick = Event<>(...)`

    // Binds a method of `object`: Event.Bind(this, &TForm2::MyImage1Click).
    template <typename T>
    void Bind(T* object, void (T::*method)(TObject*, Args...)) {
        fn_ = [object, method](TObject* sender, Args... args) { (object->*method)(sender, args...); };
    }
    void Set(Fn fn) { fn_ = std::move(fn); }
    void Clear() { fn_ = nullptr; }
    bool Assigned() const { return static_cast<bool>(fn_); }
    explicit operator bool() const { return Assigned(); }

    // Raises the event when a handler is set.
    void operator()(TObject* sender, Args... args) const {
        if (fn_) fn_(sender, std::forward<Args>(args)...);
    }

private:
    Fn fn_;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier keys and buttons held during a mouse event.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;

enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TNotifyEvent = Event<>;
using TMouseEvent = Event<TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = Event<TShiftState, int, int>;
using TCloseQueryEvent = Event<bool&>;
using TCloseEvent = Event<TCloseAction&>;

}  // namespace noc
