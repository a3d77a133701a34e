// Hostile use of the sign-in program, from outside as a person would: huge
// pasted texts, characters that only look like the account's, attempts to
// copy the password out of its field, thousands of refused attempts and a
// long stream of random keys. The program must not crash, hang or leak, and
// only the exact account may get in.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "outside.h"
#include "session.h"

namespace e2e {
namespace {

// ---- a megabyte pasted ----

// About a million characters (2 MiB as the clipboard holds them, 1 MiB and
// more in Big5): the start of the accepted value, then ASCII letters and
// Chinese characters, so that a comparison that looked only at the start,
// or cut the text short, would let it in.
std::wstring Megabyte(const std::wstring& start) {
    std::wstring text = start;
    text.reserve(1u << 20);
    for (uint32_t i = 0; text.size() < (1u << 20); ++i)
        text.push_back(i % 5 == 4 ? static_cast<wchar_t>(0x4E00 + i % 3000) : static_cast<wchar_t>(L'a' + i % 26));
    return text;
}

// Pastes `text` into `field` with Ctrl+V; returns how long until the field
// showed all of it.
long long Paste(Session& session, HWND field, const std::wstring& text) {
    PutOnClipboard(text);
    ClickAt(CenterOf(field));
    Require(session.FocusOn(field), "a click into a field gave it the focus");
    ClearFocusedField();
    const auto pressed = Clock::now();
    PressWithCtrl('V');
    Require(WaitUntil([&] { return TextLengthOf(field) == static_cast<int>(text.size()); }, 20000),
            "the field shows all " + std::to_string(text.size()) + " pasted characters within 20 s, not " +
                std::to_string(TextLengthOf(field)));
    return MsSince(pressed);
}

void PastedMegabyte() {
    Session session;
    Require(WaitUntil([&] { return session.Status() == Prompt(); }, 2500), "the prompt shows at the first tick");
    const std::wstring hugeAccount = Megabyte(L"Tovi");
    const std::wstring hugePassword = Megabyte(L"906");
    struct Case {
        const char* what;
        const std::wstring* account;  // pasted when not null, else typed
        const wchar_t* typedAccount;
        const std::wstring* password;
        const wchar_t* typedPassword;
    };
    const Case cases[] = {{"a megabyte in the account field", &hugeAccount, nullptr, nullptr, L"906"},
                          {"a megabyte in the password field", nullptr, L"Tovi", &hugePassword, nullptr},
                          {"a megabyte in each field", &hugeAccount, nullptr, &hugePassword, nullptr}};
    for (const Case& c : cases) {
        long long pasteMs = 0;
        if (c.account) pasteMs += Paste(session, session.signIn.account, *c.account);
        else session.Fill(session.signIn.account, c.typedAccount);
        if (c.password) pasteMs += Paste(session, session.signIn.password, *c.password);
        else session.Fill(session.signIn.password, c.typedPassword);
        Require(session.FocusOn(session.signIn.password), "the focus is in the password field");
        const Scene before = Look(session);

        // OK by Enter, then Tab: the focus moves on to the No button once the
        // attempt has been handled.
        const auto enter = Clock::now();
        Press(VK_RETURN, false, 0);
        Press(VK_TAB, false, 0);
        const bool moved = session.FocusOn(session.signIn.noButton, 5000);
        const long long answeredMs = MsSince(enter);
        const auto asked = Clock::now();
        const std::wstring status = session.Status();
        const long long readMs = MsSince(asked);
        Expect(moved && answeredMs < 1000, std::string(c.what) + ": Tab after Enter moved the focus " +
                                               std::to_string(answeredMs) + " ms after Enter (1000 at most)");
        Expect(status == Prompt() && readMs < 1000, std::string(c.what) + ": the status line read " +
                                                        Shown(status) + " in " + std::to_string(readMs) + " ms");
        Pause(300);
        ExpectUnchanged(before, Look(session), c.what);
        Expect(!session.program.Ended(), std::string(c.what) + ": the program still runs");
        Note(std::string("refused: ") + c.what + " (pasted in " + std::to_string(pasteMs) +
             " ms); focus moved by Tab " + std::to_string(answeredMs) + " ms after Enter");
    }
    // The right account still gets in.
    session.Fill(session.signIn.account, L"Tovi");
    session.Fill(session.signIn.password, L"906");
    Press(VK_RETURN);
    Expect(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 2000) &&
               !session.program.Visible(L"Form1"),
           "after the pasted texts the right account signs in");
}

// ---- characters that are not the account's ----

// Characters with no Big5 form (emoji, combining marks, invisible format
// and control characters) and look-alikes of the account's letters and the
// password's digits, typed one by one. The look-alikes that
// refuse-look-alikes already types (full-width T and digits, o with
// diaeresis, i with grave accent, Cyrillic o, letter O for zero) are not
// repeated.
void RefuseCharactersNotBig5() {
    Refusals({
        {"emoji after the account", Utf16(u8"Tovi\U0001F600"), L"906", false},
        {"emoji in place of the i", Utf16(u8"Tov\U0001F6B9"), L"906", false},
        {"emoji after the password", L"Tovi", Utf16(u8"906\U0001F512"), false},
        {"o and a combining diaeresis", Utf16(u8"To\u0308vi"), L"906", false},
        {"combining acute after the account", Utf16(u8"Tovi\u0301"), L"906", false},
        {"9 in a combining circle", L"Tovi", Utf16(u8"9\u20DD06"), true},
        {"zero-width space in the account", Utf16(u8"To\u200Bvi"), L"906", false},
        {"zero-width joiner after the account", Utf16(u8"Tovi\u200D"), L"906", false},
        {"byte order mark before the account", Utf16(u8"\uFEFFTovi"), L"906", false},
        {"soft hyphen in the account", Utf16(u8"To\u00ADvi"), L"906", false},
        {"right-to-left override before the account", Utf16(u8"\u202ETovi"), L"906", false},
        {"next-line control after the account", Utf16(u8"Tovi\u0085"), L"906", false},
        {"left-to-right mark in the password", L"Tovi", Utf16(u8"90\u200E6"), false},
        {"Greek capital tau", Utf16(u8"\u03A4ovi"), L"906", false},
        {"Cyrillic capital te", Utf16(u8"\u0422ovi"), L"906", true},
        {"Cherokee letter that looks like T", Utf16(u8"\u13A2ovi"), L"906", false},
        {"mathematical bold T", Utf16(u8"\U0001D413ovi"), L"906", false},
        {"small capital o", Utf16(u8"T\u1D0Fvi"), L"906", false},
        {"Greek omicron", Utf16(u8"T\u03BFvi"), L"906", false},
        {"Greek nu for the v", Utf16(u8"To\u03BDi"), L"906", false},
        {"dotless i", Utf16(u8"Tov\u0131"), L"906", false},
        {"Cyrillic i", Utf16(u8"Tov\u0456"), L"906", false},
        {"circled digits", L"Tovi", Utf16(u8"\u2468\u24EA\u2465"), false},
        {"superscript digits", L"Tovi", Utf16(u8"\u2079\u2070\u2076"), false},
        {"Arabic-Indic digits", L"Tovi", Utf16(u8"\u0669\u0660\u0666"), false},
        {"mathematical bold digits", L"Tovi", Utf16(u8"\U0001D7D7\U0001D7CE\U0001D7D4"), false},
        {"Cyrillic be for the 6", L"Tovi", Utf16(u8"90\u0431"), false},
        {"Cyrillic O for the zero", L"Tovi", Utf16(u8"9\u041E6"), false},
    });
}

// ---- the masked password ----

// Selects all of the focused field's text from the keyboard.
void SelectAll() {
    Press(VK_HOME);
    Press(VK_END, /*shift=*/true);
}

// Opens the field's context menu with a right-click and chooses an item by
// its underlined letter; true when the menu opened and closed again.
bool FromContextMenu(Session& session, HWND field, WORD letter) {
    RightClickAt(CenterOf(field));
    if (!WaitUntil([&] { return session.program.PopupMenu() != nullptr; }, 2000)) return false;
    Pause(150);
    Press(letter);
    if (WaitUntil([&] { return session.program.PopupMenu() == nullptr; }, 1000)) return true;
    // The item could not be chosen (greyed): the menu stays; close it.
    Press(VK_ESCAPE);
    return WaitUntil([&] { return session.program.PopupMenu() == nullptr; }, 1000);
}

// The ways a person copies or cuts a selection out of a field.
struct CopyRoute {
    const char* what;
    bool cuts;
    std::function<bool(Session&, HWND)> run;  // false when the route could not be taken
};

std::vector<CopyRoute> CopyRoutes() {
    auto keys = [](WORD key, bool ctrl, bool shift) {
        return [=](Session&, HWND) {
            SelectAll();
            if (ctrl) PressWithCtrl(key);
            else Press(key, shift);
            return true;
        };
    };
    auto typed = [](wchar_t character) {
        return [=](Session&, HWND) {
            SelectAll();
            Type(std::wstring(1, character));
            return true;
        };
    };
    auto menu = [](WORD letter) {
        return [=](Session& session, HWND field) {
            SelectAll();
            return FromContextMenu(session, field, letter);
        };
    };
    return {
        {"Ctrl+C", false, keys('C', true, false)},
        {"Ctrl+Insert", false, keys(VK_INSERT, true, false)},
        {"the character Ctrl+C types (U+0003)", false, typed(L'\x03')},
        {"the context menu's Copy", false, menu('C')},
        {"Ctrl+X", true, keys('X', true, false)},
        {"Shift+Delete", true, keys(VK_DELETE, false, true)},
        {"the character Ctrl+X types (U+0018)", true, typed(L'\x18')},
        {"the context menu's Cut", true, menu('T')},
    };
}

void PasswordShowsOnlyMasksAndGivesNothing() {
    Session session;
    const SignInWindow& w = session.signIn;

    // What the field shows: the same pixels as the account field showing
    // three asterisks (the two fields have the same size and font). The
    // focus is on a button, so no caret blinks in either.
    session.Fill(w.account, L"***");
    session.Fill(w.password, L"906");
    const LONG_PTR style = GetWindowLongPtrW(w.password, GWL_STYLE);
    Expect((style & ES_PASSWORD) && SendMessageW(w.password, EM_GETPASSWORDCHAR, 0, 0) == L'*' &&
               TextLengthOf(w.password) == 3,
           "the password field is masked with '*' and holds 3 characters");
    Press(VK_TAB);
    Require(session.FocusOn(w.noButton), "Tab from the password field reaches the No button");
    Pause(300);
    const RECT accountRect = RectOf(w.account), passwordRect = RectOf(w.password);
    Require(accountRect.right - accountRect.left == passwordRect.right - passwordRect.left &&
                accountRect.bottom - accountRect.top == passwordRect.bottom - passwordRect.top,
            "the two fields have the same size");
    const std::vector<COLORREF> masked = ScreenPixels(RectOf(w.password));
    Expect(ScreenPixels(RectOf(w.account)) == masked, "the password field looks like a field showing \"***\"");
    // The comparison sees a difference where there is one.
    session.Fill(w.account, L"906");
    Press(VK_TAB);
    Press(VK_TAB);
    Require(session.FocusOn(w.noButton), "Tab twice from the account field reaches the No button");
    Pause(300);
    Expect(ScreenPixels(RectOf(w.account)) != masked, "the account field showing \"906\" looks different");

    // Copying out. Each route is first taken in the account field, where it
    // must copy (else the route itself does not work here), then in the
    // password field, where the clipboard must keep its sentinel.
    const std::wstring sentinel = L"sentinel " + std::to_wstring(GetTickCount());
    for (const CopyRoute& route : CopyRoutes()) {
        session.Fill(w.account, L"abc");
        PutOnClipboard(sentinel);
        Require(route.run(session, w.account), std::string(route.what) + " could be taken in the account field");
        Require(WaitUntil([&] { return ClipboardText() == L"abc"; }, 1000),
                std::string(route.what) + " in the account field put " + Shown(ClipboardText()) +
                    " on the clipboard, not \"abc\"");
        session.Fill(w.password, L"906");
        PutOnClipboard(sentinel);
        const bool taken = route.run(session, w.password);
        Expect(taken, std::string(route.what) + " could be taken in the password field");
        Pause(300);
        const std::wstring got = ClipboardText();
        Expect(got == sentinel, std::string(route.what) + " in the password field put " + Shown(got) +
                                    " on the clipboard");
        Expect(TextLengthOf(w.password) == 3, std::string(route.what) + " left " +
                                                  std::to_string(TextLengthOf(w.password)) +
                                                  " characters in the password field");
        Expect(!session.program.Ended() && !session.program.MessageBox(),
               std::string(route.what) + ": the program runs on, no box");
        Note(std::string(route.what) + ": the account field copied; the password field gave " +
             (got == sentinel ? std::string("nothing") : Shown(got)));
    }
    // The password field still holds what was typed last: the right
    // account gets in.
    session.Fill(w.account, L"Tovi");
    ClickAt(CenterOf(w.password));
    Require(session.FocusOn(w.password), "a click into the password field gave it the focus");
    Press(VK_END);
    Press(VK_RETURN);
    Expect(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 2000),
           "the password typed last still signs in");
}

}  // namespace

const std::vector<Scenario> hostileScenarios = {
    {"password-masked", PasswordShowsOnlyMasksAndGivesNothing},
    {"paste-megabyte", PastedMegabyte},
    {"refuse-not-big5", RefuseCharactersNotBig5},
};

}  // namespace e2e
