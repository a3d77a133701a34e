#pragma once
// Helpers for driving the program's windows inside the test process: the
// event loop for a while, real keyboard input, and an answerer for the
// modal message boxes that the windows open.

#include <windows.h>

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "program_driver.h"

namespace testing_support {

// Runs the application's event loop for `milliseconds`.
void Pump(int milliseconds);
// Runs the event loop until `done` holds or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
// Counts the messages of one kind a window gets, as a window subclass
// (SetWindowSubclass) whose id names the message and whose data points to
// the count; a text read also counts as EM_GETLINE.
LRESULT CALLBACK CountMessages(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR counted,
                               DWORD_PTR count);
// When the program last started a timer on `window`: a timer's interval is
// judged from the program's own SetTimer call, not from when a driver call
// returned. (Recorded from the first ProgramWindows set-up on.)
std::chrono::steady_clock::time_point TimerStartedOn(HWND window);

using driver::ClipboardText;
using driver::MsSince;
using driver::PutOnClipboard;
using driver::RectOf;
using driver::SeenBox;
using driver::TextOf;
using wide_text::Utf16;

// Keyboard input as the user makes it (SendInput), then the event loop
// until the thread has taken it: a marker key sent after it (F24, which
// nothing here uses) flips its toggle state only once every key before it
// has been dispatched. False when that takes over two seconds.
bool PressKey(WORD virtualKey, bool shift = false, bool alt = false, bool ctrl = false);
bool TypeText(const std::wstring& text);
// Sets an edit field's text as the program's own code could, straight
// through the edit control's own procedure: the password field refuses
// WM_SETTEXT from anyone.
void SetFieldText(HWND field, const wchar_t* text);

// Answers every message box of this thread with `answer` (IDOK, IDCANCEL)
// after `delayMs`, recording what it showed; while it lives.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int answer, int delayMs = 50);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<SeenBox>& Seen() const { return seen_; }
    // Runs `look` just before each answer, while the box is still open.
    void BeforeAnswering(std::function<void()> look) { beforeAnswering_ = std::move(look); }

private:
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD);
    void Check();

    int answer_;
    int delayMs_;
    UINT_PTR timer_ = 0;
    std::vector<SeenBox> seen_;
    HWND pending_ = nullptr;
    std::chrono::steady_clock::time_point pendingSince_;
    std::function<void()> beforeAnswering_;
};

// The program's three windows built and the sign-in window shown by the
// program's own start-up; all destroyed after the test.
class ProgramWindows : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    void StartUp();
};

}  // namespace testing_support
