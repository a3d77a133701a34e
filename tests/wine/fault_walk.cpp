// Fails every system call of interest and allocation the program makes,
// one per run, each run in a fresh process, and judges each run whose fault
// was injected as a person would see it: the windows and texts as designed
// through a whole sign-in and closing, the password field's guards holding
// (survived), or the error box naming what failed and the failed call's own
// reason, then exit code 1 (reported). A stall, a crash or behaviour that is
// neither fails. A run whose failing call never came is not judged.
//
// The test program runs itself as the child of each run (SIGNIN_FAULT set):
// its main thread is the program, started as the program starts; a second
// thread works it with keys posted where the focus is and watches what shows.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "fault_injection.h"
#include "import_table.h"
#include "program_driver.h"
#include "program_texts.h"
#include "startup.h"

namespace fi = fault_injection;
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

// The phases of one run, in order; either closing ends with the process.
const char* const kPhases[] = {"start-up", "prompt",    "refusals", "resolution",
                               "sign-in",  "hand-over", "closing",  "closing the main window"};
constexpr int kPhaseCount = 8, kClosing = 6, kMainClosing = 7;

// Exit codes of a child that judged its own run a failure.
constexpr DWORD kStalled = 250, kBroken = 251, kCrashed = 252;

// ---- the child: the program and the person working it ----

class Person {
public:
    Person(DWORD programThread, const char* reportPath)
        : thread_(programThread), report_(std::fopen(reportPath, "w")) {}

    void Line(const std::string& line) {
        std::string oneLine = line;
        std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
        std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
        Raw(oneLine.c_str());
    }
    // A line written without allocating: the program's thread writes it
    // from inside a failing call. The C run-time's fprintf locks the file,
    // so the two threads' lines do not mix.
    void Raw(const char* line) {
        if (!report_) return;
        std::fprintf(report_, "%s\n", line);
        std::fflush(report_);
    }
    // The first call of each kind from each place in the program's code in
    // this phase ("site CALL N PHASE"); later calls from there take the same
    // path when they fail.
    void Site(const char* name, int nth, const void* site) {
        if (sitesPhase_ != phase_) sitesSeen_ = 0, sitesPhase_ = phase_;
        for (int i = 0; i < sitesSeen_; ++i)
            if (sites_[i].name == name && sites_[i].site == site) return;
        if (sitesSeen_ < kMaxSites) sites_[sitesSeen_++] = {name, site};
        char line[160];
        std::snprintf(line, sizeof(line), "site %s %d %s", name, nth, PhaseName());
        Raw(line);
    }
    const char* PhaseName() const { return kPhases[phase_]; }
    // The counts of every call so far, after `label`; taken before the
    // line allocates anything.
    void Counts(int code, const char* label) {
        int made[fi::kCalls];
        for (int i = 0; i < fi::kCalls; ++i) made[i] = fi::Made(static_cast<fi::Call>(i));
        std::ostringstream line;
        line << label << ' ' << code;
        for (int count : made) line << ' ' << count;
        Line(line.str());
    }

    void Walk() {
        try {
            Script();
        } catch (const Reported&) {}
        // A report was seen: the program must end by itself. Any further
        // box is recorded and answered too.
        for (;;) {
            for (HWND box : Boxes()) Answer(box, IDOK, "box");
            Sleep(20);
        }
    }

private:
    struct Reported {};

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

    static constexpr int kMaxSites = 512;
    struct SeenSite {
        const char* name;
        const void* site;
    } sites_[kMaxSites] = {};
    int sitesSeen_ = 0, sitesPhase_ = 0;
    DWORD thread_;
    FILE* report_;
    std::vector<HWND> answered_;
    volatile int phase_ = 0;
    LONG markersPosted_ = 0;
    bool closeAtSignIn_ = std::getenv("SIGNIN_FAULT_CLOSE") != nullptr;
};

Person* person = nullptr;

// A fault as it is injected ("fired CALL N PHASE"), a function looked up
// ("lookup NAME"), or a call's site; on the program's thread, inside the call.
void Observe(const char* name, int nth, const void* site) {
    if (nth < 0) return person->Site(name, -nth, site);
    char line[160];
    if (nth > 0) std::snprintf(line, sizeof(line), "fired %s %d %s", name, nth, person->PhaseName());
    else std::snprintf(line, sizeof(line), "lookup %.100s", name);
    person->Raw(line);
}

DWORD WINAPI PersonThread(LPVOID) {
    person->Walk();
    return 0;
}

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* crash) {
    TerminateProcess(GetCurrentProcess(), crash->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The program, with the call named in `fault` ("Call N") failing, or none
// ("count"); what the person saw goes to `reportPath`.
int RunChild(const std::string& fault, const char* reportPath) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    std::set_terminate([] { TerminateProcess(GetCurrentProcess(), kCrashed); });
    static Person watcher(GetCurrentThreadId(), reportPath ? reportPath : "NUL");
    person = &watcher;
    if (!SetWindowsHookExW(WH_GETMESSAGE, SeeMarker, nullptr, GetCurrentThreadId())) return kBroken;
    CloseHandle(CreateThread(nullptr, 0, PersonThread, nullptr, 0, nullptr));
    std::istringstream words(fault);
    std::string name;
    int nth = 0;
    if (words >> name >> nth) fi::FailAt(fi::CallNamed(name), nth);
    const std::string missing = fi::Install(Observe, nth == 0);
    if (!missing.empty()) watcher.Line("missing " + missing);
    const int code = RunGuarded(StartSignInProgram);
    watcher.Counts(code, "end");
    return code;
}

// ---- the test: every failure point of a phase, one run each ----

struct Run {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::vector<std::string> lines;
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : lines)
            if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
        return found;
    }
};

// Starts this program as a child running the sign-in program with `fault`;
// the person closes it at the sign-in window (`close`) or signs in.
Run RunOnce(const std::string& fault, bool close) {
    wchar_t self[MAX_PATH] = {}, folder[MAX_PATH] = {}, report[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"flt", 0, report);
    SetEnvironmentVariableW(L"SIGNIN_FAULT", Utf16(fault.c_str()).c_str());
    SetEnvironmentVariableW(L"SIGNIN_FAULT_REPORT", report);
    SetEnvironmentVariableW(L"SIGNIN_FAULT_CLOSE", close ? L"1" : nullptr);
    Run run;
    {
        // Longer than any wait of the script: a run not over by then stalled.
        const driver::Program child(self);
        run.timedOut = !child.WaitForEnd(40000);
        run.exitCode = run.timedOut ? kStalled : child.ExitCode();
    }
    SetEnvironmentVariableW(L"SIGNIN_FAULT", nullptr);
    if (FILE* file = _wfopen(report, L"r")) {
        char line[4096];
        while (std::fgets(line, sizeof(line), file)) {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            run.lines.push_back(text);
        }
        std::fclose(file);
    }
    DeleteFileW(report);
    return run;
}

// The system's reason for `error`, as the program's texts carry it (code
// page 950) and in UTF-8 as the report holds it.
std::string ReasonOf(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                   error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring reason = text ? text : L"";
    LocalFree(text);
    while (!reason.empty() && iswspace(reason.back())) reason.pop_back();
    std::replace(reason.begin(), reason.end(), L'\n', L' ');
    std::replace(reason.begin(), reason.end(), L'\r', L' ');
    char bytes[2048] = {};
    WideCharToMultiByte(950, WC_NO_BEST_FIT_CHARS, reason.c_str(), -1, bytes, sizeof(bytes), "?", nullptr);
    wchar_t back[1024] = {};
    MultiByteToWideChar(950, 0, bytes, -1, back, 1024);
    return Utf8(back);
}

// The reason a report of `call`'s failure carries: bcrypt's status as the
// program writes it, or the system's text for the error.
std::string ReasonFor(fi::Call call) {
    if (std::strncmp(fi::NameOf(call), "BCrypt", 6) != 0) return ReasonOf(fi::ErrorOf(call));
    char status[24];
    std::snprintf(status, sizeof(status), "NTSTATUS 0x%08lX", static_cast<unsigned long>(fi::ErrorOf(call)));
    return status;
}

enum class Verdict { Survived, Reported, NotReached, Stalled, Crashed, Broken };

Verdict Judge(const Run& run, const std::string& fault, fi::Call call, std::string& seen) {
    const auto boxes = run.Starting("box\t"), fired = run.Starting("fired " + fault + " ");
    const auto failures = run.Starting("stall\t"), broken = run.Starting("broken\t");
    seen = !failures.empty() ? failures[0] : !broken.empty() ? broken[0] : !boxes.empty() ? boxes[0] : "";
    if (!fired.empty()) seen = "(in the " + fired[0].substr(7 + fault.size()) + ") " + seen;
    if (run.timedOut || run.exitCode == kStalled) return Verdict::Stalled;
    if (run.exitCode == kBroken) return Verdict::Broken;
    if (run.exitCode != 0 && run.exitCode != 1) {
        seen += " exit code " + std::to_string(run.exitCode);
        return Verdict::Crashed;
    }
    if (run.exitCode == 0 && fired.empty() && boxes.empty()) return Verdict::NotReached;
    if (run.exitCode == 0) {
        // The script checked every phase on its way to the closing.
        if (!run.Starting("closing").empty() && boxes.empty()) return Verdict::Survived;
        seen += " ended with 0 before the end of the sign-in";
        return Verdict::Broken;
    }
    // Exit code 1: one box, naming what failed, then the failed call's reason.
    if (boxes.size() != 1 || fired.empty()) {
        seen += " " + std::to_string(boxes.size()) + " boxes, exit code 1, the fault " +
                (fired.empty() ? "not injected" : "injected");
        return Verdict::Broken;
    }
    const std::string text = boxes[0].substr(boxes[0].find('\t', 4) + 1);
    const size_t at = text.find(": " + ReasonFor(call));
    return at != std::string::npos && at > 0 ? Verdict::Reported : Verdict::Broken;
}

// The phases a run goes through: every one up to the change of resolution,
// then either the sign-in, hand-over and the main window closed by its close
// box, or, after the refusals, the closing at the sign-in window.
std::vector<int> PhasesOf(bool close) {
    return close ? std::vector<int>{0, 1, 2, kClosing} : std::vector<int>{0, 1, 2, 3, 4, 5, kMainClosing};
}

// Calls the program makes or looks up that the walk does not fail, each for
// its reason. Every other function the program imports or looks up must be
// one the walk fails.
// Which build imports an entry's names: the 64-bit program unwinds by
// tables of its own and calls the *LongPtr functions by name, which are the
// *Long ones on 32-bit.
enum class Width { Both, Only32, Only64 };
struct Exempt {
    const char* names;
    const char* reason;
    Width width = Width::Both;
};
constexpr Width kThisWidth = sizeof(void*) == 8 ? Width::Only64 : Width::Only32;
const Exempt kExempt[] = {
    {"GetLastError SetLastError GetCurrentProcess GetCurrentThreadId GetModuleHandleW MulDiv lstrcpynW "
     "GetStockObject GetSysColor GetSysColorBrush GetKeyState InSendMessage GetFocus GetActiveWindow",
     "cannot fail on what the program hands them, or only answer a state"},
    {"GetWindowTextLengthW SendMessageW GetClientRect GetAncestor IsWindow IsWindowVisible IsIconic IsWindowEnabled "
     "ShowWindow SetFocus SetForegroundWindow CallWindowProcW DefWindowProcW",
     "on the program's own live windows: cannot fail, or answer a state rather than a failure"},
    {"GetWindowLongW", "on the program's own live windows: cannot fail", Width::Only32},
    {"GetWindowLongPtrW", "on the program's own live windows: cannot fail", Width::Only64},
    {"GetMessageW PeekMessageW TranslateMessage DispatchMessageW PostQuitMessage",
     "the message loop: a failure is the end of the loop, which the program already handles"},
    {"DestroyWindow DeleteObject ReleaseDC DeleteDC DestroyIcon ImageList_Destroy FreeLibrary "
     "LocalFree CoUninitialize BCryptCloseAlgorithmProvider BCryptDestroyHash",
     "releases: the program is done with what they release"},
    {"GetDeviceCaps GetSystemMetrics", "a failure answers 0, which the program takes as the design's own value"},
    {"FormatMessageW", "the error report itself: a reason it cannot find is said as the error's number"},
    {"GetModuleFileNameW", "only the program's name in a box's title: a failure leaves the title short"},
    {"GetSystemDirectoryW", "reached only on systems without the library search flags, not this one"},
    {"ReadProcessMemory", "a change of resolution's rectangle: one that cannot be read is ignored, as forged ones are"},
    {"FillRect Polygon Ellipse SetBkColor SetTextColor InvalidateRect",
     "drawing: a failure leaves a picture unpainted until the next paint"},
    {"NotifyWinEvent", "an announcement to screen readers, which the system gives no answer for"},
    {"msvcrt.dll CloseHandle CreateSemaphoreW ReleaseSemaphore WaitForSingleObject Sleep DeleteCriticalSection "
     "EnterCriticalSection InitializeCriticalSection LeaveCriticalSection TlsAlloc TlsFree TlsGetValue TlsSetValue "
     "VirtualProtect VirtualQuery GetStartupInfoA GetModuleHandleA LoadLibraryA SetUnhandledExceptionFilter "
     "CryptAcquireContextA CryptGenRandom CryptReleaseContext",
     "the C and C++ run-time's own (start-up, threads, exceptions), not the program's code"},
    {"RaiseException RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind __C_specific_handler",
     "the 64-bit C++ run-time's unwinder, not the program's code", Width::Only64},
};

// What a failed call must lead to. Every walked call is reported, so that
// no loss goes unsaid, except those named here: survived, each with what
// the script then sees of the loss and checks (above). The calls made both
// for what the program cannot do without and for what it can (a font
// measured or a picture drawn; a library it needs or one it may lack; the
// password field's guard set at the start or handed back as the field goes)
// are judged by place: either verdict, and a report still names the call.
enum class Must { Survive, ByPlace };
// The call that sets a window's procedure, by the name this width imports.
#define WALK_NAME_OF(name, error) #name
#define WALK_WINDOW_PROCEDURE_CALL FAULT_INJECTION_WINDOW_PROCEDURE(WALK_NAME_OF)
struct Requirement {
    const char* names;
    Must must;
    const char* seen;
};
const Requirement kRequirements[] = {
    {"KillTimer", Must::Survive, "its later ticks ignored: the main window, minimized, stays so through one"},
    {"GetDpiForWindow GetSystemMetricsForDpi", Must::Survive,
     "the screen's resolution asked of the system instead: the texts still show whole"},
    {"CoInitializeEx CoCreateInstance", Must::Survive, "no names for screen readers: every window works on"},
    {"LoadCursorW LoadImageW CreateBitmap CreateCompatibleBitmap CreateCompatibleDC CreateSolidBrush "
     "ImageList_Create ImageList_Add",
     Must::Survive, "a cursor, icon or button picture missing: every text still shows whole and works"},
    {"GetDC SelectObject GetProcAddress LoadLibraryExW " WALK_WINDOW_PROCEDURE_CALL, Must::ByPlace, ""},
};

// The requirement naming `call`; none for the calls that must be reported.
const Requirement* RequirementOf(fi::Call call) {
    for (const Requirement& requirement : kRequirements) {
        std::istringstream names(requirement.names);
        for (std::string one; names >> one;)
            if (one == fi::NameOf(call)) return &requirement;
    }
    return nullptr;
}

bool IsExempt(const std::string& name) {
    for (const Exempt& exempt : kExempt) {
        if (exempt.width != Width::Both && exempt.width != kThisWidth) continue;
        std::istringstream names(exempt.names);
        for (std::string one; names >> one;)
            if (one == name) return true;
    }
    return false;
}
bool IsWalkedOrExempt(const std::string& name) { return fi::CallNamed(name) != fi::Call::Count || IsExempt(name); }

struct Point {
    fi::Call call;
    int nth;
};

// A run with nothing failing: the counts at the end of each phase (indexed
// by phase; the last phase ends with the process), and in `sites` each
// phase's first call of each kind from each place in the program. Every
// function it looked up must be walked or exempt.
std::vector<std::vector<int>> CountPhases(bool close, std::vector<std::vector<Point>>& sites) {
    const Run run = RunOnce("count", close);
    sites.assign(kPhaseCount, {});
    for (const std::string& line : run.Starting("site ")) {
        std::istringstream words(line.substr(5));
        std::string name, phase;
        int nth = 0;
        words >> name >> nth >> std::ws;
        std::getline(words, phase);
        const int index = static_cast<int>(std::find(kPhases, kPhases + kPhaseCount, phase) - kPhases);
        if (index < kPhaseCount) sites[index].push_back({fi::CallNamed(name), nth});
    }
    EXPECT_EQ(run.exitCode, 0u) << "the run with nothing failing";
    EXPECT_TRUE(run.Starting("missing").empty()) << run.Starting("missing")[0];
    for (const std::string& lookup : run.Starting("lookup "))
        EXPECT_TRUE(IsWalkedOrExempt(lookup.substr(7))) << "looked up, neither walked nor exempt: " << lookup;
    std::vector<std::vector<int>> ends(kPhaseCount);
    const std::vector<int> phases = PhasesOf(close);
    for (int phase : phases) {
        const std::string label = phase == phases.back() ? "end 0 " : "phase " + std::to_string(phase) + " ";
        const auto lines = run.Starting(label);
        if (lines.size() != 1) {
            ADD_FAILURE() << "the run with nothing failing did not reach the end of the " << kPhases[phase];
            return {};
        }
        std::istringstream counts(lines[0].substr(label.size()));
        ends[phase].resize(fi::kCalls);
        for (int& count : ends[phase]) counts >> count;
    }
    return ends;
}

// The failure points of `phase`: each call of interest from each place in
// the program that makes it, the first time in the phase (every call with
// SIGNIN_FAULT_EVERY_CALL set); and of the allocations, which run to
// hundreds, kSample evenly spread.
constexpr int kSample = 4;
std::vector<Point> PointsOf(int phase, bool close, const std::vector<std::vector<int>>& ends,
                            const std::vector<std::vector<Point>>& sites, int& allocations) {
    const std::vector<int> phases = PhasesOf(close);
    const auto at = std::find(phases.begin(), phases.end(), phase);
    const std::vector<int>* before = at == phases.begin() ? nullptr : &ends[*(at - 1)];
    const bool every = std::getenv("SIGNIN_FAULT_EVERY_CALL") != nullptr;
    std::vector<Point> points = every ? std::vector<Point>{} : sites[phase];
    for (int i = 0; i < fi::kCalls; ++i) {
        const auto call = static_cast<fi::Call>(i);
        const int first = before ? (*before)[i] + 1 : 1, last = ends[phase][i], made = last - first + 1;
        if (call == fi::Call::OperatorNew) allocations = made;
        else if (!every) continue;
        const int step = every ? 1 : std::max(1, (made + kSample - 1) / kSample);
        for (int nth = first; nth <= last; nth += step) points.push_back({call, nth});
    }
    return points;
}

void WalkPhase(int phase) {
    const bool close = phase == kClosing;
    std::vector<std::vector<Point>> sites;
    const auto ends = CountPhases(close, sites);
    ASSERT_EQ(ends.size(), static_cast<size_t>(kPhaseCount));
    int allocations = 0;
    const std::vector<Point> points = PointsOf(phase, close, ends, sites, allocations);
    int verdicts[6] = {}, failedAllocations = 0;
    std::string notReached;
    static const char* const kVerdicts[] = {"survived", "reported", "not reached", "STALLED", "CRASHED", "BROKEN"};
    for (const Point& point : points) {
        const std::string fault = std::string(fi::NameOf(point.call)) + " " + std::to_string(point.nth);
        std::string seen;
        const Verdict verdict = Judge(RunOnce(fault, close), fault, point.call, seen);
        ++verdicts[static_cast<int>(verdict)];
        if (point.call == fi::Call::OperatorNew) ++failedAllocations;
        if (verdict == Verdict::NotReached) notReached += " " + fault + ",";
        std::printf("  %-34s %-11s %s\n", fault.c_str(), kVerdicts[static_cast<int>(verdict)], seen.c_str());
        std::fflush(stdout);
        EXPECT_TRUE(verdict <= Verdict::NotReached) << fault << ": " << seen;
        const Requirement* requirement = RequirementOf(point.call);
        EXPECT_FALSE(verdict == Verdict::Survived && !requirement) << fault << ": survived, must be reported";
        EXPECT_FALSE(verdict == Verdict::Reported && requirement && requirement->must == Must::Survive)
            << fault << ": reported, must be survived with " << requirement->seen;
    }
    std::printf(
        "%s: %d failure points (%d of %d allocations), survived %d, reported %d, stalls %d, crashes %d, "
        "broken %d, not reached %d:%s\n",
        kPhases[phase], static_cast<int>(points.size()), failedAllocations, allocations, verdicts[0], verdicts[1],
        verdicts[3], verdicts[4], verdicts[5], verdicts[2], notReached.c_str());
    EXPECT_FALSE(points.empty());
    // Counts drift a little with timer ticks and painting; a phase whose
    // points are largely never reached is not being walked.
    EXPECT_LE(verdicts[2] * 4, static_cast<int>(points.size())) << "not reached:" << notReached;
}

// The functions the program file imports, read from its import table, each
// as "library function".
std::vector<std::string> ImportsOf(const wchar_t* path) {
    std::vector<std::string> names;
    HMODULE image = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image) return names;
    import_table::ForEachImport(image, [&](const char* library, const char* name, void**) {
        std::string lower = library;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        names.push_back(lower + " " + name);
    });
    FreeLibrary(image);
    return names;
}

}  // namespace

// Every function the shipped program imports is walked or exempt for its
// reason, each walked call fails with a reason of its own, and what may be
// survived is walked.
TEST(FaultWalk, EveryImportedCallIsWalkedOrExempt) {
    const std::vector<std::string> imports = ImportsOf(SIGNIN_PROGRAM_FILE);
    ASSERT_GT(imports.size(), 20u) << "the import table of " << Utf8(SIGNIN_PROGRAM_FILE);
    for (const std::string& import : imports) {
        const std::string library = import.substr(0, import.find(' ')), name = import.substr(library.size() + 1);
        EXPECT_TRUE(IsWalkedOrExempt(name) || IsExempt(library)) << "neither walked nor exempt: " << import;
    }
    for (const Requirement& requirement : kRequirements) {
        std::istringstream names(requirement.names);
        for (std::string one; names >> one;) EXPECT_NE(fi::CallNamed(one), fi::Call::Count) << "not walked: " << one;
    }
    std::vector<std::string> reasons;
    // COM's failures are survived, never reported; the system has no text
    // for their status.
    for (int i = 0; i < fi::kCalls; ++i) {
        if (std::strncmp(fi::NameOf(static_cast<fi::Call>(i)), "Co", 2) == 0) continue;
        const std::string reason = ReasonFor(static_cast<fi::Call>(i));
        EXPECT_FALSE(reason.empty()) << fi::NameOf(static_cast<fi::Call>(i));
        EXPECT_EQ(std::count(reasons.begin(), reasons.end(), reason), 0) << fi::NameOf(static_cast<fi::Call>(i));
        reasons.push_back(reason);
    }
}
TEST(FaultWalk, StartUp) { WalkPhase(0); }
TEST(FaultWalk, Prompt) { WalkPhase(1); }
TEST(FaultWalk, Refusals) { WalkPhase(2); }
TEST(FaultWalk, Resolution) { WalkPhase(3); }
TEST(FaultWalk, SignIn) { WalkPhase(4); }
TEST(FaultWalk, HandOver) { WalkPhase(5); }
TEST(FaultWalk, Closing) { WalkPhase(kClosing); }
TEST(FaultWalk, MainWindowClosing) { WalkPhase(kMainClosing); }

int main(int argc, char** argv) {
    if (const char* fault = std::getenv("SIGNIN_FAULT")) return RunChild(fault, std::getenv("SIGNIN_FAULT_REPORT"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
