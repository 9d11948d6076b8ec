// Lintara.exe: the main window on Windows.
#include <windows.h>
#include <commctrl.h>

#include "gui/win32/Win32Form.h"
#include "gui/win32/WindowServices.h"
#include "main_window/Lintara.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    lintara::WindowServices services;
    lintara::Win32FormFactory forms;
    Lintara window(services, forms, lintara::ChooseFile);
    window.Form_Load();
    window.Show();
    // The program ends where Lintara ends it: a launch, the missing settings file, the
    // user closing the main window.
    return lintara::Win32Form::RunMessageLoop();
}
