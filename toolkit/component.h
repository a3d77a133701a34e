#pragma once
// The object model under every window and widget: components owned by their
// owner, named, with properties set from a layout and events bound to handlers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ansi_string.h"

namespace layout {
struct Value;
}

class TObject {
public:
    virtual ~TObject() = default;
};

// An event handler: takes the object that raised the event.
using TNotifyEvent = std::function<void(TObject* sender)>;

class TCustomForm;
class TControl;

// Declares, in one line in a class's public part, its name as layouts write
// it: kClassName for binding a member by type (Publication::Member), and
// ClassName() for the object at hand.
#define DECLARE_CLASS_NAME(name)                     \
    static constexpr const char* kClassName = #name; \
    const char* ClassName() const override { return kClassName; }

// Resolves a handler named in a layout to the window class's method.
class HandlerResolver {
public:
    virtual ~HandlerResolver() = default;
    virtual TNotifyEvent ResolveHandler(const std::string& handlerName, const std::string& where) const = 0;
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    virtual const char* ClassName() const = 0;

    // Takes ownership of a component; components are destroyed in reverse
    // order of insertion when their owner goes.
    template <typename T>
    T* Own(std::unique_ptr<T> component) {
        T* raw = component.get();
        owned_.push_back(std::move(component));
        return raw;
    }
    const std::vector<std::unique_ptr<TComponent>>& Components() const { return owned_; }

    // The owned components that are widgets (see AsControl), in the order
    // they were made: `for (TControl* control : Controls())`.
    class ControlRange {
    public:
        using Owned = std::vector<std::unique_ptr<TComponent>>::const_iterator;
        class Iterator {
        public:
            Iterator(Owned at, Owned end) : at_(at), end_(end) { SkipOthers(); }
            TControl* operator*() const { return (*at_)->AsControl(); }
            Iterator& operator++() {
                ++at_;
                SkipOthers();
                return *this;
            }
            bool operator!=(const Iterator& other) const { return at_ != other.at_; }

        private:
            void SkipOthers() {
                while (at_ != end_ && !(*at_)->AsControl()) ++at_;
            }
            Owned at_, end_;
        };
        explicit ControlRange(const std::vector<std::unique_ptr<TComponent>>& owned) : owned_(owned) {}
        Iterator begin() const { return {owned_.begin(), owned_.end()}; }
        Iterator end() const { return {owned_.end(), owned_.end()}; }

    private:
        const std::vector<std::unique_ptr<TComponent>>& owned_;
    };
    ControlRange Controls() const { return ControlRange(owned_); }

    // Sets one property read from a layout. Throws Exception when the
    // property is unknown to the class or its value has the wrong type.
    virtual void SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers);

    // Called once every property of the window's layout is applied.
    virtual void Loaded() {}

    // The component as a widget with a window of its own, if it is one.
    virtual TControl* AsControl() { return nullptr; }
    // A timer message with `timerId` reached the owner's window: handles it
    // and returns true if the timer is this component's.
    virtual bool TimerFired(std::uintptr_t /*timerId*/) { return false; }

protected:
    void DestroyComponents();
    [[noreturn]] void UnknownProperty(const std::string& name) const;
    std::string PropertyPath(const std::string& name) const;

private:
    TComponent* owner_;
    std::string name_;
    std::vector<std::unique_ptr<TComponent>> owned_;
};
