#include "edit.h"

#include <algorithm>
#include <imm.h>
#include <iterator>

#include "application.h"
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

class TEdit::OwnCall {
public:
    explicit OwnCall(const TEdit& field) : field_(field), previous_(field.ownCall_) { field_.ownCall_ = true; }
    ~OwnCall() { field_.ownCall_ = previous_; }
    OwnCall(const OwnCall&) = delete;
    OwnCall& operator=(const OwnCall&) = delete;

private:
    const TEdit& field_;
    bool previous_;
};

namespace {
// A masked field's buffer holds this many characters from the start (see
// ReserveRoom), and up to this many are erased one at a time.
constexpr DWORD kRoom = 1024;

struct Selection {
    DWORD start = 0, end = 0;
};
Selection SelectionOf(HWND field) {
    Selection selection;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&selection.start),
                 reinterpret_cast<LPARAM>(&selection.end));
    return selection;
}

// What a masked field passes on to the edit control from anyone: typing and
// keys, focus, the mouse, painting, sizing, its making and going, the caret
// and the selection, and what the system sends every window. Everything
// else, from another program or the system, is refused.
constexpr UINT kPassedOn[] = {
    // keys and focus (typing itself is handled below)
    WM_KEYUP, WM_SYSKEYUP, WM_SYSCHAR, WM_DEADCHAR, WM_SYSDEADCHAR, WM_SETFOCUS, WM_KILLFOCUS, WM_MOUSEACTIVATE,
    // the mouse, beside the button and move messages
    WM_SETCURSOR, WM_NCHITTEST, WM_CAPTURECHANGED, WM_CONTEXTMENU,
    // painting, sizing, making and going
    WM_PAINT, WM_NCPAINT, WM_ERASEBKGND, WM_SIZE, WM_MOVE, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCCALCSIZE,
    WM_GETMINMAXINFO, WM_SHOWWINDOW, WM_STYLECHANGING, WM_STYLECHANGED, WM_SETFONT, WM_GETFONT, WM_ENABLE, WM_DESTROY,
    WM_NCDESTROY,
    // the caret and the selection; whether the mask or an undo is there
    EM_GETSEL, EM_SETSEL, EM_SCROLLCARET, EM_GETPASSWORDCHAR, EM_CANUNDO, WM_TIMER,
    // what the system sends every window (WM_GETOBJECT: screen readers)
    WM_GETDLGCODE, WM_GETOBJECT, WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_THEMECHANGED, WM_CHANGEUISTATE,
    WM_UPDATEUISTATE, WM_QUERYUISTATE, WM_INPUTLANGCHANGE, WM_INPUTLANGCHANGEREQUEST, WM_CANCELMODE,
    WM_DPICHANGED_BEFOREPARENT, WM_DPICHANGED_AFTERPARENT};
bool PassedOn(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           std::find(std::begin(kPassedOn), std::end(kPassedOn), message) != std::end(kPassedOn);
}
}  // namespace

LRESULT TEdit::CallEditControl(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!editControlProc_) return SendMessageW(handle_.Get(), message, wParam, lParam);
    return CallWindowProcW(editControlProc_, handle_.Get(), message, wParam, lParam);
}

// Deletes the characters from `from` to `to` without undo, one at a time
// from the last: the edit control copies what a change deletes into a
// scratch block that it frees uncleared (Wine's does), so each such block
// holds one character, and each step moves the terminator over the place
// it frees. Each step costs the length of the text, so a stretch longer
// than any password the buffer holds goes at once.
void TEdit::EraseWithoutTrace(DWORD from, DWORD to) const {
    if (to > from && to - from > kRoom) {
        CallEditControl(EM_SETSEL, from, to);
        CallEditControl(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        return;
    }
    for (DWORD end = to; end > from; --end) {
        CallEditControl(EM_SETSEL, end - 1, end);
        CallEditControl(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
}

bool TEdit::EraseSelection() const {
    const Selection selection = SelectionOf(handle_.Get());
    if (selection.start == selection.end) return false;
    EraseWithoutTrace(selection.start, selection.end);
    return true;
}

// A masked field gives its text to no one and keeps no trace of it:
// - It passes on only what a password field needs (PassedOn); every other
//   message, whoever sends it, gets the answer of an empty field that
//   cannot be changed: 0. So another program cannot set a word-break
//   procedure (the edit control would call it with the whole text), replace
//   or set the text around the erase below, or reach the input method's
//   messages. Only the program's own calls, marked by OwnCall, pass
//   whatever they are, whoever's message the program is handling meanwhile.
// - Copy and Cut are refused however they arrive. Wine's edit control
//   honours the mask only for Ctrl+C and Ctrl+X, and copies on Ctrl+Insert
//   and cuts on Shift+Delete without sending itself WM_COPY or WM_CUT, so
//   those two keys are swallowed here.
// - Its text is read only by the program's own reads: every other reader
//   gets an empty text, as Windows gives for a password field (Wine would
//   hand it over).
// - The mask stays: EM_SETPASSWORDCHAR is refused however it arrives
//   ("password revealers" send 0). The field's mask is set before this
//   procedure is attached and never changes after.
// - Nothing splits the password into words: a double-click selects it all,
//   Ctrl+Left and Ctrl+Right move as Home and End, and Ctrl+Backspace and
//   Ctrl+Delete delete to the start and the end.
// - What the user deletes or types over is erased here first, without
//   undo, and the undo is emptied after every key: the edit control would
//   keep deleted text for its undo, and its own emptying of the undo clears
//   only the first character.
LRESULT CALLBACK TEdit::MaskedFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const TEdit* field = MaskedFieldOf(hwnd);
    if (!field) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (field->ownCall_) return field->CallEditControl(message, wParam, lParam);
    bool emptyUndo = false;
    switch (message) {
    case WM_KEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
        if (wParam == VK_INSERT && control && !shift) return 0;  // Copy
        if (wParam == VK_DELETE && shift && !control) return 0;  // Cut
        if (wParam == VK_DELETE && !shift) {
            if (field->EraseSelection()) return 0;
            const Selection caret = SelectionOf(hwnd);
            const auto length = static_cast<DWORD>(field->TextLength());
            field->EraseWithoutTrace(caret.start, control ? length : std::min(caret.start + 1, length));
            return 0;
        }
        if (wParam == VK_INSERT && shift && !control) field->EraseSelection();  // Paste over it
        if ((wParam == VK_LEFT || wParam == VK_RIGHT) && control) wParam = wParam == VK_LEFT ? VK_HOME : VK_END;
        emptyUndo = true;
        break;
    }
    case WM_CHAR:
        // Ctrl+Backspace comes as DEL: it deletes to the start.
        if ((wParam == VK_BACK && GetKeyState(VK_CONTROL) >= 0) || wParam == 0x7F) {
            if (field->EraseSelection()) return 0;
            const Selection caret = SelectionOf(hwnd);
            if (caret.start > 0) field->EraseWithoutTrace(wParam == 0x7F ? 0 : caret.start - 1, caret.start);
            return 0;
        }
        if (wParam >= L' ') field->EraseSelection();  // typed over it
        emptyUndo = true;
        break;
    case WM_LBUTTONDBLCLK: return field->CallEditControl(EM_SETSEL, 0, -1);
    case WM_PASTE:
        field->EraseSelection();
        emptyUndo = true;
        break;
    case WM_CLEAR: field->EraseSelection(); return 0;
    case WM_SYSKEYDOWN:
    case WM_UNDO:
    case EM_UNDO: emptyUndo = true; break;
    case WM_GETTEXT:
        // A sent message's buffer is the sender's (or the system's copy of
        // it); a posted message brings no buffer to write to.
        if (InSendMessage() && wParam > 0 && lParam) *reinterpret_cast<wchar_t*>(lParam) = L'\0';
        return 0;
    default:
        if (!PassedOn(message)) return 0;
        break;
    }
    const LRESULT result = field->CallEditControl(message, wParam, lParam);
    if (emptyUndo) field->CallEditControl(EM_EMPTYUNDOBUFFER, 0, 0);
    return result;
}

const TEdit* TEdit::MaskedFieldOf(HWND hwnd) {
    for (const TCustomForm* form : Application->Forms())
        for (const TControl* control : form->Controls())
            if (control->Handle() == hwnd)
                if (const auto* field = dynamic_cast<const TEdit*>(control); field && field->editControlProc_)
                    return field;
    return nullptr;
}

// The edit control grows its buffer in steps as text is typed, and a
// buffer that moves leaves what it held (the head of a password) in freed
// memory. A masked field's is made to hold kRoom characters at once, with
// text that is no secret, and kept: taking text out never shrinks it.
void TEdit::ReserveRoom() {
    const std::wstring filler(kRoom, L'-'), designed = WideFromBig5(text_);
    SendMessageW(handle_.Get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
    SendMessageW(handle_.Get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(designed.c_str()));
}

TEdit::~TEdit() {
    if (editControlProc_) SetWindowLongPtrW(handle_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editControlProc_));
    handle_.Reset();
}

void TEdit::HandleCreated() {
    if (PasswordChar) ReserveRoom();
    // 0 lifts the edit control's default limit of 32767 characters.
    SendMessageW(handle_.Get(), EM_SETLIMITTEXT, static_cast<WPARAM>(MaxLength), 0);
    if (PasswordChar) {
        const std::wstring mask = WideFromBig5(AnsiString(&PasswordChar, 1));
        SendMessageW(handle_.Get(), EM_SETPASSWORDCHAR, mask.empty() ? L'*' : mask[0], 0);
        // The window's procedure, which no other program can change (unlike
        // its user data or properties). Reported: unprotected, the password
        // could be copied out.
        editControlProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handle_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MaskedFieldProc)));
        if (!editControlProc_) ThrowLastError(AnsiString("cannot protect the password field " + Name()));
        // No input method: its composition window would show what is typed.
        if (!ImmAssociateContextEx(handle_.Get(), nullptr, 0))
            ThrowLastError(AnsiString("cannot turn off the input method of " + Name()));
    }
}

void TEdit::TabbedInto() {
    if (handle_) SendMessageW(handle_.Get(), EM_SETSEL, 0, -1);
}

void TEdit::Command(WORD code) {
    if (code == EN_SETFOCUS) Form().FocusChanged();
}

WipedBuffer<wchar_t> TEdit::ReadText() const {
    OwnCall own(*this);
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
    OwnCall own(*this);
    return GetWindowTextLengthW(handle_.Get());
}

void TEdit::WipeText() {
    text_ = {};
    if (!handle_) return;
    EraseWithoutTrace(0, static_cast<DWORD>(TextLength()));
    CallEditControl(EM_EMPTYUNDOBUFFER, 0, 0);
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
