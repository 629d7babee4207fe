#include "app/Form2.h"

namespace noc {

std::string StartedWithParameters;

TForm2::TForm2(TComponent* owner, std::vector<std::string> params) : TForm(owner, "TForm2"), params_(std::move(params)) {
    Name = "Form2";
    CreateFormWindow(WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
    SetCaption("Extinction de l'ordinateur");
    SetClientSize(221, 201);
    CenterOnScreen();
    DoCreate();
}

void TForm2::AfterCreation() { Show(); }

}  // namespace noc
