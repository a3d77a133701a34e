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

#include "program_driver.h"

using namespace driver;

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || std::wstring(argv[1]) != L"--expect-failure") {
        std::printf("usage: smoke_test --expect-failure TEXT PROGRAM.exe\n");
        return 2;
    }
    try {
        const Program program(argv[3]);
        HWND box = nullptr;
        Require(WaitUntil([&] { return (box = program.MessageBox()) != nullptr; }, 15000),
                "no message box reporting the failed start-up");
        const SeenBox seen = Read(box);
        Note("the message box says: " + Utf8(seen.text));
        Require(seen.text.find(argv[2]) != std::wstring::npos, "the message does not name what failed");
        // Titled with the program's name; a failure's stop sign, not an information icon.
        const std::wstring file = std::wstring(argv[3]).substr(std::wstring(argv[3]).find_last_of(L"\\/") + 1);
        Require(seen.caption == file.substr(0, file.rfind(L'.')), "the box's title is " + Shown(seen.caption));
        std::string icon;
        Require(WaitUntil([&] { return (icon = IconShown(seen.icon)) == "hand"; }, 5000),
                "the box shows the icon \"" + icon + "\", not the stop sign");
        Require(!program.Visible(L"Form1"), "a window titled Form1 is visible");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Require(program.WaitForEnd(15000), "the program did not end after its box was closed");
        Note("the program ended with exit code " + std::to_string(program.ExitCode()));
        return program.ExitCode() == 1u ? 0 : 1;
    } catch (const std::exception& failure) {
        Note(std::string("FAILED: ") + failure.what());
        return 1;
    }
}
