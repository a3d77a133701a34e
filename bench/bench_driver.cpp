// Starts the sign-in program and the baseline in turn (program, baseline,
// program, ...) and measures each start:
//   - start-up: from just before CreateProcess until the input queue is idle
//     (WaitForInputIdle) and the window titled "Form1" of that process is
//     visible;
//   - private memory once idle: Private_Clean + Private_Dirty of the Linux
//     process that runs it, from /proc/PID/smaps_rollup (under Wine the
//     Win32 counters read 0);
//   - windows it owns: its top-level windows (EnumWindows) and their
//     descendants (EnumChildWindows);
//   - hand-over: fills in the accepted account, clicks OK with the mouse
//     (SendInput), then times OK -> "Form2" visible and "Form2" visible ->
//     "Form3" visible.
// Writes one line per start to RAW.csv (and each start's smaps to
// RAW.csv.program.N.smaps / RAW.csv.baseline.N.smaps) and the table of
// medians to TABLE.md. Must run in the same Wine desktop as the programs.
//
//   bench_driver RUNS PROGRAM.exe BASELINE.exe RAW.csv TABLE.md
//
// Finding the Linux process: Wine names a process's Linux command line
// after its Windows path and passes WINEPREFIX on in its environment, so the
// driver lists Z:\proc (the Linux /proc through Wine's Z: drive) and takes
// the newest process whose command line holds the program's file name and
// whose environment holds this driver's WINEPREFIX (other people's Wine
// runs on the same machine use other prefixes).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "clock.h"
#include "input_events.h"

namespace {

double Now() { return MillisecondsNow(); }

using input_events::WindowsPath;

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Widen(const char* ascii) {
    std::wstring out;
    while (*ascii) out += static_cast<wchar_t>(*ascii++);
    return out;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

// ------------------------------------------------------------ windows

struct Find {
    DWORD processId;
    const wchar_t* title;
    bool mustBeVisible;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM context) {
    auto* find = reinterpret_cast<Find*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != find->processId) return TRUE;
    if (find->mustBeVisible && !IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[16] = {};
    GetWindowTextW(hwnd, title, 16);
    if (std::wcscmp(title, find->title) != 0) return TRUE;
    find->found = hwnd;
    return FALSE;
}

HWND FindWindowOf(DWORD processId, const wchar_t* title, bool mustBeVisible) {
    Find find{processId, title, mustBeVisible, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

struct Count {
    DWORD processId;
    int topLevel;
    int all;
};

BOOL CALLBACK CountChild(HWND, LPARAM context) {
    ++reinterpret_cast<Count*>(context)->all;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM context) {
    auto* count = reinterpret_cast<Count*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != count->processId) return TRUE;
    ++count->topLevel;
    ++count->all;
    EnumChildWindows(hwnd, CountChild, context);  // every descendant, not only direct children
    return TRUE;
}

struct Children {
    HWND account = nullptr;
    HWND password = nullptr;
    HWND ok = nullptr;
};

BOOL CALLBACK FindChildren(HWND hwnd, LPARAM context) {
    auto* children = reinterpret_cast<Children*>(context);
    wchar_t windowClass[32] = {};
    GetClassNameW(hwnd, windowClass, 32);
    if (_wcsicmp(windowClass, L"Edit") == 0) {
        if (GetWindowLongW(hwnd, GWL_STYLE) & ES_PASSWORD) children->password = hwnd;
        else children->account = hwnd;
    } else if (_wcsicmp(windowClass, L"Button") == 0) {
        wchar_t text[16] = {};
        GetWindowTextW(hwnd, text, 16);
        if (std::wcscmp(text, L"OK") == 0) children->ok = hwnd;
    }
    return TRUE;
}

// ------------------------------------------------------------ Linux side

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
}

// The start time of a Linux process in clock ticks (field 22 of /proc/PID/stat).
unsigned long long StartTime(const std::string& stat) {
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    size_t at = close + 2;  // field 3 onwards
    for (int field = 3; field < 22 && at != std::string::npos; ++field) at = stat.find(' ', at) + 1;
    return std::strtoull(stat.c_str() + at, nullptr, 10);
}

// The Linux PID of the newest process of this Wine prefix running `exeName`; 0 if none.
unsigned long LinuxPid(const std::wstring& exeName, const std::string& winePrefix) {
    const std::string name = Narrow(exeName);
    const std::string prefixEntry = "WINEPREFIX=" + winePrefix;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    unsigned long best = 0;
    unsigned long long bestStart = 0;
    do {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
        const std::wstring dir = std::wstring(L"Z:\\proc\\") + entry.cFileName;
        const std::string commandLine = ReadWholeFile(dir + L"\\cmdline");
        if (commandLine.find(name) == std::string::npos) continue;
        const std::string environment = ReadWholeFile(dir + L"\\environ");
        // Entries end in NUL: match the whole entry, not a prefix of a longer path.
        if (environment.find(prefixEntry + '\0') == std::string::npos) continue;
        const unsigned long long start = StartTime(ReadWholeFile(dir + L"\\stat"));
        if (!best || start >= bestStart) {
            best = std::wcstoul(entry.cFileName, nullptr, 10);
            bestStart = start;
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return best;
}

// CPU time the process has used, all its threads, in milliseconds: the first
// field of /proc/PID/task/TID/schedstat is nanoseconds on a CPU. Unlike the
// start-up time, it hardly changes with other work on the machine.
double CpuMs(unsigned long pid) {
    if (!pid) return -1;
    const std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\task\\";
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return -1;
    double ns = 0;
    do {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
        ns += std::strtod(ReadWholeFile(tasks + entry.cFileName + L"\\schedstat").c_str(), nullptr);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return ns / 1e6;
}

long SmapsField(const std::string& smaps, const char* field) {
    const size_t at = smaps.find(field);
    if (at == std::string::npos) return -1;
    return std::strtol(smaps.c_str() + at + std::strlen(field), nullptr, 10);
}

// Private_Clean + Private_Dirty in KiB, and Private_Dirty alone; -1 when unreadable.
std::pair<long, long> PrivateKiB(unsigned long pid) {
    if (!pid) return {-1, -1};
    const std::string smaps = ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\smaps_rollup");
    const long clean = SmapsField(smaps, "\nPrivate_Clean:");
    const long dirty = SmapsField(smaps, "\nPrivate_Dirty:");
    if (clean < 0 || dirty < 0) return {-1, -1};
    return {clean + dirty, dirty};
}

// ------------------------------------------------------------ one start

struct Sample {
    double startupMs = -1;
    double cpuMs = -1;
    long privateKiB = -1;
    long privateDirtyKiB = -1;
    int windows = -1;
    int topLevelWindows = -1;
    double toWaitMs = -1;
    double toMainMs = -1;
    std::string problem;
};

void Click(HWND button) {
    RECT box;
    GetWindowRect(button, &box);
    const int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, width - 1);
        input.mi.dy = MulDiv(y, 65535, height - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(3, inputs, sizeof(INPUT));
}

// Polls every millisecond until `window` is visible; the time then, or -1.
double WhenVisible(HWND window, double deadline) {
    for (;;) {
        if (IsWindowVisible(window)) return Now();
        if (Now() > deadline) return -1;
        Sleep(1);
    }
}

// Saves a process's /proc/PID/smaps to `path`, for a per-mapping account.
void SaveSmaps(unsigned long pid, const std::wstring& path) {
    const std::string smaps = ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\smaps");
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        std::fwrite(smaps.data(), 1, smaps.size(), out);
        std::fclose(out);
    }
}

// `smapsPath`: where to save the process's smaps when its memory is read; empty: not saved.
Sample Measure(const std::wstring& program, const std::string& winePrefix, const std::wstring& smapsPath = {}) {
    Sample sample;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};

    const double started = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        sample.problem = "cannot start";
        return sample;
    }
    const DWORD pid = process.dwProcessId;
    HWND signIn = nullptr;
    if (WaitForInputIdle(process.hProcess, 20000) == 0) {
        const double deadline = Now() + 20000;
        while (!(signIn = FindWindowOf(pid, L"Form1", true)) && Now() < deadline) Sleep(1);
    }
    if (signIn) {
        sample.startupMs = Now() - started;

        // Memory once the start has settled: half a second after the idle,
        // visible window (before the first tick of the one-second timer).
        // Read at once it varies by about a megabyte from start to start,
        // with whatever Wine is still doing at that moment.
        const unsigned long linuxPid = LinuxPid(FileName(program), winePrefix);
        sample.cpuMs = CpuMs(linuxPid);
        Sleep(static_cast<DWORD>(std::max(0.0, 500 - (Now() - started - sample.startupMs))));
        std::tie(sample.privateKiB, sample.privateDirtyKiB) = PrivateKiB(linuxPid);
        if (!smapsPath.empty() && linuxPid) SaveSmaps(linuxPid, smapsPath);
        if (sample.privateKiB < 0) sample.problem = "no Linux process found";

        Count count{pid, 0, 0};
        EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
        sample.windows = count.all;
        sample.topLevelWindows = count.topLevel;

        // The hand-over: the wait and main windows exist, hidden, from start-up.
        HWND wait = FindWindowOf(pid, L"Form2", false);
        HWND main = FindWindowOf(pid, L"Form3", false);
        Children children;
        EnumChildWindows(signIn, FindChildren, reinterpret_cast<LPARAM>(&children));
        if (wait && main && children.account && children.password && children.ok) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(children.account, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Tovi"), SMTO_BLOCK, 5000,
                                &result);
            SendMessageTimeoutW(children.password, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"906"), SMTO_BLOCK, 5000,
                                &result);
            WaitForInputIdle(process.hProcess, 5000);
            const double clicked = Now();
            Click(children.ok);
            const double waitShown = WhenVisible(wait, clicked + 5000);
            const double mainShown = waitShown < 0 ? -1 : WhenVisible(main, waitShown + 5000);
            if (waitShown >= 0) sample.toWaitMs = waitShown - clicked;
            if (mainShown >= 0) sample.toMainMs = mainShown - waitShown;
            if (waitShown < 0 || mainShown < 0) sample.problem = "hand-over not seen";
        } else {
            sample.problem = "windows of the hand-over not found";
        }
    } else {
        sample.problem = "no visible Form1";
    }

    // Closing the main window (or the sign-in window, if the hand-over did
    // not happen) ends either program.
    HWND closing = FindWindowOf(pid, L"Form3", true);
    if (!closing) closing = FindWindowOf(pid, L"Form1", false);
    if (closing) PostMessageW(closing, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
        if (sample.problem.empty()) sample.problem = "did not end when closed";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return sample;
}

// ------------------------------------------------------------ the table

double Median(std::vector<double> values) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Lowest and highest of the measured values (failed measurements are -1).
std::pair<double, double> Range(std::vector<double> values) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty()) return {-1, -1};
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return {*low, *high};
}

template <typename Field>
std::vector<double> Column(const std::vector<Sample>& samples, Field field) {
    std::vector<double> column;
    for (const Sample& sample : samples) column.push_back(static_cast<double>(field(sample)));
    return column;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::printf("usage: bench_driver RUNS PROGRAM.exe BASELINE.exe RAW.csv TABLE.md\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const std::wstring programs[2] = {WindowsPath(argv[2]), WindowsPath(argv[3])};
    const char* names[2] = {"program", "baseline"};
    char prefix[1024] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);

    FILE* raw = _wfopen(argv[4], L"w");
    FILE* table = _wfopen(argv[5], L"w");
    if (!raw || !table) return 2;
    std::fprintf(raw,
                 "which,run,startup_ms,cpu_ms,private_kib,private_dirty_kib,windows,top_level_windows,ok_to_wait_ms,"
                 "wait_to_main_ms,problem\n");

    timeBeginPeriod(1);
    // One start of each first, not counted, so both find Wine's files in the page cache.
    for (const std::wstring& program : programs) Measure(program, prefix);

    std::vector<Sample> samples[2];
    int problems = 0;
    for (int run = 1; run <= runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            // Every counted start leaves its smaps beside RAW.csv.
            const std::wstring smaps =
                std::wstring(argv[4]) + L"." + Widen(names[which]) + L"." + std::to_wstring(run) + L".smaps";
            Sample s = Measure(programs[which], prefix, smaps);
            if (!s.problem.empty()) ++problems;
            std::fprintf(raw, "%s,%d,%.2f,%.2f,%ld,%ld,%d,%d,%.2f,%.2f,%s\n", names[which], run, s.startupMs, s.cpuMs,
                         s.privateKiB, s.privateDirtyKiB, s.windows, s.topLevelWindows, s.toWaitMs, s.toMainMs,
                         s.problem.c_str());
            std::fflush(raw);
            samples[which].push_back(s);
        }
    }
    timeEndPeriod(1);

    // What the program must reach: Check says whether it does, given the
    // program's and the baseline's medians.
    using Check = bool (*)(double program, double baseline);
    struct Row {
        const char* figure;
        const char* format;
        const char* target;
        Check met;
        std::vector<double> program, baseline;
    };
    auto both = [&](auto field) { return std::make_pair(Column(samples[0], field), Column(samples[1], field)); };
    std::vector<Row> rows;
    auto add = [&](const char* figure, const char* format, const char* target, Check met, auto field) {
        auto [p, b] = both(field);
        rows.push_back(Row{figure, format, target, met, p, b});
    };
    const Check atMostTenPercentMore = [](double p, double b) { return b > 0 && p >= 0 && p <= 1.10 * b; };
    const Check same = [](double p, double b) { return p >= 0 && p == b; };
    add("Start-up to idle, visible sign-in window (ms)", "%.1f", "≤ 1.10 × baseline", atMostTenPercentMore,
        [](const Sample& s) { return s.startupMs; });
    add("CPU time the process used by then, all threads (ms)", "%.1f", "(no target)", nullptr,
        [](const Sample& s) { return s.cpuMs; });
    add("Private memory once idle (KiB)", "%.0f", "≤ 1.10 × baseline", atMostTenPercentMore,
        [](const Sample& s) { return s.privateKiB; });
    // Private_Clean here is clean pages of mapped files (mostly fonts): they count
    // as private only while no other process on the machine maps the same
    // pages, so that part comes and goes with other work. Private_Dirty does not.
    add("  of which Private_Dirty (KiB)", "%.0f", "≤ 1.10 × baseline", atMostTenPercentMore,
        [](const Sample& s) { return s.privateDirtyKiB; });
    add("Windows owned (top-level + descendants)", "%.0f", "= baseline", same,
        [](const Sample& s) { return s.windows; });
    add("Windows owned, top-level only", "%.0f", "= baseline", same, [](const Sample& s) { return s.topLevelWindows; });
    add(
        "Hand-over: OK click to wait window visible (ms)", "%.1f", "≤ 50 ms",
        [](double p, double) { return p >= 0 && p <= 50; }, [](const Sample& s) { return s.toWaitMs; });
    add(
        "Hand-over: wait window to main window visible (ms)", "%.1f", "1000 ± 50 ms",
        [](double p, double) { return p >= 950 && p <= 1050; }, [](const Sample& s) { return s.toMainMs; });

    std::fprintf(table,
                 "| Figure (median of %d starts each) | Program | Baseline | Program / baseline | Target | Met |\n",
                 runs);
    std::fprintf(table, "|---|---:|---:|---:|---|---|\n");
    for (const Row& row : rows) {
        const double p = Median(row.program), b = Median(row.baseline);
        char pText[32], bText[32], ratio[32] = "-";
        std::snprintf(pText, sizeof pText, row.format, p);
        std::snprintf(bText, sizeof bText, row.format, b);
        if (p >= 0 && b > 0) std::snprintf(ratio, sizeof ratio, "%.3f", p / b);
        std::fprintf(table, "| %s | %s | %s | %s | %s | %s |\n", row.figure, pText, bText, ratio, row.target,
                     !row.met        ? "-"
                     : row.met(p, b) ? "yes"
                                     : "**no**");
    }
    // The spread, so a reader can judge the noise.
    for (int which = 0; which < 2; ++which) {
        const auto [startupLow, startupHigh] =
            Range(Column(samples[which], [](const Sample& s) { return s.startupMs; }));
        const auto [handOverLow, handOverHigh] =
            Range(Column(samples[which], [](const Sample& s) { return s.toMainMs; }));
        std::fprintf(table, "\n%s: start-up min %.1f / max %.1f ms; wait to main min %.1f / max %.1f ms.  ",
                     names[which], startupLow, startupHigh, handOverLow, handOverHigh);
    }
    std::fprintf(table, "\n\nStarts with a problem: %d (see the raw file)\n", problems);
    std::fclose(raw);
    std::fclose(table);
    return problems ? 1 : 0;
}
