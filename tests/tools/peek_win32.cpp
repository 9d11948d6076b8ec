// Test observer for the Windows program, as a user's eyes: prints what a window shows.
//   peek message TITLE     the text of the message box titled TITLE
//   peek focus TITLE       the control id that holds the focus in the window titled TITLE
//   peek text TITLE ID     the text of control ID in the window titled TITLE
// Exits 1 when the window or control is not there. Output is UTF-8.
#include <windows.h>

#include <string>

namespace {

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK FindId(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (::GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// EnumChildWindows walks every descendant, the controls inside frames included.
HWND Control(HWND window, int id) {
    Search search{id, nullptr};
    ::EnumChildWindows(window, &FindId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Print(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()),
                &written, nullptr);
    return 0;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[4096];
    const auto n = ::SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return std::wstring(text, static_cast<std::size_t>(n));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring what = argv[1];
    HWND window = ::FindWindowW(what == L"message" ? L"#32770" : nullptr, argv[2]);
    if (!window) return 1;
    if (what == L"message") {
        // The box's text is its static control 0xFFFF.
        HWND text = Control(window, 0xFFFF);
        return text ? Print(TextOf(text)) : 1;
    }
    if (what == L"focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ||
            !info.hwndFocus) {
            return 1;
        }
        HWND focus = info.hwndFocus;
        // A combo box's own edit stands for the combo box.
        wchar_t parentClass[32] = L"";
        ::GetClassNameW(::GetParent(focus), parentClass, 32);
        if (::lstrcmpiW(parentClass, L"ComboBox") == 0) focus = ::GetParent(focus);
        return Print(std::to_wstring(::GetDlgCtrlID(focus)));
    }
    if (what == L"text" && argc > 3) {
        HWND control = Control(window, _wtoi(argv[3]));
        return control ? Print(TextOf(control)) : 1;
    }
    return 2;
}
