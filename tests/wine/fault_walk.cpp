// Fails every system call of interest and allocation the program makes,
// one per run, each run in a fresh process, and judges each run as a person
// would see it: the windows and texts as designed through a whole sign-in
// and closing (survived), or the error box naming what failed and the
// system's reason, then exit code 1 (reported). A stall, a crash or behaviour
// that is neither fails.
//
// The test program runs itself as the child of each run (SIGNIN_FAULT set):
// its main thread is the program, started as the program starts; a second
// thread works it with keys posted where the focus is and watches what shows.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "fault_injection.h"
#include "startup.h"
#include "wide_text.h"

namespace fi = fault_injection;
using wide_text::Utf16;

namespace {

// A thread message the person posts after keys; the hook below records the
// highest one the program's thread has taken off its queue.
constexpr UINT kMarker = WM_APP + 0x2F0;
volatile LONG markerTaken = 0;

LRESULT CALLBACK SeeMarker(int code, WPARAM removal, LPARAM message) {
    const auto* taken = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && taken->hwnd == nullptr && taken->message == kMarker)
        InterlockedExchange(&markerTaken, static_cast<LONG>(taken->wParam));
    return CallNextHookEx(nullptr, code, removal, message);
}

// The phases of one run, in order; the closing ends with the process.
const char* const kPhases[] = {"start-up", "prompt", "refusals", "sign-in", "hand-over", "closing"};
constexpr int kPhaseCount = 6;

// Exit codes of a child that judged its own run a failure.
constexpr DWORD kStalled = 250, kBroken = 251, kCrashed = 252;

// A lock over a critical section: the program is built with the compiler's
// Windows thread model, whose C++ library has no std::mutex.
class Lock {
public:
    Lock() { InitializeCriticalSection(&section_); }
    ~Lock() { DeleteCriticalSection(&section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    class Held {
    public:
        explicit Held(Lock& lock) : section_(&lock.section_) { EnterCriticalSection(section_); }
        ~Held() { LeaveCriticalSection(section_); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        CRITICAL_SECTION* section_;
    };

private:
    CRITICAL_SECTION section_;
};

std::string Utf8(const std::wstring& text) {
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

// ---- the child: the program and the person working it ----

class Person {
public:
    Person(DWORD programThread, const char* reportPath)
        : thread_(programThread), report_(std::fopen(reportPath, "w")) {}

    void Line(const std::string& line) {
        Lock::Held held(lock_);
        if (!report_) return;
        std::string oneLine = line;
        std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
        std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
        std::fprintf(report_, "%s\n", oneLine.c_str());
        std::fflush(report_);
    }
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
    static std::wstring ClassOf(HWND hwnd) {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        return name;
    }

    static BOOL CALLBACK AddVisible(HWND hwnd, LPARAM list) {
        if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
    }
    struct Search {
        const wchar_t* className;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK AddOfClass(HWND hwnd, LPARAM context) {
        auto* search = reinterpret_cast<Search*>(context);
        if (lstrcmpiW(ClassOf(hwnd).c_str(), search->className) == 0) search->found.push_back(hwnd);
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
    bool IsConfirmation(HWND box) const { return BoxText(box) == Utf16(u8"你確定要關閉程式嗎?"); }

    void Answer(HWND box, int id, const char* label) {
        if (std::find(answered_.begin(), answered_.end(), box) == answered_.end()) {
            answered_.push_back(box);
            Line(std::string(label) + '\t' + Utf8(Text(box)) + '\t' + Utf8(BoxText(box)));
        }
        HWND button = GetDlgItem(box, id);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
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
        WaitFor(2000, "the program taking what was posted to it",
                [marker] { return InterlockedCompareExchange(&markerTaken, 0, 0) >= marker; });
    }
    void TabTo(HWND field) {
        for (int tabs = 0; tabs < 6 && Focus() != field; ++tabs) {
            HWND before = Focus();
            Key(VK_TAB);
            WaitFor(1000, "Tab moving the focus", [&] { return Focus() != before; });
        }
        Expect(Focus() == field, "Tab reaching a field");
    }

    // Children of `parent` of a class, top to bottom, then left to right.
    static std::vector<HWND> Children(HWND parent, const wchar_t* className) {
        Search search{className, {}};
        EnumChildWindows(parent, AddOfClass, reinterpret_cast<LPARAM>(&search));
        std::sort(search.found.begin(), search.found.end(), [](HWND a, HWND b) {
            RECT ra, rb;
            GetWindowRect(a, &ra);
            GetWindowRect(b, &rb);
            return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
        });
        return search.found;
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
        phase_ = phase + 1;
    }

    void Script() {
        const std::wstring blank(15, L' ');
        const std::wstring prompt = Utf16(u8"請輸入帳號以及密碼") + std::wstring(19, L' ');
        HWND form1 = nullptr;
        WaitFor(15000, "the sign-in window", [&] { return (form1 = Shown(L"Form1")) != nullptr; });
        std::vector<HWND> labels, edits, buttons;
        WaitFor(2000, "the sign-in window's widgets", [&] {
            labels = Children(form1, L"Static");
            edits = Children(form1, L"Edit");
            buttons = Children(form1, L"Button");
            return labels.size() == 3 && edits.size() == 2 && buttons.size() == 2;
        });
        HWND status = labels[2];
        Expect(ShowsWhole(labels[0], Utf16(u8"帳號：  ")) && ShowsWhole(labels[1], Utf16(u8"密碼：  ")),
               "the captions of the fields");
        Expect(Text(buttons[0]) == L"&No" && Text(buttons[1]) == L"OK" && IsWindowVisible(buttons[0]) &&
                   IsWindowVisible(buttons[1]),
               "the No and OK buttons");
        Expect(IsWindowVisible(edits[0]) && IsWindowVisible(edits[1]), "the fields");
        WaitFor(2000, "the focus in the sign-in window", [&] { return IsChild(form1, Focus()); });
        Expect(Text(status) == blank, "the blank status line");
        Done(0);

        WaitFor(4000, "the prompt", [&] { return ShowsWhole(status, prompt); });
        Done(1);

        // A refused sign-in. Tabbing into a field selects its text.
        TabTo(edits[0]);
        Type(L"Tovi");
        TabTo(edits[1]);
        Type(L"907");
        Key(VK_RETURN);
        Settle();
        Expect(IsWindowVisible(form1) && !Shown(L"Form2") && ShowsWhole(status, prompt), "a refusal changing nothing");
        Done(2);

        if (closeAtSignIn_) {
            // Esc asks; Cancel keeps the window, OK ends the program with 0.
            for (const int answer : {IDCANCEL, IDOK}) {
                Key(VK_ESCAPE);
                HWND box = nullptr;
                WaitFor(
                    3000, "the close confirmation",
                    [&] {
                        for (HWND found : Boxes())
                            if (IsConfirmation(found)) box = found;
                        return box != nullptr;
                    },
                    true);
                Expect(Text(box) == Utf16(u8"關閉程式"), "the title of the close confirmation");
                if (answer == IDOK) Line("closing");
                Answer(box, answer, "confirmation");
                if (answer == IDCANCEL)
                    WaitFor(3000, "the sign-in window back after Cancel",
                            [&] { return Boxes().empty() && IsWindowVisible(form1) && IsChild(form1, Focus()); });
            }
            Within(1 << 30, [] { return false; });
        }

        // The right password.
        TabTo(edits[0]);
        TabTo(edits[1]);
        Type(L"906");
        Key(VK_RETURN);
        HWND form2 = nullptr;
        WaitFor(2000, "the wait window", [&] { return (form2 = Shown(L"Form2")) != nullptr; });
        Expect(!IsWindowVisible(form1), "the sign-in window hidden");
        const std::vector<HWND> waitLabels = Children(form2, L"Static");
        Expect(waitLabels.size() == 2 && ShowsWhole(waitLabels[0], Utf16(u8"開啟系統...          ")) &&
                   ShowsWhole(waitLabels[1], Utf16(u8"請稍候...              ")),
               "the wait window's texts");
        Expect(Children(form2, L"msctls_statusbar32").size() == 1, "the wait window's status bar");
        Done(3);

        HWND form3 = nullptr;
        WaitFor(4000, "the main window", [&] { return (form3 = Shown(L"Form3")) != nullptr; });
        Expect(!IsWindowVisible(form2) && !IsWindowVisible(form1), "the main window alone");
        Done(4);

        // Its close box: the program ends, with 0.
        Line("closing");
        PostMessageW(form3, WM_SYSCOMMAND, SC_CLOSE, 0);
        Within(1 << 30, [] { return false; });
    }

    DWORD thread_;
    FILE* report_;
    Lock lock_;
    std::vector<HWND> answered_;
    int phase_ = 0;
    LONG markersPosted_ = 0;
    bool closeAtSignIn_ = std::getenv("SIGNIN_FAULT_CLOSE") != nullptr;
};

Person* person = nullptr;

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
    const std::string missing = fi::Install();
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
    std::wstring command = L"\"" + std::wstring(self) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    Run run;
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start the child: " << GetLastError();
        return run;
    }
    // Longer than any wait of the script: a run not over by then stalled.
    if (WaitForSingleObject(process.hProcess, 40000) == WAIT_TIMEOUT) {
        run.timedOut = true;
        TerminateProcess(process.hProcess, kStalled);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
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

enum class Verdict { Survived, Reported, Stalled, Crashed, Broken };

Verdict Judge(const Run& run, fi::Call call, std::string& seen) {
    const auto boxes = run.Starting("box\t");
    const auto failures = run.Starting("stall\t"), broken = run.Starting("broken\t");
    seen = !failures.empty() ? failures[0] : !broken.empty() ? broken[0] : !boxes.empty() ? boxes[0] : "";
    if (run.timedOut || run.exitCode == kStalled) return Verdict::Stalled;
    if (run.exitCode == kBroken) return Verdict::Broken;
    if (run.exitCode != 0 && run.exitCode != 1) {
        seen = "exit code " + std::to_string(run.exitCode);
        return Verdict::Crashed;
    }
    if (run.exitCode == 0) {
        const bool wholeRun = !run.Starting("phase 2 ").empty() && !run.Starting("closing").empty();
        if (wholeRun && boxes.empty()) return Verdict::Survived;
        if (seen.empty()) seen = "ended with 0 before the end of the sign-in";
        return Verdict::Broken;
    }
    // Exit code 1: one box, naming what failed, then the system's reason.
    const std::string reason = ReasonOf(fi::ErrorOf(call));
    if (boxes.size() != 1) {
        seen = std::to_string(boxes.size()) + " boxes, exit code 1" + (seen.empty() ? "" : ": " + seen);
        return Verdict::Broken;
    }
    const std::string text = boxes[0].substr(boxes[0].find('\t', 4) + 1);
    const size_t at = text.find(": " + reason);
    return at != std::string::npos && at > 0 ? Verdict::Reported : Verdict::Broken;
}

// The phases a run goes through: every one up to the refusals, then either
// the sign-in and hand-over (the main window then closed by its close box)
// or the closing at the sign-in window.
std::vector<int> PhasesOf(bool close) { return close ? std::vector<int>{0, 1, 2, 5} : std::vector<int>{0, 1, 2, 3, 4}; }

// The counts at the end of each phase (indexed by phase) from a run with
// nothing failing; the last phase ends with the process.
std::vector<std::vector<int>> CountPhases(bool close) {
    const Run run = RunOnce("count", close);
    EXPECT_EQ(run.exitCode, 0u) << "the run with nothing failing";
    EXPECT_TRUE(run.Starting("missing").empty()) << run.Starting("missing")[0];
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

struct Point {
    fi::Call call;
    int nth;
};

// The failure points of `phase`: every call of interest it makes, and of its
// allocations, which are many, at most kAllocationSample evenly spread
// (every one with SIGNIN_FAULT_EVERY_ALLOCATION set).
constexpr int kAllocationSample = 6;
std::vector<Point> PointsOf(int phase, bool close, const std::vector<std::vector<int>>& ends, int& allocations) {
    const std::vector<int> phases = PhasesOf(close);
    const auto at = std::find(phases.begin(), phases.end(), phase);
    const std::vector<int>* before = at == phases.begin() ? nullptr : &ends[*(at - 1)];
    std::vector<Point> points;
    for (int i = 0; i < fi::kCalls; ++i) {
        const auto call = static_cast<fi::Call>(i);
        const int first = before ? (*before)[i] + 1 : 1, last = ends[phase][i];
        int step = 1;
        if (call == fi::Call::OperatorNew) {
            allocations = last - first + 1;
            if (!std::getenv("SIGNIN_FAULT_EVERY_ALLOCATION"))
                step = std::max(1, (allocations + kAllocationSample - 1) / kAllocationSample);
        }
        for (int nth = first; nth <= last; nth += step) points.push_back({call, nth});
    }
    return points;
}

void WalkPhase(int phase) {
    const bool close = phase == 5;
    const auto ends = CountPhases(close);
    ASSERT_EQ(ends.size(), static_cast<size_t>(kPhaseCount));
    int allocations = 0;
    const std::vector<Point> points = PointsOf(phase, close, ends, allocations);
    int verdicts[5] = {}, failedAllocations = 0;
    static const char* const kVerdicts[] = {"survived", "reported", "STALLED", "CRASHED", "BROKEN"};
    for (const Point& point : points) {
        const std::string fault = std::string(fi::NameOf(point.call)) + " " + std::to_string(point.nth);
        std::string seen;
        const Verdict verdict = Judge(RunOnce(fault, close), point.call, seen);
        ++verdicts[static_cast<int>(verdict)];
        if (point.call == fi::Call::OperatorNew) ++failedAllocations;
        std::printf("  %-28s %-8s %s\n", fault.c_str(), kVerdicts[static_cast<int>(verdict)], seen.c_str());
        std::fflush(stdout);
        EXPECT_TRUE(verdict == Verdict::Survived || verdict == Verdict::Reported) << fault << ": " << seen;
    }
    std::printf(
        "%s: %d failure points (%d of %d allocations), survived %d, reported %d, stalls %d, crashes %d, "
        "broken %d\n",
        kPhases[phase], static_cast<int>(points.size()), failedAllocations, allocations, verdicts[0], verdicts[1],
        verdicts[2], verdicts[3], verdicts[4]);
    EXPECT_FALSE(points.empty());
}

}  // namespace

TEST(FaultWalk, StartUp) { WalkPhase(0); }
TEST(FaultWalk, Prompt) { WalkPhase(1); }
TEST(FaultWalk, Refusals) { WalkPhase(2); }
TEST(FaultWalk, SignIn) { WalkPhase(3); }
TEST(FaultWalk, HandOver) { WalkPhase(4); }
TEST(FaultWalk, Closing) { WalkPhase(5); }

int main(int argc, char** argv) {
    if (const char* fault = std::getenv("SIGNIN_FAULT")) return RunChild(fault, std::getenv("SIGNIN_FAULT_REPORT"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
