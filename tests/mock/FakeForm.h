// A Form that keeps control state in memory, and a factory of them: the windows' code
// runs as in a program, and tests act as the user through the same events a front end
// reports.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/form.h"

namespace lintara::test {

class FakeForm : public Form {
  public:
    FakeForm(const FormTable& table, FormEvents& events, Form* owner)
        : table(table), owner(owner), m_events(events), m_order(TabOrderOf(table.controls)) {
        for (const ControlRow& c : table.controls) {
            State s;
            if (c.kind == ControlKind::TextBox || c.kind == ControlKind::ComboBox)
                s.text = c.caption;
            m_state.push_back(s);
        }
    }

    // ---- Form ----
    bool TextIsUtf8() const override { return textIsUtf8; }
    std::string Text(int c) const override {
        const State& s = at(c);
        if (kind(c) == ControlKind::ComboBox && !table.controls[c].editable) {
            return s.index >= 0 ? s.items[static_cast<std::size_t>(s.index)] : std::string();
        }
        return s.text;
    }
    void SetText(int c, const std::string& text) override {
        State& s = at(c);
        const ControlRow& cs = table.controls[c];
        if (cs.kind == ControlKind::TextBox && cs.maxLength > 0) {
            s.text = text.substr(0, static_cast<std::size_t>(cs.maxLength));
        } else {
            s.text = text;
        }
    }
    bool Checked(int c) const override { return at(c).checked; }
    void SetChecked(int c, bool checked) override {
        if (checked && kind(c) == ControlKind::OptionButton) {
            for (std::size_t i = 0; i < table.controls.size(); ++i) {
                if (table.controls[i].kind == ControlKind::OptionButton &&
                    table.controls[i].container == table.controls[c].container) {
                    m_state[i].checked = false;
                }
            }
        }
        at(c).checked = checked;
    }
    // Disabled when the control or one of its frames is.
    bool Enabled(int c) const override {
        for (int i = c; i != kWindowContainer; i = table.controls[i].container) {
            if (!at(i).enabled) return false;
        }
        return true;
    }
    void SetEnabled(int c, bool enabled) override { at(c).enabled = enabled; }
    void ListClear(int c) override {
        at(c).items.clear();
        at(c).index = -1;
        if (table.controls[c].editable) at(c).text.clear();
    }
    void ListAdd(int c, const std::string& item) override { at(c).items.push_back(item); }
    void ListSelect(int c, int index) override {
        State& s = at(c);
        if (index < 0 || index >= static_cast<int>(s.items.size())) {
            throw std::out_of_range("no such list item");
        }
        s.index = index;
        s.text = s.items[static_cast<std::size_t>(index)];
    }
    int ListIndex(int c) const override { return at(c).index; }
    int ListCount(int c) const override { return static_cast<int>(at(c).items.size()); }
    std::string ListItem(int c, int index) const override {
        return at(c).items.at(static_cast<std::size_t>(index));
    }
    void SetFocus(int c) override { focus = c; }
    void SetTabIndex(int c, int index) override { MoveInTabOrder(m_order, c, index); }
    int TabIndex(int c) const override {
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            if (m_order[i] == c) return static_cast<int>(i);
        }
        return -1;
    }
    void Show() override {
        if (closed) throw std::logic_error("a closed window is shown again");
        if (!shownBefore) {
            // The first control of the tab order that takes the focus.
            for (int c : m_order) {
                if (TakesFocus(kind(c)) && Enabled(c)) {
                    focus = c;
                    break;
                }
            }
        }
        shownBefore = visible = true;
    }
    void Hide() override { visible = false; }
    void Close() override {
        visible = false;
        closed = true;
        timerInterval = 0;
    }
    bool Visible() const override { return visible; }
    void StartTimer(int milliseconds) override { timerInterval = milliseconds; }
    void StopTimer() override { timerInterval = 0; }

    // ---- The user ----
    // A click: a command button is pressed, a check box toggles, an option button is
    // selected (and reported only when it was not selected yet). The focus moves there.
    void UserClick(int c) {
        if (!Enabled(c)) throw std::logic_error("a disabled control is clicked");
        focus = c;
        switch (kind(c)) {
            case ControlKind::CheckBox:
                at(c).checked = !at(c).checked;
                break;
            case ControlKind::OptionButton:
                if (at(c).checked) return;
                SetChecked(c, true);
                break;
            case ControlKind::CommandButton:
                break;
            default:
                return;
        }
        m_events.Click(c);
    }
    // Replaces the text as typing or pasting would, the length limit included.
    void UserType(int c, const std::string& text) {
        if (!Enabled(c)) throw std::logic_error("a disabled control is typed into");
        focus = c;
        SetText(c, text);
        m_events.Change(c);
    }
    void UserSelectItem(int c, int index) {
        focus = c;
        ListSelect(c, index);
        m_events.Change(c);
    }
    void UserEnter(int c) {
        focus = c;
        m_events.Enter(c);
    }
    // The title bar's close button.
    void UserClose() {
        m_events.QueryClose();
        Close();
    }
    // One interval of the timer, when it runs.
    void Tick() {
        if (timerInterval > 0) m_events.Timer();
    }

    // Option buttons of a container that are selected.
    std::vector<int> CheckedIn(int container) const {
        std::vector<int> checked;
        for (std::size_t i = 0; i < table.controls.size(); ++i) {
            if (table.controls[i].container == container && m_state[i].checked) {
                checked.push_back(static_cast<int>(i));
            }
        }
        return checked;
    }
    std::vector<std::string> Items(int c) const { return at(c).items; }

    const FormTable& table;
    Form* owner;
    int focus = -1;
    bool visible = false, shownBefore = false, closed = false;
    bool textIsUtf8 = true;
    int timerInterval = 0;

  private:
    struct State {
        std::string text;
        bool checked = false, enabled = true;
        std::vector<std::string> items;
        int index = -1;
    };
    ControlKind kind(int c) const { return table.controls[c].kind; }
    State& at(int c) { return m_state.at(static_cast<std::size_t>(c)); }
    const State& at(int c) const { return m_state.at(static_cast<std::size_t>(c)); }

    FormEvents& m_events;
    std::vector<State> m_state;
    std::vector<int> m_order;
};

// Creates FakeForms and keeps the latest of each window by name.
class FakeFormFactory : public FormFactory {
  public:
    std::unique_ptr<Form> CreateForm(const FormTable& table, FormEvents& events,
                                     Form* owner) override {
        auto form = std::make_unique<FakeForm>(table, events, owner);
        form->textIsUtf8 = textIsUtf8;
        latest[table.name] = form.get();
        ++created[table.name];
        return form;
    }
    FakeForm& operator[](const std::string& name) { return *latest.at(name); }

    std::map<std::string, FakeForm*> latest;
    std::map<std::string, int> created;
    bool textIsUtf8 = true;  // false: forms hold code-page bytes, as on Windows
};

}  // namespace lintara::test
