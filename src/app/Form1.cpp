#include "app/Form1.h"

namespace noc {

TForm1::TForm1(TComponent* owner) : TForm(owner, "TForm1") {
    Name = "Form1";
    CreateFormWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN,
                     WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE);
    SetCaption("Form1");
    SetClientSize(164, 62);
    CenterOnScreen();
    DoCreate();
}

}  // namespace noc
