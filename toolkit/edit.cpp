#include "edit.h"

#include <algorithm>
#include <commctrl.h>
#include <imm.h>

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

class TEdit::OwnRead {
public:
    explicit OwnRead(const TEdit& field) : field_(field), previous_(field.readingOwnText_) {
        field_.readingOwnText_ = true;
    }
    ~OwnRead() { field_.readingOwnText_ = previous_; }
    OwnRead(const OwnRead&) = delete;
    OwnRead& operator=(const OwnRead&) = delete;

private:
    const TEdit& field_;
    bool previous_;
};

namespace {
// Deletes the characters from `from` to `to` without undo, one at a time
// from the last: the edit control copies what a change deletes into a
// scratch block that it frees uncleared (Wine's does), so each such block
// holds one character, and each step moves the terminator over the place
// it frees. Each step costs the length of the text, so a long stretch
// (never a password that signs in) goes at once.
void EraseWithoutTrace(HWND field, DWORD from, DWORD to) {
    constexpr DWORD kOneByOne = 256;
    if (to > from && to - from > kOneByOne) {
        SendMessageW(field, EM_SETSEL, from, to);
        SendMessageW(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        return;
    }
    for (DWORD end = to; end > from; --end) {
        SendMessageW(field, EM_SETSEL, end - 1, end);
        SendMessageW(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
}

struct Selection {
    DWORD start = 0, end = 0;
};
Selection SelectionOf(HWND field) {
    Selection selection;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&selection.start),
                 reinterpret_cast<LPARAM>(&selection.end));
    return selection;
}

// Erases the selection without trace; true if there was one.
bool EraseSelection(HWND field) {
    const Selection selection = SelectionOf(field);
    if (selection.start == selection.end) return false;
    EraseWithoutTrace(field, selection.start, selection.end);
    return true;
}
}  // namespace

// A masked field gives its text to no one and keeps no trace of it:
// - Copy and Cut are refused however they arrive (keys, the context menu, or
//   a message from another program). Wine's edit control honours the mask
//   only for Ctrl+C and Ctrl+X, and copies on Ctrl+Insert and cuts on
//   Shift+Delete without sending itself WM_COPY or WM_CUT, so those two keys
//   are swallowed here.
// - Its text is read only by the program's own reads, marked by OwnRead:
//   every other reader, another program or the program's thread on its
//   behalf, gets an empty text, as Windows gives for a password field (Wine
//   would hand it over).
// - The mask stays: EM_SETPASSWORDCHAR is refused however it arrives (sent
//   or posted by another program, "password revealers" send 0). The field's
//   mask is set before this procedure is attached and never changes after.
// - What the user deletes or types over is erased here first, without
//   undo, and the undo is emptied after every key: the edit control would
//   keep deleted text for its undo, and its own emptying of the undo clears
//   only the first character.
LRESULT CALLBACK TEdit::MaskedFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    const auto* field = reinterpret_cast<const TEdit*>(data);
    bool emptyUndo = false;
    switch (message) {
    case WM_COPY:
    case WM_CUT: return 0;
    case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
        if (wParam == VK_INSERT && control && !shift) return 0;  // Copy
        if (wParam == VK_DELETE && shift && !control) return 0;  // Cut
        if (wParam == VK_DELETE && !shift) {
            if (EraseSelection(hwnd)) return 0;
            const Selection caret = SelectionOf(hwnd);
            OwnRead own(*field);
            const auto length = static_cast<DWORD>(GetWindowTextLengthW(hwnd));
            // Ctrl+Delete deletes to the end, as the edit control does.
            EraseWithoutTrace(hwnd, caret.start, control ? length : std::min(caret.start + 1, length));
            return 0;
        }
        if (wParam == VK_INSERT && shift && !control) EraseSelection(hwnd);  // Paste over it
        emptyUndo = true;
        break;
    }
    case WM_CHAR:
        if (wParam == VK_BACK && GetKeyState(VK_CONTROL) >= 0) {
            if (EraseSelection(hwnd)) return 0;
            const Selection caret = SelectionOf(hwnd);
            if (caret.start > 0) EraseWithoutTrace(hwnd, caret.start - 1, caret.start);
            return 0;
        }
        if (wParam >= L' ') EraseSelection(hwnd);  // typed over it
        emptyUndo = true;
        break;
    case WM_PASTE:
        EraseSelection(hwnd);
        emptyUndo = true;
        break;
    case WM_CLEAR: EraseSelection(hwnd); return 0;
    case WM_SYSKEYDOWN:
    case WM_UNDO:
    case EM_UNDO: emptyUndo = true; break;
    case WM_GETTEXT:
        if (field->readingOwnText_) break;
        // A sent message's buffer is the sender's (or the system's copy of
        // it); a posted message brings no buffer to write to.
        if (InSendMessage() && wParam > 0 && lParam) *reinterpret_cast<wchar_t*>(lParam) = L'\0';
        return 0;
    case WM_GETTEXTLENGTH:
    case EM_GETLINE:
        if (field->readingOwnText_) break;
        return 0;
    case EM_SETPASSWORDCHAR: return 0;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, MaskedFieldProc, 1); break;
    default: break;
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (emptyUndo) DefSubclassProc(hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
    return result;
}

void TEdit::HandleCreated() {
    // 0 lifts the edit control's default limit of 32767 characters.
    SendMessageW(handle_.Get(), EM_SETLIMITTEXT, static_cast<WPARAM>(MaxLength), 0);
    if (PasswordChar) {
        const std::wstring mask = WideFromBig5(AnsiString(&PasswordChar, 1));
        SendMessageW(handle_.Get(), EM_SETPASSWORDCHAR, mask.empty() ? L'*' : mask[0], 0);
        // Reported: unprotected, the password could be copied out.
        if (!SetWindowSubclass(handle_.Get(), MaskedFieldProc, 1, reinterpret_cast<DWORD_PTR>(this)))
            ThrowLastError(AnsiString("cannot protect the password field " + Name()));
        // No input method: its composition window would show what is typed.
        if (!ImmAssociateContextEx(handle_.Get(), nullptr, 0))
            ThrowLastError(AnsiString("cannot turn off the input method of " + Name()));
    }
}

void TEdit::TabbedInto() {
    if (handle_) SendMessageW(handle_.Get(), EM_SETSEL, 0, -1);
}

void TEdit::Command(WORD code) {
    if (code == EN_SETFOCUS) Form()->FocusChanged();
}

WipedBuffer<wchar_t> TEdit::ReadText() const {
    OwnRead own(*this);
    const int length = TextLength();
    if (length <= 0) return {};
    WipedBuffer<wchar_t> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(handle_.Get(), text.Data(), length + 1);
    // Read as empty, the typed account would be refused without a word.
    if (copied <= 0) ThrowLastError(AnsiString("cannot read the text of " + Name()));
    text.SetLength(static_cast<size_t>(copied));
    return text;
}

int TEdit::TextLength() const {
    if (!handle_) return 0;
    OwnRead own(*this);
    return GetWindowTextLengthW(handle_.Get());
}

void TEdit::WipeText() {
    text_ = {};
    if (!handle_) return;
    EraseWithoutTrace(handle_.Get(), 0, static_cast<DWORD>(TextLength()));
    SendMessageW(handle_.Get(), EM_EMPTYUNDOBUFFER, 0, 0);
}

// A masked field refuses: its text would be left behind in a plain string
// that no one wipes. The program reads it only through ReadText.
AnsiString TEdit::GetText() const {
    if (PasswordChar)
        throw Exception(AnsiString("the text of the masked field " + Name() + " is read only through ReadText"));
    if (!handle_) return text_;
    const WipedBuffer<wchar_t> text = ReadText();
    return Big5FromWide(std::wstring(text.View()));
}
