// A window moved to a screen of another resolution. Wine does not move
// windows between screens of different resolution, so the tests send the
// message Windows sends then (WM_DPICHANGED, with the rectangle Windows
// suggests) and compare every window with the same window made at that
// resolution: one made in the Wine prefix of 144 pixels per inch, recorded
// to a file by Resolution.RecordWindowsMadeHere running there first (one
// ctest test runs both: cmake/resolution_change_check.cmake), and the window
// itself as made at 96 before the change.

#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "handle_count.h"
#include "input_events.h"
#include "program_texts.h"
#include "test_support.h"
#include "text_codec.h"

using namespace testing_support;

namespace {

// Per window and widget: places, sizes, font heights, the windows' icons
// and the buttons' pictures.
using Snapshot = std::map<std::string, std::vector<int>>;

int FontHeight(HWND hwnd) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

// The width of the icon a window shows as `which` (ICON_BIG, ICON_SMALL):
// its own icon's, else the size its class's icons are asked for at, the
// system's `metric`. (Wine hands the class the large picture for both.)
int IconWidth(HWND hwnd, WPARAM which, int metric) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, which, 0));
    if (!icon) return GetSystemMetrics(metric);
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP picture{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(picture), &picture);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return picture.bmWidth;
}

Snapshot Take() {
    Snapshot shot;
    for (TCustomForm* form : Application->Forms()) {
        const RECT outer = RectOf(form->Handle());
        shot[form->Name()] = {outer.right - outer.left, outer.bottom - outer.top, FontHeight(form->Handle()),
                              IconWidth(form->Handle(), ICON_BIG, SM_CXICON),
                              IconWidth(form->Handle(), ICON_SMALL, SM_CXSMICON)};
        RECT client{};
        GetClientRect(form->Handle(), &client);
        for (const auto& component : form->Components()) {
            auto* control = dynamic_cast<TControl*>(component.get());
            if (!control || !control->Handle()) continue;
            RECT r = RectOf(control->Handle());
            MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
            std::vector<int>& facts = shot[form->Name() + "." + control->Name()];
            // The status bar is placed from the client area's bottom right,
            // whose size depends on the system's frame, not on the window.
            if (dynamic_cast<TStatusBar*>(control))
                facts = {r.left, client.right - r.right, client.bottom - r.bottom, r.bottom - r.top};
            else facts = {r.left, r.top, r.right - r.left, r.bottom - r.top};
            facts.push_back(FontHeight(control->Handle()));
            BUTTON_IMAGELIST images{};
            if (dynamic_cast<TBitBtn*>(control) &&
                SendMessageW(control->Handle(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images))) {
                int width = 0, height = 0;
                ImageList_GetIconSize(images.himl, &width, &height);
                facts.insert(facts.end(), {width, height, images.margin.left, images.margin.right});
            }
        }
    }
    return shot;
}

// A window is never made larger than the system lets it be on its screen
// (the largest size it can be dragged to): a window of 144 pixels per inch
// can be larger than this prefix's screen of 96.
Snapshot FittedToThisScreen(Snapshot shot) {
    for (auto& [name, facts] : shot)
        if (name.find('.') == std::string::npos) {
            facts[0] = std::min(facts[0], GetSystemMetrics(SM_CXMAXTRACK));
            facts[1] = std::min(facts[1], GetSystemMetrics(SM_CYMAXTRACK));
        }
    return shot;
}

void ExpectSame(const Snapshot& actual, const Snapshot& expected) {
    ASSERT_FALSE(expected.empty());
    for (const auto& [name, facts] : expected) {
        const auto found = actual.find(name);
        ASSERT_NE(found, actual.end()) << name;
        EXPECT_EQ(found->second, facts) << name;
    }
    EXPECT_EQ(actual.size(), expected.size());
}

// Where the windows made at 144 pixels per inch are recorded.
std::wstring RecordPath() {
    const char* path = std::getenv("SIGNIN_MADE_AT_144");
    return path ? input_events::WindowsPath(Utf16(path)) : std::wstring();
}

// The same state in both prefixes: the prompt shown, the timer stopped.
// Fonts are counted from before the windows are made.
class Resolution : public ProgramWindows {
protected:
    void SetUp() override {
        handle_count::Install();
        ProgramWindows::SetUp();
        Form1->Timer1->SetEnabled(false);
        Form1->Label3->SetText(Big5FromWide(program_texts::Prompt()));
    }

    // Sends each window what Windows sends when it reaches a screen of
    // `dpi`, with `sizes` as the suggested outer sizes, a little to the
    // right; checks it takes that rectangle, as far as this screen lets it.
    void ChangeTo(int dpi, const Snapshot& sizes) {
        for (TCustomForm* form : Application->Forms()) {
            SCOPED_TRACE(form->Name());
            const RECT now = RectOf(form->Handle());
            const std::vector<int>& size = sizes.at(form->Name());
            RECT suggested{now.left + 10, now.top + 5, now.left + 10 + size[0], now.top + 5 + size[1]};
            SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            const RECT taken = RectOf(form->Handle());
            const std::vector<int> fitted = FittedToThisScreen(sizes).at(form->Name());
            EXPECT_EQ(taken.left, suggested.left);
            EXPECT_EQ(taken.top, suggested.top);
            EXPECT_EQ(taken.right - taken.left, fitted[0]);
            EXPECT_EQ(taken.bottom - taken.top, fitted[1]);
            if (form == Form1) {
                // The others are still at the old resolution: both sets of fonts live.
                EXPECT_EQ(handle_count::Live(handle_count::Kind::Font), 4);
            }
        }
        // Each window has changed by the time its message returns. The font
        // census: one font per distinct font and resolution, those of the old
        // one gone with their last holder.
        EXPECT_EQ(handle_count::Live(handle_count::Kind::Font), 2);
    }
};

}  // namespace

// Run in the prefix of 144 pixels per inch: records the windows made there.
TEST_F(Resolution, RecordWindowsMadeHere) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 144) << "not the prefix of 144 pixels per inch";
    const Snapshot made = Take();
    FILE* out = _wfopen(RecordPath().c_str(), L"w");
    ASSERT_NE(out, nullptr) << "SIGNIN_MADE_AT_144 names no file that can be written";
    for (const auto& [name, facts] : made) {
        std::fprintf(out, "%s", name.c_str());
        for (int fact : facts) std::fprintf(out, " %d", fact);
        std::fprintf(out, "\n");
    }
    std::fclose(out);
}

TEST_F(Resolution, WindowsFollowAChangeTo144AndBack) {
    Snapshot madeAt144;
    FILE* in = _wfopen(RecordPath().c_str(), L"r");
    ASSERT_NE(in, nullptr) << "no windows recorded at 144 pixels per inch";
    for (char line[256]; std::fgets(line, sizeof line, in);) {
        char name[64] = {};
        int used = 0;
        if (std::sscanf(line, "%63s%n", name, &used) != 1) continue;
        std::vector<int>& facts = madeAt144[name];
        for (int fact, more; std::sscanf(line + used, "%d%n", &fact, &more) == 1; used += more) facts.push_back(fact);
    }
    std::fclose(in);

    Form1->Edit1->SetFocus();
    TypeText(L"Tovi");
    Form1->Edit2->SetFocus();
    TypeText(L"906");
    const Snapshot madeAt96 = Take();
    const auto expectInputKept = [] {
        EXPECT_EQ(TextOf(Form1->Edit1->Handle()), L"Tovi");
        EXPECT_EQ(std::wstring(Form1->Edit2->ReadText().View()), L"906");
        EXPECT_EQ(GetFocus(), Form1->Edit2->Handle());
    };
    expectInputKept();

    {
        SCOPED_TRACE("at 144");
        ChangeTo(144, madeAt144);
        ExpectSame(Take(), FittedToThisScreen(madeAt144));
        expectInputKept();
    }
    {
        SCOPED_TRACE("back at 96");
        ChangeTo(96, madeAt96);
        ExpectSame(Take(), madeAt96);
        expectInputKept();
    }
}
