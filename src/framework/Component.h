#pragma once
// Components: owned by another component (a form, the application) and destroyed with it,
// in the reverse order of their creation.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Events.h"

namespace noc {

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int i) const { return components_[static_cast<size_t>(i)]; }
    // True once its owner has started destroying it (or its own base destructor runs).
    bool Destroying() const { return destroying_; }

    std::string Name;
    intptr_t Tag = 0;

    // Asks to be told, through Notification, when `other` is destroyed (and tells it in turn).
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

protected:
    // `gone` is being destroyed; a component that refers to it lets go of it here.
    virtual void Notification(TComponent* gone) { (void)gone; }

    // Owned components are destroyed first, newest first. Derived classes whose members the
    // owned components use call this at the start of their own destructor.
    void DestroyComponents();
    void MarkDestroying() { destroying_ = true; }

private:
    void Insert(TComponent* c) { components_.push_back(c); }
    void Remove(TComponent* c);

    TComponent* owner_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};

}  // namespace noc
