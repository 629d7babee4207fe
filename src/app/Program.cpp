#include "app/Program.h"

#include <windows.h>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/SecondStart.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "settings/Scramble.h"
#include "settings/StartupEntry.h"

namespace noc {

int RunProgram(const std::string& commandLine) {
    // One copy at a time: a second one ends at once and shows nothing. A plain start brings the
    // first one's window forward; parameters change nothing there, as nothing is replaced unasked.
    SetLastError(0);
    CreateMutexA(nullptr, FALSE, "NOCTURO");  // held until the process ends
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (!IsYes(StartedWithParametersFlag(SplitProgramCommandLine(commandLine, ProgramPath())))) CallRunningCopy();
        return 0;
    }

    TApplication& app = Application();
    app.Initialize();
    app.SetTitle("NocTuro");
    app.CreateForm<TForm1>();

    std::vector<std::string> params = SplitProgramCommandLine(commandLine, ProgramPath());
    StartedWithParameters = StartedWithParametersFlag(params);

    TForm2* form2 = app.CreateForm<TForm2>(params);
    form2->AfterCreation();

    app.Run();
    // What the end of the countdown still has to tell (a refused shutdown) is answered first.
    ShowBoxesLeftAtEnd();
    // Forms and components go now, newest first: the icons leave the notification area with them.
    DestroyApplication();
    return 0;
}

}  // namespace noc
