// Every window, font, brush, bitmap, icon, image list and device context the
// program makes is freed when its owner goes, and each distinct font is made
// once however many widgets draw with it: counted from outside the program
// (handle_count.h) against what its windows use, at each step of building,
// using and destroying them, twice over.

#include <windows.h>

#include <commctrl.h>
#include <set>
#include <string>
#include <tuple>

#include "handle_count.h"
#include "test_support.h"

using namespace testing_support;
using handle_count::Kind;

namespace {

// What the windows use, as the system tells it: each window and all its
// descendants, the distinct fonts (told apart by what they ask the system
// for, not by handle), the windows' own icons and the buttons' pictures.
struct InUse {
    int windows = 0;
    std::set<std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE, BYTE>> fonts;
    std::set<LRESULT> icons;
    std::set<HIMAGELIST> imageLists;
};
BOOL CALLBACK Note(HWND window, LPARAM inUse) {
    auto& use = *reinterpret_cast<InUse*>(inUse);
    ++use.windows;
    LOGFONTW f{};
    if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(f), &f))
        use.fonts.emplace(f.lfFaceName, f.lfHeight, f.lfWeight, f.lfItalic, f.lfCharSet, f.lfQuality, f.lfUnderline);
    for (WPARAM which : {ICON_BIG, ICON_SMALL})
        if (const LRESULT icon = SendMessageW(window, WM_GETICON, which, 0)) use.icons.insert(icon);
    BUTTON_IMAGELIST images{};
    if (SendMessageW(window, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)) && images.himl)
        use.imageLists.insert(images.himl);
    return TRUE;
}

}  // namespace

TEST(Resources, EachFontIsMadeOnceAndEveryHandleGoesWithItsOwner) {
    handle_count::Install();
    Application->Initialize();
    const auto expectOnlyWhatIsInUse = [](const std::string& state) {
        SCOPED_TRACE(state);
        InUse use;
        for (TCustomForm* form : Application->Forms()) {
            Note(form->Handle(), reinterpret_cast<LPARAM>(&use));
            EnumChildWindows(form->Handle(), Note, reinterpret_cast<LPARAM>(&use));
        }
        const std::tuple<const char*, Kind, int> rows[] = {
            {"windows", Kind::Window, use.windows},
            {"fonts", Kind::Font, static_cast<int>(use.fonts.size())},
            {"icons", Kind::Icon, static_cast<int>(use.icons.size())},
            {"image lists", Kind::ImageList, static_cast<int>(use.imageLists.size())},
            // Held only while drawing; the windows take the system's colours.
            {"device contexts", Kind::DeviceContext, 0},
            {"brushes and bitmaps", Kind::OtherGdi, 0},
        };
        for (const auto& [what, kind, inUse] : rows) EXPECT_EQ(handle_count::Live(kind), inUse) << what;
    };
    // A second round finds what the first left behind or cannot make again.
    for (const std::string round : {" (first round)", " (second round)"}) {
        Application->CreateForm(Form1);
        expectOnlyWhatIsInUse("the sign-in window built" + round);
        Application->CreateForm(Form2);
        Application->CreateForm(Form3);
        Form1->Show();
        // A prompt, a refusal, a sign-in and the hand-over.
        ASSERT_TRUE(PumpUntil([] { return Form1->Label3->GetText().Bytes().find('\xBD') != std::string::npos; }, 5000));
        SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
        SetFieldText(Form1->Edit2->Handle(), L"609");
        Form1->BitBtn2->Click();
        ASSERT_TRUE(Form1->Visible()) << "refused";
        SetFieldText(Form1->Edit2->Handle(), L"906");
        Form1->BitBtn2->Click();
        ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 5000));
        expectOnlyWhatIsInUse("all three built and signed in through" + round);
        Application->DestroyForms();
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        expectOnlyWhatIsInUse("all destroyed" + round);
    }
}
