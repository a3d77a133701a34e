// The windows in a high-contrast colour scheme, white on black (run only in
// the prefix the scripts make with that scheme, `hc`): read back from the
// screen, every window's background and every field is black and every
// label's text, Chinese included, is drawn white.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "program_texts.h"
#include "test_support.h"

using namespace program_texts;
using namespace testing_support;

namespace {

constexpr DWORD kBlack = 0x000000, kWhite = 0xFFFFFF;  // as 32-bit screen pixels

RECT ClientOnScreen(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// How many pixels of a window's background are not black: its client area
// outside its child windows, and the inside of its (empty) fields.
int NotBlackBackground(HWND window, const std::vector<HWND>& fields) {
    const RECT client = ClientOnScreen(window);
    const std::vector<COLORREF> pixels = driver::ScreenPixels(client);
    std::vector<RECT> children, fieldInsides;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) children.push_back(RectOf(child));
    for (HWND field : fields) fieldInsides.push_back(ClientOnScreen(field));
    const auto inside = [](const std::vector<RECT>& rects, POINT point) {
        for (const RECT& rect : rects)
            if (PtInRect(&rect, point)) return true;
        return false;
    };
    int count = 0;
    const int width = client.right - client.left;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const POINT point{client.left + static_cast<LONG>(i) % width, client.top + static_cast<LONG>(i) / width};
        const bool background = !inside(children, point) || inside(fieldInsides, point);
        count += background && pixels[i] != kBlack;
    }
    return count;
}

struct LabelInk {
    int white = 0;  // pixels of the text colour
    int other = 0;  // pixels neither black nor near white
};

// What a label shows of its text: its rectangle within its window's client
// area (a long caption runs under the window's edge).
LabelInk InkOf(HWND label) {
    LabelInk ink;
    RECT shown{};
    const RECT rect = RectOf(label), client = ClientOnScreen(GetParent(label));
    IntersectRect(&shown, &rect, &client);
    for (DWORD pixel : driver::ScreenPixels(shown)) {
        const int darkest = std::min({pixel & 0xFF, (pixel >> 8) & 0xFF, pixel >> 16});
        const int lightest = std::max({pixel & 0xFF, (pixel >> 8) & 0xFF, pixel >> 16});
        ink.white += pixel == kWhite;
        // Edges smoothed between white and black are grey; any tint is not
        // the scheme's.
        ink.other += pixel != kBlack && pixel != kWhite && lightest - darkest > 16;
    }
    return ink;
}

// A label's text in white, with at least `perCharacter` white pixels for
// each character that is not a space or a dot: a character drawn as an
// empty box or not at all has far fewer. (Measured at 24 pixels, bold:
// 160 to 230 for each character.)
void ExpectWhiteText(TLabel* label, int perCharacter) {
    SCOPED_TRACE(label->Name());
    const std::wstring text = TextOf(label->Handle());
    int characters = 0;
    for (wchar_t c : text) characters += c != L' ' && c != L'.';
    LabelInk ink;
    PumpUntil(
        [&] {
            ink = InkOf(label->Handle());
            return ink.white >= characters * perCharacter;
        },
        2000);
    EXPECT_GE(ink.white, characters * perCharacter) << "white pixels for " << characters << " characters";
    EXPECT_EQ(ink.other, 0) << "coloured pixels";
    std::printf("%s: %d white pixels for %d characters, %d coloured\n", label->Name().c_str(), ink.white, characters,
                ink.other);
}

void ExpectBlackBackground(TCustomForm* form, const std::vector<HWND>& fields = {}) {
    SCOPED_TRACE(form->Name());
    int notBlack = -1;
    PumpUntil([&] { return (notBlack = NotBlackBackground(form->Handle(), fields)) == 0; }, 5000);
    EXPECT_EQ(notBlack, 0) << "background pixels that are not black";
    std::printf("%s: %d background pixels not black\n", form->Name().c_str(), notBlack);
}

}  // namespace

class HighContrast : public ProgramWindows {};

TEST_F(HighContrast, BackgroundsAreBlackAndLabelsWhite) {
    ASSERT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0, 0, 0)) << "not the high-contrast prefix";
    ASSERT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(255, 255, 255)) << "not the high-contrast prefix";
    ASSERT_TRUE(PumpUntil([] { return TextOf(Form1->Label3->Handle()) != BlankStatus(); }, 2500)) << "the prompt shows";
    ExpectBlackBackground(Form1, {Form1->Edit1->Handle(), Form1->Edit2->Handle()});
    for (TLabel* label : {Form1->Label1, Form1->Label2, Form1->Label3}) ExpectWhiteText(label, 120);

    Form1->SetVisible(false);
    Form2->Show();
    ExpectBlackBackground(Form2);
    for (TLabel* label : {Form2->Label1, Form2->Label2}) ExpectWhiteText(label, 120);

    Form2->SetVisible(false);
    Form3->Show();
    ExpectBlackBackground(Form3);
}
