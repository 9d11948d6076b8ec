// Message boxes and the file-open dialog of the Windows program.
#include "gui/win32/WindowServices.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "gui/win32/Win32Form.h"
#include "platform/win32/text_convert.h"

namespace lintara {

namespace {

// The window on screen, which a box or dialog belongs to; none while every window of the
// program is hidden.
HWND WindowOnScreen() {
    HWND active = ::GetActiveWindow();
    return active && ::IsWindowVisible(active) ? active : nullptr;
}

}  // namespace

int WindowServices::ShowMessage(const std::string& text, int /*style*/, const std::string& title) {
    // Every caller asks for style 16: the error icon and a single OK button.
    ::MessageBoxW(WindowOnScreen(), win32::Widen(text).c_str(), win32::Widen(title).c_str(),
                  MB_ICONERROR | MB_OK);
    return IDOK;
}

std::string ChooseFile() {
    // Room for the longest path the system takes.
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = WindowOnScreen();
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    // The current folder stays where it was, whatever folder the user looked in.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog)) return {};
    return win32::Narrow(name.data());
}

}  // namespace lintara
