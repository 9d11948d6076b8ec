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
    // The dialog's library is loaded when first needed: at start it would bring in the
    // shell's libraries before the window could show.
    using OpenDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const OpenDialog open = [] {
        HMODULE library = ::LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        FARPROC proc = library ? ::GetProcAddress(library, "GetOpenFileNameW") : nullptr;
        return reinterpret_cast<OpenDialog>(reinterpret_cast<void (*)()>(proc));
    }();
    if (!open) {
        ::MessageBoxW(WindowOnScreen(), L"The file dialog (comdlg32.dll) could not be loaded.",
                      L"Error", MB_ICONERROR | MB_OK);
        return {};
    }
    if (!open(&dialog)) return {};
    return win32::Narrow(name.data());
}

}  // namespace lintara
