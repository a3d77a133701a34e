#include "baseline_windows.h"

#include <commctrl.h>
#include <cwchar>

namespace baseline {
namespace {

const wchar_t kWindowClass[] = L"SignInBaselineWindow";
const UINT_PTR kPromptTimer = 1;
const UINT_PTR kHandOverTimer = 2;
const int kNoButtonId = IDCANCEL;  // Esc, through IsDialogMessage
const int kOkButtonId = IDOK;      // Enter, through IsDialogMessage

HINSTANCE instance_ = nullptr;
int screenDpi_ = 96;
HFONT windowFont_ = nullptr;  // "MS Sans Serif", -11, regular
HFONT largeFont_ = nullptr;   // "MS Sans Serif", -24, bold

HWND signIn_ = nullptr;
HWND wait_ = nullptr;
HWND main_ = nullptr;
HWND noButton_ = nullptr;
HWND account_ = nullptr;
HWND password_ = nullptr;
HWND status_ = nullptr;
HWND statusBar_ = nullptr;

// Layouts are designed at 96 pixels per inch.
int Scaled(int length) { return MulDiv(length, screenDpi_, 96); }

HFONT MakeFont(int height, bool bold) {
    LOGFONTW font{};
    font.lfHeight = Scaled(height);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HWND MakeTopLevel(const wchar_t* caption, int left, int top, int width, int height) {
    return CreateWindowExW(0, kWindowClass, caption, WS_OVERLAPPEDWINDOW, Scaled(left), Scaled(top), Scaled(width),
                           Scaled(height), nullptr, nullptr, instance_, nullptr);
}

HWND MakeChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, DWORD exStyle, int left,
               int top, int width, int height, int id, HFONT font) {
    HWND child = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, Scaled(left), Scaled(top),
                                 Scaled(width), Scaled(height), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// A label is as wide and as high as its caption in its font.
void FitLabel(HWND label) {
    wchar_t text[64] = {};
    const int length = GetWindowTextW(label, text, 64);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(screen, text, length, &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MakeLabel(HWND parent, const wchar_t* caption, int left, int top, int width, int height) {
    HWND label = MakeChild(parent, L"STATIC", caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, left, top, width, height, 0,
                           largeFont_);
    FitLabel(label);
    return label;
}

void SetLabel(HWND label, const wchar_t* caption) {
    SetWindowTextW(label, caption);
    FitLabel(label);
    InvalidateRect(label, nullptr, TRUE);
}

// The buttons' pictures: drawn once in colour on black and once as a mask
// (black where the picture is), then put in an image list beside the caption.
enum class Glyph { CheckMark, NoEntry };

void PaintGlyph(HDC dc, int s, Glyph glyph, bool mask) {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    if (glyph == Glyph::CheckMark) {
        HBRUSH green = CreateSolidBrush(mask ? RGB(0, 0, 0) : RGB(0, 128, 0));
        HGDIOBJ oldBrush = SelectObject(dc, green);
        const POINT tick[] = {
            {s * 2 / 18, s * 9 / 18},  {s * 5 / 18, s * 6 / 18},  {s * 7 / 18, s * 9 / 18},
            {s * 14 / 18, s * 2 / 18}, {s * 17 / 18, s * 5 / 18}, {s * 7 / 18, s * 16 / 18},
        };
        Polygon(dc, tick, 6);
        SelectObject(dc, oldBrush);
        DeleteObject(green);
    } else {
        HBRUSH red = CreateSolidBrush(mask ? RGB(0, 0, 0) : RGB(200, 0, 0));
        HGDIOBJ oldBrush = SelectObject(dc, red);
        Ellipse(dc, 1, 1, s, s);
        SelectObject(dc, oldBrush);
        DeleteObject(red);
        if (!mask) {
            RECT bar{s * 4 / 18, s * 7 / 18, s * 14 / 18, s * 11 / 18};
            FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
    }
    SelectObject(dc, oldPen);
}

void SetGlyph(HWND button, Glyph glyph) {
    const int size = Scaled(18);
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    RECT all{0, 0, size, size};
    HGDIOBJ old = SelectObject(dc, color);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    PaintGlyph(dc, size, glyph, false);
    SelectObject(dc, mask);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PaintGlyph(dc, size, glyph, true);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);

    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0);
    ImageList_Add(images, color, mask);
    DeleteObject(color);
    DeleteObject(mask);
    BUTTON_IMAGELIST list{};
    list.himl = images;
    list.margin = RECT{Scaled(4), 0, Scaled(4), 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
}

bool FieldIs(HWND field, const wchar_t* expected) {
    wchar_t text[64] = {};
    const int length = GetWindowTextLengthW(field);
    if (length >= 64) return false;
    GetWindowTextW(field, text, 64);
    return std::wcscmp(text, expected) == 0;
}

void ShowInFront(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
}

// The sign-in window's events: the prompt, the sign-in, the close question.
void PromptTick() {
    if (GetWindowTextLengthW(account_) > 0 && GetWindowTextLengthW(password_) > 0) return;
    SetLabel(status_, L"請輸入帳號以及密碼                   ");
    KillTimer(signIn_, kPromptTimer);
}

void SignIn() {
    if (!FieldIs(account_, L"Tovi") || !FieldIs(password_, L"906")) return;
    SetLabel(status_, L"Tovi登入中...     ");
    SetTimer(wait_, kHandOverTimer, 1000, nullptr);
    ShowWindow(signIn_, SW_HIDE);
    ShowInFront(wait_);
}

void AskToClose() {
    if (MessageBoxW(signIn_, L"你確定要關閉程式嗎?", L"關閉程式", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK)
        PostQuitMessage(0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (window == signIn_ && HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == kOkButtonId) SignIn();
            else if (LOWORD(wParam) == kNoButtonId) AskToClose();
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kPromptTimer) PromptTick();
        if (wParam == kHandOverTimer) {
            KillTimer(wait_, kHandOverTimer);
            ShowWindow(wait_, SW_HIDE);
            ShowInFront(main_);
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_SIZE:
        if (window == wait_ && statusBar_) SendMessageW(statusBar_, WM_SIZE, 0, 0);
        break;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(windowFont_);
    case WM_CLOSE:
        // The sign-in window and the main window end the program; the wait window hides.
        if (window == wait_) ShowWindow(window, SW_HIDE);
        else PostQuitMessage(0);
        return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void Initialize(HINSTANCE instance) {
    instance_ = instance;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    HDC screen = GetDC(nullptr);
    screenDpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (screenDpi_ <= 0) screenDpi_ = 96;
    windowFont_ = MakeFont(-11, false);
    largeFont_ = MakeFont(-24, true);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                      GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(
        instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    RegisterClassExW(&windowClass);
}

HWND CreateSignInWindow() {
    signIn_ = MakeTopLevel(L"Form1", 252, 186, 349, 357);
    // Made in the program's order, which is also the tab order of the
    // focusable ones: No, OK, account, password.
    MakeLabel(signIn_, L"帳號：  ", 40, 40, 90, 29);
    MakeLabel(signIn_, L"密碼：  ", 40, 104, 90, 29);
    noButton_ =
        MakeChild(signIn_, L"BUTTON", L"&No", WS_TABSTOP | BS_PUSHBUTTON, 0, 32, 240, 105, 49, kNoButtonId, largeFont_);
    SetGlyph(noButton_, Glyph::NoEntry);
    HWND okButton = MakeChild(signIn_, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 200, 240, 97, 49,
                              kOkButtonId, largeFont_);
    SetGlyph(okButton, Glyph::CheckMark);
    account_ = MakeChild(signIn_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE, 144, 40, 121,
                         21, 0, windowFont_);
    SendMessageW(account_, EM_SETLIMITTEXT, 0, 0);
    password_ = MakeChild(signIn_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT | ES_PASSWORD, WS_EX_CLIENTEDGE,
                          144, 112, 121, 21, 0, windowFont_);
    SendMessageW(password_, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(password_, EM_SETPASSWORDCHAR, L'*', 0);
    status_ = MakeLabel(signIn_, L"               ", 40, 168, 106, 29);
    SetTimer(signIn_, kPromptTimer, 1000, nullptr);
    return signIn_;
}

HWND CreateWaitWindow() {
    wait_ = MakeTopLevel(L"Form2", 188, 114, 295, 190);
    MakeLabel(wait_, L"開啟系統...          ", 16, 32, 192, 29);
    MakeLabel(wait_, L"請稍候...              ", 80, 88, 195, 29);
    statusBar_ = MakeChild(wait_, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 137, 287, 19, 0, windowFont_);
    SendMessageW(statusBar_, SB_SIMPLE, FALSE, 0);
    int rightEdge = -1;
    SendMessageW(statusBar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&rightEdge));
    return wait_;
}

HWND CreateMainWindow() {
    main_ = MakeTopLevel(L"Form3", 244, 213, 696, 480);
    return main_;
}

void ShowSignInWindow() {
    ShowInFront(signIn_);
    SetFocus(noButton_);
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, Enter, Esc and Alt+N as in a dialog.
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace baseline
