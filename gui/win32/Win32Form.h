// The Win32 front end: a window's control table rendered with the system's own controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/form.h"

namespace lintara {

// A place or size of the table in pixels at dpi dots per inch.
inline int ScaleTwips(int twips, int dpi) {
    return ::MulDiv(twips, dpi, 1440);
}

// The dots per inch of the system, as the windows are laid out for.
int SystemDpi();

// The tables' captions and tooltips are UTF-8; control texts are not (see TextIsUtf8).
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

class Win32Form : public Form {
  public:
    // owner, when given, is a Win32Form: a window without a taskbar button of its own
    // is owned by it. dpi 0 takes the system's.
    Win32Form(const FormTable& table, FormEvents& events, Form* owner, int dpi = 0);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    // Control texts are in the ANSI code page, like every string of the core here.
    bool TextIsUtf8() const override { return false; }
    std::string Text(int control) const override;
    void SetText(int control, const std::string& text) override;
    bool Checked(int control) const override;
    void SetChecked(int control, bool checked) override;
    bool Enabled(int control) const override;
    void SetEnabled(int control, bool enabled) override;
    void ListClear(int control) override;
    void ListAdd(int control, const std::string& item) override;
    void ListSelect(int control, int index) override;
    int ListIndex(int control) const override;
    int ListCount(int control) const override;
    std::string ListItem(int control, int index) const override;
    void SetFocus(int control) override;
    void SetTabIndex(int control, int index) override;
    int TabIndex(int control) const override;
    void Show() override;
    void Hide() override;
    void Close() override;
    bool Visible() const override;
    void StartTimer(int milliseconds) override;
    void StopTimer() override;

    // The windows, for the program's message loop and for tests.
    HWND window() const { return m_window; }
    HWND control(int index) const { return m_controls[static_cast<std::size_t>(index)]; }
    HWND toolTip() const { return m_toolTip; }
    int dpi() const { return m_dpi; }
    // The control id of a table index (ids 1 and 2 are the dialog manager's OK and Cancel).
    static int IdOf(int index) { return 100 + index; }

    // Runs a message through the keyboard handling of the form it belongs to (Tab,
    // arrows, Enter); true when it was handled there.
    static bool DialogMessage(MSG& message);
    // Waits for and dispatches messages until the program ends.
    static int RunMessageLoop();

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK FrameProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int index, int code);
    void CreateControls();
    void CreateControl(std::size_t index, DWORD groupStyle, HINSTANCE instance);
    void CreateToolTip();
    std::vector<std::vector<int>> StackOrder() const;
    void ApplyZOrder();
    std::vector<LONG_PTR> GroupStyles() const;
    void UpdateGroupStops();
    void ClipOverlaps();
    int IndexOf(HWND hwnd) const;
    const ControlRow& Row(int index) const {
        return m_table.controls[static_cast<std::size_t>(index)];
    }
    void FocusFirst();

    const FormTable& m_table;
    FormEvents& m_events;
    int m_dpi;
    HWND m_window = nullptr;
    HWND m_toolTip = nullptr;
    HFONT m_font = nullptr;
    HFONT m_labelFont = nullptr;  // the same face, as small as the labels need
    HICON m_buttonIcon = nullptr;
    bool m_ownButtonIcon = false;  // not the class's: destroyed with the form
    std::vector<HWND> m_controls;
    std::vector<int> m_order;     // every control, by tab index
    std::vector<int> m_selected;  // per control: the option button its group last reported
    std::vector<std::wstring> m_tipTexts;
    std::vector<std::vector<RECT>> m_cuts;  // per control: what its region leaves out
    // Per container (the window, then each control as a frame): its children as they
    // stand in the Z order, from the top.
    std::vector<std::vector<int>> m_stacks;
    static WNDPROC s_buttonProc;  // what a frame's messages go on to
    HWND m_savedFocus = nullptr;
    bool m_fromCode = false;  // a change made through this interface, not by the user
    bool m_shownBefore = false;
    bool m_closing = false;
};

class Win32FormFactory : public FormFactory {
  public:
    explicit Win32FormFactory(int dpi = 0) : m_dpi(dpi) {}
    std::unique_ptr<Form> CreateForm(const FormTable& table, FormEvents& events,
                                     Form* owner) override {
        return std::make_unique<Win32Form>(table, events, owner, m_dpi);
    }

  private:
    int m_dpi;
};

}  // namespace lintara
