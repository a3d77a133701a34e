#pragma once
// The wait window: says the system is opening, then after one second hands
// over to the main window.

#include "toolkit.h"

class TForm2 : public TForm {
public:
    DECLARE_CLASS_NAME(TForm2)
    using TForm::TForm;

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TTimer* Thtime = nullptr;
    TStatusBar* StatusBar1 = nullptr;

    void ThtimeTimer(TObject* Sender);

protected:
    void Publish(Publication& publication) override;
};

extern TForm2* Form2;
