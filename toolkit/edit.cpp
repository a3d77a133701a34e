#include "edit.h"

#include <commctrl.h>

#include "exception.h"
#include "form.h"
#include "property_values.h"
#include "system_error.h"
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
// - The mask stays: EM_SETPASSWORDCHAR is refused however it arrives (sent
//   or posted by another program, "password revealers" send 0). The field's
//   mask is set before this procedure is attached and never changes after.
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
    case EM_SETPASSWORDCHAR: return 0;
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
        // Reported: unprotected, the password could be copied out.
        if (!SetWindowSubclass(handle_.Get(), MaskedFieldProc, 1, 0))
            ThrowLastError(AnsiString("cannot protect the password field " + Name()));
    }
}

void TEdit::TabbedInto() {
    if (handle_) SendMessageW(handle_.Get(), EM_SETSEL, 0, -1);
}

void TEdit::Command(WORD code) {
    if (code == EN_SETFOCUS) Form()->FocusChanged();
}

WipedBuffer<wchar_t> TEdit::ReadText() const {
    const int length = TextLength();
    if (length <= 0) return {};
    WipedBuffer<wchar_t> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(handle_.Get(), text.Data(), length + 1);
    // Read as empty, the typed account would be refused without a word.
    if (copied <= 0) ThrowLastError(AnsiString("cannot read the text of " + Name()));
    text.SetLength(static_cast<size_t>(copied));
    return text;
}

int TEdit::TextLength() const { return handle_ ? GetWindowTextLengthW(handle_.Get()) : 0; }

void TEdit::WipeText() {
    text_ = {};
    if (!handle_) return;
    HWND field = handle_.Get();
    // The edit control copies the text a change deletes into a scratch block
    // that it frees uncleared, and leaves the characters past the text's new
    // end in its buffer (Wine's does). Deleted from the end one character at
    // a time, each scratch block holds one character and every place of the
    // buffer is overwritten by the terminator. Each step costs the length
    // of the text, so a long text (never a password that signs in) goes at
    // once.
    constexpr int kWipedOneByOne = 256;
    int length = GetWindowTextLengthW(field);
    if (length > kWipedOneByOne) {
        SetWindowTextW(field, L"");
        length = 0;
    }
    for (; length > 0; --length) {
        SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(length - 1), length);
        SendMessageW(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    SendMessageW(field, EM_EMPTYUNDOBUFFER, 0, 0);
}

AnsiString TEdit::GetText() const {
    if (!handle_) return text_;
    const WipedBuffer<wchar_t> text = ReadText();
    return Big5FromWide(std::wstring(text.View()));
}
