// Every window, font, brush, bitmap, icon, image list and device context the
// toolkit makes is freed when its owner goes: building and destroying the
// program's windows again and again leaves nothing behind.

#include <set>

#include "test_support.h"

using namespace testing_support;

namespace {

int Live(HandleKind kind) { return LiveHandles(kind); }

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

}  // namespace

TEST(Resources, EveryHandleIsFreedWithItsOwner) {
    Application->Initialize();
    // A second round finds what the first left behind or cannot make again.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->CreateForm(Form3);
        Form1->Show();
        // Use the windows: a prompt, a refusal, a sign-in and the hand-over.
        ASSERT_TRUE(PumpUntil([] { return Form1->Label3->GetText().Bytes().find('\xBD') != std::string::npos; }, 2000));
        SetWindowTextW(Form1->Edit1->Handle(), L"Tovi");
        SetWindowTextW(Form1->Edit2->Handle(), L"609");
        Form1->BitBtn2->Click();
        ASSERT_TRUE(Form1->Visible()) << "refused";
        SetWindowTextW(Form1->Edit2->Handle(), L"906");
        Form1->BitBtn2->Click();
        ASSERT_TRUE(PumpUntil([] { return Form3->Visible(); }, 2000));

        // The census counts what really exists: every window of the
        // forms, every distinct font in use.
        EXPECT_EQ(Live(HandleKind::Window), WindowsOfTheForms());
        const std::set<HGDIOBJ> fonts = FontsInUse();
        EXPECT_EQ(Live(HandleKind::Font), static_cast<int>(fonts.size()));
        EXPECT_EQ(Live(HandleKind::ImageList), 2);  // the two button pictures
        EXPECT_EQ(Live(HandleKind::DeviceContext), 0) << "device contexts are held only while drawing";
        EXPECT_EQ(Live(HandleKind::Selection), 0) << "objects are selected only while drawing";
        for (HGDIOBJ font : fonts) EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
        std::vector<HWND> windows;
        for (TCustomForm* form : Application->Forms()) windows.push_back(form->Handle());

        Application->DestroyForms();
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;

        for (HandleKind kind : {HandleKind::Window, HandleKind::Font, HandleKind::Gdi, HandleKind::Icon,
                                HandleKind::ImageList, HandleKind::DeviceContext, HandleKind::Selection})
            EXPECT_EQ(Live(kind), 0) << "kind " << static_cast<int>(kind);
        for (HGDIOBJ font : fonts) EXPECT_EQ(GetObjectType(font), 0u) << "a font outlived its window";
        for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
    }
}

// The census of fonts: each distinct font is made once, however many widgets
// draw with it. The sign-in window has two: its own, which its fields use,
// and the large bold one of its captions and buttons.
TEST(Resources, EachDistinctFontIsMadeOnce) {
    Application->Initialize();
    Application->CreateForm(Form1);
    EXPECT_EQ(Live(HandleKind::Font), 2) << "fonts made by the sign-in window";
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    EXPECT_EQ(Live(HandleKind::Font), static_cast<int>(FontsInUse().size()))
        << "fonts made by the three windows, against the distinct ones they use";
    Application->DestroyForms();
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
    EXPECT_EQ(Live(HandleKind::Font), 0);
}
