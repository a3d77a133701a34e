// Every window, font, brush, bitmap, icon, image list and device context the
// program makes is freed when its owner goes, and each distinct font is made
// once however many widgets draw with it: counted from outside the program
// (handle_count.h), at each step of building, using and destroying its
// windows, twice over.

#include <windows.h>

#include <commctrl.h>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "handle_count.h"
#include "test_support.h"

using namespace testing_support;
using handle_count::Kind;

namespace {

BOOL CALLBACK CountOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
// The program's windows as the system counts them: each form and all its
// descendants.
int WindowsOfTheForms() {
    int count = 0;
    for (TCustomForm* form : Application->Forms()) {
        ++count;
        EnumChildWindows(form->Handle(), CountOne, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

// The distinct fonts the windows draw with, told apart by what they ask the
// system for, not by handle: two handles of one font are one font here.
int DistinctFontsInUse() {
    std::set<std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE, BYTE, BYTE>> fonts;
    for (HGDIOBJ font : FontsInUse()) {
        LOGFONTW f{};
        EXPECT_EQ(GetObjectW(font, sizeof(f), &f), static_cast<int>(sizeof(f))) << "not a live font";
        fonts.emplace(f.lfFaceName, f.lfHeight, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet,
                      f.lfQuality);
    }
    return static_cast<int>(fonts.size());
}
// The windows' own icons, as they show them.
int IconsInUse() {
    std::set<LRESULT> icons;
    for (TCustomForm* form : Application->Forms())
        for (WPARAM which : {ICON_BIG, ICON_SMALL}) icons.insert(SendMessageW(form->Handle(), WM_GETICON, which, 0));
    icons.erase(0);
    return static_cast<int>(icons.size());
}
// The buttons' pictures, as the buttons draw them.
int ImageListsInUse() {
    std::set<HIMAGELIST> lists;
    for (TCustomForm* form : Application->Forms())
        for (HWND child = GetWindow(form->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            BUTTON_IMAGELIST images{};
            if (SendMessageW(child, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)) && images.himl)
                lists.insert(images.himl);
        }
    return static_cast<int>(lists.size());
}

}  // namespace

TEST(Resources, EachFontIsMadeOnceAndEveryHandleGoesWithItsOwner) {
    handle_count::Install();
    Application->Initialize();
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"the sign-in window built", [] { Application->CreateForm(Form1); }},
        {"all three built and signed in through",
         [] {
             Application->CreateForm(Form2);
             Application->CreateForm(Form3);
             Form1->Show();
             // A prompt, a refusal, a sign-in and the hand-over.
             ASSERT_TRUE(
                 PumpUntil([] { return Form1->Label3->GetText().Bytes().find('\xBD') != std::string::npos; }, 2000));
             SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
             SetWindowTextW(Form1->Edit2->Handle(), L"609");
             Form1->BitBtn2->Click();
             ASSERT_TRUE(Form1->Visible()) << "refused";
             SetWindowTextW(Form1->Edit2->Handle(), L"906");
             Form1->BitBtn2->Click();
             ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2000));
         }},
        {"all destroyed",
         [] {
             Application->DestroyForms();
             Form1 = nullptr;
             Form2 = nullptr;
             Form3 = nullptr;
         }},
    };
    // A second round finds what the first left behind or cannot make again.
    for (int round = 0; round < 2; ++round) {
        for (const auto& [state, step] : steps) {
            SCOPED_TRACE(std::string(state) + ", round " + std::to_string(round + 1));
            step();
            const std::pair<Kind, int> rows[] = {
                {Kind::Window, WindowsOfTheForms()},
                {Kind::Font, DistinctFontsInUse()},
                {Kind::ImageList, ImageListsInUse()},
                {Kind::Icon, IconsInUse()},
                // Held only while drawing; the windows take the system's colours.
                {Kind::DeviceContext, 0},
                {Kind::OtherGdi, 0},
            };
            for (const auto& [kind, inUse] : rows) EXPECT_EQ(handle_count::Live(kind), inUse) << NameOf(kind);
        }
    }
}
