#pragma once
// The main window, shown after a sign-in. It has no content of its own.

#include "toolkit.h"

class TForm3 : public TForm {
public:
    DECLARE_CLASS_NAME(TForm3)
    using TForm::TForm;

protected:
    // Once the user closes the program's main window nothing is left to do:
    // end the run rather than leave an invisible process behind.
    bool ClosingEndsApplication() const override { return true; }
};

extern TForm3* Form3;
