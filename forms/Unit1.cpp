#include "Unit1.h"

#include <string>

#include "Unit2.h"
#include "account_check.h"
#include "text_codec.h"
#include "wiped_text.h"

TForm1* Form1 = nullptr;

namespace {
// The status line's texts end in spaces (19 after the prompt, 5 after the
// signing-in text): the label sizes itself to its caption, and the spaces
// keep it as wide as the window's design gives each text.
AnsiString Spaces(int count) { return AnsiString(std::string(static_cast<size_t>(count), ' ')); }
}  // namespace

void TForm1::Publish(Publication& publication) {
    publication.Member("Label1", Label1);
    publication.Member("Label2", Label2);
    publication.Member("BitBtn1", BitBtn1);
    publication.Member("BitBtn2", BitBtn2);
    publication.Member("Timer1", Timer1);
    publication.Member("Edit1", Edit1);
    publication.Member("Edit2", Edit2);
    publication.Member("Label3", Label3);
    publication.Handler("Timer1Timer", this, &TForm1::Timer1Timer);
    publication.Handler("BitBtn1Click", this, &TForm1::BitBtn1Click);
    publication.Handler("BitBtn2Click", this, &TForm1::BitBtn2Click);
}

// Once a second: while either field is empty, remind the user once. The
// fields' lengths tell; their texts are not read.
void TForm1::Timer1Timer(TObject* /*Sender*/) {
    if (Edit1->TextLength() > 0 && Edit2->TextLength() > 0) return;
    Label3->SetText(Big5FromUtf8(u8"請輸入帳號以及密碼") + Spaces(19));
    Timer1->SetEnabled(false);
}

// No: ask before closing the program.
void TForm1::BitBtn1Click(TObject* /*Sender*/) {
    const int answer = Application->MessageBox(Big5FromUtf8(u8"你確定要關閉程式嗎?"), Big5FromUtf8(u8"關閉程式"),
                                               MB_OKCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDOK) Close();
}

// OK: only the exact account and password get in, compared as Big5
// bytes; anything else is refused without a word and changes nothing.
// The typed texts stay in wiped buffers. Once in, the prompt timer stops
// and the hidden password field keeps nothing.
void TForm1::BitBtn2Click(TObject* /*Sender*/) {
    const WipedBuffer<char> account = WipedBig5FromWide(Edit1->ReadText().View());
    const WipedBuffer<char> password = WipedBig5FromWide(Edit2->ReadText().View());
    if (!IsAcceptedAccount(account.View(), password.View())) return;
    Timer1->SetEnabled(false);
    Edit2->WipeText();
    Label3->SetText(AnsiString(account.Data(), account.Length()) + Big5FromUtf8(u8"登入中...") + Spaces(5));
    Form2->Thtime->SetEnabled(true);
    SetVisible(false);
    Form2->Show();
}
