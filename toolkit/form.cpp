#include "form.h"

#include <algorithm>
#include <cctype>
#include <cwctype>

#include "application.h"
#include "bitbtn.h"
#include "component_factory.h"
#include "edit.h"
#include "label.h"
#include "property_values.h"
#include "text_codec.h"
#include "timer.h"

TCustomForm::TCustomForm(TComponent* owner) : TComponent(owner) {}

TCustomForm::~TCustomForm() {
    // Widgets and timers go while the window they live in still exists.
    DestroyComponents();
    handle_.Reset();
}

void TCustomForm::Build() {
    std::string resourceName = ClassName();
    std::transform(resourceName.begin(), resourceName.end(), resourceName.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::wstring wideName(resourceName.begin(), resourceName.end());
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, wideName.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!resource) throw Exception(AnsiString("layout resource " + resourceName + " not found"));
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) throw Exception(AnsiString("layout resource " + resourceName + " cannot be loaded"));
    const DWORD size = SizeofResource(module, resource);
    Build(layout::ReadLayout(static_cast<const std::uint8_t*>(data), size));
}

void TCustomForm::Build(const layout::Component& root) {
    if (root.className != ClassName())
        throw Exception(AnsiString("layout of class " + root.className + " given to a window of class " +
                                   ClassName()));
    if (root.name.empty()) throw Exception(AnsiString("layout of " + root.className + " has no name"));
    SetName(root.name);
    screenPixelsPerInch_ = ::ScreenPixelsPerInch();

    Publication publication;
    Publish(publication);
    publication_ = &publication;
    struct Done { const Publication*& p; ~Done() { p = nullptr; } } done{publication_};

    for (const layout::Property& property : root.properties) SetProperty(property.name, property.value, *this);
    for (const layout::Component& child : root.children) AddChild(child, publication);
    for (const auto& [name, member] : publication.members_)
        if (!member.bound) throw Exception(AnsiString("member " + name + " of " + ClassName() + " is not in its layout"));

    CreateWindowHandle();
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TControl*>(component.get())) control->CreateHandle(handle_.Get());
    PlaceFieldsAfterTheirLabels();
    for (const auto& component : Components()) component->Loaded();
    FocusChanged();
}

void TCustomForm::AddChild(const layout::Component& child, Publication& publication) {
    if (!child.children.empty())
        throw Exception(AnsiString("widget " + child.name + " cannot hold other widgets"));
    std::unique_ptr<TComponent> made = CreateComponentOfClass(child.className, this, PropertyPath(child.name));
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
        component->SetProperty(property.name, property.value, *this);
}

// A screen reader names a field after the nearest static text before it in
// z-order, which follows the order widgets were made in, not where they sit.
// Each field is put right after the caption on its own line, to its left.
void TCustomForm::PlaceFieldsAfterTheirLabels() {
    std::vector<TControl*> captions, fields;
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TControl*>(component.get())) {
            if (control->NamesAField()) captions.push_back(control);
            else if (control->NamedByItsCaption()) fields.push_back(control);
        }
    for (TControl* field : fields) {
        TControl* nearest = nullptr;
        for (TControl* caption : captions) {
            const bool sameLine = caption->Top < field->Top + field->Height && field->Top < caption->Top + caption->Height;
            if (!sameLine || caption->Left >= field->Left) continue;
            if (!nearest || caption->Left > nearest->Left) nearest = caption;
        }
        if (nearest)
            SetWindowPos(field->Handle(), nearest->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

TNotifyEvent TCustomForm::ResolveHandler(const std::string& handlerName, const std::string& where) const {
    if (publication_) {
        auto found = publication_->handlers_.find(handlerName);
        if (found != publication_->handlers_.end()) return found->second;
    }
    throw Exception(AnsiString("unknown handler " + handlerName + " for " + where));
}

void TCustomForm::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (name == "Left") Left = props::Integer(value, where);
    else if (name == "Top") Top = props::Integer(value, where);
    else if (name == "Width") Width = props::Integer(value, where);
    else if (name == "Height") Height = props::Integer(value, where);
    else if (name == "Caption") Caption = props::Text(value, where);
    else if (name == "Color") Color = ColorFromValue(value, where);
    else if (name.rfind("Font.", 0) == 0) Font.SetProperty(name.substr(5), value, where);
    else if (name == "PixelsPerInch") {
        PixelsPerInch = props::Integer(value, where);
        if (PixelsPerInch <= 0) props::Invalid(where, "must be positive");
    } else if (name == "TextHeight") TextHeight = props::Integer(value, where);
    else if (name == "OldCreateOrder") OldCreateOrder = props::Boolean(value, where);
    else TComponent::SetProperty(name, value, handlers);
}

void TCustomForm::CreateWindowHandle() {
    const std::wstring caption = WideFromAnsi(Caption);
    HWND hwnd = CreateWindowExW(0, TApplication::kFormWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW,
                                Scaled(Left), Scaled(Top), Scaled(Width), Scaled(Height), nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
    if (!hwnd) throw Exception(AnsiString("cannot create the window " + Name()));
    handle_.Reset(hwnd);
}

HBRUSH TCustomForm::BackgroundBrush() const {
    if (Color & clSystemColor) return GetSysColorBrush(static_cast<int>(Color & 0xFF));
    if (!background_) background_.Reset(CreateSolidBrush(ColorToRGB(Color)));
    return background_.Get();
}

void TCustomForm::Show() {
    if (!handle_) return;
    ShowWindow(handle_.Get(), SW_SHOWNORMAL);
    SetForegroundWindow(handle_.Get());
    if (!FocusedControl()) FocusFirstOrLast();
}

void TCustomForm::SetVisible(bool visible) {
    if (visible) Show();
    else if (handle_) ShowWindow(handle_.Get(), SW_HIDE);
}

bool TCustomForm::Visible() const { return handle_ && IsWindowVisible(handle_.Get()); }

bool TCustomForm::ClosingEndsApplication() const { return Application->MainForm() == this; }

void TCustomForm::Close() {
    SetVisible(false);
    if (ClosingEndsApplication()) Application->Terminate();
}

std::vector<TControl*> TCustomForm::TabOrderList() const {
    std::vector<TControl*> list;
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TControl*>(component.get()); control && control->TabStop())
            list.push_back(control);
    // Widgets without a tab order keep their place after those with one.
    std::stable_sort(list.begin(), list.end(), [](const TControl* a, const TControl* b) {
        const unsigned ka = static_cast<unsigned>(a->TabOrder), kb = static_cast<unsigned>(b->TabOrder);
        return ka < kb;
    });
    return list;
}

TControl* TCustomForm::ControlFromHandle(HWND hwnd) const {
    if (!hwnd) return nullptr;
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TControl*>(component.get()); control && control->Handle() == hwnd)
            return control;
    return nullptr;
}

TControl* TCustomForm::FocusedControl() const { return ControlFromHandle(GetFocus()); }

TBitBtn* TCustomForm::DefaultButton() const {
    for (const auto& component : Components())
        if (auto* button = dynamic_cast<TBitBtn*>(component.get()); button && button->IsDefault()) return button;
    return nullptr;
}

TBitBtn* TCustomForm::CancelButton() const {
    for (const auto& component : Components())
        if (auto* button = dynamic_cast<TBitBtn*>(component.get()); button && button->IsCancel()) return button;
    return nullptr;
}

void TCustomForm::FocusFirstOrLast() {
    if (lastFocus_ && IsWindow(lastFocus_) && ControlFromHandle(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return;
    }
    const auto order = TabOrderList();
    if (!order.empty()) order.front()->SetFocus();
}

void TCustomForm::SelectNext(bool forward) {
    const auto order = TabOrderList();
    if (order.empty()) return;
    const auto current = std::find(order.begin(), order.end(), FocusedControl());
    size_t index = 0;
    if (current == order.end()) index = forward ? 0 : order.size() - 1;
    else if (forward) index = (static_cast<size_t>(current - order.begin()) + 1) % order.size();
    else index = (static_cast<size_t>(current - order.begin()) + order.size() - 1) % order.size();
    order[index]->SetFocus();
    // Tabbing into a field selects its text, as in a dialog.
    if (dynamic_cast<TEdit*>(order[index])) SendMessageW(order[index]->Handle(), EM_SETSEL, 0, -1);
}

void TCustomForm::FocusChanged() {
    auto* focusedButton = dynamic_cast<TBitBtn*>(FocusedControl());
    for (const auto& component : Components())
        if (auto* button = dynamic_cast<TBitBtn*>(component.get()))
            button->ShowAsDefault(focusedButton ? button == focusedButton : button->IsDefault());
}

bool TCustomForm::DialogKey(const MSG& message) {
    // Keys still queued for a window that has since been hidden or disabled
    // (by a modal box) press nothing: a second Enter must not sign in twice.
    if (!Visible() || !IsWindowEnabled(handle_.Get())) return false;
    const bool alt = GetKeyState(VK_MENU) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (message.message == WM_KEYDOWN && !alt) {
        switch (message.wParam) {
        case VK_TAB:
            if (control) return false;
            SelectNext(GetKeyState(VK_SHIFT) >= 0);
            return true;
        case VK_RETURN: {
            TBitBtn* target = dynamic_cast<TBitBtn*>(FocusedControl());
            if (!target) target = DefaultButton();
            if (!target) return false;
            target->Click();
            return true;
        }
        case VK_ESCAPE:
            if (TBitBtn* cancel = CancelButton()) {
                cancel->Click();
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    if (message.message == WM_SYSCHAR) {
        const wchar_t key = static_cast<wchar_t>(std::towupper(static_cast<wchar_t>(message.wParam)));
        for (const auto& component : Components())
            if (auto* button = dynamic_cast<TBitBtn*>(component.get()); button && button->AccessKey() == key) {
                button->SetFocus();
                button->Click();
                return true;
            }
    }
    return false;
}

TCustomForm* TCustomForm::OfWindow(HWND hwnd) {
    wchar_t className[64] = {};
    if (!hwnd || !GetClassNameW(hwnd, className, 64) || lstrcmpW(className, TApplication::kFormWindowClass) != 0)
        return nullptr;
    // Set on WM_NCCREATE; the window is the form's once CreateWindowExW returned.
    auto* form = reinterpret_cast<TCustomForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return form && form->handle_.Get() == hwnd ? form : nullptr;
}

LRESULT CALLBACK TCustomForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    TCustomForm* form = OfWindow(hwnd);
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    Application->Guarded([&] { result = form->HandleMessage(message, wParam, lParam); });
    return result;
}

LRESULT TCustomForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = handle_.Get();
    switch (message) {
    case WM_COMMAND:
        if (TControl* control = ControlFromHandle(reinterpret_cast<HWND>(lParam))) {
            const WORD code = HIWORD(wParam);
            control->Command(code);
            if (code == EN_SETFOCUS) FocusChanged();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (TControl* control = ControlFromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = control->ControlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_TIMER:
        for (const auto& component : Components())
            if (auto* timer = dynamic_cast<TTimer*>(component.get()); timer && timer->Id() == wParam) {
                timer->Tick();
                return 0;
            }
        break;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, BackgroundBrush());
        return 1;
    }
    case WM_SIZE:
        for (const auto& component : Components())
            if (auto* control = dynamic_cast<TControl*>(component.get())) control->ParentResized();
        break;
    case WM_ACTIVATE:
        // Keep the focused widget while the window is inactive, as a dialog does.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (ControlFromHandle(GetFocus())) lastFocus_ = GetFocus();
        } else if (!IsIconic(hwnd)) {
            FocusFirstOrLast();
        }
        return 0;
    case WM_SETFOCUS:
        FocusFirstOrLast();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(Font.Handle(screenPixelsPerInch_, PixelsPerInch));
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
