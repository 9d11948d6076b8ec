// Form: what a window's code may do to its own controls, and the events a front end
// reports. A window class describes its controls once in a table and changes them only
// through Form; each front end renders the table with its own toolkit.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lintara {

enum class ControlKind { Frame, Label, TextBox, ComboBox, CheckBox, OptionButton, CommandButton };

// The window itself, as a container.
inline constexpr int kWindowContainer = -1;

// One control. Places and sizes are in twips (1440 an inch) from the top-left corner of
// the container, which is the window or a frame; option buttons sharing a container form
// one group. The table's texts are UTF-8.
struct ControlRow {
    ControlKind kind;
    const char* name;
    int container;        // index of the frame in the same table, or kWindowContainer
    const char* caption;  // caption; for text and combo boxes the initial text
    int left, top, width, height;
    int tabIndex;
    const char* toolTip = "";
    int maxLength = 0;      // text boxes: characters the user may type; 0 for no limit
    bool editable = false;  // combo boxes: editable drop-down; else a list that takes no typing
    bool masked = false;    // text boxes: characters hidden as in a password box
    bool picture = false;   // command buttons: the application icon instead of a caption
};

struct FormTable {
    const char* name;
    const char* caption;
    int width, height;  // of the inside of the window, in twips
    bool minimizeButton;
    bool taskbarButton;  // false: belongs to its owner's taskbar button
    std::span<const ControlRow> controls;
};

// Every rule about tab indices, shared by the front ends and the fakes: the controls by
// tab index, and the move of one control to a new index that shifts the others.
inline std::vector<int> TabOrderOf(std::span<const ControlRow> controls) {
    std::vector<int> order(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return controls[a].tabIndex < controls[b].tabIndex; });
    return order;
}

inline void MoveInTabOrder(std::vector<int>& order, int control, int index) {
    const auto at = std::find(order.begin(), order.end(), control);
    if (at == order.end()) return;
    order.erase(at);
    index = std::clamp(index, 0, static_cast<int>(order.size()));
    order.insert(order.begin() + index, control);
}

// A control of the table takes the keyboard focus (labels and frames never do).
inline bool TakesFocus(ControlKind kind) {
    return kind != ControlKind::Frame && kind != ControlKind::Label;
}

// The window's controls as its code sees them. Controls are named by their index in the
// table. Changes made here are never reported back as events.
class Form {
  public:
    virtual ~Form() = default;

    // Control texts are in the encoding of the core's strings: UTF-8, or on Windows the
    // ANSI code page, which the settings file and the system's narrow functions use.
    virtual bool TextIsUtf8() const { return true; }
    // Text boxes and combo boxes: the text shown (a pick-only list: its selected item).
    virtual std::string Text(int control) const = 0;
    virtual void SetText(int control, const std::string& text) = 0;
    // Check boxes and option buttons. Selecting an option button clears the others of
    // its group; it does not run the button's handler (the window's code does that).
    virtual bool Checked(int control) const = 0;
    virtual void SetChecked(int control, bool checked) = 0;
    // A disabled control keeps its content.
    virtual bool Enabled(int control) const = 0;
    virtual void SetEnabled(int control, bool enabled) = 0;
    // Combo boxes' lists. Selecting an item shows it as the text.
    virtual void ListClear(int control) = 0;
    virtual void ListAdd(int control, const std::string& item) = 0;
    virtual void ListSelect(int control, int index) = 0;
    virtual int ListIndex(int control) const = 0;  // -1 when none is selected
    virtual int ListCount(int control) const = 0;
    virtual std::string ListItem(int control, int index) const = 0;

    virtual void SetFocus(int control) = 0;
    // Moves the control to index in the tab order; the others shift (see MoveInTabOrder).
    virtual void SetTabIndex(int control, int index) = 0;
    virtual int TabIndex(int control) const = 0;

    // Show does not make the window modal. Close takes it off the screen for good; the
    // window's own closing code has run by then.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Close() = 0;
    virtual bool Visible() const = 0;

    // Calls FormEvents::Timer every interval until StopTimer.
    virtual void StartTimer(int milliseconds) = 0;
    virtual void StopTimer() = 0;
};

// What the user did, as a front end reports it: never a change the code made itself.
class FormEvents {
  public:
    virtual ~FormEvents() = default;
    // A command button or check box pressed, an option button newly selected.
    virtual void Click(int control) = 0;
    // The user changed the text of a text box or an editable combo box.
    virtual void Change(int /*control*/) {}
    // Enter pressed in a text box.
    virtual void Enter(int /*control*/) {}
    // The user closes the window from its title bar; it closes when this returns.
    virtual void QueryClose() = 0;
    virtual void Timer() {}
};

// Creates the window of a table; owner is the window a new one belongs to, or none.
class FormFactory {
  public:
    virtual ~FormFactory() = default;
    virtual std::unique_ptr<Form> CreateForm(const FormTable& table, FormEvents& events,
                                             Form* owner) = 0;
};

// Shows the system's file-open dialog with no title, filter or start folder and waits;
// the chosen file's full path (UTF-8), or the empty text when there was no choice.
using FileOpenFunction = std::function<std::string()>;

}  // namespace lintara
