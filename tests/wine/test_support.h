#pragma once
// Helpers for driving the program's windows inside the test process: the
// event loop for a while, real keyboard input, and an answerer for the
// modal message boxes that the windows open.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "wide_text.h"

namespace testing_support {

// Runs the application's event loop for `milliseconds`.
void Pump(int milliseconds);
// Runs the event loop until `done` holds or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// Keyboard input as the user makes it (SendInput), then a short pump so
// it is handled.
void PressKey(WORD virtualKey, bool shift = false, bool alt = false);
void TypeText(const std::wstring& text);

std::wstring WindowText(HWND hwnd);
using wide_text::Utf16;
RECT WindowRect(HWND hwnd);

// One message box as the test saw it before answering it.
struct SeenBox {
    std::wstring caption;
    std::wstring text;
    bool hasOk = false;
    bool hasCancel = false;
    bool hasIcon = false;
    bool ownerDisabled = false;
};

// Answers every message box of this thread with `answer` (IDOK, IDCANCEL)
// after `delayMs`, recording what it showed; while it lives.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int answer, int delayMs = 50);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<SeenBox>& Seen() const { return seen_; }
    int MostOpenAtOnce() const { return mostOpen_; }

private:
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD);
    void Check();

    int answer_;
    int delayMs_;
    UINT_PTR timer_ = 0;
    std::vector<SeenBox> seen_;
    HWND pending_ = nullptr;
    std::chrono::steady_clock::time_point pendingSince_;
    int mostOpen_ = 0;
};

// The program's three windows built from their layouts, the sign-in window
// shown as the event loop shows it; all destroyed after the test.
class ProgramWindows : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace testing_support
