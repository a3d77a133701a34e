#pragma once
// What a person at the screen can do to the sign-in program, and what they
// can see of it: the one driver of the test programs. The end-to-end driver
// starts the program as a separate process; the in-process tests and the
// fault walk use the same reading and input on windows of their own process.
// The program is acted on only with real input events (SendInput: keys,
// typed characters, mouse clicks at screen positions) and read back only the
// way a screen reader would (window titles, visibility, positions, the texts
// of standard controls through WM_GETTEXT, the focus, pixels on the screen).

#include <windows.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "wide_text.h"

namespace driver {

using Clock = std::chrono::steady_clock;
long long MsBetween(Clock::time_point from, Clock::time_point to);
long long MsSince(Clock::time_point from);

using wide_text::Utf16;
using wide_text::Utf8;
// A text for messages: quoted UTF-8, with its length so trailing spaces count.
std::string Shown(const std::wstring& text);

// A check that does not hold: the scenario fails.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Timing outside the driver's control made the run unable to show what the
// scenario is about (for instance Wine started too slowly to act before the
// first tick): the scenario is run again with a fresh program.
struct Inconclusive : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Prints the message and counts the failure; the scenario goes on.
void Expect(bool holds, const std::string& what);
// Prints the message and stops the scenario.
void Require(bool holds, const std::string& what);
int FailureCount();
void Note(const std::string& line);

// Polls `done` every few milliseconds until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
void Pause(int milliseconds);

// The program, started as its own process; ended by force when the object
// goes while it still runs.
class Program {
public:
    // `arguments` are added to its command line (the program ignores them;
    // they can tell this run's process from others). A `preload` library is
    // loaded into it before any of its own code runs (its imports already
    // bound): the process starts suspended with the load queued to its
    // first thread.
    explicit Program(const std::wstring& unixOrWindowsPath, const std::wstring& arguments = L"",
                     const std::wstring& preload = L"");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Its top-level window with this title, shown or hidden.
    HWND Window(const wchar_t* title) const;
    bool Visible(const wchar_t* title) const;
    // Its visible message box (dialog class "#32770"), or null.
    HWND MessageBox() const;
    // Its visible pop-up menu (class "#32768", a context menu), or null.
    HWND PopupMenu() const;
    // The window that has the keyboard focus in the program's thread.
    HWND Focus() const;

    bool Ended() const;
    bool WaitForEnd(int timeoutMs) const;
    DWORD ExitCode() const;

    // A copy of `size` bytes at `data` put into the program's memory (as a
    // message's pointer would point into it); its address there.
    LPARAM CopyIn(const void* data, size_t size) const;

    Clock::time_point Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_{};
    Clock::time_point started_;
};

// A standard control's text as a screen reader gets it (WM_GETTEXT).
std::wstring TextOf(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
// Its length only (WM_GETTEXTLENGTH).
int TextLengthOf(HWND hwnd);
// How many mask characters a masked field shows, counted on the screen: the
// marks in its client area, apart from the caret (a mark as tall as the
// line). Only what fits in the field's width is seen.
int MaskCountOf(HWND field);
// Whether the masked field shows `count` masks: exactly that many while they
// surely fit in its width (ten), at least ten beyond that.
bool ShowsMasks(HWND field, int count);
// The name a screen reader gives the control (oleacc: its accessible
// object's name); "<none>" when it has none.
std::wstring AccessibleNameOf(HWND hwnd);
// The value it reads (get_accValue); "<none>" when it gets none.
std::wstring AccessibleValueOf(HWND hwnd);
RECT RectOf(HWND hwnd);
std::string Describe(const RECT& rect);
bool SameRect(const RECT& a, const RECT& b);
// The visible children of `parent` of a window class, top to bottom, then
// left to right.
std::vector<HWND> ChildrenByPlace(HWND parent, const wchar_t* className);

// The sign-in window as a person meets it: the controls found by what they
// are and where they sit.
struct SignInWindow {
    HWND window = nullptr;
    HWND accountCaption = nullptr;  // the upper label
    HWND passwordCaption = nullptr;
    HWND status = nullptr;    // the line under the fields
    HWND account = nullptr;   // the upper field
    HWND password = nullptr;  // the masked field
    HWND noButton = nullptr;  // the left button
    HWND okButton = nullptr;  // the right button
};
SignInWindow LookAt(HWND form1);
// The wait window's two lines, top to bottom.
struct WaitWindow {
    HWND window = nullptr;
    HWND upperLine = nullptr;
    HWND lowerLine = nullptr;
};
WaitWindow LookAtWait(HWND form2);

// The message box as a person reads it.
struct SeenBox {
    HWND box = nullptr;
    std::wstring caption;
    std::wstring text;
    HWND ok = nullptr;
    HWND cancel = nullptr;
    HWND icon = nullptr;
    int buttons = 0;  // how many buttons it shows
};
SeenBox Read(HWND box);
// Which stock icon the pixels at the box's icon place match best:
// "exclamation", "hand", "question", "asterisk" or "" when none is close.
std::string IconShown(HWND icon);

// The pixels of a screen area, 32 bits each, top row first.
std::vector<COLORREF> ScreenPixels(const RECT& area);
// The same, once two looks 50 ms apart agree (the last look after 2 s):
// Wine puts a redraw on the screen a moment after the program made it.
std::vector<COLORREF> SteadyScreenPixels(const RECT& area);

// Real input events. Each waits a moment afterwards, as a person would.
void Press(WORD virtualKey, bool shift = false, int pauseMs = 80);
// A key pressed with Ctrl held (Ctrl+C, Ctrl+V).
void PressWithCtrl(WORD virtualKey);
// The same key pressed `times` times in one batch of input events, with no
// pause between (a person holding the key down, auto-repeat).
void PressRepeatedly(WORD virtualKey, int times);
void Type(const std::wstring& text);
void ClickAt(POINT where);
void RightClickAt(POINT where);
POINT CenterOf(HWND hwnd);
// The close box of a framed window: at the right end of its title bar.
POINT CloseBoxOf(HWND window);
// Empties the field that has the focus: End, Shift+Home, Delete.
void ClearFocusedField();

// The clipboard, as the other programs on the desktop share it.
void PutOnClipboard(const std::wstring& text);
// Its text, or "<none>" when it holds none.
std::wstring ClipboardText();

// How many windows the process owns: the top-level and message-only windows
// of each of its threads and all their descendants.
int WindowsOf(DWORD processId);

// The Linux side of a Wine process, read through Wine's Z: drive (the
// Linux root): Wine runs each Windows process as a Linux process of its
// own, whose id is not the Windows one, and shows the Windows command line
// as the Linux process's. So the Linux process is found by a text of its
// command line that only it has; 0 when no process, or more than one, has it.
int LinuxProcessWith(const std::string& commandLineText);
// The process's private memory in KiB, from /proc/PID/smaps_rollup: its
// clean and dirty pages mapped by no other process (Private_Clean,
// Private_Dirty); -1 each when it cannot be read.
struct PrivateMemory {
    long long cleanKiB = -1;
    long long dirtyKiB = -1;
    long long TotalKiB() const { return cleanKiB + dirtyKiB; }
};
PrivateMemory PrivateMemoryOf(int linuxPid);

}  // namespace driver
