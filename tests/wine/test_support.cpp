#include "test_support.h"

#include <map>

#include "import_table.h"
#include "input_events.h"
#include "program_texts.h"
#include "startup.h"
#include "text_codec.h"

namespace testing_support {

namespace {
BoxAnswerer* activeAnswerer = nullptr;  // the timer callback has no context

// The program's SetTimer calls, seen through the test program's import table.
std::map<HWND, std::chrono::steady_clock::time_point> timersStarted;
void* systemSetTimer = nullptr;
UINT_PTR WINAPI RecordedSetTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC callback) {
    timersStarted[window] = std::chrono::steady_clock::now();
    return reinterpret_cast<decltype(&::SetTimer)>(systemSetTimer)(window, id, interval, callback);
}
}  // namespace

LRESULT CALLBACK CountMessages(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR counted,
                               DWORD_PTR count) {
    if (message == counted || (counted == WM_GETTEXT && message == EM_GETLINE)) ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::chrono::steady_clock::time_point TimerStartedOn(HWND window) {
    const auto found = timersStarted.find(window);
    return found == timersStarted.end() ? std::chrono::steady_clock::time_point{} : found->second;
}

void Pump(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Application->ProcessMessages();
        if (done()) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left.count(), 20)),
                                  QS_ALLINPUT);
    }
}

namespace {
// How many releases of the marker key this thread has taken off its queue,
// seen by a hook as they are taken. (Its toggle state is no witness: under
// Wine it was seen not to flip when the active window changed while the
// keys before it were handled, as when Enter signs in.)
int markersTaken = 0;
LRESULT CALLBACK SeeMarkerKey(int code, WPARAM removal, LPARAM message) {
    const auto* taken = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && taken->message == WM_KEYUP && taken->wParam == VK_F24)
        ++markersTaken;
    return CallNextHookEx(nullptr, code, removal, message);
}

// Sends `inputs` and the marker key, then pumps until the marker is taken:
// every key before it has been handled.
bool SendAndSettle(std::vector<INPUT> inputs) {
    // Kept for the test program's life: every test here types.
    static const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, SeeMarkerKey, nullptr, GetCurrentThreadId());
    if (!hook) return false;
    const int before = markersTaken;
    const std::vector<INPUT> marker = input_events::Chord(VK_F24);
    inputs.insert(inputs.end(), marker.begin(), marker.end());
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Taking keys measures no time: the bound is one load cannot reach.
    return PumpUntil([before] { return markersTaken > before; }, 10000);
}
}  // namespace

bool PressKey(WORD virtualKey, bool shift, bool alt, bool ctrl) {
    std::vector<WORD> held;
    if (ctrl) held.push_back(VK_CONTROL);
    if (shift) held.push_back(VK_SHIFT);
    if (alt) held.push_back(VK_MENU);
    return SendAndSettle(input_events::Chord(virtualKey, held));
}

bool TypeText(const std::wstring& text) { return SendAndSettle(input_events::UnicodeText(text)); }

void SetFieldText(HWND field, const wchar_t* text) {
    const auto editControl = reinterpret_cast<WNDPROC>(GetClassLongPtrW(field, GCLP_WNDPROC));
    CallWindowProcW(editControl, field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

BoxAnswerer::BoxAnswerer(int answer, int delayMs) : answer_(answer), delayMs_(delayMs) {
    activeAnswerer = this;
    timer_ = SetTimer(nullptr, 0, 15, &BoxAnswerer::Poll);
}

BoxAnswerer::~BoxAnswerer() {
    KillTimer(nullptr, timer_);
    activeAnswerer = nullptr;
}

void CALLBACK BoxAnswerer::Poll(HWND, UINT, UINT_PTR, DWORD) {
    if (activeAnswerer) activeAnswerer->Check();
}

namespace {
BOOL CALLBACK CollectBoxes(HWND hwnd, LPARAM list) {
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if (std::wstring(className) == L"#32770" && IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}
}  // namespace

void BoxAnswerer::Check() {
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), CollectBoxes, reinterpret_cast<LPARAM>(&boxes));
    if (boxes.empty()) {
        pending_ = nullptr;
        return;
    }
    HWND box = boxes.front();
    if (box != pending_) {
        pending_ = box;
        pendingSince_ = std::chrono::steady_clock::now();
        seen_.push_back(driver::Read(box));
        return;
    }
    if (std::chrono::steady_clock::now() - pendingSince_ < std::chrono::milliseconds(delayMs_)) return;
    if (beforeAnswering_) beforeAnswering_();
    HWND button = GetDlgItem(box, answer_);
    if (!button) button = GetDlgItem(box, IDOK);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    pending_ = nullptr;
}

namespace {
// Ends the program's event loop once its main window is shown and in front:
// from then on the test drives the windows with its own pumping.
void CALLBACK LeaveTheLoopOnceShown(HWND, UINT, UINT_PTR, DWORD) {
    if (Form1 && Form1->Visible() && GetForegroundWindow() == Form1->Handle()) Application->Terminate();
}
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { Application->Terminate(); }
}  // namespace

void ProgramWindows::SetUp() {
    static bool watchingTimers = false;
    if (!watchingTimers) {
        import_table::Redirection setTimer{"SetTimer", reinterpret_cast<void*>(&RecordedSetTimer), &systemSetTimer};
        import_table::Redirect(&setTimer, 1);
        watchingTimers = true;
    }
    // A start-up slowed past the prompt timer's first tick (a loaded
    // machine) leaves the tests nothing to see of that tick: the windows
    // are made again, three times at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) TearDown();
        StartUp();
        if (HasFatalFailure() || TextOf(Form1->Label3->Handle()) == program_texts::BlankStatus()) return;
    }
}

void ProgramWindows::StartUp() {
    // The program's own start-up: its windows built in its order, the main
    // one shown by the event loop.
    const UINT_PTR watch = SetTimer(nullptr, 0, 10, LeaveTheLoopOnceShown);
    const UINT_PTR deadline = SetTimer(nullptr, 0, 10000, GiveUp);
    StartSignInProgram();
    KillTimer(nullptr, watch);
    KillTimer(nullptr, deadline);
    ASSERT_TRUE(Form1 && Form1->Visible() && GetForegroundWindow() == Form1->Handle())
        << "the sign-in window did not come to the front within 10 s";
    // The loop ends only by ending the application: take back the quit it
    // posted and ready the application again, its windows kept.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    Application->Initialize();
}

void ProgramWindows::TearDown() {
    Application->DestroyForms();
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
}

}  // namespace testing_support
