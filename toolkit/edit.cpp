#include "edit.h"

#include <commctrl.h>
#include <vector>

#include "exception.h"
#include "form.h"
#include "property_values.h"
#include "text_codec.h"

DWORD TEdit::WindowStyle() const {
    DWORD style = TControl::WindowStyle() | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
    if (PasswordChar) style |= ES_PASSWORD;
    return style;
}

void TEdit::SetProperty(const std::string& name, const layout::Value& value, const HandlerResolver& handlers) {
    const std::string where = PropertyPath(name);
    if (name == "Text") {
        text_ = props::Text(value, where);
    } else if (name == "PasswordChar") {
        const AnsiString mask = props::Text(value, where);
        if (mask.Length() > 1) props::Invalid(where, "expected one character");
        PasswordChar = mask.IsEmpty() ? '\0' : mask.c_str()[0];
    } else if (name == "MaxLength") {
        MaxLength = props::Integer(value, where);
        if (MaxLength < 0) props::Invalid(where, "must not be negative");
    } else {
        TControl::SetProperty(name, value, handlers);
    }
}

namespace {
// Whether the message being handled was sent from another thread or program.
bool SentFromOutside() { return (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0; }

// A masked field gives its text to no one:
// - Copy and Cut are refused however they arrive (keys, the context menu, or
//   a message from another program). Wine's edit control honours the mask
//   only for Ctrl+C and Ctrl+X, and copies on Ctrl+Insert and cuts on
//   Shift+Delete without sending itself WM_COPY or WM_CUT, so those two keys
//   are swallowed here.
// - Reading the text is answered only on the program's own thread: another
//   thread or program asking gets an empty text, as Windows does for a
//   password field (Wine would hand it over).
LRESULT CALLBACK MaskedFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_COPY:
    case WM_CUT: return 0;
    case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
        if (wParam == VK_INSERT && control && !shift) return 0;  // Copy (Shift+Insert pastes)
        if (wParam == VK_DELETE && shift && !control) return 0;  // Cut
        break;
    }
    case WM_GETTEXT:
        if (!SentFromOutside()) break;
        if (wParam > 0 && lParam) *reinterpret_cast<wchar_t*>(lParam) = L'\0';
        return 0;
    case WM_GETTEXTLENGTH:
    case EM_GETLINE:
        if (SentFromOutside()) return 0;
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, MaskedFieldProc, 1); break;
    default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
}  // namespace

void TEdit::HandleCreated() {
    // 0 lifts the edit control's default limit of 32767 characters.
    SendMessageW(handle_.Get(), EM_SETLIMITTEXT, static_cast<WPARAM>(MaxLength), 0);
    if (PasswordChar) {
        const std::wstring mask = WideFromBig5(AnsiString(&PasswordChar, 1));
        SendMessageW(handle_.Get(), EM_SETPASSWORDCHAR, mask.empty() ? L'*' : mask[0], 0);
        SetWindowSubclass(handle_.Get(), MaskedFieldProc, 1, 0);
    }
}

void TEdit::TabbedInto() {
    if (handle_) SendMessageW(handle_.Get(), EM_SETSEL, 0, -1);
}

void TEdit::Command(WORD code) {
    if (code == EN_SETFOCUS) Form()->FocusChanged();
}

AnsiString TEdit::GetText() const {
    if (!handle_) return text_;
    const int length = GetWindowTextLengthW(handle_.Get());
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(handle_.Get(), buffer.data(), length + 1);
    return Big5FromWide(std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}
