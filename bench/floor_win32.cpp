// The Windows floor for start-up figures: a plain Win32 window of the main window's size
// holding the same 27 controls in the system's message font, with no logic at all.
#include <windows.h>

#include <commctrl.h>

namespace {

HFONT g_font;

HWND Control(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int x, int y,
             int width, int height) {
    HWND control = ::CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                     height, parent, nullptr, nullptr, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    return control;
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    g_font = ::CreateFontIndirectW(&metrics.lfMessageFont);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"LintaraFloor";
    ::RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 453, 245};
    ::AdjustWindowRect(&frame, style, FALSE);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L" Floor", style, CW_USEDEFAULT,
                                    CW_USEDEFAULT, frame.right - frame.left,
                                    frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);

    Control(window, L"BUTTON", L"Connect To", BS_GROUPBOX, 8, 1, 433, 129);
    Control(window, L"BUTTON", L"Map Network Drive Settings", BS_GROUPBOX, 8, 136, 433, 101);
    Control(window, L"STATIC", L"IP or Hostname:", 0, 16, 26, 86, 17);
    Control(window, L"STATIC", L"Port:", 0, 236, 26, 26, 17);
    const wchar_t* types[] = {L"Remote Desktop", L"RDP Console", L"VNC", L"Telnet", L"SSH",
                              L"Ping",           L"Map a Drive", L"FTP", L"HTTP",   L"HTTPS"};
    for (int i = 0; i < 10; ++i) {
        Control(window, L"BUTTON", types[i], BS_AUTORADIOBUTTON | BS_MULTILINE, 80 + (i % 5) * 70,
                57 + (i / 5) * 40, 70, 25);
    }
    Control(window, L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON, 24, 49, 65, 41);
    const wchar_t* labels[] = {L"Drive Letter:", L"Share Name:", L"Username:", L"Password:"};
    for (int i = 0; i < 4; ++i) {
        Control(window, L"STATIC", labels[i], 0, 16 + (i % 2) * 200, 160 + (i / 2) * 38, 80, 17);
    }
    Control(window, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 96, 157, 73, 200);
    Control(window, L"COMBOBOX", L"", CBS_DROPDOWN | WS_VSCROLL, 280, 157, 150, 200);
    Control(window, L"BUTTON", L"Anonymous Access", BS_AUTOCHECKBOX | BS_MULTILINE, 352, 194, 81,
            25);
    Control(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 80, 196, 89, 19);
    Control(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | ES_PASSWORD, 264, 196, 73, 19);
    Control(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 104, 24, 129, 19);
    Control(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER, 264, 24, 41, 21);
    Control(window, L"BUTTON", L"Connect", BS_DEFPUSHBUTTON, 312, 21, 73, 25);

    ::ShowWindow(window, show);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return 0;
}
