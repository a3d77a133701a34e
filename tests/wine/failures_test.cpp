// Failures: what escapes a handler is reported, and the loop goes on but for
// running out of memory; a layout that cannot be applied names what is
// wrong. (A failed start-up's exit code is seen from outside: tests/smoke.)

#include <functional>
#include <new>

#include "system_error.h"
#include "test_support.h"

using namespace testing_support;

namespace {

// A window with a button, a timer that counts, and dialog keys that can throw.
class TThrowingForm : public TForm {
public:
    static constexpr const char* kClassName = "TThrowingForm";
    using TForm::TForm;
    const char* ClassName() const override { return kClassName; }

    TBitBtn* Button1 = nullptr;
    TTimer* Timer1 = nullptr;
    int ticks = 0;
    // When set, what the dialog keys do.
    std::function<void()> keyFails;

    void Button1Click(TObject*) {}
    void Timer1Timer(TObject*) { ++ticks; }

    bool DialogKey(const MSG& message) override {
        if (keyFails) keyFails();
        return TForm::DialogKey(message);
    }

protected:
    bool ClosingEndsApplication() const override { return false; }

    void Publish(Publication& publication) override {
        publication.Member("Button1", Button1);
        publication.Member("Timer1", Timer1);
        publication.Handler("Button1Click", this, &TThrowingForm::Button1Click);
        publication.Handler("Timer1Timer", this, &TThrowingForm::Timer1Timer);
    }
};

layout::Property Prop(const char* name, layout::Value value) { return layout::Property{name, std::move(value), 0}; }

layout::Component ThrowingLayout() {
    layout::Component button;
    button.className = "TBitBtn";
    button.name = "Button1";
    button.properties = {Prop("Width", layout::Value::Integer(80)), Prop("Height", layout::Value::Integer(30)),
                         Prop("OnClick", layout::Value::Identifier("Button1Click"))};
    layout::Component timer;
    timer.className = "TTimer";
    timer.name = "Timer1";
    timer.properties = {Prop("Interval", layout::Value::Integer(50)),
                        Prop("OnTimer", layout::Value::Identifier("Timer1Timer"))};
    layout::Component root;
    root.className = "TThrowingForm";
    root.name = "ThrowingForm";
    root.properties = {Prop("Caption", layout::Value::Text(u"Throwing"))};
    root.children = {button, timer};
    return root;
}

std::string BuildError(layout::Component root) {
    TThrowingForm form(Application);
    try {
        form.Build(root);
    } catch (const Exception& error) {
        return error.Message.Bytes();
    }
    return "";
}

// What may be thrown, and the text its report must show: memory run out
// named, with the system's reason after it (and the program ends); an
// exception its own message; nothing for anything else.
struct Thrown {
    const char* what;
    std::function<void()> raise;
    std::wstring text;
    bool withReason;
};
const Thrown kThrown[] = {
    {"std::bad_alloc", [] { throw std::bad_alloc(); }, L"not enough memory", true},
    {"an Exception", [] { throw Exception("the handler failed"); }, L"the handler failed", false},
    {"an int", [] { throw 42; }, L"", false},
};

class Failures : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
    void TearDown() override { Application->DestroyForms(); }
};

}  // namespace

// What escapes a key's handling is reported, not let out of the loop: each
// kind of thrown object, in a fresh window, shows one box with its text; but
// for running out of memory, the loop goes on. (The window procedure and the
// start-up report through the same barrier.)
TEST_F(Failures, WhatEscapesADialogKeyIsReportedWithItsText) {
    for (const Thrown& thrown : kThrown) {
        SCOPED_TRACE(thrown.what);
        Application->Initialize();  // afresh: running out of memory ends the application
        TThrowingForm form(Application);
        form.Build(ThrowingLayout());
        form.Show();
        BoxAnswerer answerer(IDOK);
        form.keyFails = thrown.raise;
        // A second key fails again, and is reported, unless the first ended
        // the program.
        const size_t reports = thrown.withReason ? 1 : 2;
        for (size_t key = 1; key <= reports; ++key) {
            PostMessageW(form.Button1->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
            ASSERT_TRUE(PumpUntil([&] { return answerer.Seen().size() >= key; }, 5000));
        }
        ASSERT_EQ(answerer.Seen().size(), reports);
        const std::wstring& text = answerer.Seen().back().text;
        if (thrown.withReason) {
            EXPECT_EQ(text.rfind(thrown.text + L": ", 0), 0u);
            EXPECT_GT(text.size(), thrown.text.size() + 2);
        } else {
            EXPECT_EQ(text, thrown.text);
            const int ticks = form.ticks;
            EXPECT_TRUE(PumpUntil([&] { return form.ticks > ticks; }, 5000)) << "timer events still arrive";
        }
    }
}

TEST_F(Failures, LayoutErrorsNameWhatIsWrong) {
    auto layout = ThrowingLayout();
    layout.children[0].className = "TFoo";
    EXPECT_NE(BuildError(layout).find("TFoo"), std::string::npos);

    layout = ThrowingLayout();
    layout.children[0].properties.push_back(Prop("Colour", layout::Value::Integer(1)));
    EXPECT_NE(BuildError(layout).find("Button1.Colour"), std::string::npos);

    layout = ThrowingLayout();
    layout.children[0].properties.back() = Prop("OnClick", layout::Value::Identifier("NoSuchHandler"));
    EXPECT_NE(BuildError(layout).find("NoSuchHandler"), std::string::npos);

    layout = ThrowingLayout();
    layout.children[0].name = "Button9";
    EXPECT_NE(BuildError(layout).find("Button9"), std::string::npos);

    layout = ThrowingLayout();
    layout.children.pop_back();
    EXPECT_NE(BuildError(layout).find("Timer1"), std::string::npos) << "a member left unbound";

    layout = ThrowingLayout();
    layout.className = "TForm1";
    EXPECT_NE(BuildError(layout).find("TForm1"), std::string::npos);

    layout = ThrowingLayout();
    layout.children[0].properties[0] = Prop("Width", layout::Value::Identifier("wide"));
    EXPECT_NE(BuildError(layout).find("Button1.Width"), std::string::npos);
}

// A failed system call whose error the system has no words for is named by
// its number, in decimal, whatever its size.
TEST(SystemFailureReason, WithoutTheSystemsWordsIsTheErrorNumber) {
    EXPECT_EQ("cannot draw: system error 0", WithReason(AnsiString("cannot draw"), ERROR_SUCCESS).Bytes());
    // An application's own error code (bit 29), which no system table holds.
    EXPECT_EQ("cannot draw: system error 3758096385", WithReason(AnsiString("cannot draw"), 0xE0000001).Bytes());
}
