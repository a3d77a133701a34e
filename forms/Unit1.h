#pragma once
// The sign-in window: account and password fields, a status line that
// reminds the user once, and the OK and No buttons.

#include "toolkit.h"

class TForm1 : public TForm {
public:
    DECLARE_CLASS_NAME(TForm1)
    using TForm::TForm;

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TTimer* Timer1 = nullptr;
    TEdit* Edit1 = nullptr;
    TEdit* Edit2 = nullptr;
    TLabel* Label3 = nullptr;

    void Timer1Timer(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);

protected:
    void Publish(Publication& publication) override;
};

extern TForm1* Form1;

// The one account the program accepts.
extern const AnsiString kAcceptedAccount;
extern const AnsiString kAcceptedPassword;
