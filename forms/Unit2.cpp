#include "Unit2.h"

#include "Unit3.h"

TForm2* Form2 = nullptr;

void TForm2::Publish(Publication& publication) {
    publication.Member("Label1", Label1);
    publication.Member("Label2", Label2);
    publication.Member("Thtime", Thtime);
    publication.Member("StatusBar1", StatusBar1);
    publication.Handler("ThtimeTimer", this, &TForm2::ThtimeTimer);
}

// The hand-over, once: the wait window gives way to the main window.
void TForm2::ThtimeTimer(TObject* /*Sender*/) {
    Thtime->SetEnabled(false);
    SetVisible(false);
    Form3->Show();
}
