// Fails every system call of interest and allocation the program makes,
// one per run, each run in a fresh process, and judges each run whose fault
// was injected as a person would see it: the windows and texts as designed
// through a whole sign-in and closing, the password field's guards holding
// (survived), or the error box naming what failed and the failed call's own
// reason, then exit code 1 (reported). A stall, a crash or behaviour that is
// neither fails. A run whose failing call never came is not judged.
//
// Each run is the shipped program file with the person of the walk loaded
// into it before its own code runs (fault_walk_person.cpp): the program's
// first thread is counted and failed; a thread of the person's works it
// with keys posted where the focus is and watches what shows.

#include "fault_walk.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "fault_injection.h"
#include "import_table.h"
#include "program_driver.h"

namespace fi = fault_injection;
using namespace fault_walk;
using wide_text::Utf16;
using wide_text::Utf8;

namespace {

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

// Starts the shipped program with the person in it and `fault`; the person
// closes it at the sign-in window (`close`) or signs in.
Run RunOnce(const std::string& fault, bool close) {
    wchar_t folder[MAX_PATH] = {}, report[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"flt", 0, report);
    SetEnvironmentVariableW(L"SIGNIN_FAULT", Utf16(fault.c_str()).c_str());
    SetEnvironmentVariableW(L"SIGNIN_FAULT_REPORT", report);
    SetEnvironmentVariableW(L"SIGNIN_FAULT_CLOSE", close ? L"1" : nullptr);
    Run run;
    {
        // Longer than any wait of the script: a run not over by then stalled.
        const driver::Program child(SIGNIN_PROGRAM_FILE, L"", SIGNIN_WALK_PERSON);
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
    // Titled with the program's name, from the first moment on.
    const size_t tab = boxes[0].find('\t', 4);
    const std::string title = boxes[0].substr(4, tab - 4), text = boxes[0].substr(tab + 1);
    const size_t at = text.find(": " + ReasonFor(call));
    return at != std::string::npos && at > 0 && title == "SignIn" ? Verdict::Reported : Verdict::Broken;
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
        if (call == fi::Call::malloc) allocations = made;
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
        if (point.call == fi::Call::malloc) ++failedAllocations;
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
