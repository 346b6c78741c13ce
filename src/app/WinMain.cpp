// The program's entry: the application object, the two windows, and the
// choice between them by the folder path's last character.
#include <windows.h>

#include "app/CommandLine.h"
#include "platform/Application.h"
#include "ui/Main.h"
#include "ui/Unit2.h"

namespace {

// The path that chooses the window; the windows act on FolderPath, which the
// encrypt window sets by the same rule while it is created.
std::wstring StartPath;

void ReadStartPath() { StartPath = LastArgument(GetCommandLineW()); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    TApplication application;
    application.Title = L"鹭汀软件之文件加密";
    application.CreateForm<TForm1>();
    TForm2& form2 = application.CreateForm<TForm2>();
    ReadStartPath();
    // A locked folder's path ends in ".": only the decrypt window is shown.
    if (!StartPath.empty() && StartPath.back() == L'.') {
        application.ShowMainForm = false;
        form2.Show();
    }
    return application.Run();
}
