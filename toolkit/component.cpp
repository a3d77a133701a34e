#include "component.h"

#include "exception.h"
#include "layout_stream.h"

TComponent::TComponent(TComponent* owner) : owner_(owner) {}

TComponent::~TComponent() { DestroyComponents(); }

void TComponent::DestroyComponents() {
    while (!owned_.empty()) owned_.pop_back();
}

void TComponent::SetProperty(const std::string& name, const layout::Value&, const HandlerResolver&) {
    UnknownProperty(name);
}

void TComponent::UnknownProperty(const std::string& name) const {
    throw Exception(AnsiString("unknown property " + PropertyPath(name) + " of class " + ClassName()));
}

std::string TComponent::PropertyPath(const std::string& name) const {
    std::string path = name_ + "." + name;
    for (TComponent* owner = owner_; owner && !owner->name_.empty(); owner = owner->owner_)
        path = owner->name_ + "." + path;
    return path;
}
