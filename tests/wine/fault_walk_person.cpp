// The person of the fault walk, loaded into the shipped program before its
// own code runs: it fails the one call the run names (SIGNIN_FAULT,
// "Call N"; none for "count"), and from a thread of its own works the
// program with keys posted where the focus is, watching what shows, and
// writes what it saw to SIGNIN_FAULT_REPORT. The program's first thread is
// the one whose calls are counted and failed.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "fault_injection.h"
#include "fault_walk.h"
#include "import_table.h"
#include "program_driver.h"
#include "program_texts.h"

namespace fi = fault_injection;
using namespace fault_walk;
using namespace program_texts;
using driver::ChildrenByPlace;
using driver::ClassOf;
using driver::RectOf;
using wide_text::Utf8;

namespace {

// A thread message the person posts after keys; the hook below records the
// highest one the program's thread has taken off its queue.
constexpr UINT kMarker = WM_APP + 0x2F0;
volatile LONG markerTaken = 0;

// And the timer ticks it has taken for the window the person watches.
HWND volatile tickedWindow = nullptr;
volatile LONG ticksTaken = 0;

LRESULT CALLBACK SeeMarker(int code, WPARAM removal, LPARAM message) {
    const auto* taken = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && taken->hwnd == nullptr && taken->message == kMarker)
        InterlockedExchange(&markerTaken, static_cast<LONG>(taken->wParam));
    if (code == HC_ACTION && removal == PM_REMOVE && taken->message == WM_TIMER && taken->hwnd == tickedWindow)
        InterlockedIncrement(&ticksTaken);
    return CallNextHookEx(nullptr, code, removal, message);
}

class Person {
public:
    Person(DWORD programThread, const char* reportPath)
        : thread_(programThread), report_(std::fopen(reportPath, "w")) {}

    // A line of the report, written by either thread (the program's from
    // inside a failing call): the C run-time's fprintf locks the file, so
    // the two threads' lines do not mix.
    void Line(std::string line) {
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::replace(line.begin(), line.end(), '\r', ' ');
        if (!report_) return;
        std::fprintf(report_, "%s\n", line.c_str());
        std::fflush(report_);
    }
    // The first call of each kind from each place in the program's code in
    // this phase ("site CALL N PHASE"); later calls from there take the same
    // path when they fail.
    // (The person's own allocations are its library's, neither counted nor
    // failed.)
    void Site(const char* name, int nth, const void* site) {
        if (!sites_.insert({name, site, phase_}).second) return;
        Line("site " + std::string(name) + ' ' + std::to_string(nth) + ' ' + PhaseName());
    }
    const char* PhaseName() const { return kPhases[phase_]; }
    // The counts of every call so far, after `label`.
    void Counts(int code, const char* label) {
        std::ostringstream line;
        line << label << ' ' << code;
        for (int i = 0; i < fi::kCalls; ++i) line << ' ' << fi::Made(static_cast<fi::Call>(i));
        Line(line.str());
    }

    void Walk() {
        try {
            Script();
        } catch (const Reported&) {}
        // A report was seen: the program must end by itself. Any further
        // box is recorded and answered too.
        for (;;) {
            StopIfEnding();
            for (HWND box : Boxes()) Answer(box, IDOK, "box");
            Sleep(20);
        }
    }

    // Called as the program leaves: the person stops at its next wait, where
    // it holds no lock of the system's. Ended by the process's exit instead,
    // it could be inside a system call that holds one the exit needs.
    void StopAndWait(HANDLE thread) {
        InterlockedExchange(&ending_, 1);
        WaitForSingleObject(thread, 10000);
    }

private:
    struct Reported {};

    void StopIfEnding() {
        if (InterlockedCompareExchange(&ending_, 0, 0)) ExitThread(0);
    }

    static std::wstring Text(HWND hwnd) {
        wchar_t text[1024] = {};
        const int length = InternalGetWindowText(hwnd, text, 1024);
        return std::wstring(text, static_cast<size_t>(std::max(length, 0)));
    }

    static BOOL CALLBACK AddVisible(HWND hwnd, LPARAM list) {
        if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
    }

    std::vector<HWND> TopWindows() const {
        std::vector<HWND> windows;
        EnumThreadWindows(thread_, AddVisible, reinterpret_cast<LPARAM>(&windows));
        return windows;
    }
    HWND Shown(const wchar_t* title) const {
        for (HWND hwnd : TopWindows())
            if (Text(hwnd) == title && ClassOf(hwnd) != L"#32770") return hwnd;
        return nullptr;
    }
    std::vector<HWND> Boxes() const {
        std::vector<HWND> boxes;
        for (HWND hwnd : TopWindows())
            if (ClassOf(hwnd) == L"#32770") boxes.push_back(hwnd);
        return boxes;
    }
    static std::wstring BoxText(HWND box) { return Text(GetDlgItem(box, 0xFFFF)); }
    bool IsConfirmation(HWND box) const { return BoxText(box) == Question(); }

    void Answer(HWND box, int id, const char* label) {
        if (std::find(answered_.begin(), answered_.end(), box) == answered_.end()) {
            answered_.push_back(box);
            Line(std::string(label) + '\t' + Utf8(Text(box)) + '\t' + Utf8(BoxText(box)));
        }
        HWND button = GetDlgItem(box, id);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }

    // The password field's guards, asked from this thread as another
    // program would: its text and length read as nothing, and the mask
    // cannot be lifted.
    void ExpectGuarded(HWND field) {
        wchar_t text[8] = L"x";
        DWORD_PTR length = 1, copied = 1, mask = 0;
        const auto ask = [field](UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer) {
            SendMessageTimeoutW(field, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, answer);
        };
        ask(WM_GETTEXTLENGTH, 0, 0, &length);
        ask(WM_GETTEXT, 8, reinterpret_cast<LPARAM>(text), &copied);
        ask(EM_SETPASSWORDCHAR, 0, 0, nullptr);
        ask(EM_GETPASSWORDCHAR, 0, 0, &mask);
        Expect(length == 0 && copied == 0 && text[0] == L'\0' && mask != 0, "the password field's guards");
    }

    [[noreturn]] void Fail(DWORD code, const std::string& what) {
        Line(std::string(code == kStalled ? "stall" : "broken") + '\t' + kPhases[phase_] + ": " + what);
        TerminateProcess(GetCurrentProcess(), code);
        for (;;) Sleep(1000);
    }
    void Expect(bool holds, const std::string& what) {
        if (!holds) Fail(kBroken, what);
    }
    // Waits up to `ms` for `condition`. A box other than the close
    // confirmation (where `confirmationExpected`) is a report: it is
    // recorded and answered, and the script ends.
    bool Within(int ms, const std::function<bool()>& condition, bool confirmationExpected = false) {
        const DWORD start = GetTickCount();
        for (;;) {
            StopIfEnding();
            for (HWND box : Boxes()) {
                if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;  // going
                if (IsConfirmation(box)) {
                    if (!confirmationExpected) Fail(kBroken, "the close confirmation nobody asked for");
                    continue;
                }
                Answer(box, IDOK, "box");
                throw Reported{};
            }
            if (condition()) return true;
            if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
            Sleep(15);
        }
    }
    void WaitFor(int ms, const std::string& what, const std::function<bool()>& condition,
                 bool confirmationExpected = false) {
        if (!Within(ms, condition, confirmationExpected))
            Fail(kStalled, what + " within " + std::to_string(ms) + " ms");
    }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(thread_, &info);
        return info.hwndFocus ? info.hwndFocus : info.hwndActive;  // where keys go
    }
    // Keys as a person types them: to the window with the focus.
    void Key(WORD key) {
        HWND target = Focus();
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    }
    void Type(const std::wstring& text) {
        for (wchar_t c : text) PostMessageW(Focus(), WM_CHAR, c, 1);
        Settle();
    }
    // Waits until the program's thread has taken and handled every message
    // posted to it so far: a marker posted after them is taken last.
    void Settle() {
        const LONG marker = ++markersPosted_;
        PostThreadMessageW(thread_, kMarker, static_cast<WPARAM>(marker), 0);
        WaitFor(10000, "the program taking what was posted to it",
                [marker] { return InterlockedCompareExchange(&markerTaken, 0, 0) >= marker; });
    }
    void TabTo(HWND field) {
        for (int tabs = 0; tabs < 6 && Focus() != field; ++tabs) {
            HWND before = Focus();
            Key(VK_TAB);
            WaitFor(10000, "Tab moving the focus", [&] { return Focus() != before; });
        }
        Expect(Focus() == field, "Tab reaching a field");
    }

    // Whether `hwnd` shows `text` whole: visible, and large enough for the
    // text in the font it draws with.
    static bool ShowsWhole(HWND hwnd, const std::wstring& text) {
        if (!IsWindowVisible(hwnd) || Text(hwnd) != text) return false;
        DWORD_PTR font = 0;
        if (!SendMessageTimeoutW(hwnd, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 2000, &font)) return false;
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(font));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        RECT client{};
        GetClientRect(hwnd, &client);
        return size.cx > 0 && client.right >= size.cx && client.bottom >= size.cy;
    }

    void Done(int phase) {
        Counts(phase, "phase");
        // The closing follows the refusals when the person closes there, and
        // the main window's closing the hand-over.
        phase_ = closeAtSignIn_ && phase == 2 ? kClosing : phase == 5 ? kMainClosing : phase + 1;
    }

    void Script() {
        const std::wstring blank = BlankStatus(), prompt = Prompt();
        HWND form1 = nullptr;
        WaitFor(15000, "the sign-in window", [&] { return (form1 = Shown(L"Form1")) != nullptr; });
        std::vector<HWND> labels, edits, buttons;
        WaitFor(10000, "the sign-in window's widgets", [&] {
            labels = ChildrenByPlace(form1, L"Static");
            edits = ChildrenByPlace(form1, L"Edit");
            buttons = ChildrenByPlace(form1, L"Button");
            return labels.size() == 3 && edits.size() == 2 && buttons.size() == 2;
        });
        HWND status = labels[2];
        Expect(ShowsWhole(labels[0], AccountCaption()) && ShowsWhole(labels[1], PasswordCaption()),
               "the captions of the fields");
        Expect(Text(buttons[0]) == L"&No" && Text(buttons[1]) == L"OK" && IsWindowVisible(buttons[0]) &&
                   IsWindowVisible(buttons[1]),
               "the No and OK buttons");
        Expect(IsWindowVisible(edits[0]) && IsWindowVisible(edits[1]), "the fields");
        WaitFor(10000, "the focus in the sign-in window", [&] { return IsChild(form1, Focus()); });
        Expect(Text(status) == blank, "the blank status line");
        Done(0);

        WaitFor(10000, "the prompt", [&] { return ShowsWhole(status, prompt); });
        Done(1);

        // A refused sign-in. Tabbing into a field selects its text.
        TabTo(edits[0]);
        Type(L"Tovi");
        TabTo(edits[1]);
        Type(L"907");
        Key(VK_RETURN);
        Settle();
        Expect(IsWindowVisible(form1) && !Shown(L"Form2") && ShowsWhole(status, prompt), "a refusal changing nothing");
        ExpectGuarded(edits[1]);
        Done(2);

        if (closeAtSignIn_) {
            // Esc asks; Cancel keeps the window, OK ends the program with 0.
            for (const int answer : {IDCANCEL, IDOK}) {
                Key(VK_ESCAPE);
                HWND box = nullptr;
                WaitFor(
                    10000, "the close confirmation",
                    [&] {
                        for (HWND found : Boxes())
                            if (IsConfirmation(found)) box = found;
                        return box != nullptr;
                    },
                    true);
                Expect(Text(box) == QuestionCaption(), "the title of the close confirmation");
                if (answer == IDOK) Line("closing");
                Answer(box, answer, "confirmation");
                if (answer == IDCANCEL) {
                    WaitFor(10000, "the sign-in window back after Cancel",
                            [&] { return Boxes().empty() && IsWindowVisible(form1) && IsChild(form1, Focus()); });
                    ExpectGuarded(edits[1]);
                }
            }
            Within(1 << 30, [] { return false; });
        }

        // A change of resolution to 144 pixels per inch and back, as Windows
        // sends it: the window takes the suggested size (one and a half
        // times its own), its texts still show whole, then all is as before.
        const RECT designed = RectOf(form1);
        const LONG fieldWidth = Width(RectOf(edits[0]));
        for (const int dpi : {144, 96}) {
            RECT suggested = designed;
            suggested.right = designed.left + Width(designed) * dpi / 96;
            suggested.bottom = designed.top + (designed.bottom - designed.top) * dpi / 96;
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(form1, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested),
                                SMTO_ABORTIFHUNG, 4000, &ignored);
            WaitFor(10000, "the sign-in window at " + std::to_string(dpi) + " pixels per inch", [&] {
                return Width(RectOf(form1)) == Width(suggested) &&
                       std::abs(Width(RectOf(edits[0])) - fieldWidth * dpi / 96) <= 1 &&
                       ShowsWhole(labels[0], AccountCaption()) && ShowsWhole(status, prompt);
            });
            if (dpi == 144) ExpectGuarded(edits[1]);
        }
        Done(3);

        // The right password.
        TabTo(edits[0]);
        TabTo(edits[1]);
        Type(L"906");
        Key(VK_RETURN);
        HWND form2 = nullptr;
        WaitFor(10000, "the wait window", [&] { return (form2 = Shown(L"Form2")) != nullptr; });
        Expect(!IsWindowVisible(form1), "the sign-in window hidden");
        const std::vector<HWND> waitLabels = ChildrenByPlace(form2, L"Static");
        Expect(waitLabels.size() == 2 && ShowsWhole(waitLabels[0], WaitUpperLine()) &&
                   ShowsWhole(waitLabels[1], WaitLowerLine()),
               "the wait window's texts");
        Expect(ChildrenByPlace(form2, L"msctls_statusbar32").size() == 1, "the wait window's status bar");
        Done(4);

        tickedWindow = form2;
        HWND form3 = nullptr;
        WaitFor(10000, "the main window", [&] { return (form3 = Shown(L"Form3")) != nullptr; });
        Expect(!IsWindowVisible(form2) && !IsWindowVisible(form1), "the main window alone");
        // Shown once: minimized, it stays so through a tick of a wait timer
        // that could not be stopped (none comes when it stopped).
        PostMessageW(form3, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        WaitFor(10000, "the main window minimized", [&] { return IsIconic(form3) != FALSE; });
        const LONG ticks = InterlockedCompareExchange(&ticksTaken, 0, 0);
        Within(2500, [&] { return InterlockedCompareExchange(&ticksTaken, 0, 0) > ticks; });
        Settle();
        Expect(IsIconic(form3) && !IsWindowVisible(form2), "the main window shown once");
        PostMessageW(form3, WM_SYSCOMMAND, SC_RESTORE, 0);
        WaitFor(10000, "the main window restored", [&] { return !IsIconic(form3); });
        Done(5);

        // Its close box: the program ends, with 0.
        Line("closing");
        PostMessageW(form3, WM_SYSCOMMAND, SC_CLOSE, 0);
        Within(1 << 30, [] { return false; });
    }

    static LONG Width(const RECT& rect) { return rect.right - rect.left; }

    std::set<std::tuple<std::string, const void*, int>> sites_;
    DWORD thread_;
    FILE* report_;
    std::vector<HWND> answered_;
    volatile int phase_ = 0;
    LONG markersPosted_ = 0;
    volatile LONG ending_ = 0;
    bool closeAtSignIn_ = std::getenv("SIGNIN_FAULT_CLOSE") != nullptr;
};

Person* person = nullptr;
HANDLE personThread = nullptr;

// A fault as it is injected ("fired CALL N PHASE"), a function looked up
// ("lookup NAME"), or a call's site; on the program's thread, inside the call.
void Observe(const char* name, int nth, const void* site) {
    if (nth < 0) return person->Site(name, -nth, site);
    if (nth > 0) person->Line("fired " + std::string(name) + ' ' + std::to_string(nth) + ' ' + person->PhaseName());
    else person->Line("lookup " + std::string(name));
}

DWORD WINAPI PersonThread(LPVOID) {
    person->Walk();
    return 0;
}

// A crash ends the process with the exception's code, before Wine's
// debugger can stop it: the program's C run-time hands what it does not
// handle itself on to this filter, set before it starts.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* crash) {
    TerminateProcess(GetCurrentProcess(), crash->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The program's way out after WinMain returns: the counts of every call,
// with the exit code, written as it leaves.
void(__cdecl* programExit)(int) = nullptr;
void __cdecl CountedExit(int code) {
    person->Counts(code, "end");
    person->StopAndWait(personThread);
    programExit(code);
}

// Sets the run up on the program's first thread, before its own code runs.
void Start() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    const char* report = std::getenv("SIGNIN_FAULT_REPORT");
    static Person watcher(GetCurrentThreadId(), report ? report : "NUL");
    person = &watcher;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Start), &self);
    personThread = CreateThread(nullptr, 0, PersonThread, nullptr, 0, nullptr);
    if (!SetWindowsHookExW(WH_GETMESSAGE, SeeMarker, self, GetCurrentThreadId()) || !personThread) {
        watcher.Line("broken\tstart-up: the person could not be set up");
        TerminateProcess(GetCurrentProcess(), kBroken);
    }
    import_table::Redirection exit{"exit", reinterpret_cast<void*>(&CountedExit),
                                   reinterpret_cast<void**>(&programExit)};
    import_table::Redirect(&exit, 1);
    std::istringstream words(std::getenv("SIGNIN_FAULT") ? std::getenv("SIGNIN_FAULT") : "");
    std::string name;
    int nth = 0;
    if (words >> name >> nth) fi::FailAt(fi::CallNamed(name), nth);
    const std::string missing = fi::Install(Observe, nth == 0);
    if (!missing.empty() || !programExit) watcher.Line("missing " + missing + (programExit ? "" : " exit"));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Start();
    return TRUE;
}
