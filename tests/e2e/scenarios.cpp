// End-to-end scenarios: the built sign-in program started as its own
// process and used as a person uses it, from the keyboard and the mouse,
// judged by what shows on the screen and by how the process ends.
//
//   e2e_driver PROGRAM.exe SCENARIO
//   e2e_driver PROGRAM.exe screenshots DIRECTORY
//
// Each scenario starts a fresh program. The screenshots run walks through
// the steps a person sees and, at each, asks the script that runs it for a
// picture of the screen (see scripts/screenshots).

#include <windows.h>

#include <cstdio>
#include <map>
#include <oleacc.h>
#include <string>
#include <utility>
#include <vector>

#include "program_driver.h"
#include "session.h"

using namespace e2e;

namespace {

// ---- one sign-in ----

void OneSignIn() {
    Session session;
    Expect(!session.program.Visible(L"Form2") && !session.program.Visible(L"Form3"),
           "only the sign-in window shows at start");
    ClickAt(CenterOf(session.signIn.account));
    Require(session.FocusOn(session.signIn.account), "the account field took the focus");
    Type(L"Tovi");
    Press(VK_TAB);
    Type(L"906");
    Expect(WaitUntil([&] { return TextOf(session.signIn.account) == L"Tovi"; }, 5000),
           "the account field shows " + Shown(TextOf(session.signIn.account)));
    Expect(WaitUntil([&] { return ShowsMasks(session.signIn.password, 3); }, 5000),
           "the password field shows 3 masks, not " + std::to_string(MaskCountOf(session.signIn.password)));

    // Signed in with the mouse: a click on OK.
    ClickAt(CenterOf(session.signIn.okButton));
    Require(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 5000),
            "the wait window did not show within 5 s of the click on OK");
    Expect(!session.program.Visible(L"Form1"), "the sign-in window is gone once the wait window shows");
    Expect(GetForegroundWindow() == session.program.Window(L"Form2"), "the wait window is in front");
    Require(WaitUntil([&] { return session.program.Visible(L"Form3"); }, 3000),
            "the main window did not show within 3 s");
    Expect(WaitUntil([&] { return !session.program.Visible(L"Form2"); }, 2000),
           "the main window replaces the wait window");
    Expect(WaitUntil([&] { return GetForegroundWindow() == session.program.Window(L"Form3"); }, 2000),
           "the main window is in front");
    Expect(!session.program.Visible(L"Form1") && !session.program.Ended(), "the main window stays, alone");
}

// ---- what a screen reader says ----

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

// Each caption is read as its text, and each field by the caption on its
// line.
void ScreenReaderNames() {
    Session session;
    const SignInWindow& w = session.signIn;
    const std::wstring account = Trimmed(AccountCaption()), password = Trimmed(PasswordCaption());
    Expect(Trimmed(AccessibleNameOf(w.accountCaption)) == account,
           "the account caption is read as " + Shown(AccessibleNameOf(w.accountCaption)));
    Expect(Trimmed(AccessibleNameOf(w.passwordCaption)) == password,
           "the password caption is read as " + Shown(AccessibleNameOf(w.passwordCaption)));
    Expect(Trimmed(AccessibleNameOf(w.account)) == account,
           "the account field is read as " + Shown(AccessibleNameOf(w.account)));
    Expect(Trimmed(AccessibleNameOf(w.password)) == password,
           "the password field is read as " + Shown(AccessibleNameOf(w.password)));
    for (const auto& [button, name] : {std::pair{w.noButton, L"No"}, std::pair{w.okButton, L"OK"}})
        Expect(AccessibleNameOf(button) == name, "a button is read as " + Shown(AccessibleNameOf(button)));
    Note("names read: " + Shown(AccessibleNameOf(w.accountCaption)) + ", " + Shown(AccessibleNameOf(w.account)) + ", " +
         Shown(AccessibleNameOf(w.passwordCaption)) + ", " + Shown(AccessibleNameOf(w.password)));
}

// The accessible name of what an event names, read as a screen reader
// reads it on hearing the event (oleacc); "<none>" when it has none.
std::wstring NameOnEvent(HWND window, LONG object, LONG child) {
    std::wstring name = L"<none>";
    IAccessible* accessible = nullptr;
    VARIANT item;
    VariantInit(&item);
    if (SUCCEEDED(AccessibleObjectFromEvent(window, object, child, &accessible, &item)) && accessible) {
        BSTR text = nullptr;
        if (SUCCEEDED(accessible->get_accName(item, &text)) && text) name.assign(text, SysStringLen(text));
        SysFreeString(text);
        accessible->Release();
    }
    VariantClear(&item);
    return name;
}

// Handles what has already reached this thread (accessibility events).
void TakeWhatCame() {
    WaitUntil([] { return true; }, 0);
}

// What an out-of-context hook on the program's process hears, the way
// screen readers listen: name changes and live-region changes, each with
// the accessible name read as it arrives; and where the focus went last.
class Listener {
public:
    struct Heard {
        DWORD event;
        HWND window;
        LONG object, child;
        std::wstring name;
        Clock::time_point at;
    };

    explicit Listener(DWORD processId) {
        heard_ = &events_;
        hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, Hear, processId, 0,
                                WINEVENT_OUTOFCONTEXT);
        Require(hook_ != nullptr, "cannot listen to the program's accessibility events");
    }
    ~Listener() {
        UnhookWinEvent(hook_);
        heard_ = nullptr;
    }
    // Events of one program come in the order it raised them: once its
    // focus moving to `window` is heard, whatever it raised before has been.
    bool FocusHeardOn(HWND window) const { return focus_ == window; }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Heard while the driver waits (WaitUntil pumps its messages).
    const std::vector<Heard>& Events() const { return events_; }
    // How many events of a kind came with this name (trailing spaces aside).
    int Count(DWORD event, const std::wstring& name) const {
        int count = 0;
        for (const Heard& heard : events_) count += heard.event == event && Trimmed(heard.name) == name;
        return count;
    }

private:
    static void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
        if (event == EVENT_OBJECT_FOCUS) focus_ = window;
        if (!heard_ || (event != EVENT_OBJECT_NAMECHANGE && event != EVENT_OBJECT_LIVEREGIONCHANGED)) return;
        // Kept in the order heard: reading the name waits on the program,
        // and the next event can be heard meanwhile.
        std::vector<Heard>& events = *heard_;
        events.push_back({event, window, object, child, L"", Clock::now()});
        const size_t index = events.size() - 1;
        events[index].name = NameOnEvent(window, object, child);
    }

    // The hook's callback carries no context.
    static inline std::vector<Heard>* heard_ = nullptr;
    static inline HWND focus_ = nullptr;
    HWINEVENTHOOK hook_ = nullptr;
    std::vector<Heard> events_;
};

// The status line speaks: its prompt and its signing-in text are each heard
// once, as a name change and a live-region change of the status line, whose
// name then reads the new text; a refusal says nothing. The wait window's
// lines are read as their texts.
void StatusLineHeard() {
    Session session;
    Listener listener(session.program.Id());
    if (session.Status() != BlankStatus()) throw Inconclusive("the prompt came before the listening began");
    const auto heard = [&](const std::wstring& text) {
        return listener.Count(EVENT_OBJECT_NAMECHANGE, text) >= 1 &&
               listener.Count(EVENT_OBJECT_LIVEREGIONCHANGED, text) >= 1;
    };
    const std::wstring prompt = Trimmed(Prompt()), signingIn = Trimmed(SigningIn(L"Tovi"));
    Require(WaitUntil([&] { return heard(prompt); }, 2500), "the prompt was not heard within 2.5 s");
    session.Fill(session.signIn.account, L"Tovi");
    session.Fill(session.signIn.password, L"609");
    const size_t beforeRefusal = listener.Events().size();
    Press(VK_RETURN);
    // Keys are handled in order, and their events heard in order: once the
    // focus moving on by Tab is heard, so is whatever the Enter raised.
    Press(VK_TAB);
    Require(WaitUntil([&] { return listener.FocusHeardOn(session.signIn.noButton); }, 5000),
            "Tab from the password field was not heard reaching the No button");
    Expect(listener.Events().size() == beforeRefusal, "a refusal was heard");
    session.Fill(session.signIn.password, L"906");
    Press(VK_RETURN);
    Require(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 5000), "the wait window shows");
    Expect(WaitUntil([&] { return heard(signingIn); }, 5000), "the signing-in text was not heard");
    const WaitWindow wait = LookAtWait(session.program.Window(L"Form2"));
    for (const auto& [line, text] :
         {std::pair{wait.upperLine, Trimmed(WaitUpperLine())}, std::pair{wait.lowerLine, Trimmed(WaitLowerLine())}}) {
        const std::wstring name = NameOnEvent(line, OBJID_CLIENT, CHILDID_SELF);
        Expect(Trimmed(name) == text, "a line of the wait window is read as " + Shown(name));
        Note("wait window line read as " + Shown(name));
    }
    // Anything said twice would have come by the time the main window shows.
    Require(WaitUntil([&] { return session.program.Visible(L"Form3"); }, 3000), "the main window shows");
    TakeWhatCame();

    int fromStatus = 0;
    for (const Listener::Heard& event : listener.Events()) {
        const bool status = event.window == session.signIn.status;
        fromStatus += status;
        if (status)
            Expect(event.object == OBJID_CLIENT && event.child == CHILDID_SELF,
                   "an event for the status line is not for its client object");
        Note("heard " + std::to_string(MsBetween(session.shown, event.at)) + " ms after the window showed: " +
             (event.event == EVENT_OBJECT_NAMECHANGE ? "name change" : "live-region change") +
             (status ? ", status line" : ", another window") + ", object " + std::to_string(event.object) + ", child " +
             std::to_string(event.child) + ", name " + Shown(event.name));
    }
    for (const std::wstring& text : {prompt, signingIn})
        for (DWORD event : {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_LIVEREGIONCHANGED})
            Expect(listener.Count(event, text) == 1, Shown(text) + " was heard " +
                                                         std::to_string(listener.Count(event, text)) +
                                                         " times as event " + std::to_string(event));
    Expect(fromStatus == 4, "the status line raised " + std::to_string(fromStatus) + " events, not 4");
}

void TabOrder() {
    Session session;
    const HWND order[] = {session.signIn.noButton, session.signIn.okButton, session.signIn.account,
                          session.signIn.password};
    Require(session.FocusOn(order[0]), "the focus starts on the No button");
    for (int step = 1; step <= 5; ++step) {
        Press(VK_TAB);
        Expect(session.FocusOn(order[step % 4]), "Tab " + std::to_string(step) + " lands in order");
        // Typing goes where the focus is.
        if (order[step % 4] == session.signIn.account) Type(L"a");
        if (order[step % 4] == session.signIn.password) Type(L"b");
    }
    Expect(TextOf(session.signIn.account) == L"a" && ShowsMasks(session.signIn.password, 1),
           "what was typed after Tab went into the field Tab reached");
    for (int step = 1; step <= 5; ++step) {
        Press(VK_TAB, /*shift=*/true);
        Expect(session.FocusOn(order[(5 - step + 4) % 4]), "Shift+Tab " + std::to_string(step) + " goes back");
    }
}

// ---- the confirmation box ----

void Confirmation() {
    Session session;
    Require(WaitUntil([&] { return session.Status() == Prompt(); }, 2500), "the prompt shows at the first tick");
    session.Fill(session.signIn.account, L"ab");
    const Scene before = Look(session);
    // No asks twice: answered Cancel, then OK.
    for (const bool cancel : {true, false}) {
        ClickAt(CenterOf(session.signIn.noButton));
        Require(WaitUntil([&] { return session.program.MessageBox() != nullptr; }, 5000), "clicking No opens no box");
        const SeenBox box = Read(session.program.MessageBox());
        Expect(box.text == Question(), "the box asks " + Shown(box.text));
        Expect(box.caption == QuestionCaption(), "the box's caption is " + Shown(box.caption));
        Expect(box.ok && box.cancel && box.buttons == 2,
               "the box shows OK and Cancel only (" + std::to_string(box.buttons) + " buttons)");
        Expect(WaitUntil([&] { return GetForegroundWindow() == box.box; }, 5000), "the box is in front");
        Expect(!IsWindowEnabled(session.signIn.window), "the box is modal: the sign-in window takes no input");
        std::string icon;
        Expect(box.icon && WaitUntil([&] { return (icon = IconShown(box.icon)) == "exclamation"; }, 5000),
               "the box shows the exclamation icon, not \"" + icon + "\"");
        if (!cancel) break;
        ClickAt(CenterOf(box.cancel));
        Require(WaitUntil([&] { return session.program.MessageBox() == nullptr; }, 5000), "Cancel closes the box");
        Require(WaitUntil([&] { return GetForegroundWindow() == session.signIn.window; }, 5000),
                "the sign-in window is in front again");
        ExpectUnchanged(before, Look(session), "after Cancel");
        Expect(!session.program.Ended(), "the program runs on after Cancel");
    }
    // Enter answers OK, the box's default.
    const auto pressed = Clock::now();
    Press(VK_RETURN);
    Require(session.program.WaitForEnd(5000), "Enter (OK) did not end the program within 5 s");
    Expect(session.program.ExitCode() == 0, "exit code " + std::to_string(session.program.ExitCode()));
    Note("ended " + std::to_string(MsSince(pressed)) + " ms after Enter, exit code " +
         std::to_string(session.program.ExitCode()));
}

// ---- closing ----

void CloseSignInWindow() {
    Session session;
    const auto clicked = Clock::now();
    ClickAt(CloseBoxOf(session.signIn.window));
    bool asked = false;
    const bool ended = WaitUntil(
        [&] {
            asked = asked || session.program.MessageBox() != nullptr;
            return session.program.Ended();
        },
        5000);
    Expect(!asked, "the close box asked before closing");
    Require(ended, "the close box did not end the program within 5 s");
    Expect(session.program.ExitCode() == 0, "exit code " + std::to_string(session.program.ExitCode()));
    Note("ended " + std::to_string(MsSince(clicked)) + " ms after the close box, exit code " +
         std::to_string(session.program.ExitCode()));
}

void CloseWaitWindow() {
    Session session;
    SignIn(session);
    Require(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 5000), "the wait window shows");
    HWND form2 = session.program.Window(L"Form2");
    Pause(100);
    ClickAt(CloseBoxOf(form2));
    Require(WaitUntil([&] { return !session.program.Visible(L"Form2"); }, 5000),
            "the close box did not hide the wait window");
    // Hidden by the click, not by the hand-over; a hand-over that came
    // first (a slow machine) shows nothing of the close box. When every run
    // says so, the close box did nothing.
    if (session.program.Visible(L"Form3")) throw Inconclusive("the wait window went with the hand-over");
    Expect(!session.program.Ended(), "closing the wait window does not end the program");
    // The hand-over's one second is judged in-process, from the program's
    // own start of its timer.
    Require(WaitUntil([&] { return session.program.Visible(L"Form3"); }, 3000),
            "the main window did not show after the wait window was closed");
    Expect(!session.program.Visible(L"Form2") && !session.program.Visible(L"Form1"), "the main window is alone");
    ClickAt(CloseBoxOf(session.program.Window(L"Form3")));
    Expect(session.program.WaitForEnd(5000) && session.program.ExitCode() == 0,
           "the main window's close box ends the program with exit code 0");
}

// ---- screenshots ----

// Asks the script for a picture of `area` named `name`, then waits for it.
// False when `stillTrue` stopped holding before the picture was taken.
bool Shoot(const std::wstring& directory, const std::wstring& name, RECT area, const std::function<bool()>& stillTrue) {
    const std::wstring picture = directory + L"\\" + name + L".png";
    const std::wstring request = directory + L"\\" + name + L".want";
    const std::wstring draft = request + L".draft";
    DeleteFileW(picture.c_str());
    const std::string geometry = std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top) +
                                 "+" + std::to_string(area.left) + "+" + std::to_string(area.top) + "\n";
    HANDLE file = CreateFileW(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Require(file != INVALID_HANDLE_VALUE, "cannot write the request for " + Utf8(name));
    DWORD written = 0;
    WriteFile(file, geometry.data(), static_cast<DWORD>(geometry.size()), &written, nullptr);
    CloseHandle(file);
    // Renamed whole, so the script never reads half a request.
    MoveFileExW(draft.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    bool held = true;
    const bool taken = WaitUntil(
        [&] {
            held = held && stillTrue();
            return GetFileAttributesW(picture.c_str()) != INVALID_FILE_ATTRIBUTES;
        },
        15000);
    Require(taken, "no picture " + Utf8(name) + " within 15 s");
    Note("picture " + Utf8(name) + (held ? "" : " (too late, taken again)"));
    return held;
}

RECT Union(RECT a, RECT b) {
    RECT both{};
    UnionRect(&both, &a, &b);
    return both;
}

void Screenshots(const std::wstring& directory) {
    Session session;
    auto always = [] { return true; };
    const RECT signInArea = RectOf(session.signIn.window);
    if (!Shoot(directory, L"sign-in-blank", signInArea, [&] { return session.Status() == BlankStatus(); }))
        throw Inconclusive("the prompt came before the picture of the blank window");
    Require(WaitUntil([&] { return session.Status() == Prompt(); }, 2500), "the prompt shows");
    Pause(200);
    Shoot(directory, L"sign-in-prompt", signInArea, always);
    ClickAt(CenterOf(session.signIn.account));
    Type(L"Tovi");
    Press(VK_TAB);
    Type(L"906");
    Pause(200);
    Shoot(directory, L"sign-in-typed", signInArea, always);
    // Where the screen has 96 pixels per inch: the window moved to a screen
    // of 144 (sent what Windows sends then), and back.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const int to : {144, 96}) {
        if (dpi != 96) break;
        RECT suggested = signInArea;
        suggested.right = suggested.left + (signInArea.right - signInArea.left) * to / 96;
        suggested.bottom = suggested.top + (signInArea.bottom - signInArea.top) * to / 96;
        SendMessageW(session.signIn.window, WM_DPICHANGED, MAKEWPARAM(to, to),
                     session.program.CopyIn(&suggested, sizeof(suggested)));
        Pause(300);
        if (to == 144) Shoot(directory, L"sign-in-changed-to-144", RectOf(session.signIn.window), always);
    }
    Press(VK_ESCAPE);
    Require(WaitUntil([&] { return session.program.MessageBox() != nullptr; }, 5000), "Esc opens the box");
    Pause(300);
    const RECT boxArea = Union(signInArea, RectOf(session.program.MessageBox()));
    Shoot(directory, L"close-confirmation", boxArea, always);
    Press(VK_ESCAPE);
    Require(WaitUntil([&] { return session.program.MessageBox() == nullptr; }, 5000), "Esc closes the box");
    ClickAt(CenterOf(session.signIn.password));
    Press(VK_RETURN);
    Require(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 5000), "the wait window shows");
    Pause(100);
    if (!Shoot(directory, L"wait-window", RectOf(session.program.Window(L"Form2")),
               [&] { return !session.program.Visible(L"Form3"); }))
        throw Inconclusive("the main window came before the picture of the wait window");
    Require(WaitUntil([&] { return session.program.Visible(L"Form3"); }, 3000), "the main window shows");
    Pause(300);
    Shoot(directory, L"main-window", RectOf(session.program.Window(L"Form3")), always);
    ClickAt(CloseBoxOf(session.program.Window(L"Form3")));
    Require(session.program.WaitForEnd(5000), "the program ends");
}

const Scenario scenarios[] = {
    {"sign-in", OneSignIn},
    {"tab-order", TabOrder},
    {"screen-reader-names", ScreenReaderNames},
    {"status-line-heard", StatusLineHeard},
    {"confirm", Confirmation},
    {"close-sign-in", CloseSignInWindow},
    {"close-wait", CloseWaitWindow},
};

// Runs a scenario; when timing made a run inconclusive, runs it again
// with a fresh program, three times at most.
int RunScenario(const std::string& name, const std::function<void()>& run) {
    const auto began = Clock::now();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        try {
            run();
            break;
        } catch (const Inconclusive& why) {
            Note(std::string("run again: ") + why.what());
            if (attempt == 3) Expect(false, "three runs in a row were inconclusive");
        } catch (const Failure& failure) {
            Expect(false, failure.what());
            break;
        }
    }
    const bool passed = FailureCount() == 0;
    std::printf("%s: %s in %lld ms\n", name.c_str(), passed ? "passed" : "FAILED", MsSince(began));
    return passed ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: e2e_driver PROGRAM.exe SCENARIO | e2e_driver PROGRAM.exe screenshots DIRECTORY\n");
        return 2;
    }
    programPath = argv[1];
    CoInitialize(nullptr);  // for the accessibility objects a screen reader uses
    const std::string name = Utf8(argv[2]);
    if (name == "screenshots" && argc == 4) {
        std::wstring directory = argv[3];
        if (!directory.empty() && directory[0] == L'/') directory = L"Z:" + directory;
        for (wchar_t& c : directory)
            if (c == L'/') c = L'\\';
        return RunScenario(name, [&] { Screenshots(directory); });
    }
    for (const Scenario& scenario : scenarios)
        if (name == scenario.name) return RunScenario(name, scenario.run);
    for (const Scenario& scenario : hostileScenarios)
        if (name == scenario.name) return RunScenario(name, scenario.run);
    for (const Scenario& scenario : secretScenarios)
        if (name == scenario.name) return RunScenario(name, scenario.run);
    std::printf("unknown scenario %s\n", name.c_str());
    return 2;
}
