// The Win32 renderer against the control tables: every control's place, size, caption,
// kind and settings, the tab order, the tooltips and the window's frame, at 96 and 144 dpi.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gui/win32/Win32Form.h"
#include "main_window/Lintara.h"
#include "options_window/LintaraOptions.h"

namespace {

using lintara::ControlKind;
using lintara::ControlRow;
using lintara::FormTable;
using lintara::ScaleTwips;
using lintara::Win32Form;

struct NoEvents : lintara::FormEvents {
    void Click(int) override {}
    void QueryClose() override {}
};

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = L"";
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

std::string TextOf(HWND hwnd) {
    wchar_t text[512] = L"";
    ::GetWindowTextW(hwnd, text, 512);
    return lintara::Utf8FromWide(text);
}

// A control's rectangle in its container's coordinates.
RECT PlaceOf(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Focus stops by the table: controls that take the focus in tab order, the option
// buttons of a container as one stop at the selected button (the first when none is).
std::vector<int> ExpectedStops(const Win32Form& form, const FormTable& table) {
    std::vector<int> order(table.controls.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[static_cast<std::size_t>(form.TabIndex(static_cast<int>(i)))] = static_cast<int>(i);
    }
    std::vector<int> stops;
    std::vector<int> groupsSeen;
    for (int index : order) {
        const ControlRow& c = table.controls[static_cast<std::size_t>(index)];
        if (!lintara::TakesFocus(c.kind)) continue;
        if (c.kind != ControlKind::OptionButton) {
            stops.push_back(index);
            continue;
        }
        if (std::find(groupsSeen.begin(), groupsSeen.end(), c.container) != groupsSeen.end()) {
            continue;
        }
        groupsSeen.push_back(c.container);
        int stop = -1;
        for (int other : order) {
            const ControlRow& o = table.controls[static_cast<std::size_t>(other)];
            if (o.kind != ControlKind::OptionButton || o.container != c.container) continue;
            if (stop < 0 || form.Checked(other)) stop = other;
            if (form.Checked(other)) break;
        }
        stops.push_back(stop);
    }
    return stops;
}

// The stops IsDialogMessage's Tab goes through, from the first round to the end.
std::vector<int> DialogStops(const Win32Form& form, const FormTable& table) {
    std::vector<int> stops;
    HWND first = ::GetNextDlgTabItem(form.window(), nullptr, FALSE);
    for (HWND at = first; at && stops.size() < 100;) {
        for (std::size_t i = 0; i < table.controls.size(); ++i) {
            if (form.control(static_cast<int>(i)) == at) {
                stops.push_back(static_cast<int>(i));
                break;
            }
        }
        at = ::GetNextDlgTabItem(form.window(), at, FALSE);
        if (at == first) break;
    }
    return stops;
}

struct Case {
    const char* window;
    int dpi;
};

class Win32FormTest : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_main = std::make_unique<Win32Form>(Lintara::Layout(), m_events, nullptr, GetParam().dpi);
        m_options = std::make_unique<Win32Form>(LintaraOptions::Layout(), m_events, m_main.get(),
                                                GetParam().dpi);
    }
    bool IsMain() const { return std::string(GetParam().window) == "main"; }
    Win32Form& form() { return IsMain() ? *m_main : *m_options; }
    const FormTable& table() { return IsMain() ? Lintara::Layout() : LintaraOptions::Layout(); }
    int Px(int twips) { return ScaleTwips(twips, GetParam().dpi); }

    NoEvents m_events;
    std::unique_ptr<Win32Form> m_main, m_options;
};

TEST_P(Win32FormTest, EveryControlStandsWhereTheTableSays) {
    for (std::size_t i = 0; i < table().controls.size(); ++i) {
        const ControlRow& c = table().controls[i];
        SCOPED_TRACE(c.name);
        HWND hwnd = form().control(static_cast<int>(i));
        ASSERT_TRUE(hwnd);
        HWND container = c.container == lintara::kWindowContainer ? form().window()
                                                                  : form().control(c.container);
        EXPECT_EQ(::GetParent(hwnd), container);
        const RECT r = PlaceOf(hwnd);
        EXPECT_EQ(r.left, Px(c.left));
        EXPECT_EQ(r.top, Px(c.top));
        EXPECT_EQ(r.right - r.left, Px(c.width));
        if (c.kind == ControlKind::ComboBox) {
            // A combo box's window is its closed box (the list drops below it), which the
            // system keeps tall enough for its font: at 144 dpi 2 pixels more.
            EXPECT_NEAR(r.bottom - r.top, Px(c.height), 2);
        } else {
            EXPECT_EQ(r.bottom - r.top, Px(c.height));
        }
        EXPECT_EQ(::GetDlgCtrlID(hwnd), Win32Form::IdOf(static_cast<int>(i)));
    }
}

TEST_P(Win32FormTest, EveryControlHasTheKindCaptionAndSettingsOfTheTable) {
    for (std::size_t i = 0; i < table().controls.size(); ++i) {
        const ControlRow& c = table().controls[i];
        SCOPED_TRACE(c.name);
        HWND hwnd = form().control(static_cast<int>(i));
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_FALSE(style & WS_DISABLED);
        switch (c.kind) {
            case ControlKind::Frame:
                EXPECT_EQ(ClassOf(hwnd), L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
                // Tab goes into what it holds.
                EXPECT_TRUE(exStyle & WS_EX_CONTROLPARENT);
                EXPECT_EQ(TextOf(hwnd), c.caption);
                break;
            case ControlKind::Label:
                EXPECT_EQ(ClassOf(hwnd), L"Static");
                EXPECT_EQ(TextOf(hwnd), c.caption);
                break;
            case ControlKind::TextBox: {
                EXPECT_EQ(ClassOf(hwnd), L"Edit");
                EXPECT_FALSE(style & ES_MULTILINE);
                // The password box too shows its text in clear.
                EXPECT_EQ((style & ES_PASSWORD) != 0, c.masked);
                const auto limit = ::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0);
                if (c.maxLength > 0) {
                    EXPECT_EQ(limit, c.maxLength);
                } else {
                    EXPECT_GE(limit, 0x7FFFFFFE);
                }
                EXPECT_EQ(TextOf(hwnd), c.caption);
                break;
            }
            case ControlKind::ComboBox:
                EXPECT_EQ(ClassOf(hwnd), L"ComboBox");
                EXPECT_EQ(style & 3, c.editable ? static_cast<DWORD>(CBS_DROPDOWN)
                                                : static_cast<DWORD>(CBS_DROPDOWNLIST));
                EXPECT_EQ(form().Text(static_cast<int>(i)), c.caption);
                EXPECT_EQ(form().ListCount(static_cast<int>(i)), 0);
                break;
            case ControlKind::CheckBox:
                EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
                EXPECT_TRUE(style & BS_MULTILINE);
                EXPECT_EQ(TextOf(hwnd), c.caption);
                EXPECT_FALSE(form().Checked(static_cast<int>(i)));
                break;
            case ControlKind::OptionButton:
                EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTORADIOBUTTON));
                // Two-line captions where the column is narrow.
                EXPECT_TRUE(style & BS_MULTILINE);
                EXPECT_EQ(TextOf(hwnd), c.caption);
                EXPECT_FALSE(form().Checked(static_cast<int>(i)));
                break;
            case ControlKind::CommandButton:
                EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
                EXPECT_EQ((style & BS_ICON) != 0, c.picture);
                if (c.picture) {
                    EXPECT_EQ(TextOf(hwnd), "");
                    EXPECT_TRUE(::SendMessageW(hwnd, BM_GETIMAGE, IMAGE_ICON, 0));
                } else {
                    EXPECT_EQ(TextOf(hwnd), c.caption);
                }
                break;
        }
    }
}

TEST_P(Win32FormTest, ControlsOverAFrameStandAboveIt) {
    for (std::size_t i = 0; i < table().controls.size(); ++i) {
        const ControlRow& c = table().controls[i];
        if (c.container != lintara::kWindowContainer || c.kind == ControlKind::Frame) continue;
        RECT own = PlaceOf(form().control(static_cast<int>(i)));
        for (std::size_t f = 0; f < table().controls.size(); ++f) {
            if (table().controls[f].kind != ControlKind::Frame ||
                table().controls[f].container != lintara::kWindowContainer) {
                continue;
            }
            RECT frame = PlaceOf(form().control(static_cast<int>(f))), overlap;
            if (!::IntersectRect(&overlap, &own, &frame)) continue;
            SCOPED_TRACE(std::string(c.name) + " over " + table().controls[f].name);
            bool above = false;
            for (HWND at = form().control(static_cast<int>(f)); at;
                 at = ::GetWindow(at, GW_HWNDPREV)) {
                above = above || at == form().control(static_cast<int>(i));
            }
            EXPECT_TRUE(above);
        }
    }
}

TEST_P(Win32FormTest, TabGoesThroughTheTableOrder) {
    form().Show();
    EXPECT_EQ(DialogStops(form(), table()), ExpectedStops(form(), table()));
    // A selected option button is its group's stop.
    for (std::size_t i = table().controls.size(); i-- > 0;) {
        if (table().controls[i].kind != ControlKind::OptionButton) continue;
        form().SetChecked(static_cast<int>(i), true);
        break;
    }
    EXPECT_EQ(DialogStops(form(), table()), ExpectedStops(form(), table()));
    // A control of the window moved to the front of the tab order (as the start-up moves
    // the host box) is the first stop.
    int last = -1;
    for (int stop : ExpectedStops(form(), table())) {
        if (table().controls[static_cast<std::size_t>(stop)].container ==
            lintara::kWindowContainer) {
            last = stop;
        }
    }
    ASSERT_GE(last, 0);
    form().SetTabIndex(last, 0);
    const auto stops = DialogStops(form(), table());
    ASSERT_FALSE(stops.empty());
    EXPECT_EQ(stops.front(), last);
    EXPECT_EQ(stops, ExpectedStops(form(), table()));
    form().Hide();
}

TEST_P(Win32FormTest, OneTooltipHoldsTheTipsOfTheTableOnceTheWindowShows) {
    // Made with the first showing: before, no tip can show.
    EXPECT_FALSE(form().toolTip());
    form().Show();
    int expected = 0;
    for (std::size_t i = 0; i < table().controls.size(); ++i) {
        const ControlRow& c = table().controls[i];
        if (!*c.toolTip) continue;
        ++expected;
        SCOPED_TRACE(c.name);
        wchar_t text[256] = L"";
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = form().window();
        tool.uId = reinterpret_cast<UINT_PTR>(form().control(static_cast<int>(i)));
        tool.lpszText = text;
        ASSERT_TRUE(form().toolTip());
        ::SendMessageW(form().toolTip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(lintara::Utf8FromWide(text), c.toolTip);
    }
    ASSERT_EQ(expected, 1);
    EXPECT_EQ(::SendMessageW(form().toolTip(), TTM_GETTOOLCOUNT, 0, 0), expected);
    // Shown again, the window keeps its one tooltip.
    HWND toolTip = form().toolTip();
    form().Hide();
    form().Show();
    EXPECT_EQ(form().toolTip(), toolTip);
    EXPECT_EQ(::SendMessageW(form().toolTip(), TTM_GETTOOLCOUNT, 0, 0), expected);
    form().Hide();
}

TEST_P(Win32FormTest, TheWindowHasAFixedBorderAndItsTitleBarButtons) {
    HWND window = form().window();
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, table().minimizeButton);
    // The usual caption: no tool window's; and an owned window has no taskbar button.
    EXPECT_FALSE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(::GetWindow(window, GW_OWNER), IsMain() ? nullptr : m_main->window());
    EXPECT_EQ(TextOf(window), table().caption);
    RECT inside;
    ::GetClientRect(window, &inside);
    EXPECT_EQ(inside.right, Px(table().width));
    EXPECT_EQ(inside.bottom, Px(table().height));
    // The program's icon, both sizes, from the window's class.
    EXPECT_TRUE(::GetClassLongPtrW(window, GCLP_HICON));
    EXPECT_TRUE(::GetClassLongPtrW(window, GCLP_HICONSM));
}

TEST_P(Win32FormTest, TheWindowFirstShowsCentredOnTheWorkArea) {
    RECT area, place;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    form().Show();
    ::GetWindowRect(form().window(), &place);
    const LONG width = place.right - place.left, height = place.bottom - place.top;
    EXPECT_EQ(place.left, std::max(area.left, area.left + (area.right - area.left - width) / 2));
    EXPECT_EQ(place.top, std::max(area.top, area.top + (area.bottom - area.top - height) / 2));
    form().Hide();
}

INSTANTIATE_TEST_SUITE_P(BothWindows, Win32FormTest,
                         ::testing::Values(Case{"main", 96}, Case{"main", 144}, Case{"options", 96},
                                           Case{"options", 144}),
                         [](const auto& info) {
                             return std::string(info.param.window) + "_at_" +
                                    std::to_string(info.param.dpi) + "_dpi";
                         });

TEST(Win32Scaling, TwipsScaleAsOneAtEveryDpi) {
    struct Row {
        int twips, dpi, pixels;
    };
    for (const Row& row :
         {Row{1440, 96, 96}, Row{15, 96, 1}, Row{6795, 96, 453}, Row{6795, 144, 680},
          Row{3675, 144, 368}, Row{7, 96, 0}, Row{8, 96, 1}, Row{6330, 120, 528}}) {
        EXPECT_EQ(ScaleTwips(row.twips, row.dpi), row.pixels) << row.twips << " at " << row.dpi;
    }
}

}  // namespace
