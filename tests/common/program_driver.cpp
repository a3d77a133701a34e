#include "program_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <oleacc.h>
#include <tlhelp32.h>
#include <vector>

#include "input_events.h"

namespace driver {

long long MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

long long MsSince(Clock::time_point from) { return MsBetween(from, Clock::now()); }

std::string Shown(const std::wstring& text) {
    return "\"" + Utf8(text) + "\" (" + std::to_string(text.size()) + " characters)";
}

namespace {
int failures = 0;
}

void Note(const std::string& line) {
    std::fputs(("  " + line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void Expect(bool holds, const std::string& what) {
    if (holds) return;
    ++failures;
    Note("FAILED: " + what);
}

void Require(bool holds, const std::string& what) {
    if (!holds) throw Failure(what);
}

int FailureCount() { return failures; }

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // The driver's own messages: accessibility events arrive as such.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (done()) return true;
        if (Clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Pause(int milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

// ---- the program as a process ----

namespace {
using input_events::WindowsPath;

struct WindowSearch {
    DWORD processId;
    std::function<bool(HWND)> wanted;
    HWND found = nullptr;
};

BOOL CALLBACK SearchTopLevel(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !search->wanted(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& wanted) {
    WindowSearch search{processId, wanted};
    EnumWindows(SearchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

Program::Program(const std::wstring& path, const std::wstring& arguments, const std::wstring& preload) {
    std::wstring commandLine = L"\"" + WindowsPath(path) + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = Clock::now();
    const DWORD flags = preload.empty() ? 0 : CREATE_SUSPENDED;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                        &process_))
        throw Failure("cannot start the program (error " + std::to_string(GetLastError()) + ")");
    if (preload.empty()) return;
    // A process that could not be set up is ended here: the destructor does
    // not run for an object whose constructor throws.
    try {
        // The system's libraries sit at the same address in every process of
        // a width, so this process's LoadLibraryW is the program's.
        const std::wstring library = WindowsPath(preload);
        const LPARAM name = CopyIn(library.c_str(), (library.size() + 1) * sizeof(wchar_t));
        const auto load = reinterpret_cast<PAPCFUNC>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        if (!load || !QueueUserAPC(load, process_.hThread, static_cast<ULONG_PTR>(name)) ||
            ResumeThread(process_.hThread) == static_cast<DWORD>(-1)) {
            const DWORD error = GetLastError();
            throw Failure("cannot load " + Utf8(library) + " into the program (error " + std::to_string(error) + ")");
        }
    } catch (...) {
        TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        throw;
    }
}

Program::~Program() {
    if (!Ended()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND Program::Window(const wchar_t* title) const {
    const std::wstring wanted(title);
    return FindTopLevel(process_.dwProcessId, [&](HWND hwnd) {
        wchar_t text[32] = {};
        GetWindowTextW(hwnd, text, 32);
        return wanted == text;
    });
}

bool Program::Visible(const wchar_t* title) const {
    HWND hwnd = Window(title);
    return hwnd && IsWindowVisible(hwnd);
}

HWND Program::MessageBox() const {
    return FindTopLevel(process_.dwProcessId,
                        [](HWND hwnd) { return ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd); });
}

HWND Program::PopupMenu() const {
    return FindTopLevel(process_.dwProcessId,
                        [](HWND hwnd) { return ClassOf(hwnd) == L"#32768" && IsWindowVisible(hwnd); });
}

HWND Program::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

bool Program::Ended() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

bool Program::WaitForEnd(int timeoutMs) const {
    return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

LPARAM Program::CopyIn(const void* data, size_t size) const {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process_.dwProcessId);
    void* inside = process ? VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
    const bool written = inside && WriteProcessMemory(process, inside, data, size, nullptr);
    if (process) CloseHandle(process);
    Require(written, "data could be written into the program's memory");
    return reinterpret_cast<LPARAM>(inside);
}

DWORD Program::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

// ---- reading ----

std::wstring TextOf(HWND hwnd) {
    // One WM_GETTEXT into a buffer with room to spare: the text is copied in
    // one step of the program's thread, so a text set meanwhile is read
    // whole or not at all (asking for the length first and then the text
    // can read a longer text cut to the old length). A buffer filled to the
    // brim may have cut the text: read again with a larger one.
    for (size_t room = 4096;; room *= 4) {
        std::wstring text(room, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, room, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                                 &copied))
            return L"<no answer>";
        if (copied + 1 < room) {
            text.resize(copied);
            return text;
        }
    }
}

int TextLengthOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return -1;
    return static_cast<int>(length);
}

int MaskCountOf(HWND field) {
    RECT client{};
    GetClientRect(field, &client);
    MapWindowPoints(field, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return 0;
    const std::vector<COLORREF> pixels = ScreenPixels(client);
    // Anything clearly darker than the field's white: masks, the caret.
    const auto dark = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 200; };
    int count = 0;
    bool inMark = false;
    for (int x = 0; x < width; ++x) {
        int top = height, bottom = -1;
        for (int y = 0; y < height; ++y)
            if (dark(pixels[static_cast<size_t>(y * width + x)])) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        // A column with nothing dark ends a mark; the caret's column (dark
        // over more than half the field's height) is passed over.
        const bool marked = bottom >= 0 && bottom - top + 1 <= height / 2;
        if (marked && !inMark) ++count;
        if (bottom < 0) inMark = false;
        else if (marked) inMark = true;
    }
    return count;
}

bool ShowsMasks(HWND field, int count) {
    constexpr int kSurelyVisible = 10;
    const int shown = MaskCountOf(field);
    return count <= kSurelyVisible ? shown == count : shown >= kSurelyVisible;
}

namespace {
// What a screen reader reads of a control through one of IAccessible's text
// getters; "<none>" when it gets nothing.
std::wstring AccessibleText(HWND hwnd, HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, BSTR*)) {
    IAccessible* accessible = nullptr;
    // By __uuidof: the 64-bit import library's IID_IAccessible is not the
    // interface's id.
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))) ||
        !accessible)
        return L"<none>";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    std::wstring result = L"<none>";
    if (SUCCEEDED((accessible->*getter)(self, &text)) && text) result.assign(text, SysStringLen(text));
    SysFreeString(text);
    accessible->Release();
    return result;
}
}  // namespace

std::wstring AccessibleNameOf(HWND hwnd) { return AccessibleText(hwnd, &IAccessible::get_accName); }
std::wstring AccessibleValueOf(HWND hwnd) { return AccessibleText(hwnd, &IAccessible::get_accValue); }

RECT RectOf(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

std::string Describe(const RECT& rect) {
    return "at " + std::to_string(rect.left) + "," + std::to_string(rect.top) + ", " +
           std::to_string(rect.right - rect.left) + " x " + std::to_string(rect.bottom - rect.top);
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace {}  // namespace

std::vector<HWND> ChildrenByPlace(HWND parent, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && lstrcmpiW(ClassOf(child).c_str(), className) == 0) found.push_back(child);
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        const RECT ra = RectOf(a), rb = RectOf(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return found;
}

SignInWindow LookAt(HWND form1) {
    SignInWindow seen;
    seen.window = form1;
    auto labels = ChildrenByPlace(form1, L"Static");
    auto fields = ChildrenByPlace(form1, L"Edit");
    auto buttons = ChildrenByPlace(form1, L"Button");
    Require(labels.size() == 3, "the sign-in window shows 3 labels, not " + std::to_string(labels.size()));
    Require(fields.size() == 2, "the sign-in window shows 2 fields, not " + std::to_string(fields.size()));
    Require(buttons.size() == 2, "the sign-in window shows 2 buttons, not " + std::to_string(buttons.size()));
    seen.accountCaption = labels[0];
    seen.passwordCaption = labels[1];
    seen.status = labels[2];
    seen.account = fields[0];
    seen.password = fields[1];
    seen.noButton = buttons[0];
    seen.okButton = buttons[1];
    return seen;
}

WaitWindow LookAtWait(HWND form2) {
    WaitWindow seen;
    seen.window = form2;
    auto labels = ChildrenByPlace(form2, L"Static");
    Require(labels.size() == 2, "the wait window shows 2 lines, not " + std::to_string(labels.size()));
    seen.upperLine = labels[0];
    seen.lowerLine = labels[1];
    return seen;
}

SeenBox Read(HWND box) {
    SeenBox seen;
    seen.box = box;
    seen.caption = TextOf(box);
    if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = TextOf(text);  // the message's static control
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring className = ClassOf(child);
        if (lstrcmpiW(className.c_str(), L"Button") == 0) {
            ++seen.buttons;
            if (GetDlgCtrlID(child) == IDOK) seen.ok = child;
            if (GetDlgCtrlID(child) == IDCANCEL) seen.cancel = child;
        } else if (lstrcmpiW(className.c_str(), L"Static") == 0 &&
                   (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            seen.icon = child;
        }
    }
    return seen;
}

namespace {
// The pixels of a screen area, 32 bits each, top row first.
std::vector<COLORREF> Pixels(HDC source, int x, int y, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<const COLORREF*>(bits),
                                 static_cast<const COLORREF*>(bits) + static_cast<size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    for (COLORREF& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

// A stock icon drawn as the box draws it: at its natural size, on the
// box's background colour.
std::vector<COLORREF> Drawn(LPCWSTR stockIcon, int width, int height, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, stockIcon), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    SelectObject(memory, old);
    DeleteDC(memory);
    HDC again = CreateCompatibleDC(screen);
    old = SelectObject(again, bitmap);
    std::vector<COLORREF> pixels = Pixels(again, 0, 0, width, height);
    SelectObject(again, old);
    DeleteDC(again);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

std::vector<COLORREF> ScreenPixels(const RECT& area) {
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels = Pixels(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<COLORREF> SteadyScreenPixels(const RECT& area) {
    std::vector<COLORREF> last = ScreenPixels(area);
    WaitUntil(
        [&] {
            Pause(50);
            std::vector<COLORREF> now = ScreenPixels(area);
            const bool same = now == last;
            last = std::move(now);
            return same;
        },
        2000);
    return last;
}

std::string IconShown(HWND icon) {
    const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    // The icon is drawn at the top-left of its control.
    const RECT place = RectOf(icon);
    HDC screen = GetDC(nullptr);
    const std::vector<COLORREF> onScreen = Pixels(screen, place.left, place.top, width, height);
    ReleaseDC(nullptr, screen);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);

    struct Candidate {
        const char* name;
        LPCWSTR id;
    };
    const Candidate candidates[] = {
        {"exclamation", IDI_EXCLAMATION}, {"hand", IDI_HAND}, {"question", IDI_QUESTION}, {"asterisk", IDI_ASTERISK}};
    std::string best;
    size_t fewestDifferent = onScreen.size();
    for (const Candidate& candidate : candidates) {
        const std::vector<COLORREF> drawn = Drawn(candidate.id, width, height, background);
        size_t different = 0;
        for (size_t i = 0; i < drawn.size(); ++i) different += drawn[i] != onScreen[i];
        if (different < fewestDifferent) {
            fewestDifferent = different;
            best = candidate.name;
        }
    }
    // A few pixels may differ (a focus line or antialiasing), not more.
    return fewestDifferent * 20 <= onScreen.size() ? best : std::string();
}

// ---- input ----

namespace {
using input_events::Key;

void Send(std::vector<INPUT> inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Require(sent == inputs.size(),
            "SendInput took " + std::to_string(sent) + " of " + std::to_string(inputs.size()) + " events");
}

INPUT Mouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return input;
}
}  // namespace

void Press(WORD virtualKey, bool shift, int pauseMs) {
    Send(shift ? input_events::Chord(virtualKey, {VK_SHIFT}) : input_events::Chord(virtualKey));
    if (pauseMs > 0) Pause(pauseMs);
}

void PressWithCtrl(WORD virtualKey) {
    Send(input_events::Chord(virtualKey, {VK_CONTROL}));
    Pause(80);
}

void PressRepeatedly(WORD virtualKey, int times) {
    std::vector<INPUT> inputs;
    for (int i = 0; i < times; ++i) {
        inputs.push_back(Key(virtualKey, false));
        inputs.push_back(Key(virtualKey, true));
    }
    if (!inputs.empty()) Send(inputs);
}

void Type(const std::wstring& text) {
    if (!text.empty()) Send(input_events::UnicodeText(text));
    Pause(80);
}

namespace {
// Moves to `where`, then presses and releases a mouse button there.
void ClickWith(POINT where, DWORD down, DWORD up) {
    // Absolute positions are in 1/65536 of the screen; rounding up lands
    // on the pixel itself.
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const LONG dx = static_cast<LONG>((static_cast<long long>(where.x) * 65536 + width - 1) / width);
    const LONG dy = static_cast<LONG>((static_cast<long long>(where.y) * 65536 + height - 1) / height);
    const DWORD here = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    // Under Wine's virtual desktop the cursor can fall back to where it was
    // for a while after a move (when the position is asked for, Wine takes
    // the X server's, which has not followed yet). So the press and the
    // release each carry the position too, and the driver never asks.
    Send({Mouse(here, dx, dy)});
    Pause(100);
    Send({Mouse(here | down, dx, dy)});
    Pause(60);
    Send({Mouse(here | up, dx, dy)});
    Pause(100);
}
}  // namespace

void ClickAt(POINT where) { ClickWith(where, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }

void RightClickAt(POINT where) { ClickWith(where, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

POINT CenterOf(HWND hwnd) {
    const RECT rect = RectOf(hwnd);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT CloseBoxOf(HWND window) {
    // The title bar lies just above the client area; its buttons are
    // caption-high squares at its right end, the close box the last one.
    RECT client{};
    GetClientRect(window, &client);
    POINT topRight{client.right, 0};
    ClientToScreen(window, &topRight);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    const int button = GetSystemMetrics(SM_CXSIZE);
    return POINT{topRight.x - button / 2 - 1, topRight.y - caption / 2 - 1};
}

void ClearFocusedField() {
    Press(VK_END);
    Press(VK_HOME, /*shift=*/true);
    Press(VK_DELETE);
}

// ---- the clipboard ----

namespace {
// Another program (Wine's clipboard manager) may hold the clipboard for a
// moment: try again for a while.
bool OpenTheClipboard() {
    return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}
}  // namespace

void PutOnClipboard(const std::wstring& text) {
    Require(OpenTheClipboard(), "cannot open the clipboard");
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
        GlobalUnlock(memory);
    }
    const bool put = memory && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    if (!put && memory) GlobalFree(memory);
    Require(put, "cannot put a text on the clipboard");
}

std::wstring ClipboardText() {
    Require(OpenTheClipboard(), "cannot open the clipboard");
    std::wstring text = L"<none>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = characters;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// ---- what the process holds ----

namespace {
BOOL CALLBACK CountOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The window and all its descendants.
int WithDescendants(HWND window) {
    int count = 1;
    EnumChildWindows(window, CountOne, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct ThreadWindows {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectThreadWindow(HWND hwnd, LPARAM context) {
    reinterpret_cast<ThreadWindows*>(context)->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

int WindowsOf(DWORD processId) {
    std::vector<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) threads.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);

    ThreadWindows windows;
    for (DWORD thread : threads) EnumThreadWindows(thread, CollectThreadWindow, reinterpret_cast<LPARAM>(&windows));
    // Message-only windows: EnumThreadWindows may not list them.
    for (HWND hwnd = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
         hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == processId) windows.found.push_back(hwnd);
    }
    std::sort(windows.found.begin(), windows.found.end());
    windows.found.erase(std::unique(windows.found.begin(), windows.found.end()), windows.found.end());
    int count = 0;
    for (HWND hwnd : windows.found) count += WithDescendants(hwnd);
    return count;
}

namespace {
// A whole file of the Linux side (files under /proc report no size: read
// to the end).
bool ReadLinuxFile(const std::string& path, std::string& contents) {
    const std::wstring windowsPath = L"Z:" + Utf16(path.c_str());
    HANDLE file = CreateFileW(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    contents.clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) contents.append(buffer, got);
    CloseHandle(file);
    return true;
}
}  // namespace

int LinuxProcessWith(const std::string& commandLineText) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int pid = 0, matches = 0;
    do {
        const std::string name = Utf8(found.cFileName);
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string commandLine;
        if (!ReadLinuxFile("/proc/" + name + "/cmdline", commandLine)) continue;
        if (commandLine.find(commandLineText) == std::string::npos) continue;
        pid = std::atoi(name.c_str());
        ++matches;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return matches == 1 ? pid : 0;
}

PrivateMemory PrivateMemoryOf(int linuxPid) {
    PrivateMemory memory;
    std::string rollup;
    if (!ReadLinuxFile("/proc/" + std::to_string(linuxPid) + "/smaps_rollup", rollup)) return memory;
    auto field = [&](const std::string& name) {
        const size_t at = rollup.find("\n" + name + ":");
        return at == std::string::npos ? -1LL : std::atoll(rollup.c_str() + at + name.size() + 2);
    };
    memory.cleanKiB = field("Private_Clean");
    memory.dirtyKiB = field("Private_Dirty");
    return memory;
}

}  // namespace driver
