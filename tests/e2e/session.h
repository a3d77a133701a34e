#pragma once
// The sign-in program as the scenarios meet it: a fresh program with its
// sign-in window in front, what a person sees of it at one moment, and the steps
// several scenarios share.

#include <windows.h>

#include <string>
#include <vector>

#include "program_driver.h"
#include "program_texts.h"

namespace e2e {

// The program under test, as given on the driver's command line.
inline std::wstring programPath;

using namespace driver;
using namespace program_texts;

// A fresh program whose sign-in window is shown and in front.
struct Session {
    Program program;
    SignInWindow signIn;
    Clock::time_point shown;  // when the sign-in window was first seen

    // `arguments` go on the program's command line (it ignores them).
    explicit Session(const std::wstring& arguments = L"") : program(programPath, arguments) {
        Require(WaitUntil([&] { return program.Visible(L"Form1"); }, 20000),
                "the sign-in window did not show within 20 s");
        shown = Clock::now();
        Note("sign-in window shown " + std::to_string(MsBetween(program.Started(), shown)) + " ms after start");
        signIn = LookAt(program.Window(L"Form1"));
        Require(WaitUntil([&] { return GetForegroundWindow() == signIn.window; }, 3000),
                "the sign-in window did not come to the front");
    }

    std::wstring Status() const { return TextOf(signIn.status); }
    // Waits for the focus to reach `control`. The deadline is generous: after
    // a pasted megabyte Wine may take seconds to hand the program its next
    // click; where the time matters, the caller measures it.
    bool FocusOn(HWND control, int timeoutMs = 5000) {
        return WaitUntil([&] { return program.Focus() == control; }, timeoutMs);
    }
    // Clicks into a field and replaces what it holds with `text`.
    void Fill(HWND field, const std::wstring& text) {
        ClickAt(CenterOf(field));
        Require(FocusOn(field), "a click into a field gave it the focus");
        ClearFocusedField();
        Type(text);
    }
};

// What a person sees of the program at one moment.
struct Scene {
    bool form1 = false, form2 = false, form3 = false;
    RECT form1Rect{};
    bool box = false;
    std::wstring status, account;
    int passwordMasks = 0;  // as many as the field's width shows
};

inline Scene Look(Session& session) {
    Scene scene;
    scene.form1 = session.program.Visible(L"Form1");
    scene.form2 = session.program.Visible(L"Form2");
    scene.form3 = session.program.Visible(L"Form3");
    scene.form1Rect = RectOf(session.signIn.window);
    scene.box = session.program.MessageBox() != nullptr;
    scene.status = session.Status();
    scene.account = TextOf(session.signIn.account);
    scene.passwordMasks = MaskCountOf(session.signIn.password);
    return scene;
}

inline void ExpectUnchanged(const Scene& before, const Scene& after, const std::string& when) {
    Expect(after.form1 == before.form1 && after.form2 == before.form2 && after.form3 == before.form3,
           when + ": the visible windows changed");
    Expect(SameRect(after.form1Rect, before.form1Rect),
           when + ": the sign-in window moved to " + Describe(after.form1Rect));
    Expect(after.box == before.box, when + ": a message box appeared or went");
    Expect(after.status == before.status, when + ": the status line became " + Shown(after.status));
    Expect(after.account == before.account, when + ": the account field became " + Shown(after.account));
    Expect(after.passwordMasks == before.passwordMasks, when + ": the password field shows " +
                                                            std::to_string(after.passwordMasks) + " masks, not " +
                                                            std::to_string(before.passwordMasks));
}

// Types the accepted account into the fields and presses Enter, as a
// person does: click into the account field, type, Tab, type, Enter.
// Returns the moment just before the Enter.
inline Clock::time_point SignIn(Session& session) {
    ClickAt(CenterOf(session.signIn.account));
    Require(session.FocusOn(session.signIn.account), "the account field took the focus");
    Type(L"Tovi");
    Press(VK_TAB);
    Require(session.FocusOn(session.signIn.password), "Tab moved on to the password field");
    Type(L"906");
    const auto enter = Clock::now();
    Press(VK_RETURN);
    return enter;
}

// A scenario of the driver: its name on the command line, and its run.
struct Scenario {
    const char* name;
    void (*run)();
};
// The scenarios of hostile use (hostile.cpp): bad input and long use.
extern const std::vector<Scenario> hostileScenarios;
// The scenarios of other programs after the password (secrets.cpp).
extern const std::vector<Scenario> secretScenarios;

}  // namespace e2e
