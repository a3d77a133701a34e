// Starts a deliberately broken build of the program as its own process,
// waits for the message box of its failed start-up, checks that its text
// names TEXT and that no window titled "Form1" shows, answers OK and checks
// exit code 1. (The whole program, closed as a user would, ending with 0 is
// seen end to end: tests/e2e.)
//
//   smoke_test --expect-failure TEXT PROGRAM.exe

#include <windows.h>

#include <cstdio>
#include <string>

#include "input_events.h"

namespace {

using input_events::WindowsPath;

struct Search {
    DWORD processId;
    HWND found;
    const wchar_t* className;  // or null: any class, titled Form1
};

std::wstring Text(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

BOOL CALLBACK FindWindowOfProcess(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    const bool match = search->className ? std::wstring(className) == search->className : Text(hwnd) == L"Form1";
    if (!match) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, int tries = 150) {
    Search search{processId, nullptr, className};
    for (; tries > 0 && !search.found; --tries) {
        EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    return search.found;
}

int Fail(const char* what, PROCESS_INFORMATION& process) {
    std::printf("FAILED: %s\n", what);
    TerminateProcess(process.hProcess, 99);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || std::wstring(argv[1]) != L"--expect-failure") {
        std::printf("usage: smoke_test --expect-failure TEXT PROGRAM.exe\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + WindowsPath(argv[argc - 1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("FAILED: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForInputIdle(process.hProcess, 15000);

    HWND box = WaitForWindow(process.dwProcessId, L"#32770");
    if (!box) return Fail("no message box reporting the failed start-up", process);
    const std::wstring text = Text(GetDlgItem(box, 0xFFFF));
    std::printf("the message box says: %ls\n", text.c_str());
    if (text.find(argv[2]) == std::wstring::npos) return Fail("the message does not name what failed", process);
    if (WaitForWindow(process.dwProcessId, nullptr, 1)) return Fail("a window titled Form1 is visible", process);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
        return Fail("the program did not end after its window was closed", process);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("the program ended with exit code %lu\n", exitCode);
    return exitCode == 1u ? 0 : 1;
}
