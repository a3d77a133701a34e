// Building a window from its layout: its own properties, its widgets bound
// to the window class's members, their handlers bound to its methods.

#include <algorithm>
#include <cctype>
#include <utility>

#include "component_factory.h"
#include "form.h"
#include "property_values.h"
#include "system_error.h"

void TCustomForm::Build() {
    std::string resourceName = ClassName();
    std::transform(resourceName.begin(), resourceName.end(), resourceName.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::wstring wideName(resourceName.begin(), resourceName.end());
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, wideName.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!resource) ThrowLastError(AnsiString("layout resource " + resourceName + " not found"));
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = data ? SizeofResource(module, resource) : 0;
    if (!size) ThrowLastError(AnsiString("layout resource " + resourceName + " cannot be loaded"));
    const layout::Component root = layout::ReadLayout(static_cast<const std::uint8_t*>(data), size);
    Build(root);
}

void TCustomForm::Build(const layout::Component& root) {
    if (root.className != ClassName())
        throw Exception(AnsiString("layout of class " + root.className + " given to a window of class " + ClassName()));
    if (root.name.empty()) throw Exception(AnsiString("layout of " + root.className + " has no name"));
    SetName(root.name);
    screenPixelsPerInch_ = QueryScreenPixelsPerInch();

    Publication publication;
    Publish(publication);
    for (const layout::Property& property : root.properties) SetProperty(property.name, property.value, publication);
    for (const layout::Component& child : root.children) AddChild(child, publication);
    for (const auto& [name, member] : publication.members_)
        if (!member.bound)
            throw Exception(AnsiString("member " + name + " of " + ClassName() + " is not in its layout"));

    CreateWindowHandle();
    const std::vector<TControl*> order = WindowOrder();
    for (TControl* control : order) control->CreateHandle(handle_.Get());
    for (const auto& component : Components()) component->Loaded();
    FocusChanged();
}

void TCustomForm::AddChild(const layout::Component& child, Publication& publication) {
    if (!child.children.empty()) throw Exception(AnsiString("widget " + child.name + " cannot hold other widgets"));
    std::unique_ptr<TComponent> made = CreateComponentOfClass(child.className, *this, PropertyPath(child.name));
    auto member = publication.members_.find(child.name);
    if (member == publication.members_.end())
        throw Exception(AnsiString("unknown member " + child.name + " of " + ClassName()));
    if (member->second.bound) throw Exception(AnsiString("member " + child.name + " appears twice in the layout"));
    if (child.className != member->second.className)
        throw Exception(AnsiString("member " + child.name + " is a " + member->second.className +
                                   " but the layout makes a " + child.className));
    TComponent* component = Own(std::move(made));
    component->SetName(child.name);
    if (!member->second.bind(component))
        throw Exception(AnsiString("member " + child.name + " cannot hold a " + child.className));
    member->second.bound = true;
    for (const layout::Property& property : child.properties)
        component->SetProperty(property.name, property.value, publication);
}

// A screen reader names a field after the nearest static text before it in
// z-order, which is the order the widgets' windows are made in, not where
// they sit. So the windows are made in layout order, except that each field
// is made right after the caption on its own line, to its left: made in the
// right order from the start, as moving a window in z-order afterwards
// costs about as much as making it.
std::vector<TControl*> TCustomForm::WindowOrder() const {
    std::vector<TControl*> captions;
    for (TControl* control : Controls())
        if (control->NamesAField()) captions.push_back(control);
    const auto captionOf = [&captions](const TControl* field) {
        TControl* nearest = nullptr;
        if (!field->NamedByItsCaption()) return nearest;
        for (TControl* caption : captions) {
            const bool sameLine =
                caption->Top < field->Top + field->Height && field->Top < caption->Top + caption->Height;
            if (!sameLine || caption->Left >= field->Left) continue;
            if (!nearest || caption->Left > nearest->Left) nearest = caption;
        }
        return nearest;
    };
    std::vector<std::pair<TControl*, TControl*>> captioned;  // each field with its caption
    for (TControl* control : Controls())
        if (TControl* caption = captionOf(control)) captioned.emplace_back(control, caption);
    std::vector<TControl*> order;
    for (TControl* control : Controls()) {
        if (captionOf(control)) continue;  // made after its caption
        order.push_back(control);
        for (const auto& [field, caption] : captioned)
            if (caption == control) order.push_back(field);
    }
    return order;
}

TNotifyEvent Publication::ResolveHandler(const std::string& handlerName, const std::string& where) const {
    const auto found = handlers_.find(handlerName);
    if (found != handlers_.end()) return found->second;
    throw Exception(AnsiString("unknown handler " + handlerName + " for " + where));
}

void TCustomForm::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (SetDesignProperty(name, value, where)) return;
    if (name == "Caption") Caption = props::Text(value, where);
    else if (name == "Color") Color = ColorFromValue(value, where);
    else if (name == "PixelsPerInch") {
        PixelsPerInch = props::Integer(value, where);
        if (PixelsPerInch <= 0) props::Invalid(where, "must be positive");
    } else if (name == "TextHeight") TextHeight = props::Integer(value, where);
    else if (name == "OldCreateOrder") OldCreateOrder = props::Boolean(value, where);
    else TComponent::SetProperty(name, value, handlers);
}
