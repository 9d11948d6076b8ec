// The Win32 front end: creates the controls of a control table and reports what the
// user does. A plain window driven by IsDialogMessage, so Tab, arrows and Enter behave
// as in the system's own dialogs.
#include "gui/win32/Win32Form.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <span>

#include "platform/win32/text_convert.h"

namespace lintara {

WNDPROC Win32Form::s_buttonProc = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"LintaraForm";
constexpr UINT_PTR kTimerId = 1;
// How far a combo box's list drops below its box, in twips.
constexpr int kListDrop = 3000;

HICON LoadAppIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                           IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// Every window of the program has its icon: the class's, loaded once for the process.
// Icons given per window are fetched again by some systems on each WM_SETICON.
ATOM RegisterFormClass(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hIcon = LoadAppIcon(::GetSystemMetrics(SM_CXICON));
        wc.hIconSm = LoadAppIcon(::GetSystemMetrics(SM_CXSMICON));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    return atom;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsFormWindow(HWND hwnd) {
    wchar_t name[32];
    return hwnd && ::GetClassNameW(hwnd, name, 32) && ::lstrcmpW(name, kClassName) == 0;
}

// The layouts were drawn for a smaller face than most systems' message font. Where a
// label's caption would not fit on its one line, the labels take the same face a pixel
// smaller until every caption reads whole; a label cannot wrap into a second line.
HFONT FittingFont(LOGFONTW face, std::span<const ControlRow> controls, int dpi) {
    HDC dc = ::GetDC(nullptr);
    HFONT font = ::CreateFontIndirectW(&face);
    for (int attempt = 0; dc && font && attempt < 4; ++attempt) {
        HGDIOBJ previous = ::SelectObject(dc, font);
        bool fits = true;
        for (const ControlRow& c : controls) {
            if (c.kind != ControlKind::Label) continue;
            const std::wstring caption = WideFromUtf8(c.caption);
            SIZE size{};
            ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            fits = fits && size.cx <= ScaleTwips(c.width, dpi);
        }
        ::SelectObject(dc, previous);
        if (fits || face.lfHeight == 0) break;
        face.lfHeight += face.lfHeight < 0 ? 1 : -1;
        face.lfWidth = 0;
        ::DeleteObject(font);
        font = ::CreateFontIndirectW(&face);
    }
    if (dc) ::ReleaseDC(nullptr, dc);
    return font;
}

}  // namespace

int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), n);
    return out;
}

std::string Utf8FromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

Win32Form::Win32Form(const FormTable& table, FormEvents& events, Form* owner, int dpi)
    : m_table(table),
      m_events(events),
      m_dpi(dpi > 0 ? dpi : SystemDpi()),
      m_order(TabOrderOf(table.controls)),
      m_selected(table.controls.size() + 1, -1) {
    RegisterFormClass(&Win32Form::WindowProc);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // The system's font is for the system's dpi; a window laid out for another
        // scales it as one with its controls.
        LOGFONTW face = metrics.lfMessageFont;
        face.lfHeight = ::MulDiv(face.lfHeight, m_dpi, SystemDpi());
        face.lfWidth = ::MulDiv(face.lfWidth, m_dpi, SystemDpi());
        m_font = ::CreateFontIndirectW(&face);
        m_labelFont = FittingFont(face, table.controls, m_dpi);
    }

    // Fixed single border; maximising is never offered.
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (table.minimizeButton) style |= WS_MINIMIZEBOX;
    // A window owned by another has no taskbar button of its own.
    auto* ownerForm = dynamic_cast<Win32Form*>(owner);
    HWND parent = ownerForm && !table.taskbarButton ? ownerForm->window() : nullptr;
    RECT frame{0, 0, ScaleTwips(table.width, m_dpi), ScaleTwips(table.height, m_dpi)};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    // Made where it first shows, centred on the screen's work area, so that nothing
    // moves it before; the title bar stays reachable on a screen smaller than the window.
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area;
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    const LONG left = std::max(area.left, area.left + (area.right - area.left - width) / 2);
    const LONG top = std::max(area.top, area.top + (area.bottom - area.top - height) / 2);
    m_window =
        ::CreateWindowExW(0, kClassName, WideFromUtf8(table.caption).c_str(), style, left, top,
                          width, height, parent, nullptr, ::GetModuleHandleW(nullptr), this);
    // The initial texts are the table's, not the user's: no change to report.
    m_fromCode = true;
    CreateControls();
    m_fromCode = false;
}

Win32Form::~Win32Form() {
    m_closing = true;
    if (m_window && ::IsWindow(m_window)) ::DestroyWindow(m_window);
    for (HFONT font : {m_font, m_labelFont}) {
        if (font) ::DeleteObject(font);
    }
    // The class's icon stays with the class.
    if (m_buttonIcon && m_ownButtonIcon) ::DestroyIcon(m_buttonIcon);
}

void Win32Form::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_controls.assign(m_table.controls.size(), nullptr);
    // Each container's controls are made in the order they stand in, a new one going
    // below its siblings: no control has to move afterwards. Frames come before what
    // they hold in every table, so a frame exists before its own list is made.
    // Their group and tab-stop bits too are theirs from the start.
    m_stacks = StackOrder();
    const std::vector<LONG_PTR> groups = GroupStyles();
    for (const std::vector<int>& stack : m_stacks) {
        for (const int index : stack) {
            const auto i = static_cast<std::size_t>(index);
            CreateControl(i, static_cast<DWORD>(groups[i]), instance);
        }
    }
    m_tipTexts.assign(m_table.controls.size(), std::wstring());
    ClipOverlaps();
}

void Win32Form::CreateControl(std::size_t i, DWORD groupStyle, HINSTANCE instance) {
    const ControlRow& c = m_table.controls[i];
    // Frames come before what they hold in every table.
    HWND parent = c.container == kWindowContainer
                      ? m_window
                      : m_controls[static_cast<std::size_t>(c.container)];
    const std::wstring caption = WideFromUtf8(c.caption);
    const wchar_t* className = WC_BUTTONW;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | groupStyle;
    DWORD exStyle = 0;
    int height = ScaleTwips(c.height, m_dpi);
    switch (c.kind) {
        case ControlKind::Frame:
            style |= BS_GROUPBOX | WS_CLIPCHILDREN;
            // Tab and the arrow keys go into what it holds.
            exStyle = WS_EX_CONTROLPARENT;
            break;
        case ControlKind::Label:
            className = WC_STATICW;
            style |= SS_LEFT;
            break;
        case ControlKind::TextBox:
            className = WC_EDITW;
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            if (c.masked) style |= ES_PASSWORD;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ComboBox:
            className = WC_COMBOBOXW;
            style |= WS_TABSTOP | WS_VSCROLL |
                     (c.editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
            // The window of a combo box includes its dropped list.
            height += ScaleTwips(kListDrop, m_dpi);
            break;
        case ControlKind::CheckBox:
            style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE;
            break;
        case ControlKind::OptionButton:
            style |= BS_AUTORADIOBUTTON | BS_MULTILINE;
            break;
        case ControlKind::CommandButton:
            style |= WS_TABSTOP | BS_PUSHBUTTON | (c.picture ? BS_ICON : 0);
            break;
    }
    HWND hwnd = ::CreateWindowExW(
        exStyle, className, c.picture || c.kind == ControlKind::ComboBox ? L"" : caption.c_str(),
        style, ScaleTwips(c.left, m_dpi), ScaleTwips(c.top, m_dpi), ScaleTwips(c.width, m_dpi),
        height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(static_cast<int>(i)))),
        instance, nullptr);
    m_controls[i] = hwnd;
    HFONT font = c.kind == ControlKind::Label && m_labelFont ? m_labelFont : m_font;
    if (font) ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    switch (c.kind) {
        case ControlKind::Frame:
            // Subclassed by hand: the common controls' way reads a window property
            // on every message, a call into the system each under some of them.
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            s_buttonProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Form::FrameProc)));
            break;
        case ControlKind::TextBox:
            // 0 lifts the system's default limit: no limit but the table's. The limit
            // is the user's: the initial text, given at creation, is whole.
            ::SendMessageW(hwnd, EM_LIMITTEXT, c.maxLength > 0 ? c.maxLength : 0, 0);
            break;
        case ControlKind::ComboBox: {
            if (c.editable) ::SetWindowTextW(hwnd, caption.c_str());
            // The closed box stands at the table's height: its selection field
            // grows or shrinks by what the box is off.
            const int wanted = ScaleTwips(c.height, m_dpi);
            for (int attempt = 0; attempt < 3; ++attempt) {
                RECT box;
                ::GetWindowRect(hwnd, &box);
                const int off = wanted - static_cast<int>(box.bottom - box.top);
                const auto field = static_cast<int>(
                    ::SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
                if (off == 0 || field <= 0 || field + off <= 0) break;
                ::SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + off);
            }
            break;
        }
        case ControlKind::CommandButton:
            if (c.picture) {
                // The window's icon where it has the size: one image less to load.
                const int size = ::MulDiv(32, m_dpi, 96);
                if (!m_buttonIcon) {
                    m_buttonIcon =
                        reinterpret_cast<HICON>(::GetClassLongPtrW(m_window, GCLP_HICON));
                    m_ownButtonIcon = !m_buttonIcon || size != ::GetSystemMetrics(SM_CXICON);
                    if (m_ownButtonIcon) m_buttonIcon = LoadAppIcon(size);
                }
                ::SendMessageW(hwnd, BM_SETIMAGE, IMAGE_ICON,
                               reinterpret_cast<LPARAM>(m_buttonIcon));
            }
            break;
        default:
            break;
    }
}

// One tooltip for the window, holding every control's tip. Made once the window shows:
// no tip can show before, and it is a window of its own to make.
void Win32Form::CreateToolTip() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < m_table.controls.size(); ++i) {
        if (!*m_table.controls[i].toolTip) continue;
        if (!m_toolTip) {
            m_toolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window,
                                          nullptr, instance, nullptr);
            if (m_font) ::SendMessageW(m_toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), 0);
        }
        m_tipTexts[i] = WideFromUtf8(m_table.controls[i].toolTip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(m_controls[i]);
        tool.lpszText = m_tipTexts[i].data();
        ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// IsDialogMessage takes the Z order as the tab order, and a control drawn above a frame
// must stand before it: each container's children go by their place in the tab order,
// a frame at the place of the first control it holds that takes the focus. Per
// container (the window first, then each frame), its children from the top down.
std::vector<std::vector<int>> Win32Form::StackOrder() const {
    const std::size_t count = m_table.controls.size();
    std::vector<int> place(count);
    for (std::size_t p = 0; p < m_order.size(); ++p)
        place[static_cast<std::size_t>(m_order[p])] = static_cast<int>(p);
    std::vector<int> key(place);
    std::vector<int> firstStop(count, INT_MAX);
    for (std::size_t i = 0; i < count; ++i) {
        if (!TakesFocus(m_table.controls[i].kind)) continue;
        for (int f = m_table.controls[i].container; f != kWindowContainer; f = Row(f).container) {
            auto& first = firstStop[static_cast<std::size_t>(f)];
            first = std::min(first, place[i]);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (firstStop[i] != INT_MAX) key[i] = firstStop[i];
    }
    std::vector<std::vector<int>> stacks(count + 1);
    for (std::size_t i = 0; i < count; ++i) {
        stacks[static_cast<std::size_t>(m_table.controls[i].container + 1)].push_back(
            static_cast<int>(i));
    }
    for (auto& children : stacks) {
        std::stable_sort(children.begin(), children.end(), [&](int a, int b) {
            return key[static_cast<std::size_t>(a)] < key[static_cast<std::size_t>(b)];
        });
    }
    return stacks;
}

// Moves what is out of place after a change of the tab order. The controls stand as
// m_stacks says, since only this does move them: every query of the system's Z order,
// and each move (a pass over the window's regions), is a call into the system.
void Win32Form::ApplyZOrder() {
    const std::vector<std::vector<int>> wanted = StackOrder();
    for (std::size_t container = 0; container < wanted.size(); ++container) {
        std::vector<int>& stack = m_stacks[container];
        for (std::size_t at = 0; at < wanted[container].size(); ++at) {
            const int child = wanted[container][at];
            if (stack[at] == child) continue;
            HWND after = at == 0 ? HWND_TOP : control(wanted[container][at - 1]);
            ::SetWindowPos(control(child), after, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            stack.erase(
                std::find(stack.begin() + static_cast<std::ptrdiff_t>(at), stack.end(), child));
            stack.insert(stack.begin() + static_cast<std::ptrdiff_t>(at), child);
        }
    }
}

// Where a control's rectangle reaches over a sibling below it (an option button wider
// than its column), the sibling shows there: the upper control gives up the overlap.
void Win32Form::ClipOverlaps() {
    m_cuts.resize(m_controls.size());
    // Each container's controls from the top of its Z order down, with their places.
    struct Placed {
        int index;
        RECT rect;
    };
    std::vector<std::vector<Placed>> stacks(m_stacks.size());
    for (std::size_t container = 0; container < m_stacks.size(); ++container) {
        for (const int index : m_stacks[container]) {
            Placed placed{index, {}};
            ::GetWindowRect(control(index), &placed.rect);
            stacks[container].push_back(placed);
        }
    }
    for (const auto& stack : stacks) {
        for (std::size_t up = 0; up < stack.size(); ++up) {
            const std::size_t a = static_cast<std::size_t>(stack[up].index);
            if (m_table.controls[a].kind == ControlKind::Frame) continue;
            const RECT& own = stack[up].rect;
            std::vector<RECT> cuts;
            for (std::size_t down = up + 1; down < stack.size(); ++down) {
                RECT overlap;
                if (Row(stack[down].index).kind == ControlKind::Frame) continue;
                if (!::IntersectRect(&overlap, &own, &stack[down].rect)) continue;
                ::OffsetRect(&overlap, -own.left, -own.top);
                cuts.push_back(overlap);
            }
            // A region set again, even none, costs the system a pass over the window's
            // regions: only a changed one is set.
            const bool same = std::equal(
                cuts.begin(), cuts.end(), m_cuts[a].begin(), m_cuts[a].end(),
                [](const RECT& x, const RECT& y) { return ::EqualRect(&x, &y) != FALSE; });
            if (same) continue;
            HRGN shape = nullptr;
            if (!cuts.empty()) {
                shape = ::CreateRectRgn(0, 0, own.right - own.left, own.bottom - own.top);
                for (const RECT& r : cuts) {
                    HRGN cut = ::CreateRectRgnIndirect(&r);
                    ::CombineRgn(shape, shape, cut, RGN_DIFF);
                    ::DeleteObject(cut);
                }
            }
            // The window owns the region from here on.
            ::SetWindowRgn(m_controls[a], shape, FALSE);
            m_cuts[a] = std::move(cuts);
        }
    }
}

// The option buttons of a group are one stop for Tab, at the selected button (the
// first when none is); each group starts and ends the arrow keys' round. Per control,
// the WS_TABSTOP (option buttons only) and WS_GROUP bits it takes.
std::vector<LONG_PTR> Win32Form::GroupStyles() const {
    std::vector<LONG_PTR> styles(m_table.controls.size(), 0);
    for (std::size_t i = 0; i < m_table.controls.size(); ++i) {
        const ControlRow& c = m_table.controls[i];
        if (c.kind != ControlKind::OptionButton) continue;
        int stop = -1;
        for (int index : m_order) {
            const ControlRow& other = Row(index);
            if (other.kind != ControlKind::OptionButton || other.container != c.container) continue;
            if (stop < 0) stop = index;
            // A button not made yet is not selected.
            if (control(index) && Checked(index)) {
                stop = index;
                break;
            }
        }
        if (stop == static_cast<int>(i)) styles[i] |= WS_TABSTOP;
    }
    // Every control opens a group of its own but an option button after another one,
    // so the arrow keys go round the buttons of one container.
    for (const std::vector<int>& stack : m_stacks) {
        for (std::size_t at = 0; at < stack.size(); ++at) {
            const bool continues = Row(stack[at]).kind == ControlKind::OptionButton && at > 0 &&
                                   Row(stack[at - 1]).kind == ControlKind::OptionButton;
            if (!continues) styles[static_cast<std::size_t>(stack[at])] |= WS_GROUP;
        }
    }
    return styles;
}

// A style set again, even unchanged, has the system tell the control and repaint it:
// only a change is set.
void Win32Form::UpdateGroupStops() {
    const std::vector<LONG_PTR> wanted = GroupStyles();
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const LONG_PTR mask =
            WS_GROUP | (m_table.controls[i].kind == ControlKind::OptionButton ? WS_TABSTOP : 0);
        const LONG_PTR style = ::GetWindowLongPtrW(m_controls[i], GWL_STYLE);
        const LONG_PTR changed = (style & ~mask) | wanted[i];
        if (changed != style) ::SetWindowLongPtrW(m_controls[i], GWL_STYLE, changed);
    }
}

int Win32Form::IndexOf(HWND hwnd) const {
    const auto at = std::find(m_controls.begin(), m_controls.end(), hwnd);
    return at == m_controls.end() ? -1 : static_cast<int>(at - m_controls.begin());
}

LRESULT CALLBACK Win32Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<Win32Form*>(create->lpCreateParams);
        form->m_window = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->m_window = nullptr;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return form->Handle(message, wParam, lParam);
}

// A frame holds controls: it paints its inside, passes their notifications on to the
// window, and answers the pointer so its tooltip can show.
LRESULT CALLBACK Win32Form::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND: {
            RECT inside;
            ::GetClientRect(hwnd, &inside);
            ::FillRect(reinterpret_cast<HDC>(wParam), &inside, ::GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            if (form && form->m_window) {
                return ::SendMessageW(form->m_window, message, wParam, lParam);
            }
            break;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
            // A frame never takes the focus.
            return 0;
        default:
            break;
    }
    return ::CallWindowProcW(s_buttonProc, hwnd, message, wParam, lParam);
}

LRESULT Win32Form::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            HWND from = reinterpret_cast<HWND>(lParam);
            if (!from && id == IDOK) {
                // Enter in a control that is not a button.
                HWND focus = ::GetFocus();
                int index = IndexOf(focus);
                if (index < 0 && focus) index = IndexOf(::GetParent(focus));  // a combo's edit
                if (index >= 0) m_events.Enter(index);
                return 0;
            }
            if (!from && id == IDCANCEL) return 0;  // Esc closes nothing
            int index = from ? IndexOf(from) : -1;
            if (index < 0) index = id - IdOf(0);
            if (index >= 0 && index < static_cast<int>(m_controls.size())) {
                Command(index, HIWORD(wParam));
            }
            return 0;
        }
        case DM_GETDEFID: {
            // Enter presses a button only while it has the focus; none is the default.
            const int index = IndexOf(::GetFocus());
            if (index >= 0 && Row(index).kind == ControlKind::CommandButton) {
                return MAKELRESULT(IdOf(index), DC_HASDEFID);
            }
            return 0;
        }
        case WM_NEXTDLGCTL: {
            HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                               : ::GetNextDlgTabItem(m_window, ::GetFocus(), wParam != 0);
            if (next) ::SetFocus(next);
            return 0;
        }
        case WM_ACTIVATE:
            // The focus leaves with the window and comes back to the same control.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(m_window, focus)) m_savedFocus = focus;
            } else if (m_savedFocus && ::IsWindow(m_savedFocus)) {
                ::SetFocus(m_savedFocus);
            } else {
                FocusFirst();
            }
            return 0;
        case WM_SETFOCUS:
            if (m_savedFocus && ::IsWindow(m_savedFocus)) ::SetFocus(m_savedFocus);
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) m_events.Timer();
            return 0;
        case WM_CLOSE:
            // The user closes the window from its title bar.
            if (!m_closing) {
                m_events.QueryClose();
                if (m_window && !m_closing) {
                    m_closing = true;
                    ::KillTimer(m_window, kTimerId);
                    ::DestroyWindow(m_window);
                }
            }
            return 0;
        default:
            return ::DefWindowProcW(m_window, message, wParam, lParam);
    }
}

void Win32Form::Command(int index, int code) {
    if (m_fromCode) return;
    const ControlRow& c = Row(index);
    switch (c.kind) {
        case ControlKind::CommandButton:
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) m_events.Click(index);
            break;
        case ControlKind::OptionButton: {
            // Newly selected by the user (click or arrow key); a button that was selected
            // already is not selected again.
            if (code != BN_CLICKED || !Checked(index)) break;
            int& selected = m_selected[static_cast<std::size_t>(c.container + 1)];
            if (selected == index) break;
            selected = index;
            UpdateGroupStops();
            m_events.Click(index);
            break;
        }
        case ControlKind::TextBox:
            if (code == EN_CHANGE) m_events.Change(index);
            break;
        case ControlKind::ComboBox:
            if (code == CBN_EDITCHANGE) m_events.Change(index);
            break;
        default:
            break;
    }
}

void Win32Form::FocusFirst() {
    for (int index : m_order) {
        if (TakesFocus(Row(index).kind) && ::IsWindowEnabled(control(index))) {
            ::SetFocus(control(index));
            return;
        }
    }
}

bool Win32Form::DialogMessage(MSG& message) {
    HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    return IsFormWindow(root) && ::IsDialogMessageW(root, &message);
}

int Win32Form::RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (DialogMessage(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

std::string Win32Form::Text(int index) const {
    HWND hwnd = control(index);
    const ControlRow& c = Row(index);
    if (c.kind == ControlKind::ComboBox && !c.editable) {
        const int selected = ListIndex(index);
        return selected >= 0 ? ListItem(index, selected) : std::string();
    }
    return win32::Narrow(WindowText(hwnd));
}

void Win32Form::SetText(int index, const std::string& text) {
    HWND hwnd = control(index);
    const ControlRow& c = Row(index);
    m_fromCode = true;
    if (c.kind == ControlKind::ComboBox && !c.editable) {
        const std::wstring wide = win32::Widen(text);
        ::SendMessageW(hwnd, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(wide.c_str()));
    } else {
        ::SetWindowTextW(hwnd, win32::Widen(text).c_str());
    }
    m_fromCode = false;
}

bool Win32Form::Checked(int index) const {
    return ::SendMessageW(control(index), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Form::SetChecked(int index, bool checked) {
    const ControlRow& c = Row(index);
    m_fromCode = true;
    if (c.kind == ControlKind::OptionButton) {
        if (checked) {
            for (std::size_t i = 0; i < m_table.controls.size(); ++i) {
                const ControlRow& other = m_table.controls[i];
                // Only a checked one: each change restyles and repaints the button.
                if (other.kind == ControlKind::OptionButton && other.container == c.container &&
                    static_cast<int>(i) != index &&
                    ::SendMessageW(m_controls[i], BM_GETCHECK, 0, 0) != BST_UNCHECKED) {
                    ::SendMessageW(m_controls[i], BM_SETCHECK, BST_UNCHECKED, 0);
                }
            }
        }
        int& selected = m_selected[static_cast<std::size_t>(c.container + 1)];
        if (checked) {
            selected = index;
        } else if (selected == index) {
            selected = -1;
        }
    }
    ::SendMessageW(control(index), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    m_fromCode = false;
    if (c.kind == ControlKind::OptionButton) UpdateGroupStops();
}

bool Win32Form::Enabled(int index) const {
    return ::IsWindowEnabled(control(index)) != FALSE;
}

void Win32Form::SetEnabled(int index, bool enabled) {
    HWND hwnd = control(index);
    // A control that loses the focus by being disabled hands it on, as a dialog does.
    // Before the window first shows, none of its controls has had it.
    if (!enabled && m_shownBefore && ::GetFocus() == hwnd) {
        ::SendMessageW(m_window, WM_NEXTDLGCTL, 0, 0);
    }
    ::EnableWindow(hwnd, enabled);
}

void Win32Form::ListClear(int index) {
    m_fromCode = true;
    ::SendMessageW(control(index), CB_RESETCONTENT, 0, 0);
    m_fromCode = false;
}

void Win32Form::ListAdd(int index, const std::string& item) {
    const std::wstring wide = win32::Widen(item);
    m_fromCode = true;
    ::SendMessageW(control(index), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    m_fromCode = false;
}

void Win32Form::ListSelect(int index, int item) {
    m_fromCode = true;
    ::SendMessageW(control(index), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    m_fromCode = false;
}

int Win32Form::ListIndex(int index) const {
    return static_cast<int>(::SendMessageW(control(index), CB_GETCURSEL, 0, 0));
}

int Win32Form::ListCount(int index) const {
    const auto n = static_cast<int>(::SendMessageW(control(index), CB_GETCOUNT, 0, 0));
    return n < 0 ? 0 : n;
}

std::string Win32Form::ListItem(int index, int item) const {
    HWND hwnd = control(index);
    const auto length = ::SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto n = ::SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(item),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == CB_ERR ? 0 : static_cast<std::size_t>(n));
    return win32::Narrow(text);
}

void Win32Form::SetFocus(int index) {
    HWND hwnd = control(index);
    if (::IsWindowVisible(m_window)) {
        ::SetFocus(hwnd);
    }
    // Also where the focus returns when the window is next activated or shown.
    m_savedFocus = hwnd;
}

// The Z order holds any tab order in which the controls of one frame follow each other,
// as every order of the tables and of the start-up's move does.
void Win32Form::SetTabIndex(int index, int position) {
    MoveInTabOrder(m_order, index, position);
    ApplyZOrder();
    UpdateGroupStops();
    ClipOverlaps();
}

int Win32Form::TabIndex(int index) const {
    const auto at = std::find(m_order.begin(), m_order.end(), index);
    return at == m_order.end() ? -1 : static_cast<int>(at - m_order.begin());
}

void Win32Form::Show() {
    if (!m_window) return;
    m_shownBefore = true;
    ::ShowWindow(m_window, SW_SHOW);
    if (!m_toolTip) CreateToolTip();
    ::SetForegroundWindow(m_window);
    // The first control of the tab order holds the focus when the window first appears,
    // unless the code has put it elsewhere.
    if (m_savedFocus && ::IsWindow(m_savedFocus) && ::IsWindowEnabled(m_savedFocus)) {
        ::SetFocus(m_savedFocus);
    } else {
        FocusFirst();
    }
    ::UpdateWindow(m_window);
}

void Win32Form::Hide() {
    if (!m_window) return;
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(m_window, focus)) m_savedFocus = focus;
    ::ShowWindow(m_window, SW_HIDE);
}

void Win32Form::Close() {
    if (!m_window) return;
    m_closing = true;
    ::KillTimer(m_window, kTimerId);
    ::DestroyWindow(m_window);
}

bool Win32Form::Visible() const {
    return m_window && ::IsWindowVisible(m_window);
}

void Win32Form::StartTimer(int milliseconds) {
    if (m_window) ::SetTimer(m_window, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void Win32Form::StopTimer() {
    if (m_window) ::KillTimer(m_window, kTimerId);
}

}  // namespace lintara
