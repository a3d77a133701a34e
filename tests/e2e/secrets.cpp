// The program among other programs on the desktop: once an attempt has been
// checked the program's memory holds the typed password only in the field
// itself, and after signing in not even that; another program cannot lift
// the password field's mask, read its value as a screen reader does or copy
// it, forged messages are survived, OK pressed by another program signs in,
// and a library planted beside the program is not loaded.

#include <windows.h>

#include <imm.h>
#include <oleacc.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "input_events.h"
#include "process_memory.h"
#include "program_driver.h"
#include "session.h"

namespace e2e {
namespace {

// A long, distinctive password of 40 characters: ASCII and Chinese, none of
// them repeated, so any dozen of them in a row occur nowhere else.
std::wstring LongPassword() { return L"Hq5$Wz8!PmKv2&Rg7*Ud4^" + Utf16(u8"密Tn3#碼Xe6@門Lb9%山") + L"Jc"; }

std::string Bytes(const std::wstring& text, UINT codePage) {
    if (codePage == 1200) return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

// The right account with a long wrong password, typed before the prompt
// timer's first tick so that it ticks with both fields filled; after three
// seconds of that, OK (Enter) is refused. Then the program's memory is
// searched for the password's last dozen characters (the heap writes its
// own links over the head of a freed block), in UTF-16 and in Big5: only
// the field's own buffer may hold them.
void NoCopyLeftBehind() {
    Session session;
    const SignInWindow& w = session.signIn;
    const std::wstring password = LongPassword();
    const std::wstring tail = password.substr(password.size() - 12);
    const std::string utf16 = Bytes(tail, 1200), big5 = Bytes(tail, 950);
    Require(big5.size() > tail.size(), "the password's tail has Chinese characters in Big5");

    // From the No button: Tab, Tab to the account field, Tab to the password.
    Require(session.FocusOn(w.noButton), "the focus starts on the No button");
    Press(VK_TAB, false, 0);
    Press(VK_TAB, false, 0);
    Type(L"Tovi");
    Press(VK_TAB, false, 0);
    Type(password);
    Require(
        WaitUntil(
            [&] { return TextOf(w.account) == L"Tovi" && ShowsMasks(w.password, static_cast<int>(password.size())); },
            2000),
        "the fields show what was typed");
    const auto filled = Clock::now();
    if (session.Status() != BlankStatus()) throw Inconclusive("the first tick came before both fields were filled");
    // The timer ticks once a second: three ticks or more with both filled.
    Expect(!WaitUntil([&] { return session.Status() != BlankStatus(); }, 3200),
           "the prompt showed while both fields were filled");
    Note("both fields filled for " + std::to_string(MsSince(filled)) + " ms");

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, session.program.Id());
    Require(process != nullptr, "the program's memory can be opened");
    const std::vector<int> ticked = process_memory::CountCopies(process, {utf16, big5});
    Require(ticked.size() == 2, "the program's memory can be read");
    Note("after the ticks: " + std::to_string(ticked[0]) + " UTF-16 copies, " + std::to_string(ticked[1]) +
         " Big5 copies");

    // OK by Enter, then Tab: the focus moves on once the attempt is handled.
    Press(VK_RETURN, false, 0);
    Press(VK_TAB, false, 0);
    Require(session.FocusOn(w.noButton, 5000), "the attempt was handled");
    Require(session.program.Visible(L"Form1") && !session.program.Visible(L"Form2"), "the attempt was refused");
    const std::vector<int> checked = process_memory::CountCopies(process, {utf16, big5});
    Require(checked.size() == 2, "the program's memory can be read");
    Note("after the refused attempt: " + std::to_string(checked[0]) + " UTF-16 copies, " + std::to_string(checked[1]) +
         " Big5 copies");
    Expect(checked[0] == 1, "the password's tail is in the program's memory " + std::to_string(checked[0]) +
                                " times in UTF-16 (only the field's own copy allowed)");
    Expect(checked[1] == 0,
           "the password's tail is in the program's memory " + std::to_string(checked[1]) + " times in Big5");
    // The search finds what is there: the field still holds the password.
    Expect(ticked[0] >= 1, "the search finds the field's own copy");

    // Selected and typed over with the right password, which signs in: once
    // the main window shows, nothing of the replaced password is left, not
    // even for the field's undo.
    ClickAt(CenterOf(w.password));
    Require(session.FocusOn(w.password), "a click gave the password field the focus");
    Press(VK_END, false, 0);
    Press(VK_HOME, true, 0);
    Type(L"906");
    Press(VK_RETURN, false, 0);
    Require(WaitUntil([&] { return session.program.Visible(L"Form3"); }, 4000),
            "the right password typed over the long one signs in");
    const std::vector<int> signedIn = process_memory::CountCopies(process, {utf16, big5});
    CloseHandle(process);
    Require(signedIn.size() == 2, "the program's memory can be read");
    Note("after signing in: " + std::to_string(signedIn[0]) + " UTF-16 copies, " + std::to_string(signedIn[1]) +
         " Big5 copies");
    Expect(signedIn[0] == 0 && signedIn[1] == 0, "the replaced password outlives the sign-in");
}

// Another program's messages to the sign-in window: changes of resolution
// with no rectangle, with one that cannot be read, or with one of no sane
// size (written into the program's memory from outside), a creation
// message with nothing to create, and a timer message naming a procedure.
// Each is handled (a selection posted after it shows) and the window stays
// as it was. Copy and Cut sent to the password field take nothing out.
// Then, with the right account typed, OK pressed by another program as
// assistive tools press buttons (BM_CLICK) signs in.
void OtherProgramsMessages() {
    Session session;
    const SignInWindow& w = session.signIn;
    session.Fill(w.account, L"906");
    session.Fill(w.password, L"906");
    Press(VK_TAB);
    Require(session.FocusOn(w.noButton), "Tab from the password field reaches the No button");

    // EM_SETPASSWORDCHAR 0, sent and posted as "password revealer" tools do,
    // leaves the field's pixels as they were. The same message masks and
    // unmasks an ordinary field, which then looks like the password field
    // and like itself again: the pixels would show a lifted mask.
    const std::vector<COLORREF> masked = SteadyScreenPixels(RectOf(w.password)),
                                plain = SteadyScreenPixels(RectOf(w.account));
    const auto looks = [](HWND field, const std::vector<COLORREF>& pixels) {
        return WaitUntil(
            [&] {
                RedrawWindow(field, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                return ScreenPixels(RectOf(field)) == pixels;
            },
            2000);
    };
    SendMessageW(w.password, EM_SETPASSWORDCHAR, 0, 0);
    PostMessageW(w.password, EM_SETPASSWORDCHAR, 0, 0);
    PostMessageW(w.account, EM_SETPASSWORDCHAR, L'*', 0);  // handled after the one posted before it
    Require(masked != plain && looks(w.account, masked), "the account field masked from outside");
    Expect(looks(w.password, masked) && SendMessageW(w.password, EM_GETPASSWORDCHAR, 0, 0) == L'*',
           "another program lifted the password field's mask");
    SendMessageW(w.account, EM_SETPASSWORDCHAR, 0, 0);
    Expect(looks(w.account, plain), "the account field unmasked from outside");
    // A screen reader reads the account field's value, the password field's not.
    const std::wstring accountValue = AccessibleValueOf(w.account), passwordValue = AccessibleValueOf(w.password);
    Expect(accountValue == L"906" && (passwordValue == L"<none>" || passwordValue.empty()),
           "a screen reader reads the fields as " + Shown(accountValue) + " and " + Shown(passwordValue));

    session.Fill(w.account, L"Tovi");
    const RECT designed = RectOf(w.window);

    const RECT planted[2] = {{0, 0, 0, 0}, {0, 0, 100000, 100000}};
    const LPARAM empty = session.program.CopyIn(planted, sizeof(planted)),
                 huge = empty + static_cast<LPARAM>(sizeof(RECT));
    const WPARAM to144 = MAKEWPARAM(144, 144);  // high word: the new resolution
    CREATESTRUCTW create{};                     // copied into the program by the system, as it is sent
    create.lpCreateParams = reinterpret_cast<void*>(0x10);

    // What, the message and its parameters, and whether it is sent (or posted).
    const std::tuple<const char*, UINT, WPARAM, LPARAM, bool> forged[] = {
        {"a change to 144 pixels per inch with no rectangle, posted", WM_DPICHANGED, to144, 0, false},
        {"the same, sent", WM_DPICHANGED, to144, 0, true},
        {"a change whose rectangle cannot be read", WM_DPICHANGED, to144, 0x10, false},
        {"a change to an empty rectangle", WM_DPICHANGED, to144, empty, false},
        {"a change to a rectangle 100,000 pixels wide", WM_DPICHANGED, to144, huge, false},
        {"a creation message with nothing to create, sent", WM_NCCREATE, 0, 0, true},
        {"a creation message whose record points at 0x10, sent", WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create),
         true},
        // The window's user data, which any program may write, then a message
        // to the window (0: WM_NULL): no pointer to the window's object, nor
        // its absence (OK, pressed below, must still work).
        {"the window's user data written as 0x10", 0, GWLP_USERDATA, 0x10, true},
        {"the window's user data written as 0", 0, GWLP_USERDATA, 0, true},
        {"a timer message naming a procedure that is not there", WM_TIMER, 1, 0x10, false},
    };
    DWORD selected = 0;
    for (const auto& [what, message, wParam, lParam, sent] : forged) {
        if (!message) SetWindowLongPtrW(w.window, static_cast<int>(wParam), lParam);
        if (sent) SendMessageTimeoutW(w.window, message, wParam, lParam, SMTO_NORMAL, 5000, nullptr);
        else Require(PostMessageW(w.window, message, wParam, lParam), what + std::string(": could be posted"));
        selected = selected % 3 + 1;
        PostMessageW(w.account, EM_SETSEL, 0, selected);
        Require(WaitUntil(
                    [&] {
                        DWORD_PTR selection = 0;
                        return SendMessageTimeoutW(w.account, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 500, &selection) &&
                               HIWORD(selection) == selected;
                    },
                    5000),
                what + std::string(": the program stopped answering"));
        Expect(SameRect(RectOf(w.window), designed), what + (": the window became " + Describe(RectOf(w.window))));
    }

    // Copy and Cut sent by another program take nothing out of the field.
    PutOnClipboard(L"left by another program");
    SendMessageW(w.password, EM_SETSEL, 0, -1);
    SendMessageW(w.password, WM_COPY, 0, 0);
    SendMessageW(w.password, WM_CUT, 0, 0);
    SendMessageW(w.password, EM_SETSEL, 3, 3);  // masks shown unselected, to be counted
    Expect(ClipboardText() == L"left by another program" && WaitUntil([&] { return ShowsMasks(w.password, 3); }, 5000),
           "Copy or Cut sent by another program took the password out of its field");

    // A word-break procedure set from outside, pointed at a system function
    // that lies at the same address in every program: the edit control would
    // call it with the whole text on a double-click and on Ctrl+Right.
    while (const ATOM left = GlobalFindAtomW(L"906")) GlobalDeleteAtom(left);
    PostMessageW(w.password, EM_SETWORDBREAKPROC, 0,
                 reinterpret_cast<LPARAM>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GlobalAddAtomW")));
    PostMessageW(w.password, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    ClickAt(CenterOf(w.password));
    Require(session.FocusOn(w.password), "a click gave the password field the focus");
    Press(VK_HOME);
    PressWithCtrl(VK_RIGHT);
    Expect(WaitUntil([&] { return HIWORD(SendMessageW(w.password, EM_GETSEL, 0, 0)) == 3; }, 5000),
           "Ctrl+Right did not reach the end of the password");
    Expect(!GlobalFindAtomW(L"906"), "the password went into the global atom table");

    // Each way of deleting or replacing the password from another program,
    // and by keys, then the field emptied (its selection typed over with
    // Backspace): neither the head of a 40-character password (left where a
    // growing buffer moved from) nor its tail is left in the program.
    const std::wstring password = LongPassword();
    const std::vector<std::string> ends = {Bytes(password.substr(8, 12), 1200), Bytes(password.substr(28), 1200)};
    const auto end = [&] { return static_cast<size_t>(HIWORD(SendMessageW(w.password, EM_GETSEL, 0, 0))); };
    // What, and the message sent with the whole text selected (0: the key
    // pressed instead: Delete on the selection, Backspace once for each
    // character from the end).
    const std::tuple<const char*, UINT, WPARAM, LPARAM> routes[] = {
        {"EM_REPLACESEL", EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"")},
        {"WM_SETTEXT", WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"")},
        {"WM_IME_CHAR", WM_IME_CHAR, 'x', 0},
        {"WM_UNICHAR", WM_UNICHAR, 'x', 0},
        {"WM_IME_COMPOSITION", WM_IME_COMPOSITION, 'x', GCS_RESULTSTR},
        {"WM_CLEAR", WM_CLEAR, 0, 0},
        {"Delete", 0, VK_DELETE, 0},
        {"Backspace", 0, VK_BACK, 0},
    };
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, session.program.Id());
    std::vector<int> before = {0, 0};  // each row judged by the copies it adds
    for (const auto& [what, message, wParam, lParam] : routes) {
        ClearFocusedField();
        Type(password);
        Require(WaitUntil([&] { return end() == password.size(); }, 5000), what + std::string(": typed"));
        SendMessageW(w.password, EM_SETSEL, 0, -1);
        if (message) {
            SendMessageW(w.password, message, wParam, lParam);
        } else {
            if (wParam == VK_BACK) SendMessageW(w.password, EM_SETSEL, password.size(), password.size());
            PressRepeatedly(static_cast<WORD>(wParam), wParam == VK_BACK ? static_cast<int>(password.size()) : 1);
            Require(WaitUntil([&] { return end() == 0; }, 5000), what + std::string(": handled"));
        }
        SendMessageW(w.password, EM_SETSEL, 0, -1);
        Press(VK_BACK);
        Require(WaitUntil([&] { return SendMessageW(w.password, EM_SETSEL, 0, -1), end() == 0; }, 5000),
                what + std::string(": the field emptied"));
        const std::vector<int> copies = process_memory::CountCopies(process, ends);
        Require(copies.size() == 2, "the program's memory can be read");
        Expect(copies[0] <= before[0] && copies[1] <= before[1],
               what + (": the head is left " + std::to_string(copies[0] - before[0]) + " more times, the tail " +
                       std::to_string(copies[1] - before[1])));
        before = copies;
    }
    CloseHandle(process);
    Type(L"906");

    SendMessageTimeoutW(w.okButton, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
    Expect(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 5000) && !session.program.Visible(L"Form1"),
           "OK pressed by another program signs the right account in");
    Expect(WaitUntil([&] { return session.program.Visible(L"Form3"); }, 3000), "then the main window shows");
}

// A stand-in copied beside the program under the name of each system
// library that the program, its run-time or the system's own libraries for
// it load by name and that Windows does not always take from its system
// folder, with Wine told to look for each as Windows does (the program's
// folder first). A program that loads the library by its name takes each
// stand-in there; the sign-in program takes none, and signs in with the
// system's own.
void PlantedLibrariesAreNotLoaded() {
    wchar_t own[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::wstring driver(own), planted = driver.substr(0, driver.find_last_of(L'\\')) + L"\\planted\\",
                                    folder = temp + std::to_wstring(GetCurrentProcessId()) + L"-planted\\";
    // Seen loaded under Wine once the program runs: by the program (bcrypt),
    // by the run-time's stack protector for its random guard (rsaenh and its
    // crypt32), by COM for the status line's live region (oleacc).
    const std::wstring libraries[] = {L"bcrypt", L"rsaenh", L"crypt32", L"oleacc"};
    std::vector<std::wstring> copies = {folder + L"library_loader.exe", folder + L"SignIn.exe"};
    Require(CreateDirectoryW(folder.c_str(), nullptr) != 0, "a folder for the planted libraries");
    Require(CopyFileW((planted + L"library_loader.exe").c_str(), copies[0].c_str(), TRUE) &&
                CopyFileW(input_events::WindowsPath(programPath).c_str(), copies[1].c_str(), TRUE),
            "the programs copied");
    const std::wstring overrides[] = {L"Software\\Wine\\AppDefaults\\library_loader.exe",
                                      L"Software\\Wine\\AppDefaults\\SignIn.exe"};
    for (const std::wstring& library : libraries) {
        const std::wstring copy = folder + library + L".dll", mark = copy + L".loaded";
        copies.push_back(copy);
        Require(CopyFileW((planted + L"stand_in.dll").c_str(), copy.c_str(), TRUE), "copied " + Utf8(copy));
        // The control program is told of this library alone: the stand-in
        // loads libraries of its own.
        RegDeleteTreeW(HKEY_CURRENT_USER, overrides[0].c_str());
        for (const std::wstring& key : overrides)
            Require(RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\DllOverrides").c_str(), library.c_str(), REG_SZ,
                                    L"native,builtin", sizeof(L"native,builtin")) == ERROR_SUCCESS,
                    "Wine told to search for " + Utf8(library) + " as Windows does");
        Expect(Program(copies[0], library + L".dll").WaitForEnd(20000) && DeleteFileW(mark.c_str()),
               "the control program took the stand-in for " + Utf8(library));
    }
    const std::wstring shipped = std::exchange(programPath, copies[1]);
    {
        Session session;
        SignIn(session);
        Expect(WaitUntil([&] { return session.program.Visible(L"Form2"); }, 5000), "the program signs in");
        for (const std::wstring& library : libraries)
            Expect(GetFileAttributesW((folder + library + L".dll.loaded").c_str()) == INVALID_FILE_ATTRIBUTES,
                   "the program loaded the stand-in for " + Utf8(library));
    }
    programPath = shipped;
    for (const std::wstring& key : overrides) RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    for (const std::wstring& copy : copies) DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

const std::vector<Scenario> secretScenarios = {
    {"no-copy-left", NoCopyLeftBehind},
    {"other-programs", OtherProgramsMessages},
    {"planted-library", PlantedLibrariesAreNotLoaded},
};

}  // namespace e2e
