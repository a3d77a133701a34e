// Starts the built program as its own process, waits for its visible
// window titled "Form1", closes it as a user would, and checks that the
// program ends with exit code 0.
//
//   smoke_test PATH-TO-PROGRAM.exe

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Wine hands Unix paths through unchanged; its Z: drive is the root.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindForm1(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t title[16] = {};
    GetWindowTextW(hwnd, title, 16);
    if (owner == search->processId && IsWindowVisible(hwnd) && std::wstring(title) == L"Form1") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int Fail(const char* what, PROCESS_INFORMATION& process) {
    std::printf("FAILED: %s\n", what);
    TerminateProcess(process.hProcess, 99);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: smoke_test PROGRAM.exe\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + WindowsPath(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("FAILED: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForInputIdle(process.hProcess, 15000);

    Search search{process.dwProcessId, nullptr};
    for (int tries = 0; tries < 150 && !search.found; ++tries) {
        EnumWindows(FindForm1, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    if (!search.found) return Fail("no visible window titled Form1", process);
    std::printf("found the visible window Form1\n");

    PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
        return Fail("the program did not end after its window was closed", process);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("the program ended with exit code %lu\n", exitCode);
    return exitCode == 0 ? 0 : 1;
}
